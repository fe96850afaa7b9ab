// The puzzle level: the board's pointer input at points of the play item's coordinates, its
// host (items, hit tests on the models, the drop sound, the play area), its saved state and
// the pieces drawn through the play item.
#include "NimbrelLevels/CObjectsLevelPuzzle.h"

#include <cstring>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ScreenFit.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kQuarter = 1.57079632679490f;

}  // namespace

CObjectsLevelPuzzle::CObjectsLevelPuzzle(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : Base(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindPuzzle;
}

// ---- the board's host --------------------------------------------------------------------------

bool CObjectsLevelPuzzle::ItemPlace(int32_t item, float* pHome3, float* pHalfSize2)
{
    const ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
    if (!e)
        return false;
    GetElementPosition(pHome3, e);
    pHalfSize2[0] = e->size[0] * 0.5f;
    pHalfSize2[1] = e->size[1] * 0.5f;
    return true;
}

bool CObjectsLevelPuzzle::PieceHit(int32_t item, float x, float y)
{
    const ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
    if (!e)
        return false;
    // A level played without its models (the tools) hits a piece by its bounds.
    if (!m_pCollisionModel && !m_pRenderModel)
        return x >= e->bounds[0] && x < e->bounds[2] && y >= e->bounds[1] && y < e->bounds[3];
    // A ray from above the piece's plane.
    const float ray[3] = {x, y, 1.0f};
    if (m_pCollisionModel && Succeeded(HitTestMeshTriangles(m_pCollisionModel, ray, uint32_t(item), nullptr, nullptr)))
        return true;
    return m_pRenderModel && Succeeded(HitTestMeshTriangles(m_pRenderModel, ray, uint32_t(item), nullptr, nullptr));
}

void CObjectsLevelPuzzle::PlayItemSound(int32_t item)
{
    if (const ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr)
        PlayClickSound(e);
    else
        PlayDefaultClick();
}

void CObjectsLevelPuzzle::PlayArea(float* pArea4)
{
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (game)
        std::memcpy(pArea4, game->playArea, 4 * sizeof(float));
    else
        ComputePlayArea(kDefaultReferenceWidth, kDefaultReferenceHeight, pArea4);
}

// ---- run state and saved state -----------------------------------------------------------------

Status CObjectsLevelPuzzle::ResetRunState()
{
    m_paused = m_solved = 0;
    m_board.ResetRun();
    return kStatusOk;
}

Status CObjectsLevelPuzzle::ResetBoard()
{
    m_paused = 0;
    return Base::ResetBoard();
}

void CObjectsLevelPuzzle::StateFields(LevelState& state) { m_board.StateFields(state, m_paused, m_solved); }

bool CObjectsLevelPuzzle::StateFits() { return m_paused <= 1 && m_solved <= 1 && Base::StateFits(); }

// ---- input -------------------------------------------------------------------------------------

bool CObjectsLevelPuzzle::PlayPoint(float x, float y, float* pOut3)
{
    const ElementRecord* play = m_board.PlayItem() >= 0 ? GetItemRecord(uint32_t(m_board.PlayItem())) : nullptr;
    if (!play)
        return false;
    // The point through the play item's view, in the frame of the items' offsets.
    float local[3], at[3];
    ScreenToElement(local, x, y, 0.0f, play);
    GetElementPosition(at, play);
    for (int i = 0; i < 3; ++i)
        pOut3[i] = local[i] + at[i];
    pOut3[2] = 0.0f;
    return true;
}

Status CObjectsLevelPuzzle::OnMouseDown(float x, float y, uint32_t state)
{
    float p[3];
    if (!InPlay() || !PlayPoint(x, y, p))
        return Base::OnMouseDown(x, y, state);
    return m_board.Press(p);
}

Status CObjectsLevelPuzzle::OnMouseMove(float x, float y, uint32_t state)
{
    float p[3];
    if (!InPlay() || !PlayPoint(x, y, p))
        return Base::OnMouseMove(x, y, state);
    return m_board.Move(p);
}

Status CObjectsLevelPuzzle::OnMouseUp(float x, float y, uint32_t state)
{
    if (!InPlay() || m_board.Held() < 0)
        return Base::OnMouseUp(x, y, state);
    return m_board.Release();
}

// ---- drawing -----------------------------------------------------------------------------------

bool CObjectsLevelPuzzle::IsPiece(const ElementRecord* pElement) const
{
    for (uint32_t i = 0; i < m_board.Count(); ++i)
        if (m_board.Piece(i).element == int32_t(pElement->index))
            return true;
    return false;
}

Status CObjectsLevelPuzzle::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (m_drawingPiece)
        return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    if (IsPiece(pElement))
        return kStatusFailed;
    if (int32_t(pElement->index) != m_board.PlayItem() || m_board.Count() == 0 || m_solved)
        return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    const uint32_t n = m_board.Count();
    for (uint32_t rank = 0; rank < n; ++rank)
        for (uint32_t i = 0; i < n; ++i)
            if (m_board.Piece(i).rank == rank)
                DrawPiece(m_board.Piece(i));
    return kStatusOk;
}

void CObjectsLevelPuzzle::DrawPiece(const PuzzlePiece& piece)
{
    ElementRecord* item = piece.element >= 0 ? GetItemRecord(uint32_t(piece.element)) : nullptr;
    if (!item)
        return;
    // The item moved to the piece's place and turned for this draw only.
    float keptDrag[3], keptMatrix[16];
    std::memcpy(keptDrag, item->dragOffset, sizeof keptDrag);
    std::memcpy(keptMatrix, item->worldMatrix, sizeof keptMatrix);
    const float keptTurn = item->turnAngle;
    const uint32_t keptState = item->drawState;
    for (int i = 0; i < 3; ++i)
        item->dragOffset[i] = piece.current[i] - piece.home[i];
    item->turnAngle = float(piece.turn) * kQuarter;
    m_drawingPiece = true;
    if (Succeeded(CObjectsLevel::PrepareElementDraw(item, 1.0f, 1)))
        ObjectsWrap_DrawElement<CObjectsLevel>(*this, item);
    m_drawingPiece = false;
    std::memcpy(item->dragOffset, keptDrag, sizeof keptDrag);
    std::memcpy(item->worldMatrix, keptMatrix, sizeof keptMatrix);
    item->turnAngle = keptTurn;
    item->drawState = keptState;
}
