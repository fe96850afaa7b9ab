// Level change and activation: which objects a level needs, their models within the memory
// budget, the events that show and hide them, and the active list that orders them.
#include <algorithm>

#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CTimedItems.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptBase.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ProfileManager.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

namespace {

// The world's last error word (low half) when video memory ran out.
constexpr uint32_t kErrorOutOfVideoMemory = 9;
// Up to this many objects (two low bits cleared) the object limit is fixed.
constexpr uint32_t kSmallConstruction = 112;
constexpr uint32_t kSmallObjectLimit = 28;
constexpr const char* kDependenciesEvent = "OnDepedencies";

CNimbrelWorld* WorldOf(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

bool IsResident(const CObjectsBase* pObject)
{
    return pObject->GetKindRow() && pObject->GetKindRow()->resident;
}

bool HasOwnVisibility(const CObjectsBase* pObject)
{
    return pObject->GetKindRow() && pObject->GetKindRow()->ownVisibility;
}

// What is left of a budget once `used` is taken from it; never below 0.
uint32_t Remaining(uint32_t budget, uint64_t used)
{
    return used >= budget ? 0 : uint32_t(budget - used);
}

}  // namespace

uint32_t CObjectsManager::ObjectLimit(uint32_t objectCount)
{
    return (objectCount & ~3u) <= kSmallConstruction ? kSmallObjectLimit : objectCount / 4;
}

uint32_t CObjectsManager::ScriptChapter() const
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CChaptersManager* chapters = world ? world->GetChaptersManager() : nullptr;
    return chapters && chapters->GetCurrentChapter() > 0 ? uint32_t(chapters->GetCurrentChapter()) : 0;
}

void CObjectsManager::ProgressRange(uint32_t step, uint32_t maximum)
{
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->SetProgressRange(step, maximum);
}

void CObjectsManager::ProgressAdvance()
{
    if (CNimbrelWorld* world = WorldOf(m_pWorldData))
        world->ProgressStep();
}

Status CObjectsManager::SetCurrentLevel(uint32_t level, uint32_t chapter, uint8_t reload)
{
    if (level != kNoObjectIndex)
        m_requestedLevel = level;
    if (chapter != kNoObjectIndex)
        m_requestedChapter = chapter;
    m_reload = reload;
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    return world ? world->SetGameState(kGameStateLevelChange, kTransitionNone, 0) : kStatusOk;
}

Status CObjectsManager::ReloadWorldManager(int32_t slot)
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CManagedObject* manager = world ? world->GetManager(slot) : nullptr;
    if (!manager)
        return kStatusOk;
    manager->Unload();
    return Failed(manager->Load()) ? kStatusFailed : kStatusOk;
}

void CObjectsManager::RemoveAllParticles()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CParticules* particles = world ? world->GetParticules() : nullptr)
        particles->RemoveAll();
}

void CObjectsManager::ClearEffectClicks()
{
    if (auto* effects = dynamic_cast<CObjectsInterfaceEffects*>(GetInterfaceObject(kInterfaceEffects)))
        effects->ResetClickEffects();
}

void CObjectsManager::DrawClickEffects(uint32_t objectNumber)
{
    if (auto* effects = dynamic_cast<CObjectsInterfaceEffects*>(GetInterfaceObject(kInterfaceEffects)))
        effects->DrawClickEffects(objectNumber);
}

Status CObjectsManager::ResetManagers(uint8_t resetObjectives)
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    RemoveAllParticles();
    for (int32_t slot : {kManagerFade, kManagerScaling, kManagerRotation, kManagerPosition})
        if (auto* animators = world ? dynamic_cast<CTimedItemManager*>(world->GetManager(slot)) : nullptr)
            animators->RemoveAll();
    ClearEffectClicks();
    ResetPopups(1);
    CloseToolboxAtOnce();
    for (int32_t slot : {kManagerTuto, kManagerTimer, kManagerDragDrop})
        if (Failed(ReloadWorldManager(slot)))
            return kStatusFailed;
    if (CScriptManager* scripts = world ? world->GetScriptManager() : nullptr)
        scripts->ClearHandlers();
    if (resetObjectives && Failed(ReloadWorldManager(kManagerObjective)))
        return kStatusFailed;
    return kStatusOk;
}

