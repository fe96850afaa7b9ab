// The labyrinth board: the words that build a maze, the slide and each of its stops, pushes,
// presses of push and toggle switches, the goal reached at the end of the slide on screen, the
// input directions, the element functions, and the saved board with a full cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelLabyrinthe.h"
#include "NimbrelLevels/LabyrinthBoard.h"
#include "NimbrelLevels/LevelStateText.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

// Items by name; the maze item is 70 x 70, every other item 10 x 10.
const char* const kItems[] = {"maze", "up", "down", "left", "right", "reset", "ball", "crate",
                              "gate_on", "gate_off", "switch_on", "switch_off"};

class TestHost : public LabyrinthHost {
public:
    uint32_t NextRandom() override { return 0; }
    void BoardFinished(uint8_t solved) override { finishes.push_back(solved); }
    int32_t FindItem(const char* name) override
    {
        for (int32_t i = 0; i < int32_t(std::size(kItems)); ++i)
            if (std::strcmp(kItems[i], name) == 0)
                return i;
        return -1;
    }
    bool ItemSize(int32_t item, float* pWidth, float* pHeight) override
    {
        if (item < 0 || item >= int32_t(std::size(kItems)))
            return false;
        *pWidth = *pHeight = item == 0 ? 70.0f : 10.0f;
        return true;
    }
    void ShowArrow(int32_t item, bool enabled) override { arrows[item] = enabled; }
    Status CallElementFunction(const char* function, const char* text) override
    {
        calls.push_back(std::string(function) + "(" + text + ")");
        return callStatus;
    }

    std::vector<uint8_t> finishes;
    bool arrows[6] = {};
    std::vector<std::string> calls;
    Status callStatus = kStatusOk;
};

using Words = std::vector<std::pair<const char*, const char*>>;

// A maze from its element words and its rows, reset. The usual characters: '#' a wall, 'o' the
// token, 'x' the goal, 'b' a block, 'g' and 's' a gate and its switch.
struct Maze {
    Maze(const Words& words, const std::vector<std::string>& rows)
    {
        const char* items[] = {"labyrinthe_item_name", "labyrinthe_register_arrow_up", "labyrinthe_register_arrow_down",
                               "labyrinthe_register_arrow_left", "labyrinthe_register_arrow_right",
                               "labyrinthe_register_arrow_reset"};
        for (int32_t i = 0; i < 6; ++i)
            *board.ItemWord(items[i]) = i;
        const std::string size = std::to_string(rows[0].size()) + "x" + std::to_string(rows.size());
        EXPECT_EQ(Word("labyrinthe_add_col_row", size), kStatusDoneStoreResult);
        for (const auto& [name, value] : words)
            EXPECT_EQ(Word(name, value), kStatusDoneStoreResult) << name << " " << value;
        for (const std::string& row : rows)
            EXPECT_EQ(Word("labyrinthe_add_row", row), kStatusDoneStoreResult) << row;
        EXPECT_EQ(board.Deal(), kStatusOk);
    }
    Status Word(const char* name, std::string value) { return board.Word(name, value.data()); }
    std::string Text() const
    {
        char text[1024];
        board.Print(text, sizeof text);
        return text;
    }
    // The slide runs out on screen.
    void Settle()
    {
        for (int frame = 0; frame < 300 && board.IsMoving(); ++frame)
            board.Step(1.0f);
    }
    bool Press(uint32_t direction)
    {
        const bool moved = board.Press(direction);
        Settle();
        return moved;
    }

    TestHost host;
    LabyrinthBoard board{&host};
};

const Words kBall = {{"labyrinthe_register_wall", "char=#"},
                     {"labyrinthe_register_token", "char=o, item=ball, function_name=on_ball"},
                     {"labyrinthe_register_goal", "char=x"}};

