// The built-in shapes on the memory back end: counts, clamps written back, positions, normals
// and texture coordinates, and the refusals that leave the object as it was.
#include <gtest/gtest.h>

#include <cmath>

#include "MemoryBackEnd.h"
#include "Vornel3D/C3DShapes.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

class ShapeTest : public ::testing::Test {
protected:
    C3DObject* NewObject(uint32_t creation = 0)
    {
        C3DObject* object = world.engine->CreateObject(k3DObjectNormals, creation);
        EXPECT_NE(object, nullptr);
        return object;
    }

    static C3DGroupRecord Group(C3DObject* object, uint32_t g)
    {
        const C3DGroupRecord* r = object->GetObjectIndex() ? object->GetObjectIndex()->GetGroup(g) : nullptr;
        return r ? *r : C3DGroupRecord{};
    }

    static uint32_t IndexCount(C3DObject* object) { return object->GetObjectIndex()->GetIndexCount(); }

    CMemoryWorld world;
};

void ExpectNear(const C3DVector3& a, const C3DVector3& b, float tolerance = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST_F(ShapeTest, SphereClampsItsSegmentsAndWritesThemBack)
{
    C3DObject* object = NewObject();
    C3DShapeSphereParams sphere{2.0f, 2, 0xFF112233u, 0};
    ASSERT_EQ(object->ConstructShape(k3DShapeSphere, &sphere), kStatusOk);
    EXPECT_EQ(sphere.segments, 3u);
    EXPECT_EQ(object->GetVertexCount(), 14u);
    EXPECT_EQ(IndexCount(object), 36u);
    const C3DGroupRecord g = Group(object, 0);
    EXPECT_EQ(g.primitiveCount, 12u);
    EXPECT_EQ(g.type, kPrimitiveTriangleList);
    // Every vertex lies on the sphere, its normal points out along its position.
    for (uint32_t v = 0; v < 14; ++v) {
        const C3DVector3 p = object->GetVertexPosition(v);
        const C3DVector3 n = object->GetVertexNormal(v);
        EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 2.0f, 1e-5f) << v;
        ExpectNear(C3DVector3{p.x / 2, p.y / 2, p.z / 2}, n);
        EXPECT_EQ(object->GetVertexColor(v), 0xFF112233u);
    }
    // Every index names a vertex.
    for (uint32_t i = 0; i < 36; ++i)
        EXPECT_LT(object->GetIndex(i), 14u);

    sphere.segments = 1000;
    ASSERT_EQ(object->ConstructShape(k3DShapeSphere, &sphere), kStatusOk);
    EXPECT_EQ(sphere.segments, 255u);
    EXPECT_EQ(object->GetVertexCount(), 256u * 254u + 510u);
    EXPECT_EQ(IndexCount(object), 6u * 255u * 254u);

    // The half sphere turns half way round: the side of z >= 0.
    sphere.segments = 4;
    ASSERT_EQ(object->ConstructShape(k3DShapeHalfSphere, &sphere), kStatusOk);
    for (uint32_t v = 0; v < object->GetVertexCount(); ++v)
        EXPECT_GE(object->GetVertexPosition(v).z, -1e-5f);
}

TEST_F(ShapeTest, DiscsShareTheirRimAndMapTheirTexture)
{
    C3DObject* object = NewObject();
    C3DShapeDiscParams disc{2.0f, 1, 0.0f, k3DShapeAxisZ, 0, 0xFFFFFFFFu, 0, 1.0f, 1.0f};
    ASSERT_EQ(object->ConstructShape(k3DShapeDiscFan, &disc), kStatusOk);
    EXPECT_EQ(disc.segments, 3u);
    EXPECT_EQ(object->GetVertexCount(), 5u);
    EXPECT_EQ(IndexCount(object), 5u);
    EXPECT_EQ(Group(object, 0).type, kPrimitiveTriangleFan);
    EXPECT_EQ(Group(object, 0).primitiveCount, 3u);
    ExpectNear(object->GetVertexPosition(4), object->GetVertexPosition(1));
    ExpectNear(object->GetVertexNormal(2), C3DVector3{0, 0, -1});
    const C3DVector2 centre = object->GetVertexUV0(0);
    EXPECT_FLOAT_EQ(centre.x, 0.5f);
    EXPECT_FLOAT_EQ(centre.y, 0.5f);

    // The list repeats no vertex; the separate triangles do.
    disc.segments = 6;
    disc.axis = k3DShapeAxisY;
    ASSERT_EQ(object->ConstructShape(k3DShapeDiscList, &disc), kStatusOk);
    EXPECT_EQ(object->GetVertexCount(), 8u);
    EXPECT_EQ(IndexCount(object), 18u);
    EXPECT_EQ(object->GetIndex(3), 0u);
    EXPECT_EQ(object->GetIndex(4), 3u);
    EXPECT_EQ(object->GetIndex(5), 2u);
    ASSERT_EQ(object->ConstructShape(k3DShapeDiscTriangles, &disc), kStatusOk);
    EXPECT_EQ(object->GetVertexCount(), 18u);
    ExpectNear(object->GetVertexPosition(17), object->GetVertexPosition(1));
    ExpectNear(object->GetVertexPosition(2), object->GetVertexPosition(4));
    ExpectNear(object->GetVertexNormal(5), C3DVector3{0, 1, 0});
}

