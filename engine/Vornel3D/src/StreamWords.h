#pragma once
// Single 4-byte words and floats through a stream, as the model and modifier files store them.
#include <cstdint>

#include "VornelUtils/UtilsStream.h"

inline bool ReadWord(UtilsStream* pStream, uint32_t* pValue)
{
    return pStream->Read(pValue, 4, 1);
}

inline bool ReadFloat(UtilsStream* pStream, float* pValue)
{
    return pStream->Read(pValue, 4, 1);
}

inline bool WriteWord(UtilsStream* pStream, uint32_t value)
{
    return pStream->Write(&value, 4, 1);
}

inline bool WriteFloat(UtilsStream* pStream, float value)
{
    return pStream->Write(&value, 4, 1);
}

// True when `count` records of `size` bytes can still be read: the stream knows how much is
// left and that much is there. Checked before anything is allocated for them.
inline bool FitsInStream(UtilsStream* pStream, uint64_t count, uint64_t size)
{
    const int64_t left = pStream->BytesLeft();
    return left >= 0 && (size == 0 || count <= uint64_t(left) / size);
}
