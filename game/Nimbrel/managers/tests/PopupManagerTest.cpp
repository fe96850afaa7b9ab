// The popup manager on a font of known widths: tags, parts and pages, the keys and clicks, the
// narrator line, and chunk 70000 written, read back and refused when damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MemoryBackEnd.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Popup texts from index 0 of a table of its own; every click lands beside the buttons.
class TestPopups : public CPopupManager {
public:
    TestPopups(WorldData* w, CVornelFont* font) : CPopupManager(w), m_font(font) {}
    std::vector<std::u16string> strings;
    int transitions = 0;
    uint32_t button = kPopupButtonBeside;   // what the popups object names under every click
    std::vector<uint32_t> clicks;            // the click sounds asked for

protected:
    CVornelFont* Font() const override { return m_font; }
    const char16_t* StringAt(int32_t index) const override
    {
        return index >= 0 && size_t(index) < strings.size() ? strings[size_t(index)].c_str() : nullptr;
    }
    int32_t PopupTextBase() const override { return 0; }
    int32_t CommonStringBase() const override { return 0; }
    int32_t FindPopupGroup(const char* name) const override { return std::string(name) == "intro" ? 0 : -1; }
    void StartTransition() override { ++transitions; }
    uint32_t HitTestButtons(float, float) override { return button; }
    void PlayClick(uint32_t role) override { clicks.push_back(role); }

private:
    CVornelFont* m_font;
};

class PopupManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 800 x 600: the text box is 720 x 540; at size 40 a letter is 40 wide, a line 40 high:
        // 18 letters a line, 13 lines a page.
        world.data->virtualWidth = 800;
        world.data->virtualHeight = 600;
        world.data->frameTime = 1.0;
        ASSERT_EQ(font.Init(kFontTrueType, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
        *font.GetMetrics() = FontMetrics{8, 64.0f, 64.0f};
        for (char16_t c = u'a'; c <= u'z'; ++c)
            font.SetCharRect(c, CharRect{0.5f, 0.25f, 0.625f, 0.5f});
        font.SetCharRect(u' ', CharRect{0.5f, 0.25f, 0.5625f, 0.5f});
        popups = std::make_unique<TestPopups>(world.data.get(), &font);
        ASSERT_EQ(popups->Load(), kStatusOk);
    }
    void TearDown() override
    {
        popups.reset();
        font.Unload();
    }

    Status Show(const std::u16string& text)
    {
        popups->strings = {text};
        return popups->ShowStringIndex(0);
    }
    std::u16string Page() const { return popups->GetPageText() ? popups->GetPageText() : u"(none)"; }
    void Click() { popups->OnMouseUp(10.0f, 10.0f, 0); }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            popups->Update();
    }

    std::vector<uint8_t> Save()
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagPopups, nullptr);
        EXPECT_EQ(popups->SaveToStream(&list, chunk), kStatusOk);
        EXPECT_TRUE(list.WriteAll());
        const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
        std::vector<uint8_t> bytes(block, block + stream.GetSize());
        stream.Close();
        return bytes;
    }
    Status Load(std::vector<uint8_t> bytes)
    {
        UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.ReadFirst();
        const Status status = chunk ? popups->LoadFromStream(chunk) : kStatusFailed;
        stream.Close();
        return status;
    }

    CMemoryWorld world;
    CVornelFont font{world.data.get()};
    std::unique_ptr<TestPopups> popups;
};

TEST_F(PopupManagerTest, TheTagTableMatchesFiveWordsAndTagsLeaveTheShownText)
{
    const char16_t* words[] = {u"L=", u"A=", u"narrator", u"S=", u"T="};
    for (uint32_t i = 0; i < kPopupTagCount; ++i) {
        ASSERT_NE(popups->GetTag(i), nullptr);
        EXPECT_EQ(std::u16string(popups->GetTag(i)->matched), words[i]);
        EXPECT_EQ(popups->GetTag(i)->length, UtilsString_Length(words[i]));
    }
    const struct {
        const char16_t* text;
        const char16_t* shown;
    } cases[] = {
        {u"\\A=1,S=snd,T=2\\hello", u"hello"},
        {u"\\Q=zz,unknown\\hello", u"hello"},
        {u"\\L=box\\hello", u"hello"},        // no label until the labels are shown with texts
        {u"\\narrator\\hello", u"(none)"},    // at the head of a string: the narrator line
        {u"\\unclosed hello", u"\\unclosed hello"},
        {u"one|two", u"one\ntwo"},
    };
    for (const auto& c : cases) {
        Show(c.text);
        EXPECT_EQ(Page(), c.shown) << UtilsString_ToUtf8(c.text);
        EXPECT_EQ(popups->GetLabelIndex(), -1);
        popups->Close(0);
    }
}

