// The script manager: contexts, handler entries, calls by name and the queue of results that
// continue waiting calls.
#include <new>
#include <string>

#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptStatus.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ScriptCommonBuiltins.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/UtilsTimer.h"
#include "VornelUtils/WorldData.h"

const ScriptEventRow* ObjectEventTable()
{
    static const ScriptEventRow kEvents[kScriptEventCount] = {
        {"OnDepedencies", 0x00000004u}, {"OnStart", 0x0FFFFFFFu}, {"OnRun", 0x1FFFFFFFu},
        {"OnFocus", 0x0FFFFFFFu},       {"OnShow", 0x0FFFFFFFu},  {"OnHide", 0x0FFFFFFFu},
        {"OnCheatCodes", 0x0FFFFFFFu},  {"OnReceiveMessage", 0x0FDFFFFFu},
    };
    return kEvents;
}

CScriptManager::CScriptManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CScriptManager::~CScriptManager()
{
    Unload();
}

CNimbrelWorld* CScriptManager::GetWorld() const
{
    return m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
}

bool CScriptManager::IsActivated(uint32_t objectNumber)
{
    if (objectNumber == kMainScriptObject)
        return true;
    CNimbrelWorld* world = GetWorld();
    return world && world->IsObjectActivated(objectNumber);
}

void CScriptManager::RequestExtraUpdate()
{
    if (m_pWorldData && m_pWorldData->pTimer)
        m_pWorldData->pTimer->RequestExtraUpdate();
}

ScriptContext* CScriptManager::ContextOf(CScriptBase* script) const
{
    if (!script)
        return nullptr;
    ScriptContext* context = GetContext(script->GetContextIndex()) ? m_contexts[script->GetContextIndex()] : nullptr;
    return context && context->script == script ? context : nullptr;
}

// ---- life ------------------------------------------------------------------------------------

Status CScriptManager::Init()
{
    if (!m_pMainScript) {
        if (!CreateScript(kMainScriptObject, nullptr)) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
    }
    return LoadMainScript();
}

Status CScriptManager::Load()
{
    return m_pMainScript && m_pMainScript->IsLoaded() ? kStatusOk : Init();
}

Status CScriptManager::LoadMainScript()
{
    WorldData* w = m_pWorldData;
    if (!m_pMainScript || !w || !w->pGame)
        return kStatusFailed;
    char16_t name[kWorldTextSize];
    UtilsString_Format(name, kWorldTextSize, u"%S_main.script", w->pGame->constructBaseName);
    if (Succeeded(m_pMainScript->LoadFromPack(name)))
        return kStatusOk;
    // The player sees what went wrong in the error box: the script's own message when it has one.
    char16_t text[kScriptErrorTextSize];
    m_pMainScript->GetLastError(text);
    if (text[0])
        UtilsString_Copy(w->lastErrorText, kWorldTextSize, text);
    else
        UtilsString_Format(w->lastErrorText, kWorldTextSize, u"Missing file: %s", name);
    return kStatusFailed;
}

void CScriptManager::DeleteContext(ScriptContext* context)
{
    FreeHandlers(context);
    delete context->script;
    delete context;
}

Status CScriptManager::Unload()
{
    for (void* p = m_pending.GetFirst(); p; p = m_pending.RemoveCurrent(0))
        delete static_cast<ScriptPendingResult*>(p);
    // Object scripts run in the main script's VM: they go first.
    for (size_t i = m_contexts.size(); i-- > 0;)
        if (m_contexts[i])
            DeleteContext(m_contexts[i]);
    m_contexts.clear();
    m_pMainScript = nullptr;
    return kStatusOk;
}

