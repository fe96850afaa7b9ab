// Builtins on items: show, hide, invert and fade them, make them clickable (waiting for the
// click, or loading another level on it), and mark them consumed, locked or unlocked.
#include <vector>

#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The element kind whose flicker runs on the object's shared cycle.
bool RunsSharedCycle(const ElementRecord* element)
{
    return element->effectKind == kEffectFlickerCycle;
}

// Each object that handled such an element restarts its cycle once, afterwards.
void NoteSharedCycle(std::vector<CObjectsBase*>& owners, CObjectsBase* owner, const ElementRecord* element)
{
    if (!RunsSharedCycle(element))
        return;
    for (CObjectsBase* o : owners)
        if (o == owner)
            return;
    owners.push_back(owner);
}

}  // namespace

// ---- list steps ------------------------------------------------------------------------------------

bool CObjectsBase::FirstListedItem(const ScriptBuiltinCall& call, const char* list, CObjectsBase** ppOwner,
                                   ElementRecord** ppElement)
{
    bool found = false;
    ForEachListedItem(call, list, [&](CObjectsBase* owner, ElementRecord* element) {
        *ppOwner = owner;
        *ppElement = element;
        found = true;
        // Only the first is wanted: the walk stops here.
        return kStatusFailed;
    });
    return found;
}

Status CObjectsBase::RefuseForeignItem(const ScriptBuiltinCall& call, const CObjectsBase* owner, const char* list) const
{
    if (owner == this)
        return kStatusOk;
    TraceCall(call, kTraceError, "invalid out of object item %S", UtilsString_FromUtf8(list).c_str());
    return kStatusFailed;
}

uint32_t CObjectsBase::AddFade(uint32_t mode, float seconds, uint32_t object, uint32_t element,
                               const CommandHandle* pCommand)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    auto* fades = world ? dynamic_cast<CFadeManager*>(world->GetManager(kManagerFade)) : nullptr;
    return fades ? fades->AddFade(mode, seconds, object, element, pCommand) : 0;
}

// ---- visibility --------------------------------------------------------------------------------------

Status CObjectsBase::SetListedItemsVisible(ScriptBuiltinCall& call, int32_t show)
{
    std::vector<CObjectsBase*> cycles;
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        owner->StopElementFade(element);
        const bool shown = show < 0 ? (element->flags & kElementHidden) != 0 : show != 0;
        if (shown)
            element->flags &= ~kElementHidden;
        else
            element->flags |= kElementHidden;
        element->alpha = shown ? 1.0f : 0.0f;
        NoteSharedCycle(cycles, owner, element);
        return kStatusOk;
    });
    for (CObjectsBase* owner : cycles)
        owner->RestartSharedEffectCycle();
    return kStatusDoneStoreResult;
}

Status CObjectsBase::FadeListedItems(ScriptBuiltinCall& call, uint32_t mode, float seconds, bool ownOnly,
                                     bool setAction)
{
    // The whole list is checked before any fade starts: a fade already running with the wait
    // command would keep its lock on a record the refusal frees.
    if (ownOnly && Failed(ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord*) {
            return RefuseForeignItem(call, owner, call.Text(0));
        })))
        return kStatusFailed;
    std::vector<CObjectsBase*> cycles;
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        if (setAction)
            element->action = mode;
        owner->StopElementFade(element);
        // The fade runs on the element's own object, and the element keeps its id.
        element->fadeId = AddFade(mode, seconds, owner->m_objectNumber, element->index, call.waitCommand);
        if (element->fadeId && call.waitCommand)
            call.waitTaken = 1;
        NoteSharedCycle(cycles, owner, element);
        return kStatusOk;
    });
    for (CObjectsBase* owner : cycles)
        owner->RestartSharedEffectCycle();
    return kStatusDoneStoreResult;
}

static float DefaultFadeSeconds(const WorldData* w)
{
    return w && w->pGame ? w->pGame->screen.defaultFadeSeconds : 0.0f;
}

Status CObjectsBase::FadeItemsShow(ScriptBuiltinCall& call)
{
    return FadeListedItems(call, kFadeShow, DefaultFadeSeconds(m_pWorldData), true, false);
}

Status CObjectsBase::FadeItemsHide(ScriptBuiltinCall& call)
{
    return FadeListedItems(call, kFadeHide, DefaultFadeSeconds(m_pWorldData), true, false);
}

Status CObjectsBase::FadeItemsInvert(ScriptBuiltinCall& call)
{
    return FadeListedItems(call, kFadeInvert, DefaultFadeSeconds(m_pWorldData), true, false);
}

Status CObjectsBase::FadeItemsNamed(ScriptBuiltinCall& call)
{
    return FadeListedItems(call, FadeModeFromName(call.Text(1)), call.Float(2), false, true);
}

Status CObjectsBase::setItemsShow(ScriptBuiltinCall& call) { return SetListedItemsVisible(call, 1); }
Status CObjectsBase::setItemsHide(ScriptBuiltinCall& call) { return SetListedItemsVisible(call, 0); }
Status CObjectsBase::setItemsInvert(ScriptBuiltinCall& call) { return SetListedItemsVisible(call, -1); }

// The script goes on when the last of the fades ends; a list that starts none does not wait.
Status CObjectsBase::_setItemsShow(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::FadeItemsShow);
}

