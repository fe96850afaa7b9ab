// The settings the start-up load reads: screen and timing, the external links, and the sizes
// and colours of the game's texts. A missing setting (or a missing reader) takes its default.
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ScreenFit.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr const char16_t* kMainFontSection = u"MAIN_FONT";

float ReadFloat(UtilsParameters* p, const char16_t* section, const char16_t* key, float value)
{
    return p ? p->GetFloat(section, key, value) : value;
}

void ReadText(UtilsParameters* p, const char16_t* section, const char16_t* key, const char16_t* value,
              char16_t* out)
{
    if (p)
        p->GetString(section, key, value, out, kWorldTextSize);
    else
        UtilsString_Copy(out, kWorldTextSize, value);
}

// Four int settings "<prefix>A", "_R", "_G", "_B", of which the low byte counts: 0xAARRGGBB.
uint32_t ReadColor(UtilsParameters* p, const char16_t* prefix, uint32_t value)
{
    static const char16_t kChannels[4] = {u'A', u'R', u'G', u'B'};
    uint32_t color = 0;
    for (int i = 0; i < 4; ++i) {
        char16_t key[64];
        UtilsString_Format(key, 64, u"%s%c", prefix, kChannels[i]);
        const int32_t fallback = static_cast<int32_t>((value >> (24 - 8 * i)) & 0xFF);
        const uint32_t channel = static_cast<uint32_t>(p ? p->GetInt(kMainFontSection, key, fallback) : fallback);
        color |= (channel & 0xFF) << (24 - 8 * i);
    }
    return color;
}

struct TextSize {
    float* pWidth;
    float* pHeight;
    const char16_t* widthKey;
    const char16_t* heightKey;
    float value;
};

}  // namespace

void CNimbrelWorld::ReadScreenSettings()
{
    UtilsParameters* app = m_pWorldData->pAppSettings;
    GameScreenScale& s = GetGameData()->screen;
    s.specialTextRatio = ReadFloat(app, kMainFontSection, u"SPECIAL_TEXT_RATIO", 0.33f);
    s.smallScreenTextRatio = ReadFloat(app, kMainFontSection, u"MINIZ_SPECIAL_RATIO", 0.7f);
    s.referenceDiagonal = ReadFloat(app, kMainFontSection, u"DIAGONAL_INCH_REF", 7.0f);
    s.referenceWidth = ReadFloat(app, u"CAMERA", u"DEFAULT_APP_WIDTH", kDefaultReferenceWidth);
    s.referenceHeight = ReadFloat(app, u"CAMERA", u"DEFAULT_APP_HEIGHT", kDefaultReferenceHeight);
    SanitizeReferenceSize(&s.referenceWidth, &s.referenceHeight);
    s.zoomReferenceRatio = ReadFloat(app, u"CAMERA", u"MAX_ZOOM_REF_RATIO", 1.3f);
    s.defaultFadeSeconds = ReadFloat(app, u"TRANSITIONS", u"DEFAULT_FADE_SECONDS", 0.5f);
    s.defaultTransitionSeconds = ReadFloat(app, u"TRANSITIONS", u"DEFAULT_TRANSITION_RATIO_SECONDS", 1.0f);
    m_pWorldData->game.view.defaultFadeSeconds = s.defaultFadeSeconds;
}

void CNimbrelWorld::ReadExternalSettings()
{
    UtilsParameters* ext = GetExternalSettings();
    GameData* game = GetGameData();
    ReadText(ext, u"WEB_SCORING", u"MAIN_WEB_SITE_URL", u"", game->mainWebSite);
    game->socialLinks[0].enabled = ext ? ext->GetBool(u"FACEBOOK", u"ENABLE_FACEBOOK", 0) : 0;
    ReadText(ext, u"FACEBOOK", u"FACEBOOK_URL", u"", game->socialLinks[0].address);
    game->socialLinks[1].enabled = ext ? ext->GetBool(u"TWITTER", u"ENABLE_TWITTER", 0) : 0;
    ReadText(ext, u"TWITTER", u"TWITTER_URL", u"", game->socialLinks[1].address);
}

