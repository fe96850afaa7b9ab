// vornel level run: the sample's circles played from its own script and solved by the actions
// of a moves file; the sample's tubing solved by clicks at its cells, and a timed tubing whose
// "finished" ends the wait; the sample's wheels solved by clicks on their rings; the sample's
// puzzle solved by short presses and drags home, and a snap-finish puzzle by joins; the
// sample's labyrinth solved by its arrow keys; the sample's sliding blocks solved by the drags a
// search confirms; refused words,
// a setup left incomplete, moves that do not read, and kinds that the tool does not know.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "../../../game/Nimbrel/levels/tests/SlidingSolver.h"
#include "GoldenScripts.h"
#include "ToolTestSupport.h"

namespace {

using goldentest::kGolden;
using goldentest::ReadText;
using goldentest::RunInGolden;

class LevelCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/circles/circles.scene " + folder.Path().string() +
                              " --base Nimbrel --number 10")
                      .status,
                  0);
    }
    std::string Raw() const { return (folder.Path() / "Nimbrel_object_10.raw").string(); }
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string path = (folder.Path() / name).string();
        tooltest::WriteFile(path, text);
        return path;
    }

    const std::string sample = std::string(VORNEL_SOURCE_DIR) + "/data/sample/";
    tooltest::TempFolder folder{"vornel_level_run_"};
};

TEST_F(LevelCommand, TheSampleCirclesSolveWithTheirActions)
{
    const goldentest::Outcome outcome = RunInGolden("level run " + Raw() + " " + sample +
                                                    "scripts/Nimbrel_object_10.0.script --seed 7 --moves "
                                                    "sample_circles.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_circles.out"));
    // Another seed deals another board.
    const std::string print = Write("print.moves", "!print\n");
    const goldentest::Outcome other = RunInGolden("level run " + Raw() + " " + sample +
                                                  "scripts/Nimbrel_object_10.0.script --seed 8 --moves " + print);
    EXPECT_EQ(other.status, 0);
    EXPECT_EQ(other.output.find("finish solved"), std::string::npos);
    EXPECT_EQ(other.output.find("circles places LMLMMRMRLR"), std::string::npos) << other.output;
}

// The wheel stack by its kind's code: clicked by item names, the last disc dragged out.
TEST_F(LevelCommand, TheSampleWheelStackSolvesWithItsClicksAndADrag)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/wheelstack/wheelstack.scene " + folder.Path().string() +
                          " --base Nimbrel --number 17")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_17.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_17.0.script --kind wheel_stk --moves sample_wheelstack.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_wheelstack.out"));
}

// The switch dealt by a seed and put back by the selection sort's clicks, the last by a drag.
TEST_F(LevelCommand, TheSampleSwitchSolvesByClicksAndADrag)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/switch/switch.scene " + folder.Path().string() +
                          " --base Nimbrel --number 19")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_19.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_19.0.script --seed 7 --moves sample_switch.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_switch.out"));
}

// The puzzle scattered by a seed: its two turned pieces brought upright by short presses, then
// every piece dragged home, where it locks.
TEST_F(LevelCommand, TheSamplePuzzleSolvesByShortPressesAndDragsHome)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/puzzle/puzzle.scene " + folder.Path().string() +
                          " --base Nimbrel --number 24")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_24.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_24.0.script --seed 11 --moves sample_puzzle.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_puzzle.out"));
}

