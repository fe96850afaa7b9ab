#include "VornelUtils/AudioRecorder.h"

#include <new>

Status CAudioRecorderSound::Release()
{
    m_channels = m_rate = 0;
    m_playing = false;
    m_pendingMs = m_playedMs = 0;
    return CAudioObject::Release();
}

Status CAudioRecorderSound::Play()
{
    ++m_plays;
    m_playing = IsLoaded();
    return kStatusOk;
}

Status CAudioRecorderSound::Stop()
{
    ++m_stops;
    m_playing = false;
    return kStatusOk;
}

Status CAudioRecorderSound::Pause()
{
    m_playing = false;
    return kStatusOk;
}

Status CAudioRecorderSound::SetVolume(float volume)
{
    m_volume = volume;
    return kStatusOk;
}

void CAudioRecorderSound::SetLooping(bool looping)
{
    m_playFlags = looping ? m_playFlags | kAudioPlayLooping : m_playFlags & ~kAudioPlayLooping;
}

uint32_t CAudioRecorderSound::GetElapsedMs()
{
    const uint32_t elapsed = m_pendingMs;
    m_pendingMs = 0;
    return elapsed;
}

void CAudioRecorderSound::Advance(uint32_t ms)
{
    if (m_playing) {
        m_pendingMs += ms;
        m_playedMs += ms;
    }
}

Status CAudioRecorderSound::CreateStream(uint32_t channels, uint32_t rate, uint32_t reserved1, uint32_t reserved2,
                                         const char16_t* name)
{
    Release();
    if ((channels != 1 && channels != 2) || rate == 0)
        return kStatusFailed;
    m_channels = channels;
    m_rate = rate;
    m_chunks = 0;
    m_frames = 0;
    m_samples.clear();
    return CAudioObject::CreateStream(channels, rate, reserved1, reserved2, name);
}

Status CAudioRecorderSound::UpdateAudioFromRaw(uint32_t channels, uint32_t rate, uint32_t frames,
                                               const int16_t* samples)
{
    if (!IsLoaded() || channels != m_channels || rate != m_rate || !samples)
        return kStatusFailed;
    ++m_chunks;
    m_frames += frames;
    if (m_keep)
        m_samples.insert(m_samples.end(), samples, samples + size_t(frames) * channels);
    return kStatusOk;
}

CAudioObject* CAudioRecorder::CreateObject(uint32_t creationFlags, uint32_t playFlags)
{
    auto* sound = new (std::nothrow) CAudioRecorderSound(m_pWorldData, creationFlags, playFlags);
    return sound ? AdoptObject(sound) : nullptr;
}
