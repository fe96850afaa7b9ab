// Frames drawn through the engine and read back from the frame buffer.
#include "GLTestSupport.h"

#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_GL/C3DObjectIndex_GL.h"
#include "Vornel3D_GL/C3DTexture_GL.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A 4 x 2 picture, top row red, green, blue, white; bottom row black, yellow, cyan, magenta;
// stored bottom row first as raw images are.
const Rgba kTopRow[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
const Rgba kBottomRow[4] = {{0, 0, 0, 255}, {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};

std::vector<uint8_t> AsymmetricPicture()
{
    std::vector<uint8_t> pixels;
    for (const Rgba* row : {kBottomRow, kTopRow})
        for (int i = 0; i < 4; ++i)
            pixels.insert(pixels.end(), {row[i].r, row[i].g, row[i].b});
    return pixels;
}

class GLRenderTest : public GLEngineTest {
protected:
    void SetUp() override { Open(128, 96); }
};

}  // namespace

TEST_F(GLRenderTest, ClearFillsTheFrameWithTheClearColour)
{
    m_world->colorClear = 0xFF336699u;
    ASSERT_EQ(m_engine->BeginScene(), 0);
    EXPECT_EQ(Pixel(0, 0), (Rgba{0x33, 0x66, 0x99, 0}));
    EXPECT_EQ(Pixel(127, 95), (Rgba{0x33, 0x66, 0x99, 0}));
    EXPECT_EQ(Pixel(64, 40), (Rgba{0x33, 0x66, 0x99, 0}));
}

TEST_F(GLRenderTest, ScissorLimitsTheClearToItsBoxCountedFromTheTop)
{
    m_world->colorClear = 0xFFFF0000u;
    m_engine->Clear();
    m_engine->GetView()->SetScissor(10, 20, 30, 40);
    m_world->colorClear = 0xFF00FF00u;
    m_engine->Clear();
    const Rgba red{255, 0, 0, 0}, green{0, 255, 0, 0};
    EXPECT_EQ(Pixel(10, 20), green);
    EXPECT_EQ(Pixel(39, 59), green);
    EXPECT_EQ(Pixel(9, 20), red);
    EXPECT_EQ(Pixel(10, 19), red);
    EXPECT_EQ(Pixel(40, 59), red);
    EXPECT_EQ(Pixel(39, 60), red);
    m_engine->GetView()->DisableScissor();
    m_engine->Clear();
    EXPECT_EQ(Pixel(0, 0), green);
}

TEST_F(GLRenderTest, NearestTexturedScreenQuadLandsOnItsPixels)
{
    m_world->colorClear = 0xFF000080u;
    C3DTexture* texture = MakeTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest, 4, 2, 24, AsymmetricPicture());
    C3DObject* quad = MakeQuad(0x800, 16, 8, 8, 4, kWhite, texture);
    ASSERT_NE(quad, nullptr);
    m_engine->BeginScene();
    quad->Draw();
    // Each texel covers 2 x 2 pixels; the picture's top row is at the quad's top.
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 8; ++i) {
            const Rgba* row = j < 2 ? kTopRow : kBottomRow;
            const Rgba expected = row[i / 2];
            EXPECT_EQ(Pixel(16 + i, 8 + j), expected) << "pixel " << i << ", " << j;
        }
    }
    // Nothing outside the quad.
    const Rgba background{0, 0, 0x80, 0};
    EXPECT_EQ(Pixel(15, 8), background);
    EXPECT_EQ(Pixel(24, 8), background);
    EXPECT_EQ(Pixel(16, 7), background);
    EXPECT_EQ(Pixel(16, 12), background);
}
