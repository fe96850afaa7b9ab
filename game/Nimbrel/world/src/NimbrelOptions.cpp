// The player's options file in the per-user folder.
#include <memory>
#include <new>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelPlatform/PlatformUser.h"
#include "VornelUtils/UtilsParameters_File.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

Status CNimbrelWorld::BuildUserDataPath(const char16_t* fileName, const char16_t* folderWord, char16_t* out)
{
    if (!out)
        return kStatusFailed;
    out[0] = 0;
    char folder[kWorldTextSize * 4];
    if (!Platform_GetUserDataFolder(folder, sizeof folder))
        return kStatusFailed;
    const std::u16string base = UtilsString_FromUtf8(folder);
    const char16_t* name = GetAppName();
    // A cut path would name another file: refuse it instead.
    char16_t path[kWorldTextSize + 1];
    const int length = UtilsString_Format(path, kWorldTextSize + 1, u"%s%s %s\\%s.v3.%s", base.c_str(),
                                          folderWord ? folderWord : u"", name, name, fileName ? fileName : u"");
    if (length < 0 || length >= kWorldTextSize)
        return kStatusFailed;
    UtilsString_Copy(out, kWorldTextSize, path);
    return kStatusOk;
}

Status CNimbrelWorld::SaveOptions()
{
    // The options file is written once the game keeps options worth saving (language,
    // profile, volumes); until then the file read at start is left as it is.
    return kStatusOk;
}

Status CNimbrelWorld::SaveOptionsAndProfile()
{
    const GameData* game = GetGameData();
    if (game && game->busy)
        return kStatusOk;
    return Failed(SaveOptions()) ? kStatusFailed : kStatusOk;
}

Status CNimbrelWorld::LoadOptions(const char16_t* appName, const char16_t* dataPath, uint32_t a, uint32_t b,
                                  uint32_t assetRow)
{
    SetDataFolder(appName, dataPath, a, b);
    LoadPrefetchParams();
    m_assetRow = assetRow;
    WorldData* w = GetWorldData();
    if (!w)
        return kStatusOk;
    if (GameData* game = GetGameData())
        game->screen.assetIndex = static_cast<int32_t>(assetRow);

    char16_t path[kWorldTextSize];
    uint8_t fullScreen = 1;  // a first start (no options yet) is full screen
    if (Succeeded(BuildUserDataPath(kNimbrelOptionsFile, kNimbrelUserFolderWord, path))) {
        std::unique_ptr<UtilsParameters_File> options(new (std::nothrow) UtilsParameters_File(path, kScrambleKey));
        if (options)
            fullScreen = options->GetBool(u"OPTIONS", u"ENABLE_FULLSCREEN", 1) ? 1 : 0;
    }
    w->fullScreen = fullScreen;
    return kStatusOk;
}
