// The whole sample played in this process through the harness, as a new player plays it: from
// the title into the hall, the study lit and the game closed there; the next start continues it
// from the title, the study still lit, on through the clock room to chapter 2, whose puzzles the
// developer skip solves (each has its own player elsewhere), until the last one ends the game,
// which the profile counts, and the title shows again; continued from there, a new game starts
// clean.
#include "NimbrelHarness.h"
#include "ProfileDump.h"
#include "SampleGameFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CTransitions.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/PrefetchParams.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/UtilsString.h"

namespace {

struct Point {
    int32_t x, y;
};

class WholeGame : public SampleGameFolder {
protected:
    // Frames until `done`. The limit is one only a hang reaches: fades and timers run on the
    // clock, and a loaded machine gives few frames a second.
    bool StepUntil(const std::function<bool()>& done, int seconds = 120)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            if (!game->Step())
                return false;
        return done();
    }
    CObjectsManager* Objects() const { return game->World()->GetObjectsManager(); }
    // The object the game plays, once no level change or screen transition is under way.
    CObjectsBase* Settled() const
    {
        CTransitions* transitions = game->World()->GetTransitions();
        if (game->State() != kGameStatePlaying || (transitions && !transitions->IsFadeValueZero()))
            return nullptr;
        return Objects()->GetCurrentObject();
    }
    bool Plays(const char* name) const
    {
        const CObjectsBase* current = Settled();
        return current && current->GetName() && std::strcmp(current->GetName(), name) == 0;
    }
    CObjectsInterfaceMenu* Title() const
    {
        CObjectsBase* current = Settled();
        return current && current->GetTypeCode() == kObjectKindMenu ? static_cast<CObjectsInterfaceMenu*>(current)
                                                                      : nullptr;
    }
    uint32_t Variable(CObjectsBase* object, const char* name) const
    {
        uint32_t value = 0;
        object->GetScript()->GetLong(name, &value, false);
        return value;
    }
    ElementRecord* Element(CObjectsBase* object, const char* name) const
    {
        const int32_t index = object->FindElementByName(name);
        return index >= 0 ? object->GetItemRecord(uint32_t(index)) : nullptr;
    }
    Point Centre(CObjectsBase* object, const char* name) const
    {
        float at[3];
        object->ProjectElementToScreen(at, Element(object, name));
        return {int32_t(std::lround(at[0])), int32_t(std::lround(at[1]))};
    }
    // Reference pixels (1024 x 768) to the window's.
    Point Window(float x, float y) const
    {
        const float scale = float(game->World()->GetWorldData()->realWidth) / game->Game()->screen.referenceWidth;
        return {int32_t(std::lround(x * scale)), int32_t(std::lround(y * scale))};
    }
    // Clicks there until the condition holds, as a player clicks again when nothing happened
    // for a while: a click is lost while a screen transition shows. (Quicker clicks on nothing
    // would be penalised as random clicking.)
    bool ClickUntil(Point at, const std::function<bool()>& done)
    {
        return StepUntil([&] {
            if (done())
                return true;
            game->PostClick(at.x, at.y);
            const auto again = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
            while (!done() && std::chrono::steady_clock::now() < again)
                if (!game->Step())
                    return false;
            return done();
        });
    }
    // Press, moves of a frame each through every point, release, as a player drags.
    bool Drag(Point from, std::initializer_list<Point> path)
    {
        game->Post(WM_MOUSEMOVE, 0, Platform_MakeLParam(from.x, from.y));
        game->Post(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(from.x, from.y));
        if (!game->Step())
            return false;
        for (const Point& to : path) {
            for (int i = 1; i <= 6; ++i) {
                game->Post(WM_MOUSEMOVE, MK_LBUTTON,
                           Platform_MakeLParam(from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6));
                if (!game->Step())
                    return false;
            }
            from = to;
        }
        game->Post(WM_LBUTTONUP, 0, Platform_MakeLParam(from.x, from.y));
        return game->Step();
    }
    // The title's road into the game: play, then a new player's name, or the returning
    // player's row of the profile list.
    bool PastTheTitle(bool returning)
    {
        CObjectsInterfaceMenu* menu = nullptr;
        if (!StepUntil([&] { return (menu = Title()) != nullptr; }))
            return false;
        float at[3];
        menu->ProjectElementToScreen(at, menu->GetItemRecord(uint32_t(menu->GetRole(kMenuTextPlay))));
        if (!ClickUntil({int32_t(at[0]), int32_t(at[1])}, [&] { return menu->GetPage() != kMenuMain; }))
            return false;
        if (!returning) {
            if (menu->GetPage() != kMenuProfileName)
                return false;
            for (char16_t c : std::u16string(u"Player\r")) {
                game->PostCharacter(c);
                if (!game->Step())
                    return false;
            }
        } else {
            uint32_t count = 0;
            const MenuEntry* rows = menu->GetEntries(kMenuListProfiles, &count);
            if (menu->GetPage() != kMenuProfiles || count == 0)
                return false;
            const Point row = {int32_t(rows[0].x), int32_t(rows[0].y + rows[0].textHeight * rows[0].scale * 0.5f)};
            if (!ClickUntil(row, [&] { return Title() != menu; }))
                return false;
        }
        return StepUntil([&] { return Settled() && !Title(); });
    }
    // The study's opening text, when it shows, closed by Escape.
    bool CloseStudyText(CObjectsBase* study)
    {
        CPopupManager* popups = game->World()->GetPopupManager();
        if (!StepUntil([&] { return popups->IsPopupOpen() || Variable(study, "portraitsRead") == 1u; }))
            return false;
        if (popups->IsPopupOpen())
            game->PostKey(VK_ESCAPE);
        return StepUntil([&] { return Variable(study, "portraitsRead") == 1u && Settled(); });
    }
    // A new game's hall up to its hunt: the welcome text closed; the tutorial, when the player
    // has not skipped it yet, answered as a player who knows the game: its close part, then
    // "yes" (the question's left button) skips it all.
    bool IntoTheHunt(CObjectsBase* hall, bool taught = true)
    {
        CPopupManager* popups = game->World()->GetPopupManager();
        CTutoManager* tutorial = game->World()->GetTutoManager();
        if (!StepUntil([&] {
                if (popups->IsPopupOpen())
                    game->PostKey(VK_ESCAPE);
                return Variable(hall, "settled") == 1u;
            }))
            return false;
        if (!taught)
            return true;
        return StepUntil([&] { return tutorial->IsShowingFor(hall->GetObjectNumber()); }) &&
               ClickUntil(Window(480.0f, 570.0f), [&] { return tutorial->IsQuestionShown() != 0; }) &&
               ClickUntil(Window(264.0f, 672.0f), [&] { return !tutorial->IsShowingFor(hall->GetObjectNumber()); });
    }
    // The player clicks each of these hall items in turn until all are found, the narrator's
    // lines sent away (the developer skip would tick the list but leave the items whose clicks
    // the hall's script waits for, the key among them).
    bool Find(CObjectsBase* hall, std::initializer_list<const char*> items)
    {
        CPopupManager* popups = game->World()->GetPopupManager();
        auto clicked = std::chrono::steady_clock::time_point{};
        return StepUntil([&] {
            bool all = true;
            for (const char* item : items)
                all = all && (Element(hall, item)->flags & kElementFound) != 0;
            if (all)
                return true;
            if (popups->IsPopupOpen() || popups->IsObjectPopupOpen()) {
                game->PostKey(VK_ESCAPE);
            } else if (std::chrono::steady_clock::now() - clicked >= std::chrono::milliseconds(700)) {
                for (const char* item : items)
                    if (!(Element(hall, item)->flags & kElementFound)) {
                        const Point at = Centre(hall, item);
                        game->PostClick(at.x, at.y);
                        clicked = std::chrono::steady_clock::now();
                        break;
                    }
            }
            return game->Step(10) && false;
        });
    }
    // A text as the player reads it (the tables hold the font's codes).
    std::string Readable(const char16_t* text) const
    {
        std::u16string plain = text ? text : u"";
        game->World()->GetStringsManager()->UnmapChars(plain.data());
        return UtilsString_ToUtf8(plain.c_str());
    }
    // The hall's score plate once its count has come to rest, as it reads.
    std::string Score(CObjectsBase* hall)
    {
        ElementRecord* plate = Element(hall, "score_plate");
        if (!StepUntil([&] { return plate->pNumberText && plate->pNumberText->GetRemaining() == 0.0f; }) ||
            !game->Step(2))
            return "(none)";
        const ExtraTextLine* line = plate->pNumberText->GetLine(0);
        return line ? Readable(line->pText) : "(empty)";
    }
    // The monitor's count of the hall's heirlooms, as it reads.
    std::string Count(CObjectsBase* hall) const
    {
        const int32_t index = Objects()->FindLevelByNameAndType("monitor", kObjectKindMonitor);
        auto* monitor = index >= 0 ? dynamic_cast<CObjectsInterfaceMonitor*>(Objects()->GetObject(uint32_t(index)))
                                   : nullptr;
        const MonitorRecord* record = monitor ? monitor->GetRecord(hall->GetObjectNumber()) : nullptr;
        return record ? Readable(record->text) : "(none)";
    }
    // Out of the level by the round button in its corner, to the title.
    bool ToTheTitle()
    {
        CObjectsBase* way = Objects()->GetObject(uint32_t(Objects()->FindLevelIndexByName("level_menu")));
        return way && ClickUntil(Centre(way, "menu"), [&] { return Title() != nullptr; });
    }
    std::string ProfileFile() const
    {
        return UserFolder() + "Nimbrel " NIMBREL_APP_NAME "/" NIMBREL_APP_NAME ".v3.profile_full_0.sav";
    }

