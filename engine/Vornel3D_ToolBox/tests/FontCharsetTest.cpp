// Charset fonts over the memory back end: reading charsets (the slice capacity, bad and short
// streams), drawing and measuring across pages, remapping, and the main font of kind 2 with its
// page textures from the packs.
#include <memory>

#include "CharsetTestData.h"
#include "FontTestSupport.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelUtils/UtilsParameters.h"

namespace {

class FontCharsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = std::make_unique<CMemoryEngine>(world.Data());
        world.Data()->virtualWidth = 800;
        world.Data()->virtualHeight = 600;
        font = std::make_unique<CVornelFontEx>(world.Data());
        ASSERT_EQ(font->Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
    }
    void TearDown() override
    {
        font->Unload();
        font.reset();
        world.world.Unload();
        EXPECT_EQ(engine->GetObjectList().GetCount(), 0u);
        EXPECT_EQ(engine->GetTextureList().GetCount(), 0u);
    }

    Status Read(const Bytes& bytes)
    {
        return font->MakeFontCharsetFromAddress(bytes.data(), uint32_t(bytes.size()));
    }

    ScratchFolder folder;
    ResourceWorld world{folder, kResourceSourcePack, ""};
    std::unique_ptr<CMemoryEngine> engine;
    std::unique_ptr<CVornelFontEx> font;
};

