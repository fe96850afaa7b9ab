// The chapter section of a construction file from any bytes, then what follows it checked as a
// profile's saved chapter block: no read outside the table, every result a status the profile
// manager knows.
#include <cstdint>
#include <cstdlib>

#include "NimbrelWorld/ChaptersManager.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData world{};
    CChaptersManager chapters(&world);
    UtilsStream_Static stream(kStreamRead, const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    stream.Open();
    if (Failed(chapters.Load(&stream)))
        return 0;
    const uint64_t used = static_cast<uint64_t>(stream.Tell());
    UtilsStream_Chunk block(10002);
    block.Open(kStreamReadWriteGrowable);
    if (used < size && !block.Write(data + used, 1, static_cast<uint32_t>(size - used)))
        std::abort();
    block.Rewind();
    const Status status = chapters.CheckSaved(&block);
    const bool known = status == kStatusOk || status == kStatusFailed ||
                       ((static_cast<uint32_t>(status) & 0xFFFF) == 3 &&
                        chapters.IsChapter(static_cast<int32_t>((static_cast<uint32_t>(status) >> 16) & 0x7FFF)));
    if (!known)
        std::abort();
    // Saving never reads outside the table either.
    chapters.SetCurrentChapter(static_cast<int32_t>(size) - 3);
    UtilsStream_Chunk saved(10002);
    saved.Open(kStreamReadWriteGrowable);
    if (Failed(chapters.Save(nullptr, &saved)))
        std::abort();
    return 0;
}
