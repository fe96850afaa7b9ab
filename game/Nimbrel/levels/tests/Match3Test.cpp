// The match-3 board and level: the words and the setup's refusals, the deal over many seeds, the
// presses, drags, releases and clicks of the three game types, the runs scored and removed, the
// cascades, the bonus pieces, the win, the stuck board, the help sparkle, the score on the
// monitor, the saved board, and the pieces kept to the board item's mask.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelLevels/CObjectsLevelMatch3.h"
#include "NimbrelLevels/LevelStateText.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

// The board's host: random numbers from its own generator, reseeded by a counter, and what the
// board told it.
class TestHost : public Match3Host {
public:
    uint32_t NextRandom() override { return UtilsRandom_Next(&m_world); }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    void Reseed() override { UtilsRandom_Seed(&m_world, seed++); }
    void PlayBoardSound(bool null) override { sounds.push_back(null ? "null" : "click"); }
    void Removed(const char* function, int32_t count) override
    {
        removals.push_back(std::string(function) + " " + std::to_string(count));
    }
    void NoMoveLeft() override { ++narrated; }
    void ShowSparkle(uint32_t cell) override { sparkles.push_back(cell); }
    void RemoveSparkle() override { ++sparkleRemovals; }
    void Collected(uint32_t cell) override { collected.push_back(cell); }

    uint32_t seed = 1;
    std::vector<uint8_t> finishes;
    std::vector<std::string> sounds;
    std::vector<std::string> removals;
    std::vector<uint32_t> sparkles;
    std::vector<uint32_t> collected;
    uint32_t narrated = 0;
    uint32_t sparkleRemovals = 0;

private:
    WorldData m_world;
};

Status Word(Match3Board& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// The sample's configuration on a board of 10-unit cells from (0, 0): a 4 x 2 sheet, six kinds
// on tiles 1 to 6, switch mode, 1 point a piece, `toWin` to win; the items set.
void Configure(Match3Board& board, const char* type = "switch", const char* size = "8x8", const char* toWin = "30")
{
    const std::pair<const char*, const char*> words[] = {
        {"match3_row_col", "4x2"},         {"match3_grid_row_col", size},      {"match3_elem_used_count", "6"},
        {"match3_elem_used_offset", "1"},  {"match3_elem_bonus_index", "0"},   {"match3_game_type", type},
        {"match3_points_per_match", "1"},  {"match3_points_to_win", toWin},    {"match3_response_callback", "OnRemoved"}};
    for (const auto& [name, value] : words)
        ASSERT_EQ(Word(board, name, value), kStatusDoneStoreResult) << name;
    board.SetItem(board.ItemWord("match3_game_play"), 0);
    board.SetMonitor(1);
    board.SetPopups(2);
    ASSERT_EQ(board.CheckSetup(), kStatusOk);
    board.SetArea(0.0f, 0.0f, 10.0f * float(board.Width()), 10.0f * float(board.Height()));
}

void Frames(Match3Board& board, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        board.Step(1.0f);
}

// Frames until the board rests (at most 400).
void Settle(Match3Board& board)
{
    for (uint32_t i = 0; i < 400 && (board.Animation() != kMatch3Idle || board.ReshufflePending()); ++i)
        board.Step(1.0f);
    ASSERT_EQ(board.Animation(), kMatch3Idle);
}

// The kinds of `rows` (one digit a cell) laid over the board, every cell in `state`.
void Lay(Match3Board& board, const std::vector<std::string>& rows, uint32_t state = kMatch3Resting)
{
    ASSERT_EQ(rows.size(), board.Height());
    for (uint32_t y = 0; y < rows.size(); ++y) {
        ASSERT_EQ(rows[y].size(), board.Width());
        for (uint32_t x = 0; x < board.Width(); ++x)
            board.SetCell(y * board.Width() + x, uint16_t(rows[y][x] - '0'), state);
    }
}

// Kinds 1 + (x + 2y) mod 6: no run and no move that makes one.
std::vector<std::string> Quiet(uint32_t width, uint32_t height)
{
    std::vector<std::string> rows(height, std::string(width, '0'));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rows[y][x] = char('1' + (x + 2 * y) % 6);
    return rows;
}

// A dealt board at rest with `rows` laid over it.
void Dealt(Match3Board& board, const std::vector<std::string>& rows)
{
    ASSERT_EQ(board.Deal(), kStatusOk);
    Settle(board);
    Lay(board, rows);
}

// Any run of three equal kinds in a row or a column.
bool HasRun(const Match3Board& board)
{
    const uint32_t w = board.Width(), h = board.Height();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint16_t k = board.Cell(y * w + x).kind;
            if (x + 2 < w && board.Cell(y * w + x + 1).kind == k && board.Cell(y * w + x + 2).kind == k)
                return true;
            if (y + 2 < h && board.Cell((y + 1) * w + x).kind == k && board.Cell((y + 2) * w + x).kind == k)
                return true;
        }
    return false;
}

// ---- configuration ------------------------------------------------------------------------------

