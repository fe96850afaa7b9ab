#pragma once
// What the model file tests share: a byte builder for hand-written ".3dx" images, reading and
// writing a raw model through a memory stream.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Vornel3D/C3DObjectRaw.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace modeltest {

struct Bytes {
    std::vector<uint8_t> data;

    Bytes& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Bytes& U16(uint16_t v)
    {
        data.push_back(uint8_t(v));
        data.push_back(uint8_t(v >> 8));
        return *this;
    }
    Bytes& F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    // The stream's 8-bit string: count with the terminator, character size 1, the bytes.
    Bytes& String64(const std::string& s)
    {
        U32(uint32_t(s.size() + 1));
        data.push_back(1);
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return *this;
    }
    Bytes& String32(const std::string& s)
    {
        U32(uint32_t(s.size()));
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
};

// The raw model read from the bytes through a memory stream.
inline Status Read(C3DObjectRaw& raw, const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> copy(bytes);
    UtilsStream_Static stream(kStreamRead, copy.empty() ? nullptr : copy.data(), uint32_t(copy.size()));
    stream.Open();
    return raw.LoadFromStream(&stream);
}

// The bytes Write3dx gives; empty when it fails.
inline std::vector<uint8_t> Write(C3DObjectRaw& raw, uint32_t flags)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    if (Failed(raw.Write3dx(&stream, flags)))
        return {};
    std::vector<uint8_t> bytes(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
    stream.Close();
    return bytes;
}

constexpr uint32_t kFixtureFlags = k3dxPosition | k3dxDiffuse | k3dxUV | k3dxMaterial | k3dxTriple | k3dxGroupName |
                                   k3dxTextureName | k3dxTextureKind | k3dxTextureFlags;

// One triangle group with every group block, positions, colours and texture coordinates, and
// 16-bit indices; strings in the layout given.
inline Bytes Fixture(uint32_t layout)
{
    Bytes b;
    b.U32(1).U32(3).U32(3).U32(layout).U32(kFixtureFlags);
    b.U32(0).U32(0xFFFFFFFF).U32(0).U32(3).U32(0).U32(3).U32(1).U32(kPrimitiveTriangleList).U32(2);
    b.U32(7).U32(8).U32(9);
    if (layout == k3dxLayout64)
        b.String64("body").String64("wood.png");
    else
        b.String32("body").String32("wood.png");
    b.U32(1).U32(0x52);
    for (int i = 0; i < 17; ++i)
        b.F32(float(i) / 4);
    for (uint32_t v = 0; v < 3; ++v)
        b.F32(float(v)).F32(float(v) * 2).F32(-1.0f).U32(0xFF102030u + v).F32(0.5f).F32(float(v) / 4);
    b.U32(kIndexKind16).U16(2).U16(1).U16(0);
    return b;
}

} // namespace modeltest
