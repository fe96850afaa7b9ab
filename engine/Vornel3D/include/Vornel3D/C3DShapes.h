#pragma once
// The parameter records of the built-in shapes (C3DObject::ConstructShape): one block of
// 32-bit fields per kind. Builders clamp counts by writing the clamped value back into the
// caller's record. Colours are ARGB; `color2` is the vertex's second colour.
#include <cstdint>

enum : uint32_t {
    k3DShapeSphere = 10,
    k3DShapeHalfSphere = 11,
    k3DShapeDiscFan = 20,
    k3DShapeDiscList = 21,
    k3DShapeDiscTriangles = 22,
    k3DShapeGrid = 30,
    k3DShapeBox = 40,
    k3DShapeAxisCross = 50,
    k3DShapeCone = 60,
    k3DShapeRelief = 70,
    k3DShapeTube = 80,
    k3DShapeRings = 90,
    k3DShapePointSphere = 100,
};

// Axis codes of the discs, grid, tube and rings: the axis the shape faces along.
enum : uint32_t { k3DShapeAxisZ = 0, k3DShapeAxisX = 1, k3DShapeAxisY = 2 };

// Kinds 10 and 11. Segments 3 .. 255.
struct C3DShapeSphereParams {
    float radius;
    uint32_t segments;
    uint32_t color;
    uint32_t color2;
};

// Kinds 20, 21 and 22. Segments at least 3; texture modes 0 and 1 map the disc, others
// leave u and v at 0.
struct C3DShapeDiscParams {
    float diameter;
    uint32_t segments;
    float height;
    uint32_t axis;
    uint32_t textureMode;
    uint32_t color;
    uint32_t color2;
    float textureScaleU;
    float textureScaleV;
};

// Kind 30. At least one cell each way.
struct C3DShapeGridParams {
    float width;
    float depth;
    uint32_t cellsX;
    uint32_t cellsY;
    uint32_t axis;
    uint32_t color;
    uint32_t color2;
    float textureScaleU;
    float textureScaleV;
};

// Kind 40. Half sizes; texture modes 0 and 1 face outward, 2 inward.
struct C3DShapeBoxParams {
    float halfX;
    float halfY;
    float halfZ;
    uint32_t textureMode;
    uint32_t color;
    uint32_t color2;
    float t0;
    float t1;
};

// Kind 50: three lines from the origin along x, y and z.
struct C3DShapeAxisCrossParams {
    float length;
    uint32_t colorX;
    uint32_t colorY;
    uint32_t colorZ;
};

// Kind 60: a fan from an apex at z = -depth to a rim at z = length - depth. Four sides make
// a pyramid whose spread is an angle and whose height follows the display's aspect; any other
// count a cone of radius spread x length / 2.
struct C3DShapeConeParams {
    uint32_t sides;
    float depth;
    float length;
    float spread;
    uint32_t apexColor;
    uint32_t rimColor;
};

// Kind 70: a random height field of cells x cells, drawn from the world's generator.
struct C3DShapeReliefParams {
    float size;
    uint32_t cells;
    float low;
    float high;
    uint32_t flag;      // kept for stored records; changes nothing
    uint32_t unused0;
    uint32_t unused1;
    float textureScaleU;
    float textureScaleV;
};

// Kind 80. Segments at least 3 (the last pair repeats the first).
struct C3DShapeTubeParams {
    float topDiameter;
    float bottomDiameter;
    float height;
    uint32_t one;       // always set to 1 by the builder
    uint32_t segments;
    uint32_t axis;
    uint32_t textureMode;
    uint32_t color;
    uint32_t color2;
    float textureScaleU;
    float textureV;
};

// Kind 90: a centre and rings of sectors, each ring a fraction of the way further out and up.
struct C3DShapeRingsParams {
    float diameter;
    uint32_t sectors;
    float height;
    float fraction;
    uint32_t rings;
    uint32_t axis;
    uint32_t color;
    uint32_t color2;
};

// Kind 100: count + 3 points spread over a sphere.
struct C3DShapePointSphereParams {
    float radius;
    uint32_t count;
    uint32_t color;
    uint32_t color2;
};
