#include "VornelAudio/CAudioObjectAL.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "ALHeaders.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "VornelAudio/CWaveFile.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;
constexpr float kStereoAngle = 0.52359877560f;  // pi / 6, where OpenAL places a stereo pair
constexpr int32_t kSilentAttenuation = -10000;
// The playback rates a sound accepts; 0 stands for the sound's own rate.
constexpr uint32_t kMinFrequency = 100;
constexpr uint32_t kMaxFrequency = 200000;
// A writer that gets this many rings ahead of the play position has its chunks refused.
constexpr uint32_t kStreamMaxRings = 2;
// A whole sound is read into its buffer in pieces of this size (a multiple of every frame size).
constexpr uint32_t kLoadPieceBytes = 1024 * 1024;

// OpenAL's format of 8- or 16-bit PCM in one or two channels; 0 for any other.
ALenum PcmFormat(uint32_t channels, uint32_t bits)
{
    if (channels == 1)
        return bits == 8 ? AL_FORMAT_MONO8 : bits == 16 ? AL_FORMAT_MONO16 : 0;
    if (channels == 2)
        return bits == 8 ? AL_FORMAT_STEREO8 : bits == 16 ? AL_FORMAT_STEREO16 : 0;
    return 0;
}

bool AlOk()
{
    return alGetError() == AL_NO_ERROR;
}

}  // namespace

CAudioObjectAL::CAudioObjectAL(WorldData* pWorldData, uint32_t creationFlags, uint32_t playFlags)
    : CAudioObject(pWorldData, creationFlags, playFlags)
{
}

CAudioObjectAL::~CAudioObjectAL()
{
    CAudioObjectAL::Release();
}

Status CAudioObjectAL::Release()
{
    alGetError();
    if (m_source) {
        alSourceStop(m_source);
        alSourcei(m_source, AL_BUFFER, 0);
        alDeleteSources(1, &m_source);
        m_source = 0;
    }
    if (m_buffer) {
        alDeleteBuffers(1, &m_buffer);
        m_buffer = 0;
    }
    for (const QueuedBuffer& queued : m_queue)
        alDeleteBuffers(1, &queued.name);
    for (uint32_t name : m_freeBuffers)
        alDeleteBuffers(1, &name);
    m_queue.clear();
    m_freeBuffers.clear();
    alGetError();
    m_stream = m_streamRunning = false;
    m_ringBytes = m_writePosition = m_queueStart = 0;
    m_queuedBytes = 0;
    m_lastPositionMs = 0;
    return Failed(CAudioObject::Release()) ? kStatusFailed : kStatusOk;
}

