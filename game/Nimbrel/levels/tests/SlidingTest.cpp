// The sliding blocks board and level: the words and their refusals, the pieces' automatic types,
// the instances and their placement with the setups refused, the free range, the drag and the
// release rounding, the goal test and the win, and the saved board.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelSliding.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "SlidingSolver.h"

namespace {

class TestHost : public LevelBoardHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    std::vector<uint8_t> finishes;
};

Status Word(SlidingBoard& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// A board of `lines` over the reference `rows`, set up, reset, on an area of 20 units a cell
// from (0, 0).
struct BoardSetup {
    const char* refSize;
    std::vector<const char*> refRows;
    std::vector<const char*> types;
    const char* boardSize;
    std::vector<const char*> lines;
};

Status Configure(SlidingBoard& board, const BoardSetup& setup)
{
    *board.ItemWord("sliding_game_play") = 0;
    EXPECT_EQ(Word(board, "sliding_ref_row_col", setup.refSize), kStatusDoneStoreResult);
    for (const char* row : setup.refRows)
        EXPECT_EQ(Word(board, "sliding_add_ref_line", row), kStatusDoneStoreResult) << row;
    for (const char* type : setup.types)
        EXPECT_EQ(Word(board, "sliding_set_ref_type", type), kStatusDoneStoreResult) << type;
    EXPECT_EQ(Word(board, "sliding_board_row_col", setup.boardSize), kStatusDoneStoreResult);
    for (const char* line : setup.lines)
        EXPECT_EQ(Word(board, "sliding_add_board_line", line), kStatusDoneStoreResult) << line;
    const Status status = board.CheckSetup();
    board.SetArea(0.0f, 0.0f, 20.0f * float(board.Columns()), 20.0f * float(board.Rows()));
    if (Succeeded(status))
        EXPECT_EQ(board.Deal(), kStatusOk);
    return status;
}

std::string Text(const SlidingBoard& board)
{
    char text[512];
    board.Print(text, sizeof text);
    return text;
}

// A press at a cell's centre, a drag by (dx, dy) units in `steps` equal moves, the release.
void DragBy(SlidingBoard& board, uint32_t column, uint32_t row, float dx, float dy, int steps = 4)
{
    const float x = 20.0f * float(column) + 10.0f, y = 20.0f * float(row) + 10.0f;
    board.Press(x, y);
    for (int s = 1; s <= steps; ++s)
        board.Drag(x + dx * float(s) / float(steps), y + dy * float(s) / float(steps));
    board.Release();
}

// Pieces: 1 the goal piece (two across), 2 three across, 3 three down, 4 two down, 5 one tile.
const BoardSetup kBasic = {"4x4",
                      {"1,1,3,4", "5,0,3,4", "0,0,3,0", "2,2,2,0"},
                      {},
                      "5x4",
                      {"0,0,0,0,0", "*1,*1,0,@0,@0", "0,0,0,0,0", "0,0,0,0,0"}};

// ---- words --------------------------------------------------------------------------------------

TEST(SlidingBoard, SizesAreCutToEightBitsAndRaisedToTwo)
{
    const struct {
        const char* value;
        uint32_t width;
        uint32_t height;
    } cases[] = {{"1x1", 2, 2}, {"300x3", 44, 3}, {"6x6", 6, 6}, {"five", 255, 255}};
    TestHost host;
    SlidingBoard board(&host);
    for (const auto& c : cases) {
        Word(board, "sliding_ref_row_col", c.value);
        Word(board, "sliding_board_row_col", c.value);
        EXPECT_EQ(board.RefWidth(), c.width) << c.value;
        EXPECT_EQ(board.RefHeight(), c.height) << c.value;
        EXPECT_EQ(board.Columns(), c.width) << c.value;
        EXPECT_EQ(board.Rows(), c.height) << c.value;
        EXPECT_EQ(board.RefCodes().size(), size_t(c.width) * c.height);
        EXPECT_EQ(board.Types(), std::vector<uint8_t>(size_t(c.width) * c.height, kSlidingAuto));
    }
}

TEST(SlidingBoard, LinesTakeTheirRowsWidthAndTypesTheirModes)
{
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Word(board, "sliding_ref_row_col", "3x2"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "sliding_add_ref_line", "1, 2,3,9,9"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "sliding_add_ref_line", "4x"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "sliding_add_ref_line", "5"), kStatusFailed);
    EXPECT_EQ(board.RefCodes(), (std::vector<uint16_t>{1, 2, 3, 4, 0, 0}));

    const struct {
        const char* value;
        Status status;
    } types[] = {{"char=1,mode=static", kStatusDoneStoreResult},
                 {"char=2,mode=slide_x,char=3,mode=slide_y", kStatusDoneStoreResult},
                 {"char=4,colour=red,mode=slide_xy", kStatusDoneStoreResult},
                 {"char=6,mode=auto", kStatusDoneStoreResult},
                 {"char=7,mode=static", kStatusFailed},
                 {"mode=static", kStatusFailed},
                 {"char=0,mode=slide_x", kStatusFailed},
                 {"char=5,mode=diagonal", kStatusFailed},
                 // A refused list leaves every type it named before the refusal.
                 {"char=5,mode=static,char=9", kStatusFailed}};
    for (const auto& t : types)
        EXPECT_EQ(Word(board, "sliding_set_ref_type", t.value), t.status) << t.value;
    EXPECT_EQ(board.Types(), (std::vector<uint8_t>{kSlidingStatic, kSlidingX, kSlidingY, kSlidingXY, kSlidingAuto,
                                                   kSlidingAuto}));

    ASSERT_EQ(Word(board, "sliding_board_row_col", "3x2"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "sliding_add_board_line", "@1,*2,16387,4"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "sliding_add_board_line", "0"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "sliding_add_board_line", "0"), kStatusFailed);
    *board.ItemWord("sliding_game_play") = 0;
    ASSERT_EQ(board.CheckSetup(), kStatusOk);
    // Code 16387 is cut to its 14 bits: code 3.
    EXPECT_EQ(board.Start()[0].marks, kSlidingGoalCell);
    EXPECT_EQ(board.Start()[1].marks, kSlidingGoalPiece);
    EXPECT_EQ(board.Start()[2].piece, 2u);
    EXPECT_EQ(board.ExitSide(), kSlidingExitLeft);
}

