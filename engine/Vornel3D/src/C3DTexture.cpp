#include "Vornel3D/C3DTexture.h"

#include "Vornel3D/C3DResourceName.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

C3DTexture::C3DTexture(WorldData* pWorldData) : CBaseObject(pWorldData) {}

C3DTexture::~C3DTexture() = default;

Status C3DTexture::Init()
{
    return kStatusOk;
}

Status C3DTexture::Release()
{
    m_nDepth = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    return kStatusOk;
}

void C3DTexture::Reserved0() {}

void C3DTexture::Select(uint32_t, uint32_t) {}

void C3DTexture::Bind(uint32_t) {}

Status C3DTexture::CopyFromScreen(uint8_t, uint8_t, uint8_t, int32_t)
{
    return kStatusFailed;
}

void C3DTexture::Reserved1(uint32_t, uint32_t, uint32_t) {}

Status C3DTexture::StreamHook(void*, uint32_t)
{
    return kStatusOk;
}

void C3DTexture::SetName(const char16_t* name)
{
    // Built before it replaces the old name, which it may point into.
    m_name = name ? std::optional<std::u16string>(name) : std::nullopt;
}

void C3DTexture::SetFileName(const char16_t* name)
{
    if (name)
        SetName(C3DResourceName(m_pWorldData, name));
}

Status C3DTexture::MakeFromRaw(uint16_t, uint16_t, uint8_t, const uint8_t*, const char16_t* name)
{
    SetFileName(name);
    return kStatusOk;
}

Status C3DTexture::MakeFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    return LoadThroughRaw(Source::Memory, data, size, name, nullptr);
}

Status C3DTexture::LoadFromPacker(PackRecord* pEntry)
{
    return LoadThroughRaw(Source::Packer, nullptr, 0, nullptr, pEntry);
}

Status C3DTexture::LoadFromFile(const char16_t* path)
{
    return LoadThroughRaw(Source::File, nullptr, 0, path, nullptr);
}

Status C3DTexture::Reserved2(uint32_t)
{
    return kStatusFailed;
}

bool C3DTexture::IsLoaded()
{
    return m_nDepth != 0 || m_nWidth != 0 || m_nHeight != 0;
}

Status C3DTexture::Clear()
{
    m_nDepth = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    return kStatusOk;
}

Status C3DTexture::UpdateFromRaw(uint16_t, uint16_t, uint8_t, const uint8_t*)
{
    return kStatusFailed;
}

int32_t C3DTexture::AddRef()
{
    return ++m_nUseCount;
}

int32_t C3DTexture::ReleaseRef()
{
    return --m_nUseCount;
}

int32_t C3DTexture::GetUseCount()
{
    return m_nUseCount;
}

uint32_t C3DTexture::GetPixelARGB(uint32_t width, uint32_t height, uint8_t, const uint8_t* pixels,
                                  uint32_t x, uint32_t y)
{
    if (!pixels || x >= width || y >= height)
        return 0;
    const size_t index = static_cast<size_t>(y) * width + x;
    // The texture's own depth chooses the layout: the image it was loaded from.
    switch (m_nDepth) {
    case 8: {
        const uint32_t g = pixels[index];
        return 0xFF000000u | g << 16 | g << 8 | g;
    }
    case 16: {
        const uint8_t* p = pixels + index * 2;
        const uint32_t g = p[0], a = p[1];
        return a << 24 | g << 16 | g << 8 | g;
    }
    case 24: {
        const uint8_t* p = pixels + index * 3;
        return 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    case 32: {
        // Bytes R, G, B, A. Taken as one little-endian word they would give red and blue swapped:
        // the loading screen's bars would not match the picture they surround.
        const uint8_t* p = pixels + index * 4;
        return uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    default:
        return 0;
    }
}

Status C3DTexture::LoadTextureFromPackerEx(uint32_t)
{
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 1, u"# C3DTexture::LoadTextureFromPackerEx NOT IMPLEMENTED !!!\n");
    return kStatusFailed;
}
