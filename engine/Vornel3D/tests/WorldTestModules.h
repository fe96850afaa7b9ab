#pragma once
// Modules of the world's tests, registered through the registry like real ones: a 3D engine
// that counts what the world asks of it and a plain module for the audio, input and network
// kinds. Faults can be switched on before the world loads.
#include <cstdint>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DView.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/WorldData.h"

struct WorldTestLog {
    int engines = 0;       // alive
    int modules = 0;       // alive
    int loads = 0;
    int unloads = 0;
    int fogs = 0;
    int pointSprites = 0;
    int lightCalls = 0;
    int32_t lightCount = 0;
    int beginScenes = 0;
    int endScenes = 0;
    int gammaRamps = 0;
    int viewUpdates = 0;
    int moduleInits = 0;
    int moduleReleases = 0;
    int32_t viewport[4] = {0, 0, 0, 0};
    uint32_t orientation = 0;

    bool failLoad = false;
    bool failFog = false;
    bool failBeginScene = false;
    bool failModuleInit = false;
    bool failModuleCreate = false;
};

// The counters and switches of the current test (reset by ResetWorldTestLog).
WorldTestLog& TestLog();
void ResetWorldTestLog();

class CTestView : public C3DView {
public:
    explicit CTestView(WorldData* pWorldData) : C3DView(pWorldData) {}
    Status UpdateView() override;
    Status SetGammaRamp() override;
    Status SetOrientation(uint32_t mode) override;
    Status SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
};

class CTestEngine : public C3DEngine {
public:
    explicit CTestEngine(WorldData* pWorldData);
    ~CTestEngine() override;

    Status Load(void* pWindow) override;
    Status Unload() override;
    Status SetLight(uint32_t) override { return kStatusOk; }
    Status SetLights(int32_t count) override;
    Status SetPointSpriteParameters() override;
    Status SetFog() override;
    Status SetSrcBlend(uint32_t) override { return kStatusOk; }
    Status SetDestBlend(uint32_t) override { return kStatusOk; }
    Status SetDepthFunc(uint32_t) override { return kStatusOk; }
    Status SetAlphaFunc(uint32_t, uint8_t) override { return kStatusOk; }
    Status SetColorMask(uint8_t, uint8_t, uint8_t, uint8_t) override { return kStatusOk; }
    Status BeginScene() override;
    Status EndScene() override;
    C3DObject* CreateObject(uint32_t, uint32_t) override { return nullptr; }
    C3DObjectIndex* CreateObjectIndex(uint32_t, uint32_t) override { return nullptr; }
    C3DTexture* CreateTexture(uint32_t, uint32_t) override { return nullptr; }
    C3DShader* CreateShader(uint32_t, uint32_t) override { return nullptr; }
    C3DStencilShadow* CreateStencilShadow(uint32_t, uint32_t) override { return nullptr; }
    Status IsStencilSupported() override { return kStatusOk; }
    Status IsShaderSupported() override { return kStatusFailed; }
};

// An audio engine without sounds serves every optional kind (an audio entry must make one).
class CTestModule : public CAudioEngine {
public:
    explicit CTestModule(WorldData* pWorldData);
    ~CTestModule() override;
    Status Init(void* pWindow) override;
    Status Release() override;
    CAudioObject* CreateObject(uint32_t, uint32_t) override { return nullptr; }
    Status ReleaseObject(CAudioObject* pObject) override { return RemoveObject(pObject); }
};

CBaseObject* CreateTestEngine(WorldData* pWorldData);
CBaseObject* CreateTestModule(WorldData* pWorldData);

// Registers the test engine as renderer "GL" (id 5) and, when asked, the test module as audio
// "AL" (id 3) and network "OS" (id 1).
void RegisterTestModules(WorldData* pWorldData, bool withAudio, bool withNetwork);
