#include "CAudioObjectDX81.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "CAudioEngineDX81.h"
#include "VornelAudio/CWaveFile.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr int32_t kSilentAttenuation = -10000;
constexpr float kReferenceRate = 44100.0f;
// A lost buffer is asked back this many times, 10 ms apart, before the write gives up.
constexpr int kRestoreAttempts = 100;
constexpr DWORD kControls2D = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
constexpr DWORD kControls3D = DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME;

// A copy of both locked parts of `bytes` from `source`; the part beyond the ring's end goes to
// its start.
void CopyLocked(void* first, DWORD firstBytes, void* second, DWORD secondBytes, const uint8_t* source)
{
    std::memcpy(first, source, firstBytes);
    if (second && secondBytes)
        std::memcpy(second, source + firstBytes, secondBytes);
}

}  // namespace

CAudioObjectDX81::CAudioObjectDX81(WorldData* pWorldData, uint32_t creationFlags, uint32_t playFlags)
    : CAudioObject(pWorldData, creationFlags, playFlags)
{
}

CAudioObjectDX81::~CAudioObjectDX81()
{
    CAudioObjectDX81::Release();
}

IDirectSound8* CAudioObjectDX81::Device() const
{
    const auto* device = m_pWorldData ? static_cast<const AudioDeviceDX81*>(m_pWorldData->pAudioBlock) : nullptr;
    return device ? device->pDevice : nullptr;
}

Status CAudioObjectDX81::Release()
{
    if (m_p3DBuffer) {
        m_p3DBuffer->Release();
        m_p3DBuffer = nullptr;
    }
    if (m_pBuffer) {
        m_pBuffer->Release();
        m_pBuffer = nullptr;
    }
    m_stream = false;
    m_channels = m_ringBytes = m_writePosition = m_lastCursor = m_pendingBytes = 0;
    m_blockAlign = m_rate = 0;
    m_lastPositionMs = 0;
    return Failed(CAudioObject::Release()) ? kStatusFailed : kStatusOk;
}

Status CAudioObjectDX81::RestoreBuffer()
{
    DWORD status = 0;
    if (FAILED(m_pBuffer->GetStatus(&status)))
        return kStatusFailed;
    if (!(status & DSBSTATUS_BUFFERLOST))
        return kStatusOk;
    // The device comes back when the application that held it lets go; a device that never
    // does leaves the sound as it is rather than the frame waiting for ever.
    for (int attempt = 0; attempt < kRestoreAttempts; ++attempt) {
        const HRESULT result = m_pBuffer->Restore();
        if (result == DS_OK)
            return kStatusOk;
        if (result == DSERR_BUFFERLOST)
            Sleep(10);
    }
    return kStatusFailed;
}

void CAudioObjectDX81::FillFromWave(CWaveFile& wave, uint32_t size, uint16_t bits)
{
    if (Failed(RestoreBuffer()))
        return;
    void* region = nullptr;
    DWORD locked = 0;
    if (FAILED(m_pBuffer->Lock(0, size, &region, &locked, nullptr, nullptr, 0)))
        return;
    uint32_t filled = 0;
    if (Succeeded(wave.ResetFile())) {
        auto* bytes = static_cast<uint8_t*>(region);
        uint32_t read = 0;
        while (filled < locked && Succeeded(wave.Read(bytes + filled, locked - filled, &read)) && read > 0)
            filled += read;
    }
    // What the file does not hold plays as silence.
    std::memset(static_cast<uint8_t*>(region) + filled, bits == 8 ? 0x80 : 0, locked - filled);
    m_pBuffer->Unlock(region, locked, nullptr, 0);
}

