// The wheels board: the ring tokens and links, picking by radius, the click game's turns with
// linked rings, the rotate game's drags across the half turn and their release, fixed rings,
// the easing by frames, folding an offset of any size, the shuffle solved by a search over the
// divisions, and the saved rings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelWheels.h"
#include "NimbrelLevels/WheelsBoard.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "WheelsSolver.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kPi = 3.14159265358979f;

class TestHost : public WheelsHost {
public:
    explicit TestHost(uint32_t seed = 1) { UtilsRandom_Seed(&m_world, seed); }
    uint32_t NextRandom() override { return UtilsRandom_Next(&m_world); }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    void PlayBoardSound(bool null) override { sounds.push_back(null ? "null" : "click"); }

    std::vector<uint8_t> finishes;
    std::vector<std::string> sounds;

private:
    WorldData m_world = {};
};

Status Word(WheelsBoard& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// Three rings of 8, 8 and 12 divisions from the outside in, the last two linked as the sample's.
void SampleRings(WheelsBoard& board, const char* type = "click")
{
    *board.ItemWord("wheel_game_play") = 0;
    ASSERT_EQ(Word(board, "wheel_game_type", type), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "wheel_register_ring",
                   "name=outer,percent_external=1.0,percent_internal=0.7,divisions_count=8,divisions_end=0"),
              kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "wheel_register_ring",
                   "name=middle,percent_external=0.7,percent_internal=0.4,divisions_count=8,divisions_end=0"),
              kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "wheel_register_ring",
                   "name=inner,percent_external=0.4,percent_internal=0.1,divisions_count=12,divisions_end=0"),
              kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "wheel_link_rings", "ring_name_src=middle,ring_name_dst=inner"), kStatusDoneStoreResult);
}

void Settle(WheelsBoard& board, uint32_t frames = 200)
{
    for (uint32_t i = 0; i < frames; ++i)
        board.Step(1.0f);
}

TEST(WheelsBoard, RingTokens)
{
    TestHost host;
    WheelsBoard board(&host);
    // "sign=" needs the game type first.
    EXPECT_EQ(Word(board, "wheel_register_ring", "name=a,divisions_count=4,sign=-1"), kStatusFailed);
    ASSERT_EQ(board.Rings().size(), 1u);
    EXPECT_EQ(board.Rings()[0].divisions, 4u);
    board.Clear();
    ASSERT_EQ(Word(board, "wheel_game_type", "click"), kStatusDoneStoreResult);
    const struct {
        const char* tokens;
        Status status;
        uint32_t target;
        float sign;
        uint8_t fixed;
        float ratio;
    } cases[] = {
        {"divisions_count=8,divisions_end=2.5", kStatusDoneStoreResult, 3, 1.0f, 0, 1.0f},
        {"divisions_count=8,divisions_end=8", kStatusDoneStoreResult, 0, 1.0f, 0, 1.0f},
        {"divisions_count=8,divisions_end=30", kStatusDoneStoreResult, 0, 1.0f, 0, 1.0f},
        {"divisions_count=8,sign=-1,playable=0", kStatusDoneStoreResult, 0, -1.0f, 1, 1.0f},
        {"divisions_count=8,sign=0,sign=5,angle_invert_ratio=0", kStatusDoneStoreResult, 0, 0.0f, 0, 1.0f},
        {"divisions_count=8,angle_invert_ratio=0.5,colour=red", kStatusDoneStoreResult, 0, 1.0f, 0, 0.5f},
        {"divisions_end=2", kStatusFailed, 0, 1.0f, 0, 1.0f},
        {"divisions_count=0", kStatusFailed, 0, 1.0f, 0, 1.0f},
    };
    for (const auto& c : cases) {
        const size_t before = board.Rings().size();
        EXPECT_EQ(Word(board, "wheel_register_ring", c.tokens), c.status) << c.tokens;
        // A ring that gets no divisions is not kept.
        if (c.status == kStatusFailed) {
            EXPECT_EQ(board.Rings().size(), before) << c.tokens;
            continue;
        }
        const WheelsRing& ring = board.Rings().back();
        EXPECT_EQ(ring.target, c.target) << c.tokens;
        EXPECT_EQ(ring.sign, c.sign) << c.tokens;
        EXPECT_EQ(ring.fixed, c.fixed) << c.tokens;
        EXPECT_EQ(ring.ratio, c.ratio) << c.tokens;
    }
    // In the rotate game "sign=" is ignored; radii are held within 0 to 1.
    ASSERT_EQ(Word(board, "wheel_game_type", "rotate"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "wheel_register_ring", "sign=-1,percent_external=3,percent_internal=-1,divisions_count=2"),
              kStatusDoneStoreResult);
    EXPECT_EQ(board.Rings().back().sign, 1.0f);
    EXPECT_EQ(board.Rings().back().outer, 1.0f);
    EXPECT_EQ(board.Rings().back().inner, 0.0f);
}

