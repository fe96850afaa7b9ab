// The object's builtins as a whole: their registration, the trace, the two shapes of a waiting
// builtin, the scene as builtins see it, and the bodies the base shares with every kind.
#include <cstdarg>
#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectBuiltins.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/GroupTables.h"
#include "VornelUtils/WorldData.h"

Status CObjectsBase::RegisterScriptFunctions()
{
    CScriptManager* scripts = Scripts();
    if (!scripts || !m_pScript)
        return kStatusFailed;
    const ObjectBuiltin* builtins = ObjectBuiltins();
    for (uint32_t i = 0; i < kObjectBuiltinCount; ++i)
        if (Failed(scripts->RegisterFunction(m_pScript, builtins[i].prototype, builtins[i].name, this,
                                             builtins[i].operation, builtins[i].code)))
            return kStatusFailed;
    return kStatusOk;
}

// ---- trace and waits ----------------------------------------------------------------------------

void CObjectsBase::TraceCall(const ScriptBuiltinCall& call, uint32_t severity, const char* format, ...) const
{
    const BuiltinTrace trace = {this, call.BuiltinName(), call.fileIndex, call.line, severity};
    va_list args;
    va_start(args, format);
    TraceBuiltinV(m_pWorldData, trace, format, args);
    va_end(args);
}

Status CObjectsBase::NotAvailable(ScriptBuiltinCall& call)
{
    TraceCall(call, kTraceError, "not available");
    return kStatusFailed;
}

Status CObjectsBase::AddResumeCommand(const ScriptBuiltinCall& call, uint32_t event, CommandHandle* pHandle)
{
    CCommandListManager* commands = Commands();
    if (!commands)
        return kStatusFailed;
    return Failed(commands->AddCommand(m_objectNumber, 0, kCommandResumeWait, event, call.hostWord, call.hostWord, 0,
                                       pHandle))
               ? kStatusFailed
               : kStatusOk;
}

void CObjectsBase::RemoveResumeCommand(const CommandHandle& handle)
{
    if (CCommandListManager* commands = Commands())
        commands->RemoveCommandByIndex(handle.recordIndex, handle.magicIndex);
}

Status CObjectsBase::RunAsWait(ScriptBuiltinCall& call, uint32_t event, Status (CObjectsBase::*plain)(ScriptBuiltinCall&))
{
    // With nothing left to run after the call, a command would only wait to resume whatever
    // call takes its handler slot later: the plain form runs without one.
    if (call.tail)
        return IsBuiltinFailure((this->*plain)(call)) ? kStatusFailed : kStatusDoneStoreResult;
    CommandHandle handle;
    if (Failed(AddResumeCommand(call, event, &handle)))
        return kStatusFailed;
    call.waitCommand = &handle;
    call.waitTaken = 0;
    const Status status = (this->*plain)(call);
    call.waitCommand = nullptr;
    if (IsBuiltinFailure(status) || !call.waitTaken) {
        RemoveResumeCommand(handle);
        return IsBuiltinFailure(status) ? kStatusFailed : kStatusDoneStoreResult;
    }
    return kStatusWait;
}

// ---- the scene ----------------------------------------------------------------------------------

CObjectsBase* CObjectsBase::SceneObject(uint32_t index)
{
    if (CObjectsManager* objects = ObjectsManager())
        return objects->GetObject(index);
    return index == m_objectNumber ? this : nullptr;
}

uint32_t CObjectsBase::SceneObjectCount()
{
    CObjectsManager* objects = ObjectsManager();
    return objects ? objects->GetObjectCount() : m_objectNumber + 1;
}

int32_t CObjectsBase::FindSceneObject(const char* name)
{
    if (CObjectsManager* objects = ObjectsManager())
        return objects->FindLevelIndexByName(name);
    return name && m_pName && std::strcmp(name, m_pName) == 0 ? static_cast<int32_t>(m_objectNumber) : -1;
}

