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

struct Spec {
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
void PutField(Output& out, const Spec& spec, const char16_t* prefix, size_t prefixLength, const char16_t* digits,
              size_t digitCount, bool allowZeroPad)
{
    size_t total = prefixLength + digitCount;
    size_t pad = spec.width > total ? spec.width - total : 0;
    if (!spec.left && !(spec.zero && allowZeroPad))
        out.Repeat(u' ', pad);
    for (size_t i = 0; i < prefixLength; ++i)
        out.Put(prefix[i]);
    if (!spec.left && spec.zero && allowZeroPad)
        out.Repeat(u'0', pad);
    for (size_t i = 0; i < digitCount; ++i)
        out.Put(digits[i]);
    if (spec.left)
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

void PutInteger(Output& out, const Spec& spec, char conversion, va_list& args)
{
    bool isSigned = conversion == 'd' || conversion == 'i';
    uint64_t magnitude = 0;
    bool negative = false;
    if (isSigned) {
        int64_t value;
        if (spec.size == Spec::Long64)
            value = va_arg(args, long long);
        else if (spec.size == Spec::Half)
            value = static_cast<int16_t>(va_arg(args, int));
        else
            value = va_arg(args, int);
        negative = value < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    } else {
        if (spec.size == Spec::Long64)
            magnitude = va_arg(args, unsigned long long);
        else if (spec.size == Spec::Half)
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
    else if (isSigned && spec.plus)
        prefix[prefixLength++] = u'+';
    else if (isSigned && spec.space)
        prefix[prefixLength++] = u' ';
    if (spec.alternate && magnitude != 0) {
        if (base == 16) {
            prefix[prefixLength++] = u'0';
            prefix[prefixLength++] = conversion == 'X' ? u'X' : u'x';
        } else if (base == 8) {
            prefix[prefixLength++] = u'0';
        }
    }
    char16_t digits[72];
    size_t minDigits = spec.hasPrecision ? spec.precision : 1;
    size_t count = UIntToText(magnitude, base, conversion == 'X', minDigits, digits, 72);
    if (spec.hasPrecision && spec.precision == 0 && magnitude == 0)
        count = 0;
    PutField(out, spec, prefix, prefixLength, digits, count, !spec.hasPrecision);
}

void PutFloat(Output& out, const Spec& spec, double value)
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
        PutField(out, spec, prefix, prefixLength, text, count, false);
        return;
    }
    bool negative = std::signbit(value) && value != 0.0;
    double magnitude = std::fabs(value);
    if (negative)
        prefix[prefixLength++] = u'-';
    else if (spec.plus)
        prefix[prefixLength++] = u'+';
    else if (spec.space)
        prefix[prefixLength++] = u' ';
    double integral = std::trunc(magnitude);
    uint64_t whole = integral >= 18446744073709551615.0 ? UINT64_MAX : static_cast<uint64_t>(integral);
    count = UIntToText(whole, 10, false, 1, text, 72);
    if (spec.hasPrecision && spec.precision > 0) {
        size_t precision = spec.precision < kFloatPrecisionLimit ? spec.precision : kFloatPrecisionLimit;
        double scale = 1.0;
        for (size_t i = 0; i < precision; ++i)
            scale *= 10.0;
        uint64_t fraction = static_cast<uint64_t>(std::trunc((magnitude - integral) * scale));
        if (fraction >= static_cast<uint64_t>(scale))
            fraction = static_cast<uint64_t>(scale) - 1;
        text[count++] = u'.';
        count += UIntToText(fraction, 10, false, precision, text + count, sizeof(text) / sizeof(text[0]) - count);
    }
    PutField(out, spec, prefix, prefixLength, text, count, true);
}

void PutString(Output& out, const Spec& spec, const char16_t* wide, const char* narrow, bool isWide)
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
    if (spec.hasPrecision && spec.precision < length)
        length = spec.precision;
    size_t pad = spec.width > length ? spec.width - length : 0;
    if (!spec.left)
        out.Repeat(u' ', pad);
    for (size_t i = 0; i < length; ++i)
        out.Put(isWide ? wide[i] : static_cast<char16_t>(static_cast<unsigned char>(narrow[i])));
    if (spec.left)
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
        Spec spec;
        for (;; ++cursor) {
            if (*cursor == u'-')
                spec.left = true;
            else if (*cursor == u'+')
                spec.plus = true;
            else if (*cursor == u' ')
                spec.space = true;
            else if (*cursor == u'#')
                spec.alternate = true;
            else if (*cursor == u'0')
                spec.zero = true;
            else
                break;
        }
        if (*cursor == u'*') {
            int width = va_arg(list, int);
            if (width < 0) {
                spec.left = true;
                width = -width;
            }
            spec.width = static_cast<size_t>(width) < kFieldLimit ? static_cast<size_t>(width) : kFieldLimit;
            spec.hasWidth = true;
            ++cursor;
        } else if (*cursor >= u'0' && *cursor <= u'9') {
            spec.width = ParseCount(cursor);
            spec.hasWidth = true;
        }
        if (*cursor == u'.') {
            ++cursor;
            spec.hasPrecision = true;
            if (*cursor == u'*') {
                int precision = va_arg(list, int);
                if (precision < 0)
                    spec.hasPrecision = false;
                else
                    spec.precision = static_cast<size_t>(precision) < kFieldLimit ? static_cast<size_t>(precision)
                                                                                  : kFieldLimit;
                ++cursor;
            } else {
                spec.precision = ParseCount(cursor);
            }
        }
        if (*cursor == u'h') {
            spec.size = Spec::Half;
            ++cursor;
        } else if (*cursor == u'l') {
            ++cursor;
            if (*cursor == u'l') {
                spec.size = Spec::Long64;
                ++cursor;
            } else {
                spec.size = Spec::Wide;
            }
        } else if (*cursor == u'w') {
            spec.size = Spec::Wide;
            ++cursor;
        } else if (*cursor == u'I') {
            ++cursor;
            spec.size = Spec::Long64;
            if (cursor[0] == u'6' && cursor[1] == u'4') {
                cursor += 2;
            } else if (cursor[0] == u'3' && cursor[1] == u'2') {
                spec.size = Spec::Default;
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
            char16_t ch = spec.size == Spec::Half ? static_cast<char16_t>(static_cast<unsigned char>(value))
                                                  : static_cast<char16_t>(value);
            PutField(out, spec, nullptr, 0, &ch, 1, false);
            break;
        }
        case u's':
        case u'S': {
            bool isWide = conversion == u's';
            if (spec.size == Spec::Half)
                isWide = false;
            else if (spec.size == Spec::Wide)
                isWide = true;
            if (isWide)
                PutString(out, spec, va_arg(list, const char16_t*), nullptr, true);
            else
                PutString(out, spec, nullptr, va_arg(list, const char*), false);
            break;
        }
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
        case u'b':
            PutInteger(out, spec, static_cast<char>(conversion), list);
            break;
        case u'p': {
            uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(list, void*));
            char16_t digits[72];
            size_t count = UIntToText(value, 16, true, spec.hasWidth ? spec.width : 8, digits, 72);
            PutField(out, Spec{}, nullptr, 0, digits, count, false);
            break;
        }
        case u'n': {
            int* target = va_arg(list, int*);
            if (target)
                *target = static_cast<int>(out.length);
            break;
        }
        case u'f':
            PutFloat(out, spec, va_arg(list, double));
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
