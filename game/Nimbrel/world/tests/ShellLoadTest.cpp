// The start-up load's settings and fonts: defaults, the global text ratio, the external links,
// the main and extra fonts rebuilt without freeing a shared font twice.
#include <gtest/gtest.h>

#include <string>

#include "RecordingWorld.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsParameters.h"

namespace {

// A world whose fonts are plain font objects, counted as they are made.
class FontWorld : public RecordingWorld {
public:
    uint32_t made = 0;
    CVornelFont* CreateFont(uint32_t kind, const char16_t* section) override
    {
        if (kind == kFontCharset)
            return nullptr;  // as when the charset or its pages are missing
        ++made;
        return new CVornelFont(GetWorldData());
    }
};

// The world's application settings from a text, for the life of the object.
class AppSettings {
public:
    AppSettings(CNimbrelWorld& world, std::string text)
        : m_text(std::move(text)), m_reader(m_text.data(), uint32_t(m_text.size())), m_w(world.GetWorldData())
    {
        m_w->pAppSettings = &m_reader;
    }
    ~AppSettings() { m_w->pAppSettings = nullptr; }

private:
    std::string m_text;
    UtilsParameters_Text m_reader;
    WorldData* m_w;
};

}  // namespace

TEST(ShellLoad, TextAppearanceDefaultsAndGlobalRatio)
{
    RecordingWorld world;
    world.ReadTextAppearance();  // no settings at all
    const GameTextAppearance& t = world.GetGameData()->text;
    EXPECT_FLOAT_EQ(world.MainTextStyle().width, 60.0f);
    EXPECT_FLOAT_EQ(world.MainTextStyle().height, 60.0f);
    EXPECT_EQ(world.MainTextStyle().color, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(t.information.width, 30.0f);
    EXPECT_EQ(t.information.color, 0xFF000000u);
    EXPECT_FLOAT_EQ(t.tutorial.height, 30.0f);
    EXPECT_EQ(t.tutorial.color, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(t.popupBorderRatio, 0.9f);

    AppSettings settings(world, "[MAIN_FONT]\nGLOBAL_TEXT_RATIO = 2.0\nINFOS_FONT_COLOR_R = 511\n"
                                "POPUP_FONT_SIZE_WIDTH = 10\n");
    world.ReadTextAppearance();
    EXPECT_FLOAT_EQ(world.MainTextStyle().width, 120.0f);
    EXPECT_FLOAT_EQ(world.ExtraTextStyle().height, 120.0f);
    EXPECT_FLOAT_EQ(t.information.height, 60.0f);
    EXPECT_FLOAT_EQ(t.narrator.width, 80.0f);
    EXPECT_FLOAT_EQ(t.popup.width, 20.0f);
    EXPECT_FLOAT_EQ(t.popup.height, 80.0f);
    EXPECT_EQ(t.information.color, 0xFFFF0000u);  // the low byte of each channel
    // The two ratios are not text sizes.
    EXPECT_FLOAT_EQ(t.menuButtonSizeRatio, 1.0f);
    EXPECT_FLOAT_EQ(t.popupBorderRatio, 0.9f);
}

TEST(ShellLoad, ScreenSettingsAndABadReferenceSize)
{
    RecordingWorld world;
    AppSettings settings(world, "[CAMERA]\nDEFAULT_APP_WIDTH = 0\nDEFAULT_APP_HEIGHT = 600\n"
                                "[TRANSITIONS]\nDEFAULT_FADE_SECONDS = 0.25\n");
    world.ReadScreenSettings();
    const GameScreenScale& s = world.GetGameData()->screen;
    EXPECT_FLOAT_EQ(s.referenceWidth, 1024.0f);
    EXPECT_FLOAT_EQ(s.referenceHeight, 768.0f);
    EXPECT_FLOAT_EQ(s.specialTextRatio, 0.33f);
    EXPECT_FLOAT_EQ(s.referenceDiagonal, 7.0f);
    EXPECT_FLOAT_EQ(s.zoomReferenceRatio, 1.3f);
    EXPECT_FLOAT_EQ(s.defaultFadeSeconds, 0.25f);
    EXPECT_FLOAT_EQ(world.GetWorldData()->game.view.defaultFadeSeconds, 0.25f);
    EXPECT_FLOAT_EQ(s.defaultTransitionSeconds, 1.0f);
}

TEST(ShellLoad, ExtraFontIsTheMainFontUntilAGlyphFileIsNamed)
{
    FontWorld world;
    world.SetFlag(kTrueTypeFlag, 0);
    {
        AppSettings settings(world, "[DESKTOP_FONT]\nLOAD_FONT_TYPE = 1\n");
        ASSERT_EQ(world.LoadFonts(u"DESKTOP_FONT"), kStatusOk);
        ASSERT_NE(world.GetMainFont(), nullptr);
        EXPECT_EQ(world.GetSecondFont(), world.GetMainFont());
        // Rebuilt: the shared font is freed once (ASan watches).
        ASSERT_EQ(world.LoadFonts(u"DESKTOP_FONT"), kStatusOk);
        EXPECT_EQ(world.GetSecondFont(), world.GetMainFont());
    }
    {
        AppSettings settings(world, "[EXTRA_FONT]\nMAIN_FONT_GLYPH_FILE_PATH = fonts/extra.glyph\n");
        ASSERT_EQ(world.LoadFonts(u"DESKTOP_FONT"), kStatusOk);
        EXPECT_NE(world.GetSecondFont(), world.GetMainFont());
        ASSERT_EQ(world.LoadFonts(u"DESKTOP_FONT"), kStatusOk);
        EXPECT_EQ(world.made, 6u);
    }
    // Under the TrueType flag the charset font is asked for; without one the load fails.
    world.SetFlag(kTrueTypeFlag, 1);
    EXPECT_EQ(world.LoadFonts(u"DESKTOP_FONT"), kStatusFailed);
    EXPECT_EQ(world.GetMainFont(), nullptr);
}

TEST(ShellLoad, ExternalLinksAndPartners)
{
    RecordingWorld world;
    world.ReadExternalSettings();  // no external settings: empty, disabled
    const GameData* game = world.GetGameData();
    EXPECT_EQ(game->mainWebSite[0], u'\0');
    EXPECT_EQ(game->socialLinks[0].enabled, 0);
    EXPECT_EQ(game->socialLinks[1].address[0], u'\0');
    // No pack at all: nothing to check, no error.
    EXPECT_EQ(world.OnLoadPartners(), kStatusOk);
}

TEST(ShellLoad, DataFolderNamesTheGameAndItsRawFolder)
{
    RecordingWorld world;
    WorldData* w = world.GetWorldData();
    w->game.view.alternateViewEnabled = w->game.view.alternateActive = 1;
    EXPECT_EQ(world.SetDataFolder(u"Nimbrel", nullptr, 7, 9), 1);
    EXPECT_EQ(std::u16string(world.GetAppName()), u"Nimbrel");
    EXPECT_EQ(std::u16string(world.GetClassName()), kNimbrelClassName);
    EXPECT_EQ(std::u16string(w->dataPath), u"Data_full_Win32\\");
    EXPECT_EQ(world.GetResourceMode(), kNimbrelResourceMode);
    EXPECT_EQ(std::u16string(world.GetGameData()->rawFolder), u"_raw.full.Win32/");
    EXPECT_EQ(w->game.view.alternateViewEnabled, 0);
    EXPECT_EQ(w->game.view.alternateActive, 0);
    world.SetDataFolder(u"Nimbrel", u"elsewhere/", 0, 0);
    EXPECT_EQ(std::u16string(w->dataPath), u"elsewhere/");
}
