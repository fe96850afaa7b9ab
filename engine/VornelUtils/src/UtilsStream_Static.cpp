#include "VornelUtils/UtilsStream_Static.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"

namespace {
constexpr uint32_t kGrowthSpare = 4096;
}

UtilsStream_Static::UtilsStream_Static(uint8_t mode, void* block, uint32_t size, uint32_t ownerWord)
    : UtilsStream(mode),
      m_size(block != nullptr ? size : 0),
      m_pBlock(static_cast<uint8_t*>(block)),
      m_ownerWord(ownerWord),
      m_capacity(block != nullptr ? size : 0)
{
}

UtilsStream_Static::~UtilsStream_Static()
{
    UtilsStream_Static::Close();
}

Status UtilsStream_Static::Open()
{
    return (m_mode & kStreamGrowable) || m_pBlock != nullptr ? kStatusOk : kStatusFailed;
}

Status UtilsStream_Static::Close()
{
    if (OwnsBlock())
        UtilsFree(m_pBlock, __FILE__, __LINE__);
    m_pBlock = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_position = 0;
    return kStatusOk;
}

bool UtilsStream_Static::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!(m_mode & kStreamRead))
        return false;
    const uint64_t bytes = static_cast<uint64_t>(elementSize) * count;
    if (bytes > m_size - m_position)
        return false;
    if (bytes != 0) {
        std::memcpy(buffer, m_pBlock + m_position, static_cast<size_t>(bytes));
        m_position += static_cast<uint32_t>(bytes);
    }
    return UtilsStream::Read(buffer, elementSize, count);
}

bool UtilsStream_Static::Write(const void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!(m_mode & kStreamWrite))
        return false;
    const uint64_t bytes = static_cast<uint64_t>(elementSize) * count;
    if (bytes == 0)
        return true;
    const uint64_t end = static_cast<uint64_t>(m_position) + bytes;
    if (end > m_size) {
        if (!OwnsBlock() || end > 0xFFFFFFFFu)
            return false;
        if (end > m_capacity) {
            uint64_t capacity = end + (bytes > kGrowthSpare ? bytes : kGrowthSpare);
            if (capacity > 0xFFFFFFFFu)
                capacity = 0xFFFFFFFFu;
            void* grown = UtilsRealloc(m_pBlock, static_cast<size_t>(capacity), __FILE__, __LINE__);
            if (grown == nullptr)
                return false;
            m_pBlock = static_cast<uint8_t*>(grown);
            m_capacity = static_cast<uint32_t>(capacity);
        }
        m_size = static_cast<uint32_t>(end);
    }
    std::memcpy(m_pBlock + m_position, buffer, static_cast<size_t>(bytes));
    m_position = static_cast<uint32_t>(end);
    return true;
}

bool UtilsStream_Static::Seek(int64_t offset, int origin)
{
    int64_t base;
    switch (origin) {
    case kSeekStart: base = 0; break;
    case kSeekCurrent: base = m_position; break;
    case kSeekEnd: base = m_size; break;
    default: return false;
    }
    if (offset < -base || offset > static_cast<int64_t>(m_size) - base)
        return false;
    m_position = static_cast<uint32_t>(base + offset);
    return true;
}

int64_t UtilsStream_Static::Tell()
{
    return m_position;
}

bool UtilsStream_Static::Rewind()
{
    m_position = 0;
    return true;
}

bool UtilsStream_Static::IsEnd()
{
    return m_position > m_size;
}

int64_t UtilsStream_Static::BytesLeft()
{
    return static_cast<int64_t>(m_size) - m_position;
}

void UtilsStream_Static::SetBlock(void* block, uint32_t size)
{
    m_pBlock = static_cast<uint8_t*>(block);
    m_size = block != nullptr ? size : 0;
    m_capacity = m_size;
    m_position = 0;
}
