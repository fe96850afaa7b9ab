#pragma once
// The DirectSound engine: the device at the priority level, a primary format of 16-bit stereo
// at 44100 Hz, and the listener of the 3D sounds without rolloff or Doppler shift. Its device
// record is published in the world data record's audio block; every sound takes the device
// from there.
#include <cstdint>

#include "DirectSoundHeaders.h"
#include "VornelUtils/AudioEngine.h"

// What the sounds take from the world data record's audio block.
struct AudioDeviceDX81 {
    IDirectSound8* pDevice;
    uint32_t applyMode;  // of every SetAllParameters: DS3D_IMMEDIATE
    IDirectSound3DListener* pListener;
    DS3DLISTENER listener;
};

class CAudioEngineDX81 : public CAudioEngine {
public:
    explicit CAudioEngineDX81(WorldData* pWorldData);
    ~CAudioEngineDX81() override;

    // The default device for the window (the desktop's when there is none). kStatusFailed, and
    // a log line, when there is no sound device.
    Status Init(void* pWindow) override;
    // Every sound, then the listener and the device. 0.
    Status Release() override;
    CAudioObject* CreateObject(uint32_t creationFlags, uint32_t playFlags) override;
    Status ReleaseObject(CAudioObject* pObject) override;

private:
    Status StartDevice(HWND window);

    AudioDeviceDX81 m_device;
};
