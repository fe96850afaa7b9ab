// A pointer gesture inside a scene object: the press picks the element to drag or turn, the
// moves drag or turn it, the release drops, snaps or sends it back, and the click on a
// clickable element starts its action. The cursor shows what a press would do.
#include <cmath>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kPi = 3.1415927f;

// The element's clickable and draggable states, as the press and the cursor see them.
bool IsFound(const ElementRecord& e) { return (e.flags & kElementFound) != 0; }
bool IsDragSource(const ElementRecord& e) { return (e.flags & kElementDraggable) && !IsFound(e); }

void BurnElement(CCommandList* pList, uint32_t object, uint32_t element)
{
    if (pList)
        pList->BurnAll(1, int32_t(object), int32_t(element), -1);
}

}  // namespace

bool TutorialGateBlocks(const TutorialStep& step, uint32_t object, uint32_t element, uint32_t allow)
{
    if (step.done || (step.mode & kTutorialRestricts) != kTutorialRestricts)
        return false;
    if (allow == kTutorialAllowDrag && (step.mode & kTutorialAnyDrag) == kTutorialAnyDrag)
        return false;
    return step.object != object || step.element != element || (step.mode & allow) != allow;
}

bool CObjectsBase::TutorialBlocks(const ElementRecord* pElement, uint32_t allow)
{
    TutorialStep step;
    return GetTutorialStep(&step) && TutorialGateBlocks(step, m_objectNumber, pElement->index, allow);
}

bool CObjectsBase::IsTutorialElement(const ElementRecord* pElement)
{
    TutorialStep step;
    return GetTutorialStep(&step) && !step.done && step.object == m_objectNumber && step.element == pElement->index;
}

// ---- press ---------------------------------------------------------------------------------

Status CObjectsBase::PickElementUnderCursor(float x, float y, uint32_t)
{
    m_heldElement = -1;
    m_turnedElement = -1;
    HitRecord hit;
    ElementRecord* e = nullptr;
    while (Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr))) {
        e = GetItemRecord(uint32_t(hit.element));
        if (!IsOutsideZone(e, x, y))
            break;
        e = nullptr;
    }
    if (!e || (e->flags & (kElementDropTarget | kElementLocked)))
        return kStatusFailed;
    const bool moving = m_positionId != 0;
    if (IsDragSource(*e)) {
        // A moving object takes the press and holds nothing.
        if (moving || TutorialBlocks(e, kTutorialAllowDrag))
            return kStatusOk;
        if ((e->flags & kElementHasDropRecord) && e->dropRecord != 0) {
            e->dragOffset[0] = hit.local[0];
            e->dragOffset[1] = hit.local[1];
            e->dragOffset[2] = 0.0f;
        }
        if (IsTutorialElement(e))
            OnTutorialInput();
        EndDropHighlight();
        m_heldElement = int32_t(e->index);
        StopElementFade(e);
        return kStatusOk;
    }
    if (!(e->flags & kElementRotatable) || IsFound(*e))
        return kStatusFailed;
    if (moving)
        return kStatusOk;
    m_turnedElement = int32_t(e->index);
    StopElementRotation(e);
    return kStatusOk;
}

// ---- moves ---------------------------------------------------------------------------------

bool CObjectsBase::DragStepInElementUnits(const ElementRecord* pElement, float* pDelta)
{
    const GameViewRecord& view = m_pWorldData->game.view;
    // The views give window pixels; the scene's scale carries the zoom already, and the third
    // view (an overlay's) is not zoomed.
    float sx = view.sceneScaleX, sy = view.sceneScaleY;
    if (IsInterface()) {
        sx = view.interfaceScaleX;
        sy = view.interfaceScaleY;
    } else if (m_overlay && view.alternateViewEnabled) {
        sx = view.alternateScaleX;
        sy = view.alternateScaleY;
    }
    // A missing scale counts 1.0; a scale of 0 (or a view not made yet) cannot be divided by.
    const float scale = pElement->pScale ? *pElement->pScale : 1.0f;
    const float fx = sx * scale, fy = sy * scale;
    if (!std::isfinite(fx) || !std::isfinite(fy) || fx == 0.0f || fy == 0.0f)
        return false;
    pDelta[0] /= fx;
    pDelta[1] /= fy;
    return std::isfinite(pDelta[0]) && std::isfinite(pDelta[1]);
}

void CObjectsBase::ElementScreenCentre(const ElementRecord* pElement, float* pOut)
{
    // The element's origin through its world matrix, which ends in window pixels.
    pOut[0] = pElement->worldMatrix[12];
    pOut[1] = pElement->worldMatrix[13];
    const float w = pElement->worldMatrix[15];
    if (w != 0.0f && w != 1.0f) {
        pOut[0] /= w;
        pOut[1] /= w;
    }
}

