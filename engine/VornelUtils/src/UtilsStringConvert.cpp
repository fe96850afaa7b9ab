// Conversions at the edges of the engine: UTF-8 and locale-independent integer parsing.
#include "VornelUtils/UtilsString.h"

#include <climits>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename CharT>
int32_t ParseInt(const CharT* text)
{
    if (!text)
        return 0;
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > limit)
            value = limit; // saturate, keep consuming digits
    }
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace

std::string UtilsString_ToUtf8(const char16_t* text)
{
    std::string out;
    if (!text)
        return out;
    for (size_t i = 0; text[i]; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            char32_t low = text[i + 1];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                c = kReplacement;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string UtilsString_FromUtf8(const char* utf8)
{
    std::u16string out;
    if (!utf8)
        return out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    size_t i = 0;
    while (s[i]) {
        unsigned char lead = s[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        char32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
            minimum = 0x10000;
        } else {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        // Take continuation bytes while they come; a short sequence becomes one U+FFFD and
        // decoding resumes at the byte that broke it (never past the terminator).
        int taken = 0;
        while (taken < extra && (s[i + 1 + taken] & 0xC0) == 0x80) {
            cp = (cp << 6) | (s[i + 1 + taken] & 0x3F);
            ++taken;
        }
        i += 1 + taken;
        if (taken < extra || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = kReplacement;
        AppendUtf16(out, cp);
    }
    return out;
}

int32_t UtilsString_ToInt(const char16_t* text)
{
    return ParseInt(text);
}

int32_t UtilsString_ToIntA(const char* text)
{
    return ParseInt(text);
}

bool UtilsString_ParseVersion(const char* text, int32_t* major, int32_t* minor)
{
    if (!text)
        return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char* p = text;
    while (*p && !isDigit(*p))
        ++p;
    if (!*p)
        return false;
    const char* run = p;
    while (isDigit(*p))
        ++p;
    if (!*p)
        return false;
    if (major)
        *major = ParseInt(run);
    if (*p != '.')
        return false;
    ++p;
    run = p;
    while (isDigit(*p))
        ++p;
    if (p == run || !*p)
        return false;
    if (minor)
        *minor = ParseInt(run);
    return true;
}
