#pragma once
// A level kind's own state in its object's profile chunk, behind the scene object's part. The
// kind lists its fields once, in order, and the same list saves and loads them: 32-bit fields
// as (4, 1), arrays as (4, n), bytes as (1, 1), texts as (1, n). After the first failure
// nothing more moves.
#include <cstdint>
#include <string>

class UtilsStream_Chunk;

class LevelState {
public:
    LevelState(UtilsStream_Chunk* pChunk, bool write) : m_pChunk(pChunk), m_write(write), m_ok(pChunk != nullptr) {}

    LevelState& Word(int32_t& value) { return Move(&value, 4, 1); }
    LevelState& Word(uint32_t& value) { return Move(&value, 4, 1); }
    LevelState& Word(float& value) { return Move(&value, 4, 1); }
    LevelState& Words(int32_t* values, uint32_t count) { return Move(values, 4, count); }
    LevelState& Words(uint32_t* values, uint32_t count) { return Move(values, 4, count); }
    LevelState& Byte(uint8_t& value) { return Move(&value, 1, 1); }
    LevelState& Bytes(void* values, uint32_t count) { return Move(values, 1, count); }
    // An 8-bit text, and a wide one kept as UTF-8, as stream strings; an empty text is written
    // as none, and none reads as empty.
    LevelState& Text(std::string& value) { return MoveText(value, false); }
    LevelState& WideText(std::string& value) { return MoveText(value, true); }

    bool Writing() const { return m_write; }
    // The bytes a read can still take (0 once a move failed), so that a count read back is
    // checked before anything is sized by it.
    int64_t BytesLeft() const;
    // Every field moved.
    bool Ok() const { return m_ok; }

private:
    LevelState& Move(void* buffer, uint32_t size, uint32_t count);
    LevelState& MoveText(std::string& value, bool wide);

    UtilsStream_Chunk* m_pChunk;
    bool m_write;
    bool m_ok;
};
