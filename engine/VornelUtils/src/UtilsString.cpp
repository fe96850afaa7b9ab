// Wide and 8-bit string helpers: copies, lookups and in-place edits.
#include "VornelUtils/UtilsString.h"

#include "VornelUtils/UtilsMemory.h"

#include <cstring>

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

template <typename CharT>
bool CopyBounded(CharT* dst, size_t capacity, const CharT* src)
{
    if (!dst || capacity == 0)
        return false;
    size_t n = 0;
    if (src) {
        while (src[n] && n + 1 < capacity) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = 0;
    return !src || src[n] == 0;
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
    return CopyBounded(dst, capacity, src);
}

bool UtilsString_CopyA(char* dst, size_t capacity, const char* src)
{
    return CopyBounded(dst, capacity, src);
}

void WideToAnsiCopy(const char16_t* src, char* dst, size_t capacity)
{
    if (!dst || capacity == 0)
        return;
    size_t n = 0;
    if (src) {
        while (src[n] && n + 1 < capacity) {
            dst[n] = static_cast<char>(src[n] & 0xFF);
            ++n;
        }
    }
    dst[n] = 0;
}

int32_t StringCompareA(const char* a, const char* b)
{
    return CompareExact(a, b);
}

char16_t* UtilsString_DupW(const char16_t* text, size_t length)
{
    if (!text)
        return nullptr;
    size_t n = Span(text, length);
    auto* copy = static_cast<char16_t*>(UtilsMalloc((n + 1) * sizeof(char16_t), __FILE__, __LINE__));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, n * sizeof(char16_t));
    copy[n] = 0;
    return copy;
}

char* UtilsString_DupA(const char* text, size_t length)
{
    if (!text)
        return nullptr;
    size_t n = Span(text, length);
    auto* copy = static_cast<char*>(UtilsMalloc(n + 1, __FILE__, __LINE__));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, n);
    copy[n] = 0;
    return copy;
}

char* UtilsString_DupWToA(const char16_t* text, size_t length)
{
    if (!text)
        return nullptr;
    size_t n = Span(text, length);
    auto* copy = static_cast<char*>(UtilsMalloc(n + 1, __FILE__, __LINE__));
    if (!copy)
        return nullptr;
    for (size_t i = 0; i < n; ++i)
        copy[i] = static_cast<char>(text[i] & 0xFF);
    copy[n] = 0;
    return copy;
}

char16_t* UtilsString_DupAToW(const char* text, size_t length)
{
    if (!text)
        return nullptr;
    size_t n = Span(text, length);
    auto* copy = static_cast<char16_t*>(UtilsMalloc((n + 1) * sizeof(char16_t), __FILE__, __LINE__));
    if (!copy)
        return nullptr;
    for (size_t i = 0; i < n; ++i)
        copy[i] = WidenSigned(text[i]);
    copy[n] = 0;
    return copy;
}

void UtilsString_AToW(const char* src, char16_t* dst, size_t capacity)
{
    if (!dst || capacity == 0)
        return;
    size_t n = 0;
    if (src) {
        while (src[n] && n + 1 < capacity) {
            dst[n] = WidenSigned(src[n]);
            ++n;
        }
    }
    dst[n] = 0;
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
