// One string table: reading, writing, lookups and edits.
#include "Vornel3D_ToolBox/CStringsRaw.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Bytes back to back as one little-endian value.
uint32_t DecodeOffset(const uint8_t* bytes, uint8_t width)
{
    uint32_t value = 0;
    for (uint8_t i = width; i-- > 0;)
        value = (value << 8) | bytes[i];
    return value;
}

uint8_t OffsetWidthFor(uint32_t largest)
{
    return largest <= 0xFF ? 1 : largest <= 0xFFFF ? 2 : 4;
}

}  // namespace

CStringsRaw::CStringsRaw(WorldData* pWorldData) : CBaseObject(pWorldData) {}

CStringsRaw::~CStringsRaw()
{
    CStringsRaw::Unload();
}

void CStringsRaw::Unload()
{
    UTILS_FREE(m_pText);
    UTILS_FREE(m_pOffsets);
    m_pText = nullptr;
    m_pOffsets = nullptr;
    m_nTotalChars = 0;
    m_nCount = 0;
}

Status CStringsRaw::Load(UtilsStream* pStream)
{
    if (!pStream)
        return kStatusFailed;
    uint8_t charSize = 0, width = 0;
    uint32_t totalChars = 0, count = 0;
    if (!pStream->Read(&charSize, 1, 1) || !pStream->Read(&totalChars, 4, 1) || !pStream->Read(&width, 1, 1) ||
        !pStream->Read(&count, 4, 1))
        return kStatusFailed;
    if (charSize != kStringsCharSize || (width != 1 && width != 2 && width != 4))
        return kStatusFailed;
    // Nothing is allocated for counts that the stream cannot hold.
    const uint64_t bytes = uint64_t(totalChars) * kStringsCharSize + uint64_t(count) * width;
    const int64_t left = pStream->BytesLeft();
    if (left < 0 || bytes > uint64_t(left) || (count > 0 && totalChars == 0))
        return kStatusFailed;

    char16_t* text = totalChars ? static_cast<char16_t*>(UTILS_MALLOC(size_t(totalChars) * sizeof(char16_t))) : nullptr;
    uint32_t* offsets = count ? static_cast<uint32_t*>(UTILS_MALLOC(size_t(count) * sizeof(uint32_t))) : nullptr;
    bool ok = (text || !totalChars) && (offsets || !count);
    ok = ok && (!totalChars || pStream->Read(text, kStringsCharSize, totalChars));
    // The offsets are read into their own array and widened in place from the last one.
    ok = ok && (!count || pStream->Read(offsets, width, count));
    if (ok && totalChars)
        ok = text[totalChars - 1] == 0;
    for (uint32_t i = count; ok && i-- > 0;) {
        offsets[i] = DecodeOffset(reinterpret_cast<const uint8_t*>(offsets) + size_t(i) * width, width);
        ok = offsets[i] < totalChars;
    }
    for (uint32_t i = 1; ok && i < count; ++i)
        ok = offsets[i - 1] <= offsets[i];
    if (!ok) {
        UTILS_FREE(text);
        UTILS_FREE(offsets);
        return kStatusFailed;
    }
    Unload();
    m_pText = text;
    m_nTotalChars = totalChars;
    m_pOffsets = offsets;
    m_nCount = count;
    return kStatusOk;
}

Status CStringsRaw::Save(UtilsStream* pStream) const
{
    if (!pStream)
        return kStatusFailed;
    const uint8_t width = OffsetWidthFor(m_nCount ? m_pOffsets[m_nCount - 1] : 0);
    const uint8_t charSize = kStringsCharSize;
    bool ok = pStream->Write(&charSize, 1, 1) && pStream->Write(&m_nTotalChars, 4, 1) &&
              pStream->Write(&width, 1, 1) && pStream->Write(&m_nCount, 4, 1) &&
              (!m_nTotalChars || pStream->Write(m_pText, kStringsCharSize, m_nTotalChars));
    for (uint32_t i = 0; ok && i < m_nCount; ++i) {
        uint8_t bytes[4];
        for (uint8_t b = 0; b < width; ++b)
            bytes[b] = uint8_t(m_pOffsets[i] >> (8 * b));
        ok = pStream->Write(bytes, 1, width);
    }
    return ok ? kStatusOk : kStatusFailed;
}

const char16_t* CStringsRaw::GetString(uint32_t index) const
{
    return index < m_nCount ? m_pText + m_pOffsets[index] : u"";
}

uint32_t CStringsRaw::GetLength(uint32_t index) const
{
    if (index >= m_nCount)
        return 0;
    const uint32_t end = index + 1 < m_nCount ? m_pOffsets[index + 1] : m_nTotalChars;
    return end - m_pOffsets[index];
}

