// Built-in shapes and merged objects drawn by the OpenGL renderer and read back: the object
// layer's builders write through the renderer's own vertex accessors.
#include "GLTestSupport.h"

#include "Vornel3D/C3DShapes.h"

namespace {

class GLShapeTest : public GLEngineTest {
protected:
    void SetUp() override { Open(128, 96); }

    // A screen-space disc of diameter 40 around (x, y).
    C3DObject* Disc(float x, float y, uint32_t color)
    {
        C3DObject* disc = m_engine->CreateObject(k3DObjectScreen, 0);
        EXPECT_NE(disc, nullptr);
        C3DShapeDiscParams params{40.0f, 32, 0.0f, k3DShapeAxisZ, 0, color, 0, 1.0f, 1.0f};
        EXPECT_EQ(disc->ConstructShape(k3DShapeDiscFan, &params), 0);
        disc->SetPosition(x, y, 0.0f);
        return disc;
    }
};

const Rgba kBackground{0, 0, 0x80, 0};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};

}  // namespace

TEST_F(GLShapeTest, DiscFanCoversItsCircleAndNoMore)
{
    m_world->colorClear = 0xFF000080u;
    C3DObject* disc = Disc(64.0f, 48.0f, 0xFFFF0000u);
    m_engine->BeginScene();
    disc->Draw();
    EXPECT_EQ(Pixel(64, 48), kRed);
    EXPECT_EQ(Pixel(64 + 17, 48), kRed);
    EXPECT_EQ(Pixel(64, 48 - 17), kRed);
    // The corners of its box lie outside the circle.
    EXPECT_EQ(Pixel(64 + 17, 48 + 17), kBackground);
    EXPECT_EQ(Pixel(64 - 18, 48 - 18), kBackground);
    EXPECT_EQ(Pixel(64 + 23, 48), kBackground);
}

TEST_F(GLShapeTest, MergedObjectDrawsEverySourceWhereItsMatrixPutIt)
{
    m_world->colorClear = 0xFF000080u;
    C3DObject* left = Disc(30.0f, 48.0f, 0xFFFF0000u);
    C3DObject* right = Disc(98.0f, 48.0f, 0xFF00FF00u);
    C3DObject* merged = m_engine->CreateObject(k3DObjectScreen, 0);
    ASSERT_NE(merged, nullptr);
    C3DObject* sources[] = {left, right};
    ASSERT_EQ(merged->MakeFromObjects(sources, 2, nullptr, 0), 0);
    EXPECT_EQ(merged->GetGroupCount(), 2u);
    m_engine->BeginScene();
    merged->Draw();
    EXPECT_EQ(Pixel(30, 48), kRed);
    EXPECT_EQ(Pixel(98, 48), kGreen);
    EXPECT_EQ(Pixel(64, 48), kBackground);
}
