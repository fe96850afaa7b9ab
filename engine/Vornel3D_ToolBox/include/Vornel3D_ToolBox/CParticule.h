#pragma once
// The particles of the particle manager (CParticulesBase.h): fireworks that swell and fade,
// stars that turn, pulses that loop, falling stars with a velocity, and texts that rise. Each
// counts its life down in seconds; the sprite kinds fade by one of four envelopes and draw one
// sprite group of the manager's shared screen object.
#include <cstdint>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class CParticulesBase;

// Kind bits. The falling star is added and enabled under kParticleFallingStar but carries the
// star's kind bits, so masks over kind bits (drawing and removal by kind) treat it as a star.
constexpr uint32_t kParticleFirework = 0x01;
constexpr uint32_t kParticleStar = 0x02;
constexpr uint32_t kParticlePulse = 0x04;
constexpr uint32_t kParticleFallingStar = 0x08;
constexpr uint32_t kParticleText = 0x10;
constexpr uint32_t kParticleExtraTexture = 0x20;  // enable mask: load the extra texture

constexpr uint32_t kParticleTextureCount = 4;  // firework, star, pulse, extra
constexpr uint32_t kParticleGroupCount = 20;   // sprite shapes of the manager's object
constexpr uint32_t kParticleNoEnvelope = 4;    // this envelope and above leave alpha alone

// The alpha of envelope 0-3 at t in [0, 1] (alpha as it stands for the others); fadingOut
// (when not null) tells whether t lies in the envelope's fade-out part.
float ParticleEnvelope(uint32_t envelope, float t, float alpha, bool* fadingOut = nullptr);

class CParticule : public CManagedObject {
public:
    CParticule(WorldData* pWorldData, CParticulesBase* pManager, uint32_t kind);

    using CManagedObject::Update;
    // One step of `step` seconds; true when the particle is finished.
    virtual bool Update(float step) { return true; }
    virtual uint32_t GetKind() const { return m_nKind; }
    virtual void SetPosition(const float* position);

    float GetLifeLeft() const { return m_fLifeLeft; }
    float GetLifetime() const { return m_fLifetime; }
    const C3DVector3& GetPosition() const { return m_position; }
    uint32_t GetColor() const { return m_nColor; }
    uint32_t GetTextureIndex() const { return m_nTexture; }
    uint32_t GetGroup() const { return m_nGroup; }

protected:
    // The common arguments of the sprite kinds; a texture index of 4 or more or a group of 20
    // or more is refused (kStatusFailed).
    Status InitSprite(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope, float lifetime,
                      uint32_t color, const float* placement);
    // (lifetime - life left) / lifetime; 0 for a lifetime of 0 or below.
    float Progress() const;
    // The particle's group drawn through the manager's object, turned by angle and scaled by
    // scale, with the colour's alpha replaced by alpha (below 0 drawn as 0).
    void DrawSprite(float angle, float scale, float alpha);

    uint32_t m_nKind;
    CParticulesBase* m_pManager;
    uint32_t m_nTexture = 1;
    uint32_t m_nGroup = kParticleGroupCount;
    uint32_t m_nEnvelope = kParticleNoEnvelope;
    float m_fLifeLeft = 1.0f;
    float m_fLifetime = 1.0f;
    C3DVector3 m_position = {0.0f, 0.0f, 0.0f};
    uint32_t m_nColor = 0xFFFFFFFFu;
    const float* m_pPlacement = nullptr;  // the caller's 16 floats, or null
};

class CParticuleFirework : public CParticule {
public:
    CParticuleFirework(WorldData* pWorldData, CParticulesBase* pManager);
    Status Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope, float lifetime,
                uint32_t color, const float* placement);
    bool Update(float step) override;
    void Render() override;

    float GetAngle() const { return m_fAngle; }
    float GetAlpha() const { return m_fAlpha; }
    float GetScale() const { return m_fScale; }

private:
    float m_fAngle = 0.0f;
    float m_fAlpha = 0.0f;
    float m_fScale = 0.0f;
};

class CParticuleStar : public CParticule {
public:
    CParticuleStar(WorldData* pWorldData, CParticulesBase* pManager);
    Status Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope, float lifetime,
                uint32_t color, const float* placement);
    bool Update(float step) override;
    void Render() override;

    float GetStartAngle() const { return m_fStartAngle; }
    float GetAngle() const { return m_fAngle; }
    float GetAlpha() const { return m_fAlpha; }

private:
    float m_fStartAngle = 0.0f;
    float m_fAngle = 0.0f;
    float m_fAlpha = 0.0f;
};

class CParticulePulse : public CParticule {
public:
    CParticulePulse(WorldData* pWorldData, CParticulesBase* pManager);
    // Life left starts at 0, or with randomPhase somewhere in the lifetime, so that pulses
    // started together run out of step.
    Status Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope, float lifetime,
                uint8_t randomPhase, uint32_t color, const float* placement);
    // Starts over when its life runs out: never finished.
    bool Update(float step) override;
    void Render() override;

    float GetAlpha() const { return m_fAlpha; }

private:
    float m_fAlpha = 0.0f;
};

class CParticuleFallingStar : public CParticule {
public:
    CParticuleFallingStar(WorldData* pWorldData, CParticulesBase* pManager);
    Status Init(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                const C3DVector3& velocity, float acceleration, float lifetime, uint32_t color,
                const float* placement, uint8_t flicker);
    // Moves by the frame time in its 1/30-second units, not by the step.
    bool Update(float step) override;
    void Render() override;

    float GetAlpha() const { return m_fAlpha; }
    const C3DVector3& GetVelocity() const { return m_velocity; }

private:
    float m_fAngle = 0.0f;
    float m_fAlpha = 0.0f;
    uint8_t m_bFlicker = 1;
    C3DVector3 m_velocity = {0.0f, 0.0f, 0.0f};
    float m_fAcceleration = 0.0f;
};

class CParticuleText : public CParticule {
public:
    CParticuleText(WorldData* pWorldData, CParticulesBase* pManager);
    ~CParticuleText() override;
    // With copy the text is copied (and freed at unload); without, the caller's text is used
    // as it stands and must outlive the particle.
    Status Init(const C3DVector3& position, const char16_t* text, uint8_t copy, const C3DVector2& scale,
                uint16_t flags, float lifetime, uint32_t color);
    Status Unload() override;
    // Rises by one line (the vertical scale) over its life, fading in and out.
    bool Update(float step) override;
    // Through the manager's text callback; nothing without one.
    void Render() override;

    const char16_t* GetText() const { return m_pText; }
    bool OwnsText() const { return m_bOwnsText != 0; }
    const C3DVector3& GetDrawnPosition() const { return m_drawn; }

private:
    float m_scale[2] = {1.0f, 1.0f};
    uint16_t m_nFlags = 0;
    uint8_t m_bOwnsText = 0;
    const char16_t* m_pText = nullptr;
    C3DVector3 m_drawn = {0.0f, 0.0f, 0.0f};
};
