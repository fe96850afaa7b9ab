// The builtins that move, scale, animate, pause, drag and turn items, played on the builtin
// fixture with its position and scaling managers stepped frame by frame: the hall's key, candle
// and book can go "open" (40 units down) from their unnamed place and grow "big"; the frame's
// corner can go "open" too.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "BuiltinFixture.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/FadeModes.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

constexpr uint32_t kKey = 0, kCandle = 1, kBook = 2;

// A call of up to three texts and a float, as the script hands them.
ScriptBuiltinCall Args(const char* a, const char* b = "", const char* c = "", float f = 0.0f, uint32_t at = 3)
{
    ScriptBuiltinCall call{};
    call.arguments[0] = reinterpret_cast<uintptr_t>(a);
    call.arguments[1] = reinterpret_cast<uintptr_t>(b);
    call.arguments[2] = reinterpret_cast<uintptr_t>(c);
    uint32_t bits = 0;
    std::memcpy(&bits, &f, 4);
    call.arguments[at] = bits;
    call.argumentCount = 4;
    return call;
}

void GivePlaces(ElementRecord* e, bool open)
{
    e->positionCount = open ? 2 : 1;
    e->pPositions = static_cast<NamedPosition*>(UTILS_CALLOC(2, sizeof(NamedPosition)));
    if (open)
        e->pPositions[1] = NamedPosition{0.0f, 40.0f, 0.0f, UtilsString_DupA("open")};
    e->scaleCount = 2;
    e->pScales = static_cast<NamedValue*>(UTILS_CALLOC(2, sizeof(NamedValue)));
    e->pScales[0].value = 1.0f;
    e->pScales[1] = NamedValue{2.0f, UtilsString_DupA("big")};
    e->size[0] = 120.0f;
    e->size[1] = 60.0f;
}

class MotionBuiltinsTest : public ::testing::Test {
protected:
    MotionBuiltinsTest()
    {
        WorldData* w = world.GetWorldData();
        world.SetManager(kManagerPosition, moves = new CPositionManager(w));
        world.SetManager(kManagerScaling, scalings = new CScalingManager(w));
    }
    ~MotionBuiltinsTest() override
    {
        world.SetManager(kManagerScaling, nullptr);
        world.SetManager(kManagerPosition, nullptr);
    }
    void Build(const std::string& script = "function OnStart() {}\n")
    {
        world.Build(script, "function OnStart() {}\n");
        ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
        world.hall->SetWanted(1);
        world.hall->SetModelLoaded(1);
        for (uint32_t i : {kKey, kCandle, kBook})
            GivePlaces(E(i), i != kBook || script.find("book") != std::string::npos);
        GivePlaces(world.frame->GetItemRecord(0), true);
    }
    ElementRecord* E(uint32_t i) { return world.hall->GetItemRecord(i); }
    // Frames of 1/30 s: the animators step, then the script queue.
    void Frames(uint32_t count)
    {
        world.GetWorldData()->frameTime = 1.0;
        for (uint32_t i = 0; i < count; ++i) {
            moves->Update();
            scalings->Update();
            world.Pump();
        }
    }
    Status Call(const char* name) { return CBuiltinWorld::Call(world.hall.get(), name); }
    uint32_t Global(const char* name) { return CBuiltinWorld::Global(world.hall.get(), name); }
    uint32_t WaitingCommands()
    {
        const CCommandListManager* commands = world.GetCommandListManager();
        uint32_t live = 0;
        for (uint32_t i = 0; i < commands->GetCount(); ++i)
            if (const CommandRecord* record = commands->GetRecord(i); record->magicIndex && !record->keep)
                ++live;
        return live;
    }

    CBuiltinWorld world;
    CPositionManager* moves = nullptr;
    CScalingManager* scalings = nullptr;
};

}  // namespace

