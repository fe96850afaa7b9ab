// The particle manager: the shared sprite object and textures, and the list of live particles.
#include "Vornel3D_ToolBox/CParticulesBase.h"

#include <new>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectIndex.h"
#include "Vornel3D_ToolBox/AutoLoad.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/WorldData.h"

namespace {

// The screen object of the sprites, as for fonts.
constexpr uint32_t kSpriteObjectFlags = 0x28010;
constexpr uint32_t kSpriteObjectCreation = 0x20C29;
constexpr uint32_t kSpriteFaceMode = 1;

constexpr float kFrameToSeconds = 0.033333335f;

constexpr uint32_t kTextureKind = 1;
constexpr uint32_t kTextureFlags = 0x52;
constexpr uint32_t kTextureFlagFromMask = 0x80;

// Texture regions of the sprite records: left, top, right, bottom.
constexpr float kRegions[5][4] = {
    {0.0f, 0.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.5f, 0.5f}, {0.5f, 0.0f, 1.0f, 0.5f},
    {0.0f, 0.5f, 0.5f, 1.0f}, {0.5f, 0.5f, 1.0f, 1.0f},
};

struct SpriteTexture {
    uint32_t enableBits;
    uint32_t flagBit;
    const char16_t* key;
    const char16_t* defaultName;
};

// The key of the firework's texture is spelt as the settings files have always spelt it.
constexpr SpriteTexture kSpriteTextures[kParticleTextureCount] = {
    {kParticleFirework, kParticleFirework, u"FIREMORK_TEXTURE_FILE_NAME", u"firework.png"},
    {kParticleStar | kParticleFallingStar, kParticleStar, u"STAR_TEXTURE_FILE_NAME", u"star.png"},
    {kParticlePulse, kParticlePulse, u"PULSE_TEXTURE_FILE_NAME", u"pulse.png"},
    {kParticleExtraTexture, kParticleExtraTexture, u"EXTRA_TEXTURE_FILE_NAME", u"extra.png"},
};

}  // namespace

CParticulesBase::CParticulesBase(WorldData* pWorldData) : CManagedObject(pWorldData) {}

CParticulesBase::~CParticulesBase()
{
    RemoveAll();
}

void CParticulesBase::Drop(CParticule* pParticle)
{
    pParticle->Unload();
    delete pParticle;
}

Status CParticulesBase::Unload()
{
    RemoveAll();
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (m_pObject && engine)
        engine->ReleaseObject(m_pObject);
    m_pObject = nullptr;
    for (C3DTexture*& texture : m_pTextures) {
        if (texture && engine)
            engine->ReleaseTexture(texture, 1);
        texture = nullptr;
    }
    return kStatusOk;
}

float CParticulesBase::GetStep() const
{
    return m_pWorldData ? float(m_pWorldData->frameTime) * kFrameToSeconds : 0.0f;
}

void CParticulesBase::Update()
{
    const float step = GetStep();
    for (void* item = m_particles.GetFirst(); item;) {
        auto* particle = static_cast<CParticule*>(item);
        if (particle->Update(step)) {
            item = m_particles.RemoveCurrent(0);
            Drop(particle);
        } else {
            item = m_particles.GetNext();
        }
    }
}

void CParticulesBase::RenderAll()
{
    for (void* item = m_particles.GetFirst(); item; item = m_particles.GetNext())
        static_cast<CParticule*>(item)->Render();
}

void CParticulesBase::Render(uint32_t kindMask)
{
    for (void* item = m_particles.GetFirst(); item; item = m_particles.GetNext())
        if (static_cast<CParticule*>(item)->GetKind() & kindMask)
            static_cast<CParticule*>(item)->Render();
}

Status CParticulesBase::BuildSprites(const ParticleSpriteRecord* records)
{
    if (Failed(m_pObject->Create(kParticleGroupCount, 4 * kParticleGroupCount, 4 * kParticleGroupCount)))
        return kStatusFailed;
    m_pObject->Lock(2, 2);
    for (uint32_t i = 0; i < kParticleGroupCount; ++i) {
        const ParticleSpriteRecord& record = records[i];
        if (record.region < 5) {
            const float h = record.size * 0.5f;
            const float* r = kRegions[record.region];
            const float xs[2] = {-h, h}, ys[2] = {-h, h};
            const float us[2] = {r[0], r[2]}, vs[2] = {r[1], r[3]};
            for (uint32_t k = 0; k < 4; ++k)
                m_pObject->SetVertex(4 * i + k, xs[k & 1], ys[k >> 1], 0.0f, 0xFFFFFFFFu, us[k & 1], vs[k >> 1], 0.0f,
                                     0.0f, 0.0f, 0);
        }
        m_pObject->SetGroup(i, 4 * i, 4, 4 * i, 4, 2, kPrimitiveTriangleStrip, kSpriteFaceMode, kGroupIdOwnNumber);
        // Indices count from the group's first vertex, as in the engine's shapes.
        m_pObject->SetIndexRange(4 * i, 4);
    }
    m_pObject->Unlock(1);
    return kStatusOk;
}

