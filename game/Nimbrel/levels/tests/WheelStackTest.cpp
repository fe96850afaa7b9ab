// The wheel stack board and level: the words and their lookups, the click rules in their order,
// drags to the nearest target and their releases, wheel drags and their snapping, the animation
// and the win test, "reset", the tags written again, the saved groups (a wheel item above 255
// included) and a breadth-first search over the sample's placements.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelWheelStack.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The sample's layout: a stack of three on the left, a wheel of two slots ("in" on its left,
// "out" on its right), a stack of three on the right.
const std::vector<const char*> kNames = {"wheel", "left_0", "left_1", "left_2", "slot_in", "slot_out", "right_0",
                                         "right_1", "right_2", "red", "green", "blue"};
const std::map<std::string, std::pair<float, float>> kPoints = {
    {"wheel", {512, 384}},   {"left_0", {200, 500}},  {"left_1", {200, 440}},  {"left_2", {200, 380}},
    {"slot_in", {412, 384}}, {"slot_out", {612, 384}}, {"right_0", {824, 500}}, {"right_1", {824, 440}},
    {"right_2", {824, 380}}};

class TestHost : public WheelStackHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    int32_t FindItem(const char* name) override
    {
        for (size_t i = 0; i < kNames.size(); ++i)
            if (std::strcmp(kNames[i], name) == 0)
                return int32_t(i);
        return -1;
    }
    const char* ItemName(int32_t item) override { return item >= 0 && size_t(item) < kNames.size() ? kNames[item] : nullptr; }
    void TagItem(int32_t item, int32_t tag) override { tags[item] = tag; }
    void PlacePoint(int32_t dummy, int32_t wheel, float angle, float* p) override
    {
        const auto& d = kPoints.at(kNames[dummy]);
        p[0] = d.first, p[1] = d.second, p[2] = 0.0f;
        if (wheel < 0)
            return;
        const auto& c = kPoints.at(kNames[wheel]);
        const float x = p[0] - c.first, y = p[1] - c.second;
        p[0] = c.first + x * std::cos(angle) - y * std::sin(angle);
        p[1] = c.second + x * std::sin(angle) + y * std::cos(angle);
    }
    void PlayItemSound(int32_t item) override { sounds.push_back(kNames[item]); }
    void PlayNull() override { sounds.push_back("null"); }

    std::map<int32_t, int32_t> tags;
    std::vector<std::string> sounds;
    std::vector<uint8_t> finishes;
};