TEST_F(MotionBuiltinsTest, PositionsAndScalesAreNamedAndAnUnknownWordFailsWhereItIsMet)
{
    Build();
    struct Row {
        Status (CObjectsBase::*builtin)(ScriptBuiltinCall&);
        const char *items, *name, *easing;
        Status status;
        uint32_t keyIndex, candleIndex;
        const char* trace;
    } rows[] = {
        {&CObjectsBase::setItemsPosition, "key", "open", "none", kStatusDoneStoreResult, 1, 0, ""},
        {&CObjectsBase::setItemsPosition, "key,candle", "default", "none", kStatusDoneStoreResult, 0, 0, ""},
        // An unknown easing changes nothing; a name an element lacks stops at it.
        {&CObjectsBase::setItemsPosition, "key", "open", "bouncy", kStatusFailed, 0, 0, "invalid position type bouncy"},
        {&CObjectsBase::setItemsPosition, "key,candle", "ajar", "none", kStatusFailed, 0, 0,
         "invalid position name ajar on key"},
        {&CObjectsBase::setItemsScale, "candle,key", "big", "none", kStatusDoneStoreResult, 1, 1, ""},
        {&CObjectsBase::setItemsScale, "key", "big", "wobbly", kStatusFailed, 1, 1, "invalid scale type wobbly"},
        {&CObjectsBase::setItemsScale, "candle,key", "huge", "none", kStatusFailed, 1, 1,
         "invalid scale name huge on candle"},
        {&CObjectsBase::setItemsScale, "key", "default", "none", kStatusDoneStoreResult, 0, 1, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.items) + " " + r.name + " " + r.easing);
        world.traces.clear();
        ScriptBuiltinCall call = Args(r.items, r.name, r.easing);
        EXPECT_EQ((world.hall.get()->*r.builtin)(call), r.status);
        const bool scale = r.builtin == &CObjectsBase::setItemsScale;
        EXPECT_EQ(scale ? E(kKey)->scaleIndex : E(kKey)->positionIndex, r.keyIndex);
        EXPECT_EQ(scale ? E(kCandle)->scaleIndex : E(kCandle)->positionIndex, r.candleIndex);
        EXPECT_EQ(world.traces.empty() ? "" : world.traces.back(), r.trace[0] ? std::string(": ") + r.trace : "");
        EXPECT_EQ(moves->GetCount() + scalings->GetCount(), 0u);
    }
}

// An element of another object moves by that object's animator, and its index changes there.
TEST_F(MotionBuiltinsTest, AnotherObjectsItemMovesInItsOwnObject)
{
    Build();
    ScriptBuiltinCall call = Args("@frame@corner", "open", "linear", 0.5f);
    ASSERT_EQ(world.hall->setItemsPosition(call), kStatusDoneStoreResult);
    ElementRecord* corner = world.frame->GetItemRecord(0);
    EXPECT_NE(corner->positionId, 0u);
    Frames(8);
    EXPECT_GT(corner->positionOffset[1], 0.0f);
    EXPECT_LT(corner->positionOffset[1], 40.0f);
    Frames(10);
    EXPECT_EQ(corner->positionId, 0u);
    EXPECT_EQ(corner->positionIndex, 1u);
    EXPECT_EQ(E(kKey)->positionIndex, 0u);

    call = Args("@frame@corner", "big", "outQuad", 0.5f);
    ASSERT_EQ(world.hall->setItemsScale(call), kStatusDoneStoreResult);
    EXPECT_NE(corner->scaleId, 0u);
    Frames(18);
    EXPECT_EQ(corner->scaleIndex, 1u);
}