Status CParticulesBase::LoadParameters(const ParticleSpriteRecord* records, uint32_t flagMask)
{
    C3DEngine* engine = C3DEngine::FromWorld(m_pWorldData);
    if (!engine || !records)
        return kStatusFailed;
    if (m_pObject)
        engine->ReleaseObject(m_pObject);
    m_pObject = engine->CreateObject(kSpriteObjectFlags, kSpriteObjectCreation);
    if (!m_pObject || Failed(BuildSprites(records)))
        return kStatusFailed;

    auto* managed = dynamic_cast<CManagedWorld*>(m_pWorldData->pWorld);
    const uint32_t source = managed ? managed->GetTextureSource() : kResourceSourceFile;
    for (uint32_t i = 0; i < kParticleTextureCount; ++i) {
        const SpriteTexture& sprite = kSpriteTextures[i];
        if (!(m_nEnableMask & sprite.enableBits))
            continue;
        if (m_pTextures[i])
            engine->ReleaseTexture(m_pTextures[i], 1);
        const uint32_t flags = kTextureFlags | ((flagMask & sprite.flagBit) ? kTextureFlagFromMask : 0);
        m_pTextures[i] = AutoLoadTextureFromParamEx(source, kTextureKind, flags, u"PARTICULES", sprite.key,
                                                    sprite.defaultName, m_pWorldData->pAppSettings, m_pWorldData);
        if (!m_pTextures[i])
            return kStatusFailed;
    }
    return kStatusOk;
}

CParticule* CParticulesBase::Admit(CParticule* pParticle, Status initStatus)
{
    if (!pParticle)
        return nullptr;
    if (Failed(initStatus) || pParticle->Update(GetStep()) || Failed(m_particles.Add(pParticle, 0))) {
        Drop(pParticle);
        return nullptr;
    }
    return pParticle;
}

CParticule* CParticulesBase::AddParticle1(const C3DVector3& position, uint32_t texture, uint32_t group,
                                          uint32_t envelope, float lifetime, uint32_t color, const float* placement)
{
    if (!(m_nEnableMask & kParticleFirework))
        return nullptr;
    auto* particle = new (std::nothrow) CParticuleFirework(m_pWorldData, this);
    return Admit(particle, particle ? particle->Init(position, texture, group, envelope, lifetime, color, placement)
                                    : kStatusOutOfMemory);
}

CParticule* CParticulesBase::AddParticle2(const C3DVector3& position, uint32_t texture, uint32_t group,
                                          uint32_t envelope, float lifetime, uint32_t color, const float* placement)
{
    if (!(m_nEnableMask & kParticleStar))
        return nullptr;
    auto* particle = new (std::nothrow) CParticuleStar(m_pWorldData, this);
    return Admit(particle, particle ? particle->Init(position, texture, group, envelope, lifetime, color, placement)
                                    : kStatusOutOfMemory);
}

CParticule* CParticulesBase::AddParticle3(const C3DVector3& position, uint32_t texture, uint32_t group,
                                          uint32_t envelope, float lifetime, uint8_t randomPhase, uint32_t color,
                                          const float* placement)
{
    if (!(m_nEnableMask & kParticlePulse))
        return nullptr;
    auto* particle = new (std::nothrow) CParticulePulse(m_pWorldData, this);
    return Admit(particle, particle ? particle->Init(position, texture, group, envelope, lifetime, randomPhase, color,
                                                     placement)
                                    : kStatusOutOfMemory);
}

CParticule* CParticulesBase::AddParticle4(const C3DVector3& position, uint32_t texture, uint32_t group,
                                          uint32_t envelope, const C3DVector3& velocity, float acceleration,
                                          float lifetime, uint32_t color, const float* placement, uint8_t flicker)
{
    if (!(m_nEnableMask & kParticleFallingStar))
        return nullptr;
    auto* particle = new (std::nothrow) CParticuleFallingStar(m_pWorldData, this);
    return Admit(particle, particle ? particle->Init(position, texture, group, envelope, velocity, acceleration,
                                                     lifetime, color, placement, flicker)
                                    : kStatusOutOfMemory);
}

CParticule* CParticulesBase::AddParticle5(const C3DVector3& position, const char16_t* text, uint8_t copy,
                                          const C3DVector2& scale, uint16_t flags, float lifetime, uint32_t color)
{
    if (!(m_nEnableMask & kParticleText))
        return nullptr;
    auto* particle = new (std::nothrow) CParticuleText(m_pWorldData, this);
    return Admit(particle, particle ? particle->Init(position, text, copy, scale, flags, lifetime, color)
                                    : kStatusOutOfMemory);
}

void CParticulesBase::SetParticlePosition(CParticule* pParticle, const float* position)
{
    if (pParticle)
        pParticle->SetPosition(position);
}

void CParticulesBase::RemoveAll()
{
    for (void* item = m_particles.GetFirst(); item; item = m_particles.GetFirst()) {
        m_particles.RemoveCurrent(0);
        Drop(static_cast<CParticule*>(item));
    }
}

void CParticulesBase::RemoveByKind(uint32_t mask)
{
    for (void* item = m_particles.GetFirst(); item;) {
        auto* particle = static_cast<CParticule*>(item);
        if ((particle->GetKind() & mask) == particle->GetKind()) {
            item = m_particles.RemoveCurrent(0);
            Drop(particle);
        } else {
            item = m_particles.GetNext();
        }
    }
}

Status CParticulesBase::RemoveParticle(CParticule* pParticle)
{
    const Status status = m_particles.Remove(pParticle);
    if (Failed(status))
        return status;
    Drop(pParticle);
    return kStatusOk;
}
