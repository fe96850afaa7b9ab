// The popup manager on a font of known widths: tags, parts and pages, the keys and clicks, the
// narrator line, the labels and their pictures, and chunk 70000 written, read back and refused
// when damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../interfaces/tests/NamedElementsObject.h"
#include "../../world/tests/RecordingWorld.h"
#include "MemoryBackEnd.h"
#include "SceneFixture.h"
#include "NimbrelInterfaces/CObjectsInterfaceButtons.h"
#include "NimbrelInterfaces/CObjectsInterfaceLabels.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelObjects/TextAnchor.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/GroupTables.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "NimbrelWorld/WorldManagers.h"
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
    // The labels table, and the labels object at object number 0.
    std::vector<LabelRecord> labels;
    CObjectsBase* labelsObject = nullptr;

protected:
    int32_t FindLabel(const char* name) const override
    {
        for (size_t i = 0; i < labels.size(); ++i)
            if (std::strcmp(labels[i].group.pName, name) == 0)
                return int32_t(i);
        return -1;
    }
    const LabelRecord* LabelAt(int32_t index) const override
    {
        return index >= 0 && size_t(index) < labels.size() ? &labels[size_t(index)] : nullptr;
    }
    uint32_t LabelCount() const override { return uint32_t(labels.size()); }
    CObjectsBase* LabelsObject() const override { return labelsObject; }
    CObjectsBase* ObjectAt(uint32_t index) const override { return index == 0 ? labelsObject : nullptr; }
    Status LoadLabelPicture(uint32_t element) override
    {
        loadedPictures.push_back(element);
        return kStatusOk;
    }
    void ReleaseLabelPicture(uint32_t element) override { releasedPictures.push_back(element); }

public:
    std::vector<uint32_t> loadedPictures, releasedPictures;

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

    // A label of the labels object's elements; dim: its members dim under a later label;
    // display: they show as the label asks; box: the element of its text box (-1 none); title:
    // the box's title goes first.
    void AddLabel(const char* name, std::vector<uint32_t> elements, uint8_t dim = 0, uint8_t display = 0,
                  uint32_t box = ~0u, uint32_t title = 0)
    {
        auto& members = labelMembers.emplace_back();
        for (uint32_t e : elements)
            members.push_back(GroupMember{0, nullptr, 0, e});
        const GroupRecord group{const_cast<char*>(name), members.data(), uint32_t(members.size())};
        popups->labels.push_back(LabelRecord{group, box, title, display, dim});
    }

    CMemoryWorld world;
    CVornelFont font{world.data.get()};
    std::unique_ptr<TestPopups> popups;
    std::deque<std::vector<GroupMember>> labelMembers;
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
        {u"\\L=box\\hello", u"hello"},        // a label the table does not know attaches nothing
        {u"\\narrator\\hello", u"(none)"},    // at the head of a string: the narrator line
        {u"\\unclosed hello", u"\\unclosed hello"},
        {u"\\S=2\\Ok", u"Ok"},               // a short tag near the end: read inside the text
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