Status Word(WheelStackBoard& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// The sample's words, in the sample script's order.
const std::vector<std::pair<const char*, const char*>> kSampleWords = {
    {"wheel_stack_register_group", "group_name=left,group_type=stack"},
    {"wheel_stack_register_group", "group_name=wheel,wheel_item_name=wheel,group_type=wheel"},
    {"wheel_stack_register_group", "group_name=right,group_type=stack"},
    {"wheel_stack_register_sub_group", "group_name=wheel,sub_group_name=in,sub_group_name=out"},
    {"wheel_stack_register_dummy", "group_name=left,dummy_item_name=left_0,linked_item_name=blue,"
                                   "dummy_item_name=left_1,linked_item_name=green,"
                                   "dummy_item_name=left_2,linked_item_name=red"},
    {"wheel_stack_register_dummy", "group_name=in,dummy_item_name=slot_in"},
    {"wheel_stack_register_dummy", "group_name=out,dummy_item_name=slot_out"},
    {"wheel_stack_register_dummy", "group_name=right,dummy_item_name=right_0,finished_item_name=red,"
                                   "dummy_item_name=right_1,finished_item_name=green,"
                                   "dummy_item_name=right_2,finished_item_name=blue"},
    {"wheel_stack_link_groups", "group_name_src=left,group_name_dst=in"},
    {"wheel_stack_link_groups", "group_name_src=out,group_name_dst=right"},
    {"wheel_stack_enable_dragging", "on"},
};
// The sample's click list: each disc to the wheel, the wheel round, the disc out.
const std::vector<const char*> kSampleClicks = {"left_2", "wheel", "slot_out", "left_1", "wheel",
                                                "slot_out", "left_0", "wheel", "slot_out"};

class WheelStack : public ::testing::Test {
protected:
    void Configure(const std::vector<std::pair<const char*, const char*>>& words = kSampleWords)
    {
        for (const auto& [name, value] : words)
            ASSERT_EQ(Word(board, name, value), kStatusDoneStoreResult) << name << " " << value;
    }
    int32_t Tag(const char* name) { return host.tags.at(host.FindItem(name)); }
    void Click(const char* name) { board.Click(Tag(name)); }
    // Every running animation to its end.
    void Settle()
    {
        for (int frame = 0; frame < 10; ++frame)
            board.Step(1.0f);
    }
    std::string Text() const
    {
        char text[256];
        board.Print(text, sizeof text);
        return text;
    }

    TestHost host;
    WheelStackBoard board{&host};
};

TEST_F(WheelStack, WordsLookupsAndTags)
{
    // Without a name nothing is added and the word is still taken.
    EXPECT_EQ(Word(board, "wheel_stack_register_group", "group_type=wheel"), kStatusDoneStoreResult);
    EXPECT_EQ(board.GroupCount(), 0u);
    EXPECT_EQ(board.CheckSetup(), kStatusFailed);
    Configure();
    EXPECT_EQ(board.CheckSetup(), kStatusOk);
    const std::pair<const char*, const char*> refused[] = {
        {"wheel_stack_register_group", "group_name=left"},                 // the name exists
        {"wheel_stack_register_group", "group_name=axle,group_type=wheel"},  // a wheel without its item
        {"wheel_stack_register_group", "group_name=x,group_kind=stack"},   // an unknown token
        {"wheel_stack_register_group", "group_name=x,wheel_item_name=ghost"},
        {"wheel_stack_register_sub_group", "group_name=in,sub_group_name=x"},  // sub groups of groups only
        {"wheel_stack_register_sub_group", "sub_group_name=x"},
        {"wheel_stack_register_sub_group", "group_name=wheel,sub_group_name=right"},
        {"wheel_stack_register_dummy", "dummy_item_name=red"},
        {"wheel_stack_register_dummy", "group_name=left,linked_item_name=red"},
        {"wheel_stack_register_dummy", "group_name=nowhere,dummy_item_name=red"},
        {"wheel_stack_link_groups", "group_name_src=left,group_name_dst=wheel"},  // a wheel group as a whole
        {"wheel_stack_link_groups", "group_name_src=left"},
        {"wheel_stack_link_groups", "group_name_src=left,group_name_dst=ghost"},
    };
    for (const auto& [name, value] : refused)
        EXPECT_EQ(Word(board, name, value), kStatusFailed) << name << " " << value;
    EXPECT_EQ(board.GroupCount(), 3u);
    EXPECT_EQ(Word(board, "wheel_stack_enable_dragging", "maybe"), kStatusDoneStoreResult);
    EXPECT_TRUE(board.DraggingEnabled());
    EXPECT_EQ(Word(board, "wheel_stack_unknown", "x"), kStatusDoneStoreResult);
    EXPECT_EQ(Text(), "wheelstack left[blue,green,red] wheel r0 {in[-] out[-]} right[-,-,-]");
    // Wheel 0xFF <group> 0xFF 0xFF, dummies 0xFF <group> <sub group or 0xFF> <place>, items 0.
    EXPECT_EQ(uint32_t(Tag("wheel")), 0xFF01FFFFu);
    EXPECT_EQ(uint32_t(Tag("left_2")), 0xFF00FF02u);
    EXPECT_EQ(uint32_t(Tag("slot_out")), 0xFF010100u);
    EXPECT_EQ(Tag("red"), 0);
    EXPECT_EQ(WheelStackTag::Of(Tag("slot_out")).kind, WheelStackTag::kDummy);
    EXPECT_EQ(WheelStackTag::Of(-1).kind, WheelStackTag::kNone);
    // 254 groups at most.
    for (int g = 3; g < 254; ++g)
        ASSERT_EQ(Word(board, "wheel_stack_register_group", ("group_name=g" + std::to_string(g)).c_str()),
                  kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "wheel_stack_register_group", "group_name=last"), kStatusFailed);
    EXPECT_EQ(board.GroupCount(), 254u);
    EXPECT_EQ(Word(board, "wheel_stack_reset_groups", ""), kStatusDoneStoreResult);
    EXPECT_EQ(Text(), "wheelstack no groups");
}

