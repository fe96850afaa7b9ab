#pragma once
// The puzzle board: a picture cut into pieces, each an item of the scene named after a common
// base name ("_01" up). "reset" scatters the pieces over the game's play area, with turning on
// by random quarter turns too. The player drags pieces: one dropped unturned near its home locks
// there; one dropped near a piece it may join, turned alike, joins it, and from then on the two
// groups move and turn as one. With turning on a short press turns a piece and its group a
// quarter. Solved when every piece is locked, or in the snap-finish mode when the pieces are
// joined into one chain (1 to 2, 2 to 3 ...).
//
// Points are in the play item's coordinates, the scene's frame of the items' offsets; a piece's
// home is its item's offset. Ranks order the drawing: 0 the bottom, n - 1 the top.
//
// Text form: "puzzle" and each piece by its number from 1, its position, "^t" for t quarter
// turns, its rank, " locked" and "+a,b" for the pieces joined to it ("1@(412,300)^1 r5 +2 | ...");
// "puzzle no pieces" before the piece count.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "NimbrelLevels/LevelBoard.h"
#include "VornelUtils/Status.h"

class LevelState;

// The most pieces: three tables of n x n bytes come from a script's number.
constexpr uint32_t kPuzzleMostPieces = 1024;
// The share of the snap range a press may travel and still be a short press (a turn).
constexpr float kPuzzleShortPressShare = 0.1f;

struct PuzzlePiece {
    int32_t element;
    uint32_t rank;
    uint8_t turn;
    uint8_t held;
    float home[3];
    float current[3];
    uint8_t locked;
    uint8_t joined;
    float travelled;
};

// What the board asks of the level beyond the common host.
class PuzzleHost : public LevelBoardHost {
public:
    // The element named `name`, or -1.
    virtual int32_t FindItem(const char* name) = 0;
    // The item's offset (three floats) and its half width and height; false for no such item.
    virtual bool ItemPlace(int32_t item, float* pHome3, float* pHalfSize2) = 0;
    // Whether a point in the piece's own frame (its turn taken out) lies on the piece.
    virtual bool PieceHit(int32_t item, float x, float y) = 0;
    // The play item's click sound, else the default click.
    virtual void PlayItemSound(int32_t item) = 0;
    // The game's play area: x0, y0, x1, y1.
    virtual void PlayArea(float* pArea4) = 0;

protected:
    ~PuzzleHost() = default;
};

class PuzzleBoard {
public:
    using Host = PuzzleHost;
    static constexpr bool kItemWordsClearSolved = true;

    explicit PuzzleBoard(PuzzleHost* pHost) : m_pHost(pHost) { Clear(); }

    // The whole configuration and the pieces gone.
    void Clear();
    // The run state's reset: the pieces and the three tables freed, the last point cleared;
    // the switches and ranges stay.
    void ResetRun();
    // "puzzle_game_play".
    int32_t* ItemWord(const char* name);
    void SetItem(int32_t* pReference, int32_t element) { *pReference = element; }
    // The "puzzle_" words, "snap_piece" and "finish_snap"; kStatusFailed for a bad value (the
    // configuration left as it was); others taken.
    Status Word(const char* name, char* value);
    Status Action(const char*) { return kStatusDoneNoResult; }
    // kStatusFailed without the play item.
    Status CheckSetup() const;
    // "reset": the pieces scattered (kStatusFailed without pieces).
    Status Deal();
    void Step(float) {}
    // Nothing held; the next press starts short.
    void StopMove();

    // The player's press, move and release at a point of the play item; kStatusFailed when no
    // piece is hit or held.
    Status Press(const float* p);
    Status Move(const float* p);
    Status Release();

    bool IsWon() const;
    bool Fits(uint32_t elementCount) const;
    // The saved fields in their order, the level's paused and solved flags among them.
    void StateFields(LevelState& state, uint8_t& paused, uint8_t& solved);
    void StateFields(LevelState& state)
    {
        uint8_t paused = 0, solved = 0;
        StateFields(state, paused, solved);
    }
    uint32_t Print(char* out, uint32_t capacity) const;

    int32_t PlayItem() const { return m_play; }
    uint32_t Count() const { return uint32_t(m_pieces.size()); }
    const PuzzlePiece& Piece(uint32_t i) const { return m_pieces[i]; }
    // The piece held by the pointer, -1 for none.
    int32_t Held() const;
    bool Joined(uint32_t a, uint32_t b) const { return m_joined[size_t(a) * Count() + b] != 0; }
    bool Allowed(uint32_t a, uint32_t b) const { return m_allowed[size_t(a) * Count() + b] != 0; }
    bool SnapAllowed(uint32_t a, uint32_t b) const { return m_snap[size_t(a) * Count() + b] != 0; }
    uint8_t Rotate() const { return m_rotate; }
    uint8_t SnapFinish() const { return m_snapFinish; }
    uint8_t SnapRange() const { return m_snapRange; }
    uint8_t ShortPress() const { return m_shortPress; }
    uint32_t SnapRows() const { return m_snapRows; }

    // A vector (x, y) turned by t quarter turns: 1 gives (-y, x).
    static void Turn(const float* v, uint32_t t, float* pOut);

private:
    Status PieceCount(const char* value);
    void PieceItems(const char* base);
    Status SnapSize(const char* value);
    Status SnapPiece(char* value);
    // The pieces joined to `piece` placed around it by its turn.
    void Follow(uint32_t piece);
    // `piece` and every piece joined to it.
    std::vector<uint32_t> Group(uint32_t piece) const;
    void Lock(uint32_t piece);
    bool Join(uint32_t piece);
    void WinTest();

    PuzzleHost* m_pHost;
    int32_t m_play;
    std::vector<PuzzlePiece> m_pieces;
    std::vector<uint8_t> m_joined;
    std::vector<uint8_t> m_allowed;
    uint8_t m_shortPress;
    uint32_t m_snapRows;  // "snap_piece" words taken since "puzzle_snap"
    float m_last[3];
    uint32_t m_selectedColor;
    uint8_t m_randomCount;
    uint8_t m_snapRange;
    std::vector<uint8_t> m_snap;
    uint8_t m_rotate;
    uint8_t m_snapFinish;
    uint8_t m_grid;
    uint32_t m_columns;
    uint32_t m_rows;
    uint32_t m_snapRowSize;
    // A saved state that cannot stand (a piece count out of range) stopped being read.
    bool m_unfit;
};
