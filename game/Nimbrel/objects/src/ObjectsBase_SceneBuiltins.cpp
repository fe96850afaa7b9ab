// Builtins on whole scene objects: show, hide, lock and unlock them, switch to another object
// or chapter, restart an object's activity, end the game, and read global information.
#include <cstring>
#include <string>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The parent mark of an object: its last element mark is 1.
constexpr int32_t kParentMark = 1;

}  // namespace

Status CObjectsBase::FirstListedObject(const ScriptBuiltinCall& call, const char* list, CObjectsBase** ppObject,
                                       uint32_t* pPrefix)
{
    CScriptManager* scripts = Scripts();
    if (!scripts)
        return kStatusFailed;
    ObjectListIterator it;
    scripts->ResolveObjectList(it, list, m_objectNumber, call.Report(), false);
    CObjectsBase* object = it.done ? nullptr : SceneObject(static_cast<uint32_t>(it.object));
    if (!object)
        return kStatusFailed;
    *ppObject = object;
    if (pPrefix)
        *pPrefix = it.prefix;
    return kStatusOk;
}

Status CObjectsBase::SetListedObjectsFlags(ScriptBuiltinCall& call, int32_t shown, int32_t locked)
{
    return ForEachListedObject(call, [shown, locked](CObjectsBase* object, uint32_t) {
        if (shown >= 0)
            object->m_shown = static_cast<uint8_t>(shown);
        if (locked >= 0)
            object->m_locked = static_cast<uint8_t>(locked);
        return kStatusOk;
    });
}

Status CObjectsBase::setObjectsShow(ScriptBuiltinCall& call) { return SetListedObjectsFlags(call, 1, -1); }
Status CObjectsBase::setObjectsHide(ScriptBuiltinCall& call) { return SetListedObjectsFlags(call, 0, -1); }
Status CObjectsBase::setObjectsUnlock(ScriptBuiltinCall& call) { return SetListedObjectsFlags(call, -1, 0); }
Status CObjectsBase::setObjectsLock(ScriptBuiltinCall& call) { return SetListedObjectsFlags(call, -1, 1); }
Status CObjectsBase::setObjectsHideAndLock(ScriptBuiltinCall& call) { return SetListedObjectsFlags(call, 0, 1); }
Status CObjectsBase::setObjectsShowAndUnlock(ScriptBuiltinCall& call) { return SetListedObjectsFlags(call, 1, 0); }

// ---- switching objects and chapters ----------------------------------------------------------------

Status CObjectsBase::ReleaseToolboxCaller(ScriptBuiltinCall& call, bool otherOnly)
{
    if (m_typeCode != kObjectKindToolbox)
        return kStatusOk;
    uint32_t activation = 0;
    const int32_t caller = GetToolboxCaller(&activation);
    if (caller < 0 || (otherOnly && static_cast<uint32_t>(caller) == m_objectNumber))
        return kStatusOk;
    CObjectsBase* object = SceneObject(static_cast<uint32_t>(caller));
    if (object && object->IsLoaded() && object->m_pScript &&
        Failed(object->m_pScript->SetReturnLong(activation, 1))) {
        TraceCall(call, kTraceError, "can't set a return variable %S", UtilsString_FromUtf8(object->m_pName).c_str());
        return kStatusFailed;
    }
    CloseToolbox();
    return kStatusOk;
}

Status CObjectsBase::onObjectLoad(ScriptBuiltinCall& call)
{
    CObjectsBase* target = nullptr;
    if (Failed(FirstListedObject(call, call.Text(0), &target)))
        return kStatusFailed;
    if (target == this) {
        TraceCall(call, kTraceError, "can't load object on itself %S", UtilsString_FromUtf8(call.Text(0)).c_str());
        return kStatusFailed;
    }
    if (Failed(RequestLevel(static_cast<int32_t>(target->m_objectNumber), -1, 0))) {
        TraceCall(call, kTraceError, "can't load object %S", UtilsString_FromUtf8(target->m_pName).c_str());
        return kStatusFailed;
    }
    return kStatusDoneStoreResult;
}

Status CObjectsBase::_onObjectLoad(ScriptBuiltinCall& call)
{
    if (IsBuiltinFailure(onObjectLoad(call)) || Failed(ReleaseToolboxCaller(call, false)))
        return kStatusFailed;
    // The script goes on when the objects manager shows this object again.
    const Status status =
        WaitForCommand(call, kCommandEventClick, [this](const CommandHandle& handle) { return AddShownEventCommand(handle); });
    if (status == kStatusFailed)
        TraceCall(call, kTraceError, "can't allocate command on object %S", UtilsString_FromUtf8(call.Text(0)).c_str());
    return status;
}