Words With(Words words, std::vector<std::pair<const char*, const char*>> more)
{
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

TEST(LabyrinthBoard, WordsAndTheirRefusals)
{
    Maze maze(kBall, {"o.x"});
    // A second token is refused and the first stays.
    EXPECT_EQ(maze.Word("labyrinthe_register_token", "char=p, item=ball"), kStatusFailed);
    EXPECT_EQ(maze.board.ElementCount(), 3u);
    EXPECT_EQ(maze.board.Token()->Character(), 'o');
    // Unknown items and switch modes drop the element; unknown keys are ignored.
    EXPECT_EQ(maze.Word("labyrinthe_register_sliding_block", "char=b, item=ghost"), kStatusFailed);
    EXPECT_EQ(maze.Word("labyrinthe_register_switch_and_gate", "char_gate=g, char_switch=s, mode=press"), kStatusFailed);
    EXPECT_EQ(maze.Word("labyrinthe_register_wall", "char=w, colour=red"), kStatusDoneStoreResult);
    EXPECT_EQ(maze.board.ElementCount(), 4u);
    EXPECT_EQ(maze.Word("labyrinthe_unknown", "1"), kStatusDoneStoreResult);

    // 1 to 255 columns and rows: 0 gave no cell size, larger sizes overflowed the grids.
    const struct {
        const char* value;
        Status status;
    } sizes[] = {{"0x5", kStatusFailed},   {"5x0", kStatusFailed}, {"256x1", kStatusFailed},
                 {"1x-1", kStatusFailed}, {"7", kStatusFailed},   {"255x255", kStatusDoneStoreResult},
                 {"3x2", kStatusDoneStoreResult}};
    for (const auto& s : sizes)
        EXPECT_EQ(maze.Word("labyrinthe_add_col_row", s.value), s.status) << s.value;
    EXPECT_EQ(maze.board.Columns(), 3u);
    EXPECT_FALSE(maze.board.IsDealt());
    // Blanks are skipped; a row longer than the columns, and a row past the rows, are refused.
    EXPECT_EQ(maze.Word("labyrinthe_add_row", "o . x"), kStatusDoneStoreResult);
    EXPECT_EQ(maze.Word("labyrinthe_add_row", "####"), kStatusFailed);
    EXPECT_EQ(maze.Word("labyrinthe_add_row", ""), kStatusDoneStoreResult);
    EXPECT_EQ(maze.Word("labyrinthe_add_row", "#"), kStatusFailed);
    ASSERT_EQ(maze.board.Deal(), kStatusOk);
    EXPECT_EQ(maze.Text(), "o.x\n...");
    EXPECT_FLOAT_EQ(maze.board.CellWidth(), 70.0f / 3.0f);
    EXPECT_FLOAT_EQ(maze.board.CellHeight(), 35.0f);

    EXPECT_EQ(maze.Word("labyrinthe_enable_gestures", "on"), kStatusDoneStoreResult);
    EXPECT_EQ(maze.Word("labyrinthe_enable_gestures", "yes"), kStatusDoneStoreResult);
    EXPECT_TRUE(maze.board.Gestures());
}

TEST(LabyrinthBoard, SlidesAndTheirStops)
{
    const Words blockX = With(kBall, {{"labyrinthe_register_sliding_block", "char=b, item=crate, mode=slide_x"}});
    const Words blockY = With(kBall, {{"labyrinthe_register_sliding_block", "char=b, item=crate, mode=slide_y"}});
    const Words twoBlocks = With(blockY, {{"labyrinthe_register_sliding_block", "char=c, item=crate, mode=slide_y"}});
    const struct {
        const char* what;
        Words words;
        std::vector<std::string> rows;
        std::vector<uint32_t> presses;
        std::vector<bool> moved;
        std::string after;
    } cases[] = {
        {"a slide runs to the wall", kBall, {"#o...#"}, {kLabyrinthRight}, {true}, "#...o#"},
        {"a junction stops the slide with the way ahead open", kBall, {"#o...#", "###.##"}, {kLabyrinthRight},
         {true}, "#..o.#\n###.##"},
        {"a boxed-in token does not move", kBall, {"###", "#o#", "###"}, {kLabyrinthUp, kLabyrinthLeft}, {false, false},
         "###\n#o#\n###"},
        {"a block is pushed one cell a press, and no further than the maze",
         blockX,
         {".ob.."},
         {kLabyrinthRight, kLabyrinthRight, kLabyrinthRight},
         {true, true, false},
         "...ob"},
        {"a block goes only along its axis", blockX, {"..b..", "..o.."}, {kLabyrinthUp}, {false}, "..b..\n..o.."},
        {"the other axis", blockY, {".....", "..b..", "..o.."}, {kLabyrinthUp}, {true}, "..b..\n..o..\n....."},
        {"two blocks beside the way stop the token",
         twoBlocks,
         {".o", "bo", "c.", "..", ".."},
         {kLabyrinthDown},
         {true},
         "..\nbo\nco\n..\n.."},
        // It goes on, and stops one cell on, where the block stands at a diagonal.
        {"one block beside the way lets it go on", blockY, {".o", "bo", "..", "..", ".."}, {kLabyrinthDown}, {true},
         "..\nb.\n.o\n.o\n.."},
        {"a block at a corner's diagonal stops it", blockY, {".o.", "...", "b..", "...", "..."}, {kLabyrinthDown},
         {true}, "...\n.o.\nb..\n...\n..."},
        // Blocks are counted, not cells: a block of two cells beside the way is one block.
        {"one block of two cells beside the way lets it go on", blockY, {".o", "bo", "b.", "..", "..", ".."},
         {kLabyrinthDown}, {true}, "..\nb.\nb.\n.o\n.o\n.."},
    };
    for (const auto& c : cases) {
        Maze maze(c.words, c.rows);
        for (size_t i = 0; i < c.presses.size(); ++i)
            EXPECT_EQ(maze.Press(c.presses[i]), c.moved[i]) << c.what << ", press " << i;
        EXPECT_EQ(maze.Text(), c.after) << c.what;
    }
}

TEST(LabyrinthBoard, BlockedArrowsAndTheInputDirections)
{
    Maze maze(kBall, {"###", "#o.", "###"});
    EXPECT_FALSE(maze.host.arrows[1]);
    EXPECT_FALSE(maze.host.arrows[2]);
    EXPECT_FALSE(maze.host.arrows[3]);
    EXPECT_TRUE(maze.host.arrows[4]);
    EXPECT_TRUE(maze.Press(kLabyrinthRight));
    EXPECT_TRUE(maze.host.arrows[3]);
    EXPECT_FALSE(maze.host.arrows[4]);

    // Swipes: both components under 2.0 are none; else the larger axis, vertical on a tie.
    const struct {
        float dx, dy;
        int32_t direction;
    } swipes[] = {{1.9f, -1.9f, -1}, {0.0f, 0.0f, -1}, {0.0f, 2.0f, kLabyrinthDown}, {3.0f, -3.0f, kLabyrinthUp},
                  {-5.0f, 1.0f, kLabyrinthLeft}, {2.5f, 0.0f, kLabyrinthRight}};
    for (const auto& s : swipes)
        EXPECT_EQ(LabyrinthBoard::SwipeDirection(s.dx, s.dy), s.direction) << s.dx << "," << s.dy;
    // Keys in memory order up, right, down, left, taken in the order up, down, left, right.
    const struct {
        uint8_t keys[4];
        int32_t direction;
    } keys[] = {{{1, 1, 1, 1}, kLabyrinthUp}, {{0, 1, 1, 1}, kLabyrinthDown}, {{0, 1, 0, 1}, kLabyrinthLeft},
                {{0, 1, 0, 0}, kLabyrinthRight}, {{0, 0, 0, 0}, -1}};
    for (const auto& k : keys)
        EXPECT_EQ(LabyrinthBoard::KeyDirection(k.keys), k.direction);
    EXPECT_EQ(maze.board.ArrowDirection(3), kLabyrinthLeft);
    EXPECT_EQ(maze.board.ArrowDirection(5), -1);
}

TEST(LabyrinthBoard, TheGoalFinishesOnlyAfterTheSlideOnScreen)
{
    Maze maze(kBall, {"o...x."});
    ASSERT_TRUE(maze.board.Press(kLabyrinthRight));
    EXPECT_TRUE(maze.board.IsSolved());
    EXPECT_EQ(maze.Text(), "....o.");
    EXPECT_FLOAT_EQ(maze.board.Token()->PendingX(), 4.0f);
    // Solved: nothing moves any more, every arrow is blocked.
    EXPECT_FALSE(maze.board.Press(kLabyrinthRight));
    EXPECT_FALSE(maze.host.arrows[4]);
    for (int frame = 0; frame < 3; ++frame)
        maze.board.Step(1.0f);
    EXPECT_TRUE(maze.host.finishes.empty());
    maze.board.Step(1.0f);
    EXPECT_EQ(maze.host.finishes, std::vector<uint8_t>{1});
    maze.board.Step(1.0f);
    EXPECT_EQ(maze.host.finishes.size(), 1u);
    // The function of each element that moved, with its character.
    EXPECT_EQ(maze.host.calls, std::vector<std::string>{"on_ball(o)"});
    // "reset" puts everything back.
    ASSERT_EQ(maze.board.Deal(), kStatusOk);
    EXPECT_EQ(maze.Text(), "o...x.");
    EXPECT_FALSE(maze.board.IsSolved());
}

// A token in no row counts as on the goal: its first move solves, and it stays where it is.
TEST(LabyrinthBoard, ATokenPlacedNowhereSolvesAtOnce)
{
    Maze maze(kBall, {"..x"});
    EXPECT_TRUE(maze.board.Press(kLabyrinthUp));
    EXPECT_TRUE(maze.board.IsSolved());
    EXPECT_EQ(maze.board.Token()->Anchor().row, 0);
    EXPECT_FALSE(maze.board.Token()->MovingOnScreen());
}

TEST(LabyrinthBoard, AFailedFunctionFailsTheMoveItFollows)
{
    Maze maze(kBall, {"o..#"});
    maze.host.callStatus = kStatusFailed;
    EXPECT_EQ(maze.board.Move(kLabyrinthRight), kStatusFailed);
    EXPECT_EQ(maze.Text(), "..o#");
    EXPECT_EQ(maze.board.Move(kLabyrinthRight), kStatusFailed);
    EXPECT_EQ(maze.host.calls.size(), 1u);
}

TEST(LabyrinthBoard, PushAndToggleSwitchesWorkTheirGates)
{
    auto maze = [](const char* mode, std::vector<std::string> rows) {
        const std::string list = std::string("char_gate=g, item_gate_on=gate_on, item_gate_off=gate_off, char_switch=s, "
                                             "item_switch_on=switch_on, item_switch_off=switch_off, mode=") +
                                 mode;
        return std::make_unique<Maze>(
            With(kBall, {{"labyrinthe_register_switch_and_gate", list.c_str()},
                         {"labyrinthe_register_sliding_block", "char=b, item=crate, mode=slide_x"}}),
            rows);
    };
    // Elements 3 (gate) and 4 (switch): closed, each shows its "_on" look.
    auto open = [](const Maze& m) { return m.board.Element(3)->Shown(1) && m.board.Element(4)->Shown(1); };

    // A push switch stops the token and opens the gate while something stands on it.
    auto push = maze("push", {"o.s.g.x"});
    EXPECT_FALSE(open(*push));
    EXPECT_TRUE(push->Press(kLabyrinthRight));
    EXPECT_EQ(push->Text(), "..o.g.x");
    EXPECT_TRUE(open(*push));
    EXPECT_EQ(push->board.Element(4)->ChangeFlags(), kLabyrinthPressed | kLabyrinthHeld);
    // Off it, the gate closes again in front of the token.
    EXPECT_TRUE(push->Press(kLabyrinthRight));
    EXPECT_EQ(push->Text(), "..sog.x");
    EXPECT_FALSE(open(*push));

    // A block pushed onto it holds it down: the gate stays open while the block is there.
    auto held = maze("push", {"obs.g.x"});
    EXPECT_TRUE(held->Press(kLabyrinthRight));
    EXPECT_EQ(held->Text(), ".ob.g.x");
    EXPECT_TRUE(open(*held));
    EXPECT_EQ(held->board.Element(4)->ChangeFlags(), kLabyrinthPressed | kLabyrinthHeld);

    // A toggle switch lets the token go on and flips the gate; the held mark goes with it.
    auto toggle = maze("switch_closed", {"o.s.g.x"});
    EXPECT_TRUE(toggle->Press(kLabyrinthRight));
    EXPECT_EQ(toggle->Text(), "..s.g.o");
    EXPECT_TRUE(open(*toggle));
    EXPECT_EQ(toggle->board.Element(4)->ChangeFlags(), kLabyrinthPressed);
    EXPECT_TRUE(toggle->board.IsSolved());

    // A block on a toggle switch stops there without pressing it.
    auto blockOnToggle = maze("switch_opened", {"obs.g.x"});
    EXPECT_TRUE(open(*blockOnToggle));
    EXPECT_TRUE(blockOnToggle->Press(kLabyrinthRight));
    EXPECT_TRUE(open(*blockOnToggle));
    EXPECT_EQ(blockOnToggle->board.Element(4)->ChangeFlags(), 0u);
}

// ---- the saved board ---------------------------------------------------------------------------------

std::vector<uint8_t> Save(LabyrinthBoard& board)
{
    UtilsStream_Chunk chunk(1);
    chunk.Open(kStreamReadWriteGrowable);
    LevelState state(&chunk, true);
    board.StateFields(state);
    EXPECT_TRUE(state.Ok());
    const uint32_t size = chunk.GetInnerStream()->GetSize();
    const uint8_t* block = chunk.GetInnerStream()->GetBlock();
    return std::vector<uint8_t>(block, block + size);
}

bool Load(LabyrinthBoard& board, const std::vector<uint8_t>& bytes)
{
    board.Clear();
    UtilsStream_Chunk chunk(1);
    chunk.Open(kStreamReadWriteGrowable);
    chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
    chunk.Rewind();
    LevelState state(&chunk, false);
    board.StateFields(state);
    return state.Ok();
}

TEST(LabyrinthBoard, TheSavedBoardPlaysOnAndAFullCellTakesNobody)
{
    Maze maze(With(kBall, {{"labyrinthe_register_sliding_block", "char=b, item=crate, mode=slide_xy"}}),
              {"o.b..", "#...x"});
    ASSERT_TRUE(maze.Press(kLabyrinthRight));
    const std::vector<uint8_t> saved = Save(maze.board);
    Maze copy(kBall, {"o"});
    ASSERT_TRUE(Load(copy.board, saved));
    EXPECT_TRUE(copy.board.Fits(12));
    EXPECT_EQ(copy.Text(), maze.Text());
    EXPECT_EQ(Save(copy.board), saved);
    // The tools print it from behind the level's paused and solved flags.
    {
        const std::vector<uint8_t> flags = {0, 1};
        UtilsStream_Chunk chunk(1);
        chunk.Open(kStreamReadWriteGrowable);
        chunk.Write(flags.data(), 1, 2);
        chunk.Write(saved.data(), 1, uint32_t(saved.size()));
        chunk.Rewind();
        char text[256];
        ASSERT_TRUE(DescribeLevelState(kObjectKindLabyrinthe, &chunk, 12, text, sizeof text));
        EXPECT_EQ(std::string(text), maze.Text() + " solved");
    }
    EXPECT_TRUE(copy.Press(kLabyrinthRight));
    EXPECT_EQ(copy.Text(), "..ob.\n#...x");

    // The occupancy grid follows the flags (2), items (2 x 4), cell sizes (5 x 4), arrows
    // (4 x 7), sizes (2 x 4), character grid (10 x 5) and its cell count (4). Cell 1 full of
    // the goal (element 2) refuses the token; with one place free it lets it in.
    const size_t places = 2 + 8 + 20 + 28 + 8 + 50 + 4 + 12 * 1;
    Maze line(kBall, {"o...#", "....x"});
    std::vector<uint8_t> full = Save(line.board);
    const int32_t goal = 2;
    for (int k = 0; k < 3; ++k)
        std::memcpy(&full[places + 4 * k], &goal, 4);
    ASSERT_TRUE(Load(line.board, full));
    ASSERT_TRUE(line.board.Fits(12));
    EXPECT_FALSE(line.Press(kLabyrinthRight));
    const int32_t free = -1;
    std::memcpy(&full[places + 8], &free, 4);
    ASSERT_TRUE(Load(line.board, full));
    // The goal standing there is reached at once.
    EXPECT_TRUE(line.Press(kLabyrinthRight));
    EXPECT_EQ(line.Text(), ".o..#\n....x");
    EXPECT_TRUE(line.board.IsSolved());

    // Values that cannot stand: a grid too large, an element of no kind, a token that is a
    // wall, an occupant past the elements, an item past the object.
    const size_t columns = 2 + 8 + 20 + 28, elements = places - 12 + 12 * 10 + 4 + 4;
    const struct {
        size_t at;
        int32_t value;
    } damages[] = {{columns, 256}, {columns, 0}, {elements, 9}, {full.size() - 8, 0}, {places, 7}, {2, 12}};
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = Save(maze.board);
        if (d.at == elements || d.at == places)
            damaged = full;
        std::memcpy(&damaged[d.at], &d.value, 4);
        Load(line.board, damaged);
        EXPECT_FALSE(line.board.Fits(12)) << d.at;
    }
}


