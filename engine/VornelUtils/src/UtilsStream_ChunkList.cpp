#include "VornelUtils/UtilsStream_ChunkList.h"

#include <new>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Static.h"

UtilsStream_ChunkList::UtilsStream_ChunkList(UtilsStream* pStream, uint32_t mode) : m_pStream(pStream), m_mode(mode) {}

UtilsStream_ChunkList::~UtilsStream_ChunkList()
{
    UtilsStream_ChunkList::Clear();
}

void UtilsStream_ChunkList::Clear()
{
    for (void* p = m_chunks.GetFirst(); p != nullptr; p = m_chunks.RemoveCurrent(0))
        delete static_cast<UtilsStream_Chunk*>(p);
    m_pLastRead = nullptr;
}

UtilsStream_Chunk* UtilsStream_ChunkList::CreateChunk(uint32_t tag, UtilsStream_Chunk* pParent)
{
    auto* chunk = new (std::nothrow) UtilsStream_Chunk(tag);
    if (chunk == nullptr)
        return nullptr;
    // A chunk being built always keeps its payload in a growable block of its own, whatever
    // the file stream's mode.
    const Status opened = chunk->Open(kStreamReadWriteGrowable);
    const Status added = Failed(opened) ? opened : pParent != nullptr ? pParent->AddChild(chunk) : m_chunks.Add(chunk, 0);
    if (Failed(added)) {
        delete chunk;
        return nullptr;
    }
    return chunk;
}

bool UtilsStream_ChunkList::WriteAll()
{
    if (m_pStream == nullptr)
        return false;
    bool ok = true;
    FIFONode* saved = m_chunks.GetCurrentNode();
    for (void* p = m_chunks.GetFirst(); p != nullptr && ok; p = m_chunks.GetNext()) {
        const int64_t base = m_pStream->Tell();
        ok = base >= 0 && base <= 0xFFFFFFFF &&
             static_cast<UtilsStream_Chunk*>(p)->WriteChunk(m_pStream, static_cast<uint32_t>(base));
    }
    m_chunks.SetCurrentNode(saved);
    return ok;
}

UtilsStream_Chunk* UtilsStream_ChunkList::ReadFirst()
{
    m_lastReadStatus = kStatusFailed;
    if (m_pStream == nullptr || !m_pStream->Rewind())
        return nullptr;
    m_pLastRead = nullptr;
    return ReadChunk();
}

UtilsStream_Chunk* UtilsStream_ChunkList::ReadNext()
{
    if (m_pLastRead == nullptr)
        return ReadFirst();
    m_lastReadStatus = kStatusFailed;
    const int64_t next = static_cast<int64_t>(m_pLastRead->GetPosition()) + m_pLastRead->GetTotalSize();
    if (m_pStream == nullptr || !m_pStream->Seek(next, kSeekStart))
        return nullptr;
    return ReadChunk();
}

UtilsStream_Chunk* UtilsStream_ChunkList::ReadChunk()
{
    m_lastReadStatus = kStatusFailed;
    if (m_pStream == nullptr)
        return nullptr;
    const int64_t here = m_pStream->Tell();
    if (here < 0 || here > 0xFFFFFFFF)
        return nullptr;
    UtilsStream_Chunk* known = nullptr;
    FIFONode* saved = m_chunks.GetCurrentNode();
    for (void* p = m_chunks.GetFirst(); p != nullptr && known == nullptr; p = m_chunks.GetNext()) {
        auto* chunk = static_cast<UtilsStream_Chunk*>(p);
        if (chunk->m_pOuter != nullptr && chunk->GetPosition() == here)
            known = chunk;
    }
    m_chunks.SetCurrentNode(saved);
    if (known != nullptr) {
        m_pLastRead = known;
        m_lastReadStatus = kStatusOk;
        return known;
    }
    const int64_t left = m_pStream->BytesLeft();
    if (left == 0 || m_pStream->IsEnd()) {
        m_lastReadStatus = kStatusOk; // no more chunks
        return nullptr;
    }
    if (left < kChunkHeaderSize)
        return nullptr;
    uint32_t header[5];
    if (!m_pStream->Read(header, 4, 5))
        return nullptr;
    const uint32_t position = header[0], base = header[1], total = header[3];
    // A top-level chunk stands where its stored position says and is its own base.
    if (position != here || base != position)
        return nullptr;
    if (!UtilsStream_Chunk::SizesFit(total, header[4], static_cast<uint64_t>(left)))
        return nullptr;
    auto* block = static_cast<uint8_t*>(UtilsMalloc(total, __FILE__, __LINE__));
    if (block == nullptr)
        return nullptr;
    UtilsStream_Chunk* chunk = nullptr;
    if (!m_pStream->Seek(here, kSeekStart) || !m_pStream->Read(block, 1, total) ||
        (chunk = UtilsStream_Chunk::FromHeader(header, block + kChunkHeaderSize)) == nullptr) {
        UtilsFree(block, __FILE__, __LINE__);
        return nullptr;
    }
    chunk->m_pOwnedBlock = block;
    chunk->m_pOuter = new (std::nothrow) UtilsStream_Static(kStreamRead | kStreamGrowable, block, total);
    chunk->m_ownsOuter = chunk->m_pOuter != nullptr;
    if (chunk->m_pOuter == nullptr || Failed(m_chunks.Add(chunk, 0))) {
        delete chunk;
        return nullptr;
    }
    m_pLastRead = chunk;
    m_lastReadStatus = kStatusOk;
    return chunk;
}

Status UtilsStream_ChunkList::ReadTree(UtilsStream_Chunk* pChunk)
{
    if (pChunk == nullptr || pChunk->GetParent() != nullptr)
        return kStatusFailed;
    m_pLastRead = pChunk;
    for (UtilsStream_Chunk* chunk = pChunk; chunk != nullptr; chunk = ReadNext()) {
        if (Failed(chunk->ReadAllChildren()))
            return kStatusFailed;
    }
    return m_lastReadStatus;
}

UtilsStream_Chunk* UtilsStream_ChunkList::FindChunk(uint32_t tag)
{
    UtilsStream_Chunk* found = nullptr;
    FIFONode* saved = m_chunks.GetCurrentNode();
    for (void* p = m_chunks.GetFirst(); p != nullptr && found == nullptr; p = m_chunks.GetNext()) {
        auto* chunk = static_cast<UtilsStream_Chunk*>(p);
        found = chunk->GetTag() == tag ? chunk : chunk->FindChunk(tag);
    }
    m_chunks.SetCurrentNode(saved);
    return found;
}
