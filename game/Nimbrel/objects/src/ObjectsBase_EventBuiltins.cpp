// Builtins that wait for an event of the object ("finished", "clicked", "dragged", "turned"),
// attach a script function to an item's click or take it away, and count items by state; and
// how a level's finish reaches the call that waits for it.
#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsString.h"

namespace {

bool Is(const char* text, const char* word)
{
    return text && std::strcmp(text, word) == 0;
}

}  // namespace

// ---- the finish of a level --------------------------------------------------------------------------

void CObjectsBase::DeliverFinish(uint32_t value)
{
    CScriptManager* scripts = Scripts();
    if (m_finishWaiter == kNoFinishWaiter || !scripts || !m_pScript) {
        m_finishKept = 1;
        m_finishValue = value;
        return;
    }
    const uint32_t waiter = m_finishWaiter;
    m_finishWaiter = kNoFinishWaiter;
    scripts->QueueResult(m_pScript, waiter, value);
}

void CObjectsBase::RecordFinishWaiter(uint32_t hostWord)
{
    m_finishWaiter = hostWord;
    if (m_finishKept) {
        m_finishKept = 0;
        DeliverFinish(m_finishValue);
    }
}

Status CObjectsBase::ResetFinish()
{
    m_finished = 0;
    m_finishKept = 0;
    m_finishValue = 0;
    return kStatusOk;
}

Status CObjectsBase::OnCommand(const char* command)
{
    if (Is(command, "reset"))
        ResetFinish();
    // Never taken here: the caller goes on with the command.
    return kStatusFailed;
}

// ---- waits for an event -------------------------------------------------------------------------------

Status CObjectsBase::_waitForEvent(ScriptBuiltinCall& call)
{
    const char* event = call.Text(0);
    const bool finished = Is(event, "finished");
    const Status answer = OnCommand(event);
    if (answer != kStatusFailed) {
        // A level that waits on "finished" itself ends the wait through the finish handle.
        if (answer == kStatusWait && finished && !call.tail)
            RecordFinishWaiter(call.hostWord);
        return answer == kStatusOk ? kStatusDoneStoreResult : answer;
    }
    if (finished) {
        if (!(m_typeCode & kObjectKindLevelBit) || m_typeCode == kObjectKindExploration) {
            TraceCall(call, kTraceError, "command not allowed in this type of object %S",
                      UtilsString_FromUtf8(event).c_str());
            return kStatusFailed;
        }
        if (call.tail)
            return kStatusDoneStoreResult;
        RecordFinishWaiter(call.hostWord);
        return kStatusWait;
    }
    Status (CObjectsBase::*attach)(const CommandHandle&) = nullptr;
    if (Is(event, "clicked"))
        attach = &CObjectsBase::AddClickedEventCommand;
    else if (Is(event, "dragged"))
        attach = &CObjectsBase::AddDraggedEventCommand;
    else if (Is(event, "turned"))
        attach = &CObjectsBase::AddTurnedEventCommand;
    if (!attach) {
        TraceCall(call, kTraceError, "invalid event name %S", UtilsString_FromUtf8(event).c_str());
        return kStatusFailed;
    }
    const Status status =
        WaitForCommand(call, kCommandEventClick, [this, attach](const CommandHandle& handle) { return (this->*attach)(handle); });
    if (status == kStatusFailed)
        TraceCall(call, kTraceError, "can't allocate command on object %S", UtilsString_FromUtf8(event).c_str());
    return status;
}

// ---- click functions --------------------------------------------------------------------------------

Status CObjectsBase::onItemsClickFunction(ScriptBuiltinCall& call)
{
    CScriptManager* scripts = Scripts();
    CCommandListManager* commands = Commands();
    if (!scripts || !commands || !m_pScript)
        return kStatusFailed;
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        // The call runs in this object's script, so only its own elements may carry it.
        if (Failed(RefuseForeignItem(call, owner, call.Text(0))))
            return kStatusFailed;
        RemoveClickCommands(element->index, kCommandCallFunction, true);
        const int32_t handler = scripts->FindHandler(m_pScript, call.Text(1), 1, 1);
        if (handler < 0)
            return kStatusFailed;
        CommandHandle handle;
        if (Failed(commands->AddCommand(m_objectNumber, 0, kCommandCallFunction, kCommandEventClick,
                                        uint32_t(handler), uint32_t(handler), 0, &handle)))
            return kStatusFailed;
        if (Failed(AddElementClickCommand(element->index, handle))) {
            commands->RemoveLastCommand();
            return kStatusFailed;
        }
        return kStatusOk;
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::onItemsClickNull(ScriptBuiltinCall& call)
{
    ForEachListedItem(call, call.Text(0), [](CObjectsBase* owner, ElementRecord* element) {
        element->loadOnClick = 0;
        // The element's own lists: another object's index means nothing in this one's.
        owner->RemoveClickCommands(element->index, kCommandChangeLevel, false);
        owner->RemoveClickCommands(element->index, kCommandCallFunction, true);
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}

// ---- counts ----------------------------------------------------------------------------------------------

Status CObjectsBase::getItemsCount(ScriptBuiltinCall& call)
{
    uint32_t mask = 0, value = 0;
    ListCursor restrictions;
    restrictions.Start(call.Text(1));
    uint32_t prefix = 0;
    while (const char* token = restrictions.NextToken(&prefix)) {
        if (Is(token, "consumed")) {
            mask |= kElementFound;
            value |= kElementFound;
        } else if (Is(token, "unconsumed")) {
            mask |= kElementFound;
        } else if (Is(token, "showed")) {
            mask |= kElementHidden;
        } else if (Is(token, "hidden")) {
            mask |= kElementHidden;
            value |= kElementHidden;
        } else if (!Is(token, "none")) {
            TraceCall(call, kTraceError, "unrecognize restriction %S", UtilsString_FromUtf8(token).c_str());
            return kStatusFailed;
        }
    }
    uint32_t total = 0, matching = 0;
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        if (owner != this) {
            TraceCall(call, kTraceError, "Item list must contains only items contained in the current object");
            return kStatusFailed;
        }
        ++total;
        // With a value, only its bits are tested; without, every bit of the mask must be clear.
        if (value ? (element->flags & value) == value : (element->flags & mask) == 0)
            ++matching;
        return kStatusOk;
    });
    if (Failed(status))
        return kStatusFailed;
    const char* op = call.Text(2);
    uint32_t result = 0;
    if (Is(op, "count"))
        result = matching;
    else if (Is(op, "or"))
        result = matching > 0;
    else if (Is(op, "and"))
        result = total > 0 && matching == total;
    else {
        TraceCall(call, kTraceError, "unrecognize operator %S", UtilsString_FromUtf8(op).c_str());
        return kStatusFailed;
    }
    call.SetResultLong(result);
    return kStatusDoneStoreResult;
}
