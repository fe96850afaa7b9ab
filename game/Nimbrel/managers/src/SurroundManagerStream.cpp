// The surround manager in the profile, chunk 180000: per scene object its attached sounds and
// ambient commands, then the sound table by name. What the chunk says is checked before it is
// used: its object count against the game's, every sound index against the table it holds.
#include <algorithm>

#include "NimbrelManagers/CSurroundManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"

namespace {

// Bytes of the smallest stored command and sound.
constexpr int64_t kCommandBytes = 1 + 4 + 4 + 4 + 4 + 4;
constexpr int64_t kSoundBytes = 4 + 4 + 1 + 1;

template <typename T>
bool Put(UtilsStream* s, const T& value)
{
    return s->Write(&value, sizeof(T), 1);
}

template <typename T>
bool Get(UtilsStream* s, T* value)
{
    return s->Read(value, sizeof(T), 1);
}

// A count that the stream's remaining payload can hold at `bytes` each.
bool Fits(UtilsStream* s, uint32_t count, int64_t bytes)
{
    const int64_t left = s->BytesLeft();
    return left < 0 || int64_t(count) * bytes <= left;
}

bool ReadObject(UtilsStream* s, SurroundChunkObject* pObject)
{
    uint8_t present = 0;
    if (!Get(s, &present) || present > 1)
        return false;
    pObject->present = present == 1;
    if (!pObject->present)
        return true;
    uint32_t count = 0;
    if (!Get(s, &count) || !Fits(s, count, 4))
        return false;
    // Grown as read: a stream that cannot tell its length still ends before a false count.
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t sound = 0;
        if (!Get(s, &sound))
            return false;
        pObject->sounds.push_back(sound);
    }
    if (!Get(s, &count) || !Fits(s, count, kCommandBytes))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        SurroundCommand c = {};
        if (!Get(s, &c.loop) || !Get(s, &c.minTime) || !Get(s, &c.maxTime) || !Get(s, &c.countdown) ||
            !Get(s, &c.sound) || !Get(s, &c.command) || c.command > kSurroundForceStop || c.loop > 1)
            return false;
        pObject->commands.push_back(c);
    }
    return true;
}

bool ReadSound(UtilsStream* s, SurroundChunkSound* pSound)
{
    char* name = nullptr;
    if (!s->ReadStringA(&name, false))
        return false;
    pSound->name = name ? name : "";
    UTILS_FREE(name);
    return !pSound->name.empty() && Get(s, &pSound->useCount) && Get(s, &pSound->keepLoaded) &&
           Get(s, &pSound->loop) && pSound->keepLoaded <= 1 && pSound->loop <= 1;
}

}  // namespace

bool ReadSurroundChunk(UtilsStream* pStream, SurroundChunk* pChunk)
{
    uint32_t count = 0;
    if (!pStream || !Get(pStream, &count) || !Fits(pStream, count, 1))
        return false;
    pChunk->objects.clear();
    for (uint32_t i = 0; i < count; ++i) {
        pChunk->objects.emplace_back();
        if (!ReadObject(pStream, &pChunk->objects.back()))
            return false;
    }
    if (!Get(pStream, &count) || !Fits(pStream, count, kSoundBytes))
        return false;
    pChunk->sounds.clear();
    for (uint32_t i = 0; i < count; ++i) {
        pChunk->sounds.emplace_back();
        if (!ReadSound(pStream, &pChunk->sounds.back()))
            return false;
    }
    for (const SurroundChunkObject& object : pChunk->objects) {
        for (uint32_t sound : object.sounds)
            if (sound >= count)
                return false;
        for (const SurroundCommand& c : object.commands)
            if (c.sound >= count)
                return false;
    }
    return true;
}

