// Element texts without a renderer: the layout into pages, the button zones of the pointer, the
// placeholders, the number's count and the saved lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FixedFont.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/WorldManagers.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

std::string Utf8(const char16_t* text) { return UtilsString_ToUtf8(text); }

std::vector<uint8_t> Saved(CExtraDimTextBase& text)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    EXPECT_EQ(text.Save(&stream), kStatusOk);
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    std::vector<uint8_t> bytes(block, block + stream.GetSize());
    stream.Close();
    return bytes;
}

Status Loaded(CExtraDimTextBase& text, const std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, const_cast<uint8_t*>(bytes.data()), uint32_t(bytes.size()));
    stream.Open();
    const Status status = text.Load(&stream);
    stream.Close();
    return status;
}

class ElementText : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = world.GetWorldData();
        // Buttons of 64 x 64 through an interface view of scale 1.
        world.SetManager(kManagerExtraText, new CExtraTextManager(w));
        w->game.view.matrixOverlay[0] = w->game.view.matrixOverlay[5] = 1.0f;
        ASSERT_EQ(world.CreateStringsManager(), kStatusOk);
        CStringsRaw* table = world.GetStringsManager()->GetTable();
        table->Insert(u"hello", -1);
        table->Insert(u"Well done!", -1);
    }
    void TearDown() override { world.SetManager(kManagerExtraText, nullptr); }

    ExtraTextLayout Box(float left, float top, float right, float bottom, uint32_t mode, float glyph = 10.0f)
    {
        ExtraTextLayout layout = {};
        layout.pFont = &font;
        layout.box[0] = left;
        layout.box[1] = top;
        layout.box[2] = right;
        layout.box[3] = bottom;
        layout.glyph[0] = layout.glyph[1] = glyph;
        layout.mode = mode;
        layout.style = {4, 0, 1, 1, 0};
        return layout;
    }
    // Two pages of a 400 x 100 box, the first line selecting.
    void TwoPages(CExtraDimTextBase& text, uint32_t mode)
    {
        ASSERT_EQ(text.Layout(u"one", Box(0, 0, 400, 100, mode), nullptr), kStatusOk);
        const float glyph[2] = {10, 10}, position[3] = {0, 0, 0}, box[4] = {0, 0, 400, 100};
        ASSERT_EQ(text.AddLine(u"two", 4, kExtraLineSelects | kExtraLineClickable, 9, glyph, position, box, 1.0f),
                  kStatusOk);
    }

    CNimbrelWorld world;
    WorldData* w = nullptr;
    CFixedFont font{world.GetWorldData()};
};

TEST_F(ElementText, ModeFiveCutsPagesOfAtLeastOneLine)
{
    // "aa bb cc dd" wraps into four lines of 10 units each in a box 25 wide.
    struct Case {
        float height;
        std::vector<std::string> pages;
    };
    const Case cases[] = {
        {100, {"aa\nbb\ncc\ndd"}},
        {25, {"aa\nbb", "cc\ndd"}},
        {10, {"aa", "bb", "cc", "dd"}},
        {5, {"aa", "bb", "cc", "dd"}},  // lower than a line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        CExtraDimTextString text(w);
        ASSERT_EQ(text.Layout(u"aa bb cc dd", Box(0, 0, 25, c.height, kExtraTextButtonPages), nullptr), kStatusOk);
        ASSERT_EQ(text.GetLineCount(), c.pages.size());
        for (uint32_t i = 0; i < text.GetLineCount(); ++i)
            EXPECT_EQ(Utf8(text.GetLine(i)->pText), c.pages[i]);
        EXPECT_TRUE(text.IsPaged());
    }
    // Outside mode 5 a text too high shrinks into the box, centred, on one line record.
    CExtraDimTextString text(w);
    ASSERT_EQ(text.Layout(u"aa bb cc dd", Box(0, 0, 25, 20, kExtraTextPaged), nullptr), kStatusOk);
    ASSERT_EQ(text.GetLineCount(), 1u);
    EXPECT_FLOAT_EQ(text.GetLine(0)->scale, 0.5f);
    EXPECT_FALSE(text.IsPaged());
    EXPECT_EQ(text.GetStyleCode(), 4u);
    // A box of no height lays nothing out.
    EXPECT_EQ(text.Layout(u"aa", Box(0, 0, 25, 0, kExtraTextPaged), nullptr), kStatusFailed);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text.GetStyleCode(), kExtraTextNoStyle);
}

