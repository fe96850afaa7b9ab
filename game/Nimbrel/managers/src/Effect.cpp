#include "NimbrelManagers/CEffect.h"

#include <cmath>
#include <new>

#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

using namespace ChunkField;

namespace {

EffectSharedStorm g_storm;
EffectSharedCycle g_cycle;

bool ReachedOne(double t) { return t >= 1.0 - kEffectPhaseSlack; }
bool ReachedZero(double t) { return t <= kEffectPhaseSlack; }

double WorldStep(WorldData* pWorldData)
{
    return pWorldData ? pWorldData->frameTime : 0.0;
}

double Uniform(WorldData* pWorldData, double scale)
{
    return pWorldData ? double(UtilsRandom_Next(pWorldData)) * scale : 0.0;
}

}  // namespace

CSurroundManager* EffectSurround(WorldData* pWorldData)
{
    auto* world = pWorldData ? dynamic_cast<CNimbrelWorld*>(pWorldData->pWorld) : nullptr;
    return world ? world->GetSurroundManager() : nullptr;
}

EffectSharedStorm& SharedStorm() { return g_storm; }
EffectSharedCycle& SharedCycle() { return g_cycle; }

void ResetSharedEffects()
{
    g_storm = EffectSharedStorm();
    g_cycle = EffectSharedCycle();
}

Status StepSharedStorm(WorldData* pWorldData)
{
    EffectSharedStorm& s = g_storm;
    const double step = WorldStep(pWorldData);
    switch (s.state) {
    case kStormWaiting:
        s.level = 0.0f;
        if (s.interval > 0.0f)
            s.t += step / (double(s.interval) * 30.0) * s.speed;
        if (ReachedOne(s.t)) {
            if (CSurroundManager* surround = s.sound >= 0 ? EffectSurround(pWorldData) : nullptr)
                surround->PlaySoundIndex(uint32_t(s.sound));
            s.state = kStormRising;
            s.t = 0.0;
        }
        return kStatusOk;
    case kStormRising:
        s.t += step * 0.3;
        if (ReachedOne(s.t)) {
            s.state = kStormHeld;
            s.level = 1.0f;
            s.t = 0.0;
            return kStatusFailed;
        }
        s.level = UtilsEasing_InCubic(float(s.t));
        return kStatusOk;
    case kStormHeld:
        s.t += step * 0.3;
        if (!ReachedOne(s.t)) {
            s.level = UtilsEasing_InSin(float(s.t));
            return kStatusOk;
        }
        s.t = 0.0;
        if (s.flashesDone != s.flashesPerStorm) {
            ++s.flashesDone;
            s.level = 1.0f;
            return kStatusOk;
        }
        // The storm ends; the next one comes at its own pace, with one flash or two.
        s.state = kStormFading;
        s.speed = float(0.5 + Uniform(pWorldData, 0x1p-33));
        s.flashesPerStorm = uint32_t(Uniform(pWorldData, 100.0 * 0x1p-32)) > 80 ? 2 : 1;
        s.flashesDone = 0;
        return kStatusFailed;
    case kStormFading:
        s.t += step * 0.15;
        if (ReachedOne(s.t)) {
            s.state = kStormWaiting;
            s.level = 0.0f;
            s.t = 0.0;
        } else {
            s.level = UtilsEasing_InSin(float(1.0 - s.t));
        }
        return kStatusOk;
    default:
        // A state no step knows: the storm waits again.
        s = EffectSharedStorm{kStormWaiting, 0.0, 0.0f, 0, s.interval, s.speed, s.flashesPerStorm, s.sound};
        return kStatusOk;
    }
}

