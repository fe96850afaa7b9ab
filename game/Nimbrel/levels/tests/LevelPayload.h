#pragma once
// A scene object's profile chunk as the levels' tests handle it: the payload it saves, and a
// payload (or a prefix of it) loaded back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

inline std::vector<uint8_t> SavedPayload(CObjectsBase& object)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagObject, nullptr);
    EXPECT_EQ(object.SaveToProfile(&list, chunk), kStatusOk);
    UtilsStream_Static* inner = chunk->GetInnerStream();
    std::vector<uint8_t> bytes(inner->GetBlock(), inner->GetBlock() + inner->GetSize());
    stream.Close();
    return bytes;
}

inline Status LoadPayload(CObjectsBase& object, const std::vector<uint8_t>& bytes, size_t size)
{
    UtilsStream_Chunk chunk(kProfileTagObject);
    chunk.Open(kStreamReadWriteGrowable);
    if (size)
        chunk.Write(bytes.data(), 1, uint32_t(size));
    chunk.Rewind();
    return object.LoadFromProfile(&chunk);
}

inline Status LoadPayload(CObjectsBase& object, const std::vector<uint8_t>& bytes)
{
    return LoadPayload(object, bytes, bytes.size());
}