TEST(Match3Board, WordsAreCutRaisedAndAdded)
{
    const struct {
        const char* name;
        const char* value;
        uint32_t gameType, width, height, bonus, count;
    } cases[] = {
        {"match3_game_type", "slide_one", 3, 0, 0, 255, 0},
        {"match3_game_type", "slide,switch", 5, 0, 0, 255, 0},
        {"match3_game_type", "turn,switch", 4, 0, 0, 255, 0},
        {"match3_grid_row_col", "1x300", 0, 2, 44, 255, 0},
        {"match3_grid_row_col", "wide", 0, 255, 255, 255, 0},
        {"match3_elem_bonus_index", "0", 0, 0, 0, 255, 0},
        {"match3_elem_bonus_index", "8", 0, 0, 0, 7, 0},
        {"match3_elem_used_count", "-3", 0, 0, 0, 255, 1},
        {"match3_elem_used_count", "262", 0, 0, 0, 255, 6},
    };
    for (const auto& c : cases) {
        TestHost host;
        Match3Board board(&host);
        EXPECT_EQ(Word(board, c.name, c.value), kStatusDoneStoreResult);
        EXPECT_EQ(board.GameType(), c.gameType) << c.name << " " << c.value;
        EXPECT_EQ(board.Width(), c.width) << c.value;
        EXPECT_EQ(board.Height(), c.height) << c.value;
        EXPECT_EQ(board.BonusTile(), c.bonus) << c.value;
        EXPECT_EQ(board.KindCount(), c.count) << c.value;
    }
    TestHost host;
    Match3Board board(&host);
    // Bits are only ever added.
    Word(board, "match3_game_type", "switch");
    Word(board, "match3_game_type", "slide");
    EXPECT_EQ(board.GameType(), 5);
    Word(board, "match3_help_seconds", "5");
    EXPECT_FLOAT_EQ(board.HelpDelay(), 150.0f);
    Word(board, "match3_points_to_win", "0");
    EXPECT_EQ(board.PointsToWin(), 1);
    EXPECT_EQ(Word(board, "match3_unheard_of", "1"), kStatusDoneStoreResult);
}

// A word that lays the board out differently takes the dealt board away until the next deal;
// the same value again, or any other word, keeps it.
TEST(Match3Board, AWordThatReshapesTheBoardLeavesNoBoardUntilTheNextDeal)
{
    const std::pair<const char*, const char*> cases[] = {
        {"match3_grid_row_col", "3x3"},   {"match3_grid_row_col", "9x8"},    {"match3_row_col", "2x2"},
        {"match3_elem_used_count", "5"},  {"match3_elem_used_offset", "2"},  {"match3_elem_bonus_index", "3"}};
    for (const auto& [name, value] : cases) {
        TestHost host;
        Match3Board board(&host);
        Configure(board);
        ASSERT_EQ(board.Deal(), kStatusOk);
        EXPECT_EQ(Word(board, "match3_grid_row_col", "8x8"), kStatusDoneStoreResult);
        EXPECT_EQ(Word(board, "match3_points_to_win", "40"), kStatusDoneStoreResult);
        ASSERT_TRUE(board.HasBoard());
        EXPECT_EQ(Word(board, name, value), kStatusDoneStoreResult);
        EXPECT_FALSE(board.HasBoard()) << name << " " << value;
        EXPECT_TRUE(board.Fits(3)) << name << " " << value;
        EXPECT_FALSE(board.InPlay());
    }
    TestHost host;
    Match3Board board(&host);
    Configure(board);
    ASSERT_EQ(board.Deal(), kStatusOk);
    Word(board, "match3_grid_row_col", "6x5");
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_TRUE(board.Fits(3));
    EXPECT_EQ(board.Width() * board.Height(), 30u);
}

TEST(Match3Board, TheReplacementKindWrapsByTheKindCount)
{
    TestHost host;
    Match3Board board(&host);
    Word(board, "match3_elem_used_offset", "5");
    Word(board, "match3_elem_used_count", "6");
    // ((kind + 1) mod count) + offset: with offset 5 and count 6 every kind stays.
    for (uint16_t kind : {5, 7, 10})
        EXPECT_EQ(board.ReplacementKind(kind), kind);
    Word(board, "match3_elem_used_offset", "1");
    EXPECT_EQ(board.ReplacementKind(1), 3);
    EXPECT_EQ(board.ReplacementKind(6), 2);
}

TEST(Match3Board, TheSetupRefusesMissingObjectsAndKindsOffTheSheet)
{
    const struct {
        const char* name;
        const char* value;
    } refusals[] = {
        {"match3_row_col", "2x2"},              // too few tiles either way
        {"match3_elem_used_count", "3"},        // fewer than four kinds
        {"match3_grid_row_col", "2x2"},         // more kinds than cells
        {"match3_elem_used_offset", "255"},     // the offset that means none
        {"match3_elem_used_offset", "3"},       // kinds 3 to 8 on a sheet of eight tiles
        {"match3_elem_bonus_index", "9"},       // a bonus tile past the sheet
    };
    for (const auto& r : refusals) {
        TestHost host;
        Match3Board board(&host);
        Configure(board);
        Word(board, r.name, r.value);
        EXPECT_EQ(board.CheckSetup(), kStatusFailed) << r.name << " " << r.value;
    }
    TestHost host;
    Match3Board board(&host);
    Configure(board);
    board.SetPopups(-1);
    EXPECT_EQ(board.CheckSetup(), kStatusFailed);
    // Kinds off the sheet, or only the bonus piece, are never dealt; a board that fails the
    // check otherwise still is.
    Match3Board bare(&host);
    EXPECT_EQ(bare.Deal(), kStatusFailed);
    Word(bare, "match3_grid_row_col", "4x4");
    Word(bare, "match3_elem_used_count", "1");
    Word(bare, "match3_elem_used_offset", "1");
    EXPECT_EQ(bare.Deal(), kStatusFailed);
    Word(bare, "match3_row_col", "4x2");
    Word(bare, "match3_elem_bonus_index", "2");
    EXPECT_EQ(bare.Deal(), kStatusFailed);
    Word(bare, "match3_elem_used_count", "2");
    EXPECT_EQ(bare.Deal(), kStatusOk);
    for (uint32_t c = 0; c < bare.CellCount(); ++c)
        EXPECT_TRUE(bare.Cell(c).kind == 2 || (bare.Cell(c).kind == 1 && c < 12)) << c;
}

