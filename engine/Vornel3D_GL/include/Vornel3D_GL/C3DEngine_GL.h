#pragma once
// The OpenGL renderer: the C3DEngine that the "GL" module creates. It owns the GL context of
// the main window (made through the platform layer) and the context record that every OpenGL
// resource class reads through the world data record; it maps the engine's render-state
// operations onto the fixed-function pipeline and creates the OpenGL kind of every resource.
//
// Lifecycle: constructed by the module's create function; Load(window) once (display mode,
// context, GLEW, feature switches, view, fixed state); frames between BeginScene and
// EndScene; Invalidate and Init around display changes; Unload at the end.
#include <cstdint>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D_GL/GLContext_GL.h"

class C3DEngine_GL : public C3DEngine {
public:
    // Mode codes of SetSrcBlend/SetDestBlend (0-12) and of SetDepthFunc/SetAlphaFunc (0-7).
    static constexpr uint32_t kBlendModeCount = 13;
    static constexpr uint32_t kCompareModeCount = 8;
    // The GL blend factor and compare function of a mode; a mode out of range gives the
    // value of mode 0.
    static uint32_t BlendFactor(uint32_t mode);
    static uint32_t CompareFunction(uint32_t mode);

    explicit C3DEngine_GL(WorldData* pWorldData);
    // Deletes the view when one is left.
    ~C3DEngine_GL() override;

    Status Load(void* pWindow) override;
    Status Unload() override;
    Status Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                uint32_t extra) override;
    Status Invalidate(uint32_t value) override;
    Status SetDisplayMode(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                          uint8_t colorDepth, uint32_t extra) override;

    Status SetLight(uint32_t index) override;
    Status SetPointSpriteParameters() override;
    Status SetFog() override;
    // The engine keeps the blend pair (source, destination): each call replaces one factor
    // and sends both.
    Status SetSrcBlend(uint32_t mode) override;
    Status SetDestBlend(uint32_t mode) override;
    Status SetDepthFunc(uint32_t mode) override;
    Status SetAlphaFunc(uint32_t mode, uint8_t reference) override;
    Status SetColorMask(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) override;
    Status BeginScene() override;
    Status EndScene() override;
    Status Clear() override;
    Status ClearBuffers(uint8_t color, uint8_t depth, uint8_t stencil) override;

    C3DObject* CreateObject(uint32_t flags, uint32_t second) override;
    Status ReleaseObject(C3DObject* pObject) override;
    C3DObjectIndex* CreateObjectIndex(uint32_t count, uint32_t kind) override;
    Status ReleaseObjectIndex(C3DObjectIndex* pIndex) override;
    C3DTexture* CreateTexture(uint32_t flags, uint32_t second) override;
    Status ReleaseTexture(C3DTexture* pTexture, uint8_t direct) override;
    C3DShader* CreateShader(uint32_t flags, uint32_t second) override;
    Status ReleaseShader(C3DShader* pShader) override;
    C3DStencilShadow* CreateStencilShadow(uint32_t count, uint32_t color) override;
    Status ReleaseStencilShadow(C3DStencilShadow* pShadow) override;
    Status IsStencilSupported() override; // always 0
    Status IsShaderSupported() override;  // 0 with the shader switch

    const C3DGLContext& GetContext() const { return m_context; }
    uint32_t GetBlendSource() const { return m_nBlendSource; }
    uint32_t GetBlendDestination() const { return m_nBlendDestination; }

private:
    // "No compatible %s was found" with the renderer's name, logged and latched: 0x80000007.
    Status FailNoCompatibleDevice();
    void ApplyFixedState();

    C3DGLContext m_context;
    uint32_t m_nBlendSource;
    uint32_t m_nBlendDestination;
};