void CObjectsManager::ClearLevelManagers()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    RemoveAllParticles();
    if (auto* fades = world ? dynamic_cast<CTimedItemManager*>(world->GetManager(kManagerFade)) : nullptr)
        fades->RemoveAll();
    // The pictures of the labels still pending stay with the level.
    if (CPopupManager* popups = world ? world->GetPopupManager() : nullptr)
        popups->UpdateLabelsGroups();
    ResetPopups(0);
    CloseToolboxAtOnce();
    CenterFlashlight();
    RemoveAllParticles();
    ClearEffectClicks();
}

Status CObjectsManager::PrepareLevel(uint32_t level, uint8_t, uint8_t* pNeedsLoading)
{
    ResetAbuse();
    CloseTutorialStep();
    // Every object, not only the listed ones: an activation that failed half-way leaves objects
    // wanted that never reached the list.
    for (uint32_t i = 0; i < m_objectCount; ++i)
        if (CObjectsBase* object = m_ppObjects[i]) {
            object->m_releaseMode = 0;
            object->m_wanted = object->m_underOverlay = object->m_shown = 0;
            object->m_locked = 1;
        }
    m_activeList.RemoveAll();

    CObjectsBase* target = GetObject(level);
    if (!target)
        return kStatusFailed;
    target->m_wanted = 1;
    if (!target->IsScriptLoaded() && Failed(target->LoadScript(ScriptChapter(), 0)))
        return kStatusFailed;
    // A script without dependencies need not say so: only a handler that fails fails the level.
    CScriptBaseKest* script = target->GetScript();
    m_residentDependency = 0;
    if (Failed(target->FireScriptEvent(kEventDependencies)) && (!script || script->HasFunction(kDependenciesEvent))) {
        // The dependency's refusal named the objects in the last error text.
        if (CNimbrelWorld* world = m_residentDependency ? WorldOf(m_pWorldData) : nullptr)
            world->EndOnFailure(nullptr);
        return kStatusFailed;
    }
    target->m_wanted = 1;
    target->m_underOverlay = 0;
    target->m_shown = 1;
    target->m_locked = 0;

    if (pNeedsLoading) {
        *pNeedsLoading = 0;
        for (uint32_t i = 0; i < m_objectCount; ++i)
            if (CObjectsBase* object = m_ppObjects[i]; object && object->IsWanted() && !object->IsLoaded())
                *pNeedsLoading = 1;
    }
    return kStatusOk;
}