CScriptBaseKest* CScriptManager::CreateScript(uint32_t objectNumber, CScriptBase* pSharedScript)
{
    static const ScriptBuiltinHandler kHandlers[kScriptCommonBuiltinCount] = {
        HandleTrace, HandleAssert, HandleRandomFloat, HandleRandomLong, HandleCommand, HandleSendObjectMessage};
    auto* script = new (std::nothrow)
        CScriptBaseKest(m_pWorldData, objectNumber, static_cast<uint32_t>(m_contexts.size()), pSharedScript);
    if (!script)
        return nullptr;
    bool made = Succeeded(script->CreateModule());
    const ScriptCommonBuiltin* builtins = ScriptCommonBuiltins();
    for (uint32_t i = 0; made && i < kScriptCommonBuiltinCount; ++i)
        made = Succeeded(RegisterFunction(script, builtins[i].prototype, builtins[i].name, this, kHandlers[i],
                                          builtins[i].code));
    auto* context = made ? new (std::nothrow) ScriptContext{script, -1, {}, 0, 0} : nullptr;
    if (!context) {
        delete script;
        return nullptr;
    }
    m_contexts.push_back(context);
    // The first script of its own made for no object is the main script.
    if (objectNumber == kMainScriptObject && !pSharedScript && !m_pMainScript)
        m_pMainScript = script;
    return script;
}

Status CScriptManager::RegisterFunction(CScriptBase* script, const char*, const char* name, void* object,
                                        ScriptBuiltinHandler handler, uint32_t code)
{
    if (!script)
        return kStatusFailed;
    return script->RegisterFunction(name, nullptr, object, reinterpret_cast<uintptr_t>(handler), CallAdapter,
                                    ScriptPackArgumentCode(code));
}

// ---- handlers --------------------------------------------------------------------------------

void CScriptManager::FreeHandler(ScriptContext* context, uint32_t index)
{
    ScriptHandlerEntry* entry = context->handlers[index];
    if (!entry)
        return;
    UTILS_FREE(entry->name);
    delete entry;
    context->handlers[index] = nullptr;
}

void CScriptManager::FreeHandlers(ScriptContext* context)
{
    for (uint32_t i = 0; i < context->handlers.size(); ++i)
        FreeHandler(context, i);
    context->handlers.clear();
    context->current = -1;
}

void CScriptManager::DropPending(uint32_t contextIndex, int64_t handlerIndex)
{
    // Update may stand on a record it is delivering; that one is never removed here.
    FIFONode* cursor = m_pending.GetCurrentNode();
    for (void* p = m_pending.GetFirst(); p;) {
        auto* record = static_cast<ScriptPendingResult*>(p);
        if (!record->delivering && record->contextIndex == contextIndex &&
            (handlerIndex < 0 || record->handlerIndex == handlerIndex)) {
            delete record;
            p = m_pending.RemoveCurrent(0);
        } else {
            p = m_pending.GetNext();
        }
    }
    m_pending.SetCurrentNode(cursor);
}

int32_t CScriptManager::FindHandler(CScriptBase* script, const char* name, uint8_t reuse, uint8_t persistent)
{
    ScriptContext* context = ContextOf(script);
    if (!context || !name)
        return -1;
    int32_t found = -1;
    for (uint32_t i = 0; i < context->handlers.size() && found < 0; ++i)
        if (context->handlers[i] && StringCompareA(context->handlers[i]->name, name) == 0)
            found = static_cast<int32_t>(i);
    if (found >= 0) {
        if (reuse)
            return found;
        // A fresh call of a function that is still waiting ends the old call and what it waits for.
        if (Failed(script->StopFunction(name)))
            return -1;
        CNimbrelWorld* world = GetWorld();
        if (CCommandListManager* commands = world ? world->GetCommandListManager() : nullptr)
            commands->RemoveCommandByFunctionIndex(script->GetObjectNumber(), kCommandResumeWait, kCommandEventFade,
                                                   static_cast<uint32_t>(found));
        if (CTimerManager* timers = world ? world->GetTimerManager() : nullptr)
            timers->RemoveTimersByKey(script->GetObjectNumber(), static_cast<uint32_t>(found));
        FreeHandler(context, static_cast<uint32_t>(found));
        DropPending(script->GetContextIndex(), found);
    }
    auto* entry = new (std::nothrow) ScriptHandlerEntry{UtilsString_DupA(name), script->GetEventMask(), persistent, 0};
    if (!entry || !entry->name) {
        if (entry)
            UTILS_FREE(entry->name);
        delete entry;
        return -1;
    }
    entry->serial = ++m_serial;
    for (uint32_t i = 0; i < context->handlers.size(); ++i)
        if (!context->handlers[i]) {
            context->handlers[i] = entry;
            return static_cast<int32_t>(i);
        }
    context->handlers.push_back(entry);
    return static_cast<int32_t>(context->handlers.size() - 1);
}

