#pragma once
// The exploration level (513): a picture in which the player finds, picks up and uses items.
// Its script may switch the flashlight mode, in which only a lit circle of the scene shows.
#include "NimbrelLevels/CObjectsLevel.h"

class CFlashlight;

class CObjectsLevelExploration : public CObjectsLevel {
public:
    CObjectsLevelExploration(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // The object's step; in flashlight mode the flashlight's too.
    Status UpdateState() override;
    // The object; in flashlight mode the flashlight over it.
    Status Draw() override;
    // The level base's events; then ("flashlight", "on" or "off") sets or clears the
    // flashlight mode, any other value leaves it, and each centres the flashlight
    // (kStatusDoneStoreResult). Every other name is not handled.
    Status OnEvent(const char* name, char* value) override;

    bool IsFlashlightMode() const { return (m_modeWord & kModeFlashlight) != 0; }

    // Behind the scene object's state, the flashlight mode (u8): a continued scene stays dark or
    // lit as it was left. A state saved without it keeps the mode the scene has.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;

private:
    // The world's flashlight while this level is in flashlight mode.
    CFlashlight* ActiveFlashlight() const;
};
