// The level base and the two plain levels.
#include <cstring>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"

CObjectsLevel::CObjectsLevel(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsBase(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindLevelBase;
    m_isLevel = 1;
}

CObjectsLevel::~CObjectsLevel()
{
    FreeElements(m_pElements, m_elementCount);
    m_pElements = nullptr;
    m_elementCount = 0;
}

Status CObjectsLevel::Load() { return ObjectsWrapStatus(CObjectsBase::Load()); }
Status CObjectsLevel::Release() { return ObjectsWrapStatus(CObjectsBase::Release()); }
Status CObjectsLevel::UpdateComponents() { return ObjectsWrapStatus(CObjectsBase::UpdateComponents()); }
Status CObjectsLevel::RegisterScriptFunctions() { return ObjectsWrapStatus(CObjectsBase::RegisterScriptFunctions()); }

Status CObjectsLevel::setObjectExtraRender(ScriptBuiltinCall& call)
{
    if (CObjectsBase::setObjectExtraRender(call) == kStatusDoneStoreResult)
        return kStatusDoneStoreResult;
    if (IsInterface() || std::strcmp(call.Text(0), "abuse") != 0)
        return kStatusDoneNoResult;
    if (std::strcmp(call.Text(1), "on") == 0)
        m_abuse = 1;
    else if (std::strcmp(call.Text(1), "off") == 0)
        m_abuse = 0;
    CenterFlashlight();
    return kStatusDoneStoreResult;
}

ElementRecord* CObjectsLevel::AllocElements(uint32_t count) { return AllocPlainElements(count); }
ElementRecord* CObjectsLevel::GetItemRecord(uint32_t index)
{
    return index < m_elementCount ? PlainElementAt(m_pElements, index) : nullptr;
}
ElementRecord* CObjectsLevel::ItemRecordAt(ElementRecord* pArray, uint32_t index) { return PlainElementAt(pArray, index); }

CObjectsLevelExploration::CObjectsLevelExploration(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevel(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindExploration;
}

CObjectsLevelEmpty::CObjectsLevelEmpty(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevel(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindEmpty;
}

Status CObjectsLevelEmpty::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    return ObjectsWrap_LoadFromProfile<CObjectsBase>(*this, pChunk);
}

Status CObjectsLevelEmpty::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    return ObjectsWrap_SaveState<CObjectsBase>(*this, pList, pChunk);
}