void StepSharedCycle(WorldData* pWorldData)
{
    EffectSharedCycle& c = g_cycle;
    const double step = WorldStep(pWorldData);
    switch (c.state) {
    case kCycleOff:
        c.t += step * 0.005;
        if (ReachedOne(c.t)) {
            c.state = kCycleRising;
            c.t = 0.0;
        }
        c.level = 0.0f;
        break;
    case kCycleRising:
        c.t += step * 0.05;
        if (ReachedOne(c.t)) {
            c.state = kCycleOn;
            c.t = 1.0;
        }
        c.level = UtilsEasing_InSin(float(c.t));
        break;
    case kCycleOn:
        c.t -= step * 0.005;
        if (ReachedZero(c.t)) {
            c.state = kCycleFalling;
            c.t = 1.0;
        }
        c.level = 1.0f;
        break;
    case kCycleFalling:
        c.t -= step * 0.05;
        if (ReachedZero(c.t)) {
            c.state = kCycleOff;
            c.t = 0.0;
        }
        c.level = UtilsEasing_InSin(float(c.t));
        break;
    default:
        c = EffectSharedCycle();
        break;
    }
}

void RestartSharedCycle()
{
    if (g_cycle.state == kCycleOff || g_cycle.state == kCycleFalling)
        g_cycle.state = kCycleRising;
    else if (g_cycle.state == kCycleOn)
        g_cycle.t = 1.0;
}

// ---- the base ---------------------------------------------------------------------------------

CEffect::CEffect(WorldData* pWorldData, uint32_t kind, uint32_t objectIndex, uint32_t elementIndex)
    : CBaseObject(pWorldData), m_objectIndex(objectIndex), m_elementIndex(elementIndex), m_kind(kind)
{
}

void CEffect::Finish()
{
    SetLevel(1.0f);
}

bool CEffect::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    uint32_t kind = 0;
    if (!Get(pChunk, &m_objectIndex) || !Get(pChunk, &m_elementIndex) || !Get(pChunk, &kind))
        return false;
    return kind == m_kind;
}

bool CEffect::SaveToStream(UtilsStream_Chunk* pChunk)
{
    return Put(pChunk, m_objectIndex) && Put(pChunk, m_elementIndex) && Put(pChunk, m_kind);
}

ElementRecord* CEffect::Element()
{
    return SceneElementAt(m_pWorldData, m_objectIndex, m_elementIndex);
}

const EffectParameters* CEffect::Values()
{
    ElementRecord* element = Element();
    return element ? element->pEffectParameters : nullptr;
}

void CEffect::SetLevel(float level)
{
    if (ElementRecord* element = Element())
        element->brightness = level;
}

double CEffect::FrameStep() const
{
    return WorldStep(m_pWorldData);
}

double CEffect::PeriodStep(float seconds) const
{
    // A period of 0 or less (or none at all) would step without end: nothing moves.
    if (!(seconds > 0.0f) || std::isinf(seconds))
        return 0.0;
    return FrameStep() / (double(seconds) * 30.0);
}

double CEffect::Random()
{
    return Uniform(m_pWorldData, 0x1p-32);
}

uint8_t CEffect::RandomLevel(uint8_t low, uint8_t high)
{
    const double level = std::floor(double(low) + Random() * (double(high) - double(low)));
    return uint8_t(level < 0.0 ? 0.0 : level > 255.0 ? 255.0 : level);
}

CEffect* NewEffect(WorldData* pWorldData, uint32_t kind, uint32_t objectIndex, uint32_t elementIndex)
{
    switch (kind) {
    case kEffectStorm:
        return new (std::nothrow) CEffectStorm(pWorldData, objectIndex, elementIndex);
    case kEffectFlicker:
        return new (std::nothrow) CEffectFlicker(pWorldData, objectIndex, elementIndex);
    case kEffectPulse:
        return new (std::nothrow) CEffectPulse(pWorldData, objectIndex, elementIndex);
    case kEffectFlickerCycle:
        return new (std::nothrow) CEffectFlickerCycle(pWorldData, objectIndex, elementIndex);
    case kEffectDrift:
        return new (std::nothrow) CEffectDrift(pWorldData, objectIndex, elementIndex);
    default:
        return nullptr;
    }
}
