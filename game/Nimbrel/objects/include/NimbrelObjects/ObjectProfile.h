#pragma once
// The scene objects' chunks in the player's profile, and a stream view of a chunk for the
// parts (command lists, tracks) that save themselves into a stream.
#include <cstdint>

#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"

// Below the object chunk (kProfileTagObject) and its element chunks (kProfileTagElement).
constexpr uint32_t kProfileTagElementTracks = 20002;
constexpr uint32_t kProfileTagElementTrackState = 20003;
constexpr uint32_t kProfileTagObjectMessages = 20004;
constexpr uint32_t kProfileTagObjectEffects = 20005;
constexpr uint32_t kProfileTagObjectRecords = 20006;
// The texts a script put on an element (its popup text, its score): a continued game shows
// them as they were. Written only for an element that carries one; a reader that does not know
// the tag skips it as any other child.
constexpr uint32_t kProfileTagElementTexts = 20007;

// Reads and writes go to the chunk's payload (so the chunk's sizes follow); the chunk stays
// the caller's.
class ChunkStream : public UtilsStream {
public:
    explicit ChunkStream(UtilsStream_Chunk* pChunk) : UtilsStream(kStreamRead | kStreamWrite), m_pChunk(pChunk) {}
    Status Open() override { return kStatusOk; }
    Status Close() override { return kStatusOk; }
    bool Read(void* buffer, uint32_t elementSize, uint32_t count) override
    {
        return m_pChunk->Read(buffer, elementSize, count);
    }
    bool Write(const void* buffer, uint32_t elementSize, uint32_t count) override
    {
        return m_pChunk->Write(buffer, elementSize, count);
    }
    int64_t BytesLeft() override { return m_pChunk->BytesLeft(); }

private:
    UtilsStream_Chunk* m_pChunk;
};
