#include "Vornel3D_ToolBox/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "VornelUtils/UtilsString.h"

namespace {

// The text's code points, from its 16-bit form (pairs of surrogates joined).
std::vector<uint32_t> CodePoints(const std::string& utf8)
{
    const std::u16string wide = UtilsString_FromUtf8(utf8.c_str());
    std::vector<uint32_t> points;
    for (size_t i = 0; i < wide.size(); ++i) {
        const uint32_t unit = wide[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) {
            points.push_back(0x10000 + ((unit - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

} // namespace

CFontFace::~CFontFace()
{
    if (m_face)
        FT_Done_Face(static_cast<FT_Face>(m_face));
    if (m_library)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

Status CFontFace::OpenFace(const std::string* path, const void* data, uint32_t size)
{
    if (m_library == nullptr) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0)
            return kStatusFailed;
        m_library = library;
    }
    if (m_face) {
        FT_Done_Face(static_cast<FT_Face>(m_face));
        m_face = nullptr;
    }
    FT_Face face = nullptr;
    const FT_Error error = path ? FT_New_Face(static_cast<FT_Library>(m_library), path->c_str(), 0, &face)
                                : FT_New_Memory_Face(static_cast<FT_Library>(m_library),
                                                     static_cast<const FT_Byte*>(data), FT_Long(size), 0, &face);
    if (error != 0)
        return kStatusFileNotOpened;
    m_face = face;
    return kStatusOk;
}

Status CFontFace::Open(const std::string& path, uint32_t pixelSize)
{
    const Status status = OpenFace(&path, nullptr, 0);
    if (Failed(status))
        return status;
    if (pixelSize < 1 || pixelSize > 1024 || FT_Set_Pixel_Sizes(static_cast<FT_Face>(m_face), 0, pixelSize) != 0)
        return kStatusFailed;
    return kStatusOk;
}

namespace {

// Sheets are made from outlines measured horizontally.
Status CheckSheetFace(void* handle)
{
    const FT_Face face = static_cast<FT_Face>(handle);
    return face && FT_IS_SCALABLE(face) && FT_HAS_HORIZONTAL(face) ? kStatusOk : kStatusFailed;
}

}  // namespace

Status CFontFace::OpenForSheet(const std::string& path)
{
    return Failed(OpenFace(&path, nullptr, 0)) ? kStatusFailed : CheckSheetFace(m_face);
}

Status CFontFace::OpenForSheet(const void* data, uint32_t size)
{
    if (!data || size == 0)
        return kStatusFailed;
    return Failed(OpenFace(nullptr, data, size)) ? kStatusFailed : CheckSheetFace(m_face);
}

Status CFontFace::FitFaceToPixelHeight(uint32_t h)
{
    // FreeType takes pixel sizes up to 0xFFFF; the walk stops at either end.
    constexpr uint32_t kLargestSize = 0xFFFF;
    const FT_Face face = static_cast<FT_Face>(m_face);
    if (!face || h == 0 || h > kLargestSize)
        return kStatusFailed;
    const FT_Long box = face->bbox.yMax - face->bbox.yMin;
    if (box <= 0 || face->units_per_EM == 0)
        return kStatusFailed;
    uint64_t nominal = uint64_t(face->units_per_EM) * h / uint64_t(box);
    uint32_t n = uint32_t(nominal < 1 ? 1 : nominal > kLargestSize ? kLargestSize : nominal);
    if (FT_Set_Pixel_Sizes(face, n, n) != 0)
        return kStatusFailed;
    const FT_Long target = FT_Long(h) * 64;
    auto scaled = [&] { return FT_MulFix(box, face->size->metrics.y_scale); };
    while (scaled() < target && n < kLargestSize) {
        if (FT_Set_Pixel_Sizes(face, n + 1, n + 1) != 0)
            return kStatusFailed;
        ++n;
    }
    while (scaled() > target && n > 1) {
        if (FT_Set_Pixel_Sizes(face, n - 1, n - 1) != 0)
            return kStatusFailed;
        --n;
    }
    return kStatusOk;
}

void CFontFace::Walk(const std::string& utf8, bool draw, const std::function<void(int64_t)>& glyph)
{
    m_lastAdvance = 0;
    FT_Face face = static_cast<FT_Face>(m_face);
    if (face == nullptr)
        return;
    int64_t pen = 0;  // 26.6
    FT_UInt previous = 0;
    for (uint32_t point : CodePoints(utf8)) {
        const FT_UInt index = FT_Get_Char_Index(face, point);
        if (previous != 0 && index != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning{};
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning) == 0)
                pen += kerning.x;
        }
        if (FT_Load_Glyph(face, index, draw ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) != 0)
            continue;
        glyph((pen + 32) >> 6);
        pen += face->glyph->advance.x;
        previous = index;
    }
    m_lastAdvance = pen;
}

int64_t CFontFace::Measure(const std::string& utf8)
{
    Walk(utf8, false, [](int64_t) {});
    return (m_lastAdvance + 32) >> 6;
}

void CFontFace::Draw(const std::string& utf8, int64_t x, int64_t y,
                     const std::function<void(int64_t, int64_t, uint8_t)>& plot)
{
    FT_Face face = static_cast<FT_Face>(m_face);
    Walk(utf8, true, [&](int64_t penX) {
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            return;
        const int64_t left = x + penX + face->glyph->bitmap_left;
        const int64_t top = y - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const unsigned char* line = bitmap.buffer + int64_t(row) * bitmap.pitch;
            for (unsigned column = 0; column < bitmap.width; ++column) {
                if (line[column] != 0)
                    plot(left + column, top + row, line[column]);
            }
        }
    });
}

// ---- glyph sheets ---------------------------------------------------------------------------

namespace {

constexpr uint32_t kRowRoom = kGlyphSheetWidth - kGlyphSheetMargin;

// Loads one code's glyph; rendered in the normal 8-bit mode when render. False when the face
// has nothing to load for it (the cell is then as wide as the margin and empty).
bool LoadSheetGlyph(FT_Face face, uint32_t code, bool render)
{
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (!render)
        return FT_Load_Glyph(face, index, FT_LOAD_RENDER) == 0;
    return FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0 &&
           FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
}

// The extent of the codes' glyphs at the face's size, as the sheets measure it: the highest
// bitmap top and the lowest bitmap bottom. False when no code has a glyph.
bool MeasureGlyphs(FT_Face face, const std::vector<uint32_t>& codes, uint32_t& ascent, uint32_t& descent)
{
    int64_t top = 0, depth = 0;
    bool any = false;
    for (uint32_t code : codes) {
        if (!LoadSheetGlyph(face, code, false))
            continue;
        top = std::max<int64_t>(top, face->glyph->bitmap_top);
        depth = std::max<int64_t>(depth, int64_t(face->glyph->bitmap.rows) - face->glyph->bitmap_top);
        any = true;
    }
    ascent = uint32_t(top);
    descent = uint32_t(depth);
    return any;
}

}  // namespace

Status CFontFace::FitGlyphsToPixelHeight(const std::vector<uint32_t>& codes, uint32_t h, uint32_t& ascent,
                                         uint32_t& descent)
{
    // Glyphs grow with the size; past four times h no text's glyphs stay within h.
    const FT_Face face = static_cast<FT_Face>(m_face);
    if (!face || h == 0 || h > 0xFFFF / 4)
        return kStatusFailed;
    uint32_t a = 0, d = 0;
    const auto fits = [&](uint32_t size) {
        return FT_Set_Pixel_Sizes(face, size, size) == 0 && MeasureGlyphs(face, codes, a, d) && a + d <= h;
    };
    uint32_t low = 0, high = 4 * h + 1;  // the largest fitting size lies in [low, high)
    while (high - low > 1) {
        const uint32_t middle = low + (high - low) / 2;
        (fits(middle) ? low : high) = middle;
    }
    if (low == 0 || !fits(low))
        return kStatusFailed;
    ascent = a;
    descent = d;
    return kStatusOk;
}

Status BuildGlyphSheet(CFontFace& fontFace, uint32_t spacing, GlyphSheet& sheet, const uint32_t* codes,
                       const GlyphLine* line)
{
    // The cells hold the codes 32..287 unless the caller lists its own.
    auto codeOf = [codes](uint32_t i) { return codes ? codes[i] : kGlyphSheetFirstCode + i; };
    const FT_Face face = static_cast<FT_Face>(fontFace.Handle());
    if (!face || !face->size)
        return kStatusFailed;

    // First pass: each cell's advance, the rows they fill, the tallest ascent and descent.
    uint32_t advance[kGlyphSheetCodes] = {};
    int64_t ascent = 0, descent = 0;
    uint32_t rows = 1, room = kRowRoom;
    for (uint32_t i = 0; i < kGlyphSheetCodes; ++i) {
        if (codeOf(i) == kNoSheetGlyph)
            continue;
        uint32_t a = kGlyphSheetMargin;
        if (LoadSheetGlyph(face, codeOf(i), false)) {
            const FT_GlyphSlot glyph = face->glyph;
            const int64_t pixels = glyph->advance.x >> 6;
            if (pixels < 0 || pixels > int64_t(kRowRoom))
                return kStatusFailed;
            a += uint32_t(pixels);
            ascent = std::max<int64_t>(ascent, glyph->bitmap_top);
            descent = std::max<int64_t>(descent, int64_t(glyph->bitmap.rows) - glyph->bitmap_top);
        }
        // A glyph wider than a whole row fits on no row.
        if (a > kRowRoom)
            return kStatusFailed;
        if (a > room) {
            ++rows;
            room = kRowRoom;
        }
        room -= a;
        advance[i] = a;
    }
    if (line) {
        ascent = std::max<int64_t>(ascent, line->ascent);
        descent = std::max<int64_t>(descent, line->descent);
    }
    const uint64_t pitch = uint64_t(ascent) + kGlyphSheetMargin + uint64_t(descent);
    const uint64_t needed = pitch * rows + kGlyphSheetMargin;
    uint32_t height = 16;
    while (height < needed && height <= kGlyphSheetMaxHeight)
        height *= 2;
    if (height > kGlyphSheetMaxHeight)
        return kStatusFailed;

    sheet.ascent = uint32_t(ascent);
    sheet.descent = uint32_t(descent);
    sheet.rows = rows;
    sheet.pitch = uint32_t(pitch);
    sheet.height = height;
    sheet.coverage.reset(new (std::nothrow) uint8_t[size_t(kGlyphSheetWidth) * height]());
    if (!sheet.coverage)
        return kStatusOutOfMemory;

    // Second pass: each glyph rendered into its cell on the baseline of its row.
    uint8_t* coverage = sheet.coverage.get();
    int64_t x = kGlyphSheetMargin;
    int64_t baseline = ascent + kGlyphSheetMargin;
    for (uint32_t i = 0; i < kGlyphSheetCodes; ++i) {
        const uint32_t a = advance[i];
        if (codeOf(i) == kNoSheetGlyph)
            continue;
        if (int64_t(a) > int64_t(kGlyphSheetWidth) - x) {
            baseline += int64_t(pitch);
            x = kGlyphSheetMargin;
        }
        CharRect& cell = sheet.cells[i];
        cell.left = float(x) / float(kGlyphSheetWidth);
        cell.top = float(baseline - ascent) / float(height);
        cell.right = float(x + a - kGlyphSheetMargin + spacing) / float(kGlyphSheetWidth);
        cell.bottom = cell.top + float(ascent + descent) / float(height);
        if (LoadSheetGlyph(face, codeOf(i), true) &&
            face->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const FT_GlyphSlot glyph = face->glyph;
            const FT_Bitmap& bitmap = glyph->bitmap;
            for (unsigned r = 0; r < bitmap.rows; ++r) {
                const int64_t y = baseline - glyph->bitmap_top + r;
                if (y < 0 || y >= int64_t(height))
                    continue;
                const unsigned char* source = bitmap.buffer + int64_t(r) * bitmap.pitch;
                uint8_t* line = coverage + size_t(y) * kGlyphSheetWidth;
                for (unsigned k = 0; k < bitmap.width; ++k) {
                    const int64_t column = x + glyph->bitmap_left + k;
                    if (column >= 0 && column < int64_t(kGlyphSheetWidth))
                        line[column] = source[k];
                }
            }
        }
        x += a;
    }
    return kStatusOk;
}

std::unique_ptr<uint8_t[]> GlyphSheetPixels(const GlyphSheet& sheet, uint8_t depth)
{
    const size_t bytes = depth / 8;
    if (!sheet.coverage || (bytes != 1 && bytes != 4))
        return nullptr;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size_t(kGlyphSheetWidth) * sheet.height * bytes]);
    if (!pixels)
        return nullptr;
    uint8_t* out = pixels.get();
    for (uint32_t row = sheet.height; row-- > 0;) {
        const uint8_t* line = sheet.coverage.get() + size_t(row) * kGlyphSheetWidth;
        if (bytes == 1) {
            std::memcpy(out, line, kGlyphSheetWidth);
            out += kGlyphSheetWidth;
            continue;
        }
        for (uint32_t k = 0; k < kGlyphSheetWidth; ++k, out += 4) {
            out[0] = out[1] = out[2] = 255;
            out[3] = line[k];
        }
    }
    return pixels;
}
