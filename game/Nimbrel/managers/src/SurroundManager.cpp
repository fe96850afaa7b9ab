#include "NimbrelManagers/CSurroundManager.h"

#include <cstring>
#include <string>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "Vornel3D/CWorld.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"

namespace {

constexpr const char16_t* kSection = u"SOUNDS";
// The keys of the click sounds by role, with their defaults.
constexpr const char16_t* kClickKeys[kClickRoleCount] = {u"NULL_CLICK_FILE_NAME", u"DEFAULT_CLICK_FILE_NAME",
                                                         u"NEGATIVE_CLICK_FILE_NAME", u"ABUSE_CLICK_FILE_NAME"};
constexpr const char16_t* kClickDefaults[kClickRoleCount] = {u"null_click.wav", u"default_click.wav",
                                                             u"negative_click.wav", u""};
// A whole fade takes 10 frame-step units, a third of a second.
constexpr float kFadeRate = 0.1f;
constexpr float kUnitsPerSecond = 30.0f;
// A looped ambient sound must be one of the files made for looping.
constexpr const char* kLoopedMark = ".stream.";

}  // namespace

CSurroundManager::CSurroundManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CSurroundManager::~CSurroundManager()
{
    Unload();
}

// ---- what the manager asks of the world ------------------------------------------------------

CAudioEngine* CSurroundManager::AudioEngine() const
{
    return m_pWorldData && m_pWorldData->pWorld ? m_pWorldData->pWorld->GetAudioEngine() : nullptr;
}

bool CSurroundManager::SceneObjectCount(uint32_t* pCount)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world && world->GetObjectCount(pCount);
}

void CSurroundManager::CollectActiveObjects(std::vector<uint32_t>& numbers)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    if (!objects)
        return;
    CFIFOList& active = objects->GetActiveList();
    FIFONode* position = active.GetCurrentNode();
    for (void* item = active.GetFirst(); item; item = active.GetNext()) {
        const auto* object = static_cast<const CObjectsBase*>(item);
        if (object->IsShown() && object->IsWanted())
            numbers.push_back(object->GetObjectNumber());
    }
    active.SetCurrentNode(position);
}

// ---- life ------------------------------------------------------------------------------------

Status CSurroundManager::Unload()
{
    for (void* item = m_fading.GetFirst(); item; item = m_fading.GetNext()) {
        auto* sound = static_cast<SurroundSound*>(item);
        sound->state = kSurroundWaiting;
        sound->fadeLevel = 0.0f;
        SetSoundLevel(sound, 0.0f);
        if (sound->pAudio)
            sound->pAudio->Stop();
    }
    m_fading.RemoveAll();
    FreeObjects();
    FreeSounds();
    for (int32_t& click : m_clickSounds)
        click = kNoSound;
    return kStatusOk;
}

void CSurroundManager::FreeObjects()
{
    for (uint32_t i = 0; i < m_objectCount; ++i)
        if (SurroundObject* record = m_ppObjects[i]) {
            UTILS_FREE(record->pSounds);
            UTILS_FREE(record->pCommands);
            UTILS_FREE(record);
        }
    UTILS_FREE(m_ppObjects);
    m_ppObjects = nullptr;
    m_objectCount = 0;
}

void CSurroundManager::FreeSounds()
{
    // Every audio object goes back to the audio engine, which would otherwise keep it until
    // the world unloads.
    m_fading.RemoveAll();
    for (uint32_t i = 0; i < m_soundCount; ++i)
        if (SurroundSound* sound = m_ppSounds[i]) {
            ReleaseAudio(sound);
            UTILS_FREE(sound->pName);
            UTILS_FREE(sound);
        }
    UTILS_FREE(m_ppSounds);
    m_ppSounds = nullptr;
    m_soundCount = 0;
}