// ---- the deal -----------------------------------------------------------------------------------

TEST(Match3Board, FreshBoardsHoldNoRunAndAtMostTwoBonusPiecesAboveTheBottom)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board);
    Match3Board bonus(&host);
    Configure(bonus);
    Word(bonus, "match3_elem_used_count", "7");
    Word(bonus, "match3_elem_bonus_index", "8");
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        host.seed = seed;
        ASSERT_EQ(board.Deal(), kStatusOk);
        EXPECT_FALSE(HasRun(board)) << seed;
        host.seed = seed;
        ASSERT_EQ(bonus.Deal(), kStatusOk);
        uint32_t pieces = 0;
        for (uint32_t c = 0; c < bonus.CellCount(); ++c)
            if (bonus.Cell(c).kind == 7) {
                ++pieces;
                EXPECT_LT(c / 8, 7u) << seed;
            }
        EXPECT_LE(pieces, 2u) << seed;
        EXPECT_EQ(bonus.BonusOnBoard(), pieces) << seed;
    }
    // Every piece starts above the board and falls in.
    EXPECT_EQ(board.Animation(), kMatch3Fall);
    EXPECT_FLOAT_EQ(board.Cell(0).fall, 85.0f);
    EXPECT_FLOAT_EQ(board.Cell(63).fall, 15.0f);
    EXPECT_EQ(board.Score(), 0);
}

TEST(Match3Board, CellsAreOpenRectangles)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board);
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(board.CellAtPoint(15.0f, 25.0f), 17);
    EXPECT_EQ(board.CellAtPoint(10.0f, 25.0f), -1);
    EXPECT_EQ(board.CellAtPoint(15.0f, 0.0f), -1);
    EXPECT_EQ(board.CellAtPoint(79.9f, 79.9f), 63);
    EXPECT_EQ(board.CellAtPoint(80.5f, 5.0f), -1);
}

// ---- moves --------------------------------------------------------------------------------------

TEST(Match3Board, AReleaseWithinHalfACellSlidesNothing)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "slide");
    Dealt(board, Quiet(8, 8));
    ASSERT_TRUE(board.Press(15.0f, 15.0f));
    ASSERT_TRUE(board.Drag(19.0f, 15.0f));
    EXPECT_EQ(board.PressedColumn(), -1);
    ASSERT_TRUE(board.Release(19.0f, 15.0f));
    EXPECT_EQ(board.Animation(), kMatch3Idle);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"click"});
    EXPECT_EQ(board.Cell(9).kind, Quiet(8, 8)[1][1] - '0');
}

TEST(Match3Board, ASlideWithoutARunReturnsAndOneWithARunIsKept)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "slide");
    Dealt(board, Quiet(8, 8));
    ASSERT_TRUE(board.Press(15.0f, 15.0f));
    board.Drag(22.0f, 15.0f);
    board.Drag(32.0f, 15.0f);
    ASSERT_TRUE(board.Release(32.0f, 15.0f));
    EXPECT_EQ(board.Animation(), kMatch3LineReturn);
    EXPECT_FLOAT_EQ(board.LineReturn(), 17.0f);
    EXPECT_EQ(board.CellA(), kMatch3WholeLine);
    EXPECT_EQ(board.CellB(), 1);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"click"});
    Frames(board, 1);
    EXPECT_FLOAT_EQ(board.Progress(), 0.15f);
    Frames(board, 6);
    EXPECT_EQ(board.Animation(), kMatch3Idle);

    // Row 0 slid one cell left wraps its first piece round and lines up three 1s with column 7.
    std::vector<std::string> rows = Quiet(8, 8);
    rows[0] = "12345612";
    rows[1] = "34561231";
    rows[2] = "56123451";
    Lay(board, rows);
    ASSERT_TRUE(board.LineShiftWouldMatch(-1, 0, 1, 2));
    // A pointer off the board moves nothing.
    ASSERT_TRUE(board.Press(5.0f, 5.0f));
    board.Drag(1.0f, 5.0f);
    EXPECT_FALSE(board.Drag(-3.0f, 5.0f));
    EXPECT_FLOAT_EQ(board.DragOffset()[0], -4.0f);
    ASSERT_TRUE(board.Release(1.0f, 5.0f));
    EXPECT_EQ(board.Animation(), kMatch3Idle);
    ASSERT_TRUE(board.Press(75.0f, 5.0f));
    board.Drag(70.0f, 5.0f);
    board.Drag(68.0f, 5.0f);
    ASSERT_TRUE(board.Release(68.0f, 5.0f));
    EXPECT_EQ(board.Animation(), kMatch3Shrink);
    EXPECT_EQ(board.Cell(7).kind, 1);
    EXPECT_EQ(board.Cell(0).kind, 2);
    EXPECT_EQ(board.Score(), 3);
    EXPECT_EQ(host.removals, std::vector<std::string>{"OnRemoved 3"});
}

TEST(Match3Board, OneStepSlidesAreHeldToACell)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "slide_one");
    Dealt(board, Quiet(8, 8));
    ASSERT_TRUE(board.Press(15.0f, 15.0f));
    board.Drag(15.0f, 20.0f);
    board.Drag(15.0f, 60.0f);
    EXPECT_FLOAT_EQ(board.DragOffset()[1], 10.0f);
    EXPECT_EQ(board.PressedRow(), -1);
}

