#pragma once
// Tagged chunks: nested blocks, each stored as (all u32, little-endian)
//   position      the stream position at which the writer began the chunk
//   base offset   the position of the enclosing top-level chunk (its own for a top-level one)
//   tag
//   total size    20 + payload + the total sizes of all sub-chunks
//   payload size
// then the payload, then the sub-chunks one after the other in the same form.
//
// A chunk's payload lives in an inner memory stream. Chunks read from a stream keep their
// payload in place inside the block their top-level chunk was read into; their sub-chunks are
// read from that block on demand (ReadFirstChild / ReadNextChild) and checked on the way: a
// chunk lies wholly inside its parent, after the parent's payload, where its stored position
// says, so that a walk over chunks always advances and ends.
#include <cstdint>

#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"

class UtilsStream;
class UtilsStream_Static;

constexpr uint32_t kChunkHeaderSize = 20;
// Deepest nesting accepted when reading.
constexpr uint32_t kChunkMaxDepth = 64;

class UtilsStream_Chunk {
public:
    // A chunk on its own (no parent); CreateChunk of the chunk list or AddChild nest it.
    explicit UtilsStream_Chunk(uint32_t tag = 0);
    virtual ~UtilsStream_Chunk();

    UtilsStream_Chunk(const UtilsStream_Chunk&) = delete;
    UtilsStream_Chunk& operator=(const UtilsStream_Chunk&) = delete;

    // A new empty payload stream with this mode (kStreamReadWriteGrowable to build a chunk).
    virtual Status Open(uint8_t mode, uint32_t ownerWord = 0);
    // Deletes the sub-chunks and the payload; the total size goes back to 20 (and the
    // enclosing chunks lose what this one held), position and base offset to 0.
    virtual Status Close();
    virtual bool Read(void* buffer, uint32_t elementSize, uint32_t count);
    // Appends to the payload; this chunk's and every enclosing chunk's total size grow by the
    // bytes written, once the write succeeded.
    virtual bool Write(const void* buffer, uint32_t elementSize, uint32_t count);
    // Rewinds the payload when it is readable and writable.
    virtual bool Rewind();
    // The stream string form. The wide reader also takes stored character sizes 1 and 4.
    virtual bool ReadString(char16_t** pOut, bool invert);
    virtual bool ReadStringA(char** pOut, bool invert);
    virtual bool WriteString(const char16_t* text, bool invert);
    virtual bool WriteStringA(const char* text, bool invert);
    // Writes the header, the payload and every sub-chunk (same base offset) at the stream's
    // current position; the stored total is what is actually written.
    virtual bool WriteChunk(UtilsStream* pStream, uint32_t baseOffset);
    // The sub-chunks in order, null at the end. A chunk read from a stream reads them from
    // its block the first time (GetLastReadStatus tells a clean end from a bad chunk); a chunk
    // being built returns the sub-chunks it holds.
    virtual UtilsStream_Chunk* ReadFirstChild();
    virtual UtilsStream_Chunk* ReadNextChild();
    // Reads the chunk at the block stream's current position as a sub-chunk of this one.
    virtual UtilsStream_Chunk* ReadChunk();
    virtual uint32_t GetTag() const { return m_tag; }
    // Depth-first, in order, among the sub-chunks (this chunk itself is not tested).
    virtual UtilsStream_Chunk* FindChunk(uint32_t tag);

    // Nests a chunk at the end of this one's sub-chunks; every enclosing total grows by the
    // child's total. The child is owned from then on.
    Status AddChild(UtilsStream_Chunk* pChild);
    // Reads every sub-chunk below this one; kStatusFailed at the first bad chunk.
    Status ReadAllChildren();

    uint32_t GetTotalSize() const { return m_totalSize; }
    uint32_t GetPayloadSize() const;
    uint32_t GetPosition() const { return m_position; }
    uint32_t GetBaseOffset() const { return m_baseOffset; }
    UtilsStream_Chunk* GetParent() const { return m_pParent; }
    UtilsStream_Static* GetInnerStream() const { return m_pInner; }
    CFIFOList& GetChildren() { return m_children; }
    Status GetLastReadStatus() const { return m_lastReadStatus; }
    // Bytes of payload left to read.
    int64_t BytesLeft();

private:
    friend class UtilsStream_ChunkList;

    // The stored sizes hold together: 20 <= total <= room, 20 + payload <= total.
    static bool SizesFit(uint32_t total, uint32_t payload, uint64_t room);
    // A chunk as read: the header words (position, base offset, tag, total size, payload
    // size) and the payload, read in place; null when out of memory.
    static UtilsStream_Chunk* FromHeader(const uint32_t header[5], uint8_t* pPayload);

    void GrowTotals(int64_t delta);
    uint32_t Depth() const;
    uint64_t WrittenSize();
    // The sub-chunk stored at this offset of the block, read when not read yet.
    UtilsStream_Chunk* ChildAt(uint64_t offset);
    void ReleaseBlock();

    uint32_t m_tag;
    uint32_t m_totalSize = kChunkHeaderSize;
    uint32_t m_position = 0;
    uint32_t m_baseOffset = 0;
    UtilsStream_Chunk* m_pParent = nullptr;
    UtilsStream_Static* m_pInner = nullptr;
    UtilsStream_Static* m_pOuter = nullptr;   // the block this chunk was read from
    CFIFOList m_children;

    uint8_t* m_pOwnedBlock = nullptr;          // a top-level chunk's block, read by the chunk list
    bool m_ownsOuter = false;
    UtilsStream_Chunk* m_pLastChild = nullptr; // the sub-chunk last returned
    Status m_lastReadStatus = kStatusOk;
};
