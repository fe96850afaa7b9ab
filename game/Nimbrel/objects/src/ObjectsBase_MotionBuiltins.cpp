// The builtins that move items between their named positions, at once or eased by the position
// manager; the waiting form goes on when the moves end.
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

// Each move is of the element's own object, also for an element the list found in another one.
// An easing of "none" places the element at once and starts nothing, so no wait is left.
Status CObjectsBase::setItemsPosition(ScriptBuiltinCall& call)
{
    const int32_t easing = EasingFromName(call.Text(2));
    if (easing < 0) {
        TraceCall(call, kTraceError, "invalid position type %S", UtilsString_FromUtf8(call.Text(2)).c_str());
        return kStatusFailed;
    }
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    auto* moves = world ? dynamic_cast<CPositionManager*>(world->GetManager(kManagerPosition)) : nullptr;
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        owner->StopElementMove(element);
        const int32_t index = owner->FindElementPosition(element->index, call.Text(1));
        if (index < 0) {
            TraceCall(call, kTraceError, "invalid position name %S on %S", UtilsString_FromUtf8(call.Text(1)).c_str(),
                      UtilsString_FromUtf8(element->pName ? element->pName : "").c_str());
            return kStatusFailed;
        }
        if (easing == 0 || !moves) {
            element->positionIndex = uint32_t(index);
            return kStatusOk;
        }
        element->positionId = moves->AddMove(uint32_t(index), easing, call.Float(3), owner->GetObjectNumber(),
                                             element->index, call.waitCommand);
        if (element->positionId && call.waitCommand)
            call.waitTaken = 1;
        return kStatusOk;
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::_setItemsPosition(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::setItemsPosition);
}