TEST_F(MotionBuiltinsTest, AnItemIsAtAPositionOnlyAtRest)
{
    Build();
    const auto is = [&](const char* items, const char* name) {
        ScriptBuiltinCall call = Args(items, name);
        return world.hall->isItemsPosition(call);
    };
    EXPECT_EQ(is("key,candle", "default"), kStatusDoneStoreResult);
    EXPECT_EQ(is("", "open"), kStatusDoneStoreResult);
    EXPECT_EQ(is("key", "open"), kStatusDoneNoResult);
    EXPECT_EQ(is("key", "ajar"), kStatusDoneNoResult);
    // Dragged away from it, or on the way to another.
    E(kCandle)->dragOffset[0] = 3.0f;
    EXPECT_EQ(is("key,candle", "default"), kStatusDoneNoResult);
    E(kCandle)->dragOffset[0] = 0.0f;
    ScriptBuiltinCall move = Args("key", "open", "linear", 1.0f);
    ASSERT_EQ(world.hall->setItemsPosition(move), kStatusDoneStoreResult);
    Frames(2);
    EXPECT_EQ(is("key", "default"), kStatusDoneNoResult);
    EXPECT_EQ(is("key", "open"), kStatusDoneNoResult);
    Frames(30);
    EXPECT_EQ(is("key", "open"), kStatusDoneStoreResult);
}

// Three moves carry one command: the script goes on once, after the last, which a pause holds
// back until "resume"; "none" on the waiting form waits for nothing and leaves no command.
TEST_F(MotionBuiltinsTest, ThreeMovesResumeOnceAfterTheLastAndAPauseHoldsItBack)
{
    Build("var moved = 0;\n"
          "function Go() { _setItemsPosition(\"key,candle,book\", \"open\", \"linear\", 0.5); moved++; }\n"
          "function Hold() { setItemsCommand(\"book\", \"pause,whatever\", \"position\"); }\n"
          "function Free() { setItemsCommand(\"book\", \"resume\", \"scale,position\"); }\n"
          "function NoWords() { setItemsCommand(\"book\", \"pause\", \"\"); }\n"
          "function Now() { _setItemsPosition(\"key\", \"default\", \"none\", 0.5); moved = 10; }\n"
          "function NowScale() { _setItemsScale(\"key\", \"big\", \"none\", 0.5); moved = 20; }\n");
    ASSERT_EQ(Call("Go"), kStatusWait);
    EXPECT_EQ(WaitingCommands(), 1u);
    Frames(3);
    ASSERT_EQ(Call("Hold"), kStatusOk);
    EXPECT_EQ(E(kBook)->positionPaused, 1);
    const float held = E(kBook)->positionOffset[1];
    EXPECT_GT(held, 0.0f);
    Frames(30);
    EXPECT_EQ(E(kKey)->positionIndex, 1u);
    EXPECT_EQ(E(kCandle)->positionIndex, 1u);
    EXPECT_EQ(E(kBook)->positionOffset[1], held);
    EXPECT_EQ(Global("moved"), 0u);
    // Words for no animator change nothing.
    ASSERT_EQ(Call("NoWords"), kStatusOk);
    ASSERT_EQ(Call("Free"), kStatusOk);
    EXPECT_EQ(E(kBook)->positionPaused, 0);
    Frames(30);
    EXPECT_EQ(E(kBook)->positionIndex, 1u);
    EXPECT_EQ(Global("moved"), 1u);
    EXPECT_EQ(WaitingCommands(), 0u);

    EXPECT_EQ(Call("Now"), kStatusOk);
    EXPECT_EQ(Global("moved"), 10u);
    EXPECT_EQ(E(kKey)->positionIndex, 0u);
    EXPECT_EQ(Call("NowScale"), kStatusOk);
    EXPECT_EQ(Global("moved"), 20u);
    EXPECT_EQ(E(kKey)->scaleIndex, 1u);
    EXPECT_EQ(WaitingCommands(), 0u);
}

