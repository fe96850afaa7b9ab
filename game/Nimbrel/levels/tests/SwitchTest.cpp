// The picture grid board as the switch level plays it: its words, the shuffle by moves of the
// game type and its refusals, clicks, drags and releases on the cells, the animation and the
// win test, solvers by clicks (exchanges and quarter turns), and the saved board, by itself
// and in the level (the switch and the jigsaw).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "CountingLevel.h"
#include "GridTestHost.h"
#include "LevelPayload.h"
#include "NimbrelLevels/CObjectsLevelSwitch.h"
#include "NimbrelLevels/LevelState.h"
#include "NimbrelLevels/PictureGridBoard.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

Status Word(PictureGridBoard& board, const char* name, const char* value)
{
    std::string copy = value;
    return board.Word(name, copy.data());
}

// The random values that pick one of three as 1 (an exchange) and cell c of nine.
constexpr uint32_t kExchange = 0x60000000u;
uint32_t CellValue(uint32_t c) { return uint32_t((uint64_t(c) << 32) / 9 + 1); }

class SwitchGrid : public ::testing::Test {
protected:
    // A 3 x 3 switch game; `lists` its link lists.
    void Configure(const char* type, const std::vector<const char*>& lists, const char* count = "12")
    {
        *board.ItemWord("switch_game_play") = 0;
        ASSERT_EQ(Word(board, "switch_game_type", type), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "switch_row_col", "3x3"), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "switch_random_count", count), kStatusDoneStoreResult);
        ASSERT_EQ(Word(board, "switch_link_count", std::to_string(lists.size()).c_str()), kStatusDoneStoreResult);
        for (const char* list : lists)
            ASSERT_EQ(Word(board, "switch_link_list", list), kStatusDoneStoreResult) << list;
        ASSERT_EQ(board.CheckSetup(), kStatusOk);
    }
    static float X(uint32_t c) { return -100.0f + 100.0f * float(c % 3); }
    static float Y(uint32_t c) { return -100.0f + 100.0f * float(c / 3); }
    // A click as the world sends it: the press, the release, and the click when the release
    // was not taken.
    void Click(uint32_t c)
    {
        const bool taken = Succeeded(board.Press(X(c), Y(c))) && Succeeded(board.Release(X(c), Y(c)));
        if (!taken)
            board.Click(X(c), Y(c));
    }
    void Settle()
    {
        for (int frame = 0; frame < 8; ++frame)
            board.Step(1.0f);
    }
    std::string Text() const
    {
        char text[256];
        board.Print(text, sizeof text);
        return text;
    }
    std::vector<uint32_t> Pieces() const
    {
        std::vector<uint32_t> pieces;
        for (uint32_t i = 0; i < board.CellCount(); ++i)
            pieces.push_back(board.Cell(i).piece);
        return pieces;
    }

    TestHost host;
    PictureGridBoard board{&host};
};

