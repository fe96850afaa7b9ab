// The Direct3D 9 engine: device creation, display set-up, device loss and the scene.
#include "Vornel3D_DX9/C3DEngineDX90.h"

#include <cstring>
#include <new>

#include <d3dx9math.h>

#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_DX9/C3DViewDX90.h"
#include "VornelPlatform/PlatformNative.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kBehaviourHardware = D3DCREATE_HARDWARE_VERTEXPROCESSING;
constexpr uint32_t kBehaviourMixed = D3DCREATE_MIXED_VERTEXPROCESSING;
constexpr uint32_t kBehaviourSoftware = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
// Waits for a device that cannot be reset yet, and how many before Reset is tried again.
constexpr DWORD kLostWaitMs = 100;
constexpr int kResetWaits = 10;

HWND WindowHandle(void* pWindow)
{
    return static_cast<HWND>(Platform_GetNativeWindow(static_cast<PlatformWindow*>(pWindow)));
}

}  // namespace

bool C3DEngineDX90::CreateDeviceByAttempts(const DeviceAttempt& attempt, uint32_t defaultBehaviour, uint8_t* reference,
                                           uint32_t* behaviour)
{
    const uint32_t behaviours[4] = {defaultBehaviour, kBehaviourHardware, kBehaviourMixed, kBehaviourSoftware};
    for (uint8_t ref = 0; ref < 2; ++ref) {
        const D3DDEVTYPE type = ref ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
        for (uint32_t b : behaviours) {
            if (attempt(type, b)) {
                *reference = ref;
                *behaviour = b;
                return true;
            }
        }
    }
    return false;
}

uint32_t C3DEngineDX90::DescribeDevice(uint32_t behaviour, uint8_t reference)
{
    uint32_t word = kDX9SoftwareVertexProcessing;
    if (behaviour & kBehaviourHardware)
        word = kDX9HardwareVertexProcessing;
    else if (behaviour & kBehaviourMixed)
        word = kDX9MixedVertexProcessing;
    return word | (reference ? kDX9DeviceReference : kDX9DeviceHAL);
}

void C3DEngineDX90::FillPresentation(D3DPRESENT_PARAMETERS* pp, HWND window, uint16_t width, uint16_t height,
                                     uint8_t fullscreen, uint8_t colorDepth, uint8_t verticalSync,
                                     uint32_t windowedFormat)
{
    std::memset(pp, 0, sizeof *pp);
    pp->BackBufferWidth = width;
    pp->BackBufferHeight = height;
    if (fullscreen)
        pp->BackBufferFormat = colorDepth == 32 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    else
        pp->BackBufferFormat = D3DFORMAT(windowedFormat);
    pp->BackBufferCount = 1;
    pp->MultiSampleType = D3DMULTISAMPLE_NONE;
    pp->SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp->hDeviceWindow = window;
    pp->Windowed = fullscreen ? FALSE : TRUE;
    pp->EnableAutoDepthStencil = TRUE;
    pp->AutoDepthStencilFormat = D3DFMT_D24S8;
    pp->Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp->FullScreen_RefreshRateInHz = 0;
    pp->PresentationInterval = verticalSync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_DEFAULT;
}

C3DEngineDX90::C3DEngineDX90(WorldData* pWorldData)
    : C3DEngine(pWorldData), m_nBlendSource(D3DBLEND_SRCALPHA), m_nBlendDestination(D3DBLEND_INVSRCALPHA)
{
    std::memset(&m_block, 0, sizeof m_block);
    std::memset(m_lights, 0, sizeof m_lights);
    std::memset(m_fogCaps, 0, sizeof m_fogCaps);
    D3DXMatrixIdentity(&m_projection);
    D3DXMatrixIdentity(&m_view);
    D3DXMatrixIdentity(&m_world);
    D3DXMatrixIdentity(&m_worldViewProj);
    if (m_pWorldData)
        m_pWorldData->pRendererBlock = &m_block;
}

