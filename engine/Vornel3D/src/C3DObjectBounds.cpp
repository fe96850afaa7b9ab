// Bounding boxes, texture-coordinate bounds and ray picking of a 3D object, all through the
// vertex and index accessors so that they serve every renderer's class.
#include <cfloat>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"

namespace {

// Widens [min, max] by a point; the first point sets both.
template <typename V> void Widen(V& min, V& max, const V& p, bool first);

template <> void Widen<C3DVector3>(C3DVector3& min, C3DVector3& max, const C3DVector3& p, bool first)
{
    if (first) {
        min = max = p;
        return;
    }
    if (p.x < min.x) min.x = p.x;
    if (p.y < min.y) min.y = p.y;
    if (p.z < min.z) min.z = p.z;
    if (p.x > max.x) max.x = p.x;
    if (p.y > max.y) max.y = p.y;
    if (p.z > max.z) max.z = p.z;
}

template <> void Widen<C3DVector2>(C3DVector2& min, C3DVector2& max, const C3DVector2& p, bool first)
{
    if (first) {
        min = max = p;
        return;
    }
    if (p.x < min.x) min.x = p.x;
    if (p.y < min.y) min.y = p.y;
    if (p.x > max.x) max.x = p.x;
    if (p.y > max.y) max.y = p.y;
}

C3DVector3 EmptyMin3() { return C3DVector3{FLT_MAX, FLT_MAX, FLT_MAX}; }
C3DVector3 EmptyMax3() { return C3DVector3{FLT_MIN, FLT_MIN, FLT_MIN}; }
C3DVector2 EmptyMin2() { return C3DVector2{FLT_MAX, FLT_MAX}; }
C3DVector2 EmptyMax2() { return C3DVector2{FLT_MIN, FLT_MIN}; }

} // namespace

void C3DObject::GetBoundingBox(C3DVector3* pMin, C3DVector3* pMax, uint8_t transformed)
{
    C3DVector3 min = EmptyMin3(), max = EmptyMax3();
    Lock(2, 2);
    for (uint32_t v = 0; v < m_nVertexCount; ++v)
        Widen(min, max, GetVertexPosition(v), v == 0);
    if (transformed && m_pMatrix && Math()) {
        C3DVector3 corner;
        min = *Math()->Vec3TransformCoordV(&corner, &min, m_pMatrix);
        max = *Math()->Vec3TransformCoordV(&corner, &max, m_pMatrix);
    }
    Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObject::GetGroupBoundingBox(uint32_t group, C3DVector3* pMin, C3DVector3* pMax, uint8_t transformed)
{
    C3DVector3 min = EmptyMin3(), max = EmptyMax3();
    Lock(2, 2);
    if (const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(group) : nullptr) {
        for (uint32_t k = 0; k < r->indexCount; ++k)
            Widen(min, max, GetVertexPosition(GetIndex(r->firstIndex + k) + r->baseVertex), k == 0);
    }
    if (transformed && m_pMatrix && Math()) {
        C3DVector3 corner;
        min = *Math()->Vec3TransformCoordV(&corner, &min, m_pMatrix);
        max = *Math()->Vec3TransformCoordV(&corner, &max, m_pMatrix);
    }
    Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObject::GetUVBounds0(C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min = EmptyMin2(), max = EmptyMax2();
    Lock(2, 2);
    for (uint32_t v = 0; v < m_nVertexCount; ++v)
        Widen(min, max, GetVertexUV0(v), v == 0);
    Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObject::GetGroupUVBounds0(uint32_t group, C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min = EmptyMin2(), max = EmptyMax2();
    Lock(2, 2);
    if (const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(group) : nullptr) {
        for (uint32_t k = 0; k < r->indexCount; ++k)
            Widen(min, max, GetVertexUV0(GetIndex(r->firstIndex + k) + r->baseVertex), k == 0);
    }
    Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObject::GetUVBounds1(C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min = EmptyMin2(), max = EmptyMax2();
    Lock(2, 2);
    for (uint32_t v = 0; v < m_nVertexCount; ++v)
        Widen(min, max, GetVertexUV1(v), v == 0);
    Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

void C3DObject::GetGroupUVBounds1(uint32_t group, C3DVector2* pMin, C3DVector2* pMax)
{
    C3DVector2 min = EmptyMin2(), max = EmptyMax2();
    Lock(2, 2);
    if (const C3DGroupRecord* r = m_pIndex ? m_pIndex->GetGroup(group) : nullptr) {
        for (uint32_t k = 0; k < r->indexCount; ++k)
            Widen(min, max, GetVertexUV1(GetIndex(r->firstIndex + k) + r->baseVertex), k == 0);
    }
    Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

float C3DObject::IntersectRay(const C3DVector3* from, const C3DVector3* to, uint32_t* lastTriangle)
{
    C3DMath* math = Math();
    if (!from || !to || !math)
        return 0.0f;
    Lock(2, 2);
    C3DVector3 direction{to->x - from->x, to->y - from->y, to->z - from->z};
    math->Vec3Normalize(&direction, &direction);

    // The triangle of three vertex numbers, in world space, tested from `to` back along the ray.
    auto test = [&](uint32_t a, uint32_t b, uint32_t c) {
        C3DVector3 corners[3] = {GetVertexPosition(a), GetVertexPosition(b), GetVertexPosition(c)};
        if (m_pMatrix)
            for (C3DVector3& corner : corners) {
                C3DVector3 p = corner;
                math->Vec3TransformCoordV(&corner, &p, m_pMatrix);
            }
        return math->IntersectRayTriangle(to, &direction, &corners[0], &corners[1], &corners[2], nullptr, nullptr);
    };

    float distance = 0.0f;
    if (lastTriangle && lastTriangle[0] != k3DNoTriangle) {
        distance = test(lastTriangle[0], lastTriangle[1], lastTriangle[2]);
        if (distance < 0.0f) {
            Unlock(0);
            return distance;
        }
        lastTriangle[0] = k3DNoTriangle;
    }
    for (uint32_t g = 0; m_pIndex && g < m_nGroupCount; ++g) {
        const C3DGroupRecord* r = m_pIndex->GetGroup(g);
        if (!r || r->type != kPrimitiveTriangleList)
            continue;
        for (uint32_t k = 0; k + 2 < r->indexCount; k += 3) {
            const uint32_t a = GetIndex(r->firstIndex + k) + r->baseVertex;
            const uint32_t b = GetIndex(r->firstIndex + k + 1) + r->baseVertex;
            const uint32_t c = GetIndex(r->firstIndex + k + 2) + r->baseVertex;
            distance = test(a, b, c);
            if (distance < 0.0f) {
                if (lastTriangle) {
                    lastTriangle[0] = a;
                    lastTriangle[1] = b;
                    lastTriangle[2] = c;
                }
                Unlock(0);
                return distance;
            }
        }
    }
    Unlock(0);
    return distance;
}
