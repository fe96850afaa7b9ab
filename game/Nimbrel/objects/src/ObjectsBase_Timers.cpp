// The timer builtins: a function of the object's script called after some seconds, and a wait
// of some seconds.
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptBase.h"
#include "VornelUtils/WorldData.h"

namespace {

CTimerManager* TimersOf(WorldData* pWorldData)
{
    auto* world = pWorldData ? dynamic_cast<CNimbrelWorld*>(pWorldData->pWorld) : nullptr;
    return world ? world->GetTimerManager() : nullptr;
}

}  // namespace

Status CObjectsBase::onTimerFunction(ScriptBuiltinCall& call)
{
    CTimerManager* timers = TimersOf(m_pWorldData);
    if (!timers)
        return NotAvailable(call);
    const Status status = timers->AddTimer(call.Text(0), call.Text(1), TimerModeFromName(call.Text(2)),
                                           kTimerFunctionMask, call.Float(3), m_objectNumber, call.hostWord);
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::_waitSeconds(ScriptBuiltinCall& call)
{
    // Nothing would be left to resume, or nothing to wait for.
    const float seconds = call.Float(0);
    if (call.tail || seconds == 0.0f)
        return kStatusDoneStoreResult;
    CTimerManager* timers = TimersOf(m_pWorldData);
    if (!timers || !m_pScript)
        return NotAvailable(call);
    // The expiry resumes this call with the mask the script runs under now.
    const Status status = timers->AddTimer(nullptr, nullptr, kTimerSingleResume, m_pScript->GetEventMask(), seconds,
                                           m_objectNumber, call.hostWord);
    return Failed(status) ? kStatusFailed : kStatusWait;
}
