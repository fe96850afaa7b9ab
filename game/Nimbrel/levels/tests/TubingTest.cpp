// The tubing board and level: the configuration words and their refusals, side turning, the
// start, the water in waves with its flow states and masks, the win test and the end of play in
// both games, the turns and the timed game's swaps, the callbacks, and the saved board.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelTubing.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

// The board's host: random numbers from the world's generator, and what the board told it.
class TestHost : public TubingHost {
public:
    TestHost() { UtilsRandom_Seed(&m_world, 3); }
    uint32_t NextRandom() override { return UtilsRandom_Next(&m_world); }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    void WaterMoving(bool moving) override { callbacks.push_back(moving); }
    void BoardEnded(uint8_t solved) override { ends.push_back(solved); }
    void PlayBoardSound(bool null) override { sounds.push_back(null ? "null" : "click"); }

    std::vector<uint8_t> finishes;
    std::vector<uint8_t> ends;
    std::vector<bool> callbacks;
    std::vector<std::string> sounds;

private:
    WorldData m_world;
};

Status Word(TubingBoard& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// Piece kinds: 1 a straight pipe (left, right), 2 a corner (left, top), 3 a static straight
// pipe, 4 a cross, 5 nothing open, 6 a static blank.
void Table(TubingBoard& board)
{
    ASSERT_EQ(Word(board, "tubing_ref_row_col", "3x2"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "tubing_add_ref_line", "1,2,3"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "tubing_add_ref_line", "4,5,6"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "tubing_set_ref_type", "char=1,left,right,char=2,left,top"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "tubing_set_ref_type", "char=3,left,right,static"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "tubing_set_ref_type", "char=4,left,right,top,bottom"), kStatusDoneStoreResult);
    ASSERT_EQ(Word(board, "tubing_set_ref_type", "char=6,static"), kStatusDoneStoreResult);
}

// A board of `lines` on a 120 x 120 area from (-60, -60), started.
void Board(TubingBoard& board, const char* type, const char* size, const std::vector<const char*>& lines,
           const char* sides)
{
    *board.ItemWord("tubing_first_item_name") = 0;
    *board.ItemWord("tubing_second_item_name") = 1;
    ASSERT_EQ(Word(board, "tubing_game_type", type), kStatusDoneStoreResult);
    Table(board);
    ASSERT_EQ(Word(board, "tubing_board_row_col", size), kStatusDoneStoreResult);
    for (const char* line : lines)
        ASSERT_EQ(Word(board, "tubing_add_board_line", line), kStatusDoneStoreResult) << line;
    ASSERT_EQ(Word(board, "tubing_set_input_output_type", sides), kStatusDoneStoreResult);
    ASSERT_EQ(board.CheckSetup(), kStatusOk);
    board.SetArea(-60.0f, -60.0f, 120.0f, 120.0f);
    ASSERT_EQ(board.Deal(), kStatusOk);
}

void Frames(TubingBoard& board, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        board.Step(1.0f);
}

std::vector<int32_t> Flows(const TubingBoard& board)
{
    std::vector<int32_t> flows;
    for (uint32_t c = 0; c < board.CellCount(); ++c)
        flows.push_back(board.State(c).flow);
    return flows;
}

// Two rows of straight pipes from a star end on the left to an at end on the right, blanks
// between.
const std::vector<const char*> kTwoPipes = {"*1=0,1=0,@1=0", "5,5,5", "*1=0,1=0,@1=0"};

// ---- configuration ------------------------------------------------------------------------------

TEST(TubingBoard, SidesTurnClockwiseOnTheScreen)
{
    const struct {
        uint8_t side;
        int32_t quarters;
        uint8_t turned;
    } cases[] = {{kTubingLeft, 1, kTubingTop},     {kTubingTop, 1, kTubingRight},  {kTubingRight, 1, kTubingBottom},
                 {kTubingBottom, 1, kTubingLeft},  {kTubingLeft, -1, kTubingBottom}, {kTubingLeft, 4, kTubingLeft},
                 {kTubingRight, 2, kTubingLeft}, {0, 1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TubingBoard::TurnSide(c.side, c.quarters), c.turned) << int(c.side) << " " << c.quarters;
    EXPECT_EQ(TubingBoard::TurnSides(kTubingLeft | kTubingRight, 1), kTubingTop | kTubingBottom);
    EXPECT_EQ(TubingBoard::TurnSides(kTubingLeft | kTubingTop, 3), kTubingLeft | kTubingBottom);
}

TEST(TubingBoard, SizesAreCutToEightBitsAndRaisedToTwo)
{
    const struct {
        const char* value;
        Status status;
        uint32_t width;
        uint32_t height;
    } cases[] = {{"1x1", kStatusDoneStoreResult, 2, 2},   {"300x3", kStatusDoneStoreResult, 44, 3},
                 {"5x7", kStatusDoneStoreResult, 5, 7},   {"128x128", kStatusDoneStoreResult, 128, 128},
                 // More entries than a cell's 14 bits can name, and no size at all (255 x 255):
                 // the table stays.
                 {"128x129", kStatusFailed, 128, 128},    {"five", kStatusFailed, 128, 128}};
    TestHost host;
    TubingBoard board(&host);
    for (const auto& c : cases) {
        EXPECT_EQ(Word(board, "tubing_ref_row_col", c.value), c.status) << c.value;
        EXPECT_EQ(board.RefWidth(), c.width) << c.value;
        EXPECT_EQ(board.RefHeight(), c.height) << c.value;
        EXPECT_EQ(board.Entries().size(), size_t(board.RefWidth()) * board.RefHeight());
    }
    EXPECT_EQ(Word(board, "tubing_board_row_col", "300x1"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Columns(), 44u);
    EXPECT_EQ(board.Rows(), 2u);
    EXPECT_EQ(board.Cells()[43].order, 43u);
}

TEST(TubingBoard, TableAndBoardWordsAndTheirRefusals)
{
    TestHost host;
    TubingBoard board(&host);
    Table(board);
    EXPECT_EQ(board.Entries()[2].turnable, 0);
    EXPECT_EQ(board.Entries()[1].sides, kTubingLeft | kTubingTop);
    const struct {
        const char* name;
        const char* value;
    } refused[] = {
        {"tubing_add_ref_line", "7,8"},                // a line beyond the table
        {"tubing_set_ref_type", "left"},               // no char= first
        {"tubing_set_ref_type", "char=9,left"},        // no such code
        {"tubing_set_ref_type", "char=1,up"},          // no such token
        {"tubing_set_ref_type", "char=5,left,char=1,sideways"},  // refused whole
    };
    for (const auto& r : refused)
        EXPECT_EQ(Word(board, r.name, r.value), kStatusFailed) << r.name << " " << r.value;
    EXPECT_EQ(board.Entries()[4].sides, 0);

    ASSERT_EQ(Word(board, "tubing_board_row_col", "3x2"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "tubing_add_board_line", "1,1,1,1"), kStatusFailed);  // wider than the board
    EXPECT_EQ(Word(board, "tubing_add_board_line", "1,9"), kStatusFailed);      // no such code
    EXPECT_EQ(Word(board, "tubing_add_board_line", "*7=270,@1,1=45"), kStatusFailed);
    ASSERT_EQ(Word(board, "tubing_add_board_line", "*2=270,@1,1=45"), kStatusDoneStoreResult);
    // A rotation gives whole quarters and no random turn; without one the cell turns at random.
    EXPECT_EQ(board.Cells()[0].turns, 3);
    EXPECT_EQ(board.Cells()[0].random, 0);
    EXPECT_EQ(board.Cells()[0].piece, kTubingStarEnd | 1);
    EXPECT_EQ(board.Cells()[1].random, 1);
    EXPECT_EQ(board.Cells()[1].piece, kTubingAtEnd | 0);
    EXPECT_EQ(board.Cells()[2].turns, 0);
    EXPECT_EQ(board.Cells()[2].random, 0);
    ASSERT_EQ(board.Stars().size(), 1u);
    EXPECT_EQ(board.Stars()[0].cell, 0);
    EXPECT_EQ(board.Ats()[0].cell, 1);
    ASSERT_EQ(Word(board, "tubing_add_board_line", "5,5"), kStatusDoneStoreResult);
    EXPECT_EQ(Word(board, "tubing_add_board_line", "5"), kStatusFailed);  // a line beyond the board
    // Sides in board-line order; unknown tokens ignored; more sides than ends refused.
    EXPECT_EQ(Word(board, "tubing_set_input_output_type", "*=top,x=left,@=right,@=up"), kStatusDoneStoreResult);
    EXPECT_EQ(board.Stars()[0].side, kTubingTop);
    EXPECT_EQ(board.Ats()[0].side, kTubingRight);
    EXPECT_EQ(Word(board, "tubing_set_input_output_type", "*=left,*=left"), kStatusFailed);
    EXPECT_EQ(board.Stars()[0].side, kTubingTop);
}

TEST(TubingBoard, FifteenEndsOfAKindAtMost)
{
    TestHost host;
    TubingBoard board(&host);
    Table(board);
    ASSERT_EQ(Word(board, "tubing_board_row_col", "16x2"), kStatusDoneStoreResult);
    std::string line, sides;
    for (int i = 0; i < 15; ++i) {
        line += "*1,";
        sides += "*=left,";
    }
    EXPECT_EQ(Word(board, "tubing_add_board_line", (line + "*1").c_str()), kStatusFailed);
    EXPECT_EQ(board.Stars().size(), 0u);
    ASSERT_EQ(Word(board, "tubing_add_board_line", (line + "1").c_str()), kStatusDoneStoreResult);
    EXPECT_EQ(board.Stars().size(), 15u);
    EXPECT_EQ(Word(board, "tubing_set_input_output_type", (sides + "*=right").c_str()), kStatusFailed);
    EXPECT_EQ(board.Stars()[14].side, 0);
    EXPECT_EQ(Word(board, "tubing_set_input_output_type", sides.c_str()), kStatusDoneStoreResult);
    EXPECT_EQ(board.Stars()[14].side, kTubingLeft);
}

// ---- the start, the turns and the water --------------------------------------------------------

TEST(TubingBoard, TheStartReordersAndTurnsAtRandomOnlyOpenCellsWithoutARotation)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "normal", "3x3", {"*1=90,2,5", "4,6,3", "1,1,@1"}, "*=left,@=right");
    EXPECT_EQ(board.State(0).turns, 1);
    // Kinds with no open side keep their given quarters.
    EXPECT_EQ(board.State(2).turns, 0);
    EXPECT_EQ(board.State(4).turns, 0);
    // Without ends the win test holds at once: every cell turns one quarter further.
    TestHost again;
    TubingBoard solved(&again);
    Board(solved, "normal", "3x3", {"1=90,5,5", "5,5,5", "5,5,5"}, "");
    EXPECT_EQ(solved.State(0).turns, 2);
    EXPECT_EQ(solved.State(1).turns, 1);
}

TEST(TubingBoard, ClicksAndActionsTurnOnlyTurnablePiecesWithOpenSides)
{
    TestHost host;
    TubingBoard board(&host);
    // A star end closed toward its side keeps the board from starting solved.
    Board(board, "normal", "3x3", {"*1=0,3=0,5", "1=0,1=0,1=0", "1=0,1=0,6"}, "*=top");
    // Cell (1, 0) is static, (2, 0) has no open side, (2, 2) is a static blank.
    EXPECT_TRUE(board.Click(-40.0f, -40.0f));
    EXPECT_FALSE(board.Click(0.0f, -40.0f));
    EXPECT_FALSE(board.Click(40.0f, -40.0f));
    EXPECT_FALSE(board.Click(70.0f, 0.0f));
    EXPECT_EQ(board.State(0).turns, 1);
    EXPECT_FLOAT_EQ(board.State(0).turning, -1.0f);
    EXPECT_EQ(board.Action("tubing_action_line", "1"), kStatusDoneNoResult);
    EXPECT_EQ(board.Action("tubing_action_row", "2"), kStatusDoneNoResult);
    const uint8_t expected[9] = {2, 0, 0, 0, 1, 0, 0, 1, 0};
    for (uint32_t c = 0; c < 9; ++c)
        EXPECT_EQ(board.State(c).turns, expected[c]) << c;
    EXPECT_EQ(board.Action("tubing_action_row", "4"), kStatusFailed);
    EXPECT_EQ(board.Action("tubing_action_line", "0"), kStatusFailed);
    EXPECT_EQ(board.Action("tubing_action_line", nullptr), kStatusFailed);
    EXPECT_EQ(board.Action("tubing_action_other", "1"), kStatusDoneNoResult);
    // A turn runs into place in ten frames.
    Frames(board, 9);
    EXPECT_LT(board.State(0).turning, 0.0f);
    Frames(board, 1);
    EXPECT_EQ(board.State(0).turning, 0.0f);
}

TEST(TubingBoard, TheWaterRunsInWavesFillsAndFinishes)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "normal", "3x3", kTwoPipes, "*=left,@=right,*=left,@=right");
    // Each reached cell waits its wave number.
    EXPECT_EQ(Flows(board), (std::vector<int32_t>{1, 1, 1, 0, 0, 0, 1, 1, 1}));
    EXPECT_FLOAT_EQ(board.State(0).delay, 0.0f);
    EXPECT_FLOAT_EQ(board.State(2).delay, 2.0f);
    EXPECT_EQ(board.Ats()[0].mask, 1);
    EXPECT_EQ(board.Ats()[1].mask, 2);
    EXPECT_TRUE(host.callbacks.empty());
    Frames(board, 1);
    EXPECT_EQ(host.callbacks, std::vector<bool>{true});
    EXPECT_EQ(board.State(0).flow, kTubingFilling);
    Frames(board, 40);
    EXPECT_EQ(Flows(board), (std::vector<int32_t>{3, 3, 3, 0, 0, 0, 3, 3, 3}));
    EXPECT_EQ(host.callbacks, (std::vector<bool>{true, false}));
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});
    EXPECT_FALSE(board.Playing());
}