TEST_F(SwitchGrid, WordsAndTheirLimits)
{
    const struct {
        const char* word;
        const char* value;
        uint32_t columns, rows, count, type, flags;
    } words[] = {
        {"switch_row_col", "1x9", 2, 9, 0, 0, 0},
        {"switch_row_col", "260x3", 4, 3, 0, 0, 0},
        {"switch_random_count", "300", 4, 3, 44, 0, 0},
        {"switch_random_count", "-5", 4, 3, 1, 0, 0},
        {"switch_game_type", "rotate,switch", 4, 3, 1, kGridTypeRotate, 0x30},
        {"switch_game_type", "tile,switch", 4, 3, 1, kGridTypeSwitch, 0x30},
    };
    for (const auto& w : words) {
        ASSERT_EQ(Word(board, w.word, w.value), kStatusDoneStoreResult) << w.value;
        EXPECT_EQ(board.Columns(), w.columns) << w.value;
        EXPECT_EQ(board.Rows(), w.rows) << w.value;
        EXPECT_EQ(board.RandomCount(), w.count) << w.value;
        EXPECT_EQ(board.GameType(), w.type) << w.value;
        EXPECT_EQ(board.TypeFlags(), w.flags) << w.value;
    }
    EXPECT_EQ(Word(board, "switch_selected_color", "0x80FF0000"), kStatusDoneStoreResult);
    EXPECT_EQ(board.SelectedColor(), 0x80FF0000u);
    // Lists of 1-based cells within the grid, at most the link count of them.
    EXPECT_EQ(Word(board, "switch_link_list", "1,2"), kStatusFailed);
    ASSERT_EQ(Word(board, "switch_link_count", "1"), kStatusDoneStoreResult);
    for (const char* bad : {"0,1", "1,13", "x", ""})
        EXPECT_EQ(Word(board, "switch_link_list", bad), kStatusFailed) << bad;
    EXPECT_EQ(Word(board, "switch_link_list", "1, 12"), kStatusDoneStoreResult);
    EXPECT_TRUE(board.Linked(0, 11));
    EXPECT_EQ(Word(board, "switch_link_list", "2,3"), kStatusFailed);
    // A new grid frees the table sized by the old one.
    ASSERT_EQ(Word(board, "switch_row_col", "5x5"), kStatusDoneStoreResult);
    EXPECT_EQ(board.LinkCount(), 0);
    EXPECT_FALSE(board.Linked(0, 11));
    EXPECT_EQ(Word(board, "switch_link_list", "1,25"), kStatusFailed);
    EXPECT_EQ(Word(board, "switch_unknown", "1"), kStatusDoneStoreResult);
}

TEST_F(SwitchGrid, TheShuffleDrawsMovesOfTheGameTypeAndNeverEndsSolved)
{
    Configure("switch", {"1,2,3,4,5,6,7,8,9"}, "2");
    // The first shuffle exchanges cells 1 and 2 twice and ends solved: it shuffles again.
    const uint32_t k = kExchange, a = CellValue(0), b = CellValue(1), c = CellValue(2);
    host.values = {k, a, b, k, a, b, k, a, b, k, a, c};
    ASSERT_EQ(board.Deal(), kStatusOk);
    EXPECT_EQ(host.next, 12u);
    EXPECT_EQ(Text(), "grid 3x3 [2 0 1/3 4 5/6 7 8]");
    // The shuffle of a rotate game turns pieces only.
    PictureGridBoard turns(&host);
    *turns.ItemWord("switch_game_play") = 0;
    for (const auto& [name, value] : {std::pair<const char*, const char*>{"switch_game_type", "rotate,switch"},
                                      {"switch_row_col", "3x3"}, {"switch_random_count", "5"}})
        Word(turns, name, value);
    host.values.clear();
    ASSERT_EQ(turns.Deal(), kStatusOk);
    for (uint32_t i = 0; i < 9; ++i)
        EXPECT_EQ(turns.Cell(i).piece, i);
    EXPECT_FALSE(turns.IsWon());
    // Shuffles that could never end unsolved are refused.
    const struct {
        std::vector<const char*> lists;
        const char* count;
    } refused[] = {{{"4"}, "3"}, {{"4,5"}, "2"}, {{}, "3"}};
    for (const auto& r : refused) {
        PictureGridBoard other(&host);
        *other.ItemWord("switch_game_play") = 0;
        Word(other, "switch_game_type", "switch");
        Word(other, "switch_row_col", "3x3");
        Word(other, "switch_random_count", r.count);
        if (!r.lists.empty())
            Word(other, "switch_link_count", "1");
        for (const char* list : r.lists)
            Word(other, "switch_link_list", list);
        EXPECT_EQ(other.Deal(), kStatusFailed) << r.count;
        EXPECT_FALSE(other.IsDealt()) << r.count;
    }
    PictureGridBoard uncounted(&host);
    *uncounted.ItemWord("switch_game_play") = 0;
    Word(uncounted, "switch_game_type", "rotate");
    Word(uncounted, "switch_row_col", "3x3");
    EXPECT_EQ(uncounted.Deal(), kStatusFailed);
}

