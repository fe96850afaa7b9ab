// The puzzle board: its words and their refusals, the scatter, presses and ranks, drags held in
// the play area, short presses that turn a group, locks at home, joins of groups, both win
// tests, and the saved board, by itself and in the level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelPuzzle.h"
#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/PuzzleBoard.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

namespace {

// Items: 0 the picture, 1 to 4 the pieces "piece_01" to "piece_04" of 100 x 100 in a 2 x 2
// grid whose corner is (100, 100); the play area 0..1000 x 0..800.
class PuzzleTestHost : public PuzzleHost {
public:
    PuzzleTestHost() { UtilsRandom_Seed(&m_world, 5); }
    uint32_t NextRandom() override { return values.empty() ? UtilsRandom_Next(&m_world) : values[next++ % values.size()]; }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    int32_t FindItem(const char* name) override
    {
        for (int32_t i = 1; i <= 4; ++i)
            if (name == "piece_0" + std::to_string(i))
                return i;
        return std::strcmp(name, "picture") == 0 ? 0 : -1;
    }
    bool ItemPlace(int32_t item, float* home, float* half) override
    {
        if (item < 1 || item > 4)
            return false;
        home[0] = 150.0f + 100.0f * float((item - 1) % 2);
        home[1] = 150.0f + 100.0f * float((item - 1) / 2);
        home[2] = 0.0f;
        half[0] = half[1] = 50.0f;
        return true;
    }
    bool PieceHit(int32_t, float x, float y) override { return std::fabs(x) < 50.0f && std::fabs(y) < 50.0f; }
    void PlayItemSound(int32_t item) override { sounds.push_back(item); }
    void PlayArea(float* area) override { std::memcpy(area, this->area, sizeof this->area); }

    std::vector<uint32_t> values;
    size_t next = 0;
    std::vector<uint8_t> finishes;
    std::vector<int32_t> sounds;
    float area[4] = {0.0f, 0.0f, 1000.0f, 800.0f};

private:
    WorldData m_world;
};

Status Word(PuzzleBoard& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// The random value that is `share` of 2^32.
uint32_t Share(double share) { return uint32_t(share * 4294967296.0); }

class PuzzleGame : public ::testing::Test {
protected:
    // Four pieces; `snaps` the "snap_piece" rows; `turns` the scatter's turn values, one a
    // piece, when turning is on. Piece k lands at x = 100 + 200 k, y = 600.
    void Configure(const std::vector<const char*>& snaps, const std::vector<uint32_t>& turns = {},
                   bool snapFinish = false)
    {
        *board.ItemWord("puzzle_game_play") = 0;
        ASSERT_EQ(Word(board, "puzzle_number_element", "4"), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "puzzle_game_element", "piece"), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "puzzle_snap_range", "20"), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "puzzle_rotate", turns.empty() ? "0" : "1"), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "finish_snap", snapFinish ? "1" : "0"), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "puzzle_snap", "4"), kStatusDoneStoreResult);
        for (const char* row : snaps)
            ASSERT_EQ(Word(board, "snap_piece", row), kStatusDoneStoreResult) << row;
        ASSERT_EQ(board.CheckSetup(), kStatusOk);
        for (uint32_t k = 0; k < 4; ++k) {
            host.values.push_back(Share((50.0 + 200.0 * k) / 900.0));
            host.values.push_back(Share(550.0 / 700.0));
            if (!turns.empty())
                host.values.push_back(turns[k]);
        }
        ASSERT_EQ(board.Deal(), kStatusOk);
    }
    const float* At(uint32_t piece) const { return board.Piece(piece).current; }
    // A press on the piece, moves to `to` by two steps, the release.
    void Drag(uint32_t piece, float x, float y)
    {
        const float from[3] = {At(piece)[0], At(piece)[1], 0.0f};
        ASSERT_EQ(board.Press(from), kStatusOk);
        ASSERT_EQ(board.Held(), int32_t(piece));
        const float half[3] = {(from[0] + x) * 0.5f, (from[1] + y) * 0.5f, 0.0f};
        const float to[3] = {x, y, 0.0f};
        board.Move(half);
        board.Move(to);
        ASSERT_EQ(board.Release(), kStatusOk);
    }
    // Onto its home, missed by (3, -4).
    void DragHome(uint32_t piece)
    {
        Drag(piece, board.Piece(piece).home[0] + 3.0f, board.Piece(piece).home[1] - 4.0f);
    }
    // A press and release where the piece lies.
    void ShortPress(uint32_t piece)
    {
        const float at[3] = {At(piece)[0] + 1.0f, At(piece)[1], 0.0f};
        ASSERT_EQ(board.Press(at), kStatusOk);
        ASSERT_EQ(board.Release(), kStatusOk);
    }
    std::vector<uint32_t> Ranks() const
    {
        std::vector<uint32_t> ranks;
        for (uint32_t i = 0; i < board.Count(); ++i)
            ranks.push_back(board.Piece(i).rank);
        return ranks;
    }

    PuzzleTestHost host;
    PuzzleBoard board{&host};
};

