#pragma once
// The presentation managers' chunks of a profile, decoded by the managers' own readers into
// lines of text.
#include <string>

class UtilsStream_Chunk;

// The splash screens' chunk (160000), or false when it is cut short or damaged.
bool DescribeSplashChunk(UtilsStream_Chunk* pChunk, std::string& text);
// The surround sound's chunk (180000): per object its sounds and ambient commands, then the
// sound table; false when it is cut short or damaged.
bool DescribeSurroundChunk(UtilsStream_Chunk* pChunk, std::string& text);
// The drag-and-drop chunk (150000): each rule with its places and answers, and the waiting
// commands; false when it is cut short or damaged.
bool DescribeDragDropChunk(UtilsStream_Chunk* pChunk, std::string& text);
// The cursors' chunk (190000), which the game leaves empty: what it holds, if anything.
bool DescribeCursorsChunk(UtilsStream_Chunk* pChunk, std::string& text);
// The tutorial's chunk (210000): skip all, the display state and the step shown.
bool DescribeTutoChunk(UtilsStream_Chunk* pChunk, std::string& text);
