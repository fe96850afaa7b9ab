#pragma once
// The exploration level (513): a picture in which the player finds, picks up and uses items.
#include "NimbrelLevels/CObjectsLevel.h"

class CObjectsLevelExploration : public CObjectsLevel {
public:
    CObjectsLevelExploration(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
};