// ---- pieces -------------------------------------------------------------------------------------

TEST(SlidingBoard, AutomaticTypesFollowTheShapesBoundingBox)
{
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, kBasic), kStatusOk);
    const struct {
        uint32_t piece;
        uint8_t moves;
        std::vector<uint32_t> tiles;
    } cases[] = {{0, kSlidingMovesX, {0, 1}},
                 {1, kSlidingMovesX, {12, 13, 14}},
                 {2, kSlidingMovesY, {2, 6, 10}},
                 {3, kSlidingMovesY, {3, 7}},
                 {4, kSlidingMovesX | kSlidingMovesY, {4}}};
    ASSERT_EQ(board.Pieces().size(), 5u);
    for (const auto& c : cases) {
        const SlidingPiece& piece = board.Pieces()[c.piece];
        EXPECT_EQ(piece.moves, c.moves) << c.piece;
        std::vector<uint32_t> tiles;
        for (const SlidingTile& t : piece.tiles)
            tiles.push_back(t.tile);
        EXPECT_EQ(tiles, c.tiles) << c.piece;
    }
    // Tiles lie relative to the first: the column's third two rows below it.
    EXPECT_EQ(board.Pieces()[2].tiles[2].dx, 0);
    EXPECT_EQ(board.Pieces()[2].tiles[2].dy, 2);

    const struct {
        const char* row0;
        const char* row1;
        uint8_t moves;
    } shapes[] = {{"1,1,1", "0,0,0", kSlidingMovesX},
                  {"1,0,0", "1,0,0", kSlidingMovesY},
                  {"1,1,0", "1,1,0", kSlidingMovesX | kSlidingMovesY},
                  {"0,1,0", "1,1,0", kSlidingMovesX | kSlidingMovesY}};
    for (const auto& s : shapes) {
        Word(board, "sliding_ref_row_col", "3x2");
        Word(board, "sliding_add_ref_line", s.row0);
        Word(board, "sliding_add_ref_line", s.row1);
        ASSERT_EQ(board.BuildPieces(), kStatusOk);
        EXPECT_EQ(board.Pieces()[0].moves, s.moves) << s.row0 << "/" << s.row1;
    }
}

