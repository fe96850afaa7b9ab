// Making a charset: the codes of the texts' characters, a glyph sheet a page (the one sheet
// layout of the fonts), and the charset and symbols streams.
#include "Vornel3D_ToolBox/CharsetBuilder.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "VornelUtils/UtilsStream.h"

namespace {

constexpr uint32_t kAsciiCodes = 128;
constexpr uint32_t kCodeLimit = 0x10000;
constexpr char16_t kMissingSymbol = u'?';

// Whether a code's cell gets a glyph: controls have none.
bool Drawable(char16_t c)
{
    return c >= 32 && c != 127;
}

uint32_t EveryLanguage()
{
    uint32_t mask = 0;
    for (const StringsLanguage& language : kStringsLanguages)
        mask |= language.charsetMask;
    return mask;
}

bool WriteU32(UtilsStream* pStream, uint32_t value)
{
    return pStream->Write(&value, 4, 1);
}

}  // namespace

Status BuildCharset(CFontFace& fontFace, uint8_t charHeight, uint32_t spacing, const std::vector<CharsetText>& texts,
                    CharsetBuild& out)
{
    const FT_Face face = static_cast<FT_Face>(fontFace.Handle());
    if (!face)
        return kStatusFailed;
    out = CharsetBuild{};

    // The characters beyond ASCII that the texts use and the face draws, in Unicode order.
    std::vector<bool> used(kCodeLimit, false);
    for (const CharsetText& text : texts)
        for (char16_t c : text.text)
            if (c >= kAsciiCodes && (c < 0xD800 || c > 0xDFFF) && FT_Get_Char_Index(face, c) != 0)
                used[c] = true;
    for (uint32_t c = 0; c < kAsciiCodes; ++c)
        out.characters.push_back(char16_t(c));
    uint32_t highest = kAsciiCodes - 1;
    for (uint32_t c = kAsciiCodes; c < kCodeLimit; ++c)
        if (used[c]) {
            out.characters.push_back(char16_t(c));
            highest = c;
        }
    if (out.characters.size() > kCodeLimit)
        return kStatusFailed;

    out.symbols.assign(highest + 1, kMissingSymbol);
    for (size_t code = 0; code < out.characters.size(); ++code)
        out.symbols[out.characters[code]] = uint16_t(code);

    // Page masks: page 0 serves every language, the others the languages that use them.
    const size_t pages = (out.characters.size() + kFontCharCount - 1) / kFontCharCount;
    out.pageMasks.assign(pages, 0);
    out.pageMasks[0] = EveryLanguage();
    for (const CharsetText& text : texts)
        for (char16_t c : text.text)
            if (c < out.symbols.size() && (c >= kAsciiCodes) && out.symbols[c] != kMissingSymbol)
                out.pageMasks[out.symbols[c] / kFontCharCount] |= text.mask;

    // The face is sized so that the glyphs the texts use fill the character height, and every
    // page gets that line: a cell is then as high as the height its width is measured against,
    // so the text is drawn in the face's own proportions.
    std::vector<uint32_t> drawn;
    for (char16_t c : out.characters)
        if (Drawable(c))
            drawn.push_back(c);
    GlyphLine line{};
    if (Failed(fontFace.FitGlyphsToPixelHeight(drawn, charHeight, line.ascent, line.descent)))
        return kStatusFailed;
    out.charHeight = uint8_t(line.ascent + line.descent);

    out.sheets.resize(pages);
    for (size_t p = 0; p < pages; ++p) {
        uint32_t codes[kGlyphSheetCodes];
        for (uint32_t r = 0; r < kGlyphSheetCodes; ++r) {
            const size_t code = p * kFontCharCount + r;
            codes[r] = code < out.characters.size() && Drawable(out.characters[code]) ? out.characters[code]
                                                                                        : kNoSheetGlyph;
        }
        const Status status = BuildGlyphSheet(fontFace, spacing, out.sheets[p], codes, &line);
        if (Failed(status))
            return status;
    }
    return kStatusOk;
}

Status WriteCharset(const CharsetBuild& build, UtilsStream* pStream)
{
    const uint32_t pages = uint32_t(build.sheets.size());
    if (!pStream || pages == 0)
        return kStatusFailed;
    bool written = WriteU32(pStream, kCharsetVersion) && WriteU32(pStream, pages) && WriteU32(pStream, pages);
    for (uint32_t p = 0; p < pages && written; ++p) {
        const size_t first = size_t(p) * kFontCharCount;
        const uint32_t length = uint32_t(std::min<size_t>(kFontCharCount, build.characters.size() - first));
        written = WriteU32(pStream, build.pageMasks[p]) && WriteU32(pStream, 0) && WriteU32(pStream, length) &&
                  pStream->Write(&build.characters[first], 2, length);
    }
    for (uint32_t p = 0; p < pages && written; ++p)
        for (uint32_t r = 0; r < kFontCharCount && written; ++r) {
            const CharRect& cell = build.sheets[p].cells[r];
            const float values[4] = {cell.left, cell.top, cell.right, cell.bottom};
            written = pStream->Write(values, 4, 4);
        }
    for (uint32_t p = 0; p < pages && written; ++p) {
        const float width = float(kGlyphSheetWidth), height = float(build.sheets[p].height);
        written = pStream->Write(&build.charHeight, 1, 1) && pStream->Write(&width, 4, 1) &&
                  pStream->Write(&height, 4, 1);
    }
    return written ? kStatusOk : kStatusFailed;
}

Status WriteCharsetSymbols(const CharsetBuild& build, UtilsStream* pStream)
{
    const uint8_t charSize = 2, unusedWidth = 0;
    const uint32_t count = uint32_t(build.symbols.size());
    if (!pStream || count == 0)
        return kStatusFailed;
    const bool written = pStream->Write(&charSize, 1, 1) && WriteU32(pStream, count) &&
                         pStream->Write(&unusedWidth, 1, 1) && WriteU32(pStream, 0) &&
                         pStream->Write(build.symbols.data(), 2, count);
    return written ? kStatusOk : kStatusFailed;
}