TEST_F(PopupManagerTest, ClicksAndSpaceStepThroughThePartsAndCloseAfterTheLast)
{
    ASSERT_EQ(popups->ShowString("intro"), kStatusOk);
    EXPECT_EQ(Page(), u"MISSING STRING !!!");   // no string yet
    popups->Close(0);
    popups->strings = {u"one#\\A=x\\two#three"};
    ASSERT_EQ(popups->ShowString("intro"), kStatusOk);
    EXPECT_EQ(popups->ShowString("other"), kStatusFailed);
    EXPECT_EQ(Page(), u"one");
    EXPECT_FALSE(popups->IsPreviousShown());
    Click();
    EXPECT_EQ(Page(), u"two");
    EXPECT_TRUE(popups->IsPreviousShown());
    EXPECT_EQ(popups->GetPartIndex(), 1u);
    world.data->keyReleased[20] = 1;   // Space
    Frames(1);
    EXPECT_EQ(world.data->keyReleased[20], 0);
    EXPECT_EQ(Page(), u"three");
    popups->PreviousPopupPage();
    EXPECT_EQ(Page(), u"two");
    popups->PreviousPopupPage();
    EXPECT_EQ(Page(), u"one");
    popups->PreviousPopupPage();
    EXPECT_EQ(Page(), u"one");
    Click();
    Click();
    EXPECT_TRUE(popups->IsPopupOpen());
    Click();
    EXPECT_FALSE(popups->IsPopupOpen());
    // Escape closes at once.
    Show(u"a#b");
    world.data->keyReleased[1] = 1;
    Frames(1);
    EXPECT_FALSE(popups->IsPopupOpen());
}

TEST_F(PopupManagerTest, EachButtonDoesItsOwnStepWithItsClickSound)
{
    Show(u"one#two#three");
    // A button plays its own sound as it is found; the manager adds the default click beside
    // the buttons, and the null click where there is nothing to step.
    constexpr uint32_t kNone = 0xFFFFFFFF;
    const struct {
        uint32_t button;
        const char16_t* page;
        bool open;
        uint32_t click;
    } steps[] = {
        {kPopupButtonNext, u"two", true, kNone},           {kPopupButtonClose, u"two", true, kNone},
        {kPopupButtonPrevious, u"one", true, kNone},       {kPopupButtonNone, u"two", true, kClickDefault},
        {kPopupButtonPrevious, u"one", true, kNone},       {kPopupButtonBeside, u"two", true, kClickDefault},
        {kPopupButtonNext, u"three", true, kNone},         {kPopupButtonNext, u"(none)", false, kNone},
        {kPopupButtonNext, u"(none)", false, kClickNull},  {kPopupButtonBeside, u"(none)", false, kClickNull},
        {kPopupButtonPrevious, u"(none)", false, kClickNull},
    };
    for (const auto& step : steps) {
        popups->button = step.button;
        popups->clicks.clear();
        Click();
        EXPECT_EQ(Page(), step.page) << step.button;
        EXPECT_EQ(popups->IsPopupOpen(), step.open) << step.button;
        EXPECT_EQ(popups->clicks, step.click == kNone ? std::vector<uint32_t>{} : std::vector<uint32_t>{step.click})
            << step.button;
    }
    EXPECT_EQ(popups->transitions, 2);   // opening and closing
    // Space steps without a click sound.
    Show(u"one#two");
    popups->clicks.clear();
    world.data->keyReleased[20] = 1;   // Space
    Frames(1);
    EXPECT_EQ(Page(), u"two");
    EXPECT_TRUE(popups->clicks.empty());
}

TEST_F(PopupManagerTest, APageEndsAfterTheLastWholeLineThatFits)
{
    // 100 high: 90 / 40 = two lines a page; eighteen-letter words take a line each.
    world.data->virtualHeight = 100;
    const std::u16string word(18, u'a'), other(18, u'b'), third(18, u'c');
    Show(word + u" " + other + u" " + third + u" " + word + u" " + other);
    ASSERT_EQ(popups->GetPageCount(), 3u);
    EXPECT_EQ(Page(), word + u"\n" + other);
    Click();
    EXPECT_EQ(Page(), third + u"\n" + word);
    EXPECT_TRUE(popups->IsPreviousShown());
    Click();
    EXPECT_EQ(Page(), other);
    popups->PreviousPopupPage();
    EXPECT_EQ(Page(), third + u"\n" + word);
    Click();
    Click();
    EXPECT_FALSE(popups->IsPopupOpen());

    // A box lower than a line still shows a line a page; a line height of 0 divides nothing.
    world.data->virtualHeight = 10;
    Show(word + u" " + other);
    EXPECT_EQ(popups->GetPageCount(), 2u);
    popups->Close(0);
    auto game = std::make_unique<GameData>();
    game->screen.textScale = 1.0f;
    game->text.popupBorderRatio = 0.9f;
    game->text.popup = GameTextStyle{40.0f, 0.0f, 0};
    world.data->pGame = game.get();
    Show(word + u" " + other);
    EXPECT_EQ(popups->GetPageCount(), 1u);
    popups->Close(0);
    world.data->pGame = nullptr;
}

