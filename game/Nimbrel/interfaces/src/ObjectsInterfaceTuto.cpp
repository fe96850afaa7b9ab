#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"

#include <cstring>

#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char* kPartWords[kTutoPartCount] = {
    "tuto_background", "tuto_top_left",    "tuto_top",         "tuto_top_right", "tuto_right",  "tuto_bottom_right",
    "tuto_bottom",     "tuto_bottom_left", "tuto_left",        "tuto_center",    "tuto_close",  "tuto_arrow",
};

CTutoManager* TutoManager(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetTutoManager() : nullptr;
}

}  // namespace

CObjectsInterfaceTuto::CObjectsInterfaceTuto(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindTuto;
    for (int32_t& part : m_parts)
        part = -1;
}

Status CObjectsInterfaceTuto::CheckSetup()
{
    for (int32_t part : m_parts)
        if (part == -1)
            return kStatusFailed;
    return kStatusOk;
}

ElementRecord* CObjectsInterfaceTuto::GetPartElement(uint32_t part)
{
    const int32_t index = GetPart(part);
    return index >= 0 && uint32_t(index) < m_elementCount ? GetItemRecord(uint32_t(index)) : nullptr;
}

Status CObjectsInterfaceTuto::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    const char* value = call.Text(1);
    const int32_t element = value ? FindElementByName(value) : -1;
    if (element < 0) {
        TraceCall(call, kTraceError, "invalid item name %s", value ? value : "");
        return kStatusFailed;
    }
    for (uint32_t part = 0; word && part < kTutoPartCount; ++part)
        if (std::strcmp(word, kPartWords[part]) == 0)
            m_parts[part] = element;
    return kStatusDoneStoreResult;
}

int32_t CObjectsInterfaceTuto::FindPositionKey(const char* name) const
{
    const char* wanted = name && *name ? name : kDefaultPositionName;
    for (uint32_t i = 0; m_pPositions && i < m_positionCount; ++i) {
        const char* own = m_pPositions[i].pName ? m_pPositions[i].pName : kDefaultPositionName;
        if (std::strcmp(own, wanted) == 0)
            return int32_t(i);
    }
    return -1;
}

int32_t CObjectsInterfaceTuto::PartAt(float x, float y)
{
    HitRecord hit;
    return Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr)) ? hit.element : -1;
}

Status CObjectsInterfaceTuto::OnClick(float x, float y, uint32_t state)
{
    if (Failed(CObjectsInterface::OnClick(x, y, state)))
        return kStatusFailed;
    if (CTutoManager* tuto = TutoManager(m_pWorldData))
        tuto->OnClick(x, y, state);
    return kStatusOk;
}

Status CObjectsInterfaceTuto::UpdateCursorState(float x, float y, void*)
{
    CTutoManager* tuto = TutoManager(m_pWorldData);
    return tuto && Succeeded(tuto->UpdateCursorState(x, y, 0)) ? kStatusOk : kStatusFailed;
}