TEST(WheelsBoard, LinksByExactNamesWithoutDuplicates)
{
    TestHost host;
    WheelsBoard board(&host);
    SampleRings(board);
    EXPECT_EQ(Word(board, "wheel_link_rings", "ring_name_src=middle,ring_name_dst=inner"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Rings()[1].links, std::vector<uint32_t>{2});
    EXPECT_EQ(Word(board, "wheel_link_rings", "ring_name_dst=inner"), kStatusFailed);
    EXPECT_EQ(Word(board, "wheel_link_rings", "ring_name_src=Middle,ring_name_dst=inner"), kStatusFailed);
    EXPECT_EQ(Word(board, "wheel_link_rings", "ring_name_src=outer,ring_name_dst=ghost"), kStatusFailed);
    // A ring registered after the links keeps them.
    ASSERT_EQ(Word(board, "wheel_register_ring", "name=late,divisions_count=3"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Rings()[1].links, std::vector<uint32_t>{2});
}

TEST(WheelsBoard, PickingByRadius)
{
    TestHost host;
    WheelsBoard board(&host);
    SampleRings(board);
    // A 200 x 200 play item: R = 100.
    const struct {
        float x, y;
        int32_t ring;
    } cases[] = {{95.0f, 0.0f, 0},  {0.0f, -80.0f, 0}, {60.0f, 0.0f, 1}, {30.0f, 0.0f, 2},
                 {5.0f, 0.0f, -1},  {120.0f, 0.0f, -1}, {70.0f, 0.0f, -1}, {0.0f, 40.0f, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(board.Pick(c.x, c.y, 200.0f, 200.0f), c.ring) << c.x << "," << c.y;
}

TEST(WheelsBoard, AClickTurnsTheLinkedRingsAndTheRing)
{
    TestHost host;
    WheelsBoard board(&host);
    SampleRings(board);
    EXPECT_TRUE(board.Click(1));
    EXPECT_EQ(board.Rings()[1].division, 1u);
    EXPECT_EQ(board.Rings()[2].division, 1u);
    EXPECT_EQ(board.Rings()[0].division, 0u);
    EXPECT_FLOAT_EQ(board.Rings()[2].offset, 2.0f * kPi / 12.0f);
    EXPECT_TRUE(board.Click(-1));
    EXPECT_EQ(host.sounds, (std::vector<std::string>{"click", "null"}));
    // Drawn where it was: the offset takes back the division's turn.
    EXPECT_NEAR(board.Rings()[1].DrawnAngle(), 0.0f, 1e-6f);
    // The offsets ease by 0.075 a frame, whatever the frame step.
    TestHost other;
    WheelsBoard slow(&other);
    SampleRings(slow);
    slow.Click(1);
    int frames[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        WheelsBoard& b = i == 0 ? board : slow;
        while (!b.AtRest() && frames[i] < 100) {
            b.Step(i == 0 ? 0.5f : 2.0f);
            ++frames[i];
        }
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(frames[0], 11);
    EXPECT_EQ(host.finishes.back(), 0);
}

TEST(WheelsBoard, SignZeroTurnsTheDivisionButDrawsUnturned)
{
    TestHost host;
    WheelsBoard board(&host);
    *board.ItemWord("wheel_game_play") = 0;
    Word(board, "wheel_game_type", "click");
    ASSERT_EQ(Word(board, "wheel_register_ring", "name=a,divisions_count=4,sign=0,percent_external=1"),
              kStatusDoneStoreResult);
    board.Click(0);
    Settle(board);
    EXPECT_EQ(board.Rings()[0].division, 1u);
    EXPECT_EQ(board.Rings()[0].DrawnAngle(), 0.0f);
}

TEST(WheelsBoard, FixedRingsFollowTheirLinksOnly)
{
    TestHost host(9);
    WheelsBoard board(&host);
    *board.ItemWord("wheel_game_play") = 0;
    Word(board, "wheel_game_type", "rotate");
    Word(board, "wheel_register_ring", "name=a,percent_external=1,percent_internal=0.5,divisions_count=4");
    Word(board, "wheel_register_ring",
         "name=f,percent_external=0.5,percent_internal=0,divisions_count=8,playable=0,angle_invert_ratio=0.5");
    Word(board, "wheel_link_rings", "ring_name_src=a,ring_name_dst=f");
    EXPECT_EQ(board.Pick(10.0f, 0.0f, 200.0f, 200.0f), -1);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(board.Deal(), kStatusOk);
        const WheelsRing& a = board.Rings()[0];
        const WheelsRing& f = board.Rings()[1];
        EXPECT_NE(a.division, a.target);
        // m div n = 8 / 4 = 2 whole turns at most, then a's own division back.
        const float turns = (a.accumulated + float(a.division) * a.Step()) / (-2.0f * kPi);
        EXPECT_NEAR(turns, std::round(turns), 1e-4f);
        EXPECT_LE(std::round(turns), 1.0f);
        // f stands where (1 / 0.5) x (4 / 8) x the accumulated angle puts it.
        WheelsRing expected = f;
        expected.division = 0;
        expected.offset = a.accumulated;
        expected.Fold();
        EXPECT_EQ(f.division, expected.division);
        EXPECT_EQ(f.offset, 0.0f);
    }
}

TEST(WheelsBoard, TwoDragTurnsMoveALinkedRingByTwiceItsRatio)
{
    TestHost host;
    WheelsBoard board(&host);
    SampleRings(board, "rotate");
    ASSERT_TRUE(board.Press(1));
    // Round twice, a sixteenth of a turn at a time, from just past the press point.
    for (int k = 1; k <= 32; ++k) {
        float a = float(k % 16) * kPi / 8.0f + 0.01f;
        if (a > kPi)
            a -= 2.0f * kPi;
        board.Drag(a);
    }
    const WheelsRing& inner = board.Rings()[2];
    EXPECT_NEAR(inner.offset, (2.0f * 2.0f * kPi + 0.01f) * (8.0f / 12.0f), 1e-3f);
    ASSERT_TRUE(board.Release());
    EXPECT_EQ(board.Held(), -1);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"click"});
    // Two whole turns of the middle ring are 16 steps of the inner ring, folded back.
    EXPECT_EQ(inner.division, 8u);
    EXPECT_EQ(board.Rings()[1].division, 0u);
}

TEST(WheelsBoard, FoldingAHugeOffsetReturns)
{
    WheelsRing ring;
    ring.divisions = 8;
    ring.division = 3;
    ring.offset = 1e30f;
    ring.Fold();
    EXPECT_LE(std::fabs(ring.offset), ring.Step() * 0.5f + 1e-6f);
    EXPECT_LT(ring.division, 8u);
    TestHost host;
    WheelsBoard board(&host);
    *board.ItemWord("wheel_game_play") = 0;
    Word(board, "wheel_game_type", "rotate");
    Word(board, "wheel_register_ring", "name=a,percent_external=1,divisions_count=8");
    Word(board, "wheel_register_ring", "name=b,percent_external=0.5,divisions_count=8,angle_invert_ratio=1e-30");
    Word(board, "wheel_link_rings", "ring_name_src=a,ring_name_dst=b");
    ASSERT_TRUE(board.Press(0));
    board.Drag(1.0f);
    EXPECT_TRUE(board.Release());
    EXPECT_LT(board.Rings()[1].division, 8u);
}

// ---- the shuffle, solved by a search over the divisions ----------------------------------------

TEST(WheelsBoard, SeededShufflesAreSolvedByClicks)
{
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        TestHost host(seed);
        WheelsBoard board(&host);
        SampleRings(board);
        ASSERT_EQ(board.Deal(), kStatusOk);
        Settle(board, 1);
        EXPECT_FALSE(board.IsWon()) << seed;
        const std::vector<int32_t> clicks = SolveWheels(board);
        ASSERT_TRUE(clicks.empty() || clicks[0] >= 0) << seed;
        for (int32_t ring : clicks)
            board.Click(ring);
        Settle(board);
        EXPECT_TRUE(board.IsWon()) << seed;
        EXPECT_EQ(host.finishes.back(), 1) << seed;
    }
}

TEST(WheelsBoard, ARotateDragEndsSolved)
{
    TestHost host;
    WheelsBoard board(&host);
    *board.ItemWord("wheel_game_play") = 0;
    Word(board, "wheel_game_type", "rotate");
    Word(board, "wheel_register_ring", "name=a,percent_external=1,divisions_count=4,divisions_end=1");
    // A quarter turn the way the drag goes folds the offset back by one division.
    ASSERT_TRUE(board.Press(0));
    board.Drag(-0.3f);
    board.Drag(-kPi / 2.0f);
    board.Release();
    Settle(board);
    EXPECT_EQ(board.Rings()[0].division, 1u);
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes.back(), 1);
}

}  // namespace