TEST_F(ShapeTest, BoxNormalsPointOutOrIn)
{
    C3DObject* object = NewObject();
    for (uint32_t mode : {0u, 1u, 2u}) {
        C3DShapeBoxParams box{1.0f, 2.0f, 3.0f, mode, 0xFF00FF00u, 0, 0.0f, 1.0f};
        ASSERT_EQ(object->ConstructShape(k3DShapeBox, &box), kStatusOk);
        ASSERT_EQ(object->GetVertexCount(), 24u);
        ASSERT_EQ(object->GetGroupCount(), 6u);
        for (uint32_t v = 0; v < 24; ++v) {
            const C3DVector3 p = object->GetVertexPosition(v);
            const C3DVector3 n = object->GetVertexNormal(v);
            const float outward = p.x * n.x + p.y * n.y + p.z * n.z;
            if (mode == 2)
                EXPECT_LT(outward, 0.0f) << v;
            else
                EXPECT_GT(outward, 0.0f) << v;
        }
        for (uint32_t g = 0; g < 6; ++g) {
            const C3DGroupRecord r = Group(object, g);
            EXPECT_EQ(r.baseVertex, 4 * g);
            EXPECT_EQ(r.type, kPrimitiveTriangleStrip);
            EXPECT_EQ(r.primitiveCount, 2u);
            EXPECT_EQ(object->GetIndex(4 * g + 3), 3u);
        }
    }
}

TEST_F(ShapeTest, GridCountsAndTextureRowsOnANonSquareGrid)
{
    C3DObject* object = NewObject();
    C3DShapeGridParams grid{4.0f, 8.0f, 2, 4, k3DShapeAxisY, 0, 0, 1.0f, 1.0f};
    ASSERT_EQ(object->ConstructShape(k3DShapeGrid, &grid), kStatusOk);
    EXPECT_EQ(object->GetVertexCount(), 15u);
    EXPECT_EQ(IndexCount(object), 48u);
    EXPECT_EQ(Group(object, 0).primitiveCount, 16u);
    // Row j has v = 1 - j / 4: the rows, not the columns, divide the height.
    for (uint32_t j = 0; j <= 4; ++j) {
        EXPECT_FLOAT_EQ(object->GetVertexUV0(j * 3 + 2).y, 1.0f - float(j) / 4.0f);
        EXPECT_FLOAT_EQ(object->GetVertexUV0(j * 3 + 2).x, 1.0f);
        ExpectNear(object->GetVertexPosition(j * 3), C3DVector3{-2.0f, 0.0f, 4.0f - 2.0f * j});
    }
    // The first cell: (c, a, a+1) then (c, c+1, a+1).
    const uint32_t first[6] = {3, 0, 1, 3, 4, 1};
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(object->GetIndex(i), first[i]);
}