Status CAudioObjectDX81::LoadFromFile(const char16_t* path, uint8_t flag)
{
    if (Failed(Release()))
        return kStatusFailed;
    CAudioObject::LoadFromFile(path, flag);
    IDirectSound8* device = Device();
    std::unique_ptr<CWaveFile> wave(new (std::nothrow) CWaveFile(m_pWorldData));
    if (!device || !wave || Failed(wave->Open(path)) || !wave->GetFormat())
        return kStatusFailed;
    const WaveFormat& source = *wave->GetFormat();
    if (Is3D() && (source.formatTag != kWaveFormatPcm || source.channels > 1))
        return kStatusFailed;
    // The buffer holds whole frames only; a file without any is refused.
    const uint32_t size = source.blockAlign ? wave->GetSize() / source.blockAlign * source.blockAlign : 0;
    if (size == 0 || size > DSBSIZE_MAX)
        return kStatusFailed;

    // The file's format as DirectSound reads it: the 18-byte record and its extra bytes.
    std::vector<uint8_t> formatBytes(sizeof(WAVEFORMATEX) + source.extraSize);
    auto* format = reinterpret_cast<WAVEFORMATEX*>(formatBytes.data());
    format->wFormatTag = source.formatTag;
    format->nChannels = source.channels;
    format->nSamplesPerSec = source.samplesPerSec;
    format->nAvgBytesPerSec = source.avgBytesPerSec;
    format->nBlockAlign = source.blockAlign;
    format->wBitsPerSample = source.bitsPerSample;
    format->cbSize = source.extraSize;
    std::memcpy(formatBytes.data() + sizeof(WAVEFORMATEX), source.Extra(), source.extraSize);

    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = Is3D() ? kControls3D : kControls2D;
    description.dwBufferBytes = size;
    description.lpwfxFormat = format;
    // A 2D sound keeps the null algorithm of the zeroed description.
    if (Is3D())
        description.guid3DAlgorithm = DS3DALG_HRTF_FULL;
    if (FAILED(device->CreateSoundBuffer(&description, &m_pBuffer, nullptr))) {
        m_pBuffer = nullptr;
        return kStatusFailed;
    }
    m_blockAlign = source.blockAlign;
    m_rate = source.samplesPerSec;
    FillFromWave(*wave, size, source.bitsPerSample);
    m_pBuffer->SetCurrentPosition(0);

    if (Is3D()) {
        if (FAILED(m_pBuffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&m_p3DBuffer)))) {
            m_p3DBuffer = nullptr;
            Release();
            return kStatusFailed;
        }
        // Parameters that could not be read would be set back as garbage.
        m_3DParameters.dwSize = sizeof m_3DParameters;
        if (FAILED(m_p3DBuffer->GetAllParameters(&m_3DParameters))) {
            Release();
            return kStatusFailed;
        }
        m_3DParameters.dwMode = DS3DMODE_HEADRELATIVE;
        m_p3DBuffer->SetAllParameters(&m_3DParameters, m_applyMode);
    }
    SetPan(0.0f);
    SetVolume(1.0f);
    SetLooping((m_playFlags & kAudioPlayLooping) != 0);
    return kStatusOk;
}

Status CAudioObjectDX81::MakeFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    Release();
    return CAudioObject::MakeFromAddress(data, size, name);
}

Status CAudioObjectDX81::LoadFromPacker(PackRecord* pEntry)
{
    Release();
    return CAudioObject::LoadFromPacker(pEntry);
}

Status CAudioObjectDX81::Play()
{
    if (!m_pBuffer)
        return kStatusOk;
    // The volume that was set stays: Play does not apply GetVolume's reading of it again.
    if (m_stream) {
        // A stream goes on from where its cursor stands, in step with what was written, and
        // its ring always turns.
        FollowStream();
        return SUCCEEDED(m_pBuffer->Play(0, 0, DSBPLAY_LOOPING)) ? kStatusOk : kStatusFailed;
    }
    m_pBuffer->SetCurrentPosition(0);
    const HRESULT result = m_pBuffer->Play(0, 0, (m_playFlags & kAudioPlayLooping) ? DSBPLAY_LOOPING : 0);
    return SUCCEEDED(result) ? kStatusOk : static_cast<Status>(result);
}

Status CAudioObjectDX81::Stop()
{
    if (!m_pBuffer)
        return kStatusOk;
    m_pBuffer->Stop();
    // A stream's cursor stays with its written data.
    if (!m_stream)
        m_pBuffer->SetCurrentPosition(0);
    return kStatusOk;
}

Status CAudioObjectDX81::Pause()
{
    if (m_pBuffer)
        m_pBuffer->Stop();
    return kStatusOk;
}

float CAudioObjectDX81::GetSpeed()
{
    DWORD frequency = 0;
    if (!m_pBuffer || FAILED(m_pBuffer->GetFrequency(&frequency)))
        return 0.0f;
    return static_cast<float>(frequency) * (1.0f / kReferenceRate);
}

Status CAudioObjectDX81::SetSpeed(float ratio)
{
    // 0 gives the sound its own rate back; DirectSound refuses rates outside its range.
    if (!m_pBuffer || !(ratio >= 0.0f) || ratio * kReferenceRate >= float(DSBFREQUENCY_MAX) + 1.0f)
        return kStatusFailed;
    return SUCCEEDED(m_pBuffer->SetFrequency(static_cast<DWORD>(ratio * kReferenceRate))) ? kStatusOk
                                                                                           : kStatusFailed;
}