C3DEngineDX90::~C3DEngineDX90()
{
    if (m_pView) {
        m_pView->Release();
        delete m_pView;
        m_pView = nullptr;
    }
    ReleaseDevice();
    if (m_pWorldData && m_pWorldData->pRendererBlock == &m_block)
        m_pWorldData->pRendererBlock = nullptr;
}

void C3DEngineDX90::ReleaseDevice()
{
    // The shader stages hold references into the device: they go before it does.
    ReleaseShaderTextures();
    if (m_block.pD3D) {
        m_block.pD3D->Release();
        m_block.pD3D = nullptr;
    }
    if (m_block.pDevice) {
        const ULONG left = m_block.pDevice->Release();
        m_block.pDevice = nullptr;
        if (left != 0 && m_pWorldData)
            Log(m_pWorldData->logPath, 0, u"# C3DEngineDX90 detected memory leaks in DX90! (%u lost)\n", unsigned(left));
    }
}

Status C3DEngineDX90::Fail(Status status)
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = status;
    return status;
}

Status C3DEngineDX90::FailNoCompatibleDevice()
{
    WorldData& w = *m_pWorldData;
    const ModuleDescriptor* descriptor = w.selected[kModule3D].pDescriptor;
    UtilsString_Format(w.lastErrorText, kWorldTextSize, u"No compatible %s was found",
                       descriptor && descriptor->name ? descriptor->name : u"DirectX 9.0");
    Log(w.logPath, 0, u"# C3DEngineDX81::Load failed! %s\n", w.lastErrorText);
    return Fail(kStatusSystemCallFailed);
}

// ---- device -------------------------------------------------------------------------------

Status C3DEngineDX90::Load(void* pWindow)
{
    if (!m_pWorldData)
        return kStatusFailed;
    WorldData& w = *m_pWorldData;
    m_pWindow = pWindow;
    m_block.hWindow = pWindow ? WindowHandle(pWindow) : nullptr;
    if (!m_block.hWindow)
        return Fail(kStatusModuleMissing);
    if (m_block.pDevice || m_block.pD3D)
        ReleaseDevice();

    m_block.pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_block.pD3D)
        return FailNoCompatibleDevice();

    m_block.reference = 0;
    m_block.defaultBehaviour = kBehaviourHardware;
    FillPresentation(&m_block.presentation, m_block.hWindow, w.realWidth, w.realHeight, w.fullScreen, w.colorDepth,
                     w.verticalSync, m_block.windowedFormat);

    IDirect3D9* d3d = m_block.pD3D;
    const bool created = CreateDeviceByAttempts(
        [&](D3DDEVTYPE type, uint32_t behaviour) {
            // The runtime may rewrite the parameters it is given: the block keeps those asked for.
            D3DPRESENT_PARAMETERS pp = m_block.presentation;
            IDirect3DDevice9* device = nullptr;
            if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, type, m_block.hWindow, behaviour, &pp, &device)) || !device)
                return false;
            if (FAILED(device->TestCooperativeLevel())) {
                device->Release();
                return false;
            }
            m_block.pDevice = device;
            return true;
        },
        m_block.defaultBehaviour, &m_block.reference, &m_block.behaviour);
    if (!created)
        return Fail(kStatusSystemCallFailed);
    m_block.deviceDescription = DescribeDevice(m_block.behaviour, m_block.reference);
    m_block.deviceLost = 0;

    const HRESULT caps = m_block.pDevice->GetDeviceCaps(&m_block.caps);
    if (FAILED(caps))
        return Status(caps);
    ApplyDeviceDefaults();

    if (m_pView) {
        // A second Load replaces the view of the first.
        m_pView->Release();
        delete m_pView;
        m_pView = nullptr;
    }
    auto* view = new (std::nothrow) C3DViewDX90(m_pWorldData);
    if (!view)
        return Fail(kStatusOutOfMemory);
    m_pView = view;
    const Status init = view->Init();
    if (Failed(init))
        return init;

    w.maxTextureWidth = w.maxTextureWidthCopy = m_block.caps.MaxTextureWidth;
    w.maxTextureHeight = w.maxTextureHeightCopy = m_block.caps.MaxTextureHeight;
    return init;
}