    std::unique_ptr<NimbrelHarness> game;
};

TEST_F(WholeGame, APlayerContinuesInTheLitStudyAndPlaysToTheEndAndBackToTheTitle)
{
    // The developer keys let the puzzles be skipped; nothing else changes with them.
    uint8_t flags[kPrefetchFileSize];
    WritePrefetchParams(PrefetchFlags{1, 1, 0}, flags);
    std::ofstream(data + "/prefetch.params", std::ios::binary).write(reinterpret_cast<char*>(flags), sizeof flags);

    // First start: a new player; the hall's finds open the door to the study; its lamp is lit,
    // and the game is closed there.
    game = std::make_unique<NimbrelHarness>();
    ASSERT_EQ(game->Start(), 0) << boxes;
    ASSERT_TRUE(PastTheTitle(false));
    ASSERT_TRUE(StepUntil([&] { return Plays("hall"); }));
    CObjectsBase* hall = Objects()->GetCurrentObject();
    CPopupManager* popups = game->World()->GetPopupManager();
    ASSERT_TRUE(IntoTheHunt(hall));
    ASSERT_TRUE(Find(hall, {"key", "candle", "book", "apple", "quill", "coin", "coin2", "coin3"}));
    ASSERT_TRUE(StepUntil([&] {
        if (popups->IsPopupOpen() || popups->IsObjectPopupOpen())
            game->PostKey(VK_ESCAPE);
        return game->Step(10) && (Element(hall, "door")->flags & kElementClickable) != 0;
    }));
    // The congratulations go by a click; the door leads on.
    ElementRecord* done = Element(hall, "well_done");
    ASSERT_TRUE(ClickUntil(Centre(hall, "well_done"), [&] { return done->alpha == 0.0f && done->fadeId == 0; }));
    ASSERT_TRUE(ClickUntil(Centre(hall, "door"), [&] { return Plays("study"); }));
    auto* study = dynamic_cast<CObjectsLevelExploration*>(Objects()->GetCurrentObject());
    ASSERT_NE(study, nullptr);
    ASSERT_TRUE(CloseStudyText(study));
    EXPECT_TRUE(study->IsFlashlightMode());
    ASSERT_TRUE(ClickUntil(Centre(study, "lamp"), [&] { return Variable(study, "lit") == 1u; }));
    EXPECT_FALSE(study->IsFlashlightMode());
    ASSERT_TRUE(game->Step(2));
    EXPECT_EQ(game->Stop(), 0);
    game.reset();

    // Next start: the game continued from the title is in the study, lit as it was left.
    game = std::make_unique<NimbrelHarness>();
    ASSERT_EQ(game->Start(), 0) << boxes;
    ASSERT_TRUE(PastTheTitle(true));
    ASSERT_TRUE(StepUntil([&] { return Plays("study"); }));
    study = dynamic_cast<CObjectsLevelExploration*>(Objects()->GetCurrentObject());
    ASSERT_NE(study, nullptr);
    popups = game->World()->GetPopupManager();
    EXPECT_EQ(Variable(study, "lit"), 1u);
    EXPECT_FALSE(study->IsFlashlightMode());
    ASSERT_TRUE(game->Step(2));
    uint32_t far = 0;
    const Point corner = Window(150.0f, 700.0f);
    ASSERT_TRUE(game->ReadPixel(corner.x, corner.y, &far));
    EXPECT_NE(far & 0xFFFFFFu, 0u) << "the study is dark";

    // The button in the corner leads out of the level to the title, and the game is continued
    // from there as it was left.
    CObjectsBase* way = Objects()->GetObject(uint32_t(Objects()->FindLevelIndexByName("level_menu")));
    ASSERT_NE(way, nullptr);
    ASSERT_TRUE(ClickUntil(Centre(way, "menu"), [&] { return Title() != nullptr; }));
    EXPECT_EQ(Title()->GetPage(), uint32_t(kMenuMain));
    ASSERT_TRUE(PastTheTitle(true));
    ASSERT_TRUE(StepUntil([&] { return Plays("study"); }));
    EXPECT_FALSE(study->IsFlashlightMode());

    // The notebook closed, the drawer's note read, the hall's key opens the drawer, and the
    // door behind it leads to the clock room.
    CToolboxManager* toolbox = game->World()->GetToolboxManager();
    ASSERT_TRUE(StepUntil([&] { return toolbox->GetState() == kToolboxShown || Variable(study, "notebookRead"); }));
    const Point close = Centre(Objects()->GetInterfaceObject(kInterfaceToolbox), "close");
    ASSERT_TRUE(ClickUntil(close, [&] { return Variable(study, "notebookRead") == 1u; }));
    ASSERT_TRUE(StepUntil([&] {
        if (popups->IsObjectPopupOpen())
            game->PostKey(VK_ESCAPE);
        return Variable(study, "drawerRead") == 1u;
    }));
    CObjectsBase* bar = Objects()->GetObject(uint32_t(Objects()->FindLevelIndexByName("inventory")));
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(StepUntil([&] { return Settled() && Element(bar, "key")->alpha == 1.0f; }));
    ASSERT_TRUE(StepUntil([&] {
        return Drag(Centre(bar, "key"), {Centre(study, "drawer")}) && game->Step(30) && Variable(study, "drawerOpen");
    }));
    ASSERT_TRUE(StepUntil([&] { return (Element(study, "clock_door")->flags & kElementClickable) != 0; }));
    ASSERT_TRUE(ClickUntil(Centre(study, "clock_door"), [&] { return Plays("clock_room"); }));

    // The clock room: the dial turned a half round, the weight hung on its hook, the stairs.
    CObjectsBase* room = Objects()->GetCurrentObject();
    const Point dial = Centre(room, "dial");
    const auto around = [&](float degrees) {
        const Point radius = Window(45.0f, 0.0f);
        const float a = degrees * 3.14159265f / 180.0f;
        return Point{dial.x + int32_t(std::lround(radius.x * std::cos(a))),
                     dial.y + int32_t(std::lround(radius.x * std::sin(a)))};
    };
    ASSERT_TRUE(StepUntil([&] {
        return Drag(around(0.0f), {around(45.0f), around(90.0f), around(135.0f), around(180.0f)}) && game->Step(10) &&
               Variable(room, "turned") == 1u;
    }));
    ASSERT_TRUE(StepUntil([&] { return Variable(room, "opened") == 1u; }));
    ASSERT_TRUE(StepUntil([&] {
        return Drag(Centre(room, "weight"), {Centre(room, "hook")}) && game->Step(30) && Variable(room, "hung") == 1u;
    }));
    ASSERT_TRUE(ClickUntil(Centre(room, "stairs"), [&] { return Plays("puzzles"); }));

    // Chapter 2: its title card, then each puzzle skipped in turn (the mixture poured), to the
    // sliding blocks, whose end is the game's: the title shows again.
    CObjectsBase* card = Objects()->GetCurrentObject();
    ASSERT_TRUE(ClickUntil(Centre(card, "card"), [&] { return !Plays("puzzles"); }));
    // A level is skipped once it has shown for a second (its script waits for its events by
    // then), and again every few seconds while it stays.
    bool sliding = false;
    const CObjectsBase* skipped = nullptr;
    auto since = std::chrono::steady_clock::now();
    ASSERT_TRUE(StepUntil([&] {
        CObjectsBase* level = Settled();
        if (!level)
            return false;
        if (level->GetTypeCode() == kObjectKindMenu)
            return true;
        sliding |= std::strcmp(level->GetName(), "sliding") == 0;
        const auto now = std::chrono::steady_clock::now();
        if (popups->IsPopupOpen() || popups->IsObjectPopupOpen()) {
            game->PostKey(VK_ESCAPE);
        } else if (level != skipped) {
            skipped = level;
            since = now + std::chrono::seconds(1);
        } else if (now >= since && std::strcmp(level->GetName(), "mixture") == 0) {
            // The flasks are poured by the player's clicks, red, blue, then green: the developer
            // skip leaves elements whose clicks a handler of the level's takes.
            const char* const flasks[] = {"flask_red", "flask_blue", "flask_green"};
            const uint32_t poured = Variable(level, "poured");
            if (poured < 3) {
                const Point at = Centre(level, flasks[poured]);
                game->PostClick(at.x, at.y);
            }
            since = now + std::chrono::seconds(1);
        } else if (now >= since) {
            game->PostKey(VK_F1 + 3);
            since = now + std::chrono::seconds(3);
        }
        return false;
    }, 600)) << "stays at " << (Settled() ? Settled()->GetName() : "no level");
    EXPECT_TRUE(sliding);
    CObjectsInterfaceMenu* title = Title();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetPage(), uint32_t(kMenuMain));
    // The profile counts the completed game, and no game is in progress any more.
    const ProfileSlot* slot = game->World()->GetProfileManager()->GetSlot(0);
    EXPECT_EQ(slot->gameInProgress, 0);
    EXPECT_EQ(slot->completedGames, 1u);

    // Continued at once, in the same run: a new game in the hall, clean; the tutorial the player
    // skipped stays skipped.
    ASSERT_TRUE(PastTheTitle(true)) << boxes;
    ASSERT_TRUE(StepUntil([&] { return Plays("hall"); }));
    hall = Objects()->GetCurrentObject();
    ASSERT_TRUE(IntoTheHunt(hall, false));
    for (const char* item : {"key", "candle", "book", "apple", "quill", "coin", "coin2", "coin3"})
        EXPECT_FALSE(Element(hall, item)->flags & kElementFound) << item;
    EXPECT_EQ(Score(hall), "0");
    EXPECT_EQ(Count(hall), "0/6");
    ASSERT_TRUE(Find(hall, {"key"}));
    EXPECT_EQ(Score(hall), "100");
    EXPECT_EQ(Count(hall), "1/6");
    EXPECT_EQ(game->Stop(), 0);
    game.reset();
    EXPECT_EQ(boxes, "");
    const std::string dump = ProfileDump(ProfileFile());
    EXPECT_NE(dump.find("game in progress 1, completed games 1,"), std::string::npos) << dump;
}

