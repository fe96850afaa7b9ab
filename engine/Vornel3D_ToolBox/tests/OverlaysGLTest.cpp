// The particles, the screenshot overlay and the window decoration through the GL renderer,
// read back from the frame buffer.
#include <memory>
#include <string>

#include "GLTestSupport.h"
#include "MemoryBackEnd.h"
#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/CParticulesBase.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "Vornel3D_ToolBox/CWindowDecoration.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

const Rgba kBlackPixel{0, 0, 0, 0};
const Rgba kRedPixel{255, 0, 0, 0};
const Rgba kBluePixel{0, 0, 255, 0};

class OverlaysGLTest : public GLEngineTest {
protected:
    void OpenWith(uint16_t width, uint16_t height, const std::string& settings)
    {
        Open(width, height);
        if (IsSkipped() || HasFatalFailure())
            return;
        // The GL row of the descriptor table, as the registry selects it.
        m_world->selected[kModule3D].pDescriptor = FindModuleDescriptor(kModule3D, 5);
        settingsText = settings;
        reader = std::make_unique<UtilsParameters_Text>(settingsText.c_str(), uint32_t(settingsText.size()));
        m_world->pAppSettings = reader.get();
        m_world->frameTime = 1.0;
    }

    void Frame(uint32_t clear)
    {
        m_world->colorClear = clear;
        m_engine->BeginScene();
    }

    std::string settingsText;
    std::unique_ptr<UtilsParameters_Text> reader;
};

// A text particle drawn as a green square of its vertical scale.
C3DObject* g_textQuad = nullptr;
void DrawTextAsQuad(const float* position, uint32_t, const float* scale, uint16_t, const char16_t*, uintptr_t)
{
    g_textQuad->SetIdentity();
    g_textQuad->SetPosition(position[0], position[1], 0.0f);
    g_textQuad->ScaleUniform(scale[1]);
    g_textQuad->Draw();
}