// ---- the level ----------------------------------------------------------------------------------

namespace {

using CFixtureWheels = CFixtureObject<CCounting<CObjectsLevelWheels>>;

class WheelsLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        wheels = NewLevel();
        ASSERT_NE(wheels, nullptr);
        world.Objects()->Adopt({wheels.get()});
        world.Objects()->SetCurrentObject(wheels.get());
        WorldData* w = world.GetWorldData();
        w->pMath->SetIdentity(w->game.view.matrixScene);
        UtilsRandom_Seed(w, 5);
    }
    // A loaded wheels level whose dial is 200 units square about the origin.
    std::unique_ptr<CFixtureWheels> NewLevel()
    {
        auto level = std::make_unique<CFixtureWheels>(world.GetWorldData(), 0, kObjectKindWheels, "wheels",
                                                      std::vector<const char*>{"dial", "other"}, &world.requests);
        if (level->Load() != kStatusOk)
            return nullptr;
        ElementRecord* dial = level->GetItemRecord(0);
        dial->size[0] = dial->size[1] = 200.0f;
        const float bounds[4] = {-100.0f, -100.0f, 100.0f, 100.0f};
        std::memcpy(dial->bounds, bounds, sizeof bounds);
        return level;
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        wheels.reset();
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return wheels->LoadEventsFromParam(name, copy.data());
    }
    void Frames(uint32_t count)
    {
        world.GetWorldData()->frameTime = 1.0;
        for (uint32_t i = 0; i < count; ++i)
            wheels->UpdateState();
    }
    std::string Text()
    {
        char text[256];
        wheels->PrintBoard(text, sizeof text);
        return text;
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureWheels> wheels;
};

