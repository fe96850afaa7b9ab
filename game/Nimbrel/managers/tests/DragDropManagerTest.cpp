// The drag-and-drop manager: the rules a script declares, the drops it accepts or refuses, what
// they use up (the inventory bar's units among it), the answers, the glide home and the rules
// in the profile. A study of six elements side by side (element i under x from 100 i to
// 100 i + 100) holds the items and the places; an inventory bar holds three coins.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelManagers/CDragDropManager.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

// Element i lies under x from 100 i to 100 i + 100, whatever y.
template <class Base>
class SideBySide : public CFixtureObject<Base> {
public:
    using CFixtureObject<Base>::CFixtureObject;
    Status HitTestRecordedElement(float x, float, const HitRecord* pRecord) override
    {
        return pRecord && x >= 0.0f && pRecord->element == int32_t(x / 100.0f) ? kStatusOk : kStatusFailed;
    }
};

constexpr uint32_t kStudy = 3, kInventory = 4;
enum : uint32_t { kKey, kCoinPicture, kDrawer, kBox, kShelf, kLamp };
constexpr uint32_t kCoin = 3;   // of the bar
// The x of each study element's middle.
float At(uint32_t element) { return 100.0f * float(element) + 50.0f; }
constexpr float kNothing = 950.0f;

const char* const kStudyScript =
    "var accepted = 0;\n"
    "var refused = 0;\n"
    "var other = \"-\";\n"
    "var waited = 0;\n"
    "var grown = 0;\n"
    "function Fits(item, place) { accepted++; other = place; }\n"
    "function NoFit(item, place) { refused++; other = place; }\n"
    "function Redeclare(item, place) { accepted++; setItemDroppable(\"key\", \"lamp\", \"none\", \"Fits\", \"\"); }\n"
    "function WaitForTheDrop() { _setItemDroppable(\"key\", \"drawer,drawer\", \"consume_src\", \"Fits\", \"\");\n"
    "  setItemDroppable(\"key\", \"shelf\", \"none\", \"\", \"\"); waited = 1; }\n"
    "function Grow(item) { setItemDroppable(\"coin_picture\", \"shelf\", \"none\", \"\", \"\");\n"
    "  setItemDroppable(\"lamp\", \"shelf\", \"none\", \"\", \"\");\n"
    "  setItemDroppable(\"box\", \"shelf\", \"none\", \"\", \"\"); grown = 1; }\n"
    "function WatchTheDrawer() { onItemsClickFunction(\"drawer\", \"Grow\"); }\n";

class DragDropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Build("");
        WorldData* w = world.GetWorldData();
        study = std::make_unique<SideBySide<CObjectsLevelExploration>>(
            w, kStudy, kObjectKindExploration, "study",
            std::vector<const char*>{"key", "coin_picture", "drawer", "box", "shelf", "lamp"}, &world.requests);
        study->source = kStudyScript;
        bar = std::make_unique<SideBySide<CObjectsInterfaceToolbarInventory>>(
            w, kInventory, kObjectKindInventory, "inventory", std::vector<const char*>{"band", "prev", "next", "coin"},
            &world.requests);
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get(), study.get(), bar.get()});
        for (CObjectsBase* o : {static_cast<CObjectsBase*>(study.get()), static_cast<CObjectsBase*>(bar.get())}) {
            ASSERT_EQ(o->Load(), kStatusOk);
            o->SetShown(1);
        }
        study->SetWanted(1);
        bar->SetWanted(1);
        study->SetModelLoaded(1);
        bar->SetModelLoaded(1);
        study->SetLocked(0);
        bar->SetLocked(0);
        ASSERT_EQ(study->LoadScript(0, 0), kStatusOk);
        ElementRecord* band = bar->GetItemRecord(0);
        band->bounds[2] = 300.0f;
        band->bounds[3] = 50.0f;
        ScriptBuiltinCall words[3];
        const char* pairs[3][2] = {{"toolbar_boundingbox", "band"}, {"toolbar_click_prev", "prev"},
                                   {"toolbar_click_next", "next"}};
        for (int i = 0; i < 3; ++i) {
            words[i].arguments[0] = reinterpret_cast<uintptr_t>(pairs[i][0]);
            words[i].arguments[1] = reinterpret_cast<uintptr_t>(pairs[i][1]);
            words[i].argumentCount = 2;
            ASSERT_EQ(bar->CObjectsInterfaceToolbarInventory::setObjectParameters(words[i]), kStatusDoneStoreResult);
        }
        ASSERT_EQ(bar->CheckSetup(), kStatusOk);
        drops = new CDragDropManager(w);
        world.SetManager(kManagerDragDrop, drops);
        ASSERT_EQ(drops->Load(), kStatusOk);
    }
    void TearDown() override
    {
        world.SetManager(kManagerDragDrop, nullptr);
        world.Fades()->RemoveAll();
        world.Objects()->Forget();
        study.reset();
        bar.reset();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get()});
    }

    Status Declare(const char* item, const char* places, const char* words, const char* answer = "Fits",
                   const char* refused = "NoFit", CObjectsBase* owner = nullptr)
    {
        owner = owner ? owner : study.get();
        return drops->AddTarget(owner->GetObjectNumber(), item, places, words, answer, refused,
                                BuiltinReport{"setItemDroppable", 0, 0});
    }
    ElementRecord* Study(uint32_t i) { return study->GetItemRecord(i); }
    // The item moved by the player, then let go over the element's middle (or anywhere).
    Status DropAt(float x, CObjectsBase* owner = nullptr, uint32_t item = kKey)
    {
        owner = owner ? owner : study.get();
        ElementRecord* e = owner->GetItemRecord(item);
        drops->EndReturn();
        e->dragOffset[0] = 40.0f;
        e->dragOffset[1] = -12.0f;
        return drops->Drop(x, 10.0f, e->dropRecord, owner->GetObjectNumber(), item, result);
    }
    uint32_t Global(const char* name) { return CBuiltinWorld::Global(study.get(), name); }
    std::string Other() { return CBuiltinWorld::GlobalText(study.get(), "other"); }

    CBuiltinWorld world;
    std::unique_ptr<SideBySide<CObjectsLevelExploration>> study;
    std::unique_ptr<SideBySide<CObjectsInterfaceToolbarInventory>> bar;
    CDragDropManager* drops = nullptr;
    uint32_t result[kDropResultWords] = {};
};

TEST_F(DragDropTest, RestrictionWordsSetTheRuleOrLeaveNothingDeclared)
{
    struct Case {
        const char* places;
        const char* words;
        const char* answer;
        Status status;
        uint32_t source, destination;
    };
    const Case cases[] = {
        {"drawer,box,shelf", "consume_src_on_and", "Fits", kStatusOk, 3, 0},
        {"drawer,box", "consume_src", "Fits", kStatusOk, 1, 0},
        {"drawer", "consume_dst,none", "Fits", kStatusOk, 0, 0},
        {"drawer", "none,consume_dst", "Fits", kStatusOk, 0, 1},
        {"drawer,drawer", "consume_src_on_or,consume_dst", "@study@Fits", kStatusOk, 1, 1},
        // Nothing half-declared: no place marked, the item not made draggable.
        {"drawer,box", "consume_dst,consume_everything", "Fits", kStatusFailed, 0, 0},
        {"drawer", "none", "@attic", kStatusFailed, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.places) + " " + c.words);
        world.traces.clear();
        ASSERT_EQ(Declare("key", c.places, c.words, c.answer), c.status);
        const DropRule* rule = drops->GetRule(Study(kKey)->dropRecord);
        if (c.status == kStatusFailed) {
            EXPECT_EQ(Study(kKey)->dropRecord, 0u);
            EXPECT_EQ(Study(kKey)->flags & (kElementDraggable | kElementHasDropRecord), 0u);
            EXPECT_EQ(Study(kDrawer)->flags & kElementDropTarget, 0u);
            EXPECT_EQ(Study(kDrawer)->placeUses, 0u);
            ASSERT_EQ(world.traces.size(), 1u);
            continue;
        }
        ASSERT_NE(rule, nullptr);
        EXPECT_EQ(rule->consumeSource, c.source);
        EXPECT_EQ(rule->consumeDestination, c.destination);
        EXPECT_EQ(Study(kKey)->flags & (kElementDraggable | kElementHasDropRecord | kElementClickable),
                  kElementDraggable | kElementHasDropRecord);
        EXPECT_NE(Study(kDrawer)->flags & kElementDropTarget, 0u);
        study->RemoveElementDropTarget(Study(kKey));
        Study(kKey)->flags &= ~(kElementDraggable | kElementHasDropRecord);
        EXPECT_EQ(Study(kDrawer)->flags & kElementDropTarget, 0u);
        EXPECT_EQ(Study(kDrawer)->placeUses, 0u);
    }
    EXPECT_EQ(world.traces.back(), "setItemDroppable: unrecognized object @attic");
    world.traces.clear();
    EXPECT_EQ(Declare("key", "drawer", "consume_everything"), kStatusFailed);
    EXPECT_EQ(world.traces.back(), "setItemDroppable: unrecognize restriction consume_everything");
    EXPECT_EQ(Declare("ghost", "drawer", "none"), kStatusFailed);
}

