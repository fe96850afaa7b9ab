#pragma once
// A sound over DirectSound 8, with the rules the game was written for: volume in hundredths of
// a decibel on an exponential curve, pan from -1 to +1, speed as a playback frequency over
// 44100 Hz, Play and Stop rewinding and Pause keeping the position. A whole WAV file plays from
// one secondary buffer; a stream is a looping four-second ring of 16-bit PCM that its owner
// writes ahead of the play cursor on the frame thread. 3D sounds are mono and head-relative.
#include <cstdint>

#include "DirectSoundHeaders.h"
#include "VornelUtils/AudioEngine.h"

class CWaveFile;

constexpr uint32_t kAudioRingSecondsDX81 = 4;

class CAudioObjectDX81 : public CAudioObject {
public:
    CAudioObjectDX81(WorldData* pWorldData, uint32_t creationFlags, uint32_t playFlags);
    ~CAudioObjectDX81() override;

    Status Release() override;
    Status Play() override;
    Status Stop() override;
    Status Pause() override;
    float GetSpeed() override;
    Status SetSpeed(float ratio) override;
    float GetPan() override;
    Status SetPan(float pan) override;
    float GetVolume() override;
    Status SetVolume(float volume) override;
    bool IsLooping() override;
    void SetLooping(bool looping) override;
    bool IsPlaying() override;
    Status SetPosition(uint32_t bytes) override;
    uint32_t GetElapsedMs() override;
    uint32_t GetPositionMs() override;
    Status Set3DPosition(float x, float y, float z) override;
    Status Set3DVelocity(float x, float y, float z) override;
    Status CreateStream(uint32_t channels, uint32_t rate, uint32_t reserved1, uint32_t reserved2,
                        const char16_t* name) override;
    Status UpdateAudioFromRaw(uint32_t channels, uint32_t rate, uint32_t frames, const int16_t* samples) override;
    uint32_t GetRingSeconds() override { return kAudioRingSecondsDX81; }
    Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name) override;
    Status LoadFromPacker(PackRecord* pEntry) override;
    Status LoadFromFile(const char16_t* path, uint8_t flag) override;
    bool IsLoaded() override { return m_pBuffer != nullptr; }

    // A stream's write position, bytes into the ring.
    uint32_t GetWritePosition() const { return m_writePosition; }
    // The attenuation set last, in hundredths of a decibel (0 full, -10000 silent).
    int32_t GetAttenuation() const { return m_attenuation; }
    // The pan set last in DirectSound's units (-10000 left .. 10000 right).
    int32_t GetPanUnits() const { return m_panUnits; }

private:
    IDirectSound8* Device() const;
    // Restores a buffer the device took back. kStatusFailed when it cannot be had again.
    Status RestoreBuffer();
    // The whole buffer from the reader's data; what the file lacks is silence.
    void FillFromWave(CWaveFile& wave, uint32_t size, uint16_t bits);
    // Silence over `length` bytes of the ring from `offset`, across its end.
    void SilenceRing(uint32_t offset, uint32_t length);
    // Follows a stream's play cursor: what it played since the last look is silenced, so a
    // writer that falls silent is never heard again a ring later.
    void FollowStream();

    IDirectSoundBuffer* m_pBuffer = nullptr;
    IDirectSound3DBuffer* m_p3DBuffer = nullptr;
    DS3DBUFFER m_3DParameters{};
    uint32_t m_applyMode = DS3D_IMMEDIATE;
    uint32_t m_lastPositionMs = 0;
    uint32_t m_blockAlign = 0;
    uint32_t m_rate = 0;
    int32_t m_attenuation = 0;
    int32_t m_panUnits = 0;

    // The stream: its ring, where the next chunk goes, where the play cursor stood at the last
    // look and how much of what was written it has not played yet.
    bool m_stream = false;
    uint32_t m_channels = 0;
    uint32_t m_ringBytes = 0;
    uint32_t m_writePosition = 0;
    uint32_t m_lastCursor = 0;
    uint32_t m_pendingBytes = 0;
};
