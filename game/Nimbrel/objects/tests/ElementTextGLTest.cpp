// Element texts and the menu skins drawn on the OpenGL renderer and read back: the modes of a
// text in its box, a button's caps and body (stretched or tiled) and a dialog's nine parts.
#include <memory>
#include <vector>

#include "GLTestSupport.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelObjects/CMenuSkins.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CVornelFont.h"

namespace {

const Rgba kRed = {255, 0, 0, 0}, kGreen = {0, 255, 0, 0}, kBlue = {0, 0, 255, 0}, kBlack = {0, 0, 0, 0};

class ElementTextGLTest : public GLEngineTest {
protected:
    void SetUp() override
    {
        Open(320, 240);
        if (IsSkipped() || HasFatalFailure())
            return;
        // The texts reach the strings through the game world.
        m_world->pWorld = &game;
        m_math->SetIdentity(m_world->game.view.matrixOverlay);
        ASSERT_EQ(game.CreateStringsManager(), kStatusOk);
        CStringsRaw* table = game.GetStringsManager()->GetTable();
        table->Insert(u"top", -1);
        table->Insert(u"bottom", -1);
        font = std::make_unique<CVornelFont>(m_world.get());
        ASSERT_EQ(font->Init(kFontTrueType, kFontScreenObject, 1024), kStatusOk);
        ASSERT_EQ(font->LoadFontTTFFromFile(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 32, 0), kStatusOk);
    }
    void TearDown() override
    {
        if (font)
            font->Unload();
        font.reset();
        if (m_world)
            m_world->pWorld = nullptr;
        GLEngineTest::TearDown();
    }
    void Frame()
    {
        m_world->colorClear = 0xFF000000u;
        m_engine->BeginScene();
    }
    ExtraTextLayout Box(float left, float top, float right, float bottom, uint32_t mode)
    {
        ExtraTextLayout layout = {};
        layout.pFont = font.get();
        layout.box[0] = left;
        layout.box[1] = top;
        layout.box[2] = right;
        layout.box[3] = bottom;
        layout.glyph[0] = layout.glyph[1] = 40.0f;
        layout.mode = mode;
        layout.style = {0, 0, 1, 1, 0};
        return layout;
    }
    // Pixels of the block lit by white text.
    uint32_t Lit(int x, int y, int width, int height)
    {
        uint32_t lit = 0;
        for (const Rgba& c : Block(x, y, width, height))
            lit += c.r > 128 && c.g > 128 && c.b > 128;
        return lit;
    }
    // The text drawn white over black.
    std::vector<Rgba> Drawn(CExtraDimTextBase& text)
    {
        Frame();
        EXPECT_EQ(text.Draw(0xFFFFFFFFu, nullptr), kStatusOk);
        return Block(0, 0, 320, 240);
    }