Status CObjectsBase::onObjectCommand(ScriptBuiltinCall& call)
{
    const int32_t index = FindSceneObject(call.Text(0));
    CObjectsBase* target = index >= 0 ? SceneObject(static_cast<uint32_t>(index)) : nullptr;
    if (!target) {
        TraceCall(call, kTraceError, "unrecognized object %S", UtilsString_FromUtf8(call.Text(0)).c_str());
        return kStatusFailed;
    }
    CScriptManager* scripts = Scripts();
    ListCursor commands;
    commands.Start(call.Text(1));
    uint32_t prefix = kListPrefixNone;
    // Every command but "restart" is left to the object's own parameters.
    while (const char* command = commands.NextToken(&prefix)) {
        if (prefix != kListPrefixNone || std::strcmp(command, "restart") != 0)
            continue;
        if (!target->IsLoaded())
            return kStatusFailed;
        if (scripts && scripts->IsRunningEvent(target->m_pScript, kEventStart)) {
            TraceCall(call, kTraceError, "can't restart own activity in own 'OnStart' function %S",
                      UtilsString_FromUtf8(target->m_pName).c_str());
            return kStatusFailed;
        }
        if (scripts && scripts->IsRunningEvent(target->m_pScript, kEventRun)) {
            TraceCall(call, kTraceError, "can't restart own activity in own 'OnRun' function %S",
                      UtilsString_FromUtf8(target->m_pName).c_str());
            return kStatusFailed;
        }
        if (Failed(RestartObjectActivity(static_cast<uint32_t>(index)))) {
            TraceCall(call, kTraceError, "can't restart object %S", UtilsString_FromUtf8(target->m_pName).c_str());
            return kStatusFailed;
        }
        if (Failed(ReleaseToolboxCaller(call, true)))
            return kStatusFailed;
    }
    return kStatusDoneStoreResult;
}

Status CObjectsBase::_onChapterLoad(ScriptBuiltinCall& call)
{
    // 1-based, 0 taken as the first; an index past the last chapter names none.
    const uint32_t chapter = call.Long(0);
    const uint32_t index = chapter ? chapter - 1 : 0;
    const uint32_t count = ChapterCount();
    if (index >= count) {
        TraceCall(call, kTraceError, "invalid chapter index [1..%u[", count + 1);
        return kStatusFailed;
    }
    if (Failed(RequestLevel(-1, static_cast<int32_t>(index), 0))) {
        TraceCall(call, kTraceError, "can't load chapter %u", chapter);
        return kStatusFailed;
    }
    if (Failed(ReleaseToolboxCaller(call, false)))
        return kStatusFailed;
    // The level change replaces the suspended script.
    return kStatusWait;
}

Status CObjectsBase::_onGameOver(ScriptBuiltinCall& call)
{
    // The level entered again replaces the suspended script.
    const Status status = GameOver();
    if (IsBuiltinFailure(status))
        TraceCall(call, kTraceError, "can't end the game");
    return status;
}

// ---- global information -------------------------------------------------------------------------

Status CObjectsBase::getGlobalInfos(ScriptBuiltinCall& call)
{
    const char* category = call.Text(0);
    const char* parameter = call.Text(1);
    const bool isName = std::strcmp(parameter, "name") == 0;
    CChaptersManager* chapters = Chapters();
    if (std::strcmp(category, "chapter") == 0) {
        uint32_t value = 0;
        if (std::strcmp(parameter, "count") == 0)
            value = ChapterCount();
        else if (std::strcmp(parameter, "current") == 0)
            value = CurrentChapter() + 1;
        call.SetResultLong(value);
        return kStatusDoneStoreResult;
    }
    if (std::strcmp(category, "synchronized") == 0) {
        call.SetResultLong(std::strcmp(parameter, "enabled") == 0 && chapters ? chapters->GetChaptersFlag() : 0);
        return kStatusDoneStoreResult;
    }
    const CObjectsBase* named = nullptr;
    CObjectsManager* objects = ObjectsManager();
    if (std::strcmp(category, "current_object") == 0) {
        named = CurrentSceneObject();
    } else if (std::strcmp(category, "this_object") == 0) {
        named = this;
    } else if (std::strcmp(category, "parent_object") == 0) {
        const CObjectsBase* current = CurrentSceneObject();
        for (uint32_t i = 0; current && current->m_overlay && objects && !named && i < objects->GetObjectCount(); ++i)
            if (const CObjectsBase* object = objects->GetObject(i); object && object->m_lastMark == kParentMark)
                named = object;
    } else if (std::strcmp(category, "current_popup") == 0) {
        named = objects ? objects->GetInterfaceObject(kInterfacePopups) : nullptr;
    } else if (std::strcmp(category, "current_toolbox") == 0) {
        named = objects ? objects->GetInterfaceObject(kInterfaceToolbox) : nullptr;
    } else {
        TraceCall(call, kTraceError, "invalid parameters");
        return kStatusFailed;
    }
    if (!isName) {
        call.SetResultLong(0);
        return kStatusDoneStoreResult;
    }
    return call.SetResultString(named && named->m_pName ? named->m_pName : "") ? kStatusDoneStoreResult : kStatusFailed;
}
