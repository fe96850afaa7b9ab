// Text drawn through the GL renderer with a glyph pair made from DejaVu Sans, read back from
// the frame buffer.
#include <filesystem>

#include "FontTestSupport.h"
#include "GLTestSupport.h"
#include "ResourceTestData.h"
#include "Vornel3D/C3DView.h"

namespace {

constexpr uint32_t kBackground = 0xFF000040u;
const Rgba kBackgroundPixel{0, 0, 0x40, 0};
constexpr const char16_t* kFound = u"Objet trouvé : 3/10";
constexpr int kWidth = 400, kHeight = 100;

class FontGLTest : public GLEngineTest {
protected:
    void SetUp() override
    {
        Open(kWidth, kHeight);
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(std::filesystem::exists(kDejaVuSans)) << "fonts-dejavu-core";
        std::filesystem::copy_file(kDejaVuSans, folder.Path("DejaVuSans.ttf"));
        CVornelFont writer(m_world.get());
        ASSERT_EQ(writer.RenderTTF(folder.Wide("DejaVuSans.ttf").c_str(), 30, 3), kStatusOk);
        std::string glyph;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path("")))
            if (entry.path().extension() == ".glyph")
                glyph = entry.path().string();
        ASSERT_FALSE(glyph.empty());
        const std::string png = glyph.substr(0, glyph.size() - 6) + ".png";
        font = std::make_unique<CVornelFont>(m_world.get());
        ASSERT_EQ(font->Init(kFontGlyph, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
        ASSERT_EQ(font->LoadFontGlyphFromFile(UtilsString_FromUtf8(png.c_str()).c_str(),
                                              UtilsString_FromUtf8(glyph.c_str()).c_str()),
                  kStatusOk);
    }
    void TearDown() override
    {
        if (font)
            font->Unload();
        GLEngineTest::TearDown();
    }

    // A fresh frame with the text drawn at (20, 30), one text unit a pixel.
    std::vector<Rgba> Draw(uint32_t flags, uint32_t color, const C3DVector2* hit = nullptr, float* hitValue = nullptr)
    {
        m_world->colorClear = kBackground;
        m_engine->BeginScene();
        const C3DVector3 result = font->DrawText(kFound, 20.0f, 30.0f, 0.0f, flags, color, 30.0f, 30.0f, hit,
                                                 nullptr, 0);
        if (hitValue)
            *hitValue = result.z;
        return Block(0, 0, kWidth, kHeight);
    }

    static bool IsBackground(const Rgba& p) { return p == kBackgroundPixel; }

    ScratchFolder folder;
    std::unique_ptr<CVornelFont> font;
};

TEST_F(FontGLTest, TextLandsInItsMeasuredBoxWithItsShadowTwoUnitsRightAndBelow)
{
    const C3DVector3 size = font->GetTextSize(kFound, 30.0f, 30.0f);
    EXPECT_GT(size.x, 150.0f);
    EXPECT_FLOAT_EQ(size.y, 30.0f);
    const std::vector<Rgba> plain = Draw(0, 0xFFFF0000u);
    const std::vector<Rgba> shadowed = Draw(kTextShadow, 0xFFFF0000u);
    const float left = 20.0f, top = 30.0f, right = left + 0.5f + size.x, bottom = top + size.y;
    int covered = 0, shadow = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgba p = plain[size_t(y) * kWidth + x];
            const Rgba s = shadowed[size_t(y) * kWidth + x];
            const bool inside = x >= left && x < right + 1 && y >= top && y < bottom;
            if (!IsBackground(p)) {
                EXPECT_TRUE(inside) << "coverage at " << x << ", " << y;
                EXPECT_EQ(p.g, 0);
                ++covered;
            }
            const bool nearBox = x >= left && x < right + 3 && y >= top && y < bottom + 2;
            if (!nearBox) {
                EXPECT_TRUE(IsBackground(s)) << "shadow outside at " << x << ", " << y;
            }
            // Where the plain text left the background, the shadowed frame shows the dark copy
            // of coverage two pixels up and left.
            if (IsBackground(p) && !IsBackground(s)) {
                ASSERT_GE(x, 2);
                ASSERT_GE(y, 2);
                EXPECT_FALSE(IsBackground(plain[size_t(y - 2) * kWidth + x - 2])) << x << ", " << y;
                EXPECT_LT(s.b, 0x40);
                ++shadow;
            }
        }
    }
    EXPECT_GT(covered, 500);
    EXPECT_GT(shadow, 100);
}

TEST_F(FontGLTest, TheHighlightBrightensTheColourWhileThePointIsOverTheText)
{
    const C3DVector2 inside{60.0f, 45.0f}, outside{10.0f, 10.0f};
    float hit = -1.0f;
    std::vector<Rgba> frame = Draw(kTextHighlight, 0xFF802000u, &inside, &hit);
    EXPECT_EQ(hit, 1.0f);
    // Red 0x80 and green 0x20 both become full: covered pixels turn yellow.
    int bright = 0;
    for (const Rgba& p : frame)
        bright += p.r > 0x90 && p.g + 2 >= p.r;
    EXPECT_GT(bright, 100);
    frame = Draw(kTextHighlight, 0xFF802000u, &outside, &hit);
    EXPECT_EQ(hit, 0.0f);
    for (const Rgba& p : frame) {
        EXPECT_LE(p.r, 0x80);
        EXPECT_LE(p.g, p.r / 4 + 1);
    }
}

}  // namespace
