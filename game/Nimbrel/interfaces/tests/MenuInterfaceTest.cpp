// The menu object without a renderer: the layout of a page, the lists against the game's
// configuration, the sheets' cells, the main page's roles, the close button's pages, the
// questions, the name entry's keys and the name's checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "NamedElementsObject.h"
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Every text is 10 units a character wide and 10 high.
class CountingSource : public MenuTextSource {
public:
    std::map<uint32_t, std::u16string> strings;
    const char16_t* CommonString(uint32_t id) override
    {
        auto it = strings.find(id);
        return it != strings.end() ? it->second.c_str() : u"MISSING COMMONS STRING !!!";
    }
    void Measure(const char16_t* text, float* pSize) override
    {
        pSize[0] = 10.0f * float(UtilsString_Length(text));
        pSize[1] = text ? 10.0f : 0.0f;
    }
    char16_t* WrapParagraph(const char16_t* text, float) override { return UtilsString_DupW(text); }
};

MenuEntry Entry(uint32_t id, uint32_t kind = kMenuEntryText, uint32_t halfLine = 0)
{
    MenuEntry e = {};
    e.id = id;
    e.kind = kind;
    e.halfLine = halfLine;
    return e;
}

TEST(MenuLayoutTest, EntriesFitTheFrameInRowsWithEvenGaps)
{
    CountingSource source;
    source.strings = {{1, u"abcd"}, {2, u"ab"}, {3, u"abcdefgh"}};
    const float topLeft[2] = {100.0f, 50.0f};
    struct Case {
        const char* what;
        std::vector<MenuEntry> entries;
        float right, bottom, margin;
        float fit;
        std::vector<float> y;   // each entry's y
    };
    const Case cases[] = {
        // Three rows of 10 in 70: four gaps of 10.
        {"the gap", {Entry(1), Entry(2), Entry(1)}, 300.0f, 120.0f, 0.0f, 1.0f, {60.0f, 80.0f, 100.0f}},
        // The widest text (80) and the margin (40) in 60: half size.
        // The gap is taken from the sizes before the fit.
        {"too wide", {Entry(3), Entry(2)}, 160.0f, 200.0f, 40.0f, 0.5f, {93.333333f, 146.666666f}},
        // 30 high in 15: a fit of 0.5 on top of the width's.
        {"too tall", {Entry(1), Entry(1), Entry(1)}, 300.0f, 65.0f, 10.0f, 0.5f, {50.0f, 60.0f, 70.0f}},
        // A left button shares its row with the right one: two lines, three gaps.
        {"a shared row", {Entry(1), Entry(2, kMenuEntryLeft), Entry(2, kMenuEntryRight)}, 300.0f, 130.0f, 0.0f, 1.0f,
         {66.666666f, 93.333333f, 93.333333f}},
        // A half-line entry lies half its height and one gap lower.
        {"a half line", {Entry(1), Entry(2, kMenuEntryText, 1)}, 300.0f, 110.0f, 0.0f, 1.0f,
         {63.333333f, 105.0f}},
    };
    for (const Case& c : cases) {
        std::vector<MenuEntry> entries = c.entries;
        const float bottomRight[2] = {c.right, c.bottom};
        LayoutMenuEntries(source, entries.data(), uint32_t(entries.size()), topLeft, bottomRight, c.margin, 1.0f);
        for (size_t i = 0; i < entries.size(); ++i) {
            const MenuEntry& e = entries[i];
            EXPECT_NEAR(e.scale, c.fit, 1e-4) << c.what << " " << i;
            EXPECT_NEAR(e.y, c.y[i], 1e-3) << c.what << " " << i;
            const float centre = 100.0f + (c.right - 100.0f) * 0.5f, width = c.right - 100.0f;
            const float x = e.kind == kMenuEntryLeft ? centre - 0.3f * width
                            : e.kind == kMenuEntryRight ? centre + 0.3f * width : centre;
            EXPECT_FLOAT_EQ(e.x, x) << c.what << " " << i;
            EXPECT_EQ(e.text, source.CommonString(e.id));
        }
    }
    // The widest text and the largest button are every entry's; a button is at least 1 x 1.
    std::vector<MenuEntry> entries = {Entry(3), Entry(2, kMenuEntryLeft), Entry(99, kMenuEntryRight)};
    const float bottomRight[2] = {1000.0f, 1000.0f};
    LayoutMenuEntries(source, entries.data(), 3, topLeft, bottomRight, 0.0f, 1.0f);
    for (const MenuEntry& e : entries) {
        EXPECT_FLOAT_EQ(e.widestText, 260.0f);    // the missing text's 26 characters
        EXPECT_FLOAT_EQ(e.buttonWidth, 260.0f);
        EXPECT_FLOAT_EQ(e.buttonHeight, 10.0f);
    }
}

