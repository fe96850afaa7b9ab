#pragma once
// Path helpers shared by the file functions of the platform layer.
#include <string>

// The path with every '\\' turned into '/'.
std::string PlatformPathWithSlashes(const char* path);