TEST(Match3Board, SwitchesAreKeptOnlyWhenTheyMakeARun)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board);
    std::vector<std::string> rows = Quiet(8, 8);
    rows[0] = "11212345";
    Dealt(board, rows);
    // A drag from (4, 0) to (5, 0) makes no run: the piece returns and the null click plays.
    ASSERT_TRUE(board.Press(45.0f, 5.0f));
    board.Drag(50.0f, 5.0f);
    board.Drag(55.0f, 5.0f);
    EXPECT_EQ(board.Selected(), 5);
    ASSERT_TRUE(board.Release(55.0f, 5.0f));
    EXPECT_EQ(board.Animation(), kMatch3DragReturn);
    EXPECT_FLOAT_EQ(board.RejectedOffset()[0], 10.0f);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"null"});
    Frames(board, 1);
    EXPECT_FLOAT_EQ(board.Progress(), 0.075f);
    Settle(board);
    // From (3, 0) to (2, 0): 1 1 1 2.
    ASSERT_TRUE(board.Press(35.0f, 5.0f));
    board.Drag(30.0f, 5.0f);
    board.Drag(25.0f, 5.0f);
    ASSERT_TRUE(board.Release(25.0f, 5.0f));
    EXPECT_EQ(board.Animation(), kMatch3DragSwap);
    EXPECT_EQ(board.Cell(2).kind, 1);
    EXPECT_EQ(board.Cell(3).kind, 2);
    EXPECT_EQ(host.sounds.back(), "click");
    Frames(board, 7);
    EXPECT_EQ(board.Animation(), kMatch3Shrink);
    EXPECT_EQ(board.Score(), 3);
}

TEST(Match3Board, ClicksSelectThenSwitchOrGoThereAndBack)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board);
    std::vector<std::string> rows = Quiet(8, 8);
    rows[0] = "11212345";
    rows[1] = "34565612";
    Dealt(board, rows);
    const auto click = [&](float x, float y) {
        ASSERT_TRUE(board.Press(x, y));
        ASSERT_TRUE(board.Release(x + 0.5f, y));
    };
    click(5.0f, 5.0f);
    EXPECT_EQ(board.Selected(), 0);
    // Clicked again, the selection goes.
    click(5.0f, 5.0f);
    EXPECT_EQ(board.Selected(), kMatch3NoCell);
    // Equal neighbours go there and back.
    click(45.0f, 15.0f);
    click(55.0f, 15.0f);
    EXPECT_EQ(board.Animation(), kMatch3ClickBounce);
    EXPECT_EQ(board.Selected(), kMatch3NoCell);
    EXPECT_EQ(host.sounds.back(), "null");
    Frames(board, 1);
    EXPECT_FLOAT_EQ(board.Progress(), 0.075f);
    Settle(board);
    EXPECT_EQ(board.Cell(12).kind, 5);
    // A cell that is no neighbour takes the selection.
    click(35.0f, 5.0f);
    click(75.0f, 75.0f);
    EXPECT_EQ(board.Selected(), 63);
    click(35.0f, 5.0f);
    click(25.0f, 5.0f);
    EXPECT_EQ(board.Animation(), kMatch3ClickSwap);
    EXPECT_EQ(board.Cell(2).kind, 1);
    EXPECT_EQ(host.sounds.back(), "click");
}

TEST(Match3Board, MoveTestsSkipExcludedCellsAndTheBonusTile)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "4x4");
    Word(board, "match3_elem_bonus_index", "8");
    Dealt(board, {"1101", "2342", "3423", "4234"});
    EXPECT_TRUE(board.WouldMatchAt(2, 0, 2, 1, -1, -1));
    // The count ends at an excluded cell.
    EXPECT_FALSE(board.WouldMatchAt(2, 0, 2, 1, 1, -1));
    EXPECT_FALSE(board.RowRunWouldForm(3, 0, 0, 2, 1, -1, -1));
    // The row seen shifted by one: position 2 shows cell 3.
    EXPECT_TRUE(board.RowRunWouldForm(2, 0, 1, 1, 1, -1, -1));
    EXPECT_FALSE(board.WouldMatchAt(2, 0, 2, 7, -1, -1));
    // A falling piece is passed over, and the count goes on beyond it.
    board.SetCell(1, 1, kMatch3Falling);
    EXPECT_TRUE(board.WouldMatchAt(2, 0, 2, 1, -1, -1));
    EXPECT_FALSE(board.RowRunWouldForm(2, 0, 0, 3, 1, -1, -1));
}

// ---- resolution ---------------------------------------------------------------------------------

TEST(Match3Board, RunsScoreEachPieceOnce)
{
    const struct {
        const char* what;
        std::vector<std::string> rows;
        uint32_t marked;
    } cases[] = {
        {"a run of five", {"11111234", "23456123", "34561234", "45612345"}, 5},
        {"an L", {"11123456", "13456123", "14561234", "45612345"}, 5},
        {"a T", {"11123456", "31456123", "41561234", "45612345"}, 5},
        {"two runs", {"11123456", "23456123", "34561222", "45612345"}, 6},
    };
    for (const auto& c : cases) {
        TestHost host;
        Match3Board board(&host);
        Configure(board, "switch", "8x4");
        Dealt(board, c.rows);
        EXPECT_EQ(board.FindMatches(), c.marked) << c.what;
        EXPECT_EQ(board.Score(), int32_t(c.marked)) << c.what;
        EXPECT_EQ(host.removals, std::vector<std::string>{"OnRemoved " + std::to_string(c.marked)}) << c.what;
        // Found again, the marked pieces score nothing more.
        EXPECT_EQ(board.FindMatches(), 0u) << c.what;
        EXPECT_EQ(board.Score(), int32_t(c.marked)) << c.what;
    }
}

