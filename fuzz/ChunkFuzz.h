// Reading and writing one profile chunk from a fuzz target's bytes, for the targets whose reader
// takes a chunk of a chunk list.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"

// The bytes' first chunk handed to `load(chunk)`; kStatusFailed when they hold none.
template <typename Load>
Status LoadFirstChunk(std::vector<uint8_t>& bytes, Load load)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? load(chunk) : kStatusFailed;
    stream.Close();
    return status;
}

// The bytes of one chunk `id` that `save(list, chunk)` fills; a failing save aborts.
template <typename Save>
std::vector<uint8_t> SaveOneChunk(uint32_t id, Save save)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    UtilsStream_ChunkList list(&out);
    UtilsStream_Chunk* chunk = list.CreateChunk(id, nullptr);
    if (!chunk || Failed(save(&list, chunk)) || !list.WriteAll())
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    return saved;
}