TEST(TubingBoard, AStarEndMustReachAnAtEndAndDrainsWhenCut)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "normal", "3x3", kTwoPipes, "*=left,@=right,*=left,@=right");
    // The lower pipe turned upright cuts the second star end's water after one cell.
    board.TurnCell(7);
    Frames(board, 10);
    EXPECT_EQ(board.State(7).turning, 0.0f);
    EXPECT_EQ(board.Ats()[1].mask, 0);
    EXPECT_EQ(board.State(8).flow, kTubingDry);
    Frames(board, 60);
    EXPECT_TRUE(host.finishes.empty());
    EXPECT_TRUE(board.Playing());
    // Two turns more and it flows again.
    board.TurnCell(7);
    Frames(board, 60);
    EXPECT_EQ(host.finishes, std::vector<uint8_t>{1});

    // A full pipe cut off drains.
    TestHost second;
    TubingBoard cut(&second);
    Board(cut, "normal", "3x3", {"*1=0,1=0,1=0", "5,5,5", "@1=0,5,5"}, "*=left,@=left");
    Frames(cut, 40);
    EXPECT_EQ(cut.State(2).flow, kTubingFull);
    cut.TurnCell(1);
    Frames(cut, 10);
    EXPECT_EQ(cut.State(2).flow, kTubingDraining);
    Frames(cut, 11);
    EXPECT_EQ(cut.State(2).flow, kTubingDry);
    EXPECT_TRUE(second.finishes.empty());
}

