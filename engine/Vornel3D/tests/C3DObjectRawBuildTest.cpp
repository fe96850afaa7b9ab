// A raw model assembled group by group, groups copied from another model, and the boxes.
#include <gtest/gtest.h>

#include <cfloat>
#include <memory>

#include "ModelTestData.h"
#include "VornelUtils/WorldData.h"

namespace {

class RawBuildTest : public ::testing::Test {
protected:
    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
};

TEST_F(RawBuildTest, AddGroupsAddVertexAndBuildGroupsLayTheGroupsOut)
{
    C3DObjectRaw raw(world.get());
    EXPECT_EQ(raw.AddGroups(0, 1, 0, 0, 0, 0, "x"), kStatusOk);
    EXPECT_EQ(raw.GetRecord(), nullptr); // count 0 changes nothing
    ASSERT_EQ(raw.AddGroups(1, kPrimitiveTriangleStrip, 1, 4, 5, 6, "strip"), kStatusOk);
    ASSERT_EQ(raw.AddGroups(2, kPrimitiveTriangleList, 2, 0, 0, 0, ""), kStatusOk);
    const C3DModelRecord* r = raw.GetRecord();
    ASSERT_EQ(r->groupCount, 3u);
    EXPECT_STREQ(r->groupNames[0], "strip");
    EXPECT_EQ(r->groupNames[1], nullptr); // an empty name is none
    EXPECT_EQ(r->triples[0][2], 6u);
    EXPECT_EQ(r->groups[2].faceMode, 2u);
    EXPECT_EQ(r->groups[1].link, kGroupLinkUnset);
    EXPECT_EQ(std::memcmp(&r->materials[2], &k3DDefaultMaterial, sizeof(C3DMaterial)), 0);

    // Vertices arrive group by group; many, so the arrays grow several times.
    for (uint32_t v = 0; v < 4; ++v)
        ASSERT_EQ(raw.AddVertex(0, float(v), 0, 0, v, 0, 0, 0, 0, 1, 0), kStatusOk);
    for (uint32_t v = 0; v < 300; ++v)
        ASSERT_EQ(raw.AddVertex(2, 0, float(v), 0, 0xFF000000u | v, 0, 0, 0, 0, 1, 0), kStatusOk);
    EXPECT_EQ(raw.AddVertex(3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), kStatusFailed);
    EXPECT_EQ(r->vertexCount, 304u);
    EXPECT_EQ(r->indexCount, 304u);
    EXPECT_EQ(r->groups[2].vertexCount, 300u);
    EXPECT_EQ(r->groups[2].indexCount, 300u);

    ASSERT_EQ(raw.BuildGroups(), kStatusOk);
    r = raw.GetRecord();
    EXPECT_EQ(r->groups[0].primitiveCount, 2u);   // strip of 4
    EXPECT_EQ(r->groups[1].primitiveCount, 0u);
    EXPECT_EQ(r->groups[2].primitiveCount, 100u); // list of 300
    EXPECT_EQ(r->groups[2].id, 2u);
    EXPECT_EQ(r->groups[2].firstIndex, 4u);
    EXPECT_EQ(r->groups[2].baseVertex, 4u);
    EXPECT_EQ(r->indices[3], 3u);
    EXPECT_EQ(r->indices[4], 0u);
    EXPECT_EQ(r->indices[303], 299u);
    EXPECT_EQ(r->diffuse[303], 0xFF000000u | 299);

    // The assembled model is a model like any other: it writes and reads back.
    C3DObjectRaw back(world.get());
    ASSERT_EQ(modeltest::Read(back, modeltest::Write(raw, k3dxPosition | k3dxDiffuse)), kStatusOk);
    EXPECT_EQ(back.GetRecord()->indices[303], 299u);
}

TEST_F(RawBuildTest, AppendGroupFromCopiesTheVerticesTheIndicesName)
{
    C3DObjectRaw source(world.get());
    ASSERT_EQ(source.Create(2, 6, 6), kStatusOk);
    C3DModelRecord* s = source.GetRecord();
    for (uint32_t v = 0; v < 6; ++v) {
        s->positions[v] = C3DVector3{float(v), 0, 0};
        s->diffuse[v] = 0xFF000000u | v;
    }
    // Group 1: base vertex 3, indices in another order than the vertices.
    const uint32_t indices[6] = {0, 1, 2, 2, 0, 1};
    std::memcpy(s->indices, indices, sizeof indices);
    s->groups[1] = C3DGroupRecord{1, kGroupLinkUnset, 3, 3, 3, 3, 1, kPrimitiveTriangleList, 1};
    ASSERT_EQ(source.SetGroupTexture(1, "leaf.png", 1, 0x52), kStatusOk);

    C3DObjectRaw copy(world.get());
    ASSERT_EQ(copy.AppendGroupFrom(1, &source), kStatusOk);
    ASSERT_EQ(copy.BuildGroups(), kStatusOk);
    const C3DModelRecord* r = copy.GetRecord();
    EXPECT_EQ(r->vertexCount, 3u);
    EXPECT_EQ(r->positions[0].x, 5.0f); // index 2 + base vertex 3
    EXPECT_EQ(r->positions[1].x, 3.0f);
    EXPECT_EQ(r->diffuse[2], 0xFF000004u);
    EXPECT_EQ(r->groups[0].faceMode, 1u);
    EXPECT_STREQ(r->textureNames[0], "leaf.png");
    EXPECT_EQ(r->textureFlags[0], 0x52u);

    EXPECT_EQ(copy.AppendGroupFrom(2, &source), kStatusFailed);
    s->indices[5] = 3; // 3 + 3 lies past the vertices
    EXPECT_EQ(copy.AppendGroupFrom(1, &source), kStatusFailed);
}

TEST_F(RawBuildTest, BoxesOverVerticesAndOverAGroupsIndices)
{
    C3DObjectRaw raw(world.get());
    C3DVector3 min, max;
    raw.GetBoundingBox(&min, &max);
    EXPECT_EQ(min.x, FLT_MAX);
    EXPECT_EQ(max.y, FLT_MIN);
    ASSERT_EQ(raw.Create(2, 4, 4), kStatusOk);
    C3DModelRecord* r = raw.GetRecord();
    const C3DVector3 points[4] = {{-1, 2, 3}, {4, -5, 6}, {-7, -8, -9}, {0, 0, 10}};
    std::memcpy(r->positions, points, sizeof points);
    const uint32_t indices[4] = {0, 1, 0, 1};
    std::memcpy(r->indices, indices, sizeof indices);
    r->groups[0] = C3DGroupRecord{1, kGroupLinkUnset, 0, 2, 0, 2, 1, kPrimitiveLineList, 0};
    r->groups[1] = C3DGroupRecord{1, kGroupLinkUnset, 2, 2, 2, 2, 1, kPrimitiveLineList, 0};
    raw.GetBoundingBox(&min, &max);
    EXPECT_EQ(min.x, -7.0f);
    EXPECT_EQ(min.y, -8.0f);
    EXPECT_EQ(max.z, 10.0f);
    // Record 0's id names group 1: vertices 2 and 3. All negative on x: max is no FLT_MIN.
    raw.GetGroupBoundingBox(0, &min, &max);
    EXPECT_EQ(min.x, -7.0f);
    EXPECT_EQ(max.x, 0.0f);
    EXPECT_EQ(min.z, -9.0f);
    raw.GetGroupBoundingBox(5, &min, &max);
    EXPECT_EQ(min.x, FLT_MAX);
}

} // namespace