TEST_F(WheelStack, TheClickRulesInTheirOrder)
{
    Configure();
    const struct {
        const char* click;
        const char* sound;
        const char* board;
    } steps[] = {
        {"left_1", "null", "left[blue,green,red] wheel r0 {in[-] out[-]}"},   // an item above it
        {"red", "null", "left[blue,green,red] wheel r0 {in[-] out[-]}"},      // a movable item
        {"slot_in", "slot_in", "left[blue,green,red] wheel r1 {in[-] out[-]}"},  // an empty slot turns
        {"slot_in", "slot_in", "left[blue,green,red] wheel r0 {in[-] out[-]}"},
        {"left_2", "left_2", "left[blue,green,-] wheel r0 {in[red] out[-]}"},
        {"left_2", "null", "left[blue,green,-] wheel r0 {in[red] out[-]}"},   // an empty place
        {"slot_in", "null", "left[blue,green,-] wheel r0 {in[red] out[-]}"},  // its slot has no link
        {"wheel", "wheel", "left[blue,green,-] wheel r1 {in[red] out[-]}"},
        // The link to slot "in" reaches the sub group shown there now.
        {"left_1", "left_1", "left[blue,-,-] wheel r1 {in[red] out[green]}"},
        {"slot_out", "slot_out", "left[blue,-,-] wheel r1 {in[-] out[green]} right[red,-,-]"},
    };
    for (const auto& s : steps) {
        host.sounds.clear();
        Click(s.click);
        EXPECT_EQ(host.sounds, std::vector<std::string>{s.sound}) << s.click;
        EXPECT_EQ(Text().find(s.board), 11u) << s.click << ": " << Text();
        // Nothing is taken while the turn or the move runs.
        if (board.Animation() != kWheelStackIdle) {
            host.sounds.clear();
            Click("wheel");
            EXPECT_EQ(host.sounds, std::vector<std::string>{"null"}) << s.click;
        }
        Settle();
    }
    EXPECT_EQ(host.finishes, (std::vector<uint8_t>{0, 0, 0}));
    // "reset": rotations 0 and the initial items back.
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(Text(), "wheelstack left[blue,green,red] wheel r0 {in[-] out[-]} right[-,-,-]");
}

TEST_F(WheelStack, AMoveAnimatesFromItsSourceAndTheWinTestRunsAtItsEnd)
{
    Configure();
    Click("left_2");
    EXPECT_EQ(board.Animation(), kWheelStackMove);
    const WheelStackPlaceRef in{1, 0, 0};
    EXPECT_TRUE(board.MovingPlace() == in);
    // From the left stack's top to the slot: the offset goes back to where it left.
    EXPECT_FLOAT_EQ(board.Offset()[0], 200.0f - 412.0f);
    EXPECT_FLOAT_EQ(board.Offset()[1], 380.0f - 384.0f);
    EXPECT_EQ(board.StartAngle(), 0.0f);
    for (int frame = 0; frame < 6; ++frame)
        board.Step(1.0f);
    EXPECT_EQ(board.Animation(), kWheelStackMove);
    board.Step(1.0f);
    EXPECT_EQ(board.Animation(), kWheelStackIdle);
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{0});
    // An item leaving slot "out" starts at its half turn; the turn's residual eases to 0.
    Click("wheel");
    EXPECT_FLOAT_EQ(board.WheelAngle(1), kPi - kPi);
    board.Step(1.0f);
    EXPECT_NEAR(board.WheelAngle(1), kPi * 0.15f, 1e-5f);
    Settle();
    Click("slot_out");
    EXPECT_FLOAT_EQ(board.StartAngle(), kPi);
}

