// The builtins that let the player drag items (freely, along one axis in steps, or with a
// picture of their own while dragged) and turn them, and that wait for a turn.
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"

namespace {

// An offset that rests less than one step from 0 is pushed a whole step out, away from 0: a
// looped strip never starts with its picture half on its place.
bool PushOut(float& offset, float step)
{
    if (offset > 0.0f && offset < step)
        offset += step;
    else if (offset < 0.0f && offset > -step)
        offset -= step;
    else
        return false;
    return true;
}

}  // namespace

bool CObjectsBase::MakeElementDraggable(ElementRecord* pElement, uint32_t mode)
{
    RemoveElementDropTarget(pElement);
    pElement->flags &= ~(kElementFound | kElementRotatable | kElementHasDropRecord | kElementClickable);
    pElement->flags |= kElementDraggable;
    StopElementFade(pElement);
    pElement->action = mode;
    return (pElement->flags & kElementTutorialMark) != 0;
}

void CObjectsBase::PlaceDragStart(ElementRecord* pElement, bool pushOut)
{
    ElementRecord& e = *pElement;
    if (e.action & kFadeRandomized) {
        if (e.action & kFadeLoopedX)
            RandomizeElementOffset(pElement, 1, 0, e.snapFactor);
        if (e.action & kFadeLoopedY)
            RandomizeElementOffset(pElement, 0, 1, e.snapFactor);
    } else {
        e.dragOffset[0] = e.dragOffset[1] = 0.0f;
    }
    CObjectsLevel::SnapElementOffset(pElement);
    CObjectsLevel::WrapElementOffset(pElement);
    if (!pushOut)
        return;
    bool pushed = false;
    if (e.action & kFadeLoopedX)
        pushed |= PushOut(e.dragOffset[0], e.size[0] * e.snapFactor);
    if (e.action & kFadeLoopedY)
        pushed |= PushOut(e.dragOffset[1], e.size[1] * e.snapFactor);
    if (pushed) {
        CObjectsLevel::SnapElementOffset(pElement);
        CObjectsLevel::WrapElementOffset(pElement);
    }
}

// Only the calling object's own items; those before a foreign one keep their change.
Status CObjectsBase::setItemsDraggable(ScriptBuiltinCall& call)
{
    const uint32_t mode = DragFadeModeFromName(call.Text(1));
    bool marked = false;
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        if (owner != this) {
            TraceCall(call, kTraceError, "Item list must contains only items contained in the current object");
            return kStatusFailed;
        }
        marked |= MakeElementDraggable(element, mode);
        element->snapFactor = call.Float(2);
        PlaceDragStart(element, true);
        return kStatusOk;
    });
    if (marked)
        RefreshTutorialItems();
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::setItemDraggable(ScriptBuiltinCall& call)
{
    const uint32_t mode = DragFadeModeFromName(call.Text(1));
    CObjectsBase* owner = nullptr;
    ElementRecord* element = nullptr;
    if (!FirstListedItem(call, call.Text(0), &owner, &element) || owner != this) {
        TraceCall(call, kTraceError, "Item must be contained in the current object");
        return kStatusFailed;
    }
    const int32_t rendered = FindElementByName(call.Text(2));
    const int32_t dragged = FindElementByName(call.Text(3));
    if (rendered == dragged) {
        TraceCall(call, kTraceError, "Rendered item and dragged item must't be same item");
        return kStatusFailed;
    }
    const bool marked = MakeElementDraggable(element, mode);
    element->dragParameters[0] = rendered;
    element->dragParameters[1] = dragged;
    PlaceDragStart(element, false);
    if (marked)
        RefreshTutorialItems();
    return kStatusDoneStoreResult;
}

// ---- turns -------------------------------------------------------------------------------------------

bool CObjectsBase::MakeElementTurnable(ElementRecord* pElement)
{
    pElement->flags &= ~(kElementFound | kElementHasDropRecord | kElementDraggable | kElementClickable);
    pElement->flags |= kElementRotatable;
    return (pElement->flags & kElementTutorialMark) != 0;
}

Status CObjectsBase::setItemsRotable(ScriptBuiltinCall& call)
{
    bool marked = false;
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        marked |= owner->MakeElementTurnable(element);
        return kStatusOk;
    });
    if (marked)
        RefreshTutorialItems();
    return kStatusDoneStoreResult;
}

// The release after a turn burns the turned-event list of the object whose element turned.
Status CObjectsBase::_waitItemTurned(ScriptBuiltinCall& call)
{
    CObjectsBase* owner = nullptr;
    ElementRecord* element = nullptr;
    if (!FirstListedItem(call, call.Text(0), &owner, &element))
        return kStatusFailed;
    if (owner->MakeElementTurnable(element))
        RefreshTutorialItems();
    return WaitForCommand(call, kCommandEventClick,
                          [owner](const CommandHandle& handle) { return owner->AddTurnedEventCommand(handle); });
}
