// Wide and 8-bit string helpers: copies, lookups and in-place edits.
#include "VornelUtils/UtilsString.h"

#include "VornelUtils/UtilsMemory.h"

namespace {

template <typename CharT>
size_t LengthOf(const CharT* text)
{
    size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

// Number of characters to take: `length` (0 = all) but never past the terminator.
template <typename CharT>
size_t Span(const CharT* text, size_t length)
{
    size_t n = 0;
    while (text[n] && (length == 0 || n < length))
        ++n;
    return n;
}

// Copies src (null counts as empty) into dst of `capacity` characters, each character passed
// through `convert`, cutting and terminating. False when the text was cut or capacity is 0.
template <typename OutT, typename InT, typename Convert>
bool CopyConverted(OutT* dst, size_t capacity, const InT* src, Convert convert)
{
    if (!dst || capacity == 0)
        return false;
    size_t n = 0;
    if (src) {
        while (src[n] && n + 1 < capacity) {
            dst[n] = convert(src[n]);
            ++n;
        }
    }
    dst[n] = 0;
    return !src || src[n] == 0;
}

// A new copy of `length` characters of text (see Span), each passed through `convert`;
// null for a null text or when out of memory.
template <typename OutT, typename InT, typename Convert>
OutT* DupConverted(const InT* text, size_t length, Convert convert)
{
    if (!text)
        return nullptr;
    const size_t n = Span(text, length);
    auto* copy = static_cast<OutT*>(UtilsMalloc((n + 1) * sizeof(OutT), __FILE__, __LINE__));
    if (!copy)
        return nullptr;
    for (size_t i = 0; i < n; ++i)
        copy[i] = convert(text[i]);
    copy[n] = 0;
    return copy;
}

template <typename CharT>
CharT Same(CharT c)
{
    return c;
}

char LowByte(char16_t c)
{
    return static_cast<char>(c & 0xFF);
}

template <typename CharT>
const CharT* FileNameOf(const CharT* path)
{
    if (!path)
        return nullptr;
    const CharT* name = path;
    for (const CharT* p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return name;
}

template <typename CharT>
void Invert(CharT* text)
{
    if (!text)
        return;
    for (; *text; ++text)
        *text = static_cast<CharT>(~*text);
}

template <typename CharT>
uint32_t Replace(CharT* text, CharT from, CharT to)
{
    uint32_t count = 0;
    if (!text)
        return 0;
    for (; *text; ++text) {
        if (*text == from) {
            *text = to;
            ++count;
        }
    }
    return count;
}

template <typename CharT>
uint32_t Count(const CharT* text, CharT ch)
{
    uint32_t count = 0;
    if (!text)
        return 0;
    for (; *text; ++text)
        if (*text == ch)
            ++count;
    return count;
}

template <typename CharT>
int32_t CompareExact(const CharT* a, const CharT* b)
{
    if (!a || !b)
        return a == b ? 0 : -1;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : -1;
}

char16_t WidenSigned(char byte)
{
    return static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(byte)));
}

} // namespace

size_t UtilsString_Length(const char16_t* text)
{
    return LengthOf(text);
}

bool UtilsString_Copy(char16_t* dst, size_t capacity, const char16_t* src)
{
    return CopyConverted(dst, capacity, src, Same<char16_t>);
}

bool UtilsString_CopyA(char* dst, size_t capacity, const char* src)
{
    return CopyConverted(dst, capacity, src, Same<char>);
}

void WideToAnsiCopy(const char16_t* src, char* dst, size_t capacity)
{
    CopyConverted(dst, capacity, src, LowByte);
}

int32_t StringCompareA(const char* a, const char* b)
{
    return CompareExact(a, b);
}

char16_t* UtilsString_DupW(const char16_t* text, size_t length)
{
    return DupConverted<char16_t>(text, length, Same<char16_t>);
}

char* UtilsString_DupA(const char* text, size_t length)
{
    return DupConverted<char>(text, length, Same<char>);
}

char* UtilsString_DupWToA(const char16_t* text, size_t length)
{
    return DupConverted<char>(text, length, LowByte);
}

char16_t* UtilsString_DupAToW(const char* text, size_t length)
{
    return DupConverted<char16_t>(text, length, WidenSigned);
}

void UtilsString_AToW(const char* src, char16_t* dst, size_t capacity)
{
    CopyConverted(dst, capacity, src, WidenSigned);
}

char16_t* UtilsString_CutAt(char16_t* text, char16_t ch)
{
    if (!text)
        return nullptr;
    char16_t* last = nullptr;
    for (char16_t* p = text; *p; ++p)
        if (*p == ch)
            last = p;
    if (last)
        *last = 0;
    return last;
}

const char16_t* UtilsString_GetExtension(const char16_t* path)
{
    static const char16_t kEmpty[] = {0};
    const char16_t* name = FileNameOf(path);
    if (!name)
        return kEmpty;
    const char16_t* dot = nullptr;
    for (const char16_t* p = name; *p; ++p)
        if (*p == '.')
            dot = p;
    return dot ? dot : kEmpty;
}

const char16_t* UtilsString_GetFileName(const char16_t* path)
{
    return FileNameOf(path);
}

const char* UtilsString_GetFileNameA(const char* path)
{
    return FileNameOf(path);
}

int32_t UtilsString_Compare(const char16_t* a, const char16_t* b)
{
    return CompareExact(a, b);
}

Status UtilsString_CompareSameLength(const char16_t* a, const char16_t* b)
{
    if (LengthOf(a) != LengthOf(b))
        return kStatusFailed;
    if (!a || !b)
        return a == b ? kStatusOk : kStatusFailed;
    auto fold = [](char16_t c) -> char16_t { return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c; };
    for (; *a; ++a, ++b)
        if (fold(*a) != fold(*b))
            return kStatusFailed;
    return kStatusOk;
}

void UtilsString_InvertW(char16_t* text)
{
    Invert(text);
}

void UtilsString_InvertA(char* text)
{
    Invert(text);
}

uint32_t UtilsString_ReplaceChar(char16_t* text, char16_t from, char16_t to)
{
    return Replace(text, from, to);
}

uint32_t UtilsString_ReplaceCharA(char* text, char from, char to)
{
    return Replace(text, from, to);
}

uint32_t UtilsString_CountChar(const char16_t* text, char16_t ch)
{
    return Count(text, ch);
}

uint32_t UtilsString_CountCharA(const char* text, char ch)
{
    return Count(text, ch);
}

bool UtilsString_IsInteger(const char16_t* text)
{
    if (!text || !*text)
        return false;
    for (; *text; ++text)
        if (!((*text >= '0' && *text <= '9') || *text == '+' || *text == '-'))
            return false;
    return true;
}
