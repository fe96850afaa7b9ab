#pragma once
// Writing resource packs (the tools make them; the program only reads them).
#include <cstdint>
#include <cstdio>

#include "VornelUtils/Status.h"

// The "*=N" record that announces N ordinary records; it carries no data.
Status WritePackCountRecord(std::FILE* file, uint32_t count);
// One record: name (1 to 258 bytes, no zero inside) and data; kStatusFailed on a bad name or
// a write failure.
Status WritePackRecord(std::FILE* file, const char* name, const void* data, uint32_t size);