// An answer in a level that is not there is answered in the dragged item's own object: the
// rule stands, and the script is warned of the level.
TEST_F(DragDropTest, AnAnswerInAnUnknownLevelIsAnsweredInTheItemsObject)
{
    world.traces.clear();
    world.severities.clear();
    ASSERT_EQ(Declare("key", "drawer", "none", "@attic@Fits", "@cellar@NoFit"), kStatusOk);
    EXPECT_EQ(world.traces, (std::vector<std::string>{"setItemDroppable: unrecognized object attic",
                                                      "setItemDroppable: unrecognized object cellar"}));
    EXPECT_EQ(world.severities, (std::vector<uint32_t>{kTraceWarning, kTraceWarning}));
    const DropRule* rule = drops->GetRule(Study(kKey)->dropRecord);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->refusedLevel, -1);
    ASSERT_EQ(rule->placeCount, 1u);
    EXPECT_EQ(rule->pPlaces[0].answerLevel, -1);
    EXPECT_EQ(Study(kKey)->flags & (kElementDraggable | kElementHasDropRecord),
              kElementDraggable | kElementHasDropRecord);
    EXPECT_EQ(DropAt(kNothing), kStatusFailed);
    EXPECT_EQ(Global("refused"), 1u);
    EXPECT_EQ(DropAt(At(kDrawer)), kStatusOk);
    EXPECT_EQ(Global("accepted"), 1u);
    EXPECT_EQ(Other(), "drawer");
}

TEST_F(DragDropTest, EveryPlaceMustTakeTheItemBeforeItIsUsedUp)
{
    ASSERT_EQ(Declare("key", "drawer,box,shelf", "consume_src_on_and,consume_dst"), kStatusOk);
    Study(kDrawer)->flags |= kElementClickable;
    // The first place takes it and marks itself found; the key goes home.
    EXPECT_EQ(DropAt(At(kDrawer)), kStatusOk);
    EXPECT_EQ(result[2], kStudy);
    EXPECT_EQ(result[3], uint32_t(kDrawer));
    EXPECT_EQ(drops->GetReturningElement(), int32_t(kKey));
    EXPECT_NE(Study(kDrawer)->flags & kElementFound, 0u);
    EXPECT_EQ(Global("accepted"), 1u);
    // Used: the drawer refuses the key now, and the refused answer names it.
    EXPECT_EQ(DropAt(At(kDrawer)), kStatusFailed);
    EXPECT_EQ(Global("refused"), 1u);
    EXPECT_EQ(Other(), "drawer");
    EXPECT_EQ(DropAt(At(kBox)), kStatusOk);
    EXPECT_NE(Study(kKey)->dropRecord, 0u);
    EXPECT_EQ(DropAt(At(kShelf)), kStatusOk);
    EXPECT_EQ(Global("accepted"), 3u);
    EXPECT_EQ(Other(), "shelf");
    // Used up: found, fading out where it was let go, its rule gone with the places' marks.
    EXPECT_EQ(Study(kKey)->dropRecord, 0u);
    EXPECT_NE(Study(kKey)->flags & kElementFound, 0u);
    EXPECT_NE(Study(kKey)->fadeId, 0u);
    EXPECT_FLOAT_EQ(Study(kKey)->dragOffset[0], 40.0f);
    for (uint32_t place : {kDrawer, kBox, kShelf})
        EXPECT_EQ(Study(place)->flags & kElementDropTarget, 0u) << place;
}

