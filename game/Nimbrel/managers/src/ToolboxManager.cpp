// The tool box manager: the queue of requests, the panel's fade, its close and its clicks.
#include "NimbrelManagers/CToolboxManager.h"

#include <cstring>
#include <memory>
#include <new>

#include "NimbrelInterfaces/CObjectsInterfaceToolbox.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/PanelInput.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

CNimbrelWorld* GameWorld(WorldData* w)
{
    return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
}

bool SameText(const char* a, const char* b)
{
    return a && b ? std::strcmp(a, b) == 0 : a == b;
}

}  // namespace

CToolboxRequest::~CToolboxRequest()
{
    UTILS_FREE(pFirst);
    UTILS_FREE(pSecond);
}

bool CToolboxRequest::SameAs(const CToolboxRequest& o) const
{
    return kind == o.kind && interfaceObject == o.interfaceObject && callerObject == o.callerObject &&
           waitFunction == o.waitFunction && extra == o.extra && SameText(pFirst, o.pFirst) &&
           SameText(pSecond, o.pSecond);
}

CToolboxManager::~CToolboxManager()
{
    Unload();
}

Status CToolboxManager::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status CToolboxManager::Load()
{
    Unload();
    m_pCommands = new (std::nothrow) CCommandList(m_pWorldData);
    return m_pCommands ? kStatusOk : OutOfMemory();
}

Status CToolboxManager::Unload()
{
    ClearEntries();
    delete m_pCommands;
    m_pCommands = nullptr;
    UTILS_FREE(m_pSavedText);
    m_pSavedText = nullptr;
    return kStatusOk;
}

void CToolboxManager::ClearEntries()
{
    for (void* item = m_queue.GetFirst(); item; item = m_queue.GetNext())
        delete static_cast<CToolboxRequest*>(item);
    m_queue.RemoveAll();
}

Status CToolboxManager::AddCommand(const CommandHandle& handle)
{
    return m_pCommands ? m_pCommands->Add(handle) : kStatusFailed;
}

// ---- what the manager asks of the game ---------------------------------------------------------

CObjectsInterfaceToolbox* CToolboxManager::Panel() const
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects ? dynamic_cast<CObjectsInterfaceToolbox*>(objects->GetInterfaceObject(kInterfaceToolbox)) : nullptr;
}

bool CToolboxManager::IsObjectPopupOpen() const
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    const CPopupManager* popups = world ? world->GetPopupManager() : nullptr;
    return popups && popups->IsObjectPopupOpen();
}

Status CToolboxManager::Present(const CToolboxRequest& request)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    CObjectsBase* object = objects ? objects->GetObject(request.interfaceObject) : nullptr;
    if (!object)
        return kStatusFailed;
    objects->SetInterfaceIndex(request.kind == kToolboxPanel ? kInterfaceToolbox : kInterfacePopups,
                               request.interfaceObject);
    if (auto* panel = request.kind == kToolboxPanel ? dynamic_cast<CObjectsInterfaceToolbox*>(object) : nullptr)
        panel->SetCaller(static_cast<int32_t>(request.callerObject), static_cast<int32_t>(request.extra));
    if (Failed(objects->RestartActivity(request.interfaceObject, objects->ScriptChapter())))
        return kStatusFailed;
    object->FireScriptEvent(kEventFocus);
    object->FireScriptEvent(kEventShow);
    if (request.kind == kToolboxPanel)
        return ShowToolbox(request.callerObject, request.pFirst);
    CPopupManager* popups = world->GetPopupManager();
    return popups ? popups->ShowObjectPopup(request.callerObject, request.pFirst, request.pSecond) : kStatusFailed;
}

Status CToolboxManager::RegisterWait(const CToolboxRequest& request)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CCommandListManager* commands = world ? world->GetCommandListManager() : nullptr;
    if (!commands)
        return kStatusFailed;
    CommandHandle handle;
    if (Failed(commands->AddCommand(request.callerObject, 0, kCommandResumeWait, kCommandEventFade,
                                    request.waitFunction, request.waitFunction, 0, &handle)))
        return kStatusFailed;
    CPopupManager* popups = world->GetPopupManager();
    const Status added = request.kind == kToolboxPanel ? AddCommand(handle)
                         : popups                      ? popups->AddCommand(handle)
                                                       : kStatusFailed;
    if (Failed(added)) {
        commands->RemoveLastCommand();
        return kStatusFailed;
    }
    return kStatusOk;
}

