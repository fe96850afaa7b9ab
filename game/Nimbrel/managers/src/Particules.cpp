#include "NimbrelManagers/CParticules.h"

#include <cmath>
#include <new>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;
constexpr float kRandomToUnit = 2.3283064e-10f;  // 2^-32
constexpr float kRandomToHalf = 1.1641532e-10f;  // 2^-33
constexpr float kRandomToTwo = 4.656613e-10f;    // 2^-31

constexpr uint32_t kGroupsPerSize = 4;

// Emitters: a circle of this radius, turning by 0.15 radians a frame unit, two stars each
// time the timer passes one frame unit.
constexpr float kEmitterRadius = 100.0f;
constexpr float kEmitterTurn = 0.15f;
constexpr float kFramesPerSecond = 30.0f;
constexpr uint32_t kEmitterFrames[2] = {18, 19};
constexpr uint32_t kEmitterTexture = 1;
constexpr uint32_t kEmitterEnvelope = 0;
// A star lives at least this long, and less than a second.
constexpr float kEmitterMinLifetime = 0.6f;
constexpr float kEmitterLifetimeSpread = 1.0f - kEmitterMinLifetime;
// The emitter's speeds (pixels a second) move its stars by this share, a short drift away.
constexpr float kEmitterDrift = 0.1f / kFramesPerSecond;

// Score texts: centred on the point, with a shadow.
constexpr uint16_t kScoreTextFlags = 0x103;
constexpr uint32_t kScoreGreen = 0xFF00FF00u;
constexpr uint32_t kScoreRed = 0xFFFF0000u;

constexpr const char16_t* kSection = u"PARTICULES";

}  // namespace

CParticules::~CParticules()
{
    FreeEmitters();
}

void CParticules::FreeEmitters()
{
    for (void* item = m_emitters.GetFirst(); item; item = m_emitters.GetFirst()) {
        m_emitters.RemoveCurrent(0);
        delete static_cast<ParticulesEmitter*>(item);
    }
}

Status CParticules::Unload()
{
    const Status status = CParticulesBase::Unload();
    FreeEmitters();
    return status;
}

void CParticules::RemoveAll()
{
    CParticulesBase::RemoveAll();
    FreeEmitters();
}

void CParticules::RemoveByKind(uint32_t mask)
{
    CParticulesBase::RemoveByKind(mask);
    FreeEmitters();
}

Status CParticules::LoadParameters(const ParticleSpriteRecord* records, uint32_t flagMask)
{
    if (Failed(CParticulesBase::LoadParameters(records, flagMask)))
        return kStatusFailed;
    UtilsParameters* settings = m_pWorldData ? m_pWorldData->pAppSettings : nullptr;
    if (!settings)
        return kStatusOk;
    ParticulesExplosionSettings& e = m_explosion;
    const auto count = [&](const char16_t* key, uint8_t value) {
        return uint8_t(settings->GetInt(kSection, key, value));
    };
    const auto real = [&](const char16_t* key, float value) { return settings->GetFloat(kSection, key, value); };
    e.upMinCount = count(u"EXPLOSION_UP_MIN_COUNT", e.upMinCount);
    e.upMaxCount = count(u"EXPLOSION_UP_MAX_COUNT", e.upMaxCount);
    e.upMinGravity = real(u"EXPLOSION_UP_MIN_GRAVITY", e.upMinGravity);
    e.upMaxGravity = real(u"EXPLOSION_UP_MAX_GRAVITY", e.upMaxGravity);
    e.upMinVelocity = real(u"EXPLOSION_UP_MIN_VELOCITY", e.upMinVelocity);
    e.upMaxVelocity = real(u"EXPLOSION_UP_MAX_VELOCITY", e.upMaxVelocity);
    e.aroundMinCount = count(u"EXPLOSION_AROUND_MIN_COUNT", e.aroundMinCount);
    e.aroundMaxCount = count(u"EXPLOSION_AROUND_MAX_COUNT", e.aroundMaxCount);
    e.aroundMinVelocity = real(u"EXPLOSION_AROUND_MIN_VELOCITY", e.aroundMinVelocity);
    e.aroundMaxVelocity = real(u"EXPLOSION_AROUND_MAX_VELOCITY", e.aroundMaxVelocity);
    return kStatusOk;
}

Status CParticules::SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk*)
{
    return kStatusOk;
}

Status CParticules::LoadFromStream(UtilsStream_Chunk*)
{
    RemoveAll();
    return kStatusOk;
}

float CParticules::Uniform(float minimum, float maximum)
{
    return minimum + float(UtilsRandom_Next(m_pWorldData)) * (maximum - minimum) * kRandomToUnit;
}

void CParticules::AddExplosion(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                               float seconds, uint32_t color, const float* placement, bool up)
{
    const ParticulesExplosionSettings& e = m_explosion;
    const float minCount = up ? e.upMinCount : e.aroundMinCount;
    const float maxCount = up ? e.upMaxCount : e.aroundMaxCount;
    const uint32_t count = uint32_t(Uniform(minCount, maxCount));
    // The frame set: the given frame up to the last of its size's four quarters.
    const uint32_t frames = frame < kParticleGroupCount ? kGroupsPerSize - frame % kGroupsPerSize : 1;
    for (uint32_t i = 0; i < count; ++i) {
        float gravity = 0.0f;
        C3DVector3 velocity{0.0f, 0.0f, 0.0f};
        if (up) {
            gravity = Uniform(e.upMinGravity, e.upMaxGravity);
            const float v = Uniform(e.upMinVelocity, e.upMaxVelocity);
            velocity.x = v * (float(UtilsRandom_Next(m_pWorldData)) * kRandomToUnit - 0.5f);
            velocity.y = v * (-0.5f - float(UtilsRandom_Next(m_pWorldData)) * kRandomToHalf);
        } else {
            const float v = Uniform(e.aroundMinVelocity, e.aroundMaxVelocity);
            velocity.x = v * (float(UtilsRandom_Next(m_pWorldData)) * kRandomToTwo - 1.0f);
            velocity.y = v * (float(UtilsRandom_Next(m_pWorldData)) * kRandomToTwo - 1.0f);
        }
        const uint32_t group = frame + UtilsRandom_Next(m_pWorldData) % frames;
        // Each lives between half and all of the explosion's time, so that they go one by one.
        const float lifetime = seconds * (0.5f + float(UtilsRandom_Next(m_pWorldData)) * kRandomToHalf);
        AddParticle4(position, texture, group, envelope, velocity, gravity, lifetime, color, placement, 1);
    }
}

