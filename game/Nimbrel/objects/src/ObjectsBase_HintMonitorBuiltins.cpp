// The score monitor's builtins, which act on the calling level's record of the named monitor,
// and the hint button's popup.
#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/ObjectKindTable.h"

namespace {

// The monitor object of that name, or null.
CObjectsInterfaceMonitor* FindMonitor(CObjectsManager* objects, const char* name)
{
    const int32_t index = objects && name ? objects->FindLevelByNameAndType(name, kObjectKindMonitor) : -1;
    return index >= 0 ? dynamic_cast<CObjectsInterfaceMonitor*>(objects->GetObject(uint32_t(index))) : nullptr;
}

}  // namespace

Status CObjectsBase::setMonitorParameters(ScriptBuiltinCall& call)
{
    CObjectsInterfaceMonitor* monitor = FindMonitor(ObjectsManager(), call.Text(0));
    if (!monitor) {
        TraceCall(call, kTraceError, "unrecognized object %s", call.Text(0) ? call.Text(0) : "");
        return kStatusFailed;
    }
    // The monitor tells its own faults (a type word outside its table).
    return Failed(monitor->SetParameters(m_objectNumber, call.Text(1), call.Text(2))) ? kStatusFailed
                                                                                       : kStatusDoneStoreResult;
}

Status CObjectsBase::onMonitorUpdate(ScriptBuiltinCall& call)
{
    CObjectsInterfaceMonitor* monitor = FindMonitor(ObjectsManager(), call.Text(0));
    if (!monitor) {
        TraceCall(call, kTraceError, "unrecognized object %s", call.Text(0) ? call.Text(0) : "");
        return kStatusFailed;
    }
    if (Failed(monitor->Update(m_objectNumber, call.Text(1), call.Float(2)))) {
        TraceCall(call, kTraceError, "invalid parameters");
        return kStatusFailed;
    }
    return kStatusDoneStoreResult;
}

// Only a loaded hint object at the hint's interface index takes the popup.
Status CObjectsBase::setHintPopup(ScriptBuiltinCall& call)
{
    CObjectsManager* objects = ObjectsManager();
    CObjectsBase* object = objects ? objects->GetInterfaceObject(kInterfaceHint) : nullptr;
    auto* hint = object && object->IsLoaded() ? dynamic_cast<CObjectsInterfaceHint*>(object) : nullptr;
    if (!hint) {
        TraceCall(call, kTraceError, "no hint object");
        return kStatusFailed;
    }
    return Failed(hint->SetHintPopup(call.Text(0), &call)) ? kStatusFailed : kStatusDoneStoreResult;
}
