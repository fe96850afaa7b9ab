// Frames drawn through the engine and read back from the frame buffer.
#include "GLTestSupport.h"

#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"
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

TEST_F(GLRenderTest, HalfTransparentSpriteBlendsOverTheBackground)
{
    m_world->colorClear = 0xFF0000FFu;
    // A 2 x 2 red sprite with alpha 0x80.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 4; ++i)
        pixels.insert(pixels.end(), {255, 0, 0, 0x80});
    C3DTexture* sprite = MakeTexture(kTexSingleLevel, kTexAlpha | kTexMinNearest | kTexMagNearest, 2, 2, 32, pixels);
    C3DObject* quad = MakeQuad(0x08 | 0x800, 40, 30, 20, 20, kWhite, sprite);
    ASSERT_NE(quad, nullptr);
    m_engine->BeginScene();
    quad->Draw();
    const Rgba c = Pixel(50, 40);
    EXPECT_NEAR(c.r, 128, 2);
    EXPECT_EQ(c.g, 0);
    EXPECT_NEAR(c.b, 127, 2);
    EXPECT_EQ(Pixel(39, 40), (Rgba{0, 0, 255, 0}));

    // Without the alpha-blending bit in the creation word the sprite covers the background.
    C3DObject* opaque = MakeQuad(0x800, 40, 30, 20, 20, kWhite, sprite);
    m_engine->BeginScene();
    opaque->Draw();
    EXPECT_EQ(Pixel(50, 40), (Rgba{255, 0, 0, 0}));
}

TEST_F(GLRenderTest, DisplayListsAndClientArraysDrawTheSamePixels)
{
    m_world->colorClear = 0xFF202020u;
    C3DTexture* texture = MakeTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest, 4, 2, 24, AsymmetricPicture());
    const uint32_t corners[4] = {0xFFFFFFFFu, 0xFF80FF40u, 0xFF4080FFu, 0xFFFF8040u};
    // Unlock with rebuild compiles the lists; without it the object keeps drawing from arrays.
    C3DObject* listed = MakeQuad(0x800, 10, 10, 40, 30, corners, texture, 1, 1);
    C3DObject* arrays = MakeQuad(0x800, 10, 10, 40, 30, corners, texture, 1, 0);
    ASSERT_NE(listed, nullptr);
    ASSERT_NE(arrays, nullptr);
    const C3DObjectIndex_GL* listedLists = GLIndexOf(listed->GetObjectIndex());
    const C3DObjectIndex_GL* arrayLists = GLIndexOf(arrays->GetObjectIndex());
    ASSERT_NE(listedLists, nullptr);
    ASSERT_NE(arrayLists, nullptr);
    EXPECT_NE(listedLists->GetDisplayList(0), 0u);
    EXPECT_TRUE(glIsList(listedLists->GetDisplayList(0)));
    EXPECT_EQ(arrayLists->GetDisplayList(0), 0u);

    m_engine->BeginScene();
    listed->Draw();
    const std::vector<Rgba> fromList = Block(0, 0, 64, 48);
    m_engine->BeginScene();
    arrays->Draw();
    const std::vector<Rgba> fromArrays = Block(0, 0, 64, 48);
    EXPECT_EQ(fromList, fromArrays);
    // The quad really is textured and shaded: red near the white top-left corner, the
    // background outside.
    const Rgba corner = fromList[size_t(10) * 64 + 10];
    EXPECT_GT(corner.r, 230);
    EXPECT_LT(corner.g + corner.b, 20);
    EXPECT_EQ(fromList[size_t(5) * 64 + 5], (Rgba{0x20, 0x20, 0x20, 0}));
}

TEST_F(GLRenderTest, ObjectColourAtDrawColoursEveryVertexWithoutLists)
{
    m_world->colorClear = 0xFF000000u;
    const uint32_t corners[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    C3DObject* quad = MakeQuad(0x20000, 10, 10, 20, 20, corners, nullptr);
    ASSERT_NE(quad, nullptr);
    EXPECT_TRUE(quad->GetFlags() & 0x20000);
    EXPECT_EQ(GLIndexOf(quad->GetObjectIndex())->GetDisplayList(0), 0u);
    quad->SetColor(0xFF40C080u);
    m_engine->BeginScene();
    quad->Draw();
    for (const auto& at : {std::pair<int, int>{10, 10}, {29, 10}, {10, 29}, {29, 29}, {20, 20}})
        EXPECT_EQ(Pixel(at.first, at.second), (Rgba{0x40, 0xC0, 0x80, 0})) << at.first << ", " << at.second;
}

TEST_F(GLRenderTest, FaceModesCullTheBackFaceOfTheirWinding)
{
    struct Case {
        uint32_t faceMode;
        bool clockwise;
        bool drawn;
    };
    const Case cases[] = {
        {0, true, true}, {1, true, true}, {2, true, false},
        {0, false, true}, {1, false, false}, {2, false, true},
    };
    m_world->colorClear = 0xFF000000u;
    for (const Case& c : cases) {
        // Mirroring the quad left to right turns its winding round.
        C3DObject* quad = c.clockwise ? MakeQuad(0, 20, 20, 30, 30, 0xFFFFFF00u, nullptr, c.faceMode)
                                      : MakeQuad(0, 50, 20, -30, 30, 0xFFFFFF00u, nullptr, c.faceMode);
        ASSERT_NE(quad, nullptr);
        m_engine->BeginScene();
        quad->Draw();
        const Rgba expected = c.drawn ? Rgba{255, 255, 0, 0} : Rgba{0, 0, 0, 0};
        EXPECT_EQ(Pixel(35, 35), expected) << "face mode " << c.faceMode << (c.clockwise ? " clockwise" : " anticlockwise");
        m_engine->ReleaseObject(quad);
    }
}

TEST_F(GLRenderTest, ClearBuffersClearsThroughWriteMasksLeftOff)
{
    m_world->colorClear = 0xFF00FF00u;
    m_engine->Clear();
    m_engine->SetColorMask(0, 0, 0, 0);
    glDepthMask(GL_FALSE);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(0.25);
    EXPECT_EQ(m_engine->ClearBuffers(1, 1, 0), 0);
    EXPECT_EQ(Pixel(5, 5), (Rgba{255, 0, 0, 0}));
    float depth = 0.0f;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.25f, 1e-4f);
    glClearDepth(1.0);
}

