#pragma once
// Number forms of settings values.
#include <cstdint>

// An optional "0x", then up to eight characters, most significant first: '0'-'9' give their
// digit, any other character c gives ((c - '0' - 7) & 15). Stops early at the terminator.
uint32_t ParseSettingsHex(const char16_t* value);

// The value as 8-bit text read like atof, independent of the locale: 0 when it holds no number.
double ParseSettingsDouble(const char16_t* value);