TEST_F(WheelsLevel, ClicksPickRingsAndTheLastTurnFinishes)
{
    EXPECT_EQ(wheels->CheckSetup(), kStatusFailed);
    ASSERT_EQ(Word("wheel_game_play", "dial"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_game_type", "click"), kStatusDoneStoreResult);
    EXPECT_EQ(wheels->CheckSetup(), kStatusFailed);
    ASSERT_EQ(Word("wheel_register_ring", "name=a,percent_external=1,percent_internal=0.5,divisions_count=4,"
                                          "divisions_end=1"),
              kStatusDoneStoreResult);
    EXPECT_EQ(wheels->CheckSetup(), kStatusOk);
    // Outside the ring's band: the null click, and nothing turns.
    EXPECT_EQ(wheels->OnClick(10.0f, 0.0f, 0), kStatusOk);
    EXPECT_EQ(wheels->GetBoard().Rings()[0].division, 0u);
    EXPECT_EQ(wheels->OnClick(0.0f, -80.0f, 0), kStatusOk);
    EXPECT_EQ(wheels->GetBoard().Rings()[0].division, 1u);
    Frames(21);
    EXPECT_EQ(wheels->finishes, 1u);
    EXPECT_EQ(wheels->IsSolved(), 1);
    // Solved, a click goes to the base.
    wheels->OnClick(0.0f, -80.0f, 0);
    EXPECT_EQ(wheels->GetBoard().Rings()[0].division, 1u);
}

TEST_F(WheelsLevel, TheSavedRingsComeBackAndBadOnesStartAfresh)
{
    // The kind's part of a level without rings: play item, type, two flags, ring count.
    const size_t first = SavedPayload(*wheels).size();
    ASSERT_EQ(Word("wheel_game_play", "dial"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_game_type", "click"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_register_ring", "name=a,percent_external=1,divisions_count=8,texture=t/a.png"),
              kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_register_ring", "name=b,percent_external=0.5,divisions_count=12"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_link_rings", "ring_name_src=a,ring_name_dst=b"), kStatusDoneStoreResult);
    ASSERT_EQ(wheels->OnCommand("reset"), kStatusOk);
    wheels->OnClick(0.0f, -90.0f, 0);
    const std::string before = Text();
    const std::vector<uint8_t> payload = SavedPayload(*wheels);
    ASSERT_EQ(LoadPayload(*wheels, payload), kStatusOk);
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(wheels->GetBoard().Rings()[0].texture, "t/a.png");
    EXPECT_EQ(SavedPayload(*wheels), payload);
    // The first ring's fields: reserved, sign, ratio, offset, snapped, accumulated (4 each),
    // fixed (1), divisions, division, target (4 each).
    const struct {
        size_t at;
        uint32_t value;
        bool fresh;
    } damages[] = {
        {first + 25, 0, true},            // no divisions
        {first + 29, 9, true},            // a division beyond them
        {first + 8, 0, true},             // an angle ratio of 0
        {first + 12, 0x7FC00000u, true},  // a NaN offset
        {first + 33, 8, false},           // a target of n is division 0
    };
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[d.at], &d.value, 4);
        EXPECT_EQ(LoadPayload(*wheels, damaged), kStatusOk) << d.at;
        if (!d.fresh) {
            ASSERT_EQ(wheels->GetBoard().Rings().size(), 2u);
            EXPECT_EQ(wheels->GetBoard().Rings()[0].target, 0u);
            continue;
        }
        EXPECT_EQ(wheels->GetBoard().Play(), -1) << d.at;
        EXPECT_EQ(Text(), "wheels no rings") << d.at;
    }
    EXPECT_EQ(LoadPayload(*wheels, payload, payload.size() - 3), kStatusFailed);
    EXPECT_TRUE(wheels->GetBoard().Rings().empty());
}

