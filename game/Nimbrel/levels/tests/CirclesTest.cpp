// The circles board and level: the ring layouts and the four turns, the deal, the win test at
// the end of the last animation, "skip", pause and the force-solve, the places drawn about
// the centres, the saved board, and a solver over every arrangement.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CirclesSolver.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelCircles.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

// The board's host: random numbers from a list (or the world's generator with a seed), and
// the win tests it was told of.
class TestHost : public LevelBoardHost {
public:
    explicit TestHost(uint32_t seed = 1) { UtilsRandom_Seed(&m_world, seed); }
    uint32_t NextRandom() override
    {
        if (values.empty())
            return UtilsRandom_Next(&m_world);
        return values[next++ % values.size()];
    }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }

    std::vector<uint32_t> values;
    size_t next = 0;
    std::vector<uint8_t> finishes;

private:
    WorldData m_world;
};

// Kind pictures 3 (left), 4 (middle) and 5 (right).
void Configure(CirclesBoard& board, const char* count)
{
    const char* items[] = {"circles_game_play", "circles_register_center_left", "circles_register_center_right",
                           "circles_register_items_ref_left", "circles_register_items_ref_middle",
                           "circles_register_items_ref_right"};
    for (int32_t i = 0; i < 6; ++i)
        *board.ItemWord(items[i]) = i;
    ASSERT_EQ(board.Word("circles_random_count", count), kStatusDoneStoreResult);
}

std::vector<int32_t> Places(const CirclesBoard& board)
{
    std::vector<int32_t> places;
    for (uint32_t p = 0; p < kCirclesPlaces; ++p)
        places.push_back(board.Place(p));
    return places;
}

TEST(CirclesBoard, RingLayoutsAndTheFourTurns)
{
    TestHost host;
    CirclesBoard board(&host);
    Configure(board, "1");
    ASSERT_EQ(board.Deal(), kStatusOk);
    const uint32_t left[] = {3, 4, 5, 2, 1, 0}, right[] = {7, 8, 9, 5, 6, 3};
    for (uint32_t k = 0; k < kCirclesRingPositions; ++k) {
        EXPECT_EQ(board.RingPlace(kCirclesRingLeft, k), left[k]);
        EXPECT_EQ(board.RingPlace(kCirclesRingRight, k), right[k]);
    }
    // Each place numbered by itself, to see where every kind goes.
    const struct {
        const char* action;
        CirclesRing ring;
        float direction;
        std::vector<int32_t> places;
    } turns[] = {
        {"circles_action_left_up", kCirclesRingLeft, -1.0f, {1, 2, 5, 0, 3, 4, 6, 7, 8, 9}},
        {"circles_action_left_down", kCirclesRingLeft, 1.0f, {3, 0, 1, 4, 5, 2, 6, 7, 8, 9}},
        {"circles_action_right_up", kCirclesRingRight, 1.0f, {0, 1, 2, 7, 4, 6, 3, 8, 9, 5}},
        {"circles_action_right_down", kCirclesRingRight, -1.0f, {0, 1, 2, 6, 4, 9, 5, 3, 7, 8}},
    };
    const int32_t numbered[kCirclesPlaces] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (const auto& t : turns) {
        board.SetPlaces(numbered);
        EXPECT_EQ(board.Action(t.action), kStatusDoneNoResult);
        EXPECT_EQ(Places(board), t.places) << t.action;
        EXPECT_EQ(board.Turning(), t.ring) << t.action;
        EXPECT_EQ(board.Direction(), t.direction) << t.action;
        EXPECT_EQ(board.Progress(), 1.0f);
    }
    // An unknown action turns nothing; an undealt board has nothing to turn.
    board.SetPlaces(numbered);
    EXPECT_EQ(board.Action("circles_action_up"), kStatusDoneNoResult);
    EXPECT_EQ(Places(board), std::vector<int32_t>(numbered, numbered + kCirclesPlaces));
    CirclesBoard fresh(&host);
    Configure(fresh, "1");
    EXPECT_EQ(fresh.Action("circles_action_left_up"), kStatusDoneNoResult);
    EXPECT_EQ(fresh.Turning(), kCirclesRingNone);
    char text[128];
    fresh.Print(text, sizeof text);
    EXPECT_STREQ(text, "circles not dealt");
}

