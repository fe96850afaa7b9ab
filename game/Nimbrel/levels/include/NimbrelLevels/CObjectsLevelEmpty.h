#pragma once
// The empty level (515): a scene with nothing of its own to play, driven by its script.
#include "NimbrelLevels/CObjectsLevel.h"

class CObjectsLevelEmpty : public CObjectsLevel {
public:
    CObjectsLevelEmpty(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // Its saved state goes through the base's, mapped as every other level's.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
};
