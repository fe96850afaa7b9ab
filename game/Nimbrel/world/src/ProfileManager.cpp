// The profile slots: the settings, the header of every slot's file, the clock, the menu's
// operations (names, times, deletion) and the end of a completed game.
#include "NimbrelWorld/ProfileManager.h"

#include <cmath>
#include <cstring>
#include <ctime>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelPlatform/PlatformTime.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsString.h"

namespace {

// The options file keeps the current slot in 8 bits.
constexpr int32_t kProfileMaxCount = 255;
constexpr uint8_t kTimeUnset = 255;
constexpr uint32_t kLargestFloatBits = 0x7F7FFFFF;
constexpr float kUnitsPerSecond = 30.0f;

bool IsUnsetTime(const ProfileTime& time)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &time.fraction, sizeof bits);
    return time.hours == kTimeUnset || time.minutes == kTimeUnset || bits == kLargestFloatBits;
}

uint32_t WholeSeconds(float fraction)
{
    const float seconds = fraction / kUnitsPerSecond;
    return std::isfinite(seconds) && seconds > 0.0f && seconds < 256.0f ? static_cast<uint32_t>(seconds) : 0;
}

}  // namespace

CProfileManager::~CProfileManager()
{
    FreeSlots();
}

CNimbrelWorld* CProfileManager::GetWorld() const
{
    // The world data's world is always the game world in this program.
    return m_pWorldData ? static_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
}

CChaptersManager* CProfileManager::GetChapters() const
{
    CNimbrelWorld* world = GetWorld();
    return world ? world->GetChaptersManager() : nullptr;
}

Status CProfileManager::Latch(Status status)
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = status;
    return status;
}

void CProfileManager::FreeSlots()
{
    if (m_pSlots)
        for (uint32_t i = 0; i < m_slotCount; ++i)
            UTILS_FREE(m_pSlots[i].name);
    UTILS_FREE(m_pSlots);
    m_pSlots = nullptr;
}

Status CProfileManager::LoadParameters()
{
    int32_t count = static_cast<int32_t>(kProfileDefaultCount);
    if (m_pWorldData && m_pWorldData->pAppSettings)
        count = m_pWorldData->pAppSettings->GetInt(u"PROFILES", u"PROFILES_COUNT", count);
    // The slots already allocated keep their count until LoadSlots makes new ones.
    if (!m_pSlots)
        m_slotCount = static_cast<uint32_t>(count < 0 ? 0 : (count > kProfileMaxCount ? kProfileMaxCount : count));
    // Unsigned: -1 is outside too. An index at the count would address no slot.
    if (static_cast<uint32_t>(m_currentIndex) >= m_slotCount)
        m_currentIndex = -1;
    return kStatusOk;
}

Status CProfileManager::Unload()
{
    FreeSlots();
    return kStatusOk;
}

ProfileSlot* CProfileManager::GetSlot(int32_t index)
{
    return IsSlotIndex(index) ? &m_pSlots[index] : nullptr;
}

void CProfileManager::Update()
{
    ProfileSlot* slot = GetCurrentSlot();
    if (!slot || !slot->gameInProgress)
        return;
    slot->changed = 1;
    ProfileTime_Advance(slot->playTime, m_pWorldData ? m_pWorldData->frameTime : 0.0);
}

Status CProfileManager::LoadSlots()
{
    FreeSlots();
    if (m_slotCount == 0)
        return kStatusOk;
    m_pSlots = static_cast<ProfileSlot*>(UTILS_CALLOC(m_slotCount, sizeof(ProfileSlot)));
    if (!m_pSlots)
        return Latch(kStatusOutOfMemory);
    for (uint32_t i = 0; i < m_slotCount; ++i) {
        m_pSlots[i].chapterIndex = -1;
        const Status status = ReadProfileHeader(static_cast<int32_t>(i), nullptr);
        if (Failed(status))
            return status;
    }
    return kStatusOk;
}

int32_t CProfileManager::ValidMismatchChapter(int32_t chapter) const
{
    const CChaptersManager* chapters = GetChapters();
    return chapters && chapters->IsChapter(chapter) ? chapter : 0;
}

Status CProfileManager::BuildProfilePath(int32_t index, const char16_t* path, uint8_t createFolder, char16_t* out)
{
    out[0] = 0;
    if (path)
        return UtilsString_Copy(out, kWorldTextSize, path) ? kStatusOk : kStatusFailed;
    CNimbrelWorld* world = GetWorld();
    if (!world)
        return kStatusFailed;
    char16_t name[64];
    UtilsString_Format(name, 64, u"profile_%s_%d.sav", u"full", index);
    return world->BuildUserDataPath(name, createFolder, kNimbrelUserFolderWord, out);
}

