// The Direct3D 9 engine's render states: lights, fog, blending, compare functions, masks.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "Vornel3D/C3DMath.h"
#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "VornelUtils/WorldData.h"

namespace {

// Index: the engine's mode code. Modes 1 and 2 both give ZERO.
const D3DBLEND kBlendFactors[C3DEngineDX90::kBlendModeCount] = {
    D3DBLEND_ONE,         D3DBLEND_ZERO,         D3DBLEND_ZERO,         D3DBLEND_ONE,
    D3DBLEND_SRCCOLOR,    D3DBLEND_SRCALPHA,     D3DBLEND_DESTCOLOR,    D3DBLEND_DESTALPHA,
    D3DBLEND_INVSRCCOLOR, D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCALPHA,  D3DBLEND_INVDESTALPHA,
    D3DBLEND_SRCALPHASAT,
};

const D3DCMPFUNC kCompareFunctions[C3DEngineDX90::kCompareModeCount] = {
    D3DCMP_NEVER,   D3DCMP_LESS,     D3DCMP_EQUAL,        D3DCMP_LESSEQUAL,
    D3DCMP_GREATER, D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS,
};

DWORD FloatBits(float f)
{
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace

uint32_t C3DEngineDX90::BlendFactor(uint32_t mode)
{
    return kBlendFactors[mode < kBlendModeCount ? mode : 0];
}

uint32_t C3DEngineDX90::CompareFunction(uint32_t mode)
{
    return kCompareFunctions[mode < kCompareModeCount ? mode : 0];
}

Status C3DEngineDX90::SetLight(uint32_t index)
{
    IDirect3DDevice9* device = m_block.pDevice;
    if (!m_pWorldData || !device || index > 1)
        return kStatusFailed;
    LightRecord& record = index == 0 ? m_pWorldData->light1 : m_pWorldData->light2;
    if (record.enabled.current) {
        D3DLIGHT9& light = m_lights[index];
        std::memset(&light, 0, sizeof light);
        light.Type = record.type != 0 ? D3DLIGHT_POINT : D3DLIGHT_DIRECTIONAL;
        light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = record.diffuse;
        light.Specular.r = light.Specular.g = light.Specular.b = record.specular;
        light.Ambient.r = light.Ambient.g = light.Ambient.b = record.ambient;
        light.Position = {record.x, record.y, record.z};
        if (record.type != 0) {
            record.directionX = record.directionY = record.directionZ = 0.0f;
        } else {
            C3DVector3 from{-record.x, -record.y, -record.z}, n = from;
            if (m_pWorldData->pMath)
                m_pWorldData->pMath->Vec3Normalize(&n, &from);
            record.directionX = n.x;
            record.directionY = n.y;
            record.directionZ = n.z;
        }
        light.Direction = {record.directionX, record.directionY, record.directionZ};
        light.Range = std::sqrt(FLT_MAX);
        light.Attenuation0 = 1.0f;
        device->SetLight(index, &light);
    }
    device->LightEnable(index, record.enabled.current ? TRUE : FALSE);
    return kStatusOk;
}

Status C3DEngineDX90::SetPointSpriteParameters()
{
    return kStatusOk;
}

Status C3DEngineDX90::SetFog()
{
    IDirect3DDevice9* device = m_block.pDevice;
    if (!m_pWorldData || !device)
        return kStatusFailed;
    const DWORD raster = m_block.caps.RasterCaps;
    const bool wFog = (raster & D3DPRASTERCAPS_WFOG) != 0;
    const bool zFog = (raster & D3DPRASTERCAPS_ZFOG) != 0;
    m_fogCaps[0] = uint8_t((raster & D3DPRASTERCAPS_FOGTABLE) && (wFog || zFog));
    m_fogCaps[1] = uint8_t((raster & D3DPRASTERCAPS_FOGVERTEX) != 0);
    m_fogCaps[2] = uint8_t(wFog);
    m_fogCaps[3] = uint8_t(zFog);

    FogRecord& fog = m_pWorldData->fog;
    if (fog.enabled.current && wFog) {
        device->SetRenderState(D3DRS_FOGCOLOR, fog.color);
        device->SetRenderState(D3DRS_FOGSTART, FloatBits(fog.start));
        device->SetRenderState(D3DRS_FOGEND, FloatBits(fog.end));
        device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(fog.density));
        fog.tableFog = m_fogCaps[0];
        if (m_fogCaps[0]) {
            device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
            device->SetRenderState(D3DRS_FOGTABLEMODE, fog.tableMode);
            return kStatusOk;
        }
    }
    fog.enabled.current = 0;
    fog.enabled.configured = 0;
    return kStatusOk;
}

Status C3DEngineDX90::SetSrcBlend(uint32_t mode)
{
    m_nBlendSource = BlendFactor(mode);
    if (m_block.pDevice)
        m_block.pDevice->SetRenderState(D3DRS_SRCBLEND, m_nBlendSource);
    return kStatusOk;
}

Status C3DEngineDX90::SetDestBlend(uint32_t mode)
{
    m_nBlendDestination = BlendFactor(mode);
    if (m_block.pDevice)
        m_block.pDevice->SetRenderState(D3DRS_DESTBLEND, m_nBlendDestination);
    return kStatusOk;
}

Status C3DEngineDX90::SetDepthFunc(uint32_t mode)
{
    if (m_block.pDevice)
        m_block.pDevice->SetRenderState(D3DRS_ZFUNC, CompareFunction(mode));
    return kStatusOk;
}

Status C3DEngineDX90::SetAlphaFunc(uint32_t mode, uint8_t reference)
{
    if (m_block.pDevice) {
        m_block.pDevice->SetRenderState(D3DRS_ALPHAFUNC, CompareFunction(mode));
        m_block.pDevice->SetRenderState(D3DRS_ALPHAREF, reference);
    }
    return kStatusOk;
}

Status C3DEngineDX90::SetColorMask(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha)
{
    DWORD mask = 0;
    if (red)
        mask |= D3DCOLORWRITEENABLE_RED;
    if (green)
        mask |= D3DCOLORWRITEENABLE_GREEN;
    if (blue)
        mask |= D3DCOLORWRITEENABLE_BLUE;
    if (alpha)
        mask |= D3DCOLORWRITEENABLE_ALPHA;
    if (m_block.pDevice)
        m_block.pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, mask);
    return kStatusOk;
}

Status C3DEngineDX90::IsStencilSupported()
{
    const DWORD needed = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE | D3DSTENCILCAPS_DECRSAT |
                         D3DSTENCILCAPS_INVERT | D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
    return (m_block.caps.StencilCaps & needed) == needed ? kStatusOk : kStatusFailed;
}

Status C3DEngineDX90::IsShaderSupported()
{
    return m_block.caps.VertexShaderVersion >= D3DVS_VERSION(2, 0) && m_block.caps.PixelShaderVersion >= D3DPS_VERSION(2, 0)
               ? kStatusOk
               : kStatusFailed;
}
