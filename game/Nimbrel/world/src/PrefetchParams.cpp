// The developer flags file of the data folder.
#include "NimbrelWorld/PrefetchParams.h"

#include <memory>
#include <new>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsString.h"

Status ReadPrefetchParams(UtilsStream* pStream, PrefetchFlags* pFlags)
{
    if (!pStream || !pFlags)
        return kStatusFailed;
    uint8_t bytes[kPrefetchFileSize] = {};
    if (!pStream->Read(bytes, 1, 1) || bytes[0] != kPrefetchVersion)
        return kStatusFailed;
    if (!pStream->Read(bytes + 1, 1, kPrefetchFileSize - 1))
        return kStatusFailed;
    pFlags->developerMode = bytes[1];
    pFlags->prefetch = bytes[3];
    pFlags->trueType = bytes[5];
    return kStatusOk;
}

void WritePrefetchParams(const PrefetchFlags& flags, uint8_t out[kPrefetchFileSize])
{
    out[0] = kPrefetchVersion;
    out[1] = flags.developerMode;
    out[2] = 0;
    out[3] = flags.prefetch;
    out[4] = 0;
    out[5] = flags.trueType;
}

Status CNimbrelWorld::LoadPrefetchParams()
{
    GameData* game = GetGameData();
    if (!game)
        return kStatusFailed;
    game->prefetch = 1;
    char16_t path[kWorldTextSize];
    UtilsString_Format(path, kWorldTextSize, u"%s%s", m_pWorldData->dataPath, kNimbrelPrefetchFile);
    std::unique_ptr<UtilsStream_File> stream(new (std::nothrow) UtilsStream_File(kStreamRead, path));
    if (!stream) {
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    if (Failed(stream->Open()))
        return kStatusFailed;
    PrefetchFlags flags{game->developerMode, game->prefetch, GetFlag(kTrueTypeFlag)};
    if (Succeeded(ReadPrefetchParams(stream.get(), &flags))) {
        game->developerMode = flags.developerMode;
        game->prefetch = flags.prefetch;
        SetFlag(kTrueTypeFlag, flags.trueType);
    }
    stream->Close();
    return kStatusOk;
}
