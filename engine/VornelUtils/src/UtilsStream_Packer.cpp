#include "VornelUtils/UtilsStream_Packer.h"

#include <cstdio>

UtilsStream_Packer::UtilsStream_Packer(uint8_t mode, PackRecord* pPack) : UtilsStream(mode), m_pPack(pPack) {}

Status UtilsStream_Packer::Open()
{
    if ((m_mode & kStreamWrite) || m_pPack == nullptr || m_pPack->pFile == nullptr)
        return kStatusFailed;
    // The pack record keeps no offset of the entry's data, so it is taken where the locator
    // left the file; every later move is made from it.
    const long offset = std::ftell(m_pPack->pFile);
    if (offset < 0)
        return kStatusFailed;
    m_dataOffset = offset;
    m_entrySize = m_pPack->lastEntrySize;
    m_position = 0;
    return kStatusOk;
}

Status UtilsStream_Packer::Close()
{
    m_pPack = nullptr;
    m_position = 0;
    m_dataOffset = -1;
    m_entrySize = 0;
    return kStatusOk;
}

bool UtilsStream_Packer::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!(m_mode & kStreamRead) || m_pPack == nullptr || m_pPack->pFile == nullptr || m_dataOffset < 0)
        return false;
    const uint64_t bytes = static_cast<uint64_t>(elementSize) * count;
    if (bytes > m_entrySize - m_position)
        return false;
    if (bytes != 0) {
        // Another lookup may have moved the shared pack file since the last read.
        if (std::fseek(m_pPack->pFile, static_cast<long>(m_dataOffset + m_position), SEEK_SET) != 0)
            return false;
        if (std::fread(buffer, elementSize, count, m_pPack->pFile) != count)
            return false;
        m_position += static_cast<uint32_t>(bytes);
    }
    return UtilsStream::Read(buffer, elementSize, count);
}

bool UtilsStream_Packer::Write(const void*, uint32_t, uint32_t)
{
    return false;
}

bool UtilsStream_Packer::Seek(int64_t offset, int origin)
{
    if (m_pPack == nullptr || m_pPack->pFile == nullptr || m_dataOffset < 0)
        return false;
    int64_t base;
    switch (origin) {
    case kSeekStart: base = 0; break;
    case kSeekCurrent: base = m_position; break;
    case kSeekEnd: base = m_entrySize; break;
    default: return false;
    }
    if (offset < -base || offset > static_cast<int64_t>(m_entrySize) - base)
        return false;
    const int64_t target = base + offset;
    if (std::fseek(m_pPack->pFile, static_cast<long>(m_dataOffset + target), SEEK_SET) != 0)
        return false;
    m_position = static_cast<uint32_t>(target);
    return true;
}

int64_t UtilsStream_Packer::Tell()
{
    return m_position;
}

bool UtilsStream_Packer::Rewind()
{
    return Seek(0, kSeekStart);
}

bool UtilsStream_Packer::IsEnd()
{
    return m_position > m_entrySize;
}

int64_t UtilsStream_Packer::BytesLeft()
{
    return m_dataOffset < 0 ? -1 : static_cast<int64_t>(m_entrySize) - m_position;
}
