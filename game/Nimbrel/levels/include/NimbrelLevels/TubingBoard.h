#pragma once
// The tubing board: a grid of square cells, each holding a pipe piece from a reference table of
// piece kinds open on some of their four sides. Star ends let the water in, at ends must receive
// it. In the normal game the player turns pieces a quarter turn (a click, or the script's action
// on a whole row or column) and the water runs after every turn; the board is solved when every
// at end is full and each star end's water reaches an at end. In the timed game the player swaps
// pieces until the script says "finished"; the water then runs once and decides.
//
// Points given to the board are in the board item's own frame, the frame its area was given in.
//
// Text form: "tubing CxR" and one line per row, each cell as its piece code, its quarter turns
// and its flow state ("12:3~2", with '*' or '@' before a star or at end), "not started" before
// the first start.
#include <cstdint>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/Status.h"

// Open sides of a piece, and the end sides.
constexpr uint8_t kTubingLeft = 1;
constexpr uint8_t kTubingRight = 2;
constexpr uint8_t kTubingTop = 4;
constexpr uint8_t kTubingBottom = 8;
// A board cell's piece word: the reference entry in the low 14 bits, and the end marks.
constexpr uint16_t kTubingEntryBits = 0x3FFF;
constexpr uint16_t kTubingAtEnd = 0x4000;
constexpr uint16_t kTubingStarEnd = 0x8000;
// The largest reference table: a cell names its entry in 14 bits.
constexpr uint32_t kTubingMostEntries = 16384;
// The most ends of either kind: the reached masks are 16 bits wide and the win test shifts by
// the count of star ends.
constexpr uint32_t kTubingMostEnds = 15;
// Game types.
constexpr uint32_t kTubingNormal = 1;
constexpr uint32_t kTubingTimed = 2;
// No cell selected.
constexpr uint16_t kTubingNoCell = 0xFFFF;
// What a frame step of 1.0 moves: the flow (delay and fill), a turn, a swap.
constexpr float kTubingFlowRate = 0.1f;
constexpr float kTubingTurnRate = 0.1f;
constexpr float kTubingMoveRate = 0.15f;

enum TubingFlow : int32_t {
    kTubingDry = 0,
    kTubingWaiting = 1,
    kTubingFilling = 2,
    kTubingFull = 3,
    kTubingDraining = 4,
};

enum TubingMoveKind : uint32_t {
    kTubingMoveIdle = 0,
    kTubingMoveClickSwap = 1,
    kTubingMoveDropSwap = 3,
    kTubingMoveDropOutside = 4,
};

// What the board asks of the level beyond the common host.
class TubingHost : public LevelBoardHost {
public:
    // The water started (true) or stopped (false) moving: the response callback.
    virtual void WaterMoving(bool moving) = 0;
    // The timed game's end: the level finishes with `solved`, solved or not.
    virtual void BoardEnded(uint8_t solved) = 0;
    // A click's sound: the board item's own click (or the default), or the null click.
    virtual void PlayBoardSound(bool null) = 0;

protected:
    ~TubingHost() = default;
};

// An entry of the reference table: one kind of piece.
struct TubingEntry {
    uint8_t turnable;
    uint16_t code;
    uint16_t spare;
    uint8_t sides;
};

// A board cell as configured.
struct TubingCell {
    uint16_t piece;
    uint16_t order;
    uint8_t turns;
    uint8_t random;
};

// A star or at end.
struct TubingEnd {
    uint8_t spare;
    uint16_t mask;
    uint16_t cell;
    uint8_t side;
};

// A cell in play.
struct TubingCellState {
    uint8_t turns;
    float turning;  // -1.0 to 0.0 while the piece turns into place
    float delay;
    float fill;
    int32_t flow;
};

// The timed game's swap on screen.
struct TubingMove {
    uint32_t kind;
    uint32_t source;
    uint32_t target;
    float progress;
    float offset[2];
};

class TubingBoard {
public:
    using Host = TubingHost;
    static constexpr bool kItemWordsClearSolved = false;

    explicit TubingBoard(TubingHost* pHost) : m_pHost(pHost) { Clear(); }

