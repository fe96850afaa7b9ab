#pragma once
// The match-3 board: a grid of pieces, each one tile of the board item's picture (the tile
// number is the piece's kind). The player slides whole lines (by any number of cells or by one
// step) or switches two neighbours; a move is kept only when it makes a run of three or more
// equal kinds. Runs shrink away, the pieces above fall, new pieces drop in from above, and the
// score rises to the points to win. With a bonus tile the runs score nothing: a bonus piece that
// reaches the bottom row is collected for the points. A board with fewer than two useful pieces
// is dealt again, and after a quiet while a sparkle points at a useful piece.
//
// Points given to the board are in the board item's own frame.
//
// Text form: "match3 WxH score N/M" with the animation and the flags, then one line per row,
// each cell as its kind and state ("3:1"); "match3 no board" before the first "reset".
#include <cstdint>
#include <string>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/Status.h"

// Game type bits.
constexpr uint16_t kMatch3Slide = 1;
constexpr uint16_t kMatch3OneStep = 2;
constexpr uint16_t kMatch3Switch = 4;
// No bonus tile; no cell.
constexpr uint8_t kMatch3NoBonus = 255;
constexpr uint16_t kMatch3NoCell = 0xFFFF;
// A line move names its column or its row, the other as this.
constexpr int32_t kMatch3WholeLine = 0xFFFF;
// The most bonus pieces on the board at once.
constexpr uint32_t kMatch3MostBonus = 2;

enum Match3CellState : uint32_t {
    kMatch3Falling = 0,
    kMatch3Resting = 1,
    kMatch3InRun = 2,
};

enum Match3Animation : int32_t {
    kMatch3Idle = 0,
    kMatch3LineReturn = 1,
    kMatch3ClickSwap = 2,
    kMatch3ClickBounce = 3,
    kMatch3DragSwap = 4,
    kMatch3DragReturn = 5,
    kMatch3Fall = 6,
    kMatch3Shrink = 7,
};

// What the board asks of the level beyond the common host.
class Match3Host : public LevelBoardHost {
public:
    // The game's generator seeded anew before a board is dealt (from the tick count in the game).
    virtual void Reseed() = 0;
    // A move's sound: the board item's own click (or the default), or the null click.
    virtual void PlayBoardSound(bool null) = 0;
    // Pieces were removed: the response callback `function` with their count.
    virtual void Removed(const char* function, int32_t count) = 0;
    // No useful move is left: the narrator says so before the board is dealt again.
    virtual void NoMoveLeft() = 0;
    // The help sparkle on a cell, replacing any shown; its removal.
    virtual void ShowSparkle(uint32_t cell) = 0;
    virtual void RemoveSparkle() = 0;
    // A bonus piece collected from the bottom row.
    virtual void Collected(uint32_t cell) = 0;

protected:
    ~Match3Host() = default;
};

struct Match3Cell {
    float fall;  // how far above its place the piece starts its fall, upward positive
    uint16_t kind;
    uint32_t state;
    uint8_t mark;  // moving this piece can make a run
};

class Match3Board {
public:
    using Host = Match3Host;
    static constexpr bool kItemWordsClearSolved = true;

    explicit Match3Board(Match3Host* pHost) : m_pHost(pHost) { Clear(); }

