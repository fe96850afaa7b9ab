#pragma once
// The puzzle level (520): the puzzle board under the level. The script names the play item (the
// finished picture), the piece count and the pieces' base name, the snap range, turning, the
// snap table and the finish mode, then sends "reset". While unsolved the pieces are drawn through
// the play item, each turned and at its place, from the lowest rank up; once solved the play
// item shows the whole picture.
#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/PuzzleBoard.h"

class CObjectsLevelPuzzle : public CObjectsLevelBoard<PuzzleBoard> {
public:
    CObjectsLevelPuzzle(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // The pieces and tables freed, the paused and solved flags cleared; the rest of the
    // configuration stays.
    Status ResetRunState() override;

    // While the board is in play the presses, drags and releases are the board's, at points
    // of the play item's coordinates; the others go to the base.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;

    // A piece item draws nothing by itself; the play item draws the pieces until solved.
    Status DrawElement(ElementRecord* pElement) override;

protected:
    // "reset" also ends a pause.
    Status ResetBoard() override;
    void StateFields(LevelState& state) override;
    bool StateFits() override;

private:
    using Base = CObjectsLevelBoard<PuzzleBoard>;

    // The board's host.
    int32_t FindItem(const char* name) override { return FindElementByName(name); }
    bool ItemPlace(int32_t item, float* pHome3, float* pHalfSize2) override;
    bool PieceHit(int32_t item, float x, float y) override;
    void PlayItemSound(int32_t item) override;
    void PlayArea(float* pArea4) override;

    bool InPlay() const { return m_board.Count() > 0 && !m_paused && !m_solved; }
    // The screen point in the play item's coordinates; false without the play item.
    bool PlayPoint(float x, float y, float* pOut3);
    bool IsPiece(const ElementRecord* pElement) const;
    void DrawPiece(const PuzzlePiece& piece);

    bool m_drawingPiece = false;
};
