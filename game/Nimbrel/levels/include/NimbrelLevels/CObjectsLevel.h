#pragma once
// The base of every level: the exploration scene and the mini-game boards (type code 512; the
// kinds set 513 to 527 after it). It turns the base results into plain status codes and owns
// an array of plain element records.
#include "NimbrelObjects/CObjectsBase.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

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
    // The event channel: the pair (name, value) of the builtin goes to OnEvent.
    Status setObjectExtraRender(ScriptBuiltinCall& call) override;
    // The level base's events: ("abuse", "on" or "off") sets whether the abuse overlay counts
    // this level's wrong clicks and centres the flashlight (kStatusDoneStoreResult); any other
    // pair is not handled (kStatusDoneNoResult). A kind asks this first and returns a taken
    // event unchanged. The value is writable: a list value may be walked in place.
    virtual Status OnEvent(const char* name, char* value);

    // Runs `handler` on the call's (name, value) with a private copy of the value, which the
    // handler may walk in place; kStatusOutOfMemory (kept as the world's last error) when no
    // copy can be made.
    template <class Handler>
    Status WithWritableValue(ScriptBuiltinCall& call, Handler handler)
    {
        char* value = UtilsString_DupA(call.Text(1) ? call.Text(1) : "");
        if (!value)
            return OutOfMemory();
        const Status status = handler(call.Text(0) ? call.Text(0) : "", value);
        UTILS_FREE(value);
        return status;
    }

    ElementRecord* AllocElements(uint32_t count) override;
    ElementRecord* GetItemRecord(uint32_t index) override;
    ElementRecord* ItemRecordAt(ElementRecord* pArray, uint32_t index) override;

    // A one-axis drag with wrap keeps the offset on that axis within half a third of the
    // element's size either side (a wheel of three copies of the picture).
    static void WrapElementOffset(ElementRecord* pElement);
    // The offset to the nearest multiple of the snap factor times the size (0: no snapping).
    static void SnapElementOffset(ElementRecord* pElement);
};
