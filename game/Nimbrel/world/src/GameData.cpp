#include "NimbrelWorld/GameData.h"

#include <new>

#include "NimbrelWorld/ScreenFit.h"
#include "VornelUtils/UtilsString.h"

GameData* GameDataCreate()
{
    GameData* game = new (std::nothrow) GameData();
    if (!game)
        return nullptr;
    game->screen.uniformScaleX = 1.0f;
    game->screen.uniformScaleY = 1.0f;
    game->screen.depthScale = 1.0f;
    game->screen.layoutPositionX = game->screen.layoutPositionY = 1.0f;
    game->screen.layoutSizeX = game->screen.layoutSizeY = 1.0f;
    game->drawElement = -1;
    game->drawMaterial = -1;
    game->language = kLanguageNone;
    game->musicVolume = 1.0f;
    game->soundsVolume = 1.0f;
    game->brightness = kBrightnessUnchanged;
    ComputePlayArea(kDefaultReferenceWidth, kDefaultReferenceHeight, game->playArea);
    return game;
}

void GameDataFree(GameData* pGame)
{
    delete pGame;
}

void GameDataSetConstruction(GameData& game, const char* baseName)
{
    game.modeWord = (0u << kGameModeConstructShift) | kResourceSourcePack;
    UtilsString_CopyA(game.constructBaseName, kManagedNameSize, baseName ? baseName : "");
}
