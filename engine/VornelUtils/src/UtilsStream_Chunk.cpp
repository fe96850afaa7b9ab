#include "VornelUtils/UtilsStream_Chunk.h"

#include <new>

#include "StreamStringCodec.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kMaxU32 = 0xFFFFFFFFu;

// Calls f(chunk) for each chunk of the list, in order, until it returns false; the list's
// cursor is left where it was.
template <typename F>
void ForEachChunk(CFIFOList& list, F f)
{
    FIFONode* saved = list.GetCurrentNode();
    for (void* p = list.GetFirst(); p != nullptr; p = list.GetNext()) {
        if (!f(static_cast<UtilsStream_Chunk*>(p)))
            break;
    }
    list.SetCurrentNode(saved);
}

} // namespace

UtilsStream_Chunk::UtilsStream_Chunk(uint32_t tag) : m_tag(tag) {}

UtilsStream_Chunk::~UtilsStream_Chunk()
{
    UtilsStream_Chunk::Close();
}

Status UtilsStream_Chunk::Open(uint8_t mode, uint32_t ownerWord)
{
    if (m_pInner != nullptr) {
        GrowTotals(-static_cast<int64_t>(m_pInner->GetSize()));
        delete m_pInner;
        m_pInner = nullptr;
    }
    m_pInner = new (std::nothrow) UtilsStream_Static(mode, nullptr, 0, ownerWord);
    if (m_pInner == nullptr)
        return kStatusOutOfMemory;
    if (Failed(m_pInner->Open())) {
        delete m_pInner;
        m_pInner = nullptr;
        return kStatusFailed;
    }
    return kStatusOk;
}

Status UtilsStream_Chunk::Close()
{
    for (void* p = m_children.GetFirst(); p != nullptr; p = m_children.RemoveCurrent(0)) {
        auto* child = static_cast<UtilsStream_Chunk*>(p);
        child->m_pParent = nullptr; // this chunk's sizes are reset below
        delete child;
    }
    delete m_pInner;
    m_pInner = nullptr;
    // The enclosing chunks held this one's contents in their totals.
    const uint32_t held = m_totalSize - kChunkHeaderSize;
    for (UtilsStream_Chunk* p = m_pParent; p != nullptr; p = p->m_pParent)
        p->m_totalSize = p->m_totalSize - kChunkHeaderSize >= held ? p->m_totalSize - held : kChunkHeaderSize;
    m_totalSize = kChunkHeaderSize;
    m_position = 0;
    m_baseOffset = 0;
    m_pLastChild = nullptr;
    ReleaseBlock();
    return kStatusOk;
}

void UtilsStream_Chunk::ReleaseBlock()
{
    if (m_ownsOuter)
        delete m_pOuter;
    m_pOuter = nullptr;
    m_ownsOuter = false;
    UtilsFree(m_pOwnedBlock, __FILE__, __LINE__);
    m_pOwnedBlock = nullptr;
}

void UtilsStream_Chunk::GrowTotals(int64_t delta)
{
    for (UtilsStream_Chunk* p = this; p != nullptr; p = p->m_pParent) {
        const int64_t total = static_cast<int64_t>(p->m_totalSize) + delta;
        p->m_totalSize = total < kChunkHeaderSize ? kChunkHeaderSize
                         : total > kMaxU32        ? kMaxU32
                                                  : static_cast<uint32_t>(total);
    }
}

uint32_t UtilsStream_Chunk::Depth() const
{
    uint32_t depth = 0;
    for (const UtilsStream_Chunk* p = m_pParent; p != nullptr; p = p->m_pParent)
        ++depth;
    return depth;
}

uint32_t UtilsStream_Chunk::GetPayloadSize() const
{
    return m_pInner != nullptr ? m_pInner->GetSize() : 0;
}

int64_t UtilsStream_Chunk::BytesLeft()
{
    return m_pInner != nullptr ? m_pInner->BytesLeft() : 0;
}

bool UtilsStream_Chunk::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    return m_pInner != nullptr && m_pInner->Read(buffer, elementSize, count);
}