TEST(Match3Board, ACascadeScoresAgain)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "4x4");
    ASSERT_EQ(board.Deal(), kStatusOk);
    // The bottom row's run goes; the 2s above it fall in beside the fourth.
    Lay(board, {"3456", "4563", "5223", "1112"}, kMatch3Falling);
    Settle(board);
    ASSERT_GE(host.removals.size(), 2u);
    EXPECT_EQ(host.removals[0], "OnRemoved 3");
    EXPECT_EQ(host.removals[1], "OnRemoved 3");
    EXPECT_GE(board.Score(), 6);
    EXPECT_FALSE(HasRun(board));
}

TEST(Match3Board, CollapseKeepsTheOrderAndRefillsFromAbove)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "4x4");
    Dealt(board, {"3456", "4563", "5234", "1112"});
    ASSERT_EQ(board.FindMatches(), 3u);
    EXPECT_EQ(board.CollapseAndRefill(), 9u);
    EXPECT_EQ(board.Cell(12).kind, 5);
    EXPECT_EQ(board.Cell(8).kind, 4);
    EXPECT_EQ(board.Cell(4).kind, 3);
    EXPECT_EQ(board.Cell(12).state, kMatch3Falling);
    EXPECT_FLOAT_EQ(board.Cell(12).fall, 10.0f);
    // Each new piece starts as many cells above the board as its column lost.
    EXPECT_FLOAT_EQ(board.Cell(0).fall, 10.0f);
    EXPECT_EQ(board.Cell(15).state, kMatch3Resting);
    EXPECT_EQ(board.LandFallingCells(kMatch3Falling, kMatch3Resting), 12u);
}

TEST(Match3Board, BonusModeScoresOnlyCollectedPieces)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "8x4");
    Word(board, "match3_elem_bonus_index", "8");
    Dealt(board, {"11123456", "23456123", "34561234", "45672345"});
    EXPECT_EQ(board.FindMatches(), 4u);
    EXPECT_EQ(board.Score(), 1);
    EXPECT_EQ(host.collected, std::vector<uint32_t>{27});
    EXPECT_EQ(host.removals, std::vector<std::string>{"OnRemoved 1"});
    // Runs alone call back with no collected piece.
    Lay(board, {"11123456", "23456123", "34561234", "45612345"});
    EXPECT_EQ(board.FindMatches(), 3u);
    EXPECT_EQ(board.Score(), 1);
    EXPECT_EQ(host.removals.back(), "OnRemoved 0");
    // Refilled, the top row brings a bonus piece when none is left.
    EXPECT_EQ(board.BonusOnBoard(), 0);
    board.CollapseAndRefill();
    EXPECT_EQ(board.Cell(0).kind, 7);
    EXPECT_EQ(board.BonusOnBoard(), 1);
}

TEST(Match3Board, TheScoreIsHeldAtThePointsToWinAndFinishesOnce)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "8x4", "4");
    Dealt(board, {"11111234", "23456123", "34561234", "45612345"});
    board.FindMatches();
    EXPECT_EQ(board.Score(), 4);
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
    EXPECT_TRUE(board.Won());
    EXPECT_FALSE(board.InPlay());
    Lay(board, {"22234561", "23456123", "34561234", "45612345"});
    board.FindMatches();
    EXPECT_EQ(board.Score(), 4);
    EXPECT_EQ(host.finishes.size(), 1u);
    EXPECT_EQ(board.CheckWin(), kStatusFailed);
}

TEST(Match3Board, ASingleUsefulPieceIsStuckAndDealtAgainKeepingTheScore)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "4x4");
    Dealt(board, {"1112", "3456", "5634", "3456"});
    ASSERT_EQ(board.FindMatches(), 3u);
    ASSERT_EQ(board.GenerateBoard(false), kStatusOk);
    Lay(board, {"1121", "3456", "5634", "3456"}, kMatch3Falling);
    for (uint32_t i = 0; i < 40 && !board.ReshufflePending(); ++i)
        board.Step(1.0f);
    EXPECT_EQ(board.Animation(), kMatch3Idle);
    EXPECT_EQ(host.narrated, 1u);
    EXPECT_TRUE(board.ReshufflePending());
    EXPECT_EQ(board.Cell(3).mark, 1);
    Frames(board, 1);
    EXPECT_FALSE(board.ReshufflePending());
    EXPECT_EQ(board.Animation(), kMatch3Fall);
    EXPECT_EQ(board.Score(), 3);
}

TEST(Match3Board, MarksFollowTheGameType)
{
    const struct {
        const char* type;
        std::vector<std::string> rows;
        uint16_t marks;
    } cases[] = {
        {"switch", {"1121", "3456", "5634", "3456"}, 1},
        {"switch", {"1121", "3452", "5632", "3456"}, 2},
        {"slide_one", {"3456", "4563", "5634", "6345"}, 0},
    };
    for (const auto& c : cases) {
        TestHost host;
        Match3Board board(&host);
        Configure(board, c.type, "4x4");
        Dealt(board, c.rows);
        EXPECT_EQ(board.MarkMovableCells(), c.marks) << c.type << " " << c.rows[0];
    }
}

