// The profile file: the slot's own chunks written and read, and the file operations around
// them. Every file is replaced whole through the atomic writer.
#include <memory>
#include <new>
#include <string>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "NimbrelWorld/ProfileManager.h"
#include "NimbrelWorld/ProfileManagerChunks.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

#define PROFILE_ERROR(status)                                                                              \
    LogAndReturn((status), m_pWorldData ? m_pWorldData->logPath : nullptr, 0, u"ERROR: %S : line=%d\n", \
                 __FILE__, __LINE__)

namespace {

bool IsMismatch(Status status)
{
    return Failed(status) && (static_cast<uint32_t>(status) & 0xFFFF) == 3;
}

}  // namespace

Status CProfileManager::SaveProfile(ProfileSlot* pSlot, UtilsStream_ChunkList* pList)
{
    if (!pSlot || !pList)
        return PROFILE_ERROR(kStatusFailed);
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    char identity[kManagedNameSize] = {};
    if (CNimbrelWorld* world = GetWorld())
        world->GetApplicationName(identity);
    // Without a chapter table the block says so: no chapters, none current.
    CChaptersManager noChapters(m_pWorldData);
    CChaptersManager* chapters = GetChapters();
    if (!chapters)
        chapters = &noChapters;

    UtilsStream_Chunk* c = pList->CreateChunk(kProfileTagHeader, nullptr);
    if (!c || !ProfileChunk_WriteHeader(c, game ? game->constructionStampA : 0))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagIdentity, nullptr);
    if (!c || !c->WriteStringA(identity, false))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagPlatform, nullptr);
    if (!c || !c->WriteStringA(kProfilePlatformCode, false))
        return PROFILE_ERROR(kStatusFailed);
    if (pSlot->name && pSlot->name[0]) {
        c = pList->CreateChunk(kProfileTagName, nullptr);
        if (!c || !ProfileChunk_WriteName(c, pSlot->name))
            return PROFILE_ERROR(kStatusFailed);
    }
    c = pList->CreateChunk(kProfileTagPlayTime, nullptr);
    if (!c || !ProfileChunk_WriteTime(c, pSlot->playTime))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagDate, nullptr);
    if (!c || !ProfileChunk_WriteDate(c, pSlot->completionDate))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagState, nullptr);
    if (!c || !ProfileChunk_WriteState(c, *pSlot))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagChaptersCheck, nullptr);
    if (!c || !ProfileChunk_WriteChaptersCheck(c, game ? game->constructionStampB : 0, pSlot->chaptersFlagCopy))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagLevel, nullptr);
    if (!c || !c->Write(&pSlot->levelObjectIndex, 4, 1) || !c->Write(&pSlot->chapterIndex, 4, 1) ||
        Failed(chapters->Save(pList, c)))
        return PROFILE_ERROR(kStatusFailed);
    c = pList->CreateChunk(kProfileTagSpare, nullptr);
    if (!c || !ProfileChunk_WriteSpare(c, pSlot->flagC, pSlot->flagD))
        return PROFILE_ERROR(kStatusFailed);
    return SaveGameState(pList);
}

Status CProfileManager::LoadChaptersCheck(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk)
{
    uint32_t version = 0, stampB = 0;
    if (!ProfileChunk_ReadChaptersCheckWords(pChunk, &version, &stampB))
        return PROFILE_ERROR(kStatusFailed);
    const CChaptersManager* chapters = GetChapters();
    if (!chapters || !chapters->GetChaptersFlag())
        return kStatusOk;
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (version != kProfileFormatVersion || !game || stampB != game->constructionStampB) {
        pSlot->chaptersFlagCopy = 0;
        pSlot->chapterIndex = 0;
        return Latch(kStatusMismatch);
    }
    return pChunk->Read(&pSlot->chaptersFlagCopy, 1, 1) ? kStatusOk : PROFILE_ERROR(kStatusFailed);
}