// The moves that solve a dealt maze, fewest first, found over the saved boards it can reach
// (token, blocks and gates, and the switches' marks); empty when none does.
std::vector<uint32_t> Solve(Maze& maze)
{
    const std::vector<uint8_t> start = Save(maze.board);
    std::map<std::vector<uint8_t>, std::pair<std::vector<uint8_t>, uint32_t>> from = {{start, {{}, 0}}};
    std::deque<std::vector<uint8_t>> queue = {start};
    while (!queue.empty()) {
        const std::vector<uint8_t> at = queue.front();
        queue.pop_front();
        Load(maze.board, at);
        if (maze.board.OnGoal()) {
            std::vector<uint32_t> moves;
            for (std::vector<uint8_t> step = at; step != start; step = from[step].first)
                moves.insert(moves.begin(), from[step].second);
            return moves;
        }
        for (uint32_t d = 0; d < kLabyrinthDirections; ++d) {
            Load(maze.board, at);
            if (!maze.Press(d))
                continue;
            const std::vector<uint8_t> next = Save(maze.board);
            if (from.emplace(next, std::make_pair(at, d)).second)
                queue.push_back(next);
        }
    }
    return {};
}

TEST(LabyrinthBoard, AMazeOfAPushedBlockHoldingItsGateOpenIsSolved)
{
    const Words words = With(kBall, {{"labyrinthe_register_sliding_block", "char=b, item=crate, mode=slide_x"},
                                     {"labyrinthe_register_switch_and_gate",
                                      "char_gate=g, item_gate_on=gate_on, item_gate_off=gate_off, char_switch=s, "
                                      "item_switch_on=switch_on, item_switch_off=switch_off, mode=push"}});
    const std::vector<std::string> rows = {"#######", "#o....#", "#.###.#", "#..bs.#", "###.#g#", "#...#x#", "#######"};
    Maze maze(words, rows);
    const std::vector<uint32_t> moves = Solve(maze);
    const std::vector<uint32_t> known = {kLabyrinthDown, kLabyrinthRight, kLabyrinthRight, kLabyrinthLeft,
                                         kLabyrinthUp,   kLabyrinthRight, kLabyrinthDown,  kLabyrinthDown,
                                         kLabyrinthDown};
    EXPECT_EQ(moves, known);
    Maze played(words, rows);
    for (uint32_t move : known)
        EXPECT_TRUE(played.Press(move));
    EXPECT_TRUE(played.board.IsSolved());
    EXPECT_EQ(played.Text(), "#######\n#.....#\n#.###.#\n#...b.#\n###.#g#\n#...#o#\n#######");
}