TEST_F(WheelStack, FullColumnsTwoLinksAndAWheelWithoutSlots)
{
    Configure({{"wheel_stack_register_group", "group_name=a"},
               {"wheel_stack_register_group", "group_name=b"},
               {"wheel_stack_register_group", "group_name=c"},
               {"wheel_stack_register_group", "group_name=bare,group_type=wheel,wheel_item_name=wheel"},
               {"wheel_stack_register_dummy", "group_name=a,dummy_item_name=left_0,linked_item_name=red"},
               {"wheel_stack_register_dummy", "group_name=b,dummy_item_name=right_0,linked_item_name=green"},
               {"wheel_stack_register_dummy", "group_name=c,dummy_item_name=right_1"},
               {"wheel_stack_register_dummy", "group_name=bare,dummy_item_name=slot_in"},
               {"wheel_stack_link_groups", "group_name_src=a,group_name_dst=b"},
               {"wheel_stack_link_groups", "group_name_src=b,group_name_dst=c"},
               {"wheel_stack_link_groups", "group_name_src=b,group_name_dst=a"},
               {"wheel_stack_enable_dragging", "on"}});
    // A full destination, a stack of two links, a wheel without slots: the null click.
    for (const char* click : {"left_0", "right_0", "wheel", "slot_in"}) {
        host.sounds.clear();
        Click(click);
        EXPECT_EQ(host.sounds, std::vector<std::string>{"null"}) << click;
        EXPECT_EQ(board.Animation(), kWheelStackIdle) << click;
    }
    EXPECT_EQ(board.Press(Tag("wheel"), host.FindItem("wheel")), kStatusFailed);
    // The stack of two links drags: one target per link with a free place.
    ASSERT_EQ(board.Press(Tag("right_0"), host.FindItem("right_0")), kStatusOk);
    EXPECT_EQ(board.TargetCount(), 1u);
    // Toward right_1 (0, -60): the nearest target is taken, past half the way it moves at once.
    const float p[3] = {0.0f, -40.0f, 0.0f};
    board.Drag(p);
    EXPECT_FLOAT_EQ(board.Offset()[1], -40.0f);
    EXPECT_EQ(board.Release(p), kStatusOk);
    EXPECT_EQ(Text(), "wheelstack a[red] b[-] c[green] bare r0 {}");
    // With no expected item anywhere the first completed move solves.
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
}

TEST_F(WheelStack, DragReleasesAlongEachAxis)
{
    const struct {
        const char* to;  // right_0 lies 624 to the right, left_0 60 below left_1
        float x, y;
        Status status;
        bool moved;
        const char* sound;
    } releases[] = {
        {"right", 0.4f, 0.0f, kStatusOk, false, "null"},
        {"right", 0.6f, 0.0f, kStatusOk, true, "left_1"},
        {"right", 0.0f, 0.0f, kStatusFailed, false, ""},
        {"down", 0.0f, 0.4f, kStatusOk, false, "null"},
        {"down", 0.0f, 0.6f, kStatusOk, true, "left_1"},
        {"down", 0.0f, 0.05f, kStatusFailed, false, ""},
    };
    for (const auto& r : releases) {
        SCOPED_TRACE(std::string(r.to) + " " + std::to_string(r.x + r.y));
        TestHost h;
        WheelStackBoard b(&h);
        const bool right = std::strcmp(r.to, "right") == 0;
        for (const auto& [name, value] : std::vector<std::pair<const char*, const char*>>{
                 {"wheel_stack_register_group", "group_name=from"},
                 {"wheel_stack_register_group", "group_name=to"},
                 {"wheel_stack_register_dummy", "group_name=from,dummy_item_name=left_1,linked_item_name=red"},
                 {"wheel_stack_register_dummy", right ? "group_name=to,dummy_item_name=right_1,finished_item_name=red"
                                                      : "group_name=to,dummy_item_name=left_0,finished_item_name=red"},
                 {"wheel_stack_link_groups", "group_name_src=from,group_name_dst=to"},
                 {"wheel_stack_enable_dragging", "on"}})
            ASSERT_EQ(Word(b, name, value), kStatusDoneStoreResult);
        ASSERT_EQ(b.Press(h.tags.at(h.FindItem("left_1")), h.FindItem("left_1")), kStatusOk);
        const float t[2] = {right ? 624.0f : 0.0f, right ? 0.0f : 60.0f};
        const float p[3] = {r.x * t[0], r.y * t[1], 1.0f};
        b.Drag(p);
        EXPECT_FLOAT_EQ(b.Offset()[0], r.x * t[0]);
        EXPECT_FLOAT_EQ(b.Offset()[1], r.y * t[1]);
        EXPECT_EQ(b.Release(p), r.status);
        EXPECT_EQ(b.IsWon(), r.moved);
        EXPECT_EQ(h.finishes, r.moved ? std::vector<uint8_t>{1} : std::vector<uint8_t>{});
        EXPECT_EQ(h.sounds, *r.sound ? std::vector<std::string>{r.sound} : std::vector<std::string>{});
        EXPECT_EQ(b.Animation(), kWheelStackIdle);
    }
    // A drag that passed half the way and came back short puts the item back but is taken.
    TestHost h;
    WheelStackBoard b(&h);
    Word(b, "wheel_stack_register_group", "group_name=from");
    Word(b, "wheel_stack_register_group", "group_name=to");
    Word(b, "wheel_stack_register_dummy", "group_name=from,dummy_item_name=left_1,linked_item_name=red");
    Word(b, "wheel_stack_register_dummy", "group_name=to,dummy_item_name=left_0");
    Word(b, "wheel_stack_link_groups", "group_name_src=from,group_name_dst=to");
    EXPECT_EQ(b.Press(h.tags.at(2), 2), kStatusFailed);  // dragging is off
    Word(b, "wheel_stack_enable_dragging", "on");
    ASSERT_EQ(b.Press(h.tags.at(2), 2), kStatusOk);
    const float far[3] = {0.0f, 50.0f, 0.0f}, back[3] = {0.0f, 2.0f, 0.0f};
    b.Drag(far);
    b.Drag(back);
    EXPECT_EQ(b.Release(back), kStatusOk);
    EXPECT_TRUE(h.sounds.empty());
}

