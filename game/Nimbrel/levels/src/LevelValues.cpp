// The readers of the levels' parameter values.
#include "NimbrelLevels/LevelValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "NimbrelObjects/ObjectLists.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

uint32_t ParseColor(const char* text, uint32_t fallback)
{
    if (!text || text[0] != '0' || text[1] != 'x')
        return fallback;
    uint32_t colour = 0;
    for (const char* p = text + 2; p < text + 10; ++p) {
        // A short value ends before its eighth digit: nothing past it is read.
        if (*p == '\0')
            return fallback;
        const int c = static_cast<unsigned char>(*p);
        colour = colour << 4 | uint32_t(c >= '0' && c <= '9' ? c - '0' : (c - 55) & 15);
    }
    return colour;
}

RowCol ParseRowCol(const char* text, const char* format)
{
    int first = 0, second = 0;
    if (!text || !format || std::sscanf(text, format, &first, &second) != 2)
        return {-1, -1};
    return {first, second};
}

LevelListWalk::~LevelListWalk()
{
    NextListToken(nullptr, &m_pSaved);
}

char* LevelListWalk::Next()
{
    char* token = m_pNext;
    // Cutting the next token puts the comma of the one before back.
    m_pNext = token ? NextListToken(token, &m_pSaved) : NextListToken(nullptr, &m_pSaved);
    return token;
}

const char* TokenValue(const char* token, const char* key)
{
    const size_t length = key ? std::strlen(key) : 0;
    return token && length && std::strncmp(token, key, length) == 0 ? token + length : nullptr;
}

int32_t TokenInt(const char* token)
{
    return token ? UtilsString_ToIntA(token) : 0;
}

int32_t TruncateToInt32(float value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return int32_t(value);
}

float TokenFloat(const char* token)
{
    if (!token)
        return 0.0f;
    while (IsBlank(*token))
        ++token;
    const bool negative = *token == '-';
    if (*token == '+' || *token == '-')
        ++token;
    if (*token == '+' || *token == '-')
        return 0.0f;  // a second sign is no number
    double value = 0.0;
    const std::errc error = std::from_chars(token, token + std::strlen(token), value).ec;
    if (error == std::errc::result_out_of_range) {
        // Too large gives infinity, too small zero, as atof does.
        const char* exponent = std::strpbrk(token, "eE");
        value = exponent && exponent[1] == '-' ? 0.0 : HUGE_VAL;
    }
    else if (error != std::errc())
        return 0.0f;
    return float(negative ? -value : value);
}

void NoTrace(const char*, ...) {}
