#pragma once
// Making a charset from the texts a game shows: the characters they use get compact codes, each
// page of 256 codes is laid out on a glyph sheet of its own, and the symbols table lets string
// tables be written in those codes (the indexed tables).
//
// Codes 0-127 are ASCII; every other character the texts use and the face draws takes the next
// code from 128 in Unicode order, so the pages follow the scripts. A page's charset mask is the
// OR of the masks of the languages whose texts use it; page 0 serves every language.
#include <cstdint>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/FontFace.h"
#include "VornelUtils/Status.h"

class UtilsStream;

// The texts of one language: its charset mask (the strings manager's language table) and text.
struct CharsetText {
    uint32_t mask;
    std::u16string text;
};

struct CharsetBuild {
    uint8_t charHeight = 0;
    std::vector<char16_t> characters;  // code -> Unicode, for codes 0 .. size - 1
    std::vector<uint32_t> pageMasks;
    std::vector<GlyphSheet> sheets;    // one a page
    std::vector<uint16_t> symbols;     // Unicode -> code; '?' for a character without a code
};

// The codes, masks, sheets and symbols, the face sized so that the glyphs of the codes fill at
// most charHeight pixels from top to bottom; that extent is the build's character height.
// kStatusFailed when the texts need more than 65536 codes, no size fits or a sheet cannot be
// laid out.
Status BuildCharset(CFontFace& face, uint8_t charHeight, uint32_t spacing, const std::vector<CharsetText>& texts,
                    CharsetBuild& out);
// The charset stream of the build (its page textures are the sheets, one a page).
Status WriteCharset(const CharsetBuild& build, UtilsStream* pStream);
// The symbols table: the string tables' header (character size 2, count, two unused fields),
// then the table.
Status WriteCharsetSymbols(const CharsetBuild& build, UtilsStream* pStream);