// The hall's score is the player's: continued in the next run and again from the title in the
// same run, the hall shows the score as it was left, counts on from it, and its congratulations
// come with their words.
TEST_F(WholeGame, TheScoreStaysAcrossContinues)
{
    // The developer keys let the last puzzle be skipped.
    uint8_t flags[kPrefetchFileSize];
    WritePrefetchParams(PrefetchFlags{1, 1, 0}, flags);
    std::ofstream(data + "/prefetch.params", std::ios::binary).write(reinterpret_cast<char*>(flags), sizeof flags);

    game = std::make_unique<NimbrelHarness>();
    ASSERT_EQ(game->Start(), 0) << boxes;
    ASSERT_TRUE(PastTheTitle(false));
    ASSERT_TRUE(StepUntil([&] { return Plays("hall"); }));
    CObjectsBase* hall = Objects()->GetCurrentObject();
    ASSERT_TRUE(IntoTheHunt(hall));
    ASSERT_TRUE(Find(hall, {"key", "candle"}));
    EXPECT_EQ(Score(hall), "200");
    EXPECT_EQ(game->Stop(), 0);
    game.reset();

    game = std::make_unique<NimbrelHarness>();
    ASSERT_EQ(game->Start(), 0) << boxes;
    ASSERT_TRUE(PastTheTitle(true));
    ASSERT_TRUE(StepUntil([&] { return Plays("hall"); }));
    hall = Objects()->GetCurrentObject();
    EXPECT_EQ(Score(hall), "200") << "continued in the next run";
    EXPECT_EQ(Count(hall), "2/6");
    ASSERT_TRUE(Find(hall, {"book"}));
    EXPECT_EQ(Score(hall), "300");
    ASSERT_TRUE(ToTheTitle());
    ASSERT_TRUE(PastTheTitle(true));
    ASSERT_TRUE(StepUntil([&] { return Plays("hall"); }));
    EXPECT_EQ(Score(hall), "300") << "continued from the title";
    ASSERT_TRUE(Find(hall, {"apple", "quill", "coin", "coin2", "coin3"}));
    EXPECT_EQ(Score(hall), "800");
    EXPECT_EQ(Count(hall), "6/6");
    ElementRecord* sign = Element(hall, "well_done");
    ASSERT_TRUE(StepUntil([&] { return sign->alpha == 1.0f && !(sign->flags & kElementHidden); }));
    ASSERT_TRUE(game->Step(2));
    const CExtraDimTextString* words = hall->GetElementText(sign);
    ASSERT_TRUE(words && words->GetLine(0));
    EXPECT_EQ(Readable(words->GetLine(0)->pText), "Well done!");

    EXPECT_EQ(game->Stop(), 0);
    game.reset();
    EXPECT_EQ(boxes, "");
}

}  // namespace
