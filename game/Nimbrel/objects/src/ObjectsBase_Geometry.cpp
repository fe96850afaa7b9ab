// Where an element is: its position from its offsets and records, the position written back,
// its rectangle on screen, screen points in its frame and its turn angle; and the layout that
// keeps elements anchored to a screen edge at their distance from it whatever the window.
#include <algorithm>
#include <cmath>
#include <vector>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The angle of (x, y) as the turn measures it: atan(y / x), and 0 at the origin itself.
float TurnTerm(float x, float y)
{
    return x == 0.0f && y == 0.0f ? 0.0f : std::atan(y / x);
}

}  // namespace

// ---- positions ---------------------------------------------------------------------------------

void CObjectsBase::GetElementPosition(float* pOut, const ElementRecord* pElement) const
{
    const ElementRecord& e = *pElement;
    for (int i = 0; i < 3; ++i)
        pOut[i] = e.baseOffset[i] + e.anchorOffsets[1][i];
    if (e.pPositions && e.positionCount > 0) {
        pOut[0] += e.pPositions[0].x;
        pOut[1] += e.pPositions[0].y;
        pOut[2] += e.pPositions[0].z;
    }
    const bool alternate = m_overlay && m_pWorldData->game.view.alternateViewEnabled;
    if (e.anchor != kAnchorOwnOffset && !alternate && m_pPositions && m_positionCount > 0) {
        pOut[0] += m_pPositions[0].x;
        pOut[1] += m_pPositions[0].y;
        pOut[2] += m_pPositions[0].z;
    }
}

void CObjectsBase::SetElementPosition(ElementRecord* pElement, const float* pPoint)
{
    ElementRecord& e = *pElement;
    if (!e.pPositions || e.positionCount == 0) {
        // An element without places gets its base record now.
        auto* record = static_cast<NamedPosition*>(UTILS_CALLOC(1, sizeof(NamedPosition)));
        if (!record) {
            OutOfMemory();
            return;
        }
        UTILS_FREE(e.pPositions);
        e.pPositions = record;
        e.positionCount = 1;
    }
    NamedPosition& base = e.pPositions[0];
    float now[3];
    GetElementPosition(now, pElement);
    base.x += pPoint[0] - now[0];
    base.y += pPoint[1] - now[1];
    base.z += pPoint[2] - now[2];
}

void CObjectsBase::MoveElementOnto(ElementRecord* pElement, const ElementRecord* pOther)
{
    float point[3];
    GetElementPosition(point, pOther);
    point[0] += pElement->placeOffset[0] - pOther->placeOffset[0];
    point[2] += pElement->placeOffset[2] - pOther->placeOffset[2];
    SetElementPosition(pElement, point);
}

Status CObjectsBase::GetElementScreenRect(float* pOut, const ElementRecord* pElement, int32_t rectangle,
                                          uint8_t adjust) const
{
    const ElementRecord& e = *pElement;
    if (rectangle == -1) {
        float p[3];
        GetElementPosition(p, pElement);
        pOut[0] = e.bounds[0] + p[0];
        pOut[1] = e.bounds[1] + p[1];
        pOut[2] = e.bounds[2] + p[0];
        pOut[3] = e.bounds[3] + p[1];
        return kStatusOk;
    }
    if (rectangle < 0 || uint32_t(rectangle) >= m_zoneCount || !m_pZones)
        return kStatusFailed;
    // A zone is authored for the reference screen: it moves back by what the layout moved.
    const ObjectZone& zone = m_pZones[rectangle];
    const float dx = e.anchorOffsets[0][0] - e.anchorOffsets[1][0];
    const float dy = e.anchorOffsets[0][1] - e.anchorOffsets[1][1];
    pOut[0] = zone.left - dx;
    pOut[1] = zone.top - dy;
    pOut[2] = zone.right - dx;
    pOut[3] = zone.bottom - dy;
    // The bottom margin of the safe anchors is 0 on this screen model: nothing to take off.
    (void)adjust;
    return kStatusOk;
}

void CObjectsBase::ScreenToElement(float* pOut, float x, float y, float z, const ElementRecord* pElement) const
{
    C3DMath* math = m_pWorldData->pMath;
    float inverse[16];
    C3DVector3 v = {x, y, z};
    if (math) {
        math->InverseAffine(inverse, nullptr, GetElementViewMatrix(pElement));
        math->Vec3TransformCoord(&v, x, y, z, inverse);
    }
    float p[3];
    GetElementPosition(p, pElement);
    pOut[0] = v.x - p[0];
    pOut[1] = v.y - p[1];
    pOut[2] = v.z - p[2];
}