TEST(PuzzleBoardMaths, QuarterTurnsOfAVector)
{
    const float v[2] = {3.0f, 5.0f};
    const float expected[4][2] = {{3.0f, 5.0f}, {-5.0f, 3.0f}, {-3.0f, -5.0f}, {5.0f, -3.0f}};
    for (uint32_t t = 0; t < 4; ++t) {
        float out[2];
        PuzzleBoard::Turn(v, t, out);
        EXPECT_EQ(out[0], expected[t][0]) << t;
        EXPECT_EQ(out[1], expected[t][1]) << t;
    }
}

TEST_F(PuzzleGame, WordsAndTheirRefusals)
{
    ASSERT_EQ(Word(board, "puzzle_number_element", "0"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Count(), 1u);
    ASSERT_EQ(Word(board, "puzzle_number_element", "1024"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Count(), 1024u);
    // Three tables of n x n bytes from a script's number: beyond 1,024 is refused.
    EXPECT_EQ(Word(board, "puzzle_number_element", "1025"), kStatusFailed);
    EXPECT_EQ(Word(board, "puzzle_number_element", "2000000000"), kStatusFailed);
    EXPECT_EQ(board.Count(), 1024u);

    ASSERT_EQ(Word(board, "puzzle_number_element", "3"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "puzzle_game_element", "piece"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Piece(0).element, 1);
    EXPECT_EQ(Word(board, "puzzle_game_element", "nothing"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Piece(2).element, -1);
    EXPECT_EQ(Word(board, "puzzle_snap", "4"), kStatusFailed);
    ASSERT_EQ(Word(board, "puzzle_snap", "2"), kStatusDoneStoreResult);
    // A number beyond the row, or beyond the pieces, marks nothing and takes no row.
    struct Case {
        const char* row;
        Status status;
        uint32_t rows;
    } cases[] = {{"3", kStatusFailed, 0}, {"1,0", kStatusFailed, 0}, {"2", kStatusDoneStoreResult, 1},
                 {"1,2", kStatusDoneStoreResult, 2}, {"1,x", kStatusFailed, 2}, {"1", kStatusDoneStoreResult, 3},
                 {"1", kStatusFailed, 3}};
    for (const Case& c : cases) {
        EXPECT_EQ(Word(board, "snap_piece", c.row), c.status) << c.row;
        EXPECT_EQ(board.SnapRows(), c.rows) << c.row;
    }
    EXPECT_TRUE(board.SnapAllowed(0, 1));
    EXPECT_FALSE(board.SnapAllowed(0, 0));
    EXPECT_TRUE(board.SnapAllowed(1, 0) && board.SnapAllowed(1, 1) && board.SnapAllowed(2, 0));

    EXPECT_EQ(Word(board, "puzzle_snap_range", "0"), kStatusDoneStoreResult);
    EXPECT_EQ(board.SnapRange(), 1);
    EXPECT_EQ(Word(board, "puzzle_snap_range", "300"), kStatusDoneStoreResult);
    EXPECT_EQ(board.SnapRange(), 44);
    EXPECT_EQ(Word(board, "puzzle_rotate", "2"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Rotate(), 0);
    EXPECT_EQ(Word(board, "something_else", "1"), kStatusDoneStoreResult);
    EXPECT_EQ(board.CheckSetup(), kStatusFailed);
}

TEST_F(PuzzleGame, TheScatterPlacesPiecesInsideThePlayArea)
{
    Configure({});
    for (uint32_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(At(k)[0], 100.0f + 200.0f * float(k), 0.01f) << k;
        EXPECT_NEAR(At(k)[1], 600.0f, 0.01f) << k;
        EXPECT_EQ(board.Piece(k).rank, k);
        EXPECT_EQ(board.Piece(k).turn, 0);
    }
    EXPECT_EQ(host.next, 8u);
    EXPECT_EQ(board.Piece(3).home[0], 250.0f);
    EXPECT_EQ(board.Piece(3).home[1], 250.0f);
    // The extreme random values keep a whole piece inside.
    host.values = {0u, 0xFFFFFFFFu};
    host.next = 0;
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(At(0)[0], 50.0f);
    EXPECT_NEAR(At(0)[1], 750.0f, 0.001f);
}

TEST_F(PuzzleGame, ScatterTurnsAreZeroToTwoOverManySeeds)
{
    Configure({}, {0, 0, 0, 0});
    host.values.clear();
    std::vector<uint32_t> seen(4, 0);
    WorldData world{};
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        UtilsRandom_Seed(&world, seed);
        host.values = {UtilsRandom_Next(&world), UtilsRandom_Next(&world), UtilsRandom_Next(&world)};
        host.next = 0;
        ASSERT_EQ(board.Deal(), kStatusOk);
        ++seen[board.Piece(0).turn];
    }
    EXPECT_GT(seen[0], 0u);
    EXPECT_GT(seen[1], 0u);
    EXPECT_GT(seen[2], 0u);
    EXPECT_EQ(seen[3], 0u);
    // The largest value is still two quarter turns.
    host.values = {0u, 0u, 0xFFFFFFFFu};
    host.next = 0;
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(board.Piece(0).turn, 2);
}

TEST_F(PuzzleGame, APressRaisesThePieceAndTheRestCloseUp)
{
    Configure({"2"});
    const float onSecond[3] = {300.0f, 600.0f, 0.0f};
    ASSERT_EQ(board.Press(onSecond), kStatusOk);
    EXPECT_EQ(Ranks(), (std::vector<uint32_t>{0, 3, 1, 2}));
    const float nowhere[3] = {900.0f, 100.0f, 0.0f};
    EXPECT_EQ(board.Press(nowhere), kStatusFailed);
    EXPECT_EQ(board.Held(), -1);
    EXPECT_EQ(board.Release(), kStatusFailed);
    EXPECT_TRUE(host.sounds.empty());
}

TEST_F(PuzzleGame, TheTopPieceTakesAPressWherePiecesOverlap)
{
    Configure({});
    // Piece 1 dropped onto piece 0 (no home, no join): it lies above.
    Drag(1, 130.0f, 600.0f);
    const float between[3] = {115.0f, 600.0f, 0.0f};
    ASSERT_EQ(board.Press(between), kStatusOk);
    EXPECT_EQ(board.Held(), 1);
}

TEST_F(PuzzleGame, ALockAtHomeSinksThePieceToTheBottom)
{
    Configure({});
    DragHome(2);
    const PuzzlePiece& piece = board.Piece(2);
    EXPECT_EQ(piece.locked, 1);
    EXPECT_EQ(piece.current[0], 150.0f);
    EXPECT_EQ(piece.current[1], 250.0f);
    EXPECT_EQ(Ranks(), (std::vector<uint32_t>{1, 2, 0, 3}));
    EXPECT_EQ(host.sounds, (std::vector<int32_t>{0}));
    // A locked piece is no longer taken.
    const float on[3] = {150.0f, 250.0f, 0.0f};
    EXPECT_EQ(board.Press(on), kStatusFailed);
    EXPECT_TRUE(host.finishes.empty());
    // A drop just out of range stays where it fell.
    Drag(0, 150.0f + 20.0f, 150.0f);
    EXPECT_EQ(board.Piece(0).locked, 0);
    for (uint32_t k : {0u, 1u, 3u})
        DragHome(k);
    EXPECT_EQ(host.finishes, (std::vector<uint8_t>{1}));
}

TEST_F(PuzzleGame, ATurnedPieceDroppedAtHomeDoesNotLockUntilTurnedUpright)
{
    Configure({}, {Share(0.5), 0, 0, 0});
    ASSERT_EQ(board.Piece(0).turn, 1);
    DragHome(0);
    EXPECT_EQ(board.Piece(0).locked, 0);
    // Three short presses bring it round to upright; the short press turns and does not move.
    const float before[2] = {At(0)[0], At(0)[1]};
    for (int press = 0; press < 3; ++press)
        ShortPress(0);
    EXPECT_EQ(board.Piece(0).turn, 0);
    EXPECT_EQ(At(0)[0], before[0]);
    EXPECT_EQ(board.Piece(0).locked, 0);
    // Carried on by more than a tenth of the snap range, still within it of home.
    Drag(0, 160.0f, 150.0f);
    EXPECT_EQ(board.Piece(0).locked, 1);
}

TEST_F(PuzzleGame, ADragPastThePlayAreaStopsAtItsEdge)
{
    Configure({"2", "1"});
    Drag(0, 5000.0f, -300.0f);
    EXPECT_EQ(At(0)[0], 1000.0f);
    EXPECT_EQ(At(0)[1], 0.0f);
    // Back in by the pointer's own steps from where it stopped.
    const float from[3] = {990.0f, 5.0f, 0.0f};
    ASSERT_EQ(board.Press(from), kStatusOk);
    const float to[3] = {900.0f, 105.0f, 0.0f};
    board.Move(to);
    EXPECT_EQ(At(0)[0], 910.0f);
    EXPECT_EQ(At(0)[1], 100.0f);
}

TEST_F(PuzzleGame, AJoinedPairMovesAndTurnsAsOne)
{
    Configure({"2", "1"}, {0, 0, 0, 0});
    // Piece 1 dropped where it meets piece 0 as in the picture, 5 off.
    Drag(1, At(0)[0] + 100.0f + 5.0f, At(0)[1]);
    ASSERT_TRUE(board.Joined(0, 1));
    EXPECT_EQ(At(1)[0], At(0)[0] + 100.0f);
    EXPECT_EQ(board.Piece(0).joined, 1);
    EXPECT_EQ(Ranks(), (std::vector<uint32_t>{3, 3, 1, 2}));
    // The pair follows piece 0's drag.
    Drag(0, 400.0f, 400.0f);
    EXPECT_EQ(At(1)[0], 500.0f);
    EXPECT_EQ(At(1)[1], 400.0f);
    // A short press on either turns both: piece 1 lies below piece 0 after a quarter.
    ShortPress(1);
    EXPECT_EQ(board.Piece(0).turn, 1);
    EXPECT_EQ(board.Piece(1).turn, 1);
    EXPECT_EQ(At(0)[0], 500.0f);
    EXPECT_EQ(At(0)[1], 300.0f);
    // Turned back upright and dragged home, the pair locks together.
    for (int press = 0; press < 3; ++press)
        ShortPress(0);
    DragHome(0);
    EXPECT_EQ(board.Piece(0).locked, 1);
    EXPECT_EQ(board.Piece(1).locked, 1);
    EXPECT_EQ(At(1)[0], 250.0f);
    EXPECT_EQ(Ranks()[0], 0u);
    EXPECT_EQ(Ranks()[1], 0u);
}

TEST_F(PuzzleGame, OnlyAllowedPiecesTurnedAlikeJoin)
{
    Configure({"2", "1", "4", "3"}, {0, 0, Share(0.5), 0});
    // Piece 3 may join piece 4, but piece 3 is turned; piece 1 may not join piece 4.
    Drag(3, At(2)[0] + 100.0f, At(2)[1]);
    Drag(0, At(3)[0] - 100.0f, At(3)[1] - 100.0f);
    EXPECT_FALSE(board.Joined(3, 2));
    EXPECT_FALSE(board.Joined(0, 3));
}

TEST_F(PuzzleGame, JoiningTwoGroupsJoinsEveryPieceOfBoth)
{
    Configure({"2", "1,3", "2,4", "3"});
    Drag(1, At(0)[0] + 100.0f, At(0)[1]);
    Drag(3, At(2)[0] + 100.0f, At(2)[1] + 4.0f);
    ASSERT_TRUE(board.Joined(0, 1) && board.Joined(2, 3));
    // Pieces 3 and 2 may join: the pair {3, 4} dropped with piece 3 where it meets piece 2.
    Drag(2, At(1)[0] - 100.0f, At(1)[1] + 100.0f);
    for (uint32_t a = 0; a < 4; ++a)
        for (uint32_t b = 0; b < 4; ++b)
            EXPECT_EQ(board.Joined(a, b), a != b) << a << " " << b;
    // Every piece of the new group may now join what any of them could.
    EXPECT_TRUE(board.Allowed(0, 2) && board.Allowed(3, 0));
    EXPECT_EQ(Ranks(), (std::vector<uint32_t>{3, 3, 3, 3}));
    EXPECT_TRUE(host.finishes.empty());
}

TEST_F(PuzzleGame, WithSnapFinishPiecesNeverLockAndTheChainSolves)
{
    Configure({"2", "1,3", "2,4", "3"}, {}, true);
    DragHome(0);
    EXPECT_EQ(board.Piece(0).locked, 0);
    EXPECT_FALSE(board.IsWon());
    Drag(1, At(0)[0] + 100.0f, At(0)[1]);
    Drag(2, At(1)[0] - 100.0f, At(1)[1] + 100.0f);
    EXPECT_TRUE(host.finishes.empty());
    Drag(3, At(2)[0] + 100.0f, At(2)[1]);
    EXPECT_EQ(host.finishes, (std::vector<uint8_t>{1}));
    for (uint32_t k = 0; k < 4; ++k)
        EXPECT_EQ(board.Piece(k).locked, 0);
}

TEST_F(PuzzleGame, TheSavedBoardComesBackAndBadFieldsDoNotFit)
{
    Configure({"2", "1"}, {0, Share(0.9), 0, 0});
    Drag(1, 700.0f, 300.0f);
    DragHome(2);
    UtilsStream_Chunk chunk(1);
    chunk.Open(kStreamReadWriteGrowable);
    uint8_t paused = 0, solved = 1;
    {
        LevelState write(&chunk, true);
        board.StateFields(write, paused, solved);
        ASSERT_TRUE(write.Ok());
    }
    char text[512];
    board.Print(text, sizeof text);
    chunk.Rewind();
    PuzzleTestHost otherHost;
    PuzzleBoard other(&otherHost);
    uint8_t paused2 = 9, solved2 = 9;
    LevelState read(&chunk, false);
    other.StateFields(read, paused2, solved2);
    ASSERT_TRUE(read.Ok());
    EXPECT_TRUE(other.Fits(5));
    EXPECT_FALSE(other.Fits(4));
    EXPECT_EQ(solved2, 1);
    char back[512];
    other.Print(back, sizeof back);
    EXPECT_STREQ(back, text);
    EXPECT_EQ(std::string(text),
              "puzzle 1@(100,600) r1 | 2@(700,300)^2 r3 | 3@(150,250) r0 locked | 4@(700,600) r2");
}

}  // namespace

namespace {

// ---- the level in the builtins' world -----------------------------------------------------------

// The level configured by its words and scattered, saved and loaded back; then a snap table
// byte that is neither 0 nor 1: the level starts afresh, the profile goes on.
TEST(PuzzleLevel, ASavedBoardComesBackAndABadOneStartsAfresh)
{
    CBuiltinWorld world;
    world.Scripts()->Init();
    auto level = std::make_unique<CFixtureObject<CCounting<CObjectsLevelPuzzle>>>(
        world.GetWorldData(), 0, kObjectKindPuzzle, "puzzle",
        std::vector<const char*>{"picture", "piece_01", "piece_02", "piece_03"}, &world.requests);
    world.Objects()->Adopt({level.get()});
    ASSERT_EQ(level->Load(), kStatusOk);
    UtilsRandom_Seed(world.GetWorldData(), 5);
    const std::pair<const char*, const char*> words[] = {
        {"puzzle_game_play", "picture"}, {"puzzle_number_element", "3"}, {"puzzle_game_element", "piece"},
        {"puzzle_rotate", "1"},          {"puzzle_snap_range", "20"},    {"puzzle_snap", "3"},
        {"snap_piece", "2"},             {"snap_piece", "1,3"},          {"snap_piece", "2"}};
    for (const auto& [name, value] : words) {
        std::string copy = value;
        ASSERT_EQ(level->LoadEventsFromParam(name, copy.data()), kStatusDoneStoreResult) << name;
    }
    ASSERT_EQ(level->CheckSetup(), kStatusOk);
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    char text[256];
    level->PrintBoard(text, sizeof text);
    const std::string dealt = text;
    const std::vector<uint8_t> payload = SavedPayload(*level);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    level->PrintBoard(text, sizeof text);
    EXPECT_EQ(text, dealt);
    EXPECT_EQ(SavedPayload(*level), payload);
    std::vector<uint8_t> damaged = payload;
    // The last byte of the snap table, before the three flags and three words.
    damaged[damaged.size() - 3 * 4 - 3 - 1] = 2;
    EXPECT_EQ(LoadPayload(*level, damaged), kStatusOk);
    EXPECT_EQ(level->GetBoard().Count(), 0u);
    EXPECT_EQ(level->GetBoard().PlayItem(), -1);
    // A cut state starts afresh too, and says so.
    EXPECT_EQ(LoadPayload(*level, payload, payload.size() - 1), kStatusFailed);
    EXPECT_EQ(level->GetBoard().Count(), 0u);
    world.Objects()->Forget();
}

}  // namespace
