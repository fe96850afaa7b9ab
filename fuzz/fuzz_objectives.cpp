// The objectives of a saved game (profile chunk 220000) from any bytes: they load or are
// refused with a status, without allocating for counts the chunk cannot hold; what loads is
// played on and saved, and a whole payload saves back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "NimbrelWorld/CObjectiveManager.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/WorldData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = new WorldData{};
    UtilsStream_Chunk in(220000);
    in.Open(kStreamReadWriteGrowable);
    if (size != 0 && !in.Write(data, 1, static_cast<uint32_t>(size)))
        std::abort();
    in.Rewind();
    CObjectiveManager objectives(world);
    const Status status = objectives.LoadFromStream(&in);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status))
        return 0;
    const uint64_t used = size - static_cast<uint64_t>(in.BytesLeft());
    UtilsStream_Chunk out(220000);
    out.Open(kStreamReadWriteGrowable);
    if (Failed(objectives.SaveToStream(nullptr, &out)) || out.GetPayloadSize() != used)
        std::abort();
    std::vector<uint8_t> saved(used);
    out.Rewind();
    if (used != 0 && (!out.Read(saved.data(), 1, static_cast<uint32_t>(used)) ||
                      std::memcmp(saved.data(), data, used) != 0))
        std::abort();
    objectives.GetCurrentObjective();
    objectives.AddSubObjective(static_cast<uint32_t>(size), 1);
    objectives.PutObjectiveToTop(0);
    objectives.CompleteObjective(1);
    objectives.GetCurrentObjective();
    return 0;
}