TEST_F(FontCharsetTest, PagesShareSixteenBitIndicesInSlicesOfAtLeast128Characters)
{
    const struct {
        uint32_t pages, perPage;
        Status status;
    } cases[] = {{1, 1024, kStatusOk}, {10, 1024, kStatusOk}, {11, 992, kStatusOk}, {85, 128, kStatusOk},
                 {100, 109, kStatusFailed}};
    for (const auto& c : cases) {
        ASSERT_EQ(font->Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
        EXPECT_EQ(Read(PlainCharset(c.pages)), c.status) << c.pages;
        EXPECT_EQ(font->GetMaxCharsPerRender(), c.perPage) << c.pages;
        if (c.status == kStatusOk) {
            EXPECT_EQ(font->GetObject()->GetGroupCount(), c.pages);
            EXPECT_EQ(font->GetObject()->GetVertexCount(), c.pages * c.perPage * 6);
        }
    }
}

TEST_F(FontCharsetTest, EachPageDrawsIntoItsOwnSliceAndCodesBeyondThePagesAreNothing)
{
    ASSERT_EQ(Read(PlainCharset(2)), kStatusOk);
    const char16_t text[] = u"A\u0141\u0341B";  // pages 0, 1, 3 (there is none), 0
    const C3DVector3 pen = font->BuildChunk(text, 0.0f, 10.0f, 20.0f, 0.0f, 0, 0xFFFFFFFFu, 1.0f, 4.0f, nullptr,
                                            nullptr, 0);
    EXPECT_FLOAT_EQ(pen.x, 13.0f);  // three characters one unit wide
    C3DObject* object = font->GetObject();
    const uint32_t slice = 1024 * 6;
    uint32_t start[2], count[2], primitives[2];
    for (uint32_t g = 0; g < 2; ++g)
        object->GetGroupFields(g, &start[g], &count[g], nullptr, nullptr, &primitives[g], nullptr, nullptr, nullptr);
    EXPECT_EQ(start[0], 0u);
    EXPECT_EQ(count[0], 12u);
    EXPECT_EQ(primitives[0], 4u);
    EXPECT_EQ(start[1], slice);
    EXPECT_EQ(count[1], 6u);
    EXPECT_FLOAT_EQ(object->GetVertexPosition(slice).x, 11.0f);  // after 'A'
    EXPECT_FLOAT_EQ(object->GetVertexPosition(6).x, 12.0f);      // 'B' after both
    // Measuring, truncating and wrapping pass over the missing page.
    EXPECT_FLOAT_EQ(font->GetTextSize(text, 1.0f, 4.0f).x, 3.0f);
    char16_t cut[] = u"A\u0341BCD";
    EXPECT_TRUE(font->TruncateText(1.0f, cut, 2));
    EXPECT_EQ(std::u16string(cut), u"A\u0341B");
    char16_t wrapped[32];
    EXPECT_EQ(font->WrapText(1.0f, 0, u"AB\u0341 CD ", wrapped, 32, 3, u' ', nullptr, nullptr), 5u);
    EXPECT_EQ(std::u16string(wrapped), u"AB\nCD");
}

TEST_F(FontCharsetTest, RemapTextMapsCodesWithinTheirPageTables)
{
    ASSERT_EQ(Read(CharsetBytes({{0x1, u""}, {0x1, u"\u00E9\u2013"}}, 2)), kStatusOk);
    char16_t text[] = u"a\u0100\u0101\u0102\u0500";
    font->RemapText(text);
    EXPECT_EQ(std::u16string(text), u"a\u00E9\u2013\u0102\u0500");
}

TEST_F(FontCharsetTest, BadCharsetsAreRefusedAndLeaveNothingToFreeTwice)
{
    const Bytes good = CharsetBytes({{0x1, u"ab"}, {0x2, u"\u0416"}}, 2);
    ASSERT_EQ(Read(good), kStatusOk);
    // Another version, or a count the stream cannot hold, leaves the loaded charset as it was.
    Bytes six = good;
    six[0] = 6;
    Bytes huge = good;
    for (int i = 4; i < 8; ++i)
        huge[i] = 0xFF;
    for (const Bytes& bad : {six, huge}) {
        EXPECT_EQ(Read(bad), kStatusFailed);
        ASSERT_EQ(font->GetPageCount(), 2u);
        EXPECT_EQ(font->GetPages()[1].remapLength, 1u);
        EXPECT_EQ(font->GetPages()[1].pRemap[0], u'\u0416');
    }
    // A table longer than the stream, and every cut of the stream, fail; each partial charset
    // unloads cleanly and a good one reads again after it.
    Bytes longTable = good;
    longTable[20] = 0xFF;
    longTable[21] = 0xFF;
    std::vector<Bytes> bad{longTable};
    for (size_t cut : {size_t(10), size_t(14), size_t(26), good.size() - 20, good.size() - 1})
        bad.emplace_back(good.begin(), good.begin() + long(cut));
    for (const Bytes& b : bad) {
        ASSERT_EQ(Read(good), kStatusOk);
        EXPECT_EQ(Read(b), kStatusFailed) << b.size();
        font->Unload();
        EXPECT_EQ(font->GetPageCount(), 0u);
        ASSERT_EQ(font->Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
    }
}

TEST_F(FontCharsetTest, PageTexturesAndASecondUser)
{
    ASSERT_EQ(Read(PlainCharset(2)), kStatusOk);
    C3DTexture* pages[3] = {};
    for (C3DTexture*& page : pages)
        page = engine->CreateTexture(0x10000001, 0x52);
    EXPECT_EQ(font->SetPageTextures(pages, 3), kStatusFailed);
    EXPECT_EQ(font->GetTexture(0), nullptr);
    ASSERT_EQ(font->SetPageTextures(pages, 2), kStatusOk);
    EXPECT_EQ(font->GetTexture(1), pages[1]);
    engine->ReleaseTexture(pages[2], 0);

    CVornelFontEx second(world.Data());
    ASSERT_EQ(second.Load(font.get(), 2000), kStatusOk);
    EXPECT_EQ(second.GetMaxCharsPerRender(), 2000u);
    EXPECT_EQ(second.GetTexture(1), pages[1]);
    EXPECT_FLOAT_EQ(second.GetTextSize(u"A\u0101", 1.0f, 1.0f).x, 2.0f);
    second.Unload();
}

// The main font of kind 2 from the packs, its pages named by the settings' pattern.
class CharsetMainFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        charset = CharsetBytes({{0x3, u""}, {0x2, u""}}, 2);
        page = MemoryTga(4, 4, 255, 255, 255);
    }

    std::unique_ptr<ResourceWorld> World(const std::vector<std::pair<std::string, Bytes>>& entries)
    {
        folder.WritePack("main.pak", entries);
        auto world = std::make_unique<ResourceWorld>(folder, kResourceSourcePack, "main.pak");
        world->Data()->pAppSettings = &settings;
        engine = std::make_unique<CMemoryEngine>(world->Data());
        return world;
    }
    void Finish(std::unique_ptr<ResourceWorld>& world)
    {
        world->world.Unload();
        EXPECT_EQ(engine->GetObjectList().GetCount(), 0u);
        EXPECT_EQ(engine->GetTextureList().GetCount(), 0u);
        engine.reset();
        world.reset();
    }

    ScratchFolder folder;
    std::string text = "[DESKTOP_FONT]\nMAIN_FONT_CHARSET_FILE_PATH = fonts/main.charset\n"
                       "MAIN_FONT_CHARSET_TEXTURE_PATH = fonts/main.%d.tga\n";
    UtilsParameters_Text settings{text.c_str(), uint32_t(text.size())};
    Bytes charset, page;
    std::unique_ptr<CMemoryEngine> engine;
};