TEST_F(GLRenderTest, WireframeSwitchDrawsObjectsAsLines)
{
    GLint mode[2] = {};
    C3DObject* quad = MakeQuad(0, 0, 0, 10, 10, kWhite, nullptr);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    m_world->wireframe = 1;
    quad->Upload();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    m_world->wireframe = 0;
    quad->Upload();
}

TEST_F(GLRenderTest, DemoSceneIsWrittenAsPng)
{
    // A small textured scene for a reviewer to open: a tiled background, shaded quads and a
    // half-transparent sprite.
    m_world->colorClear = 0xFF102030u;
    std::vector<uint8_t> checker;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t v = ((x + y) & 1) ? 200 : 90;
            checker.insert(checker.end(), {v, uint8_t(v / 2), uint8_t(255 - v)});
        }
    C3DTexture* tiles = MakeTexture(0, kTexMagNearest | kTexRepeatS | kTexRepeatT, 8, 8, 24, checker);
    C3DTexture* picture = MakeTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest, 4, 2, 24, AsymmetricPicture());
    std::vector<uint8_t> disc;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = x - 8, dy = y - 8;
            disc.insert(disc.end(), {255, 240, 80, uint8_t(dx * dx + dy * dy < 56 ? 0xA0 : 0)});
        }
    C3DTexture* sprite = MakeTexture(kTexSingleLevel, kTexAlpha, 16, 16, 32, disc);
    C3DObject* background = MakeQuad(0x800, 0, 0, 128, 96, kWhite, tiles);
    const uint32_t shades[4] = {0xFFFFFFFFu, 0xFFFF8080u, 0xFF80FF80u, 0xFF8080FFu};
    C3DObject* framed = MakeQuad(0x800, 8, 8, 48, 24, shades, picture);
    C3DObject* glow = MakeQuad(0x08 | 0x800, 60, 30, 56, 56, kWhite, sprite);
    m_engine->BeginScene();
    background->Draw();
    framed->Draw();
    glow->Draw();

    std::vector<uint8_t> rgb(size_t(m_width) * m_height * 3);
    glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    auto image = std::make_unique<C3DTextureRaw>(m_world.get());
    ASSERT_EQ(image->SetPixelsCopy(uint16_t(m_width), uint16_t(m_height), 24, rgb.data()), 0);
    const std::u16string path = UtilsString_FromUtf8(VORNEL_BINARY_DIR "/gl_demo_scene.png");
    EXPECT_EQ(image->SaveToFile(path.c_str(), false), 0);
    image->Release();
    const Rgba corner = Pixel(10, 10);
    EXPECT_GT(corner.r, 230);
    EXPECT_LT(corner.g + corner.b, 20);
}

TEST_F(GLRenderTest, EveryKindDrawsWithoutGLErrors)
{
    // Every layout through every draw path (lists, arrays, per-draw colour, the split draw),
    // with the render bits that touch lighting, fog, depth, wireframe and both texture units.
    C3DTexture* texture = MakeTexture(0, kTexMinTrilinear, 4, 2, 24, AsymmetricPicture());
    m_world->fog.enabled = {1, 1};
    m_world->light1.enabled = {1, 1};
    const uint32_t creations[] = {0x800, 0x1000 | 0x01 | 0x02 | 0x04 | 0x20, 0x20000 | 0x800, 0x400 | 0x8000 | 0x10000,
                                  0x4000 | 0x800};
    glGetError();
    for (uint32_t kind : {0x02u, 0x04u, 0x08u, 0x10u}) {
        for (uint32_t creation : creations) {
            C3DObject* object = m_engine->CreateObject(kind, creation);
            ASSERT_NE(object, nullptr);
            ASSERT_EQ(object->Create(2, 4, 8), 0);
            object->Lock(0, 2);
            object->ResetIndices();
            for (uint32_t i = 0; i < 4; ++i)
                object->SetVertex(i, float(i % 2) * 20, float(i / 2) * 20, 5, 0xFF808080u, float(i % 2), float(i / 2),
                                  0, 0, -1, 0xFF000000u);
            object->SetGroup(0, 0, 4, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
            object->SetGroup(1, 0, 4, 4, 4, 4, kind == 0x08 ? 5 : 4, 0, 0xFFFFFFFFu);
            object->SetTextureAllGroups(texture, 0);
            object->SetTextureAllGroups(texture, 1);
            object->Unlock(1);
            m_engine->BeginScene();
            object->Draw();
            object->DrawEx(1);
            object->DrawGeometry();
            object->DrawGroupGeometry(0);
            object->PrepareGroup(0);
            object->DrawGroup(0);
            object->FinishGroup(0);
            m_engine->EndScene();
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "kind " << kind << " creation " << std::hex << creation;
            GLint depth = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
            EXPECT_EQ(depth, 1) << "kind " << kind << " creation " << std::hex << creation;
            EXPECT_EQ(m_engine->ReleaseObject(object), 0);
        }
    }
}
