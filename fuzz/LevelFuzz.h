#pragma once
// The level kinds the fuzz targets play, each a scene object of a few named elements with no
// world around it, and what a target needs of every kind: its element names, its saved
// payload, and whether its own fields are at their fresh values. A later kind adds its row.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "LevelProbe.h"
#include "NimbrelLevels/CObjectsLevelBlackJack.h"
#include "NimbrelLevels/CObjectsLevelCircles.h"
#include "NimbrelLevels/CObjectsLevelLabyrinthe.h"
#include "NimbrelLevels/CObjectsLevelMatch3.h"
#include "NimbrelLevels/CObjectsLevelPuzzle.h"
#include "NimbrelLevels/CObjectsLevelSliding.h"
#include "NimbrelLevels/CObjectsLevelSwitch.h"
#include "NimbrelLevels/CObjectsLevelTubing.h"
#include "NimbrelLevels/CObjectsLevelWheels.h"
#include "NimbrelLevels/CObjectsLevelWheelStack.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/GameData.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

// A level of kind `Kind` whose elements are named, with the sorted name index the lookups use.
template <class Kind>
class CFuzzLevel : public Kind {
public:
    CFuzzLevel(WorldData* w, const std::vector<const char*>& names) : Kind(w, 0, 0)
    {
        const uint32_t count = uint32_t(names.size());
        this->m_pElements = this->AllocElements(count);
        this->m_pNameIndex = static_cast<uint32_t*>(UTILS_CALLOC(count, sizeof(uint32_t)));
        if (!this->m_pElements || !this->m_pNameIndex)
            std::abort();
        this->m_elementCount = count;
        for (uint32_t i = 0; i < count; ++i) {
            ElementRecord* e = this->GetItemRecord(i);
            CObjectsBase::ResetElement(e);
            e->index = i;
            e->pName = UtilsString_DupA(names[i]);
            // Every item has a size, for the kinds that size their boards by an item.
            e->size[0] = e->size[1] = 64.0f;
            e->bounds[0] = e->bounds[1] = -32.0f;
            e->bounds[2] = e->bounds[3] = 32.0f;
            uint32_t at = i;
            // Insertion into the index by name.
            while (at > 0 && std::strcmp(names[this->m_pNameIndex[at - 1]], names[i]) > 0) {
                this->m_pNameIndex[at] = this->m_pNameIndex[at - 1];
                --at;
            }
            this->m_pNameIndex[at] = i;
        }
    }

    // The object chunk's payload as it saves.
    std::vector<uint8_t> Saved()
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagObject, nullptr);
        if (Failed(this->SaveToProfile(&list, chunk)))
            std::abort();
        const UtilsStream_Static* inner = chunk->GetInnerStream();
        std::vector<uint8_t> bytes(inner->GetBlock(), inner->GetBlock() + inner->GetSize());
        stream.Close();
        return bytes;
    }
    Status Load(const std::vector<uint8_t>& payload)
    {
        UtilsStream_Chunk chunk(kProfileTagObject);
        chunk.Open(kStreamReadWriteGrowable);
        if (!payload.empty())
            chunk.Write(payload.data(), 1, uint32_t(payload.size()));
        chunk.Rewind();
        return this->LoadFromProfile(&chunk);
    }
    bool Fits() { return this->StateFits(); }
    // What the level saves loads back and saves the same bytes again (a turn in progress
    // comes back at rest, and is not saved).
    void SavesAndLoadsBack()
    {
        const std::vector<uint8_t> saved = Saved();
        if (Failed(Load(saved)) || Saved() != saved)
            std::abort();
    }
    // Every field of the kind at its fresh value.
    bool Fresh();
};