TEST_F(CharsetMainFontTest, PagesLoadAndGoByTheLanguagesMask)
{
    auto world = World({{"fonts/main.charset", charset}, {"fonts/main.0.tga", page}, {"fonts/main.1.tga", page}});
    ASSERT_EQ(world->world.LoadMainFont(1, u"DESKTOP_FONT"), kStatusOk);
    CVornelFont* font = world->world.GetMainFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetFontType(), kFontCharset);
    C3DTexture* second = font->GetTexture(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::u16string(second->GetName()), u"fonts/main.1.tga");
    EXPECT_TRUE(second->IsLoaded());
    EXPECT_EQ(world->world.LoadFontPagesForLanguage(font, 1), kStatusOk);  // French: page 1 goes
    EXPECT_TRUE(font->GetTexture(0)->IsLoaded());
    EXPECT_FALSE(second->IsLoaded());
    EXPECT_EQ(world->world.LoadFontPagesForLanguage(font, 8), kStatusOk);  // Russian: it is back
    EXPECT_TRUE(second->IsLoaded());
    CVornelFont plain(world->Data());
    EXPECT_EQ(world->world.LoadFontPagesForLanguage(&plain, 8), kStatusFailed);
    Finish(world);
}

TEST_F(CharsetMainFontTest, AMissingPageOrCharsetFailsTheFontAndLeavesNothingBehind)
{
    const struct {
        std::vector<std::pair<std::string, Bytes>> main, external;
        const char* logged;  // only the charset's lines reach the log file
    } cases[] = {
        {{{"fonts/main.charset", charset}, {"fonts/main.0.tga", page}}, {},
         nullptr},
        {{{"fonts/main.0.tga", page}}, {},
         "# CManagedWorld::CreateFont LoadFontCharsetFromPacker failed! (\"fonts/main.charset\")"},
        {{{"fonts/main.charset", charset}, {"fonts/main.0.tga", page}, {"fonts/main.1.tga", page}},
         {{"fonts/main.0.tga", page}},
         nullptr},
        {{{"fonts/main.0.tga", page}}, {{"fonts/main.charset", Bytes(charset.begin(), charset.end() - 3)}},
         "# CManagedWorld::CreateFont LoadFontCharsetFromPacker external failed! (\"fonts/main.charset\")"},
    };
    for (const auto& c : cases) {
        auto world = World(c.main);
        if (!c.external.empty()) {
            folder.WritePack("external.pak", c.external);
            ASSERT_EQ(world->world.SetExternalPack(folder.Wide("external.pak").c_str(), 0, nullptr), kStatusOk);
        }
        EXPECT_EQ(world->world.LoadMainFont(1, u"DESKTOP_FONT"), kStatusFailed) << c.main.size();
        EXPECT_EQ(world->world.GetMainFont(), nullptr);
        if (c.logged) {
            EXPECT_NE(folder.Read("test.log").find(c.logged), std::string::npos) << c.logged;
        }
        Finish(world);
    }
}

// The page pattern is formatted with the page number alone: a pattern that takes no number, two,
// or any other argument fails the font with a line in the log.
TEST_F(CharsetMainFontTest, APagePatternTakesOneNumberAndNothingElse)
{
    const struct {
        const char* pattern;
        bool loads;
    } cases[] = {
        {"fonts/main.%d.tga", true},     {"fonts/100%%.%d.tga", true},  {"fonts/main.tga", false},
        {"fonts/main.%d.%d.tga", false}, {"fonts/main.%s.tga", false},  {"fonts/%s.%d.tga", false},
        {"fonts/main.%02d.tga", false},  {"fonts/main.%d.%", false},    {"fonts/main.%ld.tga", false},
        {"fonts/main.%n%d.tga", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const std::string own = "[DESKTOP_FONT]\nMAIN_FONT_CHARSET_FILE_PATH = fonts/main.charset\n"
                                "MAIN_FONT_CHARSET_TEXTURE_PATH = " +
                                std::string(c.pattern) + "\n";
        UtilsParameters_Text patterned{own.c_str(), uint32_t(own.size())};
        auto world = World({{"fonts/main.charset", charset}, {"fonts/main.0.tga", page}, {"fonts/main.1.tga", page},
                            {"fonts/100%.0.tga", page}, {"fonts/100%.1.tga", page}});
        world->Data()->pAppSettings = &patterned;
        EXPECT_EQ(world->world.LoadMainFont(1, u"DESKTOP_FONT"), c.loads ? kStatusOk : kStatusFailed);
        EXPECT_EQ(world->world.GetMainFont() != nullptr, c.loads);
        const std::string line = std::string("MAIN_FONT_CHARSET_TEXTURE_PATH \"") + c.pattern +
                                 "\" must hold one %d and no other conversion";
        EXPECT_EQ(folder.Read("test.log").find(line) != std::string::npos, !c.loads);
        Finish(world);
    }
}

}  // namespace
