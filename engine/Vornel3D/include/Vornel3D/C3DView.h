#pragma once
// The renderer-independent camera: builds the perspective, screen and view matrices in the
// world data record from the display settings and the screen orientation. A renderer's view
// derives from it and hands those matrices, the viewport and the scissor to the device
// (ApplyPerspective, ApplyScreenProjection, SetViewport, SetScissor, DisableScissor,
// SetGammaRamp); the base versions do nothing and answer 0.
//
// World data fields (WorldData.h):
//   matrix1              perspective projection (PerspectiveLH, turned by the orientation)
//   matrix2              screen projection (Ortho over the display, centred, turned)
//   matrixCameraInitial  the camera, as the game places it
//   matrixCamera         the view: the inverse of the camera (UpdateView / ResetView)
//   matrix5              the view used with the screen projection (identity)
//   virtualWidth/Height  the display size; realWidth/Height the window's client size
//   fieldOfView (degrees), nearDistance, farDistance, nearDistanceScreen, farDistanceScreen
//   aspectRatio          written by ComputeProjection
//
// Orientations: 1 upright, 2 upside down, 3 and 4 a quarter turn either way (display width
// and height exchanged once while in 3 or 4).
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class C3DMath;

class C3DView : public CBaseObject {
public:
    explicit C3DView(WorldData* pWorldData);
    ~C3DView() override;

    virtual Status Init();     // 0
    virtual Status Release();  // 0
    // View matrix := the camera matrix, inverted.
    virtual Status UpdateView();
    // Hand the perspective (or screen) matrices to the device: renderers.
    virtual Status ApplyPerspective();
    virtual Status ApplyScreenProjection();
    virtual Status SetGammaRamp();  // 0; renderers
    // Camera := identity, then UpdateView.
    virtual Status ResetView();
    // Aspect, perspective projection and screen projection from the display settings, then
    // ApplyPerspective.
    virtual Status ComputeProjection();
    // Stores the mode (1-4), exchanges the display width and height once for 3 and 4 (back for
    // 1 and 2), ComputeProjection, then the viewport over the display.
    virtual Status SetOrientation(uint32_t mode);
    // Stores the mode and its angle (0, pi, -pi/2, pi/2 for 1-4), exchanges the window width
    // and height once for 3 and 4 (back for 1 and 2), ComputeProjection; returns the angle.
    virtual float SetOrientationAngle(uint32_t mode);
    // The viewport over the window.
    virtual Status ApplyWindowViewport();
    virtual Status SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);  // 0; renderers
    virtual Status DisableScissor();                                                 // 0; renderers
    virtual Status SetScissor(int32_t x, int32_t y, int32_t width, int32_t height);  // 0; renderers

    uint32_t GetOrientation() const { return m_nOrientation; }
    float GetOrientationAngle() const { return m_fOrientationAngle; }
    bool IsSwapped() const { return m_bSwapped; }

protected:
    // The maths object of the world, or a private one when the world has none.
    C3DMath& Maths() const;

    uint32_t m_nOrientation = 1;
    float m_fOrientationAngle = 0.0f;
    bool m_bSwapped = false;
};
