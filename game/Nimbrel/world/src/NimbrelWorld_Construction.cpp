// The construction file of the world load: the stamps into the game record, the chapter table
// into the chapters manager, and every scene object into the objects manager.
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/GroupTableFile.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"

void CNimbrelWorld::ConstructionFileName(char16_t name[kWorldTextSize], const char16_t* file)
{
    const GameData* game = GetGameData();
    const uint32_t mode = game ? GameConstructMode(*game) : 0;
    // Outside construct modes 1 and 2 the name carries the data folder, which only a loose
    // file has: pack entries and stored blocks are named without it.
    const bool folder = mode != 1 && mode != 2 && GetResourceSource() == kResourceSourceFile;
    UtilsString_Format(name, kWorldTextSize, u"%s%s", folder ? m_pWorldData->dataPath : u"", file);
}

Status CNimbrelWorld::ReadGroupTable(GroupTableKind kind, const char16_t* missingLog, GroupTable* pTable)
{
    WorldData* w = m_pWorldData;
    char16_t name[kWorldTextSize];
    ConstructionFileName(name, GroupTableFileName(kind));
    char identity[kManagedNameSize];
    GetApplicationName(identity);
    UtilsStream* stream = CheckConstruction(name, kGroupTableHeaderVersion, identity, 0);
    if (!stream) {
        Log(w->logPath, 0, missingLog, name);
        return kStatusOk;
    }
    Status status = GroupTable_Read(stream, kind, pTable, w);
    CloseResourceStream(stream);
    if (Failed(status))
        GroupTable_Free(pTable);
    if (Failed(status) && status != kStatusOutOfMemory) {
        UtilsString_Copy(w->lastErrorText, kWorldTextSize, kInvalidConstructionText);
        status = kStatusFailed;
    }
    return status;
}

Status CNimbrelWorld::LoadRelease()
{
    WorldData* w = m_pWorldData;
    GameData* game = GetGameData();
    CObjectsManager* objects = GetObjectsManager();
    if (!w || !game)
        return kStatusFailed;
    if (!objects)
        return kStatusOk;  // no scene objects in this program
    char16_t file[kWorldTextSize];
    UtilsString_Format(file, kWorldTextSize, u"%S_construct.raw", game->constructBaseName);
    char16_t name[kWorldTextSize];
    ConstructionFileName(name, file);
    char identity[kManagedNameSize];
    GetApplicationName(identity);
    UtilsStream* stream = CheckConstruction(name, kConstructionHeaderVersion, identity, 0);
    if (!stream) {
        Log(w->logPath, 0, u"# CNimbrelWorld::LoadRelease failed! missing file \"%s\"\n", name);
        return kStatusFailed;
    }
    ConstructionStamps stamps = {};
    Status status = ReadConstructionStamps(stream, &stamps);
    if (Succeeded(status)) {
        game->constructionStampA = stamps.stampA;
        game->constructionStampB = stamps.stampB;
        game->constructionReserved = stamps.reserved;
        CChaptersManager* chapters = GetChaptersManager();
        if (chapters)
            status = chapters->Load(stream);
        if (Succeeded(status))
            status = objects->ConstructFromStream(stream);
        // A chapter must start at an object of the construction.
        if (Succeeded(status) && chapters && Failed(chapters->CheckFirstLevels(objects->GetObjectCount())))
            status = kStatusMismatch;
    }
    CloseResourceStream(stream);
    if (status == kStatusMismatch) {
        UtilsString_Copy(w->lastErrorText, kWorldTextSize, kInvalidConstructionText);
        w->lastErrorCode = kStatusMismatch;
        return kStatusMismatch;
    }
    if (Succeeded(status) && Failed(objects->BuildObjectsFromRaw()))
        status = kStatusFailed;
    if (Succeeded(status))
        status = objects->BuildNameIndex();
    return status;
}