Status CProfileManager::LoadLevelChunk(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk, uint32_t layout,
                                       uint32_t stampA)
{
    uint32_t level = 0;
    int32_t chapter = -1;
    if (!ProfileChunk_ReadLevelWords(pChunk, &level, &chapter))
        return PROFILE_ERROR(kStatusFailed);
    CChaptersManager noChapters(m_pWorldData);
    CChaptersManager* chapters = GetChapters();
    if (!chapters)
        chapters = &noChapters;
    // A chapter the table does not have is no chapter.
    if (chapter != -1 && !chapters->IsChapter(chapter))
        return Latch(ChapterMismatch(static_cast<int32_t>(kChapterNone)));
    pSlot->levelObjectIndex = level;
    pSlot->chapterIndex = chapter;
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (layout != kProfileLayoutNumber || !game || stampA != game->constructionStampA)
        return Latch(ChapterMismatch(chapter));
    // The level must be an object of this construction, when there are objects to ask.
    uint32_t objects = 0;
    CNimbrelWorld* world = GetWorld();
    if (world && world->GetObjectCount(&objects) && level >= objects)
        return Latch(ChapterMismatch(chapter));
    // A profile saved before any chapter was played holds no progress that the chapter table
    // could contradict: its slot stays as it is (the table refuses a block without a chapter).
    UtilsStream_Static* payload = pChunk->GetInnerStream();
    const int64_t blockStart = payload ? payload->Tell() : -1;
    ProfileChapterBlock block{};
    if (chapter == -1 && blockStart >= 0 && ProfileChunk_ReadChapterBlock(pChunk, &block) &&
        block.currentChapter == kChapterIdentifierNone)
        return kStatusOk;
    if (blockStart >= 0)
        payload->Seek(blockStart, kSeekStart);
    return chapters->CheckSaved(pChunk);
}

Status CProfileManager::LoadProfile(ProfileSlot* pSlot, UtilsStream_ChunkList* pList, uint8_t headerOnly, uint32_t)
{
    if (!pSlot || !pList)
        return PROFILE_ERROR(kStatusFailed);
    UTILS_FREE(pSlot->name);
    pSlot->name = nullptr;
    // A mismatched slot skips chunk 10002 and keeps the chapter it is played at.
    if (!pSlot->mismatched)
        pSlot->chapterIndex = -1;
    ProfileHeader header{};
    UtilsStream_Chunk* chunk = pList->ReadFirst();
    if (!chunk)
        return PROFILE_ERROR(kStatusFailed);
    char identity[kManagedNameSize] = {};
    if (CNimbrelWorld* world = GetWorld())
        world->GetApplicationName(identity);

    for (; chunk; chunk = pList->ReadNext()) {
        Status status = kStatusOk;
        switch (chunk->GetTag()) {
        case kProfileTagHeader:
            if (!ProfileChunk_ReadHeader(chunk, &header) || header.version != kProfileFormatVersion)
                return PROFILE_ERROR(kStatusFailed);
            break;
        case kProfileTagIdentity: {
            char* text = nullptr;
            if (!chunk->ReadStringA(&text, false))
                return PROFILE_ERROR(kStatusFailed);
            const bool same = text && StringCompareA(text, identity) == 0;
            UTILS_FREE(text);
            if (!same)
                return PROFILE_ERROR(kStatusFailed);
            break;
        }
        case kProfileTagPlatform: {
            char* text = nullptr;
            if (!chunk->ReadStringA(&text, false))
                return PROFILE_ERROR(kStatusFailed);
            UTILS_FREE(text);
            break;
        }
        case kProfileTagName: {
            char16_t* name = nullptr;
            if (!ProfileChunk_ReadName(chunk, &name))
                return PROFILE_ERROR(kStatusFailed);
            UTILS_FREE(pSlot->name);
            pSlot->name = name;
            break;
        }
        case kProfileTagPlayTime: {
            ProfileTime time{};
            if (!ProfileChunk_ReadTime(chunk, &time))
                return PROFILE_ERROR(kStatusFailed);
            ProfileTime_Normalize(time);
            pSlot->playTime = time;
            break;
        }
        case kProfileTagDate:
            if (!ProfileChunk_ReadDate(chunk, &pSlot->completionDate))
                return PROFILE_ERROR(kStatusFailed);
            break;
        case kProfileTagState:
            if (!ProfileChunk_ReadState(chunk, &pSlot->gameInProgress, &pSlot->completedGames, &pSlot->flags))
                return PROFILE_ERROR(kStatusFailed);
            break;
        case kProfileTagChaptersCheck:
            status = LoadChaptersCheck(pSlot, chunk);
            break;
        case kProfileTagLevel:
            if (!pSlot->mismatched)
                status = LoadLevelChunk(pSlot, chunk, header.layout, header.stampA);
            break;
        case kProfileTagSpare:
            if (!ProfileChunk_ReadSpare(chunk, &pSlot->flagC, &pSlot->flagD))
                return PROFILE_ERROR(kStatusFailed);
            break;
        case kProfileTagObject:
            if (!pSlot->mismatched)
                status = LoadObjectChunk(pSlot, chunk, headerOnly);
            break;
        case kProfileTagScriptGlobals:
        case kProfileTagScriptRunState:
            if (!headerOnly && !pSlot->mismatched)
                status = LoadScriptChunk(pSlot, chunk);
            break;
        case kProfileTagScriptSynchronized:
            // Only a game of another construction keeps just these.
            if (!headerOnly && pSlot->mismatched)
                status = LoadScriptChunk(pSlot, chunk);
            break;
        default:
            if (!headerOnly && !pSlot->mismatched && FindProfileManagerChunk(chunk->GetTag()))
                status = LoadManagerChunk(chunk);
            break;
        }
        if (Failed(status))
            return IsMismatch(status) ? status : PROFILE_ERROR(status);
    }
    if (Failed(pList->GetLastReadStatus()))
        return PROFILE_ERROR(kStatusFailed);
    return kStatusOk;
}

