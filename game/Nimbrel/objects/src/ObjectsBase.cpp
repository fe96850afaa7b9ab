// The scene object: construction, the per-frame state step, the lookups by name and position,
// and the answers of an object whose models, script and commands are not there.
#include "NimbrelObjects/CObjectsBase.h"

#include <cstring>

#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

CObjectsBase::CObjectsBase(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CCommandTarget(pWorldData), m_objectNumber(objectNumber), m_constructWord(constructWord)
{
}

bool CObjectsBase::IsInterface() const { return (m_typeCode & kObjectKindInterfaceBit) != 0; }
bool CObjectsBase::IsLevel() const { return (m_typeCode & kObjectKindLevelBit) != 0; }

Status CObjectsBase::OutOfMemory()
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

uint32_t CObjectsBase::GetDrawSlotElement(uint32_t position)
{
    ElementRecord* element = position < m_elementCount ? GetItemRecord(position) : nullptr;
    if (!element)
        return position;
    return element->drawSlotOverride != -1 ? uint32_t(element->drawSlotOverride) : element->drawSlot;
}

void CObjectsBase::UpdateElementRange()
{
    m_firstMark = -1;
    m_lastMark = -1;
    bool any = false;
    for (uint32_t i = 0; i < m_elementCount; ++i) {
        const int32_t word = GetItemRecord(i)->referenceWord;
        if (word == -1)
            continue;
        if (!any || word < m_firstMark)
            m_firstMark = word;
        if (!any || word > m_lastMark)
            m_lastMark = word;
        any = true;
    }
}

int32_t CObjectsBase::FindElementByName(const char* name) const
{
    if (!name || !m_pNameIndex || m_elementCount == 0)
        return -1;
    // The index is checked strictly ascending when it is read, so a plain bisection finds
    // the one element of that name.
    uint32_t low = 0, high = m_elementCount;
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        const ElementRecord& element = *const_cast<CObjectsBase*>(this)->GetItemRecord(m_pNameIndex[middle]);
        const int order = std::strcmp(element.pName, name);  // strcmp compares bytes unsigned
        if (order == 0)
            return int32_t(m_pNameIndex[middle]);
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return -1;
}

void CObjectsBase::GetPosition(float* pX, float* pY, float* pZ) const
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    if (m_positionCount > 0) {
        x = m_pPositions[0].x;
        y = m_pPositions[0].y;
        z = m_pPositions[0].z;
        if (m_selectedPosition != 0 && m_selectedPosition < m_positionCount) {
            x += m_pPositions[m_selectedPosition].x;
            y += m_pPositions[m_selectedPosition].y;
            z += m_pPositions[m_selectedPosition].z;
        }
    }
    if (m_positionId != 0) {
        x += m_positionOffset[0];
        y += m_positionOffset[1];
        z += m_positionOffset[2];
    }
    *pX = x;
    *pY = y;
    *pZ = z;
}

void CObjectsBase::ClearRecordList()
{
    for (void* item = m_recordList.GetFirst(); item; item = m_recordList.RemoveCurrent(0)) {
        auto* record = static_cast<ObjectRecord*>(item);
        UTILS_FREE(record->pTextA);
        UTILS_FREE(record->pTextB);
        UTILS_FREE(record);
    }
}

ElementInfoView CObjectsBase::GetElementInfoView() const
{
    ElementInfoView view = {};
    view.overlay = m_overlay;
    view.textureBias = m_textureBias;
    view.sizeWord = m_sizeWord;
    view.pName = m_pName;
    view.firstMark = m_firstMark;
    view.lastMark = m_lastMark;
    view.pElements = m_pElements;
    view.elementCount = m_elementCount;
    view.elementStride = sizeof(ElementRecord);
    if (m_pElements && m_elementCount > 1) {
        auto* self = const_cast<CObjectsBase*>(this);
        view.elementStride = uint32_t(reinterpret_cast<uint8_t*>(self->ItemRecordAt(m_pElements, 1)) -
                                      reinterpret_cast<uint8_t*>(m_pElements));
    }
    view.pNameIndex = m_pNameIndex;
    view.pZones = m_pZones;
    view.zoneCount = m_zoneCount;
    view.pPositions = m_pPositions;
    view.positionCount = m_positionCount;
    view.pVariants = m_pVariants;
    view.variantCount = m_variantCount;
    return view;
}

// ---- what an object answers before its models, script, commands and profile state exist ----

Status CObjectsBase::SaveState(UtilsStream_ChunkList*, UtilsStream_Chunk*) { return kStatusOk; }