TEST_F(DragDropTest, APlaceNamedTwiceTakesTwoCoinsOfTheBarAndRefusesTheThird)
{
    ASSERT_EQ(bar->AddItem(kCoin, 3), kStatusOk);
    ASSERT_EQ(Declare("coin", "@study@box,@study@box", "consume_src", "@study@Fits", "@study@NoFit", bar.get()),
              kStatusOk);
    const DropRule* rule = drops->GetRule(bar->GetItemRecord(kCoin)->dropRecord);
    ASSERT_NE(rule, nullptr);
    ASSERT_EQ(rule->placeCount, 1u);
    EXPECT_EQ(rule->pPlaces[0].uses, 2);
    // The first drop uses the box once and sends the coin home.
    EXPECT_EQ(DropAt(At(kBox), bar.get(), kCoin), kStatusOk);
    EXPECT_EQ(drops->GetReturningElement(), int32_t(kCoin));
    EXPECT_EQ(bar->GetPlace(0)->count, 3u);
    // The second uses the box up and takes a coin from the bar: two are left, home at once.
    EXPECT_EQ(DropAt(At(kBox), bar.get(), kCoin), kStatusOk);
    EXPECT_EQ(bar->GetPlace(0)->count, 2u);
    EXPECT_EQ(bar->GetItemRecord(kCoin)->dragOffset[0], 0.0f);
    EXPECT_EQ(bar->GetItemRecord(kCoin)->flags & kElementLocked, 0u);
    EXPECT_EQ(Global("accepted"), 2u);
    EXPECT_EQ(DropAt(At(kBox), bar.get(), kCoin), kStatusFailed);
    EXPECT_EQ(Global("refused"), 1u);
    EXPECT_EQ(bar->GetPlace(0)->count, 2u);
}

TEST_F(DragDropTest, RefusedAnswersComeOnlyForAMovedItemAndNameWhatIsUnderIt)
{
    ASSERT_EQ(Declare("key", "drawer", "none"), kStatusOk);
    // Let go where it was picked up: home, no answer.
    ElementRecord* key = Study(kKey);
    EXPECT_EQ(drops->Drop(kNothing, 10.0f, key->dropRecord, kStudy, kKey, result), kStatusFailed);
    EXPECT_EQ(Global("refused"), 0u);
    // Moved onto nothing: the empty name.
    EXPECT_EQ(DropAt(kNothing), kStatusFailed);
    EXPECT_EQ(Global("refused"), 1u);
    EXPECT_EQ(Other(), "");
    EXPECT_NE(key->flags & kElementLocked, 0u);
}

