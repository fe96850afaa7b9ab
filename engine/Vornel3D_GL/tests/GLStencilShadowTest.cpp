// Stencil shadows: a box between the camera and a wall, lit from the camera's left, throws its
// shadow on the wall; every pixel is checked against the shadow worked out by rays.
#include "GLTestSupport.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <string>

#include "Vornel3D/C3DStencilShadow.h"
#include "VornelUtils/UtilsParameters_Static.h"

namespace {

constexpr int kWidth = 128, kHeight = 96;
const Rgba kWall{64, 128, 192, 255};
const Rgba kBox{200, 200, 200, 255};
const Rgba kBackground{0, 0, 0, 255};

// The box x, y in [-100, 100], z in [500, 600]; the wall at z = 1000; the light towards
// (-50, 0, -100), so the shadow falls to the right of the box.
constexpr float kBoxMin[3] = {-100, -100, 500}, kBoxMax[3] = {100, 100, 600};
constexpr float kWallZ = 1000.0f;
constexpr float kLight[3] = {-50.0f, 0.0f, -100.0f};

// Whether the ray origin + t * direction (t > 0) passes through the box.
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
// window given from its top left.
Seen SeenAt(float x, float y)
{
    const float focal = float(kHeight / 2) / std::tan(22.5f * 3.14159265f / 180.0f);
    const float origin[3] = {0, 0, 0};
    const float direction[3] = {(x - kWidth / 2) / focal, (kHeight / 2 - y) / focal, 1.0f};
    if (HitsBox(origin, direction))
        return Seen::Box;
    const float onWall[3] = {direction[0] * kWallZ, direction[1] * kWallZ, kWallZ};
    return HitsBox(onWall, kLight) ? Seen::Shadow : Seen::Wall;
}

Rgba Scaled(const Rgba& c, float f)
{
    return Rgba{uint8_t(std::lround(c.r * f)), uint8_t(std::lround(c.g * f)), uint8_t(std::lround(c.b * f)), 255};
}

bool Near(const Rgba& a, const Rgba& b)
{
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

class GLStencilShadowTest : public GLEngineTest {
protected:
    void SetUp() override
    {
        Open(kWidth, kHeight);
        if (!m_engine)
            return;
        m_world->light1.x = kLight[0];
        m_world->light1.y = kLight[1];
        m_world->light1.z = kLight[2];
        m_world->colorClear = 0xFF000000u;
        m_wall = Mesh({{-2000, -2000, kWallZ}, {2000, -2000, kWallZ}, {2000, 2000, kWallZ}, {-2000, 2000, kWallZ}},
                      {0, 1, 2, 0, 2, 3}, 0xFF4080C0u);
        // Every face counter-clockwise seen from outside, as the shadow builder takes them.
        std::vector<std::array<float, 3>> corners;
        for (uint32_t i = 0; i < 8; ++i)
            corners.push_back({(i & 1) ? kBoxMax[0] : kBoxMin[0], (i & 2) ? kBoxMax[1] : kBoxMin[1],
                               (i & 4) ? kBoxMax[2] : kBoxMin[2]});
        m_box = Mesh(corners, {4, 5, 7, 4, 7, 6, 0, 2, 3, 0, 3, 1, 1, 3, 7, 1, 7, 5,
                               0, 4, 6, 0, 6, 2, 2, 6, 7, 2, 7, 3, 0, 1, 5, 0, 5, 4},
                     0xFFC8C8C8u);
    }

    // A 3D object of one triangle-list group in one colour, depth tested and written, drawn
    // from both sides.
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

    C3DStencilShadow* Shadow(uint32_t color)
    {
        C3DStencilShadow* shadow = m_engine->CreateStencilShadow(1, color);
        EXPECT_NE(shadow, nullptr);
        if (!shadow)
            return nullptr;
        const float upper[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, lower[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        EXPECT_EQ(shadow->SetCaster(0, m_box, m_box->GetMatrix(), upper, lower), 0);
        shadow->BuildShadowVolume(0);
        EXPECT_GT(shadow->GetCaster(0)->sideCount, 0u);
        return shadow;
    }

    void DrawScene(C3DStencilShadow* shadow, uint32_t caster = 0)
    {
        m_engine->BeginScene();
        m_wall->Draw();
        m_box->Draw();
        if (shadow)
            shadow->Draw(caster);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    // Every pixel whose neighbours see the same as it does must have the colour expected.
    void ExpectPicture(const Rgba& shadowColor)
    {
        const std::vector<Rgba> picture = Block(0, 0, kWidth, kHeight);
        int shadowPixels = 0, mismatches = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
                const Seen seen = SeenAt(cx, cy);
                if (SeenAt(cx - 1, cy) != seen || SeenAt(cx + 1, cy) != seen || SeenAt(cx, cy - 1) != seen ||
                    SeenAt(cx, cy + 1) != seen)
                    continue; // an edge
                const Rgba expected = seen == Seen::Box ? kBox : seen == Seen::Wall ? kWall : shadowColor;
                shadowPixels += seen == Seen::Shadow;
                const Rgba& got = picture[size_t(y) * kWidth + x];
                if (!Near(got, expected) && mismatches++ < 5)
                    ADD_FAILURE() << "pixel " << x << ", " << y << ": " << got << " for " << expected;
            }
        }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(shadowPixels, 100); // the scene shows a shadow worth testing
    }

    int WhitePixels()
    {
        int count = 0;
        for (const Rgba& c : Block(0, 0, kWidth, kHeight))
            count += c.r == 255 && c.g == 255 && c.b == 255;
        return count;
    }

    C3DObject* m_wall = nullptr;
    C3DObject* m_box = nullptr;
};

TEST_F(GLStencilShadowTest, AShadowDarkensExactlyThePixelsBehindItsCaster)
{
    C3DStencilShadow* shadow = Shadow(0x80000000u);
    DrawScene(shadow);
    ExpectPicture(Scaled(kWall, 128.0f / 255.0f));
    EXPECT_EQ(WhitePixels(), 0);
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(GLStencilShadowTest, TheShadowColoursAlphaSetsHowDarkItIs)
{
    struct Case {
        uint32_t color;
        Rgba shadow;
    } cases[] = {{0xFF000000u, kWall}, {0x00000000u, Rgba{0, 0, 0, 255}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.color);
        C3DStencilShadow* shadow = Shadow(c.color);
        DrawScene(shadow);
        if (c.shadow == kWall) {
            // Nothing is darkened: the picture is the one without a shadow.
            const std::vector<Rgba> with = Block(0, 0, kWidth, kHeight);
            DrawScene(nullptr);
            EXPECT_TRUE(with == Block(0, 0, kWidth, kHeight));
        } else {
            ExpectPicture(c.shadow);
        }
        m_engine->ReleaseStencilShadow(shadow);
    }
}

TEST_F(GLStencilShadowTest, NothingIsDrawnForAnEmptySideWallListOrACasterOutsideTheTable)
{
    C3DStencilShadow* shadow = Shadow(0x00000000u);
    DrawScene(nullptr);
    const std::vector<Rgba> plain = Block(0, 0, kWidth, kHeight);
    DrawScene(shadow, 1);
    EXPECT_TRUE(plain == Block(0, 0, kWidth, kHeight));
    shadow->GetCaster(0)->sideCount = 0; // the caps are still there
    DrawScene(shadow, 0);
    EXPECT_TRUE(plain == Block(0, 0, kWidth, kHeight));
}

TEST_F(GLStencilShadowTest, ShowConstructDrawsTheVolumeInWhiteLines)
{
    const char settings[] = "[STENCIL_SHADOW]\r\nSHOW_CONSTRUCT = 1\r\n";
    UtilsParameters_Static reader(settings, uint32_t(sizeof settings - 1), 0);
    m_world->pWorldSettings = &reader;
    C3DStencilShadow* shadow = Shadow(0x80000000u);
    m_world->pWorldSettings = nullptr;
    ASSERT_TRUE(shadow->GetShowConstruct());
    DrawScene(shadow);
    EXPECT_GT(WhitePixels(), 50);
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
}

} // namespace
