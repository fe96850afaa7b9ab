// The items list's saved lists from any bytes: they load or are refused with a status, never
// allocating for counts the bytes cannot hold nor keeping an order, page or state out of range;
// what loads is saved and loads again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

// Object number 3 without an objects manager: a scene of four objects.
constexpr uint32_t kObjectNumber = 3;

Status LoadBytes(CObjectsInterfaceToolbarItemsList& items, std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? items.LoadListsState(chunk) : kStatusFailed;
    stream.Close();
    return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = new WorldData{};
    std::vector<uint8_t> bytes(data, data + size);
    CObjectsInterfaceToolbarItemsList items(world, kObjectNumber, 0);
    const Status status = LoadBytes(items, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status)) {
        if (items.GetListCount() != 0)
            std::abort();
        return 0;
    }
    // Every loaded order is a permutation and every page lies inside it.
    for (uint32_t i = 0; i < items.GetListCount(); ++i)
        if (const ItemsList* list = items.GetList(i)) {
            std::vector<uint8_t> seen(list->entryCount, 0);
            for (uint32_t k = 0; k < list->entryCount; ++k)
                if (list->pOrder[k] >= list->entryCount || seen[list->pOrder[k]]++)
                    std::abort();
            for (uint32_t p = 0; p < list->pageCount; ++p)
                if (list->pPages[p].first + uint64_t(list->pPages[p].count) > list->entryCount)
                    std::abort();
        }
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    UtilsStream_ChunkList list(&out);
    UtilsStream_Chunk* chunk = list.CreateChunk(1, nullptr);
    if (!chunk || Failed(items.SaveListsState(chunk)) || !list.WriteAll())
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    CObjectsInterfaceToolbarItemsList again(world, kObjectNumber, 0);
    if (Failed(LoadBytes(again, saved)))
        std::abort();
    return 0;
}
