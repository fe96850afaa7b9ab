// The tutorial's steps: queued by the scripts, chosen when their item is ready, ended by the
// player's input, popped with their callbacks, and the waits of _pushTuto resumed.
#include "NimbrelManagers/CTutoManager.h"

#include <cstring>
#include <new>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelManagers/CCursors.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/ProfileManager.h"
#include "NimbrelWorld/ProfileSlot.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Delays are given in seconds and counted in frame-step units.
constexpr float kFramesPerSecond = 30.0f;
// The screen fade's rate when the world has no screenshot.
constexpr float kDefaultFadeRate = 0.075f;

// The argument code of a callback: one 8-bit text.
constexpr uint32_t kArgumentsStepName = 0x10000004u;

struct TutoWord {
    const char* word;
    uint32_t bits;
};

constexpr TutoWord kFlagWords[] = {
    {"skippable", kTutoSkippable},
    {"exit_click_in", kTutoExitClickIn},
    {"exit_click_out", kTutoExitClickOut},
};

constexpr TutoWord kItemWords[] = {
    {"force_consume_item", kTutoForceConsumeItem}, {"exit_click_item", kTutoExitClickItem},
    {"exit_drag_item", kTutoExitDragItem},         {"exit_drop_item", kTutoExitDropItem},
    {"arrow_item", kTutoArrowItem},
};

// The bits of the words of a comma or blank separated list; other tokens are ignored.
template <size_t N>
uint32_t ParseWords(const char* text, const TutoWord (&table)[N])
{
    uint32_t bits = 0;
    for (const char* c = text; c && *c;) {
        while (*c == ',' || *c == ' ' || *c == '\t')
            ++c;
        const char* start = c;
        while (*c && *c != ',' && *c != ' ' && *c != '\t')
            ++c;
        const size_t length = static_cast<size_t>(c - start);
        for (const TutoWord& w : table)
            if (length && std::strlen(w.word) == length && std::strncmp(w.word, start, length) == 0)
                bits |= w.bits;
    }
    return bits;
}

bool Given(const char* text) { return text && *text; }

// Reports with the texts turned wide, as the trace's format expects them.
void Report(WorldData* w, const BuiltinTrace& trace, const char* format, const char* a, const char* b = "")
{
    char16_t wideA[256], wideB[256];
    UtilsString_AToW(a ? a : "", wideA, 256);
    UtilsString_AToW(b ? b : "", wideB, 256);
    TraceBuiltin(w, trace, format, wideA, wideB);
}

CNimbrelWorld* GameWorld(WorldData* w) { return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr; }

// A name matches every step for null, "" or "*"; a step without a name matches no other name.
bool NameMatches(const TutoStep& step, const char* name)
{
    if (!Given(name) || std::strcmp(name, "*") == 0)
        return true;
    return step.pName && std::strcmp(step.pName, name) == 0;
}

}  // namespace

CTutoManager::CTutoManager(WorldData* pWorldData) : CManagedObject(pWorldData)
{
    m_current.itemObject = kTutoNoIndex;
    m_current.itemElement = kTutoNoIndex;
}

CTutoManager::~CTutoManager()
{
    Unload();
}

Status CTutoManager::Load()
{
    Unload();
    m_pStepText = new (std::nothrow) CExtraDimTextString(m_pWorldData);
    m_pSkipText = new (std::nothrow) CExtraDimTextString(m_pWorldData);
    m_pQuestionText = new (std::nothrow) CExtraDimTextString(m_pWorldData);
    m_pCommands = new (std::nothrow) CCommandList(m_pWorldData);
    if (!m_pStepText || !m_pSkipText || !m_pQuestionText || !m_pCommands) {
        Unload();
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

Status CTutoManager::Unload()
{
    Close(0);
    m_question = 0;
    m_pending = 0;
    delete m_pStepText;
    delete m_pSkipText;
    delete m_pQuestionText;
    delete m_pCommands;
    m_pStepText = m_pSkipText = m_pQuestionText = nullptr;
    m_pCommands = nullptr;
    return kStatusOk;
}

// ---- what the manager asks of the game --------------------------------------------------------

CObjectsBase* CTutoManager::ObjectAt(uint32_t index)
{
    return SceneObjectAt(m_pWorldData, index);
}

uint32_t CTutoManager::ObjectCount()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    uint32_t count = 0;
    return world && world->GetObjectCount(&count) ? count : 0;
}

CFIFOList* CTutoManager::ActiveObjects()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? &objects->GetActiveList() : nullptr;
}

CObjectsInterfaceTuto* CTutoManager::TutoObject()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? dynamic_cast<CObjectsInterfaceTuto*>(objects->GetInterfaceObject(kInterfaceTutorial)) : nullptr;
}

