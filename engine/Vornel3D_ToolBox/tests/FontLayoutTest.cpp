// Measuring, hit tests, truncation, wrapping and centred lines against cells of known widths.
#include <cmath>

#include "FontTestSupport.h"
#include "VornelUtils/UtilsString.h"

namespace {

using FontLayoutTest = MemoryFontTest;

TEST_F(FontLayoutTest, MeasuresLinesWithTheSignsOfTheScales)
{
    const struct {
        const char16_t* text;
        float sx, sy, width, height;
    } cases[] = {
        {u"", 2.0f, 5.0f, 0.0f, 5.0f},
        {u"", 2.0f, -5.0f, 0.0f, 5.0f},
        {u"\n\n", 1.0f, 4.0f, 0.0f, 12.0f},
        {u"abc\nW", 2.0f, 10.0f, 6.0f, 20.0f},
        {u"ab\r\tc", 1.0f, 1.0f, 3.0f, 1.0f},       // carriage return and absent cells add nothing
        {u"ab", -2.0f, 3.0f, -4.0f, 3.0f},          // the width takes the sign of sx
        {u"ab", 2.0f, -3.0f, 4.0f, 3.0f},           // the height never does
        {u"a\x0101\x4E2D" u"b", 1.0f, 1.0f, 2.0f, 1.0f},  // codes from 256 up are absent
    };
    for (const auto& c : cases) {
        const C3DVector3 size = font.GetTextSize(c.text, c.sx, c.sy);
        EXPECT_FLOAT_EQ(size.x, c.width) << UtilsString_ToUtf8(c.text);
        EXPECT_FLOAT_EQ(size.y, c.height) << UtilsString_ToUtf8(c.text);
        EXPECT_EQ(size.z, 0.0f);
    }
}

TEST_F(FontLayoutTest, AMissingCharacterHeightMeasuresNothing)
{
    font.GetMetrics()->charHeight = 0;
    const C3DVector3 size = font.GetTextSize(u"abc", 1.0f, 2.0f);
    EXPECT_EQ(size.x, 0.0f);
    EXPECT_EQ(size.y, 2.0f);
}

TEST_F(FontLayoutTest, AlignsOnThePointOrTheScreen)
{
    const C3DVector3 size{100.0f, 20.0f, 0.0f};
    const struct {
        uint32_t flags;
        float x, y;
    } cases[] = {
        {0, 10.0f, 30.0f},
        {kTextCentreX | kTextCentreY, -40.0f, 20.0f},
        {kTextScreenCentreX | kTextScreenCentreY, 360.0f, 320.0f},
        {kTextRight, 710.0f, 30.0f},
        {kTextCentreX | kTextScreenCentreX, -40.0f, 30.0f},          // the point wins
        {kTextScreenCentreX | kTextTurned, 260.0f, 30.0f},           // the screen's height is its width
    };
    for (const auto& c : cases) {
        const C3DVector3 at = font.AlignPosition(10.0f, 30.0f, 7.0f, c.flags, size);
        EXPECT_FLOAT_EQ(at.x, c.x) << std::hex << c.flags;
        EXPECT_FLOAT_EQ(at.y, c.y) << std::hex << c.flags;
        EXPECT_FLOAT_EQ(at.z, 7.0f);
    }
}

TEST_F(FontLayoutTest, TheHitTestIsStrictOnEveryEdge)
{
    const C3DVector3 size{10.0f, 4.0f, 0.0f};
    const C3DVector3 at{100.0f, 50.0f, 0.0f};
    const struct {
        float px, py;
        uint32_t flags;
        bool hit;
    } cases[] = {
        {105.0f, 52.0f, 0, true},
        {100.0f, 52.0f, 0, false},  {110.0f, 52.0f, 0, false},
        {105.0f, 50.0f, 0, false},  {105.0f, 54.0f, 0, false},
        {105.0f, 48.0f, 0, false},  {105.0f, 48.0f, kTextTallHitBox, true},   // 3 above and below
        {105.0f, 47.0f, kTextTallHitBox, false},
        // Turned: x over the height, the screen height less y over the width.
        {52.0f, 600.0f - 105.0f, kTextTurned, true},
        {52.0f, 600.0f - 100.0f, kTextTurned, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitTest(u"x", size, c.flags, at, C3DVector2{c.px, c.py}, 600.0f), c.hit) << c.px << ", " << c.py;
    // The text's own test needs flags, and aligns before it tests.
    const C3DVector2 point{1.0f, 1.0f};
    EXPECT_FALSE(font.HitTestText(u"ab", 0.0f, 0.0f, 0.0f, 0, 0, 1.0f, 2.0f, &point, nullptr, 0));
    EXPECT_TRUE(font.HitTestText(u"ab", 0.0f, 0.0f, 0.0f, kTextTallHitBox, 0, 1.0f, 2.0f, &point, nullptr, 0));
    EXPECT_FALSE(font.HitTestText(u"ab", 2.0f, 0.0f, 0.0f, kTextCentreX, 0, 1.0f, 2.0f, &point, nullptr, 0));
}

TEST_F(FontLayoutTest, TruncatesAtTheFirstCharacterPastTheWidth)
{
    const struct {
        const char16_t* text;
        uint16_t width;
        bool cut;
        const char16_t* kept;
    } cases[] = {
        {u"abcd", 4, false, u"abcd"},  // exactly the width: kept whole
        {u"abcd", 3, true, u"abc"},
        {u"aWa", 3, true, u"a"},
        {u"", 0, false, u""},
        {u"\t\t", 0, false, u"\t\t"},
    };
    for (const auto& c : cases) {
        std::u16string text = c.text;
        EXPECT_EQ(font.TruncateText(1.0f, text.data(), c.width), c.cut) << UtilsString_ToUtf8(c.text);
        EXPECT_EQ(std::u16string(text.c_str()), c.kept) << UtilsString_ToUtf8(c.text);
    }
}

TEST_F(FontLayoutTest, WrapsAtTheLastBreakOrBeforeTheCharacterPastTheWidth)
{
    const struct {
        const char16_t* source;
        uint16_t width;
        const char16_t* noBreakAfter;
        const char16_t* noBreakBefore;
        uint8_t keep;
        const char16_t* wrapped;
    } cases[] = {
        {u"ab cd ef", 5, u"", u"", 1, u"ab cd\nef"},
        {u"abcdefg", 3, u"", u"", 1, u"abc\ndef\ng"},           // no candidate: before the character
        {u"ab cd\nef gh", 5, u"", u"", 1, u"ab cd\nef gh"},     // a line feed starts afresh
        {u"ab :cd ef", 6, u"", u":", 1, u"ab :cd\nef"},
        {u"ab :cd", 4, u"", u":", 1, u"ab :c\nd"},             // no break before ':'
        {u"ab- cd", 4, u"-", u"", 1, u"ab- c\nd"},             // nor after '-'
        {u"ab ", 5, u"", u"", 0, u"ab"},                       // a trailing break is dropped ...
        {u"ab ", 5, u"", u"", 1, u"ab "},                      // ... unless kept
        {u"aWa", 2, u"", u"", 1, u"a\nW\na"},                  // too wide alone: alone on its line
        {u"Wa", 2, u"", u"", 1, u"W\na"},
    };
    for (const auto& c : cases) {
        char16_t out[64];
        const uint32_t length =
            font.WrapText(1.0f, 0, c.source, out, 64, c.width, u' ', c.noBreakAfter, c.noBreakBefore, c.keep);
        EXPECT_EQ(std::u16string(out), c.wrapped) << UtilsString_ToUtf8(c.source);
        EXPECT_EQ(length, UtilsString_Length(out));
    }
}

TEST_F(FontLayoutTest, WrappingNeverWritesPastTheDestination)
{
    for (uint32_t capacity = 1; capacity < 12; ++capacity) {
        char16_t out[16];
        for (char16_t& c : out)
            c = u'#';
        const uint32_t length = font.WrapText(1.0f, 0, u"abcdefgh ijkl", out, capacity, 3, u' ', u"", u"", 1);
        EXPECT_LT(length, capacity);
        EXPECT_EQ(out[length], 0);
        for (uint32_t i = capacity; i < 16; ++i)
            EXPECT_EQ(out[i], u'#') << capacity;
    }
}

TEST_F(FontLayoutTest, CentresLinesWithHalfThePaddingThatFillsThem)
{
    const struct {
        const char16_t* text;
        char16_t padding;
        int32_t lines;
        const char16_t* centred;
    } cases[] = {
        {u"abcd\nab", u' ', 2, u"abcd\n  ab"},   // 2 units wide difference: 4 spaces, half in front
        {u"ab\nabcdef\n", u' ', 2, u"    ab\nabcdef"},  // a closing separator goes
        {u"abcd\nab", u'\t', 2, u"abcd\nab"},    // a padding without width pads nothing
        {u"abc", u' ', 1, u"abc"},
    };
    for (const auto& c : cases) {
        char16_t buffer[32] = {};
        UtilsString_Copy(buffer, 32, c.text);
        EXPECT_EQ(font.CentreLines(buffer, 32, 1.0f, 1.0f, c.padding, u'\n'), c.lines) << UtilsString_ToUtf8(c.text);
        EXPECT_EQ(std::u16string(buffer), c.centred) << UtilsString_ToUtf8(c.text);
    }
    // Lines that do not fit the capacity stay out; a text above 4096 characters is refused.
    char16_t small[8] = {};
    UtilsString_Copy(small, 8, u"abc\nab");
    EXPECT_EQ(font.CentreLines(small, 8, 1.0f, 1.0f, u' ', u'\n'), 2);
    EXPECT_EQ(std::u16string(small), u"abc\n ab");
    UtilsString_Copy(small, 8, u"ab\nabcd");
    font.CentreLines(small, 8, 1.0f, 1.0f, u' ', u'\n');
    EXPECT_EQ(std::u16string(small), u"  ab\n");
    std::u16string huge(4097, u'a');
    EXPECT_EQ(font.CentreLines(huge.data(), uint32_t(huge.size() + 1), 1.0f, 1.0f, u' ', u'\n'), -1);
}

}  // namespace
