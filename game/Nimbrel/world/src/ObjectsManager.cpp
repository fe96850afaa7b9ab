// The objects manager's life, per-frame walks and pointer input.
#include "NimbrelWorld/CObjectsManager.h"

#include <cmath>
#include <new>

#include "NimbrelManagers/CDragInertia.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D/C3DMath.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformShell.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The state word's bit of the left button.
constexpr uint32_t kButtonDown = 0x1;
// Zoom per unit of change of the distance between two touch points.
constexpr float kGestureZoomRate = 0.005f;

}  // namespace

CObjectsManager::CObjectsManager(WorldData* pWorldData) : CManagedObject(pWorldData)
{
    for (uint32_t& index : m_interfaces)
        index = kNoObjectIndex;
}

CObjectsManager::~CObjectsManager()
{
    Release();
}

CDragInertia* CObjectsManager::CreateDragInertia()
{
    return new (std::nothrow) CDragInertia(m_pWorldData);
}

Status CObjectsManager::Load()
{
    if (!m_pDragInertia)
        m_pDragInertia = CreateDragInertia();
    if (!m_pDragInertia) {
        if (m_pWorldData)
            m_pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    return Failed(m_pDragInertia->Load()) ? kStatusFailed : kStatusOk;
}

Status CObjectsManager::Release()
{
    ReleaseObjects();
    if (m_pDragInertia) {
        m_pDragInertia->Unload();
        delete m_pDragInertia;
        m_pDragInertia = nullptr;
    }
    return kStatusOk;
}

void CObjectsManager::ReleaseObjects()
{
    // A construction that failed half-way leaves empty slots.
    for (uint32_t i = 0; m_ppObjects && i < m_objectCount; ++i)
        if (CObjectsBase* object = m_ppObjects[i]) {
            object->Release();
            delete object;
        }
    UTILS_FREE(m_ppObjects);
    m_ppObjects = nullptr;
    m_objectCount = 0;
    UTILS_FREE(m_pNameIndex);
    m_pNameIndex = nullptr;
    m_activeList.RemoveAll();
    m_loadedList.RemoveAll();
    m_pCurrentObject = m_pCapturedObject = m_pCurrentLevel = nullptr;
}

uint32_t CObjectsManager::GetToolboxOwner()
{
    const auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    const CToolboxManager* toolbox = world ? world->GetToolboxManager() : nullptr;
    return toolbox && toolbox->IsShowing() && toolbox->GetCaller() >= 0 ? uint32_t(toolbox->GetCaller())
                                                                         : kNoObjectIndex;
}

void CObjectsManager::CloseToolboxAtOnce()
{
    const auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    if (CToolboxManager* toolbox = world ? world->GetToolboxManager() : nullptr)
        toolbox->Close(0);
}

void CObjectsManager::Update()
{
    const uint32_t popupOwner = GetPopupOwner();
    const uint32_t toolboxOwner = GetToolboxOwner();
    CObjectsBase* popups = GetInterfaceObject(kInterfacePopups);
    CObjectsBase* toolbox = GetInterfaceObject(kInterfaceToolbox);
    bool popupOwnerSeen = false, toolboxOwnerSeen = false, abuse = false;
    for (void* item = m_activeList.GetFirst(); item; item = m_activeList.GetNext()) {
        auto* object = static_cast<CObjectsBase*>(item);
        if (!object->IsShown() || !object->IsWanted())
            continue;
        // The popups and the tool box show over the object that opened them.
        if (object == popups) {
            if (popupOwnerSeen)
                object->UpdateState();
            continue;
        }
        if (object == toolbox) {
            if (toolboxOwnerSeen)
                object->UpdateState();
            continue;
        }
        FIFONode* position = m_activeList.GetCurrentNode();
        object->UpdateState();
        if (CTutoManager* tuto = object->IsUnderOverlay() ? nullptr : Tutorial())
            tuto->UpdateWithObjects(object->GetObjectNumber());
        m_activeList.SetCurrentNode(position);
        popupOwnerSeen = popupOwnerSeen || object->GetObjectNumber() == popupOwner;
        toolboxOwnerSeen = toolboxOwnerSeen || object->GetObjectNumber() == toolboxOwner;
        abuse = abuse || object->GetAbuse();
    }
    if (abuse)
        UpdateAbuse();
}

Status CObjectsManager::Draw()
{
    CObjectsBase* popups = GetInterfaceObject(kInterfacePopups);
    CObjectsBase* toolbox = GetInterfaceObject(kInterfaceToolbox);
    CObjectsBase* labels = GetInterfaceObject(kInterfaceLabels);
    const auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CPopupManager* popupManager = world ? world->GetPopupManager() : nullptr;
    bool abuse = false;
    CToolboxManager* toolboxManager = world ? world->GetToolboxManager() : nullptr;
    for (void* item = m_activeList.GetFirst(); item; item = m_activeList.GetNext()) {
        auto* object = static_cast<CObjectsBase*>(item);
        // The popup and tool box managers draw for their interfaces, the labels in the popup's
        // layers. The labels' draw states still start over here each frame, so that a picture
        // the popup manager does not draw cannot be hit.
        if (object == labels && object->IsShown() && object->IsWanted())
            object->BeginDraw(0);
        if (!object->IsShown() || !object->IsWanted() || object == popups || object == toolbox || object == labels)
            continue;
        FIFONode* position = m_activeList.GetCurrentNode();
        object->Draw();
        DrawClickEffects(object->GetObjectNumber());
        // An object popup and a tool box panel show over the object they belong to.
        if (popupManager)
            popupManager->RenderWithObjects(object->GetObjectNumber());
        if (toolboxManager)
            toolboxManager->RenderWithObjects(object->GetObjectNumber());
        if (CTutoManager* tuto = object->IsUnderOverlay() ? nullptr : Tutorial())
            tuto->RenderWithObjects(object->GetObjectNumber());
        m_activeList.SetCurrentNode(position);
        abuse = abuse || object->GetAbuse();
    }
    // The penalty's overlay covers every object it counts for.
    if (abuse)
        RenderAbuse();
    return kStatusOk;
}

bool CObjectsManager::SkipInWalk(CObjectsBase* pObject, bool* pPassedOverlay)
{
    const uint32_t number = pObject->GetObjectNumber();
    const uint32_t popupOwner = GetPopupOwner();
    const uint32_t toolboxOwner = GetToolboxOwner();
    const uint32_t popups = m_interfaces[kInterfacePopups];
    const uint32_t toolbox = m_interfaces[kInterfaceToolbox];
    const bool isCurrent = pObject == m_pCurrentObject;
    const bool passed = *pPassedOverlay;
    if (isCurrent && pObject->GetOverlay())
        *pPassedOverlay = true;
    // An open popup or tool box lets only the interfaces from its own number up through.
    if (number != popups && (IsPopupShowing() || popupOwner != kNoObjectIndex) &&
        (number < popups || !pObject->IsInterface()))
        return true;
    if (number != toolbox && toolboxOwner != kNoObjectIndex && (number < toolbox || !pObject->IsInterface()))
        return true;
    if (number == m_interfaces[kInterfaceTutorial] || (passed && pObject->IsLevel()))
        return true;
    if (pObject->IsLevel() && (number == popupOwner || number == toolboxOwner))
        return true;
    return !pObject->IsShown() || !pObject->IsWanted() || pObject->IsLocked();
}

Status CObjectsManager::OnMouseDown(float x, float y, uint32_t state)
{
    if (CManagedObject* flashlight = FlashlightFirst())
        flashlight->OnMouseDown(x, y, state);
    m_pCapturedObject = nullptr;
    m_panning = 0;
    bool passedOverlay = false;
    for (void* item = m_activeList.GetLast(); item; item = m_activeList.GetPrevious()) {
        auto* object = static_cast<CObjectsBase*>(item);
        if (SkipInWalk(object, &passedOverlay))
            continue;
        if (TutorialTakesPress(object, x, y)) {
            if (m_pDragInertia)
                m_pDragInertia->BeginDrag(x, y);
            return kStatusOk;
        }
        if (Succeeded(object->OnMouseDown(x, y, state))) {
            if (m_pDragInertia)
                m_pDragInertia->BeginDrag(x, y);
            m_pCapturedObject = object;
            return kStatusOk;
        }
    }
    // Nobody took it: the origin of a pan, and a mark where it touched.
    m_lastX = x;
    m_lastY = y;
    AddTouchMark(x, y, state);
    return kStatusOk;
}

Status CObjectsManager::OnMouseMove(float x, float y, uint32_t state)
{
    // The managed world passes no button state with a move: the world data holds it.
    const bool held = (state & kButtonDown) || (m_pWorldData && m_pWorldData->leftDown);
    CManagedObject* flashlight = held ? FlashlightFirst() : nullptr;
    if (flashlight)
        flashlight->OnMouseMove(x, y, state);
    if (m_pCapturedObject) {
        if (m_pDragInertia)
            m_pDragInertia->AddMove(x, y);
        m_pCapturedObject->OnMouseMove(x, y, state);
    } else if (held) {
        m_panDeltaX = x - m_lastX;
        m_panDeltaY = y - m_lastY;
        m_lastX = x;
        m_lastY = y;
        m_panning = 1;
    }
    if (held)
        AddTouchMark(x, y, state);
    return kStatusOk;
}

Status CObjectsManager::OnMouseUp(float x, float y, uint32_t state)
{
    if (CManagedObject* flashlight = FlashlightFirst())
        flashlight->OnMouseUp(x, y, state);
    if (CObjectsBase* captured = m_pCapturedObject) {
        m_pCapturedObject = nullptr;
        if (m_pDragInertia)
            m_pDragInertia->Release(x, y);
        if (Succeeded(captured->OnMouseUp(x, y, state)))
            return kStatusOk;
    }
    bool taken = false, passedOverlay = false;
    for (void* item = m_activeList.GetLast(); item && !taken; item = m_activeList.GetPrevious()) {
        auto* object = static_cast<CObjectsBase*>(item);
        if (!SkipInWalk(object, &passedOverlay))
            taken = TutorialTakesClick(object, x, y, state) || Succeeded(object->OnClick(x, y, state));
    }
    CTutoManager* tuto = taken ? nullptr : Tutorial();
    if (tuto && tuto->IsWaitingForAnyClick())
        tuto->OnInput();
    const bool nothingOpen = !IsPopupShowing() && GetPopupOwner() == kNoObjectIndex &&
                             GetToolboxOwner() == kNoObjectIndex;
    if (!taken && nothingOpen && !m_panning) {
        PlayNullClick();
        if (m_pCurrentObject && m_pCurrentObject->GetAbuse())
            OnAbuseClick();
    }
    m_panDeltaX = m_panDeltaY = m_panDeltaZ = 0.0f;
    m_pCapturedObject = nullptr;
    return kStatusOk;
}

Status CObjectsManager::OnGesture(float x1, float y1, float x2, float y2)
{
    if (CObjectsBase* captured = m_pCapturedObject) {
        m_pCapturedObject = nullptr;
        captured->OnMouseUp(0.0f, 0.0f, 0);
    }
    if (m_pWorldData) {
        m_pWorldData->game.input.zoomCentreX = (x1 + x2) * 0.5f;
        m_pWorldData->game.input.zoomCentreY = (y1 + y2) * 0.5f;
    }
    const C3DVector2 span = {x1 - x2, y1 - y2};
    const float distance = m_pWorldData && m_pWorldData->pMath ? m_pWorldData->pMath->Vec2Length(&span)
                                                               : std::sqrt(span.x * span.x + span.y * span.y);
    // The first frame of a gesture only records where the fingers are.
    if (m_previousDistance != 0.0f)
        SetZoomDelta((distance - m_previousDistance) * kGestureZoomRate);
    m_previousDistance = distance;
    return kStatusOk;
}

Status CObjectsManager::OnGestureEnd()
{
    m_previousDistance = 0.0f;
    return kStatusOk;
}

Status CObjectsManager::OfferCursor(float x, float y)
{
    bool passedOverlay = false;
    for (void* item = m_activeList.GetLast(); item; item = m_activeList.GetPrevious()) {
        auto* object = static_cast<CObjectsBase*>(item);
        if (!SkipInWalk(object, &passedOverlay) &&
            (TutorialTakesCursor(object, x, y) || Succeeded(object->UpdateCursorState(x, y, nullptr))))
            return kStatusOk;
    }
    return kStatusFailed;
}

Status CObjectsManager::HitTestObjects(float x, float y, HitRecord* pRecord)
{
    for (void* item = m_activeList.GetLast(); item; item = m_activeList.GetPrevious())
        if (Succeeded(static_cast<CObjectsBase*>(item)->FindElementAt(x, y, pRecord, 0.0f, -1, nullptr, nullptr)))
            return kStatusOk;
    return kStatusFailed;
}

Status CObjectsManager::LoadState(UtilsStream* pStream)
{
    uint32_t words[kInterfaceRoleCount];
    if (!pStream || !pStream->Read(words, sizeof words[0], kInterfaceRoleCount))
        return kStatusFailed;
    for (uint32_t word : words)
        if (word != kNoObjectIndex && word >= m_objectCount)
            return kStatusFailed;
    for (uint32_t i = 0; i < kInterfaceRoleCount; ++i)
        m_interfaces[i] = words[i];
    return kStatusOk;
}

Status CObjectsManager::SaveState(UtilsStream* pStream)
{
    return pStream && pStream->Write(m_interfaces, sizeof m_interfaces[0], kInterfaceRoleCount) ? kStatusOk
                                                                                                  : kStatusFailed;
}

bool CObjectsManager::OpenDocument(const char16_t* document, uint8_t quit)
{
    if (!document || !Platform_ShellOpen(UtilsString_ToUtf8(document).c_str()))
        return false;
    if (quit)
        Platform_PostQuitMessage(0);
    return true;
}