TEST(CirclesBoard, TheRandomCountAndTheDealsPicks)
{
    TestHost host;
    CirclesBoard board(&host);
    const struct {
        const char* value;
        uint32_t count;
    } counts[] = {{"0", 1}, {"-3", 1}, {"x", 1}, {"6", 6}, {"99999999", kCirclesMaxRandomCount}};
    for (const auto& c : counts) {
        ASSERT_EQ(board.Word("circles_random_count", c.value), kStatusDoneStoreResult);
        EXPECT_EQ(board.RandomCount(), c.count) << c.value;
    }
    // The top two bits pick the action: left_up, then right_up.
    Configure(board, "2");
    host.values = {0x3FFFFFFFu, 0x80000000u};
    ASSERT_EQ(board.Deal(), kStatusOk);
    char text[128];
    board.Print(text, sizeof text);
    EXPECT_STREQ(text, "circles places LLMRMMLRRM left 3,4,5,2,1,0 right 7,8,9,5,6,3");
    EXPECT_EQ(host.next, 2u);
    // A deal that comes back solved is dealt again: left_up and left_down undo each other.
    host.values = {0x00000000u, 0x40000000u, 0xC0000000u, 0xC0000000u};
    host.next = 0;
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(host.next, 4u);
    EXPECT_FALSE(board.IsWon());
    // Three equal kinds make every board solved: the deal gives up.
    *board.ItemWord("circles_register_items_ref_middle") = board.KindLeft();
    *board.ItemWord("circles_register_items_ref_right") = board.KindLeft();
    EXPECT_EQ(board.Deal(), kStatusFailed);
}

TEST(CirclesBoard, SeededDealsAreNeverSolvedAndACountOfOneIsOneTurnAway)
{
    TestHost host(2026);
    CirclesBoard board(&host);
    Configure(board, "6");
    for (int deal = 0; deal < 1000; ++deal) {
        ASSERT_EQ(board.Deal(), kStatusOk);
        ASSERT_FALSE(board.IsWon()) << deal;
    }
    Configure(board, "1");
    for (int deal = 0; deal < 200; ++deal) {
        ASSERT_EQ(board.Deal(), kStatusOk);
        bool oneAway = false;
        for (uint32_t a = 0; a < kCirclesActionCount; ++a) {
            CirclesBoard turned = board;
            turned.Turn(CirclesAction(a));
            oneAway = oneAway || turned.IsWon();
        }
        EXPECT_TRUE(oneAway) << deal;
    }
}

TEST(CirclesBoard, ChainedTurnsTestTheWinOnceWhenTheLastAnimationEnds)
{
    TestHost host;
    CirclesBoard board(&host);
    Configure(board, "1");
    host.values = {0};  // left_up from solved: left_down solves
    ASSERT_EQ(board.Deal(), kStatusOk);
    board.Action("circles_action_left_down");
    for (int frame = 0; frame < 10; ++frame)
        board.Step(1.0f);
    // Turned away and back while the first turn still runs: the animation starts again.
    board.Action("circles_action_left_up");
    board.Action("circles_action_left_down");
    for (int frame = 0; frame < 19; ++frame)
        board.Step(1.0f);
    EXPECT_TRUE(host.finishes.empty());
    board.Step(1.0f);
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
    EXPECT_EQ(board.Turning(), kCirclesRingNone);
    board.Step(1.0f);
    EXPECT_EQ(host.finishes.size(), 1u);
    // A turn that leaves the board unsolved reports that too.
    board.Action("circles_action_right_up");
    for (int frame = 0; frame < 20; ++frame)
        board.Step(1.0f);
    EXPECT_EQ(host.finishes, (std::vector<uint8_t>{1, 0}));
}

TEST(CirclesBoard, EveryArrangementIsReachedAndSeededDealsSolve)
{
    TestHost host(61);
    CirclesBoard board(&host);
    Configure(board, "6");
    for (int deal = 0; deal < 50; ++deal) {
        ASSERT_EQ(board.Deal(), kStatusOk);
        const CirclesWalk walk = SolveCircles(board);
        EXPECT_EQ(walk.reached, 4200u);
        ASSERT_FALSE(walk.moves.empty());
        for (CirclesAction move : walk.moves)
            board.Turn(move);
        EXPECT_TRUE(board.IsWon()) << deal;
    }
}

