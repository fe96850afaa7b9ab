// The developer flags file from any bytes: the flags are taken only from a whole file of
// version 2, exactly from its bytes 1, 3 and 5, and written back to the same six bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "NimbrelWorld/PrefetchParams.h"
#include "VornelUtils/UtilsStream_Static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    UtilsStream_Static stream(kStreamRead, const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    if (Failed(stream.Open()))
        return 0;
    PrefetchFlags flags{7, 7, 7};
    const Status status = ReadPrefetchParams(&stream, &flags);
    const bool whole = size >= kPrefetchFileSize && data[0] == kPrefetchVersion;
    if (Succeeded(status) != whole)
        std::abort();
    if (!whole) {
        if (flags.developerMode != 7 || flags.prefetch != 7 || flags.trueType != 7)
            std::abort();
        return 0;
    }
    if (flags.developerMode != data[1] || flags.prefetch != data[3] || flags.trueType != data[5])
        std::abort();
    uint8_t again[kPrefetchFileSize];
    WritePrefetchParams(flags, again);
    if (again[0] != kPrefetchVersion || again[1] != data[1] || again[3] != data[3] || again[5] != data[5] ||
        again[2] != 0 || again[4] != 0)
        std::abort();
    return 0;
}
