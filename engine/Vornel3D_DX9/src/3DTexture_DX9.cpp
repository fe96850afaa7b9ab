#include "Vornel3D_DX9/C3DTextureDX90.h"

#include <d3dx9tex.h>

#include "Vornel3D_DX9/RendererBlockDX90.h"
#include "VornelUtils/WorldData.h"

C3DTextureDX90::C3DTextureDX90(WorldData* pWorldData) : C3DTexture(pWorldData) {}

C3DTextureDX90::~C3DTextureDX90()
{
    ReleaseDeviceTexture();
}

void C3DTextureDX90::ReleaseDeviceTexture()
{
    if (m_pTexture) {
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
}

Status C3DTextureDX90::Init()
{
    return kStatusOk;
}

Status C3DTextureDX90::Release()
{
    if (Failed(C3DTexture::Release()))
        return kStatusFailed;
    ReleaseDeviceTexture();
    return kStatusOk;
}

bool C3DTextureDX90::IsLoaded()
{
    return m_nDepth != 0 || m_nWidth != 0 || m_nHeight != 0;
}

Status C3DTextureDX90::Clear()
{
    m_nDepth = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    return kStatusOk;
}

D3DFORMAT C3DTextureDX90::FormatOfDepth(uint8_t depth)
{
    switch (depth) {
    case 8:
    case 16: return D3DFMT_A8L8;
    case 24: return D3DFMT_X8R8G8B8;
    case 32: return D3DFMT_A8R8G8B8;
    default: return D3DFMT_UNKNOWN;
    }
}

bool C3DTextureDX90::HoldsTexelsOfDepth(D3DFORMAT format, uint8_t depth)
{
    // The conversion writes two bytes (luminance, alpha) below 24 bits and four (B, G, R, A)
    // from 24 up; X8R8G8B8 and A8R8G8B8 share that layout.
    if (depth == 8 || depth == 16)
        return format == D3DFMT_A8L8;
    if (depth == 24 || depth == 32)
        return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
    return false;
}

D3DTEXTUREFILTERTYPE C3DTextureDX90::MinFilter(uint32_t second)
{
    return (second & kDX9TexMinPoint) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
}

D3DTEXTUREFILTERTYPE C3DTextureDX90::MagFilter(uint32_t second)
{
    if (second & kDX9TexMagPoint)
        return D3DTEXF_POINT;
    if (second & kDX9TexMagLinear)
        return D3DTEXF_LINEAR;
    if ((second & kDX9TexAnisotropic) && !(second & kDX9TexNoAnisotropic))
        return D3DTEXF_ANISOTROPIC;
    return D3DTEXF_LINEAR;
}

void C3DTextureDX90::ConvertRows(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels, uint8_t* out,
                                 uint32_t pitch)
{
    const uint32_t in = depth / 8;
    for (uint32_t row = 0; row < height; ++row) {
        const uint8_t* src = pixels + size_t(height - 1 - row) * width * in;
        uint8_t* dst = out + size_t(row) * pitch;
        for (uint32_t x = 0; x < width; ++x, src += in) {
            switch (depth) {
            case 8:
                *dst++ = src[0];
                *dst++ = 0xFF;
                break;
            case 16:
                *dst++ = src[0];
                *dst++ = src[1];
                break;
            case 24:
                *dst++ = src[2];
                *dst++ = src[1];
                *dst++ = src[0];
                *dst++ = 0xFF;
                break;
            default:
                *dst++ = src[2];
                *dst++ = src[1];
                *dst++ = src[0];
                *dst++ = src[3];
                break;
            }
        }
    }
}

Status C3DTextureDX90::Fill(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels)
{
    D3DLOCKED_RECT locked;
    if (FAILED(m_pTexture->LockRect(0, &locked, nullptr, 0)))
        return kStatusFailed;
    // The rows go at the pitch the device gives, which may be wider than the row.
    ConvertRows(width, height, depth, pixels, static_cast<uint8_t*>(locked.pBits), uint32_t(locked.Pitch));
    return FAILED(m_pTexture->UnlockRect(0)) ? kStatusFailed : kStatusOk;
}

Status C3DTextureDX90::MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                                   const char16_t* name)
{
    m_nDepth = depth;
    m_nWidth = width;
    m_nHeight = height;
    ReleaseDeviceTexture();
    const D3DFORMAT format = FormatOfDepth(depth);
    IDirect3DDevice9* device = DX9DeviceFromWorld(m_pWorldData);
    if (format == D3DFMT_UNKNOWN || !device || width == 0 || height == 0)
        return kStatusFailed;
    if (FAILED(D3DXCreateTexture(device, width, height, 1, 0, format, D3DPOOL_MANAGED, &m_pTexture))) {
        m_pTexture = nullptr;
        return kStatusFailed;
    }
    if (pixels) {
        // D3DX may make the texture smaller than asked (the device's size limits) or of another
        // format: the image would then be written past its rows.
        D3DSURFACE_DESC desc;
        if (FAILED(m_pTexture->GetLevelDesc(0, &desc)) || desc.Width < width || desc.Height < height ||
            !HoldsTexelsOfDepth(desc.Format, depth)) {
            ReleaseDeviceTexture();
            return kStatusFailed;
        }
        if (Failed(Fill(width, height, depth, pixels)))
            return kStatusFailed;
    }
    return C3DTexture::MakeFromRaw(width, height, depth, pixels, name);
}

