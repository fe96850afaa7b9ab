#include "ToolBoxTestWorld.h"

#include "VornelUtils/RegisterModules.h"

RecordingEngineLog& EngineLog()
{
    static RecordingEngineLog log;
    return log;
}

Status CRecordingEngine::Invalidate(uint32_t value)
{
    ++EngineLog().invalidates;
    EngineLog().lastChanged = value;
    return EngineLog().failInvalidate ? kStatusFailed : C3DEngine::Invalidate(value);
}

Status CRecordingEngine::Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                              uint8_t colorDepth, uint32_t extra)
{
    ++EngineLog().inits;
    EngineLog().lastChanged = extra;
    return C3DEngine::Init(pWindow, width, height, fullscreen, colorDepth, extra);
}

namespace {

CBaseObject* CreateRecordingEngine(WorldData* pWorldData)
{
    return new CRecordingEngine(pWorldData);
}

}  // namespace

Status CTestManagedWorld::ChangeDisplayMode(const char16_t* className, const char16_t* appName, uint8_t fullScreen,
                                            uint8_t keepWindow, const void* pMenu)
{
    if (!countDisplaySwitches)
        return CManagedWorld::ChangeDisplayMode(className, appName, fullScreen, keepWindow, pMenu);
    ++displaySwitches;
    return displaySwitchResult;
}

Status CTestManagedWorld::LoadWithEngine(uint16_t rendererId, uint16_t width, uint16_t height,
                                         uint16_t virtualWidth, uint16_t virtualHeight)
{
    WorldData* w = GetWorldData();
    ModuleEntry* entry = RegisterModule(kModule3D, w);
    if (!entry)
        return kStatusOutOfMemory;
    entry->pDescriptor = FindModuleDescriptor(kModule3D, rendererId);
    entry->pfnCreate = rendererModule ? rendererModule : CreateRecordingEngine;
    entry->pfnDestroy = ReleaseModule;
    if (audioModule) {
        ModuleEntry* audio = RegisterModule(kModuleAudio, w);
        if (!audio)
            return kStatusOutOfMemory;
        audio->pDescriptor = FindModuleDescriptor(kModuleAudio, 3);
        audio->pfnCreate = audioModule;
        audio->pfnDestroy = ReleaseModule;
    }
    if (Failed(ValidPlatform(rendererId, audioModule ? 3 : 0, 0, 0, w)))
        return kStatusFailed;
    return Load(window, width, height, 32, 0, 0, 0, 0, 1, u"", virtualWidth, virtualHeight);
}

PlatformMessage Message(uint32_t message, uintptr_t wParam, intptr_t lParam, PlatformWindow* window)
{
    PlatformMessage m{};
    m.window = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}
