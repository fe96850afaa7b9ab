#pragma once
// The "AL" audio module (audio descriptor id 3, "OpenAL 1.1") over OpenAL Soft. Its device
// record (the device and context) is published in the world data record's audio block for
// the sounds. Without a sound device Init fails and the world runs silent.
#include <cstdint>

#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/Status.h"

constexpr uint16_t kModuleAudioId_AL = 3;
// The mixing rate of the device, the primary format of the engine.
constexpr uint32_t kAudioMixRate = 44100;

// What the sounds take from the world data record's audio block.
struct AudioDeviceAL {
    void* pDevice;   // ALCdevice
    void* pContext;  // ALCcontext, current while the engine lives
    uint8_t loopback;
    uint8_t stereoAngles;  // stereo sounds can be panned
};

class CAudioEngineAL : public CAudioEngine {
public:
    explicit CAudioEngineAL(WorldData* pWorldData);
    ~CAudioEngineAL() override;

    // The default output device at 44100 Hz, listener without Doppler. kStatusFailed (and a log
    // line) when there is no device.
    Status Init(void* pWindow) override;
    // Every sound, then the context and the device. 0.
    Status Release() override;
    CAudioObject* CreateObject(uint32_t creationFlags, uint32_t playFlags) override;
    Status ReleaseObject(CAudioObject* pObject) override;

    // In place of Init: a loopback device rendering stereo floats at `rate` into memory
    // (RenderLoopback), for exact measurements. kStatusFailed when OpenAL lacks loopback.
    Status InitLoopback(uint32_t rate);
    // Mixes `frames` stereo frames into `out` (2 x frames floats). Loopback devices only.
    void RenderLoopback(float* out, uint32_t frames);

private:
    Status StartContext(void* pDevice, const int32_t* attributes);

    AudioDeviceAL m_device;
};

// A new OpenAL engine (a CAudioEngine); null when out of memory.
CBaseObject* CreateModuleAudio_AL(WorldData* pWorldData);
// Appends {descriptor 3 "AL", CreateModuleAudio_AL, ReleaseModule} to the audio module list.
// Out of memory or no record: 0x80000002 (latched when there is a record).
Status RegisterModuleAudio_AL(WorldData* pWorldData);
