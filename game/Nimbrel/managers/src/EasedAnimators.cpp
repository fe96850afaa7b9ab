#include "NimbrelManagers/CEasedAnimators.h"

#include <cmath>
#include <cstring>
#include <new>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

float ScaleValue(const ElementRecord* e, uint32_t key)
{
    return key < e->scaleCount ? e->pScales[key].value : 0.0f;
}

// Key 0 is the zero offset.
void KeyPosition(const NamedPosition* keys, uint32_t count, uint32_t key, float* out)
{
    const bool real = key != 0 && key < count;
    out[0] = real ? keys[key].x : 0.0f;
    out[1] = real ? keys[key].y : 0.0f;
    out[2] = real ? keys[key].z : 0.0f;
}

// The saved records keep the delta, not the target: the first key at current + delta.
template <typename Equal>
uint32_t FindTargetKey(uint32_t count, uint32_t current, Equal equal)
{
    for (uint32_t key = 0; key < count; ++key)
        if (equal(key))
            return key;
    return current;
}

}  // namespace

CEaseItem::CEaseItem(WorldData* w, uint32_t targetKey, int32_t easing, float seconds, uint32_t object,
                     uint32_t element, const CommandHandle* pCommand)
    : CTimedItem(w, kEaseKind, object, element, seconds, pCommand), m_targetKey(targetKey), m_easing(easing)
{
}

Status CEaseItem::Update()
{
    if (m_done)
        return kStatusFailed;
    m_remaining -= Step();
    if (m_remaining < 0.0f) {
        m_done = 1;
        m_remaining = 0.0f;
    }
    const UtilsEasingFn curve = m_easing >= 0 && uint32_t(m_easing) < kUtilsEasingCount
                                    ? g_UtilsEasingTable[m_easing].function
                                    : nullptr;
    // "none" jumps at the end.
    m_progress = 1.0f - (curve ? curve(m_remaining) : (m_remaining > 0.0f ? 1.0f : 0.0f));
    Apply();
    return kStatusOk;
}

void CEaseItem::Describe(std::string& text) const
{
    CTimedItem::Describe(text);
    Append(text, ", %s, %g of the time left, progress %g", g_UtilsEasingTable[m_easing].name, double(m_remaining),
           double(m_progress));
}

bool CEaseItem::ReadTiming(UtilsStream_Chunk* c)
{
    return c->Read(&m_objectIndex, 4, 1) && c->Read(&m_elementIndex, 4, 1) && c->Read(&m_done, 1, 1) &&
           c->Read(&m_remaining, 4, 1) && c->Read(&m_progress, 4, 1) && c->Read(&m_rate, 4, 1) &&
           !std::isnan(m_remaining) && !std::isnan(m_rate);
}

bool CEaseItem::WriteTiming(UtilsStream_Chunk* c) const
{
    return c->Write(&m_objectIndex, 4, 1) && c->Write(&m_elementIndex, 4, 1) && c->Write(&m_done, 1, 1) &&
           c->Write(&m_remaining, 4, 1) && c->Write(&m_progress, 4, 1) && c->Write(&m_rate, 4, 1);
}

bool CEaseItem::ReadCurve(UtilsStream_Chunk* c)
{
    char* name = nullptr;
    const bool read = c->ReadStringA(&name, false);
    m_easing = read ? UtilsEasing_FindIndex(g_UtilsEasingTable, kUtilsEasingCount, name) : -1;
    UTILS_FREE(name);
    return m_easing >= 0;
}

bool CEaseItem::WriteCurve(UtilsStream_Chunk* c) const
{
    return c->WriteStringA(g_UtilsEasingTable[m_easing].name, false);
}

// ---- scaling --------------------------------------------------------------------------------

Status CScalingItemEase::Start()
{
    ElementRecord* e = Element();
    if (!e)
        return kStatusFailed;
    m_delta = ScaleValue(e, m_targetKey) - ScaleValue(e, e->scaleIndex);
    e->scaleOffset = m_delta;
    return CEaseItem::Start();
}

void CScalingItemEase::Apply()
{
    if (ElementRecord* e = Element())
        e->scaleOffset = m_delta * m_progress;
}

