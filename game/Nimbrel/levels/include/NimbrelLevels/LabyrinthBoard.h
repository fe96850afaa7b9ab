#pragma once
// The labyrinth board: a maze of cells given as rows of characters, in which a token slides in
// one of four directions until something stops it. Walls block; sliding blocks are pushed one
// cell along their allowed axes; gates open and close, worked by push or toggle switches; the
// board is solved when the token covers the goal, and the level finishes once the token has
// come to rest on screen. Each character names the element registered last with it.
//
// Up to three elements stand in one cell. A move steps the token cell by cell and stops it on
// the goal, on a push switch, where the way ahead closes, at a junction (a side way opening),
// or beside sliding blocks (see StopsBesideBlocks).
//
// Text form: the rows of the maze with every element's character at its current cells (the
// token over the other elements, then blocks, gates and switches, then the goal, walls as
// registered); a dot for an empty cell; "labyrinth not set" before the first reset.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "NimbrelLevels/LevelState.h"
#include "VornelUtils/Status.h"

// The widest and tallest maze: its grids are counted in bytes and every cell in a byte.
constexpr int32_t kLabyrinthMaxSide = 255;
// The elements one cell can hold.
constexpr uint32_t kLabyrinthPlaces = 3;

enum LabyrinthDirection : uint32_t {
    kLabyrinthUp = 0,
    kLabyrinthDown = 1,
    kLabyrinthLeft = 2,
    kLabyrinthRight = 3,
    kLabyrinthDirections = 4,
};

enum LabyrinthKind : uint32_t {
    kLabyrinthToken = 1,
    kLabyrinthGoal = 2,
    kLabyrinthWall = 3,
    kLabyrinthBlock = 4,
    kLabyrinthGate = 5,
    kLabyrinthSwitch = 6,
};

// Change flags of an element during a move.
constexpr uint32_t kLabyrinthPushed = 2;
constexpr uint32_t kLabyrinthPressed = 8;
constexpr uint32_t kLabyrinthHeld = 16;

// What the board asks of the level beyond the common host: item names and sizes, the arrows
// shown, and the elements' script functions.
class LabyrinthHost : public LevelBoardHost {
public:
    // The element named `name` of the level, or -1.
    virtual int32_t FindItem(const char* name) = 0;
    // The item's own width and height; false when there is no such item.
    virtual bool ItemSize(int32_t item, float* pWidth, float* pHeight) = 0;
    // An arrow item shown as enabled (clickable, opaque) or blocked (found, alpha 0.5).
    virtual void ShowArrow(int32_t item, bool enabled) = 0;
    // Calls the script function with (0, text); its status.
    virtual Status CallElementFunction(const char* function, const char* text) = 0;

protected:
    ~LabyrinthHost() = default;
};

// Where the board's pictures go: an item drawn at (x, y) from the maze item's centre, scaled.
class LabyrinthPainter {
public:
    virtual void DrawItem(int32_t item, float x, float y, float scaleX, float scaleY) = 0;

protected:
    ~LabyrinthPainter() = default;
};

struct LabyrinthCellRef {
    int32_t column;
    int32_t row;
};

class LabyrinthBoard;

// One element of the maze: its kind, character and cells, and what it does when a mover comes.
class CLabyrintheElement {
public:
    CLabyrintheElement(LabyrinthBoard* pBoard, uint32_t kind) : m_pBoard(pBoard), m_kind(kind) {}
    virtual ~CLabyrintheElement();
    CLabyrintheElement(const CLabyrintheElement&) = delete;
    CLabyrintheElement& operator=(const CLabyrintheElement&) = delete;

    // The element's key=value list, walked in place; kStatusFailed for a value it refuses.
    virtual Status Parse(char* list);
    // May `mover` enter this element's cell going `direction`? `listing`: the open directions
    // are being listed.
    virtual bool CanEnter(CLabyrintheElement* mover, bool listing, uint32_t direction) const;
    // Must `mover`, now in one of this element's cells, stop there?
    virtual bool StopsMover(CLabyrintheElement* mover);
    // The change flags differ from those last seen.
    virtual void Changed();
    // `mover` arrived in one of this element's cells going `direction`.
    virtual void Entered(CLabyrintheElement* mover, uint32_t direction);
    // `mover` left one of this element's cells.
    virtual void Left(CLabyrintheElement* mover);
    // The saved fields, in order (both ways); false when a value read back is impossible.
    virtual bool SaveLoad(LevelState& state);
    // Back to the state of a fresh maze; kStatusFailed when it cannot be placed.
    virtual Status Reset();
    virtual void Draw(LabyrinthPainter& painter) const;
    // The pending offset runs toward 0 by `frameStep` cells.
    void Step(float frameStep);

