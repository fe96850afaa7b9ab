// The saved timers, fades, scalings and moves from any bytes, each read over a scene object of
// five elements: a load either takes whole items that name live elements or fails with nothing
// kept, and whatever was taken runs, saves and finishes without reading outside the tables.
#include <cstdint>
#include <cstdlib>

#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "SceneFixture.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

void Load(UtilsStream_Chunk& chunk, const uint8_t* data, size_t size)
{
    chunk.Open(kStreamReadWriteGrowable);
    if (size && !chunk.Write(data, 1, static_cast<uint32_t>(size)))
        std::abort();
    chunk.Rewind();
}

template <typename Manager>
void Exercise(Manager& manager, const uint8_t* data, size_t size)
{
    UtilsStream_Chunk chunk(1);
    Load(chunk, data, size);
    const Status status = manager.LoadFromStream(&chunk);
    if (status != kStatusOk && status != kStatusFailed)
        std::abort();
    if (status != kStatusOk && manager.GetCount() != 0)
        std::abort();
    for (int i = 0; i < 3; ++i)
        manager.Update();
    UtilsStream_Chunk saved(1);
    saved.Open(kStreamReadWriteGrowable);
    if (Failed(manager.SaveToStream(nullptr, &saved)))
        std::abort();
    manager.Unload();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SceneFixtureWorld world;
    CTimerManager timers(world.GetWorldData());
    CFadeManager fades(world.GetWorldData());
    CScalingManager scales(world.GetWorldData());
    CPositionManager moves(world.GetWorldData());
    Exercise(timers, data, size);
    Exercise(fades, data, size);
    Exercise(scales, data, size);
    Exercise(moves, data, size);
    return 0;
}