// ---- the level in the builtins' world -----------------------------------------------------------

using CFixtureLabyrinthe = CFixtureObject<CCounting<CObjectsLevelLabyrinthe>>;

class LabyrinthLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Scripts()->Init();
        level = std::make_unique<CFixtureLabyrinthe>(world.GetWorldData(), 0, kObjectKindLabyrinthe, "labyrinth",
                                                     std::vector<const char*>(std::begin(kItems), std::end(kItems)),
                                                     &world.requests);
        world.Objects()->Adopt({level.get()});
        ASSERT_EQ(level->Load(), kStatusOk);
        world.Objects()->SetCurrentObject(level.get());
        for (uint32_t i = 0; i < std::size(kItems); ++i) {
            ElementRecord* e = level->GetItemRecord(i);
            e->size[0] = e->size[1] = i == 0 ? 70.0f : 10.0f;
        }
        world.GetWorldData()->frameTime = 1.0;
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
    Status Event(const char* name, const char* value)
    {
        std::string copy = value;
        return level->OnEvent(name, copy.data());
    }
    // The usual items, a maze of the rows with a wall, the token and the goal, and "reset".
    void Configure(const std::vector<std::string>& rows)
    {
        const std::pair<const char*, const char*> items[] = {
            {"labyrinthe_item_name", "maze"},          {"labyrinthe_register_arrow_up", "up"},
            {"labyrinthe_register_arrow_down", "down"}, {"labyrinthe_register_arrow_left", "left"},
            {"labyrinthe_register_arrow_right", "right"}, {"labyrinthe_register_arrow_reset", "reset"}};
        for (const auto& [name, value] : items)
            ASSERT_EQ(Word(name, value), kStatusDoneStoreResult) << name;
        const std::string size = std::to_string(rows[0].size()) + "x" + std::to_string(rows.size());
        ASSERT_EQ(Word("labyrinthe_add_col_row", size.c_str()), kStatusDoneStoreResult);
        for (const auto& [name, value] : kBall)
            ASSERT_EQ(Word(name, value), kStatusDoneStoreResult) << name;
        for (const std::string& row : rows)
            ASSERT_EQ(Word("labyrinthe_add_row", row.c_str()), kStatusDoneStoreResult) << row;
        ASSERT_EQ(level->CheckSetup(), kStatusOk);
        ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    }
    // One frame with an arrow key down: 0 up, 1 right, 2 down, 3 left as the world keeps them.
    void Key(int key)
    {
        GameFrameInput& input = world.GetWorldData()->game.input;
        uint8_t* keys[] = {&input.arrowUp, &input.arrowRight, &input.arrowDown, &input.arrowLeft};
        *keys[key] = 1;
        level->UpdateState();
        *keys[key] = 0;
    }
    void Frames(uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i)
            level->UpdateState();
    }
    std::string Text()
    {
        char text[1024];
        level->GetBoard().Print(text, sizeof text);
        return text;
    }
    const ElementRecord& Item(const char* name) { return *level->GetItemRecord(uint32_t(level->FindElementByName(name))); }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureLabyrinthe> level;
};