// A continued game loads the level and reads its profile without the check that builds the
// rings' quads: the dial draws them all the same, each turned as it was saved.
TEST_F(WheelsLevel, AContinuedLevelDrawsTheRingsItSaved)
{
    auto* engine = dynamic_cast<CMemoryEngine*>(C3DEngine::FromWorld(world.GetWorldData()));
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(Word("wheel_game_play", "dial"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_game_type", "click"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_register_ring", "name=a,percent_external=1,percent_internal=0.5,divisions_count=8"),
              kStatusDoneStoreResult);
    ASSERT_EQ(Word("wheel_register_ring", "name=b,percent_external=0.5,divisions_count=12"), kStatusDoneStoreResult);
    ASSERT_EQ(wheels->CheckSetup(), kStatusOk);
    ASSERT_EQ(wheels->OnCommand("reset"), kStatusOk);
    wheels->OnClick(0.0f, -80.0f, 0);
    Frames(30);
    const auto drawn = [&](CFixtureWheels& level) {
        engine->draws.clear();
        level.DrawElement(level.GetItemRecord(0));
        return engine->draws;
    };
    const std::vector<CMemoryDraw> played = drawn(*wheels);
    ASSERT_EQ(played.size(), 2u);
    const std::vector<uint8_t> payload = SavedPayload(*wheels);

    std::unique_ptr<CFixtureWheels> continued = NewLevel();
    ASSERT_NE(continued, nullptr);
    ASSERT_EQ(LoadPayload(*continued, payload), kStatusOk);
    for (int frame = 0; frame < 2; ++frame) {
        const std::vector<CMemoryDraw> shown = drawn(*continued);
        ASSERT_EQ(shown.size(), played.size()) << frame;
        for (size_t r = 0; r < shown.size(); ++r) {
            EXPECT_EQ(shown[r].group, played[r].group) << r;
            for (int k = 0; k < 16; ++k)
                EXPECT_FLOAT_EQ(shown[r].matrix[k], played[r].matrix[k]) << r << " " << k;
        }
    }
}

}  // namespace