Status CObjectsManager::ActivateLevel(uint32_t level, uint8_t releaseAll, uint8_t startScripts)
{
    m_requestedLevel = kNoObjectIndex;
    m_reload = 0;
    CObjectsBase* target = GetObject(level);
    if (!target)
        return kStatusFailed;
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CProfileManager* profiles = world ? world->GetProfileManager() : nullptr;
    CChaptersManager* chapters = world ? world->GetChaptersManager() : nullptr;

    const bool hadCurrent = m_pCurrentObject != nullptr;
    m_pCurrentObject = target;
    if (target->IsLevel()) {
        if (ProfileSlot* slot = profiles ? profiles->GetCurrentSlot() : nullptr) {
            slot->levelObjectIndex = level;
            slot->chapterIndex = chapters ? chapters->GetCurrentChapter() : 0;
        }
        m_pCurrentLevel = target;
    }
    ClearLevelManagers();

    // What is still to load; the sizes add up in 64 bits, so that no sum of words wraps.
    uint32_t missing = 0;
    uint64_t size = 0;
    for (uint32_t i = 0; i < m_objectCount; ++i)
        if (CObjectsBase* object = m_ppObjects[i]; object && object->IsWanted() && !object->IsLoaded()) {
            ++missing;
            size += object->GetSizeWord();
        }
    if (hadCurrent && missing) {
        ProgressRange(1, missing + 1);
        ProgressAdvance();
    }

    // Room first. A budget or limit smaller than what is to load asks for everything that may go.
    Status room = kStatusOk;
    if (releaseAll) {
        room = OnReleaseTexturesMemory(0);
    } else if (m_loadedBudget != kNoObjectIndex && m_loadedSize + size > m_loadedBudget) {
        room = OnReleaseTexturesMemory(Remaining(m_loadedBudget, size));
    } else {
        const uint32_t limit = ObjectLimit(m_objectCount);
        if (uint64_t(m_loadedObjects) + missing > limit)
            room = OnReleaseObjectsMemory(Remaining(limit, missing));
    }
    if (Failed(room))
        return kStatusFailed;

    const uint32_t chapter = ScriptChapter();
    for (uint32_t i = 0; i < m_objectCount; ++i) {
        CObjectsBase* object = m_ppObjects[i];
        if (!object || !(object->IsWanted() || IsResident(object)))
            continue;
        // A resident's model came with the world, but its script is set up here like any other
        // object's, once, so that a resident object configured by its script (the tutorial's
        // frame) is ready for the level. Without a script it is left as it is.
        if (object->IsLoaded()) {
            if (IsResident(object) && startScripts && object->m_runState == kRunNotStarted &&
                Succeeded(object->LoadScript(chapter, 0)) && Succeeded(object->ResetRunState()) &&
                Succeeded(object->FireScriptEvent(kEventStart)) && Succeeded(object->CheckSetup()))
                object->m_runState = kRunStarted;
            continue;
        }
        for (;;) {
            // A code left over from an earlier failure must not pass for this one's.
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = 0;
            if (Succeeded(object->LoadReleaseModel(i)) && Succeeded(object->RegisterSurroundSounds()))
                break;
            if (object->m_releaseMode == 1)
                break;
            const uint32_t error = m_pWorldData ? uint32_t(m_pWorldData->lastErrorCode) : 0;
            if (m_loadedBudget == 0 || (error & 0xFFFF) != kErrorOutOfVideoMemory)
                return kStatusFailed;
            if (object->GetOverlay() && object != target)
                break;
            // Out of video memory: two thirds of the budget (of what is loaded, while
            // unlimited), even, and room made for the rest of the level.
            const uint64_t base = m_loadedBudget == kNoObjectIndex ? m_loadedSize : m_loadedBudget;
            m_loadedBudget = uint32_t(base * 2 / 3) & ~1u;
            if (Failed(OnReleaseTexturesMemory(Remaining(m_loadedBudget, size))))
                return kStatusFailed;
        }
        if (Failed(object->LoadScript(chapter, 0)))
            return kStatusFailed;
        if (startScripts) {
            if (object->m_runState == kRunNotStarted) {
                if (Failed(object->ResetRunState()))
                    return kStatusFailed;
                if (Succeeded(object->FireScriptEvent(kEventStart)) && Succeeded(object->CheckSetup()))
                    object->m_runState = kRunStarted;
            } else if (Failed(object->CheckSetup())) {
                return kStatusFailed;
            }
        }
        size -= std::min<uint64_t>(size, object->GetSizeWord());
        if (hadCurrent)
            ProgressAdvance();
    }

    for (uint32_t i = 0; i < m_objectCount; ++i) {
        CObjectsBase* object = m_ppObjects[i];
        if (!object)
            continue;
        if (object->IsWanted()) {
            if (m_loadedList.Find(object))
                m_loadedList.MoveCurrentToHead();
            else
                m_loadedList.AddHead(object, 0);
        }
        if (object->IsWanted() && (object == target || !object->GetOverlay())) {
            // The popup and tool box managers show those two themselves.
            const uint32_t type = object->GetTypeCode();
            if (type != kObjectKindPopups && type != kObjectKindToolbox)
                object->m_shown = 1;
            object->m_locked = 0;
        } else {
            object->m_shown = 0;
            object->m_locked = 1;
        }
        if (!HasOwnVisibility(object)) {
            if (object->m_shown && !object->m_wasShown) {
                object->FireScriptEvent(kEventFocus);
                object->FireScriptEvent(kEventShow);
                if (object->m_pShownEventList)
                    object->m_pShownEventList->BurnAll(1, int32_t(object->GetObjectNumber()), -1, -1);
            } else if (object->m_shown) {
                object->FireScriptEvent(kEventFocus);
            } else if (object->m_wasShown) {
                object->FireScriptEvent(kEventHide);
            }
        }
        object->m_wasShown = object->m_shown;
    }

    for (uint32_t i = 0; i < m_objectCount; ++i) {
        CObjectsBase* object = m_ppObjects[i];
        if (object && object->IsLoaded() && object->IsShown() && object->IsWanted() &&
            object->m_runState == kRunStarted) {
            object->FireScriptEvent(kEventRun);
            object->m_runState = kRunRunning;
        }
    }

    BuildActiveList(target);
    for (void* item = m_activeList.GetFirst(); item; item = m_activeList.GetNext()) {
        FIFONode* position = m_activeList.GetCurrentNode();
        const Status laid = static_cast<CObjectsBase*>(item)->UpdateComponents();
        m_activeList.SetCurrentNode(position);
        if (Failed(laid))
            return kStatusFailed;
    }
    if (target->GetOverlay())
        for (void* item = m_activeList.GetFirst(); item; item = m_activeList.GetNext()) {
            auto* object = static_cast<CObjectsBase*>(item);
            if (object != target && object->IsLevel())
                object->m_underOverlay = 1;
        }

    ResetZoom();
    target->RestartEffects();
    TutorialItemsChanged();
    return kStatusOk;
}