TEST(SlidingBoard, TwoGroupsOfOneCodeAreTwoInstancesThatMoveApart)
{
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, {"2x2", {"1,2", "1,0"}, {}, "4x3", {"@1,0,1,2", "1,0,1,0", "0,0,0,*2"}}), kStatusOk);
    // Piece 1 (two down) twice, in placement order, then piece 2.
    const SlidingCell& a = board.Start()[0];
    const SlidingCell& b = board.Start()[2];
    EXPECT_EQ(a.instance, 0u);
    EXPECT_EQ(b.instance, 1u);
    EXPECT_EQ(board.Start()[3].instance, 2u);
    EXPECT_EQ(board.Start()[11].instance, 3u);
    EXPECT_EQ(board.Start()[6].anchorColumn, 2u);
    EXPECT_EQ(board.Start()[6].anchorRow, 0u);
    EXPECT_EQ(board.Start()[6].tile, 2u);
    EXPECT_EQ(Text(board), "sliding 4x3\n@1 . 1 2\n1 . 1 .\n. . . *2");
    DragBy(board, 2, 1, 0.0f, 20.0f);
    EXPECT_EQ(Text(board), "sliding 4x3\n@1 . . 2\n1 . 1 .\n. . 1 *2");
    DragBy(board, 0, 0, 0.0f, 20.0f);
    EXPECT_EQ(Text(board), "sliding 4x3\n@. . . 2\n1 . 1 .\n1 . 1 *2");
    EXPECT_EQ(board.Play()[4].anchorRow, 1u);
}

TEST(SlidingBoard, SetupsThatCannotStandAreRefused)
{
    const struct {
        const char* name;
        BoardSetup setup;
    } cases[] = {
        {"codes with a gap", {"2x2", {"1,3", "0,0"}, {}, "3x3", {"@1,0,0", "0,0,0", "0,0,0"}}},
        {"a board code no piece has", {"2x2", {"1,0", "0,0"}, {}, "3x3", {"@1,0,2", "0,0,0", "0,0,0"}}},
        // The shape's first tile is its top right: the instance starts left of the first column.
        {"an instance leaving by the left", {"2x2", {"0,1", "1,1"}, {}, "3x3", {"1,0,0", "0,0,0", "@0,0,0"}}},
        {"an instance leaving by the bottom", {"2x2", {"1,0", "1,0"}, {}, "3x3", {"@0,0,0", "0,0,0", "1,0,0"}}},
        {"instances overlapping", {"2x2", {"1,1", "2,2"}, {}, "3x3", {"2,1,1", "0,0,0", "@0,0,0"}}},
        {"no goal cell on an edge column", {"2x2", {"1,1", "0,0"}, {}, "3x3", {"1,0,0", "0,@0,0", "0,0,0"}}},
        {"no pieces", {"2x2", {"0,0", "0,0"}, {}, "3x3", {"@0,0,0", "0,0,0", "0,0,0"}}},
    };
    for (const auto& c : cases) {
        TestHost host;
        SlidingBoard board(&host);
        EXPECT_EQ(Configure(board, c.setup), kStatusFailed) << c.name;
        EXPECT_EQ(board.Deal(), kStatusFailed) << c.name;
        EXPECT_FALSE(board.InPlay()) << c.name;
    }
    // Without the board item.
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, kBasic), kStatusOk);
    *board.ItemWord("sliding_game_play") = -1;
    EXPECT_EQ(board.CheckSetup(), kStatusFailed);
}

