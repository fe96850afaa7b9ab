// The random relief: a square height field drawn from the world's generator, smoothed, built
// through a raw model, and given face normals that match across the seams so that copies of
// it tile without a visible edge.
#include <initializer_list>
#include <new>
#include <vector>

#include "Shapes.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DShapes.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

namespace Shapes {

namespace {

// Two passes of a 3 x 3 box filter (weighted 0.1, not 1/9) with wrap-around, in place, row by
// row; a value on the last row or column is copied to the first, so that the field tiles.
void Smooth(std::vector<float>& h, uint32_t points)
{
    auto at = [&](uint32_t i, uint32_t j) -> float& { return h[size_t(i) * points + j]; };
    for (int pass = 0; pass < 2; ++pass)
        for (uint32_t i = 0; i < points; ++i)
            for (uint32_t j = 0; j < points; ++j) {
                float sum = 0.0f;
                for (uint32_t di = points - 1; di <= points + 1; ++di)
                    for (uint32_t dj = points - 1; dj <= points + 1; ++dj)
                        sum += at((i + di) % points, (j + dj) % points);
                const float value = 0.1f * sum;
                at(i, j) = value;
                if (i == points - 1)
                    at(0, j) = value;
                if (j == points - 1)
                    at(i, 0) = value;
            }
}

// The two vertices (or, with four, the corners) take the normalised sum of their normals.
void ShareNormal(C3DObject& object, C3DMath* math, std::initializer_list<uint32_t> vertices)
{
    C3DVector3 sum{0.0f, 0.0f, 0.0f};
    for (uint32_t v : vertices) {
        const C3DVector3 n = object.GetVertexNormal(v);
        sum = C3DVector3{sum.x + n.x, sum.y + n.y, sum.z + n.z};
    }
    math->Vec3Normalize(&sum, &sum);
    for (uint32_t v : vertices)
        object.SetVertexNormal(v, sum.x, sum.y, sum.z);
}

} // namespace

Status Relief(C3DObject& object, const void* parameters)
{
    const auto* p = static_cast<const C3DShapeReliefParams*>(parameters);
    WorldData* world = object.GetWorldData();
    const uint64_t c = p->cells;
    const uint64_t points = c + 1;
    if (!world || !world->pMath || c == 0 || points * points > 0xFFFFFFFFu || 6 * c * c > 0xFFFFFFFFu)
        return kStatusFailed;

    std::vector<float> heights;
    C3DObjectRaw* raw = new (std::nothrow) C3DObjectRaw(world);
    if (!raw || Failed(raw->Create(1, uint32_t(points * points), uint32_t(6 * c * c)))) {
        delete raw;
        world->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    try {
        heights.resize(points * points);
    } catch (const std::bad_alloc&) {
        raw->Release();
        delete raw;
        world->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }

    for (float& h : heights)
        h = double(UtilsRandom_Next(world)) * (1.0 / 4294967296.0) >= 0.55 ? 100.0f : 0.0f;
    Smooth(heights, uint32_t(points));

    C3DModelRecord* rec = raw->GetRecord();
    const float S = p->size;
    const float s = S / float(c);
    for (uint32_t i = 0; i < points; ++i)
        for (uint32_t j = 0; j < points; ++j) {
            const uint32_t v = uint32_t(points) * i + j;
            const float h = heights[v];
            rec->positions[v] = C3DVector3{float(j) * s - S / 2.0f, p->low + (1.0f - 0.02f * h) * (p->high - p->low),
                                           float(i) * s - S / 2.0f};
            rec->uvs[v] = C3DVector2{(float(j) / float(c)) * p->textureScaleU,
                                     (1.0f - float(i) / float(c)) * p->textureScaleV};
            rec->diffuse[v] = 0xFFFFFFFFu;
        }
    // Cells split as the grid's are: column outer, row inner.
    uint32_t k = 0;
    for (uint32_t j = 0; j < c; ++j)
        for (uint32_t i = 0; i < c; ++i) {
            const uint32_t a = uint32_t(points) * i + j, b = a + uint32_t(points);
            for (uint32_t value : {b, a, a + 1, b, b + 1, a + 1})
                rec->indices[k++] = value;
        }
    C3DGroupRecord& group = rec->groups[0];
    group.id = 0;
    group.baseVertex = 0;
    group.vertexCount = rec->vertexCount;
    group.firstIndex = 0;
    group.indexCount = k;
    group.primitiveCount = k / 3;
    group.type = kPrimitiveTriangleList;
    group.faceMode = FaceMode(object);

    const Status status = object.LoadFromRaw(raw, nullptr, nullptr, nullptr);
    raw->Release();
    delete raw;
    if (Failed(status))
        return kStatusFailed;

    object.Lock(2, 2);
    object.ComputeFaceNormals();
    const uint32_t n = uint32_t(c), row = uint32_t(points);
    for (uint32_t i = 0; i <= n; ++i)
        ShareNormal(object, world->pMath, {i, n * row + i});
    for (uint32_t i = 0; i <= n; ++i)
        ShareNormal(object, world->pMath, {i * row, i * row + n});
    ShareNormal(object, world->pMath, {0, n, n * row, n * row + n});
    object.Unlock(1);
    return kStatusOk;
}

} // namespace Shapes
