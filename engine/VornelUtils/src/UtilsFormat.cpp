// The engine's own bounded printf. The texts of the system were written for a 16-bit-wide
// printf where %s follows the width of the format and %S is the other width, and where longs
// are 32 bits; the C library's formatters disagree on both points on this platform and depend
// on the locale, so everything goes through this one implementation.
#include "VornelUtils/UtilsString.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

// Writes into the caller's buffer and silently drops what does not fit, keeping one place for
// the terminator.
template <typename CharT>
class Sink {
public:
    Sink(CharT* buffer, size_t capacity) : m_buffer(buffer), m_capacity(buffer ? capacity : 0) {}

    bool Full() const { return m_length + 1 >= m_capacity; }

    void Put(uint32_t ch)
    {
        if (!Full())
            m_buffer[m_length++] = static_cast<CharT>(ch);
    }

    void Pad(uint32_t ch, long count)
    {
        while (count-- > 0 && !Full())
            m_buffer[m_length++] = static_cast<CharT>(ch);
    }

    int Finish()
    {
        if (m_capacity == 0)
            return 0;
        m_buffer[m_length] = 0;
        return m_length > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(m_length);
    }

private:
    CharT* m_buffer;
    size_t m_capacity;
    size_t m_length = 0;
};

enum class Length { None, Short, Long, LongLong };

struct Conversion {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    long width = 0;
    long precision = -1; // -1: not given
    Length length = Length::None;
};

constexpr long kMaxField = 1L << 24; // more than any buffer; keeps the arithmetic small

template <typename CharT>
bool IsDigit(CharT c)
{
    return c >= '0' && c <= '9';
}

template <typename CharT>
long ParseNumber(const CharT*& p)
{
    long value = 0;
    while (IsDigit(*p)) {
        if (value < kMaxField)
            value = value * 10 + (*p - '0');
        ++p;
    }
    return value < kMaxField ? value : kMaxField;
}

// A number laid out as [spaces][prefix][zeros][digits][spaces].
template <typename CharT>
void EmitNumber(Sink<CharT>& out, const Conversion& conv, const char* prefix, long zeros, const char* digits,
                long digitCount, bool zeroPadAllowed)
{
    long prefixLength = static_cast<long>(std::strlen(prefix));
    long total = prefixLength + zeros + digitCount;
    long padding = conv.width > total ? conv.width - total : 0;
    if (!conv.left && conv.zero && zeroPadAllowed) {
        zeros += padding;
        padding = 0;
    }
    if (!conv.left)
        out.Pad(' ', padding);
    for (const char* c = prefix; *c; ++c)
        out.Put(static_cast<unsigned char>(*c));
    out.Pad('0', zeros);
    for (long i = 0; i < digitCount; ++i)
        out.Put(static_cast<unsigned char>(digits[i]));
    if (conv.left)
        out.Pad(' ', padding);
}

template <typename CharT>
void EmitInteger(Sink<CharT>& out, const Conversion& conv, uint64_t magnitude, bool negative, bool isSigned,
                 unsigned base, bool upper)
{
    char digits[24];
    long count = 0;
    if (!(magnitude == 0 && conv.precision == 0)) {
        const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        char reversed[24];
        long n = 0;
        do {
            reversed[n++] = set[magnitude % base];
            magnitude /= base;
        } while (magnitude != 0);
        while (n > 0)
            digits[count++] = reversed[--n];
    }
    char prefix[3] = {0, 0, 0};
    if (isSigned) {
        if (negative)
            prefix[0] = '-';
        else if (conv.plus)
            prefix[0] = '+';
        else if (conv.space)
            prefix[0] = ' ';
    } else if (conv.alt && base == 16 && count > 0 && !(count == 1 && digits[0] == '0')) {
        prefix[0] = '0';
        prefix[1] = upper ? 'X' : 'x';
    }
    long zeros = conv.precision > count ? conv.precision - count : 0;
    EmitNumber(out, conv, prefix, zeros, digits, count, conv.precision < 0);
}

