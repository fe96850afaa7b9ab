// The five effect kinds over the shared storm and cycle of Effect.cpp.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "NimbrelManagers/CEffect.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ElementRecord.h"
#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "Vornel3D/C3DObject.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

using namespace ChunkField;

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

float Level(uint8_t low, uint8_t high, float curve)
{
    return (float(low) + (float(high) - float(low)) * curve) / 255.0f;
}

// The thunder's file as the settings name it; false when they name none.
bool StormSoundName(WorldData* pWorldData, char* pName)
{
    char16_t wide[kWorldTextSize] = {};
    if (UtilsParameters* settings = pWorldData ? pWorldData->pAppSettings : nullptr)
        settings->GetString(u"EFFECT_STORM", u"STORM_SOUND_FILE_NAME", u"", wide, kWorldTextSize);
    WideToAnsiCopy(wide, pName, kWorldTextSize);
    return pName[0] != 0;
}

// Whether the surround manager holds the thunder at that index.
bool IsStormSound(WorldData* pWorldData, int32_t index)
{
    CSurroundManager* surround = EffectSurround(pWorldData);
    const SurroundSound* sound = surround && index >= 0 ? surround->GetSound(uint32_t(index)) : nullptr;
    char name[kWorldTextSize];
    return sound && sound->pName && StormSoundName(pWorldData, name) && std::strcmp(sound->pName, name) == 0;
}

bool GetFlag(UtilsStream_Chunk* pChunk, uint8_t* pFlag)
{
    // A direction is up or down: any other byte is a damaged record.
    return Get(pChunk, pFlag) && *pFlag <= 1;
}

}  // namespace

// ---- storm ------------------------------------------------------------------------------------

CEffectStorm::CEffectStorm(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex)
    : CEffect(pWorldData, kEffectStorm, objectIndex, elementIndex)
{
}

Status CEffectStorm::Start()
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CSurroundManager* surround = EffectSurround(m_pWorldData);
    EffectSharedStorm& storm = SharedStorm();
    if (!world || !world->GetAudioEngine() || !surround || IsStormSound(m_pWorldData, storm.sound))
        return kStatusOk;
    storm.sound = -1;
    char name[kWorldTextSize];
    if (!StormSoundName(m_pWorldData, name))
        return kStatusOk;
    storm.sound = surround->AddKeptSound(name, 1);
    return storm.sound >= 0 ? kStatusOk : kStatusFailed;
}

void CEffectStorm::OnFlash(bool held)
{
    const EffectParameters* values = Values();
    if (!values)
        return;
    if (held) {
        m_low = RandomLevel(values->minimum, values->maximum);
        m_high = RandomLevel(values->minimum, values->maximum);
    } else {
        m_low = values->minimum;
        m_high = values->maximum;
    }
}

void CEffectStorm::Update()
{
    const EffectSharedStorm& storm = SharedStorm();
    SetLevel(Level(m_low, m_high, storm.level));
    if (ElementRecord* element = Element())
        if (element->pEffectParameters)
            element->pEffectParameters->period = storm.interval;
}

bool CEffectStorm::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    EffectSharedStorm s = SharedStorm();
    float t = 0.0f;
    if (!CEffect::LoadFromStream(pChunk) || !Get(pChunk, &s.state) || !Get(pChunk, &t) || !Get(pChunk, &s.interval) ||
        !Get(pChunk, &s.sound) || !Get(pChunk, &s.speed) || !Get(pChunk, &s.flashesPerStorm) ||
        !Get(pChunk, &s.flashesDone) || !Get(pChunk, &s.level) || !Get(pChunk, &m_low) || !Get(pChunk, &m_high))
        return false;
    if (s.state > kStormFading || !std::isfinite(t) || !std::isfinite(s.interval) || !std::isfinite(s.speed) ||
        !std::isfinite(s.level))
        return false;
    s.t = t;
    // The thunder is an index into this game's table of sounds: one that is not the thunder
    // there is none, and the next storm prepares it again.
    if (!IsStormSound(m_pWorldData, s.sound))
        s.sound = -1;
    SharedStorm() = s;
    return true;
}

bool CEffectStorm::SaveToStream(UtilsStream_Chunk* pChunk)
{
    const EffectSharedStorm& s = SharedStorm();
    return CEffect::SaveToStream(pChunk) && Put(pChunk, s.state) && Put(pChunk, float(s.t)) &&
           Put(pChunk, s.interval) && Put(pChunk, s.sound) && Put(pChunk, s.speed) && Put(pChunk, s.flashesPerStorm) &&
           Put(pChunk, s.flashesDone) && Put(pChunk, s.level) && Put(pChunk, m_low) && Put(pChunk, m_high);
}