// The first switch in reading order that WouldMatchAt keeps, as two cells; false for none.
bool GreedyMove(const Match3Board& board, uint32_t* pA, uint32_t* pB)
{
    const uint32_t w = board.Width(), h = board.Height();
    for (uint32_t a = 0; a < board.CellCount(); ++a)
        for (uint32_t b : {a + 1, a + w}) {
            if ((b == a + 1 && (a % w) + 1 == w) || b >= w * h || board.Cell(a).kind == board.Cell(b).kind)
                continue;
            const int32_t ax = int32_t(a % w), ay = int32_t(a / w), bx = int32_t(b % w), by = int32_t(b / w);
            if (board.WouldMatchAt(ax, ay, 2, board.Cell(b).kind, int32_t(a), int32_t(b)) ||
                board.WouldMatchAt(bx, by, 2, board.Cell(a).kind, int32_t(a), int32_t(b))) {
                *pA = a;
                *pB = b;
                return true;
            }
        }
    return false;
}

TEST(Match3Board, AGreedyPlayerWinsTheSampleByClicks)
{
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        TestHost host;
        host.seed = seed;
        Match3Board board(&host);
        Configure(board);
        ASSERT_EQ(board.Deal(), kStatusOk);
        for (uint32_t move = 0; move < 60; ++move) {
            // A cascade may win while the board settles.
            Settle(board);
            if (board.Won())
                break;
            uint32_t a = 0, b = 0;
            ASSERT_TRUE(GreedyMove(board, &a, &b)) << seed;
            for (uint32_t cell : {a, b}) {
                float x, y;
                board.CellCentre(cell, &x, &y);
                ASSERT_TRUE(board.Press(x, y));
                ASSERT_TRUE(board.Release(x, y));
            }
            EXPECT_EQ(board.Animation(), kMatch3ClickSwap) << seed;
        }
        EXPECT_TRUE(board.Won()) << seed;
        EXPECT_EQ(board.Score(), 30) << seed;
        EXPECT_EQ(host.finishes, std::vector<uint8_t>{1}) << seed;
    }
}

TEST(Match3Board, TheSavedBoardReadsBackAsText)
{
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "4x4");
    Dealt(board, {"1121", "3452", "5632", "3456"});
    const std::vector<uint8_t> bytes = SavedBoard(board);
    UtilsStream_Chunk chunk(1);
    chunk.Open(kStreamReadWriteGrowable);
    chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
    chunk.Rewind();
    char text[256];
    ASSERT_TRUE(DescribeLevelState(kObjectKindMatch3, &chunk, 1, text, sizeof text));
    EXPECT_STREQ(text, "match3 4x4 score 0/30 animation 0\n1:1 1:1 2:1 1:1\n3:1 4:1 5:1 2:1\n5:1 6:1 3:1 2:1\n"
                       "3:1 4:1 5:1 6:1");
    // A board item beyond the object is told.
    chunk.Rewind();
    ASSERT_TRUE(DescribeLevelState(kObjectKindMatch3, &chunk, 0, text, sizeof text));
    EXPECT_NE(std::strstr(text, "(does not fit)"), nullptr) << text;
}

// ---- help ---------------------------------------------------------------------------------------

TEST(Match3Board, TheHelpSparkleWaitsForAQuietBoard)
{
    const std::vector<std::string> rows = {"1121", "3456", "5634", "3456"};
    {
        // No delay, no sparkle.
        TestHost host;
        Match3Board board(&host);
        Configure(board, "switch", "4x4");
        Dealt(board, rows);
        board.MarkMovableCells();
        Frames(board, 400);
        EXPECT_TRUE(host.sparkles.empty());
    }
    TestHost host;
    Match3Board board(&host);
    Configure(board, "switch", "4x4");
    Word(board, "match3_help_seconds", "1");
    Dealt(board, rows);
    board.MarkMovableCells();
    host.sparkles.clear();
    // A held piece keeps it away.
    ASSERT_TRUE(board.Press(5.0f, 35.0f));
    Frames(board, 40);
    EXPECT_TRUE(host.sparkles.empty());
    board.Release(5.0f, 35.0f);
    Frames(board, 31);
    EXPECT_EQ(host.sparkles, std::vector<uint32_t>{3});
    // A kept move restarts the wait from its end.
    Frames(board, 20);
    board.Press(35.0f, 5.0f);
    board.Drag(30.0f, 5.0f);
    board.Drag(25.0f, 5.0f);
    ASSERT_TRUE(board.Release(25.0f, 5.0f));
    Settle(board);
    board.MarkMovableCells();
    const size_t shown = host.sparkles.size();
    Frames(board, 30);
    EXPECT_EQ(host.sparkles.size(), shown);
}

// ---- the level ----------------------------------------------------------------------------------

using CFixtureMatch3 = CFixtureObject<CCounting<CObjectsLevelMatch3>>;
using CFixtureMonitor = CFixtureObject<CObjectsInterfaceMonitor>;

class Match3Level : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        WorldData* w = world.GetWorldData();
        match3 = std::make_unique<CFixtureMatch3>(w, 0, kObjectKindMatch3, "match3",
                                                  std::vector<const char*>{"board", "other"}, &world.requests);
        monitor = std::make_unique<CFixtureMonitor>(w, 1, kObjectKindMonitor, "monitor",
                                                    std::vector<const char*>{"plate"}, &world.requests);
        popups = std::make_unique<CFixtureObject<CObjectsLevelEmpty>>(w, 2, kObjectKindPopups, "popups",
                                                                     std::vector<const char*>{"frame"}, &world.requests);
        world.Objects()->Adopt({match3.get(), monitor.get(), popups.get()});
        ASSERT_EQ(match3->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(match3.get());
        w->pMath->SetIdentity(w->game.view.matrixScene);
        const float bounds[4] = {0.0f, 0.0f, 80.0f, 80.0f};
        std::memcpy(match3->GetItemRecord(0)->bounds, bounds, sizeof bounds);
        uint32_t seed = 7;
        match3->SetSeedSource([seed]() mutable { return seed++; });
        w->frameTime = 1.0;
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        match3.reset();
        monitor.reset();
        popups.reset();
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return match3->LoadEventsFromParam(name, copy.data());
    }
    void Configure()
    {
        const std::pair<const char*, const char*> words[] = {
            {"match3_game_play", "board"},       {"match3_monitor_name", "monitor"},
            {"match3_popup_name", "popups"},     {"match3_row_col", "4x2"},
            {"match3_grid_row_col", "8x8"},      {"match3_elem_used_count", "6"},
            {"match3_elem_used_offset", "1"},    {"match3_game_type", "switch"},
            {"match3_points_per_match", "1"},    {"match3_points_to_win", "30"}};
        for (const auto& [name, value] : words)
            ASSERT_EQ(Word(name, value), kStatusDoneStoreResult) << name;
    }
    void Frames(uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i)
            match3->UpdateState();
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureMatch3> match3;
    std::unique_ptr<CFixtureMonitor> monitor;
    std::unique_ptr<CFixtureObject<CObjectsLevelEmpty>> popups;
};

