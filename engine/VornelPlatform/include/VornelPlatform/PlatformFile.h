#pragma once
// Opening files by the paths the system writes: Windows separators and a case-blind file
// system. Paths are UTF-8.
#include <cstdio>

// Opens a file like fopen after turning every '\\' into '/'. When the mode starts with 'r' and
// the exact path does not exist, each path component is matched without regard to ASCII case
// (the first match in name order wins when several differ only in case). A directory is never
// opened. Null when the file cannot be opened or an argument is null.
std::FILE* Platform_OpenFile(const char* utf8Path, const char* mode);

// True when the path (same rules as opening for reading) names an existing regular file.
bool Platform_FileExists(const char* utf8Path);