bool CToolboxManager::PressTakenByScene() const
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    return objects && objects->GetCapturedObject();
}

void CToolboxManager::AfterClose()
{
    AfterPanelClosed(m_pWorldData);
}

bool CToolboxManager::TakeCloseKey()
{
    const bool space = TakeReleasedKey(m_pWorldData, kEngineKeySpace, &GameFrameInput::spaceReleased);
    return TakeReleasedKey(m_pWorldData, kEngineKeyEscape, &GameFrameInput::escapeReleased) || space;
}

void CToolboxManager::FireHide()
{
    if (CObjectsInterfaceToolbox* panel = Panel())
        panel->FireScriptEvent(kEventHide);
}

// ---- the queue ------------------------------------------------------------------------------------

Status CToolboxManager::AddEntry(uint8_t kind, uint32_t interfaceObject, uint32_t callerObject, const char* first,
                                 const char* second, uint32_t waitFunction, uint32_t extra, uint8_t noWait)
{
    auto* request = new (std::nothrow) CToolboxRequest();
    if (!request)
        return OutOfMemory();
    request->kind = kind;
    request->interfaceObject = interfaceObject;
    request->callerObject = callerObject;
    request->pFirst = first ? UtilsString_DupA(first) : nullptr;
    request->pSecond = second ? UtilsString_DupA(second) : nullptr;
    request->waitFunction = waitFunction;
    request->extra = extra;
    request->noWait = noWait;
    if ((first && !request->pFirst) || (second && !request->pSecond)) {
        delete request;
        return OutOfMemory();
    }
    for (void* item = m_queue.GetFirst(); item; item = m_queue.GetNext())
        if (static_cast<CToolboxRequest*>(item)->SameAs(*request)) {
            delete request;
            return kStatusFailed;
        }
    if (Failed(m_queue.Add(request, 0))) {
        delete request;
        return OutOfMemory();
    }
    if (Failed(OnPopupClosed()))
        return kStatusFailed;
    return noWait ? kStatusDoneStoreResult : kStatusWait;
}

Status CToolboxManager::OnPopupClosed()
{
    // A show runs the interface's scripts, which may queue a request or close a popup and so
    // come back here: what they queued waits until the show in progress is done.
    if (m_presenting) {
        m_askedMeanwhile = 1;
        return kStatusOk;
    }
    auto* first = static_cast<CToolboxRequest*>(m_queue.GetFirst());
    if (!first)
        return kStatusOk;
    // One panel and one object popup at a time: the request waits for its kind's to close.
    if (first->kind == kToolboxPanel ? IsShowing() : IsObjectPopupOpen())
        return kStatusOk;
    // Out of the queue before any script runs: the request is this call's alone. One that cannot
    // show would hold the head of the queue for ever, so it goes either way.
    m_queue.Remove(first);
    const std::unique_ptr<CToolboxRequest> request(first);
    m_presenting = 1;
    Status status = Present(*request);
    if (Succeeded(status) && !request->noWait)
        status = RegisterWait(*request);
    m_presenting = 0;
    if (Failed(status) && m_pWorldData)
        Log(m_pWorldData->logPath, 0, u"# CToolboxManager::OnPopupClosed - the request for %s could not show\n",
            UtilsString_FromUtf8(request->pFirst ? request->pFirst : "").c_str());
    if (m_askedMeanwhile) {
        m_askedMeanwhile = 0;
        OnPopupClosed();
    }
    return Failed(status) ? kStatusFailed : kStatusOk;
}

// ---- the panel ------------------------------------------------------------------------------------