// A waiting call with a name that a later entry lacks starts nothing: a move already running
// with its freed command would later unlock whatever command took the record, and a wait on
// two scalings would go on after the first.
TEST_F(MotionBuiltinsTest, AWaitingCallWithAnUnknownNameStartsNoMove)
{
    Build("var scaled = 0;\n"
          "var moved = 0;\n"
          "function Items() { _setItemsPosition(\"key,book\", \"open\", \"linear\", 0.5); moved = 1; }\n"
          "function Scales() { _setItemsScale(\"key,book\", \"big\", \"linear\", 0.5); moved = 2; }\n"
          "function Objects() { _setObjectsPosition(\"frame,hall\", \"aside\", \"linear\", 0.5); moved = 3; }\n"
          "function Grow() { _setItemsScale(\"candle,book\", \"big\", \"linear\", 1.0); scaled = 1; }\n"
          "function Hold() { setItemsCommand(\"book\", \"pause\", \"scale\"); }\n"
          "function Free() { setItemsCommand(\"book\", \"resume\", \"scale\"); }\n");
    E(kBook)->positionCount = 1;
    E(kBook)->scaleCount = 1;
    ASSERT_GE(world.frame->FindOrAddObjectPosition("aside"), 1);
    struct Row {
        const char* function;
        const char* trace;
    } rows[] = {
        {"Items", "_setItemsPosition: invalid position name open on book"},
        {"Scales", "_setItemsScale: invalid scale name big on book"},
        {"Objects", "_setObjectsPosition: invalid position name aside on hall"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.function);
        world.traces.clear();
        EXPECT_EQ(Call(r.function), kStatusFailed);
        ASSERT_FALSE(world.traces.empty());
        EXPECT_EQ(world.traces.back(), r.trace);
        EXPECT_EQ(moves->GetCount() + scalings->GetCount(), 0u);
        EXPECT_EQ(WaitingCommands(), 0u);
    }

    E(kBook)->scaleCount = 2;
    ASSERT_EQ(Call("Items"), kStatusFailed);
    ASSERT_EQ(Call("Grow"), kStatusWait);
    ASSERT_EQ(Call("Hold"), kStatusOk);
    Frames(40);
    EXPECT_EQ(E(kCandle)->scaleIndex, 1u);
    EXPECT_EQ(E(kKey)->positionIndex, 0u);
    EXPECT_EQ(Global("scaled"), 0u);
    ASSERT_EQ(Call("Free"), kStatusOk);
    Frames(40);
    EXPECT_EQ(Global("scaled"), 1u);
    E(kBook)->positionCount = 2;
}

TEST_F(MotionBuiltinsTest, ObjectsMoveToTheirNamedPositions)
{
    Build("var moved = 0;\n"
          "function Go() { _setObjectsPosition(\"frame\", \"aside\", \"linear\", 0.5); moved = 1; }\n"
          "function Back() { setObjectsPosition(\"frame\", \"default\", \"none\", 0); }\n"
          "function Lost() { setObjectsPosition(\"frame\", \"nowhere\", \"none\", 0); }\n");
    ASSERT_GE(world.frame->FindOrAddObjectPosition("aside"), 1);
    ASSERT_EQ(Call("Go"), kStatusWait) << (world.traces.empty() ? "" : world.traces.back());
    Frames(20);
    EXPECT_EQ(Global("moved"), 1u);
    EXPECT_EQ(world.frame->GetSelectedPosition(), uint32_t(world.frame->FindObjectPosition("aside")));
    EXPECT_EQ(Call("Back"), kStatusOk);
    EXPECT_EQ(world.frame->GetSelectedPosition(), 0u);
    world.traces.clear();
    EXPECT_EQ(Call("Lost"), kStatusFailed);
    ASSERT_FALSE(world.traces.empty());
    EXPECT_EQ(world.traces.back(), "setObjectsPosition: invalid position name nowhere on frame");
}