template <typename CharT>
void EmitFloat(Sink<CharT>& out, const Conversion& conv, double value)
{
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    long precision = conv.precision < 0 ? 6 : conv.precision;
    if (precision > 100)
        precision = 100;
    // Largest fixed text: 309 integer digits, the point and 100 decimals.
    char digits[420];
    long count;
    bool finite = std::isfinite(magnitude);
    if (!finite) {
        const char* text = std::isnan(magnitude) ? "nan" : "inf";
        std::memcpy(digits, text, 3);
        count = 3;
    } else {
        auto result = std::to_chars(digits, digits + sizeof(digits) - 1, magnitude, std::chars_format::fixed,
                                    static_cast<int>(precision));
        count = result.ec == std::errc() ? static_cast<long>(result.ptr - digits) : 0;
        if (conv.alt && precision == 0)
            digits[count++] = '.';
    }
    char prefix[2] = {0, 0};
    if (negative)
        prefix[0] = '-';
    else if (conv.plus)
        prefix[0] = '+';
    else if (conv.space)
        prefix[0] = ' ';
    EmitNumber(out, conv, prefix, 0, digits, count, finite);
}

// A character of either width as it appears in the output of width CharT.
template <typename CharT, typename SourceT>
uint32_t ConvertChar(SourceT c)
{
    if constexpr (sizeof(CharT) == sizeof(SourceT))
        return static_cast<std::make_unsigned_t<SourceT>>(c);
    else if constexpr (sizeof(CharT) > sizeof(SourceT))
        return static_cast<unsigned char>(c); // byte widened as is
    else
        return static_cast<uint32_t>(c) <= 0xFF ? static_cast<uint32_t>(c) : uint32_t('?');
}

template <typename CharT, typename SourceT>
void EmitString(Sink<CharT>& out, const Conversion& conv, const SourceT* text)
{
    static const SourceT kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    if (!text)
        text = kNull;
    long length = 0;
    while (text[length] && (conv.precision < 0 || length < conv.precision) && length < kMaxField)
        ++length;
    long padding = conv.width > length ? conv.width - length : 0;
    if (!conv.left)
        out.Pad(' ', padding);
    for (long i = 0; i < length && !out.Full(); ++i)
        out.Put(ConvertChar<CharT>(text[i]));
    if (conv.left)
        out.Pad(' ', padding);
}

template <typename CharT>
void EmitChar(Sink<CharT>& out, const Conversion& conv, uint32_t ch)
{
    long padding = conv.width > 1 ? conv.width - 1 : 0;
    if (!conv.left)
        out.Pad(' ', padding);
    out.Put(ch);
    if (conv.left)
        out.Pad(' ', padding);
}

