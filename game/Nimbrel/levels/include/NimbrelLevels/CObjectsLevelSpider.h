#pragma once
// The spider level (519): played by its script alone (the spider shown and moved by fades and
// waits); it takes no press, move, release or click of its own.
#include "NimbrelLevels/CObjectsLevelScripted.h"

class CObjectsLevelSpider : public CObjectsLevelScripted {
public:
    CObjectsLevelSpider(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // Each gesture is taken and does nothing (0); a click is not taken (kStatusFailed).
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;
};