TEST_F(SwitchGrid, ClicksSelectMoveTheSelectionAndExchange)
{
    Configure("switch", {"1,2,3,4,5,6", "7,8,9"});
    ASSERT_EQ(board.Deal(), kStatusOk);
    const std::vector<uint32_t> dealt = Pieces();
    Click(0);
    EXPECT_EQ(board.Selected(), 0);
    Click(0);
    EXPECT_EQ(board.Selected(), kGridNoCell);
    // Cell 6 shares no list with 0: the selection moves to it; 7 shares one with 6.
    Click(0);
    Click(6);
    EXPECT_EQ(board.Selected(), 6);
    EXPECT_EQ(Pieces(), dealt);
    Click(7);
    EXPECT_EQ(board.Selected(), kGridNoCell);
    EXPECT_EQ(board.Animation(), kGridClickExchange);
    EXPECT_EQ(board.Cell(6).piece, dealt[7]);
    EXPECT_EQ(board.Cell(7).piece, dealt[6]);
    EXPECT_EQ(host.sounds.size(), 5u);
    Settle();
    EXPECT_EQ(board.Animation(), kGridIdle);
    EXPECT_EQ(host.finishes.size(), 1u);
    // A click whose press was on another cell counts for nothing.
    board.Press(X(1), Y(1));
    EXPECT_EQ(board.Click(X(2), Y(2)), kStatusFailed);
    EXPECT_EQ(board.Selected(), kGridNoCell);
}

TEST_F(SwitchGrid, DragsShortFarAndOffTheGrid)
{
    Configure("switch", {"1,2,3,4,5,6,7,8,9"});
    ASSERT_EQ(board.Deal(), kStatusOk);
    const std::vector<uint32_t> dealt = Pieces();
    // Under an eighth of a cell (17.7) it is a click: the cell is selected.
    ASSERT_EQ(board.Press(X(0), Y(0)), kStatusOk);
    board.Move(X(0) + 12.0f, Y(0) + 10.0f, true);
    EXPECT_EQ(board.Release(X(0) + 12.0f, Y(0) + 10.0f), kStatusOk);
    EXPECT_EQ(board.Selected(), 0);
    // Onto cell 4: the drag exchanges, the drop hint shown on the way.
    host.sounds.clear();
    ASSERT_EQ(board.Press(X(0), Y(0)), kStatusOk);
    board.Move(X(4), Y(4), true);
    EXPECT_EQ(board.Selected(), 4);
    EXPECT_EQ(board.DragCell(), 0);
    EXPECT_FLOAT_EQ(board.DragOffset()[0], 100.0f);
    EXPECT_EQ(board.Release(X(4), Y(4)), kStatusOk);
    EXPECT_EQ(board.Animation(), kGridDragExchange);
    EXPECT_EQ(board.Cell(4).piece, dealt[0]);
    EXPECT_EQ(board.Selected(), kGridNoCell);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"click"});
    Settle();
    // Dropped off the grid: the piece goes back with the null click.
    host.sounds.clear();
    ASSERT_EQ(board.Press(X(2), Y(2)), kStatusOk);
    board.Move(X(2) + 40.0f, Y(2) - 30.0f, true);
    EXPECT_EQ(board.Release(400.0f, -400.0f), kStatusOk);
    EXPECT_EQ(board.Animation(), kGridGoingBack);
    EXPECT_EQ(board.AnimatedA(), 2u);
    EXPECT_FLOAT_EQ(board.ReturnOffset()[0], 40.0f);
    EXPECT_EQ(host.sounds, std::vector<std::string>{"null"});
    EXPECT_EQ(board.Cell(4).piece, dealt[0]);
    // Off the play item a move is not taken.
    EXPECT_EQ(board.Move(500.0f, 0.0f, false), kStatusFailed);
}

