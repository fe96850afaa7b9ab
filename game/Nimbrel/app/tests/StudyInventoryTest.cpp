// The study's inventory bar played in this process through the harness, with the mouse as a
// player drags: once the drawer's note is read the key and three coins come into the bar; the
// key let go beside the drawer glides home and the narrator says it does not fit; on the drawer
// it leaves the bar and the drawer slides open; the money box takes the three coins, one off the
// bar's count with each, until the coins' place is empty.
#include "NimbrelHarness.h"
#include "Patience.h"
#include "SampleGameFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelManagers/CDragDropManager.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CTransitions.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint32_t kStudy = 3, kInventory = 15;

struct Point {
    int32_t x, y;
};

class StudyInventory : public SampleGameFolder {
protected:
    bool StepUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30 * kPatience);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            if (!game.Step())
                return false;
        return done();
    }
    uint32_t Variable(CObjectsBase* object, const char* name)
    {
        uint32_t value = 0;
        object->GetScript()->GetLong(name, &value, false);
        return value;
    }
    Point Centre(CObjectsBase* object, const char* element)
    {
        float at[3];
        object->ProjectElementToScreen(at, object->GetItemRecord(uint32_t(object->FindElementByName(element))));
        return {int32_t(std::lround(at[0])), int32_t(std::lround(at[1]))};
    }
    uint32_t Pixel(Point p)
    {
        uint32_t colour = 0;
        game.ReadPixel(p.x, p.y, &colour);
        return colour & 0xFFFFFFu;
    }
    // Press, moves of a frame each, release, as a player drags.
    void Drag(Point from, Point to)
    {
        game.Post(WM_MOUSEMOVE, 0, Platform_MakeLParam(from.x, from.y));
        game.Post(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(from.x, from.y));
        ASSERT_TRUE(game.Step());
        for (int i = 1; i <= 6; ++i) {
            const int32_t x = from.x + (to.x - from.x) * i / 6, y = from.y + (to.y - from.y) * i / 6;
            game.Post(WM_MOUSEMOVE, MK_LBUTTON, Platform_MakeLParam(x, y));
            ASSERT_TRUE(game.Step());
        }
        game.Post(WM_LBUTTONUP, 0, Platform_MakeLParam(to.x, to.y));
        ASSERT_TRUE(game.Step());
    }
    // The study, its lamp lit, its notebook and its drawer's note read: the bar is filled.
    void ReachTheFilledBar()
    {
        ASSERT_EQ(game.Start(), 0) << boxes;
        ASSERT_TRUE(StepUntil([&] { return game.State() == kGameStatePlaying; }));
        objects = game.World()->GetObjectsManager();
        ASSERT_EQ(objects->SetCurrentLevel(kStudy, kNoObjectIndex, 0), kStatusOk);
        ASSERT_TRUE(StepUntil([&] { return game.State() == kGameStatePlaying; }));
        study = objects->GetObject(kStudy);
        bar = dynamic_cast<CObjectsInterfaceToolbarInventory*>(objects->GetObject(kInventory));
        ASSERT_TRUE(study && bar);
        // The study is reached without the hall's hunt: the key goes into the bar as its find
        // in the hall puts it.
        ASSERT_EQ(bar->AddItem(uint32_t(bar->FindElementByName("key")), 1), kStatusOk);
        CTransitions* transitions = game.World()->GetTransitions();
        const auto settled = [&] { return transitions->IsFadeValueZero(); };
        // The study's opening text about its portraits is closed first.
        CPopupManager* popups = game.World()->GetPopupManager();
        ASSERT_TRUE(StepUntil([&] { return popups->IsPopupOpen(); }));
        game.PostKey(VK_ESCAPE);
        ASSERT_TRUE(StepUntil([&] { return Variable(study, "portraitsRead") == 1u; }));
        ASSERT_TRUE(StepUntil(settled));
        const Point lamp = Centre(study, "lamp");
        game.PostClick(lamp.x, lamp.y);
        ASSERT_TRUE(StepUntil([&] { return Variable(study, "lit") == 1u; }));
        CToolboxManager* toolbox = game.World()->GetToolboxManager();
        ASSERT_TRUE(StepUntil([&] { return toolbox->GetState() == kToolboxShown; }));
        const Point close = Centre(objects->GetInterfaceObject(kInterfaceToolbox), "close");
        game.PostClick(close.x, close.y);
        ASSERT_TRUE(StepUntil([&] { return Variable(study, "notebookRead") == 1u; }));
        ASSERT_TRUE(StepUntil([&] { return popups->IsObjectPopupOpen(); }));
        if (atNote) {
            atNote();
            if (HasFatalFailure())
                return;
        }
        game.PostKey(VK_ESCAPE);
        ASSERT_TRUE(StepUntil([&] { return Variable(study, "drawerRead") == 1u; }));
        key = uint32_t(bar->FindElementByName("key"));
        coin = uint32_t(bar->FindElementByName("coin"));
        // The items fade into their places; the drag waits for the screen to settle.
        ASSERT_TRUE(StepUntil([&] {
            return settled() && bar->GetItemRecord(key)->alpha == 1.0f && bar->GetItemRecord(coin)->alpha == 1.0f;
        }));
        ASSERT_TRUE(game.Step(2));
    }
    bool AtHome(uint32_t element)
    {
        const ElementRecord* e = bar->GetItemRecord(element);
        return e->dragOffset[0] == 0.0f && e->dragOffset[1] == 0.0f && !(e->flags & kElementLocked);
    }
    std::string CountText(uint32_t place)
    {
        char16_t text[32] = {};
        bar->GetCountText(place, text, 32);
        return UtilsString_ToUtf8(text);
    }

    NimbrelHarness game;
    // Run while the drawer's note shows, before it is closed.
    std::function<void()> atNote;
    CObjectsManager* objects = nullptr;
    CObjectsBase* study = nullptr;
    CObjectsInterfaceToolbarInventory* bar = nullptr;
    uint32_t key = 0, coin = 0;
};