void CObjectsManager::BuildActiveList(CObjectsBase* pTarget)
{
    // Levels below interfaces; the target on top of its own group.
    m_activeList.RemoveAll();
    for (int pass = 0; pass < 2; ++pass) {
        const bool levels = pass == 0;
        for (uint32_t i = 0; i < m_objectCount; ++i) {
            CObjectsBase* object = m_ppObjects[i];
            if (object && object != pTarget && object->IsLoaded() && object->IsWanted() &&
                object->IsLevel() == levels)
                m_activeList.Add(object, 0);
        }
        if (pTarget->IsLevel() == levels)
            m_activeList.Add(pTarget, 0);
    }
}

Status CObjectsManager::RestoreLevel(uint32_t level, uint8_t reload)
{
    if (Failed(ResetAllSounds()) || Failed(ActivateLevel(level, reload, 0)) || Failed(PrepareAllSounds()))
        return kStatusFailed;
    return kStatusOk;
}

Status CObjectsManager::ApplyLevelChange()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CProfileManager* profiles = world ? world->GetProfileManager() : nullptr;
    CChaptersManager* chapters = world ? world->GetChaptersManager() : nullptr;
    if (Failed(ResetAllSounds()))
        return kStatusFailed;

    bool fresh = false, resume = false;
    if (profiles && (profiles->GetCurrentIndex() == -1 ||
                     (m_requestedProfile != kNoObjectIndex && int32_t(m_requestedProfile) != profiles->GetCurrentIndex()))) {
        const int32_t index = m_requestedProfile == kNoObjectIndex ? 0 : int32_t(m_requestedProfile);
        profiles->SetCurrentSlot(index);
        resume = chapters && chapters->GetChaptersFlag() && profiles->CanResumeAfterMismatch(index);
        const ProfileSlot* slot = profiles->GetSlot(index);
        fresh = slot && slot->objectStateSaved && !resume;
    }

    bool changed = m_reload != 0, variantSwitch = false;
    if (chapters) {
        const int32_t current = chapters->GetCurrentChapter();
        if (current == -1 || (m_requestedChapter != kNoObjectIndex && int32_t(m_requestedChapter) != current)) {
            variantSwitch = chapters->IsChapter(current) && chapters->GetChaptersFlag();
            chapters->SetCurrentChapter(m_requestedChapter == kNoObjectIndex ? 0 : int32_t(m_requestedChapter));
            changed = true;
        }
    }
    if (changed) {
        const int32_t chapter = chapters ? chapters->GetCurrentChapter() : 0;
        if (Failed(ResetManagers(chapter == 0)))
            return kStatusFailed;
        for (uint32_t i = 0; i < m_objectCount; ++i) {
            CObjectsBase* object = m_ppObjects[i];
            if (!object)
                continue;
            if (variantSwitch) {
                // The latest variant up to the chapter; bytes past the object's table count as 0.
                int32_t variant = object->GetCurrentVariant();
                for (int32_t v = chapter; v >= 0; --v)
                    if (uint32_t(v) < object->GetVariantCount() && object->GetVariants()[v]) {
                        variant = v;
                        break;
                    }
                if (variant == object->GetCurrentVariant())
                    continue;
            }
            Status status;
            if (fresh || resume || !variantSwitch) {
                status = object->ReloadElementInfos();
                if (Succeeded(status) && resume && !fresh)
                    status = object->LoadScript(uint32_t(chapter < 0 ? 0 : chapter), 1);
            } else {
                status = object->ReloadElementInfosKeepState();
            }
            if (Failed(status))
                return kStatusFailed;
            object->m_runState = kRunNotStarted;
        }
    }

    if (m_requestedLevel == kNoObjectIndex) {
        const ChapterEntry* entry = chapters ? chapters->GetChapter(chapters->GetCurrentChapter()) : nullptr;
        if (!entry)
            return kStatusFailed;
        m_requestedLevel = entry->firstLevel;
    }
    const uint32_t level = m_requestedLevel;
    const uint8_t reload = m_reload;
    if (Failed(PrepareLevel(level, reload, nullptr)))
        return kStatusFailed;
    const int32_t slotIndex = profiles ? profiles->GetCurrentIndex() : -1;
    if (resume) {
        if (Failed(profiles->LoadProfileFromFile(slotIndex, nullptr, 1)) ||
            Failed(ActivateLevel(level, reload, fresh ? 0 : 1)) || Failed(UpdateLabelGroups()))
            return kStatusFailed;
    } else if (fresh) {
        if (Failed(ActivateLevel(level, reload, 0)) || Failed(profiles->LoadProfileFromFile(slotIndex, nullptr, 0)) ||
            Failed(UpdateLabelGroups()))
            return kStatusFailed;
    } else if (Failed(ActivateLevel(level, reload, 1))) {
        return kStatusFailed;
    }

    m_requestedProfile = kNoObjectIndex;
    for (void* item = m_activeList.GetFirst(); item; item = m_activeList.GetNext()) {
        auto* object = static_cast<CObjectsBase*>(item);
        FIFONode* position = m_activeList.GetCurrentNode();
        Status status = kStatusOk;
        if (resume && object->m_runState != kRunNotStarted)
            status = object->CheckSetup();
        if (Succeeded(status))
            status = object->StopElementSounds();
        if (Succeeded(status))
            status = object->RestartEffects();
        if (Succeeded(status))
            status = StopObjectSounds(object->GetObjectNumber());
        m_activeList.SetCurrentNode(position);
        if (Failed(status))
            return kStatusFailed;
    }
    return Failed(PrepareAllSounds()) ? kStatusFailed : kStatusOk;
}

