#include "ScriptBytes.h"

#include "NimbrelScript/ScriptText.h"
#include "VornelUtils/UtilsMemory.h"

#include <cstring>

ScriptByteWriter::~ScriptByteWriter()
{
    if (m_data)
        UTILS_FREE(m_data);
}

void ScriptByteWriter::Bytes(const void* data, size_t size)
{
    if (m_failed || size == 0)
        return;
    if (size > m_capacity - m_used) {
        const size_t missing = size - (m_capacity - m_used);
        const size_t grown = m_capacity + (missing > kStep ? missing : kStep);
        uint8_t* larger = static_cast<uint8_t*>(UTILS_REALLOC(m_data, grown));
        if (!larger) {
            m_failed = true;
            return;
        }
        m_data = larger;
        m_capacity = grown;
    }
    std::memcpy(m_data + m_used, data, size);
    m_used += size;
}

void ScriptByteWriter::U32(uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Bytes(bytes, 4);
}

void ScriptByteWriter::String(const char* text)
{
    if (!text) {
        U32(0);
        return;
    }
    const size_t length = std::strlen(text) + 1;
    U32(static_cast<uint32_t>(length));
    Bytes(text, length);
}

void ScriptByteWriter::Path(const std::vector<uint32_t>& path)
{
    U32(static_cast<uint32_t>(path.size()));
    for (uint32_t id : path)
        U32(id);
}

uint8_t* ScriptByteWriter::Release(size_t* length)
{
    *length = m_failed ? 0 : m_used;
    if (m_failed)
        return nullptr;
    uint8_t* data = m_data;
    m_data = nullptr;
    m_used = m_capacity = 0;
    return data;
}

bool ScriptByteReader::U8(uint8_t* value)
{
    return ScriptMemRead(value, 1, 1, &m_cursor, &m_remaining) == kScriptOk;
}

bool ScriptByteReader::Word(uint32_t width, uint32_t* value)
{
    uint8_t bytes[4] = {};
    if (width > 4 || ScriptMemRead(bytes, 1, width, &m_cursor, &m_remaining) != kScriptOk)
        return false;
    *value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

bool ScriptByteReader::U32(uint32_t* value)
{
    return Word(4, value);
}

bool ScriptByteReader::String(std::string* text, bool* isNull)
{
    uint32_t length = 0;
    if (!U32(&length) || length > m_remaining)
        return false;
    if (isNull)
        *isNull = length == 0;
    text->clear();
    if (length == 0)
        return true;
    if (m_cursor[length - 1] != 0)
        return false;
    text->assign(reinterpret_cast<const char*>(m_cursor), std::strlen(reinterpret_cast<const char*>(m_cursor)));
    m_cursor += length;
    m_remaining -= length;
    return true;
}

bool ScriptByteReader::StringDup(char** text)
{
    *text = nullptr;
    std::string read;
    bool isNull = false;
    if (!String(&read, &isNull))
        return false;
    if (isNull)
        return true;
    *text = StrDupA(read.c_str());
    return *text != nullptr;
}

bool ScriptByteReader::Path(uint32_t depth, std::vector<uint32_t>* path)
{
    if (!Holds(depth, 4))
        return false;
    path->resize(depth);
    for (uint32_t& id : *path) {
        if (!U32(&id))
            return false;
    }
    return true;
}
