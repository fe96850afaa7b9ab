// The inventory bar's saved state, behind the scene object's: the six places with their items,
// counts and centres, the cell size, and per element the parent of its model part. The read
// trusts nothing: six places, each item an element of the bar held once, each parent a part
// of the model.
#include <algorithm>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

int32_t FindPlaceIn(const InventoryPlace* pPlaces, uint32_t count, uint32_t id)
{
    for (uint32_t i = 0; i < count; ++i)
        if (pPlaces[i].element == int32_t(id))
            return int32_t(i);
    return -1;
}

bool Put(UtilsStream_Chunk* pChunk, uint32_t value) { return pChunk->Write(&value, 4, 1); }
bool Get(UtilsStream_Chunk* pChunk, uint32_t* pValue) { return pChunk->Read(pValue, 4, 1); }

}  // namespace

Status CObjectsInterfaceToolbarInventory::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsInterfaceToolbar::SaveState(pList, pChunk)) || !pChunk)
        return kStatusFailed;
    return SavePlacesState(pChunk);
}

Status CObjectsInterfaceToolbarInventory::SavePlacesState(UtilsStream_Chunk* pChunk)
{
    // A bar not loaded yet saves six empty places.
    bool ok = Put(pChunk, kInventoryPlaceCount);
    for (uint32_t i = 0; ok && i < kInventoryPlaceCount; ++i) {
        const InventoryPlace empty{-1, 0, {0.0f, 0.0f, 0.0f}};
        const InventoryPlace& place = i < m_placeCount ? m_pPlaces[i] : empty;
        ok = Put(pChunk, uint32_t(place.element)) && Put(pChunk, place.count) && pChunk->Write(place.centre, 4, 3);
    }
    ok = ok && pChunk->Write(&m_cellWidth, 4, 1) && pChunk->Write(&m_cellHeight, 4, 1);
    return ok ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceToolbarInventory::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    EmptyPlaces();
    if (Failed(CObjectsInterfaceToolbar::LoadFromProfile(pChunk)))
        return kStatusFailed;
    return LoadPlacesState(pChunk);
}

Status CObjectsInterfaceToolbarInventory::LoadPlacesState(UtilsStream_Chunk* pChunk)
{
    if (const Status status = AllocPlaces(); Failed(status))
        return status;
    InventoryPlace read[kInventoryPlaceCount];
    uint32_t count = 0;
    float cell[2];
    if (!pChunk || !Get(pChunk, &count) || count != kInventoryPlaceCount)
        return kStatusFailed;
    for (uint32_t i = 0; i < kInventoryPlaceCount; ++i) {
        uint32_t id = 0;
        if (!Get(pChunk, &id) || !Get(pChunk, &read[i].count) || !pChunk->Read(read[i].centre, 4, 3))
            return kStatusFailed;
        read[i].element = int32_t(id);
        // Free, or an element of the bar that no other place holds.
        if (id != 0xFFFFFFFFu && (id >= m_elementCount || FindPlaceIn(read, i, id) >= 0))
            return kStatusFailed;
        if (read[i].element < 0)
            read[i].count = 0;
    }
    if (!pChunk->Read(cell, 4, 2))
        return kStatusFailed;
    std::copy(read, read + kInventoryPlaceCount, m_pPlaces);
    m_cellWidth = cell[0];
    m_cellHeight = cell[1];
    return kStatusOk;
}

Status CObjectsInterfaceToolbarInventory::SaveElementToProfile(UtilsStream_ChunkList* pList,
                                                               UtilsStream_Chunk* pChunk, ElementRecord* pElement)
{
    const Status status = CObjectsInterfaceToolbar::SaveElementToProfile(pList, pChunk, pElement);
    if (Failed(status))
        return status;
    C3DObjectIndex* groups = m_pRenderModel ? m_pRenderModel->GetObjectIndex() : nullptr;
    const C3DGroupRecord* part = groups ? groups->GetGroup(pElement->index) : nullptr;
    return Put(pChunk, part ? part->link : kInventoryNoModelParent) ? kStatusOk : kStatusFailed;
}

Status CObjectsInterfaceToolbarInventory::LoadElementFromProfile(UtilsStream_Chunk* pChunk, ElementRecord* pElement)
{
    const Status status = CObjectsInterfaceToolbar::LoadElementFromProfile(pChunk, pElement);
    if (Failed(status))
        return status;
    uint32_t parent = 0;
    if (!Get(pChunk, &parent))
        return kStatusFailed;
    if (parent == kInventoryNoModelParent)
        return kStatusOk;
    // A part of this model, another than the element's own, or no parent at all.
    C3DObjectIndex* groups = m_pRenderModel ? m_pRenderModel->GetObjectIndex() : nullptr;
    if (parent != kGroupLinkUnset && (parent >= m_elementCount || parent == pElement->index))
        return kStatusFailed;
    if (C3DGroupRecord* part = groups ? groups->GetGroup(pElement->index) : nullptr)
        part->link = parent;
    return kStatusOk;
}