TEST(TubingBoard, AStarEndClosedTowardItsSideNeverFills)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "normal", "3x3", {"*1=0,1=0,@1=0", "5,5,5", "5,5,5"}, "*=top,@=right");
    EXPECT_EQ(Flows(board), std::vector<int32_t>(9, kTubingDry));
    Frames(board, 100);
    EXPECT_EQ(Flows(board), std::vector<int32_t>(9, kTubingDry));
    EXPECT_TRUE(host.finishes.empty());
    EXPECT_TRUE(host.callbacks.empty());
    EXPECT_EQ(board.RunWater(), kStatusFailed);
}

// ---- the timed game -----------------------------------------------------------------------------

// The upper pipe's middle is upright until swapped with the lower row's straight pipe.
const std::vector<const char*> kSwapBoard = {"*1=0,1=90,@1=0", "5,5,5", "1=0,5,4"};

TEST(TubingBoard, TimedClicksSelectAndSwap)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "timed", "3x3", kSwapBoard, "*=left,@=right");
    EXPECT_EQ(Flows(board), std::vector<int32_t>(9, kTubingDry));
    EXPECT_TRUE(board.Click(0.0f, -40.0f));
    EXPECT_EQ(board.Selection(), 1);
    EXPECT_TRUE(board.Click(0.0f, -40.0f));
    EXPECT_EQ(board.Selection(), kTubingNoCell);
    EXPECT_TRUE(board.Click(0.0f, -40.0f));
    EXPECT_TRUE(board.Click(-40.0f, 40.0f));
    EXPECT_EQ(board.Selection(), kTubingNoCell);
    EXPECT_EQ(board.Move().kind, kTubingMoveClickSwap);
    EXPECT_EQ(board.State(1).turns, 0);
    EXPECT_EQ(board.State(6).turns, 1);
    EXPECT_EQ(board.Cells()[1].order, 6);
    EXPECT_EQ(host.sounds.size(), 4u);
    Frames(board, 7);
    EXPECT_EQ(board.Move().kind, kTubingMoveIdle);
    // No water runs until "finished"; then it decides once it has settled.
    EXPECT_EQ(Flows(board), std::vector<int32_t>(9, kTubingDry));
    EXPECT_EQ(board.Finished(), kStatusWait);
    EXPECT_TRUE(host.ends.empty());
    Frames(board, 40);
    EXPECT_EQ(host.ends, std::vector<uint8_t>{1});
    // "reset" puts every piece back by its order index.
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(board.State(1).turns, 1);
    EXPECT_EQ(board.Cells()[6].order, 6);
}