int32_t CTutoManager::FindPopupText(const char* name)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
    const int32_t group = extra && name ? extra->FindPopupGroupByName(name) : -1;
    return group < 0 ? -1 : group + int32_t(extra->GetPopupTextBase());
}

float CTutoManager::FadeRate()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CScreenshot* screenshot = world ? world->GetScreenshot() : nullptr;
    return screenshot ? screenshot->GetFadeSpeed() : kDefaultFadeRate;
}

CVornelFont* CTutoManager::Font()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    return world ? world->GetMainFont() : nullptr;
}

void CTutoManager::SetProfileTutorialOff()
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CProfileManager* profiles = world ? world->GetProfileManager() : nullptr;
    if (ProfileSlot* slot = profiles ? profiles->GetCurrentSlot() : nullptr)
        slot->flags |= kProfileFlagTutorialOff;
}

void CTutoManager::SelectCursor(const char16_t* name)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    if (CCursors* cursors = world ? world->GetCursors() : nullptr)
        cursors->SelectCursor(name);
}

// ---- queueing ---------------------------------------------------------------------------------

Status CTutoManager::ParseStep(uint32_t object, const BuiltinReport& caller, const TutoStepArguments& args,
                               uint8_t wait)
{
    if (m_skipAll)
        return kStatusOk;
    CObjectsBase* owner = ObjectAt(object);
    if (!owner)
        return kStatusFailed;
    const BuiltinTrace trace = {owner, caller.builtin, caller.fileIndex, caller.line, kTraceError};
    TutoStep step = {};
    step.object = object;
    step.itemObject = object;
    step.itemElement = kTutoNoIndex;
    step.delay = args.seconds * kFramesPerSecond;
    if (Given(args.item)) {
        const int32_t element = owner->FindElementByName(args.item);
        if (element < 0) {
            Report(m_pWorldData, trace, "invalid item name \"%S\" in \"%S\"", args.item, owner->GetName());
            return kStatusFailed;
        }
        step.itemElement = uint32_t(element);
    }
    CObjectsInterfaceTuto* tuto = TutoObject();
    const int32_t key = tuto ? tuto->FindPositionKey(args.position) : -1;
    if (key < 0) {
        Report(m_pWorldData, trace, "invalid position name \"%S\" on \"%S\"", args.position,
               tuto ? tuto->GetName() : "");
        return kStatusFailed;
    }
    step.positionKey = uint32_t(key);
    const int32_t text = FindPopupText(args.popup);
    if (text < 0) {
        Report(m_pWorldData, trace, "unrecognize popup name \"%S\"", args.popup);
        return kStatusFailed;
    }
    step.textIndex = uint32_t(text);
    step.flags = ParseWords(args.flags, kFlagWords);
    step.itemFlags = ParseWords(args.itemWords, kItemWords);
    if (step.itemFlags && step.itemElement == kTutoNoIndex) {
        TraceBuiltin(m_pWorldData, trace, "you must specify an item name before use item parameters");
        return kStatusFailed;
    }
    auto* record = static_cast<TutoStep*>(UTILS_CALLOC(1, sizeof(TutoStep)));
    if (record) {
        *record = step;
        if (Given(args.callback)) {
            record->pName = UtilsString_DupA(args.popup);
            record->pCallback = UtilsString_DupA(args.callback);
        }
    }
    const bool copied = record && (!Given(args.callback) || (record->pName && record->pCallback));
    CFIFOList& steps = owner->GetTutoSteps();
    if (!copied || Failed(wait ? steps.AddHead(record, 0) : steps.Add(record, 0))) {
        FreeTutoStep(record);
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    if (wait || m_state == kTutoClosed || !HasStep() || m_current.object != object)
        OnItemsChanged();
    return kStatusOk;
}

Status CTutoManager::AddCommand(const CommandHandle& handle)
{
    return m_pCommands ? m_pCommands->Add(handle) : kStatusFailed;
}

// ---- choosing the step ------------------------------------------------------------------------

TutoStep* CTutoManager::FirstStep(CObjectsBase* pObject)
{
    CFIFOList& steps = pObject->GetTutoSteps();
    FIFONode* kept = steps.GetCurrentNode();
    TutoStep* found = nullptr;
    for (void* item = steps.GetFirst(); item && !found; item = steps.GetNext())
        if (!static_cast<TutoStep*>(item)->done)
            found = static_cast<TutoStep*>(item);
    steps.SetCurrentNode(kept);
    return found;
}

TutoStep* CTutoManager::QueuedCurrent(CObjectsBase** ppOwner)
{
    CObjectsBase* owner = HasStep() ? ObjectAt(m_current.object) : nullptr;
    if (ppOwner)
        *ppOwner = owner;
    if (!owner)
        return nullptr;
    CFIFOList& steps = owner->GetTutoSteps();
    FIFONode* kept = steps.GetCurrentNode();
    TutoStep* found = nullptr;
    for (void* item = steps.GetFirst(); item && !found; item = steps.GetNext())
        if (SameTutoStep(*static_cast<TutoStep*>(item), m_current))
            found = static_cast<TutoStep*>(item);
    steps.SetCurrentNode(kept);
    return found;
}

Status CTutoManager::OnItemsChanged()
{
    CFIFOList* active = m_skipAll ? nullptr : ActiveObjects();
    FIFONode* kept = active ? active->GetCurrentNode() : nullptr;
    TutoStep* chosen = nullptr;
    for (void* item = active ? active->GetFirst() : nullptr; item && !chosen; item = active->GetNext()) {
        auto* object = static_cast<CObjectsBase*>(item);
        if (!object->IsLoaded() || !object->IsWanted() || !object->IsShown())
            continue;
        TutoStep* step = FirstStep(object);
        if (!step)
            continue;
        ElementRecord* element = step->itemElement == kTutoNoIndex
                                     ? nullptr
                                     : SceneElementAt(m_pWorldData, step->itemObject, step->itemElement);
        if (!element || !(step->itemFlags & kTutoItemWaits)) {
            chosen = step;
            continue;
        }
        const uint32_t f = element->flags;
        const bool found = (f & kElementFound) != 0;
        bool ready = false;
        if ((step->itemFlags & kTutoExitClickItem) == kTutoExitClickItem ||
            (step->itemFlags & kTutoExitDragItem) == kTutoExitDragItem)
            ready = (f & (kElementClickable | kElementDraggable | kElementRotatable)) && !found;
        else if ((step->itemFlags & kTutoExitDropItem) == kTutoExitDropItem)
            ready = (f & kElementDropTarget) && !found;
        if (ready)
            chosen = step;
        else
            element->flags |= kElementTutorialMark;
    }
    if (active)
        active->SetCurrentNode(kept);
    if (!chosen) {
        // A step shown whose record has gone (popped, or not kept by a continued game) goes as
        // if the player had ended it: its pop then resumes the scripts waiting for it.
        if (HasStep() && m_state != kTutoClosed && !QueuedCurrent(nullptr))
            OnInput();
        m_current.done = 1;
        m_question = 0;
        // A frame that has gone keeps no step behind it.
        if (m_state == kTutoClosed && !m_pending)
            ClearCurrent();
        return kStatusFailed;
    }
    // The step on screen stays where it is: a new look at the items does not start it again.
    if (HasStep() && SameTutoStep(*chosen, m_current) && !m_current.done && m_state != kTutoClosed)
        return kStatusOk;
    return ShowStep(*chosen);
}

void CTutoManager::ClearCurrent()
{
    UTILS_FREE(m_current.pName);
    UTILS_FREE(m_current.pCallback);
    m_current = {};
    m_current.itemObject = kTutoNoIndex;
    m_current.itemElement = kTutoNoIndex;
}

Status CTutoManager::ShowStep(const TutoStep& step)
{
    // The copies first: the step given may be the current one.
    TutoStep shown = step;
    shown.pName = step.pName ? UtilsString_DupA(step.pName) : nullptr;
    shown.pCallback = step.pCallback ? UtilsString_DupA(step.pCallback) : nullptr;
    if ((step.pName && !shown.pName) || (step.pCallback && !shown.pCallback)) {
        UTILS_FREE(shown.pName);
        UTILS_FREE(shown.pCallback);
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    ClearCurrent();
    m_current = shown;
    m_question = 0;
    if (Failed(LayoutFrame()) || Failed(LayoutTexts())) {
        ClearCurrent();
        m_state = kTutoClosed;
        return kStatusFailed;
    }
    m_state = kTutoDelay;
    m_timer = step.delay;
    return kStatusOk;
}

// ---- ending and popping -------------------------------------------------------------------------

void CTutoManager::OnInput()
{
    if (TutoStep* queued = QueuedCurrent(nullptr))
        queued->done = 1;
    m_current.done = 1;
    switch (m_state) {
    case kTutoDelay:
        m_state = kTutoClosed;
        m_pending = 1;
        m_timer = 0.0f;
        break;
    case kTutoFadingIn:
        m_state = kTutoFadingOut;
        break;
    case kTutoShown:
        m_state = kTutoFadingOut;
        m_timer = 1.0f;
        break;
    default:
        break;
    }
}

Status CTutoManager::RemoveStep(CObjectsBase* pOwner, TutoStep* pStep)
{
    // Marked before the callback, which may queue and show another step.
    const bool current = HasStep() && SameTutoStep(*pStep, m_current);
    if (current)
        m_current.done = 1;
    if (ElementRecord* element = pStep->itemElement == kTutoNoIndex
                                     ? nullptr
                                     : SceneElementAt(m_pWorldData, pStep->itemObject, pStep->itemElement))
        element->flags &= ~kElementTutorialMark;
    pOwner->GetTutoSteps().Remove(pStep);
    Status result = kStatusOk;
    if (pStep->pCallback) {
        uintptr_t arguments[1] = {reinterpret_cast<uintptr_t>(pStep->pName)};
        result = pOwner->CallScriptFunction(pStep->pCallback, kCallMaskCommand, 0, arguments, kArgumentsStepName);
    }
    FreeTutoStep(pStep);
    if (current && m_pCommands)
        m_pCommands->BurnAll(0, 0, 0, -1);
    return result;
}

Status CTutoManager::PopTuto(uint32_t object, const char* name)
{
    CObjectsBase* owner = ObjectAt(object);
    if (!owner)
        return kStatusFailed;
    if (owner->IsWalkingTutoSteps())
        return kStatusOk;
    CFIFOList& steps = owner->GetTutoSteps();
    std::vector<TutoStep*> matching;
    for (void* item = steps.GetFirst(); item; item = steps.GetNext())
        if (NameMatches(*static_cast<TutoStep*>(item), name))
            matching.push_back(static_cast<TutoStep*>(item));
    const bool wasShowing = HasStep() && m_current.object == object && !m_current.done && m_state != kTutoClosed;
    Status result = kStatusOk;
    owner->SetWalkingTutoSteps(1);
    for (TutoStep* step : matching)
        if (steps.Find(step))
            result = RemoveStep(owner, step);
    owner->SetWalkingTutoSteps(0);
    // The frame of a popped step goes as if the player had ended it; its pop then finds the
    // step gone and chooses the next one.
    if (wasShowing && m_current.done) {
        const uint8_t kept = m_current.done;
        OnInput();
        m_current.done = kept;
    }
    return result;
}

Status CTutoManager::PopCurrent()
{
    CObjectsBase* owner = nullptr;
    TutoStep* queued = QueuedCurrent(&owner);
    if (queued && owner && !owner->IsWalkingTutoSteps())
        return RemoveStep(owner, queued);
    m_current.done = 1;
    if (m_pCommands)
        m_pCommands->BurnAll(0, 0, 0, -1);
    return kStatusOk;
}

Status CTutoManager::PopAll()
{
    Status result = kStatusOk;
    const uint32_t count = ObjectCount();
    for (uint32_t i = 0; i < count; ++i) {
        CObjectsBase* owner = ObjectAt(i);
        if (!owner || owner->IsWalkingTutoSteps())
            continue;
        CFIFOList& steps = owner->GetTutoSteps();
        owner->SetWalkingTutoSteps(1);
        while (void* item = steps.GetFirst())
            result = RemoveStep(owner, static_cast<TutoStep*>(item));
        owner->SetWalkingTutoSteps(0);
    }
    m_current.done = 1;
    if (m_pCommands)
        m_pCommands->BurnAll(0, 0, 0, -1);
    return result;
}

void CTutoManager::Close(uint8_t runExit)
{
    if (runExit) {
        m_current.done = 1;
        if (HasStep() && m_current.itemElement != kTutoNoIndex && m_state == kTutoFadingOut)
            PopCurrent();
    }
    m_state = kTutoClosed;
    m_timer = 0.0f;
    m_question = 0;
    if (m_pStepText)
        m_pStepText->Clear();
    ClearCurrent();
}

void CTutoManager::Reopen()
{
    if (m_state == kTutoFadingOut || m_state == kTutoClosed)
        m_state = kTutoFadingIn;
}

void CTutoManager::Update()
{
    if (!m_pending)
        return;
    m_pending = 0;
    if (m_skipAll) {
        PopAll();
        Close(1);
    } else {
        PopCurrent();
        OnItemsChanged();
    }
}

// ---- what scene objects read -------------------------------------------------------------------

bool CTutoManager::GetGate(TutorialStep* pStep) const
{
    if (!HasStep())
        return false;
    pStep->done = m_current.done;
    pStep->object = m_current.itemObject;
    pStep->element = m_current.itemElement;
    pStep->mode = m_current.itemFlags;
    pStep->off = m_skipAll;
    return true;
}

bool CTutoManager::IsWaitingForAnyClick() const
{
    return HasStep() && !m_current.done && m_state != kTutoDelay && m_state != kTutoClosed &&
           (m_current.flags & kTutoExitClickOut) != 0;
}

bool CTutoManager::IsShowingFor(uint32_t objectIndex) const
{
    return HasStep() && !m_current.done && m_current.object == objectIndex && m_state != kTutoDelay &&
           m_state != kTutoClosed;
}