Status CObjectsBase::OnMouseMove(float x, float y, uint32_t)
{
    const WorldData& w = *m_pWorldData;
    if (m_heldElement >= 0 && uint32_t(m_heldElement) < m_elementCount) {
        ElementRecord& e = *GetItemRecord(uint32_t(m_heldElement));
        float delta[2] = {w.previousX - w.mouseX, w.previousY - w.mouseY};
        if (!DragStepInElementUnits(&e, delta))
            return kStatusFailed;
        e.dragOffset[2] = 0.0f;
        if (!(e.action & kActionNoClickAction) && IsOutsideZone(&e, x, y))
            return kStatusFailed;
        if (!(e.action & kActionVerticalDrag)) {
            e.dragOffset[0] -= delta[0];
            if (e.action & kActionHorizontalDrag)
                CObjectsLevel::WrapElementOffset(&e);
        }
        if (!(e.action & kActionHorizontalDrag)) {
            e.dragOffset[1] -= delta[1];
            if (e.action & kActionVerticalDrag)
                CObjectsLevel::WrapElementOffset(&e);
        }
        return kStatusOk;
    }
    if (m_turnedElement >= 0 && uint32_t(m_turnedElement) < m_elementCount) {
        ElementRecord& e = *GetItemRecord(uint32_t(m_turnedElement));
        float c[2];
        ElementScreenCentre(&e, c);
        const float a = w.previousX - c[0], b = w.mouseX - c[0];
        const float ay = w.previousY - c[1], by = w.mouseY - c[1];
        // A point on the centre itself has no angle: the step adds nothing rather than a NaN
        // that would stay in the angle for good.
        if ((a == 0.0f && ay == 0.0f) || (b == 0.0f && by == 0.0f))
            return kStatusOk;
        float step = std::atan(by / b) - std::atan(ay / a);
        // Across the vertical line through the centre the arctangent jumps by pi.
        if (!((a > 0.0f && b > 0.0f) || (a < 0.0f && b < 0.0f)))
            step += a < b ? kPi : -kPi;
        if (std::isfinite(step))
            e.turnAngle += step;
        return kStatusOk;
    }
    return kStatusOk;
}

// ---- release -------------------------------------------------------------------------------

Status CObjectsBase::OnMouseUp(float x, float y, uint32_t)
{
    if (m_heldElement < 0 || uint32_t(m_heldElement) >= m_elementCount) {
        if (m_turnedElement >= 0 && uint32_t(m_turnedElement) < m_elementCount)
            OnElementTurnReleased(GetItemRecord(uint32_t(m_turnedElement)));
        m_heldElement = m_turnedElement = -1;
        return kStatusOk;
    }
    ElementRecord* e = GetItemRecord(uint32_t(m_heldElement));
    const uint32_t index = e->index;
    if ((e->flags & kElementHasDropRecord) && !IsFound(*e) && e->dropRecord != 0 && HasDragDrop()) {
        uint32_t result[10] = {};
        TutorialStep step;
        if (Succeeded(DropElement(x, y, e, result)) && GetTutorialStep(&step) && !step.done &&
            result[2] == step.object && result[3] == step.element)
            OnTutorialInput();
    } else {
        OnElementDragReleased(e);
        OnElementReturn(e);
    }
    BurnElement(GetElementClickList(index), m_objectNumber, index);
    SelectCursor(nullptr);
    m_heldElement = m_turnedElement = -1;
    return kStatusOk;
}

// ---- click ---------------------------------------------------------------------------------

Status CObjectsBase::OnClick(float x, float y, uint32_t)
{
    HitRecord hit;
    ElementRecord* e = nullptr;
    while (Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr))) {
        ElementRecord* candidate = GetItemRecord(uint32_t(hit.element));
        if ((candidate->flags & kElementClickable) && !IsFound(*candidate) && !IsOutsideZone(candidate, x, y)) {
            e = candidate;
            break;
        }
    }
    if (!e) {
        // A click beside every element: the object takes it only to restart its cycle effects.
        if (HasNoCycleEffect())
            return kStatusFailed;
        TutorialStep step;
        if (GetTutorialStep(&step) && !step.done && step.object == m_objectNumber && IsTutorialWaitingForClick())
            OnTutorialInput();
        PlayDefaultClick();
        RestartSharedEffectCycle();
        if (m_abuse)
            OnAbuseClick();
        return kStatusOk;
    }
    if (m_typeCode != kObjectKindTuto && TutorialBlocks(e, kTutorialAllowClick)) {
        PlayNullClick();
        if (m_abuse)
            OnAbuseClick();
        return kStatusOk;
    }
    const uint32_t index = e->index;
    const bool moving = m_positionId != 0;
    const bool dropSource = (e->flags & kElementHasDropRecord) && !IsFound(*e);
    if (!(e->flags & (kElementDropTarget | kElementLocked)) && !dropSource) {
        // The press must have been on this element too.
        if (Failed(HitTestRecordedElement(m_pWorldData->pressX, m_pWorldData->pressY, &hit)))
            return kStatusFailed;
        if (moving)
            return kStatusOk;
        OnElementClicked(e);
        ClickElementText(e, x, y);
    }
    if (moving)
        return kStatusOk;
    BurnElement(GetElementClickList(index), m_objectNumber, index);
    if (index < m_elementCount && IsTutorialElement(GetItemRecord(index)))
        OnTutorialInput();
    return kStatusOk;
}