// With snap finish on, the first piece dropped at its home does not lock; the second joins it
// and the third joins the second, which closes the chain and solves.
TEST_F(LevelCommand, ASnapFinishPuzzleSolvesByJoins)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/puzzle/puzzle.scene " + folder.Path().string() +
                          " --base Nimbrel --number 24")
                  .status,
              0);
    const std::string script = Write("snap.script", R"(var solved = 0;

function OnStart() {
    setObjectParameters("puzzle_game_play", "picture");
    setObjectParameters("puzzle_number_element", "3");
    setObjectParameters("puzzle_game_element", "piece");
    setObjectParameters("puzzle_snap_range", "20");
    setObjectParameters("finish_snap", "1");
    setObjectParameters("puzzle_snap", "3");
    setObjectParameters("snap_piece", "2");
    setObjectParameters("snap_piece", "1,3");
    setObjectParameters("snap_piece", "2");
}

function OnRun() {
    _waitForEvent("reset");
    _waitForEvent("finished");
    solved = 1;
}
)");
    // Seed 11 scatters the pieces to (237, 194), (99, 456) and (480, 249); the third is pressed
    // where the joined pair does not cover it.
    const std::string moves = Write("snap.moves", "!press 237 194\n!move 412 234\n!release 412 234\n!print\n"
                                                  "!press 98 456\n!move 512 234\n!release 512 234\n!print\n"
                                                  "!press 480 292\n!move 612 277\n!release 612 277\n!print\n");
    const goldentest::Outcome outcome = RunInGolden("level run " + (folder.Path() / "Nimbrel_object_24.raw").string() +
                                                    " " + script + " --seed 11 --moves " + moves);
    EXPECT_EQ(outcome.status, 0);
    const std::string end = "puzzle 1@(412.032,234.055) r2 | 2@(98.7487,456.477) r0 | 3@(480.368,249.411) r1\n"
                            "puzzle 1@(412.032,234.055) r2 +2 | 2@(512.032,234.055) r2 +1 | 3@(480.368,249.411) r0\n"
                            "finish solved=1\n"
                            "puzzle 1@(412.032,234.055) r2 +2,3 | 2@(512.032,234.055) r2 +1,3 | "
                            "3@(612.032,234.055) r2 +1,2\n";
    ASSERT_GE(outcome.output.size(), end.size());
    EXPECT_EQ(outcome.output.substr(outcome.output.size() - end.size()), end) << outcome.output;
}

// The sample's jigsaw dealt by a seed and solved by the slides a search of every state finds.
TEST_F(LevelCommand, TheSampleJigsawSolvesBySlidesIntoTheGap)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/jigsaw/jigsaw.scene " + folder.Path().string() +
                          " --base Nimbrel --number 23")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_23.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_23.0.script --seed 7 --moves sample_jigsaw.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_jigsaw.out"));
}

// The labyrinth by its kind's code, played by its arrow keys.
TEST_F(LevelCommand, TheSampleLabyrinthSolvesByItsKeys)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/labyrinth/labyrinth.scene " + folder.Path().string() +
                          " --base Nimbrel --number 25")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_25.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_25.0.script --kind labyrinthe --moves sample_labyrinth.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_labyrinth.out"));
}

// The sample's match-3 dealt from a seed and won by a greedy player's clicks: the stand-in
// monitor prints the score as it counts up to thirty, then the level finishes.
TEST_F(LevelCommand, TheSampleMatch3IsWonByAGreedyPlayer)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/match3/match3.scene " + folder.Path().string() +
                          " --base Nimbrel --number 27")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_27.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_27.0.script --seed 7 --moves sample_match3.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_match3.out"));
    const size_t last = outcome.output.rfind("set_score");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(outcome.output.compare(last, 29, "set_score 30\nfinish solved=1\n"), 0) << outcome.output;
}

