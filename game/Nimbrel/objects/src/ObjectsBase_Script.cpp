// The object's script: its events, the calls that commands and timers make on it, and the
// restart that cancels everything in flight for the object.
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelWorld/CScriptManager.h"

bool CObjectsBase::IsScriptLoaded() const { return m_pScript && m_pScript->IsLoaded(); }

Status CObjectsBase::DropScriptModule()
{
    if (m_pScript)
        m_pScript->Clear();
    return kStatusOk;
}

Status CObjectsBase::ResetScript()
{
    CScriptManager* scripts = Scripts();
    if (!scripts || !m_pScript)
        return kStatusFailed;
    ReleaseCommandLists();
    if (Failed(ResizeElementCommandLists(m_elementCount)))
        return kStatusFailed;
    ClearMessages();
    if (Failed(RemoveTimersOfObject()) || Failed(scripts->RestartContext(m_pScript)))
        return kStatusFailed;
    return kStatusOk;
}

Status CObjectsBase::ClearScript()
{
    return m_pScript && Succeeded(m_pScript->Clear()) ? kStatusOk : kStatusFailed;
}

Status CObjectsBase::LoadScript(uint32_t chapter, uint8_t force)
{
    return Failed(LoadReleaseParam(chapter, force)) ? kStatusFailed : kStatusOk;
}

Status CObjectsBase::FireScriptEvent(uint32_t event)
{
    if (event >= kScriptEventCount)
        return kStatusFailed;
    const ScriptEventRow& row = ObjectEventTable()[event];
    return CallScriptFunction(row.name, row.mask, 1, nullptr, 0);
}

Status CObjectsBase::CallScriptHandler(uint32_t handler, uint32_t mask, uint8_t keep, uintptr_t* arguments,
                                       uint32_t argumentCode, uint32_t resume)
{
    CScriptManager* scripts = Scripts();
    CScriptBaseKest* script = m_pScript;
    if (!scripts || !script)
        return kStatusFailed;
    const uint32_t saved = script->GetEventMask();
    script->SetEventMask(mask);
    const Status status = scripts->CallHandlerByIndex(script, handler, keep, arguments, argumentCode, resume);
    // A handler that released this object took its script with it.
    if (m_pScript == script)
        script->SetEventMask(saved);
    return status;
}

Status CObjectsBase::CallScriptFunction(const char* name, uint32_t mask, uint8_t reuse, uintptr_t* arguments,
                                        uint32_t argumentCode)
{
    CScriptManager* scripts = Scripts();
    CScriptBaseKest* script = m_pScript;
    if (!scripts || !script || !name)
        return kStatusFailed;
    const uint32_t saved = script->GetEventMask();
    script->SetEventMask(mask);
    // A function the script does not have makes no handler entry.
    const Status status = script->HasFunction(name)
                              ? scripts->CallFunction(script, name, reuse, arguments, argumentCode, kScriptNoResume)
                              : kStatusFailed;
    if (m_pScript == script)
        script->SetEventMask(saved);
    return status;
}
