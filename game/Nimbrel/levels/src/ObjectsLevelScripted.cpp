// The levels played by their scripts alone: the spider and the mixture.
#include "NimbrelLevels/CObjectsLevelMixture.h"
#include "NimbrelLevels/CObjectsLevelScripted.h"
#include "NimbrelLevels/CObjectsLevelSpider.h"
#include "NimbrelObjects/ObjectsWrap.h"
#include "NimbrelWorld/ObjectKindTable.h"

Status CObjectsLevelScripted::setObjectParameters(ScriptBuiltinCall&) { return kStatusDoneStoreResult; }

Status CObjectsLevelScripted::OnEvent(const char* name, char* value)
{
    const Status base = CObjectsLevel::OnEvent(name, value);
    return base == kStatusDoneStoreResult ? base : kStatusDoneNoResult;
}

Status CObjectsLevelScripted::OnCommand(const char* command)
{
    return ObjectsWrapStatus(CObjectsLevel::OnCommand(command));
}

Status CObjectsLevelScripted::OnCheatCodes(uint32_t next) { return ObjectsWrap_OnCheatCodes<CObjectsLevel>(*this, next); }

Status CObjectsLevelScripted::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    return ObjectsWrap_LoadFromProfile<CObjectsLevel>(*this, pChunk);
}

Status CObjectsLevelScripted::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    return ObjectsWrap_SaveState<CObjectsLevel>(*this, pList, pChunk);
}

CObjectsLevelSpider::CObjectsLevelSpider(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelScripted(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindSpider;
}

Status CObjectsLevelSpider::OnMouseDown(float, float, uint32_t) { return kStatusOk; }
Status CObjectsLevelSpider::OnMouseMove(float, float, uint32_t) { return kStatusOk; }
Status CObjectsLevelSpider::OnMouseUp(float, float, uint32_t) { return kStatusOk; }
Status CObjectsLevelSpider::OnClick(float, float, uint32_t) { return kStatusFailed; }

CObjectsLevelMixture::CObjectsLevelMixture(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevelScripted(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindMixture;
}
