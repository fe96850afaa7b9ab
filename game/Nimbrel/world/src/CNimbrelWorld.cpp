#include "NimbrelWorld/CNimbrelWorld.h"

#include <new>

#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsString.h"

CNimbrelWorld* CreateNimbrelWorld()
{
    CNimbrelWorld* world = new (std::nothrow) CNimbrelWorld();
    if (world && !world->GetGameData()) {
        delete world;
        return nullptr;
    }
    return world;
}

CNimbrelWorld::CNimbrelWorld()
{
    if (m_pWorldData)
        m_pWorldData->pGame = GameDataCreate();
}

CNimbrelWorld::~CNimbrelWorld()
{
    if (m_pWorldData) {
        GameDataFree(m_pWorldData->pGame);
        m_pWorldData->pGame = nullptr;
    }
}

Status CNimbrelWorld::Load(void* pWindow, uint16_t width, uint16_t height, uint8_t colorDepth,
                           uint32_t displayValue, uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync,
                           uint32_t orientation, const char16_t* dataPath, uint16_t virtualWidth,
                           uint16_t virtualHeight)
{
    WorldData* w = GetWorldData();
    if (!w)
        return kStatusFailed;
    Log(w->logPath, 0, u"# CNimbrelWorld::Load - CManagedWorld::Load\n");
    if (Failed(CManagedWorld::Load(pWindow, width, height, colorDepth, displayValue, fullScreen, resizable,
                                   verticalSync, orientation, dataPath, virtualWidth, virtualHeight))) {
        Log(w->logPath, 0, u"# CWorld::Load failed! internal error\n");
        return kStatusFailed;
    }
    // Lookups in a pack without its count record go on by scan: no index is no failure.
    Log(w->logPath, 0, u"# CNimbrelWorld::Load - BuildPackIndex\n");
    if (w->pack.pFile && !w->pack.pIndex)
        BuildPackIndex(&w->pack, w);
    Log(w->logPath, 0, u"# CNimbrelWorld::Load - CGammaRamp\n");
    if (Failed(CreateGammaRamp())) {
        Log(w->logPath, 0, u"# CNimbrelWorld::Load failed! internal error\n");
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CNimbrelWorld::Unload()
{
    WorldData* w = GetWorldData();
    if (w && w->pack.pIndex)
        FreePackIndex(&w->pack);
    return CManagedWorld::Unload();
}

Status CNimbrelWorld::Update()
{
    return CManagedWorld::Update();
}

Status CNimbrelWorld::Render()
{
    return CManagedWorld::Render();
}

Status CNimbrelWorld::Prepare(uint32_t)
{
    return kStatusOk;
}

Status CNimbrelWorld::SaveOptions()
{
    // The options file is written once the game keeps options worth saving (language,
    // profile, volumes); until then the file read at start is left as it is.
    return kStatusOk;
}

Status CNimbrelWorld::GetGameString(const char16_t*, const char16_t* text, char16_t* out)
{
    if (out)
        UtilsString_Copy(out, kWorldTextSize, text ? text : GetAppName());
    return kStatusOk;
}

uint8_t CNimbrelWorld::SetDataFolder(const char16_t* appName, const char16_t* dataPath, uint32_t, uint32_t)
{
    SetApplicationParameters(kNimbrelResourceMode, kNimbrelClassName, appName,
                             dataPath ? dataPath : kNimbrelDefaultDataPath, 0);
    if (GameData* game = GetGameData()) {
        char baseName[kManagedNameSize];
        GetApplicationName(baseName);
        GameDataSetConstruction(*game, baseName);
    }
    return SetFitWindowToDesktop(1);
}

Status CNimbrelWorld::OnMouseDown(float, float, uint32_t)
{
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseMove(float, float, uint32_t)
{
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseInput3(float, float, uint32_t)
{
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseUp(float, float, uint32_t)
{
    return kStatusOk;
}

Status CNimbrelWorld::OnGesture(float, float, float, float)
{
    return kStatusOk;
}

Status CNimbrelWorld::OnMouseWheel(float)
{
    return kStatusOk;
}