// ---- flicker ----------------------------------------------------------------------------------

CEffectFlicker::CEffectFlicker(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex, uint32_t kind)
    : CEffect(pWorldData, kind, objectIndex, elementIndex)
{
}

Status CEffectFlicker::Start()
{
    if (const EffectParameters* values = Values()) {
        m_low = RandomLevel(values->minimum, values->maximum);
        m_high = RandomLevel(m_low, values->maximum);
    }
    m_phase = float(Random());
    m_up = Random() > 0.5 ? 1 : 0;
    CEffectFlicker::Update();
    return kStatusOk;
}

void CEffectFlicker::Update()
{
    const EffectParameters* values = Values();
    if (!values)
        return;
    const double rate = 2.0 * PeriodStep(values->period);
    const float step = float(rate * (0.9 + Random() * 2.0));
    if (m_up) {
        m_phase += step;
        if (m_phase > 1.0f) {
            m_low = RandomLevel(values->minimum, values->maximum);
            m_phase = 1.0f;
            m_up = 0;
        }
    } else {
        m_phase -= step;
        if (m_phase < 0.0f) {
            m_high = RandomLevel(m_low, values->maximum);
            m_phase = 0.0f;
            m_up = 1;
        }
    }
    SetLevel(Level(m_low, m_high, UtilsEasing_InSin(m_phase)));
}

bool CEffectFlicker::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    return CEffect::LoadFromStream(pChunk) && GetFlag(pChunk, &m_up) && Get(pChunk, &m_phase) &&
           Get(pChunk, &m_low) && Get(pChunk, &m_high) && m_phase >= 0.0f && m_phase <= 1.0f;
}

bool CEffectFlicker::SaveToStream(UtilsStream_Chunk* pChunk)
{
    return CEffect::SaveToStream(pChunk) && Put(pChunk, m_up) && Put(pChunk, m_phase) && Put(pChunk, m_low) &&
           Put(pChunk, m_high);
}

// ---- pulse ------------------------------------------------------------------------------------

CEffectPulse::CEffectPulse(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex)
    : CEffect(pWorldData, kEffectPulse, objectIndex, elementIndex)
{
}

Status CEffectPulse::Start()
{
    m_phase = Random();
    m_up = Random() > 0.5 ? 1 : 0;
    CEffectPulse::Update();
    return kStatusOk;
}

void CEffectPulse::Update()
{
    const EffectParameters* values = Values();
    if (!values)
        return;
    const double step = 2.0 * PeriodStep(values->period);
    if (m_up) {
        m_phase += step;
        if (m_phase >= 1.0 - kEffectPhaseSlack) {
            m_phase = 1.0;
            m_up = 0;
        }
    } else {
        m_phase -= step;
        if (m_phase <= kEffectPhaseSlack) {
            m_phase = 0.0;
            m_up = 1;
        }
    }
    SetLevel(Level(values->minimum, values->maximum, UtilsEasing_InSin(float(m_phase))));
}

bool CEffectPulse::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    float phase = 0.0f;
    if (!CEffect::LoadFromStream(pChunk) || !GetFlag(pChunk, &m_up) || !Get(pChunk, &phase) || !(phase >= 0.0f) ||
        phase > 1.0f)
        return false;
    m_phase = phase;
    return true;
}

bool CEffectPulse::SaveToStream(UtilsStream_Chunk* pChunk)
{
    return CEffect::SaveToStream(pChunk) && Put(pChunk, m_up) && Put(pChunk, float(m_phase));
}

// ---- flicker cycle -----------------------------------------------------------------------------

CEffectFlickerCycle::CEffectFlickerCycle(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex)
    : CEffectFlicker(pWorldData, objectIndex, elementIndex, kEffectFlickerCycle)
{
}

void CEffectFlickerCycle::Update()
{
    CEffectFlicker::Update();
    if (ElementRecord* element = Element())
        element->brightness *= SharedCycle().level;
}

bool CEffectFlickerCycle::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    EffectSharedCycle c = SharedCycle();
    float level = 0.0f, t = 0.0f;
    if (!CEffectFlicker::LoadFromStream(pChunk) || !Get(pChunk, &c.state) || !Get(pChunk, &level) ||
        !Get(pChunk, &t) || c.state > kCycleFalling || !std::isfinite(level) || !std::isfinite(t))
        return false;
    c.level = level;
    c.t = t;
    SharedCycle() = c;
    return true;
}