TEST_F(DragDropTest, TheReturnGlidesHomeOnOutSinOverEightUnits)
{
    ASSERT_EQ(Declare("key", "drawer", "none"), kStatusOk);
    ASSERT_EQ(DropAt(kNothing), kStatusFailed);
    ElementRecord* key = Study(kKey);
    world.GetWorldData()->frameTime = 1.0;
    for (int frame = 1; frame <= 9; ++frame) {
        drops->Update();
        const float timer = 1.0f - float(frame) / 8.0f;
        if (timer < 0.0f) {
            EXPECT_EQ(key->dragOffset[0], 0.0f);
            EXPECT_EQ(key->flags & kElementLocked, 0u);
            EXPECT_EQ(drops->GetReturningElement(), -1);
            continue;
        }
        EXPECT_NEAR(key->dragOffset[0], 40.0f * UtilsEasing_OutSin(timer), 1e-4f) << frame;
        EXPECT_NEAR(key->dragOffset[1], -12.0f * UtilsEasing_OutSin(timer), 1e-4f) << frame;
    }
    // A press on another item ends a glide at once.
    ASSERT_EQ(DropAt(kNothing), kStatusFailed);
    drops->EndReturn();
    EXPECT_EQ(key->dragOffset[0], 0.0f);
}

TEST_F(DragDropTest, AnswersAndResumedScriptsMayReplaceTheRuleTheyCameFrom)
{
    // The answer declares the key's rule again: the rule it was called from is gone.
    ASSERT_EQ(Declare("key", "drawer,drawer", "consume_src", "Redeclare"), kStatusOk);
    EXPECT_EQ(DropAt(At(kDrawer)), kStatusOk);
    EXPECT_EQ(Global("accepted"), 1u);
    const DropRule* rule = drops->GetRule(Study(kKey)->dropRecord);
    ASSERT_NE(rule, nullptr);
    ASSERT_EQ(rule->placeCount, 1u);
    EXPECT_EQ(rule->pPlaces[0].element, uint32_t(kLamp));
    EXPECT_EQ(Study(kDrawer)->flags & kElementDropTarget, 0u);
}

// The place's click, run by the drop that finds it, declares rules and moves the rule array
// under the drop.
TEST_F(DragDropTest, APlaceFoundByTheDropMayDeclareRules)
{
    ASSERT_EQ(Declare("key", "drawer", "consume_dst"), kStatusOk);
    Study(kDrawer)->flags |= kElementClickable;
    ASSERT_EQ(CBuiltinWorld::Call(study.get(), "WatchTheDrawer"), kStatusOk);
    EXPECT_EQ(DropAt(At(kDrawer)), kStatusOk);
    EXPECT_EQ(Global("grown"), 1u);
    EXPECT_EQ(Global("accepted"), 1u);
    EXPECT_NE(Study(kDrawer)->flags & kElementFound, 0u);
    // The key is used up; the rules the click declared stand.
    EXPECT_EQ(Study(kKey)->dropRecord, 0u);
    EXPECT_NE(Study(kKey)->flags & kElementFound, 0u);
    for (uint32_t item : {kCoinPicture, kLamp, kBox}) {
        const DropRule* rule = drops->GetRule(Study(item)->dropRecord);
        ASSERT_NE(rule, nullptr) << item;
        EXPECT_EQ(rule->element, item);
        EXPECT_EQ(rule->pPlaces[0].element, uint32_t(kShelf));
    }
}

TEST_F(DragDropTest, AWaitingScriptGoesOnWithTheDrop)
{
    // The waiting script goes on with the drop and makes the shelf the only place.
    ASSERT_EQ(CBuiltinWorld::Call(study.get(), "WaitForTheDrop"), kStatusWait);
    EXPECT_EQ(drops->GetCommandList()->GetCount(), 1u);
    EXPECT_EQ(DropAt(At(kDrawer)), kStatusOk);
    world.Pump();
    EXPECT_EQ(Global("waited"), 1u);
    EXPECT_EQ(Global("accepted"), 1u);
    EXPECT_EQ(drops->GetCommandList()->GetCount(), 0u);
    const DropRule* rule = drops->GetRule(Study(kKey)->dropRecord);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->pPlaces[0].element, uint32_t(kShelf));
    EXPECT_EQ(rule->pPlaces[0].uses, 1);
}