// ---- drags --------------------------------------------------------------------------------------

TEST(SlidingBoard, TheFreeRangeStopsAtOtherPiecesAndTheEdgeButNotAtItself)
{
    TestHost host;
    SlidingBoard board(&host);
    // The goal piece between the edge and a block; a 2 x 2 block (both ways) that its own
    // cells never stop; a column of three against the top edge.
    ASSERT_EQ(Configure(board, {"4x4",
                                {"1,1,3,4", "2,2,3,4", "2,2,3,0", "0,0,0,0"},
                                {"char=4,mode=slide_y"},
                                "6x5",
                                {"0,0,0,3,0,0", "*1,*1,0,3,0,4", "0,2,2,3,0,4", "0,2,2,0,0,@0", "0,0,0,0,0,0"}}),
              kStatusOk);
    const struct {
        uint32_t column, row;
        float minX, maxX, minY, maxY;
    } cases[] = {
        {0, 1, 0.0f, 20.0f, 0.0f, 0.0f},     // the left edge, then the empty cell, then the column
        {1, 2, -20.0f, 0.0f, 0.0f, 20.0f},   // the goal piece above; its own cells below
        {3, 1, 0.0f, 0.0f, 0.0f, 40.0f},     // the top edge; two free cells below
        {5, 2, 0.0f, 0.0f, -20.0f, 40.0f},   // y only, though the row is free
        {4, 4, 0.0f, 0.0f, 0.0f, 0.0f},      // no piece
    };
    for (const auto& c : cases) {
        const SlidingRange r = board.FreeRange(c.row * board.Columns() + c.column);
        EXPECT_EQ(r.minX, c.minX) << c.column << "," << c.row;
        EXPECT_EQ(r.maxX, c.maxX) << c.column << "," << c.row;
        EXPECT_EQ(r.minY, c.minY) << c.column << "," << c.row;
        EXPECT_EQ(r.maxY, c.maxY) << c.column << "," << c.row;
    }
}

TEST(SlidingBoard, AReleaseRoundsTheDragToWholeCells)
{
    const struct {
        float cells;
        int32_t moved;
    } cases[] = {{0.4f, 0}, {0.5f, 0}, {0.51f, 1}, {1.5f, 1}, {1.6f, 2}, {2.6f, 3}, {-0.4f, 0}, {-1.6f, -2},
                 {-2.51f, -3}};
    for (const auto& c : cases)
        EXPECT_EQ(SlidingBoard::WholeCells(c.cells * 20.0f, 20.0f), c.moved) << c.cells;

    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, {"2x2", {"1,1", "2,2"}, {"char=2,mode=slide_xy"}, "5x5",
                                {"0,0,0,0,0", "*1,*1,0,0,0", "0,0,0,0,0", "2,2,0,0,0", "@0,@0,0,0,0"}}),
              kStatusOk);
    // 1.6 cells across moves two; 0.4 moves none.
    DragBy(board, 0, 1, 32.0f, 0.0f);
    EXPECT_EQ(Text(board), "sliding 5x5\n. . . . .\n. . *1 *1 .\n. . . . .\n2 2 . . .\n@. @. . . .");
    DragBy(board, 3, 1, -8.0f, 0.0f);
    EXPECT_EQ(board.Play()[7].instance, 0u);
    // A drag beyond the range stops at its end; the piece of both axes follows the first
    // step's axis alone.
    DragBy(board, 2, 1, 200.0f, 0.0f);
    EXPECT_EQ(board.Play()[9].instance, 0u);
    DragBy(board, 0, 3, 4.0f, 30.0f, 1);
    EXPECT_EQ(Text(board), "sliding 5x5\n. . . . .\n. . . *1 *1\n. . . . .\n. . . . .\n@2 @2 . . .");
    EXPECT_TRUE(host.finishes.empty());
}