Status CToolboxManager::ShowToolbox(uint32_t callerObject, const char*)
{
    m_caller = static_cast<int32_t>(callerObject);
    m_element = -1;
    UTILS_FREE(m_pSavedText);
    m_pSavedText = nullptr;
    if (m_state != kToolboxFadingOut)
        m_alpha = 0.0f;
    m_state = kToolboxFadingIn;
    return kStatusOk;
}

Status CToolboxManager::Close(uint8_t animated)
{
    if (IsShowing())
        FireHide();
    if (!animated) {
        m_state = kToolboxIdle;
        m_caller = m_element = -1;
        m_alpha = 0.0f;
    } else if (m_state == kToolboxFadingIn) {
        m_state = kToolboxFadingOut;
    } else if (m_state == kToolboxShown) {
        m_state = kToolboxFadingOut;
        m_alpha = 1.0f;
    }
    // The waiting script goes on as the panel starts to fade out.
    if (m_pCommands)
        m_pCommands->BurnAll(kCommandEventFade, 0, 0, 0);
    AfterClose();
    return kStatusOk;
}

void CToolboxManager::Update()
{
    CObjectsInterfaceToolbox* panel = Panel();
    if (!panel)
        return;
    panel->SetShown(0);
    const float step = m_pWorldData ? static_cast<float>(m_pWorldData->frameTime) : 0.0f;
    switch (m_state) {
    case kToolboxFadingIn:
        m_alpha += step * 0.1f;
        if (m_alpha >= 1.0f) {
            m_alpha = 1.0f;
            m_state = kToolboxShown;
        }
        break;
    case kToolboxShown:
        m_alpha = 1.0f;
        break;
    case kToolboxFadingOut:
        m_alpha -= step * 0.1f;
        if (m_alpha < 0.0f) {
            m_alpha = 0.0f;
            m_state = kToolboxClosed;
            Close(1);
        }
        break;
    case kToolboxClosed:
        m_state = kToolboxIdle;
        m_caller = m_element = -1;
        m_alpha = 0.0f;
        OnPopupClosed();
        break;
    default:
        break;
    }
    if (m_state == kToolboxIdle)
        return;
    // The objects manager steps the panel after the object that asked for it.
    panel->SetShown(1);
    if (m_state != kToolboxFadingOut && m_state != kToolboxClosed && TakeCloseKey())
        Close(1);
}

void CToolboxManager::RenderWithObjects(uint32_t objectIndex)
{
    CObjectsInterfaceToolbox* panel = Panel();
    if (!panel || m_state == kToolboxIdle || m_caller != static_cast<int32_t>(objectIndex))
        return;
    panel->SetAlpha(m_alpha);
    panel->Draw();
}

// ---- the mouse --------------------------------------------------------------------------------------

Status CToolboxManager::OnMouseDown(float x, float y, uint32_t state)
{
    CObjectsInterfaceToolbox* panel = Panel();
    m_pressTaken = panel && Succeeded(panel->OnMouseDown(x, y, state)) ? 1 : 0;
    return m_pressTaken ? kStatusOk : kStatusFailed;
}

Status CToolboxManager::OnMouseMove(float x, float y, uint32_t state)
{
    CObjectsInterfaceToolbox* panel = Panel();
    return panel ? panel->OnMouseMove(x, y, state) : kStatusFailed;
}

Status CToolboxManager::OnMouseUp(float x, float y, uint32_t state)
{
    CObjectsInterfaceToolbox* panel = Panel();
    if (m_pressTaken) {
        m_pressTaken = 0;
        return panel ? panel->OnMouseUp(x, y, state) : kStatusFailed;
    }
    if (!panel || m_state != kToolboxShown)
        return kStatusFailed;
    switch (panel->HitTestButtons(x, y, 1)) {
    case kToolboxHitClose:
        Close(1);
        return kStatusOk;
    case kToolboxHitOther:
        // The panel's own click, or the scene's release: never both. A press the panel took
        // is released to it by the scene's road, which clicks it there.
        if (PressTakenByScene())
            return kStatusFailed;
        // A click on the panel that it does not take is the null click, and stays the panel's.
        if (Failed(panel->OnClick(x, y, state)))
            panel->PlayNullClick();
        return kStatusOk;
    default:
        return kStatusFailed;
    }
}
