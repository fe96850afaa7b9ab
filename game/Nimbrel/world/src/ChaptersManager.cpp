// The chapter table and the chapter block of a profile.
#include "NimbrelWorld/ChaptersManager.h"

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

CChaptersManager::~CChaptersManager()
{
    FreeEntries();
}

void CChaptersManager::FreeEntries()
{
    UTILS_FREE(m_pEntries);
    m_pEntries = nullptr;
}

Status CChaptersManager::Unload()
{
    FreeEntries();
    return kStatusOk;
}

Status CChaptersManager::Load(UtilsStream* pStream)
{
    if (!pStream)
        return kStatusFailed;
    uint32_t count = 0;
    if (!pStream->Read(&count, 4, 1))
        return kStatusFailed;
    // A count from the file is only believed when the file holds its entries.
    const int64_t left = pStream->BytesLeft();
    if (count > kMaxChapters || (left >= 0 && static_cast<uint64_t>(count) * 8 > static_cast<uint64_t>(left)))
        return kStatusFailed;
    FreeEntries();
    m_chapterCount = 0;
    if (count != 0) {
        m_pEntries = static_cast<ChapterEntry*>(UTILS_CALLOC(count, sizeof(ChapterEntry)));
        if (!m_pEntries) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        for (uint32_t i = 0; i < count; ++i)
            if (!pStream->Read(&m_pEntries[i].identifier, 4, 1) || !pStream->Read(&m_pEntries[i].firstLevel, 4, 1)) {
                FreeEntries();
                return kStatusFailed;
            }
    }
    m_chapterCount = count;
    return pStream->Read(&m_chaptersFlag, 1, 1) ? kStatusOk : kStatusFailed;
}

Status CChaptersManager::CheckFirstLevels(uint32_t objectCount) const
{
    for (uint32_t i = 0; i < m_chapterCount && m_pEntries; ++i)
        if (m_pEntries[i].firstLevel >= objectCount)
            return kStatusFailed;
    return kStatusOk;
}

Status CChaptersManager::Save(UtilsStream_ChunkList*, UtilsStream_Chunk* pChunk)
{
    if (!pChunk)
        return kStatusFailed;
    const ChapterEntry* current = GetChapter(m_currentChapter);
    const uint32_t identifier = current ? current->identifier : kChapterIdentifierNone;
    const uint32_t chapter = static_cast<uint32_t>(m_currentChapter);
    if (!pChunk->Write(&m_chaptersFlag, 1, 1) || !pChunk->Write(&m_chapterCount, 4, 1) ||
        !pChunk->Write(&chapter, 4, 1) || !pChunk->Write(&identifier, 4, 1))
        return kStatusFailed;
    return kStatusOk;
}

Status CChaptersManager::CheckSaved(UtilsStream_Chunk* pChunk)
{
    uint8_t flag = 0;
    uint32_t count = 0, chapter = 0, identifier = 0;
    if (!pChunk || !pChunk->Read(&flag, 1, 1) || !pChunk->Read(&count, 4, 1))
        return kStatusFailed;
    if (count != m_chapterCount)
        return kStatusFailed;
    // Unsigned: a saved -1 (no chapter) is outside the table too.
    if (!pChunk->Read(&chapter, 4, 1) || chapter >= m_chapterCount || !m_pEntries)
        return kStatusFailed;
    if (!pChunk->Read(&identifier, 4, 1))
        return kStatusFailed;
    if (identifier != m_pEntries[chapter].identifier) {
        const Status mismatch = ChapterMismatch(static_cast<int32_t>(chapter));
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = mismatch;
        return mismatch;
    }
    return kStatusOk;
}
