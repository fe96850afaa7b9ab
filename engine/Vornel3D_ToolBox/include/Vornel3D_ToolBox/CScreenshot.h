#pragma once
// The screenshot overlay: on request a copy of the frame in a texture, drawn over the scene
// and faded out frame by frame (the screen transitions let the old picture fade away). Four
// quads cover the display, one for each screen orientation, so that the copy shows upright
// and full size in every orientation.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;
class C3DTexture;

class CScreenshot : public CManagedObject {
public:
    explicit CScreenshot(WorldData* pWorldData);
    ~CScreenshot() override;

    // Releases the object and the texture. 0.
    Status Unload() override;
    // A black texture of the window's size (each side raised to a power of two on the
    // renderers that need it) and the quads that show it. kStatusFailed when the texture
    // cannot be made, kStatusOutOfMemory without memory for its picture.
    Status Load() override;
    // Fades by the frame time and the fade speed.
    void Update() override;
    void Render() override;

    // Keeps the resource mode word, reads the fade speed ("TEXTURES",
    // "SCREENSHOT_FADE_RATIO_SPEED", 0.075 a thirtieth of a second), makes the texture and
    // the object, then Load. kStatusFailed when any of it fails.
    virtual Status LoadParameters(uint32_t resourceMode);

    // Shows the frame fully: while a frame is drawn, what it holds so far; between frames (as a
    // game state changes in the update), the frame last presented, which the renderer keeps in
    // a second texture at each swap. The texture is rebuilt first when the window changed
    // size. The rectangle is the whole window on this renderer.
    void Capture(int32_t x, int32_t y, int32_t width, int32_t height);
    void ResetFade() { m_fFadeRatio = 1.0f; }
    // The copy is gone at once, as if it had faded out.
    void ClearFade() { m_fFadeRatio = 0.0f; }
    // The copy drawn with this alpha by the quad of the view's orientation.
    void DrawWithAlpha(uint8_t alpha);

    float GetFadeRatio() const { return m_fFadeRatio; }
    float GetFadeSpeed() const { return m_fFadeSpeed; }
    C3DTexture* GetTexture() const { return m_pTexture; }
    C3DObject* GetObject() const { return m_pObject; }
    uint16_t GetCapturedWidth() const { return m_nCapturedWidth; }
    uint16_t GetCapturedHeight() const { return m_nCapturedHeight; }

private:
    // True when the selected renderer demands power-of-two textures for a frame copy.
    bool RoundsToPowerOfTwo() const;
    void FillQuads(uint32_t textureWidth, uint32_t textureHeight);

    uint32_t m_nResourceMode = 0;
    uint16_t m_nCapturedWidth = 0;
    uint16_t m_nCapturedHeight = 0;
    float m_fFadeRatio = 0.0f;
    float m_fFadeSpeed = 0.075f;
    C3DObject* m_pObject = nullptr;
    C3DTexture* m_pTexture = nullptr;
    // Receives every presented frame; exchanged with the shown texture by a capture between
    // frames. m_nShownFrame: the presented frame the shown texture holds (~0: another one).
    C3DTexture* m_pPresentedFrame = nullptr;
    uint32_t m_nShownFrame = ~0u;
};
