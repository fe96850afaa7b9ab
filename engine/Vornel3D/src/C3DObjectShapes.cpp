// The built-in shapes' dispatch and common frame, and the closed shapes: spheres, discs, the
// grid and the box. Every builder writes through the object's own operations, so one code
// serves every renderer.
#include <cmath>
#include <initializer_list>

#include "Shapes.h"
#include "Vornel3D/C3DObjectPrivate.h"
#include "Vornel3D/C3DShapes.h"

namespace Shapes {

Status Begin(C3DObject& object, bool clearNormals, uint64_t groups, uint64_t vertices, uint64_t indices)
{
    if (groups > 0xFFFFFFFFu || vertices > 0xFFFFFFFFu || indices > 0xFFFFFFFFu)
        return kStatusFailed;
    if (clearNormals)
        object.SetFlags(object.GetFlags() & ~(k3DObjectFaceNormalsPending | k3DObjectSmoothNormalsPending));
    if (Failed(object.Create(uint32_t(groups), uint32_t(vertices), uint32_t(indices))))
        return kStatusFailed;
    object.Lock(2, 2);
    return kStatusOk;
}

uint32_t FaceMode(const C3DObject& object)
{
    const uint32_t creation = object.GetCreationWord();
    if (creation & k3DFaceMode0)
        return kFaceModeBoth;
    if (creation & k3DFaceMode2)
        return kFaceModeCounterClockwise;
    if (creation & k3DFaceMode1)
        return kFaceModeClockwise;
    return kFaceModeBoth;
}

C3DVector3 AxisNormal(uint32_t axis)
{
    switch (axis) {
    case k3DShapeAxisZ:
        return C3DVector3{0.0f, 0.0f, -1.0f};
    case k3DShapeAxisX:
        return C3DVector3{1.0f, 0.0f, 0.0f};
    case k3DShapeAxisY:
        return C3DVector3{0.0f, 1.0f, 0.0f};
    default:
        return C3DVector3{0.0f, 0.0f, 0.0f};
    }
}

Status Sphere(C3DObject& object, void* parameters, bool half)
{
    auto* p = static_cast<C3DShapeSphereParams*>(parameters);
    p->segments = p->segments < 3 ? 3 : p->segments > 255 ? 255 : p->segments;
    const uint32_t n = p->segments;
    const float R = p->radius;
    if (Failed(Begin(object, true, 1, (n + 1) * (n - 1) + 2 * n, 6 * n * (n - 1))))
        return kStatusFailed;

    const float fn = float(n);
    for (uint32_t k = 0; k < n; ++k)
        object.SetVertex(k, 0.0f, R, 0.0f, p->color, float(k) / fn, 0.0f, 0.0f, 1.0f, 0.0f, p->color2);
    // The half sphere turns half as far round and faces the other way.
    const float thetaStep = (half ? 1.0f : 2.0f) * kPi / fn;
    const float sign = half ? -1.0f : 1.0f;
    float phi = kPi / 2.0f;
    for (uint32_t j = 1; j < n; ++j) {
        phi += kPi / fn;
        float theta = 0.0f;
        const uint32_t ring = (n + 1) * j - 1;
        for (uint32_t k = 0; k <= n; ++k, theta += thetaStep) {
            const float dx = sign * std::cos(theta) * std::cos(phi);
            const float dy = std::sin(phi);
            const float dz = sign * std::sin(theta) * std::cos(phi);
            object.SetVertex(ring + k, R * dx, R * dy, R * dz, p->color, float(k) / fn, float(j) / fn, dx, dy, dz,
                             p->color2);
        }
    }
    const uint32_t south = (n + 1) * n - 1;
    for (uint32_t k = 0; k < n; ++k)
        object.SetVertex(south + k, 0.0f, -R, 0.0f, p->color, float(k) / fn, 1.0f, 0.0f, -1.0f, 0.0f, p->color2);

    uint32_t i = 0;
    auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) {
        object.SetIndex(i++, a);
        object.SetIndex(i++, b);
        object.SetIndex(i++, c);
    };
    for (uint32_t k = 0; k < n; ++k)
        triangle(k, n + 1 + k, n + k);
    for (uint32_t j = 1; j + 2 <= n; ++j)
        for (uint32_t k = 0; k < n; ++k) {
            const uint32_t a = (n + 1) * j - 1 + k, b = a + 1, c = a + n + 1, d = c + 1;
            triangle(a, d, c);
            triangle(a, b, d);
        }
    for (uint32_t k = 0; k < n; ++k)
        triangle(n * n - 2 + k, n * n - 1 + k, n * n + n - 1 + k);