TEST(CirclesBoard, SharedPlacesAreDrawnAtOnePointOfBothRings)
{
    TestHost host;
    CirclesBoard board(&host);
    Configure(board, "1");
    ASSERT_EQ(board.Deal(), kStatusOk);
    const float d = 120.0f;
    // Where a position's picture centre lands with the left centre at 0 and the right at d.
    auto point = [&](CirclesRing ring, uint32_t k, float* p) {
        float m[16];
        CirclesBoard::PlaceMatrix(board.PositionAngle(ring, k), d, m);
        p[0] = m[12] + (ring == kCirclesRingRight ? d : 0.0f);
        p[1] = m[13];
    };
    const struct {
        uint32_t left, right;
    } shared[] = {{0, 5}, {2, 3}};
    for (const auto& s : shared) {
        float a[2], b[2];
        point(kCirclesRingLeft, s.left, a);
        point(kCirclesRingRight, s.right, b);
        EXPECT_NEAR(a[0], b[0], 1e-3f);
        EXPECT_NEAR(a[1], b[1], 1e-3f);
        EXPECT_EQ(board.RingPlace(kCirclesRingLeft, s.left), board.RingPlace(kCirclesRingRight, s.right));
    }
    // Every position lies d from its centre; the shared ones are drawn once, by the left ring
    // at rest and by the right ring while it turns.
    float p[2];
    point(kCirclesRingLeft, 1, p);
    EXPECT_NEAR(std::hypot(p[0], p[1]), d, 1e-3f);
    EXPECT_TRUE(board.DrawsPosition(kCirclesRingLeft, 0));
    EXPECT_FALSE(board.DrawsPosition(kCirclesRingRight, 5));
    board.Turn(kCirclesRightUp);
    EXPECT_FALSE(board.DrawsPosition(kCirclesRingLeft, 2));
    EXPECT_TRUE(board.DrawsPosition(kCirclesRingRight, 3));
    // The turning ring starts a whole step back and runs into place.
    EXPECT_FLOAT_EQ(board.PositionAngle(kCirclesRingRight, 0), 90.0f);
    EXPECT_FLOAT_EQ(board.PositionAngle(kCirclesRingLeft, 0), 30.0f);
}

// ---- the level in the builtins' world -----------------------------------------------------------

using CFixtureCircles = CFixtureObject<CCounting<CObjectsLevelCircles>>;

class CirclesLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        circles = std::make_unique<CFixtureCircles>(
            world.GetWorldData(), 0, kObjectKindCircles, "circles",
            std::vector<const char*>{"board", "centre_l", "centre_r", "red", "green", "blue", "arrow"}, &world.requests);
        world.Objects()->Adopt({circles.get()});
        ASSERT_EQ(circles->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(circles.get());
        UtilsRandom_Seed(world.GetWorldData(), 5);
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        circles.reset();
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return circles->LoadEventsFromParam(name, copy.data());
    }
    Status Event(const char* name, const char* value)
    {
        std::string copy = value;
        return circles->OnEvent(name, copy.data());
    }
    void Configure(const char* count = "6")
    {
        const std::pair<const char*, const char*> words[] = {
            {"circles_game_play", "board"},           {"circles_register_center_left", "centre_l"},
            {"circles_register_center_right", "centre_r"}, {"circles_register_items_ref_left", "red"},
            {"circles_register_items_ref_middle", "green"}, {"circles_register_items_ref_right", "blue"},
            {"circles_random_count", count}};
        for (const auto& [name, value] : words)
            ASSERT_EQ(Word(name, value), kStatusDoneStoreResult) << name;
    }
    void Frames(uint32_t count)
    {
        world.GetWorldData()->frameTime = 1.0;
        for (uint32_t i = 0; i < count; ++i)
            circles->UpdateState();
    }
    std::string Text()
    {
        char text[128];
        circles->GetBoard().Print(text, sizeof text);
        return text;
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureCircles> circles;
};