// A new window size changes the text scale: the world's relayout reaches the open popup, whose
// pages are wrapped again for that scale, on the part it was showing.
TEST_F(PopupManagerTest, TheWorldsRelayoutWrapsAnOpenPopupAgainOnItsPart)
{
    RecordingWorld game;
    game.ReadScreenSettings();
    WorldData* w = game.GetWorldData();
    w->realWidth = 1024;
    w->realHeight = 768;
    GameData* data = game.GetGameData();
    data->text.popupBorderRatio = 0.9f;
    data->text.popup = GameTextStyle{40.0f, 40.0f, 0};
    ASSERT_EQ(game.Relayout(), kStatusOk);
    ASSERT_FLOAT_EQ(data->screen.textScale, 1.0f);
    TestPopups shown(w, &font);
    ASSERT_EQ(shown.Load(), kStatusOk);
    ASSERT_EQ(game.RegisterManager(&shown), kStatusOk);
    // 90 high: two lines a page at scale 1 (eighteen letters a line), four at 0.5 (36).
    w->virtualWidth = 800;
    w->virtualHeight = 100;
    const std::u16string a(8, u'a'), b(8, u'b'), c(8, u'c');
    shown.strings = {u"one#" + a + u" " + b + u" " + c + u" " + a + u" " + b + u" " + c + u"#three"};
    ASSERT_EQ(shown.ShowStringIndex(0), kStatusOk);
    shown.OnMouseUp(10.0f, 10.0f, 0);
    ASSERT_EQ(shown.GetPartIndex(), 1u);
    ASSERT_EQ(shown.GetPageCount(), 2u);
    shown.OnMouseUp(10.0f, 10.0f, 0);
    ASSERT_EQ(shown.GetPageIndex(), 1u);
    EXPECT_EQ(std::u16string(shown.GetPageText()), b + u" " + c);

    // The relayout takes the virtual screen from the window, and the text scale with it: windows
    // of one shape wrap the part alike, two words a line, two lines a page.
    data->text.popupBorderRatio = 0.42f;
    const struct {
        uint16_t width, height;
        float scale;
        std::vector<std::u16string> pages;
    } windows[] = {
        {512, 80, 0.5f * (0.5f + 80.0f / 768.0f), {a + u" " + b + u"\n" + c + u" " + a, b + u" " + c}},
        {1024, 160, 0.5f * (1.0f + 160.0f / 768.0f), {a + u" " + b + u"\n" + c + u" " + a, b + u" " + c}},
    };
    for (const auto& window : windows) {
        SCOPED_TRACE(window.width);
        w->realWidth = window.width;
        w->realHeight = window.height;
        ASSERT_EQ(game.Relayout(), kStatusOk);
        ASSERT_EQ(w->virtualWidth, window.width);
        ASSERT_FLOAT_EQ(data->screen.textScale, window.scale);
        ASSERT_TRUE(shown.IsPopupOpen());
        EXPECT_EQ(shown.GetPartIndex(), 1u);
        EXPECT_TRUE(shown.IsPreviousShown());
        ASSERT_EQ(shown.GetPageCount(), window.pages.size());
        for (uint32_t i = 0; i < window.pages.size(); ++i)
            EXPECT_EQ(std::u16string(shown.GetPage(i)), window.pages[i]) << i;
        EXPECT_EQ(shown.GetPageIndex(), 0u);
    }
    // The parts go on from there.
    shown.OnMouseUp(10.0f, 10.0f, 0);
    shown.OnMouseUp(10.0f, 10.0f, 0);
    EXPECT_EQ(std::u16string(shown.GetPageText()), u"three");
    shown.Close(0);
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

// The labels object's elements in a row: a, b and c, which no label lists.
using LabelsRow = NamedElementsObject<CObjectsInterfaceButtons>;

// A label brings its members in with the text: shown, alpha 1, drawn in their layers; the
// others rest hidden. The text reveals letter by letter, a click only completes the reveal, and
// the pictures fade in at 0.1 a frame step. Each element keeps its picture three parts.
TEST_F(PopupManagerTest, ALabelShowsItsMembersWhileItsTextRevealsLetterByLetter)
{
    LabelsRow row(world.data.get(), {"a", "b", "c"});
    popups->labelsObject = &row;
    AddLabel("faces", {0, 1});
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    ASSERT_EQ(popups->GetLabelElementCount(), 3u);
    EXPECT_EQ(popups->GetElementLabel(0), 0);
    EXPECT_EQ(popups->GetElementLabel(1), 0);
    EXPECT_EQ(popups->GetElementLabel(2), -1);
    ASSERT_EQ(popups->GetLabelTextCount(), 1u);
    EXPECT_STREQ(popups->GetLabelText(0)->pText, "faces");

    row.GetItemRecord(0)->flags = kElementHidden | kElementLocked;
    row.GetItemRecord(0)->action = 0x2;
    row.GetItemRecord(1)->flags = kElementDropTarget;
    row.GetItemRecord(2)->alpha = 1.0f;
    ASSERT_EQ(Show(u"\\L=faces\\hello#two#three#four#five"), kStatusOk);
    EXPECT_EQ(popups->GetLabelIndex(), 0);
    for (uint32_t i : {0u, 1u}) {
        const ElementRecord* e = row.GetItemRecord(i);
        EXPECT_EQ(e->flags & (kElementHidden | kElementLocked | kElementPassFiltered), kElementPassFiltered) << i;
        EXPECT_EQ(e->alpha, 1.0f);
        EXPECT_EQ(e->action, 0u);
    }
    // A label that does not ask for its own display shows a drop place as one.
    EXPECT_EQ(row.GetItemRecord(0)->displayState, uint32_t(kDisplayNormal));
    EXPECT_EQ(row.GetItemRecord(1)->displayState, uint32_t(kDisplayDropPlace));
    EXPECT_EQ(row.GetItemRecord(2)->displayState, uint32_t(kDisplayNone));
    EXPECT_EQ(row.GetItemRecord(2)->flags & kLabelRestFlags, kLabelRestFlags);
    EXPECT_EQ(row.GetItemRecord(2)->alpha, 0.0f);
    EXPECT_EQ(popups->GetLabelCountdown(0), kLabelCountdown - 1);
    EXPECT_EQ(popups->GetLabelText(0)->shown, 2u);
    EXPECT_EQ(popups->loadedPictures, (std::vector<uint32_t>{0, 1}));

    // Letter by letter; a click completes the page and the text stays.
    EXPECT_EQ(Page(), u"h");
    Frames(3);
    EXPECT_EQ(Page(), u"hell");
    EXPECT_EQ(popups->GetLabelState(), uint32_t(kPopupFadingIn));
    EXPECT_FLOAT_EQ(popups->GetLabelAlpha(), 0.3f);
    // Laid out again (a new window): the reveal starts over, the pictures go on fading in.
    ASSERT_EQ(popups->Relayout(), kStatusOk);
    EXPECT_EQ(Page(), u"h");
    EXPECT_EQ(popups->GetLabelState(), uint32_t(kPopupFadingIn));
    EXPECT_FLOAT_EQ(popups->GetLabelAlpha(), 0.3f);
    EXPECT_EQ(popups->GetLabelCountdown(0), kLabelCountdown - 1);
    EXPECT_EQ(popups->GetLabelText(0)->shown, 2u);
    Click();
    EXPECT_EQ(Page(), u"hello");
    EXPECT_FALSE(popups->IsRevealing());
    Frames(8);
    EXPECT_EQ(popups->GetLabelState(), uint32_t(kPopupShown));

    // The next parts name no label: the pictures rest and their countdowns run out, while the
    // label stays attached to the text and its parts reveal too.
    Click();
    EXPECT_EQ(Page(), u"t");
    EXPECT_EQ(row.GetItemRecord(0)->flags & kElementHidden, kElementHidden);
    EXPECT_EQ(popups->GetLabelCountdown(0), 1u);
    EXPECT_EQ(popups->GetLabelText(0)->shown, 2u);
    Click();
    EXPECT_EQ(Page(), u"two");
    Click();
    EXPECT_EQ(popups->GetLabelCountdown(0), 0u);
    EXPECT_EQ(popups->GetLabelText(0)->shown, 0u);
    EXPECT_EQ(popups->releasedPictures, (std::vector<uint32_t>{0, 1}));

    // A name the table does not know attaches nothing: the text shows whole.
    popups->Close(0);
    EXPECT_EQ(popups->GetLabelIndex(), -1);
    Show(u"\\L=nobody\\hi");
    EXPECT_EQ(popups->GetLabelIndex(), -1);
    EXPECT_EQ(Page(), u"hi");
    EXPECT_FALSE(popups->IsRevealing());
}

// Two labels in one tag block: the first becomes an older group, its members dim to 0.5 when its
// label asks for it and keep their alpha when not.
TEST_F(PopupManagerTest, OlderLabelGroupsDimToHalf)
{
    LabelsRow row(world.data.get(), {"a", "b", "c", "d"});
    popups->labelsObject = &row;
    AddLabel("dims", {0}, 1);
    AddLabel("stays", {1});
    AddLabel("last", {2, 3});
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    Show(u"\\L=dims,L=stays,L=last\\hi");
    ASSERT_EQ(popups->GetGroupCount(), 3u);
    EXPECT_EQ(popups->GetCurrentGroup(), 2);
    EXPECT_EQ(popups->GetLabelIndex(), 2);
    EXPECT_EQ(row.GetItemRecord(0)->alpha, kLabelDimAlpha);
    EXPECT_EQ(row.GetItemRecord(1)->alpha, 1.0f);
    EXPECT_EQ(row.GetItemRecord(2)->alpha, 1.0f);
    EXPECT_EQ(popups->GetGroup(0)->active, 0);
    EXPECT_EQ(popups->GetGroup(1)->active, 0);
    EXPECT_EQ(popups->GetGroup(2)->active, 1);
    // At level activation the pending groups keep their pictures.
    popups->UpdateLabelsGroups();
    EXPECT_EQ(popups->GetLabelCountdown(3), kLabelCountdown);
    popups->ResetLabelsGroups();
    EXPECT_EQ(popups->GetGroupCount(), 0u);
    EXPECT_EQ(popups->GetCurrentGroup(), -1);
}

// The labels object refuses to draw its elements while the popup manager has no label attached.
TEST_F(PopupManagerTest, TheLabelsObjectDrawsNothingWhileNoLabelIsAttached)
{
    SceneFixtureWorld game;
    game.GetWorldData()->pMath = world.math.get();
    auto* manager = new TestPopups(game.GetWorldData(), &font);
    game.SetManager(kManagerPopup, manager);
    ASSERT_EQ(manager->Load(), kStatusOk);
    NamedElementsObject<CObjectsInterfaceLabels> labels(game.GetWorldData(), {"a"});
    manager->labelsObject = &labels;
    manager->labels.push_back(LabelRecord{GroupRecord{const_cast<char*>("one"), nullptr, 0}, ~0u, 0, 0, 0});
    ElementRecord* e = labels.GetItemRecord(0);
    e->alpha = 1.0f;
    EXPECT_EQ(labels.PrepareElementDraw(e, 1.0f, 1), kStatusFailed);
    EXPECT_EQ(labels.DrawElement(e), kStatusFailed);
    manager->strings = {u"\\L=one\\hello"};
    ASSERT_EQ(manager->ShowStringIndex(0), kStatusOk);
    EXPECT_EQ(labels.PrepareElementDraw(e, 1.0f, 1), kStatusOk);
    manager->Close(0);
    EXPECT_EQ(labels.PrepareElementDraw(e, 1.0f, 1), kStatusFailed);
    game.GetWorldData()->pMath = nullptr;
}

// The label channel goes into the profile and comes back; a label or a group the table does not
// hold, or a count past the bytes, is refused.
TEST_F(PopupManagerTest, TheLabelChannelIsSavedAndItsIndexesAreChecked)
{
    LabelsRow row(world.data.get(), {"a", "b"});
    popups->labelsObject = &row;
    AddLabel("one", {0});
    AddLabel("two", {1});
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    Show(u"\\L=one,L=two\\hello there");
    Frames(2);
    const std::vector<uint8_t> saved = Save();
    popups->Close(0);
    ASSERT_EQ(Load(saved), kStatusOk);
    EXPECT_EQ(popups->GetLabelIndex(), 1);
    EXPECT_EQ(popups->GetLabelState(), uint32_t(kPopupFadingIn));
    ASSERT_EQ(popups->GetGroupCount(), 2u);
    EXPECT_EQ(popups->GetGroup(0)->labelIndex, 0);
    EXPECT_EQ(popups->GetGroup(0)->active, 0);
    EXPECT_EQ(popups->GetCurrentGroup(), 1);
    EXPECT_TRUE(popups->IsRevealing());

    // 70004 ends the chunk: state, alpha, label, count, then two records of 5 bytes.
    const size_t records = saved.size() - 10;
    const size_t label = records - 8, count = records - 4;
    const auto patched = [&saved](size_t at, int32_t value) {
        std::vector<uint8_t> bad = saved;
        std::memcpy(&bad[at], &value, 4);
        return bad;
    };
    const struct {
        size_t at;
        int32_t value;
    } cases[] = {{label, 2}, {label, -2}, {records, 7}, {records + 5, -1}, {count, 1000}, {count, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(Load(patched(c.at, c.value)), kStatusFailed) << c.at << " " << c.value;
        EXPECT_EQ(popups->GetGroupCount(), 0u);
        EXPECT_EQ(popups->GetLabelIndex(), -1);
    }
    // With the table gone, the saved label is refused too.
    popups->labels.clear();
    EXPECT_EQ(Load(saved), kStatusFailed);
}

// A label's text box: the part is wrapped to the box's width and cut into pages of its height,
// the box's title goes in front of it, and the box's anchor mode places each page in it (2 and 4
// centre each line under the widest too); a mode outside 1 to 5 leaves the page at the box's
// corner. A letter is 40 wide, a blank 20, a line 40 high.
TEST_F(PopupManagerTest, ALabelsTextBoxPlacesItsPagesByItsAnchorMode)
{
    auto game = std::make_unique<GameData>();
    game->screen.textScale = 1.0f;
    game->text.popupBorderRatio = 0.9f;
    game->text.popup = GameTextStyle{40.0f, 40.0f, 0};
    world.data->pGame = game.get();
    LabelsRow row(world.data.get(), {"face", "box"});
    popups->labelsObject = &row;
    ElementRecord* box = row.GetItemRecord(1);
    box->size[0] = 400.0f;
    box->size[1] = 200.0f;
    box->geometryWord = 1;
    AddLabel("boxed", {0}, 0, 1, 1, 1);
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    const auto show = [&](const std::u16string& text) {
        popups->Close(0);
        popups->strings = {text, u"ab|"};
        EXPECT_EQ(popups->ShowStringIndex(0), kStatusOk);
        // The page reveals; a click shows it whole.
        Click();
    };

    const struct {
        uint8_t mode;
        float x, y;
        const char16_t* page;
    } cases[] = {
        {0, 0.0f, 0.0f, u"ab\nhello"},        {1, 100.0f, 0.0f, u"ab\nhello"},  {2, 100.0f, 0.0f, u"   ab\nhello"},
        {3, 100.0f, 60.0f, u"ab\nhello"},     {4, 100.0f, 60.0f, u"   ab\nhello"}, {5, 200.0f, 0.0f, u"ab\nhello"},
        {6, 0.0f, 0.0f, u"ab\nhello"},
    };
    for (const auto& c : cases) {
        box->flagByte4 = c.mode;
        show(u"\\L=boxed\\hello");
        EXPECT_EQ(Page(), c.page) << int(c.mode);
        EXPECT_EQ(popups->GetPageX(), c.x) << int(c.mode);
        EXPECT_EQ(popups->GetPageY(), c.y) << int(c.mode);
    }
    EXPECT_EQ(row.GetItemRecord(0)->displayState, uint32_t(kDisplayAsLabel));

    // Ten letters a line and five lines a page: the title and seven words make two pages, and
    // the second is placed by its own size.
    box->flagByte4 = kTextAnchorMiddle;
    show(u"\\L=boxed\\aaaaaaaa bbbbbbbb cccccccc dddddddd eeeeeeee ffffffff gggggggg");
    EXPECT_EQ(popups->GetPageCount(), 2u);
    EXPECT_EQ(popups->GetPageY(), 0.0f);
    Click();
    Click();
    EXPECT_EQ(Page(), u"eeeeeeee\nffffffff\ngggggggg");
    EXPECT_EQ(popups->GetPageX(), 40.0f);
    EXPECT_EQ(popups->GetPageY(), 40.0f);

    // Under the popup layout flag the title runs into the text; a title past the table says so.
    game->popupLayout = 1;
    show(u"\\L=boxed\\hello");
    EXPECT_EQ(Page(), u"ab hello");
    box->geometryWord = 7;
    show(u"\\L=boxed\\hello");
    EXPECT_EQ(Page().rfind(u"MISSING STRING", 0), 0u) << std::string(Page().begin(), Page().end());

    // A label without the title flag shows its part alone.
    popups->labels[0].word2 = 0;
    show(u"\\L=boxed\\hello");
    EXPECT_EQ(Page(), u"hello");
    popups->Close(0);
    world.data->pGame = nullptr;
}

// The labels object shows only while a label is attached to the popup text.
TEST_F(PopupManagerTest, TheLabelsObjectShowsOnlyWhileALabelIsAttached)
{
    LabelsRow row(world.data.get(), {"a"});
    popups->labelsObject = &row;
    AddLabel("one", {0});
    ASSERT_EQ(popups->BuildLabelsList(), kStatusOk);
    row.SetShown(1);
    Frames(1);
    EXPECT_EQ(row.IsShown(), 0);
    Show(u"\\L=one\\hi#there");
    Frames(1);
    EXPECT_EQ(row.IsShown(), 1);
    popups->Close(0);
    Frames(1);
    EXPECT_EQ(row.IsShown(), 0);
}

// Label pictures load with the halvings of the labels object's model, or whole under the
// picture-quality flag.
TEST(PopupLabelPictures, LoadWithTheModelsHalvingsOrWholeForQuality)
{
    CMemoryWorld world;
    GameData game{};
    const struct {
        int8_t level, bias;
        uint8_t quality;
        uint8_t shift;
    } cases[] = {{1, 0, 0, 1}, {1, 1, 0, 2}, {1, -3, 0, 0}, {2, 0, 1, 0}};
    for (const auto& c : cases) {
        world.data->game.view.textureLevel = c.level;
        game.pictureQuality = c.quality;
        world.data->pGame = &game;
        EXPECT_EQ(CPopupManager::LabelPictureShift(world.data.get(), c.bias), c.shift) << int(c.level) << int(c.bias);
    }
    world.data->pGame = nullptr;
    EXPECT_EQ(CPopupManager::LabelPictureShift(world.data.get(), 0), 2u);
}

}  // namespace
