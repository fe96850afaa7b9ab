// The wheel stack level: the board's mouse input, its tags on the elements, and its items drawn
// at the places' dummies.
#include "NimbrelLevels/CObjectsLevelWheelStack.h"

#include <cmath>
#include <cstring>

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// An angle brought into (-pi, pi].
float Wrapped(float angle)
{
    if (!std::isfinite(angle))
        return 0.0f;
    angle = std::remainder(angle, 2.0f * kPi);
    return angle <= -kPi ? angle + 2.0f * kPi : angle;
}

}  // namespace

CObjectsLevelWheelStack::CObjectsLevelWheelStack(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelBoard<WheelStackBoard>(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindWheelStack;
}

// ---- the board's host --------------------------------------------------------------------------

const char* CObjectsLevelWheelStack::ItemName(int32_t item)
{
    const ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr;
    return e ? e->pName : nullptr;
}

void CObjectsLevelWheelStack::TagItem(int32_t item, int32_t tag)
{
    if (ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr)
        e->levelTag = tag;
}

void CObjectsLevelWheelStack::PlacePoint(int32_t dummy, int32_t wheel, float angle, float* pOut3)
{
    const ElementRecord* d = dummy >= 0 ? GetItemRecord(uint32_t(dummy)) : nullptr;
    const ElementRecord* w = wheel >= 0 ? GetItemRecord(uint32_t(wheel)) : nullptr;
    pOut3[0] = pOut3[1] = pOut3[2] = 0.0f;
    if (!d)
        return;
    GetElementPosition(pOut3, d);
    if (!w)
        return;
    // Turned about the wheel's position as the renderer turns an element's corners.
    float centre[3];
    GetElementPosition(centre, w);
    const float x = pOut3[0] - centre[0], y = pOut3[1] - centre[1];
    const float c = std::cos(angle), s = std::sin(angle);
    pOut3[0] = centre[0] + x * c - y * s;
    pOut3[1] = centre[1] + x * s + y * c;
}

void CObjectsLevelWheelStack::PlayItemSound(int32_t item)
{
    if (const ElementRecord* e = item >= 0 ? GetItemRecord(uint32_t(item)) : nullptr)
        PlayClickSound(e);
    else
        PlayDefaultClick();
}

void CObjectsLevelWheelStack::RewriteTags()
{
    for (uint32_t i = 0; i < m_elementCount; ++i)
        GetItemRecord(i)->levelTag = kWheelStackNoTag;
    m_board.WriteTags();
}

// ---- commands, run state and saved state ------------------------------------------------------

Status CObjectsLevelWheelStack::OnCommand(const char* command)
{
    const uint8_t solved = m_solved;
    const Status status = CObjectsLevelBoard<WheelStackBoard>::OnCommand(command);
    if (command && std::strcmp(command, "reset") == 0)
        m_solved = solved;
    return status;
}

Status CObjectsLevelWheelStack::ResetRunState()
{
    const Status status = CObjectsLevelBoard<WheelStackBoard>::ResetRunState();
    RewriteTags();
    return status;
}

Status CObjectsLevelWheelStack::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    const Status status = CObjectsLevelBoard<WheelStackBoard>::LoadFromProfile(pChunk);
    // The words that tag the elements do not run again after a load.
    RewriteTags();
    return status;
}

Status CObjectsLevelWheelStack::BuildFromRaw(const char16_t* path)
{
    const Status status = CObjectsLevelBoard<WheelStackBoard>::BuildFromRaw(path);
    if (Succeeded(status) && m_board.GroupCount() > 0)
        RewriteTags();
    return status;
}

void CObjectsLevelWheelStack::StateFields(LevelState& state)
{
    state.Byte(m_paused).Byte(m_solved);
    m_board.StateFields(state);
}

bool CObjectsLevelWheelStack::StateFits()
{
    return m_paused <= 1 && m_solved <= 1 && CObjectsLevelBoard<WheelStackBoard>::StateFits();
}