TEST_F(LabyrinthLevel, KeysMoveTheTokenAndTheBlockedArrowsDim)
{
    EXPECT_EQ(level->CheckSetup(), kStatusFailed);
    Configure({"#####", "#o...", "#...x"});
    // Only right and down are open: the others are found and at half alpha.
    for (const char* name : {"up", "left"}) {
        EXPECT_FLOAT_EQ(Item(name).alpha, 0.5f) << name;
        EXPECT_TRUE(Item(name).flags & kElementFound) << name;
    }
    EXPECT_FLOAT_EQ(Item("right").alpha, 1.0f);
    EXPECT_FALSE(Item("down").flags & kElementFound);
    // A blocked key moves nothing.
    Key(0);
    EXPECT_EQ(Text(), "#####\n#o...\n#...x");
    // The slide runs a cell a frame on screen; keys wait for it.
    Key(1);
    EXPECT_EQ(Text(), "#####\n#...o\n#...x");
    EXPECT_TRUE(level->GetBoard().IsMoving());
    Key(2);
    EXPECT_EQ(Text(), "#####\n#...o\n#...x");
    Frames(2);
    EXPECT_FALSE(level->GetBoard().IsMoving());
    // One cell down is the goal: solved and finished as the cell runs out, in that frame.
    Key(2);
    EXPECT_EQ(Text(), "#####\n#....\n#...o");
    EXPECT_EQ(level->IsSolved(), 1);
    EXPECT_EQ(level->finishes, 1u);
}

