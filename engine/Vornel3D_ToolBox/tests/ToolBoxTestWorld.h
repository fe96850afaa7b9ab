#pragma once
// A managed world for the toolbox tests: it records what reaches the game's operations, and a
// 3D engine module that records what the world asks of it, registered under any renderer id.
#include <cstdint>
#include <vector>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"

struct RecordingEngineLog {
    int invalidates = 0;
    int inits = 0;
    uint32_t lastChanged = 0xFFFFFFFF;
    bool failInvalidate = false;
};
RecordingEngineLog& EngineLog();

class CRecordingEngine : public C3DEngine {
public:
    explicit CRecordingEngine(WorldData* pWorldData) : C3DEngine(pWorldData) {}
    Status Invalidate(uint32_t value) override;
    Status Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                uint32_t extra) override;
    Status SetLight(uint32_t) override { return kStatusOk; }
    Status SetPointSpriteParameters() override { return kStatusOk; }
    Status SetFog() override { return kStatusOk; }
    Status SetSrcBlend(uint32_t) override { return kStatusOk; }
    Status SetDestBlend(uint32_t) override { return kStatusOk; }
    Status SetDepthFunc(uint32_t) override { return kStatusOk; }
    Status SetAlphaFunc(uint32_t, uint8_t) override { return kStatusOk; }
    Status SetColorMask(uint8_t, uint8_t, uint8_t, uint8_t) override { return kStatusOk; }
    C3DObject* CreateObject(uint32_t, uint32_t) override { return nullptr; }
    C3DObjectIndex* CreateObjectIndex(uint32_t, uint32_t) override { return nullptr; }
    C3DTexture* CreateTexture(uint32_t, uint32_t) override { return nullptr; }
    C3DShader* CreateShader(uint32_t, uint32_t) override { return nullptr; }
    C3DStencilShadow* CreateStencilShadow(uint32_t, uint32_t) override { return nullptr; }
    Status IsStencilSupported() override { return kStatusOk; }
    Status IsShaderSupported() override { return kStatusFailed; }
};

struct PointerCall {
    char kind;  // 'd' down, 'm' move, 'u' up, 'w' wheel
    float x, y;
};

class CTestManagedWorld : public CManagedWorld {
public:
    CTestManagedWorld() { SetPlatformIndex(0); }

    Status Prepare(uint32_t) override { return kStatusOk; }
    Status LoadOptions(const char16_t*, const char16_t*, uint32_t, uint32_t, uint32_t) override { return kStatusOk; }
    Status SaveOptions() override { return kStatusOk; }
    Status OnMouseDown(float x, float y, uint32_t) override { return Record('d', x, y); }
    Status OnMouseMove(float x, float y, uint32_t) override { return Record('m', x, y); }
    Status OnMouseInput3(float, float, uint32_t) override { return kStatusOk; }
    Status OnMouseUp(float x, float y, uint32_t) override { return Record('u', x, y); }
    Status OnGesture(float, float, float, float) override { return kStatusOk; }
    Status OnMouseWheel(float delta) override { return Record('w', delta, 0.0f); }

    // Counts the display switches instead of making them when asked to.
    Status ChangeDisplayMode(const char16_t* className, const char16_t* appName, uint8_t fullScreen,
                             uint8_t keepWindow, const void* pMenu) override;

    // Registers the recording engine (or rendererModule) under this renderer id (and
    // audioModule, when set, as audio "AL"), selects it and loads the world at a window of
    // width x height over a virtual screen of virtualWidth x virtualHeight.
    Status LoadWithEngine(uint16_t rendererId, uint16_t width, uint16_t height, uint16_t virtualWidth,
                          uint16_t virtualHeight);

    std::vector<PointerCall> calls;
    ModuleCreateFn audioModule = nullptr;
    // The renderer LoadWithEngine registers instead of the recording engine, and its window.
    ModuleCreateFn rendererModule = nullptr;
    void* window = nullptr;
    bool countDisplaySwitches = false;
    int displaySwitches = 0;
    Status displaySwitchResult = kStatusOk;

private:
    Status Record(char kind, float x, float y)
    {
        calls.push_back({kind, x, y});
        return kStatusOk;
    }
};

// A message record for the world.
PlatformMessage Message(uint32_t message, uintptr_t wParam, intptr_t lParam, PlatformWindow* window = nullptr);