// ---- input -------------------------------------------------------------------------------------

int32_t CObjectsLevelWheelStack::PickTagged(float x, float y)
{
    for (uint32_t k = m_elementCount; k-- > 0;) {
        const uint32_t index = GetDrawSlotElement(k);
        const ElementRecord* e = index < m_elementCount ? GetItemRecord(index) : nullptr;
        if (!e || e->levelTag == kWheelStackNoTag || e->levelTag == kWheelStackMovable)
            continue;
        float local[3];
        ScreenToElement(local, x, y, 0.0f, e);
        if (local[0] >= e->bounds[0] && local[0] < e->bounds[2] && local[1] >= e->bounds[1] && local[1] < e->bounds[3])
            return int32_t(index);
    }
    return -1;
}

Status CObjectsLevelWheelStack::OnMouseDown(float x, float y, uint32_t state)
{
    if (!InPlay())
        return CObjectsLevelBoard<WheelStackBoard>::OnMouseDown(x, y, state);
    const int32_t picked = PickTagged(x, y);
    if (picked < 0 || !m_board.DraggingEnabled())
        return kStatusFailed;
    m_pressX = x;
    m_pressY = y;
    return m_board.Press(GetItemRecord(uint32_t(picked))->levelTag, picked);
}

Status CObjectsLevelWheelStack::OnMouseMove(float x, float y, uint32_t state)
{
    if (!InPlay())
        return CObjectsLevelBoard<WheelStackBoard>::OnMouseMove(x, y, state);
    if (m_board.HeldWheel() >= 0) {
        const ElementRecord* wheel = GetItemRecord(uint32_t(m_board.HeldWheel()));
        if (wheel)
            m_board.TurnHeld(GetTurnAngle(wheel, m_pressX, m_pressY, x, y));
        return kStatusFailed;
    }
    const WheelStackPlace* slot = m_board.PlaceAt(m_board.SlotPlace());
    const ElementRecord* dummy = slot ? GetItemRecord(uint32_t(slot->dummy)) : nullptr;
    if (m_board.Animation() != kWheelStackHeld || !dummy)
        return kStatusFailed;
    float p[3];
    ScreenToElement(p, x, y, 1.0f, dummy);
    m_board.Drag(p);
    return kStatusOk;
}

Status CObjectsLevelWheelStack::OnMouseUp(float x, float y, uint32_t state)
{
    if (!InPlay())
        return CObjectsLevelBoard<WheelStackBoard>::OnMouseUp(x, y, state);
    float p[3] = {0.0f, 0.0f, 0.0f};
    const WheelStackPlace* slot = m_board.PlaceAt(m_board.SlotPlace());
    if (const ElementRecord* dummy = slot ? GetItemRecord(uint32_t(slot->dummy)) : nullptr)
        ScreenToElement(p, x, y, 1.0f, dummy);
    return m_board.Release(p);
}

Status CObjectsLevelWheelStack::OnClick(float x, float y, uint32_t state)
{
    const int32_t picked = InPlay() ? PickTagged(x, y) : -1;
    if (picked < 0)
        return CObjectsLevelBoard<WheelStackBoard>::OnClick(x, y, state);
    m_board.Click(GetItemRecord(uint32_t(picked))->levelTag);
    return kStatusOk;
}

Status CObjectsLevelWheelStack::OnElementClicked(ElementRecord* pElement)
{
    if (!InPlay() || !pElement || pElement->levelTag == kWheelStackNoTag)
        return CObjectsLevelBoard<WheelStackBoard>::OnElementClicked(pElement);
    m_board.Click(pElement->levelTag);
    return kStatusOk;
}

// ---- drawing -----------------------------------------------------------------------------------

