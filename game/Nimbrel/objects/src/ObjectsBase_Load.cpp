// A scene object's life: load at world load, activation at each level activation, the state
// step of every frame, release at unload; and the helpers that stop an element's animators.
#include <initializer_list>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/TutoStep.h"
#include "NimbrelManagers/CEffectManager.h"
#include "NimbrelManagers/CTimedItems.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

CObjectsBase::~CObjectsBase()
{
    ReleaseElementInfo();
    for (void* name = m_soundList.GetFirst(); name; name = m_soundList.RemoveCurrent(0))
        UTILS_FREE(name);
    ClearRecordList();
    ClearMessages();
    FreeModifierTable();
    FreeElementCommandLists();
    for (CCommandList* list : {m_pClickedEventList, m_pDraggedEventList, m_pTurnedEventList, m_pShownEventList})
        delete list;
    // Its effects go with the object, unfinished: the elements go too.
    delete m_pEffectManager;
    for (void* step = m_tutoSteps.GetFirst(); step; step = m_tutoSteps.RemoveCurrent(0))
        FreeTutoStep(static_cast<TutoStep*>(step));
}

CScriptManager* CObjectsBase::Scripts() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetScriptManager() : nullptr;
}

CCommandListManager* CObjectsBase::Commands() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetCommandListManager() : nullptr;
}

Status CObjectsBase::Load()
{
    m_abuse = IsInterface() ? 0 : 1;
    if (!m_pKindRow)
        m_pKindRow = FindObjectKind(m_typeCode);
    C3DEngine* engine = m_pWorldData ? m_pWorldData->p3DEngine : nullptr;
    if (!engine)
        return kStatusFailed;
    if (!m_pRenderModel && !(m_pRenderModel = engine->CreateObject(kObjectModelFlags, kObjectRenderModelWord)))
        return kStatusFailed;
    if (!m_pCollisionModel &&
        !(m_pCollisionModel = engine->CreateObject(kObjectModelFlags, kObjectCollisionModelWord)))
        return kStatusFailed;

    CScriptManager* scripts = Scripts();
    if (!m_pScript) {
        m_pScript = scripts ? scripts->CreateScript(m_objectNumber, scripts->GetMainScript()) : nullptr;
        if (!m_pScript)
            return OutOfMemory();
    }
    if (Failed(RegisterScriptFunctions()))
        return kStatusFailed;

    CCommandListManager* commands = Commands();
    if (!commands)
        return kStatusFailed;
    Status status = commands->AddCommand(m_objectNumber, 1, kCommandChangeLevel, kCommandEventClick,
                                         kCommandNoFunction, 0, 0, &m_levelHandle);
    if (Failed(status))
        return status;
    status = commands->AddCommand(m_objectNumber, 1, kCommandResumeWait, kCommandEventClick, kCommandNoFunction, 0, 0,
                                  &m_finishHandle);
    if (Failed(status))
        return status;

    const uint32_t chapters = ChapterCount();
    UTILS_FREE(m_pVariants);
    m_pVariants = nullptr;
    m_variantCount = 0;
    if (chapters) {
        m_pVariants = static_cast<uint8_t*>(UTILS_CALLOC(chapters, 1));
        if (!m_pVariants)
            return OutOfMemory();
        m_variantCount = chapters;
    }
    const Status effects = CreateEffectManager();
    if (Failed(effects))
        return effects;
    // The base point that GetPosition reads, until the element-info file brings its own.
    if (m_positionCount == 0 && Failed(FindOrAddObjectPosition(nullptr)))
        return kStatusOutOfMemory;
    return status;
}

