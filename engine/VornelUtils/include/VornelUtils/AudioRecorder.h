#pragma once
// An audio engine that plays nothing: its sounds keep the PCM streamed to them and report as
// played the milliseconds that their owner advances them by. The tool runs the video player
// through it faster than real time, and tests check with it what reaches a sound. It is no
// registered module.
#include <cstdint>
#include <vector>

#include "VornelUtils/AudioEngine.h"

class CAudioRecorderSound : public CAudioObject {
public:
    using CAudioObject::CAudioObject;

    Status Release() override;
    Status Play() override;
    Status Stop() override;
    Status Pause() override;
    float GetSpeed() override { return 1.0f; }
    Status SetSpeed(float) override { return kStatusOk; }
    float GetPan() override { return 0.0f; }
    Status SetPan(float) override { return kStatusOk; }
    float GetVolume() override { return m_volume; }
    Status SetVolume(float volume) override;
    bool IsLooping() override { return (m_playFlags & kAudioPlayLooping) != 0; }
    void SetLooping(bool looping) override;
    bool IsPlaying() override { return m_playing; }
    Status SetPosition(uint32_t) override { return kStatusOk; }
    // What Advance added while the sound played, once.
    uint32_t GetElapsedMs() override;
    uint32_t GetPositionMs() override { return m_playedMs; }
    Status Set3DPosition(float, float, float) override { return kStatusOk; }
    Status Set3DVelocity(float, float, float) override { return kStatusOk; }
    // 1 or 2 channels; starts an empty recording.
    Status CreateStream(uint32_t channels, uint32_t rate, uint32_t reserved1, uint32_t reserved2,
                        const char16_t* name) override;
    // Appends the chunk (kept only while KeepSamples is on; counted always).
    Status UpdateAudioFromRaw(uint32_t channels, uint32_t rate, uint32_t frames, const int16_t* samples) override;
    uint32_t GetRingSeconds() override { return 4; }
    bool IsLoaded() override { return m_channels != 0; }

    // Milliseconds that pass for the sound; they count only while it plays.
    void Advance(uint32_t ms);
    void KeepSamples(bool keep) { m_keep = keep; }

    uint32_t GetChannels() const { return m_channels; }
    uint32_t GetRate() const { return m_rate; }
    // The chunks streamed, their frames, and the samples kept (interleaved).
    uint32_t GetChunkCount() const { return m_chunks; }
    uint64_t GetFrameCount() const { return m_frames; }
    const std::vector<int16_t>& GetSamples() const { return m_samples; }
    int GetPlayCount() const { return m_plays; }
    int GetStopCount() const { return m_stops; }

private:
    uint32_t m_channels = 0, m_rate = 0;
    bool m_playing = false, m_keep = true;
    float m_volume = 1.0f;
    uint32_t m_pendingMs = 0, m_playedMs = 0;
    uint32_t m_chunks = 0;
    uint64_t m_frames = 0;
    std::vector<int16_t> m_samples;
    int m_plays = 0, m_stops = 0;
};

class CAudioRecorder : public CAudioEngine {
public:
    using CAudioEngine::CAudioEngine;
    CAudioObject* CreateObject(uint32_t creationFlags, uint32_t playFlags) override;
    Status ReleaseObject(CAudioObject* pObject) override { return RemoveObject(pObject); }
};