CObjectsBase* CObjectsBase::CurrentSceneObject()
{
    CObjectsManager* objects = ObjectsManager();
    return objects ? objects->GetCurrentObject() : nullptr;
}

CGroups* CObjectsBase::ItemGroups() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetGroups() : nullptr;
}

int32_t CObjectsBase::FindItemGroup(const char* name)
{
    CGroups* groups = ItemGroups();
    return groups ? groups->FindGroupByName(name) : -1;
}

uint32_t CObjectsBase::ItemGroupSize(int32_t group)
{
    CGroups* groups = ItemGroups();
    const GroupRecord* record = groups ? groups->GetGroup(group) : nullptr;
    return record ? record->memberCount : 0;
}

bool CObjectsBase::ItemGroupMember(int32_t group, uint32_t member, int32_t* pObject, int32_t* pElement)
{
    CGroups* groups = ItemGroups();
    const GroupRecord* record = groups ? groups->GetGroup(group) : nullptr;
    if (!record || member >= record->memberCount || record->pMembers[member].unresolved)
        return false;
    *pObject = static_cast<int32_t>(record->pMembers[member].levelIndex);
    *pElement = static_cast<int32_t>(record->pMembers[member].elementIndex);
    return true;
}

// The tool box's waiting caller comes with the tool box.
int32_t CObjectsBase::GetToolboxCaller(uint32_t*) { return -1; }
void CObjectsBase::CloseToolbox() {}

Status CObjectsBase::RequestLevel(int32_t level, int32_t chapter, uint8_t reload)
{
    CObjectsManager* objects = ObjectsManager();
    if (!objects)
        return kStatusFailed;
    // -1 keeps what the manager holds.
    return objects->SetCurrentLevel(static_cast<uint32_t>(level), static_cast<uint32_t>(chapter), reload);
}

Status CObjectsBase::RestartObjectActivity(uint32_t index)
{
    CObjectsManager* objects = ObjectsManager();
    return objects ? objects->RestartActivity(index, CurrentChapter()) : kStatusFailed;
}

Status CObjectsBase::GameOver()
{
    CObjectsManager* objects = ObjectsManager();
    return objects ? objects->OnGameOver() : kStatusFailed;
}

// ---- the bodies of the base ----------------------------------------------------------------------

Status CObjectsBase::setObjectParameters(ScriptBuiltinCall&) { return kStatusFailed; }
Status CObjectsBase::getObjectParameters(ScriptBuiltinCall&) { return kStatusFailed; }
Status CObjectsBase::setObjectExtraRender(ScriptBuiltinCall&) { return kStatusDoneNoResult; }
Status CObjectsBase::setGlobalInfos(ScriptBuiltinCall&) { return kStatusDoneStoreResult; }
// Bodies the base gives every kind: the shared defaults of the builtin table.
Status CObjectsBase::_waitItemPosition(ScriptBuiltinCall&) { return kStatusDoneStoreResult; }
Status CObjectsBase::setItemsRotation(ScriptBuiltinCall&) { return kStatusFailed; }
Status CObjectsBase::_setItemsRotation(ScriptBuiltinCall&) { return kStatusFailed; }
Status CObjectsBase::_waitItemRotation(ScriptBuiltinCall&) { return kStatusFailed; }
Status CObjectsBase::_waitItemScale(ScriptBuiltinCall&) { return kStatusFailed; }
Status CObjectsBase::_waitItemAnimation(ScriptBuiltinCall&) { return kStatusDoneStoreResult; }
Status CObjectsBase::setCursor(ScriptBuiltinCall&) { return kStatusDoneStoreResult; }
Status CObjectsBase::onItemsClickParticules(ScriptBuiltinCall&) { return kStatusDoneStoreResult; }
Status CObjectsBase::_onRemoveInventoryItems(ScriptBuiltinCall& call) { return _onAddInventoryItems(call); }
