#include "WorldTestModules.h"

#include <new>

#include "VornelUtils/RegisterModules.h"

namespace {
WorldTestLog g_log;
}

WorldTestLog& TestLog()
{
    return g_log;
}

void ResetWorldTestLog()
{
    g_log = WorldTestLog{};
}

Status CTestView::UpdateView()
{
    ++g_log.viewUpdates;
    return C3DView::UpdateView();
}

Status CTestView::SetGammaRamp()
{
    ++g_log.gammaRamps;
    return kStatusOk;
}

Status CTestView::SetOrientation(uint32_t mode)
{
    g_log.orientation = mode;
    return C3DView::SetOrientation(mode);
}

Status CTestView::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    g_log.viewport[0] = x;
    g_log.viewport[1] = y;
    g_log.viewport[2] = width;
    g_log.viewport[3] = height;
    return kStatusOk;
}

CTestEngine::CTestEngine(WorldData* pWorldData) : C3DEngine(pWorldData)
{
    ++g_log.engines;
    SetView(new CTestView(pWorldData));
}

CTestEngine::~CTestEngine()
{
    delete GetView();
    SetView(nullptr);
    --g_log.engines;
}

Status CTestEngine::Load(void*)
{
    ++g_log.loads;
    return g_log.failLoad ? kStatusFailed : kStatusOk;
}

Status CTestEngine::Unload()
{
    ++g_log.unloads;
    return C3DEngine::Unload();
}

Status CTestEngine::SetLights(int32_t count)
{
    ++g_log.lightCalls;
    g_log.lightCount = count;
    return kStatusOk;
}

Status CTestEngine::SetPointSpriteParameters()
{
    ++g_log.pointSprites;
    return kStatusOk;
}

Status CTestEngine::SetFog()
{
    ++g_log.fogs;
    return g_log.failFog ? kStatusFailed : kStatusOk;
}

Status CTestEngine::BeginScene()
{
    ++g_log.beginScenes;
    return g_log.failBeginScene ? kStatusFailed : kStatusOk;
}

Status CTestEngine::EndScene()
{
    ++g_log.endScenes;
    return kStatusOk;
}

CTestModule::CTestModule(WorldData* pWorldData) : CAudioEngine(pWorldData)
{
    ++g_log.modules;
}

CTestModule::~CTestModule()
{
    --g_log.modules;
}

Status CTestModule::Init(void*)
{
    ++g_log.moduleInits;
    return g_log.failModuleInit ? kStatusFailed : kStatusOk;
}

Status CTestModule::Release()
{
    ++g_log.moduleReleases;
    return CAudioEngine::Release();
}

CBaseObject* CreateTestEngine(WorldData* pWorldData)
{
    return new (std::nothrow) CTestEngine(pWorldData);
}

CBaseObject* CreateTestModule(WorldData* pWorldData)
{
    if (g_log.failModuleCreate)
        return nullptr;
    return new (std::nothrow) CTestModule(pWorldData);
}

void RegisterTestModules(WorldData* pWorldData, bool withAudio, bool withNetwork)
{
    auto add = [pWorldData](int kind, uint32_t id, ModuleCreateFn create) {
        if (ModuleEntry* entry = RegisterModule(kind, pWorldData)) {
            entry->pDescriptor = FindModuleDescriptor(kind, id);
            entry->pfnCreate = create;
            entry->pfnDestroy = ReleaseModule;
        }
    };
    add(kModule3D, 5, CreateTestEngine);
    if (withAudio)
        add(kModuleAudio, 3, CreateTestModule);
    if (withNetwork)
        add(kModuleNetwork, 1, CreateTestModule);
}