Status CSurroundManager::SaveToStream(UtilsStream* pStream)
{
    if (!pStream || !Put(pStream, m_objectCount))
        return kStatusFailed;
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        const SurroundObject* record = m_ppObjects[i];
        if (!Put(pStream, uint8_t(record ? 1 : 0)))
            return kStatusFailed;
        if (!record)
            continue;
        if (!Put(pStream, record->soundCount) ||
            (record->soundCount && !pStream->Write(record->pSounds, 4, record->soundCount)) ||
            !Put(pStream, record->commandCount))
            return kStatusFailed;
        for (uint32_t k = 0; k < record->commandCount; ++k) {
            const SurroundCommand& c = record->pCommands[k];
            if (!Put(pStream, c.loop) || !Put(pStream, c.minTime) || !Put(pStream, c.maxTime) ||
                !Put(pStream, c.countdown) || !Put(pStream, c.sound) || !Put(pStream, c.command))
                return kStatusFailed;
        }
    }
    if (!Put(pStream, m_soundCount))
        return kStatusFailed;
    for (uint32_t i = 0; i < m_soundCount; ++i) {
        const SurroundSound* sound = m_ppSounds[i];
        if (!pStream->WriteStringA(sound->pName, false) || !Put(pStream, sound->useCount) ||
            !Put(pStream, sound->keepLoaded) || !Put(pStream, sound->loop))
            return kStatusFailed;
    }
    return kStatusOk;
}

Status CSurroundManager::LoadFromStream(UtilsStream* pStream)
{
    Unload();
    Load();
    if (Failed(PrepareForRun()))
        return kStatusFailed;
    SurroundChunk chunk;
    if (!ReadSurroundChunk(pStream, &chunk))
        return kStatusFailed;
    if (chunk.objects.size() != m_objectCount)
        return kStatusMismatch;

    // The chunk's table replaces the one the preparation built; the click sounds are found
    // again by name.
    char names[kClickRoleCount][kWorldTextSize];
    ClickNames(names);
    FreeSounds();
    const size_t soundCount = chunk.sounds.size();
    m_ppSounds = static_cast<SurroundSound**>(UTILS_CALLOC(soundCount ? soundCount : 1, sizeof(SurroundSound*)));
    if (!m_ppSounds)
        return kStatusOutOfMemory;
    for (const SurroundChunkSound& stored : chunk.sounds) {
        auto* sound = static_cast<SurroundSound*>(UTILS_CALLOC(1, sizeof(SurroundSound)));
        char* name = UtilsString_DupA(stored.name.c_str());
        if (!sound || !name) {
            UTILS_FREE(name);
            UTILS_FREE(sound);
            return kStatusOutOfMemory;
        }
        sound->pName = name;
        sound->useCount = stored.useCount;
        sound->keepLoaded = stored.keepLoaded;
        sound->loop = stored.loop;
        sound->level = 1.0f;
        m_ppSounds[m_soundCount++] = sound;
    }
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        const SurroundChunkObject& stored = chunk.objects[i];
        if (!stored.present)
            continue;
        SurroundObject* record = ObjectRecord(i, true);
        if (!record)
            return kStatusOutOfMemory;
        if (!stored.sounds.empty()) {
            record->pSounds = static_cast<uint32_t*>(UTILS_MALLOC(stored.sounds.size() * sizeof(uint32_t)));
            if (!record->pSounds)
                return kStatusOutOfMemory;
            std::copy(stored.sounds.begin(), stored.sounds.end(), record->pSounds);
            record->soundCount = uint32_t(stored.sounds.size());
        }
        if (!stored.commands.empty()) {
            record->pCommands =
                static_cast<SurroundCommand*>(UTILS_MALLOC(stored.commands.size() * sizeof(SurroundCommand)));
            if (!record->pCommands)
                return kStatusOutOfMemory;
            std::copy(stored.commands.begin(), stored.commands.end(), record->pCommands);
            record->commandCount = uint32_t(stored.commands.size());
        }
    }
    for (uint32_t role = 0; role < kClickRoleCount; ++role) {
        m_clickSounds[role] = kNoSound;
        for (uint32_t i = 0; names[role][0] && i < m_soundCount && m_clickSounds[role] == kNoSound; ++i)
            if (StringCompareA(m_ppSounds[i]->pName, names[role]) == 0)
                m_clickSounds[role] = int32_t(i);
        // A click sound the saved game did not know is held as the preparation holds it.
        if (m_clickSounds[role] == kNoSound && names[role][0]) {
            m_clickSounds[role] = FindOrAddSound(names[role]);
            if (m_clickSounds[role] == kNoSound)
                return kStatusOutOfMemory;
            m_ppSounds[m_clickSounds[role]]->keepLoaded = 1;
            ++m_ppSounds[m_clickSounds[role]]->useCount;
        }
        if (m_clickSounds[role] != kNoSound)
            m_ppSounds[m_clickSounds[role]]->loadState = kSurroundRequested;
    }
    return kStatusOk;
}