TEST_F(LevelCommand, RefusedWordsAnIncompleteSetupAndMovesThatDoNotRead)
{
    const std::string script = Write("refused.script",
                                     "function OnStart() {\n"
                                     "    setObjectParameters(\"circles_game_play\", \"ghost\");\n"
                                     "    setObjectParameters(\"circles_random_count\", \"-3\");\n"
                                     "}\n"
                                     "function OnRun() {\n"
                                     "    _waitForEvent(\"reset\");\n"
                                     "}\n");
    const std::string moves = Write("moves", "!print\n!command shuffle\n!key left\n!event event skip\n!frames x\n");
    const goldentest::Outcome outcome = RunInGolden("level run " + Raw() + " " + script + " --moves " + moves);
    const std::string kBad = "bad or unsupported data (0x80000001)";
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output,
              "call setObjectParameters(\"circles_game_play\", \"ghost\")\n"
              "refused setObjectParameters(\"circles_game_play\", \"ghost\"): " + kBad + "\n"
                  "call setObjectParameters(\"circles_random_count\", \"-3\")\n"
                  "setup incomplete: " + kBad + "\n"
                  "call _waitForEvent(\"reset\")\n"
                  "tail _waitForEvent\n"
                  "circles not dealt\n"
                  "refused !command shuffle: " + kBad + "\n"
                  "finish solved=1\n"
                  "error cannot read the move \"!frames x\"\n");
    // The kind by name; the spider takes every word and has no board.
    const goldentest::Outcome spider =
        RunInGolden("level run " + Raw() + " " + script + " --kind spider --moves " + Write("p", "!print\n"));
    EXPECT_EQ(spider.status, 0);
    EXPECT_NE(spider.output.find("no board\n"), std::string::npos) << spider.output;
    EXPECT_EQ(spider.output.find("refused"), std::string::npos) << spider.output;
    EXPECT_EQ(RunInGolden("level run " + Raw() + " " + script + " --kind HALL").status, 1);
    for (const char* arguments : {"level run", "level walk a b", "level run a b --seed", "level run a b --seed x"})
        EXPECT_EQ(RunInGolden(arguments).status, 2) << arguments;
}

// The tubing's element infos beside the circles'.
class TubingLevelCommand : public LevelCommand {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/tubing/tubing.scene " + folder.Path().string() +
                              " --base Nimbrel --number 20")
                      .status,
                  0);
    }
    std::string Raw() const { return (folder.Path() / "Nimbrel_object_20.raw").string(); }
};

TEST_F(TubingLevelCommand, TheSampleTubingSolvesByClicksAtItsCells)
{
    const goldentest::Outcome outcome = RunInGolden("level run " + Raw() + " " + sample +
                                                    "scripts/Nimbrel_object_20.0.script --seed 7 --moves "
                                                    "sample_tubing.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_tubing.out"));
}

// A timed game whose water reaches nothing ends unsolved inside its own "finished", and the call
// waiting on it goes on.
TEST_F(TubingLevelCommand, ATimedGameEndsItsOwnWait)
{
    const std::string script = Write("timed.script",
                                     "function OnStart() {\n"
                                     "    setObjectParameters(\"tubing_first_item_name\", \"pipes\");\n"
                                     "    setObjectParameters(\"tubing_second_item_name\", \"water\");\n"
                                     "    setObjectParameters(\"tubing_game_type\", \"timed\");\n"
                                     "    setObjectParameters(\"tubing_ref_row_col\", \"2x2\");\n"
                                     "    setObjectParameters(\"tubing_add_ref_line\", \"1,2\");\n"
                                     "    setObjectParameters(\"tubing_set_ref_type\", \"char=1,left,right\");\n"
                                     "    setObjectParameters(\"tubing_board_row_col\", \"2x2\");\n"
                                     "    setObjectParameters(\"tubing_add_board_line\", \"*1=0,@1=0\");\n"
                                     "    setObjectParameters(\"tubing_set_input_output_type\", \"*=top,@=right\");\n"
                                     "    setObjectParameters(\"tubing_response_callback\", \"OnWater\");\n"
                                     "}\n"
                                     "function OnRun() {\n"
                                     "    _waitForEvent(\"reset\");\n"
                                     "    _waitForEvent(\"finished\");\n"
                                     "    setItemsHide(\"solved\");\n"
                                     "}\n");
    const goldentest::Outcome outcome = RunInGolden("level run " + Raw() + " " + script);
    EXPECT_EQ(outcome.status, 0);
    const std::string tail = "call _waitForEvent(\"finished\")\nwait finished\nfinish solved=0\n"
                             "call setItemsHide(\"solved\")\n";
    ASSERT_GE(outcome.output.size(), tail.size());
    EXPECT_EQ(outcome.output.substr(outcome.output.size() - tail.size()), tail) << outcome.output;
}

// The wheels' element infos.
class WheelsLevelCommand : public LevelCommand {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/wheels/wheels.scene " + folder.Path().string() +
                              " --base Nimbrel --number 21")
                      .status,
                  0);
    }
    std::string Raw() const { return (folder.Path() / "Nimbrel_object_21.raw").string(); }
};

