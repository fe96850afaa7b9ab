// A charset font made from DejaVu Sans for a Russian text, drawn through the GL renderer from
// its indexed codes and read back from the frame buffer; a character of each page of a charset of
// three pages; the managed world's main font of that
// kind on the renderer, with a Russian string table in those codes and pages that follow the
// language.
#include <filesystem>

#include "FontTestSupport.h"
#include "GLTestSupport.h"
#include "ResourceTestData.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"
#include "CharsetTestData.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "Vornel3D_ToolBox/CharsetBuilder.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"

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

// The bytes that `write` puts in a memory stream.
template <typename Writer>
Bytes BytesOf(Writer write)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    if (Failed(stream.Open()) || Failed(write(&stream)))
        return {};
    const uint8_t* block = stream.GetBlock();
    Bytes bytes(block, block + stream.GetSize());
    stream.Close();
    return bytes;
}

// Every pixel that is not the background lies in the box [left, right) x [top, bottom); the
// number of such pixels.
int CountInside(const std::vector<Rgba>& frame, int width, float left, float top, float right, float bottom)
{
    int covered = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        const int x = int(i % size_t(width)), y = int(i / size_t(width));
        if (frame[i] == kBackgroundPixel)
            continue;
        EXPECT_TRUE(x >= left && x < right && y >= top && y < bottom) << x << ", " << y;
        ++covered;
    }
    return covered;
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
    EXPECT_GT(CountInside(Block(0, 0, kWidth, kHeight), kWidth, 20.0f, 20.0f, 20.0f + size.x + 1.5f, 20.0f + size.y),
              400);
    font.Unload();
}

