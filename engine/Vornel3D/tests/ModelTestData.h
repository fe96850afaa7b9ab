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

} // namespace modeltest
