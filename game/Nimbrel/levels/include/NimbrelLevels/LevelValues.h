#pragma once
// The small readers every level kind uses on the values of its parameter words: colours,
// "row x column" pairs, comma lists and key=value tokens, and the numbers inside tokens. None
// depends on the locale the process runs in.
#include <cstdint>

// The colour AARRGGBB of "0x" and eight hexadecimal digits; `fallback` for anything else,
// a value shorter than that included. Digits above 9 of either case count 10 to 15; any
// other character c counts (c - 55) mod 16.
uint32_t ParseColor(const char* text, uint32_t fallback);

// Two numbers read with `format` (the levels pass "%dx%d"); (-1, -1) unless both were read.
struct RowCol {
    int32_t first;
    int32_t second;
};
RowCol ParseRowCol(const char* text, const char* format);

// Walks a comma list token by token, in place: each token is cut out of the text, and its
// comma put back when the walk moves on or ends, so that the value reads unchanged after the
// walk. A token keeps the blanks before its comma; the blanks after a comma are skipped; an
// empty text gives one empty token.
class LevelListWalk {
public:
    explicit LevelListWalk(char* text) : m_pNext(text) {}
    ~LevelListWalk();
    LevelListWalk(const LevelListWalk&) = delete;
    LevelListWalk& operator=(const LevelListWalk&) = delete;

    // The next token; null after the last.
    char* Next();

private:
    char* m_pNext;
    char* m_pSaved = nullptr;
};

// The value of a key=value token whose key is `key` ("char=", with its '='); null when the
// token has another key.
const char* TokenValue(const char* token, const char* key);

// A token's leading number as atoi and atof read it (0 when there is none), with a '.' for
// the decimal point whatever the locale.
int32_t TokenInt(const char* token);
float TokenFloat(const char* token);

// A script or score float as a 32-bit integer: cut toward zero, held within the 32-bit range
// (NaN is 0), so that the largest float never overflows the conversion.
int32_t TruncateToInt32(float value);

// Where the error texts of the levels' parameter words go: nowhere. A bad value is answered
// by its status alone.
void NoTrace(const char* format, ...);
