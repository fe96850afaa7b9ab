#pragma once
// The base of every level: the exploration scene and the mini-game boards (type code 512; the
// kinds set 513 to 527 after it). It turns the base results into plain status codes and owns
// an array of plain element records.
#include "NimbrelObjects/CObjectsBase.h"

class CObjectsLevel : public CObjectsBase {
public:
    CObjectsLevel(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsLevel() override;

    Status Load() override;
    Status Release() override;
    Status UpdateComponents() override;
    Status UpdateState() override { return CObjectsBase::UpdateState(); }
    Status Draw() override { return CObjectsBase::Draw(); }
    Status RegisterScriptFunctions() override;
    // ("abuse", "on" or "off"): whether the abuse overlay counts this level's wrong clicks.
    Status setObjectExtraRender(ScriptBuiltinCall& call) override;

    ElementRecord* AllocElements(uint32_t count) override;
    ElementRecord* GetItemRecord(uint32_t index) override;
    ElementRecord* ItemRecordAt(ElementRecord* pArray, uint32_t index) override;

    // A one-axis drag with wrap keeps the offset on that axis within half a third of the
    // element's size either side (a wheel of three copies of the picture).
    static void WrapElementOffset(ElementRecord* pElement);
    // The offset to the nearest multiple of the snap factor times the size (0: no snapping).
    static void SnapElementOffset(ElementRecord* pElement);
};
