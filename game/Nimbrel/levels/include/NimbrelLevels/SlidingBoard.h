#pragma once
// The sliding blocks board: the board item's picture cut into a reference grid of tiles, the tiles
// of one code making one piece's shape; copies (instances) of the shapes stand on a second grid,
// the board. The player drags an instance along the axes its piece may move, within its free
// range, and the release rounds the drag to whole cells. Some board cells are goal cells and some
// cells carry the goal-piece mark: the board is solved when every goal cell holds that mark.
//
// Points given to the board are in the board item's own frame, the frame its area was given in.
//
// Text form: "sliding CxR" and one line per row, each cell as its piece's code or "." for an
// empty cell, with '@' before a goal cell and '*' before a goal piece's cell; "sliding not reset"
// before the first "reset".
#include <cstdint>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/Status.h"

// A board line's token: the piece code in the low 14 bits and the two marks.
constexpr uint16_t kSlidingCodeBits = 0x3FFF;
constexpr uint16_t kSlidingGoalCell = 0x4000;
constexpr uint16_t kSlidingGoalPiece = 0x8000;
// Piece types, one byte per code.
constexpr uint8_t kSlidingStatic = 0;
constexpr uint8_t kSlidingX = 1;
constexpr uint8_t kSlidingY = 2;
constexpr uint8_t kSlidingXY = 3;
constexpr uint8_t kSlidingAuto = 255;
// Move flags of a piece.
constexpr uint8_t kSlidingMovesX = 1;
constexpr uint8_t kSlidingMovesY = 2;
// The exit side: a goal cell on the first column, or on the last.
constexpr int32_t kSlidingExitLeft = 3;
constexpr int32_t kSlidingExitRight = 4;
// No anchor, tile, piece or instance in a cell record.
constexpr uint16_t kSlidingNone = 0xFFFF;

// One tile of a piece's shape: its place relative to the piece's first tile, and its tile index
// in the reference grid.
struct SlidingTile {
    int32_t dx;
    int32_t dy;
    uint32_t tile;
};

struct SlidingPiece {
    uint16_t column = 0;
    uint16_t row = 0;
    uint8_t moves = 0;
    std::vector<SlidingTile> tiles;
};

// A board cell: the anchor (first cell) of the instance standing here, the tile drawn here, the
// piece and the instance, and the marks.
struct SlidingCell {
    uint16_t anchorColumn = kSlidingNone;
    uint16_t anchorRow = kSlidingNone;
    uint16_t tile = kSlidingNone;
    uint16_t piece = kSlidingNone;
    uint16_t instance = kSlidingNone;
    uint16_t marks = 0;

    bool Occupied() const { return piece != kSlidingNone; }
    bool operator==(const SlidingCell& other) const
    {
        return anchorColumn == other.anchorColumn && anchorRow == other.anchorRow && tile == other.tile &&
               piece == other.piece && instance == other.instance && marks == other.marks;
    }
};

// How far the pressed instance may move, in board units.
struct SlidingRange {
    float minX = 0.0f;
    float minY = 0.0f;
    float maxX = 0.0f;
    float maxY = 0.0f;
};

class SlidingBoard {
public:
    using Host = LevelBoardHost;
    static constexpr bool kItemWordsClearSolved = true;

    explicit SlidingBoard(LevelBoardHost* pHost) : m_pHost(pHost) { Clear(); }