TEST_F(ShapeTest, LinesAndPointsKeepTheirFaceModeAndCounts)
{
    C3DObject* object = NewObject(k3DFaceMode1);
    C3DShapeAxisCrossParams cross{5.0f, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    ASSERT_EQ(object->ConstructShape(k3DShapeAxisCross, &cross), kStatusOk);
    EXPECT_EQ(Group(object, 0).faceMode, 0xFFFFFFFFu);
    EXPECT_EQ(Group(object, 0).type, kPrimitiveLineList);
    EXPECT_EQ(Group(object, 0).primitiveCount, 3u);
    ExpectNear(object->GetVertexPosition(3), C3DVector3{0, 5, 0});
    EXPECT_EQ(object->GetVertexColor(5), 0xFF0000FFu);
    for (uint32_t v = 0; v < 6; ++v)
        ExpectNear(object->GetVertexNormal(v), C3DVector3{0, 0, 0});

    C3DShapePointSphereParams points{1.0f, 0, 0, 0};
    ASSERT_EQ(object->ConstructShape(k3DShapePointSphere, &points), kStatusOk);
    EXPECT_EQ(object->GetVertexCount(), 3u);
    EXPECT_EQ(Group(object, 0).primitiveCount, 1u);
    EXPECT_EQ(Group(object, 0).faceMode, kFaceModeClockwise);
    points.count = 97;
    ASSERT_EQ(object->ConstructShape(k3DShapePointSphere, &points), kStatusOk);
    for (uint32_t v = 0; v < 100; ++v) {
        const C3DVector3 p = object->GetVertexPosition(v);
        EXPECT_NEAR(p.x * p.x + p.y * p.y + p.z * p.z, 1.0f, 1e-4f);
    }
    EXPECT_FLOAT_EQ(object->GetVertexPosition(0).z, -1.0f);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(1).z, 0.0f);
}

TEST_F(ShapeTest, ConeTubeAndRings)
{
    C3DObject* object = NewObject();
    C3DShapeConeParams cone{6, 1.0f, 3.0f, 2.0f, 0xFFFFFFFFu, 0xFF000000u};
    ASSERT_EQ(object->ConstructShape(k3DShapeCone, &cone), kStatusOk);
    EXPECT_EQ(object->GetVertexCount(), 8u);
    EXPECT_EQ(Group(object, 0).faceMode, 0xFFFFFFFFu);
    ExpectNear(object->GetVertexPosition(0), C3DVector3{0, 0, -1});
    const C3DVector3 rim = object->GetVertexPosition(3);
    EXPECT_NEAR(std::hypot(rim.x, rim.y), 3.0f, 1e-5f);
    EXPECT_FLOAT_EQ(rim.z, 2.0f);

    C3DShapeTubeParams tube{2.0f, 4.0f, 2.0f, 7, 2, k3DShapeAxisZ, 0, 0, 0, 1.0f, 1.0f};
    ASSERT_EQ(object->ConstructShape(k3DShapeTube, &tube), kStatusOk);
    EXPECT_EQ(tube.one, 1u);
    EXPECT_EQ(tube.segments, 3u);
    EXPECT_EQ(object->GetVertexCount(), 6u);
    EXPECT_EQ(Group(object, 0).primitiveCount, 4u);
    ExpectNear(object->GetVertexPosition(4), object->GetVertexPosition(0), 1e-5f);
    ExpectNear(object->GetVertexPosition(1), C3DVector3{0, -1, 2});

    // Rings along x: each ring stands in a plane x = its height, not on a line.
    C3DShapeRingsParams rings{4.0f, 8, 2.0f, 0.5f, 3, k3DShapeAxisX, 0, 0};
    ASSERT_EQ(object->ConstructShape(k3DShapeRings, &rings), kStatusOk);
    EXPECT_EQ(object->GetVertexCount(), 33u);
    EXPECT_EQ(IndexCount(object), 3u * 8u * 5u);
    EXPECT_EQ(Group(object, 0).primitiveCount, 40u);
    const C3DVector3 a = object->GetVertexPosition(9), b = object->GetVertexPosition(11);
    EXPECT_FLOAT_EQ(a.x, 1.0f); // H - H q
    EXPECT_FLOAT_EQ(b.x, 1.0f);
    EXPECT_GT(std::fabs(a.y - b.y) + std::fabs(a.z - b.z), 0.5f);
    EXPECT_NEAR(std::hypot(a.y, a.z), (4.0f / 3 + (4.0f - 4.0f / 3) * 0.5f) / 2, 1e-5f);
    for (uint32_t i = 0; i < IndexCount(object); ++i)
        EXPECT_LT(object->GetIndex(i), 25u);
}

