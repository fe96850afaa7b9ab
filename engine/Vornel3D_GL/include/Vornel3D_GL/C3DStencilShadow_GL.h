#pragma once
// The OpenGL stencil shadow: each caster's volume counted into the stencil buffer (z-pass,
// front faces up, back faces down), then one quad over the whole screen darkens every pixel
// whose count is not zero, by the shadow colour's alpha (0xFF: not at all, 0: black). With the
// world's show-construct switch the volumes are drawn over the scene as white lines.
#include <cstdint>

#include "Vornel3D/C3DStencilShadow.h"

class C3DStencilShadow_GL : public C3DStencilShadow {
public:
    explicit C3DStencilShadow_GL(WorldData* pWorldData);
    ~C3DStencilShadow_GL() override;

    Status Create(uint32_t count, uint32_t color) override;
    Status Release() override;
    // Caster i's passes; nothing when i is out of range or its side walls are empty. The
    // stencil buffer is cleared for each caster.
    void Draw(uint32_t i) override;
};