void CScalingItemEase::Finish()
{
    if (ElementRecord* e = Element()) {
        e->scaleId = 0;
        e->scaleIndex = m_targetKey;
        e->scaleOffset = 0.0f;
    }
    CEaseItem::Finish();
}

bool CScalingItemEase::LoadFromStream(UtilsStream_Chunk* c)
{
    return ReadTiming(c) && c->Read(&m_delta, 4, 1) && !std::isnan(m_delta) && ReadCommand(c) && ReadCurve(c);
}

bool CScalingItemEase::Attach()
{
    const ElementRecord* e = Element();
    if (!e)
        return false;
    const float target = ScaleValue(e, e->scaleIndex) + m_delta;
    m_targetKey = FindTargetKey(e->scaleCount, e->scaleIndex, [&](uint32_t k) { return e->pScales[k].value == target; });
    return true;
}

bool CScalingItemEase::SaveToStream(UtilsStream_Chunk* c)
{
    return WriteTiming(c) && c->Write(&m_delta, 4, 1) && WriteCommand(c) && WriteCurve(c);
}

void CScalingItemEase::Describe(std::string& text) const
{
    CEaseItem::Describe(text);
    Append(text, ", scale by %g", double(m_delta));
}

// ---- position -------------------------------------------------------------------------------

bool CPositionEase::IsValid()
{
    return m_elementIndex == kWholeObject ? SceneObjectAt(m_pWorldData, m_objectIndex) != nullptr
                                          : CTimedItem::IsValid();
}

float* CPositionEase::Offset()
{
    if (m_elementIndex != kWholeObject) {
        ElementRecord* e = Element();
        return e ? e->positionOffset : nullptr;
    }
    CObjectsBase* object = SceneObjectAt(m_pWorldData, m_objectIndex);
    return object ? object->GetPositionOffset() : nullptr;
}

Status CPositionEase::Start()
{
    float from[3], to[3];
    if (m_elementIndex == kWholeObject) {
        CObjectsBase* object = SceneObjectAt(m_pWorldData, m_objectIndex);
        if (!object)
            return kStatusFailed;
        KeyPosition(object->GetPositions(), object->GetPositionCount(), object->GetSelectedPosition(), from);
        KeyPosition(object->GetPositions(), object->GetPositionCount(), m_targetKey, to);
    } else {
        ElementRecord* e = Element();
        if (!e)
            return kStatusFailed;
        KeyPosition(e->pPositions, e->positionCount, e->positionIndex, from);
        KeyPosition(e->pPositions, e->positionCount, m_targetKey, to);
    }
    float* offset = Offset();
    for (int i = 0; i < 3; ++i)
        offset[i] = m_delta[i] = to[i] - from[i];
    return CEaseItem::Start();
}

void CPositionEase::Apply()
{
    if (float* offset = Offset())
        for (int i = 0; i < 3; ++i)
            offset[i] = m_delta[i] * m_progress;
}

void CPositionEase::Finish()
{
    if (m_elementIndex == kWholeObject) {
        if (CObjectsBase* object = SceneObjectAt(m_pWorldData, m_objectIndex))
            object->EndPositionMove(m_targetKey);
    } else if (ElementRecord* e = Element()) {
        e->positionOffset[0] = e->positionOffset[1] = e->positionOffset[2] = 0.0f;
        e->positionIndex = m_targetKey;
        e->positionId = 0;
    }
    CEaseItem::Finish();
}

bool CPositionEase::LoadFromStream(UtilsStream_Chunk* c)
{
    return ReadTiming(c) && c->Read(m_delta, 4, 3) && ReadCommand(c) && ReadCurve(c);
}

bool CPositionEase::Attach()
{
    if (!IsValid())
        return false;
    const NamedPosition* keys;
    uint32_t count, current;
    if (m_elementIndex == kWholeObject) {
        CObjectsBase* object = SceneObjectAt(m_pWorldData, m_objectIndex);
        keys = object->GetPositions();
        count = object->GetPositionCount();
        current = object->GetSelectedPosition();
    } else {
        const ElementRecord* e = Element();
        keys = e->pPositions;
        count = e->positionCount;
        current = e->positionIndex;
    }
    float from[3];
    KeyPosition(keys, count, current, from);
    m_targetKey = FindTargetKey(count, current, [&](uint32_t k) {
        float at[3];
        KeyPosition(keys, count, k, at);
        return at[0] == from[0] + m_delta[0] && at[1] == from[1] + m_delta[1] && at[2] == from[2] + m_delta[2];
    });
    return true;
}