TEST_F(ElementText, ClicksAndCursorOnTheButtonZonesAndLines)
{
    // The zones: two button widths (128) in from each end, one button height about the bottom.
    const float left[2] = {60, 120}, right[2] = {340, 80}, line[2] = {200, 20}, below[2] = {340, 150};
    struct Step {
        const float* point;
        Status click;
        uint32_t pageAfter;
        Status cursor;  // before the click
    };
    struct Case {
        uint32_t mode;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        // No previous page on the first; the next, and back; no next on the last; page 0's
        // line does not select, page 1's does and wraps to the first.
        {kExtraTextPaged,
         {{left, kStatusFailed, 0, kStatusFailed},
          {line, kStatusFailed, 0, kStatusOk},
          {right, kStatusOk, 1, kStatusOk},
          {left, kStatusOk, 0, kStatusOk},
          {right, kStatusOk, 1, kStatusOk},
          {below, kStatusFailed, 1, kStatusFailed},
          {line, kStatusOk, 0, kStatusOk}}},
        {kExtraTextSinglePage, {{left, 1, 0, kStatusOk}, {right, 2, 0, kStatusOk}, {line, kStatusFailed, 0, kStatusFailed}}},
        {kExtraTextButtonPages, {{left, 1, 0, kStatusOk}, {right, 2, 0, kStatusOk}}},
        // Clickable lines go on in mode 3 (page 1's line is clickable, page 0's is not).
        {kExtraTextClickThrough, {{line, kStatusFailed, 0, kStatusFailed}, {right, kStatusOk, 1, kStatusOk},
                                  {line, kStatusOk, 0, kStatusOk}}},
    };
    for (const Case& c : cases) {
        CExtraDimTextString text(w);
        TwoPages(text, c.mode);
        uint32_t n = 0;
        for (const Step& step : c.steps) {
            SCOPED_TRACE(testing::Message() << "mode " << c.mode << " step " << n++);
            EXPECT_EQ(text.CursorTest(step.point[0], step.point[1]), step.cursor);
            EXPECT_EQ(text.Click(step.point[0], step.point[1]), step.click);
            EXPECT_EQ(text.GetPage(), step.pageAfter);
        }
    }
    // Mode 4: every line at once; a selecting line gives its code.
    CExtraDimTextString all(w);
    TwoPages(all, kExtraTextAllLines);
    EXPECT_EQ(all.Click(line[0], line[1]), 9);
    EXPECT_EQ(all.CursorTest(line[0], line[1]), kStatusOk);
    EXPECT_EQ(all.Click(500, 20), kStatusFailed);
}

TEST_F(ElementText, PlaceholdersForStringsOutsideTheTable)
{
    CExtraDimTextString text(w);
    const struct {
        int32_t index;
        uint8_t commons;
        const char* shown;
    } cases[] = {{1, 0, "Well done!"}, {2, 0, "MISSING STRING !!!"}, {-1, 0, "MISSING STRING !!!"},
                 {0, 1, "MISSING COMMONS STRING !!!"}};
    for (const auto& c : cases) {
        ASSERT_EQ(text.SetText(c.index, c.commons, Box(0, 0, 1000, 100, kExtraTextPaged)), kStatusOk);
        EXPECT_EQ(Utf8(text.GetLine(0)->pText), c.shown);
        EXPECT_EQ(text.GetStringIndex(), c.index);
    }
}