Status CObjectsBase::Release()
{
    if (m_pScript) {
        if (CScriptManager* scripts = Scripts())
            scripts->RemoveContext(m_pScript);
        m_pScript = nullptr;
    }
    m_runState = kRunNotStarted;
    m_currentVariant = -1;
    for (void* name = m_soundList.GetFirst(); name; name = m_soundList.RemoveCurrent(0))
        UTILS_FREE(name);
    ClearMessages();
    ReleaseEffectManager();
    // Each record once: the command lists below leave the record list alone.
    ClearRecordList();
    C3DEngine* engine = m_pWorldData ? m_pWorldData->p3DEngine : nullptr;
    for (C3DObject** model : {&m_pRenderModel, &m_pCollisionModel}) {
        if (*model && engine)
            engine->ReleaseObject(*model);
        *model = nullptr;
    }
    m_loaded = 0;
    ReleaseCommandLists();
    FreeModifierTable();
    FreeElements(m_pElements, m_elementCount);
    m_pElements = nullptr;
    m_elementCount = 0;
    ReleaseElementInfo();
    return kStatusOk;
}

Status CObjectsBase::Activate(uint32_t modelNumber)
{
    m_releaseMode = 0;
    m_wanted = 1;
    m_underOverlay = 0;
    m_shown = 0;
    m_locked = 0;
    if (Failed(LoadReleaseModel(modelNumber)) || Failed(RegisterSurroundSounds()))
        return kStatusFailed;
    if (!IsScriptLoaded() && Failed(LoadScript(CurrentChapter(), 0)))
        return kStatusFailed;
    if (m_runState == kRunNotStarted) {
        if (Failed(ResetRunState()))
            return kStatusFailed;
        // A failing "OnStart" or set-up leaves the run state at 0: UpdateState tries again.
        if (Succeeded(FireScriptEvent(kEventStart)) && Succeeded(CheckSetup())) {
            m_runState = kRunStarted;
            FireScriptEvent(kEventRun);
            m_runState = kRunRunning;
        }
    }
    return kStatusOk;
}

Status CObjectsBase::UpdateState()
{
    if (IsScriptLoaded() && m_runState == kRunNotStarted) {
        ResetRunState();
        FireScriptEvent(kEventStart);
        m_runState = kRunStarted;
    }
    if (IsScriptLoaded() && m_runState == kRunStarted) {
        CheckSetup();
        FireScriptEvent(kEventRun);
        m_runState = kRunRunning;
    }
    UpdateEffects();
    if (!IsLevel() || IsCurrentLevelObject())
        DispatchMessages();
    return kStatusOk;
}

// ---- sounds ----------------------------------------------------------------------------------

Status CObjectsBase::RegisterSurroundSounds()
{
    for (void* name = m_soundList.GetFirst(); name; name = m_soundList.GetNext())
        if (Failed(AddObjectSound(static_cast<const char*>(name))))
            return kStatusFailed;
    return kStatusOk;
}

Status CObjectsBase::UnregisterSurroundSounds()
{
    return Failed(ReleaseObjectSounds()) ? kStatusFailed : kStatusOk;
}

Status CObjectsBase::StopElementSounds()
{
    const uint32_t count = m_pRenderModel ? m_pRenderModel->GetGroupCount() : 0;
    for (uint32_t i = 0; i < count && i < m_elementCount; ++i) {
        const ElementRecord* element = GetItemRecord(i);
        if (!element->inactive && element->clickSound && Failed(StopSound(element->clickSound)))
            return kStatusFailed;
    }
    return kStatusOk;
}

// ---- element animators and effects ----------------------------------------------------------------

void CObjectsBase::StopElementFade(ElementRecord* pElement)
{
    if (pElement->fadeId) {
        RemoveFade(pElement->fadeId);
        pElement->fadeId = 0;
    }
}

void CObjectsBase::StopElementMove(ElementRecord* pElement)
{
    if (pElement->positionId) {
        RemoveMove(pElement->positionId);
        pElement->positionId = 0;
    }
    pElement->positionPaused = 0;
    pElement->positionOffset[0] = pElement->positionOffset[1] = pElement->positionOffset[2] = 0.0f;
}

void CObjectsBase::StopElementRotation(ElementRecord* pElement)
{
    if (pElement->rotationId) {
        RemoveRotation(pElement->rotationId);
        pElement->rotationId = 0;
    }
    pElement->rotationPaused = 0;
}