    // No item, no grids, no pieces, no board, nothing in play.
    void Clear();
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element) { *pReference = element; }
    // The reference and board words; others are accepted.
    Status Word(const char* name, char* value);
    Status Action(const char*) { return kStatusDoneNoResult; }
    // The board item, then the pieces, their placement on the start board and the exit side;
    // kStatusFailed when one of them cannot be built.
    Status CheckSetup();
    // The board area in the board item's frame: the cell size and the origin.
    void SetArea(float left, float top, float width, float height);
    // "reset": the play board a fresh copy of the start board (kStatusFailed before a setup
    // that built one).
    Status Deal();
    void Step(float) {}
    // No press, arming, offset or range any more.
    void StopMove();
    bool Fits(uint32_t elementCount) const;

    // The builders CheckSetup runs, in its order.
    Status BuildPieces();
    Status PlacePieces();
    Status FindExitSide();

    // The cell under a point (open rectangles: a border line is in no cell), -1 for none.
    int32_t CellAt(float x, float y) const;
    // The cell a press takes: CellAt, or on a seam inside one piece (the middle of a piece two
    // cells long, the centre of a square of four) one of that piece's cells; -1 for none.
    int32_t PieceCellAt(float x, float y) const;
    // How far the instance on `cell` of the play board may move along its piece's axes.
    SlidingRange FreeRange(uint32_t cell) const;
    // A press on a point: the cell pressed (PieceCellAt) and, when an instance stands there,
    // its range and the axes armed. True when a cell was taken.
    bool Press(float x, float y);
    // The pointer moved to the point: the offset along the armed axis, within the range.
    void Drag(float x, float y);
    // The release: the offset rounded to whole cells (y first), the instance moved, the goal
    // test, then nothing pressed.
    void Release();
    // Cells one drag of `offset` board units moves (y with the cell height, x with the width):
    // nothing within half a cell, then one more for each further whole cell.
    static int32_t WholeCells(float offset, float cell);
    // Moves the instance standing on `cell` of the play board by whole cells; false (nothing
    // moved) when the cell holds none or a moved cell would leave the board.
    bool Shift(uint32_t cell, int32_t columns, int32_t rows);
    // Every goal cell of the start board holds the goal-piece mark on the play board.
    bool IsWon() const;

    // The saved fields in their order, the level's paused and solved flags among them.
    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t BoardItem() const { return m_item; }
    uint32_t RefWidth() const { return m_refWidth; }
    uint32_t RefHeight() const { return m_refHeight; }
    const std::vector<uint16_t>& RefCodes() const { return m_refCodes; }
    const std::vector<uint8_t>& Types() const { return m_types; }
    uint32_t Columns() const { return m_columns; }
    uint32_t Rows() const { return m_rows; }
    uint32_t CellCount() const { return uint32_t(m_columns) * m_rows; }
    const std::vector<SlidingPiece>& Pieces() const { return m_pieces; }
    const std::vector<SlidingCell>& Start() const { return m_start; }
    const std::vector<SlidingCell>& Play() const { return m_play; }
    std::vector<SlidingCell>& Play() { return m_play; }
    bool InPlay() const { return !m_play.empty(); }
    int32_t ExitSide() const { return m_exitSide; }
    bool Leaving() const { return m_leaving != 0; }
    float CellWidth() const { return m_cellSize[0]; }
    float CellHeight() const { return m_cellSize[1]; }
    // A cell's centre in the board item's frame.
    void CellCentre(uint32_t cell, float* pX, float* pY) const;
    int32_t PressedColumn() const { return m_pressed[0]; }
    int32_t PressedRow() const { return m_pressed[1]; }
    int32_t ArmedX() const { return m_armed[0]; }
    int32_t ArmedY() const { return m_armed[1]; }
    // The instance being dragged (on the x-armed cell, else the y-armed one), kSlidingNone.
    uint16_t DraggedInstance() const;
    const float* Offset() const { return m_offset; }
    const SlidingRange& Range() const { return m_range; }

private:
    Status SizeReference(const char* value);
    Status AddRefLine(char* value);
    Status SetRefType(char* value);
    Status SizeBoard(const char* value);
    Status AddBoardLine(char* value);
    // What the pieces and boards were built from changed: they are built again by the check.
    void ForgetBuilt();
    bool CellFits(const SlidingCell& cell) const;
    bool PieceFits(const SlidingPiece& piece) const;

    LevelBoardHost* m_pHost;
    int32_t m_item;
    uint16_t m_refWidth;
    uint16_t m_refHeight;
    std::vector<uint16_t> m_refCodes;
    std::vector<uint8_t> m_types;
    uint16_t m_columns;
    uint16_t m_rows;
    std::vector<uint16_t> m_lines;
    uint32_t m_refLines;
    uint32_t m_boardLines;
    std::vector<SlidingPiece> m_pieces;
    std::vector<SlidingCell> m_start;
    int32_t m_exitSide;
    float m_cellSize[2];
    float m_origin[2];
    uint8_t m_leaving;
    float m_exitProgress;
    std::vector<SlidingCell> m_play;
    int32_t m_pressed[2];
    int32_t m_armed[2];
    float m_offset[3];
    float m_last[3];
    SlidingRange m_range;
    // A load read values that cannot stand; Fits then refuses the whole state.
    bool m_unfit;
};