bool UtilsStream_Chunk::Write(const void* buffer, uint32_t elementSize, uint32_t count)
{
    if (m_pInner == nullptr || !(m_pInner->GetMode() & kStreamWrite))
        return false;
    const UtilsStream_Chunk* root = this;
    while (root->m_pParent != nullptr)
        root = root->m_pParent;
    if (root->m_totalSize + static_cast<uint64_t>(elementSize) * count > kMaxU32)
        return false;
    const uint32_t before = m_pInner->GetSize();
    if (!m_pInner->Write(buffer, elementSize, count))
        return false;
    // Only what the payload actually grew by counts (a write after a rewind overwrites).
    GrowTotals(static_cast<int64_t>(m_pInner->GetSize()) - before);
    return true;
}

bool UtilsStream_Chunk::Rewind()
{
    if (m_pInner == nullptr || (m_pInner->GetMode() & (kStreamRead | kStreamWrite)) != (kStreamRead | kStreamWrite))
        return false;
    return m_pInner->Rewind();
}

bool UtilsStream_Chunk::ReadString(char16_t** pOut, bool invert)
{
    return stream_string::Read(*this, pOut, invert, true);
}

bool UtilsStream_Chunk::ReadStringA(char** pOut, bool invert)
{
    return stream_string::Read(*this, pOut, invert, false);
}

bool UtilsStream_Chunk::WriteString(const char16_t* text, bool invert)
{
    return stream_string::Write(*this, text, invert);
}

bool UtilsStream_Chunk::WriteStringA(const char* text, bool invert)
{
    return stream_string::Write(*this, text, invert);
}

uint64_t UtilsStream_Chunk::WrittenSize()
{
    uint64_t size = kChunkHeaderSize + static_cast<uint64_t>(GetPayloadSize());
    ForEachChunk(m_children, [&size](UtilsStream_Chunk* child) {
        size += child->WrittenSize();
        return true;
    });
    return size;
}

bool UtilsStream_Chunk::WriteChunk(UtilsStream* pStream, uint32_t baseOffset)
{
    if (pStream == nullptr || !(pStream->GetMode() & kStreamWrite))
        return false;
    const int64_t position = pStream->Tell();
    const uint64_t total = WrittenSize();
    if (position < 0 || position > kMaxU32 || total > kMaxU32)
        return false;
    const uint32_t payload = GetPayloadSize();
    const uint32_t header[5] = {static_cast<uint32_t>(position), baseOffset, m_tag, static_cast<uint32_t>(total),
                                payload};
    if (!pStream->Write(header, 4, 5))
        return false;
    if (payload != 0 && !pStream->Write(m_pInner->GetBlock(), 1, payload))
        return false;
    m_position = static_cast<uint32_t>(position);
    m_baseOffset = baseOffset;
    bool ok = true;
    ForEachChunk(m_children, [&](UtilsStream_Chunk* child) {
        ok = child->WriteChunk(pStream, baseOffset);
        return ok;
    });
    return ok;
}

UtilsStream_Chunk* UtilsStream_Chunk::ChildAt(uint64_t offset)
{
    m_lastReadStatus = kStatusOk;
    const uint64_t end = static_cast<uint64_t>(m_position - m_baseOffset) + m_totalSize;
    if (offset == end)
        return nullptr; // every sub-chunk has been read
    UtilsStream_Chunk* known = nullptr;
    ForEachChunk(m_children, [&](UtilsStream_Chunk* child) {
        if (static_cast<uint64_t>(child->m_position - child->m_baseOffset) == offset)
            known = child;
        return known == nullptr;
    });
    if (known != nullptr) {
        m_pLastChild = known;
        return known;
    }
    if (offset > end || !m_pOuter->Seek(static_cast<int64_t>(offset), kSeekStart)) {
        m_lastReadStatus = kStatusFailed;
        return nullptr;
    }
    return ReadChunk();
}

UtilsStream_Chunk* UtilsStream_Chunk::ReadFirstChild()
{
    m_lastReadStatus = kStatusOk;
    if (m_pOuter == nullptr) {
        // A chunk being built: the sub-chunks it holds.
        void* first = nullptr;
        ForEachChunk(m_children, [&first](UtilsStream_Chunk* child) {
            first = child;
            return false;
        });
        m_pLastChild = static_cast<UtilsStream_Chunk*>(first);
        return m_pLastChild;
    }
    return ChildAt(static_cast<uint64_t>(m_position - m_baseOffset) + kChunkHeaderSize + GetPayloadSize());
}