bool CScriptManager::EndCall(ScriptContext* context)
{
    --context->calls;
    if (!context->removed)
        return false;
    if (!context->calls)
        DeleteContext(context);
    return true;
}

Status CScriptManager::CallEntry(ScriptContext* context, uint32_t index, uint8_t reuse, uintptr_t* arguments,
                                 uint32_t argumentCode, uint32_t resumeValue, bool keep, bool stoppedKeeps)
{
    // The call may free the entry: what is needed of it afterwards is copied first.
    const ScriptHandlerEntry* entry = context->handlers[index];
    const std::string name = entry->name;
    const uint64_t serial = entry->serial;
    keep = keep || entry->persistent;
    ++context->calls;
    const Status status = context->script->Call(name.c_str(), reuse, index, arguments, argumentCode, resumeValue);
    keep = keep || status == kStatusWait || (stoppedKeeps && status == kScriptCallerStopped);
    // Only the entry this call ran: the call may have restarted its own object meanwhile.
    if (!EndCall(context) && !keep && index < context->handlers.size() && context->handlers[index] &&
        context->handlers[index]->serial == serial)
        FreeHandler(context, index);
    RequestExtraUpdate();
    return status;
}

Status CScriptManager::CallFunction(CScriptBase* script, const char* name, uint8_t reuse, uintptr_t* arguments,
                                    uint32_t argumentCode, uint32_t resumeValue)
{
    const int32_t index = FindHandler(script, name, reuse, 0);
    if (index < 0)
        return kStatusFailed;
    return CallEntry(ContextOf(script), static_cast<uint32_t>(index), reuse, arguments, argumentCode, resumeValue,
                     false, true);
}

Status CScriptManager::CallHandlerByIndex(CScriptBase* script, uint32_t handlerIndex, uint8_t keep,
                                          uintptr_t* arguments, uint32_t argumentCode, uint32_t resumeValue)
{
    ScriptContext* context = ContextOf(script);
    if (!context)
        return kStatusFailed;
    if (handlerIndex >= context->handlers.size() || !context->handlers[handlerIndex])
        return kStatusOk;
    return CallEntry(context, handlerIndex, 1, arguments, argumentCode, resumeValue, keep != 0, false);
}

Status CScriptManager::RestartContext(CScriptBase* script)
{
    // Every call of the instance stops; its handlers and queued results go with them.
    if (!ContextOf(script) || Failed(script->StopFunction("")))
        return kStatusFailed;
    return ResetContext(script);
}

Status CScriptManager::RemoveContext(CScriptBase* script)
{
    ScriptContext* context = ContextOf(script);
    if (!context)
        return kStatusFailed;
    // An instance whose VM other scripts run in goes after them.
    for (ScriptContext* other : m_contexts)
        if (other && other->script->GetSharedScript() == script)
            return kStatusFailed;
    DropPending(script->GetContextIndex(), -1);
    m_contexts[script->GetContextIndex()] = nullptr;
    if (script == m_pMainScript)
        m_pMainScript = nullptr;
    if (context->calls) {
        // Its script is running: the instance goes when the call returns.
        context->removed = 1;
        FreeHandlers(context);
        return kStatusOk;
    }
    DeleteContext(context);
    return kStatusOk;
}

Status CScriptManager::ResetContext(CScriptBase* script)
{
    ScriptContext* context = ContextOf(script);
    if (!context)
        return kStatusFailed;
    // Results queued for the old handlers would reach whatever takes their slots next.
    DropPending(script->GetContextIndex(), -1);
    FreeHandlers(context);
    return kStatusOk;
}

void CScriptManager::ClearHandlers()
{
    for (void* p = m_pending.GetFirst(); p;) {
        auto* record = static_cast<ScriptPendingResult*>(p);
        if (record->delivering) {
            p = m_pending.GetNext();
        } else {
            delete record;
            p = m_pending.RemoveCurrent(0);
        }
    }
    for (ScriptContext* context : m_contexts)
        if (context)
            FreeHandlers(context);
}