void CObjectsBase::ProjectElementToScreen(float* pOut, const ElementRecord* pElement)
{
    const ElementRecord& e = *pElement;
    C3DMath* math = m_pWorldData->pMath;
    float p[3];
    C3DVector3 v;
    ElementRecord* parent = GetParentElement(pElement);
    if (parent) {
        for (int i = 0; i < 3; ++i)
            p[i] = e.baseOffset[i] - parent->baseOffset[i] + e.dragOffset[i];
        if (e.pPositions && e.positionCount > 0) {
            p[0] += e.pPositions[0].x;
            p[1] += e.pPositions[0].y;
            p[2] += e.pPositions[0].z;
        }
    } else {
        GetElementPosition(p, pElement);
        for (int i = 0; i < 3; ++i)
            p[i] += e.dragOffset[i];
    }
    v = {p[0], p[1], p[2]};
    if (math) {
        if (parent)
            math->Vec3TransformCoord(&v, p[0], p[1], p[2], parent->localMatrix);
        math->Vec3TransformCoord(&v, v.x, v.y, v.z, GetElementViewMatrix(pElement));
    }
    pOut[0] = v.x;
    pOut[1] = v.y;
    pOut[2] = v.z;
}

float CObjectsBase::GetTurnAngle(const ElementRecord* pElement, float pressX, float pressY, float x, float y) const
{
    float press[3], now[3];
    ScreenToElement(press, pressX, pressY, 0.0f, pElement);
    ScreenToElement(now, x, y, 0.0f, pElement);
    float angle = TurnTerm(now[0], now[1]) - TurnTerm(press[0], press[1]);
    if ((press[0] < 0.0f) != (now[0] < 0.0f))
        angle += press[0] <= now[0] ? -kPi : kPi;
    if (angle > kPi)
        angle -= 2.0f * kPi;
    else if (angle < -kPi)
        angle += 2.0f * kPi;
    return angle;
}

// ---- layout ------------------------------------------------------------------------------------

void CObjectsBase::AnchorArea(uint16_t word, float* pArea) const
{
    const WorldData& w = *m_pWorldData;
    const GameViewRecord& view = w.game.view;
    const GameScreenScale* screen = w.pGame ? &w.pGame->screen : nullptr;
    // The full screen in the interface view's units: the interface view maps them onto the
    // virtual screen; before it is written, the fit maps them onto the window.
    float width = w.virtualWidth, height = w.virtualHeight;
    float sx = view.interfaceScaleX, sy = view.interfaceScaleY;
    float ox = view.matrixOverlay[12], oy = view.matrixOverlay[13];
    if (!(sx > 0.0f) || !(sy > 0.0f)) {
        const bool fitted = screen && screen->viewScaleX > 0.0f && screen->viewScaleY > 0.0f;
        sx = fitted ? screen->viewScaleX : 1.0f;
        sy = fitted ? screen->viewScaleY : 1.0f;
        width = w.realWidth;
        height = w.realHeight;
        ox = oy = 0.0f;
    }
    pArea[0] = -ox / sx;
    pArea[1] = -oy / sy;
    pArea[2] = (width - ox) / sx;
    pArea[3] = (height - oy) / sy;
    if (!(word & kAnchorSafeRect) || !screen)
        return;
    // The safe rectangle: the part of the reference screen that the window shows, in the
    // scene view's units.
    pArea[2] = screen->referenceWidth;
    pArea[3] = screen->referenceHeight;
    if (screen->viewRight > screen->viewLeft && screen->viewBottom > screen->viewTop) {
        pArea[0] = std::max(pArea[0], screen->viewLeft);
        pArea[1] = std::max(pArea[1], screen->viewTop);
        pArea[2] = std::min(pArea[2], screen->viewRight);
        pArea[3] = std::min(pArea[3], screen->viewBottom);
    }
}

Status CObjectsBase::UpdateComponents()
{
    const uint32_t groups = m_pRenderModel ? m_pRenderModel->GetGroupCount() : 0;
    const uint32_t count = std::min(groups, m_elementCount);
    if (!m_pElements || count == 0)
        return kStatusOk;
    std::vector<uint8_t> done(count, 0);
    for (uint32_t i = 0; i < count; ++i) {
        if (done[i])
            continue;
        const int32_t ref = GetItemRecord(i)->lockScreenRef;
        if (ref < -1 || (ref >= 0 && uint32_t(ref) >= count)) {
            Log(m_pWorldData->logPath, 0, u"# CObjectsBase::UpdateComponents failed! lock_screen_ref %d >= m_dwNumSubObj %d\n",
                ref, count);
            return kStatusFailed;
        }
        if (ref != -1 && uint32_t(ref) != i && !done[ref]) {
            UpdateComponent(uint32_t(ref));
            done[ref] = 1;
        }
        UpdateComponent(i);
        done[i] = 1;
    }
    return kStatusOk;
}

