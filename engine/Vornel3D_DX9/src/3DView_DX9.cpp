#include "Vornel3D_DX9/C3DViewDX90.h"

#include <cmath>

#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/WorldData.h"

C3DViewDX90::C3DViewDX90(WorldData* pWorldData) : C3DView(pWorldData) {}

C3DViewDX90::~C3DViewDX90() = default;

Status C3DViewDX90::Init()
{
    return kStatusOk;
}

Status C3DViewDX90::Release()
{
    return kStatusOk;
}

Status C3DViewDX90::Apply(const float* projection, const float* view)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(projection));
    device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(view));
    if (auto* engine = dynamic_cast<C3DEngineDX90*>(m_pWorldData->p3DEngine)) {
        engine->SetProjectionMatrix(projection);
        engine->SetViewMatrix(view);
    }
    return kStatusOk;
}

Status C3DViewDX90::ApplyPerspective()
{
    return m_pWorldData ? Apply(m_pWorldData->matrix1, m_pWorldData->matrixCamera) : kStatusFailed;
}

Status C3DViewDX90::ApplyScreenProjection()
{
    return m_pWorldData ? Apply(m_pWorldData->matrix2, m_pWorldData->matrix5) : kStatusFailed;
}

void C3DViewDX90::BuildRamp(int32_t level, WORD out[256])
{
    const double l = std::log(0.5);
    if (level <= 0) {
        // ln of a level of 0 or below has no value: the channel goes black.
        for (int i = 0; i < 256; ++i)
            out[i] = 0;
        out[255] = 65535;
        return;
    }
    const double exponent = std::log(double(level) / 255.0) / l;
    for (int i = 0; i < 256; ++i) {
        const double v = 65535.0 * std::pow(double(i) / 255.0, exponent);
        out[i] = WORD(v < 0.0 ? 0.0 : v > 65535.0 ? 65535.0 : v);
    }
}

Status C3DViewDX90::SetGammaRamp()
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    const WorldData& w = *m_pWorldData;
    BuildRamp(w.gammaInitial + w.gammaRed, m_ramp.red);
    BuildRamp(w.gammaInitial + w.gammaGreen, m_ramp.green);
    BuildRamp(w.gammaInitial + w.gammaBlue, m_ramp.blue);
    device->SetGammaRamp(0, D3DSGR_NO_CALIBRATION, &m_ramp);
    return kStatusOk;
}

Status C3DViewDX90::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    D3DVIEWPORT9 viewport;
    viewport.X = DWORD(x);
    viewport.Y = DWORD(y);
    viewport.Width = DWORD(width);
    viewport.Height = DWORD(height);
    // The device's depth range lies within 0..1: the camera's distances (1 and 20000 by
    // default) would squeeze every depth onto 1, and the depth test would order nothing.
    const float nearZ = m_pWorldData->nearDistance, farZ = m_pWorldData->farDistance;
    const bool inRange = nearZ >= 0.0f && nearZ <= farZ && farZ <= 1.0f;
    viewport.MinZ = inRange ? nearZ : 0.0f;
    viewport.MaxZ = inRange ? farZ : 1.0f;
    device->SetViewport(&viewport);
    return kStatusOk;
}

Status C3DViewDX90::DisableScissor()
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    return kStatusOk;
}

Status C3DViewDX90::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height)
{
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    // The rectangle is in virtual units, the scissor in the window's pixels.
    const float sx = m_pWorldData->scaleX, sy = m_pWorldData->scaleY;
    const RECT rect = {LONG(std::lround(x * sx)), LONG(std::lround(y * sy)), LONG(std::lround((x + width) * sx)),
                       LONG(std::lround((y + height) * sy))};
    device->SetScissorRect(&rect);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    return kStatusOk;
}