TEST(MenuLayoutTest, SheetCellsAndTheDefaultGridForCountsBelowOne)
{
    struct Case {
        uint32_t k;
        int32_t lines, rows;
        float uv[4];
    };
    const Case cases[] = {
        {0, 2, 2, {0.0f, 0.0f, 0.5f, 0.5f}},   {3, 2, 2, {0.5f, 0.5f, 0.5f, 0.5f}},
        {9, 4, 8, {0.125f, 0.25f, 0.125f, 0.25f}}, {16, 4, 8, {0.0f, 0.5f, 0.125f, 0.25f}},
        // No lines or rows: the default 4 x 8 grid, no division by zero.
        {9, 0, 8, {0.125f, 0.25f, 0.125f, 0.25f}}, {9, 4, -3, {0.125f, 0.25f, 0.125f, 0.25f}},
    };
    for (const Case& c : cases) {
        float uv[4];
        MenuSheetCell(c.k, c.lines, c.rows, 4, 8, uv);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(uv[i], c.uv[i]) << c.k << " " << c.lines << "x" << c.rows << " " << i;
    }
}

TEST(MenuLayoutTest, QuadsPastASmallerGridAreNotDrawnOnEitherSheet)
{
    struct Case {
        const char* what;
        int32_t lines, rows, defaultLines, defaultRows;
        uint32_t maximum, quads;
    };
    const Case cases[] = {
        // The languages sheet: 17 quads at most, fewer on a smaller grid.
        {"languages 4 x 8", 4, 8, 4, 8, 17, 17},
        {"languages 1 x 2", 1, 2, 4, 8, 17, 2},
        {"languages 0 x 0", 0, 0, 4, 8, 17, 17},
        {"languages 3 x 3", 3, 3, 4, 8, 17, 9},
        // The profiles sheet: as many as its grid has.
        {"profiles 2 x 2", 2, 2, 2, 2, 0, 4},
        {"profiles 1 x 2", 1, 2, 2, 2, 0, 2},
        {"profiles -1 x 3", -1, 3, 2, 2, 0, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuSheetQuads(c.lines, c.rows, c.defaultLines, c.defaultRows, c.maximum), c.quads) << c.what;
}

TEST(MenuLayoutTest, TheCreditsScrollUpAndStartAgainBelowTheFrame)
{
    struct Case {
        const char* what;
        float position, step, text, frame, glide;
        float after;
    };
    const Case cases[] = {
        {"two units a frame step", 100.0f, 1.0f, 500.0f, 400.0f, 0.0f, 98.0f},
        {"a slower frame", 100.0f, 0.5f, 500.0f, 400.0f, 0.0f, 99.0f},
        {"the player's glide", 100.0f, 1.0f, 500.0f, 400.0f, -7.0f, 91.0f},
        // Still in sight: -(500 + 200) is the limit.
        {"at the limit", -698.0f, 1.0f, 500.0f, 400.0f, 0.0f, -700.0f},
        {"past it: 1.1 frames down", -699.0f, 1.0f, 500.0f, 400.0f, 0.0f, 440.0f},
        {"past it, with a glide", -699.0f, 1.0f, 500.0f, 400.0f, 3.0f, 443.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(MenuCreditsScroll(c.position, c.step, c.text, c.frame, c.glide), c.after) << c.what;
}

// Profiles without files: the slots as a test sets them; renames and deletes in memory.
class MemoryProfiles : public CProfileManager {
public:
    using CProfileManager::CProfileManager;
    Status RenameProfile(int32_t index, const char16_t* name) override
    {
        renames.push_back(name);
        ProfileSlot* slot = GetSlot(index);
        if (!slot || refuse)
            return kStatusFailed;
        UTILS_FREE(slot->name);
        slot->name = UtilsString_DupW(name);
        return kStatusOk;
    }
    Status DeleteProfile(int32_t index) override
    {
        deletes.push_back(index);
        return kStatusOk;
    }
    Status OnGameCompleted(int32_t index, uint8_t save) override
    {
        completed.push_back({index, save});
        return CProfileManager::OnGameCompleted(index, 0);
    }
    std::vector<std::u16string> renames;
    std::vector<int32_t> deletes;
    std::vector<std::pair<int32_t, uint8_t>> completed;
    bool refuse = false;
};

using TestPopups = NamedElementsObject<CObjectsInterfacePopups>;

class TestMenu : public CObjectsInterfaceMenu {
public:
    using CObjectsInterfaceMenu::CObjectsInterfaceMenu;
    using CObjectsInterfaceMenu::AcceptName;
    using CObjectsInterfaceMenu::BuildLists;
    using CObjectsInterfaceMenu::OnConfirm;
    using CObjectsInterfaceMenu::OpenNameEntry;
    CObjectsInterfacePopups* popups = nullptr;
    CProfileManager* profiles = nullptr;
    bool music = true, sounds = true;
    std::vector<uint32_t> languages = {0, 1};
    int starts = 0, restarts = 0;
    Status startResult = kStatusOk;
    std::vector<std::u16string> documents;

    const char16_t* CommonString(uint32_t id) override
    {
        static const std::map<uint32_t, std::u16string> kStrings = {{53, u"Profile 1"}, {54, u"Profile 2"}};
        auto it = kStrings.find(id);
        return it != kStrings.end() ? it->second.c_str() : u"text";
    }

protected:
    CObjectsInterfacePopups* Popups() override { return popups; }
    CProfileManager* Profiles() override { return profiles; }
    CVornelFont* Font() override { return nullptr; }
    CStringsManager* Strings() override { return nullptr; }
    bool DrawsCharacter(char16_t c) override { return drawn.find(c) != std::u16string::npos; }

public:
    std::u16string drawn;

protected:
    Status StartGame() override
    {
        ++starts;
        return startResult;
    }
    void RestartGameState() override { ++restarts; }
    bool HasMusic() override { return music; }
    bool HasSoundOptions() override { return sounds; }
    bool IsLanguageAvailable(uint32_t language) override
    {
        return std::find(languages.begin(), languages.end(), language) != languages.end();
    }
    void SetPendingDocument(const char16_t* address) override { documents.push_back(address); }

public:
    void PlayElementClickSound(int32_t sound) override { clicks.push_back(sound); }
    std::vector<int32_t> clicks;
    std::vector<float> musicVolumes, soundVolumes;
    std::vector<uint8_t> switches;
    Status switchResult = kStatusOk;
    bool fullScreen = false;
    std::vector<std::u16string> failures;

protected:
    void SetMusicVolume(float volume) override { musicVolumes.push_back(volume); }
    void SetSoundVolume(float volume) override { soundVolumes.push_back(volume); }
    bool IsFullScreen() override { return fullScreen; }
    Status SwitchDisplay(uint8_t on) override
    {
        switches.push_back(on);
        return switchResult;
    }
    void EndOnFailure(const char16_t* line) override { failures.push_back(line); }
};

using MenuObject = NamedElementsObject<TestMenu>;

const std::vector<const char*> kMenuNames = {"play", "continue", "options", "exit", "b1",
                                             "b2",   "b3",       "parent",  "fb",   "gc"};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world->pGame = GameDataCreate();
        world->pGame->prefetch = 1;
        UseSlots(3);
        menu.popups = &popups;
        ASSERT_EQ(popups.Set("popup_message_close_button", "close"), kStatusDoneStoreResult);
    }
    void TearDown() override
    {
        profiles.reset();
        GameDataFree(world->pGame);
    }
    void UseSlots(uint32_t count)
    {
        const std::string text = "[PROFILES]\nPROFILES_COUNT = " + std::to_string(count) + "\n";
        settings = std::make_unique<UtilsParameters_Static>(text.data(), uint32_t(text.size()), 0);
        world->pAppSettings = settings.get();
        profiles = std::make_unique<MemoryProfiles>(world.get());
        ASSERT_EQ(profiles->LoadParameters(), kStatusOk);
        ASSERT_EQ(profiles->LoadSlots(), kStatusOk);
        ASSERT_EQ(profiles->GetSlotCount(), count);
        menu.profiles = profiles.get();
    }
    void Bind()
    {
        const char* words[][2] = {{"menu_text_play", "play"}, {"menu_text_continue", "continue"},
                                  {"menu_text_options", "options"}, {"menu_text_exit", "exit"},
                                  {"menu_button_01", "b1"}, {"menu_button_02", "b2"},
                                  {"menu_button_03", "b3"}, {"menu_button_parent", "parent"},
                                  {"menu_button_facebook", "fb"}};
        for (auto& w : words)
            ASSERT_EQ(menu.Set(w[0], w[1]), kStatusDoneStoreResult) << w[0];
    }
    void UseSlot(int32_t index, const char16_t* name, uint8_t inProgress)
    {
        ProfileSlot* slot = profiles->GetSlot(index);
        slot->used = 1;
        slot->name = name ? UtilsString_DupW(name) : nullptr;
        slot->gameInProgress = inProgress;
    }
    std::vector<uint32_t> Ids(uint32_t list)
    {
        uint32_t count = 0;
        const MenuEntry* e = menu.GetEntries(list, &count);
        std::vector<uint32_t> ids;
        for (uint32_t i = 0; i < count; ++i)
            ids.push_back(e[i].id);
        return ids;
    }
    bool Shown(const char* name)
    {
        const ElementRecord* e = menu.GetItemRecord(uint32_t(menu.Find(name)));
        return e->alpha == 1.0f && !(e->flags & kElementHidden);
    }
    Status Key(char16_t c)
    {
        world->lastChar = c;
        return menu.OnProfileNameKey(uint8_t(kMenuNameMaxLength), kMenuNameCharacters);
    }

    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
    std::unique_ptr<UtilsParameters_Static> settings;
    std::unique_ptr<MemoryProfiles> profiles;
    TestPopups popups{world.get(), {"frame", "close"}};
    MenuObject menu{world.get(), kMenuNames};
};

TEST_F(MenuTest, WordsBindRolesAndTheCheckNeedsPopupsPlayAndExit)
{
    EXPECT_EQ(menu.GetTypeCode(), 257u);
    EXPECT_EQ(menu.CheckSetup(), kStatusFailed);
    Bind();
    EXPECT_EQ(menu.GetRole(kMenuTextPlay), menu.Find("play"));
    EXPECT_EQ(menu.GetRole(kMenuButtonParent), menu.Find("parent"));
    // Both words bind the brannock button; the later one holds.
    ASSERT_EQ(menu.Set("menu_button_brannock", "b1"), kStatusDoneStoreResult);
    ASSERT_EQ(menu.Set("menu_button_more_games", "b2"), kStatusDoneStoreResult);
    EXPECT_EQ(menu.GetRole(kMenuButtonBrannock), menu.Find("b2"));
    // An unknown word fails even with a known element, and so does an unknown element.
    EXPECT_EQ(menu.Set("menu_button_06", "b1"), kStatusFailed);
    EXPECT_EQ(menu.Set("menu_text_play", "nowhere"), kStatusFailed);
    EXPECT_EQ(menu.GetRole(kMenuTextPlay), menu.Find("play"));
    // Without an objects manager no popups object is found.
    EXPECT_EQ(menu.Set("menu_popup_name", "popups"), kStatusFailed);
    EXPECT_EQ(menu.CheckSetup(), kStatusFailed);
}

TEST_F(MenuTest, ListsFollowTheGamesConfiguration)
{
    struct Case {
        const char* what;
        uint32_t slots;
        bool music, sounds;
        std::vector<uint32_t> languages;
        std::vector<uint32_t> profiles, options, languageIds;
        std::vector<uint32_t> kinds;   // of the language entries
    };
    const Case cases[] = {
        {"three slots, two languages", 3, true, true, {0, 1}, {53, 54, 55}, {41, 44, 52, 48, 49}, {74, 75}, {0, 0}},
        {"no music manager", 3, false, true, {0, 1}, {53, 54, 55}, {44, 52, 48, 49}, {74, 75}, {0, 0}},
        {"one slot, no sound, one language", 1, true, false, {0}, {53}, {41, 59, 52, 49}, {}, {}},
        {"five languages", 2, true, true, {0, 1, 2, 3, 16}, {53, 54}, {41, 44, 52, 48, 49}, {74, 75, 76, 77, 90},
         {0, 0, 0, 0, 0}},
        {"six languages", 2, true, true, {0, 1, 2, 3, 4, 16}, {53, 54}, {41, 44, 52, 48, 49},
         {74, 75, 76, 77, 78, 90}, {1, 2, 1, 2, 1, 2}},
    };
    for (const Case& c : cases) {
        UseSlots(c.slots);
        menu.music = c.music;
        menu.sounds = c.sounds;
        menu.languages = c.languages;
        for (uint32_t list = 0; list < kMenuListCount; ++list)
            menu.ReleaseEntries(list);
        ASSERT_EQ(menu.BuildLists(), kStatusOk) << c.what;
        EXPECT_EQ(Ids(kMenuListProfiles), c.profiles) << c.what;
        EXPECT_EQ(Ids(kMenuListOptions), c.options) << c.what;
        EXPECT_EQ(Ids(kMenuListLanguages), c.languageIds) << c.what;
        uint32_t count = 0;
        const MenuEntry* languages = menu.GetEntries(kMenuListLanguages, &count);
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(languages[i].kind, c.kinds[i]) << c.what << " " << i;
            EXPECT_EQ(languages[i].halfLine, c.kinds[i] ? 1u : 0u) << c.what << " " << i;
        }
        EXPECT_EQ(Ids(kMenuListName), (std::vector<uint32_t>{57, 40, 109, 110})) << c.what;
        EXPECT_EQ(Ids(kMenuListConfirm), (std::vector<uint32_t>{58, 70, 71})) << c.what;
        EXPECT_EQ(Ids(kMenuListText17), std::vector<uint32_t>{25}) << c.what;
        EXPECT_EQ(Ids(kMenuListText18), std::vector<uint32_t>{32}) << c.what;
    }
}