TEST_F(ShapeTest, ReliefIsRepeatableAndItsSeamsShareNormals)
{
    C3DObject* object = NewObject();
    C3DShapeReliefParams relief{8.0f, 4, 0.0f, 1.0f, 0, 0, 0, 1.0f, 1.0f};
    UtilsRandom_Seed(world.data.get(), 1234);
    ASSERT_EQ(object->ConstructShape(k3DShapeRelief, &relief), kStatusOk);
    ASSERT_EQ(object->GetVertexCount(), 25u);
    EXPECT_EQ(IndexCount(object), 96u);
    EXPECT_EQ(Group(object, 0).primitiveCount, 32u);
    ExpectNear(object->GetVertexPosition(7), C3DVector3{0.0f, object->GetVertexPosition(7).y, -2.0f});
    for (uint32_t i = 0; i <= 4; ++i) {
        ExpectNear(object->GetVertexNormal(i), object->GetVertexNormal(20 + i));
        ExpectNear(object->GetVertexNormal(i * 5), object->GetVertexNormal(i * 5 + 4));
    }
    for (uint32_t v = 0; v < 25; ++v) {
        const C3DVector3 n = object->GetVertexNormal(v);
        EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-4f) << v;
    }
    // The same seed gives the same relief; the first and last rows and columns have the same
    // heights (the corner, written last from the last column, aside).
    std::vector<float> heights;
    for (uint32_t v = 0; v < 25; ++v)
        heights.push_back(object->GetVertexPosition(v).y);
    for (uint32_t j = 1; j <= 4; ++j) {
        EXPECT_FLOAT_EQ(heights[j], heights[20 + j]) << j;
        EXPECT_FLOAT_EQ(heights[j * 5], heights[j * 5 + 4]) << j;
    }
    UtilsRandom_Seed(world.data.get(), 1234);
    ASSERT_EQ(object->ConstructShape(k3DShapeRelief, &relief), kStatusOk);
    for (uint32_t v = 0; v < 25; ++v)
        EXPECT_FLOAT_EQ(object->GetVertexPosition(v).y, heights[v]);
}

TEST_F(ShapeTest, RefusedShapesLeaveTheObjectAsItWas)
{
    C3DObject* object = NewObject();
    C3DShapeBoxParams box{1.0f, 1.0f, 1.0f, 0, 0, 0, 0.0f, 1.0f};
    ASSERT_EQ(object->ConstructShape(k3DShapeBox, &box), kStatusOk);
    object->SetFlags(object->GetFlags() | k3DObjectSmoothNormalsPending);

    C3DShapeGridParams noCells{1.0f, 1.0f, 0, 3, 0, 0, 0, 1.0f, 1.0f};
    C3DShapeGridParams huge{1.0f, 1.0f, 0x10000u, 0x10000u, 0, 0, 0, 1.0f, 1.0f};
    C3DShapeDiscParams wideDisc{1.0f, 0x60000000u, 0.0f, 0, 0, 0, 0, 1.0f, 1.0f};
    C3DShapeRingsParams noRings{1.0f, 8, 1.0f, 0.5f, 0, 0, 0, 0};
    C3DShapeReliefParams noRelief{1.0f, 0, 0.0f, 1.0f, 0, 0, 0, 1.0f, 1.0f};
    const struct {
        uint32_t kind;
        void* parameters;
    } refused[] = {{12, &box},           {k3DShapeGrid, &noCells},     {k3DShapeGrid, &huge},
                   {k3DShapeDiscList, &wideDisc}, {k3DShapeRings, &noRings}, {k3DShapeRelief, &noRelief}};
    for (const auto& c : refused) {
        EXPECT_EQ(object->ConstructShape(c.kind, c.parameters), kStatusFailed) << c.kind;
        EXPECT_EQ(object->GetVertexCount(), 24u);
        EXPECT_EQ(object->GetGroupCount(), 6u);
        EXPECT_TRUE(object->GetFlags() & k3DObjectSmoothNormalsPending);
    }

    // Every kind reports a failed Create, the open shapes too.
    world.engine->faults.objectCreate = true;
    C3DShapeAxisCrossParams cross{1.0f, 0, 0, 0};
    C3DShapeConeParams cone{4, 1.0f, 1.0f, 0.5f, 0, 0};
    C3DShapeTubeParams tube{1.0f, 1.0f, 1.0f, 0, 8, 0, 0, 0, 0, 1.0f, 1.0f};
    EXPECT_EQ(object->ConstructShape(k3DShapeAxisCross, &cross), kStatusFailed);
    EXPECT_EQ(object->ConstructShape(k3DShapeCone, &cone), kStatusFailed);
    EXPECT_EQ(object->ConstructShape(k3DShapeTube, &tube), kStatusFailed);
    EXPECT_EQ(object->ConstructShape(k3DShapeBox, &box), kStatusFailed);
}

} // namespace