UtilsStream_Chunk* UtilsStream_Chunk::ReadNextChild()
{
    if (m_pLastChild == nullptr)
        return ReadFirstChild();
    m_lastReadStatus = kStatusOk;
    if (m_pOuter == nullptr) {
        UtilsStream_Chunk* next = nullptr;
        bool seen = false;
        ForEachChunk(m_children, [&](UtilsStream_Chunk* child) {
            if (seen) {
                next = child;
                return false;
            }
            seen = child == m_pLastChild;
            return true;
        });
        if (next != nullptr)
            m_pLastChild = next;
        return next;
    }
    const UtilsStream_Chunk* last = m_pLastChild;
    return ChildAt(static_cast<uint64_t>(last->m_position - last->m_baseOffset) + last->m_totalSize);
}

UtilsStream_Chunk* UtilsStream_Chunk::ReadChunk()
{
    m_lastReadStatus = kStatusFailed;
    if (m_pOuter == nullptr || m_pOuter->GetBlock() == nullptr || Depth() + 1 >= kChunkMaxDepth)
        return nullptr;
    // Where this chunk and its sub-chunk area lie inside the block.
    const uint64_t start = m_position - m_baseOffset;
    const uint64_t area = start + kChunkHeaderSize + GetPayloadSize();
    const uint64_t end = start + m_totalSize;
    const int64_t here = m_pOuter->Tell();
    if (here < 0 || static_cast<uint64_t>(here) < area || static_cast<uint64_t>(here) > end)
        return nullptr;
    const uint64_t offset = static_cast<uint64_t>(here);
    if (offset == end) {
        m_lastReadStatus = kStatusOk;
        return nullptr;
    }
    if (end - offset < kChunkHeaderSize)
        return nullptr;
    uint32_t header[5];
    if (!m_pOuter->Read(header, 4, 5))
        return nullptr;
    const uint32_t position = header[0], base = header[1], payload = header[4];
    // Inside this chunk, in this chunk's top-level chunk, where its stored position says.
    if (base != m_baseOffset || position < base || position - base != offset)
        return nullptr;
    if (!SizesFit(header[3], payload, end - offset))
        return nullptr;
    UtilsStream_Chunk* child = FromHeader(header, m_pOuter->GetBlock() + offset + kChunkHeaderSize);
    if (child == nullptr || !m_pOuter->Seek(static_cast<int64_t>(offset + kChunkHeaderSize + payload), kSeekStart) ||
        Failed(m_children.Add(child, 0))) {
        delete child;
        return nullptr;
    }
    child->m_pParent = this;
    child->m_pOuter = m_pOuter;
    m_pLastChild = child;
    m_lastReadStatus = kStatusOk;
    return child;
}

bool UtilsStream_Chunk::SizesFit(uint32_t total, uint32_t payload, uint64_t room)
{
    return total >= kChunkHeaderSize && payload <= total - kChunkHeaderSize && total <= room;
}

UtilsStream_Chunk* UtilsStream_Chunk::FromHeader(const uint32_t header[5], uint8_t* pPayload)
{
    auto* chunk = new (std::nothrow) UtilsStream_Chunk(header[2]);
    if (chunk == nullptr)
        return nullptr;
    chunk->m_pInner = new (std::nothrow) UtilsStream_Static(kStreamRead | kStreamGrowable, pPayload, header[4]);
    if (chunk->m_pInner == nullptr) {
        delete chunk;
        return nullptr;
    }
    chunk->m_position = header[0];
    chunk->m_baseOffset = header[1];
    chunk->m_totalSize = header[3];
    return chunk;
}

Status UtilsStream_Chunk::AddChild(UtilsStream_Chunk* pChild)
{
    if (pChild == nullptr || pChild->m_pParent != nullptr || pChild == this)
        return kStatusFailed;
    if (Failed(m_children.Add(pChild, 0)))
        return kStatusOutOfMemory;
    pChild->m_pParent = this;
    GrowTotals(pChild->m_totalSize);
    return kStatusOk;
}

Status UtilsStream_Chunk::ReadAllChildren()
{
    for (UtilsStream_Chunk* child = ReadFirstChild(); child != nullptr; child = ReadNextChild()) {
        if (Failed(child->ReadAllChildren()))
            return kStatusFailed;
    }
    return m_lastReadStatus;
}

UtilsStream_Chunk* UtilsStream_Chunk::FindChunk(uint32_t tag)
{
    UtilsStream_Chunk* found = nullptr;
    ForEachChunk(m_children, [&](UtilsStream_Chunk* child) {
        found = child->m_tag == tag ? child : child->FindChunk(tag);
        return found == nullptr;
    });
    return found;
}
