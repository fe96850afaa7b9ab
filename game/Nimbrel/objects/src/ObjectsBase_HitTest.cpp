// Which element lies under a screen point: the walk from the top of the draw order, the test
// of one element by its radius, its hit rectangle or the triangles of its collision group, and
// the zones that bound where an element may be moved.
#include <cmath>

#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/WorldData.h"

namespace {

// A screen point at `depth` taken back through the matrix that drew it. False without a
// renderer's maths.
bool Unproject(C3DMath* math, const float* matrix, float x, float y, float depth, float* pOut)
{
    if (!math)
        return false;
    float inverse[16];
    math->InverseAffine(inverse, nullptr, matrix);
    C3DVector3 v;
    math->Vec3TransformCoord(&v, x, y, depth, inverse);
    pOut[0] = v.x;
    pOut[1] = v.y;
    pOut[2] = v.z;
    return true;
}

constexpr uint32_t kHittableBits = kElementClickable | kElementDraggable | kElementRotatable;

}  // namespace

Status CObjectsBase::FindElementAt(float x, float y, HitRecord* pRecord, float radius, int32_t excluded, float* pU,
                                   float* pV)
{
    if (!pRecord || !m_pRenderModel || !m_pElements)
        return kStatusFailed;
    const uint32_t count = m_pRenderModel->GetGroupCount();
    const bool goOn = pRecord->position != -1 && pRecord->object == int32_t(m_objectNumber);
    for (uint32_t k = goOn ? uint32_t(pRecord->position) + 1 : 0; k < count; ++k) {
        const uint32_t index = GetDrawSlotElement(count - k - 1);
        if (index >= m_elementCount)
            continue;
        ElementRecord* element = GetItemRecord(index);
        float local[3];
        if (element->drawState == kDrawNotPrepared ||
            Failed(HitTestElementPoint(x, y, element, local, radius, excluded, pU, pV)))
            continue;
        pRecord->object = int32_t(m_objectNumber);
        pRecord->element = int32_t(index);
        pRecord->position = int32_t(k);
        for (int i = 0; i < 3; ++i)
            pRecord->local[i] = local[i];
        return kStatusOk;
    }
    return kStatusFailed;
}

Status CObjectsBase::HitTestElementPoint(float x, float y, ElementRecord* pElement, float* pLocal, float radius,
                                         int32_t excluded, float* pU, float* pV)
{
    if (!pElement || !pElement->pickable || pElement->inactive || int32_t(pElement->index) == excluded ||
        !(pElement->flags & kHittableBits) || (pElement->flags & kElementFound))
        return kStatusFailed;
    return HitTestShape(x, y, pElement, pLocal, radius, pU, pV);
}

Status CObjectsBase::HitTestRecordedElement(float x, float y, const HitRecord* pRecord)
{
    if (!pRecord || pRecord->object != int32_t(m_objectNumber) || pRecord->element < 0 ||
        uint32_t(pRecord->element) >= m_elementCount || !m_pElements)
        return kStatusFailed;
    const ElementRecord* e = GetItemRecord(uint32_t(pRecord->element));
    if (!e->pickable || e->inactive)
        return kStatusFailed;
    float local[3];
    return HitTestShape(x, y, e, local, 0.0f, nullptr, nullptr);
}

Status CObjectsBase::HitTestShape(float x, float y, const ElementRecord* pElement, float* pLocal, float radius,
                                  float* pU, float* pV)
{
    float local[3];
    if (!pLocal)
        pLocal = local;
    // The element may be hit where another one lies (its proxy).
    const ElementRecord* g = pElement;
    if (pElement->hitProxy != -1) {
        if (pElement->hitProxy < 0 || uint32_t(pElement->hitProxy) >= m_elementCount)
            return kStatusFailed;
        g = GetItemRecord(uint32_t(pElement->hitProxy));
    }
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    if (!Unproject(math, g->worldMatrix, x, y, 1.0f, pLocal))
        return kStatusFailed;
    if (radius != 0.0f) {
        const C3DVector3 v = {pLocal[0], pLocal[1], pLocal[2]};
        if (math->Vec3Length(&v) < (radius + g->hitMargin) * 0.5f)
            return kStatusOk;
    }
    if (g->hitRect != -1 && (g->hitProxy == -1 || g->hitProxy == int32_t(g->index))) {
        float p[3];
        Unproject(math, GetElementViewMatrix(g), x, y, 1.0f, p);
        if (m_overlay && m_pWorldData->game.view.alternateViewEnabled && m_pPositions && m_positionCount > 0) {
            p[0] += m_pPositions[0].x;
            p[1] += m_pPositions[0].y;
        }
        return HitTestElementRect(g, g->hitRect, p);
    }
    return HitTestMeshTriangles(m_pCollisionModel, pLocal, g->index, pU, pV);
}