Status CObjectsLevelWheelStack::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    if (!pElement || m_drawingPlace)
        return CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
    const WheelStackTag tag = WheelStackTag::Of(pElement->levelTag);
    switch (tag.kind) {
    case WheelStackTag::kMovable:
        return kStatusFailed;
    case WheelStackTag::kWheel: {
        if (tag.group >= m_board.GroupCount())
            break;
        // The wheel's turn for this draw only.
        const float kept = pElement->turnAngle;
        pElement->turnAngle = m_board.WheelAngle(tag.group);
        const Status status = CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
        pElement->turnAngle = kept;
        return status;
    }
    case WheelStackTag::kDummy:
        // Never seen itself, a dummy is prepared to draw its place's item.
        return CObjectsLevel::PrepareElementDraw(pElement, alpha, 1);
    default:
        break;
    }
    return CObjectsLevel::PrepareElementDraw(pElement, alpha, force);
}

Status CObjectsLevelWheelStack::DrawElement(ElementRecord* pElement)
{
    if (!pElement)
        return kStatusFailed;
    const WheelStackTag tag = WheelStackTag::Of(pElement->levelTag);
    if (!m_drawingPlace && tag.kind == WheelStackTag::kMovable)
        return kStatusOk;
    if (!m_drawingPlace && tag.kind == WheelStackTag::kDummy) {
        DrawPlaceItem(tag);
        return kStatusOk;
    }
    return ObjectsWrap_DrawElement<CObjectsLevel>(*this, pElement);
}

void CObjectsLevelWheelStack::DrawPlaceItem(const WheelStackTag& tag)
{
    const WheelStackGroup* column = tag.group < m_board.GroupCount() ? m_board.Column(tag.group, tag.subGroup) : nullptr;
    if (!column || tag.place >= column->places.size())
        return;
    const WheelStackPlace& place = column->places[tag.place];
    ElementRecord* item = place.current >= 0 ? GetItemRecord(uint32_t(place.current)) : nullptr;
    if (!item)
        return;
    const WheelStackGroup& group = m_board.Group(tag.group);
    const bool onWheel = group.IsWheel() && tag.subGroup != 0xFF;
    float at[3];
    PlacePoint(place.dummy, onWheel ? group.wheelItem : -1, m_board.WheelAngle(tag.group), at);
    float turn = m_board.ItemAngle(tag.group, tag.subGroup);
    const WheelStackPlaceRef here{int32_t(tag.group), tag.subGroup == 0xFF ? -1 : int32_t(tag.subGroup),
                                  int32_t(tag.place)};
    if (m_board.MovingPlace() == here) {
        const bool moving = m_board.Animation() == kWheelStackMove;
        const float share = moving ? m_board.Progress() : m_board.Animation() == kWheelStackHeld ? 1.0f : 0.0f;
        for (int i = 0; i < 3; ++i)
            at[i] += m_board.Offset()[i] * share;
        if (moving)
            turn += Wrapped(m_board.StartAngle() - turn) * share;
    }
    // The item's offset is moved onto the place for this draw only; one item may be drawn at
    // several places through a frame, so what the frame prepared for it is kept too.
    float keptDrag[3], keptMatrix[16];
    std::memcpy(keptDrag, item->dragOffset, sizeof keptDrag);
    std::memcpy(keptMatrix, item->worldMatrix, sizeof keptMatrix);
    const float keptTurn = item->turnAngle;
    const uint32_t keptState = item->drawState;
    float own[3];
    item->dragOffset[0] = item->dragOffset[1] = item->dragOffset[2] = 0.0f;
    GetElementPosition(own, item);
    for (int i = 0; i < 3; ++i)
        item->dragOffset[i] = at[i] - own[i];
    item->turnAngle = turn;
    m_drawingPlace = true;
    if (Succeeded(CObjectsLevel::PrepareElementDraw(item, 1.0f, 1)))
        ObjectsWrap_DrawElement<CObjectsLevel>(*this, item);
    m_drawingPlace = false;
    std::memcpy(item->dragOffset, keptDrag, sizeof keptDrag);
    std::memcpy(item->worldMatrix, keptMatrix, sizeof keptMatrix);
    item->turnAngle = keptTurn;
    item->drawState = keptState;
}