    // Both items -1, no type, no table, no board, no ends, nothing in play.
    void Clear();
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element) { *pReference = element; }
    // The configuration words; a refused value leaves the configuration as it was.
    Status Word(const char* name, char* value);
    // "tubing_action_line" n turns board row n, "tubing_action_row" n column n (1-based):
    // kStatusDoneNoResult, kStatusFailed for a number out of range (no value is 0).
    Status Action(const char* name, const char* value = nullptr);
    // kStatusFailed unless both items are set.
    Status CheckSetup() const;
    // The board area in the first item's frame: the cell size and the origin.
    void SetArea(float left, float top, float width, float height);
    // "reset": the board started and played (kStatusFailed, the previous board kept, when the
    // order indexes do not cover every cell).
    Status Deal();
    // The timed game's "finished": the water runs once; with nothing reached the level ends
    // unsolved at once, else when the water has settled. kStatusWait.
    Status Finished();
    // One frame: the swap, the turns (the water again after each in the normal game), the flow,
    // the callbacks, and the end of play once the water has settled.
    void Step(float frameStep);
    // No swap, press, drag or selection any more, and no play (the force-solve, "skip").
    void StopMove();
    bool Fits(uint32_t elementCount) const;

    // Input in the board item's frame, while the level takes it. Each is true when the board
    // took it. A click turns a piece (normal game) or selects and swaps (timed game).
    bool Click(float x, float y);
    bool Press(float x, float y);
    bool Drag(float x, float y);
    // The end of a press: true when it swapped or slid back, false when it counts as a click.
    bool Release(float x, float y);
    bool Dragging() const { return m_dragCell >= 0; }

    // Runs the water from the star ends; kStatusFailed when it reaches no cell.
    Status RunWater();
    bool IsWon() const;
    // Turns a cell a quarter when its kind is turnable and open somewhere; false otherwise.
    bool TurnCell(uint32_t cell);
    // Whether a cell is open on `side` as it stands.
    bool IsOpen(uint32_t cell, uint8_t side) const;
    // A side bit turned by `quarters` (left to top to right to bottom).
    static uint8_t TurnSide(uint8_t side, int32_t quarters);
    // The open sides of `sides` turned by `quarters`.
    static uint8_t TurnSides(uint8_t sides, int32_t quarters);

    // The saved fields in their order, the level's paused and solved flags among them.
    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    // The board alone, with the level's flags as 0.
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t FirstItem() const { return m_first; }
    int32_t SecondItem() const { return m_second; }
    uint32_t GameType() const { return m_gameType; }
    uint32_t RefWidth() const { return m_refWidth; }
    uint32_t RefHeight() const { return m_refHeight; }
    uint32_t Columns() const { return m_columns; }
    uint32_t Rows() const { return m_rows; }
    uint32_t CellCount() const { return m_columns * m_rows; }
    const std::vector<TubingEntry>& Entries() const { return m_entries; }
    const std::vector<TubingCell>& Cells() const { return m_cells; }
    const std::vector<TubingEnd>& Stars() const { return m_stars; }
    const std::vector<TubingEnd>& Ats() const { return m_ats; }
    bool Started() const { return !m_states.empty(); }
    const TubingCellState& State(uint32_t cell) const { return m_states[cell]; }
    const TubingEntry* EntryOf(uint32_t cell) const;
    uint32_t SelectedColor() const { return m_selectedColor; }
    uint16_t Selection() const { return m_selection; }
    int32_t DragCell() const { return m_dragCell; }
    float DragX() const { return m_dragOffset[0]; }
    float DragY() const { return m_dragOffset[1]; }
    const TubingMove& Move() const { return m_move; }
    bool Playing() const { return m_playing != 0; }
    bool FinishRequested() const { return m_finishRequested != 0; }
    // Any cell's water moving (states 1, 2 and 4).
    bool FlowMoving() const;
    float CellWidth() const { return m_cellSize[0]; }
    float CellHeight() const { return m_cellSize[1]; }
    // A cell's centre in the first item's frame.
    void CellCentre(uint32_t cell, float* pX, float* pY) const;
    // The cell under a point, or -1 outside the board.
    int32_t CellAt(float x, float y) const;

private:
    Status SizeTable(const char* value);
    Status AddRefLine(char* value);
    Status SetRefType(char* value);
    Status SizeBoard(const char* value);
    // Every cell unset and at its own order index, no line given, no end, nothing in play.
    void ClearBoardLines();
    Status AddBoardLine(char* value);
    Status SetEndSides(char* value);
    // The water from the star ends in `starMask` (bit i for star end i) through the board, wave
    // by wave (right, left, below, above): each cell's wave number, -1 where it never comes.
    void Flood(uint32_t starMask, std::vector<int32_t>& waves) const;
    // Whether a cell's kind may be turned or moved (the timed game swaps blank pieces too).
    bool Turnable(uint32_t cell) const;
    // Whether it is turnable and open somewhere: what a click of the normal game and the action
    // words turn.
    bool TurnsVisibly(uint32_t cell) const;
    // Two cells exchange their pieces and their states.
    void Swap(uint32_t a, uint32_t b);
    void EndOfPlay();
    bool CellFits(const TubingCell& cell) const;
    bool EndFits(const TubingEnd& end) const;

    TubingHost* m_pHost;
    int32_t m_first;
    int32_t m_second;
    uint32_t m_gameType;
    uint16_t m_refWidth;
    uint16_t m_refHeight;
    uint16_t m_columns;
    uint16_t m_rows;
    uint32_t m_refLines;
    uint32_t m_boardLines;
    std::vector<TubingEntry> m_entries;
    std::vector<TubingCell> m_cells;
    std::vector<TubingEnd> m_stars;
    std::vector<TubingEnd> m_ats;
    std::vector<TubingCellState> m_states;
    uint32_t m_selectedColor;
    float m_cellSize[2];
    float m_origin[2];
    uint8_t m_finishRequested;
    uint8_t m_playing;
    uint16_t m_selection;
    int32_t m_press[2];
    int32_t m_dragCell;
    float m_pressPoint[2];
    float m_dragOffset[2];
    float m_dragDistance;
    TubingMove m_move;
    // The water moved in the last frame (for the callbacks; not saved).
    bool m_flowWasMoving;
    // A load read values that cannot stand; Fits then refuses the whole state.
    bool m_unfit;
};
