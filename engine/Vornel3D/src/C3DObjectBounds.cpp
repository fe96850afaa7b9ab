// Bounding boxes, texture-coordinate bounds and ray picking of a 3D object, all through the
// vertex and index accessors so that they serve every renderer's class.
#include <cfloat>
#include <type_traits>

#include "Bounds.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"

namespace {

// The bounds of one vertex field over the whole object (every vertex) or over one group (its
// indices, base vertex added), read through the object's accessors between Lock and Unlock;
// with `math` the two corners (not the box) go through the matrix in use.
template <typename V, typename Field>
void FieldBounds(C3DObject& object, const uint32_t* group, Field field, C3DMath* math, V* pMin, V* pMax)
{
    V min, max;
    object.Lock(2, 2);
    if (!group) {
        BoxOf(object.GetVertexCount(), [&](uint32_t v) { return (object.*field)(v); }, min, max);
    } else {
        C3DObjectIndex* index = object.GetObjectIndex();
        const C3DGroupRecord* r = index ? index->GetGroup(*group) : nullptr;
        auto point = [&](uint32_t k) { return (object.*field)(object.GetIndex(r->firstIndex + k) + r->baseVertex); };
        BoxOf(r ? r->indexCount : 0, point, min, max);
    }
    if constexpr (std::is_same_v<V, C3DVector3>) {
        if (math && object.GetMatrix()) {
            C3DVector3 corner;
            min = *math->Vec3TransformCoordV(&corner, &min, object.GetMatrix());
            max = *math->Vec3TransformCoordV(&corner, &max, object.GetMatrix());
        }
    }
    object.Unlock(0);
    if (pMin)
        *pMin = min;
    if (pMax)
        *pMax = max;
}

} // namespace

void C3DObject::GetBoundingBox(C3DVector3* pMin, C3DVector3* pMax, uint8_t transformed)
{
    FieldBounds(*this, nullptr, &C3DObject::GetVertexPosition, transformed ? Math() : nullptr, pMin, pMax);
}

void C3DObject::GetGroupBoundingBox(uint32_t group, C3DVector3* pMin, C3DVector3* pMax, uint8_t transformed)
{
    FieldBounds(*this, &group, &C3DObject::GetVertexPosition, transformed ? Math() : nullptr, pMin, pMax);
}

void C3DObject::GetUVBounds0(C3DVector2* pMin, C3DVector2* pMax)
{
    FieldBounds(*this, nullptr, &C3DObject::GetVertexUV0, nullptr, pMin, pMax);
}

void C3DObject::GetGroupUVBounds0(uint32_t group, C3DVector2* pMin, C3DVector2* pMax)
{
    FieldBounds(*this, &group, &C3DObject::GetVertexUV0, nullptr, pMin, pMax);
}

void C3DObject::GetUVBounds1(C3DVector2* pMin, C3DVector2* pMax)
{
    FieldBounds(*this, nullptr, &C3DObject::GetVertexUV1, nullptr, pMin, pMax);
}

void C3DObject::GetGroupUVBounds1(uint32_t group, C3DVector2* pMin, C3DVector2* pMax)
{
    FieldBounds(*this, &group, &C3DObject::GetVertexUV1, nullptr, pMin, pMax);
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