TEST(TubingBoard, TimedDragsDropSlideBackOrCountAsClicks)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "timed", "3x3", kSwapBoard, "*=left,@=right");
    // A drop on another turnable piece swaps them.
    ASSERT_TRUE(board.Press(2.0f, -38.0f));
    EXPECT_TRUE(board.Drag(5.0f, -30.0f));
    EXPECT_EQ(board.Selection(), kTubingNoCell);  // over the dragged piece
    EXPECT_TRUE(board.Drag(-38.0f, 42.0f));
    EXPECT_EQ(board.Selection(), 6);
    EXPECT_TRUE(board.Release(-38.0f, 42.0f));
    EXPECT_EQ(board.Move().kind, kTubingMoveDropSwap);
    EXPECT_EQ(board.State(1).turns, 0);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"click"});
    EXPECT_FALSE(board.Dragging());
    // A drop outside the board slides back with the null click.
    ASSERT_TRUE(board.Press(0.0f, -40.0f));
    board.Drag(100.0f, -40.0f);
    EXPECT_TRUE(board.Release(100.0f, -40.0f));
    EXPECT_EQ(board.Move().kind, kTubingMoveDropOutside);
    EXPECT_FLOAT_EQ(board.Move().offset[0], 100.0f);
    EXPECT_EQ(host.sounds.back(), "null");
    // A drag no longer than an eighth of the cell, or a release on the pressed cell, is a click.
    ASSERT_TRUE(board.Press(0.0f, -40.0f));
    board.Drag(3.0f, -37.0f);
    EXPECT_FALSE(board.Release(-40.0f, 40.0f));
    ASSERT_TRUE(board.Press(0.0f, -40.0f));
    board.Drag(-40.0f, 40.0f);
    EXPECT_FALSE(board.Release(10.0f, -35.0f));
    EXPECT_EQ(board.Selection(), kTubingNoCell);
}

