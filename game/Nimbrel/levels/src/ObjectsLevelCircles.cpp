// The circles level: the board's items resolved and its rings drawn about the two centres.
#include "NimbrelLevels/CObjectsLevelCircles.h"

#include <cstring>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

CObjectsLevelCircles::CObjectsLevelCircles(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<CirclesBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindCircles;
}

Status CObjectsLevelCircles::ResetBoard()
{
    m_paused = 0;
    return CObjectsLevelBoard<CirclesBoard>::ResetBoard();
}

bool CObjectsLevelCircles::IsRingPicture(uint32_t element) const
{
    const int32_t pictures[] = {m_board.Centre(kCirclesRingLeft), m_board.Centre(kCirclesRingRight),
                                m_board.KindLeft(), m_board.KindMiddle(), m_board.KindRight()};
    for (int32_t picture : pictures)
        if (picture >= 0 && uint32_t(picture) == element)
            return true;
    return false;
}

Status CObjectsLevelCircles::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    if (pElement && !m_drawingRings && IsRingPicture(pElement->index))
        return kStatusFailed;
    return CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
}

Status CObjectsLevelCircles::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    if (!m_drawingRings && IsRingPicture(pElement->index))
        return kStatusOk;
    const Status status = ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
    // No ring picture before the first deal: the places hold no kind yet.
    if (m_drawingRings || int32_t(pElement->index) != m_board.Play() || !m_board.IsDealt())
        return status;
    ElementRecord* left = m_board.Centre(kCirclesRingLeft) >= 0 ? GetItemRecord(m_board.Centre(kCirclesRingLeft)) : nullptr;
    ElementRecord* right =
        m_board.Centre(kCirclesRingRight) >= 0 ? GetItemRecord(m_board.Centre(kCirclesRingRight)) : nullptr;
    if (!left || !right || !m_pWorldData->pMath)
        return status;
    // The centres are prepared for their matrices only; they are not drawn.
    CObjectsLevel::PrepareElementDraw(left, 1.0f, 1);
    CObjectsLevel::PrepareElementDraw(right, 1.0f, 1);
    float l[3], r[3];
    GetElementPosition(l, left);
    GetElementPosition(r, right);
    m_drawingRings = true;
    DrawRing(kCirclesRingLeft, r[0] - l[0]);
    DrawRing(kCirclesRingRight, r[0] - l[0]);
    m_drawingRings = false;
    return status;
}

void CObjectsLevelCircles::DrawRing(CirclesRing ring, float radius)
{
    const ElementRecord* centre = GetItemRecord(uint32_t(m_board.Centre(ring)));
    for (uint32_t k = 0; k < kCirclesRingPositions; ++k) {
        if (!m_board.DrawsPosition(ring, k))
            continue;
        const int32_t kind = m_board.Place(m_board.RingPlace(ring, k));
        ElementRecord* picture = kind >= 0 ? GetItemRecord(uint32_t(kind)) : nullptr;
        if (!picture)
            continue;
        // One picture stands at several places: what the frame prepared for it is kept.
        float kept[16];
        std::memcpy(kept, picture->worldMatrix, sizeof kept);
        const auto keptState = picture->drawState;
        CObjectsLevel::PrepareElementDraw(picture, 1.0f, 1);
        float place[16];
        CirclesBoard::PlaceMatrix(m_board.PositionAngle(ring, k), radius, place);
        m_pWorldData->pMath->Multiply(picture->worldMatrix, place, centre->worldMatrix);
        ObjectsWrap_DrawElement<CObjectsLevel>(*this, picture);
        std::memcpy(picture->worldMatrix, kept, sizeof kept);
        picture->drawState = keptState;
    }
}