// Selection sort by clicks solves a switch game of one list; turns solve a rotate game.
TEST_F(SwitchGrid, SolversByClicks)
{
    Configure("switch", {"1,2,3,4,5,6,7,8,9"});
    ASSERT_EQ(board.Deal(), kStatusOk);
    ASSERT_FALSE(board.IsWon());
    for (uint32_t piece = 0; piece < 9; ++piece) {
        uint32_t at = piece;
        while (board.Cell(at).piece != piece)
            ++at;
        if (at == piece)
            continue;
        Click(at);
        Click(piece);
        Settle();
    }
    EXPECT_TRUE(board.IsWon());
    EXPECT_EQ(host.finishes.back(), 1);

    TestHost h;
    PictureGridBoard turns(&h);
    *turns.ItemWord("switch_game_play") = 0;
    for (const auto& [name, value] : {std::pair<const char*, const char*>{"switch_game_type", "rotate"},
                                      {"switch_row_col", "3x3"}, {"switch_random_count", "7"}})
        Word(turns, name, value);
    ASSERT_EQ(turns.Deal(), kStatusOk);
    for (uint32_t c = 0; c < 9; ++c)
        while (turns.Cell(c).turn != 0) {
            // A rotate game takes no press: the click alone turns.
            EXPECT_EQ(turns.Press(X(c), Y(c)), kStatusFailed);
            ASSERT_EQ(turns.Click(X(c), Y(c)), kStatusOk);
            EXPECT_EQ(turns.Animation(), kGridQuarterTurn);
            for (int frame = 0; frame < 8; ++frame)
                turns.Step(1.0f);
        }
    EXPECT_TRUE(turns.IsWon());
    EXPECT_EQ(h.finishes.back(), 1);
}

// Before the first "reset" there is no board: the fields end with the link table. A count of 0
// in the board's place, as earlier builds wrote it, reads as no board too.
TEST_F(SwitchGrid, WithoutABoardTheSavedFieldsEndWithTheLinkTable)
{
    Configure("switch", {"1,2,3,4,5,6,7,8,9"});
    std::vector<uint8_t> bytes = SavedBoard(board);
    ASSERT_EQ(bytes.size(), 7 * 4 + 4 * 4 + 4 + 2 + 2 + 1 + 4 + 1 + 4 + 9);
    std::vector<uint8_t> earlier = bytes;
    earlier.insert(earlier.end(), 4, 0);
    for (const auto* saved : {&bytes, &earlier}) {
        TestHost h;
        PictureGridBoard back(&h);
        ASSERT_TRUE(LoadBoard(back, *saved));
        EXPECT_FALSE(back.IsDealt());
        EXPECT_TRUE(back.Fits(1));
        EXPECT_EQ(SavedBoard(back), bytes);
    }
}

TEST_F(SwitchGrid, TheSavedBoardComesBackAndABadOneDoesNotFit)
{
    Configure("switch", {"1,2,3,4,5,6,7,8,9"});
    ASSERT_EQ(board.Deal(), kStatusOk);
    const std::vector<uint8_t> bytes = SavedBoard(board);
    // 7 words, 4 sizes, 4 bytes, the excluded piece, the flags, the count, the colour, the link
    // count, the table's size and its 9 bytes, the cell count and 9 cells.
    ASSERT_EQ(bytes.size(), 7 * 4 + 4 * 4 + 4 + 2 + 2 + 1 + 4 + 1 + 4 + 9 + 4 + 9 * 4);
    TestHost h;
    PictureGridBoard back(&h);
    ASSERT_TRUE(LoadBoard(back, bytes));
    EXPECT_TRUE(back.Fits(1));
    EXPECT_EQ(SavedBoard(back), bytes);
    const size_t table = 7 * 4 + 4 * 4 + 4 + 2 + 2 + 1 + 4 + 1, cells = table + 4 + 9 + 4;
    const struct {
        size_t at;
        uint32_t size;
        uint32_t value;
    } damages[] = {{table, 4, 10}, {cells, 2, 9}, {cells + 2, 1, 4}, {cells - 4, 4, 4}, {table + 4, 1, 2},
                   {7 * 4 + 4 * 4 + 2, 1, 1}, {7 * 4 + 4 * 4 + 4, 2, 3}, {0, 4, 1}};
    for (const auto& d : damages) {
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(&damaged[d.at], &d.value, d.size);
        PictureGridBoard read(&h);
        LoadBoard(read, damaged);
        EXPECT_FALSE(read.Fits(1)) << d.at;
    }
}

}  // namespace