Status CAudioObjectAL::StartSource(uint32_t channels, uint32_t rate, uint32_t blockAlign)
{
    alGetError();
    alGenSources(1, &m_source);
    if (!AlOk()) {
        m_source = 0;
        return kStatusFailed;
    }
    m_channels = channels;
    m_rate = rate;
    m_blockAlign = blockAlign;
    m_frequency = rate;
    // Every sound is placed relative to the listener and keeps its level at any distance; a 2D
    // sound is moved around the listener by its pan.
    alSourcei(m_source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(m_source, AL_ROLLOFF_FACTOR, 0.0f);
    alSource3f(m_source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(m_source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    if (!AlOk())
        return kStatusFailed;
    SetPan(0.0f);
    SetVolume(1.0f);
    SetLooping((m_playFlags & kAudioPlayLooping) != 0);
    return kStatusOk;
}

Status CAudioObjectAL::LoadFromFile(const char16_t* path, uint8_t flag)
{
    if (Failed(Release()))
        return kStatusFailed;
    CAudioObject::LoadFromFile(path, flag);
    std::unique_ptr<CWaveFile> wave(new (std::nothrow) CWaveFile(m_pWorldData));
    if (!wave || Failed(wave->Open(path)) || !wave->GetFormat())
        return kStatusFailed;
    const WaveFormat& format = *wave->GetFormat();
    if (Is3D() && (format.formatTag != kWaveFormatPcm || format.channels > 1))
        return kStatusFailed;
    const ALenum alFormat = format.formatTag == kWaveFormatPcm ? PcmFormat(format.channels, format.bitsPerSample) : 0;
    const uint32_t frameBytes = format.channels * (format.bitsPerSample / 8u);
    if (!alFormat || format.samplesPerSec == 0 || format.blockAlign != frameBytes)
        return kStatusFailed;
    const uint32_t size = wave->GetSize() / frameBytes * frameBytes;
    if (size == 0)
        return kStatusFailed;

    // The buffer is sized once and filled a piece at a time from one small block, so a long
    // music costs no second copy of itself in memory.
    const uint32_t pieceSize = size < kLoadPieceBytes ? size : kLoadPieceBytes;
    uint8_t* piece = static_cast<uint8_t*>(UTILS_MALLOC(pieceSize));
    alGetError();
    alGenBuffers(1, &m_buffer);
    bool filled = AlOk() && piece;
    if (filled) {
        alBufferData(m_buffer, alFormat, nullptr, static_cast<ALsizei>(size), static_cast<ALsizei>(format.samplesPerSec));
        filled = AlOk();
    }
    bool readable = Succeeded(wave->ResetFile());
    for (uint32_t offset = 0; filled && offset < size; offset += pieceSize) {
        const uint32_t n = size - offset < pieceSize ? size - offset : pieceSize;
        // What the file does not hold plays as silence.
        uint32_t read = 0;
        if (readable && Failed(wave->Read(piece, n, &read)))
            readable = false;
        if (read < n)
            std::memset(piece + read, format.bitsPerSample == 8 ? 0x80 : 0, n - read);
        alBufferSubDataSOFT(m_buffer, alFormat, piece, static_cast<ALsizei>(offset), static_cast<ALsizei>(n));
        filled = AlOk();
    }
    UTILS_FREE(piece);
    if (!filled || Failed(StartSource(format.channels, format.samplesPerSec, frameBytes))) {
        Release();
        return kStatusFailed;
    }
    alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
    if (!AlOk()) {
        Release();
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CAudioObjectAL::MakeFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    Release();
    return CAudioObject::MakeFromAddress(data, size, name);
}

Status CAudioObjectAL::LoadFromPacker(PackRecord* pEntry)
{
    Release();
    return CAudioObject::LoadFromPacker(pEntry);
}

Status CAudioObjectAL::Play()
{
    if (!m_source)
        return kStatusOk;
    alGetError();
    if (m_stream) {
        // A stream resumes where its clock stands; it sounds once data is queued.
        ReclaimStreamBuffers();
        m_streamRunning = true;
        if (!m_queue.empty())
            alSourcePlay(m_source);
    } else {
        alSourceRewind(m_source);
        alSourcePlay(m_source);
    }
    return AlOk() ? kStatusOk : kStatusFailed;
}

Status CAudioObjectAL::Stop()
{
    if (!m_source)
        return kStatusOk;
    if (m_stream)
        return Pause();
    alSourceStop(m_source);
    alSourceRewind(m_source);
    return kStatusOk;
}

Status CAudioObjectAL::Pause()
{
    if (!m_source)
        return kStatusOk;
    m_streamRunning = false;
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING)
        alSourcePause(m_source);
    return kStatusOk;
}

float CAudioObjectAL::GetSpeed()
{
    return static_cast<float>(m_frequency) * (1.0f / 44100.0f);
}

Status CAudioObjectAL::SetSpeed(float ratio)
{
    if (!m_source || !(ratio >= 0.0f) || ratio * 44100.0f >= float(kMaxFrequency) + 1.0f)
        return kStatusFailed;
    uint32_t frequency = static_cast<uint32_t>(ratio * 44100.0f);
    if (frequency == 0)
        frequency = m_rate;
    if (frequency < kMinFrequency)
        return kStatusFailed;
    m_frequency = frequency;
    alSourcef(m_source, AL_PITCH, static_cast<float>(m_frequency) / static_cast<float>(m_rate));
    return kStatusOk;
}

float CAudioObjectAL::GetPan()
{
    return Is3D() ? 0.0f : static_cast<float>(m_pan) * 0.0001f;
}

Status CAudioObjectAL::SetPan(float pan)
{
    if (Is3D())
        return kStatusOk;
    if (!m_source)
        return kStatusFailed;
    if (!(pan >= -1.0f))  // NaN too
        pan = -1.0f;
    if (pan > 1.0f)
        pan = 1.0f;
    m_pan = static_cast<int32_t>(pan * 10000.0f);
    const float position = static_cast<float>(m_pan) * 0.0001f;
    if (m_channels == 1) {
        // A mono sound on the circle around the listener: ahead at 0, at the ears at -1 and +1.
        const float angle = position * kHalfPi;
        alSource3f(m_source, AL_POSITION, std::sin(angle), 0.0f, -std::cos(angle));
    } else if (auto* device = m_pWorldData ? static_cast<AudioDeviceAL*>(m_pWorldData->pAudioBlock) : nullptr;
               device && device->stereoAngles) {
        // The pair swings towards one side until both channels come from it.
        const float side = position < 0.0f ? kHalfPi : -kHalfPi;
        const float amount = std::fabs(position);
        const ALfloat angles[2] = {kStereoAngle + amount * (side - kStereoAngle),
                                   -kStereoAngle + amount * (side + kStereoAngle)};
        alSourcefv(m_source, AL_STEREO_ANGLES, angles);
    }
    return AlOk() ? kStatusOk : kStatusFailed;
}

float CAudioObjectAL::GetVolume()
{
    return 1.0f + 0.0005f * static_cast<float>(m_attenuation);
}

Status CAudioObjectAL::SetVolume(float volume)
{
    if (!m_source)
        return kStatusOk;
    if (!(volume >= 0.0f))
        volume = 0.0f;
    if (volume > 1.0f)
        volume = 1.0f;
    const float curve = UtilsEasing_OutExpo(volume);
    m_attenuation = static_cast<int32_t>((1.0f - curve) * static_cast<float>(kSilentAttenuation));
    alSourcef(m_source, AL_GAIN, static_cast<float>(std::pow(10.0, m_attenuation / 2000.0)));
    return AlOk() ? kStatusOk : kStatusFailed;
}

bool CAudioObjectAL::IsLooping()
{
    return (m_playFlags & kAudioPlayLooping) != 0;
}

void CAudioObjectAL::SetLooping(bool looping)
{
    if (looping)
        m_playFlags |= kAudioPlayLooping;
    else
        m_playFlags &= ~kAudioPlayLooping;
    // A playing sound keeps its position; a stream's queue never loops.
    if (m_source && !m_stream)
        alSourcei(m_source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
}

bool CAudioObjectAL::IsPlaying()
{
    if (!m_source)
        return false;
    if (m_stream)
        return m_streamRunning;
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

Status CAudioObjectAL::SetPosition(uint32_t bytes)
{
    if (!m_source)
        return kStatusOk;
    if (m_stream)
        return kStatusFailed;  // the ring's position follows what was written
    alGetError();
    alSourcei(m_source, AL_SAMPLE_OFFSET, static_cast<ALint>(bytes / m_blockAlign));
    return AlOk() ? kStatusOk : kStatusFailed;
}

void CAudioObjectAL::ReclaimStreamBuffers()
{
    ALint processed = 0;
    alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0 && !m_queue.empty()) {
        QueuedBuffer played = m_queue.front();
        alSourceUnqueueBuffers(m_source, 1, &played.name);
        m_queue.erase(m_queue.begin());
        m_freeBuffers.push_back(played.name);
        m_queueStart = static_cast<uint32_t>((uint64_t(m_queueStart) + played.bytes) % m_ringBytes);
        m_queuedBytes -= played.bytes;
    }
}

uint64_t CAudioObjectAL::GetCursorBytes()
{
    if (!m_stream) {
        ALint offset = 0;
        alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
        return uint64_t(offset > 0 ? offset : 0) * m_blockAlign;
    }
    ReclaimStreamBuffers();
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING && state != AL_PAUSED)
        return m_queueStart;  // nothing started from the queue yet, or it ran dry there
    // The offset counts from the first buffer still queued, where the queue starts.
    ALint offset = 0;
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
    return (uint64_t(m_queueStart) + uint64_t(offset > 0 ? offset : 0) * m_blockAlign) % m_ringBytes;
}

uint32_t CAudioObjectAL::GetPositionMs()
{
    if (!m_source)
        return 0;
    const uint64_t bytesPerSecond = uint64_t(m_blockAlign) * m_rate;
    return static_cast<uint32_t>(GetCursorBytes() * 1000 / bytesPerSecond);
}

uint32_t CAudioObjectAL::GetElapsedMs()
{
    const uint32_t position = GetPositionMs();
    const uint32_t elapsed = position >= m_lastPositionMs
                                 ? position - m_lastPositionMs
                                 : GetRingSeconds() * 1000 - m_lastPositionMs + position;
    m_lastPositionMs = position;
    return elapsed;
}

Status CAudioObjectAL::Set3DPosition(float x, float y, float z)
{
    if (!Is3D())
        return SetPan(x);
    if (!m_source)
        return kStatusFailed;
    // The game's z points ahead of the listener; OpenAL's points behind.
    alSource3f(m_source, AL_POSITION, x, y, -z);
    return AlOk() ? kStatusOk : kStatusFailed;
}

Status CAudioObjectAL::Set3DVelocity(float x, float y, float z)
{
    if (!Is3D())
        return kStatusOk;
    if (!m_source)
        return kStatusFailed;
    alSource3f(m_source, AL_VELOCITY, x, y, -z);
    return AlOk() ? kStatusOk : kStatusFailed;
}

Status CAudioObjectAL::CreateStream(uint32_t channels, uint32_t rate, uint32_t reserved1, uint32_t reserved2,
                                    const char16_t* name)
{
    if (Failed(Release()))
        return kStatusFailed;
    CAudioObject::CreateStream(channels, rate, reserved1, reserved2, name);
    const uint64_t ringBytes = uint64_t(channels) * rate * 2 * kAudioRingSeconds;
    if ((channels != 1 && channels != 2) || rate < kMinFrequency || ringBytes > 0x7FFFFFFFu)
        return kStatusFailed;
    m_stream = true;  // before the source starts: a stream's queue never loops
    m_ringBytes = static_cast<uint32_t>(ringBytes);
    if (Failed(StartSource(channels, rate, channels * 2))) {
        Release();
        return kStatusFailed;
    }
    return kStatusOk;
}

Status CAudioObjectAL::UpdateAudioFromRaw(uint32_t channels, uint32_t rate, uint32_t frames, const int16_t* samples)
{
    if (!m_stream || !samples || channels != m_channels || rate != m_rate)
        return kStatusFailed;
    ReclaimStreamBuffers();
    // A chunk is at most one ring long.
    uint64_t bytes = uint64_t(channels) * frames * 2;
    if (bytes > m_ringBytes)
        bytes = m_ringBytes;
    if (bytes == 0)
        return kStatusOk;
    if (m_queuedBytes + bytes > m_ringBytes) {
        Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
            u"# CAudioObjectAL::UpdateAudioFromRaw error buffer overrun\n");
        if (m_queuedBytes + bytes > uint64_t(m_ringBytes) * kStreamMaxRings)
            return kStatusFailed;
    }
    alGetError();
    uint32_t name = 0;
    if (!m_freeBuffers.empty()) {
        name = m_freeBuffers.back();
        m_freeBuffers.pop_back();
    } else {
        alGenBuffers(1, &name);
        if (!AlOk())
            return kStatusFailed;
    }
    alBufferData(name, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, samples, static_cast<ALsizei>(bytes),
                 static_cast<ALsizei>(rate));
    alSourceQueueBuffers(m_source, 1, &name);
    if (!AlOk()) {
        m_freeBuffers.push_back(name);
        return kStatusFailed;
    }
    m_queue.push_back({name, static_cast<uint32_t>(bytes)});
    m_queuedBytes += bytes;
    m_writePosition = static_cast<uint32_t>((uint64_t(m_writePosition) + bytes) % m_ringBytes);
    // A running stream that had run dry starts again with the new data.
    ALint state = AL_INITIAL;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    if (m_streamRunning && state != AL_PLAYING)
        alSourcePlay(m_source);
    return AlOk() ? kStatusOk : kStatusFailed;
}