// A blank piece that may turn is a piece like any other to move: the pipe that joins the ends
// stands where the blank does. A static blank stays put.
TEST(TubingBoard, TimedBlankPiecesThatMayTurnAreMoved)
{
    const std::vector<const char*> gap = {"*1=0,5,@1=0", "6,6,6", "6,1=0,6"};
    TestHost host;
    TubingBoard clicked(&host);
    Board(clicked, "timed", "3x3", gap, "*=left,@=right");
    EXPECT_FALSE(clicked.Click(-40.0f, 0.0f));
    EXPECT_FALSE(clicked.Press(-40.0f, 0.0f));
    EXPECT_TRUE(clicked.Click(0.0f, -40.0f));
    EXPECT_EQ(clicked.Selection(), 1);
    EXPECT_TRUE(clicked.Click(0.0f, 40.0f));
    EXPECT_EQ(clicked.Move().kind, kTubingMoveClickSwap);
    Frames(clicked, 7);
    EXPECT_EQ(clicked.Finished(), kStatusWait);
    Frames(clicked, 40);
    EXPECT_EQ(host.ends, std::vector<uint8_t>{1});

    TestHost dropHost;
    TubingBoard dropped(&dropHost);
    Board(dropped, "timed", "3x3", gap, "*=left,@=right");
    ASSERT_TRUE(dropped.Press(0.0f, 40.0f));
    EXPECT_TRUE(dropped.Drag(-40.0f, 0.0f));
    EXPECT_EQ(dropped.Selection(), kTubingNoCell);  // over a static blank
    EXPECT_TRUE(dropped.Drag(0.0f, -40.0f));
    EXPECT_EQ(dropped.Selection(), 1);
    EXPECT_TRUE(dropped.Release(0.0f, -40.0f));
    EXPECT_EQ(dropped.Move().kind, kTubingMoveDropSwap);
    Frames(dropped, 7);
    EXPECT_EQ(dropped.Finished(), kStatusWait);
    Frames(dropped, 40);
    EXPECT_EQ(dropHost.ends, std::vector<uint8_t>{1});
}

