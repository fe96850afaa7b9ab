// What a scene object asks of the drag-and-drop manager: its drop rules declared by the scripts
// (setItemDroppable, _setItemDroppable), the drop of a released item, the cursor over a place,
// and what becomes of an item an accepted drop used up.
#include "NimbrelManagers/CDragDropManager.h"
#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/WorldData.h"

namespace {

CDragDropManager* DragDrop(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetDragDropManager() : nullptr;
}

}  // namespace

Status CObjectsBase::setItemDroppable(ScriptBuiltinCall& call)
{
    CDragDropManager* drops = DragDrop(m_pWorldData);
    if (!drops)
        return kStatusFailed;
    const Status status = drops->AddTarget(m_objectNumber, call.Text(0), call.Text(1), call.Text(2), call.Text(3),
                                           call.Text(4), call.Report());
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

// The rule as setItemDroppable makes it; the script goes on with the next accepted drop.
Status CObjectsBase::_setItemDroppable(ScriptBuiltinCall& call)
{
    CDragDropManager* drops = DragDrop(m_pWorldData);
    if (IsBuiltinFailure(setItemDroppable(call)))
        return kStatusFailed;
    return WaitForCommand(call, kCommandEventFade, [drops](const CommandHandle& h) { return drops->AddCommand(h); });
}

bool CObjectsBase::HasDragDrop() { return DragDrop(m_pWorldData) != nullptr; }

Status CObjectsBase::DropElement(float x, float y, ElementRecord* pElement, uint32_t* pResult)
{
    CDragDropManager* drops = DragDrop(m_pWorldData);
    return drops ? drops->Drop(x, y, pElement->dropRecord, m_objectNumber, pElement->index, pResult) : kStatusFailed;
}

void CObjectsBase::EndDropHighlight()
{
    if (CDragDropManager* drops = DragDrop(m_pWorldData))
        drops->EndReturn();
}

void CObjectsBase::RemoveDropTarget(uint32_t id)
{
    if (CDragDropManager* drops = DragDrop(m_pWorldData))
        drops->RemoveTarget(id);
}

bool CObjectsBase::IsDraggedByManager(const ElementRecord* pElement)
{
    const CDragDropManager* drops = DragDrop(m_pWorldData);
    return drops && pElement && drops->GetReturningObject() == int32_t(m_objectNumber) &&
           drops->GetReturningElement() == int32_t(pElement->index);
}

bool CObjectsBase::SelectDropTargetCursor(float x, float y, HitRecord* pRecord)
{
    CDragDropManager* drops = DragDrop(m_pWorldData);
    for (uint32_t i = 0; drops && m_pElements && i < m_elementCount; ++i) {
        const ElementRecord* e = GetItemRecord(i);
        const int32_t place = e->dropRecord ? drops->FindPlaceAt(e->dropRecord, x, y) : -1;
        if (place < 0)
            continue;
        const DropPlace& p = drops->GetRule(e->dropRecord)->pPlaces[place];
        CObjectsBase* owner = SceneObject(p.object);
        ElementRecord* target = owner ? owner->GetItemRecord(p.element) : nullptr;
        if (!target || target->cursorStop || !(target->flags & kElementDropTarget))
            continue;
        SelectCursor("droppable");
        pRecord->object = int32_t(p.object);
        pRecord->element = int32_t(p.element);
        owner->HoverElementText(target, x, y);
        return true;
    }
    return false;
}

Status CObjectsBase::ConsumeElement(ElementRecord* pElement)
{
    pElement->flags |= kElementFound;
    return kStatusOk;
}

Status CObjectsBase::FinishElementDrop(ElementRecord* pElement)
{
    pElement->flags |= kElementFound;
    StopElementFade(pElement);
    pElement->fadeId = StartActionFade(kFadeHide, pElement->index);
    return kStatusOk;
}
