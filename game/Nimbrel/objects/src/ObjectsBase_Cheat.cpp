// The developer's shortcut through the current step of a scene: the script hears of it, and
// every element left with an empty click list is done at once.
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kCheatBits = kElementClickable | kElementDraggable | kElementRotatable;

// The cheat does only an element whose click list exists and holds no command (a handle of
// kind 0 names none): whatever waits on an element's click (a script's wait, a click callback,
// a level change) is left to the player, and so is an element that never had a list.
bool ClickListIsPlain(const CCommandList* pList)
{
    if (!pList)
        return false;
    for (uint32_t i = 0; i < pList->GetCount(); ++i)
        if (pList->GetHandle(i)->kind != 0)
            return false;
    return true;
}

}  // namespace

Status CObjectsBase::OnCheatCodes(uint32_t next)
{
    if (!IsHeldByPanel()) {
        uintptr_t arguments[2] = {0, reinterpret_cast<uintptr_t>(next ? "next_step" : "end_step")};
        // The script may have no handler: nothing to report.
        CallScriptFunction("OnCheatCodes", kCallMaskCheat, 0, arguments, kArgumentsElementName);
    }
    for (uint32_t i = 0; m_pElements && i < m_elementCount; ++i) {
        ElementRecord& e = *GetItemRecord(i);
        if (e.loadOnClick || !(e.flags & kCheatBits) || (e.flags & (kElementFound | kElementDropTarget | kElementLocked)))
            continue;
        CCommandList* clicks = GetElementClickList(i);
        if (!ClickListIsPlain(clicks))
            continue;
        if (e.action == 0 || (e.action & kActionNoClickAction)) {
            if (m_pClickedEventList)
                m_pClickedEventList->BurnAll(1, int32_t(m_objectNumber), int32_t(i), -1);
        } else {
            e.flags |= kElementFound;
            StopElementFade(&e);
            e.fadeId = StartActionFade(e.action | kActionCheat, i);
        }
        // The burn may run script: the list is looked up again.
        if (CCommandList* list = GetElementClickList(i))
            list->BurnAll(1, int32_t(m_objectNumber), int32_t(i), -1);
    }
    if (m_typeCode != kObjectKindItemsList)
        if (CObjectsBase* items = LoadedItemsList())
            items->OnCheatCodes(next);
    return kStatusOk;
}

bool CObjectsBase::IsHeldByPanel()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects && objects->IsObjectHeldByPanel(m_objectNumber);
}

CObjectsBase* CObjectsBase::LoadedItemsList()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    for (uint32_t i = 0; objects && i < objects->GetObjectCount(); ++i) {
        CObjectsBase* object = objects->GetObject(i);
        if (object && object->GetTypeCode() == kObjectKindItemsList && object->IsLoaded())
            return object;
    }
    return nullptr;
}
