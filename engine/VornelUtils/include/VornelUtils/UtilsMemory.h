#pragma once
// Raw-buffer allocation and small byte helpers. Objects use new/delete; these wrappers serve
// raw buffers (strings, tables, file images). The source path and line are the caller's, for
// reading a call site in a debugger; nothing is tracked.
#include <cstddef>
#include <cstdint>

// malloc; null when out of memory.
void* UtilsMalloc(size_t size, const char* sourcePath, int line);
// calloc: zeroed; null when out of memory or when count * elementSize overflows.
void* UtilsCalloc(size_t count, size_t elementSize, const char* sourcePath, int line);
// realloc; null when out of memory (the old block is then still valid).
void* UtilsRealloc(void* pointer, size_t size, const char* sourcePath, int line);
// free; null is allowed.
void UtilsFree(void* pointer, const char* sourcePath, int line);

#define UTILS_MALLOC(size) UtilsMalloc((size), __FILE__, __LINE__)
#define UTILS_CALLOC(count, size) UtilsCalloc((count), (size), __FILE__, __LINE__)
#define UTILS_REALLOC(pointer, size) UtilsRealloc((pointer), (size), __FILE__, __LINE__)
#define UTILS_FREE(pointer) UtilsFree((pointer), __FILE__, __LINE__)

// Fills operation slots that a class does not implement.
bool ReturnFalse();

// The two bytes exchanged.
uint16_t SwapBytes16(uint16_t value);
// The four bytes reversed.
uint32_t SwapBytes32(uint32_t value);

// Byte i of the buffer is XORed with key byte (i mod keyLength). Applying it twice restores
// the data. Nothing happens when the buffer or key is null or keyLength is 0.
void XorWithKey(uint8_t* buffer, size_t length, const uint8_t* key, size_t keyLength);