// ---- what a click, a release and a turn do -------------------------------------------------

void CObjectsBase::PlayClickSound(const ElementRecord* pElement)
{
    if (pElement->clickSound != 0)
        PlayElementSound(pElement->clickSound);
    else
        PlayDefaultClick();
}

Status CObjectsBase::OnElementClicked(ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    if (e.action != 0 && !(e.action & kActionNoClickAction)) {
        e.flags |= kElementFound;
        StopElementFade(&e);
        e.fadeId = StartActionFade(e.action, e.index);
    } else {
        BurnElement(m_pClickedEventList, m_objectNumber, e.index);
    }
    if (e.fadeId != 0)
        StartClickEffect(&e);
    PlayClickSound(&e);
    return kStatusOk;
}

Status CObjectsBase::OnElementDragReleased(ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    if (e.action == 0) {
        CObjectsLevel::SnapElementOffset(&e);
        BurnElement(m_pDraggedEventList, m_objectNumber, e.index);
    } else {
        if ((e.action & kActionReleaseFinds) && !(e.action & kActionNoClickAction))
            e.flags |= kElementFound;
        StopElementFade(&e);
        e.fadeId = StartActionFade(e.action, e.index);
    }
    PlayClickSound(&e);
    return kStatusOk;
}

Status CObjectsBase::OnElementReturn(ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    const bool stays = (e.action & (kActionStayA | kActionStayB)) != 0;
    if (e.fadeId == 0 || stays) {
        e.flags &= ~kElementReturning;
        if (stays)
            return kStatusOk;
    } else {
        e.flags |= kElementReturning;
    }
    e.dragOffset[0] = e.dragOffset[1] = e.dragOffset[2] = 0.0f;
    return kStatusOk;
}

Status CObjectsBase::OnElementTurnReleased(ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    if (e.turnTarget == 0) {
        BurnElement(m_pTurnedEventList, m_objectNumber, e.index);
    } else {
        StopElementRotation(&e);
        e.rotationId = StartTurnRotation(e.turnTarget, e.index);
    }
    PlayClickSound(&e);
    return kStatusOk;
}

// ---- cursor --------------------------------------------------------------------------------

Status CObjectsBase::UpdateCursorState(float x, float y, void* pOut)
{
    // The places of this object's drop rules first, wherever they are.
    HitRecord hit;
    if (SelectDropTargetCursor(x, y, &hit)) {
        if (pOut)
            *static_cast<HitRecord*>(pOut) = hit;
        return kStatusOk;
    }
    TutorialStep step;
    const bool restricting = GetTutorialStep(&step) && !step.done && step.object == m_objectNumber &&
                             (step.mode & kTutorialRestricts) == kTutorialRestricts;
    Status status = kStatusFailed;
    while (Succeeded(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr))) {
        const ElementRecord& e = *GetItemRecord(uint32_t(hit.element));
        const bool other = step.element != e.index;
        status = kStatusOk;
        if (e.cursorStop || HoverElementText(&e, x, y))
            break;
        if (IsOutsideZone(&e, x, y)) {
            status = kStatusFailed;
            continue;
        }
        if (!IsDragSource(e)) {
            if (e.flags & kElementDropTarget) {
                if (!(restricting && (other || (step.mode & kTutorialAnyDrag) != kTutorialAnyDrag)))
                    SelectCursor("droppable");
            } else if ((e.flags & kElementClickable) && !IsFound(e) && !(e.flags & kElementRollOverDisabled) &&
                       !(restricting && (other || (step.mode & kTutorialAllowClick) != kTutorialAllowClick))) {
                SelectCursor("clickable");
            }
            break;
        }
        if (restricting && (other || (step.mode & kTutorialAllowDrag) != kTutorialAllowDrag) &&
            (step.mode & kTutorialAnyDrag) != kTutorialAnyDrag)
            break;
        if (!(e.flags & kElementLocked))
            SelectCursor("draggable");
        if (!m_pWorldData->leftDown)
            break;
        status = kStatusFailed;
    }
    if (pOut)
        *static_cast<HitRecord*>(pOut) = hit;
    return status;
}

// ---- the managers a gesture reaches ----------------------------------------------------------
// Each answers for an absent manager; the manager's own part adds its call.


uint32_t CObjectsBase::StartActionFade(uint32_t action, uint32_t element)
{
    return AddFade(action, m_pWorldData->game.view.defaultFadeSeconds, m_objectNumber, element, nullptr);
}

uint32_t CObjectsBase::StartTurnRotation(uint32_t target, uint32_t element)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    auto* rotations = world ? dynamic_cast<CRotationManager*>(world->GetManager(kManagerRotation)) : nullptr;
    return rotations ? rotations->AddRotation(target, 1.0f, m_objectNumber, element, nullptr) : 0;
}
