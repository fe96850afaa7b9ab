#pragma once
// The game's particles: the engine's particle manager with the explosions, pulses and stars
// that scene objects start on their elements, score pop-ups ("+5" in green, "-3" in red), and
// emitters that circle a point for some seconds (the hint). Created by the world load, stepped
// in the world update and drawn in two layers: pulses behind the scene, the rest in front.
// Level release and activation remove everything; a saved game keeps none of it.
#include <cstdint>

#include "Vornel3D_ToolBox/CParticulesBase.h"
#include "VornelUtils/FIFOList.h"

class UtilsStream_Chunk;
class UtilsStream_ChunkList;

// The enable mask the world gives the manager: stars, pulses, falling stars, texts and the
// extra texture; no fireworks.
constexpr uint32_t kParticulesEnableMask = 62;
// The draw layers: pulses behind the scene, every other kind in front of it.
constexpr uint32_t kParticulesBehind = kParticlePulse;
constexpr uint32_t kParticulesInFront = ~kParticlePulse;

// Section "PARTICULES", read after the base's own keys.
struct ParticulesExplosionSettings {
    uint8_t upMinCount = 30, upMaxCount = 60;
    float upMinGravity = 0.5f, upMaxGravity = 0.8f;
    float upMinVelocity = 5.0f, upMaxVelocity = 10.0f;
    uint8_t aroundMinCount = 15, aroundMaxCount = 30;
    float aroundMinVelocity = 3.0f, aroundMaxVelocity = 8.0f;
};

// A point circled for some seconds, two falling stars a tick on opposite sides.
struct ParticulesEmitter {
    float timer;
    float verticalSpeed;    // -200..-150
    float horizontalSpeed;  // 50..100 either way
    C3DVector3 centre;
    float radius;
    float angle;
    float remaining;        // frame units (seconds x 30)
    uint32_t counter;
    const float* pTransform;  // the caller's, or null
    uint32_t color;
};

class CParticules : public CParticulesBase {
public:
    explicit CParticules(WorldData* pWorldData) : CParticulesBase(pWorldData) {}
    ~CParticules() override;

    // The base's unload, then every emitter freed.
    Status Unload() override;
    // The base's step, then the emitters'.
    void Update() override;
    // The sprite shapes and textures, then the explosion settings.
    Status LoadParameters(const ParticleSpriteRecord* records, uint32_t flagMask) override;
    void RemoveAll() override;
    void RemoveByKind(uint32_t mask) override;

    // Chunk 170000 is empty: saving writes nothing, loading clears particles and emitters.
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pStream);
    Status LoadFromStream(UtilsStream_Chunk* pStream);

    // Falling stars thrown upwards, or all around, from the point: random frames from `frame`
    // to the last of its four, random speeds and gravities by the settings, each living a
    // random half to whole of the seconds.
    void AddExplosionUp(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                        float seconds, uint32_t color, const float* placement);
    void AddExplosionAround(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                            float seconds, uint32_t color, const float* placement);
    // A looping pulse (always white), a turning star and a firework.
    CParticule* AddPulse(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                         float seconds, uint8_t randomPhase, uint32_t color, const float* placement);
    CParticule* AddStar(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                        float seconds, uint32_t color, const float* placement);
    CParticule* AddFirework(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope,
                            float seconds, uint32_t color, const float* placement);
    // Circles the centre for the seconds, its stars living 0.6 to 1 second each;
    // kStatusOutOfMemory when it cannot be kept.
    Status AddEmitter(const C3DVector3& centre, const float* transform, float seconds, uint32_t color);
    // "%+d" of the value rising from the point for `seconds`: green at 0 or more, red below,
    // at the particle text size times the scales.
    CParticule* AddText(const C3DVector3& position, int32_t value, float scaleX, float scaleY, float seconds);

    bool HasNoEmitter() const { return m_emitters.IsEmpty(); }
    bool IsIdle() const { return HasNoEmitter() && GetParticleCount() == 0; }
    uint32_t GetEmitterCount() const { return m_emitters.GetCount(); }
    const ParticulesExplosionSettings& GetExplosionSettings() const { return m_explosion; }

private:
    void AddExplosion(const C3DVector3& position, uint32_t texture, uint32_t frame, uint32_t envelope, float seconds,
                      uint32_t color, const float* placement, bool up);
    void StepEmitters();
    void FreeEmitters();
    // A uniform draw in [minimum, maximum) from the world's generator.
    float Uniform(float minimum, float maximum);

    ParticulesExplosionSettings m_explosion;
    CFIFOList m_emitters;  // ParticulesEmitter, owned
};
