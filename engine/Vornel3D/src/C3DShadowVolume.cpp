// The shadow volume of one caster: the silhouette of its light-facing triangles, extruded away
// from the light into side walls and closed by two caps.
#include <initializer_list>

#include "GroupTriangles.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DStencilShadow.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

namespace {

C3DVector3 Minus(const C3DVector3& a, const C3DVector3& b)
{
    return C3DVector3{a.x - b.x, a.y - b.y, a.z - b.z};
}

void AddScaled(C3DVector3& sum, const C3DVector3& p, float w)
{
    sum.x += w * p.x;
    sum.y += w * p.y;
    sum.z += w * p.z;
}

// Appends three points (nine floats) at *count.
void PutTriangle(float* array, uint32_t* count, const C3DVector3& a, const C3DVector3& b, const C3DVector3& c)
{
    float* out = array + size_t(*count) * 3;
    for (const C3DVector3* p : {&a, &b, &c}) {
        *out++ = p->x;
        *out++ = p->y;
        *out++ = p->z;
    }
    *count += 3;
}

// Edges a group's facing triangles can leave: three per list triangle, the rim of each fan one.
uint64_t EdgeRoom(const C3DGroupRecord& r)
{
    if (r.type == kPrimitiveTriangleList)
        return uint64_t(r.indexCount / 3) * 3;
    if (r.type == kPrimitiveTriangleFan)
        return r.indexCount >= 3 ? uint64_t(r.indexCount - 2) : 0;
    return 0;
}

} // namespace

uint32_t C3DStencilShadow::ToggleEdge(C3DEdge* pairs, uint32_t* count, uint32_t a, uint32_t b)
{
    uint32_t n = *count;
    for (uint32_t k = 0; k < n; ++k) {
        if ((pairs[k].a == a && pairs[k].b == b) || (pairs[k].a == b && pairs[k].b == a)) {
            pairs[k] = pairs[n - 1];
            *count = n - 1;
            return n - 1;
        }
    }
    pairs[n] = C3DEdge{a, b};
    *count = n + 1;
    return n + 1;
}

void C3DStencilShadow::BuildShadowVolume(uint32_t i)
{
    C3DShadowCaster* caster = GetCaster(i);
    if (!caster || !caster->pObject)
        return;
    caster->sideCount = 0;
    caster->capCount = 0;
    C3DMath* math = m_pWorldData ? m_pWorldData->pMath : nullptr;
    if (!math)
        return;
    // The light's position taken as a vector, not as a point: nothing is subtracted from it.
    const C3DVector3 light{m_pWorldData->light1.x, m_pWorldData->light1.y, m_pWorldData->light1.z};
    const C3DVector3 extrusion{k3DShadowExtrusion * light.x, k3DShadowExtrusion * light.y,
                               k3DShadowExtrusion * light.z};
    const C3DVector3 upper{caster->upper[0], caster->upper[1], caster->upper[2]};
    const C3DVector3 lower{caster->lower[0], caster->lower[1], caster->lower[2]};

    C3DObject& object = *caster->pObject;
    if (caster->pMatrix)
        object.SetMatrixPointer(caster->pMatrix);
    const float* matrix = object.GetMatrix();
    auto position = [&](uint32_t v) {
        const C3DVector3 p = object.GetVertexPosition(v);
        C3DVector3 out = p;
        if (matrix)
            math->Vec3TransformCoordV(&out, &p, matrix);
        return out;
    };
    // The edge's two points, then the same pushed away from the light, each clamped.
    auto edgePoints = [&](const C3DEdge& edge, C3DVector3 points[4]) {
        points[0] = position(edge.a);
        points[1] = position(edge.b);
        points[2] = Minus(points[0], extrusion);
        points[3] = Minus(points[1], extrusion);
        for (int k = 0; k < 4; ++k)
            math->Clamp3(&points[k], &upper, &lower);
    };

    object.Lock(2, 2);
    for (uint32_t g = 0; g < object.GetGroupCount(); ++g) {
        C3DGroupRecord r{};
        if (Failed(object.GetGroup(g, &r)))
            continue;
        const uint64_t room = EdgeRoom(r);
        if (room == 0)
            continue;
        C3DEdge* edges = room <= SIZE_MAX / sizeof(C3DEdge)
                             ? static_cast<C3DEdge*>(UTILS_MALLOC(size_t(room) * sizeof(C3DEdge)))
                             : nullptr;
        if (!edges) {
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            break;
        }
        uint32_t count = 0;
        const bool fan = r.type == kPrimitiveTriangleFan;
        ForEachGroupTriangle(object, r, [&](uint32_t, uint32_t, uint32_t, uint32_t a, uint32_t b, uint32_t c) {
            const C3DVector3 p0 = position(a), p1 = position(b), p2 = position(c);
            const C3DVector3 e0 = Minus(p2, p1), e1 = Minus(p1, p0);
            C3DVector3 normal;
            math->Vec3Cross(&normal, &e0, &e1);
            if (!(math->Vec3Dot(&normal, &light) >= 0.0f))
                return;
            if (fan) {
                ToggleEdge(edges, &count, b, c); // the spokes are shared with the neighbours
            } else {
                ToggleEdge(edges, &count, a, b);
                ToggleEdge(edges, &count, b, c);
                ToggleEdge(edges, &count, c, a);
            }
        });

        if (count > 0) {
            // The rims' centroids over the whole silhouette, before any of it is cut.
            C3DVector3 nearCentre{0.0f, 0.0f, 0.0f}, farCentre{0.0f, 0.0f, 0.0f};
            const float w = 1.0f / (2.0f * float(count));
            C3DVector3 p[4];
            for (uint32_t k = 0; k < count; ++k) {
                edgePoints(edges[k], p);
                AddScaled(nearCentre, p[0], w);
                AddScaled(nearCentre, p[1], w);
                AddScaled(farCentre, p[2], w);
                AddScaled(farCentre, p[3], w);
            }
            for (uint32_t k = 0; k < count; ++k) {
                // Six vertices per edge in each array; a silhouette that does not fit is cut.
                if (!caster->pSides || !caster->pCaps || uint64_t(caster->sideCount) + 6 > caster->capacity ||
                    uint64_t(caster->capCount) + 6 > caster->capacity)
                    break;
                edgePoints(edges[k], p);
                PutTriangle(caster->pSides, &caster->sideCount, p[0], p[1], p[2]);
                PutTriangle(caster->pSides, &caster->sideCount, p[1], p[3], p[2]);
                PutTriangle(caster->pCaps, &caster->capCount, nearCentre, p[0], p[1]);
                PutTriangle(caster->pCaps, &caster->capCount, farCentre, p[2], p[3]);
            }
        }
        UTILS_FREE(edges);
    }
    object.Unlock(0);
}
