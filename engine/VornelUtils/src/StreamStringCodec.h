#pragma once
// The stored string form shared by every stream and by the chunks: u32 count including the
// terminator (0: null string, nothing follows), u8 character size, the characters.
#include <cstdint>
#include <cstring>

#include "VornelUtils/UtilsMemory.h"

namespace stream_string {

template <typename CharT>
uint64_t Length(const CharT* text)
{
    uint64_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

// Writes text through sink.Write(buffer, size, count); the caller's text is never modified:
// inverted characters are written from a copy, a batch at a time.
template <typename CharT, typename Sink>
bool Write(Sink& sink, const CharT* text, bool invert)
{
    if (text == nullptr) {
        const uint32_t zero = 0;
        return sink.Write(&zero, 4, 1);
    }
    const uint64_t length = Length(text);
    if (length >= 0xFFFFFFFFu)
        return false;
    const uint32_t count = static_cast<uint32_t>(length + 1);
    const uint8_t charSize = sizeof(CharT);
    if (!sink.Write(&count, 4, 1) || !sink.Write(&charSize, 1, 1))
        return false;
    if (!invert)
        return sink.Write(text, sizeof(CharT), count);
    CharT batch[256];
    uint32_t done = 0;
    while (done < count) {
        const uint32_t n = count - done < 256 ? count - done : 256;
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t index = done + i;
            batch[i] = index + 1 < count ? static_cast<CharT>(~text[index]) : CharT(0);
        }
        if (!sink.Write(batch, sizeof(CharT), n))
            return false;
        done += n;
    }
    return true;
}

// Reads a string through source.Read(buffer, size, count) into a new allocation. The stored
// count is bounded by source.BytesLeft() before anything is allocated and the terminator is
// forced. Character sizes other than sizeof(CharT) are accepted when allowWidening is set:
// 1 (widened) and 4 (each character cut to 16 bits).
template <typename CharT, typename Source>
bool Read(Source& source, CharT** pOut, bool invert, bool allowWidening)
{
    if (pOut == nullptr)
        return false;
    *pOut = nullptr;
    uint32_t count = 0;
    if (!source.Read(&count, 4, 1))
        return false;
    if (count == 0)
        return true;
    uint8_t charSize = 0;
    if (!source.Read(&charSize, 1, 1))
        return false;
    const bool accepted = charSize == sizeof(CharT) || (allowWidening && (charSize == 1 || charSize == 4));
    if (!accepted)
        return false;
    const uint64_t bytes = static_cast<uint64_t>(count) * charSize;
    const int64_t left = source.BytesLeft();
    if (left < 0 || bytes > static_cast<uint64_t>(left))
        return false;
    const uint64_t outBytes = static_cast<uint64_t>(count) * sizeof(CharT);
    const uint64_t allocBytes = bytes > outBytes ? bytes : outBytes;
    auto* raw = static_cast<uint8_t*>(UtilsMalloc(static_cast<size_t>(allocBytes), __FILE__, __LINE__));
    if (raw == nullptr)
        return false;
    if (!source.Read(raw, charSize, count)) {
        UtilsFree(raw, __FILE__, __LINE__);
        return false;
    }
    CharT* out = reinterpret_cast<CharT*>(raw);
    if (charSize == 1 && sizeof(CharT) != 1) {
        // Widen in place from the back, so no stored byte is overwritten before it is used.
        for (uint32_t i = count; i-- > 0;)
            out[i] = static_cast<CharT>(raw[i]);
    } else if (charSize == 4 && sizeof(CharT) != 4) {
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t c;
            std::memcpy(&c, raw + 4u * i, 4);
            out[i] = static_cast<CharT>(c);
        }
    }
    out[count - 1] = 0;
    if (invert) {
        for (uint32_t i = 0; i + 1 < count; ++i)
            out[i] = static_cast<CharT>(~out[i]);
    }
    *pOut = out;
    return true;
}

} // namespace stream_string
