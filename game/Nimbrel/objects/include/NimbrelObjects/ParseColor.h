#pragma once
// Colours written in scripts and parameter words: "0x" then eight hexadecimal digits, AARRGGBB.
#include <cstdint>

// The colour of the text, or the default when it does not begin with "0x". Digits are read
// most significant first, up to eight or the end of the text; '0'-'9' give their value and any
// other character c gives (c - 55) mod 16, so both cases of 'A'-'F' read as 10-15.
uint32_t ParseColor(const char* text, uint32_t defaultColor);