template <typename CharT>
int VFormat(CharT* buffer, size_t capacity, const CharT* format, va_list args)
{
    using OtherT = std::conditional_t<std::is_same_v<CharT, char>, char16_t, char>;
    Sink<CharT> out(buffer, capacity);
    if (!format)
        return out.Finish();

    const CharT* p = format;
    while (*p && !out.Full()) {
        if (*p != '%') {
            out.Put(static_cast<std::make_unsigned_t<CharT>>(*p++));
            continue;
        }
        const CharT* start = p++;
        Conversion conv;
        for (;; ++p) {
            if (*p == '-')
                conv.left = true;
            else if (*p == '0')
                conv.zero = true;
            else if (*p == '+')
                conv.plus = true;
            else if (*p == ' ')
                conv.space = true;
            else if (*p == '#')
                conv.alt = true;
            else
                break;
        }
        if (*p == '*') {
            int w = va_arg(args, int);
            if (w < 0) {
                conv.left = true;
                w = w == INT_MIN ? INT_MAX : -w;
            }
            conv.width = w < kMaxField ? w : kMaxField;
            ++p;
        } else {
            conv.width = ParseNumber(p);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                int prec = va_arg(args, int);
                conv.precision = prec < 0 ? -1 : (prec < kMaxField ? prec : kMaxField);
                ++p;
            } else {
                conv.precision = ParseNumber(p);
            }
        }
        if (*p == 'h') {
            conv.length = Length::Short;
            while (*p == 'h')
                ++p;
        } else if (*p == 'l') {
            ++p;
            conv.length = Length::Long;
            if (*p == 'l') {
                conv.length = Length::LongLong;
                ++p;
            }
        } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
            conv.length = Length::LongLong;
            p += 3;
        } else if (*p == 'I' && p[1] == '3' && p[2] == '2') {
            conv.length = Length::Long;
            p += 3;
        } else if (*p == 'z' || *p == 'I') {
            conv.length = sizeof(size_t) == 8 ? Length::LongLong : Length::Long;
            ++p;
        }

        const CharT conversion = *p;
        if (conversion == 0) {
            // A format that ends inside a conversion: show what was there.
            for (const CharT* c = start; c < p; ++c)
                out.Put(static_cast<std::make_unsigned_t<CharT>>(*c));
            break;
        }
        ++p;
        switch (conversion) {
        case '%':
            out.Put('%');
            break;
        case 'd':
        case 'i': {
            int64_t v;
            if (conv.length == Length::LongLong)
                v = va_arg(args, long long);
            else if (conv.length == Length::Short)
                v = static_cast<int16_t>(va_arg(args, int));
            else
                v = va_arg(args, int);
            uint64_t magnitude = v < 0 ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            EmitInteger(out, conv, magnitude, v < 0, true, 10, false);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            uint64_t v;
            if (conv.length == Length::LongLong)
                v = va_arg(args, unsigned long long);
            else if (conv.length == Length::Short)
                v = static_cast<uint16_t>(va_arg(args, unsigned int));
            else
                v = va_arg(args, unsigned int);
            EmitInteger(out, conv, v, false, false, conversion == 'u' ? 10 : 16, conversion == 'X');
            break;
        }
        case 'p': {
            Conversion pointerSpec = conv;
            pointerSpec.precision = static_cast<long>(sizeof(void*) * 2);
            pointerSpec.alt = false;
            uint64_t v = reinterpret_cast<uintptr_t>(va_arg(args, void*));
            EmitInteger(out, pointerSpec, v, false, false, 16, true);
            break;
        }
        case 'f':
        case 'F':
            EmitFloat(out, conv, va_arg(args, double));
            break;
        case 'c': {
            int v = va_arg(args, int);
            uint32_t ch;
            bool narrowArg = std::is_same_v<CharT, char> ? conv.length != Length::Long : conv.length == Length::Short;
            if (narrowArg)
                ch = ConvertChar<CharT>(static_cast<char>(v));
            else
                ch = ConvertChar<CharT>(static_cast<char16_t>(v));
            EmitChar(out, conv, ch);
            break;
        }
        case 's':
        case 'S': {
            // 'h' and 'l' name the argument's width outright; otherwise %s follows the format.
            bool native = conversion == 's';
            if (conv.length == Length::Short)
                native = std::is_same_v<CharT, char>;
            else if (conv.length == Length::Long)
                native = std::is_same_v<CharT, char16_t>;
            if (native)
                EmitString<CharT>(out, conv, va_arg(args, const CharT*));
            else
                EmitString<CharT>(out, conv, va_arg(args, const OtherT*));
            break;
        }
        default:
            for (const CharT* c = start; c < p; ++c)
                out.Put(static_cast<std::make_unsigned_t<CharT>>(*c));
            break;
        }
    }
    return out.Finish();
}

// The caller's list stays usable: the formatter reads a copy of it.
template <typename CharT>
int VFormatCopy(CharT* buffer, size_t capacity, const CharT* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int written = VFormat(buffer, capacity, format, copy);
    va_end(copy);
    return written;
}

} // namespace

int UtilsString_VFormat(char16_t* buffer, size_t capacity, const char16_t* format, va_list args)
{
    return VFormatCopy(buffer, capacity, format, args);
}

int UtilsString_Format(char16_t* buffer, size_t capacity, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int written = UtilsString_VFormat(buffer, capacity, format, args);
    va_end(args);
    return written;
}

int UtilsString_VFormatA(char* buffer, size_t capacity, const char* format, va_list args)
{
    return VFormatCopy(buffer, capacity, format, args);
}

int UtilsString_FormatA(char* buffer, size_t capacity, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int written = UtilsString_VFormatA(buffer, capacity, format, args);
    va_end(args);
    return written;
}