bool CScriptManager::IsRunningEvent(CScriptBase* script, uint32_t event)
{
    const ScriptContext* context = ContextOf(script);
    if (!context || event >= kScriptEventCount || context->current < 0)
        return false;
    const uint32_t current = static_cast<uint32_t>(context->current);
    return current < context->handlers.size() && context->handlers[current] &&
           StringCompareA(context->handlers[current]->name, ObjectEventTable()[event].name) == 0;
}

// ---- the queue of results ---------------------------------------------------------------------

Status CScriptManager::QueueResult(CScriptBase* script, uint32_t handlerIndex, uint32_t value)
{
    if (!ContextOf(script))
        return kStatusFailed;
    return Enqueue(script->GetContextIndex(), handlerIndex, value);
}

Status CScriptManager::Enqueue(uint32_t contextIndex, uint32_t handlerIndex, uint32_t value)
{
    auto* record = new (std::nothrow) ScriptPendingResult{0, contextIndex, handlerIndex, value, 0};
    if (!record || Failed(m_pending.Add(record, 0))) {
        delete record;
        // A wait whose result is lost would never end: the caller must know.
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    record->serial = ++m_serial;
    return kStatusOk;
}

void CScriptManager::Update()
{
    // Results queued by the calls below wait for the next frame.
    const uint64_t last = m_serial;
    for (void* p = m_pending.GetFirst(); p;) {
        auto* record = static_cast<ScriptPendingResult*>(p);
        // A nested frame (a progress bar drawn from inside a call) leaves its caller's record alone.
        if (record->delivering || record->serial > last) {
            p = m_pending.GetNext();
            continue;
        }
        ScriptContext* context = record->contextIndex < m_contexts.size() ? m_contexts[record->contextIndex] : nullptr;
        if (context && !IsActivated(context->script->GetObjectNumber())) {
            p = m_pending.GetNext();
            continue;
        }
        FIFONode* node = m_pending.GetCurrentNode();
        const uint32_t index = record->handlerIndex;
        if (context && index < context->handlers.size() && context->handlers[index]) {
            record->delivering = 1;
            const ScriptHandlerEntry* entry = context->handlers[index];
            const std::string name = entry->name;
            CScriptBaseKest* script = context->script;
            const uint32_t mask = script->GetEventMask();
            context->current = static_cast<int32_t>(index);
            script->SetEventMask(entry->flags | kScriptResumeMask);
            // Held across the call: a context removed meanwhile goes once it is over.
            ++context->calls;
            CallFunction(script, name.c_str(), 1, nullptr, 0, record->value);
            if (!EndCall(context)) {
                context->current = -1;
                script->SetEventMask(mask);
            }
        }
        // A record whose context or handler is gone is simply dropped.
        m_pending.SetCurrentNode(node);
        delete record;
        p = m_pending.RemoveCurrent(0);
    }
}

// ---- the main script's functions --------------------------------------------------------------

Status CScriptManager::CallMainFunction(const char* name)
{
    if (!m_pMainScript || !m_pMainScript->HasFunction(name))
        return kStatusFailed;
    const Status status = CallFunction(m_pMainScript, name, 1, nullptr, 0, kScriptNoResume);
    // A call that waits (a level being chosen) or was stopped has run as far as it may.
    return Failed(status) && status != kStatusWait && status != kScriptCallerStopped ? kStatusFailed : kStatusOk;
}

Status CScriptManager::RunMain()
{
    const Status status = CallMainFunction("main");
    if (Failed(status) && m_pWorldData) {
        char16_t text[kScriptErrorTextSize] = {};
        if (m_pMainScript)
            m_pMainScript->GetLastError(text);
        UtilsString_Copy(m_pWorldData->lastErrorText, kWorldTextSize,
                         text[0] ? text : u"The main script has no function \"main\"");
    }
    return status;
}

Status CScriptManager::OnStart()
{
    return CallMainFunction("OnStart");
}

Status CScriptManager::OnEnableTutorial()
{
    return CallMainFunction("OnEnableTutorial");
}

Status CScriptManager::OnDisableTutorial()
{
    return CallMainFunction("OnDisableTutorial");
}
