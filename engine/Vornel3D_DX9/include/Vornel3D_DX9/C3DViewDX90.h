#pragma once
// The Direct3D 9 view: the base view computes the matrices into the world data record; this
// one hands them to the device (and to the engine's shader matrices), sets the viewport, the
// scissor rectangle and the display gamma ramp.
#include <d3d9.h>

#include "Vornel3D/C3DView.h"

class C3DViewDX90 : public C3DView {
public:
    explicit C3DViewDX90(WorldData* pWorldData);
    ~C3DViewDX90() override;

    Status Init() override;    // 0
    Status Release() override; // 0
    // The world's perspective projection and view into the device and the engine.
    Status ApplyPerspective() override;
    // The world's screen projection and screen view the same way.
    Status ApplyScreenProjection() override;
    // A ramp per channel from the world's brightness and channel level: 128 nearly straight,
    // lower darker, higher brighter. 0.
    Status SetGammaRamp() override;
    // Depth range from the world's near and far camera distances when they lie within 0..1,
    // else the whole range 0..1. 0.
    Status SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    Status DisableScissor() override;
    // The rectangle (x, y)-(x + width, y + height), counted from the top of the display.
    Status SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) override;

    const D3DGAMMARAMP& GetRamp() const { return m_ramp; }
    // The ramp of one channel level.
    static void BuildRamp(int32_t level, WORD out[256]);

private:
    Status Apply(const float* projection, const float* view);

    D3DGAMMARAMP m_ramp = {};
};
