#include "VornelUtils/UtilsStream.h"

#include <cstring>

#include "StreamStringCodec.h"
#include "VornelUtils/UtilsMemory.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "stored numbers are little-endian like the host");

bool UtilsStream::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    if (m_mode & kStreamSwapOnRead)
        SwapBytes(buffer, elementSize, count);
    return true;
}

bool UtilsStream::Write(const void*, uint32_t, uint32_t) { return false; }
bool UtilsStream::Seek(int64_t, int) { return false; }
int64_t UtilsStream::Tell() { return 0; }
bool UtilsStream::Rewind() { return false; }
bool UtilsStream::IsEnd() { return false; }

bool UtilsStream::ReadString(char16_t** pOut, bool invert)
{
    if (pOut != nullptr)
        *pOut = nullptr;
    if (!(m_mode & kStreamRead))
        return false;
    return stream_string::Read(*this, pOut, invert, false);
}

bool UtilsStream::ReadStringA(char** pOut, bool invert)
{
    if (pOut != nullptr)
        *pOut = nullptr;
    if (!(m_mode & kStreamRead))
        return false;
    return stream_string::Read(*this, pOut, invert, false);
}

bool UtilsStream::WriteString(const char16_t* text, bool invert)
{
    if (!(m_mode & kStreamWrite))
        return false;
    return stream_string::Write(*this, text, invert);
}

bool UtilsStream::WriteStringA(const char* text, bool invert)
{
    if (!(m_mode & kStreamWrite))
        return false;
    return stream_string::Write(*this, text, invert);
}

void UtilsStream::SwapBytes(void* buffer, uint32_t elementSize, uint32_t count)
{
    if (!(m_mode & kStreamSwapOnRead) || buffer == nullptr)
        return;
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (elementSize == 2) {
        for (uint32_t i = 0; i < count; ++i) {
            uint16_t v;
            std::memcpy(&v, bytes + 2u * i, 2);
            v = SwapBytes16(v);
            std::memcpy(bytes + 2u * i, &v, 2);
        }
    } else if (elementSize == 4) {
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, bytes + 4u * static_cast<size_t>(i), 4);
            v = SwapBytes32(v);
            std::memcpy(bytes + 4u * static_cast<size_t>(i), &v, 4);
        }
    }
}