// A language whose tables fail to load is marked unavailable and the menu is entered again: it
// offers that language no more, and with one language left it has no language button.
TEST_F(MenuTest, ALanguageThatFailedToLoadIsOfferedNoMore)
{
    struct Case {
        const char* what;
        std::vector<uint32_t> built, left;
        std::vector<uint32_t> options, languageIds;
        std::vector<uint32_t> kinds;  // of the language entries
    };
    const Case cases[] = {
        {"one of three", {0, 1, 2}, {0, 2}, {41, 44, 52, 48, 49}, {74, 76}, {0, 0}},
        {"one of six: one column", {0, 1, 2, 3, 4, 16}, {0, 1, 2, 3, 16}, {41, 44, 52, 48, 49},
         {74, 75, 76, 77, 90}, {0, 0, 0, 0, 0}},
        {"one of seven: two columns", {0, 1, 2, 3, 4, 5, 16}, {0, 1, 2, 4, 5, 16}, {41, 44, 52, 48, 49},
         {74, 75, 76, 78, 79, 90}, {1, 2, 1, 2, 1, 2}},
        {"one of two", {0, 1}, {0}, {41, 44, 52, 49}, {}, {}},
    };
    for (const Case& c : cases) {
        menu.languages = c.built;
        for (uint32_t list = 0; list < kMenuListCount; ++list)
            menu.ReleaseEntries(list);
        ASSERT_EQ(menu.BuildLists(), kStatusOk) << c.what;
        menu.languages = c.left;
        ASSERT_EQ(menu.UpdateComponents(), kStatusOk) << c.what;
        EXPECT_EQ(Ids(kMenuListOptions), c.options) << c.what;
        EXPECT_EQ(Ids(kMenuListLanguages), c.languageIds) << c.what;
        uint32_t count = 0;
        const MenuEntry* languages = menu.GetEntries(kMenuListLanguages, &count);
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(languages[i].kind, c.kinds[i]) << c.what << " " << i;
            EXPECT_EQ(languages[i].halfLine, c.kinds[i] ? 1u : 0u) << c.what << " " << i;
        }
    }
}