// A charset of three pages (Latin, Greek and Cyrillic beyond the first 256 codes): a character of
// each page draws from its own sheet, in its measured box.
TEST_F(CharsetGLTest, ACharacterOfEachPageDrawsFromItsOwnSheet)
{
    Open(kWidth, kHeight);
    if (IsSkipped() || HasFatalFailure())
        return;
    ScratchFolder folder;
    std::u16string texts = u"AB";
    for (char16_t c = 0xA1; c <= 0x24F; ++c)
        if (c != 0xAD)
            texts += c;
    for (char16_t c = 0x391; c <= 0x3C9; ++c)
        texts += c;
    for (char16_t c = 0x410; c <= 0x44F; ++c)
        texts += c;
    CFontFace face;
    ASSERT_EQ(face.OpenForSheet(kDejaVuSans), kStatusOk);
    ASSERT_EQ(face.FitFaceToPixelHeight(30), kStatusOk);
    CharsetBuild build;
    ASSERT_EQ(BuildCharset(face, 30, 3, {{0x1, texts}}, build), kStatusOk);
    ASSERT_EQ(build.sheets.size(), 3u);
    ASSERT_EQ(WriteTo(folder.Wide("main.charset"), [&](UtilsStream* s) { return WriteCharset(build, s); }), kStatusOk);

    CVornelFontEx font(m_world.get());
    ASSERT_EQ(font.Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
    ASSERT_EQ(font.LoadFontCharsetFromFile(folder.Wide("main.charset").c_str()), kStatusOk);
    ASSERT_EQ(font.GetPageCount(), 3u);
    for (uint32_t p = 0; p < 3; ++p) {
        std::unique_ptr<uint8_t[]> pixels = GlyphSheetPixels(build.sheets[p], 32);
        C3DTextureRaw sheet(nullptr);
        ASSERT_EQ(sheet.AttachPixels(uint16_t(kGlyphSheetWidth), uint16_t(build.sheets[p].height), 32, pixels.get()),
                  kStatusOk);
        const std::u16string path = folder.Wide("main." + std::to_string(p) + ".png");
        ASSERT_EQ(sheet.SaveToFile(path.c_str(), false), kStatusOk);
        ASSERT_EQ(font.GetObject()->LoadTextureFromFileEx(0x10000001, 0x52, path.c_str(), int32_t(p), 0), kStatusOk);
    }
    // A Latin letter with its accent on page 1, the Cyrillic Zhe on page 2; the A of page 0 to
    // compare.
    for (const auto& [unicode, page] : {std::pair<char16_t, uint32_t>{u'A', 0}, {0x1E4, 1}, {0x416, 2}}) {
        SCOPED_TRACE(page);
        const char16_t text[2] = {char16_t(build.symbols[unicode]), 0};
        ASSERT_EQ(text[0] / 256u, page);
        const C3DVector3 size = font.GetTextSize(text, 30.0f, 30.0f);
        ASSERT_GT(size.x, 10.0f);
        m_world->colorClear = kBackground;
        m_engine->BeginScene();
        font.DrawText(text, 20.0f, 20.0f, 0.0f, 0, 0xFFFFFFFFu, 30.0f, 30.0f, nullptr, nullptr, 0);
        EXPECT_GT(CountInside(Block(0, 0, kWidth, kHeight), kWidth, 20.0f, 20.0f, 20.0f + size.x + 1.5f,
                              20.0f + size.y),
                  40);
    }
    font.Unload();
}

constexpr uint32_t kFrench = 1, kRussian = 8;

// A managed world loaded on the GL renderer in a window of its own, over a main pack the test
// writes, with the main font sections of the settings below.
class CharsetWorldGLTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        world.reset();
        Platform_DestroyWindow(window);
    }

    void Start(const std::vector<std::pair<std::string, Bytes>>& entries)
    {
        if (!HaveGLDisplay())
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        PlatformWindowDesc desc;
        desc.title = "charset world test";
        desc.width = kWidth;
        desc.height = kHeight;
        desc.visible = true;
        window = Platform_CreateWindow(desc);
        ASSERT_NE(window, nullptr) << Platform_GetLastErrorText();
        folder.WritePack("main.pak", entries);
        world = std::make_unique<ResourceWorld>(folder, kResourceSourcePack, "main.pak");
        world->Data()->pAppSettings = &settings;
        world->world.rendererModule = CreateModule3D_GL;
        world->world.window = window;
        ASSERT_EQ(world->world.LoadWithEngine(kModule3DId_GL, kWidth, kHeight, kWidth, kHeight), kStatusOk);
        engine = C3DEngine::FromWorld(world->Data());
        ASSERT_NE(engine, nullptr);
    }

    std::vector<Rgba> Frame(int width, int height)
    {
        std::vector<Rgba> rows(size_t(width) * height);
        for (int j = 0; j < height; ++j)
            glReadPixels(0, kHeight - 1 - j, width, 1, GL_RGBA, GL_UNSIGNED_BYTE, &rows[size_t(j) * width]);
        return rows;
    }

    ScratchFolder folder;
    std::string text = "[DESKTOP_FONT]\nMAIN_FONT_CHARSET_FILE_PATH = fonts/main.charset\n"
                       "MAIN_FONT_CHARSET_TEXTURE_PATH = fonts/main.%d.png\n"
                       "[PAGED_FONT]\nMAIN_FONT_CHARSET_FILE_PATH = fonts/paged.charset\n"
                       "MAIN_FONT_CHARSET_TEXTURE_PATH = fonts/paged.%d.tga\n";
    UtilsParameters_Text settings{text.c_str(), uint32_t(text.size())};
    PlatformWindow* window = nullptr;
    std::unique_ptr<ResourceWorld> world;
    C3DEngine* engine = nullptr;
};

