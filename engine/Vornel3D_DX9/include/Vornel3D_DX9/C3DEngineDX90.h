#pragma once
// The Direct3D 9 renderer: the C3DEngine that the "DX9" module creates. It owns the Direct3D 9
// interface and device (in the renderer block that every Direct3D 9 resource reads through
// the world data record), builds the presentation parameters from the world data record,
// recovers from a lost device, maps the engine's render-state operations onto device render
// states, keeps the three matrices that the shader path needs and creates the Direct3D 9 kind
// of every resource.
//
// Lifecycle: constructed by the module's create function; Load(window) once (interface,
// device, capabilities, view); Init at each display set-up; frames between BeginScene and
// EndScene; on a lost device the frames are skipped until the device can be reset, then
// HandleDeviceError runs Invalidate (every object drops its state block), Init (the reset,
// every object records its state block again) and the viewport; Unload at the end.
#include <cstdint>
#include <functional>

#include <d3d9.h>
#include <d3dx9shader.h>

#include "Vornel3D/C3DEngine.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"

class C3DEngineDX90 : public C3DEngine {
public:
    // Mode codes of SetSrcBlend/SetDestBlend (0-12) and of SetDepthFunc/SetAlphaFunc (0-7).
    static constexpr uint32_t kBlendModeCount = 13;
    static constexpr uint32_t kCompareModeCount = 8;
    // The D3DBLEND and D3DCMPFUNC of a mode; a mode out of range gives the value of mode 0.
    static uint32_t BlendFactor(uint32_t mode);
    static uint32_t CompareFunction(uint32_t mode);

    // Device creation: four attempts with the behaviour words (default, hardware, mixed,
    // software) on the HAL device, then the same four on the reference rasterizer. `attempt`
    // creates a device and answers whether it exists and is usable. On success *reference and
    // *behaviour tell which one it was.
    using DeviceAttempt = std::function<bool(D3DDEVTYPE type, uint32_t behaviour)>;
    static bool CreateDeviceByAttempts(const DeviceAttempt& attempt, uint32_t defaultBehaviour, uint8_t* reference,
                                       uint32_t* behaviour);
    // The device description word of a behaviour word and device type.
    static uint32_t DescribeDevice(uint32_t behaviour, uint8_t reference);
    // Presentation parameters for a window of that back-buffer size: full screen at 32 bits
    // X8R8G8B8, at any other depth R5G6B5, windowed the given format; interval ONE with vertical
    // sync, else DEFAULT. Depth and stencil D24S8, lockable back buffer, one back buffer,
    // discarded at each present.
    static void FillPresentation(D3DPRESENT_PARAMETERS* pp, HWND window, uint16_t width, uint16_t height,
                                 uint8_t fullscreen, uint8_t colorDepth, uint8_t verticalSync,
                                 uint32_t windowedFormat);

    explicit C3DEngineDX90(WorldData* pWorldData);
    // Releases what Unload did not: the view, the device and the interface.
    ~C3DEngineDX90() override;

