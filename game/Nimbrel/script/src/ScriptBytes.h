#pragma once
// The byte forms of compiled images and saved script state: every number little-endian, a
// string as a u32 length that counts its terminating zero (0 for a null string) and then that
// many bytes.
#include "NimbrelScript/ScriptStatus.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A heap buffer (UtilsMalloc) that starts at 10,000 bytes and grows by 10,000 bytes, or by
// exactly what is missing when a single write needs more than that. After a failed growth
// every further write is dropped and Failed() tells.
class ScriptByteWriter {
public:
    static constexpr size_t kStep = 10000;

    ScriptByteWriter() = default;
    ~ScriptByteWriter();
    ScriptByteWriter(const ScriptByteWriter&) = delete;
    ScriptByteWriter& operator=(const ScriptByteWriter&) = delete;

    void Bytes(const void* data, size_t size);
    void U8(uint8_t value) { Bytes(&value, 1); }
    void U32(uint32_t value);
    // Null is stored as length 0.
    void String(const char* text);
    void Path(const std::vector<uint32_t>& path);

    bool Failed() const { return m_failed; }
    size_t Used() const { return m_used; }
    size_t Capacity() const { return m_capacity; }
    const uint8_t* Data() const { return m_data; }
    // Hands the buffer over (null after a failure); *length gets the bytes used.
    uint8_t* Release(size_t* length);

private:
    uint8_t* m_data = nullptr;
    size_t m_used = 0;
    size_t m_capacity = 0;
    bool m_failed = false;
};

// A cursor over bytes read from a file or a saved buffer. Every read fails (false) once it
// would pass the end; counts are checked against the bytes left before anything is allocated
// for them.
class ScriptByteReader {
public:
    ScriptByteReader(const void* data, size_t length)
        : m_cursor(static_cast<const uint8_t*>(data)), m_remaining(data ? length : 0)
    {
    }

    bool U8(uint8_t* value);
    bool U32(uint32_t* value);
    // A value stored in `width` bytes (1, 2 or 4), zero-extended.
    bool Word(uint32_t width, uint32_t* value);
    // *text gets the characters; *isNull tells a stored null (length 0) from "". The stored
    // bytes must end with their terminator.
    bool String(std::string* text, bool* isNull = nullptr);
    // The same into a new heap text (UtilsMalloc); null for a stored null.
    bool StringDup(char** text);
    // A path of `depth` ids.
    bool Path(uint32_t depth, std::vector<uint32_t>* path);
    // True when `count` records of at least `smallest` bytes each can still be there.
    bool Holds(uint32_t count, size_t smallest) const { return smallest == 0 || count <= m_remaining / smallest; }
    size_t Remaining() const { return m_remaining; }

private:
    const uint8_t* m_cursor;
    size_t m_remaining;
};
