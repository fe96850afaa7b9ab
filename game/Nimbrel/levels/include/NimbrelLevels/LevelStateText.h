#pragma once
// A level kind's saved state as the tools print it: the kind's own fields, read from a profile
// chunk just behind the scene object's part, in the text form of its board. Every kind with a
// board model has its line here.
#include <cstdint>

class UtilsStream_Chunk;

// The text of the state of kind `typeCode` at the chunk's read position, for an object of
// `elementCount` elements: its board's text form, with " (does not fit)" when the fields are
// out of range, "cut short" when they cannot be read; false for a kind without a board.
bool DescribeLevelState(uint32_t typeCode, UtilsStream_Chunk* pChunk, uint32_t elementCount, char* out,
                        uint32_t capacity);
