#include "NimbrelInterfaces/CObjectsInterface.h"

#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/WorldData.h"

CObjectsInterface::CObjectsInterface(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsBase(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindToolbarBase;
}

CObjectsInterface::~CObjectsInterface()
{
    FreeElements(m_pElements, m_elementCount);
    m_pElements = nullptr;
    m_elementCount = 0;
}

Status CObjectsInterface::Load() { return ObjectsWrapStatus(CObjectsBase::Load()); }
Status CObjectsInterface::Release() { return ObjectsWrapStatus(CObjectsBase::Release()); }

Status CObjectsInterface::UpdateComponents()
{
    if (Failed(CObjectsBase::UpdateComponents()))
        return kStatusFailed;
    m_ready = 1;
    return kStatusOk;
}

Status CObjectsInterface::RegisterScriptFunctions()
{
    return ObjectsWrapStatus(CObjectsBase::RegisterScriptFunctions());
}

Status CObjectsInterface::setObjectExtraRender(ScriptBuiltinCall& call)
{
    return CObjectsBase::setObjectExtraRender(call) == kStatusDoneStoreResult ? kStatusDoneStoreResult
                                                                             : kStatusDoneNoResult;
}

float CObjectsInterface::ScreenScale(uint32_t axis) const
{
    const GameViewRecord& view = m_pWorldData->game.view;
    const float scale = axis == 0 ? view.interfaceScaleX : view.interfaceScaleY;
    return scale > 0.0f ? scale : 1.0f;
}

float CObjectsInterface::ScreenOffset(uint32_t axis) const
{
    return m_pWorldData->game.view.matrixOverlay[axis == 0 ? 12 : 13];
}

ElementRecord* CObjectsInterface::AllocElements(uint32_t count) { return AllocPlainElements(count); }
ElementRecord* CObjectsInterface::GetItemRecord(uint32_t index)
{
    return index < m_elementCount ? PlainElementAt(m_pElements, index) : nullptr;
}
ElementRecord* CObjectsInterface::ItemRecordAt(ElementRecord* pArray, uint32_t index)
{
    return PlainElementAt(pArray, index);
}