void CNimbrelWorld::ReadTextAppearance()
{
    UtilsParameters* app = m_pWorldData->pAppSettings;
    GameTextAppearance& t = GetGameData()->text;
    const float ratio = ReadFloat(app, kMainFontSection, u"GLOBAL_TEXT_RATIO", 1.0f);
    constexpr uint32_t kWhite = 0xFFFFFFFF;
    constexpr uint32_t kBlack = 0xFF000000;
    ManagedTextStyle& menu = MainTextStyle();
    ManagedTextStyle& extra = ExtraTextStyle();
    // In the order of the settings file's documentation: sizes, then each text's colour.
    const auto size = [&](const TextSize& z) {
        *z.pWidth = ReadFloat(app, kMainFontSection, z.widthKey, z.value) * ratio;
        *z.pHeight = ReadFloat(app, kMainFontSection, z.heightKey, z.value) * ratio;
    };
    size({&menu.width, &menu.height, u"MENU_FONT_SIZE_WIDTH", u"MENU_FONT_SIZE_HEIGHT", 60.0f});
    menu.color = ReadColor(app, u"MENU_FONT_COLOR_", kWhite);
    t.menuButtonSizeRatio = ReadFloat(app, kMainFontSection, u"MENU_BUTTONS_SIZE_RATIO", 1.0f);
    size({&t.credits.width, &t.credits.height, u"MENU_CREDITS_FONT_SIZE_WIDTH", u"MENU_CREDITS_FONT_SIZE_HEIGHT",
          30.0f});
    size({&extra.width, &extra.height, u"EXTRA_FONT_SIZE_WIDTH", u"EXTRA_FONT_SIZE_HEIGHT", 60.0f});
    extra.color = ReadColor(app, u"EXTRA_FONT_COLOR_", kWhite);
    t.toolbar.color = ReadColor(app, u"TOOLBAR_FONT_COLOR_", kBlack);
    t.toolbarDroppableColor = ReadColor(app, u"TOOLBAR_DROPPABLE_FONT_COLOR_", kBlack);
    size({&t.information.width, &t.information.height, u"INFOS_FONT_SIZE_WIDTH", u"INFOS_FONT_SIZE_HEIGHT", 30.0f});
    t.information.color = ReadColor(app, u"INFOS_FONT_COLOR_", kBlack);
    size({&t.toolbar.width, &t.toolbar.height, u"TOOLBAR_FONT_SIZE_WIDTH", u"TOOLBAR_FONT_SIZE_HEIGHT", 30.0f});
    size({&t.inventory.width, &t.inventory.height, u"INVENTORY_FONT_SIZE_WIDTH", u"INVENTORY_FONT_SIZE_HEIGHT",
          30.0f});
    t.inventory.color = ReadColor(app, u"INVENTORY_FONT_COLOR_", kBlack);
    size({&t.monitor.width, &t.monitor.height, u"MONITOR_FONT_SIZE_WIDTH", u"MONITOR_FONT_SIZE_HEIGHT", 40.0f});
    size({&t.particleText.width, &t.particleText.height, u"PARTICULE_TEXT_FONT_SIZE_WIDTH",
          u"PARTICULE_TEXT_FONT_SIZE_HEIGHT", 40.0f});
    size({&t.popup.width, &t.popup.height, u"POPUP_FONT_SIZE_WIDTH", u"POPUP_FONT_SIZE_HEIGHT", 40.0f});
    t.popup.color = ReadColor(app, u"POPUP_FONT_COLOR_", kBlack);
    t.popupBorderRatio = ReadFloat(app, kMainFontSection, u"POPUP_TEXT_SIZE_BORDER", 0.9f);
    size({&t.narrator.width, &t.narrator.height, u"NARRATOR_FONT_SIZE_WIDTH", u"NARRATOR_FONT_SIZE_HEIGHT", 40.0f});
    t.narrator.color = ReadColor(app, u"NARRATOR_FONT_COLOR_", kBlack);
    size({&t.message.width, &t.message.height, u"MESSAGE_FONT_SIZE_WIDTH", u"MESSAGE_FONT_SIZE_HEIGHT", 40.0f});
    t.message.color = ReadColor(app, u"MESSAGE_FONT_COLOR_", kBlack);
    size({&t.tutorial.width, &t.tutorial.height, u"TUTO_FONT_SIZE_WIDTH", u"TUTO_FONT_SIZE_HEIGHT", 30.0f});
    t.tutorial.color = ReadColor(app, u"TUTO_FONT_COLOR_", kWhite);
}