TEST_F(MenuTest, TheMainPageShowsItsButtonsWhileThereIsASlot)
{
    Bind();
    ASSERT_EQ(menu.Set("menu_button_gamecenter", "gc"), kStatusDoneStoreResult);
    world->pGame->socialLinks[0].enabled = 1;
    ASSERT_EQ(menu.UpdateState(), kStatusOk);
    for (const char* name : {"play", "options", "exit", "b1", "b2", "b3", "parent", "fb"})
        EXPECT_TRUE(Shown(name)) << name;
    EXPECT_FALSE(Shown("continue"));
    // A bound gamecenter button never shows.
    EXPECT_FALSE(Shown("gc"));
    const ElementRecord* parent = menu.GetItemRecord(uint32_t(menu.Find("parent")));
    const ElementRecord* play = menu.GetItemRecord(uint32_t(menu.Find("play")));
    EXPECT_TRUE(play->flags & kElementClickable);
    EXPECT_FALSE(play->flags & kElementFound);
    EXPECT_TRUE(parent->flags & kElementFound);   // shown, never clicked

    // One slot with a game under way continues it.
    UseSlots(1);
    UseSlot(0, u"Ann", 1);
    menu.UpdateState();
    EXPECT_TRUE(Shown("continue"));
    EXPECT_FALSE(Shown("play"));

    // Another page, or no web buttons, hides them.
    world->pGame->prefetch = 0;
    menu.UpdateState();
    EXPECT_FALSE(Shown("fb"));
    menu.SetPage(kMenuProfiles);
    menu.UpdateState();
    for (const char* name : {"play", "continue", "options", "exit", "b1", "b2", "b3", "parent", "fb"}) {
        EXPECT_FALSE(Shown(name)) << name;
        EXPECT_TRUE(menu.GetItemRecord(uint32_t(menu.Find(name)))->flags & kElementFound) << name;
    }
}