    CNimbrelWorld game;
    std::unique_ptr<CVornelFont> font;
};

TEST_F(ElementTextGLTest, ModesLayTheTextIntoItsBox)
{
    if (IsSkipped())
        return;
    // A word wider than its 100 x 40 box wraps into lines below each other: mode 0 lets them
    // run out of the box, mode 1 shrinks them into it.
    CExtraDimTextString text(m_world.get());
    ASSERT_EQ(text.Layout(u"WWWWWWW", Box(20, 100, 120, 140, kExtraTextSinglePage), nullptr), kStatusOk);
    Drawn(text);
    EXPECT_GT(Lit(0, 145, 320, 95) + Lit(0, 0, 320, 95), 50u);
    ASSERT_EQ(text.Layout(u"WWWWWWW", Box(20, 100, 120, 140, kExtraTextPaged), nullptr), kStatusOk);
    Drawn(text);
    EXPECT_EQ(Lit(0, 145, 320, 95) + Lit(0, 0, 320, 95), 0u);
    EXPECT_EQ(Lit(0, 0, 18, 240) + Lit(122, 0, 198, 240), 0u);
    EXPECT_GT(Lit(20, 100, 100, 40), 50u);

    // Mode 4: both entries at once, each in its half of the box.
    ExtraTextEntry entries[2] = {{0, 0, 0.5f, {0, 0, 1, 1, 0}}, {1, 0, 0.5f, {0, 0, 1, 1, 0}}};
    ASSERT_EQ(text.BuildLines(entries, 2, Box(20, 20, 300, 220, kExtraTextAllLines)), kStatusOk);
    Drawn(text);
    EXPECT_GT(Lit(20, 20, 280, 100), 50u);
    EXPECT_GT(Lit(20, 120, 280, 100), 50u);
    // Any other mode shows the current line only.
    ASSERT_EQ(text.BuildLines(entries, 2, Box(20, 20, 300, 220, kExtraTextPaged)), kStatusOk);
    Drawn(text);
    EXPECT_EQ(Lit(20, 120, 280, 100), 0u);

    // Mode 5: a text two lines high in a box one line high is two pages; the first is drawn as
    // its words alone would be.
    ASSERT_EQ(text.Layout(u"aa bb", Box(20, 100, 80, 140, kExtraTextButtonPages), nullptr), kStatusOk);
    ASSERT_EQ(text.GetLineCount(), 2u);
    const std::vector<Rgba> paged = Drawn(text);
    ASSERT_EQ(text.Layout(u"aa", Box(20, 100, 80, 140, kExtraTextPaged), nullptr), kStatusOk);
    EXPECT_TRUE(paged == Drawn(text));
    EXPECT_GT(Lit(20, 100, 60, 40), 50u);
}

// Textures of one colour, or of a pattern, for the skins (nearest filtering, tiled on demand).
class MenuSkinGLTest : public GLEngineTest {
protected:
    void SetUp() override
    {
        Open(320, 240);
    }
    C3DTexture* Solid(Rgba c)
    {
        return MakeTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest, 1, 1, 24, {c.r, c.g, c.b});
    }
    // 8 x 1: four green pixels, then four black.
    C3DTexture* Stripe()
    {
        std::vector<uint8_t> pixels;
        for (int x = 0; x < 8; ++x)
            pixels.insert(pixels.end(), {0, uint8_t(x < 4 ? 255 : 0), 0});
        return MakeTexture(kTexSingleLevel, kTexMinNearest | kTexMagNearest | kTexRepeatS, 8, 1, 24, pixels);
    }
    void Frame()
    {
        m_world->colorClear = 0xFF000000u;
        m_engine->BeginScene();
    }
};

