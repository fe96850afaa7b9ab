// The level base and the two plain levels.
#include <cstring>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

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
    return WithWritableValue(call, [this](const char* name, char* value) { return OnEvent(name, value); });
}

Status CObjectsLevel::OnEvent(const char* name, char* value)
{
    if (IsInterface() || !name || !value || std::strcmp(name, "abuse") != 0)
        return kStatusDoneNoResult;
    if (std::strcmp(value, "on") == 0)
        m_abuse = 1;
    else if (std::strcmp(value, "off") == 0)
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

CFlashlight* CObjectsLevelExploration::ActiveFlashlight() const
{
    if (!IsFlashlightMode() || !m_pWorldData)
        return nullptr;
    const auto* world = dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld);
    return world ? world->GetFlashlight() : nullptr;
}

Status CObjectsLevelExploration::UpdateState()
{
    const Status status = CObjectsLevel::UpdateState();
    if (CFlashlight* flashlight = ActiveFlashlight())
        flashlight->Update();
    return status;
}

Status CObjectsLevelExploration::Draw()
{
    const Status status = CObjectsLevel::Draw();
    if (CFlashlight* flashlight = ActiveFlashlight())
        flashlight->Render();
    return status;
}

Status CObjectsLevelExploration::OnEvent(const char* name, char* value)
{
    const Status base = CObjectsLevel::OnEvent(name, value);
    if (base == kStatusDoneStoreResult)
        return base;
    if (std::strcmp(name, "flashlight") != 0)
        return kStatusDoneNoResult;
    if (std::strcmp(value, "on") == 0)
        m_modeWord |= kModeFlashlight;
    else if (std::strcmp(value, "off") == 0)
        m_modeWord &= ~kModeFlashlight;
    CenterFlashlight();
    return kStatusDoneStoreResult;
}

Status CObjectsLevelExploration::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    if (Failed(ObjectsWrap_LoadFromProfile<CObjectsBase>(*this, pChunk)))
        return kStatusFailed;
    uint8_t flashlight = 0;
    if (!pChunk || pChunk->BytesLeft() < 1)
        return kStatusOk;
    if (!pChunk->Read(&flashlight, 1, 1) || flashlight > 1)
        return kStatusFailed;
    if (flashlight)
        m_modeWord |= kModeFlashlight;
    else
        m_modeWord &= ~kModeFlashlight;
    CenterFlashlight();
    return kStatusOk;
}

Status CObjectsLevelExploration::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(ObjectsWrap_SaveState<CObjectsBase>(*this, pList, pChunk)) || !pChunk)
        return kStatusFailed;
    const uint8_t flashlight = IsFlashlightMode() ? 1 : 0;
    return pChunk->Write(&flashlight, 1, 1) ? kStatusOk : kStatusFailed;
}

CObjectsLevelEmpty::CObjectsLevelEmpty(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevel(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindEmpty;
}

Status CObjectsLevelEmpty::OnCommand(const char* command)
{
    CObjectsLevel::OnCommand(command);
    return std::strcmp(command, "reset") == 0 ? kStatusOk : kStatusFailed;
}

Status CObjectsLevelEmpty::OnEvent(const char* name, char* value)
{
    const Status base = CObjectsLevel::OnEvent(name, value);
    // Nothing here is played, so a "skip" leaves the level as it is.
    return base == kStatusDoneStoreResult ? base : kStatusDoneNoResult;
}

Status CObjectsLevelEmpty::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    return ObjectsWrap_LoadFromProfile<CObjectsBase>(*this, pChunk);
}

Status CObjectsLevelEmpty::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    return ObjectsWrap_SaveState<CObjectsBase>(*this, pList, pChunk);
}
