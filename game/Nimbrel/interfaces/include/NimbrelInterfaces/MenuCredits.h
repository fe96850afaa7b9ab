#pragma once
// The credits files of the menu's credits page ("_strings.en.credits_main.utf8.ucs2.raw" and
// the indexed variant): one text block, its lines separated by NUL characters.
//
// File form, little-endian, fields back to back: u8 character size (2), u32 character count,
// u8 character size again (2), u32 not used (written 0), then the UCS-2 characters.
#include <cstdint>

#include "VornelUtils/Status.h"

class UtilsStream;

// The characters one credits file may hold; a buffer has room for them and a terminator.
constexpr uint32_t kCreditsFileCapacity = 4096;
constexpr uint32_t kCreditsHeaderSize = 10;

// Reads a credits file into `pBuffer` (kCreditsFileCapacity + 1 characters), terminated after
// its characters, every NUL and every `lineBreak` in it turned into a line feed: 0 with the
// count in *pCount (when given). kStatusFailed for a character size other than 2, more than
// kCreditsFileCapacity characters, or a short file; the buffer is then left empty.
Status ReadCreditsText(UtilsStream* pStream, char16_t* pBuffer, char16_t lineBreak, uint32_t* pCount);
// Writes `count` characters in the file form: 0, kStatusFailed when the stream refuses them.
Status WriteCreditsText(UtilsStream* pStream, const char16_t* pText, uint32_t count);
