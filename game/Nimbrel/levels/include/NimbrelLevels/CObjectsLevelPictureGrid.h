#pragma once
// The picture grid levels: the switch (521) and the jigsaw (514), each its board under the
// level. The script names the play item, the game type, the grid and the random count (and the
// switch's link lists), then sends "reset". The player exchanges pieces by clicks or drags,
// turns them by clicks, or slides them, on the play item.
#include <vector>

#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/JigsawBoard.h"
#include "NimbrelLevels/PictureGridBoard.h"
#include "Vornel3D/C3DMath.h"

template <class Board>
class CObjectsLevelPictureGrid : public CObjectsLevelBoard<Board> {
public:
    CObjectsLevelPictureGrid(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord,
                             uint32_t typeCode);

    // The link table and the board freed, the pointer's state cleared; the rest of the
    // configuration stays.
    Status ResetRunState() override;

    // While the board is in play the presses, drags, releases and clicks on the play item are
    // the board's; the others go to the base.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;

    // The play item, once the board is dealt, as its pieces: the item's own quad drawn once a
    // piece, each time with that piece's share of its texture, at its cell and turned.
    Status DrawElement(ElementRecord* pElement) override;
    // The level base's draw, then the developer's green pass over the pieces at their cells.
    Status Draw() override;

protected:
    // "reset" also ends a pause.
    Status ResetBoard() override;
    void StateFields(LevelState& state) override;
    bool StateFits() override;

private:
    using Base = CObjectsLevelBoard<Board>;
    using Base::m_board;
    using Base::m_paused;
    using Base::m_solved;
    using Base::m_pRenderModel;

    bool ItemBounds(int32_t item, float* pBounds4) override;
    void PlayItemSound(int32_t item) override;
    void PlayNull() override { this->PlayNullClick(); }

    bool InPlay() const { return m_board.IsDealt() && !m_paused && !m_solved; }
    // The point in the play item's coordinates; whether it lies on the item.
    bool OnPlayItem(float x, float y, float* pLocal);

    // The play item's quad as the model holds it, and a piece drawn through it.
    struct Quad {
        uint32_t first = 0, count = 0;
        float low[2] = {0.0f, 0.0f}, high[2] = {0.0f, 0.0f};      // its corners
        float uvLow[2] = {0.0f, 0.0f}, uvHigh[2] = {0.0f, 0.0f};  // its texture's share
        bool flipped[2] = {false, false};                         // u or v falling as x or y rises
        std::vector<C3DVector3> positions;                        // as the model holds them
        std::vector<C3DVector2> shares;
    };
    bool ReadQuad(uint32_t group, Quad* pQuad);
    // The quad as the model held it, for the next frame and the hit tests.
    void RestoreQuad(const Quad& quad);
    void DrawPiece(ElementRecord* pPlay, const Quad& quad, uint32_t piece, float x, float y, float angle,
                   uint32_t argb);
};

class CObjectsLevelSwitch : public CObjectsLevelPictureGrid<PictureGridBoard> {
public:
    CObjectsLevelSwitch(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
};

class CObjectsLevelJigsaw : public CObjectsLevelPictureGrid<JigsawBoard> {
public:
    CObjectsLevelJigsaw(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
};
