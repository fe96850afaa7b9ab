// Builtins that tie objects together: the objects a level needs on screen with it, the scripts
// it talks to, and the global variables of other objects' scripts.
#include <string>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelScript/ScriptStatus.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

Status CObjectsBase::EnsureScriptLoaded(CObjectsBase* pObject)
{
    if (pObject->IsScriptLoaded())
        return kStatusOk;
    return Failed(pObject->LoadScript(CurrentChapter(), 0)) ? kStatusFailed : kStatusOk;
}

Status CObjectsBase::WalkDependencies(ScriptBuiltinCall& call, bool wanted)
{
    return ForEachListedObject(call, [this, &call, wanted](CObjectsBase* object, uint32_t prefix) {
        // Resident objects are always there: nothing may depend on them.
        if (object->m_pKindRow && object->m_pKindRow->resident) {
            TraceCall(call, kTraceError, "You can't have a depedencie on an auto load object %S",
                      UtilsString_FromUtf8(object->m_pName).c_str());
            ReportResidentDependency(wanted, object);
            return kStatusFailed;
        }
        if (object == this || (wanted && object->m_wanted))
            return kStatusOk;
        if (wanted) {
            object->m_wanted = 1;
            object->m_releaseMode = prefix == kListPrefixStar ? 1 : 0;
        }
        if (Failed(EnsureScriptLoaded(object)))
            return kStatusFailed;
        // An event that waits (or whose call was stopped) has run as far as it may; an object
        // without the event has nothing to add.
        const Status status = wanted ? object->FireScriptEvent(kEventDependencies) : kStatusOk;
        const bool hasEvent =
            object->m_pScript && object->m_pScript->HasFunction(ObjectEventTable()[kEventDependencies].name);
        return IsBuiltinFailure(status) && status != kScriptCallerStopped && hasEvent ? kStatusFailed : kStatusOk;
    });
}

void CObjectsBase::ReportResidentDependency(bool wanted, const CObjectsBase* pResident)
{
    // A fault of the construction that no retry mends: the level that asks fails its
    // preparation, and the box that ends the game and the log say which object it asked for.
    if (!m_pWorldData)
        return;
    auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    if (CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr)
        objects->NoteResidentDependency();
    UtilsString_Format(m_pWorldData->lastErrorText, kWorldTextSize,
                       u"\"%S\" cannot depend on \"%S\", which is always loaded", m_pName ? m_pName : "",
                       pResident->m_pName ? pResident->m_pName : "");
    Log(m_pWorldData->logPath, 1, u"# CObjectsBase::%S failed! \"%S\" cannot depend on the resident object \"%S\"\n",
        wanted ? "setObjectDependencies" : "setScriptDependencies", m_pName ? m_pName : "",
        pResident->m_pName ? pResident->m_pName : "");
}

Status CObjectsBase::setObjectDependencies(ScriptBuiltinCall& call) { return WalkDependencies(call, true); }
Status CObjectsBase::setScriptDependencies(ScriptBuiltinCall& call) { return WalkDependencies(call, false); }

// ---- other objects' variables -------------------------------------------------------------------

Status CObjectsBase::VariableTarget(ScriptBuiltinCall& call, CObjectsBase** ppObject, bool* pExported)
{
    // A list that names nothing fails without a report of its own.
    CObjectsBase* object = nullptr;
    if (Failed(FirstListedObject(call, call.Text(0), &object)))
        return kStatusFailed;
    if (!object->IsScriptLoaded()) {
        TraceCall(call, kTraceError, "the specified object have no script loaded (cf setScriptDependencies) %S",
                  UtilsString_FromUtf8(object->m_pName).c_str());
        return kStatusFailed;
    }
    *ppObject = object;
    // Another object's script shows only its exported globals.
    *pExported = object != this;
    return kStatusOk;
}

Status CObjectsBase::VariableAccess(ScriptBuiltinCall& call, Status (*access)(CScriptBaseKest* script,
                                                                              ScriptBuiltinCall& call, bool exported))
{
    CObjectsBase* object = nullptr;
    bool exported = false;
    if (Failed(VariableTarget(call, &object, &exported)))
        return kStatusFailed;
    const Status status = access(object->m_pScript, call, exported);
    if (status == kStatusOutOfMemory)
        return kStatusFailed;
    if (Failed(status)) {
        TraceCall(call, kTraceError, "the specified variable %S was not found (not local, or not export, or bad type) %S",
                  UtilsString_FromUtf8(call.Text(1)).c_str(), UtilsString_FromUtf8(object->m_pName).c_str());
        return kStatusFailed;
    }
    return kStatusDoneStoreResult;
}

Status CObjectsBase::setObjectLong(ScriptBuiltinCall& call)
{
    return VariableAccess(call, [](CScriptBaseKest* script, ScriptBuiltinCall& c, bool exported) {
        return script->SetLong(c.Text(1), c.Long(2), exported);
    });
}

Status CObjectsBase::setObjectFloat(ScriptBuiltinCall& call)
{
    return VariableAccess(call, [](CScriptBaseKest* script, ScriptBuiltinCall& c, bool exported) {
        return script->SetFloat(c.Text(1), c.Float(2), exported);
    });
}

Status CObjectsBase::setObjectString(ScriptBuiltinCall& call)
{
    return VariableAccess(call, [](CScriptBaseKest* script, ScriptBuiltinCall& c, bool exported) {
        return script->SetString(c.Text(1), c.Text(2), exported);
    });
}

Status CObjectsBase::getObjectLong(ScriptBuiltinCall& call)
{
    return VariableAccess(call, [](CScriptBaseKest* script, ScriptBuiltinCall& c, bool exported) {
        uint32_t value = 0;
        const Status status = script->GetLong(c.Text(1), &value, exported);
        if (Succeeded(status))
            c.SetResultLong(value);
        return status;
    });
}

Status CObjectsBase::getObjectFloat(ScriptBuiltinCall& call)
{
    return VariableAccess(call, [](CScriptBaseKest* script, ScriptBuiltinCall& c, bool exported) {
        float value = 0.0f;
        const Status status = script->GetFloat(c.Text(1), &value, exported);
        if (Succeeded(status))
            c.SetResultFloat(value);
        return status;
    });
}

Status CObjectsBase::getObjectString(ScriptBuiltinCall& call)
{
    return VariableAccess(call, [](CScriptBaseKest* script, ScriptBuiltinCall& c, bool exported) {
        const char* value = nullptr;
        const Status status = script->GetString(c.Text(1), &value, exported);
        if (Failed(status))
            return status;
        // The record owns its text result: a second read frees the first copy.
        return c.SetResultString(value) ? kStatusOk : kStatusOutOfMemory;
    });
}