    // Interface, device (with the fall-backs above), capabilities, view, texture limits.
    Status Load(void* pWindow) override;
    // The lists (base), the view, the shader stages' textures, the interface, then the device;
    // a device still referenced logs
    // "# C3DEngineDX90 detected memory leaks in DX90! (%u lost)\n". 0.
    Status Unload() override;
    // SetDisplayMode (the base's, then this one's through the base Init), every object's state
    // block recorded again, the viewport.
    Status Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                uint32_t extra) override;
    Status Invalidate(uint32_t value) override;
    // New presentation parameters and a device Reset (retried once after waiting for the
    // device to become resettable); a second failure: 0x80000007.
    Status SetDisplayMode(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                          uint8_t colorDepth, uint32_t extra) override;

    Status SetLight(uint32_t index) override;
    Status SetPointSpriteParameters() override; // 0
    Status SetFog() override;
    // Each replaces one factor of the blend pair; the device keeps the other.
    Status SetSrcBlend(uint32_t mode) override;
    Status SetDestBlend(uint32_t mode) override;
    Status SetDepthFunc(uint32_t mode) override;
    Status SetAlphaFunc(uint32_t mode, uint8_t reference) override;
    Status SetColorMask(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) override;
    // A lost device: the frame is skipped (recovering when the device can be reset) and
    // 0x80000001 is returned. Else the clear, the device's BeginScene, fog, lights, perspective.
    Status BeginScene() override;
    // EndScene and Present; a failed Present goes to HandleDeviceError: 0x80000001.
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
    // 0 when the stencil capabilities hold KEEP, ZERO, REPLACE, DECRSAT, INVERT, INCR, DECR.
    Status IsStencilSupported() override;
    // 0 with vertex and pixel shaders of version 2.0 or above.
    Status IsShaderSupported() override;

    // ---- device loss --------------------------------------------------------------------
    // D3DERR_DEVICELOST: waits a little and answers 0 (the frame is skipped);
    // D3DERR_DEVICENOTRESET: Invalidate(1), then Init with the world's display values; 0 when
    // the device is back. Anything else: 0x80000001.
    Status HandleDeviceError(HRESULT result);

    // ---- the shader path ----------------------------------------------------------------
    void SetProjectionMatrix(const float* m);
    void SetViewMatrix(const float* m);
    void SetWorldMatrix(const float* m);
    // With a changed matrix and a current vertex-shader constant table: world x view x
    // projection into "WorldViewProj". Returns the last product.
    const D3DXMATRIX& UpdateWorldViewProj();
    // The textures that the current shader's Begin found on stages 0-3 (held by the engine),
    // set again.
    void RebindShaderTextures();

    ID3DXConstantTable* GetVertexConstantTable() const { return m_pVertexConstants; }
    ID3DXConstantTable* GetPixelConstantTable() const { return m_pPixelConstants; }
    void SetVertexConstantTable(ID3DXConstantTable* pTable) { m_pVertexConstants = pTable; }
    void SetPixelConstantTable(ID3DXConstantTable* pTable) { m_pPixelConstants = pTable; }
    // Stage 0-3: the stage takes over the caller's reference to the texture and releases the one
    // it held. A stage out of range releases the texture given and keeps nothing (null).
    void SetShaderTexture(uint32_t stage, IDirect3DBaseTexture9* pTexture);
    // Releases the textures of stages 0-3 (the shader's End, the device's release).
    void ReleaseShaderTextures();
    IDirect3DBaseTexture9* GetShaderTexture(uint32_t stage) const;

    const C3DRendererBlockDX90& GetBlock() const { return m_block; }
    IDirect3DDevice9* GetDevice() const { return m_block.pDevice; }
    const D3DLIGHT9& GetDeviceLight(uint32_t index) const { return m_lights[index < 2 ? index : 0]; }
    // Table fog usable, vertex fog, W fog, Z fog, as the last SetFog found them.
    const uint8_t* GetFogCaps() const { return m_fogCaps; }
    // The engine's own (source, destination) blend pair, as the last SetSrcBlend and
    // SetDestBlend left it.
    uint32_t GetBlendSource() const { return m_nBlendSource; }
    uint32_t GetBlendDestination() const { return m_nBlendDestination; }

private:
    // "No compatible %s was found" with the renderer's name, logged and latched: 0x80000007.
    Status FailNoCompatibleDevice();
    Status Fail(Status status);
    void ReleaseDevice();
    // The device states every draw relies on, after creation and after each reset.
    void ApplyDeviceDefaults();

    void* m_pWindow = nullptr; // the platform window of the device
    C3DRendererBlockDX90 m_block;
    D3DLIGHT9 m_lights[2];
    uint8_t m_fogCaps[4];
    D3DXMATRIX m_projection;
    D3DXMATRIX m_view;
    D3DXMATRIX m_world;
    D3DXMATRIX m_worldViewProj;
    bool m_bMatricesChanged = false;
    ID3DXConstantTable* m_pVertexConstants = nullptr;
    ID3DXConstantTable* m_pPixelConstants = nullptr;
    IDirect3DBaseTexture9* m_pShaderTextures[4] = {};
    uint32_t m_nBlendSource;
    uint32_t m_nBlendDestination;
};
