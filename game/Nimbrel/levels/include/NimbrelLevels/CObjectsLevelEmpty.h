#pragma once
// The empty level (515): a scene with nothing of its own to play, driven by its script. It has
// no fields, words or board of its own and is never paused or skipped.
#include "NimbrelLevels/CObjectsLevel.h"

class CObjectsLevelEmpty : public CObjectsLevel {
public:
    CObjectsLevelEmpty(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // "reset" (after the base's, which lets the level finish again) gives 0; every other
    // command, "pause" and "resume" included, kStatusFailed.
    Status OnCommand(const char* command) override;
    // The level base's events; every other pair, "event" with "skip" included, changes
    // nothing (kStatusDoneNoResult).
    Status OnEvent(const char* name, char* value) override;

    // Its saved state goes through the base's, mapped as every other level's.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
};
