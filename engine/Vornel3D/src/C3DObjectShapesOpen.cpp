// The built-in shapes that let a pending normal pass run at their end: the axis cross, the
// pyramid or cone outline, the tube wall, the disc in rings and the points on a sphere.
#include <cmath>

#include "Shapes.h"
#include "Vornel3D/C3DShapes.h"
#include "VornelUtils/WorldData.h"

namespace Shapes {

Status AxisCross(C3DObject& object, const void* parameters)
{
    const auto* p = static_cast<const C3DShapeAxisCrossParams*>(parameters);
    if (Failed(Begin(object, false, 1, 6, 6)))
        return kStatusFailed;
    const float L = p->length;
    const float ends[3][3] = {{L, 0.0f, 0.0f}, {0.0f, L, 0.0f}, {0.0f, 0.0f, L}};
    const uint32_t colors[3] = {p->colorX, p->colorY, p->colorZ};
    for (uint32_t a = 0; a < 3; ++a) {
        object.SetVertex(2 * a, 0.0f, 0.0f, 0.0f, colors[a], 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
        object.SetVertex(2 * a + 1, ends[a][0], ends[a][1], ends[a][2], colors[a], 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    }
    object.ResetIndices();
    object.SetGroup(0, 0, 6, 0, 6, 3, kPrimitiveLineList, 0xFFFFFFFFu, kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

Status Cone(C3DObject& object, const void* parameters)
{
    const auto* p = static_cast<const C3DShapeConeParams*>(parameters);
    const uint64_t n = p->sides;
    if (n == 0 || Failed(Begin(object, false, 1, n + 2, n + 2)))
        return kStatusFailed;
    const float z = p->length - p->depth;
    object.SetVertex(0, 0.0f, 0.0f, -p->depth, p->apexColor, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    if (n == 4) {
        // A pyramid: its height follows the display's aspect, so that it frames the screen.
        const WorldData* world = object.GetWorldData();
        const float aspect = world && world->virtualHeight ? float(world->virtualWidth) / world->virtualHeight : 1.0f;
        const float r = std::tan(p->spread) * p->length;
        for (uint32_t k = 1; k <= 5; ++k) {
            const float angle = float(2 * k + 1) * kPi / 4.0f;
            object.SetVertex(k, r * std::cos(angle), r * aspect * std::sin(angle), z, p->rimColor, 0.0f, 0.0f, 0.0f,
                             0.0f, 0.0f, 0);
        }
    } else {
        const float r = p->spread * p->length * 0.5f;
        const float step = 2.0f * kPi / float(n);
        float angle = kPi / 2.0f;
        for (uint32_t k = 1; k <= n + 1; ++k) {
            angle += step;
            object.SetVertex(k, r * std::cos(angle), r * std::sin(angle), z, p->rimColor, 0.0f, 0.0f, 0.0f, 0.0f,
                             0.0f, 0);
        }
    }
    object.ResetIndices();
    object.SetGroup(0, 0, uint32_t(n + 2), 0, uint32_t(n + 2), uint32_t(n), kPrimitiveTriangleFan, 0xFFFFFFFFu,
                    kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

Status Tube(C3DObject& object, void* parameters)
{
    auto* p = static_cast<C3DShapeTubeParams*>(parameters);
    p->one = 1;
    if (p->segments < 3)
        p->segments = 3;
    const uint64_t n = p->segments;
    if (Failed(Begin(object, false, 1, 2 * n, 2 * n)))
        return kStatusFailed;
    const float top = p->topDiameter / 2.0f, bottom = p->bottomDiameter / 2.0f, h = p->height / 2.0f;
    for (uint32_t k = 0; k < n; ++k) {
        const float t = float(k) * 2.0f * kPi / float(n - 1);
        const float s = std::sin(t), c = std::cos(t);
        C3DVector3 a{0.0f, 0.0f, 0.0f}, b{0.0f, 0.0f, 0.0f};
        if (p->axis == k3DShapeAxisZ || p->axis == k3DShapeAxisX) {
            a = C3DVector3{s * top, h, c * top};
            b = C3DVector3{s * bottom, -h, c * bottom};
        } else if (p->axis == k3DShapeAxisY) {
            a = C3DVector3{c * top, s * top, h};
            b = C3DVector3{c * bottom, s * bottom, -h};
        }
        float ua = 0.0f, ub = 0.0f, vb = 0.0f;
        if (p->textureMode == 0) {
            ua = ub = (1.0f - float(k) / float(n - 1)) * p->textureScaleU;
            vb = p->textureV;
        } else if (p->textureMode == 1) {
            ua = 1.0f;
        }
        object.SetVertex(2 * k, a.x, a.y, a.z, p->color, ua, 0.0f, 0.0f, 1.0f, 0.0f, p->color2);
        object.SetVertex(2 * k + 1, b.x, b.y, b.z, p->color, ub, vb, 0.0f, 1.0f, 0.0f, p->color2);
    }
    object.ResetIndices();
    object.SetGroup(0, 0, uint32_t(2 * n), 0, uint32_t(2 * n), uint32_t(2 * n - 2), kPrimitiveTriangleStrip,
                    FaceMode(object), kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

Status Rings(C3DObject& object, const void* parameters)
{
    const auto* p = static_cast<const C3DShapeRingsParams*>(parameters);
    const uint64_t n = p->sectors, m = p->rings;
    if (n == 0 || m == 0)
        return kStatusFailed;
    const uint64_t vertices = (m + 1) * n + 1;
    if (Failed(Begin(object, false, 1, vertices, 3 * n * (2 * m - 1))))
        return kStatusFailed;

    const C3DVector3 normal = AxisNormal(p->axis);
    const float R = p->diameter, H = p->height, q = p->fraction;
    object.SetVertex(0, 0.0f, 0.0f, 0.0f, p->color, 0.5f, 0.5f, normal.x, normal.y, normal.z, p->color2);
    const float step = 2.0f * kPi / float(n);
    float d = R / float(m);
    float qj = 1.0f;
    for (uint32_t j = 0; j < m; ++j) {
        if (j > 0) {
            d += (R - d) * q;
            qj *= q;
        }
        const float h = j > 0 ? H - H * qj : 0.0f;
        float theta = 0.0f;
        for (uint32_t k = 0; k < n; ++k) {
            theta += step;
            const float s = std::sin(theta) * d / 2.0f, c = std::cos(theta) * d / 2.0f;
            // The rings stand along the axis: their height goes where the normal points.
            C3DVector3 at{s, c, h};
            if (p->axis == k3DShapeAxisX)
                at = C3DVector3{h, c, s};
            else if (p->axis == k3DShapeAxisY)
                at = C3DVector3{s, h, c};
            const float u = 0.5f + 0.5f * (d / R) * std::cos(theta - kPi / 2.0f);
            const float v = 0.5f + 0.5f * (d / R) * std::sin(theta - kPi / 2.0f);
            object.SetVertex(uint32_t(j * n + k + 1), at.x, at.y, at.z, p->color, u, v, normal.x, normal.y, normal.z,
                             p->color2);
        }
    }

    uint32_t i = 0;
    auto triangle = [&](uint64_t a, uint64_t b, uint64_t c) {
        object.SetIndex(i++, uint32_t(a));
        object.SetIndex(i++, uint32_t(b));
        object.SetIndex(i++, uint32_t(c));
    };
    for (uint64_t k = 1; k < n; ++k)
        triangle(0, k, k + 1);
    triangle(0, n, 1);
    for (uint64_t j = 1; j < m; ++j)
        for (uint64_t k = 0; k < n; ++k) {
            const uint64_t a = (j - 1) * n + k + 1, b = j * n + k + 1;
            if (k + 1 < n) {
                triangle(a, b, b + 1);
                triangle(a + 1, a, b + 1);
            } else {
                triangle(a, b, j * n + 1);
                triangle((j - 1) * n + 1, a, j * n + 1);
            }
        }
    object.SetGroup(0, 0, uint32_t(vertices), 0, i, uint32_t((2 * m - 1) * n), kPrimitiveTriangleList,
                    FaceMode(object), kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

Status PointSphere(C3DObject& object, const void* parameters)
{
    const auto* p = static_cast<const C3DShapePointSphereParams*>(parameters);
    const uint64_t N = uint64_t(p->count) + 3;
    if (Failed(Begin(object, false, 1, N, N)))
        return kStatusFailed;
    for (uint32_t i = 0; i < N; ++i) {
        // The base-2 radical inverse spreads the heights evenly without clustering.
        float s = 0.0f, bit = 0.5f;
        for (uint32_t rest = i; rest; rest >>= 1, bit *= 0.5f)
            if (rest & 1)
                s += bit;
        const float z = 2.0f * s - 1.0f;
        const float r = std::sqrt(1.0f - z * z);
        const float alpha = float(2 * uint64_t(i) + 1) * kPi / float(N);
        object.SetVertex(i, p->radius * r * std::cos(alpha), p->radius * r * std::sin(alpha), p->radius * z,
                         p->color, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, p->color2);
    }
    object.ResetIndices();
    object.SetGroup(0, 0, uint32_t(N), 0, uint32_t(N), uint32_t(N / 3), kPrimitiveTriangleList, FaceMode(object),
                    kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

} // namespace Shapes
