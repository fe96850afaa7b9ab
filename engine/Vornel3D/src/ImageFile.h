#pragma once
// Opens an image file named by a wide path in the system's own form ("textures\\a.png").
#include <cstdio>

FILE* OpenImageFile(const char16_t* path, const char* mode);
