#pragma once
// The game's chapter table: the chapters in play order, each with its identifier and the object
// index of its first level, the chapter being played, and the chapters flag. The table comes
// from the construction file; a profile stores where the player is (inside its chunk 10002),
// and CheckSaved tells whether that still fits the construction.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class UtilsStream;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

struct ChapterEntry {
    uint32_t identifier;
    uint32_t firstLevel;   // object index of the chapter's first level
};

// A chapter index travels in bits 16-30 of a mismatch status; 0x7FFF there is no chapter, so a
// table never holds more chapters than that.
constexpr uint32_t kChapterNone = 0x7FFF;
constexpr uint32_t kMaxChapters = kChapterNone;
// What Save stores as the identifier while no chapter of the table is current.
constexpr uint32_t kChapterIdentifierNone = 0xFFFFFFFFu;

// (chapter << 16) | 0x80000003: saved data that does not fit the construction, with the chapter.
inline int32_t ChapterMismatch(int32_t chapter)
{
    return static_cast<int32_t>(((static_cast<uint32_t>(chapter) & kChapterNone) << 16) | 0x80000003u);
}

class CChaptersManager : public CManagedObject {
public:
    explicit CChaptersManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CChaptersManager() override;

    using CManagedObject::Load;
    // Frees the entries; the count stays. 0.
    Status Unload() override;
    // Checks a profile's chapter block against the table: 0; kStatusFailed for a short block, a
    // count that differs or a saved chapter outside the table (-1 included); the mismatch
    // status with the saved chapter (latched) when that chapter's identifier changed.
    virtual Status CheckSaved(UtilsStream_Chunk* pChunk);
    // Appends the chapter block (flag, count, current chapter, its identifier) to a chunk.
    virtual Status Save(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);

    // The construction file's section: u32 count, count x {u32 identifier, u32 first level},
    // u8 flag. kStatusFailed for a short read or a count the stream cannot hold;
    // kStatusOutOfMemory (latched). The current chapter is not touched.
    Status Load(UtilsStream* pStream);
    // Every chapter's first level must be an object of the construction: 0, else kStatusFailed.
    Status CheckFirstLevels(uint32_t objectCount) const;

    uint32_t GetChapterCount() const { return m_chapterCount; }
    int32_t GetCurrentChapter() const { return m_currentChapter; }
    void SetCurrentChapter(int32_t chapter) { m_currentChapter = chapter; }
    // True for an index of the table.
    bool IsChapter(int32_t chapter) const
    {
        return chapter >= 0 && static_cast<uint32_t>(chapter) < m_chapterCount && m_pEntries;
    }
    // The entry of a chapter; null outside the table.
    const ChapterEntry* GetChapter(int32_t chapter) const { return IsChapter(chapter) ? &m_pEntries[chapter] : nullptr; }
    uint8_t GetChaptersFlag() const { return m_chaptersFlag; }

private:
    void FreeEntries();

    uint32_t m_chapterCount = 0;
    int32_t m_currentChapter = -1;   // none chosen yet
    ChapterEntry* m_pEntries = nullptr;
    uint8_t m_chaptersFlag = 0;
};
