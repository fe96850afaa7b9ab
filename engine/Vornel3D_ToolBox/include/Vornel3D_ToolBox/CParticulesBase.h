#pragma once
// The particle manager: one screen object of the 3D engine with twenty sprite shapes, up to
// four sprite textures (section "PARTICULES" of the application settings), and the live
// particles in order of addition. It adds particles of five kinds, steps them every frame in
// seconds, draws them all or by kind and removes them when they finish. The game's particles
// manager derives from it, adds its emitters and draws text particles with a font through
// the text callback.
//
// Life: construct -> LoadParameters -> each frame Update and Render / RenderAll, particles
// added and removed at any time -> Unload -> delete.
#include <cstdint>

#include "Vornel3D_ToolBox/CParticule.h"
#include "VornelUtils/FIFOList.h"

class C3DObject;
class C3DTexture;

// One sprite shape: a square of side `size` centred on the origin, showing a region of its
// texture (0 whole, 1-4 the top-left, top-right, bottom-left and bottom-right quarters; any
// other value leaves the shape's vertices unwritten). The third word is the caller's.
struct ParticleSpriteRecord {
    float size;
    uint32_t region;
    uint32_t reserved;
};

// Draws a text particle: position (three floats), colour (ARGB), scale (two floats), text
// flags, text, and the manager's text context (wide enough to carry the drawer's pointer).
using ParticleTextCallback = void (*)(const float* position, uint32_t color, const float* scale, uint16_t flags,
                                      const char16_t* text, uintptr_t context);

class CParticulesBase : public CManagedObject {
public:
    explicit CParticulesBase(WorldData* pWorldData);
    // Particles still listed (a manager never unloaded) are deleted with it.
    ~CParticulesBase() override;

    // Every particle, the object and the textures released. 0.
    Status Unload() override;
    // Steps every particle by the frame time in seconds; finished ones go.
    void Update() override;
    void Render() override { RenderAll(); }
    void RenderAll();

    // Makes the object's twenty sprite shapes from 20 records, then loads the textures that
    // the enable mask asks for, from the managed world's source of textures loaded by name (a
    // world without the managed layer, as in the tools, reads loose files under the data
    // path); a texture's bit in flagMask (0x01, 0x02, 0x04, 0x20) adds texture flag 0x80.
    // kStatusFailed without an object, records or a texture (the textures loaded stay).
    virtual Status LoadParameters(const ParticleSpriteRecord* records, uint32_t flagMask);
    // Draws, in order of addition, the particles whose kind bits share a bit with the mask.
    void Render(uint32_t kindMask);

    void SetEnableMask(uint32_t mask) { m_nEnableMask = mask; }
    void SetTextCallback(ParticleTextCallback callback) { m_pfnText = callback; }
    void SetTextContext(uintptr_t context) { m_nTextContext = context; }

    // Each adds a particle of its kind when the kind is enabled, steps it once and lists it:
    // null when disabled, refused by Init, out of memory, or finished by that first step.
    CParticule* AddParticle1(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                             float lifetime, uint32_t color, const float* placement);
    CParticule* AddParticle2(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                             float lifetime, uint32_t color, const float* placement);
    CParticule* AddParticle3(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                             float lifetime, uint8_t randomPhase, uint32_t color, const float* placement);
    CParticule* AddParticle4(const C3DVector3& position, uint32_t texture, uint32_t group, uint32_t envelope,
                             const C3DVector3& velocity, float acceleration, float lifetime, uint32_t color,
                             const float* placement, uint8_t flicker);
    CParticule* AddParticle5(const C3DVector3& position, const char16_t* text, uint8_t copy, const C3DVector2& scale,
                             uint16_t flags, float lifetime, uint32_t color);

    void SetParticlePosition(CParticule* pParticle, const float* position);
    // Virtual: a derived manager clears what it adds along with the particles.
    virtual void RemoveAll();
    // Removes the particles whose kind bits all lie in the mask.
    virtual void RemoveByKind(uint32_t mask);
    // kStatusFailed, and the particle left alone, when it is not listed.
    Status RemoveParticle(CParticule* pParticle);

    // The frame time of the world (1/30-second units) in seconds.
    float GetStep() const;
    uint32_t GetEnableMask() const { return m_nEnableMask; }
    ParticleTextCallback GetTextCallback() const { return m_pfnText; }
    uintptr_t GetTextContext() const { return m_nTextContext; }
    C3DObject* GetObject() const { return m_pObject; }
    C3DTexture* GetTexture(uint32_t index) const { return index < kParticleTextureCount ? m_pTextures[index] : nullptr; }
    uint32_t GetParticleCount() const { return m_particles.GetCount(); }
    CFIFOList& GetParticles() { return m_particles; }

protected:
    // The new particle's first step and its place in the list; null when it did not make it.
    CParticule* Admit(CParticule* pParticle, Status initStatus);
    static void Drop(CParticule* pParticle);
    Status BuildSprites(const ParticleSpriteRecord* records);

    CFIFOList m_particles;  // CParticule, owned
    uint32_t m_nEnableMask = 0xFFFFFFFFu;
    C3DObject* m_pObject = nullptr;
    C3DTexture* m_pTextures[kParticleTextureCount] = {};
    ParticleTextCallback m_pfnText = nullptr;
    uintptr_t m_nTextContext = 0;
};
