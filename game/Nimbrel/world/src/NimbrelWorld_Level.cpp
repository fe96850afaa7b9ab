// A level chosen by its name: by a script's `_command("load_object", NAME, CHAPTER)`, or by the
// program's start at a level.
#include <algorithm>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "VornelUtils/UtilsString.h"

Status CNimbrelWorld::LoadLevelByName(const char* name, uint32_t chapter)
{
    CObjectsManager* objects = GetObjectsManager();
    const int32_t index = objects && name ? objects->FindLevelIndexByName(name) : -1;
    if (index < 0)
        return kStatusFailed;
    const CChaptersManager* chapters = GetChaptersManager();
    const uint32_t count = chapters ? chapters->GetChapterCount() : 0;
    return objects->SetCurrentLevel(uint32_t(index), count ? std::min(chapter, count - 1) : kNoObjectIndex, 0);
}

void CNimbrelWorld::SetStartLevel(const char* name, uint32_t chapter)
{
    m_pStartLevel = name;
    m_startChapter = chapter;
    m_startLevelUnknown = false;
}

void CNimbrelWorld::EndOnFailure(const char16_t* text)
{
    m_endedOnFailure = true;
    if (text)
        UtilsString_Copy(m_pWorldData->lastErrorText, kWorldTextSize, text);
    if (GameData* game = GetGameData())
        game->stop = 1;
}