Status CProfileManager::WriteListAtomically(UtilsStream_ChunkList* pList, const char16_t* path)
{
    // The whole file is made in memory first: the old file is only replaced by a complete one.
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    if (Failed(memory.Open()))
        return PROFILE_ERROR(kStatusFailed);
    UtilsStream_ChunkList out(&memory);
    bool ok = true;
    for (void* p = pList->GetChunks().GetFirst(); p && ok; p = pList->GetChunks().GetNext())
        ok = static_cast<UtilsStream_Chunk*>(p)->WriteChunk(&memory, static_cast<uint32_t>(memory.Tell()));
    if (!ok)
        return PROFILE_ERROR(kStatusFailed);
    const std::string target = UtilsString_ToUtf8(path);
    if (!Platform_WriteFileAtomic(target.c_str(), memory.GetBlock(), memory.GetSize()))
        return PROFILE_ERROR(kStatusFailed);
    return kStatusOk;
}

Status CProfileManager::SaveProfileToFile(int32_t index, const char16_t* path, uint32_t)
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    ProfileSlot* slot = GetSlot(index);
    if (!game || game->noSave || !slot || !slot->used || !slot->changed)
        return kStatusOk;
    char16_t file[kWorldTextSize];
    if (Failed(BuildProfilePath(index, path, 1, file)))
        return SaveFailed(index, path);
    const CChaptersManager* chapters = GetChapters();
    slot->chaptersFlagCopy = chapters && chapters->GetChaptersFlag() ? 1 : 0;
    UtilsStream_ChunkList list(nullptr);
    if (Failed(SaveProfile(slot, &list)) || Failed(WriteListAtomically(&list, file)))
        return SaveFailed(index, path);
    slot->mismatched = 0;
    slot->objectStateSaved = 1;
    slot->changed = 0;
    return kStatusOk;
}