// ---- the memory budget ------------------------------------------------------------------------

void CObjectsManager::OnObjectModelLoaded(CObjectsBase* pObject)
{
    if (!pObject)
        return;
    if (m_loadedList.Find(pObject))
        m_loadedList.MoveCurrentToHead();
    else
        m_loadedList.AddHead(pObject, 0);
    m_loadedSize += pObject->GetSizeWord();
    ++m_loadedObjects;
    if (pObject->IsLevel())
        ++m_loadedLevels;
}

void CObjectsManager::OnObjectModelReleased(CObjectsBase* pObject)
{
    if (!pObject)
        return;
    // The object stays in the loaded list: the release walks skip what is not loaded.
    m_loadedSize -= std::min(m_loadedSize, pObject->GetSizeWord());
    m_loadedObjects -= m_loadedObjects ? 1 : 0;
    if (pObject->IsLevel())
        m_loadedLevels -= m_loadedLevels ? 1 : 0;
}

Status CObjectsManager::ReleaseForRoom(CObjectsBase* pObject, const char16_t* format)
{
    if (m_pWorldData)
        Log(m_pWorldData->logPath, 0, format, pObject->GetName() ? pObject->GetName() : "");
    if (Failed(pObject->ReleaseModel(0)) || Failed(pObject->UnregisterSurroundSounds()))
        return kStatusFailed;
    return kStatusOk;
}