TEST_F(CirclesLevel, WordsSetupAndTheDeal)
{
    EXPECT_EQ(circles->CheckSetup(), kStatusFailed);
    EXPECT_EQ(Word("circles_game_play", "ghost"), kStatusFailed);
    EXPECT_EQ(Word("circles_unknown", "1"), kStatusDoneStoreResult);
    Configure();
    EXPECT_EQ(circles->GetBoard().KindMiddle(), 4);
    // The check deals nothing: "reset" does.
    EXPECT_EQ(circles->CheckSetup(), kStatusOk);
    EXPECT_EQ(Text(), "circles not dealt");
    EXPECT_EQ(circles->OnCommand("reset"), kStatusOk);
    EXPECT_FALSE(circles->GetBoard().IsWon());
    EXPECT_EQ(Text().rfind("circles places ", 0), 0u);
}

TEST_F(CirclesLevel, TheLastTurnSolvesAndFinishesOnce)
{
    Configure("1");
    ASSERT_EQ(circles->OnCommand("reset"), kStatusOk);
    const CirclesWalk walk = SolveCircles(circles->GetBoard());
    ASSERT_EQ(walk.moves.size(), 1u);
    const char* names[] = {"circles_action_left_up", "circles_action_left_down", "circles_action_right_up",
                           "circles_action_right_down"};
    EXPECT_EQ(Event(names[walk.moves[0]], ""), kStatusDoneNoResult);
    Frames(19);
    EXPECT_EQ(circles->finishes, 0u);
    Frames(1);
    EXPECT_EQ(circles->IsSolved(), 1);
    EXPECT_EQ(circles->finishes, 1u);
    // "reset" deals again and lets the level finish once more.
    ASSERT_EQ(circles->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(circles->IsSolved(), 0);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(circles->finishes, 2u);
}

TEST_F(CirclesLevel, SkipFinishesWhilePausedButTheForceSolveDoesNot)
{
    Configure();
    ASSERT_EQ(circles->OnCommand("reset"), kStatusOk);
    ASSERT_EQ(circles->OnCommand("pause"), kStatusOk);
    EXPECT_EQ(circles->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(circles->finishes, 0u);
    EXPECT_EQ(circles->IsSolved(), 0);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(circles->finishes, 1u);
    // A deal ends the pause; the force-solve then stops the turn and finishes.
    ASSERT_EQ(circles->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(circles->IsPaused(), 0);
    Event("circles_action_left_up", "");
    EXPECT_EQ(circles->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(circles->GetBoard().Turning(), kCirclesRingNone);
    EXPECT_EQ(circles->finishes, 2u);
    // An accepted item word clears the solved flag.
    ASSERT_EQ(Word("circles_register_items_ref_left", "red"), kStatusDoneStoreResult);
    EXPECT_EQ(circles->IsSolved(), 0);
}

TEST_F(CirclesLevel, TheSavedBoardComesBackAndABadOneStartsAfresh)
{
    // Never dealt: the zero board loads as it is.
    Configure();
    const std::vector<uint8_t> undealt = SavedPayload(*circles);
    ASSERT_EQ(LoadPayload(*circles, undealt), kStatusOk);
    EXPECT_EQ(circles->GetBoard().KindRight(), 5);
    EXPECT_EQ(Text(), "circles not dealt");

    ASSERT_EQ(circles->OnCommand("reset"), kStatusOk);
    Event("circles_action_right_down", "");
    const std::string dealt = Text();
    const std::vector<uint8_t> payload = SavedPayload(*circles);
    ASSERT_EQ(LoadPayload(*circles, payload), kStatusOk);
    // Saved in the middle of a turn, it comes back at rest.
    EXPECT_EQ(Text() + " turning", dealt);
    EXPECT_EQ(SavedPayload(*circles), payload);

    // The kind's fields close the payload: six references and the count, the rings, the places.
    const size_t rings = payload.size() - 4 * (6 + 6 + 10), places = payload.size() - 4 * 10;
    const struct {
        size_t at;
        int32_t value;
    } damages[] = {{rings + 4, 10}, {places + 8, 0}, {places, -1}, {rings - 4 * 7, 7}, {rings - 4, -1}};
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[d.at], &d.value, 4);
        EXPECT_EQ(LoadPayload(*circles, damaged), kStatusOk) << d.at;
        EXPECT_EQ(circles->GetBoard().Play(), -1) << d.at;
        EXPECT_EQ(Text(), "circles not dealt") << d.at;
    }
}

}  // namespace
