#include "NimbrelManagers/CEffectManager.h"

#include "NimbrelManagers/CEffect.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

using namespace ChunkField;

namespace {

// What an effect names before its fields are read.
constexpr uint32_t kNoTarget = 0xFFFFFFFFu;

}  // namespace

CEffectManager::~CEffectManager()
{
    // Dropped, not finished: an owner that goes takes its elements with it.
    for (uint32_t i = 0; i < m_slotCount; ++i)
        delete m_ppEffects[i];
    UTILS_FREE(m_ppEffects);
}

Status CEffectManager::Unload()
{
    for (uint32_t i = 0; i < m_slotCount; ++i) {
        CEffect* effect = m_ppEffects[i];
        m_ppEffects[i] = nullptr;
        if (effect) {
            effect->Finish();
            delete effect;
        }
    }
    UTILS_FREE(m_ppEffects);
    m_ppEffects = nullptr;
    m_slotCount = m_stormCount = m_cycleCount = 0;
    return kStatusOk;
}

void CEffectManager::CountKind(uint32_t kind, int32_t delta)
{
    if (kind == kEffectStorm)
        m_stormCount += uint32_t(delta);
    else if (kind == kEffectFlickerCycle)
        m_cycleCount += uint32_t(delta);
}

uint32_t CEffectManager::AddEffect(uint32_t kind, uint32_t objectIndex, uint32_t elementIndex)
{
    CEffect* effect = NewEffect(m_pWorldData, kind, objectIndex, elementIndex);
    if (!effect)
        return 0;
    if (kind == kEffectStorm)
        static_cast<CEffectStorm*>(effect)->OnFlash(SharedStorm().state == kStormHeld);
    if (Failed(effect->Start())) {
        effect->Finish();
        delete effect;
        return 0;
    }
    effect->Update();
    uint32_t slot = 0;
    while (slot < m_slotCount && m_ppEffects[slot])
        ++slot;
    if (slot == m_slotCount) {
        auto* grown = static_cast<CEffect**>(UTILS_REALLOC(m_ppEffects, (m_slotCount + 1) * sizeof(CEffect*)));
        if (!grown) {
            effect->Finish();
            delete effect;
            return 0;
        }
        m_ppEffects = grown;
        m_ppEffects[m_slotCount++] = nullptr;
    }
    m_ppEffects[slot] = effect;
    CountKind(kind, 1);
    return slot + 1;
}

void CEffectManager::RemoveEffect(uint32_t id)
{
    CEffect* effect = GetEffect(id);
    if (!effect)
        return;
    m_ppEffects[id - 1] = nullptr;
    CountKind(effect->GetKind(), -1);
    effect->Finish();
    delete effect;
}

void CEffectManager::RestartSharedCycle()
{
    ::RestartSharedCycle();
}

void CEffectManager::Update()
{
    if (m_stormCount && Failed(StepSharedStorm(m_pWorldData))) {
        const bool held = SharedStorm().state == kStormHeld;
        for (uint32_t i = 0; i < m_slotCount; ++i)
            if (m_ppEffects[i] && m_ppEffects[i]->GetKind() == kEffectStorm)
                static_cast<CEffectStorm*>(m_ppEffects[i])->OnFlash(held);
    }
    if (m_cycleCount)
        StepSharedCycle(m_pWorldData);
    for (uint32_t i = 0; i < m_slotCount; ++i)
        if (m_ppEffects[i])
            m_ppEffects[i]->Update();
}

Status CEffectManager::StopStormSound()
{
    const int32_t sound = SharedStorm().sound;
    CSurroundManager* surround = m_stormCount && sound >= 0 ? EffectSurround(m_pWorldData) : nullptr;
    SurroundSound* entry = surround ? surround->GetSound(uint32_t(sound)) : nullptr;
    if (!entry || !entry->pAudio || !entry->pAudio->IsPlaying())
        return kStatusOk;
    return Failed(entry->pAudio->Stop()) ? kStatusFailed : kStatusOk;
}

Status CEffectManager::SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pChunk)
{
    if (!pChunk || !Put(pChunk, m_slotCount))
        return kStatusFailed;
    for (uint32_t i = 0; i < m_slotCount; ++i) {
        CEffect* effect = m_ppEffects[i];
        const uint32_t kind = effect ? effect->GetKind() : kEffectNone;
        if (!Put(pChunk, kind) || (effect && !effect->SaveToStream(pChunk)))
            return kStatusFailed;
    }
    return Put(pChunk, m_stormCount) && Put(pChunk, m_cycleCount) ? kStatusOk : kStatusFailed;
}

bool CEffectManager::IsLiveTarget(const CEffect* pEffect) const
{
    if (m_ownerIndex == kEffectOwnerAny)
        return true;
    return pEffect->GetObjectIndex() == m_ownerIndex &&
           SceneElementAt(m_pWorldData, pEffect->GetObjectIndex(), pEffect->GetElementIndex());
}

Status CEffectManager::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    Unload();
    if (!pChunk)
        return kStatusFailed;
    // The shared storm and cycle come back as they were when the chunk is refused.
    const EffectSharedStorm storm = SharedStorm();
    const EffectSharedCycle cycle = SharedCycle();
    uint32_t count = 0;
    // Each slot holds at least its kind word, and the two counts close the chunk.
    if (!Get(pChunk, &count) || int64_t(count) * 4 + 8 > pChunk->BytesLeft())
        return kStatusFailed;
    if (count) {
        m_ppEffects = static_cast<CEffect**>(UTILS_CALLOC(count, sizeof(CEffect*)));
        if (!m_ppEffects) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        m_slotCount = count;
    }
    Status status = kStatusOk;
    for (uint32_t i = 0; status == kStatusOk && i < count; ++i) {
        uint32_t kind = 0;
        if (!Get(pChunk, &kind) || kind > kEffectKindLast) {
            status = kStatusFailed;
            break;
        }
        if (kind == kEffectNone)
            continue;
        CEffect* effect = NewEffect(m_pWorldData, kind, kNoTarget, 0);
        if (!effect) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            status = kStatusOutOfMemory;
            break;
        }
        m_ppEffects[i] = effect;
        CountKind(kind, 1);
        if (!effect->LoadFromStream(pChunk) || !IsLiveTarget(effect))
            status = kStatusFailed;
    }
    uint32_t savedCounts[2] = {};
    if (status == kStatusOk && (!Get(pChunk, &savedCounts[0]) || !Get(pChunk, &savedCounts[1])))
        status = kStatusFailed;
    if (status != kStatusOk) {
        // Dropped, not finished: the elements keep what the scene gave them.
        for (uint32_t i = 0; i < m_slotCount; ++i)
            delete m_ppEffects[i];
        UTILS_FREE(m_ppEffects);
        m_ppEffects = nullptr;
        m_slotCount = m_stormCount = m_cycleCount = 0;
        SharedStorm() = storm;
        SharedCycle() = cycle;
        return status;
    }
    return kStatusOk;
}
