#pragma once
// The jigsaw board: the picture grid board with sliding. Pieces slide into the blank (the cell
// whose piece is left out of the picture) by clicks, or by a drag that pushes the whole line
// between the pressed piece and the blank; with slide repeat whole rows and columns slide round
// by the drag, rounded to whole cells. Exchanges need no link lists: any two pieces may be
// exchanged. Solved when every cell but the blank's holds its own piece unturned.
//
// A cell's scratch byte holds its slide direction toward the blank, marked at the press.
#include "NimbrelLevels/PictureGridBoard.h"

constexpr uint16_t kGridFlagSlide = 0x01;
constexpr uint16_t kGridFlagRows = 0x02;
constexpr uint16_t kGridFlagColumns = 0x04;
constexpr uint16_t kGridFlagRepeat = 0x08;

enum JigsawDirection : uint8_t {
    kSlideUp = 1,
    kSlideDown = 2,
    kSlideLeft = 4,
    kSlideRight = 8,
};

class JigsawBoard : public PictureGridBoard {
public:
    using PictureGridBoard::PictureGridBoard;

    // The run state's reset also forgets the play item, the game type and the blank.
    void ResetRun();
    // "jigsaw_game_play".
    int32_t* ItemWord(const char* name);
    // The "jigsaw_" words; kStatusFailed for "blank=" before the grid.
    Status Word(const char* name, char* value);
    // kStatusFailed without the play item or type flags, for a slide game without a blank or
    // slide repeat, or for a blank outside the grid.
    Status CheckSetup();
    // "reset": the board made anew and shuffled by moves of the game type (kStatusFailed when
    // no random count was given or no move of the family can be drawn).
    Status Deal();

    Status Press(float x, float y);
    Status Move(float x, float y, bool inside);
    Status Release(float x, float y);
    Status Click(float x, float y);

    // The cell that holds the blank piece, -1 for none.
    int32_t BlankCell() const;
    // Rotates column `column` (or row `row`) cyclically: the piece at place i goes to i + shift.
    void RotateColumn(uint32_t column, int32_t shift) { RotateLine(column, m_columns, m_rows, shift); }
    void RotateRow(uint32_t row, int32_t shift) { RotateLine(row * m_columns, 1, m_columns, shift); }

    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    // The saved board checked; a blank past the grid only without cells, where "reset" refuses it.
    bool Fits(uint32_t elementCount) const;

private:
    Status TypeWord(char* value);
    void RotateLine(uint32_t first, uint32_t stride, uint32_t count, int32_t shift);
    bool Sliding() const { return m_type == kGridTypeSlide && (m_flags & kGridFlagSlide); }
    uint32_t At(uint32_t column, uint32_t row) const { return row * m_columns + column; }
    // The slide of cell c into a neighbouring blank (columns first, then rows); false when the
    // blank is no neighbour the flags allow.
    bool SlideIntoBlank(uint32_t c);
    // The shuffle's moves; false when none of the family can be drawn.
    bool RandomSlide();
    // The pushed line moved one cell toward the blank; false when the press marked none.
    bool Shift();
    bool RepeatShift();
    // After a move: the sound, and the win test when no animation runs.
    void Moved();
};