TEST_F(MenuTest, MainPageClicksOpenThePagesOrTheGame)
{
    Bind();
    auto click = [&](const char* name) {
        menu.SetPage(kMenuMain);
        menu.hit = menu.Find(name);
        return menu.OnClick(1.0f, 1.0f, 0);
    };
    // Several empty slots: slot 0 and the name entry, its buffer cleared.
    profiles->SetCurrentSlot(2);
    ASSERT_EQ(click("play"), kStatusOk);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfileName));
    EXPECT_EQ(profiles->GetCurrentIndex(), 0);
    UseSlot(1, u"Ann", 0);
    click("play");
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfiles));
    click("options");
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuOptions));
    click("exit");
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuLeave));
    world->pGame->socialLinks[0].enabled = 1;
    UtilsString_Copy(world->pGame->socialLinks[0].address, kWorldTextSize, u"https://example.org/");
    click("fb");
    EXPECT_EQ(menu.documents, std::vector<std::u16string>{u"https://example.org/"});
    // One slot: the game starts at once.
    UseSlots(1);
    click("play");
    EXPECT_EQ(menu.starts, 1);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuMain));
}

TEST_F(MenuTest, TheCloseButtonLeadsBackByPage)
{
    struct Case {
        uint32_t page, slots, to;
    };
    const Case cases[] = {
        {kMenuProfileName, 3, kMenuProfiles}, {kMenuLanguages, 3, kMenuOptions}, {kMenuCredits, 3, kMenuOptions},
        {kMenuDeleteProfile, 1, kMenuOptions}, {kMenuDeleteProfile, 3, kMenuProfiles}, {kMenuText17, 3, kMenuMain},
        {kMenuProfiles, 3, kMenuMain},       {kMenuOptions, 3, kMenuMain},      {kMenuLeave, 3, kMenuMain},
    };
    popups.hit = popups.Find("close");
    menu.hit = -2;   // nothing of the menu under the point
    for (const Case& c : cases) {
        UseSlots(c.slots);
        menu.SetPage(c.page);
        EXPECT_EQ(menu.OnClick(1.0f, 1.0f, 0), kStatusOk) << c.page;
        EXPECT_EQ(menu.GetPage(), c.to) << c.page << " with " << c.slots;
    }
    // Anything but the close button leaves the page.
    popups.hit = popups.Find("frame");
    menu.SetPage(kMenuProfileName);
    menu.OnClick(1.0f, 1.0f, 0);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfileName));
}