TEST_F(MenuSkinGLTest, AButtonSnapsToPixelsAndStretchesOrTilesItsBody)
{
    if (IsSkipped())
        return;
    CMenuButtonSkin skin(m_world.get());
    float rect[4] = {};
    // Before its build it draws nothing, whatever is asked of it.
    EXPECT_EQ(skin.Draw(), kStatusFailed);
    EXPECT_EQ(skin.Release(), kStatusOk);
    skin.SetRect(rect, 101.0f, 40.0f, 10.0f, 0xFFFFFFFFu, 0);
    EXPECT_FLOAT_EQ(rect[0], -51.0f);
    EXPECT_FLOAT_EQ(rect[2], 50.0f);
    EXPECT_EQ(skin.GetWidth(), 101);

    C3DTexture* textures[3] = {Solid(kRed), Stripe(), Solid(kBlue)};
    const size_t objects = m_engine->GetObjectList().GetCount();
    ASSERT_EQ(skin.Build(textures), kStatusOk);
    ASSERT_EQ(skin.Build(textures), kStatusOk);  // the first mesh goes back
    EXPECT_EQ(m_engine->GetObjectList().GetCount(), objects + 1);
    // Borders snap: 10.5 to 10, 10.6 to 11.
    for (const auto& [border, snapped] : {std::pair{10.5f, 10.0f}, std::pair{10.6f, 11.0f}}) {
        skin.SetRect(rect, 120.0f, 40.0f, border, 0xFFFFFFFFu, 0);
        skin.GetObject()->Lock(2, 2);
        EXPECT_FLOAT_EQ(skin.GetObject()->GetVertexPosition(1).x, -60.0f + snapped) << border;
        skin.GetObject()->Unlock(0);
    }

    // Caps 20 wide at both ends of a 120 x 40 button centred at (160, 120); the body of 80
    // stretches its stripe once, or tiles it ten times.
    skin.SetPosition(160.0f, 120.0f, 0.0f);
    for (uint8_t repeat : {0, 1}) {
        SCOPED_TRACE(int(repeat));
        skin.SetRect(rect, 120.0f, 40.0f, 20.0f, 0xFFFFFFFFu, repeat);
        Frame();
        ASSERT_EQ(skin.Draw(), kStatusOk);
        EXPECT_EQ(Pixel(105, 120), kRed);
        EXPECT_EQ(Pixel(215, 120), kBlue);
        EXPECT_EQ(Pixel(122, 120), kGreen);
        EXPECT_EQ(Pixel(126, 120), repeat ? kBlack : kGreen);
        EXPECT_EQ(Pixel(130, 120), kGreen);
        EXPECT_EQ(Pixel(195, 120), repeat ? kGreen : kBlack);
        EXPECT_EQ(Pixel(160, 95), kBlack);
    }
    // A texture without pixels tiles once.
    C3DTexture* empty = m_engine->CreateTexture(kTexSingleLevel, 0);
    C3DTexture* unmade[3] = {textures[0], empty, textures[2]};
    ASSERT_EQ(skin.Build(unmade), kStatusOk);
    skin.SetRect(rect, 120.0f, 40.0f, 20.0f, 0xFFFFFFFFu, 1);
    skin.GetObject()->Lock(2, 2);
    EXPECT_FLOAT_EQ(skin.GetObject()->GetVertexUV0(5).x, 1.0f);
    skin.GetObject()->Unlock(0);
    EXPECT_EQ(skin.Release(), kStatusOk);
    EXPECT_EQ(skin.GetObject(), nullptr);
    EXPECT_EQ(skin.Draw(), kStatusFailed);
}

TEST_F(MenuSkinGLTest, ADialogIsNinePartsInTheirOrder)
{
    if (IsSkipped())
        return;
    // Upper-left, upper, upper-right, left, body, right, lower-left, lower, lower-right.
    const Rgba colours[9] = {{255, 0, 0, 0},   {0, 255, 0, 0},   {0, 0, 255, 0},
                             {255, 255, 0, 0}, {255, 255, 255, 0}, {0, 255, 255, 0},
                             {255, 0, 255, 0}, {128, 128, 128, 0}, {255, 128, 0, 0}};
    C3DTexture* textures[9];
    for (int i = 0; i < 9; ++i)
        textures[i] = Solid(colours[i]);
    CMenuDialogSkin skin(m_world.get());
    ASSERT_EQ(skin.Build(textures), kStatusOk);
    float rect[4] = {};
    skin.SetPosition(160.0f, 120.0f, 0.0f);
    skin.SetRect(rect, 150.0f, 90.0f, 20.0f, 0xFFFFFFFFu, 1);
    EXPECT_FLOAT_EQ(rect[0], -75.0f);
    EXPECT_FLOAT_EQ(rect[3], 45.0f);
    Frame();
    ASSERT_EQ(skin.Draw(), kStatusOk);
    const int xs[3] = {160 - 65, 160, 160 + 65}, ys[3] = {120 - 35, 120, 120 + 35};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(Pixel(xs[column], ys[row]), colours[3 * row + column]) << row << " " << column;
    EXPECT_EQ(Pixel(160, 120 - 50), kBlack);
    EXPECT_EQ(Pixel(160 + 80, 120), kBlack);
}

}  // namespace
