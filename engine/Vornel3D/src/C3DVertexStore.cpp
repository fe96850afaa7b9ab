#include "Vornel3D/C3DVertexStore.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/WorldData.h"

namespace {

struct LayoutRow {
    uint32_t stride;
    int32_t normal, color, color2, uv0, uv1;
};

// Indexed by C3DVertexLayout.
constexpr LayoutRow kLayouts[] = {
    {24, -1, 12, -1, 16, -1}, // Screen
    {16, -1, 12, -1, -1, -1}, // PointSprite
    {48, 12, 24, 28, 32, 40}, // MultiTexture
    {40, 12, 24, 28, 32, -1}, // Normal
};

const LayoutRow& Row(C3DVertexLayout layout)
{
    return kLayouts[static_cast<int>(layout)];
}

uint32_t LoadU32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

void StoreU32(uint8_t* p, uint32_t value)
{
    std::memcpy(p, &value, sizeof value);
}

} // namespace

C3DVertexStore::C3DVertexStore(C3DVertexLayout layout, uint32_t conventions)
    : m_layout(layout), m_conventions(conventions)
{
}

C3DVertexStore::~C3DVertexStore()
{
    Release();
}

Status C3DVertexStore::Create(uint32_t count, WorldData* pWorldData)
{
    Release();
    if (count == 0)
        return kStatusOk;
    m_pData = static_cast<uint8_t*>(UTILS_CALLOC(count, GetStride()));
    if (!m_pData) {
        if (pWorldData)
            pWorldData->lastErrorCode = kStatusOutOfMemory;
        return kStatusOutOfMemory;
    }
    m_count = count;
    return kStatusOk;
}

void C3DVertexStore::Release()
{
    UTILS_FREE(m_pData);
    m_pData = nullptr;
    m_count = 0;
}

uint32_t C3DVertexStore::GetStride() const
{
    return Row(m_layout).stride;
}

int32_t C3DVertexStore::NormalOffset() const
{
    return Row(m_layout).normal;
}

int32_t C3DVertexStore::ColorOffset() const
{
    return Row(m_layout).color;
}

int32_t C3DVertexStore::Color2Offset() const
{
    return Row(m_layout).color2;
}

int32_t C3DVertexStore::UV0Offset() const
{
    return Row(m_layout).uv0;
}

int32_t C3DVertexStore::UV1Offset() const
{
    return Row(m_layout).uv1;
}

uint8_t* C3DVertexStore::Field(uint32_t i, int32_t offset) const
{
    if (!m_pData || i >= m_count || offset == kNoField)
        return nullptr;
    return m_pData + static_cast<size_t>(i) * GetStride() + offset;
}

void C3DVertexStore::WriteFloats(uint32_t i, int32_t offset, const float* values, int count)
{
    if (uint8_t* p = Field(i, offset))
        std::memcpy(p, values, sizeof(float) * count);
}

void C3DVertexStore::ReadFloats(uint32_t i, int32_t offset, float* values, int count) const
{
    if (const uint8_t* p = Field(i, offset))
        std::memcpy(values, p, sizeof(float) * count);
    else
        for (int k = 0; k < count; ++k)
            values[k] = 0.0f;
}

void C3DVertexStore::WriteUV(uint32_t i, int32_t offset, float u, float v)
{
    const float uv[2] = {u, (m_conventions & kStoreFlipV) ? 1.0f - v : v};
    WriteFloats(i, offset, uv, 2);
}

void C3DVertexStore::ReadUV(uint32_t i, int32_t offset, float* out2) const
{
    if (!Field(i, offset)) {
        out2[0] = out2[1] = 0.0f;
        return;
    }
    ReadFloats(i, offset, out2, 2);
    if (m_conventions & kStoreFlipV)
        out2[1] = 1.0f - out2[1];
}

uint32_t C3DVertexStore::ColorToStored(uint32_t argb) const
{
    if (!(m_conventions & kStoreColorRGBA))
        return argb;
    return (argb & 0xFF00FF00u) | (argb & 0x00FF0000u) >> 16 | (argb & 0x000000FFu) << 16;
}

uint32_t C3DVertexStore::ColorFromStored(uint32_t stored) const
{
    // Exchanging red and blue is its own inverse.
    return ColorToStored(stored);
}

void C3DVertexStore::SetVertex(uint32_t i, float x, float y, float z, uint32_t diffuse, float u, float v,
                               float nx, float ny, float nz, uint32_t color2)
{
    if (i >= m_count)
        return;
    SetPosition(i, x, y, z);
    SetNormal(i, nx, ny, nz);
    SetColor(i, diffuse);
    SetColor2(i, color2);
    SetUV0(i, u, v);
    SetUV1(i, u, v);
}

void C3DVertexStore::SetPosition(uint32_t i, float x, float y, float z)
{
    const float p[3] = {x, y, z};
    WriteFloats(i, PositionOffset(), p, 3);
}

void C3DVertexStore::SetNormal(uint32_t i, float x, float y, float z)
{
    const float n[3] = {x, y, z};
    WriteFloats(i, NormalOffset(), n, 3);
}

void C3DVertexStore::SetColor(uint32_t i, uint32_t argb)
{
    if (uint8_t* p = Field(i, ColorOffset()))
        StoreU32(p, ColorToStored(argb));
}

void C3DVertexStore::SetColor2(uint32_t i, uint32_t argb)
{
    if (uint8_t* p = Field(i, Color2Offset()))
        StoreU32(p, argb);
}

void C3DVertexStore::SetUV0(uint32_t i, float u, float v)
{
    WriteUV(i, UV0Offset(), u, v);
}

void C3DVertexStore::SetUV1(uint32_t i, float u, float v)
{
    WriteUV(i, UV1Offset(), u, v);
}

void C3DVertexStore::GetVertex(uint32_t i, float* position3, uint32_t* diffuse, float* uv2, float* normal3,
                               uint32_t* color2) const
{
    if (position3)
        GetPosition(i, position3);
    if (diffuse)
        *diffuse = GetColor(i);
    if (uv2)
        GetUV0(i, uv2);
    if (normal3)
        GetNormal(i, normal3);
    if (color2)
        *color2 = GetColor2(i);
}

void C3DVertexStore::GetPosition(uint32_t i, float* out3) const
{
    ReadFloats(i, PositionOffset(), out3, 3);
}

void C3DVertexStore::GetNormal(uint32_t i, float* out3) const
{
    ReadFloats(i, NormalOffset(), out3, 3);
}

uint32_t C3DVertexStore::GetColor(uint32_t i) const
{
    const uint8_t* p = Field(i, ColorOffset());
    return p ? ColorFromStored(LoadU32(p)) : 0;
}

uint32_t C3DVertexStore::GetColor2(uint32_t i) const
{
    const uint8_t* p = Field(i, Color2Offset());
    return p ? LoadU32(p) : 0;
}

void C3DVertexStore::GetUV0(uint32_t i, float* out2) const
{
    ReadUV(i, UV0Offset(), out2);
}

void C3DVertexStore::GetUV1(uint32_t i, float* out2) const
{
    ReadUV(i, UV1Offset(), out2);
}