Status CObjectsManager::ReleaseWalk(uint32_t limit, bool byCount)
{
    auto over = [&] { return (byCount ? m_loadedObjects : m_loadedSize) > limit; };
    const char16_t* formats[2];
    if (byCount) {
        formats[0] = u"# CObjectsManager::OnReleaseObjectsMemory \"%S\"\n";
        formats[1] = u"# CObjectsManager::OnReleaseObjectsMemory *\"%S\"\n";
    } else {
        formats[0] = u"# CObjectsManager::OnReleaseTexturesMemory \"%S\"\n";
        formats[1] = u"# CObjectsManager::OnReleaseTexturesMemory *\"%S\"\n";
    }
    // Least recently used first: objects not wanted, then wanted ones that may go.
    for (int pass = 0; pass < 2 && over(); ++pass) {
        for (void* item = m_loadedList.GetLast(); item && over(); item = m_loadedList.GetPrevious()) {
            auto* object = static_cast<CObjectsBase*>(item);
            const bool goes = pass == 0 ? !object->IsWanted() && !IsResident(object)
                                        : object->IsWanted() && object->m_releaseMode == 1;
            if (!object->IsLoaded() || !goes)
                continue;
            FIFONode* position = m_loadedList.GetCurrentNode();
            const Status status = ReleaseForRoom(object, formats[pass]);
            m_loadedList.SetCurrentNode(position);
            if (Failed(status))
                return kStatusFailed;
        }
    }
    return kStatusOk;
}

Status CObjectsManager::OnReleaseTexturesMemory(uint32_t limit)
{
    return ReleaseWalk(limit, false);
}

Status CObjectsManager::OnReleaseObjectsMemory(uint32_t limit)
{
    return ReleaseWalk(limit, true);
}

Status CObjectsManager::RestartActivity(uint32_t index, uint32_t argument)
{
    CObjectsBase* object = GetObject(index);
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CScriptManager* scripts = world ? world->GetScriptManager() : nullptr;
    if (!object || !scripts)
        return kStatusFailed;
    if (CCommandListManager* commands = world->GetCommandListManager())
        commands->RemoveObjectCommands(object->GetObjectNumber());
    if (!object->GetScript() || Failed(scripts->ResetContext(object->GetScript())))
        return kStatusFailed;
    if (Failed(object->ResetScript()) || Failed(object->LoadScript(argument, 0)))
        return kStatusFailed;
    object->m_runState = kRunNotStarted;
    if (!object->IsLoaded() || !object->IsScriptLoaded() || !object->IsShown() || !object->IsWanted())
        return kStatusOk;
    if (Failed(object->ResetRunState()))
        return kStatusFailed;
    if (Failed(object->FireScriptEvent(kEventStart)) || Failed(object->CheckSetup()))
        return kStatusOk;
    object->m_runState = kRunStarted;
    object->FireScriptEvent(kEventRun);
    object->m_runState = kRunRunning;
    return kStatusOk;
}

Status CObjectsManager::UpdateLabelGroups()
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    if (CPopupManager* popups = world ? world->GetPopupManager() : nullptr)
        popups->UpdateLabelsGroups();
    return kStatusOk;
}

void CObjectsManager::ResetPopups(uint8_t full)
{
    CNimbrelWorld* world = WorldOf(m_pWorldData);
    CPopupManager* popups = world ? world->GetPopupManager() : nullptr;
    if (!popups)
        return;
    if (full) {
        popups->ResetLabelsGroups();
        popups->ResetNarratorLine();
    }
    if (popups->IsPopupOpen())
        popups->Close(0);
    if (popups->IsObjectPopupOpen())
        popups->CloseObjectPopup(0);
}