float CAudioObjectDX81::GetPan()
{
    if (Is3D())
        return 0.0f;
    LONG pan = 0;
    if (!m_pBuffer || FAILED(m_pBuffer->GetPan(&pan)))
        return 0.0f;
    return static_cast<float>(pan) * 0.0001f;
}

Status CAudioObjectDX81::SetPan(float pan)
{
    if (Is3D())
        return kStatusOk;
    if (!m_pBuffer)
        return kStatusFailed;
    if (!(pan >= -1.0f))  // NaN too
        pan = -1.0f;
    if (pan > 1.0f)
        pan = 1.0f;
    m_panUnits = static_cast<int32_t>(pan * 10000.0f);
    return SUCCEEDED(m_pBuffer->SetPan(m_panUnits)) ? kStatusOk : kStatusFailed;
}

float CAudioObjectDX81::GetVolume()
{
    LONG attenuation = 0;
    if (!m_pBuffer || FAILED(m_pBuffer->GetVolume(&attenuation)))
        attenuation = m_attenuation;
    return 1.0f + 0.0005f * static_cast<float>(attenuation);
}

Status CAudioObjectDX81::SetVolume(float volume)
{
    if (!m_pBuffer)
        return kStatusOk;
    if (!(volume >= 0.0f))
        volume = 0.0f;
    if (volume > 1.0f)
        volume = 1.0f;
    const float curve = UtilsEasing_OutExpo(volume);
    m_attenuation = static_cast<int32_t>((1.0f - curve) * static_cast<float>(kSilentAttenuation));
    return SUCCEEDED(m_pBuffer->SetVolume(m_attenuation)) ? kStatusOk : kStatusFailed;
}

bool CAudioObjectDX81::IsLooping()
{
    return (m_playFlags & kAudioPlayLooping) != 0;
}

void CAudioObjectDX81::SetLooping(bool looping)
{
    if (looping)
        m_playFlags |= kAudioPlayLooping;
    else
        m_playFlags &= ~kAudioPlayLooping;
    // A playing sound goes on from where it stands; a stream's ring turns whatever the flag.
    if (m_pBuffer && !m_stream && IsPlaying())
        m_pBuffer->Play(0, 0, looping ? DSBPLAY_LOOPING : 0);
}