TEST_F(WheelsLevelCommand, TheSampleWheelsSolveByClicksOnTheirRings)
{
    const goldentest::Outcome outcome = RunInGolden("level run " + Raw() + " " + sample +
                                                    "scripts/Nimbrel_object_21.0.script --seed 7 --moves "
                                                    "sample_wheels.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_wheels.out"));
}

// The black jack: three games of a bet of 10 and a stand, their callbacks from the seeded
// shoe, the third skipping the level.
TEST_F(LevelCommand, TheSampleBlackJackSettlesThreeGamesAndSkips)
{
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/blackjack/blackjack.scene " + folder.Path().string() +
                          " --base Nimbrel --number 26")
                  .status,
              0);
    const goldentest::Outcome outcome =
        RunInGolden("level run " + (folder.Path() / "Nimbrel_object_26.raw").string() + " " + sample +
                    "scripts/Nimbrel_object_26.0.script --seed 7 --kind BLACK_JACK --moves sample_blackjack.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_blackjack.out"));
}

// The sliding blocks' element infos beside the circles'.
class SlidingLevelCommand : public LevelCommand {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/sliding/sliding.scene " + folder.Path().string() +
                              " --base Nimbrel --number 28")
                      .status,
                  0);
    }
    std::string Raw() const { return (folder.Path() / "Nimbrel_object_28.raw").string(); }
};

class NoSlidingHost : public LevelBoardHost {
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t) override {}
};

// The known drags of the sample: the piece on (column, row) moved by (columns, rows) cells.
constexpr SlidingDrag kSampleDrags[] = {{0, 2, 0, 1}, {2, 2, -2, 0}, {2, 4, 0, -2}, {4, 4, -2, 0},
                                        {4, 0, 0, 3}, {0, 1, 3, 0},  {2, 2, 0, -2}, {0, 2, 4, 0}};

// The search over the sample finds no shorter way than the known drags, which solve it in the
// model and, as pointer drags of the moves file, in vornel level run.
TEST_F(SlidingLevelCommand, TheSampleSlidingSolvesByTheDragsTheSearchConfirms)
{
    const std::string script = sample + "scripts/Nimbrel_object_28.0.script";
    NoSlidingHost host;
    SlidingBoard board(&host);
    ASSERT_TRUE(SlidingBoardFromScript(script, board));
    bool solvable = false;
    EXPECT_EQ(SolveSliding(board, &solvable).size(), std::size(kSampleDrags));
    EXPECT_TRUE(solvable);
    for (const SlidingDrag& drag : kSampleDrags) {
        EXPECT_FALSE(board.IsWon());
        EXPECT_TRUE(board.Shift(drag.row * board.Columns() + drag.column, drag.columns, drag.rows))
            << drag.column << "," << drag.row;
    }
    EXPECT_TRUE(board.IsWon());

    // The moves file drags the same pieces by the same cells, from the cells' centres.
    std::string drags;
    for (const SlidingDrag& d : kSampleDrags) {
        const int x = 312 + 80 * int(d.column), y = 184 + 80 * int(d.row);
        const int hx = x + 40 * d.columns, hy = y + 40 * d.rows, ex = x + 80 * d.columns, ey = y + 80 * d.rows;
        drags += "!press " + std::to_string(x) + " " + std::to_string(y) + "\n!move " + std::to_string(hx) + " " +
                 std::to_string(hy) + "\n!move " + std::to_string(ex) + " " + std::to_string(ey) + "\n!release " +
                 std::to_string(ex) + " " + std::to_string(ey) + "\n";
    }
    std::string played;
    std::istringstream moves(ReadText(kGolden / "sample_sliding.moves"));
    for (std::string line; std::getline(moves, line);)
        if (line.rfind("!press", 0) == 0 || line.rfind("!move", 0) == 0 || line.rfind("!release", 0) == 0)
            played += line + "\n";
    EXPECT_EQ(played, drags);

    const goldentest::Outcome outcome =
        RunInGolden("level run " + Raw() + " " + script + " --moves sample_sliding.moves");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_sliding.out"));
}

}  // namespace
