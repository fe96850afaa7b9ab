// Stencil shadows: a box between the camera and a wall, lit from the camera's left, throws its
// shadow on the wall; every pixel is checked against the shadow worked out by rays, the
// shadowed wall multiplied by the shadow colour.
#include "DX9TestSupport.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DStencilShadow.h"
#include "Vornel3D_DX9/C3DStencilShadowDX90.h"
#include "VornelUtils/UtilsParameters_Static.h"

namespace {

constexpr int kWidth = 128, kHeight = 96;
const Rgb kWall{64, 128, 192};
const Rgb kBox{200, 200, 200};

// The box x, y in [-100, 100], z in [500, 600]; the wall at z = 1000.
constexpr float kBoxMin[3] = {-100, -100, 500}, kBoxMax[3] = {100, 100, 600};
constexpr float kWallZ = 1000.0f;
// Lights towards these points: the shadow falls to the right of the box, or above it.
constexpr float kLightLeft[3] = {-50.0f, 0.0f, -100.0f};
constexpr float kLightBelow[3] = {0.0f, -50.0f, -100.0f};

bool HitsBox(const float origin[3], const float direction[3])
{
    float nearT = 0.0f, farT = FLT_MAX;
    for (int k = 0; k < 3; ++k) {
        if (direction[k] == 0.0f) {
            if (origin[k] < kBoxMin[k] || origin[k] > kBoxMax[k])
                return false;
            continue;
        }
        float t0 = (kBoxMin[k] - origin[k]) / direction[k], t1 = (kBoxMax[k] - origin[k]) / direction[k];
        if (t0 > t1)
            std::swap(t0, t1);
        nearT = std::max(nearT, t0);
        farT = std::min(farT, t1);
    }
    return nearT <= farT;
}

enum class Seen { Box, Shadow, Wall };

// What the camera (at the origin, looking along +z, 45 degrees high) sees at a point of the
// window given from its top left edge.
Seen SeenAt(float x, float y, const float light[3])
{
    const float focal = float(kHeight / 2) / std::tan(22.5f * 3.14159265f / 180.0f);
    const float origin[3] = {0, 0, 0};
    const float direction[3] = {(x - kWidth / 2) / focal, (kHeight / 2 - y) / focal, 1.0f};
    if (HitsBox(origin, direction))
        return Seen::Box;
    const float onWall[3] = {direction[0] * kWallZ, direction[1] * kWallZ, kWallZ};
    return HitsBox(onWall, light) ? Seen::Shadow : Seen::Wall;
}

Rgb Multiplied(const Rgb& c, uint32_t color)
{
    auto channel = [](uint8_t v, uint32_t f) { return uint8_t(std::lround(v * float(f & 0xFF) / 255.0f)); };
    return Rgb{channel(c.r, color >> 16), channel(c.g, color >> 8), channel(c.b, color)};
}

bool Near(const Rgb& a, const Rgb& b)
{
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

class DX9StencilShadowTest : public DX9EngineTest {
protected:
    void SetUp() override
    {
        Open(kWidth, kHeight);
        if (!m_engine)
            return;
        SetLight(kLightLeft);
        m_world->colorClear = 0xFF000000u;
        m_wall = Mesh({{-2000, -2000, kWallZ}, {2000, -2000, kWallZ}, {2000, 2000, kWallZ}, {-2000, 2000, kWallZ}},
                      {0, 1, 2, 0, 2, 3}, 0xFF4080C0u);
        // Every face clockwise seen from outside, Direct3D's front: the volume's faces turn
        // the same way, so that those facing the camera count up and the others down.
        std::vector<std::array<float, 3>> corners;
        for (uint32_t i = 0; i < 8; ++i)
            corners.push_back({(i & 1) ? kBoxMax[0] : kBoxMin[0], (i & 2) ? kBoxMax[1] : kBoxMin[1],
                               (i & 4) ? kBoxMax[2] : kBoxMin[2]});
        m_box = Mesh(corners, {4, 7, 5, 4, 6, 7, 0, 3, 2, 0, 1, 3, 1, 7, 3, 1, 5, 7,
                               0, 6, 4, 0, 2, 6, 2, 7, 6, 2, 3, 7, 0, 5, 1, 0, 4, 5},
                     0xFFC8C8C8u);
    }

    void SetLight(const float light[3])
    {
        m_world->light1.x = light[0];
        m_world->light1.y = light[1];
        m_world->light1.z = light[2];
    }

    // One triangle-list group in one colour, depth tested and written, drawn from both sides.
    C3DObject* Mesh(const std::vector<std::array<float, 3>>& vertices, const std::vector<uint32_t>& indices,
                    uint32_t color)
    {
        C3DObject* mesh = m_engine->CreateObject(k3DObjectNormals, k3DDrawDepthTest | k3DDrawDepthWrite);
        EXPECT_NE(mesh, nullptr);
        if (!mesh)
            return nullptr;
        EXPECT_EQ(mesh->Create(1, uint32_t(vertices.size()), uint32_t(indices.size())), 0);
        mesh->Lock(0, 2);
        for (uint32_t i = 0; i < vertices.size(); ++i)
            mesh->SetVertex(i, vertices[i][0], vertices[i][1], vertices[i][2], color, 0, 0, 0, 0, 0, 0);
        for (uint32_t i = 0; i < indices.size(); ++i)
            mesh->SetIndex(i, indices[i]);
        mesh->SetGroup(0, 0, uint32_t(vertices.size()), 0, uint32_t(indices.size()), uint32_t(indices.size() / 3),
                       kPrimitiveTriangleList, kFaceModeBoth, 0xFFFFFFFFu);
        mesh->Unlock(1);
        return mesh;
    }

    // A shadow of `count` casters, each the box seen from the world's light at that moment.
    C3DStencilShadow* Shadow(uint32_t color, uint32_t count = 1)
    {
        C3DStencilShadow* shadow = m_engine->CreateStencilShadow(count, color);
        EXPECT_NE(shadow, nullptr);
        if (!shadow)
            return nullptr;
        for (uint32_t i = 0; i < count; ++i)
            AddCaster(shadow, i);
        return shadow;
    }

    void AddCaster(C3DStencilShadow* shadow, uint32_t i)
    {
        const float upper[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, lower[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        EXPECT_EQ(shadow->SetCaster(i, m_box, m_box->GetMatrix(), upper, lower), 0);
        shadow->BuildShadowVolume(i);
        EXPECT_GT(shadow->GetCaster(i)->sideCount, 0u);
    }

    std::vector<Rgb> DrawScene(C3DStencilShadow* shadow, std::initializer_list<uint32_t> casters = {0})
    {
        EXPECT_EQ(m_engine->BeginScene(), 0);
        m_wall->Draw();
        m_box->Draw();
        if (shadow)
            for (uint32_t caster : casters)
                shadow->Draw(caster);
        std::vector<Rgb> picture;
        for (uint32_t word : Frame())
            picture.push_back(Split(word));
        m_engine->EndScene();
        EXPECT_EQ(picture.size(), size_t(kWidth) * kHeight);
        return picture;
    }

    // Every pixel whose neighbours see the same as it does must have the colour expected.
    static void ExpectPicture(const std::vector<Rgb>& picture, const Rgb& shadowColor, const float light[3])
    {
        ASSERT_EQ(picture.size(), size_t(kWidth) * kHeight);
        int shadowPixels = 0, mismatches = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const float cx = float(x), cy = float(y); // Direct3D's pixel centres
                const Seen seen = SeenAt(cx, cy, light);
                if (SeenAt(cx - 1, cy, light) != seen || SeenAt(cx + 1, cy, light) != seen ||
                    SeenAt(cx, cy - 1, light) != seen || SeenAt(cx, cy + 1, light) != seen)
                    continue; // an edge
                const Rgb expected = seen == Seen::Box ? kBox : seen == Seen::Wall ? kWall : shadowColor;
                shadowPixels += seen == Seen::Shadow;
                const Rgb& got = picture[size_t(y) * kWidth + x];
                if (!Near(got, expected) && mismatches++ < 5)
                    ADD_FAILURE() << "pixel " << x << ", " << y << ": " << got << " for " << expected;
            }
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(shadowPixels, 100); // the scene shows a shadow worth testing
    }

    C3DObject* m_wall = nullptr;
    C3DObject* m_box = nullptr;
};

// The shadow colour multiplies the frame channel by channel; its alpha plays no part.
TEST_F(DX9StencilShadowTest, AShadowMultipliesExactlyThePixelsBehindItsCasterByItsColour)
{
    for (uint32_t color : {0x80808080u, 0xFF804020u, 0x00000000u}) {
        SCOPED_TRACE(color);
        C3DStencilShadow* shadow = Shadow(color);
        ASSERT_NE(static_cast<C3DStencilShadowDX90*>(shadow)->GetQuadBuffer(), nullptr);
        ExpectPicture(DrawScene(shadow), Multiplied(kWall, color), kLightLeft);
        DWORD value = 0;
        Device()->GetRenderState(D3DRS_STENCILENABLE, &value);
        EXPECT_EQ(value, DWORD(FALSE));
        Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
        EXPECT_EQ(value, DWORD(FALSE));
        Device()->GetRenderState(D3DRS_ZENABLE, &value);
        EXPECT_NE(value, DWORD(FALSE)); // the depth test stays on
        Device()->GetRenderState(D3DRS_ALPHAFUNC, &value);
        EXPECT_EQ(value, DWORD(D3DCMP_GREATER));
        Device()->GetRenderState(D3DRS_ALPHAREF, &value);
        EXPECT_EQ(value, DWORD(1));
        EXPECT_EQ(m_engine->ReleaseStencilShadow(shadow), 0);
    }
}

TEST_F(DX9StencilShadowTest, NothingIsDrawnForAnEmptySideWallListOrACasterOutsideTheTable)
{
    C3DStencilShadow* shadow = Shadow(0x00000000u);
    const std::vector<Rgb> plain = DrawScene(nullptr);
    EXPECT_TRUE(DrawScene(shadow, {1, 7}) == plain);
    // Caps alone cast nothing.
    C3DShadowCaster* caster = shadow->GetCaster(0);
    ASSERT_GT(caster->capCount, 0u);
    caster->sideCount = 0;
    EXPECT_TRUE(DrawScene(shadow) == plain);
}

// The counts of one caster are cleared before the next: each caster's shadow is darkened once,
// and where two shadows overlap the wall is darkened by both.
TEST_F(DX9StencilShadowTest, EachCasterDarkensItsOwnShadowOnce)
{
    C3DStencilShadow* shadow = m_engine->CreateStencilShadow(2, 0x80808080u);
    ASSERT_NE(shadow, nullptr);
    AddCaster(shadow, 0);
    SetLight(kLightBelow);
    AddCaster(shadow, 1);
    const std::vector<Rgb> plain = DrawScene(nullptr);
    const std::vector<Rgb> first = DrawScene(shadow, {0});
    const std::vector<Rgb> second = DrawScene(shadow, {1});
    ExpectPicture(second, Multiplied(kWall, 0x80808080u), kLightBelow);
    const std::vector<Rgb> both = DrawScene(shadow, {0, 1});
    int mismatches = 0;
    for (size_t p = 0; p < plain.size(); ++p) {
        const bool inFirst = !(first[p] == plain[p]), inSecond = !(second[p] == plain[p]);
        Rgb expected = plain[p];
        if (inFirst && inSecond)
            expected = Multiplied(first[p], 0x80808080u);
        else if (inFirst)
            expected = first[p];
        else if (inSecond)
            expected = second[p];
        if (!Near(both[p], expected) && mismatches++ < 5)
            ADD_FAILURE() << "pixel " << p % kWidth << ", " << p / kWidth << ": " << both[p] << " for " << expected;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(DX9StencilShadowTest, TheShowConstructSwitchDrawsTheVolumeAsWhiteLines)
{
    auto white = [](const std::vector<Rgb>& picture) {
        return std::count(picture.begin(), picture.end(), Rgb{255, 255, 255});
    };
    C3DStencilShadow* plain = Shadow(0x80808080u);
    EXPECT_EQ(white(DrawScene(plain)), 0);
    EXPECT_EQ(m_engine->ReleaseStencilShadow(plain), 0);

    const char settings[] = "[STENCIL_SHADOW]\r\nSHOW_CONSTRUCT = 1\r\n";
    UtilsParameters_Static reader(settings, uint32_t(sizeof settings - 1), 0);
    m_world->pWorldSettings = &reader;
    C3DStencilShadow* shadow = Shadow(0x80808080u);
    m_world->pWorldSettings = nullptr;
    ASSERT_TRUE(shadow->GetShowConstruct());
    EXPECT_GT(white(DrawScene(shadow)), 50);
    DWORD fill = 0;
    Device()->GetRenderState(D3DRS_FILLMODE, &fill);
    EXPECT_EQ(fill, DWORD(D3DFILL_SOLID));
}

} // namespace
