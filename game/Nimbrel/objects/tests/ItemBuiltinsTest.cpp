// The item builtins of the seek-and-find core: visibility and fades, clicks and click waits,
// click functions, locks, the event waits (the finish of a level among them) and counts.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "BuiltinFixture.h"
#include "FixedFont.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelManagers/FadeModes.h"

namespace {

constexpr uint32_t kHostWord = 4;

// A call record of texts, then optional floats, as the call adapter makes it.
ScriptBuiltinCall Record(std::initializer_list<const char*> texts, std::initializer_list<float> floats = {})
{
    ScriptBuiltinCall call{};
    uint32_t i = 0;
    for (const char* text : texts)
        call.arguments[i++] = reinterpret_cast<uintptr_t>(text);
    for (float value : floats) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        call.arguments[i++] = bits;
    }
    call.argumentCount = i;
    call.hostWord = kHostWord;
    return call;
}

// Commands of the command list manager that are armed and not an object's own.
uint32_t LiveCommands(CCommandListManager* commands)
{
    uint32_t live = 0;
    for (uint32_t i = 0; i < commands->GetCount(); ++i)
        if (const CommandRecord* record = commands->GetRecord(i); record->magicIndex && !record->keep)
            ++live;
    return live;
}

uint32_t ListCount(const CCommandList* list)
{
    return list ? list->GetCount() : 0;
}

class ItemBuiltinsTest : public ::testing::Test {
protected:
    ElementRecord* Hall(uint32_t i) { return world.hall->GetItemRecord(i); }
    ElementRecord* Frame(uint32_t i) { return world.frame->GetItemRecord(i); }
    uint32_t Live() { return LiveCommands(world.GetCommandListManager()); }

    CBuiltinWorld world;
};

}  // namespace

TEST_F(ItemBuiltinsTest, FlagRules)
{
    world.Build("");
    using Builtin = Status (CObjectsBase::*)(ScriptBuiltinCall&);
    struct Case {
        const char* name;
        Builtin builtin;
        const char* mode;
        uint32_t before, after;
        uint32_t action;
    };
    const uint32_t all = kElementFound | kElementRotatable | kElementHasDropRecord | kElementDraggable;
    const Case cases[] = {
        {"clickable clears the other kinds and found", &CObjectsBase::setItemsClickable, "fade_hide",
         all | kElementHidden | kElementLocked, kElementClickable | kElementHidden | kElementLocked, kFadeHide},
        {"clickable with no fade", &CObjectsBase::setItemsClickable, "none", kElementFound, kElementClickable, 0},
        {"consumed sets found", &CObjectsBase::setItemsConsumed, nullptr, kElementClickable,
         kElementClickable | kElementFound, 0x77},
        {"locked", &CObjectsBase::setItemsLocked, nullptr, kElementHidden, kElementHidden | kElementLocked, 0x77},
        {"unlocked", &CObjectsBase::setItemsUnlocked, nullptr, kElementLocked | kElementFound, kElementFound, 0x77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t i = 0; i < 3; ++i) {
            Hall(i)->flags = c.before;
            Hall(i)->action = 0x77;
        }
        auto call = Record({"key,book", c.mode});
        EXPECT_EQ((world.hall.get()->*c.builtin)(call), kStatusDoneStoreResult);
        for (uint32_t i : {0u, 2u}) {
            EXPECT_EQ(Hall(i)->flags, c.after);
            EXPECT_EQ(Hall(i)->action, c.action);
        }
        EXPECT_EQ(Hall(1)->flags, c.before);
    }

    // Invert twice gives back what each element had.
    Hall(0)->flags = kElementHidden;
    Hall(0)->alpha = 0.0f;
    Hall(1)->flags = kElementClickable;
    Hall(1)->alpha = 1.0f;
    auto call = Record({"key,candle"});
    EXPECT_EQ(world.hall->setItemsInvert(call), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags, 0u);
    EXPECT_EQ(Hall(0)->alpha, 1.0f);
    EXPECT_EQ(Hall(1)->flags, kElementClickable | kElementHidden);
    EXPECT_EQ(Hall(1)->alpha, 0.0f);
    EXPECT_EQ(world.hall->setItemsInvert(call), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags, kElementHidden);
    EXPECT_EQ(Hall(0)->alpha, 0.0f);
    EXPECT_EQ(Hall(1)->flags, kElementClickable);
    EXPECT_EQ(Hall(1)->alpha, 1.0f);
}