Status CObjectsBase::HitTestElementRect(const ElementRecord* pElement, int32_t rectangle, const float* p)
{
    float r[4];
    if (!pElement || Failed(GetElementScreenRect(r, pElement, rectangle, 0)))
        return kStatusFailed;
    // The page buttons of a paged text stand below it.
    if (const CExtraDimTextString* text = GetElementText(pElement))
        if (text->IsPaged())
            r[3] += TextHitOffset();
    // The edges themselves miss.
    return r[0] < p[0] && p[0] < r[2] && r[1] < p[1] && p[1] < r[3] ? kStatusOk : kStatusFailed;
}

Status CObjectsBase::HitTestMeshTriangles(C3DObject* pObject, const float* pRay, uint32_t group, float* pU, float* pV)
{
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    if (!pObject || !math || group >= pObject->GetGroupCount())
        return kStatusFailed;
    pObject->Lock(2, 2);
    uint32_t base = 0, vertices = 0, first = 0, count = 0;
    Status status = kStatusFailed;
    if (Succeeded(pObject->GetGroupFields(group, &base, &vertices, &first, &count, nullptr, nullptr, nullptr,
                                          nullptr))) {
        const C3DVector3 origin = {pRay[0], pRay[1], pRay[2]};
        const C3DVector3 direction = {0.0f, 0.0f, -1.0f};
        const uint32_t total = pObject->GetVertexCount();
        for (uint32_t i = first; i + 2 < first + count; i += 3) {
            uint32_t corner[3];
            bool inside = true;
            for (int c = 0; c < 3; ++c) {
                // A model may name any vertex: the triangle must lie in the object's own.
                const uint64_t at = uint64_t(pObject->GetIndex(i + uint32_t(c))) + base;
                inside = inside && at < total;
                corner[c] = uint32_t(at);
            }
            if (!inside)
                continue;
            const C3DVector3 a = pObject->GetVertexPosition(corner[0]);
            const C3DVector3 b = pObject->GetVertexPosition(corner[1]);
            const C3DVector3 c = pObject->GetVertexPosition(corner[2]);
            float b1 = 0.0f, b2 = 0.0f;
            if (math->IntersectRayTriangle(&origin, &direction, &a, &b, &c, &b1, &b2) == 0.0f)
                continue;
            if (pU && pV) {
                const C3DVector2 t0 = pObject->GetVertexUV0(corner[0]);
                const C3DVector2 t1 = pObject->GetVertexUV0(corner[1]);
                const C3DVector2 t2 = pObject->GetVertexUV0(corner[2]);
                *pU = t0.x + (t1.x - t0.x) * b1 + (t2.x - t0.x) * b2;
                *pV = t0.y + (t1.y - t0.y) * b1 + (t2.y - t0.y) * b2;
            }
            status = kStatusOk;
            break;
        }
    }
    pObject->Unlock(0);
    return status;
}

bool CObjectsBase::IsOutsideZone(const ElementRecord* pElement, float x, float y)
{
    if (!pElement || pElement->zone < 0 || uint32_t(pElement->zone) >= m_zoneCount || !m_pZones)
        return false;
    const ObjectZone& zone = m_pZones[pElement->zone];
    float left = zone.left, top = zone.top, right = zone.right, bottom = zone.bottom;
    if (m_overlay && m_pWorldData->game.view.alternateViewEnabled) {
        float px, py, pz;
        GetPosition(&px, &py, &pz);
        left -= px;
        right -= px;
        top -= py;
        bottom -= py;
    }
    float p[3];
    if (!Unproject(m_pWorldData->pMath, GetViewMatrix(), x, y, 0.0f, p))
        return false;
    // The border is inside.
    return p[0] < left || p[0] > right || p[1] < top || p[1] > bottom;
}
