#pragma once
// The picture grid board: the play item's picture cut into columns x rows pieces, each cell
// holding a piece and its quarter turns. "reset" shuffles the board by random moves of the game
// type; the player puts every piece back on its own cell, upright: exchanges of two pieces whose
// cells share a link list (a click on one then the other, or a drag of one onto the other), or
// quarter turns by clicks. Solved when every cell i holds piece i unturned.
//
// Cell index = row x columns + column. Points are in the play item's own coordinates.
//
// Text form: "grid 3x3 [0 1 2/3 4^1 5/6 7 8]" (each row's pieces, "^t" for t quarter turns),
// " selected N" with a selection, " moving" while a move runs; "grid not dealt" before the
// first "reset".
#include <cstdint>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "VornelUtils/Status.h"

class LevelState;

enum PictureGridType : uint32_t {
    kGridTypeNone = 0,
    kGridTypeSlide = 1,
    kGridTypeSwitch = 2,
    kGridTypeRotate = 3,
};

constexpr uint16_t kGridFlagSwitch = 0x10;
constexpr uint16_t kGridFlagRotate = 0x20;

enum PictureGridAnimation : uint32_t {
    kGridIdle = 0,
    kGridSlide = 1,
    kGridClickExchange = 2,
    kGridDragExchange = 4,
    kGridGoingBack = 5,
    kGridQuarterTurn = 6,
};

constexpr uint16_t kGridNoCell = 0xFFFF;
constexpr uint32_t kGridNoIndex = 0xFFFFFFFFu;
// The progress a frame step of 1.0 adds to a move.
constexpr float kGridRate = 0.15f;
// A shuffle that comes out solved shuffles again, this many times at most; an exchange draws
// this many pairs at most before the shuffle gives up.
constexpr uint32_t kGridShuffleTries = 100;
constexpr uint32_t kGridPairDraws = 100000;

struct PictureGridCell {
    uint16_t piece;
    uint8_t turn;
    uint8_t scratch;
};

// What the board asks of the level beyond the common host.
class PictureGridHost : public LevelBoardHost {
public:
    // The item's own rectangle (left, top, right, bottom); false when there is no such item.
    virtual bool ItemBounds(int32_t item, float* pBounds4) = 0;
    // The play item's click sound, else the default click; the null click.
    virtual void PlayItemSound(int32_t item) = 0;
    virtual void PlayNull() = 0;

protected:
    ~PictureGridHost() = default;
};

class PictureGridBoard {
public:
    using Host = PictureGridHost;
    static constexpr bool kItemWordsClearSolved = true;

    explicit PictureGridBoard(PictureGridHost* pHost) : m_pHost(pHost) { Clear(); }

    // The whole configuration and the board gone.
    void Clear();
    // The run state's reset: the link table and the board freed, no selection, press, drag or
    // offset; the other configuration stays.
    void ResetRun();
    // "switch_game_play".
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element) { *pReference = element; }
    // The "switch_" words; kStatusFailed for a bad value, kStatusOutOfMemory; others taken.
    Status Word(const char* name, char* value);
    Status Action(const char*) { return kStatusDoneNoResult; }
    // kStatusFailed without the play item or a type flag; otherwise the cells measured from the
    // play item's rectangle.
    Status CheckSetup();
    // "reset": the board made anew and shuffled by moves of the game type (kStatusFailed when no
    // shuffle can end unsolved: no random count, no list of two cells, one pair only and an
    // even count, or no rectangle).
    Status Deal();
    void Step(float frameStep);
    void StopMove();

    // The player's press, move (`inside`: the point lies on the play item), release and click
    // at a point of the play item; kStatusFailed when the base should have it.
    Status Press(float x, float y);
    Status Move(float x, float y, bool inside);
    Status Release(float x, float y);
    Status Click(float x, float y);

    void Exchange(uint32_t a, uint32_t b, PictureGridAnimation kind);
    void QuarterTurn(uint32_t cell);

    bool IsWon() const;
    bool IsDealt() const { return !m_cells.empty(); }
    // The cell under a point (strict edges, columns outer, rows inner); -1 for none.
    int32_t CellAt(float x, float y) const;
    // Whether some link list holds both cells.
    bool Linked(uint32_t a, uint32_t b) const;
    bool Fits(uint32_t elementCount) const;
    // The saved fields in their order, the level's paused and solved flags among them.
    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    // The same with flags of its own, for a board read without its level.
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t PlayItem() const { return m_play; }
    uint32_t GameType() const { return m_type; }
    uint16_t TypeFlags() const { return m_flags; }
    uint32_t Columns() const { return m_columns; }
    uint32_t Rows() const { return m_rows; }
    uint32_t CellCount() const { return uint32_t(m_columns) * m_rows; }
    uint8_t RandomCount() const { return m_randomCount; }
    uint32_t SelectedColor() const { return m_selectedColor; }
    uint8_t LinkCount() const { return m_linkCount; }
    uint16_t Selected() const { return m_selected; }
    const PictureGridCell& Cell(uint32_t i) const { return m_cells[i]; }
    uint32_t Animation() const { return m_animation; }
    uint32_t AnimatedA() const { return m_a; }
    uint32_t AnimatedB() const { return m_b; }
    float Progress() const { return m_progress; }
    int32_t DragCell() const { return m_drag[0] < 0 ? -1 : m_drag[1] * int32_t(m_columns) + m_drag[0]; }
    // The drag's column and row, -1 when not set (a slide repeat drag fixes one of them).
    int32_t DragColumn() const { return m_drag[0]; }
    int32_t DragRow() const { return m_drag[1]; }
    const float* DragOffset() const { return m_dragOffset; }
    const float* ReturnOffset() const { return m_returnOffset; }
    float CellWidth() const { return m_cellSize[0]; }
    float CellHeight() const { return m_cellSize[1]; }
    const float* Origin() const { return m_origin; }
    // The piece left out of the picture (the jigsaw's blank), -1 for none.
    int32_t Excluded() const { return m_excluded; }

protected:
    Status GameType(char* value);
    Status Grid(const char* value);
    Status LinkCount(const char* value);
    Status LinkList(char* value);
    uint32_t Pick(uint32_t n);
    // One random exchange within a list; false when none can be drawn.
    bool RandomExchange();
    // The count of distinct cell pairs that some list holds, up to 2.
    uint32_t LinkedPairs() const;
    void ClearPointer();
    void Sound();
    // The cell count and the cells of the saved board; whether the grid, the cells (scratch
    // bytes up to `mostScratch`), the moving cells, the sizes and the selection fit.
    void CellFields(LevelState& state);
    bool CellsFit(uint8_t mostScratch) const;

    PictureGridHost* m_pHost;
    int32_t m_play;
    uint32_t m_type;
    uint32_t m_animation;
    uint32_t m_a;
    uint32_t m_b;
    float m_progress;
    uint32_t m_linkLists;  // lists taken since the link count
    std::vector<PictureGridCell> m_cells;
    float m_cellSize[2];
    float m_origin[2];
    uint16_t m_selected;
    uint16_t m_savedSelection;
    int32_t m_press[2];
    int32_t m_drag[2];
    float m_dragOffset[3];
    float m_returnOffset[3];
    float m_largest;
    float m_last[2];
    uint8_t m_columns;
    uint8_t m_rows;
    int16_t m_excluded;
    uint16_t m_flags;
    uint8_t m_randomCount;
    uint32_t m_selectedColor;
    uint8_t m_linkCount;
    std::vector<uint8_t> m_links;
    bool m_unfit;
};