TEST_F(MenuTest, TheQuestionsLeaveDeleteOrGoBack)
{
    menu.OnConfirm(kMenuLeave, false);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuMain));
    EXPECT_EQ(world->pGame->stop, 0);
    menu.OnConfirm(kMenuLeave, true);
    EXPECT_EQ(world->pGame->stop, 1);

    profiles->SetCurrentSlot(1);
    menu.OnConfirm(kMenuDeleteProfile, false);
    EXPECT_TRUE(profiles->deletes.empty());
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfiles));
    menu.OnConfirm(kMenuDeleteProfile, true);
    EXPECT_EQ(profiles->deletes, std::vector<int32_t>{1});
    // No current slot: nothing to delete.
    profiles->SetCurrentSlot(-1);
    menu.OnConfirm(kMenuDeleteProfile, true);
    EXPECT_EQ(profiles->deletes.size(), 1u);
}

TEST_F(MenuTest, TheNameEntryTakesTwelveAllowedCharacters)
{
    EXPECT_EQ(Key(8), kStatusFailed);   // backspace on an empty name
    EXPECT_EQ(Key(0), kStatusFailed);   // no character this frame
    for (char16_t c : std::u16string(u"Abc def 0123"))
        EXPECT_EQ(Key(c), kStatusFailed);
    EXPECT_EQ(std::u16string(menu.GetNameBuffer()), u"Abc def 0123");
    Key(u'x');                          // a 13th character
    EXPECT_EQ(std::u16string(menu.GetNameBuffer()), u"Abc def 0123");
    Key(127);
    Key(8);
    Key(u'-');                          // not an allowed character
    EXPECT_EQ(std::u16string(menu.GetNameBuffer()), u"Abc def 01");
    EXPECT_EQ(std::u16string(world->game.textLine), u"Abc def 01_");
    EXPECT_EQ(Key(10), kStatusOk);
    EXPECT_EQ(Key(13), kStatusOk);
    EXPECT_EQ(menu.OnProfileNameKey(12, nullptr), kStatusFailed);
}

