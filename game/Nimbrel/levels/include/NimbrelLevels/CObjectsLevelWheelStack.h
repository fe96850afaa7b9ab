#pragma once
// The wheel stack level (523): the wheel stack board under the level. Its script registers the
// groups, their sub groups, the places (a dummy item each, with the item it starts with and
// the one it expects) and the links, and may turn dragging on. The player clicks or drags the
// top item of a column to the next, and clicks or drags a wheel round. Each element is drawn by
// its level tag: a wheel item at its turn, a dummy as the item of its place (in the wheel's
// frame for a wheel's slot, displaced while it moves), a movable item never by itself.
#include "NimbrelLevels/CObjectsLevelBoard.h"
#include "NimbrelLevels/WheelStackBoard.h"

class CObjectsLevelWheelStack : public CObjectsLevelBoard<WheelStackBoard> {
public:
    CObjectsLevelWheelStack(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // "reset" leaves the solved flag as it was.
    Status OnCommand(const char* command) override;
    // The groups dropped, and every element's tag with them.
    Status ResetRunState() override;
    // The tags written again from the groups read back.
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    // Element infos read again lose their tags: the groups write them again.
    Status BuildFromRaw(const char16_t* path) override;

    // While the level is in play the board takes the mouse: a press on a wheel or a place, the
    // drag or the turn, the release; a click on a tagged element. Other clicks go to the base.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    Status OnMouseUp(float x, float y, uint32_t state) override;
    Status OnClick(float x, float y, uint32_t state) override;
    // An element clicked by name (the tools) plays as a click on it.
    Status OnElementClicked(ElementRecord* pElement) override;

    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status DrawElement(ElementRecord* pElement) override;

protected:
    // The paused and solved flags, then the board's fields.
    void StateFields(LevelState& state) override;
    bool StateFits() override;

private:
    // The board's host.
    int32_t FindItem(const char* name) override { return FindElementByName(name); }
    const char* ItemName(int32_t item) override;
    void TagItem(int32_t item, int32_t tag) override;
    void PlacePoint(int32_t dummy, int32_t wheel, float angle, float* pOut3) override;
    void PlayItemSound(int32_t item) override;
    void PlayNull() override { PlayNullClick(); }

    bool InPlay() const { return !m_paused && !m_solved; }
    // Every tag -1, then the board's.
    void RewriteTags();
    // The tagged element under the point (a wheel or a dummy), from the top of the draw order;
    // -1 when there is none.
    int32_t PickTagged(float x, float y);
    // A dummy's place item, at the place and turned as the board shows it.
    void DrawPlaceItem(const WheelStackTag& tag);

    bool m_drawingPlace = false;
    float m_pressX = 0.0f, m_pressY = 0.0f;
};