TEST_F(WheelStack, AWheelDragSnapsToWholeSteps)
{
    const struct {
        float angle;  // the turn angle from the press
        Status status;
        uint32_t rotation;
        float residual;
    } drags[] = {
        {0.0f, kStatusFailed, 0, 0.0f}, {-0.3f, kStatusOk, 0, 0.3f}, {-2.0f, kStatusOk, 1, 2.0f - kPi},
        {2.0f, kStatusOk, 1, kPi - 2.0f}, {-kPi, kStatusOk, 1, 0.0f},
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(d.angle);
        TestHost h;
        WheelStackBoard b(&h);
        for (const auto& [name, value] : kSampleWords)
            Word(b, name, value);
        const int32_t wheel = h.FindItem("wheel");
        ASSERT_EQ(b.Press(h.tags.at(wheel), wheel), kStatusOk);
        EXPECT_EQ(b.HeldWheel(), wheel);
        b.TurnHeld(d.angle);
        EXPECT_NEAR(b.WheelAngle(1), -d.angle, 1e-5f);
        EXPECT_EQ(b.Release(nullptr), d.status);
        EXPECT_EQ(b.Group(1).rotation, d.rotation);
        EXPECT_EQ(b.HeldWheel(), -1);
        // The drawn angle does not jump at the release, then eases into the step.
        EXPECT_NEAR(b.WheelAngle(1), d.rotation * kPi + d.residual, 1e-5f);
        for (int frame = 0; frame < 7; ++frame)
            b.Step(1.0f);
        EXPECT_NEAR(b.WheelAngle(1), d.rotation * kPi, 1e-5f);
    }
}

// Every placement the clicks reach, breadth first: the sample's click list is one of the
// shortest that solve it.
TEST_F(WheelStack, ABreadthFirstSearchConfirmsTheSampleClicks)
{
    Configure();
    const std::vector<const char*> clickable = {"wheel", "left_0", "left_1", "left_2", "slot_in", "slot_out",
                                                "right_0", "right_1", "right_2"};
    std::deque<std::pair<WheelStackBoard, size_t>> queue;
    std::set<std::string> seen = {Text()};
    queue.emplace_back(board, 0);
    size_t shortest = 0;
    while (!queue.empty() && !shortest) {
        auto [state, depth] = queue.front();
        queue.pop_front();
        for (const char* click : clickable) {
            WheelStackBoard next = state;
            next.Click(Tag(click));
            for (int frame = 0; frame < 10; ++frame)
                next.Step(1.0f);
            char text[256];
            next.Print(text, sizeof text);
            if (!seen.insert(text).second)
                continue;
            if (next.IsWon()) {
                shortest = depth + 1;
                break;
            }
            queue.emplace_back(next, depth + 1);
        }
    }
    EXPECT_EQ(shortest, kSampleClicks.size());
    for (const char* click : kSampleClicks) {
        Click(click);
        Settle();
    }
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes.back(), 1);
    EXPECT_EQ(Text(), "wheelstack left[-,-,-] wheel r1 {in[-] out[-]} right[red,green,blue]");
}