Status CProfileManager::SaveFailed(int32_t index, const char16_t* path)
{
    if (!m_pWorldData)
        return kStatusFailed;
    // The path as the save meant it, even when its folder could not be made.
    char16_t file[kWorldTextSize];
    if (Failed(BuildProfilePath(index, path, 0, file)))
        file[0] = 0;
    const char16_t* name = file;
    for (const char16_t* c = file; *c; ++c)
        if (*c == u'/' || *c == u'\\')
            name = c + 1;
    const std::u16string folder(file, name > file ? size_t(name - file - 1) : 0);
    // The box that ends the game shows this text rather than whatever was set before.
    UtilsString_Format(m_pWorldData->lastErrorText, kWorldTextSize, u"The profile \"%s\" could not be saved in \"%s\"",
                       name, folder.c_str());
    Log(m_pWorldData->logPath, 1,
        u"# CProfileManager::SaveProfileToFile failed! \"%s\" could not be written in \"%s\"\n", name,
        folder.c_str());
    return kStatusFailed;
}

Status CProfileManager::DeleteProfile(int32_t index)
{
    ProfileSlot* slot = GetSlot(index);
    if (!slot)
        return PROFILE_ERROR(kStatusFailed);
    UTILS_FREE(slot->name);
    *slot = ProfileSlot{};
    slot->chapterIndex = -1;
    // An empty file reads as an empty slot.
    char16_t file[kWorldTextSize];
    if (Failed(BuildProfilePath(index, nullptr, 1, file)))
        return PROFILE_ERROR(kStatusFailed);
    const std::string target = UtilsString_ToUtf8(file);
    if (!Platform_WriteFileAtomic(target.c_str(), "", 0))
        return PROFILE_ERROR(kStatusFailed);
    return kStatusOk;
}

Status CProfileManager::RenameProfile(int32_t index, const char16_t* name)
{
    ProfileSlot* slot = GetSlot(index);
    if (!slot || !name || UtilsString_Length(name) > kProfileNameMax)
        return PROFILE_ERROR(kStatusFailed);
    if (slot->name && UtilsString_Compare(slot->name, name) == 0)
        return kStatusOk;
    for (uint32_t i = 0; i < m_slotCount; ++i)
        if (static_cast<int32_t>(i) != index && m_pSlots[i].name && UtilsString_Compare(m_pSlots[i].name, name) == 0)
            return PROFILE_ERROR(kStatusFailed);
    char16_t* copy = UtilsString_DupW(name);
    if (!copy)
        return Latch(kStatusOutOfMemory);

    char16_t file[kWorldTextSize];
    Status status = BuildProfilePath(index, nullptr, 0, file);
    UtilsStream_File stream(kStreamRead, file);
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* first = nullptr;
    // No file, or an empty one: the name reaches the file with the next save.
    if (Succeeded(status) && Succeeded(stream.Open()) && (first = list.ReadFirst()) != nullptr) {
        status = list.ReadTree(first);
        UtilsStream_Chunk* nameChunk = nullptr;
        for (void* p = list.GetChunks().GetFirst(); p && !nameChunk; p = list.GetChunks().GetNext())
            if (static_cast<UtilsStream_Chunk*>(p)->GetTag() == kProfileTagName)
                nameChunk = static_cast<UtilsStream_Chunk*>(p);
        if (Succeeded(status)) {
            if (nameChunk) {
                nameChunk->Close();
                if (Failed(nameChunk->Open(kStreamReadWriteGrowable)))
                    nameChunk = nullptr;
            } else {
                nameChunk = list.CreateChunk(kProfileTagName, nullptr);
            }
            status = nameChunk && ProfileChunk_WriteName(nameChunk, copy) ? WriteListAtomically(&list, file)
                                                                          : kStatusFailed;
        }
    } else if (Succeeded(status) && Failed(list.GetLastReadStatus())) {
        status = kStatusFailed;   // a file that cannot be read keeps its name
    } else {
        status = kStatusOk;
    }
    stream.Close();
    if (Failed(status)) {
        UTILS_FREE(copy);
        return PROFILE_ERROR(kStatusFailed);
    }
    UTILS_FREE(slot->name);
    slot->name = copy;
    return kStatusOk;
}
