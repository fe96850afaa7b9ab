// The five particle kinds: their arguments, their step in seconds and their drawing.
#include "Vornel3D_ToolBox/CParticule.h"

#include <cmath>
#include <cstring>
#include <new>

#include "Vornel3D/C3DObject.h"
#include "Vornel3D_ToolBox/CParticulesBase.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kRandomToAngle = 1.4629181e-9f;  // 2 pi / 2^32
constexpr float kRandomToUnit = 2.3283064e-10f;  // 1 / 2^32
constexpr float kFlickerSpeed = 50.0f;
constexpr float kFallingAcceleration = 0.75f;

float Cube(float x)
{
    return UtilsEasing_InCubic(x);
}

// The alpha byte of a particle: trunc(alpha x 255), within 0 and 255.
uint8_t AlphaByte(float alpha)
{
    const float value = alpha * 255.0f;
    if (!(value > 0.0f))
        return 0;
    return value >= 255.0f ? 255 : uint8_t(value);
}

}  // namespace

float ParticleEnvelope(uint32_t envelope, float t, float alpha, bool* fadingOut)
{
    bool fading = false;
    switch (envelope) {
    case 0:
        fading = t > 0.66f;
        alpha = t < 0.33f ? Cube(3.0f * t) : fading ? 1.0f - Cube(3.0f * (t - 0.66f)) : 1.0f;
        break;
    case 1:
        fading = t > 0.7f;
        alpha = t < 0.2f ? Cube(5.0f * t) : fading ? 1.0f - Cube(3.3333333f * (t - 0.7f)) : 1.0f;
        break;
    case 2:
        fading = t > 0.66f;
        alpha = t < 0.1f ? Cube(10.0f * t) : fading ? 1.0f - Cube(3.0f * (t - 0.66f)) : 1.0f;
        break;
    case 3:
        fading = t >= 0.5f;
        alpha = fading ? 1.0f - Cube(2.0f * (t - 0.5f)) : Cube(2.0f * t);
        break;
    default:
        break;
    }
    if (envelope <= 2 && alpha < 0.0f)
        alpha = 0.0f;
    if (fadingOut)
        *fadingOut = fading;
    return alpha;
}

// ---- base -------------------------------------------------------------------------------------

CParticule::CParticule(WorldData* pWorldData, CParticulesBase* pManager, uint32_t kind)
    : CManagedObject(pWorldData), m_nKind(kind), m_pManager(pManager)
{
}

void CParticule::SetPosition(const float* position)
{
    if (position)
        m_position = C3DVector3{position[0], position[1], position[2]};
}

Status CParticule::InitSprite(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                              float lifetime, uint32_t color, const float* placement)
{
    // An index past the manager's textures or shapes would reach outside them.
    if (texture >= kParticleTextureCount || group >= kParticleGroupCount)
        return kStatusFailed;
    m_position = position;
    m_nTexture = texture;
    m_nGroup = group;
    m_nEnvelope = envelope;
    m_fLifeLeft = m_fLifetime = lifetime;
    m_nColor = color;
    m_pPlacement = placement;
    return kStatusOk;
}

float CParticule::Progress() const
{
    return m_fLifetime > 0.0f ? (m_fLifetime - m_fLifeLeft) / m_fLifetime : 0.0f;
}

void CParticule::DrawSprite(float angle, float scale, float alpha)
{
    C3DObject* object = m_pManager ? m_pManager->GetObject() : nullptr;
    if (!object)
        return;
    object->SetTexture(m_pManager->GetTexture(m_nTexture), m_nGroup, 0);
    if (m_pPlacement) {
        object->SetMatrix(m_pPlacement);
        object->Translate(m_position.x, m_position.y, m_position.z);
    } else {
        object->SetIdentity();
        object->SetPosition(m_position.x, m_position.y, m_position.z);
    }
    if (angle != 0.0f)
        object->Rotate(angle);
    if (scale != 1.0f)
        object->ScaleUniform(scale);
    object->SetColor(m_nColor);
    object->SetAlpha(AlphaByte(alpha));
    object->DrawEx(m_nGroup);
}

// ---- firework ---------------------------------------------------------------------------------

CParticuleFirework::CParticuleFirework(WorldData* pWorldData, CParticulesBase* pManager)
    : CParticule(pWorldData, pManager, kParticleFirework)
{
}

Status CParticuleFirework::Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                                float lifetime, uint32_t color, const float* placement)
{
    if (Failed(InitSprite(position, texture, group, envelope, lifetime, color, placement)))
        return kStatusFailed;
    m_fAngle = float(UtilsRandom_Next(m_pWorldData)) * kRandomToAngle;
    return kStatusOk;
}

bool CParticuleFirework::Update(float step)
{
    m_fLifeLeft -= step;
    if (m_fLifeLeft < 0.0f)
        return true;
    const float t = Progress();
    m_fScale = UtilsEasing_InSin(t);
    m_fAlpha = ParticleEnvelope(m_nEnvelope, t, m_fAlpha);
    return false;
}

void CParticuleFirework::Render()
{
    DrawSprite(m_fAngle, m_fScale, m_fAlpha);
}

// ---- star -------------------------------------------------------------------------------------

CParticuleStar::CParticuleStar(WorldData* pWorldData, CParticulesBase* pManager)
    : CParticule(pWorldData, pManager, kParticleStar)
{
}

Status CParticuleStar::Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                            float lifetime, uint32_t color, const float* placement)
{
    if (Failed(InitSprite(position, texture, group, envelope, lifetime, color, placement)))
        return kStatusFailed;
    m_fStartAngle = m_fAngle = float(UtilsRandom_Next(m_pWorldData)) * kRandomToAngle;
    return kStatusOk;
}