void CParticules::AddExplosionUp(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                                 float seconds, uint32_t color, const float* placement)
{
    AddExplosion(position, texture, frame, envelope, seconds, color, placement, true);
}

void CParticules::AddExplosionAround(const C3DVector3& position, uint32_t texture, uint32_t frame,
                                     uint32_t envelope, float seconds, uint32_t color, const float* placement)
{
    AddExplosion(position, texture, frame, envelope, seconds, color, placement, false);
}

CParticule* CParticules::AddPulse(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                                  float seconds, uint8_t randomPhase, uint32_t, const float* placement)
{
    // Pulses keep their picture's own colours.
    return AddParticle3(position, texture, frame, envelope, seconds, randomPhase, 0xFFFFFFFFu, placement);
}

CParticule* CParticules::AddStar(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                                 float seconds, uint32_t color, const float* placement)
{
    return AddParticle2(position, texture, frame, envelope, seconds, color, placement);
}

CParticule* CParticules::AddFirework(const C3DVector3& position, uint32_t texture, uint32_t frame,
                                     uint32_t envelope, float seconds, uint32_t color, const float* placement)
{
    return AddParticle1(position, texture, frame, envelope, seconds, color, placement);
}

Status CParticules::AddEmitter(const C3DVector3& centre, const float* transform, float seconds, uint32_t color)
{
    auto* emitter = new (std::nothrow) ParticulesEmitter{};
    if (!emitter)
        return kStatusOutOfMemory;
    emitter->timer = 0.0f;
    emitter->verticalSpeed = -150.0f - float(UtilsRandom_Next(m_pWorldData)) * 50.0f * kRandomToUnit;
    emitter->horizontalSpeed = 50.0f + float(UtilsRandom_Next(m_pWorldData)) * 50.0f * kRandomToUnit;
    if (UtilsRandom_Next(m_pWorldData) & 0x80000000u)
        emitter->horizontalSpeed = -emitter->horizontalSpeed;
    emitter->centre = centre;
    emitter->radius = kEmitterRadius;
    emitter->angle = float(UtilsRandom_Next(m_pWorldData)) * kTwoPi * kRandomToUnit;
    emitter->remaining = seconds * kFramesPerSecond;
    emitter->counter = 0;
    emitter->pTransform = transform;
    emitter->color = color;
    if (Failed(m_emitters.Add(emitter, 0))) {
        delete emitter;
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

CParticule* CParticules::AddText(const C3DVector3& position, int32_t value, float scaleX, float scaleY,
                                 float seconds)
{
    char16_t text[16];
    UtilsString_Format(text, 16, u"%+d", value);
    // A charset font draws its own codes.
    auto* world = m_pWorldData ? dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld) : nullptr;
    const CVornelFont* font = world ? world->GetMainFont() : nullptr;
    if (font && font->GetFontType() == kFontCharset)
        if (const CStringsManager* strings = world->GetStringsManager())
            strings->RemapChars(text);
    C3DVector2 scale{scaleX, scaleY};
    if (const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr) {
        scale.x *= game->text.particleText.width;
        scale.y *= game->text.particleText.height;
    }
    const uint32_t color = value >= 0 ? kScoreGreen : kScoreRed;
    return AddParticle5(position, text, 1, scale, kScoreTextFlags, seconds, color);
}

void CParticules::Update()
{
    CParticulesBase::Update();
    StepEmitters();
}

void CParticules::StepEmitters()
{
    const float step = m_pWorldData ? float(m_pWorldData->frameTime) : 0.0f;
    for (void* item = m_emitters.GetFirst(); item;) {
        auto* e = static_cast<ParticulesEmitter*>(item);
        e->remaining -= step;
        if (e->remaining < 0.0f) {
            item = m_emitters.RemoveCurrent(0);
            delete e;
            continue;
        }
        e->angle += step * kEmitterTurn;
        e->timer += step;
        if (e->timer >= 1.0f) {
            e->timer = 0.0f;
            const C3DVector3 velocity{e->horizontalSpeed * kEmitterDrift, e->verticalSpeed * kEmitterDrift, 0.0f};
            for (float side : {0.0f, kPi}) {
                const C3DVector3 at{e->centre.x + std::sin(e->angle + side) * e->radius,
                                    e->centre.y + std::cos(e->angle + side) * e->radius, e->centre.z};
                const uint32_t group = kEmitterFrames[UtilsRandom_Next(m_pWorldData) & 1];
                const float share = float(UtilsRandom_Next(m_pWorldData)) * kRandomToUnit;
                const float lifetime = kEmitterMinLifetime + share * kEmitterLifetimeSpread;
                AddParticle4(at, kEmitterTexture, group, kEmitterEnvelope, velocity, 0.0f, lifetime, e->color,
                             e->pTransform, 0);
            }
            ++e->counter;
        }
        item = m_emitters.GetNext();
    }
}