TEST_F(ElementText, TheNumberCountsFromThePreviousValueAlongItsCurve)
{
    EXPECT_EQ(FindEasingIndex("none"), 0);
    EXPECT_EQ(FindEasingIndex("linear"), 1);
    EXPECT_EQ(FindEasingIndex("inEaseOutElastic"), 25);
    EXPECT_EQ(FindEasingIndex("bounce"), -1);
    const ExtraTextLayout box = Box(0, 0, 1000, 100, kExtraTextPaged);
    const uint32_t linear = uint32_t(FindEasingIndex("linear"));
    CExtraDimTextNumber number(w);
    // 0 s: the value at once, nothing to count.
    ASSERT_EQ(number.SetNumber(300, 0.0f, linear, box), kStatusOk);
    EXPECT_EQ(Utf8(number.GetLine(0)->pText), "300");
    number.Step(1.0f);
    EXPECT_FALSE(number.IsDirty());
    // The first count of a fresh number starts from 0; 2 s are 60 frame units.
    CExtraDimTextNumber fresh(w);
    ASSERT_EQ(fresh.SetNumber(600, 2.0f, linear, box), kStatusOk);
    const struct {
        float frames;  // stepped before the look
        const char* shown;
    } table[] = {{1, "10"}, {29, "300"}, {15, "450"}, {14, "590"}, {1, "600"}, {5, "600"}};
    for (const auto& row : table) {
        fresh.Step(row.frames);
        if (fresh.IsDirty()) {
            ASSERT_EQ(fresh.Relayout(box), kStatusOk);
        }
        EXPECT_EQ(Utf8(fresh.GetLine(0)->pText), row.shown) << "after " << row.frames;
    }
    EXPECT_FLOAT_EQ(fresh.GetRemaining(), 0.0f);
    // The next count starts where the last ended; downwards too.
    ASSERT_EQ(fresh.SetNumber(300, 2.0f, linear, box), kStatusOk);
    fresh.Step(30.0f);
    fresh.Relayout(box);
    EXPECT_EQ(Utf8(fresh.GetLine(0)->pText), "450");
    // A relayout (Clear) keeps the value and the count.
    fresh.Clear();
    EXPECT_EQ(fresh.GetTarget(), 300u);
    EXPECT_FLOAT_EQ(fresh.GetRemaining(), 30.0f);
}

TEST_F(ElementText, SavedLinesLoadBackByteForByteAndDamageIsRefused)
{
    CExtraDimTextString text(w);
    ASSERT_EQ(text.SetText(1, 0, Box(0, 0, 25, 10, kExtraTextButtonPages)), kStatusOk);
    ASSERT_GT(text.GetLineCount(), 1u);
    const std::vector<uint8_t> bytes = Saved(text);
    CExtraDimTextString back(w);
    ASSERT_EQ(Loaded(back, bytes), kStatusOk);
    EXPECT_EQ(Saved(back), bytes);
    EXPECT_EQ(back.GetMode(), uint32_t(kExtraTextButtonPages));
    EXPECT_EQ(back.GetStringIndex(), 1);

    CExtraDimTextNumber number(w);
    ASSERT_EQ(number.SetNumber(-42, 0.0f, 3, Box(0, 0, 1000, 100, kExtraTextPaged)), kStatusOk);
    const std::vector<uint8_t> numberBytes = Saved(number);
    CExtraDimTextNumber numberBack(w);
    ASSERT_EQ(Loaded(numberBack, numberBytes), kStatusOk);
    EXPECT_EQ(Saved(numberBack), numberBytes);
    EXPECT_EQ(numberBack.GetEasing(), 3u);

    // Every cut is refused and leaves no lines; so is a count the bytes cannot hold.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CExtraDimTextString damaged(w);
        EXPECT_NE(Loaded(damaged, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut))), kStatusOk) << cut;
        EXPECT_TRUE(damaged.IsEmpty());
    }
    std::vector<uint8_t> huge = bytes;
    huge[4] = huge[5] = huge[6] = 0xFF;
    EXPECT_EQ(Loaded(back, huge), kStatusFailed);
    EXPECT_TRUE(back.IsEmpty());
}

}  // namespace