    // The configuration at the creator's values and the run state reset.
    void Clear();
    // The run state reset; the configuration stays.
    void ResetRun();
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element)
    {
        *pReference = element;
        m_won = 0;
    }
    // The monitor and popups objects, found by the level.
    void SetMonitor(int32_t object) { m_monitor = object; }
    void SetPopups(int32_t object) { m_popups = object; }
    // The configuration words; unknown words are taken and ignored.
    Status Word(const char* name, char* value);
    // The kind has no action words.
    Status Action(const char*, const char* = nullptr) { return kStatusDoneNoResult; }
    // The items, the sheet, the kinds and the bonus tile (kStatusFailed for any gap); no board.
    Status CheckSetup() const;
    // The board item's rectangle divided into cells.
    void SetArea(float left, float top, float right, float bottom);
    // "reset": a new board at score 0, its pieces falling in; kStatusFailed (no board) when a
    // kind or the bonus tile is off the sheet or every kind is the bonus tile.
    Status Deal() { return GenerateBoard(true); }
    Status GenerateBoard(bool fullReset);
    // One frame: the reshuffle, the help sparkle, the animation.
    void Step(float frameStep);
    // No move, press or selection any more, and the board won (the force-solve, "skip").
    void StopMove();
    bool Fits(uint32_t elementCount) const;

    // Input in the board item's frame, taken only while InPlay (the level also checks its paused
    // flag). Each is true when the board took it.
    bool InPlay() const { return HasBoard() && m_animation == kMatch3Idle && !m_won; }
    bool Press(float x, float y);
    bool Drag(float x, float y);
    bool Release(float x, float y);
    bool Click(float x, float y);
    bool Pressed() const { return m_pressed[0] >= 0 || m_pressed[1] >= 0; }

    // Move tests on the board as it stands, counting resting cells only; the excluded cells
    // (-1 for none) end a count.
    bool RowRunWouldForm(int32_t x, int32_t y, int32_t shift, int32_t need, uint16_t kind, int32_t excludedA,
                         int32_t excludedB) const;
    bool ColumnRunWouldForm(int32_t x, int32_t y, int32_t shift, int32_t need, uint16_t kind, int32_t excludedA,
                            int32_t excludedB) const;
    bool WouldMatchAt(int32_t x, int32_t y, int32_t need, uint16_t kind, int32_t excludedA, int32_t excludedB) const;
    bool LineShiftWouldMatch(int32_t column, int32_t row, int32_t shift, int32_t need) const;

    // The resolution: runs marked and scored (pieces marked plus bonus pieces collected); the
    // removed pieces replaced from above (pieces that had to fall); cells of one state moved to
    // another; the help marks (cells marked).
    uint32_t FindMatches();
    uint32_t CollapseAndRefill();
    uint32_t LandFallingCells(uint32_t from, uint32_t to);
    uint16_t MarkMovableCells();
    // Finishes the level once the score reached the points to win: 0, else kStatusFailed.
    Status CheckWin();

    // The saved fields in their order, the level's paused flag among them.
    void StateFields(LevelState& state, uint8_t& paused);
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0;
        StateFields(state, paused);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    // The kind that replaces a pick equal to two neighbours: ((kind + 1) mod count) + offset.
    uint16_t ReplacementKind(uint16_t kind) const;
    // A cell's centre in the board item's frame; the cell under a point (open rectangles), -1.
    void CellCentre(uint32_t cell, float* pX, float* pY) const;
    int32_t CellAtPoint(float x, float y) const;
    // The drag offset clamped for display (switch mode) into out2.
    void ClampForDisplay(const float* offset, float* out2) const;

    int32_t BoardItem() const { return m_boardItem; }
    int32_t Monitor() const { return m_monitor; }
    int32_t Popups() const { return m_popups; }
    uint8_t TilesAcross() const { return m_tilesAcross; }
    uint8_t TilesDown() const { return m_tilesDown; }
    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    uint32_t CellCount() const { return uint32_t(m_cells.size()); }
    uint8_t KindCount() const { return m_kindCount; }
    uint8_t KindOffset() const { return m_kindOffset; }
    uint8_t BonusTile() const { return m_bonusTile; }
    uint8_t BonusOnBoard() const { return m_bonusOnBoard; }
    uint16_t GameType() const { return m_gameType; }
    uint32_t SelectedColor() const { return m_selectedColor; }
    int32_t PointsPerMatch() const { return m_pointsPerMatch; }
    int32_t PointsToWin() const { return m_pointsToWin; }
    int32_t PointsOnHint() const { return m_pointsOnHint; }
    float HelpDelay() const { return m_helpDelay; }
    float HelpTimer() const { return m_helpTimer; }
    const std::string& Callback() const { return m_callback; }
    bool HasBoard() const { return !m_cells.empty(); }
    const Match3Cell& Cell(uint32_t cell) const { return m_cells[cell]; }
    int32_t Score() const { return m_score; }
    bool Won() const { return m_won != 0; }
    void SetWon() { m_won = 1; }
    bool ReshufflePending() const { return m_reshuffle != 0; }
    int32_t Animation() const { return m_animation; }
    float Progress() const { return m_progress; }
    float LineReturn() const { return m_lineReturn; }
    int32_t CellA() const { return m_cellA; }
    int32_t CellB() const { return m_cellB; }
    uint16_t Selected() const { return m_selected; }
    int32_t PressedColumn() const { return m_pressed[0]; }
    int32_t PressedRow() const { return m_pressed[1]; }
    const float* DragOffset() const { return m_drag; }
    const float* RejectedOffset() const { return m_rejected; }
    float CellWidth() const { return m_cellSize[0]; }
    float CellHeight() const { return m_cellSize[1]; }
    float Left() const { return m_corner[0]; }
    float Top() const { return m_corner[1]; }

    // For the tests: a cell's kind and state set as given.
    void SetCell(uint32_t cell, uint16_t kind, uint32_t state);

