// The jigsaw board: its words and the blank, the refusals of the setup and the shuffle, slides
// by clicks and by pushes, slide repeat, exchanges without lists, a solver over every state of
// the 3 x 3 slide game, and the saved board.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "GridTestHost.h"
#include "JigsawSolver.h"
#include "LevelPayload.h"
#include "NimbrelLevels/JigsawBoard.h"

namespace {

class Jigsaw : public ::testing::Test {
protected:
    // A game over the 300 x 300 play item.
    Status Configure(const char* type, const char* grid = "3x3", const char* count = "40")
    {
        *board.ItemWord("jigsaw_game_play") = 0;
        EXPECT_EQ(Word("jigsaw_row_col", grid), kStatusDoneStoreResult);
        if (count) {  // none: no random count at all
            EXPECT_EQ(Word("jigsaw_random_count", count), kStatusDoneStoreResult);
        }
        const Status status = Word("jigsaw_game_type", type);
        return status == kStatusDoneStoreResult ? board.CheckSetup() : status;
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return board.Word(name, copy.data());
    }
    float X(uint32_t c) const { return -150.0f + board.CellWidth() * (float(c % board.Columns()) + 0.5f); }
    float Y(uint32_t c) const { return -150.0f + board.CellHeight() * (float(c / board.Columns()) + 0.5f); }
    // A click as the world sends it: the press, the release, and the click when the release
    // was not taken; then the animation runs out.
    void Click(uint32_t c)
    {
        const bool taken = Succeeded(board.Press(X(c), Y(c))) && Succeeded(board.Release(X(c), Y(c)));
        if (!taken)
            board.Click(X(c), Y(c));
        for (int frame = 0; frame < 8; ++frame)
            board.Step(1.0f);
    }
    // A press on cell c, a drag by (dx, dy) in two moves, the release there.
    void Drag(uint32_t c, float dx, float dy)
    {
        board.Press(X(c), Y(c));
        board.Move(X(c) + dx * 0.5f, Y(c) + dy * 0.5f, true);
        board.Move(X(c) + dx, Y(c) + dy, true);
        board.Release(X(c) + dx, Y(c) + dy);
    }
    std::vector<uint32_t> Pieces() const
    {
        std::vector<uint32_t> pieces;
        for (uint32_t i = 0; i < board.CellCount(); ++i)
            pieces.push_back(board.Cell(i).piece);
        return pieces;
    }

