#include "Vornel3D_ToolBox/CMusicManager.h"

#include "Vornel3D/CWorld.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"

namespace {

// The file part of a path, "" for null.
const char16_t* FilePart(const char16_t* path)
{
    return path ? UtilsString_GetFileName(path) : u"";
}

}  // namespace

CMusicManager::~CMusicManager() = default;

CAudioEngine* CMusicManager::AudioEngine() const
{
    return m_pWorldData && m_pWorldData->pWorld ? m_pWorldData->pWorld->GetAudioEngine() : nullptr;
}

Status CMusicManager::Load()
{
    CAudioEngine* engine = AudioEngine();
    m_pSound = engine ? engine->CreateObject(2, 0) : nullptr;
    if (!m_pSound)
        return kStatusFailed;
    m_pSound->SetLooping(true);
    m_musicName[0] = 0;
    if (m_pWorldData->pAppSettings)
        m_pWorldData->pAppSettings->GetString(u"MUSIC", u"MUSIC_FILE_NAME", u"", m_musicName, kWorldTextSize);
    if (m_musicName[0] && Failed(Play(m_musicName, 0, 0)))
        return LogAndReturn(kStatusFailed, m_pWorldData->logPath, 0, u"# CMusicManager::Load failed! (\"%s\")\n",
                            m_musicName);
    return kStatusOk;
}

Status CMusicManager::Unload()
{
    if (CAudioEngine* engine = AudioEngine(); engine && m_pSound)
        engine->ReleaseObject(m_pSound);
    m_pSound = nullptr;
    m_musicName[0] = 0;
    m_pendingPath[0] = 0;
    return kStatusOk;
}

bool CMusicManager::IsDifferent(const char16_t* fileName, uint8_t force)
{
    const char16_t* held = m_pSound ? m_pSound->GetName() : nullptr;
    if (!held)
        return true;
    if (!fileName)
        return UtilsString_Compare(FilePart(held), FilePart(m_musicName)) != 0;
    if (!fileName[0] && !force)
        return false;
    return UtilsString_Compare(FilePart(held), FilePart(fileName)) != 0;
}

Status CMusicManager::Play(const char16_t* fileName, uint8_t force, uint8_t crossFade)
{
    if (!m_pSound)
        return kStatusFailed;
    if (IsDifferent(fileName, force)) {
        if (!fileName || !fileName[0]) {
            fileName = m_musicName;
            if (!fileName[0] || !IsDifferent(fileName, force))
                return kStatusOk;
        }
        char16_t path[kWorldTextSize];
        UtilsString_Format(path, kWorldTextSize, u"%s%s", m_pWorldData->dataPath, fileName);
        m_pendingPath[0] = 0;
        if (crossFade && !force && m_pSound->IsLoaded()) {
            // The switch waits for the fade-out; a file that is not there is refused now.
            if (!Platform_FileExists(UtilsString_ToUtf8(path).c_str()))
                return kStatusFailed;
            UtilsString_Copy(m_pendingPath, kWorldTextSize, path);
            m_fadingIn = 0;
            return kStatusFailed;
        }
        if (Failed(m_pSound->LoadFromFile(path, 0)) && Failed(m_pSound->LoadFromFile(path, 0)))
            return kStatusFailed;
    }
    m_pSound->SetVolume(m_volume);
    m_fadingIn = 1;
    m_level = 1.0f;
    return kStatusOk;
}

void CMusicManager::Update(float speed)
{
    const float target = m_fadingIn ? 1.0f : 0.0f;
    if (m_level == target)
        return;
    const double step = (m_pWorldData ? m_pWorldData->frameTime : 0.0) * speed;
    if (m_fadingIn) {
        m_level += step;
        if (m_level > 1.0f)
            m_level = 1.0f;
    } else {
        m_level -= step;
        // A fade that lands exactly on 0 has ended too.
        if (m_level <= 0.0f) {
            if (m_pendingPath[0]) {
                if (m_pSound)
                    m_pSound->LoadFromFile(m_pendingPath, 0);
                m_pendingPath[0] = 0;
                m_fadingIn = 1;
            } else if (m_pSound && !m_pSound->GetName()) {
                m_pSound->Release();
            }
            m_level = 0.0f;
        }
    }
    if (!AudioEngine() || !m_pSound)
        return;
    const float volume = m_volume * m_level;
    m_pSound->SetVolume(volume);
    if (volume != 0.0f && !m_pSound->IsPlaying())
        m_pSound->Play();
}

void CMusicManager::Stop()
{
    if (AudioEngine() && m_pSound && m_pSound->IsPlaying())
        m_pSound->Stop();
    m_level = 0.0f;
    m_fadingIn = 0;
    m_musicName[0] = 0;
    m_pendingPath[0] = 0;
}

void CMusicManager::SetVolume(float volume, uint8_t stopAtZero)
{
    if (volume != -1.0f)
        m_volume = volume;
    if (!AudioEngine() || !m_pSound)
        return;
    m_pSound->SetVolume(m_volume);
    if (m_volume == 0.0f) {
        if (stopAtZero && m_pSound->IsPlaying())
            m_pSound->Stop();
    } else if (!m_pSound->IsPlaying()) {
        m_pSound->Play();
    }
}