TEST(SlidingBoard, APieceThatCannotMoveIsNotArmed)
{
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, {"2x2", {"1,1", "2,3"}, {"char=3,mode=static"}, "3x3",
                                {"2,*1,*1", "3,0,@0", "0,0,@0"}}),
              kStatusOk);
    // The column is held by the goal piece on its right, the edge and the static tile below.
    EXPECT_TRUE(board.Press(10.0f, 10.0f));
    EXPECT_EQ(board.ArmedX(), -1);
    EXPECT_EQ(board.ArmedY(), -1);
    board.Drag(10.0f, 50.0f);
    EXPECT_EQ(board.Offset()[1], 0.0f);
    board.Release();
    EXPECT_EQ(Text(board), "sliding 3x3\n2 *1 *1\n3 . @.\n. . @.");
    // The static tile never moves either; the press beside the cells takes no cell.
    EXPECT_TRUE(board.Press(10.0f, 30.0f));
    EXPECT_EQ(board.ArmedX(), -1);
    EXPECT_FALSE(board.Press(60.0f, 70.0f));
    EXPECT_FALSE(board.Press(20.0f, 10.0f));  // on a border line
}

TEST(SlidingBoard, APressOnASeamInsideAPieceTakesThePiece)
{
    TestHost host;
    SlidingBoard board(&host);
    // The goal piece two across in the corner, a square of four beside it.
    ASSERT_EQ(Configure(board, {"4x2", {"1,1,2,2", "0,0,2,2"}, {}, "5x4",
                                {"*1,*1,0,2,2", "0,0,0,2,2", "0,0,0,@0,@0", "0,0,0,0,0"}}),
              kStatusOk);
    const struct {
        float x, y;
        bool taken;
        int32_t armedX, armedY;
    } cases[] = {
        {20.0f, 10.0f, true, 0, -1},    // the middle of the goal piece
        {80.0f, 20.0f, true, 3, 3},     // the centre of the square
        {80.0f, 30.0f, true, 8, 8},     // the square's own seam down its lower half
        {40.0f, 10.0f, false, -1, -1},  // the goal piece beside an empty cell
        {70.0f, 40.0f, false, -1, -1},  // the square's edge over empty cells
        {40.0f, 20.0f, false, -1, -1},  // a corner of the goal piece
        {0.0f, 10.0f, false, -1, -1},   // the board's own edge
    };
    for (const auto& c : cases) {
        EXPECT_EQ(board.Press(c.x, c.y), c.taken) << c.x << "," << c.y;
        EXPECT_EQ(board.ArmedX(), c.armedX) << c.x << "," << c.y;
        EXPECT_EQ(board.ArmedY(), c.armedY) << c.x << "," << c.y;
        board.Release();
    }
    // Pressed at its centre, the square is dragged down two cells.
    board.Press(80.0f, 20.0f);
    for (int s = 1; s <= 4; ++s)
        board.Drag(80.0f, 20.0f + 10.0f * float(s));
    board.Release();
    EXPECT_EQ(Text(board), "sliding 5x4\n*1 *1 . . .\n. . . . .\n. . . @2 @2\n. . . 2 2");
}

TEST(SlidingBoard, TheGoalHoldsOnlyWithEveryGoalCellCoveredAtOnce)
{
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, {"2x2", {"1,1", "0,0"}, {}, "4x2", {"*1,*1,@0,@0", "0,0,0,0"}}), kStatusOk);
    DragBy(board, 0, 0, 20.0f, 0.0f);
    EXPECT_FALSE(board.IsWon());
    EXPECT_TRUE(host.finishes.empty());
    DragBy(board, 1, 0, 20.0f, 0.0f);
    EXPECT_TRUE(board.IsWon());
    EXPECT_TRUE(board.Leaving());
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
    // "reset" brings back the start.
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_FALSE(board.IsWon());
    EXPECT_FALSE(board.Leaving());
}