    uint32_t Kind() const { return m_kind; }
    uint8_t Character() const { return m_character; }
    const std::vector<LabyrinthCellRef>& Cells() const { return m_cells; }
    LabyrinthCellRef Anchor() const { return m_anchor; }
    float PendingX() const { return m_pending[0]; }
    float PendingY() const { return m_pending[1]; }
    bool MovingOnScreen() const { return m_pending[0] != 0.0f || m_pending[1] != 0.0f; }
    uint32_t ChangeFlags() const { return m_changeFlags; }
    const char* Function() const { return m_function.empty() ? nullptr : m_function.c_str(); }
    // The items of a picture element (-1 for none) and which of them show.
    virtual int32_t Item(uint32_t which) const;
    virtual bool Shown(uint32_t which) const;

protected:
    friend class LabyrinthBoard;
    // The token's keys and the shared ones: "char=", "function_name=".
    Status ParseCharacter(const char* token, const char* key);

    LabyrinthBoard* m_pBoard;
    uint32_t m_kind;
    uint8_t m_character = 0;
    std::vector<LabyrinthCellRef> m_cells;
    LabyrinthCellRef m_anchor = {0, 0};
    std::string m_function;
    float m_pending[2] = {0.0f, 0.0f};
    uint8_t m_moved = 0;
    uint32_t m_changeFlags = 0;
    uint32_t m_seenFlags = 0;
};

class LabyrinthBoard {
public:
    using Host = LabyrinthHost;
    // Item references that only an item word sets; they leave the solved flag alone.
    static constexpr bool kItemWordsClearSolved = false;

    explicit LabyrinthBoard(LabyrinthHost* pHost) : m_pHost(pHost) { Clear(); }
    ~LabyrinthBoard();

    // No maze, no elements, every reference -1, every flag 0.
    void Clear();
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element);
    // "labyrinthe_add_col_row", the "labyrinthe_register_" element words, "labyrinthe_add_row"
    // and "labyrinthe_enable_gestures"; other words are accepted and ignored.
    Status Word(const char* name, char* value);
    Status Action(const char*) { return kStatusDoneNoResult; }
    // kStatusFailed unless the maze item, the reset item and the four arrows are set.
    Status CheckSetup() const;
    // "reset": the cell size from the maze item, every element placed from the rows and reset,
    // the arrows refreshed.
    Status Deal();
    // The pending offsets run out; when the token is at rest after a move, the move ends (and
    // a solved board finishes).
    void Step(float frameStep);
    // Nothing moves any more (the force-solve, "skip").
    void StopMove();
    bool Fits(uint32_t elementCount) const;

    // Whether `mover` can go one cell in `direction`; `listing` while the open directions are
    // listed (a sliding block is never pushed then).
    bool CanMove(const CLabyrintheElement* mover, uint32_t direction, bool listing) const;
    // The token slides in `direction`; kStatusFailed when it cannot move or an element's
    // function failed.
    Status Move(uint32_t direction);
    // A key, arrow click or swipe in `direction` while the maze is in play: true when the token
    // moved (the default click), false when it could not (the null click).
    bool Press(uint32_t direction);
    // The direction of a swipe, or -1 when both components are shorter than 2.0: the larger
    // component decides the axis, vertical on a tie.
    static int32_t SwipeDirection(float dx, float dy);
    // The direction of the first arrow key down, in the order up, down, left, right; -1.
    static int32_t KeyDirection(const uint8_t* upRightDownLeft);
    // The direction an arrow item stands for, or -1.
    int32_t ArrowDirection(int32_t item) const;
    // Whether the maze takes input: it has elements, is dealt and is neither solved nor moving.
    bool InPlay() const { return !m_elements.empty() && IsDealt() && !m_solved; }
    bool IsMoving() const { return m_moving != 0; }
    bool IsSolved() const { return m_solved != 0; }
    // "reset" placed the elements (the cell size is known).
    bool IsDealt() const { return m_cellSize[0] > 0.0f && m_cellSize[1] > 0.0f; }
    bool OnGoal() const;

    void Draw(LabyrinthPainter& painter) const;
    // The token's picture centre from the maze item's centre; false without a token.
    bool TokenPlace(float* pX, float* pY) const;

    // The saved fields in their order: the flashlight and gestures flags, the reset and maze
    // items, the cell size and its halves, a reserved word, the four arrows, the columns and
    // rows, the character grid, the occupancy grid, the rows given, the elements (each its
    // kind, then its own fields), the token and the goal.
    void StateFields(LevelState& state);

    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t MazeItem() const { return m_maze; }
    int32_t ResetItem() const { return m_reset; }
    int32_t ArrowItem(uint32_t direction) const { return m_arrows[direction].item; }
    bool ArrowEnabled(uint32_t direction) const { return m_arrows[direction].enabled != 0; }
    bool Gestures() const { return m_gestures != 0; }
    uint8_t Flashlight() const { return m_flashlight; }
    void SetFlashlight(uint8_t on) { m_flashlight = on; }
    uint32_t Columns() const { return m_columns; }
    uint32_t Rows() const { return m_rows; }
    float CellWidth() const { return m_cellSize[0]; }
    float CellHeight() const { return m_cellSize[1]; }
    uint32_t ElementCount() const { return uint32_t(m_elements.size()); }
    const CLabyrintheElement* Element(uint32_t index) const { return m_elements[index].get(); }
    const CLabyrintheElement* Token() const { return m_token >= 0 ? m_elements[m_token].get() : nullptr; }
    // The elements standing in a cell (-1 for a free place), or null outside the maze.
    const int32_t* Occupants(int32_t column, int32_t row) const;

