#pragma once
// The player profiles: a fixed number of slots, each with its file in the per-user folder
// ("profile_full_<index>.sav"), one of them current. The manager reads every slot's header at
// the world load, saves and loads the current slot's whole file, renames and deletes profiles
// for the menu and runs the current slot's play-time clock while a level is played.
//
// Files are only ever replaced whole through the atomic writer: a save, a rename or a delete
// that fails or is cut short leaves the old file as it was. Reading never writes.
#include <cstdint>

#include "NimbrelWorld/ProfileSlot.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class CChaptersManager;
class CNimbrelWorld;
class CObjectsManager;
struct ProfileManagerChunk;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

constexpr uint32_t kProfileDefaultCount = 1;

class CProfileManager : public CManagedObject {
public:
    explicit CProfileManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CProfileManager() override;

    // LoadParameters: the slot count (PROFILES / PROFILES_COUNT, default 1); a current index
    // outside the slots becomes -1. 0.
    Status Load() override { return LoadParameters(); }
    virtual Status LoadParameters();
    // Frees every slot's name and the slots. 0.
    Status Unload() override;
    // The per-frame clock step of the current slot while its game is in progress.
    void Update() override;
    // New zeroed slots, then every slot's header: 0, or the first failure (kStatusOutOfMemory
    // latched when the slots cannot be allocated).
    virtual Status LoadSlots();
    // Reads a slot's file header-only and marks the slot used, mismatched or empty. A missing
    // file leaves the slot as it is. 0 (kStatusFailed only for an index outside the slots).
    virtual Status ReadProfileHeader(int32_t index, const char16_t* path);
    // The end of a completed game: progress back to the first chapter, count and date, the
    // best time kept; saved when asked. 0, or kStatusFailed when the save fails.
    virtual Status OnGameCompleted(int32_t index, uint8_t save);
    // Empties the slot and replaces its file by an empty one. 0; kStatusFailed when the file
    // could not be emptied (the slot is empty all the same).
    virtual Status DeleteProfile(int32_t index);
    // The whole file into the slot; a mismatch or failure marks the slot mismatched.
    virtual Status LoadProfileFromFile(int32_t index, const char16_t* path, uint32_t word);
    // Writes the slot's file whole when the slot is used and changed (and saving is allowed).
    // 0 when written or nothing to write; kStatusFailed with the old file intact and the slot
    // still changed.
    virtual Status SaveProfileToFile(int32_t index, const char16_t* path, uint32_t word);
    virtual void SetCurrentSlot(int32_t index) { m_currentIndex = index; }
    int32_t GetCurrentIndex() const { return m_currentIndex; }
    // Null when the current index is not a slot.
    virtual ProfileSlot* GetCurrentSlot() { return GetSlot(m_currentIndex); }
    // Null outside the slots.
    virtual ProfileSlot* GetSlot(int32_t index);
    // "(hh:mm:ss)" of the running or the last completed game; false (buffer "(00:00:00)")
    // outside the slots. The buffer holds at least 11 characters.
    virtual bool FormatPlayTime(int32_t index, char16_t* buffer);
    virtual bool AreAllSlotsEmpty();
    virtual bool IsNewGameSlot(int32_t index);
    virtual bool CanResumeAfterMismatch(int32_t index);
    // A new name (at most kProfileNameMax characters): 0 when kept or the same already;
    // kStatusFailed for another slot's name, a name too long, or a file that cannot be
    // rewritten (the old file and the old name then stay).
    virtual Status RenameProfile(int32_t index, const char16_t* name);
    virtual Status ResetPlayTime(ProfileSlot* pSlot);
    // The whole chunk tree of a profile into a slot (header only: chunks 10001-10010).
    virtual Status LoadProfile(ProfileSlot* pSlot, UtilsStream_ChunkList* pList, uint8_t headerOnly, uint32_t word);
    // Every chunk of the slot appended to an empty chunk list, in the file's order.
    virtual Status SaveProfile(ProfileSlot* pSlot, UtilsStream_ChunkList* pList);

    uint32_t GetSlotCount() const { return m_slotCount; }

    // The file of a slot in the per-user folder (or the given path), into the world's path
    // buffer size (kWorldTextSize). kStatusFailed when there is none.
    Status BuildProfilePath(int32_t index, const char16_t* path, uint8_t createFolder, char16_t* out);

protected:
    CNimbrelWorld* GetWorld() const;
    CChaptersManager* GetChapters() const;
    CObjectsManager* GetObjects() const;

private:
    bool IsSlotIndex(int32_t index) const
    {
        return m_pSlots && index >= 0 && static_cast<uint32_t>(index) < m_slotCount;
    }
    void FreeSlots();
    // The chapter kept by a mismatched slot: the given one when it is a chapter of the table,
    // else 0.
    int32_t ValidMismatchChapter(int32_t chapter) const;
    Status Latch(Status status);
    // Chunk 10002's checks: the words into the slot, then the header and the chapters block.
    Status LoadLevelChunk(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk, uint32_t layout, uint32_t stampA);
    Status LoadChaptersCheck(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk);
    // The game in progress: the drag-and-drop chunk, every scene object with its elements, the
    // three passes over the object scripts, the managers' chunks.
    Status SaveGameState(UtilsStream_ChunkList* pList);
    // A manager's chunk, when the manager exists.
    Status SaveManagerChunk(UtilsStream_ChunkList* pList, const ProfileManagerChunk& entry);
    // Chunk 20000: the kind check (a mismatch code with the slot's chapter), then, unless header
    // only, the object of that name and its elements by name (unknown names are skipped).
    Status LoadObjectChunk(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk, uint8_t headerOnly);
    // Chunks 30001 to 30003 of an object of the list (another number fails).
    Status LoadScriptChunk(ProfileSlot* pSlot, UtilsStream_Chunk* pChunk);
    Status LoadManagerChunk(UtilsStream_Chunk* pChunk);
    // The chunk list of a file into memory, then the atomic writer.
    Status WriteListAtomically(UtilsStream_ChunkList* pList, const char16_t* path);
    // A save that failed: the world's last error text and a written log line name the file
    // and its folder. kStatusFailed.
    Status SaveFailed(int32_t index, const char16_t* path);

    ProfileSlot* m_pSlots = nullptr;
    int32_t m_currentIndex = 0;
    uint32_t m_slotCount = 0;
};
