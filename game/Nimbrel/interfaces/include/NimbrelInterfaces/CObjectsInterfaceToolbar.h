#pragma once
// The common base of the two bars, the items-to-find list and the inventory bar (type code
// 266, never made by itself): the three frame elements that both bars bind by parameter words
// (previous page, next page, the bounding box they lay out in) and the bars' element record.
#include "NimbrelInterfaces/CObjectsInterface.h"

// A bar's element: the scene record and one word of its own, zeroed.
struct ToolbarElementRecord {
    ElementRecord element;
    uint32_t barWord;
};

class CObjectsInterfaceToolbar : public CObjectsInterface {
public:
    CObjectsInterfaceToolbar(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceToolbar() override;

    // kStatusFailed while one of the three frame elements is unbound.
    Status CheckSetup() override;
    // "toolbar_click_prev", "toolbar_click_next", "toolbar_boundingbox" with an element name:
    // kStatusDoneStoreResult. A value that names no element fails whatever the word; any other
    // word is kStatusDoneNoResult, left to the bar.
    Status setObjectParameters(ScriptBuiltinCall& call) override;
    // No query of its own: kStatusDoneNoResult for every name.
    Status getObjectParameters(ScriptBuiltinCall& call) override;

    ElementRecord* AllocElements(uint32_t count) override;
    ElementRecord* GetItemRecord(uint32_t index) override;
    ElementRecord* ItemRecordAt(ElementRecord* pArray, uint32_t index) override;

    int32_t GetPreviousElement() const { return m_previousElement; }
    int32_t GetNextElement() const { return m_nextElement; }
    int32_t GetBoxElement() const { return m_boxElement; }

protected:
    // The bound element, or null.
    ElementRecord* BoundElement(int32_t index);

    int32_t m_previousElement = -1;
    int32_t m_nextElement = -1;
    int32_t m_boxElement = -1;
};
