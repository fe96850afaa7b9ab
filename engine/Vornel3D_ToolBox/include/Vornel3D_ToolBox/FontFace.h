#pragma once
// One TrueType face rasterised with FreeType, the project's only rasteriser. Recipes draw a
// line of UTF-8 text at a pixel size (pen positions rounded to whole pixels, pairs kerned);
// the fonts fit a face to a character height and lay the codes 32..287 out on a glyph sheet
// (BuildGlyphSheet), the same layout for a live sheet, a prepared pair and a charset.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/FontRecords.h"
#include "VornelUtils/Status.h"

// The face a recipe gets when it names none (fonts-dejavu-core).
constexpr const char* kDefaultFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class CFontFace {
public:
    CFontFace() = default;
    ~CFontFace();

    CFontFace(const CFontFace&) = delete;
    CFontFace& operator=(const CFontFace&) = delete;

    // Opens the face file (kStatusFileNotOpened when it is missing or not a face) and fits it
    // to the pixel size (1..1024; kStatusFailed when the face cannot take it).
    Status Open(const std::string& path, uint32_t pixelSize);
    // A face for a font sheet, from a file or from a block that must outlive the face:
    // kStatusFailed when it does not open or is not scalable with horizontal metrics.
    Status OpenForSheet(const std::string& path);
    Status OpenForSheet(const void* data, uint32_t size);

    // Sets the pixel size whose scaled bounding box is the height h (in pixels) as nearly as
    // possible: from units per EM x h / box height, up while the box is lower than h, then down
    // while it is higher. kStatusFailed for h 0 or a face whose box has no height.
    Status FitFaceToPixelHeight(uint32_t h);
    // Sets the largest pixel size at which the glyphs of the codes, from the highest bitmap top
    // to the lowest bitmap bottom, are at most h pixels high, and gives that extent. A face's
    // box also holds glyphs far taller than a text's, so fitting the box leaves a text's
    // glyphs shorter than h. kStatusFailed when no size fits or no code has a glyph.
    Status FitGlyphsToPixelHeight(const std::vector<uint32_t>& codes, uint32_t h, uint32_t& ascent,
                                  uint32_t& descent);

    // The advance of the whole line in pixels.
    int64_t Measure(const std::string& utf8);
    // Calls plot(x, y, coverage 1..255) for each covered pixel of the line, with the pen
    // starting at x on the baseline y.
    void Draw(const std::string& utf8, int64_t x, int64_t y,
              const std::function<void(int64_t, int64_t, uint8_t)>& plot);

    void* Handle() const { return m_face; }  // FT_Face

private:
    Status OpenFace(const std::string* path, const void* data, uint32_t size);
    // Walks the line's glyphs, each loaded (rendered when draw), with its pen position in pixels.
    void Walk(const std::string& utf8, bool draw, const std::function<void(int64_t)>& glyph);

    void* m_library = nullptr;  // FT_Library
    void* m_face = nullptr;     // FT_Face
    int64_t m_lastAdvance = 0;  // the pen after Walk, in 26.6 pixels
};

// Glyph sheets are 1024 pixels wide with a margin of 10 pixels; a row holds 1014 pixels of
// cells, each cell as wide as its glyph's advance plus the margin.
constexpr uint32_t kGlyphSheetWidth = 1024;
constexpr uint32_t kGlyphSheetMargin = 10;
constexpr uint32_t kGlyphSheetFirstCode = 32;
constexpr uint32_t kGlyphSheetCodes = 256;        // 32..287
constexpr uint32_t kGlyphSheetMaxHeight = 32768;  // taller sheets are refused

// The codes 32..287 of a fitted face laid out on one sheet.
struct GlyphSheet {
    uint32_t ascent = 0;   // the largest bitmap top
    uint32_t descent = 0;  // the largest depth below the baseline
    uint32_t rows = 0;
    uint32_t pitch = 0;    // ascent + margin + descent
    uint32_t height = 0;   // a power of two, at least 16, that holds every row and the margin
    CharRect cells[kGlyphSheetCodes] = {};            // code 32 + i (or the caller's i-th code)
    std::unique_ptr<uint8_t[]> coverage;              // 1024 x height grey, top row first
};

// Two passes over the codes: the first sizes the sheet (advances, rows, ascent and descent),
// the second renders each glyph into its cell, the cell's right edge `spacing` pixels past the
// advance. kStatusFailed for a face without a size, a glyph wider than a row, a sheet above
// kGlyphSheetMaxHeight; kStatusOutOfMemory when the coverage cannot be allocated.
// With `codes` (kGlyphSheetCodes of them) cell i holds codes[i] instead of 32 + i, and a
// kNoSheetGlyph entry leaves its cell absent and takes no room. A `line` taller than the
// sheet's own glyphs sets the ascent and descent instead, so that the pages of one font share
// their baseline and cell height.
constexpr uint32_t kNoSheetGlyph = 0xFFFFFFFF;
struct GlyphLine {
    uint32_t ascent;
    uint32_t descent;
};
Status BuildGlyphSheet(CFontFace& face, uint32_t spacing, GlyphSheet& sheet, const uint32_t* codes = nullptr,
                       const GlyphLine* line = nullptr);

// The coverage rows of a sheet in the order raw images keep them (bottom row first), grey
// (8 bits) or white with the coverage as alpha (32 bits). Null when out of memory.
std::unique_ptr<uint8_t[]> GlyphSheetPixels(const GlyphSheet& sheet, uint8_t depth);