bool CParticuleStar::Update(float step)
{
    m_fLifeLeft -= step;
    if (m_fLifeLeft < 0.0f)
        return true;
    const float t = Progress();
    // Half a turn a second.
    m_fAngle = m_fStartAngle + 2.0f * (t * m_fLifetime * kPi / 2.0f);
    m_fAlpha = ParticleEnvelope(m_nEnvelope, t, m_fAlpha);
    return false;
}

void CParticuleStar::Render()
{
    DrawSprite(m_fAngle, 1.0f, m_fAlpha);
}

// ---- pulse ------------------------------------------------------------------------------------

CParticulePulse::CParticulePulse(WorldData* pWorldData, CParticulesBase* pManager)
    : CParticule(pWorldData, pManager, kParticlePulse)
{
}

Status CParticulePulse::Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                             float lifetime, uint8_t randomPhase, uint32_t color, const float* placement)
{
    if (Failed(InitSprite(position, texture, group, envelope, lifetime, color, placement)))
        return kStatusFailed;
    m_fLifeLeft = randomPhase ? float(UtilsRandom_Next(m_pWorldData)) * lifetime * kRandomToUnit : 0.0f;
    return kStatusOk;
}

bool CParticulePulse::Update(float step)
{
    m_fLifeLeft -= step;
    if (m_fLifeLeft < 0.0f)
        m_fLifeLeft = m_fLifetime;
    m_fAlpha = ParticleEnvelope(m_nEnvelope, Progress(), m_fAlpha);
    return false;
}

void CParticulePulse::Render()
{
    DrawSprite(0.0f, 1.0f, m_fAlpha);
}

// ---- falling star -----------------------------------------------------------------------------

CParticuleFallingStar::CParticuleFallingStar(WorldData* pWorldData, CParticulesBase* pManager)
    : CParticule(pWorldData, pManager, kParticleStar)
{
}

Status CParticuleFallingStar::Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                                   const C3DVector3& velocity, float acceleration, float lifetime, uint32_t color,
                                   const float* placement, uint8_t flicker)
{
    if (Failed(InitSprite(position, texture, group, envelope, lifetime, color, placement)))
        return kStatusFailed;
    m_velocity = velocity;
    m_fAcceleration = acceleration;
    m_bFlicker = flicker;
    return kStatusOk;
}

bool CParticuleFallingStar::Update(float step)
{
    m_fLifeLeft -= step;
    if (m_fLifeLeft < 0.0f)
        return true;
    const float t = Progress();
    bool fadingOut = false;
    m_fAlpha = ParticleEnvelope(m_nEnvelope, t, m_fAlpha, &fadingOut);
    if (m_bFlicker && !fadingOut)
        m_fAlpha *= std::sin(kFlickerSpeed * t);
    const float frame = m_pWorldData ? float(m_pWorldData->frameTime) : 0.0f;
    m_position.x += frame * m_velocity.x;
    m_position.y += frame * m_velocity.y;
    m_position.z += frame * m_velocity.z;
    m_velocity.y += frame * m_fAcceleration * kFallingAcceleration;
    return false;
}

void CParticuleFallingStar::Render()
{
    DrawSprite(m_fAngle, 1.0f, m_fAlpha);
}

// ---- text -------------------------------------------------------------------------------------

CParticuleText::CParticuleText(WorldData* pWorldData, CParticulesBase* pManager)
    : CParticule(pWorldData, pManager, kParticleText)
{
}

CParticuleText::~CParticuleText()
{
    Unload();
}

Status CParticuleText::Init(const C3DVector3& position, const char16_t* text, uint8_t copy, const C3DVector2& scale,
                            uint16_t flags, float lifetime, uint32_t color)
{
    Unload();
    m_position = m_drawn = position;
    m_scale[0] = scale.x;
    m_scale[1] = scale.y;
    m_nFlags = flags;
    m_fLifeLeft = m_fLifetime = lifetime;
    m_nColor = color;
    if (copy && text) {
        size_t length = 0;
        while (text[length])
            ++length;
        char16_t* own = new (std::nothrow) char16_t[length + 1];
        if (!own)
            return kStatusOutOfMemory;
        std::memcpy(own, text, (length + 1) * sizeof(char16_t));
        m_pText = own;
        m_bOwnsText = 1;
    } else {
        m_pText = text;
    }
    return kStatusOk;
}

Status CParticuleText::Unload()
{
    if (m_bOwnsText)
        delete[] m_pText;
    m_pText = nullptr;
    m_bOwnsText = 0;
    return kStatusOk;
}

bool CParticuleText::Update(float step)
{
    m_fLifeLeft -= step;
    if (m_fLifeLeft < 0.0f)
        return true;
    const float t = Progress();
    m_drawn = m_position;
    m_drawn.y -= t * m_scale[1];
    float alpha = t < 0.33f ? Cube(3.0f * t) : t <= 0.66f ? 1.0f : 1.0f - Cube(3.0f * (t - 0.66f));
    if (alpha < 0.0f)
        alpha = 0.0f;
    m_nColor = (m_nColor & 0x00FFFFFFu) | uint32_t(AlphaByte(alpha)) << 24;
    return false;
}

void CParticuleText::Render()
{
    ParticleTextCallback draw = m_pManager ? m_pManager->GetTextCallback() : nullptr;
    if (!draw || !m_pText)
        return;
    const float position[3] = {m_drawn.x, m_drawn.y, m_drawn.z};
    draw(position, m_nColor, m_scale, m_nFlags, m_pText, m_pManager->GetTextContext());
}
