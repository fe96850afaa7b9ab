#include "VornelUtils/UtilsStream_File.h"

#include <cstring>

#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

std::FILE* OpenWide(const char16_t* path, const char* mode)
{
    if (path == nullptr || path[0] == 0)
        return nullptr;
    const std::string utf8 = UtilsString_ToUtf8(path);
    return Platform_OpenFile(utf8.c_str(), mode);
}

} // namespace

UtilsStream_File::UtilsStream_File(uint8_t mode, const char16_t* path)
    : UtilsStream(mode), m_pPath(path != nullptr ? UtilsString_DupW(path, 0) : nullptr)
{
}

UtilsStream_File::~UtilsStream_File()
{
    UtilsStream_File::Close();
    UtilsFree(m_pPath, __FILE__, __LINE__);
}

Status UtilsStream_File::Open()
{
    UtilsStream_File::Close();
    const bool readable = (m_mode & kStreamRead) != 0;
    const bool writable = (m_mode & kStreamWrite) != 0;
    const char* how = readable && writable ? "r+b" : readable ? "rb" : writable ? "wb" : nullptr;
    if (how == nullptr)
        return kStatusFailed;
    m_pFile = OpenWide(m_pPath, how);
    return m_pFile != nullptr ? kStatusOk : kStatusFailed;
}

Status UtilsStream_File::Close()
{
    if (m_pFile == nullptr)
        return kStatusOk;
    // Buffered writes reach the disk here: a full disk is often told only by the close.
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    return closed ? kStatusOk : kStatusFailed;
}

Status UtilsStream_File::Create()
{
    UtilsStream_File::Close();
    std::FILE* file = OpenWide(m_pPath, "wb");
    if (file == nullptr || std::fclose(file) != 0)
        return kStatusFailed;
    return Open();
}

bool UtilsStream_File::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!(m_mode & kStreamRead) || m_pFile == nullptr)
        return false;
    if (elementSize != 0 && count != 0 && std::fread(buffer, elementSize, count, m_pFile) != count)
        return false;
    return UtilsStream::Read(buffer, elementSize, count);
}

bool UtilsStream_File::Write(const void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!(m_mode & kStreamWrite) || m_pFile == nullptr)
        return false;
    if (elementSize == 0 || count == 0)
        return true;
    if ((m_mode & kStreamSwapOnWrite) && (elementSize == 2 || elementSize == 4)) {
        // Swapped a batch at a time from a copy; the caller's buffer is left alone.
        uint8_t batch[4096];
        const uint32_t perBatch = sizeof(batch) / elementSize;
        const auto* source = static_cast<const uint8_t*>(buffer);
        for (uint32_t done = 0; done < count;) {
            const uint32_t n = count - done < perBatch ? count - done : perBatch;
            std::memcpy(batch, source + static_cast<size_t>(done) * elementSize, static_cast<size_t>(n) * elementSize);
            for (uint32_t i = 0; i < n; ++i) {
                uint8_t* e = batch + static_cast<size_t>(i) * elementSize;
                for (uint32_t a = 0, b = elementSize - 1; a < b; ++a, --b) {
                    const uint8_t t = e[a];
                    e[a] = e[b];
                    e[b] = t;
                }
            }
            if (std::fwrite(batch, elementSize, n, m_pFile) != n)
                return false;
            done += n;
        }
        return true;
    }
    return std::fwrite(buffer, elementSize, count, m_pFile) == count;
}

bool UtilsStream_File::Seek(int64_t offset, int origin)
{
    if (m_pFile == nullptr || origin < kSeekStart || origin > kSeekEnd)
        return false;
    const int whence = origin == kSeekStart ? SEEK_SET : origin == kSeekCurrent ? SEEK_CUR : SEEK_END;
    return std::fseek(m_pFile, static_cast<long>(offset), whence) == 0;
}

int64_t UtilsStream_File::Tell()
{
    return m_pFile != nullptr ? std::ftell(m_pFile) : -1;
}

bool UtilsStream_File::Rewind()
{
    return Seek(0, kSeekStart);
}

bool UtilsStream_File::IsEnd()
{
    return m_pFile == nullptr || std::feof(m_pFile) != 0;
}

int64_t UtilsStream_File::BytesLeft()
{
    if (m_pFile == nullptr)
        return -1;
    const long here = std::ftell(m_pFile);
    if (here < 0 || std::fseek(m_pFile, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(m_pFile);
    if (std::fseek(m_pFile, here, SEEK_SET) != 0 || end < here)
        return -1;
    return end - here;
}
