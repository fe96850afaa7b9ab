#pragma once
// The sliding blocks level (516): the sliding board under the level. Its script names the board
// item (whose picture is the reference grid of tiles and whose rectangle is the board), gives the
// reference rows, the piece types and the board rows; "reset" sets the pieces on their start
// cells. While the board is in play the board item is drawn as its occupied cells, each with its
// tile, the dragged instance shifted by the drag; once solved the goal piece is gone.
#include <vector>

#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/SlidingBoard.h"

class C3DObject;

class CObjectsLevelSliding : public CObjectsLevelBoard<SlidingBoard> {
public:
    CObjectsLevelSliding(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevelSliding() override;

    // The level base's load, then the tiles' mesh from the renderer.
    Status Load() override;
    // The mesh given back, then the level base's release.
    Status Release() override;
    Status ReleaseModel(uint8_t force) override;

    // The board's pieces, start board and exit side; the cells sized from the board item and
    // one quad per coded tile of its picture.
    Status CheckSetup() override;

    // While the board is in play and neither solved nor paused, presses, drags, releases and
    // clicks on the board item are the board's; the others go to the base.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;

    Status DrawElement(ElementRecord* pElement) override;

protected:
    // "reset" also ends a pause.
    Status ResetBoard() override;
    void StateFields(LevelState& state) override;
    bool StateFits() override;

private:
    bool InPlay() const { return m_board.InPlay() && !m_paused && !m_solved; }
    const ElementRecord* BoardItem();
    // A screen point in the board item's frame; false without the item.
    bool BoardPoint(float x, float y, float* pX, float* pY);
    // Whether the point lies on the board item's rectangle.
    bool OnBoardItem(float x, float y);
    // Whether the point hits an element other than the board item (it then goes to the base).
    bool HitsOther(float x, float y);
    // The cells sized from the board item's rectangle; the item, or null without one.
    const ElementRecord* SizeBoard();
    void BuildPieceMesh(const ElementRecord& item);
    void ReleaseMesh();
    void DrawTile(const ElementRecord& item, uint32_t tile, float x, float y, uint32_t color);

    C3DObject* m_pMesh = nullptr;
    // The mesh's quad of each reference tile, -1 for a tile of code 0.
    std::vector<int32_t> m_quadOf;
};