TEST(SlidingBoard, TheSearchSolvesAndEachOfItsDragsIsADrag)
{
    TestHost host;
    SlidingBoard board(&host);
    ASSERT_EQ(Configure(board, kBasic), kStatusOk);
    ASSERT_EQ(Word(board, "sliding_add_board_line", "x"), kStatusFailed);
    bool solvable = false;
    const std::vector<SlidingDrag> drags = SolveSliding(board, &solvable);
    ASSERT_TRUE(solvable);
    ASSERT_EQ(drags.size(), 1u);
    for (const SlidingDrag& d : drags)
        DragBy(board, d.column, d.row, 20.0f * float(d.columns), 20.0f * float(d.rows));
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
}

// ---- the level ----------------------------------------------------------------------------------

using CFixtureSliding = CFixtureObject<CCounting<CObjectsLevelSliding>>;

class SlidingLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        level = std::make_unique<CFixtureSliding>(world.GetWorldData(), 0, kObjectKindSliding, "sliding",
                                                  std::vector<const char*>{"board", "other"}, &world.requests);
        world.Objects()->Adopt({level.get()});
        ASSERT_EQ(level->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(level.get());
        WorldData* w = world.GetWorldData();
        w->pMath->SetIdentity(w->game.view.matrixScene);
        // A 4 x 2 board of 30 units a cell.
        const float bounds[4] = {-60.0f, -30.0f, 60.0f, 30.0f};
        std::memcpy(level->GetItemRecord(0)->bounds, bounds, sizeof bounds);
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        level.reset();
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return level->LoadEventsFromParam(name, copy.data());
    }
    void Configure()
    {
        const std::pair<const char*, const char*> words[] = {
            {"sliding_game_play", "board"},      {"sliding_ref_row_col", "2x2"}, {"sliding_add_ref_line", "1,1"},
            {"sliding_add_ref_line", "2,0"},     {"sliding_board_row_col", "4x2"},
            {"sliding_add_board_line", "*1,*1,@0,@0"}, {"sliding_add_board_line", "2,0,0,0"}};
        for (const auto& [name, value] : words)
            ASSERT_EQ(Word(name, value), kStatusDoneStoreResult) << name;
    }
    // A drag of the pointer in screen points (the board item's frame: the identity).
    void Drag(float x, float y, float dx, float dy)
    {
        level->OnMouseDown(x, y, 1);
        level->OnMouseMove(x + dx * 0.5f, y + dy * 0.5f, 1);
        level->OnMouseMove(x + dx, y + dy, 1);
        level->OnMouseUp(x + dx, y + dy, 0);
    }
    std::string Text()
    {
        char text[256];
        level->PrintBoard(text, sizeof text);
        return text;
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureSliding> level;
};