    TestHost host;
    JigsawBoard board{&host};
};

TEST_F(Jigsaw, TypeTokensAndTheBlank)
{
    const struct {
        const char* grid;
        const char* type;
        uint32_t gameType;
        uint16_t flags;
        int32_t blank;
    } cases[] = {
        {"4x3", "slide_x,blank=4x3", kGridTypeSlide, 0x03, 11},
        {"4x3", "blank=0x0,slide_y", kGridTypeSlide, 0x05, 0},
        {"3x3", "slide_repeat,switch", kGridTypeSlide, 0x18, -1},
        {"3x3", "tile,rotate,slide_x", kGridTypeRotate, 0x23, -1},
        {"3x3", "blank=2x1", kGridTypeNone, 0, 1},
    };
    for (const auto& c : cases) {
        JigsawBoard fresh(&host);
        std::string grid = c.grid, type = c.type;
        fresh.Word("jigsaw_row_col", grid.data());
        EXPECT_EQ(fresh.Word("jigsaw_game_type", type.data()), kStatusDoneStoreResult) << c.type;
        EXPECT_EQ(fresh.GameType(), c.gameType) << c.type;
        EXPECT_EQ(fresh.TypeFlags(), c.flags) << c.type;
        EXPECT_EQ(fresh.Excluded(), c.blank) << c.type;
        EXPECT_EQ(type, c.type);
    }
    // The flags accumulate; the type is set anew by each word.
    EXPECT_EQ(Word("jigsaw_game_type", "switch"), kStatusDoneStoreResult);
    EXPECT_EQ(Word("jigsaw_game_type", "rotate"), kStatusDoneStoreResult);
    EXPECT_EQ(board.GameType(), kGridTypeRotate);
    EXPECT_EQ(board.TypeFlags(), 0x30);
    // A blank before the grid, or one past what the saved board can hold, is refused.
    JigsawBoard early(&host);
    std::string blank = "blank=1x1";
    EXPECT_EQ(early.Word("jigsaw_game_type", blank.data()), kStatusFailed);
    EXPECT_EQ(Word("jigsaw_row_col", "200x200"), kStatusDoneStoreResult);
    EXPECT_EQ(Word("jigsaw_game_type", "blank=200x200"), kStatusFailed);
}

// A blank past the grid is taken before the deal, which then refuses it, and refused on a dealt
// board, which keeps its own; the saved board holds a blank past the grid only without cells.
TEST_F(Jigsaw, ABlankPastTheGridIsNeverPlayed)
{
    // One slide: the blank (piece 8) moves left.
    host.values = {0, 0x80000000u};
    ASSERT_EQ(Configure("slide_x,blank=3x4", "3x3", "1"), kStatusFailed);
    EXPECT_EQ(board.Excluded(), 11);
    EXPECT_EQ(board.Deal(), kStatusFailed);
    EXPECT_TRUE(board.Fits(1));
    ASSERT_EQ(Word("jigsaw_game_type", "slide_x,blank=3x3"), kStatusDoneStoreResult);
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(Word("jigsaw_game_type", "slide_x,blank=3x4"), kStatusFailed);
    EXPECT_EQ(board.Excluded(), 8);
    EXPECT_TRUE(board.Fits(1));
}

TEST_F(Jigsaw, SetupsAndShufflesThatCannotBePlayedAreRefused)
{
    const struct {
        const char* type;
        const char* count;
        Status setup, deal;
    } cases[] = {
        {"slide_x", "40", kStatusFailed, kStatusFailed},            // no blank, no repeat
        {"slide_x,blank=3x4", "40", kStatusFailed, kStatusFailed},  // the blank past the grid
        {"slide_repeat", "40", kStatusOk, kStatusFailed},           // no line can slide
        {"slide_x,blank=3x3", nullptr, kStatusOk, kStatusFailed},    // no random count
        {"slide_x,slide_y,slide_repeat", "5", kStatusOk, kStatusOk},
        {"rotate", "3", kStatusOk, kStatusOk},
    };
    for (const auto& c : cases) {
        board.Clear();
        const Status setup = Configure(c.type, "3x3", c.count);
        EXPECT_EQ(setup, c.setup) << c.type;
        EXPECT_EQ(board.Deal(), c.deal) << c.type;
        EXPECT_EQ(board.IsDealt(), c.deal == kStatusOk) << c.type;
        if (board.IsDealt()) {
            EXPECT_FALSE(board.IsWon()) << c.type;
        }
    }
}

TEST_F(Jigsaw, ClicksSlideIntoTheBlankAlongTheFlaggedLinesOnly)
{
    // One slide: the blank (piece 8) moves left.
    host.values = {0, 0x80000000u};
    ASSERT_EQ(Configure("slide_x,blank=3x3", "3x3", "1"), kStatusOk);
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(Pieces(), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 8, 7}));
    // Above the blank, with rows only: nothing; on the blank: refused.
    Click(4);
    Click(7);
    EXPECT_EQ(Pieces(), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 8, 7}));
    EXPECT_TRUE(host.finishes.empty());
    Click(8);
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
}

TEST_F(Jigsaw, APushPastHalfACellMovesTheWholeLineToTheBlank)
{
    // Three slides to the left: the blank (piece 3) ends at the row's start.
    host.values = {0, 0x80000000u};
    ASSERT_EQ(Configure("slide_x,blank=4x1", "4x3", "3"), kStatusOk);
    ASSERT_EQ(board.Deal(), kStatusOk);
    const std::vector<uint32_t> dealt = {3, 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11};
    ASSERT_EQ(Pieces(), dealt);
    Drag(3, -30.0f, 0.0f);  // 30 of a 75 cell
    EXPECT_EQ(Pieces(), dealt);
    Drag(3, 40.0f, 0.0f);  // away from the blank
    EXPECT_EQ(Pieces(), dealt);
    Drag(3, -40.0f, 5.0f);
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
}

TEST_F(Jigsaw, SlideRepeatTurnsLinesByTheDragRoundedToWholeCells)
{
    // One move: row 0 rotated by one, [2 0 1].
    host.values = {0, 0x80000000u};
    ASSERT_EQ(Configure("slide_x,slide_y,slide_repeat", "3x3", "1"), kStatusOk);
    ASSERT_EQ(board.Deal(), kStatusOk);
    const std::vector<uint32_t> dealt = {2, 0, 1, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(Pieces(), dealt);
    Drag(1, 0.0f, 40.0f);  // 0.4 of a column
    EXPECT_EQ(Pieces(), dealt);
    Drag(0, 160.0f, 0.0f);  // 1.6 of a row: two cells
    EXPECT_TRUE(board.IsWon());
    Drag(4, 0.0f, -90.0f);  // up by one, the column wrapping round
    EXPECT_EQ(Pieces(), (std::vector<uint32_t>{0, 4, 2, 3, 7, 5, 6, 1, 8}));
}

TEST_F(Jigsaw, ExchangesNeedNoListsAndRotationsTurn)
{
    ASSERT_EQ(Configure("switch", "3x3", "12"), kStatusOk);
    ASSERT_EQ(board.Deal(), kStatusOk);
    // Selection sort by clicks on any two cells.
    for (uint32_t i = 0; i < 9; ++i) {
        uint32_t j = i;
        while (board.Cell(j).piece != i)
            ++j;
        if (j != i) {
            Click(j);
            Click(i);
        }
    }
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes.back(), 1);

    JigsawBoard turned(&host);
    std::string grid = "3x3", type = "rotate", count = "6";
    *turned.ItemWord("jigsaw_game_play") = 0;
    turned.Word("jigsaw_row_col", grid.data());
    turned.Word("jigsaw_game_type", type.data());
    turned.Word("jigsaw_random_count", count.data());
    ASSERT_EQ(turned.Deal(), kStatusOk);
    for (uint32_t i = 0; i < 9; ++i)
        for (uint32_t turn = turned.Cell(i).turn; turn != 0 && turn < 4; ++turn) {
            turned.Click(X(i), Y(i));  // no press: refused
            turned.Press(X(i), Y(i));
            turned.Click(X(i), Y(i));
            turned.Step(8.0f);
        }
    EXPECT_TRUE(turned.IsWon());
}

