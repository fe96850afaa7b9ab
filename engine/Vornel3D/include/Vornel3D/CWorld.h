#pragma once
// The engine world: owns the world data record that every engine object shares, the modules
// chosen by the registry (3D, audio, input, network), the maths object and the frame timer.
// The application's world derives from it (CManagedWorld, then the game world).
//
// Life: construct -> SetParameters (settings readers, pack, log path) -> RegisterModule ... and
// ValidPlatform -> Load -> Frame / OnMessage / Resize ... -> Unload -> delete.
//
// Module contract: the selected 3D entry creates a C3DEngine, the audio entry a CAudioEngine
// (VornelUtils/AudioEngine.h); the input and network entries create a CEngineModule
// (VornelUtils/EngineModule.h).
#include <cstdint>

#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"
#include "VornelUtils/WorldData.h"

class C3DEngine;
class C3DMath;
class CEngineModule;
class UtilsParameters;
class UtilsTimer;

// The engine key code (0..100) of a virtual key; 0 for a key outside the table.
uint8_t CWorld_EngineKey(uintptr_t virtualKey);

class CWorld : public CBaseObject {
public:
    // The argument is ignored: the world makes its own zeroed record.
    explicit CWorld(WorldData* pWorldData = nullptr);
    // Frees the record (Unload has released everything else).
    ~CWorld() override;

    // Modules, maths, timer, the world settings, the renderer's fog, point sprites and lights,
    // gamma, viewport and random seed. 0, or kStatusModuleMissing (no 3D module selected),
    // kStatusOutOfMemory, kStatusFailed; the code and text are latched in the record.
    virtual Status Load(void* pWindow, uint16_t virtualWidth, uint16_t virtualHeight, uint8_t colorDepth,
                        uint32_t displayValue, uint8_t fullScreen, uint8_t resizable, uint8_t verticalSync,
                        uint32_t orientation, const char16_t* dataPath, uint16_t realWidth,
                        uint16_t realHeight);
    // Releases and destroys every module, closes the pack, deletes the timer and the maths
    // object and frees the module lists. 0.
    virtual Status Unload();
    // One frame: timer; then, unless minimised, Update, the drawing while the can-render
    // counter is positive, and the per-frame input cleared. kStatusFailed when Update fails.
    virtual Status Frame();
    // Keyboard and mouse state from a window message; always kStatusFailed (not consumed).
    virtual Status OnMessage(const PlatformMessage* pMessage);
    // The window's client size and the real/virtual scale factors. 0.
    virtual Status Resize(int32_t realWidth, uint16_t realHeight, uint8_t applyViewport);
    // The view's update. 0.
    virtual Status Update();
    // Nothing in the engine world. 0.
    virtual Status Render();

    // Stores the readers and locators, copies the log path and opens the pack when its path
    // changed. kStatusPackMissing ("Missing file: %s") when the pack cannot be opened;
    // kStatusFailed when a path does not fit its field of the record.
    Status SetParameters(UtilsParameters* pWorldSettings, UtilsParameters* pAppSettings,
                         StaticLocatorFn pfnStaticLocator, const char16_t* packPath, uint32_t packStartOffset,
                         PackLocatorFn pfnPackLocator, const char16_t* logPath);

    C3DEngine* Get3DEngine() const { return m_p3DEngine; }
    CAudioEngine* GetAudioEngine() const { return static_cast<CAudioEngine*>(m_pAudioEngine); }
    CEngineModule* GetInputModule() const { return m_pInputModule; }
    CEngineModule* GetNetworkEngine() const { return m_pNetworkEngine; }
    C3DMath* GetMath() const { return m_p3DMath; }
    UtilsTimer* GetTimer() const { return m_pTimerFactor; }

protected:
    // The last error text, formatted into the record's 260 characters (cut to fit).
    void SetLastErrorText(const char16_t* format, ...);

    C3DEngine* m_p3DEngine = nullptr;
    CEngineModule* m_pAudioEngine = nullptr;
    CEngineModule* m_pInputModule = nullptr;
    CEngineModule* m_pNetworkEngine = nullptr;
    C3DMath* m_p3DMath = nullptr;
    UtilsTimer* m_pTimerFactor = nullptr;

private:
    Status CreateModules();
    void ReadWorldSettings();
    void LoadOptionalModule(int kind, CEngineModule*& pModule, void* pWindow);
    void DestroyModule(int kind, CBaseObject* pModule);
    void ClearFrameInput();
};