TEST_F(CharsetWorldGLTest, TheMainCharsetFontDrawsARussianStringOfAnIndexedTable)
{
    // What `vornel font build --text ru:FILE` and `vornel strings build --symbols` make.
    const std::u16string russian = u"Привет, мир";
    CFontFace face;
    ASSERT_EQ(face.OpenForSheet(kDejaVuSans), kStatusOk);
    ASSERT_EQ(face.FitFaceToPixelHeight(30), kStatusOk);
    CharsetBuild build;
    ASSERT_EQ(BuildCharset(face, 30, 3, {{kStringsLanguages[kRussian].charsetMask, russian}}, build), kStatusOk);
    ASSERT_EQ(build.sheets.size(), 1u);
    std::unique_ptr<uint8_t[]> pixels = GlyphSheetPixels(build.sheets[0], 32);
    C3DTextureRaw page(nullptr);
    ASSERT_EQ(page.AttachPixels(uint16_t(kGlyphSheetWidth), uint16_t(build.sheets[0].height), 32, pixels.get()),
              kStatusOk);
    ASSERT_EQ(page.SaveToFile(folder.Wide("main.0.png").c_str(), false), kStatusOk);
    const std::string png = folder.Read("main.0.png");
    Bytes symbols = BytesOf([&](UtilsStream* s) { return WriteCharsetSymbols(build, s); });
    CStringsManager mapping(nullptr, nullptr);
    UtilsStream_Static symbolsStream(kStreamRead, symbols.data(), uint32_t(symbols.size()));
    ASSERT_EQ(symbolsStream.Open(), kStatusOk);
    ASSERT_EQ(mapping.ReadSymbols(&symbolsStream), kStatusOk);
    symbolsStream.Close();
    std::u16string indexed = russian;
    mapping.RemapChars(indexed.data());
    auto table = [](const std::vector<std::u16string>& strings) {
        CStringsRaw raw(nullptr);
        for (const std::u16string& string : strings)
            raw.Insert(string.c_str(), -1);
        return BytesOf([&](UtilsStream* s) { return raw.Save(s); });
    };
    Start({{"fonts/main.charset", BytesOf([&](UtilsStream* s) { return WriteCharset(build, s); })},
           {"fonts/main.0.png", Bytes(png.begin(), png.end())},
           {"strings/_symbols.utf8.indexed.ucs2.raw", symbols},
           {"strings/_strings.ru.utf8.indexed.ucs2.raw", table({indexed})},
           {"strings/_strings.ru.commons.utf8.indexed.ucs2.raw", table({u"OK"})}});
    if (IsSkipped() || HasFatalFailure())
        return;

    ASSERT_EQ(world->world.LoadMainFont(1, u"DESKTOP_FONT"), kStatusOk);
    auto* font = dynamic_cast<CVornelFontEx*>(world->world.GetMainFont());
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetFontType(), kFontCharset);
    ASSERT_EQ(world->world.CreateStringsManager(), kStatusOk);
    CStringsManager* strings = world->world.GetStringsManager();
    strings->SetLanguage(kRussian);
    ASSERT_EQ(strings->OnRawSymbols(kStringsModeIndexed, u"strings/"), kStatusOk);
    ASSERT_EQ(strings->LoadTable(kStringsModeIndexed, u"strings/", 0), kStatusOk);
    EXPECT_TRUE(strings->IsAvailable(kRussian));
    ASSERT_EQ(strings->Load(kStringsModeIndexed, u"strings/", kLanguageCurrent, 0), kStatusOk);
    ASSERT_EQ(world->world.LoadFontPagesForLanguage(font, kLanguageCurrent), kStatusOk);
    const char16_t* line = strings->GetTable()->GetString(0);
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(std::u16string(line), indexed);
    std::u16string back = line;
    font->RemapText(back.data());
    EXPECT_EQ(back, russian);

    const C3DVector3 size = font->GetTextSize(line, 30.0f, 30.0f);
    EXPECT_GT(size.x, 120.0f);
    world->Data()->colorClear = kBackground;
    ASSERT_EQ(engine->BeginScene(), kStatusOk);
    font->DrawText(line, 20.0f, 20.0f, 0.0f, 0, 0xFFFFFFFFu, 30.0f, 30.0f, nullptr, nullptr, 0);
    const float right = 20.0f + size.x + 1.5f, bottom = 20.0f + size.y;
    EXPECT_GT(CountInside(Frame(kWidth, kHeight), kWidth, 20.0f, 20.0f, right, bottom), 400);
}

TEST_F(CharsetWorldGLTest, PagesOfTheMainFontFollowTheLanguage)
{
    const Bytes page = MemoryTga(4, 4, 255, 255, 255);
    Start({{"fonts/paged.charset", CharsetBytes({{0x1, u""}, {0x2, u""}}, 2)},
           {"fonts/paged.0.tga", page},
           {"fonts/paged.1.tga", page}});
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_EQ(world->world.LoadMainFont(1, u"PAGED_FONT"), kStatusOk);
    CVornelFont* font = world->world.GetMainFont();
    ASSERT_NE(font, nullptr);
    C3DTexture* latin = font->GetTexture(0);
    C3DTexture* cyrillic = font->GetTexture(1);
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_TRUE(latin->IsLoaded());
    EXPECT_TRUE(cyrillic->IsLoaded());
    EXPECT_EQ(world->world.LoadFontPagesForLanguage(font, kFrench), kStatusOk);
    EXPECT_TRUE(latin->IsLoaded());
    EXPECT_FALSE(cyrillic->IsLoaded());
    EXPECT_EQ(world->world.LoadFontPagesForLanguage(font, kRussian), kStatusOk);
    EXPECT_FALSE(latin->IsLoaded());
    EXPECT_TRUE(cyrillic->IsLoaded());
    EXPECT_EQ(std::u16string(cyrillic->GetName()), u"fonts/paged.1.tga");
}

}  // namespace
