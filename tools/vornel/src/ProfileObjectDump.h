#pragma once
// The scene objects' chunks of a profile (20000 with its 20001 to 20006), decoded by the
// game's own readers into lines of text.
#include <string>

class UtilsStream_Chunk;

// The object chunk's lines (with its elements'), or false when a chunk is cut short.
bool DescribeObjectChunk(UtilsStream_Chunk* pChunk, std::string& text);

// Appends printf-formatted text (at most one line of 511 bytes).
void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