TEST_F(ItemBuiltinsTest, VisibilityOfAnotherObjectsItem)
{
    world.Build("");
    Frame(0)->flags = kElementHidden;
    Frame(0)->alpha = 0.0f;
    auto call = Record({"@frame@corner"});
    EXPECT_EQ(world.hall->setItemsShow(call), kStatusDoneStoreResult);
    EXPECT_EQ(Frame(0)->flags, 0u);
    EXPECT_EQ(Frame(0)->alpha, 1.0f);

    // The waiting form takes the calling object's own items only, and leaves nothing behind.
    const uint32_t live = Live();
    EXPECT_EQ(world.hall->_setItemsHide(call), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": invalid out of object item @frame@corner");
    EXPECT_EQ(Live(), live);
    EXPECT_EQ(Frame(0)->fadeId, 0u);
    auto mixed = Record({"key,@frame@corner"});
    EXPECT_EQ(world.hall->_setItemsShow(mixed), kStatusFailed);
    EXPECT_EQ(Hall(0)->fadeId, 0u);
    EXPECT_EQ(Live(), live);
    // A list of nothing starts no fade: the script goes on, with no command left.
    auto none = Record({"nothing"});
    EXPECT_EQ(world.hall->_setItemsShow(none), kStatusDoneStoreResult);
    EXPECT_EQ(Live(), live);
}

TEST_F(ItemBuiltinsTest, FadeModesAndTimes)
{
    world.Build("");
    const uint32_t live = Live();
    auto none = Record({"key", "none"}, {0.5f});
    EXPECT_EQ(world.hall->setItemsFade(none), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": invalid item fade none");
    EXPECT_EQ(world.hall->_setItemsFade(none), kStatusFailed);
    auto zero = Record({"key", "fade_hide"}, {0.0f});
    EXPECT_EQ(world.hall->_setItemsFade(zero), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": invalid time fade, use setItemsShow or setItemsHide instead");
    EXPECT_EQ(Live(), live);

    // Forced: hidden at once, nothing to wait for.
    auto forced = Record({"key", "force_hide"}, {0.5f});
    EXPECT_EQ(world.hall->_setItemsFade(forced), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags & kElementHidden, kElementHidden);
    EXPECT_EQ(Hall(0)->action, FadeModeFromName("force_hide"));
    EXPECT_EQ(Live(), live);

    // A fade on another object's element runs on that object, and the element keeps its id.
    world.frame->SetWanted(1);
    auto foreign = Record({"@frame@corner", "fade_hide"}, {0.5f});
    EXPECT_EQ(world.hall->setItemsFade(foreign), kStatusDoneStoreResult);
    ASSERT_NE(Frame(0)->fadeId, 0u);
    EXPECT_EQ(Hall(0)->fadeId, 0u);
    const CFadeItem* fade = world.Fades()->GetFade(Frame(0)->fadeId);
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->GetObjectIndex(), 1u);
    EXPECT_EQ(fade->GetElementIndex(), 0u);
    world.Frames(20);
    EXPECT_EQ(Frame(0)->flags & kElementHidden, kElementHidden);
    EXPECT_EQ(Frame(0)->fadeId, 0u);
}

TEST_F(ItemBuiltinsTest, AFadeWaitResumesOnceAfterTheLastFade)
{
    world.Build("function hideAll() { _setItemsFade(\"key,candle,book\", \"fade_hide\", 0.5);\n"
                "  setObjectParameters(\"after\", \"fade\"); }\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.hall->SetWanted(1);
    world.hall->GetScript()->SetEventMask(0x0FFFFFFFu);
    ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "hideAll"), kStatusWait);
    // Half a second is fifteen frames; the last fade started last.
    world.Frames(14);
    EXPECT_TRUE(world.hall->parameters.empty());
    EXPECT_GT(Hall(2)->alpha, 0.0f);
    world.Frames(4);
    EXPECT_EQ(world.hall->parameters, (std::vector<std::string>{"after=fade"}));
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(Hall(i)->flags & kElementHidden, kElementHidden) << i;
    EXPECT_EQ(Live(), 0u);
}

