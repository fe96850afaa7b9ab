// The game's string tables at start-up.
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelUtils/UtilsLog.h"

Status CNimbrelWorld::LoadStringsManager()
{
    WorldData* w = GetWorldData();
    if (Failed(CreateStringsManager())) {
        Log(w->logPath, 0, u"# CNimbrelWorld::Load failed! internal error\n");
        return kStatusFailed;
    }
    CStringsManager* strings = GetStringsManager();
    if (const GameData* game = GetGameData(); game && game->language != kLanguageNone)
        strings->SetLanguage(uint32_t(game->language));
    const uint32_t mode = MainFontKind();
    if (Failed(strings->OnRawSymbols(mode, kStringsFolder)) || Failed(strings->LoadPunctuation(mode)) ||
        Failed(strings->LoadTable(mode, kStringsFolder, 0)) || Failed(LoadLanguage(kLanguageNone))) {
        Log(w->logPath, 0, u"# CNimbrelWorld::Load failed! internal error\n");
        return kStatusFailed;
    }
    return kStatusOk;
}
