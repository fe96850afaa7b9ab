#include "Vornel3D/C3DVideo.h"

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DResourceName.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/WorldData.h"

void C3DVideo::SetName(const char16_t* name)
{
    if (name)
        m_name.emplace(name);
    else
        m_name.reset();
}

Status C3DVideo::ReleaseSound()
{
    if (!m_pSound)
        return kStatusOk;
    CAudioEngine* audio = m_pWorldData && m_pWorldData->pWorld ? m_pWorldData->pWorld->GetAudioEngine() : nullptr;
    const Status status = audio ? audio->ReleaseObject(m_pSound) : kStatusFailed;
    m_pSound = nullptr;
    return status;
}

Status C3DVideo::ReleaseTexture()
{
    if (!m_pTexture)
        return kStatusOk;
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    const Status status = engine ? engine->ReleaseTexture(m_pTexture, 1) : kStatusFailed;
    m_pTexture = nullptr;
    return status;
}

Status C3DVideo::ReleaseResources()
{
    m_nDepth = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    const bool sound = Succeeded(ReleaseSound());
    const bool texture = Succeeded(ReleaseTexture());
    return sound && texture ? kStatusOk : kStatusFailed;
}

// ---- the native player ------------------------------------------------------------------------

Status C3DVideoNative::PlatformCommand(uint32_t, uintptr_t)
{
    return kStatusFailed;
}

Status C3DVideoNative::Release()
{
    const Status status = ReleaseResources();
    if (m_bRunning && m_bPlaying)
        PlatformCommand(28, 0);
    m_bRunning = m_bPlaying = false;
    return status;
}

Status C3DVideoNative::LoadFromFile(const char16_t* path, float volume, uint32_t, uint32_t)
{
    SetName(C3DResourceName(m_pWorldData, path));
    Status status = PlatformCommand(29, uintptr_t(int32_t(volume)));
    if (Succeeded(status))
        status = PlatformCommand(26, reinterpret_cast<uintptr_t>(GetName()));
    return status;
}

Status C3DVideoNative::OnFrame()
{
    if (m_bRunning) {
        // A platform that cannot answer plays nothing: the video has ended, so that whoever
        // waits for its end does not wait for ever.
        if (Failed(PlatformCommand(27, reinterpret_cast<uintptr_t>(&m_bRunning))))
            m_bRunning = false;
        m_bPlaying = m_bRunning;
    } else if (m_bPlaying) {
        PlatformCommand(28, 0);
        m_bPlaying = false;
    }
    return kStatusOk;
}