Status C3DEngineDX90::Unload()
{
    if (Failed(C3DEngine::Unload()))
        return kStatusFailed;
    if (m_pView) {
        m_pView->Release();
        delete m_pView;
        m_pView = nullptr;
    }
    m_pVertexConstants = nullptr;
    m_pPixelConstants = nullptr;
    ReleaseDevice();
    return kStatusOk;
}

Status C3DEngineDX90::Init(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen, uint8_t colorDepth,
                           uint32_t extra)
{
    const Status stored = C3DEngine::SetDisplayMode(pWindow, width, height, fullscreen, colorDepth, extra);
    if (Failed(stored))
        return stored;
    return C3DEngine::Init(pWindow, width, height, fullscreen, colorDepth, extra);
}

Status C3DEngineDX90::Invalidate(uint32_t value)
{
    return Failed(C3DEngine::Invalidate(value)) ? kStatusFailed : kStatusOk;
}

Status C3DEngineDX90::SetDisplayMode(void* pWindow, uint16_t width, uint16_t height, uint8_t fullscreen,
                                     uint8_t colorDepth, uint32_t extra)
{
    if (Failed(C3DEngine::SetDisplayMode(pWindow, width, height, fullscreen, colorDepth, extra)))
        return kStatusFailed;
    const HWND window = pWindow ? WindowHandle(pWindow) : nullptr;
    if (!window)
        return Fail(kStatusModuleMissing);
    m_pWindow = pWindow;
    m_block.hWindow = window;
    IDirect3DDevice9* device = m_block.pDevice;
    if (!device)
        return Fail(kStatusSystemCallFailed);

    FillPresentation(&m_block.presentation, window, width, height, fullscreen, colorDepth,
                     m_pWorldData->verticalSync, m_block.windowedFormat);
    D3DPRESENT_PARAMETERS pp = m_block.presentation;
    if (FAILED(device->Reset(&pp))) {
        for (int i = 0; i < kResetWaits; ++i) {
            if (device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET)
                break;
            Sleep(kLostWaitMs);
        }
        pp = m_block.presentation;
        if (FAILED(device->Reset(&pp))) {
            m_block.deviceLost = 1;
            return Fail(kStatusSystemCallFailed);
        }
    }
    m_block.deviceLost = 0;
    ApplyDeviceDefaults();
    return kStatusOk;
}

void C3DEngineDX90::ApplyDeviceDefaults()
{
    // A new or reset device lights every vertex, which paints the vertices of objects without
    // normals or lights black: lighting stays off unless an object's own states turn it on, as
    // on the other renderer.
    m_block.pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
}

// ---- device loss ------------------------------------------------------------------------

Status C3DEngineDX90::HandleDeviceError(HRESULT result)
{
    if (result == D3DERR_DEVICELOST) {
        m_block.deviceLost = 1;
        Sleep(kLostWaitMs);
        return kStatusOk;
    }
    if (result == D3DERR_DEVICENOTRESET) {
        m_block.deviceLost = 1;
        if (Failed(Invalidate(1)))
            return kStatusFailed;
        const WorldData& w = *m_pWorldData;
        return Failed(Init(m_pWindow, w.virtualWidth, w.virtualHeight, w.fullScreen, w.colorDepth, 1)) ? kStatusFailed
                                                                                                     : kStatusOk;
    }
    return kStatusFailed;
}

// ---- the scene ------------------------------------------------------------------------------

Status C3DEngineDX90::BeginScene()
{
    IDirect3DDevice9* device = m_block.pDevice;
    if (!m_pWorldData || !device)
        return kStatusFailed;
    const HRESULT cooperative = device->TestCooperativeLevel();
    if (FAILED(cooperative)) {
        HandleDeviceError(cooperative);
        return kStatusFailed;
    }
    m_block.deviceLost = 0;
    Clear();
    if (FAILED(device->BeginScene()))
        return kStatusFailed;
    m_bInScene = true;
    SetFog();
    SetLights(-1);
    if (m_pView)
        m_pView->ApplyPerspective();
    return kStatusOk;
}

