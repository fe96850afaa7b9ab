#pragma once
// The top-level chunks of a stream (a profile file, a saved state in memory).
//
// Writing: CreateChunk for each chunk (children with their parent), Write into each, then
// WriteAll. Reading: ReadFirst, then ReadTree to read every chunk below and after it, then
// FindChunk by tag.
#include <cstdint>

#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"
#include "VornelUtils/UtilsStream_Chunk.h"

class UtilsStream;

class UtilsStream_ChunkList {
public:
    // The stream stays the caller's.
    UtilsStream_ChunkList(UtilsStream* pStream, uint32_t mode = 0);
    virtual ~UtilsStream_ChunkList();

    UtilsStream_ChunkList(const UtilsStream_ChunkList&) = delete;
    UtilsStream_ChunkList& operator=(const UtilsStream_ChunkList&) = delete;

    virtual Status Open() { return kStatusOk; }
    // Deletes every chunk with its payload and the memory it was read into.
    virtual void Clear();
    // A new chunk open for writing, at the end of the parent's sub-chunks or of the top level;
    // null when out of memory.
    virtual UtilsStream_Chunk* CreateChunk(uint32_t tag, UtilsStream_Chunk* pParent);
    // Every top-level chunk with its sub-chunks, in order, at the stream's current position.
    virtual bool WriteAll();
    // The first top-level chunk (from the stream start), the next one after the last read;
    // null at the end (GetLastReadStatus tells a clean end from a bad chunk).
    virtual UtilsStream_Chunk* ReadFirst();
    virtual UtilsStream_Chunk* ReadNext();
    // Reads the chunk at the stream's current position, whole, into memory.
    virtual UtilsStream_Chunk* ReadChunk();
    // Reads every sub-chunk of the chunk and of each following top-level chunk:
    // 0, or kStatusFailed at the first bad chunk.
    virtual Status ReadTree(UtilsStream_Chunk* pChunk);
    // Depth-first over the top level and the sub-chunks read so far.
    virtual UtilsStream_Chunk* FindChunk(uint32_t tag);

    CFIFOList& GetChunks() { return m_chunks; }
    UtilsStream* GetStream() const { return m_pStream; }
    uint32_t GetMode() const { return m_mode; }
    Status GetLastReadStatus() const { return m_lastReadStatus; }

private:
    CFIFOList m_chunks;
    UtilsStream* m_pStream;
    uint32_t m_mode;
    UtilsStream_Chunk* m_pLastRead = nullptr;
    Status m_lastReadStatus = kStatusOk;
};