Status CObjectsBase::_setItemsHide(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::FadeItemsHide);
}

Status CObjectsBase::_setItemsInvert(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::FadeItemsInvert);
}

Status CObjectsBase::setItemsFade(ScriptBuiltinCall& call)
{
    const uint32_t mode = FadeModeFromName(call.Text(1));
    if (!mode) {
        TraceCall(call, kTraceError, "invalid item fade %S", UtilsString_FromUtf8(call.Text(1)).c_str());
        return kStatusFailed;
    }
    return FadeListedItems(call, mode, call.Float(2), false, false);
}

Status CObjectsBase::_setItemsFade(ScriptBuiltinCall& call)
{
    if (call.Float(2) == 0.0f) {
        TraceCall(call, kTraceError, "invalid time fade, use setItemsShow or setItemsHide instead");
        return kStatusFailed;
    }
    const uint32_t mode = FadeModeFromName(call.Text(1));
    if (!mode) {
        TraceCall(call, kTraceError, "invalid item fade %S", UtilsString_FromUtf8(call.Text(1)).c_str());
        return kStatusFailed;
    }
    // A forced change has nothing to wait for.
    if (!FadeModeIsAnimated(mode))
        return FadeItemsNamed(call);
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::FadeItemsNamed);
}

Status CObjectsBase::setItemsAlphaFunction(ScriptBuiltinCall& call)
{
    // Not reachable from scripts: no registration names it.
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord*) {
        return RefuseForeignItem(call, owner, call.Text(0));
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

// ---- clicks --------------------------------------------------------------------------------------------

bool CObjectsBase::MakeElementClickable(CObjectsBase* owner, ElementRecord* element, uint32_t action)
{
    element->flags &= ~(kElementFound | kElementRotatable | kElementHasDropRecord | kElementDraggable);
    element->flags |= kElementClickable;
    owner->StopElementFade(element);
    element->action = action;
    return (element->flags & kElementTutorialMark) != 0;
}

void CObjectsBase::RemoveClickCommands(uint32_t element, uint32_t kind, bool release)
{
    if (CCommandList* list = GetElementClickList(element))
        list->RemoveKind(kind, release);
}

Status CObjectsBase::setItemsClickable(ScriptBuiltinCall& call)
{
    const uint32_t mode = FadeModeFromName(call.Text(1));
    bool marked = false;
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        marked |= MakeElementClickable(owner, element, mode);
        return kStatusOk;
    });
    if (marked)
        RefreshTutorialItems();
    return kStatusDoneStoreResult;
}

Status CObjectsBase::_waitItemClicked(ScriptBuiltinCall& call)
{
    CObjectsBase* owner = nullptr;
    ElementRecord* element = nullptr;
    if (!FirstListedItem(call, call.Text(0), &owner, &element))
        return kStatusFailed;
    MakeElementClickable(owner, element, FadeModeFromName(call.Text(1)));
    // The click burns the list of the element's own object.
    return WaitForCommand(call, kCommandEventClick, [owner, element](const CommandHandle& handle) {
        return owner->AddElementClickCommand(element->index, handle);
    });
}

Status CObjectsBase::setItemsClickableAndLoad(ScriptBuiltinCall& call)
{
    const int32_t index = FindSceneObject(call.Text(1));
    CObjectsBase* target = index >= 0 ? SceneObject(static_cast<uint32_t>(index)) : nullptr;
    if (!target) {
        TraceCall(call, kTraceError, "unrecognized object %S", UtilsString_FromUtf8(call.Text(1)).c_str());
        return kStatusFailed;
    }
    if (!(target->m_typeCode & kObjectKindLevelBit) && target->m_typeCode != kObjectKindMenu) {
        TraceCall(call, kTraceError, "unrecognized loadable object %S", UtilsString_FromUtf8(call.Text(1)).c_str());
        return kStatusFailed;
    }
    bool marked = false;
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        owner->RemoveClickCommands(element->index, kCommandChangeLevel, false);
        marked |= MakeElementClickable(owner, element, 0);
        element->loadOnClick = 1;
        if (Failed(owner->AddElementClickCommand(element->index, target->m_levelHandle))) {
            TraceCall(call, kTraceError, "can't allocate command on object %S", UtilsString_FromUtf8(call.Text(1)).c_str());
            return kStatusFailed;
        }
        return kStatusOk;
    });
    if (marked)
        RefreshTutorialItems();
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

// ---- consumption and locks ----------------------------------------------------------------------------

Status CObjectsBase::setItemsConsumed(ScriptBuiltinCall& call)
{
    ForEachListedItem(call, call.Text(0), [](CObjectsBase*, ElementRecord* element) {
        element->flags |= kElementFound;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}

Status CObjectsBase::setItemsLocked(ScriptBuiltinCall& call)
{
    ForEachListedItem(call, call.Text(0), [](CObjectsBase*, ElementRecord* element) {
        element->flags |= kElementLocked;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}

Status CObjectsBase::setItemsUnlocked(ScriptBuiltinCall& call)
{
    ForEachListedItem(call, call.Text(0), [](CObjectsBase*, ElementRecord* element) {
        element->flags &= ~kElementLocked;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}