private:
    // Every kind and the bonus tile on the sheet, and some kind other than the bonus.
    bool KindsPlayable() const;
    // The first kind in play that is not the bonus tile, for a pick that keeps drawing it.
    uint16_t OtherThanBonus(uint16_t kind) const;
    // A new kind: the offset plus a pick among the kinds.
    uint16_t PickKind();
    // The generation's pick for cell (x, y): the left, above and left tests.
    uint16_t PickFresh(uint32_t x, uint32_t y);
    bool HoldsKind(uint32_t x, uint32_t y, uint16_t kind) const;
    // Counts equal kinds along a line from `position` in direction `step`.
    int32_t CountRun(bool row, int32_t line, int32_t position, int32_t step, int32_t shift, int32_t need,
                     uint16_t kind, int32_t excludedA, int32_t excludedB) const;
    uint32_t Index(uint32_t x, uint32_t y) const { return y * m_width + x; }
    bool Neighbours(uint32_t a, uint32_t b) const;
    void AddScore(uint32_t pieces);
    // The release of a sliding press and of a switching one.
    void ReleaseSlide();
    void ReleaseSwitch(float x, float y);
    // A switch kept (the records swapped) would make a run.
    bool SwitchWouldMatch(uint32_t a, uint32_t b) const;
    // The pointer held to the window half a cell around the pressed cell.
    void ClampToPressed(float* pX, float* pY) const;
    // The line of (column or row) rotated by n cells toward the higher indices (negative: lower).
    void RotateLine(int32_t column, int32_t row, int32_t n);
    void MarkPair(uint32_t a, uint32_t b, bool rowTest, uint16_t* pMarked);
    void ClearPress();
    void EndAnimation();
    Status ApplyWord(const char* name, char* value);
    // No board, as before the first "reset".
    void DropBoard();

    Match3Host* m_pHost;
    // Configuration.
    uint8_t m_tilesAcross;
    uint8_t m_tilesDown;
    uint8_t m_width;
    uint8_t m_height;
    uint8_t m_kindCount;
    uint8_t m_kindOffset;
    uint8_t m_bonusTile;
    uint8_t m_bonusOnBoard;
    uint16_t m_gameType;
    uint32_t m_selectedColor;
    int32_t m_pointsPerMatch;
    int32_t m_pointsToWin;
    int32_t m_pointsOnHint;
    float m_reserved;
    float m_helpDelay;
    std::string m_callback;
    // Run state.
    int32_t m_boardItem;
    int32_t m_monitor;
    int32_t m_popups;
    int32_t m_animation;
    float m_progress;
    float m_lineReturn;
    int32_t m_cellA;
    int32_t m_cellB;
    float m_helpTimer;
    float m_cellSize[2];
    float m_corner[2];
    std::vector<Match3Cell> m_cells;
    int32_t m_score;
    uint8_t m_won;
    uint8_t m_reshuffle;
    uint16_t m_selected;
    uint16_t m_savedSelection;
    int32_t m_pressed[2];
    float m_drag[3];
    float m_last[2];
    float m_longestDrag;
    float m_rejected[3];
    // A load read a cell count that cannot stand; Fits then refuses the whole state.
    bool m_unfit;
};
