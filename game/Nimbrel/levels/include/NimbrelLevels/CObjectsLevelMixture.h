#pragma once
// The mixture level (518): played by its script; its items are clicked and dragged as in a
// seek-and-find scene.
#include "NimbrelLevels/CObjectsLevelScripted.h"

class CObjectsLevelMixture : public CObjectsLevelScripted {
public:
    CObjectsLevelMixture(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
};