TEST_F(PopupManagerTest, TheNarratorLineFadesInHoldsAndGoesByItself)
{
    EXPECT_EQ(Show(u"\\narrator\\hello there"), kStatusFailed);   // nobody waits for it
    EXPECT_FALSE(popups->IsPopupOpen());
    ASSERT_TRUE(popups->IsNarratorShowing());
    EXPECT_EQ(std::u16string(popups->GetNarratorText()), u"hello there");
    EXPECT_FLOAT_EQ(popups->GetNarratorTime(), 150.0f);
    // 0.075 a frame: above 1.0 on the 14th frame, then 150 frames held, then 14 to fade out.
    Frames(14);
    EXPECT_FLOAT_EQ(popups->GetNarratorAlpha(), 1.0f);
    Frames(150);
    EXPECT_TRUE(popups->IsNarratorShowing());
    EXPECT_FLOAT_EQ(popups->GetNarratorAlpha(), 1.0f);
    Frames(2);
    EXPECT_LT(popups->GetNarratorAlpha(), 1.0f);
    Frames(14);
    EXPECT_FALSE(popups->IsNarratorShowing());
    EXPECT_EQ(Show(u"\\narrator\\"), kStatusFailed);
    EXPECT_FALSE(popups->IsNarratorShowing());
    // A string past the table.
    popups->strings.clear();
    EXPECT_EQ(popups->ShowStringIndex(5), kStatusOk);
    EXPECT_EQ(Page(), u"MISSING STRING !!!");
}

// An object popup's picture larger than the item box shrinks to fit it, keeping its shape; a
// smaller one keeps its size.
TEST(PopupFit, APictureLargerThanTheBoxIsScaledToFit)
{
    const struct {
        float item[2], box[2], scale;
    } cases[] = {
        {{400, 100}, {200, 200}, 0.5f},   // too wide
        {{100, 400}, {200, 200}, 0.5f},   // too tall
        {{800, 300}, {200, 150}, 0.25f},  // both: the smaller ratio
        {{100, 50}, {200, 200}, 1.0f},    // smaller
        {{200, 200}, {200, 200}, 1.0f},   // exactly
        {{0, 300}, {200, 150}, 0.5f},     // no width: its height decides
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(CPopupManager::FitScale(c.item, c.box), c.scale) << c.item[0] << "x" << c.item[1];
}

TEST_F(PopupManagerTest, AProfileRestoresThePageAndRefusesDamagedOffsets)
{
    world.data->virtualHeight = 100;
    const std::u16string word(18, u'a'), other(18, u'b'), third(18, u'c');
    Show(u"one#" + word + u" " + other + u" " + third + u"#last");
    Click();
    Click();
    ASSERT_EQ(Page(), third);
    Show(u"\\narrator\\hi");
    const std::vector<uint8_t> saved = Save();

    auto fresh = std::make_unique<TestPopups>(world.data.get(), &font);
    ASSERT_EQ(fresh->Load(), kStatusOk);
    std::swap(popups, fresh);
    ASSERT_EQ(Load(saved), kStatusOk);
    EXPECT_EQ(Page(), third);
    EXPECT_EQ(popups->GetPageIndex(), 1u);
    EXPECT_EQ(popups->GetPartIndex(), 1u);
    EXPECT_TRUE(popups->IsPreviousShown());
    EXPECT_EQ(std::u16string(popups->GetNarratorText()), u"hi");
    Click();
    EXPECT_EQ(Page(), u"last");
    Click();
    EXPECT_FALSE(popups->IsPopupOpen());
    EXPECT_EQ(Save().size(), Save().size());

    // Every truncation fails cleanly and leaves the channels closed.
    for (size_t cut = 0; cut < saved.size(); cut += 3) {
        std::vector<uint8_t> shortened(saved.begin(), saved.begin() + long(cut));
        Load(shortened);
        EXPECT_TRUE(!popups->IsPopupOpen() || popups->GetPageText());
    }
    // Offsets and counts are checked against the text: patch the part offset (just after the
    // text of 70001) far past it, then the page count.
    std::u16string text = u"one#" + word + u" " + other + u" " + third + u"#last";
    std::vector<uint8_t> pattern;
    const uint32_t count = uint32_t(text.size() + 1);
    pattern.insert(pattern.end(), reinterpret_cast<const uint8_t*>(text.c_str()),
                   reinterpret_cast<const uint8_t*>(text.c_str()) + count * 2);
    auto at = std::search(saved.begin(), saved.end(), pattern.begin(), pattern.end());
    ASSERT_NE(at, saved.end());
    const size_t offsets = size_t(at - saved.begin()) + pattern.size();
    for (uint32_t field = 0; field < 3; ++field) {
        std::vector<uint8_t> bad = saved;
        const int32_t far = 100000;
        std::memcpy(&bad[offsets + field * 4], &far, 4);
        EXPECT_EQ(Load(bad), kStatusFailed) << field;
        EXPECT_FALSE(popups->IsPopupOpen());
    }
}

}  // namespace
