// The main font of the managed world: made by its kind from the application settings, through
// the font AutoLoads of each source, and freed with the world.
#include <filesystem>

#include "FontTestSupport.h"
#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "VornelUtils/UtilsParameters.h"

namespace {

class FontAutoLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(kDejaVuSans)) << "fonts-dejavu-core";
        std::filesystem::copy_file(kDejaVuSans, folder.Path("face.ttf"));
        CVornelFont writer(nullptr);
        ASSERT_EQ(writer.RenderTTF(folder.Wide("face.ttf").c_str(), 20, 2), kStatusOk);
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path("")))
            if (entry.path().extension() == ".glyph")
                glyph = entry.path().filename().string();
        ASSERT_FALSE(glyph.empty());
        sheet = glyph.substr(0, glyph.size() - 6) + ".png";
        folder.WritePack("main.pak", {{"fonts/face.ttf", ReadAll("face.ttf")},
                                      {"fonts/main.png", ReadAll(sheet)},
                                      {"fonts/main.glyph", ReadAll(glyph)}});
    }

    Bytes ReadAll(const std::string& name)
    {
        const std::string text = folder.Read(name);
        return Bytes(text.begin(), text.end());
    }

    // A world of the source with a memory engine and these application settings.
    std::unique_ptr<ResourceWorld> World(uint32_t source, const std::string& settings)
    {
        text = settings;
        reader = std::make_unique<UtilsParameters_Text>(text.c_str(), uint32_t(text.size()));
        auto world = std::make_unique<ResourceWorld>(folder, source, "main.pak");
        world->Data()->pAppSettings = reader.get();
        engine = std::make_unique<CMemoryEngine>(world->Data());
        return world;
    }

    // The world's unload frees its fonts, and nothing of them stays with the engine; the
    // engine goes before the record it was made over.
    void Finish(std::unique_ptr<ResourceWorld>& world)
    {
        world->world.Unload();
        EXPECT_EQ(engine->GetObjectList().GetCount(), 0u);
        engine.reset();
        world.reset();
    }

    ScratchFolder folder;
    std::string glyph, sheet, text;
    std::unique_ptr<UtilsParameters_Text> reader;
    std::unique_ptr<CMemoryEngine> engine;
};

TEST_F(FontAutoLoadTest, TheMainFontOfEachKindFromEachSource)
{
    const struct {
        uint32_t source;
        std::string settings;
        uint32_t type;
        uint8_t height;
    } cases[] = {
        {kResourceSourcePack,
         "[MAIN_FONT]\nLOAD_FONT_TYPE = 1\nMAIN_FONT_GLYPH_TEXTURE_PATH = fonts/main.png\n"
         "MAIN_FONT_GLYPH_FILE_PATH = fonts/main.glyph\n",
         kFontGlyph, 20},
        {kResourceSourcePack, "[MAIN_FONT]\nMAIN_FONT_TTF_FILE_PATH = fonts/face.ttf\nMAIN_FONT_TTF_CHAR_SIZE_REF = 18\n",
         kFontTrueType, 18},
        {kResourceSourceFile,
         "[MAIN_FONT]\nLOAD_FONT_TYPE = 1\nMAIN_FONT_GLYPH_TEXTURE_PATH = " + sheet +
             "\nMAIN_FONT_GLYPH_FILE_PATH = " + glyph + "\n",
         kFontGlyph, 20},
        {kResourceSourceFile, "[MAIN_FONT]\nMAIN_FONT_TTF_FILE_PATH = face.ttf\n", kFontTrueType, 30},
    };
    for (const auto& c : cases) {
        auto world = World(c.source, c.settings);
        ASSERT_EQ(world->world.LoadMainFont(0, u"MAIN_FONT"), kStatusOk) << c.settings;
        CVornelFont* font = world->world.GetMainFont();
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetFontType(), c.type);
        EXPECT_EQ(font->GetMetrics()->charHeight, c.height);
        EXPECT_NE(font->GetTexture(0), nullptr);
        EXPECT_GT(font->CharWidth(u'A', 1.0f), 0.3f);
        // The second font may be the main one: it is freed once.
        world->world.SetSecondFont(font);
        Finish(world);
    }
}

TEST_F(FontAutoLoadTest, AMissingFileIsNamedAndNoFontIsKept)
{
    auto world = World(kResourceSourcePack,
                       "[MAIN_FONT]\nLOAD_FONT_TYPE = 1\nMAIN_FONT_GLYPH_TEXTURE_PATH = fonts/main.png\n"
                       "MAIN_FONT_GLYPH_FILE_PATH = fonts/gone.glyph\n");
    ASSERT_EQ(world->world.LoadMainFont(0, u"MAIN_FONT"), kStatusFailed);
    EXPECT_EQ(world->world.GetMainFont(), nullptr);
    EXPECT_EQ(std::u16string(world->Data()->lastErrorText), u"Missing file: fonts/gone.glyph");
    const std::string log = folder.Read("test.log");
    EXPECT_NE(log.find("# AutoLoadFontGlyphFromParam::LoadFontGlyphFromPacker GetResPacker failed! (\"fonts/gone.glyph\")"),
              std::string::npos);
    // A second font beside the main one goes with the world; a charset font is not made here.
    CVornelFont* second = world->world.CreateFont(kFontNone, u"MAIN_FONT");
    ASSERT_NE(second, nullptr);
    world->world.SetSecondFont(second);
    EXPECT_EQ(world->world.LoadMainFont(1, u"MAIN_FONT"), kStatusFailed);
    EXPECT_EQ(world->world.GetSecondFont(), second);
    Finish(world);
}

TEST_F(FontAutoLoadTest, OtherSourcesLoadNothing)
{
    auto world = World(0, "[MAIN_FONT]\nMAIN_FONT_TTF_FILE_PATH = fonts/face.ttf\n");
    CVornelFont font(world->Data());
    ASSERT_EQ(font.Init(kFontTrueType, kFontScreenObject, 8), kStatusOk);
    EXPECT_EQ(AutoLoadFontTTFFromParam(0, &font, u"MAIN_FONT", u"MAIN_FONT_TTF_FILE_PATH", 20, 2, reader.get(),
                                       world->Data()),
              kStatusOk);
    EXPECT_EQ(AutoLoadFontGlyphFromParam(5, &font, u"MAIN_FONT", u"A", u"B", reader.get(), world->Data()), kStatusOk);
    EXPECT_EQ(font.GetTexture(0), nullptr);
    font.Unload();
    Finish(world);
}

}  // namespace
