// A charset font made from DejaVu Sans for a Russian text, drawn through the GL renderer from
// its indexed codes and read back from the frame buffer.
#include <filesystem>

#include "FontTestSupport.h"
#include "GLTestSupport.h"
#include "ResourceTestData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "Vornel3D_ToolBox/CharsetBuilder.h"
#include "VornelUtils/UtilsStream_File.h"

namespace {

constexpr uint32_t kBackground = 0xFF000040u;
const Rgba kBackgroundPixel{0, 0, 0x40, 0};
constexpr int kWidth = 300, kHeight = 80;

class CharsetGLTest : public GLEngineTest {};

// Writes what `write` puts in a file stream.
template <typename Writer>
Status WriteTo(const std::u16string& path, Writer write)
{
    UtilsStream_File stream(kStreamWrite, path.c_str());
    if (Failed(stream.Open()))
        return kStatusFailed;
    const Status status = write(&stream);
    stream.Close();
    return status;
}

TEST_F(CharsetGLTest, ARussianTextInItsCodesLandsInItsMeasuredBox)
{
    Open(kWidth, kHeight);
    if (IsSkipped() || HasFatalFailure())
        return;
    ScratchFolder folder;
    const std::u16string russian = u"Привет, мир";
    CFontFace face;
    ASSERT_EQ(face.OpenForSheet(kDejaVuSans), kStatusOk);
    ASSERT_EQ(face.FitFaceToPixelHeight(30), kStatusOk);
    CharsetBuild build;
    ASSERT_EQ(BuildCharset(face, 30, 3, {{0x2, russian}}, build), kStatusOk);
    ASSERT_EQ(WriteTo(folder.Wide("main.charset"), [&](UtilsStream* s) { return WriteCharset(build, s); }), kStatusOk);
    ASSERT_EQ(WriteTo(folder.Wide("symbols.raw"), [&](UtilsStream* s) { return WriteCharsetSymbols(build, s); }),
              kStatusOk);
    std::unique_ptr<uint8_t[]> pixels = GlyphSheetPixels(build.sheets[0], 32);
    C3DTextureRaw page(nullptr);
    ASSERT_EQ(page.AttachPixels(uint16_t(kGlyphSheetWidth), uint16_t(build.sheets[0].height), 32, pixels.get()),
              kStatusOk);
    ASSERT_EQ(page.SaveToFile(folder.Wide("main.0.png").c_str(), false), kStatusOk);

    // The text as an indexed table holds it: remapped through the symbols table.
    CStringsManager strings(nullptr, nullptr);
    UtilsStream_File symbols(kStreamRead, folder.Wide("symbols.raw").c_str());
    ASSERT_EQ(symbols.Open(), kStatusOk);
    ASSERT_EQ(strings.ReadSymbols(&symbols), kStatusOk);
    symbols.Close();
    std::u16string text = russian;
    strings.RemapChars(text.data());
    for (char16_t c : text)
        EXPECT_LT(c, 0x100) << "every character has a code on page 0";

    CVornelFontEx font(m_world.get());
    ASSERT_EQ(font.Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
    ASSERT_EQ(font.LoadFontCharsetFromFile(folder.Wide("main.charset").c_str()), kStatusOk);
    ASSERT_EQ(font.GetObject()->LoadTextureFromFileEx(0x10000001, 0x52, folder.Wide("main.0.png").c_str(), 0, 0),
              kStatusOk);
    std::u16string back = text;
    font.RemapText(back.data());
    EXPECT_EQ(back, russian);

    const C3DVector3 size = font.GetTextSize(text.c_str(), 30.0f, 30.0f);
    EXPECT_GT(size.x, 120.0f);
    m_world->colorClear = kBackground;
    m_engine->BeginScene();
    font.DrawText(text.c_str(), 20.0f, 20.0f, 0.0f, 0, 0xFFFFFFFFu, 30.0f, 30.0f, nullptr, nullptr, 0);
    const std::vector<Rgba> frame = Block(0, 0, kWidth, kHeight);
    const float left = 20.0f, top = 20.0f, right = left + 0.5f + size.x, bottom = top + size.y;
    int covered = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (!(frame[size_t(y) * kWidth + x] == kBackgroundPixel)) {
                EXPECT_TRUE(x >= left && x < right + 1 && y >= top && y < bottom) << x << ", " << y;
                ++covered;
            }
    EXPECT_GT(covered, 400);
    font.Unload();
}

}  // namespace