TEST_F(DragDropTest, ThePointerOverAPlaceFindsIt)
{
    ASSERT_EQ(Declare("key", "box", "none"), kStatusOk);
    HitRecord hit;
    EXPECT_EQ(study->UpdateCursorState(At(kBox), 10.0f, &hit), kStatusOk);
    EXPECT_EQ(hit.element, int32_t(kBox));
    hit = HitRecord{};
    study->UpdateCursorState(At(kShelf), 10.0f, &hit);
    EXPECT_NE(hit.element, int32_t(kBox));
    // A place whose object is hidden takes no drop.
    study->SetShown(0);
    EXPECT_EQ(drops->FindPlaceAt(Study(kKey)->dropRecord, At(kBox), 10.0f), -1);
}

TEST_F(DragDropTest, TheRulesComeBackFromTheProfileAndDamageIsRefused)
{
    ASSERT_EQ(Declare("key", "drawer,box", "consume_src_on_and,consume_dst", "@study@Fits", "NoFit"), kStatusOk);
    ASSERT_EQ(Declare("lamp", "shelf", "none", "", ""), kStatusOk);
    ASSERT_EQ(Declare("coin_picture", "shelf", "none", "", ""), kStatusOk);
    study->RemoveElementDropTarget(Study(kLamp));   // a free slot between two rules

    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    UtilsStream_ChunkList chunks(&stream);
    UtilsStream_Chunk* chunk = chunks.CreateChunk(150000, nullptr);
    ASSERT_EQ(drops->SaveToStream(&chunks, chunk), kStatusOk);
    ASSERT_TRUE(chunks.WriteAll());
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    const std::vector<uint8_t> bytes(block, block + stream.GetSize());
    stream.Close();
    const auto load = [&](std::vector<uint8_t> data) {
        UtilsStream_Static in(kStreamRead, data.data(), uint32_t(data.size()));
        in.Open();
        UtilsStream_ChunkList read(&in);
        UtilsStream_Chunk* c = read.ReadFirst();
        const Status status = c ? drops->LoadFromStream(c) : kStatusFailed;
        in.Close();
        return status;
    };
    ASSERT_EQ(load(bytes), kStatusOk);
    ASSERT_EQ(drops->GetRuleCount(), 3u);
    const DropRule* key = drops->GetRule(1);
    const DropRule* picture = drops->GetRule(3);
    ASSERT_TRUE(key && picture);
    EXPECT_EQ(drops->GetRule(2), nullptr);
    EXPECT_EQ(key->element, uint32_t(kKey));
    EXPECT_EQ(key->consumeSource, 2u);
    EXPECT_EQ(key->consumeDestination, 1u);
    ASSERT_EQ(key->placeCount, 2u);
    EXPECT_EQ(key->pPlaces[1].element, uint32_t(kBox));
    EXPECT_EQ(key->pPlaces[0].answerLevel, int32_t(kStudy));
    EXPECT_STREQ(key->pPlaces[0].pAnswer, "Fits");
    EXPECT_EQ(key->refusedLevel, -1);
    EXPECT_STREQ(key->pRefused, "NoFit");
    EXPECT_EQ(picture->pPlaces[0].element, uint32_t(kShelf));
    EXPECT_EQ(picture->pRefused, nullptr);

    // The payload: the rule count; the key's presence byte, index, object, element, two
    // consume words and place count; the first place's uses, object and element.
    const size_t at = bytes.size() - (chunk->GetPayloadSize());
    struct Damage {
        size_t offset;
        uint32_t word;
        const char* what;
    };
    const Damage damages[] = {
        {at, 0x10000000u, "more rules than bytes"},
        {at + 5, 1, "a rule out of its slot"},
        {at + 9, 9, "an object past the scene"},
        {at + 13, 6, "an element past the study's"},
        {at + 25, 0x01000000u, "more places than bytes"},
        {at + 33, 9, "a place in an object past the scene"},
        {at + 37, 6, "a place past the study's elements"},
        {at + 29, 0xFFFFFFFEu, "a place's uses below -1"},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(&damaged[d.offset], &d.word, 4);
        EXPECT_EQ(load(damaged), kStatusFailed) << d.what;
        EXPECT_EQ(drops->GetRuleCount(), 0u) << d.what;
    }
}

}  // namespace