// The test kind: counter, item, target and two marks (32-bit), paused and solved (bytes).
constexpr size_t kProbeStateSize = 5 * 4 + 2;
inline const std::vector<const char*>& ProbeNames()
{
    static const std::vector<const char*> names = {"board", "coin", "knob"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelProbe>::Fresh()
{
    return Counter() == 0 && Item() == -1 && Target() == 1 && Marks()[0] == 0 && Marks()[1] == 0 && !IsPaused() &&
           !IsSolved();
}

// Circles: six references and the random count, two rings of six and ten places.
constexpr size_t kCirclesStateSize = 4 * (7 + 12 + 10);
inline const std::vector<const char*>& CirclesNames()
{
    static const std::vector<const char*> names = {"board", "centre_l", "centre_r", "red", "green", "blue", "arrow"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelCircles>::Fresh()
{
    const CirclesBoard& b = GetBoard();
    return b.Play() == -1 && b.Centre(kCirclesRingLeft) == -1 && b.Centre(kCirclesRingRight) == -1 &&
           b.KindLeft() == -1 && b.KindMiddle() == -1 && b.KindRight() == -1 && b.RandomCount() == 0 &&
           !b.IsDealt() && !IsSolved() && !IsPaused();
}

// Labyrinth: paused and solved, then a board never sized: flags, items, cell sizes, the four
// arrows, columns and rows, the cell count, rows given, no element, token and goal.
constexpr size_t kLabyrinthStateSize = 2 + 2 + 4 * 2 + 4 * 5 + 7 * 4 + 4 * 2 + 4 + 4 + 4 + 4 * 2;
inline const std::vector<const char*>& LabyrinthNames()
{
    static const std::vector<const char*> names = {"maze", "up", "down", "left", "right", "reset",
                                                   "ball", "crate", "gate_on", "gate_off", "switch_on", "switch_off"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelLabyrinthe>::Fresh()
{
    const LabyrinthBoard& b = GetBoard();
    return b.MazeItem() == -1 && b.ResetItem() == -1 && b.ElementCount() == 0 && b.Columns() == 0 && !b.IsDealt() &&
           !b.Flashlight() && !b.Gestures() && !IsSolved() && !IsPaused();
}

// Wheel stack: paused, solved and dragging, then no group.
constexpr size_t kWheelStackStateSize = 3 + 4;
inline const std::vector<const char*>& WheelStackNames()
{
    static const std::vector<const char*> names = {"wheel", "d0", "d1", "d2", "d3", "d4", "d5", "a", "b", "c"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelWheelStack>::Fresh()
{
    const WheelStackBoard& b = GetBoard();
    return b.GroupCount() == 0 && !b.DraggingEnabled() && !IsSolved() && !IsPaused();
}

// Switch: the fields of a board never configured, no link table and no cells.
constexpr size_t kSwitchStateSize = 7 * 4 + 4 * 4 + 4 + 2 + 2 + 1 + 4 + 1 + 4 + 4;
inline const std::vector<const char*>& SwitchNames()
{
    static const std::vector<const char*> names = {"picture", "other"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelSwitch>::Fresh()
{
    const PictureGridBoard& b = GetBoard();
    return b.PlayItem() == -1 && b.GameType() == 0 && b.Columns() == 0 && !b.IsDealt() && !IsSolved() && !IsPaused();
}

// Tubing: no items, no type, no table, board or ends, no cell in play, the colour, cell size and
// origin, the four flags, then the selection, press, drag and swap fields.
constexpr size_t kTubingStateSize = 4 * 3 + 2 * 4 + 4 * 2 + 4 * 3 + 4 * 5 + 4 + 2 + 4 * 3 + 4 * 5 + 4 * 6;
inline const std::vector<const char*>& TubingNames()
{
    static const std::vector<const char*> names = {"pipes", "water", "other"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelTubing>::Fresh()
{
    const TubingBoard& b = GetBoard();
    return b.FirstItem() == -1 && b.SecondItem() == -1 && b.GameType() == 0 && b.CellCount() == 0 &&
           b.Entries().empty() && b.Stars().empty() && b.Ats().empty() && !b.Started() && !IsSolved() && !IsPaused();
}

// Wheels: the play item, the game type, paused and solved, no ring.
constexpr size_t kWheelsStateSize = 4 * 2 + 2 + 4;
inline const std::vector<const char*>& WheelsNames()
{
    static const std::vector<const char*> names = {"dial", "other"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelWheels>::Fresh()
{
    const WheelsBoard& b = GetBoard();
    return b.Play() == -1 && b.GameType() == 0 && b.Rings().empty() && !IsSolved() && !IsPaused();
}

// Jigsaw: the fields of a board never configured, no cells; the switch's names.
constexpr size_t kJigsawStateSize = 3 * 4 + 4 * 4 + 4 + 2 + 2 + 1 + 4 + 4;
template <>
inline bool CFuzzLevel<CObjectsLevelJigsaw>::Fresh()
{
    const JigsawBoard& b = GetBoard();
    return b.PlayItem() == -1 && b.GameType() == 0 && b.Columns() == 0 && b.Excluded() == -1 && !b.IsDealt() &&
           !IsSolved() && !IsPaused();
}

// Puzzle: no play item, paused and solved, no pieces (nothing more is saved).
constexpr size_t kPuzzleStateSize = 4 + 2 + 4;
inline const std::vector<const char*>& PuzzleNames()
{
    static const std::vector<const char*> names = {"picture", "piece_01", "piece_02", "piece_03", "piece_04", "other"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelPuzzle>::Fresh()
{
    const PuzzleBoard& b = GetBoard();
    return b.PlayItem() == -1 && b.Count() == 0 && b.Rotate() == 0 && b.SnapFinish() == 0 && !IsSolved() && !IsPaused();
}

// Match-3: the three references and the animation, the cell size and corner, the eight bytes,
// the game type, four words and two floats, no callback, no cells, the score and three flags.
constexpr size_t kMatch3StateSize = 4 * 4 + 4 * 4 + 8 + 2 + 4 * 4 + 4 * 2 + 4 + 4 + 4 + 3;
inline const std::vector<const char*>& Match3Names()
{
    static const std::vector<const char*> names = {"board", "other"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelMatch3>::Fresh()
{
    const Match3Board& b = GetBoard();
    return b.BoardItem() == -1 && b.Monitor() == -1 && b.Popups() == -1 && b.GameType() == 0 && b.Width() == 0 &&
           !b.HasBoard() && b.Score() == 0 && !b.Won() && !IsSolved() && !IsPaused();
}

// Black jack: twelve items, no callback, the game fields, the flags, bet, coins and cards left,
// the shoe's 312 entries of three bytes, two empty hands with their values.
constexpr size_t kBlackJackStateSize = 4 * 12 + 4 + 4 * 3 + 2 + 4 * 3 + 3 * kBlackJackShoeSize + 2 * (4 + 4);
inline const std::vector<const char*>& BlackJackNames()
{
    static const std::vector<const char*> names = {"table", "bet", "coins", "user",  "bank",  "deck",
                                                   "coin",  "card", "sheet", "b_bet", "b_hit", "b_stand"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelBlackJack>::Fresh()
{
    const BlackJackBoard& b = GetBoard();
    for (uint32_t item = 0; item < kBlackJackItemCount; ++item)
        if (b.Item(BlackJackItem(item)) != -1)
            return false;
    return b.Callback().empty() && b.GameState() == 0 && b.Coins() == 0 && b.Bet() == 0 &&
           b.Remaining() == kBlackJackShoeSize && b.Hand(false).empty() && b.Hand(true).empty() && !IsSolved() &&
           !IsPaused();
}

// Sliding blocks: no item, no grids, no pieces, no board: the item, both sizes, the piece count,
// the exit side, the line counters, the cell size and origin, three flags, the exit progress and
// no play board.
constexpr size_t kSlidingStateSize = 4 + 4 + 2 + 4 + 4 + 8 + 16 + 3 + 4 + 4;
inline const std::vector<const char*>& SlidingNames()
{
    static const std::vector<const char*> names = {"board", "other"};
    return names;
}
template <>
inline bool CFuzzLevel<CObjectsLevelSliding>::Fresh()
{
    const SlidingBoard& b = GetBoard();
    return b.BoardItem() == -1 && b.RefWidth() == 0 && b.Columns() == 0 && b.Pieces().empty() && !b.InPlay() &&
           !IsSolved() && !IsPaused();
}

// A fuzz input's world: the world data and the game record, freed after the level.
struct FuzzLevelWorld {
    FuzzLevelWorld() : game(GameDataCreate())
    {
        world.pGame = game;
        world.frameTime = 1.0;
    }
    ~FuzzLevelWorld() { GameDataFree(game); }
    WorldData world = {};
    GameData* game;
};