// Typed text comes as UTF-16 characters: an accented letter is taken when the font draws it,
// a sign never.
TEST_F(MenuTest, TheNameEntryTakesTheAccentedLettersTheFontDraws)
{
    menu.drawn = u"\u00c9\u00e9\u00ef\u0152\u00d7\u20ac\u0416";
    struct Case {
        char16_t c;
        bool taken;
    };
    const Case cases[] = {
        {u'\u00c9', true},  {u'\u00e9', true},   {u'\u00ef', true},  {u'\u0152', true}, {u'\u0416', true},
        {u'\u00f1', false}, {u'\u00d7', false}, {u'\u20ac', false}, {u'\u00a0', false},
    };
    for (const Case& c : cases) {
        menu.OpenNameEntry(0);
        EXPECT_EQ(Key(c.c), kStatusFailed);
        EXPECT_EQ(std::u16string(menu.GetNameBuffer()), c.taken ? std::u16string(1, c.c) : u"") << int(c.c);
    }
    menu.OpenNameEntry(0);
    for (char16_t c : std::u16string(u"\u00c9lodie"))
        Key(c);
    EXPECT_EQ(std::u16string(menu.GetNameBuffer()), u"\u00c9lodie");
    EXPECT_EQ(std::u16string(world->game.textLine), u"\u00c9lodie_");
}

TEST_F(MenuTest, ANameIsTrimmedAndTheLabelAndBlanksLeaveTheSlot)
{
    profiles->SetCurrentSlot(0);
    UseSlot(0, nullptr, 0);
    std::u16string name = u"  Ann  ";
    EXPECT_EQ(menu.ValidateProfileName(name.data()), kStatusOk);
    EXPECT_EQ(profiles->renames, std::vector<std::u16string>{u"Ann"});
    for (const char16_t* unchanged : {u"   ", u"", u"Profile 1", u" Profile 1 "}) {
        std::u16string text = unchanged;
        EXPECT_EQ(menu.ValidateProfileName(text.data()), kStatusOk);
    }
    EXPECT_EQ(profiles->renames.size(), 1u);
    profiles->refuse = true;
    name = u"Bob";
    EXPECT_EQ(menu.ValidateProfileName(name.data()), kStatusFailed);
    profiles->SetCurrentSlot(-1);
    EXPECT_EQ(menu.ValidateProfileName(name.data()), kStatusFailed);
}

TEST_F(MenuTest, TheDeveloperCodes)
{
    profiles->SetCurrentSlot(1);
    UseSlot(1, u"Ann", 1);
    std::u16string code = u" plovestar ";
    EXPECT_EQ(menu.ValidateProfileName(code.data()), kStatusOk);
    EXPECT_EQ(world->pGame->developerMode, 1);
    EXPECT_EQ(world->pGame->noSave, 1);
    EXPECT_EQ(menu.restarts, 1);
    EXPECT_TRUE(profiles->completed.empty());
    EXPECT_TRUE(profiles->renames.empty());

    // The second code fakes a completed game of 11 h 21 min, not saved, and goes back to the list.
    code = u"plovestar*";
    EXPECT_EQ(menu.ValidateProfileName(code.data()), kStatusFailed);
    ASSERT_EQ(profiles->completed.size(), 1u);
    EXPECT_EQ(profiles->completed[0], std::make_pair(1, uint8_t(0)));
    const ProfileSlot* slot = profiles->GetSlot(1);
    EXPECT_EQ(slot->lastCompletionTime.hours, 11);
    EXPECT_EQ(slot->lastCompletionTime.minutes, 21);
    EXPECT_FLOAT_EQ(slot->lastCompletionTime.fraction, 1680.0f);
    EXPECT_EQ(slot->gameInProgress, 0);
    EXPECT_EQ(menu.restarts, 2);
    char16_t clock[16];
    profiles->FormatPlayTime(1, clock);
    EXPECT_EQ(std::u16string(clock), u"(11:21:56)");
}

