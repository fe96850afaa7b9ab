#include "SettingsNumber.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"

uint32_t ParseSettingsHex(const char16_t* value)
{
    const char16_t* p = value;
    if (p[0] == u'0' && p[1] == u'x')
        p += 2;
    uint32_t result = 0;
    for (int i = 0; i < 8 && p[i] != 0; ++i) {
        const int c = p[i];
        const uint32_t digit = (c >= '0' && c <= '9') ? static_cast<uint32_t>(c - '0')
                                                      : static_cast<uint32_t>((c - '0' - 7) & 15);
        result = (result << 4) | digit;
    }
    return result;
}

double ParseSettingsDouble(const char16_t* value)
{
    // Read like atof, but always with a '.' whatever locale the process runs in.
    char text[kSettingsLineBufferSize];
    WideToAnsiCopy(value, text, sizeof(text));
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const char* end = p + std::strlen(p);
    std::chars_format format = std::chars_format::general;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        format = std::chars_format::hex;
    }
    if (*p == '+' || *p == '-')
        return 0.0; // a second sign is no number
    double result = 0.0;
    const auto [last, error] = std::from_chars(p, end, result, format);
    if (error == std::errc::result_out_of_range) {
        // Too large gives infinity, too small gives zero, as atof does.
        const char* exponent = std::strpbrk(p, format == std::chars_format::hex ? "pP" : "eE");
        const bool tiny = exponent != nullptr && exponent < last && exponent[1] == '-';
        result = tiny ? 0.0 : HUGE_VAL;
    } else if (error != std::errc()) {
        return 0.0;
    }
    return negative ? -result : result;
}
