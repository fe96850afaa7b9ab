#include "VornelUtils/UtilsParameters.h"

#include "SettingsNumber.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool IsLineEnd(char16_t c) { return c == 0 || c == u'\n' || c == u'\r'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Copies the line at p, widened, into buffer: at most kSettingsLineLimit characters (the rest
// of a longer line is skipped), then the end character when there is one, then a zero.
// Returns the position after the line's end character (or the text end).
const char* ReadLine(const char* p, const char* end, char16_t* buffer)
{
    uint32_t n = 0;
    while (p < end && !IsLineEnd(static_cast<uint8_t>(*p))) {
        if (n < kSettingsLineLimit)
            buffer[n++] = static_cast<uint8_t>(*p);
        ++p;
    }
    if (p < end) {
        buffer[n++] = static_cast<uint8_t>(*p);
        ++p;
    }
    buffer[n] = 0;
    return p;
}

bool MatchSection(const char16_t* line, const char16_t* section)
{
    // A section line holds at least three characters.
    if (IsLineEnd(line[0]) || IsLineEnd(line[1]) || IsLineEnd(line[2]))
        return false;
    uint32_t i = 0;
    while (IsBlank(line[i]))
        ++i;
    if (line[i] != u'[')
        return false;
    ++i;
    uint32_t j = 0;
    for (;; ++i) {
        const char16_t c = line[i];
        if (IsBlank(c))
            continue;
        if (c == u']')
            break;
        if (IsLineEnd(c) || section[j] == 0 || section[j] != c)
            return false;
        ++j;
    }
    return section[j] == 0;
}

// The position of the line's '=' when the key before it matches, else null.
const char16_t* MatchEntry(const char16_t* line, const char16_t* key)
{
    uint32_t j = 0;
    for (uint32_t i = 0;; ++i) {
        const char16_t c = line[i];
        if (IsLineEnd(c) || c == u';' || c == u'/')
            return nullptr;
        if (IsBlank(c))
            continue;
        if (c == u'=')
            return key[j] == 0 ? line + i : nullptr;
        if (key[j] == 0 || key[j] != c)
            return nullptr;
        ++j;
    }
}

} // namespace

UtilsParameters_Text::UtilsParameters_Text(const char* text, uint32_t size)
    : m_pText(text), m_textSize(text != nullptr ? size : 0)
{
}

UtilsParameters_Text::~UtilsParameters_Text()
{
    UtilsFree(m_pLastSection, __FILE__, __LINE__);
}

const char* UtilsParameters_Text::ScanText(const char* text, uint32_t size, const char16_t* section,
                                           const char16_t* key, const char** pLine, const char16_t** pEquals,
                                           char16_t* lineBuffer, const char* start)
{
    if (text == nullptr || section == nullptr || key == nullptr || lineBuffer == nullptr)
        return nullptr;
    const char* end = text + size;
    const char* p = start != nullptr ? start : text;
    bool inSection = start != nullptr;
    const char* body = start;
    while (p < end) {
        if (IsLineEnd(static_cast<uint8_t>(*p))) {
            ++p; // empty line
            continue;
        }
        const char* lineStart = p;
        p = ReadLine(p, end, lineBuffer);
        if (!inSection) {
            if (MatchSection(lineBuffer, section)) {
                inSection = true;
                body = p;
            }
            continue;
        }
        if (lineBuffer[0] == u'[')
            return nullptr;
        if (const char16_t* equals = MatchEntry(lineBuffer, key)) {
            if (pLine != nullptr)
                *pLine = lineStart;
            if (pEquals != nullptr)
                *pEquals = equals;
            return body;
        }
    }
    return nullptr;
}

bool UtilsParameters_Text::FindValue(const char* text, uint32_t size, const char16_t* section, const char16_t* key,
                                     const char** pLine, const char16_t** pEquals, char16_t* lineBuffer)
{
    if (text == nullptr || size == 0 || section == nullptr || key == nullptr)
        return false;
    if (m_mode != 1) {
        m_pCachedSection = ScanText(text, size, section, key, pLine, pEquals, lineBuffer, nullptr);
        // A position found without the cache belongs to no remembered section.
        UtilsFree(m_pLastSection, __FILE__, __LINE__);
        m_pLastSection = nullptr;
        return m_pCachedSection != nullptr;
    }
    // The cached position is only good for the section it was found in; before the first
    // question there is no such section at all.
    if (m_pLastSection == nullptr || UtilsString_Compare(m_pLastSection, section) != 0)
        m_pCachedSection = nullptr;
    const char* start = m_pCachedSection;
    m_pCachedSection = ScanText(text, size, section, key, pLine, pEquals, lineBuffer, start);
    if (m_pCachedSection == nullptr && start != nullptr)
        m_pCachedSection = ScanText(text, size, section, key, pLine, pEquals, lineBuffer, nullptr);
    const bool found = m_pCachedSection != nullptr;
    if (m_pLastSection == nullptr || UtilsString_Compare(m_pLastSection, section) != 0) {
        UtilsFree(m_pLastSection, __FILE__, __LINE__);
        m_pLastSection = UtilsString_DupW(section, 0);
        if (m_pLastSection == nullptr)
            m_pCachedSection = nullptr;
    }
    return found;
}

