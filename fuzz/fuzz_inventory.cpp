// The inventory bar's saved places from any bytes: they load or are refused with a status,
// never keeping a place count other than six or an item that is not one of the bar's; what
// loads is saved and loads again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

Status LoadBytes(CObjectsInterfaceToolbarInventory& bar, std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? bar.LoadPlacesState(chunk) : kStatusFailed;
    stream.Close();
    return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = new WorldData{};
    std::vector<uint8_t> bytes(data, data + size);
    // Without element infos the bar has no element: every place must come back free.
    CObjectsInterfaceToolbarInventory bar(world, 3, 0);
    const Status status = LoadBytes(bar, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    for (uint32_t i = 0; i < bar.GetPlaceCount(); ++i)
        if (bar.GetPlace(i)->element != -1 || bar.GetPlace(i)->count != 0)
            std::abort();
    if (Failed(status))
        return 0;
    if (bar.GetPlaceCount() != kInventoryPlaceCount)
        std::abort();
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    UtilsStream_ChunkList list(&out);
    UtilsStream_Chunk* chunk = list.CreateChunk(1, nullptr);
    if (!chunk || Failed(bar.SavePlacesState(chunk)) || !list.WriteAll())
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    CObjectsInterfaceToolbarInventory again(world, 3, 0);
    if (Failed(LoadBytes(again, saved)))
        std::abort();
    return 0;
}
