#pragma once
// A scene object's profile chunk as the levels' tests handle it: the payload it saves, and a
// payload (or a prefix of it) loaded back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "NimbrelLevels/LevelState.h"
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

// A board model's own fields as its StateFields writes them, and those bytes read back into a
// board (whether every field could be read).
template <class Board>
std::vector<uint8_t> SavedBoard(Board& board)
{
    UtilsStream_Chunk chunk(1);
    chunk.Open(kStreamReadWriteGrowable);
    LevelState state(&chunk, true);
    board.StateFields(state);
    EXPECT_TRUE(state.Ok());
    const UtilsStream_Static* inner = chunk.GetInnerStream();
    return std::vector<uint8_t>(inner->GetBlock(), inner->GetBlock() + inner->GetSize());
}

template <class Board>
bool LoadBoard(Board& board, const std::vector<uint8_t>& bytes)
{
    UtilsStream_Chunk chunk(1);
    chunk.Open(kStreamReadWriteGrowable);
    chunk.Write(bytes.data(), 1, uint32_t(bytes.size()));
    chunk.Rewind();
    LevelState state(&chunk, false);
    board.StateFields(state);
    return state.Ok();
}