TEST_F(Match3Level, TheObjectsAreFoundByNameAndTypeAndTheScoreGoesToTheMonitor)
{
    EXPECT_EQ(Word("match3_monitor_name", "popups"), kStatusFailed);
    EXPECT_EQ(Word("match3_popup_name", "monitor"), kStatusFailed);
    EXPECT_EQ(Word("match3_game_play", "ghost"), kStatusFailed);
    Configure();
    EXPECT_EQ(match3->GetBoard().Monitor(), 1);
    EXPECT_EQ(match3->GetBoard().Popups(), 2);
    ASSERT_EQ(match3->CheckSetup(), kStatusOk);
    EXPECT_FLOAT_EQ(match3->GetBoard().CellWidth(), 10.0f);
    // No board before "reset": the item draws as itself and takes no press.
    char text[512];
    match3->PrintBoard(text, sizeof text);
    EXPECT_STREQ(text, "match3 no board");
    EXPECT_EQ(match3->OnMouseDown(5.0f, 5.0f, 1), kStatusFailed);
    ASSERT_EQ(match3->OnCommand("reset"), kStatusOk);
    Frames(30);
    ASSERT_EQ(monitor->SetParameters(0, "monitor_type", "score"), kStatusOk);
    EXPECT_EQ(match3->ShowScore(), kStatusOk);
    ASSERT_NE(monitor->GetRecord(0), nullptr);
    EXPECT_FLOAT_EQ(monitor->GetRecord(0)->value, float(match3->GetBoard().Score()));
    // "skip" wins it once; paused, the force-solve does nothing.
    std::string skip = "skip";
    match3->OnEvent("event", skip.data());
    EXPECT_EQ(match3->finishes, 1u);
    EXPECT_TRUE(match3->GetBoard().Won());
}

// "reset" deals a board in play: a pause before it does not outlive it.
TEST_F(Match3Level, AResetEndsAPause)
{
    Configure();
    ASSERT_EQ(match3->CheckSetup(), kStatusOk);
    ASSERT_EQ(match3->OnCommand("reset"), kStatusOk);
    Frames(30);
    ASSERT_EQ(match3->OnCommand("pause"), kStatusOk);
    EXPECT_EQ(match3->OnMouseDown(5.0f, 5.0f, 1), kStatusFailed);
    ASSERT_EQ(match3->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(match3->IsPaused(), 0);
    Frames(30);
    EXPECT_EQ(match3->OnMouseDown(5.0f, 5.0f, 1), kStatusOk);
    EXPECT_TRUE(match3->GetBoard().Pressed());
}

TEST_F(Match3Level, TheSavedBoardComesBackAndABadOneStartsAfresh)
{
    Configure();
    // Tile 7 is the bonus tile; the six kinds never bring it.
    ASSERT_EQ(Word("match3_elem_bonus_index", "8"), kStatusDoneStoreResult);
    ASSERT_EQ(match3->CheckSetup(), kStatusOk);
    ASSERT_EQ(match3->OnCommand("reset"), kStatusOk);
    Frames(30);
    char before[512], after[512];
    match3->PrintBoard(before, sizeof before);
    const std::vector<uint8_t> payload = SavedPayload(*match3);
    ASSERT_EQ(LoadPayload(*match3, payload), kStatusOk);
    match3->PrintBoard(after, sizeof after);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(SavedPayload(*match3), payload);

    // The cells (11 bytes each: fall, kind, state, mark) come before the score and three flags.
    const size_t cells = payload.size() - 7 - 64 * 11;
    struct Patch {
        size_t at;
        uint32_t size;
        uint32_t value;
    };
    const struct {
        const char* what;
        std::vector<Patch> patches;
    } damages[] = {
        {"a count that is not 8 x 8", {{cells - 4, 4, 63}}},
        {"a kind off the sheet", {{cells + 4, 2, 8}}},
        {"a state above 2", {{cells + 6, 4, 3}}},
        {"three bonus pieces", {{cells + 4, 2, 7}, {cells + 15, 2, 7}, {cells + 26, 2, 7}}},
        {"a paused flag of 2", {{payload.size() - 3, 1, 2}}},
    };
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        for (const Patch& p : d.patches)
            std::memcpy(&damaged[p.at], &p.value, p.size);
        EXPECT_EQ(LoadPayload(*match3, damaged), kStatusOk) << d.what;
        EXPECT_FALSE(match3->GetBoard().HasBoard()) << d.what;
        EXPECT_EQ(match3->GetBoard().BoardItem(), -1) << d.what;
    }
    // Two bonus pieces are a board like any other.
    std::vector<uint8_t> two = payload;
    const uint16_t seven = 7;
    std::memcpy(&two[cells + 4], &seven, 2);
    std::memcpy(&two[cells + 15], &seven, 2);
    EXPECT_EQ(LoadPayload(*match3, two), kStatusOk);
    EXPECT_TRUE(match3->GetBoard().HasBoard());
    // A cut state starts afresh and fails.
    EXPECT_EQ(LoadPayload(*match3, payload, payload.size() - 2), kStatusFailed);
    EXPECT_FALSE(match3->GetBoard().HasBoard());
}