TEST_F(OverlaysGLTest, EachParticleKindIsDrawnWhereItStands)
{
    ScratchFolder folder;
    OpenWith(320, 240, "[PARTICULES]\nFIREMORK_TEXTURE_FILE_NAME = white.tga\nSTAR_TEXTURE_FILE_NAME = white.tga\n"
                       "PULSE_TEXTURE_FILE_NAME = white.tga\nEXTRA_TEXTURE_FILE_NAME = white.tga\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    folder.Write("white.tga", MemoryTga(8, 8, 255, 255, 255));
    UtilsString_Copy(m_world->dataPath, kWorldTextSize, folder.Wide("").c_str());
    UtilsRandom_Seed(m_world.get(), 7);
    ParticleSpriteRecord records[kParticleGroupCount];
    for (auto& record : records)
        record = ParticleSpriteRecord{30.0f, 0, 0};
    CParticulesBase manager(m_world.get());
    ASSERT_EQ(manager.LoadParameters(records, 0), kStatusOk);
    g_textQuad = MakeQuad(0x400, 0.0f, 0.0f, 1.0f, 1.0f, 0xFF00FF00u, nullptr);
    manager.SetTextCallback(DrawTextAsQuad);
    const float ys = 120.0f;
    const float xs[5] = {40.0f, 100.0f, 160.0f, 220.0f, 280.0f};
    ASSERT_NE(manager.AddParticle1(C3DVector3{xs[0], ys, 0}, 0, 0, 0, 1.0f, 0xFFFF0000u, nullptr), nullptr);
    ASSERT_NE(manager.AddParticle2(C3DVector3{xs[1], ys, 0}, 1, 1, 0, 1.0f, 0xFFFF0000u, nullptr), nullptr);
    ASSERT_NE(manager.AddParticle3(C3DVector3{xs[2], ys, 0}, 2, 2, 0, 1.0f, 0, 0xFFFF0000u, nullptr), nullptr);
    ASSERT_NE(manager.AddParticle4(C3DVector3{xs[3], ys, 0}, 1, 3, 0, C3DVector3{0, 0, 0}, 0.0f, 1.0f, 0xFFFF0000u,
                                   nullptr, 0),
              nullptr);
    ASSERT_NE(manager.AddParticle5(C3DVector3{xs[4] - 10.0f, ys, 0}, u"+1", 0, C3DVector2{20.0f, 20.0f}, 0, 1.0f,
                                   0xFFFFFFFFu),
              nullptr);
    for (int i = 0; i < 14; ++i)
        manager.Update();  // t = 0.5: every envelope at 1, the firework at 0.29 of its size
    Frame(0xFF000000u);
    manager.RenderAll();
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(Pixel(int(xs[k]), int(ys)), kRedPixel) << "kind " << k;
    const Rgba text = Pixel(int(xs[4]), int(ys) + 5);
    EXPECT_EQ(text.g, 255) << text;
    EXPECT_EQ(Pixel(int(xs[0] + 30.0f), int(ys)), kBlackPixel);
    EXPECT_EQ(Pixel(10, 10), kBlackPixel);
    // By kind: only the stars (the falling one among them).
    Frame(0xFF000000u);
    manager.Render(kParticleStar);
    EXPECT_EQ(Pixel(int(xs[0]), int(ys)), kBlackPixel);
    EXPECT_EQ(Pixel(int(xs[1]), int(ys)), kRedPixel);
    EXPECT_EQ(Pixel(int(xs[3]), int(ys)), kRedPixel);
    manager.Unload();
    m_engine->ReleaseObject(g_textQuad);
}

TEST_F(OverlaysGLTest, TheScreenshotShowsTheFrameAndFadesOutOnFrame14)
{
    OpenWith(320, 240, "");
    if (IsSkipped() || HasFatalFailure())
        return;
    CScreenshot screenshot(m_world.get());
    ASSERT_EQ(screenshot.LoadParameters(0), kStatusOk);
    EXPECT_FLOAT_EQ(screenshot.GetFadeSpeed(), 0.075f);
    ASSERT_NE(screenshot.GetTexture(), nullptr);
    EXPECT_EQ(screenshot.GetTexture()->GetWidth(), 512);
    EXPECT_EQ(screenshot.GetTexture()->GetHeight(), 256);
    // Nothing is drawn before a capture.
    Frame(0xFF0000FFu);
    screenshot.Render();
    EXPECT_EQ(Pixel(160, 120), kBluePixel);

    // A red frame with a white mark in its top-left corner, captured.
    Frame(0xFFFF0000u);
    C3DObject* mark = MakeQuad(0x400, 0.0f, 0.0f, 40.0f, 30.0f, 0xFFFFFFFFu, nullptr);
    mark->Draw();
    screenshot.Capture(0, 0, 320, 240);
    EXPECT_FLOAT_EQ(screenshot.GetFadeRatio(), 1.0f);
    Frame(0xFF0000FFu);
    screenshot.Render();
    EXPECT_EQ(Pixel(160, 120), kRedPixel);
    EXPECT_EQ(Pixel(300, 220), kRedPixel);
    EXPECT_EQ(Pixel(5, 5), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(Pixel(45, 35), kRedPixel);
    for (int frame = 1; frame <= 14; ++frame) {
        screenshot.Update();
        Frame(0xFF0000FFu);
        screenshot.Render();
        const Rgba p = Pixel(160, 120);
        if (frame < 14) {
            EXPECT_GT(screenshot.GetFadeRatio(), 0.0f) << "frame " << frame;
            EXPECT_GT(p.r, 0) << "frame " << frame;
        } else {
            EXPECT_EQ(screenshot.GetFadeRatio(), 0.0f);
            EXPECT_EQ(p, kBluePixel);
        }
    }
    screenshot.Unload();
    m_engine->ReleaseObject(mark);
    EXPECT_EQ(m_engine->GetTextureList().GetCount(), 0u);
}

TEST_F(OverlaysGLTest, ACaptureAfterAResizeRebuildsAtTheNewSize)
{
    OpenWith(1024, 600, "[TEXTURES]\nSCREENSHOT_FADE_RATIO_SPEED = 0.5\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    m_world->realWidth = 640;
    m_world->realHeight = 480;
    CScreenshot screenshot(m_world.get());
    ASSERT_EQ(screenshot.LoadParameters(0), kStatusOk);
    EXPECT_FLOAT_EQ(screenshot.GetFadeSpeed(), 0.5f);
    EXPECT_EQ(screenshot.GetTexture()->GetWidth(), 1024);
    EXPECT_EQ(screenshot.GetTexture()->GetHeight(), 512);
    m_world->realWidth = 1024;
    m_world->realHeight = 600;
    Frame(0xFFFF0000u);
    screenshot.Capture(0, 0, 1024, 600);
    ASSERT_NE(screenshot.GetTexture(), nullptr);
    EXPECT_EQ(screenshot.GetTexture()->GetWidth(), 1024);
    EXPECT_EQ(screenshot.GetTexture()->GetHeight(), 1024);
    EXPECT_EQ(screenshot.GetCapturedWidth(), 1024);
    EXPECT_EQ(screenshot.GetCapturedHeight(), 600);
    Frame(0xFF0000FFu);
    screenshot.Render();
    for (int y : {2, 300, 597})
        for (int x : {2, 512, 1021})
            EXPECT_EQ(Pixel(x, y), kRedPixel) << x << ", " << y;
    screenshot.Update();
    screenshot.Update();
    EXPECT_EQ(screenshot.GetFadeRatio(), 0.0f);
}

TEST_F(OverlaysGLTest, TheDecorationsCornerShowsOnlyInAWindowAndItsCursorFollowsTheMouse)
{
    ScratchFolder folder;
    OpenWith(320, 240, "[EXTRA_PLATFORM]\nWINDOW_CORNER_SIZE_WIDTH = 20\nWINDOW_CORNER_SIZE_HEIGHT = 10\n");
    if (IsSkipped() || HasFatalFailure())
        return;
    const Bytes green = MemoryTga(4, 4, 0, 255, 0);
    const Bytes white = MemoryTga(4, 4, 255, 255, 255);
    folder.WritePack("main.pak", {{"cursor.tga", green}, {"corner.tga", white}});
    settingsText += "MOUSE_CURSOR_TEXTURE_FILE_NAME = cursor.tga\nWINDOW_CORNER_TEXTURE_FILE_NAME = corner.tga\n";
    reader = std::make_unique<UtilsParameters_Text>(settingsText.c_str(), uint32_t(settingsText.size()));
    m_world->pAppSettings = reader.get();
    m_world->pack.pFile = std::fopen(folder.Path("main.pak").c_str(), "rb");
    ASSERT_NE(m_world->pack.pFile, nullptr);
    m_world->pfnPackLocator = FindPackEntry;

    CWindowDecoration decoration(m_world.get());
    ASSERT_EQ(decoration.LoadParameters(kDecorationCursor | kDecorationCorner), kStatusOk);
    m_world->mouseX = 100.0f;
    m_world->mouseY = 50.0f;
    m_world->fullScreen = 0;
    Frame(0xFF000000u);
    decoration.Render();
    EXPECT_EQ(Pixel(315, 235), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(Pixel(295, 225), kBlackPixel);
    EXPECT_EQ(Pixel(108, 80), (Rgba{0, 255, 0, 0}));  // the 16 x 32 cursor from the pointer
    EXPECT_EQ(Pixel(98, 48), kBlackPixel);
    EXPECT_EQ(Pixel(120, 60), kBlackPixel);

    m_world->fullScreen = 1;
    m_world->mouseX = 200.0f;
    Frame(0xFF000000u);
    decoration.Render();
    EXPECT_EQ(Pixel(315, 235), kBlackPixel);
    EXPECT_EQ(Pixel(208, 80), (Rgba{0, 255, 0, 0}));
    EXPECT_EQ(Pixel(108, 80), kBlackPixel);
    decoration.Unload();
    std::fclose(m_world->pack.pFile);
    m_world->pack.pFile = nullptr;
}

}  // namespace