TEST_F(WheelStack, TheSavedLayoutKeepsAWheelItemWhole)
{
    Configure();
    // Dragging, the count, then the left stack: type, rotation, two zero bytes and its -1 as
    // 0xFF twice; its name.
    std::vector<uint8_t> bytes = SavedBoard(board);
    const std::vector<uint8_t> left = {1, 3, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 5, 0, 0, 0, 1, 'l', 'e', 'f', 't', 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + left.size()), left);
    // The wheel's record: its index below 256 as the low byte twice after two zero bytes.
    const std::vector<uint8_t> wheel = {1, 0, 0, 0, 0, 0, 6, 0, 0, 0, 1, 'w', 'h', 'e', 'e', 'l', 0};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), wheel.begin(), wheel.end()), bytes.end());
    TestHost h;
    WheelStackBoard back(&h);
    ASSERT_TRUE(LoadBoard(back, bytes));
    EXPECT_TRUE(back.Fits(uint32_t(kNames.size())));
    EXPECT_EQ(SavedBoard(back), bytes);
    // An index of 300 rides in the byte after the rotation: it comes back whole.
    std::vector<uint8_t> far = bytes;
    const auto at = std::search(far.begin(), far.end(), wheel.begin(), wheel.end()) - far.begin();
    far[at + 2] = 1, far[at + 4] = 44, far[at + 5] = 44;
    ASSERT_TRUE(LoadBoard(back, far));
    EXPECT_EQ(back.Group(1).wheelItem, 300);
    EXPECT_FALSE(back.Fits(uint32_t(kNames.size())));
    EXPECT_TRUE(back.Fits(301));
    EXPECT_EQ(SavedBoard(back), far);
}

// ---- the level in the builtins' world -----------------------------------------------------------

using CFixtureWheelStack = CFixtureObject<CCounting<CObjectsLevelWheelStack>>;