bool CEffectFlickerCycle::SaveToStream(UtilsStream_Chunk* pChunk)
{
    const EffectSharedCycle& c = SharedCycle();
    return CEffectFlicker::SaveToStream(pChunk) && Put(pChunk, c.state) && Put(pChunk, c.level) &&
           Put(pChunk, float(c.t));
}

// ---- drift ------------------------------------------------------------------------------------

CEffectDrift::CEffectDrift(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex)
    : CEffect(pWorldData, kEffectDrift, objectIndex, elementIndex)
{
}

Status CEffectDrift::Start()
{
    const EffectParameters* values = Values();
    const float angle = values && std::isfinite(values->angle) ? values->angle * kDegreesToRadians : 0.0f;
    m_direction[0] = -std::cos(angle);
    m_direction[1] = std::sin(angle);
    const float length = std::sqrt(m_direction[0] * m_direction[0] + m_direction[1] * m_direction[1]);
    if (length > 0.0f) {
        m_direction[0] /= length;
        m_direction[1] /= length;
    }
    return kStatusOk;
}

void CEffectDrift::Update()
{
    const EffectParameters* values = Values();
    if (!values)
        return;
    double whole = 0.0;
    const double d = std::modf(PeriodStep(values->period), &whole);
    float du = float(d) * m_direction[0], dv = float(d) * m_direction[1];
    m_progress += d;
    if (m_offsetPending) {
        // The picture first goes to where the saved progress had it.
        du += m_offset[0];
        dv += m_offset[1];
        m_offsetPending = false;
    }
    m_offset[0] += float(d) * m_direction[0];
    m_offset[1] += float(d) * m_direction[1];
    if (m_progress >= 1.0 - kEffectPhaseSlack) {
        // A whole period: the picture goes back to where it started.
        du -= m_offset[0];
        dv -= m_offset[1];
        m_offset[0] = m_offset[1] = 0.0f;
        m_progress -= 1.0;
    }
    MoveFaces(du, dv);
}

void CEffectDrift::MoveFaces(float du, float dv)
{
    if (du == 0.0f && dv == 0.0f)
        return;
    CObjectsBase* object = SceneObjectAt(m_pWorldData, m_objectIndex);
    C3DObject* model = object ? object->GetRenderModel() : nullptr;
    uint32_t base = 0, first = 0, count = 0;
    if (!model || m_elementIndex >= model->GetGroupCount() ||
        Failed(model->GetGroupFields(m_elementIndex, &base, nullptr, &first, &count, nullptr, nullptr, nullptr,
                                     nullptr)))
        return;
    // Faces share corners: each vertex moves once, and only one of the object's own.
    model->Lock(0, 2);
    m_vertices.clear();
    for (uint32_t i = first; i < first + count; ++i) {
        const uint64_t vertex = uint64_t(model->GetIndex(i)) + base;
        if (vertex < model->GetVertexCount())
            m_vertices.push_back(uint32_t(vertex));
    }
    std::sort(m_vertices.begin(), m_vertices.end());
    m_vertices.erase(std::unique(m_vertices.begin(), m_vertices.end()), m_vertices.end());
    for (uint32_t vertex : m_vertices) {
        const C3DVector2 uv = model->GetVertexUV0(vertex);
        model->SetVertexUV0(vertex, uv.x + du, uv.y + dv);
    }
    model->Unlock(0);
}

bool CEffectDrift::LoadFromStream(UtilsStream_Chunk* pChunk)
{
    if (!CEffect::LoadFromStream(pChunk) || !Get(pChunk, &m_progress) || !Get(pChunk, &m_direction[0]) ||
        !Get(pChunk, &m_direction[1]))
        return false;
    // The progress is a share of one period and the direction a unit vector.
    if (!(m_progress >= 0.0 && m_progress <= 1.0 && std::fabs(m_direction[0]) <= 1.0f &&
          std::fabs(m_direction[1]) <= 1.0f))
        return false;
    m_offset[0] = float(m_progress) * m_direction[0];
    m_offset[1] = float(m_progress) * m_direction[1];
    m_offsetPending = m_offset[0] != 0.0f || m_offset[1] != 0.0f;
    return true;
}

bool CEffectDrift::SaveToStream(UtilsStream_Chunk* pChunk)
{
    return CEffect::SaveToStream(pChunk) && Put(pChunk, m_progress) && Put(pChunk, m_direction[0]) &&
           Put(pChunk, m_direction[1]);
}