bool CStringsRaw::Grow(uint32_t totalChars, uint32_t count)
{
    auto* text = static_cast<char16_t*>(UTILS_REALLOC(m_pText, size_t(totalChars) * sizeof(char16_t)));
    if (!text)
        return false;
    m_pText = text;
    auto* offsets = static_cast<uint32_t*>(UTILS_REALLOC(m_pOffsets, size_t(count) * sizeof(uint32_t)));
    if (!offsets)
        return false;
    m_pOffsets = offsets;
    return true;
}

int32_t CStringsRaw::Insert(const char16_t* text, int32_t index)
{
    // A string of this table is copied before the block moves under it.
    if (text && m_pText && text >= m_pText && text < m_pText + m_nTotalChars) {
        char16_t* copy = UtilsString_DupW(text);
        const int32_t result = copy ? Insert(copy, index) : -1;
        UTILS_FREE(copy);
        return result;
    }
    const uint64_t length = uint64_t(UtilsString_Length(text)) + 1;
    const bool append = index == -1 || m_nCount == 0 || uint32_t(index) == m_nCount;
    if ((!append && (index < 0 || uint32_t(index) > m_nCount)) || m_nCount >= 0x7FFFFFFFu ||
        m_nTotalChars + length > 0xFFFFFFFFu)
        return -1;
    const uint32_t added = uint32_t(length);
    if (!Grow(m_nTotalChars + added, m_nCount + 1))
        return -1;
    const uint32_t at = append ? m_nCount : uint32_t(index);
    const uint32_t position = append ? m_nTotalChars : m_pOffsets[at];
    std::memmove(m_pText + position + added, m_pText + position,
                 size_t(m_nTotalChars - position) * sizeof(char16_t));
    std::memcpy(m_pText + position, text ? text : u"", size_t(added - 1) * sizeof(char16_t));
    m_pText[position + added - 1] = 0;
    for (uint32_t i = m_nCount; i > at; --i)
        m_pOffsets[i] = m_pOffsets[i - 1] + added;
    m_pOffsets[at] = position;
    m_nTotalChars += added;
    ++m_nCount;
    return int32_t(at);
}

Status CStringsRaw::Replace(const char16_t* text, uint32_t index)
{
    if (index >= m_nCount)
        return kStatusFailed;
    // The new string goes in first, so a failure leaves the old one in place.
    if (Insert(text, int32_t(index)) < 0)
        return kStatusFailed;
    return Remove(index + 1);
}

Status CStringsRaw::Remove(uint32_t index)
{
    if (m_nCount == 0)
        return kStatusOk;
    if (index >= m_nCount)
        return kStatusFailed;
    const uint32_t length = GetLength(index);
    const uint32_t position = m_pOffsets[index];
    std::memmove(m_pText + position, m_pText + position + length,
                 size_t(m_nTotalChars - position - length) * sizeof(char16_t));
    for (uint32_t i = index + 1; i < m_nCount; ++i)
        m_pOffsets[i - 1] = m_pOffsets[i] - length;
    m_nTotalChars -= length;
    --m_nCount;
    return kStatusOk;
}

Status CStringsRaw::Move(uint32_t from, uint32_t to)
{
    if (from >= m_nCount || to > m_nCount)
        return kStatusFailed;
    // Inserted before the string at `to` first (Insert copies a string of this table), then
    // the original removed: a failure leaves the table as it was. The indices are valid, so
    // only memory can fail the insertion.
    if (Insert(GetString(from), int32_t(to)) < 0) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return Remove(to <= from ? from + 1 : from);
}

Status CStringsRaw::Join(const CStringsRaw& first, const CStringsRaw& second)
{
    Unload();
    const uint64_t totalChars = uint64_t(first.m_nTotalChars) + second.m_nTotalChars;
    const uint64_t count = uint64_t(first.m_nCount) + second.m_nCount;
    if (totalChars == 0 || count == 0)
        return kStatusOk;
    if (totalChars > 0xFFFFFFFFu || count > 0x7FFFFFFFu || !Grow(uint32_t(totalChars), uint32_t(count))) {
        Unload();
        return kStatusFailed;
    }
    if (first.m_nTotalChars)
        std::memcpy(m_pText, first.m_pText, size_t(first.m_nTotalChars) * sizeof(char16_t));
    if (second.m_nTotalChars)
        std::memcpy(m_pText + first.m_nTotalChars, second.m_pText, size_t(second.m_nTotalChars) * sizeof(char16_t));
    if (first.m_nCount)
        std::memcpy(m_pOffsets, first.m_pOffsets, size_t(first.m_nCount) * sizeof(uint32_t));
    // The second part's strings start after every character of the first.
    for (uint32_t i = 0; i < second.m_nCount; ++i)
        m_pOffsets[first.m_nCount + i] = second.m_pOffsets[i] + first.m_nTotalChars;
    m_nTotalChars = uint32_t(totalChars);
    m_nCount = uint32_t(count);
    return kStatusOk;
}
