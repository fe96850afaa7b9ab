#pragma once
// One TrueType face at one pixel size, rasterised with FreeType: the line's width and its
// glyphs' grey coverage, pen positions rounded to whole pixels and pairs kerned. Text is UTF-8.
#include <cstdint>
#include <functional>
#include <string>

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

    // The advance of the whole line in pixels.
    int64_t Measure(const std::string& utf8);
    // Calls plot(x, y, coverage 1..255) for each covered pixel of the line, with the pen
    // starting at x on the baseline y.
    void Draw(const std::string& utf8, int64_t x, int64_t y,
              const std::function<void(int64_t, int64_t, uint8_t)>& plot);

private:
    // Walks the line's glyphs, each loaded (rendered when draw), with its pen position in pixels.
    void Walk(const std::string& utf8, bool draw, const std::function<void(int64_t)>& glyph);

    void* m_library = nullptr;  // FT_Library
    void* m_face = nullptr;     // FT_Face
    int64_t m_lastAdvance = 0;  // the pen after Walk, in 26.6 pixels
};