void CObjectsBase::StopElementScaling(ElementRecord* pElement)
{
    if (pElement->scaleId) {
        RemoveScaling(pElement->scaleId);
        pElement->scaleId = 0;
    }
    pElement->scalePaused = 0;
}

void CObjectsBase::StopObjectMove()
{
    if (m_positionId) {
        RemoveMove(m_positionId);
        m_positionId = 0;
    }
    m_positionOffset[0] = m_positionOffset[1] = m_positionOffset[2] = 0.0f;
}

void CObjectsBase::RemoveElementDropTarget(ElementRecord* pElement)
{
    if (pElement->dropRecord) {
        RemoveDropTarget(pElement->dropRecord);
        pElement->dropRecord = 0;
    }
}

bool CObjectsBase::SetElementEffect(ElementRecord* pElement, uint32_t kind)
{
    if (pElement->effectKind == kind)
        return false;
    if (pElement->effectId) {
        RemoveEffect(pElement->effectId);
        pElement->effectId = 0;
    }
    if (kind != kEffectNone && !pElement->pEffectParameters) {
        pElement->pEffectParameters = static_cast<EffectParameters*>(UTILS_CALLOC(1, sizeof(EffectParameters)));
        if (!pElement->pEffectParameters) {
            OutOfMemory();
            return false;
        }
    }
    pElement->effectId = kind != kEffectNone ? AddEffect(kind, pElement->index) : 0;
    pElement->effectKind = kind;
    return true;
}

// ---- chapters ---------------------------------------------------------------------------------

void CObjectsBase::RemoveTimedItem(int32_t slot, uint32_t id)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (auto* items = world ? dynamic_cast<CTimedItemManager*>(world->GetManager(slot)) : nullptr)
        items->RemoveItem(id);
}

void CObjectsBase::RemoveFade(uint32_t id)
{
    RemoveTimedItem(kManagerFade, id);
}

void CObjectsBase::RemoveMove(uint32_t id)
{
    RemoveTimedItem(kManagerPosition, id);
}

void CObjectsBase::RemoveRotation(uint32_t id)
{
    RemoveTimedItem(kManagerRotation, id);
}

void CObjectsBase::RemoveScaling(uint32_t id)
{
    RemoveTimedItem(kManagerScaling, id);
}

Status CObjectsBase::RemoveTimersOfObject()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (CTimerManager* timers = world ? world->GetTimerManager() : nullptr)
        timers->RemoveTimersOfObject(m_objectNumber);
    return kStatusOk;
}

CChaptersManager* CObjectsBase::Chapters() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetChaptersManager() : nullptr;
}

uint32_t CObjectsBase::ChapterCount()
{
    CChaptersManager* chapters = Chapters();
    return chapters ? chapters->GetChapterCount() : 0;
}

uint32_t CObjectsBase::CurrentChapter()
{
    // Before a chapter is chosen the first one counts.
    CChaptersManager* chapters = Chapters();
    return chapters && chapters->GetCurrentChapter() > 0 ? uint32_t(chapters->GetCurrentChapter()) : 0;
}

// ---- the objects manager ----------------------------------------------------------------------

CObjectsManager* CObjectsBase::ObjectsManager() const
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world ? world->GetObjectsManager() : nullptr;
}

bool CObjectsBase::IsCurrentLevelObject()
{
    CObjectsManager* objects = ObjectsManager();
    return objects && objects->GetCurrentLevelObject() == this;
}

void CObjectsBase::SetCurrentLevel()
{
    if (CObjectsManager* objects = ObjectsManager())
        objects->SetCurrentLevel(m_objectNumber, kNoObjectIndex, 0);
}

void CObjectsBase::OnModelLoaded()
{
    if (CObjectsManager* objects = ObjectsManager())
        objects->OnObjectModelLoaded(this);
}

void CObjectsBase::OnModelReleased()
{
    if (CObjectsManager* objects = ObjectsManager())
        objects->OnObjectModelReleased(this);
}

// ---- the managers of later parts, absent ------------------------------------------------------

