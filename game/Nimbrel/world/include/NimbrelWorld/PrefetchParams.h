#pragma once
// The developer flags file "prefetch.params" of the data folder: six bytes, of which version 2
// carries developer mode (byte 1), the prefetch flag (byte 3) and the TrueType flag (byte 5).
#include <cstdint>

#include "VornelUtils/Status.h"

class UtilsStream;

constexpr uint8_t kPrefetchVersion = 2;
constexpr uint32_t kPrefetchFileSize = 6;

struct PrefetchFlags {
    uint8_t developerMode;
    uint8_t prefetch;
    uint8_t trueType;
};

// Reads the flags from an open stream. 0 when the file is of version 2 and whole (the flags
// are then set); kStatusFailed otherwise, with the flags untouched.
Status ReadPrefetchParams(UtilsStream* pStream, PrefetchFlags* pFlags);
// The six bytes of a version 2 file.
void WritePrefetchParams(const PrefetchFlags& flags, uint8_t out[kPrefetchFileSize]);