// The waiting form waits on the first listed element's end, in its own object's list, and says
// that the others will not resume the script.
TEST_F(MotionBuiltinsTest, AnAnimationWaitsOnTheFirstItemsEnd)
{
    Build("var swung = 0;\n"
          "function Swing() { _setItemsAnimation(\"@frame@corner,key,candle\", \"swing\", \"invert\"); swung++; }\n"
          "function Loop() { setItemsAnimation(\"key,candle\", \"default\", \"\"); }\n"
          "function Play() { setItemsAnimation(\"key,candle\", \"swing\", \"\"); }\n"
          "function Lost() { setItemsAnimation(\"key,book\", \"swing\", \"\"); }\n"
          "function NoItems() { _setItemsAnimation(\"\", \"swing\", \"\"); swung = 5; }\n");
    world.hall->GiveSwings({kKey, kCandle}, "swing", 10.0f);
    world.frame->GiveSwings({0}, "swing", 10.0f);
    ASSERT_EQ(Call("Swing"), kStatusWait);
    EXPECT_EQ(world.traces.back(), "_setItemsAnimation: only the first listed elem will resume the script corner");
    EXPECT_EQ(world.severities.back(), kTraceWarning);
    EXPECT_EQ(E(kKey)->animationWaited, 1);
    EXPECT_EQ(E(kKey)->animationMode[0], 1);
    CCommandList* ends = world.frame->GetElementEndList(0);
    ASSERT_NE(ends, nullptr);
    EXPECT_EQ(world.hall->GetElementEndList(kKey), nullptr);
    ends->BurnAll(1, 1, 0, -1);
    world.Pump();
    EXPECT_EQ(Global("swung"), 1u);

    // The plain form plays the track word; an animation an element lacks fails there.
    ASSERT_EQ(Call("Loop"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "setItemsAnimation: invalid animation name default on key");
    ASSERT_EQ(Call("Lost"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "setItemsAnimation: invalid animation name swing on book");
    ASSERT_EQ(Call("Play"), kStatusOk);
    EXPECT_EQ(E(kKey)->animationWaited, 0);
    EXPECT_EQ(world.hall->GetElementTrack(kKey, kModifierRotation)->GetState().mode, uint32_t(kModifierRepeat));
    EXPECT_EQ(Call("NoItems"), kStatusOk);
    EXPECT_EQ(Global("swung"), 5u);
    EXPECT_EQ(WaitingCommands(), 0u);
}

// An animation of one key plays that key alone, each time, and keeps its record; only the
// activation of the current track plays a one-key track to the end (and records that end).
TEST_F(MotionBuiltinsTest, AnAnimationOfOneKeyPlaysThatKey)
{
    Build("function Play() { setItemsAnimation(\"key\", \"swing\", \"\"); }\n"
          "var played = 0;\n"
          "function Wait() { _setItemsAnimation(\"candle\", \"swing\", \"\"); played++; }\n");
    world.hall->GiveSwings({kKey, kCandle}, "swing", 10.0f);
    for (uint32_t element : {kKey, kCandle})
        E(element)->pTracks[0].lastKey = 0;
    ASSERT_EQ(Call("Play"), kStatusOk);
    ASSERT_EQ(Call("Play"), kStatusOk);
    ASSERT_EQ(Call("Wait"), kStatusWait);
    for (uint32_t element : {kKey, kCandle}) {
        SCOPED_TRACE(element);
        const C3DModifierState& state = world.hall->GetElementTrack(element, kModifierRotation)->GetState();
        EXPECT_EQ(state.rangeStart, 0u);
        EXPECT_EQ(state.rangeEnd, 1u);
        EXPECT_EQ(E(element)->pTracks[0].lastKey, 0u);
    }
    world.hall->RestartElementTrack(kKey);
    const uint32_t end = world.hall->GetElementTrack(kKey, kModifierRotation)->GetState().rangeEnd;
    EXPECT_GT(end, 1u);
    EXPECT_EQ(E(kKey)->pTracks[0].lastKey, end);
}

TEST_F(MotionBuiltinsTest, ARandomStartPutsEveryTrackOfAnItemAtOneFraction)
{
    Build();
    world.hall->GiveSwings({kKey, kCandle}, "swing", 10.0f);
    UtilsRandom_Seed(world.GetWorldData(), 1234);
    const uint32_t first = UtilsRandom_Next(world.GetWorldData()), second = UtilsRandom_Next(world.GetWorldData());
    UtilsRandom_Seed(world.GetWorldData(), 1234);
    ScriptBuiltinCall call = Args("key,candle");
    ASSERT_EQ(world.hall->setItemsAnimationRandom(call), kStatusDoneStoreResult);
    // Two keys of ten steps: the fraction of the whole track, in steps.
    for (auto [element, r] : {std::pair{kKey, first}, std::pair{kCandle, second}}) {
        const C3DModifierState& state = world.hall->GetElementTrack(element, kModifierRotation)->GetState();
        const float fraction = 0.05f + float(r) * 2.0954757e-10f;
        EXPECT_NEAR(float(state.currentKey) * 10.0f + state.time, fraction * 20.0f, 1e-3f) << element;
        EXPECT_EQ(E(element)->animationRandom, 1);
    }
}

// ---- drags and turns ---------------------------------------------------------------------------------

TEST_F(MotionBuiltinsTest, DragModesPlaceTheStartSnappedAndWrapped)
{
    Build();
    // The key is 120 x 60: a third of its width (the wrap's period) is 40, half of it 20.
    struct Row {
        const char* mode;
        float snap, start;
        uint32_t seed;
        float x, y;
    } rows[] = {
        // A randomized looped drag: the offset 7.109 draws, snapped to steps of 12, wrapped.
        {"fade_velocity_looped_randomized_x", 0.1f, 0.0f, 7, NAN, 0.0f},
        // Not randomized: back to its place.
        {"fade_velocity_looped_x", 0.25f, 33.0f, 0, 0.0f, 0.0f},
        {"none", 0.0f, 5.0f, 0, 0.0f, 0.0f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mode);
        E(kKey)->dragOffset[0] = r.start;
        E(kKey)->dragOffset[1] = r.start;
        float expected = r.x;
        if (std::isnan(expected)) {
            UtilsRandom_Seed(world.GetWorldData(), r.seed);
            const uint32_t n = UtilsRandom_Next(world.GetWorldData());
            expected = (r.snap + (1.0f - 2.0f * r.snap) * float(n) * 2.3283064e-10f) * 120.0f;
            ElementRecord probe = *E(kKey);
            probe.action = DragFadeModeFromName(r.mode);
            probe.snapFactor = r.snap;
            probe.dragOffset[0] = expected;
            CObjectsLevel::SnapElementOffset(&probe);
            CObjectsLevel::WrapElementOffset(&probe);
            // Outside (-12, 12) already: no push.
            ASSERT_GE(std::fabs(probe.dragOffset[0]), 12.0f) << "choose another seed";
            expected = probe.dragOffset[0];
            UtilsRandom_Seed(world.GetWorldData(), r.seed);
        }
        ScriptBuiltinCall call = Args("key", r.mode, "", r.snap, 2);
        ASSERT_EQ(world.hall->setItemsDraggable(call), kStatusDoneStoreResult);
        EXPECT_FLOAT_EQ(E(kKey)->dragOffset[0], expected);
        EXPECT_FLOAT_EQ(E(kKey)->dragOffset[1], r.y);
        EXPECT_EQ(E(kKey)->action, DragFadeModeFromName(r.mode));
        EXPECT_EQ(E(kKey)->snapFactor, r.snap);
    }
}

// The push-out: a looped strip whose snapped, wrapped start lies less than one step short of 0
// goes a step further, and is snapped and wrapped again.
TEST_F(MotionBuiltinsTest, AStartWithinAStepOfItsPlaceIsPushedOut)
{
    Build();
    ElementRecord* key = E(kKey);
    // Steps of 0.3 x 120 = 36; randomized starts between 36 and 84 wrap into (-20, 20]: at 48
    // the snap gives 36, the wrap (period 40) -4, inside (-36, 0): pushed to -40, snapped to -36,
    // wrapped to 4.
    key->action = DragFadeModeFromName("fade_velocity_looped_randomized_x");
    key->snapFactor = 0.3f;
    UtilsRandom_Seed(world.GetWorldData(), 99);
    ElementRecord probe = *key;
    world.hall->RandomizeElementOffset(&probe, 1, 0, 0.3f);
    CObjectsLevel::SnapElementOffset(&probe);
    CObjectsLevel::WrapElementOffset(&probe);
    const float wrapped = probe.dragOffset[0];
    ASSERT_TRUE(wrapped > -36.0f && wrapped < 0.0f) << wrapped << ": choose another seed";
    probe.dragOffset[0] -= 36.0f;
    CObjectsLevel::SnapElementOffset(&probe);
    CObjectsLevel::WrapElementOffset(&probe);
    UtilsRandom_Seed(world.GetWorldData(), 99);
    ScriptBuiltinCall call = Args("key", "fade_velocity_looped_randomized_x", "", 0.3f, 2);
    ASSERT_EQ(world.hall->setItemsDraggable(call), kStatusDoneStoreResult);
    EXPECT_FLOAT_EQ(key->dragOffset[0], probe.dragOffset[0]);
    EXPECT_NE(key->dragOffset[0], wrapped);
}

TEST_F(MotionBuiltinsTest, OnlyOwnItemsBecomeDraggableAndNoLongerClickable)
{
    Build("function F() { setItemsClickable(\"key,candle\", \"fade_hide\"); "
          "setItemsDraggable(\"key,@frame@corner,candle\", \"fade_hide\", 0); }\n"
          "function Same() { setItemDraggable(\"book\", \"none\", \"key\", \"key\"); }\n"
          "function Foreign() { setItemDraggable(\"@frame@corner\", \"none\", \"key\", \"book\"); }\n"
          "function D() { setItemDraggable(\"book\", \"none\", \"key\", \"candle\"); }\n"
          "function T() { setItemsRotable(\"key\", \"\"); }\n");
    E(kKey)->flags |= kElementFound;
    ASSERT_EQ(Call("F"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "setItemsDraggable: Item list must contains only items contained in the current object");
    EXPECT_EQ(E(kKey)->flags & (kElementClickable | kElementDraggable | kElementFound), kElementDraggable);
    EXPECT_EQ(E(kKey)->action, kFadeHide);
    // After the foreign item nothing changed.
    EXPECT_EQ(E(kCandle)->flags & (kElementClickable | kElementDraggable), kElementClickable);
    EXPECT_EQ(world.frame->GetItemRecord(0)->flags & kElementDraggable, 0u);

    ASSERT_EQ(Call("Same"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "setItemDraggable: Rendered item and dragged item must't be same item");
    EXPECT_EQ(E(kBook)->flags & kElementDraggable, 0u);
    ASSERT_EQ(Call("Foreign"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "setItemDraggable: Item must be contained in the current object");
    ASSERT_EQ(Call("D"), kStatusOk);
    EXPECT_EQ(E(kBook)->dragParameters[0], int32_t(kKey));
    EXPECT_EQ(E(kBook)->dragParameters[1], int32_t(kCandle));
    EXPECT_TRUE(E(kBook)->flags & kElementDraggable);

    ASSERT_EQ(Call("T"), kStatusOk);
    EXPECT_EQ(E(kKey)->flags & (kElementRotatable | kElementDraggable), kElementRotatable);
}

// The release after a turn burns the turned list of the object whose element turned.
TEST_F(MotionBuiltinsTest, ATurnReleaseResumesTheWaitingScript)
{
    Build("var turned = 0;\n"
          "function Wait() { _waitItemTurned(\"@frame@corner\", \"\"); turned = 1; }\n"
          "function Nothing() { _waitItemTurned(\"ghost\", \"\"); turned = 2; }\n");
    ASSERT_EQ(Call("Wait"), kStatusWait);
    EXPECT_TRUE(world.frame->GetItemRecord(0)->flags & kElementRotatable);
    EXPECT_EQ(world.hall->GetTurnedEventList(), nullptr);
    ASSERT_NE(world.frame->GetTurnedEventList(), nullptr);
    world.frame->GetTurnedEventList()->BurnAll(1, 1, 0, -1);
    world.Pump();
    EXPECT_EQ(Global("turned"), 1u);
    EXPECT_EQ(Call("Nothing"), kStatusFailed);
    EXPECT_EQ(Global("turned"), 1u);
    EXPECT_EQ(WaitingCommands(), 0u);
}
