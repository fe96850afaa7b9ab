#pragma once
// The OpenGL view: the base view computes the matrices into the world data record; this one
// hands them, the viewport and the scissor box to the pipeline.
#include "Vornel3D/C3DView.h"

class C3DView_GL : public C3DView {
public:
    explicit C3DView_GL(WorldData* pWorldData);
    ~C3DView_GL() override;

    Status Init() override;                  // 0
    Status Release() override;               // 0
    Status ApplyPerspective() override;      // the world's perspective matrix into GL_PROJECTION
    Status ApplyScreenProjection() override; // the world's screen matrix into GL_PROJECTION
    // The display gamma ramp is separate: no correction of the view's own. 0.
    Status SetGammaRamp() override;
    Status SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    Status DisableScissor() override;
    // The box is given from the top of the display; GL counts rows from the bottom.
    Status SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) override;
};
