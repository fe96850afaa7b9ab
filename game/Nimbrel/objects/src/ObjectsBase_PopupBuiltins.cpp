// The builtins that show a popup text, a popup message or a tool box panel and wait until the
// player has closed it.
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelScript/ScriptVM.h"
#include "VornelUtils/WorldData.h"

namespace {

// The popup manager, when the objects manager's popups object is loaded and in the level to
// show its texts.
CPopupManager* ReadyPopups(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    CObjectsBase* popups = objects ? objects->GetInterfaceObject(kInterfacePopups) : nullptr;
    return popups && popups->IsLoaded() && popups->IsWanted() ? world->GetPopupManager() : nullptr;
}

CToolboxManager* Toolbox(WorldData* w)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? world->GetToolboxManager() : nullptr;
}

// The activation that makes the call, by its place in its module.
uint32_t ActivationIndex(const ScriptBuiltinCall& call)
{
    const ScriptModule* module = call.module;
    for (size_t i = 0; module && i < module->activations.size(); ++i)
        if (module->activations[i].get() == call.activation)
            return static_cast<uint32_t>(i);
    return 0;
}

}  // namespace

// The script goes on when the popup closes; a text that cannot show, or a narrator line, lets it
// go on at once.
Status CObjectsBase::_waitForPopupText(ScriptBuiltinCall& call)
{
    CPopupManager* popups = ReadyPopups(m_pWorldData);
    if (!popups)
        return kStatusFailed;
    if (Failed(popups->ShowString(call.Text(0))))
        return kStatusDoneStoreResult;
    return WaitForCommand(call, kCommandEventFade, [popups](const CommandHandle& h) { return popups->AddCommand(h); });
}

// With no current objective (-1) nothing shows and nothing waits: the popup's text base plus
// -1 would name an unrelated string.
Status CObjectsBase::_showCurrentObjective(ScriptBuiltinCall& call)
{
    CPopupManager* popups = ReadyPopups(m_pWorldData);
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CObjectiveManager* objectives = world ? world->GetObjectiveManager() : nullptr;
    const int32_t objective = objectives ? objectives->GetCurrentObjective() : -1;
    if (!popups || objective < 0 || Failed(popups->ShowStringIndex(objective)))
        return kStatusDoneStoreResult;
    return WaitForCommand(call, kCommandEventFade, [popups](const CommandHandle& h) { return popups->AddCommand(h); });
}

// The object popup of a popups object, queued behind what the tool box manager shows.
Status CObjectsBase::_waitForPopupMessage(ScriptBuiltinCall& call)
{
    CObjectsManager* objects = ObjectsManager();
    CToolboxManager* toolbox = Toolbox(m_pWorldData);
    const int32_t index = objects && call.Text(0) ? objects->FindLevelByNameAndType(call.Text(0), kObjectKindPopups) : -1;
    CObjectsBase* popups = index >= 0 ? objects->GetObject(uint32_t(index)) : nullptr;
    // Its message shows in the level: a popups object out of it would hold the queue.
    if (!toolbox || !popups || !popups->IsLoaded() || !popups->IsWanted()) {
        TraceCall(call, kTraceError, "no popups object %s", call.Text(0) ? call.Text(0) : "");
        return kStatusFailed;
    }
    return toolbox->AddEntry(kToolboxMessage, uint32_t(index), m_objectNumber, call.Text(1), call.Text(2),
                             call.hostWord, 0xFFFFFFFFu, call.tail ? 1 : 0);
}

// A tool box panel, queued behind what the tool box manager shows; the panel's object learns
// which activation waits, so that its own level changes can answer it.
Status CObjectsBase::_waitForToolbox(ScriptBuiltinCall& call)
{
    CObjectsManager* objects = ObjectsManager();
    CToolboxManager* toolbox = Toolbox(m_pWorldData);
    const int32_t index = objects && call.Text(0) ? objects->FindLevelByNameAndType(call.Text(0), kObjectKindToolbox) : -1;
    CObjectsBase* panel = index >= 0 ? objects->GetObject(uint32_t(index)) : nullptr;
    if (!toolbox || !panel || !panel->IsLoaded()) {
        TraceCall(call, kTraceError, "no tool box %s", call.Text(0) ? call.Text(0) : "");
        return kStatusFailed;
    }
    // Registered with one text: the panel's own text, a second argument, is always absent.
    return toolbox->AddEntry(kToolboxPanel, uint32_t(index), m_objectNumber, nullptr, nullptr, call.hostWord,
                             ActivationIndex(call), call.tail ? 1 : 0);
}