bool CAudioObjectDX81::IsPlaying()
{
    DWORD status = 0;
    return m_pBuffer && SUCCEEDED(m_pBuffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

Status CAudioObjectDX81::SetPosition(uint32_t bytes)
{
    if (!m_pBuffer)
        return kStatusOk;
    if (m_stream)
        return kStatusFailed;  // the ring's cursor follows what was written
    return SUCCEEDED(m_pBuffer->SetCurrentPosition(bytes)) ? kStatusOk : kStatusFailed;
}

uint32_t CAudioObjectDX81::GetPositionMs()
{
    if (!m_pBuffer || m_blockAlign == 0 || m_rate == 0)
        return 0;
    if (m_stream)
        FollowStream();
    DWORD cursor = 0;
    if (FAILED(m_pBuffer->GetCurrentPosition(&cursor, nullptr)))
        return 0;
    // The frame size of the sound's own format: 8-bit sounds count right too.
    return static_cast<uint32_t>(uint64_t(cursor) * 1000 / (uint64_t(m_blockAlign) * m_rate));
}

uint32_t CAudioObjectDX81::GetElapsedMs()
{
    const uint32_t position = GetPositionMs();
    const uint32_t elapsed = position >= m_lastPositionMs
                                 ? position - m_lastPositionMs
                                 : GetRingSeconds() * 1000 - m_lastPositionMs + position;
    m_lastPositionMs = position;
    return elapsed;
}

Status CAudioObjectDX81::Set3DPosition(float x, float y, float z)
{
    if (!Is3D())
        return SetPan(x);
    if (!m_p3DBuffer)
        return kStatusFailed;
    m_3DParameters.vPosition.x = x;
    m_3DParameters.vPosition.y = y;
    m_3DParameters.vPosition.z = z;
    return SUCCEEDED(m_p3DBuffer->SetAllParameters(&m_3DParameters, m_applyMode)) ? kStatusOk : kStatusFailed;
}

Status CAudioObjectDX81::Set3DVelocity(float x, float y, float z)
{
    if (!Is3D())
        return kStatusOk;
    if (!m_p3DBuffer)
        return kStatusFailed;
    m_3DParameters.vVelocity.x = x;
    m_3DParameters.vVelocity.y = y;
    m_3DParameters.vVelocity.z = z;
    return SUCCEEDED(m_p3DBuffer->SetAllParameters(&m_3DParameters, m_applyMode)) ? kStatusOk : kStatusFailed;
}

Status CAudioObjectDX81::CreateStream(uint32_t channels, uint32_t rate, uint32_t reserved1, uint32_t reserved2,
                                      const char16_t* name)
{
    if (Failed(Release()))
        return kStatusFailed;
    CAudioObject::CreateStream(channels, rate, reserved1, reserved2, name);
    IDirectSound8* device = Device();
    if (!device || (channels != 1 && channels != 2) || rate < DSBFREQUENCY_MIN || rate > DSBFREQUENCY_MAX)
        return kStatusFailed;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * channels);
    format.nAvgBytesPerSec = channels * rate * 2;
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = kControls2D;
    description.dwBufferBytes = channels * rate * 2 * kAudioRingSecondsDX81;
    description.lpwfxFormat = &format;
    if (FAILED(device->CreateSoundBuffer(&description, &m_pBuffer, nullptr))) {
        m_pBuffer = nullptr;
        return kStatusFailed;
    }
    m_stream = true;
    m_channels = channels;
    m_rate = rate;
    m_blockAlign = format.nBlockAlign;
    m_ringBytes = description.dwBufferBytes;
    // The ring starts silent: nothing is heard before the owner's first chunk.
    SilenceRing(0, m_ringBytes);
    SetPan(0.0f);
    SetVolume(1.0f);
    SetLooping((m_playFlags & kAudioPlayLooping) != 0);
    return kStatusOk;
}

void CAudioObjectDX81::SilenceRing(uint32_t offset, uint32_t length)
{
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (length == 0 || FAILED(m_pBuffer->Lock(offset, length, &first, &firstBytes, &second, &secondBytes, 0)))
        return;
    std::memset(first, 0, firstBytes);
    if (second && secondBytes)
        std::memset(second, 0, secondBytes);
    m_pBuffer->Unlock(first, firstBytes, second, secondBytes);
}

void CAudioObjectDX81::FollowStream()
{
    DWORD play = 0, write = 0;
    if (FAILED(m_pBuffer->GetCurrentPosition(&play, &write)))
        return;
    const uint32_t cursor = play % m_ringBytes;
    const uint32_t advanced = (cursor + m_ringBytes - m_lastCursor) % m_ringBytes;
    m_lastCursor = cursor;
    m_pendingBytes = advanced < m_pendingBytes ? m_pendingBytes - advanced : 0;
    // Only what lies outside the data still to play is silenced: the part just played.
    const uint32_t free = m_ringBytes - m_pendingBytes;
    const uint32_t length = advanced < free ? advanced : free;
    SilenceRing((cursor + m_ringBytes - length) % m_ringBytes, length);
    if (m_pendingBytes == 0) {
        // Dry: the cursor went on through silence past the last chunk. The next chunk goes where
        // the device will play next, not a ring later behind the cursor.
        DWORD status = 0;
        const bool playing = SUCCEEDED(m_pBuffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
        const uint32_t next = (playing ? write : play) % m_ringBytes;
        m_writePosition = next / m_blockAlign * m_blockAlign;
    }
}

Status CAudioObjectDX81::UpdateAudioFromRaw(uint32_t channels, uint32_t rate, uint32_t frames, const int16_t* samples)
{
    if (!m_stream || !m_pBuffer || !samples || channels != m_channels || rate != m_rate)
        return kStatusFailed;
    if (Failed(RestoreBuffer()))
        return kStatusFailed;
    FollowStream();
    // A chunk is at most one ring long.
    uint64_t bytes = uint64_t(channels) * frames * 2;
    if (bytes > m_ringBytes)
        bytes = m_ringBytes;
    if (bytes == 0)
        return kStatusOk;
    if (m_pendingBytes + bytes > m_ringBytes)
        Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
            u"# CAudioObjectDX81::UpdateAudioFromRaw error buffer overrun\n");
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(m_pBuffer->Lock(m_writePosition, static_cast<DWORD>(bytes), &first, &firstBytes, &second, &secondBytes,
                               0)))
        return kStatusFailed;
    CopyLocked(first, firstBytes, second, secondBytes, reinterpret_cast<const uint8_t*>(samples));
    m_pBuffer->Unlock(first, firstBytes, second, secondBytes);
    m_writePosition = static_cast<uint32_t>((uint64_t(m_writePosition) + bytes) % m_ringBytes);
    const uint64_t pending = uint64_t(m_pendingBytes) + bytes;
    m_pendingBytes = static_cast<uint32_t>(pending < m_ringBytes ? pending : m_ringBytes);
    return kStatusOk;
}