TEST_F(ItemBuiltinsTest, AClickWaitListensOnTheElementsOwnObject)
{
    world.Build("function waitCorner() { if (_waitItemClicked(\"@frame@corner\", \"fade_hide\") == 5)\n"
                "  setObjectParameters(\"after\", \"click 5\"); }\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.hall->SetWanted(1);
    world.hall->GetScript()->SetEventMask(0x0FFFFFFFu);
    ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "waitCorner"), kStatusWait);
    EXPECT_EQ(Frame(0)->flags, kElementClickable);
    EXPECT_EQ(Frame(0)->action, kFadeHide);
    EXPECT_EQ(ListCount(world.hall->GetElementClickList(0)), 0u);
    ASSERT_EQ(ListCount(world.frame->GetElementClickList(0)), 1u);
    world.frame->GetElementClickList(0)->BurnAll(kCommandEventClick, 1, 0, 5);
    world.Pump();
    EXPECT_EQ(world.hall->parameters, (std::vector<std::string>{"after=click 5"}));

    auto nothing = Record({"nothing", "none"});
    EXPECT_EQ(world.hall->_waitItemClicked(nothing), kStatusFailed);
    auto tail = Record({"key", "none"});
    tail.tail = 1;
    EXPECT_EQ(world.hall->_waitItemClicked(tail), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags, kElementClickable);
    EXPECT_EQ(Live(), 0u);
}

TEST_F(ItemBuiltinsTest, ClickFunctionsRunPerClickUntilTheElementGoes)
{
    world.Build("var clicks = 0;\n"
                "function onFind(item) { clicks++; }\n"
                "function setup() { onItemsClickFunction(\"key,candle\", \"onFind\");\n"
                "  setItemsClickable(\"candle\", \"fade_hide\"); }\n",
                "var clicks = 0;\n"
                "function onFind(item) { clicks++; }\n"
                "function setup() { onItemsClickFunction(\"corner\", \"onFind\"); }\n");
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.hall->SetWanted(1);
    world.hall->GetScript()->SetEventMask(0x0FFFFFFFu);
    ASSERT_EQ(world.frame->LoadScript(0, 0), kStatusOk);
    world.frame->SetWanted(1);
    world.frame->GetScript()->SetEventMask(0x0FFFFFFFu);
    ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "setup"), kStatusOk);
    ASSERT_EQ(CBuiltinWorld::Call(world.frame.get(), "setup"), kStatusOk);
    // A plain element keeps its callback; a hiding one spends it on the first click.
    for (int i = 0; i < 2; ++i) {
        world.hall->GetElementClickList(0)->BurnAll(kCommandEventClick, 0, 0, 0);
        world.hall->GetElementClickList(1)->BurnAll(kCommandEventClick, 0, 1, 0);
        world.Pump();
    }
    EXPECT_EQ(CBuiltinWorld::Global(world.hall.get(), "clicks"), 3u);
    EXPECT_EQ(ListCount(world.hall->GetElementClickList(0)), 1u);
    EXPECT_EQ(ListCount(world.hall->GetElementClickList(1)), 0u);
    // Set again, the old callback goes: one call per click still.
    auto again = Record({"key", "onFind"});
    EXPECT_EQ(world.hall->onItemsClickFunction(again), kStatusDoneStoreResult);
    EXPECT_EQ(ListCount(world.hall->GetElementClickList(0)), 1u);

    // Another object's element: its callback would call this script with the owner's handler.
    auto foreign = Record({"@frame@corner", "onFind"});
    EXPECT_EQ(world.hall->onItemsClickFunction(foreign), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": invalid out of object item @frame@corner");
    // Cleared through another object, the element's own list loses its callback; the caller's
    // list at the same index keeps its own.
    Frame(0)->loadOnClick = 1;
    auto clear = Record({"@frame@corner"});
    EXPECT_EQ(world.hall->onItemsClickNull(clear), kStatusDoneStoreResult);
    EXPECT_EQ(Frame(0)->loadOnClick, 0);
    EXPECT_EQ(ListCount(world.frame->GetElementClickList(0)), 0u);
    EXPECT_EQ(ListCount(world.hall->GetElementClickList(0)), 1u);
    EXPECT_EQ(Live(), 1u);
}