class WheelStackLevel : public ::testing::Test {
protected:
    void SetUp() override { Make(kNames); }
    void Make(const std::vector<const char*>& names)
    {
        world.Objects()->Forget();
        level = std::make_unique<CFixtureWheelStack>(world.GetWorldData(), 0, kObjectKindWheelStack, "wheelstack",
                                                     names, &world.requests);
        world.Objects()->Adopt({level.get()});
        ASSERT_EQ(level->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(level.get());
        for (uint32_t i = 0; i < names.size(); ++i)
            level->GetItemRecord(i)->levelTag = -1;
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        level.reset();
    }
    void Configure(const std::vector<std::pair<const char*, const char*>>& words = kSampleWords)
    {
        level->ResetRunState();
        for (const auto& [name, value] : words) {
            std::string copy = value;
            ASSERT_EQ(level->LoadEventsFromParam(name, copy.data()), kStatusDoneStoreResult) << name;
        }
    }
    void Click(const char* name) { level->OnElementClicked(level->GetItemRecord(level->FindElementByName(name))); }
    void Frames(uint32_t count)
    {
        world.GetWorldData()->frameTime = 1.0;
        for (uint32_t i = 0; i < count; ++i)
            level->UpdateState();
    }
    std::string Text()
    {
        char text[256];
        level->PrintBoard(text, sizeof text);
        return text;
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureWheelStack> level;
};

TEST_F(WheelStackLevel, TheSampleSolvesOnceAndResetKeepsTheSolvedFlag)
{
    Configure();
    for (const char* click : kSampleClicks) {
        Click(click);
        Frames(7);
    }
    EXPECT_EQ(level->IsSolved(), 1);
    EXPECT_EQ(level->finishes, 1u);
    // Solved: clicks go to the base and move nothing.
    Click("right_2");
    EXPECT_EQ(Text(), "wheelstack left[-,-,-] wheel r1 {in[-] out[-]} right[red,green,blue]");
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(level->IsSolved(), 1);
    EXPECT_EQ(Text(), "wheelstack left[blue,green,red] wheel r0 {in[-] out[-]} right[-,-,-]");
    EXPECT_EQ(level->OnCommand("shuffle"), kStatusFailed);
}

TEST_F(WheelStackLevel, ALoadedLevelIsTaggedAgainAndPlaysOn)
{
    Configure();
    Click("left_2");
    Frames(7);
    Click("wheel");
    const std::vector<uint8_t> payload = SavedPayload(*level);
    // The run state is saved, so no word runs after the load: the groups tag the elements.
    Make(kNames);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    EXPECT_EQ(Text(), "wheelstack left[blue,green,-] wheel r1 {in[red] out[-]} right[-,-,-]");
    EXPECT_EQ(uint32_t(level->GetItemRecord(0)->levelTag), 0xFF01FFFFu);
    EXPECT_EQ(level->GetItemRecord(9)->levelTag, 0);
    EXPECT_EQ(SavedPayload(*level), payload);
    for (size_t c = 2; c < kSampleClicks.size(); ++c) {
        Click(kSampleClicks[c]);
        Frames(7);
    }
    EXPECT_EQ(level->IsSolved(), 1);
    // A fresh run drops the groups and their tags.
    level->ResetRunState();
    EXPECT_EQ(level->GetItemRecord(4)->levelTag, -1);
}

TEST_F(WheelStackLevel, ABadSavedStateStartsTheLevelAfresh)
{
    Configure();
    const std::vector<uint8_t> payload = SavedPayload(*level);
    // The kind's part: paused, solved, dragging, the count, then the left stack's record:
    // type, rotation, four item bytes, its name as a stream string, its places.
    const std::vector<uint8_t> name = {'l', 'e', 'f', 't', 0};
    const size_t leftName = std::search(payload.begin(), payload.end(), name.begin(), name.end()) - payload.begin();
    const size_t groupCount = leftName - 5 - 6 - 4, leftPlaces = leftName + 5;
    const struct {
        size_t at;
        uint32_t size;
        uint32_t value;
    } damages[] = {
        {groupCount, 4, 255},            // too many groups
        {groupCount - 1, 1, 2},          // dragging neither on nor off
        {groupCount - 3, 1, 2},          // paused neither 0 nor 1
        {leftPlaces, 4, 255},            // too many places
        {leftPlaces + 4, 4, 12},         // a dummy beyond the elements
        {leftPlaces + 8, 4, uint32_t(-2)},  // an initial item below -1
        {groupCount + 4 + 1, 1, 1},      // a stack turned
        {groupCount + 4 + 4, 1, 7},      // the low byte twice, not alike
    };
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[d.at], &d.value, d.size);
        EXPECT_EQ(LoadPayload(*level, damaged), kStatusOk) << d.at;
        EXPECT_EQ(level->GetBoard().GroupCount(), 0u) << d.at;
        EXPECT_EQ(level->GetItemRecord(1)->levelTag, -1) << d.at;
    }
    // A cut state fails and leaves the level fresh.
    EXPECT_EQ(LoadPayload(*level, payload, payload.size() - 3), kStatusFailed);
    EXPECT_EQ(level->GetBoard().GroupCount(), 0u);
}

TEST_F(WheelStackLevel, AWheelItemAtElement300SavesAndLoadsWhole)
{
    std::vector<std::string> owned;
    for (int i = 0; i < 301; ++i)
        owned.push_back("e" + std::to_string(i));
    std::vector<const char*> names;
    for (const std::string& n : owned)
        names.push_back(n.c_str());
    Make(names);
    Configure({{"wheel_stack_register_group", "group_name=w,wheel_item_name=e300,group_type=wheel"},
               {"wheel_stack_register_sub_group", "group_name=w,sub_group_name=a,sub_group_name=b"},
               {"wheel_stack_register_dummy", "group_name=a,dummy_item_name=e1,linked_item_name=e2"}});
    Click("e300");
    Frames(7);
    const std::vector<uint8_t> payload = SavedPayload(*level);
    Make(names);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    EXPECT_EQ(level->GetBoard().Group(0).wheelItem, 300);
    EXPECT_EQ(level->GetBoard().Group(0).rotation, 1);
    EXPECT_EQ(uint32_t(level->GetItemRecord(300)->levelTag), 0xFF00FFFFu);
}

}  // namespace