TEST_F(MenuTest, OkStartsANewGameOrReturnsToTheList)
{
    ASSERT_EQ(menu.BuildLists(), kStatusOk);
    // A new profile's name: the game starts and the menu leaves for the main page.
    menu.OpenNameEntry(0);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfileName));
    for (char16_t c : std::u16string(u"Ann"))
        Key(c);
    menu.AcceptName();
    EXPECT_EQ(menu.starts, 1);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuMain));
    EXPECT_EQ(std::u16string(profiles->GetSlot(0)->name), u"Ann");

    // A rename of a slot with a game under way goes back to the list.
    UseSlot(1, u"Bob", 1);
    menu.OpenNameEntry(1);
    Key(u'C');
    menu.AcceptName();
    EXPECT_EQ(menu.starts, 1);
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfiles));
    EXPECT_EQ(std::u16string(profiles->GetSlot(1)->name), u"C");

    // A refused rename, and a game that does not start, keep the pages.
    profiles->refuse = true;
    menu.SetPage(kMenuProfileName);
    menu.AcceptName();
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfiles));
    profiles->refuse = false;
    menu.startResult = kStatusFailed;
    profiles->SetCurrentSlot(2);
    menu.SetPage(kMenuProfileName);
    menu.AcceptName();
    EXPECT_EQ(menu.GetPage(), uint32_t(kMenuProfileName));
}

TEST_F(MenuTest, OptionsSwitchTheirSettingsAndOpenTheirPages)
{
    MenuEntry music = {}, sound = {}, screen = {};
    music.id = music.alternateId = kMenuIdMusic;
    sound.id = sound.alternateId = kMenuIdSound;
    screen.id = screen.alternateId = kMenuIdFullScreen;
    // Music off, then on again: the default click each time.
    menu.OnOptionEntry(music);
    EXPECT_EQ(music.toggle, 1);
    menu.OnOptionEntry(music);
    EXPECT_EQ(music.toggle, 0);
    EXPECT_EQ(menu.musicVolumes, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(menu.clicks, (std::vector<int32_t>{0, 0}));
    // The click that silences the sounds is not heard; the one that brings them back is.
    menu.clicks.clear();
    menu.OnOptionEntry(sound);
    EXPECT_EQ(sound.toggle, 1);
    EXPECT_TRUE(menu.clicks.empty());
    menu.OnOptionEntry(sound);
    EXPECT_EQ(sound.toggle, 0);
    EXPECT_EQ(menu.soundVolumes, (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(menu.clicks, std::vector<int32_t>{0});

    // The display switches to the other mode; the box follows the window, not the click.
    menu.OnOptionEntry(screen);
    menu.fullScreen = true;
    menu.OnOptionEntry(screen);
    EXPECT_EQ(menu.switches, (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(screen.toggle, 0);
    EXPECT_TRUE(menu.failures.empty());
    // A display that cannot be switched ends the program as failed.
    menu.switchResult = kStatusFailed;
    menu.OnOptionEntry(screen);
    ASSERT_EQ(menu.failures.size(), 1u);
    EXPECT_NE(menu.failures[0].find(u"display"), std::u16string::npos);

    struct Case {
        uint32_t id, page;
    };
    const Case pages[] = {
        {kMenuIdLanguage, kMenuLanguages},
        {kMenuIdDeleteQuestion, kMenuDeleteProfile},
        // No credits file to read: the page stays.
        {kMenuIdCredits, kMenuOptions},
    };
    for (const Case& c : pages) {
        MenuEntry e = {};
        e.id = c.id;
        menu.SetPage(kMenuOptions);
        menu.clicks.clear();
        menu.OnOptionEntry(e);
        EXPECT_EQ(menu.GetPage(), c.page) << c.id;
        EXPECT_EQ(menu.clicks.size(), c.page == kMenuOptions ? 0u : 1u) << c.id;
    }
}

}  // namespace