void CSurroundManager::ReleaseAudio(SurroundSound* pSound)
{
    if (!pSound->pAudio)
        return;
    pSound->pAudio->Stop();
    if (CAudioEngine* engine = AudioEngine())
        engine->ReleaseObject(pSound->pAudio);
    pSound->pAudio = nullptr;
    if (pSound->loadState == kSurroundLoaded)
        pSound->loadState = kSurroundNotRequested;
}

void CSurroundManager::ClickNames(char names[kClickRoleCount][kWorldTextSize]) const
{
    UtilsParameters* settings = m_pWorldData ? m_pWorldData->pAppSettings : nullptr;
    for (uint32_t role = 0; role < kClickRoleCount; ++role) {
        char16_t name[kWorldTextSize] = {};
        if (settings)
            settings->GetString(kSection, kClickKeys[role], kClickDefaults[role], name, kWorldTextSize);
        else
            UtilsString_Copy(name, kWorldTextSize, kClickDefaults[role]);
        WideToAnsiCopy(name, names[role], kWorldTextSize);
    }
}

Status CSurroundManager::KeepClickSounds(const char* const* names)
{
    for (uint32_t role = 0; role < kClickRoleCount; ++role) {
        m_clickSounds[role] = names[role][0] ? AddKeptSound(names[role], 1) : kNoSound;
        // Only the abuse click may be missing.
        if (m_clickSounds[role] == kNoSound && role != kClickAbuse)
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CSurroundManager::PrepareForRun()
{
    FreeObjects();
    uint32_t count = 0;
    if (!SceneObjectCount(&count))
        count = 0;
    if (count) {
        m_ppObjects = static_cast<SurroundObject**>(UTILS_CALLOC(count, sizeof(SurroundObject*)));
        if (!m_ppObjects)
            return kStatusOutOfMemory;
        m_objectCount = count;
    }
    char names[kClickRoleCount][kWorldTextSize];
    ClickNames(names);
    const char* roles[kClickRoleCount] = {names[0], names[1], names[2], names[3]};
    if (Failed(KeepClickSounds(roles)))
        return kStatusFailed;
    return PrepareAllSounds();
}

// ---- the sound table ---------------------------------------------------------------------------

int32_t CSurroundManager::FindOrAddSound(const char* name)
{
    if (!name || !name[0])
        return kNoSound;
    for (uint32_t i = 0; i < m_soundCount; ++i)
        if (StringCompareA(m_ppSounds[i]->pName, name) == 0)
            return int32_t(i);
    auto* sound = static_cast<SurroundSound*>(UTILS_CALLOC(1, sizeof(SurroundSound)));
    char* copy = UtilsString_DupA(name);
    void* grown = sound && copy ? UTILS_REALLOC(m_ppSounds, (m_soundCount + 1) * sizeof(SurroundSound*)) : nullptr;
    if (!grown) {
        UTILS_FREE(copy);
        UTILS_FREE(sound);
        return kNoSound;
    }
    m_ppSounds = static_cast<SurroundSound**>(grown);
    sound->level = 1.0f;
    sound->pName = copy;
    sound->state = kSurroundWaiting;
    m_ppSounds[m_soundCount] = sound;
    return int32_t(m_soundCount++);
}

int32_t CSurroundManager::AddKeptSound(const char* name, uint8_t keep)
{
    const int32_t index = FindOrAddSound(name);
    if (index == kNoSound)
        return kNoSound;
    SurroundSound* sound = m_ppSounds[index];
    sound->loadState = kSurroundRequested;
    ++sound->useCount;
    sound->keepLoaded = keep;
    return Failed(PrepareAllSounds()) ? kNoSound : index;
}

Status CSurroundManager::ReleaseSound(uint32_t index)
{
    SurroundSound* sound = GetSound(index);
    if (!sound)
        return kStatusFailed;
    if (sound->useCount)
        --sound->useCount;
    return PrepareAllSounds();
}

Status CSurroundManager::SetClickSound(uint32_t role, const char* name)
{
    if (role >= kClickRoleCount)
        return kStatusFailed;
    const int32_t index = FindOrAddSound(name);
    if (index == kNoSound)
        return kStatusFailed;
    if (index == m_clickSounds[role])
        return kStatusOk;
    if (SurroundSound* old = m_clickSounds[role] != kNoSound ? GetSound(uint32_t(m_clickSounds[role])) : nullptr)
        if (old->useCount)
            --old->useCount;
    m_clickSounds[role] = index;
    SurroundSound* sound = m_ppSounds[index];
    sound->loadState = kSurroundRequested;
    ++sound->useCount;
    return kStatusOk;
}

void CSurroundManager::SetSoundLevel(SurroundSound* pSound, float level)
{
    pSound->level = level;
    if (pSound->pAudio)
        pSound->pAudio->SetVolume(level * m_masterVolume);
}

void CSurroundManager::SetVolume(float volume)
{
    m_masterVolume = volume;
    for (void* item = m_fading.GetFirst(); item; item = m_fading.GetNext()) {
        auto* sound = static_cast<SurroundSound*>(item);
        if (sound->pAudio)
            sound->pAudio->SetVolume(volume * sound->level);
    }
}

Status CSurroundManager::ResetAllSounds()
{
    for (uint32_t i = 0; i < m_soundCount; ++i) {
        m_ppSounds[i]->loadState = kSurroundNotRequested;
        m_ppSounds[i]->inUse = 0;
    }
    return kStatusOk;
}

// ---- playing -----------------------------------------------------------------------------------

Status CSurroundManager::PlayEntry(SurroundSound* pSound)
{
    if (!pSound || !pSound->pAudio)
        return kStatusFailed;
    SetSoundLevel(pSound, 1.0f);
    pSound->pAudio->Play();
    // Starting a sound is no frame time.
    if (m_pWorldData && m_pWorldData->pTimer)
        m_pWorldData->pTimer->RequestExtraUpdate();
    return kStatusOk;
}

Status CSurroundManager::PlayClick(uint32_t role)
{
    const int32_t index = GetClickSound(role);
    return index == kNoSound ? kStatusFailed : PlayEntry(GetSound(uint32_t(index)));
}

Status CSurroundManager::PlaySoundIndex(uint32_t index)
{
    return PlayEntry(GetSound(index));
}

int32_t CSurroundManager::ElementSoundIndex(uint32_t objectIndex, uint32_t id) const
{
    const SurroundObject* record = GetObjectRecord(objectIndex);
    if (!record || id == 0 || id > record->soundCount)
        return kNoSound;
    return int32_t(record->pSounds[id - 1]);
}

Status CSurroundManager::PlayElementSound(uint32_t objectIndex, uint32_t id)
{
    const int32_t index = ElementSoundIndex(objectIndex, id);
    return index == kNoSound ? kStatusFailed : PlayEntry(GetSound(uint32_t(index)));
}

Status CSurroundManager::PlaySound(uint32_t objectIndex, const BuiltinReport&, const char* name)
{
    const SurroundObject* record = GetObjectRecord(objectIndex);
    for (uint32_t i = 0; record && name && i < record->soundCount; ++i) {
        SurroundSound* sound = GetSound(record->pSounds[i]);
        if (sound && StringCompareA(sound->pName, name) == 0)
            return PlayEntry(sound);
    }
    return kStatusFailed;
}

// ---- the objects' sounds ----------------------------------------------------------------------

SurroundObject* CSurroundManager::ObjectRecord(uint32_t objectIndex, bool create)
{
    if (objectIndex >= m_objectCount)
        return nullptr;
    if (!m_ppObjects[objectIndex] && create)
        m_ppObjects[objectIndex] = static_cast<SurroundObject*>(UTILS_CALLOC(1, sizeof(SurroundObject)));
    return m_ppObjects[objectIndex];
}

uint32_t CSurroundManager::AttachSoundToObject(uint32_t objectIndex, uint32_t sound)
{
    SurroundObject* record = ObjectRecord(objectIndex, true);
    if (!record || sound >= m_soundCount)
        return 0;
    for (uint32_t i = 0; i < record->soundCount; ++i)
        if (record->pSounds[i] == sound)
            return i + 1;
    void* grown = UTILS_REALLOC(record->pSounds, (record->soundCount + 1) * sizeof(uint32_t));
    if (!grown)
        return 0;
    record->pSounds = static_cast<uint32_t*>(grown);
    record->pSounds[record->soundCount] = sound;
    return ++record->soundCount;
}

Status CSurroundManager::AddObjectSound(uint32_t objectIndex, const char* name)
{
    const int32_t index = FindOrAddSound(name);
    if (index == kNoSound)
        return kStatusFailed;
    SurroundSound* sound = m_ppSounds[index];
    sound->loadState = kSurroundRequested;
    ++sound->useCount;
    return AttachSoundToObject(objectIndex, uint32_t(index)) ? kStatusOk : kStatusFailed;
}

uint32_t CSurroundManager::SetItemsClickSound(uint32_t objectIndex, const char* name)
{
    const int32_t index = FindOrAddSound(name);
    if (index == kNoSound)
        return 0;
    m_ppSounds[index]->loadState = kSurroundRequested;
    return AttachSoundToObject(objectIndex, uint32_t(index));
}

Status CSurroundManager::ReleaseObjectSounds(uint32_t objectIndex)
{
    const SurroundObject* record = GetObjectRecord(objectIndex);
    for (uint32_t i = 0; record && i < record->soundCount; ++i)
        if (SurroundSound* sound = GetSound(record->pSounds[i]); sound && sound->useCount)
            --sound->useCount;
    return kStatusOk;
}

Status CSurroundManager::StopSound(uint32_t index)
{
    SurroundSound* sound = GetSound(index);
    if (!sound)
        return kStatusFailed;
    sound->state = kSurroundWaiting;
    sound->loadState = kSurroundRequested;
    return kStatusOk;
}

Status CSurroundManager::StopObjectSounds(uint32_t objectIndex)
{
    const SurroundObject* record = GetObjectRecord(objectIndex);
    for (uint32_t i = 0; record && i < record->soundCount; ++i)
        if (Failed(StopSound(record->pSounds[i])))
            return kStatusFailed;
    return kStatusOk;
}

Status CSurroundManager::ReleaseStoppedSounds(uint32_t objectIndex)
{
    const SurroundObject* record = GetObjectRecord(objectIndex);
    for (uint32_t i = 0; record && i < record->commandCount; ++i) {
        const SurroundCommand& command = record->pCommands[i];
        SurroundSound* sound = GetSound(command.sound);
        if (command.command != kSurroundFadeStop || !sound)
            continue;
        m_fading.Remove(sound);
        sound->state = kSurroundSettled;
        sound->fadeLevel = 0.0f;
        SetSoundLevel(sound, 0.0f);
        // Given back: nothing may reach it through the table any more.
        ReleaseAudio(sound);
    }
    return kStatusOk;
}

// ---- ambient commands --------------------------------------------------------------------------

float CSurroundManager::DrawCountdown(const SurroundCommand& command)
{
    const double r = m_pWorldData ? double(UtilsRandom_Next(m_pWorldData)) / 4294967296.0 : 0.0;
    return float(command.minTime * kUnitsPerSecond + (command.maxTime - command.minTime) * kUnitsPerSecond * r);
}

Status CSurroundManager::ParseCommand(uint32_t objectIndex, const BuiltinReport& caller, const char* name,
                                      const char* params, int32_t loop, float minTime, float maxTime)
{
    const BuiltinTrace trace = {SceneObjectAt(m_pWorldData, objectIndex), caller.builtin, caller.fileIndex,
                                caller.line, kTraceError};
    SurroundObject* record = ObjectRecord(objectIndex, true);
    if (!record)
        return kStatusFailed;
    // The command is worked on in a copy and stored only once it is valid.
    uint32_t found = record->commandCount;
    for (uint32_t i = 0; name && i < record->commandCount; ++i) {
        const SurroundSound* sound = GetSound(record->pCommands[i].sound);
        if (sound && StringCompareA(sound->pName, name) == 0) {
            found = i;
            break;
        }
    }
    SurroundCommand command = {};
    if (found < record->commandCount) {
        command = record->pCommands[found];
    } else {
        const int32_t index = FindOrAddSound(name);
        if (index == kNoSound)
            return kStatusFailed;
        command.sound = uint32_t(index);
    }
    SurroundSound* sound = m_ppSounds[command.sound];

    bool timed = false, looped = false;
    std::string words(params ? params : "");
    char* saved = nullptr;
    for (char* token = words.empty() ? nullptr : &words[0]; token;) {
        char* next = NextListToken(token, &saved);
        if (std::strcmp(token, "fade_play") == 0) {
            command.command = kSurroundFadePlay;
        } else if (std::strcmp(token, "force_play") == 0) {
            command.command = kSurroundForcePlay;
        } else if (std::strcmp(token, "fade_stop") == 0) {
            command.command = kSurroundFadeStop;
        } else if (std::strcmp(token, "force_stop") == 0) {
            command.command = kSurroundForceStop;
        } else if (std::strcmp(token, "min_time") == 0) {
            command.minTime = minTime;
            timed = true;
        } else if (std::strcmp(token, "max_time") == 0) {
            command.maxTime = maxTime;
            timed = true;
        } else if (std::strcmp(token, "loop") == 0) {
            command.loop = loop != 0;
            looped = true;
        }
        token = next;
    }
    NextListToken(nullptr, &saved);
    if (command.command == kSurroundNoCommand) {
        TraceBuiltin(m_pWorldData, trace, "unrecognize command or parameters \"%s\"", params ? params : "");
        return kStatusFailed;
    }
    if (looped && command.loop && !std::strstr(sound->pName, kLoopedMark)) {
        TraceBuiltin(m_pWorldData, trace, "looped surround sound name must contains \".stream.\" : \"%s\"",
                     sound->pName);
        return kStatusFailed;
    }
    if (timed)
        command.countdown = DrawCountdown(command);
    if (found == record->commandCount) {
        void* grown = UTILS_REALLOC(record->pCommands, (record->commandCount + 1) * sizeof(SurroundCommand));
        if (!grown) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        record->pCommands = static_cast<SurroundCommand*>(grown);
        ++record->commandCount;
    }
    record->pCommands[found] = command;

    if (looped) {
        sound->loop = command.loop;
        if (sound->pAudio)
            sound->pAudio->SetLooping(sound->loop != 0);
    }
    // A sound named here first is loaded by the next preparation.
    if (sound->loadState != kSurroundLoaded || !sound->pAudio)
        sound->loadState = kSurroundRequested;
    if (sound->pAudio)
        SetSoundLevel(sound, command.command == kSurroundFadePlay || command.command == kSurroundForcePlay ? 0.0f
                                                                                                           : 1.0f);
    return kStatusOk;
}

// ---- preparation -------------------------------------------------------------------------------

bool CSurroundManager::LoadAttempt(SurroundSound* pSound)
{
    char16_t path[kWorldTextSize];
    UtilsString_Format(path, kWorldTextSize, u"%s%S", m_pWorldData->dataPath, pSound->pName);
    // A failed read is tried once more from the same place.
    for (int attempt = 0; attempt < 2; ++attempt)
        if (Succeeded(pSound->pAudio->LoadFromFile(path, 0)) && pSound->pAudio->IsLoaded())
            return true;
    return false;
}

Status CSurroundManager::LoadSoundFile(SurroundSound* pSound)
{
    if (LoadAttempt(pSound))
        return kStatusOk;
    pSound->pAudio->Stop();
    pSound->pAudio->Release();
    const char16_t* log = m_pWorldData->logPath;
    Log(log, 1, u"# CSurroundManager::PrepareAllSounds failed! \"%S\" is missing/badly formatted !!!\n",
        pSound->pName);
    char* substitute = UtilsString_DupA(kSurroundNullSound);
    if (!substitute)
        return kStatusOutOfMemory;
    UTILS_FREE(pSound->pName);
    pSound->pName = substitute;
    Log(log, 1, u"# CSurroundManager::PrepareAllSounds substituting \"%S\"\n", pSound->pName);
    if (LoadAttempt(pSound))
        return kStatusOk;
    Log(log, 1,
        u"# CSurroundManager::PrepareAllSounds substitution failed! \"sounds/null.wav\" is missing/badly formatted "
        u"!!!\n");
    return kStatusFailed;
}

Status CSurroundManager::PrepareAllSounds()
{
    CAudioEngine* engine = AudioEngine();
    if (!engine)
        return kStatusOk;
    m_fading.RemoveAll();
    m_active.clear();
    CollectActiveObjects(m_active);
    for (uint32_t number : m_active)
        if (const SurroundObject* record = GetObjectRecord(number))
            for (uint32_t i = 0; i < record->commandCount; ++i)
                if (SurroundSound* sound = GetSound(record->pCommands[i].sound))
                    sound->inUse = 1;

    for (uint32_t i = 0; i < m_soundCount; ++i) {
        SurroundSound* sound = m_ppSounds[i];
        if (sound->inUse || !sound->pAudio || sound->loadState == kSurroundRequested)
            continue;
        if (sound->useCount == 0)
            ReleaseAudio(sound);
        else if (sound->state != kSurroundWaiting)
            m_fading.Add(sound, 0);
    }

    for (uint32_t i = 0; i < m_soundCount; ++i) {
        SurroundSound* sound = m_ppSounds[i];
        if (!sound->keepLoaded && sound->loadState != kSurroundRequested)
            continue;
        if (!sound->pAudio) {
            sound->pAudio = engine->CreateObject(0, 0);
            if (!sound->pAudio) {
                Log(m_pWorldData->logPath, 0, u"# CSurroundManager::PrepareAllSounds failed!\n");
                return kStatusFailed;
            }
        }
        if (!sound->pAudio->IsLoaded() && Failed(LoadSoundFile(sound))) {
            // A sound object that holds nothing is never kept.
            ReleaseAudio(sound);
            return kStatusFailed;
        }
        SetSoundLevel(sound, sound->level);
        sound->pAudio->SetLooping(sound->loop != 0);
        sound->loadState = kSurroundLoaded;
    }
    return kStatusOk;
}

// ---- the frame ---------------------------------------------------------------------------------

void CSurroundManager::StepCommand(SurroundCommand& command, float step, float fade)
{
    SurroundSound* sound = GetSound(command.sound);
    if (!sound)
        return;
    const bool loop = command.loop != 0;
    const uint32_t afterPlay = loop ? kSurroundSettled : kSurroundWaiting;
    switch (command.command) {
    case kSurroundFadePlay:
    case kSurroundForcePlay:
        switch (sound->state) {
        case kSurroundWaiting:
            command.countdown -= step;
            if (command.countdown < 0.0f) {
                const bool force = command.command == kSurroundForcePlay;
                SetSoundLevel(sound, force ? 1.0f : 0.0f);
                if (sound->pAudio && !sound->pAudio->IsPlaying())
                    sound->pAudio->Play();
                command.countdown = DrawCountdown(command);
                sound->state = force ? afterPlay : kSurroundRising;
                sound->fadeLevel = 0.0f;
            }
            break;
        case kSurroundRising:
            sound->fadeLevel += fade;
            if (sound->fadeLevel > 1.0f) {
                sound->state = afterPlay;
                SetSoundLevel(sound, 1.0f);
                sound->fadeLevel = 0.0f;
            } else {
                SetSoundLevel(sound, sound->fadeLevel);
            }
            break;
        case kSurroundFalling:
            sound->fadeLevel -= fade;
            if (sound->fadeLevel < 0.0f) {
                sound->fadeLevel = 0.0f;
                sound->state = loop ? kSurroundRising : kSurroundWaiting;
                SetSoundLevel(sound, 0.0f);
            } else {
                SetSoundLevel(sound, sound->fadeLevel);
            }
            break;
        default:
            sound->fadeLevel = 1.0f;
            sound->state = afterPlay;
            SetSoundLevel(sound, 1.0f);
            break;
        }
        break;
    case kSurroundFadeStop:
        switch (sound->state) {
        case kSurroundRising:
            sound->state = kSurroundFalling;
            SetSoundLevel(sound, sound->fadeLevel);
            break;
        case kSurroundFalling:
            sound->fadeLevel -= fade;
            if (sound->fadeLevel < 0.0f) {
                sound->state = kSurroundSettled;
                sound->fadeLevel = 0.0f;
                SetSoundLevel(sound, 0.0f);
            } else {
                SetSoundLevel(sound, sound->fadeLevel);
            }
            break;
        case kSurroundSettled:
            sound->fadeLevel = 0.0f;
            SetSoundLevel(sound, 0.0f);
            if (sound->pAudio && sound->pAudio->IsPlaying())
                sound->pAudio->Stop();
            break;
        default:
            sound->state = kSurroundSettled;
            sound->fadeLevel = 0.0f;
            SetSoundLevel(sound, 0.0f);
            break;
        }
        break;
    case kSurroundForceStop:
        if (sound->state == kSurroundSettled) {
            if (sound->pAudio && sound->pAudio->IsPlaying())
                sound->pAudio->Stop();
        } else {
            sound->state = kSurroundSettled;
        }
        sound->fadeLevel = 0.0f;
        SetSoundLevel(sound, 0.0f);
        break;
    default:
        break;
    }
}

void CSurroundManager::Update()
{
    if (!AudioEngine() || !m_ppObjects || !m_pWorldData)
        return;
    const float step = float(m_pWorldData->frameTime);
    const float fade = step * kFadeRate;
    for (void* item = m_fading.GetFirst(); item;) {
        auto* sound = static_cast<SurroundSound*>(item);
        if (sound->state == kSurroundRising || sound->state == kSurroundSettled)
            sound->state = kSurroundFalling;
        if (sound->state == kSurroundFalling) {
            sound->fadeLevel -= fade;
            if (sound->fadeLevel < 0.0f) {
                sound->fadeLevel = 0.0f;
                sound->state = kSurroundWaiting;
                SetSoundLevel(sound, 0.0f);
                if (sound->pAudio)
                    sound->pAudio->Stop();
                item = m_fading.RemoveCurrent(0);
                continue;
            }
            SetSoundLevel(sound, sound->fadeLevel);
        }
        item = m_fading.GetNext();
    }
    m_active.clear();
    CollectActiveObjects(m_active);
    for (uint32_t number : m_active)
        if (SurroundObject* record = ObjectRecord(number, false))
            for (uint32_t i = 0; i < record->commandCount; ++i)
                StepCommand(record->pCommands[i], step, fade);
}

void CSurroundManager::Render()
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (!game || !world || !game->developerMode || !game->debugLine || !game->itemDebug)
        return;
    m_active.clear();
    CollectActiveObjects(m_active);
    for (uint32_t number : m_active)
        if (const SurroundObject* record = GetObjectRecord(number))
            for (uint32_t i = 0; i < record->commandCount; ++i)
                if (const SurroundSound* sound = GetSound(record->pCommands[i].sound)) {
                    char16_t line[kWorldTextSize];
                    UtilsString_Format(line, kWorldTextSize, u"%S%s", sound->pName, sound->loop ? u"*" : u"");
                    world->DrawDebugText(line);
                }
}