TEST(TubingBoard, FinishedWithNoWaterEndsUnsolvedAtOnce)
{
    TestHost host;
    TubingBoard board(&host);
    Board(board, "timed", "3x3", kSwapBoard, "*=top,@=right");
    EXPECT_EQ(board.Finished(), kStatusWait);
    EXPECT_EQ(host.ends, std::vector<uint8_t>{0});
    EXPECT_FALSE(board.Playing());
    EXPECT_FALSE(board.Click(0.0f, -40.0f));
    Frames(board, 40);
    EXPECT_EQ(host.ends.size(), 1u);
    // Water that reaches no at end ends the game unsolved once it settles.
    TestHost second;
    TubingBoard wrong(&second);
    Board(wrong, "timed", "3x3", kSwapBoard, "*=left,@=right");
    EXPECT_EQ(wrong.Finished(), kStatusWait);
    EXPECT_TRUE(second.ends.empty());
    Frames(wrong, 40);
    EXPECT_EQ(second.ends, std::vector<uint8_t>{0});
}

// ---- the level ----------------------------------------------------------------------------------

using CFixtureTubing = CFixtureObject<CCounting<CObjectsLevelTubing>>;

class TubingLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        tubing = std::make_unique<CFixtureTubing>(world.GetWorldData(), 0, kObjectKindTubing, "tubing",
                                                  std::vector<const char*>{"pipes", "water", "other"}, &world.requests);
        world.Objects()->Adopt({tubing.get()});
        ASSERT_EQ(tubing->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(tubing.get());
        WorldData* w = world.GetWorldData();
        w->pMath->SetIdentity(w->game.view.matrixScene);
        const float bounds[4] = {-60.0f, -60.0f, 60.0f, 60.0f};
        std::memcpy(tubing->GetItemRecord(0)->bounds, bounds, sizeof bounds);
        UtilsRandom_Seed(w, 5);
    }
    void TearDown() override
    {
        world.Objects()->Forget();
        tubing.reset();
    }
    Status Word(const char* name, const char* value)
    {
        std::string copy = value;
        return tubing->LoadEventsFromParam(name, copy.data());
    }
    Status Event(const char* name, const char* value)
    {
        std::string copy = value;
        return tubing->OnEvent(name, copy.data());
    }
    void Configure(const char* type, const std::vector<const char*>& lines, const char* sides)
    {
        const std::pair<const char*, const char*> words[] = {
            {"tubing_first_item_name", "pipes"}, {"tubing_second_item_name", "water"}, {"tubing_game_type", type},
            {"tubing_ref_row_col", "3x2"},       {"tubing_add_ref_line", "1,2,3"},      {"tubing_add_ref_line", "4,5,6"},
            {"tubing_set_ref_type", "char=1,left,right"}, {"tubing_set_ref_type", "char=2,left,top"},
            {"tubing_set_ref_type", "char=4,left,right,top,bottom"}, {"tubing_board_row_col", "3x3"}};
        for (const auto& [name, value] : words)
            ASSERT_EQ(Word(name, value), kStatusDoneStoreResult) << name;
        for (const char* line : lines)
            ASSERT_EQ(Word("tubing_add_board_line", line), kStatusDoneStoreResult) << line;
        ASSERT_EQ(Word("tubing_set_input_output_type", sides), kStatusDoneStoreResult);
    }
    void Frames(uint32_t count)
    {
        world.GetWorldData()->frameTime = 1.0;
        for (uint32_t i = 0; i < count; ++i)
            tubing->UpdateState();
    }
    std::string Text()
    {
        char text[256];
        tubing->PrintBoard(text, sizeof text);
        return text;
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureTubing> tubing;
};