void CObjectsBase::LayOutStrip(ElementRecord* pElement)
{
    C3DObjectIndex* groups = m_pRenderModel ? m_pRenderModel->GetObjectIndex() : nullptr;
    const C3DGroupRecord* group = groups ? groups->GetGroup(pElement->index) : nullptr;
    if (!group || group->vertexCount == 0 ||
        uint64_t(group->baseVertex) + group->vertexCount > m_pRenderModel->GetVertexCount())
        return;
    C3DObject& model = *m_pRenderModel;
    // A strip spans the screen's width at its own height: its corners are spread from the
    // screen's left edge to its right edge, seen from the element's own place.
    float area[4], at[3];
    AnchorArea(kAnchorFullScreen, area);
    GetElementPosition(at, pElement);
    model.Lock(2, 2);
    float low = 0.0f, high = 0.0f;
    for (uint32_t v = 0; v < group->vertexCount; ++v) {
        const float x = model.GetVertexPosition(group->baseVertex + v).x;
        low = v == 0 ? x : std::min(low, x);
        high = v == 0 ? x : std::max(high, x);
    }
    const float left = area[0] - at[0], right = area[2] - at[0];
    for (uint32_t v = 0; v < group->vertexCount && high > low; ++v) {
        C3DVector3 p = model.GetVertexPosition(group->baseVertex + v);
        p.x = left + (p.x - low) / (high - low) * (right - left);
        model.SetVertexPosition(group->baseVertex + v, p.x, p.y, p.z);
    }
    model.Unlock(1);
    if (high > low) {
        pElement->bounds[0] = left;
        pElement->bounds[2] = right;
        pElement->size[0] = right - left;
    }
}

Status CObjectsBase::UpdateComponent(uint32_t index)
{
    if (index >= m_elementCount)
        return kStatusFailed;
    ElementRecord& e = *GetItemRecord(index);
    const ElementRecord* lock = e.lockScreenRef >= 0 && uint32_t(e.lockScreenRef) < m_elementCount &&
                                        uint32_t(e.lockScreenRef) != index
                                    ? GetItemRecord(uint32_t(e.lockScreenRef))
                                    : nullptr;
    float(&first)[3] = e.anchorOffsets[0];
    float(&second)[3] = e.anchorOffsets[1];
    for (int i = 0; i < 3; ++i)
        first[i] = second[i] = 0.0f;
    const uint16_t word = AnchorWord(e.anchor);
    const float halfW = e.size[0] * 0.5f, halfH = e.size[1] * 0.5f;
    float area[4];
    if (e.anchor == kAnchorOwnOffset) {
        LayOutStrip(&e);
    } else if (e.anchor == kAnchorScreenBottom) {
        // On the bottom edge of the screen: no level bar takes room there yet.
        AnchorArea(kAnchorFullScreen, area);
        second[1] = std::floor(area[3] - halfH - e.baseOffset[1]);
        first[1] = std::floor(second[1] - area[3] * 0.5f);
    } else if ((word & kAnchorScreenEdge) && lock) {
        std::copy(&lock->anchorOffsets[0][0], &lock->anchorOffsets[0][0] + 6, &first[0]);
    } else if (word & kAnchorScreenEdge) {
        AnchorArea(word, area);
        const float screen[2] = {area[2] - area[0], area[3] - area[1]};
        // Per axis: the near edge, the far edge, the half size and the base offset.
        const struct {
            uint16_t nearBit, farBit;
            float half, base, low, high, size;
        } axes[2] = {{kAnchorLeft, kAnchorRight, halfW, e.baseOffset[0], area[0], area[2], screen[0]},
                     {kAnchorTop, kAnchorBottom, halfH, e.baseOffset[1], area[1], area[3], screen[1]}};
        for (int a = 0; a < 2; ++a) {
            const auto& axis = axes[a];
            if (word & axis.nearBit) {
                second[a] = axis.low + axis.half - axis.base;
                first[a] = second[a];
            } else if (word & axis.farBit) {
                second[a] = axis.high - axis.half - axis.base;
                first[a] = second[a] - axis.size * 0.5f;
            } else if (word & kAnchorCentre) {
                second[a] = (axis.low + axis.high) * 0.5f - axis.base;
                first[a] = second[a];
            }
            first[a] = std::floor(first[a]);
            second[a] = std::floor(second[a]);
        }
    }
    ClearElementTexts(&e);
    return kStatusOk;
}