    object.SetGroup(0, 0, object.GetVertexCount(), 0, i, i / 3, kPrimitiveTriangleList, FaceMode(object),
                    kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

Status Disc(C3DObject& object, void* parameters, uint32_t kind)
{
    auto* p = static_cast<C3DShapeDiscParams*>(parameters);
    if (p->segments < 3)
        p->segments = 3;
    const uint64_t n = p->segments;
    const uint64_t vertices = kind == k3DShapeDiscTriangles ? 3 * n : n + 2;
    const uint64_t indices = kind == k3DShapeDiscFan ? n + 2 : 3 * n;
    if (Failed(Begin(object, true, 1, vertices, indices)))
        return kStatusFailed;

    const C3DVector3 normal = AxisNormal(p->axis);
    const float r = p->diameter / 2.0f;
    const float h = p->height / 2.0f;
    auto centre = [&](uint32_t v) {
        object.SetVertex(v, 0.0f, h, 0.0f, p->color, 0.5f, 0.5f, normal.x, normal.y, normal.z, p->color2);
    };
    auto rim = [&](uint32_t v, float theta) {
        const float s = std::sin(theta) * r, c = std::cos(theta) * r;
        C3DVector3 at{0.0f, 0.0f, 0.0f};
        if (p->axis == k3DShapeAxisZ)
            at = C3DVector3{s, c, -h};
        else if (p->axis == k3DShapeAxisX)
            at = C3DVector3{-h, c, s};
        else if (p->axis == k3DShapeAxisY)
            at = C3DVector3{s, -h, c};
        float u = 0.0f, tv = 0.0f;
        if (p->textureMode <= 1) {
            u = std::cos(theta - kPi / 2.0f) * 0.5f * p->textureScaleU + 0.5f;
            const float t = std::sin(theta - kPi / 2.0f) * 0.5f * p->textureScaleV + 0.5f;
            tv = kind == k3DShapeDiscFan ? t : 1.0f - t;
        }
        object.SetVertex(v, at.x, at.y, at.z, p->color, u, tv, normal.x, normal.y, normal.z, p->color2);
    };

    // Rim point k (1 .. n+1) at k steps of a full turn over n, accumulated; n+1 repeats 1.
    const float step = 2.0f * kPi / float(n);
    float theta = 0.0f;
    if (kind == k3DShapeDiscTriangles) {
        float previous = (theta += step);
        for (uint32_t k = 0; k < n; ++k) {
            theta += step;
            centre(3 * k);
            rim(3 * k + 1, previous);
            rim(3 * k + 2, theta);
            previous = theta;
        }
        object.ResetIndices();
    } else {
        centre(0);
        for (uint32_t k = 1; k <= n + 1; ++k)
            rim(k, theta += step);
        if (kind == k3DShapeDiscFan) {
            object.ResetIndices();
        } else {
            uint32_t i = 0;
            for (uint32_t k = 1; k <= n; ++k) {
                object.SetIndex(i++, 0);
                object.SetIndex(i++, k + 1);
                object.SetIndex(i++, k);
            }
        }
    }
    object.SetGroup(0, 0, uint32_t(vertices), 0, uint32_t(indices), uint32_t(n),
                    kind == k3DShapeDiscFan ? kPrimitiveTriangleFan : kPrimitiveTriangleList, FaceMode(object),
                    kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

Status Grid(C3DObject& object, void* parameters)
{
    auto* p = static_cast<C3DShapeGridParams*>(parameters);
    const uint32_t nx = p->cellsX, ny = p->cellsY;
    if (nx == 0 || ny == 0)
        return kStatusFailed;
    const uint64_t cells = uint64_t(nx) * ny;
    if (Failed(Begin(object, true, 1, uint64_t(nx + uint64_t(1)) * (ny + uint64_t(1)), 6 * cells)))
        return kStatusFailed;

    const float W = p->width, H = p->depth;
    const float sx = W / float(nx), sy = H / float(ny);
    const C3DVector3 normal = AxisNormal(p->axis);
    for (uint32_t j = 0; j <= ny; ++j)
        for (uint32_t i = 0; i <= nx; ++i) {
            const float a = float(i) * sx - W / 2.0f;
            const float b = H / 2.0f - float(j) * sy;
            C3DVector3 at{0.0f, 0.0f, 0.0f};
            if (p->axis == k3DShapeAxisZ)
                at = C3DVector3{a, b, 0.0f};
            else if (p->axis == k3DShapeAxisX)
                at = C3DVector3{0.0f, b, a};
            else if (p->axis == k3DShapeAxisY)
                at = C3DVector3{a, 0.0f, b};
            const float u = (float(i) / float(nx)) * p->textureScaleU;
            const float v = 1.0f - (float(j) / float(ny)) * p->textureScaleV;
            object.SetVertex(j * (nx + 1) + i, at.x, at.y, at.z, p->color, u, v, normal.x, normal.y, normal.z,
                             p->color2);
        }
    uint32_t k = 0;
    for (uint32_t i = 0; i < nx; ++i)
        for (uint32_t j = 0; j < ny; ++j) {
            const uint32_t a = j * (nx + 1) + i, c = a + nx + 1;
            for (uint32_t value : {c, a, a + 1, c, c + 1, a + 1})
                object.SetIndex(k++, value);
        }
    object.SetGroup(0, 0, object.GetVertexCount(), 0, k, uint32_t(2 * cells), kPrimitiveTriangleList,
                    FaceMode(object), kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

namespace {

// One corner of a box face: the signs of its half sizes and which texture value (t0 or t1)
// each of u and v takes.
struct BoxCorner {
    int8_t x, y, z;
    uint8_t u, v;
};

struct BoxFace {
    int8_t nx, ny, nz;
    BoxCorner corners[4];
};

// Outward faces (modes 0 and 1 share corners and normals).
constexpr BoxFace kBoxOut[6] = {
    {0, 0, 1, {{-1, 1, 1, 1, 0}, {-1, -1, 1, 1, 1}, {1, 1, 1, 0, 0}, {1, -1, 1, 0, 1}}},
    {0, 0, -1, {{1, 1, -1, 1, 0}, {1, -1, -1, 1, 1}, {-1, 1, -1, 0, 0}, {-1, -1, -1, 0, 1}}},
    {1, 0, 0, {{1, 1, 1, 1, 0}, {1, -1, 1, 1, 1}, {1, 1, -1, 0, 0}, {1, -1, -1, 0, 1}}},
    {-1, 0, 0, {{-1, 1, 1, 0, 0}, {-1, 1, -1, 1, 0}, {-1, -1, 1, 0, 1}, {-1, -1, -1, 1, 1}}},
    {0, -1, 0, {{-1, -1, 1, 0, 1}, {-1, -1, -1, 0, 0}, {1, -1, 1, 1, 1}, {1, -1, -1, 1, 0}}},
    {0, 1, 0, {{-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {-1, 1, -1, 0, 1}, {1, 1, -1, 1, 1}}},
};

// Mode 1's texture values on the outward corners.
constexpr uint8_t kBoxMode1UV[6][4][2] = {
    {{0, 1}, {0, 0}, {1, 1}, {1, 0}}, {{1, 0}, {1, 1}, {0, 0}, {0, 1}}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}},
    {{1, 0}, {1, 1}, {0, 0}, {0, 1}}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, {{0, 1}, {0, 0}, {1, 1}, {1, 0}},
};

// Inward faces: each carries the inward normal of its own plane.
constexpr BoxFace kBoxIn[6] = {
    {-1, 0, 0, {{1, 1, -1, 1, 0}, {1, -1, -1, 1, 1}, {1, 1, 1, 0, 0}, {1, -1, 1, 0, 1}}},
    {1, 0, 0, {{-1, 1, 1, 1, 0}, {-1, -1, 1, 1, 1}, {-1, 1, -1, 0, 0}, {-1, -1, -1, 0, 1}}},
    {0, 0, -1, {{1, 1, 1, 1, 0}, {1, -1, 1, 1, 1}, {-1, 1, 1, 0, 0}, {-1, -1, 1, 0, 1}}},
    {0, 0, 1, {{1, 1, -1, 0, 0}, {-1, 1, -1, 1, 0}, {1, -1, -1, 0, 1}, {-1, -1, -1, 1, 1}}},
    {0, 1, 0, {{1, -1, -1, 0, 0}, {-1, -1, -1, 1, 0}, {1, -1, 1, 0, 1}, {-1, -1, 1, 1, 1}}},
    {0, -1, 0, {{1, 1, -1, 0, 0}, {1, 1, 1, 1, 0}, {-1, 1, -1, 0, 1}, {-1, 1, 1, 1, 1}}},
};

} // namespace

Status Box(C3DObject& object, const void* parameters)
{
    const auto* p = static_cast<const C3DShapeBoxParams*>(parameters);
    if (Failed(Begin(object, true, 6, 24, 24)))
        return kStatusFailed;
    const uint32_t mode = p->textureMode;
    const BoxFace* faces = mode == 2 ? kBoxIn : kBoxOut;
    const float t[2] = {p->t0, p->t1};
    for (uint32_t g = 0; g < 6; ++g) {
        for (uint32_t k = 0; k < 4 && mode <= 2; ++k) {
            const BoxFace& f = faces[g];
            const BoxCorner& c = f.corners[k];
            const uint8_t u = mode == 1 ? kBoxMode1UV[g][k][0] : c.u;
            const uint8_t v = mode == 1 ? kBoxMode1UV[g][k][1] : c.v;
            object.SetVertex(4 * g + k, c.x * p->halfX, c.y * p->halfY, c.z * p->halfZ, p->color, t[u], t[v], f.nx,
                             f.ny, f.nz, p->color2);
        }
        object.SetIndexRange(4 * g, 4);
    }
    for (uint32_t g = 0; g < 6; ++g)
        object.SetGroup(g, 4 * g, 4, 4 * g, 4, 2, kPrimitiveTriangleStrip, FaceMode(object), kGroupIdOwnNumber);
    object.Unlock(1);
    return kStatusOk;
}

} // namespace Shapes

Status C3DObjectPrivate::ConstructShape(uint32_t kind, void* parameters)
{
    if (!parameters)
        return kStatusFailed;
    switch (kind) {
    case k3DShapeSphere:
    case k3DShapeHalfSphere:
        return Shapes::Sphere(*this, parameters, kind == k3DShapeHalfSphere);
    case k3DShapeDiscFan:
    case k3DShapeDiscList:
    case k3DShapeDiscTriangles:
        return Shapes::Disc(*this, parameters, kind);
    case k3DShapeGrid:
        return Shapes::Grid(*this, parameters);
    case k3DShapeBox:
        return Shapes::Box(*this, parameters);
    case k3DShapeAxisCross:
        return Shapes::AxisCross(*this, parameters);
    case k3DShapeCone:
        return Shapes::Cone(*this, parameters);
    case k3DShapeRelief:
        return Shapes::Relief(*this, parameters);
    case k3DShapeTube:
        return Shapes::Tube(*this, parameters);
    case k3DShapeRings:
        return Shapes::Rings(*this, parameters);
    case k3DShapePointSphere:
        return Shapes::PointSphere(*this, parameters);
    default:
        return kStatusFailed;
    }
}
