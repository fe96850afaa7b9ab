#pragma once
// Two questions about a file by its path (the platform's rules: '\\' separators and a
// case-blind match of a missing name).

// True when the file opens for reading.
bool UtilsFile_Exists(const char16_t* path);
// True when the file opens for reading and holds at least one byte.
bool UtilsFile_IsNonEmpty(const char16_t* path);