namespace {

// ---- the level in the builtins' world -----------------------------------------------------------

// A level of the kind given its words, dealt, saved and loaded back; then its last cell's piece
// set beyond the grid: the level starts afresh, the profile goes on.
template <class Level>
void SavedLevelComesBack(uint32_t typeCode, const std::vector<std::pair<const char*, const char*>>& words)
{
    CBuiltinWorld world;
    world.Scripts()->Init();
    auto level = std::make_unique<CFixtureObject<CCounting<Level>>>(
        world.GetWorldData(), 0, typeCode, "grid", std::vector<const char*>{"picture", "other"}, &world.requests);
    world.Objects()->Adopt({level.get()});
    ASSERT_EQ(level->Load(), kStatusOk);
    UtilsRandom_Seed(world.GetWorldData(), 5);
    level->GetItemRecord(0)->bounds[0] = level->GetItemRecord(0)->bounds[1] = -150.0f;
    level->GetItemRecord(0)->bounds[2] = level->GetItemRecord(0)->bounds[3] = 150.0f;
    for (const auto& [name, value] : words) {
        std::string copy = value;
        ASSERT_EQ(level->LoadEventsFromParam(name, copy.data()), kStatusDoneStoreResult) << name;
    }
    ASSERT_EQ(level->CheckSetup(), kStatusOk);
    char text[128];
    // Before "reset": no board, saved without one and read back so.
    level->PrintBoard(text, sizeof text);
    const std::string configured = text;
    const std::vector<uint8_t> unset = SavedPayload(*level);
    ASSERT_EQ(LoadPayload(*level, unset), kStatusOk);
    EXPECT_FALSE(level->GetBoard().IsDealt());
    level->PrintBoard(text, sizeof text);
    EXPECT_EQ(text, configured);
    EXPECT_EQ(SavedPayload(*level), unset);
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    level->PrintBoard(text, sizeof text);
    const std::string dealt = text;
    const std::vector<uint8_t> payload = SavedPayload(*level);
    ASSERT_EQ(LoadPayload(*level, payload), kStatusOk);
    level->PrintBoard(text, sizeof text);
    EXPECT_EQ(text, dealt);
    EXPECT_EQ(SavedPayload(*level), payload);
    std::vector<uint8_t> damaged = payload;
    damaged[damaged.size() - 4] = 9;
    EXPECT_EQ(LoadPayload(*level, damaged), kStatusOk);
    EXPECT_FALSE(level->GetBoard().IsDealt());
    EXPECT_EQ(level->GetBoard().PlayItem(), -1);
    world.Objects()->Forget();
}

// A model whose group draws are recorded with the colour and creation word they had, and an
// engine that makes the objects' models of that kind.
class CRecordingModel : public CMemoryObject {
public:
    using CMemoryObject::CMemoryObject;
    void DrawGroup(uint32_t group) override { draws.push_back({group, GetColor(), GetCreationWord()}); }
    struct Draw {
        uint32_t group, color, creation;
    };
    std::vector<Draw> draws;
};

class CRecordingEngine : public CMemoryEngine {
public:
    using CMemoryEngine::CMemoryEngine;
    C3DObject* CreateObject(uint32_t flags, uint32_t second) override
    {
        auto* model = new CRecordingModel(m_pWorldData, C3DVertexLayout::Normal);
        if (Failed(AddObject(model, flags, second))) {
            delete model;
            return nullptr;
        }
        if (!first)
            first = model;
        return model;
    }
    CRecordingModel* first = nullptr;  // an object's render model, made first at its load
};

// A level of the kind given its words, dealt and drawn over a quad of its play item: with the
// developer's three switches on, every piece but a blank is drawn once more, green and without
// its texture.
template <class Level>
void DeveloperPassOutlinesEveryPiece(uint32_t typeCode, const std::vector<std::pair<const char*, const char*>>& words,
                                     size_t pieces)
{
    CBuiltinWorld world;
    world.Scripts()->Init();
    WorldData* w = world.GetWorldData();
    C3DEngine* const worldEngine = w->p3DEngine;
    CRecordingEngine engine(w);
    w->p3DEngine = &engine;
    auto level = std::make_unique<CFixtureObject<Level>>(w, 0, typeCode, "grid", std::vector<const char*>{"picture"},
                                                         &world.requests);
    world.Objects()->Adopt({level.get()});
    ASSERT_EQ(level->Load(), kStatusOk);
    UtilsRandom_Seed(w, 5);
    ASSERT_NE(engine.first, nullptr);
    CRecordingModel& model = *engine.first;
    ASSERT_EQ(model.Create(1, 4, 6), kStatusOk);
    model.Lock(0, 1);
    const float corners[4][2] = {{-150.0f, -150.0f}, {150.0f, -150.0f}, {-150.0f, 150.0f}, {150.0f, 150.0f}};
    for (uint32_t k = 0; k < 4; ++k)
        model.SetVertex(k, corners[k][0], corners[k][1], 0.0f, 0xFFFFFFFFu, float(k & 1), float(k >> 1), 0.0f, 0.0f,
                        -1.0f, 0);
    const uint32_t indices[6] = {0, 1, 2, 2, 1, 3};
    for (uint32_t k = 0; k < 6; ++k)
        model.SetIndex(k, indices[k]);
    model.SetGroup(0, 0, 4, 0, 6, 2, kPrimitiveTriangleList, 0, kGroupIdOwnNumber);
    model.Unlock(0);
    ElementRecord* play = level->GetItemRecord(0);
    const float bounds[4] = {-150.0f, -150.0f, 150.0f, 150.0f};
    std::memcpy(play->bounds, bounds, sizeof bounds);
    play->color = 0xFFFFFFFFu;
    for (const auto& [name, value] : words) {
        std::string copy = value;
        ASSERT_EQ(level->LoadEventsFromParam(name, copy.data()), kStatusDoneStoreResult) << name;
    }
    ASSERT_EQ(level->CheckSetup(), kStatusOk);
    ASSERT_EQ(level->OnCommand("reset"), kStatusOk);
    const auto outlines = [&] {
        model.draws.clear();
        level->Draw();
        size_t green = 0;
        for (const auto& d : model.draws)
            green += d.group == 0 && d.color == 0xFF00FF00u && (d.creation & k3DDrawWireframe) &&
                     !(d.creation & k3DDrawTexture0);
        return green;
    };
    GameData* game = w->pGame;
    EXPECT_EQ(outlines(), 0u);
    EXPECT_EQ(model.draws.size(), pieces);
    game->developerMode = game->debugLine = game->itemDebug = 1;
    EXPECT_EQ(outlines(), pieces);
    game->debugLine = 0;
    EXPECT_EQ(outlines(), 0u);
    world.Objects()->Forget();
    level.reset();
    w->p3DEngine = worldEngine;
}

TEST(SwitchLevel, TheDevelopersPassOutlinesEveryPiece)
{
    DeveloperPassOutlinesEveryPiece<CObjectsLevelSwitch>(
        kObjectKindSwitch,
        {{"switch_game_play", "picture"}, {"switch_game_type", "switch"}, {"switch_row_col", "3x3"},
         {"switch_random_count", "5"}, {"switch_link_count", "1"}, {"switch_link_list", "1,2,3,4,5,6,7,8,9"}},
        9);
}

TEST(JigsawLevel, TheDevelopersPassOutlinesEveryPieceButTheBlank)
{
    DeveloperPassOutlinesEveryPiece<CObjectsLevelJigsaw>(kObjectKindJigsaw,
                                                         {{"jigsaw_game_play", "picture"},
                                                          {"jigsaw_row_col", "3x3"},
                                                          {"jigsaw_game_type", "slide_x,slide_y,blank=3x3"},
                                                          {"jigsaw_random_count", "40"}},
                                                         8);
}

TEST(SwitchLevel, ASavedBoardComesBackAndABadOneStartsAfresh)
{
    SavedLevelComesBack<CObjectsLevelSwitch>(
        kObjectKindSwitch, {{"switch_game_play", "picture"}, {"switch_game_type", "switch"}, {"switch_row_col", "3x3"},
                            {"switch_random_count", "5"}, {"switch_link_count", "1"},
                            {"switch_link_list", "1,2,3,4,5,6,7,8,9"}});
}

TEST(JigsawLevel, ASavedBoardComesBackAndABadOneStartsAfresh)
{
    SavedLevelComesBack<CObjectsLevelJigsaw>(kObjectKindJigsaw, {{"jigsaw_game_play", "picture"},
                                                                 {"jigsaw_row_col", "3x3"},
                                                                 {"jigsaw_game_type", "slide_x,slide_y,blank=3x3"},
                                                                 {"jigsaw_random_count", "40"}});
}

}  // namespace