TEST_F(LabyrinthLevel, TheRegisteredArrowsAreButtonsThePointerFinds)
{
    for (const char* name : {"up", "down", "left", "right", "reset"})
        EXPECT_FALSE(Item(name).flags & kElementClickable) << name;
    Configure({"#####", "#o...", "#...x"});
    // A click reaches the level's arrows only through elements the hit test takes.
    for (const char* name : {"up", "down", "left", "right"})
        EXPECT_TRUE(Item(name).flags & kElementClickable) << name;
    // The reset item is the script's to make a button.
    EXPECT_FALSE(Item("reset").flags & kElementClickable);
    EXPECT_FALSE(Item("maze").flags & kElementClickable);
}

TEST_F(LabyrinthLevel, PauseSkipAndTheFlashlight)
{
    Configure({"o..x"});
    ASSERT_EQ(level->OnCommand("pause"), kStatusOk);
    Key(1);
    EXPECT_EQ(Text(), "o..x");
    EXPECT_EQ(level->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(level->finishes, 0u);
    ASSERT_EQ(level->OnCommand("resume"), kStatusOk);
    EXPECT_EQ(Event("flashlight", "on"), kStatusDoneStoreResult);
    EXPECT_EQ(level->GetBoard().Flashlight(), 1);
    EXPECT_EQ(Event("flashlight", "dim"), kStatusDoneStoreResult);
    EXPECT_EQ(level->GetBoard().Flashlight(), 1);
    // "skip" stops the slide where it is and finishes at once.
    Key(1);
    EXPECT_TRUE(level->GetBoard().IsMoving());
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_FALSE(level->GetBoard().IsMoving());
    EXPECT_EQ(level->finishes, 1u);
    // "reset" puts the token back, ends a pause and lets the level finish again.
    ASSERT_EQ(level->OnCommand("pause"), kStatusOk);
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(level->IsPaused(), 0);
    EXPECT_EQ(Text(), "o..x");
    Key(1);
    Frames(3);
    EXPECT_EQ(level->finishes, 2u);
}

TEST_F(LabyrinthLevel, AProfileSavedMidMazeLoadsAndPlaysOnAndABadOneStartsAfresh)
{
    Configure({"#o..#", "#...#", "#...#", "###x#"});
    Key(1);
    const std::string after = Text();
    const std::vector<uint8_t> payload = SavedPayload(*level);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    EXPECT_EQ(Text(), after);
    EXPECT_EQ(SavedPayload(*level), payload);
    // Read back in the middle of its slide: the token slides on, and keys wait for it.
    EXPECT_TRUE(level->GetBoard().IsMoving());
    Key(2);
    EXPECT_EQ(Text(), after);
    Frames(3);
    Key(2);
    EXPECT_EQ(Text(), "#...#\n#...#\n#...#\n###o#");
    // Saved as the token slides onto the goal: read back, it finishes once at rest.
    const std::vector<uint8_t> onGoal = SavedPayload(*level);
    EXPECT_EQ(level->finishes, 0u);
    ASSERT_EQ(LoadPayload(*level, onGoal), kStatusOk);
    EXPECT_TRUE(level->GetBoard().IsSolved());
    Key(0);
    EXPECT_EQ(Text(), "#...#\n#...#\n#...#\n###o#");
    Frames(3);
    EXPECT_EQ(level->finishes, 1u);

    // Columns past 255, rows of 0 beside columns, a token that is the goal.
    // Found by its opening: paused, solved, flashlight and gestures, the reset item (5), the
    // maze item (0), the cell width (70 / 5) and height (70 / 4).
    const float width = 14.0f, height = 70.0f / 4.0f;
    std::vector<uint8_t> opening = {0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0};
    opening.insert(opening.end(), reinterpret_cast<const uint8_t*>(&width), reinterpret_cast<const uint8_t*>(&width) + 4);
    opening.insert(opening.end(), reinterpret_cast<const uint8_t*>(&height), reinterpret_cast<const uint8_t*>(&height) + 4);
    const auto found = std::search(payload.begin(), payload.end(), opening.begin(), opening.end());
    ASSERT_NE(found, payload.end());
    const size_t columns = size_t(found - payload.begin()) + 4 + 8 + 20 + 28;
    const struct {
        size_t at;
        int32_t value;
    } damages[] = {{columns, 300}, {columns + 4, 0}, {payload.size() - 8, 2}};
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[d.at], &d.value, 4);
        EXPECT_EQ(LoadPayload(*level, damaged), kStatusOk) << d.at;
        EXPECT_EQ(Text(), "labyrinth not set") << d.at;
        EXPECT_EQ(level->GetBoard().ElementCount(), 0u) << d.at;
    }
    // A cut state starts afresh too, and says so.
    EXPECT_EQ(LoadPayload(*level, payload, payload.size() - 3), kStatusFailed);
    EXPECT_EQ(Text(), "labyrinth not set");
}

}  // namespace