// An engine that notes each depth test set, with the number of draws made before it.
class CDepthTestEngine : public CMemoryEngine {
public:
    using CMemoryEngine::CMemoryEngine;
    C3DObject* CreateObject(uint32_t flags, uint32_t second) override
    {
        C3DObject* object = CMemoryEngine::CreateObject(flags, second);
        if (!first)
            first = object;
        return object;
    }
    Status SetDepthFunc(uint32_t mode) override
    {
        tests.push_back({draws.size(), mode});
        return kStatusOk;
    }
    // The depth test in force at draw `index`: the last set before it, 0 when none was.
    uint32_t TestAt(size_t index) const
    {
        uint32_t mode = 0;
        for (const auto& [before, set] : tests)
            if (before <= index)
                mode = set;
        return mode;
    }
    C3DObject* first = nullptr;  // the level's render model, made first at its load
    std::vector<std::pair<size_t, uint32_t>> tests;
};

// The board item drawn under its zone's depth mask (the element draw turns the model's depth
// test on): every piece, the falling ones above the board included, passes the test only where
// the mask lies, as the item's own picture would; drawn without a mask, no piece sets a test.
TEST(Match3Drawing, UnderTheBoardItemsMaskThePiecesAreKeptToIt)
{
    constexpr uint32_t kPassOnTheMask = 6;  // the renderers' "greater or equal"
    CBuiltinWorld world;
    world.Scripts()->Init();
    WorldData* w = world.GetWorldData();
    C3DEngine* const worldEngine = w->p3DEngine;
    CDepthTestEngine engine(w);
    w->p3DEngine = &engine;
    auto match3 = std::make_unique<CFixtureObject<CObjectsLevelMatch3>>(
        w, 0, kObjectKindMatch3, "match3", std::vector<const char*>{"board"}, &world.requests);
    auto monitor = std::make_unique<CFixtureObject<CObjectsInterfaceMonitor>>(
        w, 1, kObjectKindMonitor, "monitor", std::vector<const char*>{"plate"}, &world.requests);
    auto popups = std::make_unique<CFixtureObject<CObjectsLevelEmpty>>(w, 2, kObjectKindPopups, "popups",
                                                                       std::vector<const char*>{"frame"}, &world.requests);
    world.Objects()->Adopt({match3.get(), monitor.get(), popups.get()});
    ASSERT_EQ(match3->Load(), kStatusOk);
    ASSERT_NE(engine.first, nullptr);
    C3DObject& model = *engine.first;
    ASSERT_EQ(model.Create(1, 4, 4), kStatusOk);
    model.Lock(0, 1);
    for (uint32_t k = 0; k < 4; ++k) {
        model.SetVertex(k, float(k & 1) * 80.0f, float(k >> 1) * 80.0f, 0.0f, 0xFFFFFFFFu, float(k & 1), float(k >> 1),
                        0.0f, 0.0f, -1.0f, 0);
        model.SetIndex(k, k);
    }
    model.SetGroup(0, 0, 4, 0, 4, 2, kPrimitiveTriangleStrip, 0, kGroupIdOwnNumber);
    model.Unlock(0);
    const float bounds[4] = {0.0f, 0.0f, 80.0f, 80.0f};
    std::memcpy(match3->GetItemRecord(0)->bounds, bounds, sizeof bounds);
    const std::pair<const char*, const char*> words[] = {
        {"match3_game_play", "board"},    {"match3_monitor_name", "monitor"}, {"match3_popup_name", "popups"},
        {"match3_row_col", "4x2"},        {"match3_grid_row_col", "8x8"},     {"match3_elem_used_count", "6"},
        {"match3_elem_used_offset", "1"}, {"match3_game_type", "switch"}};
    for (const auto& [name, value] : words) {
        std::string copy = value;
        ASSERT_EQ(match3->LoadEventsFromParam(name, copy.data()), kStatusDoneStoreResult) << name;
    }
    ASSERT_EQ(match3->CheckSetup(), kStatusOk);
    ASSERT_EQ(monitor->SetParameters(0, "monitor_type", "score"), kStatusOk);
    // Dealt, every piece is still to drop in from above the board.
    ASSERT_EQ(match3->OnCommand("reset"), kStatusOk);
    const uint32_t creation = model.GetCreationWord();
    for (const bool masked : {true, false}) {
        SCOPED_TRACE(masked ? "masked" : "unmasked");
        model.SetCreationWord(masked ? creation | k3DDrawDepthTest : creation & ~k3DDrawDepthTest);
        engine.draws.clear();
        engine.tests.clear();
        ASSERT_EQ(match3->DrawElement(match3->GetItemRecord(0)), kStatusOk);
        ASSERT_EQ(engine.draws.size(), 64u);
        for (size_t d = 0; d < engine.draws.size(); ++d)
            EXPECT_EQ(engine.TestAt(d) == kPassOnTheMask, masked) << "piece " << d;
    }
    model.SetCreationWord(creation);
    world.Objects()->Forget();
    match3.reset();
    w->p3DEngine = worldEngine;
}

}  // namespace
