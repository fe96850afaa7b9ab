// The builtins that show a popup text and wait until the player has read it.
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ConstructionFile.h"
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