private:
    friend class CLabyrintheElement;
    friend class CLabyrintheBlock;
    friend class CLabyrintheGate;
    friend class CLabyrintheSwitch;
    friend class CLabyrinthePicture;

    struct Arrow {
        uint8_t enabled;
        uint8_t bit;
        uint8_t oppositeBit;
        int32_t item;
    };
    struct CharacterCell {
        uint8_t character;
        int32_t element;
    };

    LabyrinthHost* TheHost() const { return m_pHost; }
    bool Inside(int32_t column, int32_t row) const;
    int32_t* Places(int32_t column, int32_t row);
    // A new element of `kind` parsed from `list`: kStatusOutOfMemory, kStatusFailed (dropped),
    // or its index in *pIndex.
    Status AddElement(uint32_t kind, char* list, int32_t* pIndex);
    Status AddRow(const char* row);
    Status SizeGrids(const char* value);
    // Every cell of `mover` one step in `direction`, with the left and entered operations.
    void StepElement(CLabyrintheElement* mover, uint32_t direction);
    bool StopsHere(CLabyrintheElement* mover);
    bool StopsBesideBlocks(uint32_t direction) const;
    uint32_t OpenDirections() const;
    void RunChanged();
    void ClearMoveFlags();
    void RefreshArrows();
    CLabyrintheElement* MakeElement(uint32_t kind);
    // A gate and the switch that works it, from one list; both or neither.
    Status AddSwitchAndGate(char* list);
    // Whether the cell lists `element` among its occupants, or an element other than it.
    bool Holds(LabyrinthCellRef cell, const CLabyrintheElement* element) const;
    bool HoldsOther(LabyrinthCellRef cell, const CLabyrintheElement* element) const;
    // A picture element's items within the object, a switch's gate a gate.
    bool ElementFits(const CLabyrintheElement& element, uint32_t elementCount) const;
    bool PicturePlace(const CLabyrintheElement& element, float* pX, float* pY) const;
    int32_t IndexOf(const CLabyrintheElement* element) const;
    // Whether the rows given and the grids' element indexes read back stand.
    bool GridsFit() const;

    LabyrinthHost* m_pHost;
    int32_t m_maze;
    int32_t m_reset;
    float m_cellSize[2];
    float m_halfCell[2];
    uint32_t m_reserved;
    Arrow m_arrows[kLabyrinthDirections];
    uint32_t m_columns;
    uint32_t m_rows;
    uint32_t m_rowsGiven;
    std::vector<CharacterCell> m_characters;
    std::vector<int32_t> m_occupancy;  // kLabyrinthPlaces per cell
    std::vector<std::unique_ptr<CLabyrintheElement>> m_elements;
    int32_t m_token;
    int32_t m_goal;
    uint8_t m_moving;
    uint8_t m_solved;
    uint8_t m_flashlight;
    uint8_t m_gestures;
    // A load read values that cannot stand; Fits then refuses the whole state.
    bool m_unfit;
};