TEST_F(Jigsaw, ASearchOfEveryStateSolvesTheSlideGameByClicks)
{
    const std::unordered_map<uint32_t, uint8_t> distance = JigsawDistances();
    ASSERT_EQ(distance.size(), 181440u);
    ASSERT_EQ(Configure("slide_x,slide_y,blank=3x3"), kStatusOk);
    ASSERT_EQ(board.Deal(), kStatusOk);
    const auto key = [&]() {
        const std::vector<uint32_t> pieces = Pieces();
        return JigsawKey(std::vector<uint8_t>(pieces.begin(), pieces.end()));
    };
    const std::vector<uint32_t> pieces = Pieces();
    const std::vector<uint32_t> clicks = JigsawClicks(std::vector<uint8_t>(pieces.begin(), pieces.end()), distance);
    ASSERT_GT(distance.at(key()), 0);
    ASSERT_EQ(clicks.size(), distance.at(key()));
    // Each click slides its piece into the blank, one move nearer.
    for (uint32_t c : clicks) {
        const uint8_t now = distance.at(key());
        Click(c);
        ASSERT_EQ(distance.at(key()), now - 1);
    }
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes.back(), 1);
}

// Before the first "reset" there is no board: the fields end with the selected colour. A count
// of 0 in the board's place, as earlier builds wrote it, reads as no board too.
TEST_F(Jigsaw, WithoutABoardTheSavedFieldsEndWithTheColour)
{
    ASSERT_EQ(Configure("slide_x,slide_y,blank=3x3"), kStatusOk);
    std::vector<uint8_t> bytes = SavedBoard(board);
    ASSERT_EQ(bytes.size(), 3 * 4 + 4 * 4 + 4 + 2 + 2 + 1 + 4);
    std::vector<uint8_t> earlier = bytes;
    earlier.insert(earlier.end(), 4, 0);
    for (const auto* saved : {&bytes, &earlier}) {
        TestHost h;
        JigsawBoard back(&h);
        ASSERT_TRUE(LoadBoard(back, *saved));
        EXPECT_FALSE(back.IsDealt());
        EXPECT_TRUE(back.Fits(1));
        EXPECT_EQ(SavedBoard(back), bytes);
    }
}

TEST_F(Jigsaw, TheSavedBoardComesBackAndABadOneDoesNotFit)
{
    ASSERT_EQ(Configure("slide_x,slide_y,blank=3x3"), kStatusOk);
    ASSERT_EQ(board.Deal(), kStatusOk);
    const std::vector<uint8_t> bytes = SavedBoard(board);
    // 3 words, 4 sizes, 4 bytes, the blank, the flags, the count, the colour, the cell count
    // and 9 cells.
    const size_t blank = 3 * 4 + 4 * 4 + 4, cells = blank + 2 + 2 + 1 + 4 + 4;
    ASSERT_EQ(bytes.size(), cells + 9 * 4);
    TestHost h;
    JigsawBoard back(&h);
    ASSERT_TRUE(LoadBoard(back, bytes));
    EXPECT_TRUE(back.Fits(1));
    EXPECT_EQ(SavedBoard(back), bytes);
    const struct {
        size_t at;
        uint32_t size;
        uint32_t value;
    } damages[] = {{blank, 2, 9}, {blank + 2, 2, 0x40}, {cells - 4, 4, 4}, {cells, 2, 9},
                   {cells + 2, 1, 4}, {8, 4, 3}, {3 * 4 + 4 * 4 + 2, 1, 1}, {0, 4, 1}};
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(&damaged[d.at], &d.value, d.size);
        JigsawBoard read(&h);
        LoadBoard(read, damaged);
        EXPECT_FALSE(read.Fits(1)) << d.at;
    }
}

}  // namespace
