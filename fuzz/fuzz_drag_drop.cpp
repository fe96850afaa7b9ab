// The drag-and-drop manager's profile chunk (150000, the rules with their places and answers,
// then the command list) from any bytes: it loads or is refused with a status, never allocating
// for counts the chunk cannot hold; what loads is saved and loaded again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelManagers/CDragDropManager.h"
#include "VornelUtils/WorldData.h"

#include "ChunkFuzz.h"

namespace {

Status LoadBytes(CDragDropManager& drops, std::vector<uint8_t>& bytes)
{
    return LoadFirstChunk(bytes, [&](UtilsStream_Chunk* chunk) { return drops.LoadFromStream(chunk); });
}

std::vector<uint8_t> Save(CDragDropManager& drops)
{
    return SaveOneChunk(150000, [&](UtilsStream_ChunkList* list, UtilsStream_Chunk* chunk) {
        return drops.SaveToStream(list, chunk);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = [] {
        auto* w = new WorldData{};
        w->frameTime = 1.0;
        return w;
    }();
    std::vector<uint8_t> bytes(data, data + size);
    CDragDropManager drops(world);
    if (Failed(drops.Load()))
        std::abort();
    const Status status = LoadBytes(drops, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status)) {
        if (drops.GetRuleCount() != 0)
            std::abort();
        return 0;
    }
    for (uint32_t id = 1; id <= drops.GetRuleCount(); ++id)
        if (const DropRule* rule = drops.GetRule(id))
            for (uint32_t p = 0; p < rule->placeCount; ++p)
                if (rule->pPlaces[p].uses < -1)
                    std::abort();
    drops.Update();
    std::vector<uint8_t> saved = Save(drops);
    CDragDropManager again(world);
    if (Failed(again.Load()) || Failed(LoadBytes(again, saved)) || Save(again) != saved)
        std::abort();
    return 0;
}
