// The script language's wide formatter. It differs from the engine's general formatter in its
// conversions (base 2, "<NULL>" for a null string, a truncated fixed-point float), which the
// script's messages and texts were written for.
#include "NimbrelScript/ScriptText.h"

#include <cmath>
#include <cstdint>

namespace {

struct Output {
    char16_t* buffer;
    size_t capacity;
    size_t length = 0;

    void Put(char16_t ch)
    {
        if (capacity > 0 && length + 1 < capacity)
            buffer[length++] = ch;
    }
    void Repeat(char16_t ch, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Put(ch);
    }
};

struct Directive {
    bool left = false;   // '-'
    bool plus = false;   // '+'
    bool space = false;  // ' '
    bool alternate = false; // '#'
    bool zero = false;   // '0'
    bool hasWidth = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    enum Size { Default, Half, Wide, Long64 } size = Default;
};

// Widths and precisions beyond this make no sense for a 4096-character buffer.
constexpr size_t kFieldLimit = 4096;
constexpr size_t kFloatPrecisionLimit = 9;

// Writes `digits` (most significant first) with a prefix, honouring width, '-' and '0'.
void PutField(Output& out, const Directive& directive, const char16_t* prefix, size_t prefixLength, const char16_t* digits,
              size_t digitCount, bool allowZeroPad)
{
    size_t total = prefixLength + digitCount;
    size_t pad = directive.width > total ? directive.width - total : 0;
    if (!directive.left && !(directive.zero && allowZeroPad))
        out.Repeat(u' ', pad);
    for (size_t i = 0; i < prefixLength; ++i)
        out.Put(prefix[i]);
    if (!directive.left && directive.zero && allowZeroPad)
        out.Repeat(u'0', pad);
    for (size_t i = 0; i < digitCount; ++i)
        out.Put(digits[i]);
    if (directive.left)
        out.Repeat(u' ', pad);
}

// Digits of `value` in `base`, most significant first, at least `minDigits` long.
size_t UIntToText(uint64_t value, unsigned base, bool upper, size_t minDigits, char16_t* digits, size_t capacity)
{
    static const char kUpper[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const char kLower[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const char* table = upper ? kUpper : kLower;
    char16_t reversed[72];
    size_t count = 0;
    do {
        reversed[count++] = static_cast<char16_t>(table[value % base]);
        value /= base;
    } while (value != 0 && count < sizeof(reversed) / sizeof(reversed[0]));
    while (count < minDigits && count < sizeof(reversed) / sizeof(reversed[0]))
        reversed[count++] = u'0';
    if (count > capacity)
        count = capacity;
    for (size_t i = 0; i < count; ++i)
        digits[i] = reversed[count - 1 - i];
    return count;
}

void PutInteger(Output& out, const Directive& directive, char conversion, va_list& args)
{
    bool isSigned = conversion == 'd' || conversion == 'i';
    uint64_t magnitude = 0;
    bool negative = false;
    if (isSigned) {
        int64_t value;
        if (directive.size == Directive::Long64)
            value = va_arg(args, long long);
        else if (directive.size == Directive::Half)
            value = static_cast<int16_t>(va_arg(args, int));
        else
            value = va_arg(args, int);
        negative = value < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    } else {
        if (directive.size == Directive::Long64)
            magnitude = va_arg(args, unsigned long long);
        else if (directive.size == Directive::Half)
            magnitude = static_cast<uint16_t>(va_arg(args, unsigned int));
        else
            magnitude = va_arg(args, unsigned int);
    }
    unsigned base = 10;
    if (conversion == 'x' || conversion == 'X')
        base = 16;
    else if (conversion == 'o')
        base = 8;
    else if (conversion == 'b')
        base = 2;
    char16_t prefix[3];
    size_t prefixLength = 0;
    if (negative)
        prefix[prefixLength++] = u'-';
    else if (isSigned && directive.plus)
        prefix[prefixLength++] = u'+';
    else if (isSigned && directive.space)
        prefix[prefixLength++] = u' ';
    if (directive.alternate && magnitude != 0) {
        if (base == 16) {
            prefix[prefixLength++] = u'0';
            prefix[prefixLength++] = conversion == 'X' ? u'X' : u'x';
        } else if (base == 8) {
            prefix[prefixLength++] = u'0';
        }
    }
    char16_t digits[72];
    size_t minDigits = directive.hasPrecision ? directive.precision : 1;
    size_t count = UIntToText(magnitude, base, conversion == 'X', minDigits, digits, 72);
    if (directive.hasPrecision && directive.precision == 0 && magnitude == 0)
        count = 0;
    PutField(out, directive, prefix, prefixLength, digits, count, !directive.hasPrecision);
}

void PutFloat(Output& out, const Directive& directive, double value)
{
    char16_t prefix[1];
    size_t prefixLength = 0;
    char16_t text[96];
    size_t count = 0;
    if (std::isnan(value) || std::isinf(value)) {
        if (std::isinf(value) && value < 0)
            prefix[prefixLength++] = u'-';
        const char* word = std::isnan(value) ? "nan" : "inf";
        for (; *word; ++word)
            text[count++] = static_cast<char16_t>(*word);
        PutField(out, directive, prefix, prefixLength, text, count, false);
        return;
    }
    bool negative = std::signbit(value) && value != 0.0;
    double magnitude = std::fabs(value);
    if (negative)
        prefix[prefixLength++] = u'-';
    else if (directive.plus)
        prefix[prefixLength++] = u'+';
    else if (directive.space)
        prefix[prefixLength++] = u' ';
    double integral = std::trunc(magnitude);
    uint64_t whole = integral >= 18446744073709551615.0 ? UINT64_MAX : static_cast<uint64_t>(integral);
    count = UIntToText(whole, 10, false, 1, text, 72);
    if (directive.hasPrecision && directive.precision > 0) {
        size_t precision = directive.precision < kFloatPrecisionLimit ? directive.precision : kFloatPrecisionLimit;
        double scale = 1.0;
        for (size_t i = 0; i < precision; ++i)
            scale *= 10.0;
        uint64_t fraction = static_cast<uint64_t>(std::trunc((magnitude - integral) * scale));
        if (fraction >= static_cast<uint64_t>(scale))
            fraction = static_cast<uint64_t>(scale) - 1;
        text[count++] = u'.';
        count += UIntToText(fraction, 10, false, precision, text + count, sizeof(text) / sizeof(text[0]) - count);
    }
    PutField(out, directive, prefix, prefixLength, text, count, true);
}

void PutString(Output& out, const Directive& directive, const char16_t* wide, const char* narrow, bool isWide)
{
    static const char16_t kNull[] = u"<NULL>";
    if (isWide ? !wide : !narrow) {
        isWide = true;
        wide = kNull;
    }
    size_t length = 0;
    if (isWide) {
        while (wide[length] && length < kFieldLimit)
            ++length;
    } else {
        while (narrow[length] && length < kFieldLimit)
            ++length;
    }
    if (directive.hasPrecision && directive.precision < length)
        length = directive.precision;
    size_t pad = directive.width > length ? directive.width - length : 0;
    if (!directive.left)
        out.Repeat(u' ', pad);
    for (size_t i = 0; i < length; ++i)
        out.Put(isWide ? wide[i] : static_cast<char16_t>(static_cast<unsigned char>(narrow[i])));
    if (directive.left)
        out.Repeat(u' ', pad);
}

// Reads digits of a wide string and advances it.
size_t ParseCount(const char16_t*& cursor)
{
    size_t value = 0;
    while (*cursor >= u'0' && *cursor <= u'9') {
        if (value < kFieldLimit)
            value = value * 10 + static_cast<size_t>(*cursor - u'0');
        ++cursor;
    }
    return value < kFieldLimit ? value : kFieldLimit;
}

} // namespace

int ScriptFormatV(char16_t* buffer, size_t capacity, const char16_t* format, va_list args)
{
    Output out{buffer, capacity};
    if (!format) {
        if (capacity > 0)
            buffer[0] = 0;
        return 0;
    }
    va_list list;
    va_copy(list, args);
    const char16_t* cursor = format;
    while (*cursor) {
        if (*cursor != u'%') {
            out.Put(*cursor++);
            continue;
        }
        const char16_t* start = cursor++;
        Directive directive;
        for (;; ++cursor) {
            if (*cursor == u'-')
                directive.left = true;
            else if (*cursor == u'+')
                directive.plus = true;
            else if (*cursor == u' ')
                directive.space = true;
            else if (*cursor == u'#')
                directive.alternate = true;
            else if (*cursor == u'0')
                directive.zero = true;
            else
                break;
        }
        if (*cursor == u'*') {
            int width = va_arg(list, int);
            if (width < 0) {
                directive.left = true;
                width = -width;
            }
            directive.width = static_cast<size_t>(width) < kFieldLimit ? static_cast<size_t>(width) : kFieldLimit;
            directive.hasWidth = true;
            ++cursor;
        } else if (*cursor >= u'0' && *cursor <= u'9') {
            directive.width = ParseCount(cursor);
            directive.hasWidth = true;
        }
        if (*cursor == u'.') {
            ++cursor;
            directive.hasPrecision = true;
            if (*cursor == u'*') {
                int precision = va_arg(list, int);
                if (precision < 0)
                    directive.hasPrecision = false;
                else
                    directive.precision = static_cast<size_t>(precision) < kFieldLimit ? static_cast<size_t>(precision)
                                                                                  : kFieldLimit;
                ++cursor;
            } else {
                directive.precision = ParseCount(cursor);
            }
        }
        if (*cursor == u'h') {
            directive.size = Directive::Half;
            ++cursor;
        } else if (*cursor == u'l') {
            ++cursor;
            if (*cursor == u'l') {
                directive.size = Directive::Long64;
                ++cursor;
            } else {
                directive.size = Directive::Wide;
            }
        } else if (*cursor == u'w') {
            directive.size = Directive::Wide;
            ++cursor;
        } else if (*cursor == u'I') {
            ++cursor;
            directive.size = Directive::Long64;
            if (cursor[0] == u'6' && cursor[1] == u'4') {
                cursor += 2;
            } else if (cursor[0] == u'3' && cursor[1] == u'2') {
                directive.size = Directive::Default;
                cursor += 2;
            }
        } else if (*cursor == u'L') {
            ++cursor;
        }
        char16_t conversion = *cursor;
        if (conversion == 0)
            break;
        ++cursor;
        switch (conversion) {
        case u'c':
        case u'C': {
            int value = va_arg(list, int);
            char16_t ch = directive.size == Directive::Half ? static_cast<char16_t>(static_cast<unsigned char>(value))
                                                  : static_cast<char16_t>(value);
            PutField(out, directive, nullptr, 0, &ch, 1, false);
            break;
        }
        case u's':
        case u'S': {
            bool isWide = conversion == u's';
            if (directive.size == Directive::Half)
                isWide = false;
            else if (directive.size == Directive::Wide)
                isWide = true;
            if (isWide)
                PutString(out, directive, va_arg(list, const char16_t*), nullptr, true);
            else
                PutString(out, directive, nullptr, va_arg(list, const char*), false);
            break;
        }
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
        case u'b':
            PutInteger(out, directive, static_cast<char>(conversion), list);
            break;
        case u'p': {
            uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(list, void*));
            char16_t digits[72];
            size_t count = UIntToText(value, 16, true, directive.hasWidth ? directive.width : 8, digits, 72);
            PutField(out, Directive{}, nullptr, 0, digits, count, false);
            break;
        }
        case u'n': {
            int* target = va_arg(list, int*);
            if (target)
                *target = static_cast<int>(out.length);
            break;
        }
        case u'f':
            PutFloat(out, directive, va_arg(list, double));
            break;
        case u'%':
            out.Put(u'%');
            break;
        default:
            for (const char16_t* p = start; p < cursor; ++p)
                out.Put(*p);
            break;
        }
    }
    va_end(list);
    if (capacity > 0)
        buffer[out.length] = 0;
    return static_cast<int>(out.length);
}

int ScriptFormatW(char16_t* buffer, size_t capacity, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = ScriptFormatV(buffer, capacity, format, args);
    va_end(args);
    return length;
}
