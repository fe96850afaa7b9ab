// The player's options file in the per-user folder: read at start-up, written whole through the
// atomic writer when options change and at shutdown.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <string>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ProfileManager.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsParameters_File.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr int32_t kOptionsVersion = 20;
constexpr int32_t kLastLanguage = 16;
constexpr int32_t kDefaultBrightness = 127;
constexpr const char* kOptionsRule = "////////////////////////////////////////////////////////////////////////\n";

float VolumeFromPercent(int32_t percent)
{
    return std::clamp(static_cast<float>(percent) * 0.01f, 0.0f, 1.0f);
}

// Rounded: a truncated 0.57 would be saved as 56, and every save would lower the setting.
int32_t PercentFromVolume(float volume)
{
    return static_cast<int32_t>(std::lround(std::clamp(volume, 0.0f, 1.0f) * 100.0f));
}

void AppendLine(std::string& text, const char* key, int32_t value)
{
    char line[96];
    const int length = UtilsString_FormatA(line, sizeof line, "%s = %d\n\n", key, value);
    if (length > 0)
        text.append(line, static_cast<size_t>(length));
}

} // namespace

void CNimbrelWorld::ReadOptions(UtilsParameters& file)
{
    WorldData* w = GetWorldData();
    GameData* game = GetGameData();
    if (!w || !game)
        return;
    file.GetInt(u"OPTIONS", u"OPTIONS_VERSION", 0);
    w->fullScreen = file.GetBool(u"OPTIONS", u"ENABLE_FULLSCREEN", 1) ? 1 : 0;
    // "None chosen" is kept, so that the system's language is asked again at the next start.
    const int32_t language = file.GetInt(u"OPTIONS", u"COUNTRY_INDEX", game->language);
    game->language = language == kLanguageNone ? kLanguageNone : std::clamp(language, 0, kLastLanguage);
    game->profileIndex = file.GetInt(u"OPTIONS", u"PROFILE_INDEX", game->profileIndex) & 0xFF;
    game->musicVolume = VolumeFromPercent(file.GetInt(u"OPTIONS", u"MUSICS_VOLUME", 100));
    game->soundsVolume = VolumeFromPercent(file.GetInt(u"OPTIONS", u"SOUNDS_VOLUME", 100));
    const uint16_t brightness = static_cast<uint16_t>(file.GetInt(u"OPTIONS", u"BRIGHTNESS_VALUE", kDefaultBrightness));
    game->brightness = std::min<uint16_t>(brightness, 255);
}

Status CNimbrelWorld::LoadOptions(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b,
                                  uint32_t assetRow)
{
    SetDataFolder(appName, dataPath, a, b);
    LoadPrefetchParams();
    m_assetRow = assetRow;
    if (!GetWorldData() || !GetGameData())
        return kStatusOk;
    GetGameData()->screen.assetIndex = static_cast<int32_t>(assetRow);

    // A missing or unreadable file (or no per-user folder) gives every default.
    char16_t path[kWorldTextSize];
    BuildUserDataPath(kNimbrelOptionsFile, 0, kNimbrelUserFolderWord, path);
    std::unique_ptr<UtilsParameters_File> file(new (std::nothrow) UtilsParameters_File(path, kScrambleKey));
    if (file)
        ReadOptions(*file);
    m_optionsRead = true;
    return kStatusOk;
}

std::string CNimbrelWorld::FormatOptions() const
{
    const WorldData* w = GetWorldData();
    const GameData* game = GetGameData();
    std::string text = "\xEF\xBB\xBF";
    text += kOptionsRule;
    text += "\n[OPTIONS]\n---------\n\n";
    AppendLine(text, "OPTIONS_VERSION", kOptionsVersion);
    AppendLine(text, "ENABLE_FULLSCREEN", w->fullScreen);
    const CStringsManager* strings = GetStringsManager();
    AppendLine(text, "COUNTRY_INDEX", strings ? static_cast<int32_t>(strings->GetLanguage()) : game->language);
    const CProfileManager* profiles = GetProfileManager();
    AppendLine(text, "PROFILE_INDEX", profiles ? profiles->GetCurrentIndex() : game->profileIndex);
    // Without a manager to ask (no sound device this run), the volumes read at start are kept.
    const CMusicManager* music = GetMusicManager();
    AppendLine(text, "MUSICS_VOLUME", PercentFromVolume(music ? music->GetVolume() : game->musicVolume));
    AppendLine(text, "SOUNDS_VOLUME", PercentFromVolume(game->soundsVolume));
    AppendLine(text, "BRIGHTNESS_VALUE", kDefaultBrightness);
    text += kOptionsRule;
    return text;
}

Status CNimbrelWorld::SaveOptions()
{
    // Before the options were read there is nothing of the player's to save, and writing the
    // defaults would replace the player's file.
    if (!m_optionsRead || !GetWorldData() || !GetGameData())
        return kStatusFailed;
    char16_t path[kWorldTextSize];
    if (Failed(BuildUserDataPath(kNimbrelOptionsFile, 1, kNimbrelUserFolderWord, path)))
        return kStatusFailed;
    const std::string text = FormatOptions();
    const std::string target = UtilsString_ToUtf8(path);
    return Platform_WriteFileAtomic(target.c_str(), text.data(), text.size()) ? kStatusOk : kStatusFailed;
}

Status CNimbrelWorld::SaveOptionsAndProfile()
{
    const GameData* game = GetGameData();
    if (game && game->busy)
        return kStatusOk;
    if (Failed(SaveOptions()))
        return kStatusFailed;
    return SaveCurrentProfile();
}

Status CNimbrelWorld::SaveCurrentProfile()
{
    // Only a changed slot is written; -1 (no current slot) writes nothing.
    CProfileManager* profiles = GetProfileManager();
    if (!profiles || profiles->GetCurrentIndex() == -1)
        return kStatusOk;
    return Failed(profiles->SaveProfileToFile(profiles->GetCurrentIndex(), nullptr, 0)) ? kStatusFailed : kStatusOk;
}