Status C3DTextureDX90::UpdateFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels)
{
    if (!m_pTexture || !pixels)
        return kStatusFailed;
    D3DSURFACE_DESC desc;
    if (FAILED(m_pTexture->GetLevelDesc(0, &desc)))
        return kStatusFailed;
    // Rows wider or more of them than the texture holds would be written past its end.
    if (width > desc.Width || height > desc.Height)
        return kStatusFailed;
    if (FormatOfDepth(depth) == D3DFMT_UNKNOWN)
        return kStatusOk;
    // A texel wider than the texture's own would run past its rows.
    if (!HoldsTexelsOfDepth(desc.Format, depth))
        return kStatusFailed;
    return Fill(width, height, depth, pixels);
}

void C3DTextureDX90::Bind(uint32_t stage)
{
    if (IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData))
        device->SetTexture(stage, m_pTexture);
}

void C3DTextureDX90::Select(uint32_t drawFlags, uint32_t stage)
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device)
        return;
    const uint32_t f = m_nSecond;
    const BOOL blend = (drawFlags & 0x08) && (f & kDX9TexAlpha) && m_pWorldData->alpha.current;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, blend);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, (f & kDX9TexAdditive) ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);

    if ((drawFlags & 0x20000) || (f & kDX9TexModulate) || !(f & kDX9TexMultiplyAdd)) {
        const DWORD factor = (drawFlags & 0x20000) ? D3DTA_TFACTOR : D3DTA_DIFFUSE;
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG0, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, factor);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG0, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, factor);
    } else {
        // current + texture x (1 - diffuse)
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
        device->SetTextureStageState(stage, D3DTSS_COLORARG0, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_DIFFUSE | D3DTA_COMPLEMENT);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG0, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    }
    device->SetSamplerState(stage, D3DSAMP_ADDRESSU, (f & kDX9TexWrapU) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
    device->SetSamplerState(stage, D3DSAMP_ADDRESSV, (f & kDX9TexWrapV) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
    device->SetSamplerState(stage, D3DSAMP_MINFILTER, MinFilter(f));
    device->SetSamplerState(stage, D3DSAMP_MAGFILTER, MagFilter(f));
    device->SetSamplerState(stage, D3DSAMP_MIPFILTER, MagFilter(f));
    device->SetTexture(stage, m_pTexture);
}

Status C3DTextureDX90::CopyFromScreen(uint8_t, uint8_t, uint8_t, int32_t)
{
    IDirect3DDevice9* device = DX9DrawingDeviceFromWorld(m_pWorldData);
    if (!device)
        return kStatusFailed;
    IDirect3DSurface9* source = nullptr;
    if (FAILED(device->GetRenderTarget(0, &source)) || !source)
        return kStatusFailed;
    if (!m_pTexture) {
        // A texture that never held an image takes the back buffer's own size.
        D3DSURFACE_DESC desc;
        if (FAILED(source->GetDesc(&desc)) || desc.Width > 0xFFFF || desc.Height > 0xFFFF ||
            FAILED(D3DXCreateTexture(device, desc.Width, desc.Height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                     &m_pTexture))) {
            m_pTexture = nullptr;
            source->Release();
            return kStatusFailed;
        }
        m_nWidth = uint16_t(desc.Width);
        m_nHeight = uint16_t(desc.Height);
        m_nDepth = 24;
    }
    IDirect3DSurface9* target = nullptr;
    HRESULT result = m_pTexture->GetSurfaceLevel(0, &target);
    if (SUCCEEDED(result)) {
        result = D3DXLoadSurfaceFromSurface(target, nullptr, nullptr, source, nullptr, nullptr,
                                            D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER, 0);
        target->Release();
    }
    source->Release();
    return FAILED(result) ? kStatusFailed : kStatusOk;
}
