#include "VornelUtils/UtilsMemory.h"

#include <cstdlib>

void* UtilsMalloc(size_t size, const char*, int)
{
    return std::malloc(size);
}

void* UtilsCalloc(size_t count, size_t elementSize, const char*, int)
{
    // Some C runtimes wrapped the product silently and returned a small block.
    if (elementSize != 0 && count > SIZE_MAX / elementSize)
        return nullptr;
    return std::calloc(count, elementSize);
}

void* UtilsRealloc(void* pointer, size_t size, const char*, int)
{
    return std::realloc(pointer, size);
}

void UtilsFree(void* pointer, const char*, int)
{
    std::free(pointer);
}

bool ReturnFalse()
{
    return false;
}

uint16_t SwapBytes16(uint16_t value)
{
    return static_cast<uint16_t>((value >> 8) | (value << 8));
}

uint32_t SwapBytes32(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

void XorWithKey(uint8_t* buffer, size_t length, const uint8_t* key, size_t keyLength)
{
    if (!buffer || !key || keyLength == 0)
        return;
    for (size_t i = 0; i < length; ++i)
        buffer[i] ^= key[i % keyLength];
}
