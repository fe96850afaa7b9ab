// The tool box manager's profile chunk (80000 with the panel and the queue) from any bytes: it
// loads or is refused with a status, never allocating for counts the chunk cannot hold nor
// keeping a request of another kind; what loads is stepped, saved and loaded again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelManagers/CToolboxManager.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

Status LoadBytes(CToolboxManager& toolbox, std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? toolbox.LoadFromStream(chunk) : kStatusFailed;
    stream.Close();
    return status;
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
    CToolboxManager toolbox(world);
    if (Failed(toolbox.Load()))
        std::abort();
    const Status status = LoadBytes(toolbox, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status))
        return 0;
    for (const CToolboxRequest* r = toolbox.GetFirstRequest(); r; r = nullptr)
        if (r->kind > kToolboxMessage)
            std::abort();
    toolbox.Update();

    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    UtilsStream_ChunkList list(&out);
    UtilsStream_Chunk* chunk = list.CreateChunk(80000, nullptr);
    if (!chunk || Failed(toolbox.SaveToStream(&list, chunk)) || !list.WriteAll())
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    CToolboxManager again(world);
    if (Failed(again.Load()) || Failed(LoadBytes(again, saved)))
        std::abort();
    return 0;
}
