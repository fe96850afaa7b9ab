#pragma once
// The circles level (527): the circles board under the level. Its script registers the board
// (the play item, the two ring centres, the three kind pictures), sends the turns as action
// events, typically from arrow items, and "reset" deals. The play item is drawn with the rings
// over it: each kind picture at every place that holds its kind, about the centres. The
// centres and kind pictures are never drawn as themselves.
#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/CirclesBoard.h"

class CObjectsLevelCircles : public CObjectsLevelBoard<CirclesBoard> {
public:
    CObjectsLevelCircles(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;

protected:
    // A deal also ends a pause.
    Status ResetBoard() override;

private:
    // One of the two centres or three kind pictures, drawn only as part of the rings.
    bool IsRingPicture(uint32_t element) const;
    void DrawRing(CirclesRing ring, float radius);

    bool m_drawingRings = false;
};
