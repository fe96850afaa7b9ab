#include "Vornel3D_ToolBox/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

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

Status CFontFace::Open(const std::string& path, uint32_t pixelSize)
{
    FT_Library library = nullptr;
    if (m_library == nullptr) {
        if (FT_Init_FreeType(&library) != 0)
            return kStatusFailed;
        m_library = library;
    }
    if (m_face) {
        FT_Done_Face(static_cast<FT_Face>(m_face));
        m_face = nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(m_library), path.c_str(), 0, &face) != 0)
        return kStatusFileNotOpened;
    m_face = face;
    if (pixelSize < 1 || pixelSize > 1024 || FT_Set_Pixel_Sizes(face, 0, pixelSize) != 0)
        return kStatusFailed;
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