Status CProfileManager::ReadProfileHeader(int32_t index, const char16_t* path)
{
    ProfileSlot* slot = GetSlot(index);
    if (!slot)
        return kStatusFailed;
    char16_t file[kWorldTextSize];
    if (Failed(BuildProfilePath(index, path, 0, file)))
        return kStatusOk;
    UtilsStream_File stream(kStreamRead, file);
    if (Failed(stream.Open()))
        return kStatusOk;   // no file: the slot stays as it is
    // An empty file is a deleted slot, not a damaged one.
    const bool empty = stream.BytesLeft() == 0;
    UtilsStream_ChunkList list(&stream);
    const Status r = LoadProfile(slot, &list, 1, 0);
    if (Failed(r) && (static_cast<uint32_t>(r) & 0xFFFF) == 3) {
        const uint32_t chapter = (static_cast<uint32_t>(r) >> 16) & kChapterNone;
        if (chapter != kChapterNone) {
            slot->chapterIndex = ValidMismatchChapter(static_cast<int32_t>(chapter));
            slot->mismatched = 1;
        }
        slot->used = 1;
    } else if (Succeeded(r)) {
        slot->used = 1;
    } else if (slot->chapterIndex != -1) {
        slot->chapterIndex = ValidMismatchChapter(slot->chapterIndex);
        slot->mismatched = 1;
        slot->used = 1;
    } else {
        slot->gameInProgress = 0;
        if (!empty && m_pWorldData)
            Log(m_pWorldData->logPath, 1,
                u"# CProfileManager::ReadProfileHeader - slot %d: \"%s\" is damaged and is left out\n", index, file);
    }
    stream.Close();
    return kStatusOk;
}

Status CProfileManager::LoadProfileFromFile(int32_t index, const char16_t* path, uint32_t word)
{
    ProfileSlot* slot = GetSlot(index);
    if (!slot)
        return kStatusFailed;
    char16_t file[kWorldTextSize];
    if (Failed(BuildProfilePath(index, path, 0, file)))
        return kStatusFailed;
    UtilsStream_File stream(kStreamRead, file);
    if (Failed(stream.Open()))
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"ERROR: %S : line=%d\n", __FILE__, __LINE__);
    UtilsStream_ChunkList list(&stream);
    const Status r = LoadProfile(slot, &list, 0, word);
    if (Failed(r)) {
        slot->mismatched = 1;
        slot->chapterIndex = ValidMismatchChapter(slot->chapterIndex);
    }
    stream.Close();
    return r;
}

Status CProfileManager::ResetPlayTime(ProfileSlot* pSlot)
{
    if (pSlot)
        pSlot->playTime = ProfileTime{};
    return kStatusOk;
}

bool CProfileManager::FormatPlayTime(int32_t index, char16_t* buffer)
{
    const ProfileSlot* slot = GetSlot(index);
    uint32_t hours = 0, minutes = 0, seconds = 0;
    if (slot && (slot->gameInProgress || slot->mismatched)) {
        hours = slot->playTime.hours;
        minutes = slot->playTime.minutes;
        seconds = WholeSeconds(slot->playTime.fraction) + (slot->gameInProgress ? 1 : 0);
    } else if (slot && !IsUnsetTime(slot->lastCompletionTime)) {
        hours = slot->lastCompletionTime.hours;
        minutes = slot->lastCompletionTime.minutes;
        seconds = WholeSeconds(slot->lastCompletionTime.fraction);
    }
    // One carry each, in bytes, as the menu has always shown them.
    if (seconds > 59) {
        seconds -= 60;
        ++minutes;
    }
    if (minutes > 59) {
        minutes -= 60;
        ++hours;
    }
    UtilsString_Format(buffer, 11, u"(%02d:%02d:%02d)", static_cast<int>(hours & 0xFF),
                       static_cast<int>(minutes & 0xFF), static_cast<int>(seconds & 0xFF));
    return slot != nullptr;
}

bool CProfileManager::AreAllSlotsEmpty()
{
    for (uint32_t i = 0; m_pSlots && i < m_slotCount; ++i)
        if (m_pSlots[i].used)
            return false;
    return true;
}

bool CProfileManager::IsNewGameSlot(int32_t index)
{
    const ProfileSlot* slot = GetSlot(index);
    return !slot || !slot->used || !slot->gameInProgress || slot->mismatched;
}

bool CProfileManager::CanResumeAfterMismatch(int32_t index)
{
    const ProfileSlot* slot = GetSlot(index);
    return slot && slot->chaptersFlagCopy && slot->gameInProgress && slot->mismatched && slot->chapterIndex != -1;
}

Status CProfileManager::OnGameCompleted(int32_t index, uint8_t save)
{
    ProfileSlot* slot = GetSlot(index);
    if (!slot)
        return kStatusFailed;
    slot->gameInProgress = 0;
    slot->chapterIndex = 0;
    ++slot->completedGames;
    // Without a chapter table the level stays where it is.
    const CChaptersManager* chapters = GetChapters();
    if (const ChapterEntry* first = chapters ? chapters->GetChapter(0) : nullptr)
        slot->levelObjectIndex = first->firstLevel;
    // The time of this game becomes the last completion time; a game longer than the one
    // before also starts the clock again.
    const bool longer = ProfileTime_Compare(slot->playTime, slot->lastCompletionTime) > 0;
    slot->lastCompletionTime = slot->playTime;
    if (longer)
        ResetPlayTime(slot);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (Platform_LocalTime(now, &local)) {
        slot->completionDate.second = static_cast<uint8_t>(local.tm_sec);
        slot->completionDate.minute = static_cast<uint8_t>(local.tm_min);
        slot->completionDate.hour = static_cast<uint8_t>(local.tm_hour);
        slot->completionDate.day = static_cast<uint16_t>(local.tm_mday);
        slot->completionDate.month = static_cast<uint8_t>(local.tm_mon + 1);
        slot->completionDate.year = static_cast<uint16_t>(local.tm_year + 1900);
    }
    // Changed first, so that the save below writes it.
    slot->changed = 1;
    if (save && Failed(SaveProfileToFile(index, nullptr, 0)))
        return LogAndReturn(kStatusFailed, m_pWorldData ? m_pWorldData->logPath : nullptr, 0,
                            u"ERROR: %S : line=%d\n", __FILE__, __LINE__);
    return kStatusOk;
}
