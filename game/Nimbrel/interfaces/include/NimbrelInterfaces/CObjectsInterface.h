#pragma once
// The base of every interface object (type code 266; the kinds set 257 to 268 after it): the
// menu, the bars, hint, monitor, popups, labels, tool box. Its first successful layout makes
// it ready.
#include "NimbrelObjects/CObjectsBase.h"

class CObjectsInterface : public CObjectsBase {
public:
    CObjectsInterface(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterface() override;

    Status Load() override;
    Status Release() override;
    Status UpdateComponents() override;
    Status UpdateState() override { return CObjectsBase::UpdateState(); }
    Status Draw() override { return CObjectsBase::Draw(); }
    Status RegisterScriptFunctions() override;
    // Handled only when the base handles it.
    Status setObjectExtraRender(ScriptBuiltinCall& call) override;

    ElementRecord* AllocElements(uint32_t count) override;
    ElementRecord* GetItemRecord(uint32_t index) override;
    ElementRecord* ItemRecordAt(ElementRecord* pArray, uint32_t index) override;

    bool IsReady() const { return m_ready != 0; }

protected:
    // World units to the virtual screen on the axis (0 x, 1 y): the interface scale, 1 when
    // unset; a point is scaled, then moved by the interface view's offset on that axis.
    float ScreenScale(uint32_t axis) const;
    float ScreenOffset(uint32_t axis) const;
};