TEST_F(StudyInventory, TheKeyOpensTheDrawerAndTheMoneyBoxTakesTheThreeCoins)
{
    ReachTheFilledBar();
    if (HasFatalFailure())
        return;
    ASSERT_EQ(bar->FindPlace(key), 0);
    ASSERT_EQ(bar->FindPlace(coin), 1);
    EXPECT_EQ(CountText(1), "3 x ");
    const Point keyHome = Centre(bar, "key");
    const uint32_t keyColour = Pixel(keyHome);
    EXPECT_EQ(keyColour, 0xE0C040u);

    // Beside the drawer: the key glides home and the narrator says it does not fit.
    const Point drawer = Centre(study, "drawer");
    Drag(keyHome, {drawer.x, drawer.y - 150});
    if (HasFatalFailure())
        return;
    EXPECT_EQ(game.World()->GetDragDropManager()->GetReturningElement(), int32_t(key));
    ASSERT_TRUE(StepUntil([&] { return Variable(study, "misfits") == 1u; }));
    EXPECT_TRUE(game.World()->GetPopupManager()->IsNarratorShowing());
    ASSERT_TRUE(StepUntil([&] { return AtHome(key); }));
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(Pixel(keyHome), keyColour);
    EXPECT_EQ(bar->FindPlace(key), 0);

    // On the drawer: the key leaves the bar, the waiting bar script goes on and the drawer
    // slides open, down the screen.
    const uint32_t drawerColour = Pixel(drawer);
    const uint32_t belowBefore = Pixel({drawer.x, drawer.y + 60});
    Drag(keyHome, drawer);
    if (HasFatalFailure())
        return;
    CObjectsBase* inventory = bar;
    ASSERT_TRUE(StepUntil([&] { return Variable(inventory, "keyUsed") == 1u; }));
    EXPECT_EQ(bar->FindPlace(key), -1);
    EXPECT_EQ(bar->GetPlace(0)->element, -1);
    ASSERT_TRUE(StepUntil([&] { return Variable(study, "drawerOpen") == 1u; }));
    ASSERT_TRUE(game.Step());
    EXPECT_NE(Pixel(keyHome), keyColour);
    EXPECT_NE(Pixel({drawer.x, drawer.y + 60}), belowBefore);
    EXPECT_EQ(Pixel({drawer.x, drawer.y + 60}), drawerColour);

    // The money box: each coin let go on it goes in and leaves the bar, the three the hall gave
    // in all; the bar counts what is left after each drop, and the last empties the place.
    const Point box = Centre(study, "moneybox");
    const Point coinHome = Centre(bar, "coin");
    const struct {
        uint32_t coins;
        const char* count;
    } drops[] = {{1, "2 x "}, {2, ""}};
    for (const auto& d : drops) {
        Drag(coinHome, box);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(StepUntil([&] { return Variable(study, "coins") == d.coins && AtHome(coin); })) << d.coins;
        EXPECT_EQ(CountText(1), d.count) << d.coins;
        EXPECT_EQ(bar->GetPlace(1)->count, 3u - d.coins);
    }
    Drag(coinHome, box);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(StepUntil([&] { return Variable(study, "coins") == 3u; }));
    EXPECT_EQ(bar->FindPlace(coin), -1);
    EXPECT_EQ(bar->GetPlace(1)->element, -1);
    EXPECT_EQ(Variable(study, "misfits"), 1u);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The drawer's note speaks of the locked drawer, whose picture it shows: its lines lie across
// the top of the frame's box, the drawer under them, and no letter over the picture.
TEST_F(StudyInventory, TheDrawersNoteLiesAboveItsPicture)
{
    int above = -1, over = -1;
    atNote = [&] {
        const Point middle = Centre(study, "background");
        const double scale = middle.y / 384.0;
        // Settled: the picture in the box's middle is drawn whole.
        const Point drawer{int32_t(std::lround(512 * scale)), int32_t(std::lround(334 * scale))};
        ASSERT_TRUE(StepUntil([&] { return Pixel(drawer) == 0x7A5230u; })) << std::hex << Pixel(drawer);
        ASSERT_TRUE(game.Step(10));
        // The message's light letters, above the picture and over it.
        const auto letters = [&](int top, int bottom) {
            int count = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 320; x < 704; ++x) {
                    const uint32_t c = Pixel({int32_t(std::lround(x * scale)), int32_t(std::lround(y * scale))});
                    count += ((c >> 16) & 0xFF) > 0xD0 && ((c >> 8) & 0xFF) > 0xC0 ? 1 : 0;
                }
            return count;
        };
        above = letters(214, 284);
        over = letters(288, 382);
    };
    ReachTheFilledBar();
    if (HasFatalFailure())
        return;
    EXPECT_GT(above, 100);
    EXPECT_EQ(over, 0);
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// The map on the desk shows whole over the study when clicked: its recipe's frame, from y = 144
// to 624 of the 1024 x 768 picture, lies there on the screen, with its middle wall at 384.
TEST_F(StudyInventory, TheMapShowsWhole)
{
    ReachTheFilledBar();
    if (HasFatalFailure())
        return;
    const Point middle = Centre(study, "background");
    const double scale = middle.y / 384.0;
    const Point map = Centre(study, "map");
    game.PostClick(map.x, map.y);
    // The paper shows at the foot of the screen once the picture has come in.
    const int32_t x = int32_t(std::lround(250 * scale));
    const auto paper = [&](int32_t y) {
        const uint32_t c = Pixel({x, y});
        return std::abs(int((c >> 16) & 0xFF) - 0xD8) < 40 && std::abs(int((c >> 8) & 0xFF) - 0xC0) < 40;
    };
    ASSERT_TRUE(StepUntil([&] {
        return Variable(study, "mapsSeen") == 0u && paper(int32_t(std::lround(700 * scale))) &&
               paper(int32_t(std::lround(100 * scale)));
    }));
    ASSERT_TRUE(game.Step(20));
    // The rows of ink down the column, as reference rows.
    std::vector<int> ink;
    for (int32_t y = int32_t(std::lround(110 * scale)); y < int32_t(std::lround(760 * scale)); ++y) {
        const uint32_t c = Pixel({x, y});
        if (((c >> 16) & 0xFF) < 0x90 && ((c >> 8) & 0xFF) < 0x70) {
            const int row = int(std::lround(y / scale));
            if (ink.empty() || row - ink.back() > 10)
                ink.push_back(row);
        }
    }
    ASSERT_EQ(ink.size(), 3u) << ::testing::PrintToString(ink);
    const int expected[] = {144, 384, 624};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(ink[i], expected[i] - 3, 5) << i;
    EXPECT_EQ(game.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

}  // namespace