TEST_F(SlidingLevel, TheWinReportsSolvedAndTheGoalPieceLeaves)
{
    EXPECT_EQ(level->CheckSetup(), kStatusFailed);
    EXPECT_EQ(Word("sliding_game_play", "ghost"), kStatusFailed);
    Configure();
    ASSERT_EQ(level->CheckSetup(), kStatusOk);
    EXPECT_FLOAT_EQ(level->GetBoard().CellWidth(), 30.0f);
    EXPECT_EQ(Text(), "sliding not reset");
    // Until "reset" the board takes no drag.
    Drag(-45.0f, -15.0f, 60.0f, 0.0f);
    EXPECT_EQ(Text(), "sliding not reset");
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(Text(), "sliding 4x2\n*1 *1 @. @.\n2 . . .");
    ASSERT_EQ(level->OnCommand("pause"), kStatusOk);
    Drag(-45.0f, -15.0f, 60.0f, 0.0f);
    EXPECT_EQ(Text(), "sliding 4x2\n*1 *1 @. @.\n2 . . .");
    ASSERT_EQ(level->OnCommand("resume"), kStatusOk);
    EXPECT_EQ(level->OnClick(-45.0f, -15.0f, 0), kStatusOk);
    Drag(-45.0f, -15.0f, 50.0f, 0.0f);
    EXPECT_EQ(Text(), "sliding 4x2\n. . @*1 @*1\n2 . . .");
    EXPECT_EQ(level->IsSolved(), 1);
    EXPECT_EQ(level->finishes, 1u);
    // Solved, the board takes no more drags.
    Drag(-45.0f, 15.0f, 30.0f, 0.0f);
    EXPECT_EQ(Text(), "sliding 4x2\n. . @*1 @*1\n2 . . .");
    // "reset" starts again; "skip" solves.
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(level->IsSolved(), 0);
    std::string skip = "skip";
    EXPECT_EQ(level->OnEvent("event", skip.data()), kStatusDoneStoreResult);
    EXPECT_EQ(level->finishes, 2u);
    EXPECT_EQ(level->IsSolved(), 1);
}

TEST_F(SlidingLevel, TheSavedBoardComesBackAndABadOneStartsAfresh)
{
    Configure();
    ASSERT_EQ(level->CheckSetup(), kStatusOk);
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    Drag(-45.0f, 15.0f, 40.0f, 0.0f);
    const std::string before = Text();
    ASSERT_EQ(before, "sliding 4x2\n*1 *1 @. @.\n. 2 . .");
    const std::vector<uint8_t> payload = SavedPayload(*level);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(SavedPayload(*level), payload);

    // The kind's part: item 4, reference sizes 4 and codes 8, two pieces (2 + 6 + 24 + 1 and
    // 6 + 12 + 1), board sizes 4, exit side 4, the start board 8 x 12, the counters 8, the lines
    // 16, the types 4, the floats 16, the flags 3, the exit progress 4, the play board 4 + 96.
    const size_t kind = payload.size() - (4 + 4 + 8 + 2 + 31 + 19 + 4 + 4 + 96 + 8 + 16 + 4 + 16 + 3 + 4 + 4 + 96);
    const size_t start = kind + 4 + 4 + 8 + 2 + 31 + 19 + 4 + 4, play = payload.size() - 96;
    const struct {
        size_t at;
        uint32_t size;
        uint32_t value;
    } damages[] = {
        {kind, 4, 2},                    // the board item beyond the object
        {kind + 4, 2, 1},                // a reference grid one tile wide
        {kind + 16, 2, 9},               // more pieces than tiles
        {kind + 22, 2, 0},               // a piece without tiles
        {kind + 18 + 6 + 8, 4, 7},       // a tile beyond the grid
        {kind + 18 + 31 + 19, 2, 256},   // a board too wide
        {kind + 18 + 31 + 19 + 4, 4, 5}, // no such exit side
        {start + 2, 2, 2},               // an anchor beyond the board
        {start + 6, 2, 2},               // a piece beyond the pieces
        {start + 10, 2, 1},              // marks that are none
        {play - 4, 4, 7},                // a play board of another size
        {play + 8 * 12 - 8, 2, 3},       // a tile in an empty cell
    };
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[d.at], &d.value, d.size);
        EXPECT_EQ(LoadPayload(*level, damaged), kStatusOk) << d.at;
        EXPECT_EQ(level->GetBoard().BoardItem(), -1) << d.at;
        EXPECT_EQ(Text(), "sliding not reset") << d.at;
    }
    EXPECT_EQ(LoadPayload(*level, payload, payload.size() - 3), kStatusFailed);
    EXPECT_EQ(level->GetBoard().CellCount(), 0u);
}

}  // namespace