TEST_F(ItemBuiltinsTest, ClickableAndLoadAddsTheTargetsLevelHandleOnce)
{
    world.Build("");
    auto call = Record({"key", "frame"});
    Hall(0)->action = kFadeHide;
    EXPECT_EQ(world.hall->setItemsClickableAndLoad(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.hall->setItemsClickableAndLoad(call), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags, kElementClickable);
    EXPECT_EQ(Hall(0)->action, 0u);
    EXPECT_EQ(Hall(0)->loadOnClick, 1);
    ASSERT_EQ(ListCount(world.hall->GetElementClickList(0)), 1u);
    EXPECT_EQ(world.hall->GetElementClickList(0)->GetHandle(0)->magicIndex, world.frame->GetLevelHandle().magicIndex);

    auto unknown = Record({"key", "attic"});
    EXPECT_EQ(world.hall->setItemsClickableAndLoad(unknown), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": unrecognized object attic");
    auto bar = Record({"key", "bar"});
    EXPECT_EQ(world.hall->setItemsClickableAndLoad(bar), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": unrecognized loadable object bar");
}

TEST_F(ItemBuiltinsTest, EventWaits)
{
    world.Build("");
    auto clicked = Record({"clicked"});
    EXPECT_EQ(world.hall->_waitForEvent(clicked), kStatusWait);
    EXPECT_EQ(Live(), 1u);
    clicked.tail = 1;
    EXPECT_EQ(world.hall->_waitForEvent(clicked), kStatusDoneStoreResult);
    EXPECT_EQ(Live(), 1u);
    auto dragged = Record({"dragged"});
    EXPECT_EQ(world.hall->_waitForEvent(dragged), kStatusWait);
    EXPECT_EQ(ListCount(world.hall->GetDraggedEventList()), 1u);
    auto bad = Record({"opened"});
    EXPECT_EQ(world.hall->_waitForEvent(bad), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": invalid event name opened");
    // "finished" belongs to the mini-game levels.
    auto finished = Record({"finished"});
    EXPECT_EQ(world.hall->_waitForEvent(finished), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": command not allowed in this type of object finished");
    EXPECT_EQ(world.bar->_waitForEvent(finished), kStatusFailed);
    EXPECT_EQ(Live(), 2u);
    // A level's own answer ends the builtin: done is done, a status is passed on.
    world.frame->onCommand = [](CObjectsBase*, const char* command) {
        return std::strcmp(command, "pause") == 0 ? kStatusOk : kStatusFailed;
    };
    auto pause = Record({"pause"});
    EXPECT_EQ(world.frame->_waitForEvent(pause), kStatusDoneStoreResult);
}

TEST_F(ItemBuiltinsTest, FinishedResumesTheWaitingCall)
{
    const char* script = "function waitFinish() {\n"
                         "  if (_waitForEvent(\"finished\") == 1) { setObjectParameters(\"finish\", \"1\"); }\n"
                         "  else { setObjectParameters(\"finish\", \"0\"); }\n"
                         "}\n";
    world.Build("", script);
    CFixtureEmptyLevel* frame = world.frame.get();
    ASSERT_EQ(frame->LoadScript(0, 0), kStatusOk);
    frame->SetWanted(1);
    frame->GetScript()->SetEventMask(0x0FFFFFFFu);

    ASSERT_EQ(CBuiltinWorld::Call(frame, "waitFinish"), kStatusWait);
    EXPECT_EQ(Live(), 0u);
    EXPECT_TRUE(frame->Finish(1));
    world.Pump();
    EXPECT_EQ(frame->parameters, (std::vector<std::string>{"finish=1"}));

    // A finish with no waiter is kept for the next one; "reset" drops it.
    frame->OnCommand("reset");
    frame->Finish(1);
    frame->OnCommand("reset");
    ASSERT_EQ(CBuiltinWorld::Call(frame, "waitFinish"), kStatusWait);
    world.Pump();
    EXPECT_EQ(frame->parameters.size(), 1u);
    frame->Finish(1);
    world.Pump();
    EXPECT_EQ(frame->parameters, (std::vector<std::string>{"finish=1", "finish=1"}));

    // The level finishes inside its own answer to "finished" (a timed mini-game that is over).
    frame->OnCommand("reset");
    frame->onCommand = [](CObjectsBase* object, const char* command) {
        if (std::strcmp(command, "finished") != 0)
            return kStatusFailed;
        object->Finish(0);
        return kStatusWait;
    };
    ASSERT_EQ(CBuiltinWorld::Call(frame, "waitFinish"), kStatusWait);
    world.Pump();
    EXPECT_EQ(frame->parameters, (std::vector<std::string>{"finish=1", "finish=1", "finish=0"}));
}

TEST_F(ItemBuiltinsTest, CountsByRestrictionAndOperator)
{
    world.Build("");
    Hall(0)->flags = kElementFound;   // key: found, shown
    Hall(1)->flags = kElementHidden;  // candle: hidden
    Hall(2)->flags = kElementClickable;  // book: neither
    struct Case {
        const char* items;
        const char* restrictions;
        const char* op;
        uint32_t result;
    };
    const Case cases[] = {
        {"*", "none", "count", 3},       {"*", "consumed", "count", 1},
        {"*", "unconsumed", "count", 2}, {"*", "showed", "count", 2},
        {"*", "hidden", "count", 1},     {"*", "unconsumed,showed", "count", 1},
        {"*", "consumed, showed", "count", 1}, {"*", "consumed,hidden", "count", 0},
        {"*", "consumed", "or", 1},      {"*", "consumed", "and", 0},
        {"key", "consumed", "and", 1},   {"candle,book", "unconsumed", "and", 1},
        {"", "none", "and", 0},          {"", "none", "or", 0},
        {"nothing", "none", "count", 0},
    };
    for (const Case& c : cases) {
        auto call = Record({c.items, c.restrictions, c.op});
        EXPECT_EQ(world.hall->getItemsCount(call), kStatusDoneStoreResult) << c.items << " " << c.restrictions;
        EXPECT_EQ(call.resultValue, c.result) << c.items << " " << c.restrictions << " " << c.op;
    }
    struct Refusal {
        const char* items;
        const char* restrictions;
        const char* op;
        const char* trace;
    };
    const Refusal refusals[] = {
        {"*", "consumed,bright", "count", ": unrecognize restriction bright"},
        {"*", "none", "xor", ": unrecognize operator xor"},
        {"key,@frame@corner", "none", "count", ": Item list must contains only items contained in the current object"},
    };
    for (const Refusal& r : refusals) {
        auto call = Record({r.items, r.restrictions, r.op});
        EXPECT_EQ(world.hall->getItemsCount(call), kStatusFailed);
        EXPECT_EQ(world.traces.back(), r.trace);
    }
}

// The texts of items: the score counted on the first listed item, the popup text, the colour,
// and the place of an item in its looped drag.
class TextBuiltinsTest : public ItemBuiltinsTest {
protected:
    void SetUp() override
    {
        world.Build("");
        WorldData* w = world.GetWorldData();
        w->pMath->SetIdentity(w->game.view.matrixScene);
        world.SetSecondFont(&font);
        ElementRecord* key = Hall(0);
        key->size[0] = 10.0f;
        key->size[1] = 20.0f;
        const float bounds[4] = {-50.0f, -20.0f, 50.0f, 20.0f};
        std::memcpy(key->bounds, bounds, sizeof bounds);
    }
    void TearDown() override { world.SetSecondFont(nullptr); }

    CFixedFont font{world.GetWorldData()};
};

TEST_F(TextBuiltinsTest, ScoresChangeByTheirOperationAndWrapAsThirtyTwoBits)
{
    const struct {
        const char* operation;
        float value;
        int32_t score;
    } steps[] = {
        {"", 100.0f, 100},          {"add_score", 50.0f, 150},   {"mul_score", 2.7f, 300},
        {"set", 7.0f, 7},           {"add_score", 3e10f, INT32_MIN + 6},  // clamped, then wrapped
        {"other", -2.9f, -2},       {"mul_score", -1e10f, 0},
    };
    for (const auto& s : steps) {
        auto call = Record({"key,candle", s.operation, "outQuad"}, {s.value, 1.0f});
        ASSERT_EQ(world.hall->setItemTextScore(call), kStatusDoneStoreResult) << s.operation << " " << s.value;
        EXPECT_EQ(Hall(0)->score, s.score) << s.operation << " " << s.value;
        ASSERT_NE(Hall(0)->pNumberText, nullptr);
        EXPECT_EQ(Hall(0)->pNumberText->GetTarget(), uint32_t(s.score));
        EXPECT_FLOAT_EQ(Hall(0)->pNumberText->GetRemaining(), 30.0f);
    }
    // Only the first listed item counts; an unknown curve changes nothing.
    EXPECT_EQ(Hall(1)->pNumberText, nullptr);
    EXPECT_EQ(Hall(0)->scoreEasing, uint32_t(FindEasingIndex("outQuad")));
    auto bad = Record({"key", "add_score", "bounce"}, {5.0f, 1.0f});
    EXPECT_EQ(world.hall->setItemTextScore(bad), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": invalid ease type bounce");
    EXPECT_EQ(Hall(0)->score, 0);
    auto none = Record({"nothing", "", "linear"}, {5.0f, 1.0f});
    EXPECT_EQ(world.hall->setItemTextScore(none), kStatusDoneStoreResult);
}

TEST_F(TextBuiltinsTest, PopupTextAndColourOfTheListedItems)
{
    auto clear = Record({"key", ""});
    Hall(0)->textStringId = 3;
    EXPECT_EQ(world.hall->setItemsText(clear), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->textStringId, -1);
    auto unknown = Record({"key", "welcome"});
    EXPECT_EQ(world.hall->setItemsText(unknown), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": unrecognize popup name welcome");

    const struct {
        const char* colour;
        uint32_t value;
        uint8_t own;
    } colours[] = {{"0x80FF0000", 0x80FF0000u, 1}, {"default", 0, 0}, {"0xFF00FF00", 0xFF00FF00u, 1}, {"", 0, 0},
                   {"red", 0, 1},
                   // Malformed values read as every colour word reads them: eight characters
                   // after a lower-case "0x", no fewer.
                   {"0x80ff00", 0, 1}, {"0X80FF0000", 0, 1}, {"0x80FF0000ab", 0x80FF0000u, 1},
                   {"0x80FF000G", 0x80FF0000u, 1}};
    for (const auto& c : colours) {
        auto call = Record({"key,candle", c.colour});
        EXPECT_EQ(world.hall->setItemsTextColor(call), kStatusDoneStoreResult);
        for (uint32_t i : {0u, 1u}) {
            EXPECT_EQ(Hall(i)->textColor, c.value) << c.colour;
            EXPECT_EQ(Hall(i)->ownTextColor, c.own) << c.colour;
        }
    }
    auto parameters = Record({"key", "anything=1"});
    EXPECT_EQ(world.hall->setItemParameters(parameters), kStatusDoneStoreResult);
}

TEST_F(TextBuiltinsTest, DragPlacesAmongTheBaseAndTheirRefusals)
{
    ElementRecord* key = Hall(0);  // 10 wide, 20 high
    key->fadeVelocityFactor = 1.0f;
    const struct {
        float dx, dy;
        const char* parameters;
        uint32_t result;
    } cases[] = {
        {-15.0f, 0.0f, "get_drag_x_pos_with_base=4", 1},  // 1.5 widths the negative way
        {15.0f, 0.0f, "get_drag_x_pos_with_base=4", 3},   // -1 raised into the base
        {-95.0f, 0.0f, "get_drag_x_pos_with_base=4", 1},  // 9 taken modulo
        {0.0f, -90.0f, "get_drag_y_pos_with_base=3", 1},
        {1e30f, 0.0f, "get_drag_x_pos_with_base=4", 0},   // clamped to 32 bits first
        {-15.0f, -90.0f, "other,get_drag_x_pos_with_base=4,get_drag_y_pos_with_base=3", 1},
    };
    for (const auto& c : cases) {
        key->dragOffset[0] = c.dx;
        key->dragOffset[1] = c.dy;
        auto call = Record({"key", c.parameters});
        ASSERT_EQ(world.hall->getItemParameters(call), kStatusDoneStoreResult) << c.parameters;
        EXPECT_EQ(call.resultValue, c.result) << c.dx << " " << c.dy << " " << c.parameters;
    }
    // A base of 0 or less is refused (it looped for ever); a size of 0 gives place 0.
    for (const char* base : {"get_drag_x_pos_with_base=0", "get_drag_y_pos_with_base=-2"}) {
        auto call = Record({"key", base});
        EXPECT_EQ(world.hall->getItemParameters(call), kStatusFailed);
        EXPECT_EQ(world.traces.back(), ": invalid parameters");
    }
    key->size[0] = 0.0f;
    auto zero = Record({"key", "get_drag_x_pos_with_base=4"});
    EXPECT_EQ(world.hall->getItemParameters(zero), kStatusDoneStoreResult);
    EXPECT_EQ(zero.resultValue, 0u);
    key->fadeVelocityFactor = 0.0f;
    auto still = Record({"key", "get_drag_y_pos_with_base=4"});
    EXPECT_EQ(world.hall->getItemParameters(still), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": get_drag_y_pos_with_base must specifies an item with "
                                   "fade_velocity_looped_(randomized)_y parameter");
}

// The particle command's parameters pick the frame, texture, time and colour; a score pop-up
// reads its number; another command does nothing, and each succeeds.
TEST_F(ItemBuiltinsTest, ParticlesOnItemsByCommand)
{
    world.Build("");
    auto* particles = new CParticules(world.GetWorldData());
    world.SetManager(kManagerParticles, particles);
    const auto last = [&] { return static_cast<CParticule*>(particles->GetParticles().GetLast()); };
    const struct {
        const char* command;
        const char* parameters;
        uint32_t count, texture, firstGroup, lastGroup, color;
        const char16_t* text;
    } cases[] = {
        {"add_particule_star", "size=2,quarter=3", 1, 1, 10, 10, 0xFFFFFFFFu, nullptr},
        {"add_particule_star", "", 1, 1, 16, 16, 0xFFFFFFFFu, nullptr},   // the defaults
        {"add_particule_star", "quarter=0,texture=firework", 1, 0, 16, 16, 0xFFFFFFFFu, nullptr},
        {"add_particule_star", "size=3,quarter=9,texture=extra,texture=sparkle", 1, 3, 15, 15, 0xFFFFFFFFu, nullptr},
        {"add_particule_pulse", "texture=star,quarter=-4,other", 1, 1, 19, 19, 0xFFFFFFFFu, nullptr},
        {"add_particule_star", "texture=pulse,size=1,size=9,quarter=7,color=0x80FF0000", 1, 2, 19, 19, 0x80FF0000u, nullptr},
        {"add_particule_pulse", "color=0x80FF0000,texture=extra", 1, 3, 16, 16, 0xFFFFFFFFu, nullptr},
        {"add_particule_text", "-2.9", 1, 1, kParticleGroupCount, kParticleGroupCount, 0xFF0000u, u"-2"},
        // Held within 32 bits before the truncation.
        {"add_particule_text", "1e30", 1, 1, kParticleGroupCount, kParticleGroupCount, 0x00FF00u, u"+2147483647"},
        {"add_particule_text", "-1e30", 1, 1, kParticleGroupCount, kParticleGroupCount, 0xFF0000u, u"-2147483648"},
        // Explosions take the smallest size and a random frame from the quarter on.
        {"add_particule_explosion_around", "size=3,quarter=2", 15, 1, 5, 7, 0xFFFFFFFFu, nullptr},
        {"add_particule_fountain", "size=2", 0, 0, 0, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        particles->RemoveAll();
        ScriptBuiltinCall call = Record({"key,candle", c.command, c.parameters});
        EXPECT_EQ(world.hall->addParticulesOnItems(call), kStatusDoneStoreResult) << c.command;
        EXPECT_GE(particles->GetParticleCount(), 2 * c.count) << c.command << " " << c.parameters;
        if (!c.count) {
            EXPECT_EQ(particles->GetParticleCount(), 0u);
            continue;
        }
        EXPECT_EQ(last()->GetTextureIndex(), c.texture) << c.parameters;
        EXPECT_GE(last()->GetGroup(), c.firstGroup) << c.parameters;
        EXPECT_LE(last()->GetGroup(), c.lastGroup) << c.parameters;
        if (auto* text = dynamic_cast<CParticuleText*>(last())) {
            EXPECT_EQ(std::u16string(text->GetText()), c.text);
            EXPECT_EQ(text->GetColor() & 0xFFFFFFu, c.color);
        } else {
            EXPECT_EQ(last()->GetColor() & 0xFFFFFFu, c.color & 0xFFFFFFu) << c.parameters;
        }
    }
    world.SetManager(kManagerParticles, nullptr);
}
