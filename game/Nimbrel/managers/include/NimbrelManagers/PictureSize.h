#pragma once
// Picture sizes travel in file names: "loading_1024x768.png", "loading.1024x768.fr.png".
#include <cstdint>

// The pixel size written in a picture's or video's file name with `format` ("%dx%d"): in the
// last dot-separated part of more than three characters before the extension (so a language
// part such as ".fr" is passed over), else after the last underscore. Folders in front of the
// name are not looked at. (-1, -1) when no size is found or either number is not positive.
void ParseSizeFromName(const char16_t* name, const char* format, int32_t* pWidth, int32_t* pHeight);
