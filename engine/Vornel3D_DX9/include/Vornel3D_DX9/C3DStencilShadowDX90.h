#pragma once
// The Direct3D 9 stencil shadow: each caster's volume counted into the stencil buffer (z-pass:
// faces seen from the front count up, faces seen from behind count down), then one quad over
// the whole screen multiplies every pixel whose count is not zero by the shadow colour (red,
// green and blue; its alpha is not used). With the world's show-construct switch the volumes
// are drawn over the scene as white lines.
#include <cstdint>

#include <d3d9.h>

#include "Vornel3D/C3DStencilShadow.h"

// The darkening quad's vertex: pretransformed position and a colour.
constexpr uint32_t kDX9ShadowQuadFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
struct C3DShadowQuadVertexDX90 {
    float x, y, z, rhw;
    uint32_t color;
};

class C3DStencilShadowDX90 : public C3DStencilShadow {
public:
    explicit C3DStencilShadowDX90(WorldData* pWorldData);
    // Releases the quad buffer.
    ~C3DStencilShadowDX90() override;

    // The base's casters, then the quad over the world's display size in a managed buffer
    // (kept across device resets). 0 or 0x80000001.
    Status Create(uint32_t count, uint32_t color) override;
    // The quad buffer, then the casters' arrays. 0 or 0x80000001.
    Status Release() override;
    // Caster i's passes; nothing when i is out of range, its side walls are empty or the
    // device is lost. The stencil buffer is cleared for each caster.
    void Draw(uint32_t i) override;

    IDirect3DVertexBuffer9* GetQuadBuffer() const { return m_pQuad; }

private:
    void ReleaseQuad();

    IDirect3DVertexBuffer9* m_pQuad = nullptr;
};