bool CPositionEase::SaveToStream(UtilsStream_Chunk* c)
{
    return WriteTiming(c) && c->Write(m_delta, 4, 3) && WriteCommand(c) && WriteCurve(c);
}

void CPositionEase::Describe(std::string& text) const
{
    CEaseItem::Describe(text);
    Append(text, ", move by (%g, %g, %g)", double(m_delta[0]), double(m_delta[1]), double(m_delta[2]));
}

// ---- the managers ---------------------------------------------------------------------------

CScalingManager::~CScalingManager()
{
    Unload();
}

uint32_t CScalingManager::AddScaling(uint32_t targetKey, int32_t easing, float seconds, uint32_t objectIndex,
                                     uint32_t elementIndex, const CommandHandle* pCommand)
{
    const ElementRecord* e = SceneElementAt(m_pWorldData, objectIndex, elementIndex);
    if (easing < 0 || uint32_t(easing) >= kUtilsEasingCount || !e || targetKey >= e->scaleCount)
        return 0;
    return AddItem(new (std::nothrow)
                       CScalingItemEase(m_pWorldData, targetKey, easing, seconds, objectIndex, elementIndex, pCommand));
}

CTimedItem* CScalingManager::NewItem(uint32_t kind)
{
    return kind == kEaseKind ? new (std::nothrow) CScalingItemEase(m_pWorldData, 0, 1, 1.0f, 0, 0, nullptr) : nullptr;
}

bool CScalingManager::IsPaused(CTimedItem* pItem)
{
    const ElementRecord* e = SceneElementAt(m_pWorldData, pItem->GetObjectIndex(), pItem->GetElementIndex());
    return e && e->scalePaused;
}

CPositionManager::~CPositionManager()
{
    Unload();
}

uint32_t CPositionManager::AddMove(uint32_t targetKey, int32_t easing, float seconds, uint32_t objectIndex,
                                   uint32_t elementIndex, const CommandHandle* pCommand)
{
    uint32_t keys = 0;
    if (elementIndex == kWholeObject) {
        CObjectsBase* object = SceneObjectAt(m_pWorldData, objectIndex);
        keys = object ? object->GetPositionCount() : 0;
    } else if (const ElementRecord* e = SceneElementAt(m_pWorldData, objectIndex, elementIndex)) {
        keys = e->positionCount;
    }
    // Key 0 (no offset) is there for anything that exists.
    const bool exists = elementIndex == kWholeObject ? SceneObjectAt(m_pWorldData, objectIndex) != nullptr
                                                     : SceneElementAt(m_pWorldData, objectIndex, elementIndex) != nullptr;
    if (easing < 0 || uint32_t(easing) >= kUtilsEasingCount || !exists || (targetKey != 0 && targetKey >= keys))
        return 0;
    return AddItem(new (std::nothrow)
                       CPositionEase(m_pWorldData, targetKey, easing, seconds, objectIndex, elementIndex, pCommand));
}

CTimedItem* CPositionManager::NewItem(uint32_t kind)
{
    return kind == kEaseKind ? new (std::nothrow) CPositionEase(m_pWorldData, 0, 1, 1.0f, 0, 0, nullptr) : nullptr;
}

bool CPositionManager::IsPaused(CTimedItem* pItem)
{
    if (pItem->GetElementIndex() == kWholeObject)
        return false;
    const ElementRecord* e = SceneElementAt(m_pWorldData, pItem->GetObjectIndex(), pItem->GetElementIndex());
    return e && e->positionPaused;
}

CRotationManager::~CRotationManager()
{
    Unload();
}

Status CRotationManager::LoadFromStream(UtilsStream_Chunk*)
{
    // The chunk is empty: nothing is read, what ran is dropped.
    DropAll();
    return kStatusOk;
}