Status C3DEngineDX90::EndScene()
{
    IDirect3DDevice9* device = m_block.pDevice;
    if (!device)
        return kStatusFailed;
    if (m_bInScene)
        device->EndScene();
    m_bInScene = false;
    // The back buffer is discarded by Present: the frame is kept first.
    if (m_pPresentedFrameCopy && !m_block.deviceLost)
        m_pPresentedFrameCopy->CopyFromScreen(1, 1, 0, 0);
    const HRESULT presented = device->Present(nullptr, nullptr, nullptr, nullptr);
    if (FAILED(presented)) {
        HandleDeviceError(presented);
        return kStatusFailed;
    }
    ++m_nPresentedFrames;
    return kStatusOk;
}

Status C3DEngineDX90::Clear()
{
    return ClearBuffers(1, 1, 1);
}

Status C3DEngineDX90::ClearBuffers(uint8_t color, uint8_t depth, uint8_t stencil)
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    DWORD flags = 0;
    // A write mask left off by a draw pass must not keep the old frame, depth or stencil.
    if (color) {
        device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        flags |= D3DCLEAR_TARGET;
    }
    if (depth) {
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        flags |= D3DCLEAR_ZBUFFER;
    }
    if (stencil) {
        device->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
        flags |= D3DCLEAR_STENCIL;
    }
    if (flags && FAILED(device->Clear(0, nullptr, flags, m_pWorldData->colorClear, 1.0f, 0)))
        return kStatusFailed;
    return kStatusOk;
}

// ---- the shader path ----------------------------------------------------------------------

void C3DEngineDX90::SetProjectionMatrix(const float* m)
{
    m_projection = D3DXMATRIX(m);
    m_bMatricesChanged = true;
}

void C3DEngineDX90::SetViewMatrix(const float* m)
{
    m_view = D3DXMATRIX(m);
    m_bMatricesChanged = true;
}

void C3DEngineDX90::SetWorldMatrix(const float* m)
{
    m_world = D3DXMATRIX(m);
    m_bMatricesChanged = true;
}

const D3DXMATRIX& C3DEngineDX90::UpdateWorldViewProj()
{
    if (m_bMatricesChanged && m_pVertexConstants) {
        D3DXMATRIX worldView;
        D3DXMatrixMultiply(&worldView, &m_world, &m_view);
        D3DXMatrixMultiply(&m_worldViewProj, &worldView, &m_projection);
        if (m_block.pDevice)
            m_pVertexConstants->SetMatrix(m_block.pDevice, "WorldViewProj", &m_worldViewProj);
    }
    m_bMatricesChanged = false;
    return m_worldViewProj;
}

void C3DEngineDX90::SetShaderTexture(uint32_t stage, IDirect3DBaseTexture9* pTexture)
{
    if (stage >= 4) {
        if (pTexture)
            pTexture->Release();
        return;
    }
    // Each object's state block unbinds the stages, which frees a texture whose owner has let it
    // go: the stage keeps its own reference so that the rebind never sets a texture freed.
    if (m_pShaderTextures[stage])
        m_pShaderTextures[stage]->Release();
    m_pShaderTextures[stage] = pTexture;
}

void C3DEngineDX90::ReleaseShaderTextures()
{
    for (uint32_t stage = 0; stage < 4; ++stage)
        SetShaderTexture(stage, nullptr);
}

IDirect3DBaseTexture9* C3DEngineDX90::GetShaderTexture(uint32_t stage) const
{
    return stage < 4 ? m_pShaderTextures[stage] : nullptr;
}

void C3DEngineDX90::RebindShaderTextures()
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device)
        return;
    for (DWORD stage = 0; stage < 4; ++stage)
        if (m_pShaderTextures[stage])
            device->SetTexture(stage, m_pShaderTextures[stage]);
}