TEST_F(TubingLevel, TheSetupNeedsBothItemsAndTheCallback)
{
    Configure("normal", kTwoPipes, "*=left,@=right,*=left,@=right");
    EXPECT_EQ(tubing->CheckSetup(), kStatusFailed);
    EXPECT_EQ(Word("tubing_first_item_name", "ghost"), kStatusFailed);
    EXPECT_EQ(Word("tubing_response_callback", "OnWater"), kStatusDoneStoreResult);
    EXPECT_EQ(tubing->CheckSetup(), kStatusOk);
    EXPECT_FLOAT_EQ(tubing->GetBoard().CellWidth(), 40.0f);
    EXPECT_EQ(Text(), "tubing not started");
    EXPECT_EQ(tubing->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(Text(), "tubing 3x3\n*1:0~1 1:0~1 @1:0~1\n5:0~0 5:0~0 5:0~0\n*1:0~1 1:0~1 @1:0~1");
    // "finished" is the timed game's.
    EXPECT_EQ(tubing->OnCommand("finished"), kStatusFailed);
    Frames(40);
    EXPECT_EQ(tubing->IsSolved(), 1);
    EXPECT_EQ(tubing->finishes, 1u);
}

TEST_F(TubingLevel, ClicksTurnWhileInPlayOnly)
{
    Configure("normal", {"*1=0,1=90,@1=0", "5,5,5", "5,5,5"}, "*=left,@=right");
    Word("tubing_response_callback", "OnWater");
    ASSERT_EQ(tubing->CheckSetup(), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("reset"), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("pause"), kStatusOk);
    tubing->OnClick(0.0f, -40.0f, 0);
    EXPECT_EQ(tubing->GetBoard().State(1).turns, 1);
    ASSERT_EQ(tubing->OnCommand("resume"), kStatusOk);
    EXPECT_EQ(tubing->OnClick(0.0f, -40.0f, 0), kStatusOk);
    EXPECT_EQ(tubing->GetBoard().State(1).turns, 2);
    EXPECT_EQ(Event("tubing_action_row", "9"), kStatusFailed);
    Frames(60);
    EXPECT_EQ(tubing->finishes, 1u);
    // Solved, the board takes no more turns.
    tubing->OnClick(0.0f, -40.0f, 0);
    EXPECT_EQ(tubing->GetBoard().State(1).turns, 2);
}

// "reset" starts a board in play: a pause before it does not outlive it.
TEST_F(TubingLevel, AResetEndsAPause)
{
    Configure("normal", {"*1=0,1=90,@1=0", "5,5,5", "5,5,5"}, "*=left,@=right");
    Word("tubing_response_callback", "OnWater");
    ASSERT_EQ(tubing->CheckSetup(), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("reset"), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("pause"), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(tubing->IsPaused(), 0);
    EXPECT_EQ(tubing->OnClick(0.0f, -40.0f, 0), kStatusOk);
    EXPECT_EQ(tubing->GetBoard().State(1).turns, 2);
}

TEST_F(TubingLevel, TheTimedGameDragsSwapsAndFinishesOnFinished)
{
    Configure("timed", kSwapBoard, "*=left,@=right");
    Word("tubing_response_callback", "OnWater");
    ASSERT_EQ(tubing->CheckSetup(), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(tubing->OnMouseDown(0.0f, -40.0f, 1), kStatusOk);
    EXPECT_EQ(tubing->OnMouseMove(-40.0f, 40.0f, 1), kStatusOk);
    EXPECT_EQ(tubing->OnMouseUp(-40.0f, 40.0f, 0), kStatusOk);
    EXPECT_EQ(tubing->GetBoard().Move().kind, kTubingMoveDropSwap);
    // A press and release in place goes on as a click.
    EXPECT_EQ(tubing->OnMouseDown(0.0f, -40.0f, 1), kStatusOk);
    EXPECT_EQ(tubing->OnMouseUp(0.0f, -40.0f, 0), kStatusFailed);
    EXPECT_EQ(tubing->OnClick(0.0f, -40.0f, 0), kStatusOk);
    EXPECT_EQ(tubing->GetBoard().Selection(), 1);
    EXPECT_EQ(tubing->OnCommand("finished"), kStatusWait);
    EXPECT_EQ(tubing->finishes, 0u);
    Frames(40);
    EXPECT_EQ(tubing->finishes, 1u);
    EXPECT_EQ(tubing->IsSolved(), 1);
    // Started again, "finished" with no water reached ends it unsolved at once.
    ASSERT_EQ(tubing->OnCommand("reset"), kStatusOk);
    ASSERT_EQ(Word("tubing_set_input_output_type", "*=top"), kStatusDoneStoreResult);
    EXPECT_EQ(tubing->OnCommand("finished"), kStatusWait);
    EXPECT_EQ(tubing->finishes, 2u);
    EXPECT_EQ(tubing->IsSolved(), 0);
}

TEST_F(TubingLevel, TheSavedBoardComesBackAndABadOneStartsAfresh)
{
    Configure("timed", kSwapBoard, "*=left,@=right");
    Word("tubing_response_callback", "OnWater");
    ASSERT_EQ(tubing->CheckSetup(), kStatusOk);
    ASSERT_EQ(tubing->OnCommand("reset"), kStatusOk);
    tubing->OnMouseDown(0.0f, -40.0f, 1);
    tubing->OnMouseMove(-40.0f, 40.0f, 1);
    const std::string before = Text();
    const std::vector<uint8_t> payload = SavedPayload(*tubing);
    ASSERT_EQ(LoadPayload(*tubing, payload), kStatusOk);
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(tubing->GetBoard().DragCell(), 1);
    EXPECT_EQ(SavedPayload(*tubing), payload);
    // The callback is the script's, not the profile's.
    EXPECT_EQ(tubing->CheckSetup(), kStatusOk);

    // The kind's part begins with the two items, the type and the four sizes.
    const size_t kind = payload.size() - (12 + 8 + 8 + 9 * 6 + 6 * 6 + 4 + 6 + 4 + 6 + 4 + 9 * 17 + 4 + 16 + 4 + 2 +
                                          8 + 4 + 8 + 8 + 4 + 16 + 8);
    const struct {
        size_t at;
        uint32_t size;
        uint32_t value;
    } damages[] = {
        {kind, 4, 3},                       // an item beyond the object
        {kind + 8, 4, 3},                   // no such game type
        {kind + 12, 2, 1},                  // a table one entry wide
        {kind + 16, 2, 1},                  // a board column
        {kind + 28, 2, 6},                  // a cell's entry beyond the table
        {kind + 28 + 9 * 6 + 6 * 6 + 4 + 3, 2, 9},  // the star end's cell
        {kind + 28 + 9 * 6 + 6 * 6 + 4 + 5, 1, 3},  // its side
        {kind + 28 + 9 * 6 + 6 * 6 + 20, 4, 7},       // the cells in play
        {kind + 28 + 9 * 6 + 6 * 6 + 24 + 13, 4, 5},  // a flow state
        {payload.size() - 58, 2, 9},       // the selection
        {payload.size() - 24, 4, 2},       // the swap's kind
    };
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[d.at], &d.value, d.size);
        EXPECT_EQ(LoadPayload(*tubing, damaged), kStatusOk) << d.at;
        EXPECT_EQ(tubing->GetBoard().FirstItem(), -1) << d.at;
        EXPECT_EQ(Text(), "tubing not started") << d.at;
    }
    // A cut state starts afresh and fails.
    EXPECT_EQ(LoadPayload(*tubing, payload, payload.size() - 3), kStatusFailed);
    EXPECT_EQ(tubing->GetBoard().CellCount(), 0u);
}

}  // namespace
