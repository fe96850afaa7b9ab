#include "NimbrelScript/ScriptText.h"

#include "VornelUtils/UtilsMemory.h"

#include <cstdio>
#include <cstring>

int32_t ScriptKeywordMatch(const char* token, const char* keyword)
{
    if (!token || !keyword)
        return 0;
    for (size_t i = 0; token[i] && keyword[i]; ++i) {
        if (token[i] != keyword[i])
            return -1;
    }
    return 0;
}

bool ScriptParamName(char* buffer, size_t capacity, const char* name, uint32_t index)
{
    if (!buffer || capacity == 0)
        return false;
    int written = std::snprintf(buffer, capacity, "_%s_%u_", name ? name : "", index);
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        buffer[0] = 0;
        return false;
    }
    return true;
}

char* ScriptParamNameDup(const char* name, uint32_t index)
{
    size_t length = (name ? std::strlen(name) : 0) + 16;
    char* text = static_cast<char*>(UTILS_MALLOC(length));
    if (text && !ScriptParamName(text, length, name, index)) {
        UTILS_FREE(text);
        return nullptr;
    }
    return text;
}

uint32_t ScriptSkipBlanks(const char** cursor, size_t* remaining)
{
    uint32_t lines = 0;
    while (*remaining > 0) {
        char ch = **cursor;
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n')
            break;
        if (ch == '\n')
            ++lines;
        ++*cursor;
        --*remaining;
    }
    return lines;
}

Status ScriptMemRead(void* destination, size_t size, size_t count, const uint8_t** cursor, size_t* remaining)
{
    if (size != 0 && count > *remaining / size)
        return kScriptFailed;
    size_t bytes = size * count;
    if (bytes > 0)
        std::memcpy(destination, *cursor, bytes);
    *cursor += bytes;
    *remaining -= bytes;
    return kScriptOk;
}
