// Silhouettes and shadow volumes of the stencil shadow's casters.
#include <gtest/gtest.h>

#include <cfloat>
#include <set>
#include <utility>
#include <vector>

#include "MemoryBackEnd.h"

namespace {

std::vector<std::pair<uint32_t, uint32_t>> Pairs(const C3DEdge* edges, uint32_t count)
{
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (uint32_t k = 0; k < count; ++k)
        pairs.emplace_back(edges[k].a, edges[k].b);
    return pairs;
}

TEST(ToggleEdge, AppendsNewEdgesAndRemovesThemWhicheverWayRound)
{
    C3DEdge edges[4] = {};
    uint32_t count = 0;
    EXPECT_EQ(C3DStencilShadow::ToggleEdge(edges, &count, 1, 2), 1u);
    EXPECT_EQ(Pairs(edges, count), (std::vector<std::pair<uint32_t, uint32_t>>{{1, 2}}));
    EXPECT_EQ(C3DStencilShadow::ToggleEdge(edges, &count, 2, 1), 0u);
    EXPECT_EQ(count, 0u);

    for (auto [a, b] : {std::pair<uint32_t, uint32_t>{1, 2}, {3, 4}, {5, 6}})
        C3DStencilShadow::ToggleEdge(edges, &count, a, b);
    EXPECT_EQ(C3DStencilShadow::ToggleEdge(edges, &count, 1, 2), 2u);
    EXPECT_EQ(Pairs(edges, count), (std::vector<std::pair<uint32_t, uint32_t>>{{5, 6}, {3, 4}}));
    // Vertex numbers past 16 bits stay whole.
    EXPECT_EQ(C3DStencilShadow::ToggleEdge(edges, &count, 70000, 3), 3u);
    EXPECT_EQ(edges[2].a, 70000u);
    EXPECT_EQ(C3DStencilShadow::ToggleEdge(edges, &count, 3, 70000), 2u);
}

struct Vertex {
    float x, y, z;
};

class ShadowVolumeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_world.data->light1.x = 0.0f;
        m_world.data->light1.y = 0.0f;
        m_world.data->light1.z = 1.0f;
        m_shadow = m_world.engine->CreateStencilShadow(2, 0x80000000u);
        ASSERT_NE(m_shadow, nullptr);
        m_object = m_world.engine->CreateObject(k3DObjectNormals, 0);
        ASSERT_NE(m_object, nullptr);
    }

    void TearDown() override
    {
        if (m_shadow)
            m_world.engine->ReleaseStencilShadow(m_shadow);
    }

    // One group of the type over the vertices and indices.
    void Build(const std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices,
               uint32_t type = kPrimitiveTriangleList, uint32_t vertexCount = 0)
    {
        const uint32_t n = vertexCount ? vertexCount : uint32_t(vertices.size());
        ASSERT_EQ(m_object->Create(1, n, uint32_t(indices.size())), kStatusOk);
        m_object->Lock(0, 2);
        for (uint32_t i = 0; i < vertices.size(); ++i)
            m_object->SetVertexPosition(i, vertices[i].x, vertices[i].y, vertices[i].z);
        for (uint32_t i = 0; i < indices.size(); ++i)
            m_object->SetIndex(i, indices[i]);
        const uint32_t primitives = type == kPrimitiveTriangleList ? uint32_t(indices.size() / 3)
                                                                   : uint32_t(indices.size() - 2);
        m_object->SetGroup(0, 0, n, 0, uint32_t(indices.size()), primitives, type, kFaceModeClockwise, 0xFFFFFFFFu);
        m_object->Unlock(0);
    }

    // The 8-vertex cube of side 2 around the origin, every face wound counter-clockwise seen
    // from outside.
    void BuildCube()
    {
        std::vector<Vertex> corners;
        for (uint32_t i = 0; i < 8; ++i)
            corners.push_back({(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f});
        Build(corners, {4, 5, 7, 4, 7, 6, 0, 2, 3, 0, 3, 1, 1, 3, 7, 1, 7, 5,
                        0, 4, 6, 0, 6, 2, 2, 6, 7, 2, 7, 3, 0, 1, 5, 0, 5, 4});
    }

    C3DShadowCaster& Cast(const float* upper = nullptr, const float* lower = nullptr, float* matrix = nullptr)
    {
        const float noUpper[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, noLower[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        EXPECT_EQ(m_shadow->SetCaster(0, m_object, matrix ? matrix : m_object->GetMatrix(),
                                      upper ? upper : noUpper, lower ? lower : noLower),
                  kStatusOk);
        m_shadow->BuildShadowVolume(0);
        return *m_shadow->GetCaster(0);
    }

    static Vertex At(const float* array, uint32_t i) { return {array[3 * i], array[3 * i + 1], array[3 * i + 2]}; }

    CMemoryWorld m_world;
    C3DStencilShadow* m_shadow = nullptr;
    C3DObject* m_object = nullptr;
};

TEST_F(ShadowVolumeTest, ACubeLitAlongAnAxisCastsTheRimOfItsLitFace)
{
    BuildCube();
    const C3DShadowCaster& caster = Cast();
    ASSERT_EQ(caster.sideCount, 24u);
    ASSERT_EQ(caster.capCount, 24u);
    // Side walls (P0, P1, P0'), (P1, P1', P0'): the rim at z = 1, pushed 10 away from the light.
    std::set<std::pair<float, float>> rim;
    for (uint32_t e = 0; e < 4; ++e) {
        const Vertex p0 = At(caster.pSides, 6 * e), p1 = At(caster.pSides, 6 * e + 1);
        const Vertex q0 = At(caster.pSides, 6 * e + 2), q1 = At(caster.pSides, 6 * e + 4);
        EXPECT_EQ(p0.z, 1.0f);
        EXPECT_EQ(p1.z, 1.0f);
        EXPECT_EQ(q0.z, -9.0f);
        EXPECT_EQ(q1.z, -9.0f);
        EXPECT_EQ(q0.x, p0.x);
        EXPECT_EQ(q1.y, p1.y);
        EXPECT_EQ(At(caster.pSides, 6 * e + 3).x, p1.x);
        EXPECT_EQ(At(caster.pSides, 6 * e + 5).z, -9.0f);
        rim.insert({p0.x, p0.y});
        // Caps (A, P0, P1) and (B, P0', P1') around the rims' centres.
        const Vertex a = At(caster.pCaps, 6 * e), b = At(caster.pCaps, 6 * e + 3);
        EXPECT_EQ(a.x, 0.0f);
        EXPECT_EQ(a.y, 0.0f);
        EXPECT_EQ(a.z, 1.0f);
        EXPECT_EQ(b.z, -9.0f);
        EXPECT_EQ(At(caster.pCaps, 6 * e + 1).x, p0.x);
        EXPECT_EQ(At(caster.pCaps, 6 * e + 5).y, q1.y);
    }
    EXPECT_EQ(rim.size(), 4u); // the four corners of the lit face
}

TEST_F(ShadowVolumeTest, TheCastersMatrixAndClampingBoxPlaceTheVolume)
{
    BuildCube();
    float matrix[16];
    m_world.math->SetIdentity(matrix);
    matrix[12] = 10.0f; // moved along x
    const float upper[3] = {10.5f, 100.0f, 100.0f}, lower[3] = {-100.0f, -100.0f, -5.0f};
    const C3DShadowCaster& caster = Cast(upper, lower, matrix);
    ASSERT_EQ(caster.sideCount, 24u);
    EXPECT_EQ(m_object->GetMatrix(), matrix); // the caster's matrix is now the object's
    float nearCentreZ = 0.0f;
    for (uint32_t v = 0; v < caster.sideCount; ++v) {
        const Vertex p = At(caster.pSides, v);
        EXPECT_TRUE(p.x == 9.0f || p.x == 10.5f) << p.x; // 11 clamped to the box
        EXPECT_TRUE(p.z == 1.0f || p.z == -5.0f) << p.z; // -9 clamped
    }
    for (uint32_t e = 0; e < 4; ++e) {
        const Vertex b = At(caster.pCaps, 6 * e + 3);
        EXPECT_EQ(b.z, -5.0f); // the far centre of the clamped points
        EXPECT_FLOAT_EQ(b.x, 9.75f);
        nearCentreZ = At(caster.pCaps, 6 * e).z;
    }
    EXPECT_EQ(nearCentreZ, 1.0f);
}

TEST_F(ShadowVolumeTest, TheDefaultBoxClampsNothing)
{
    m_world.data->light1.z = 1.0e37f;
    BuildCube();
    const C3DShadowCaster& caster = Cast();
    ASSERT_EQ(caster.sideCount, 24u);
    EXPECT_EQ(At(caster.pSides, 2).z, 1.0f - 10.0f * 1.0e37f);
}

TEST_F(ShadowVolumeTest, FacingFollowsTheWindingAndEdgeOnCountsAsFacing)
{
    struct Case {
        const char* what;
        std::vector<Vertex> vertices;
        float lightZ;
        uint32_t sides;
    } cases[] = {
        // Normal (0, 0, 1) by (p1 - p0) x (p2 - p0): away from the light's side.
        {"turned to +z, light at -z", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, -1.0f, 18},
        {"turned to +z, light at +z", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 1.0f, 0},
        {"edge-on", {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, 1.0f, 18},
    };
    for (const Case& c : cases) {
        m_world.data->light1.z = c.lightZ;
        Build(c.vertices, {0, 1, 2});
        EXPECT_EQ(Cast().sideCount, c.sides) << c.what;
        EXPECT_EQ(m_shadow->GetCaster(0)->capCount, c.sides) << c.what;
    }
}

TEST_F(ShadowVolumeTest, FansGiveTheirRimsAndStripsNothing)
{
    m_world.data->light1.z = -1.0f;
    const std::vector<Vertex> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    // Fan (0, 1, 2), (0, 2, 3): only the rim edges (1, 2) and (2, 3) are toggled.
    Build(square, {0, 1, 2, 3}, kPrimitiveTriangleFan);
    const C3DShadowCaster& fan = Cast();
    ASSERT_EQ(fan.sideCount, 12u);
    EXPECT_EQ(At(fan.pSides, 0).x, 1.0f);
    EXPECT_EQ(At(fan.pSides, 0).y, 0.0f);
    EXPECT_EQ(At(fan.pSides, 1).y, 1.0f);

    for (uint32_t type : {uint32_t(kPrimitiveTriangleStrip), uint32_t(kPrimitiveLineList)}) {
        Build(square, {0, 1, 3, 2}, type);
        const C3DShadowCaster& none = Cast();
        EXPECT_EQ(none.sideCount, 0u) << type;
        EXPECT_EQ(none.capCount, 0u) << type;
    }
}

TEST_F(ShadowVolumeTest, VertexNumbersPastSixteenBitsReachTheirVertices)
{
    m_world.data->light1.z = -1.0f;
    Build({{0, 0, 0}}, {0, 0, 0}); // arrays made for a small object
    const float upper[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, lower[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    m_shadow->SetCaster(0, m_object, m_object->GetMatrix(), upper, lower);

    // The model grows past 65536 vertices; its triangle uses the last ones.
    std::vector<Vertex> vertices(70001, Vertex{0, 0, 0});
    vertices[69999] = {3, 0, 0};
    vertices[70000] = {0, 3, 0};
    Build(vertices, {0, 69999, 70000});
    m_shadow->BuildShadowVolume(0);
    const C3DShadowCaster& caster = *m_shadow->GetCaster(0);
    ASSERT_EQ(caster.sideCount, 18u);
    std::set<std::pair<float, float>> near;
    for (uint32_t e = 0; e < 3; ++e)
        near.insert({At(caster.pSides, 6 * e).x, At(caster.pSides, 6 * e).y});
    EXPECT_EQ(near, (std::set<std::pair<float, float>>{{0, 0}, {3, 0}, {0, 3}}));
}

TEST_F(ShadowVolumeTest, ASilhouettePastTheArraysIsCutThere)
{
    m_world.data->light1.z = -1.0f;
    Build({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    const float upper[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, lower[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    m_shadow->SetCaster(0, m_object, m_object->GetMatrix(), upper, lower);
    const uint32_t capacity = m_shadow->GetCaster(0)->capacity;
    ASSERT_EQ(capacity, 600u); // 100 edges

    // Reloaded as 40 separate triangles: 120 silhouette edges.
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;
    for (uint32_t t = 0; t < 40; ++t) {
        const float x = float(t) * 2.0f;
        for (Vertex v : {Vertex{x, 0, 0}, Vertex{x + 1, 0, 0}, Vertex{x, 1, 0}}) {
            indices.push_back(uint32_t(vertices.size()));
            vertices.push_back(v);
        }
    }
    Build(vertices, indices);
    m_shadow->BuildShadowVolume(0);
    EXPECT_EQ(m_shadow->GetCaster(0)->sideCount, capacity);
    EXPECT_EQ(m_shadow->GetCaster(0)->capCount, capacity);
}

TEST_F(ShadowVolumeTest, CastersOutsideTheTableAreIgnored)
{
    BuildCube();
    Cast();
    m_shadow->BuildShadowVolume(2);
    m_shadow->BuildShadowVolume(0xFFFFFFFFu);
    m_shadow->Draw(7);
    EXPECT_EQ(m_shadow->GetCaster(0)->sideCount, 24u);
    // A caster without an object keeps what it had.
    m_shadow->GetCaster(1)->sideCount = 6;
    m_shadow->BuildShadowVolume(1);
    EXPECT_EQ(m_shadow->GetCaster(1)->sideCount, 6u);
}

} // namespace
