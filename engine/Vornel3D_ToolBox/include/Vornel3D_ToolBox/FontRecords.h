#pragma once
// The records the fonts share: a character's cell on the font sheet, the sheet's metrics, the
// prepared glyph table's layout and the text flags of drawing, measuring and hit testing.
#include <cstdint>

// A character's cell: the texture coordinates of its top-left and bottom-right corners. All
// four at 0.0 is an absent character. Also the glyph table's record (four f32).
struct CharRect {
    float left, top, right, bottom;
};

inline bool IsAbsent(const CharRect& r)
{
    return r.left == 0.0f && r.top == 0.0f && r.right == 0.0f && r.bottom == 0.0f;
}

// The sheet: the pixel height its characters were made for, and its size in pixels. A
// character of a line s high is s x (its pixel width / charHeight) wide.
struct FontMetrics {
    uint8_t charHeight;
    float sheetWidth;
    float sheetHeight;
};

constexpr uint32_t kFontCharCount = 256;         // codes 0..255 have a cell
constexpr uint32_t kFontDefaultMaxChars = 1024;  // characters drawn per chunk

// Prepared glyph table: u16 version, 256 cells for the codes 32..287, the metrics (u8 height,
// three zero bytes, f32 width, f32 height).
constexpr uint16_t kGlyphTableVersion = 2;
constexpr uint32_t kGlyphTableRecords = 256;
constexpr uint32_t kGlyphTableFirstCode = 32;    // the first record is code 32
constexpr uint32_t kGlyphTableRecordSize = 16;
constexpr uint32_t kFontMetricsSize = 12;
constexpr uint32_t kGlyphTableSize = 2 + kGlyphTableRecords * kGlyphTableRecordSize + kFontMetricsSize;  // 4110

// Text flags (the low 16 bits of a flags argument).
constexpr uint32_t kTextCentreX = 0x0001;        // x - width / 2
constexpr uint32_t kTextCentreY = 0x0002;        // y - height / 2
constexpr uint32_t kTextScreenCentreX = 0x0004;  // centred on the screen, plus x
constexpr uint32_t kTextScreenCentreY = 0x0008;
constexpr uint32_t kTextRight = 0x0010;          // right-aligned on the screen, plus x
constexpr uint32_t kTextTurned = 0x0020;         // layout (x, y) lands at screen (y, screen height - x)
constexpr uint32_t kTextUpsideDown = 0x0040;     // both scales negated over the same box
constexpr uint32_t kTextOffsets = 0x0080;        // the table holds two floats per code, taken off the pen
constexpr uint32_t kTextShadow = 0x0100;         // a black copy 2 units right and below
constexpr uint32_t kTextTallHitBox = 0x0200;     // the hit box grows by 0.75 x height above and below
constexpr uint32_t kTextHighlight = 0x0400;      // colour bytes to 0xFF while the hit point is over it
constexpr uint32_t kTextRotate = 0x0800;         // the table's first float is an angle
constexpr uint32_t kTextMatrix = 0x1000;         // the table holds the 16 floats of the matrix
constexpr uint32_t kTextFlagMask = 0xFFFF;