bool UtilsParameters_Text::FindValueText(const char16_t* section, const char16_t* key, char16_t* out)
{
    out[0] = 0;
    char16_t line[kSettingsLineBufferSize];
    const char* lineStart = nullptr;
    const char16_t* equals = nullptr;
    if (!FindValue(m_pText, m_textSize, section, key, &lineStart, &equals, line))
        return false;
    const char16_t* p = equals + 1;
    while (IsBlank(*p))
        ++p;
    uint32_t n = 0;
    while (!IsLineEnd(*p) && n + 1 < kSettingsLineBufferSize)
        out[n++] = *p++;
    out[n] = 0;
    return true;
}

bool UtilsParameters_Text::FindNonEmptyValue(const char16_t* section, const char16_t* key, char16_t* out)
{
    return FindValueText(section, key, out) && out[0] != 0;
}

bool UtilsParameters_Text::FindIntegerValue(const char16_t* section, const char16_t* key, int32_t* pValue)
{
    char16_t value[kSettingsLineBufferSize];
    if (!FindValueText(section, key, value) || !UtilsString_IsInteger(value))
        return false;
    *pValue = UtilsString_ToInt(value);
    return true;
}

bool UtilsParameters_Text::FindNumberValue(const char16_t* section, const char16_t* key, double* pValue)
{
    char16_t value[kSettingsLineBufferSize];
    if (!FindNonEmptyValue(section, key, value))
        return false;
    *pValue = ParseSettingsDouble(value);
    return true;
}

uint8_t UtilsParameters_Text::GetBool(const char16_t* section, const char16_t* key, uint8_t defaultValue)
{
    char16_t value[kSettingsLineBufferSize];
    if (!FindNonEmptyValue(section, key, value))
        return defaultValue;
    return UtilsString_ToInt(value) != 0 ? 1 : 0;
}

uint8_t UtilsParameters_Text::GetByte(const char16_t* section, const char16_t* key, uint8_t defaultValue)
{
    int32_t value = 0;
    return FindIntegerValue(section, key, &value) ? static_cast<uint8_t>(value) : defaultValue;
}

uint16_t UtilsParameters_Text::GetWord(const char16_t* section, const char16_t* key, uint16_t defaultValue)
{
    int32_t value = 0;
    return FindIntegerValue(section, key, &value) ? static_cast<uint16_t>(value) : defaultValue;
}

int32_t UtilsParameters_Text::GetInt(const char16_t* section, const char16_t* key, int32_t defaultValue)
{
    int32_t value = 0;
    return FindIntegerValue(section, key, &value) ? value : defaultValue;
}

uint32_t UtilsParameters_Text::GetHex(const char16_t* section, const char16_t* key, uint32_t defaultValue)
{
    char16_t value[kSettingsLineBufferSize];
    return FindNonEmptyValue(section, key, value) ? ParseSettingsHex(value) : defaultValue;
}

float UtilsParameters_Text::GetFloat(const char16_t* section, const char16_t* key, float defaultValue)
{
    double value = 0.0;
    return FindNumberValue(section, key, &value) ? static_cast<float>(value) : defaultValue;
}

double UtilsParameters_Text::GetDouble(const char16_t* section, const char16_t* key, double defaultValue)
{
    double value = 0.0;
    return FindNumberValue(section, key, &value) ? value : defaultValue;
}

Status UtilsParameters_Text::GetString(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                       char16_t* out, uint32_t capacity)
{
    char16_t value[kSettingsLineBufferSize];
    const bool found = FindValueText(section, key, value);
    if (out != nullptr && capacity != 0)
        UtilsString_Copy(out, capacity, found ? value : (defaultValue != nullptr ? defaultValue : u""));
    return found ? kStatusOk : kStatusFailed;
}

Status UtilsParameters_Text::GetPath(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                     char16_t* out, uint32_t capacity, const char16_t* prefix)
{
    char16_t value[kSettingsLineBufferSize];
    const bool found = FindValueText(section, key, value) && value[0] != 0;
    const char16_t* text = found ? value : defaultValue;
    if (text == nullptr || text[0] == 0 || out == nullptr || capacity == 0)
        return found ? kStatusOk : kStatusFailed;
    if (prefix != nullptr)
        UtilsString_Format(out, capacity, u"%s%s", prefix, text);
    else
        UtilsString_Copy(out, capacity, text);
    return found ? kStatusOk : kStatusFailed;
}
