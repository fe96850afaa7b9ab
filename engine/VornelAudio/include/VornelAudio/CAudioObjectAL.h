#pragma once
// A sound over OpenAL, with the rules the game was written for: volume in hundredths of a
// decibel on an exponential curve, pan from -1 to +1, speed as a playback frequency over
// 44100 Hz, Play and Stop rewinding and Pause keeping the position. A whole WAV file plays
// from one buffer; a stream is a four-second ring of 16-bit PCM that its owner writes ahead
// of the play position, kept as a queue of buffers (silence once the written data ran out).
// 3D sounds are mono, placed relative to the listener, without distance attenuation.
#include <cstdint>
#include <vector>

#include "VornelUtils/AudioEngine.h"

constexpr uint32_t kAudioRingSeconds = 4;

class CAudioObjectAL : public CAudioObject {
public:
    CAudioObjectAL(WorldData* pWorldData, uint32_t creationFlags, uint32_t playFlags);
    ~CAudioObjectAL() override;

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
    uint32_t GetRingSeconds() override { return kAudioRingSeconds; }
    Status MakeFromAddress(const void* data, uint32_t size, const char16_t* name) override;
    Status LoadFromPacker(PackRecord* pEntry) override;
    Status LoadFromFile(const char16_t* path, uint8_t flag) override;
    bool IsLoaded() override { return m_source != 0; }

    // A stream's write position, bytes into the ring.
    uint32_t GetWritePosition() const { return m_writePosition; }
    // The attenuation in hundredths of a decibel (0 full, -10000 silent).
    int32_t GetAttenuation() const { return m_attenuation; }

private:
    // The source's settings for a new sound: relative to the listener, no rolloff, pan 0,
    // volume 1, the looping of the play flags. kStatusFailed when OpenAL refuses.
    Status StartSource(uint32_t channels, uint32_t rate, uint32_t blockAlign);
    // Unqueues the stream buffers already played; the queue's start moves past them.
    void ReclaimStreamBuffers();
    // Where the play cursor stands, bytes into the buffer or the ring.
    uint64_t GetCursorBytes();

    uint32_t m_source = 0;
    uint32_t m_buffer = 0;  // the whole sound; 0 for a stream
    uint32_t m_channels = 0;
    uint32_t m_rate = 0;
    uint32_t m_blockAlign = 0;
    uint32_t m_frequency = 0;  // the playback rate in Hz
    int32_t m_attenuation = 0;
    int32_t m_pan = 0;         // hundredths of a percent, -10000 left .. 10000 right
    uint32_t m_lastPositionMs = 0;

    // The stream: the ring, where the next write goes, where the queue starts and what it holds.
    bool m_stream = false;
    bool m_streamRunning = false;  // between Play and Stop / Pause
    uint32_t m_ringBytes = 0;
    uint32_t m_writePosition = 0;
    uint32_t m_queueStart = 0;
    uint64_t m_queuedBytes = 0;
    struct QueuedBuffer {
        uint32_t name;
        uint32_t bytes;
    };
    std::vector<QueuedBuffer> m_queue;  // in play order
    std::vector<uint32_t> m_freeBuffers;
};
