// The inventory bar: its six places, the items put into them and taken out or used up, their
// layout in the bounding box, the page arrows' clicks and the bar's words.
#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"

#include <cstring>

#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

CObjectsInterfaceToolbarInventory::CObjectsInterfaceToolbarInventory(WorldData* pWorldData, uint32_t objectNumber,
                                                                     uint32_t constructWord)
    : CObjectsInterfaceToolbar(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindInventory;
}

CObjectsInterfaceToolbarInventory::~CObjectsInterfaceToolbarInventory() { UTILS_FREE(m_pPlaces); }

// ---- places ------------------------------------------------------------------------------------

Status CObjectsInterfaceToolbarInventory::AllocPlaces()
{
    if (!m_pPlaces) {
        m_pPlaces = static_cast<InventoryPlace*>(UTILS_CALLOC(kInventoryPlaceCount, sizeof(InventoryPlace)));
        if (!m_pPlaces)
            return OutOfMemory();
    }
    m_placeCount = kInventoryPlaceCount;
    EmptyPlaces();
    return kStatusOk;
}

void CObjectsInterfaceToolbarInventory::EmptyPlaces()
{
    for (uint32_t i = 0; m_pPlaces && i < m_placeCount; ++i)
        m_pPlaces[i] = InventoryPlace{-1, 0, {0.0f, 0.0f, 0.0f}};
}

int32_t CObjectsInterfaceToolbarInventory::FindPlace(uint32_t element) const
{
    for (uint32_t i = 0; m_pPlaces && i < m_placeCount; ++i)
        if (m_pPlaces[i].element == int32_t(element))
            return int32_t(i);
    return -1;
}

void CObjectsInterfaceToolbarInventory::PlaceElement(ElementRecord* pElement, const InventoryPlace& place)
{
    C3DObjectIndex* groups = m_pRenderModel ? m_pRenderModel->GetObjectIndex() : nullptr;
    if (C3DGroupRecord* part = groups && m_boxElement >= 0 ? groups->GetGroup(pElement->index) : nullptr)
        part->link = uint32_t(m_boxElement);
    std::memcpy(pElement->baseOffset, place.centre, sizeof place.centre);
}

Status CObjectsInterfaceToolbarInventory::AddItem(uint32_t element, int32_t count)
{
    ElementRecord* e = element < m_elementCount ? GetItemRecord(element) : nullptr;
    if (!e || !BoundElement(m_boxElement))
        return kStatusFailed;
    InventoryPlace* place = nullptr;
    for (uint32_t i = 0; m_pPlaces && i < m_placeCount && !place; ++i)
        if (m_pPlaces[i].element < 0)
            place = &m_pPlaces[i];
    if (!place)
        return kStatusFailed;
    place->count += uint32_t(count);
    place->element = int32_t(element);
    PlaceElement(e, *place);
    e->flags &= ~kElementLocked;
    StopElementScaling(e);
    e->fadeId = AddFade(kFadeShow, m_pWorldData->game.view.defaultFadeSeconds, m_objectNumber, element, nullptr);
    return kStatusOk;
}

Status CObjectsInterfaceToolbarInventory::RemoveItem(uint32_t element)
{
    const int32_t at = FindPlace(element);
    ElementRecord* e = at >= 0 ? GetItemRecord(element) : nullptr;
    if (!e)
        return kStatusFailed;
    m_pPlaces[at].element = -1;
    m_pPlaces[at].count = 0;
    e->flags |= kElementFound | kElementLocked;
    StopElementScaling(e);
    e->fadeId = AddFade(kFadeHide, m_pWorldData->game.view.defaultFadeSeconds, m_objectNumber, element, nullptr);
    return kStatusOk;
}

Status CObjectsInterfaceToolbarInventory::ConsumeItem(uint32_t element)
{
    const int32_t at = FindPlace(element);
    if (at < 0)
        return kStatusFailed;
    InventoryPlace& place = m_pPlaces[at];
    if (place.count > 1) {
        --place.count;
        return kStatusFailed;
    }
    place.element = -1;
    place.count = 0;
    if (ElementRecord* e = GetItemRecord(element))
        e->flags |= kElementLocked;
    return kStatusOk;
}

// ---- the object's operations -------------------------------------------------------------------

Status CObjectsInterfaceToolbarInventory::Load()
{
    const Status status = CObjectsInterfaceToolbar::Load();
    if (Failed(status))
        return status;
    return AllocPlaces();
}

Status CObjectsInterfaceToolbarInventory::Release()
{
    UTILS_FREE(m_pPlaces);
    m_pPlaces = nullptr;
    m_placeCount = 0;
    return CObjectsInterfaceToolbar::Release();
}

Status CObjectsInterfaceToolbarInventory::ReloadElementInfos()
{
    const Status status = CObjectsInterfaceToolbar::ReloadElementInfos();
    EmptyPlaces();
    return status;
}

Status CObjectsInterfaceToolbarInventory::CheckSetup()
{
    ElementRecord* box = BoundElement(m_boxElement);
    if (Failed(CObjectsInterfaceToolbar::CheckSetup()) || !box || !m_pPlaces || !m_placeCount)
        return kStatusFailed;
    float rect[4];
    GetElementScreenRect(rect, box, -1, 0);
    const float width = rect[2] - rect[0], height = rect[3] - rect[1];
    m_cellWidth = width / float(m_placeCount);
    m_cellHeight = height;
    for (uint32_t i = 0; i < m_placeCount; ++i) {
        float* centre = m_pPlaces[i].centre;
        centre[0] = float(i) * m_cellWidth + m_cellWidth * 0.5f + rect[0];
        centre[1] = rect[1] + height * 0.5f;
        centre[2] = 0.0f;
    }
    return kStatusOk;
}

Status CObjectsInterfaceToolbarInventory::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    // Held items follow the bar: children of the box, each in its place.
    const int32_t at = pElement ? FindPlace(pElement->index) : -1;
    if (at >= 0)
        PlaceElement(pElement, m_pPlaces[at]);
    return CObjectsInterfaceToolbar::PrepareElementDraw(pElement, alpha, force);
}

Status CObjectsInterfaceToolbarInventory::OnClick(float x, float y, uint32_t state)
{
    // A click beside the bar's elements is the base's, which leaves it to the objects below: taken
    // here, it would never reach the scene under the bar.
    HitRecord hit;
    if (Failed(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr)) || hit.element < 0)
        return CObjectsInterfaceToolbar::OnClick(x, y, state);
    // The arrows have no pages to turn: they only answer with the click.
    if (hit.element == m_previousElement || hit.element == m_nextElement) {
        PlayDefaultClick();
        return kStatusOk;
    }
    return CObjectsInterfaceToolbar::OnClick(x, y, state);
}

Status CObjectsInterfaceToolbarInventory::setObjectParameters(ScriptBuiltinCall& call)
{
    const Status status = CObjectsInterfaceToolbar::setObjectParameters(call);
    return status == kStatusDoneNoResult ? kStatusDoneStoreResult : status;
}

Status CObjectsInterfaceToolbarInventory::getObjectParameters(ScriptBuiltinCall& call)
{
    const char* name = call.Text(0);
    if (name && std::strcmp(name, "is_empty") == 0)
        return kStatusDoneStoreResult;
    if (name && std::strcmp(name, "is_prev_next") == 0)
        return kStatusDoneNoResult;
    TraceCall(call, kTraceError, "unknown parameter %s", name ? name : "");
    return kStatusFailed;
}
