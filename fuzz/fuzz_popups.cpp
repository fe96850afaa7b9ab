// The popup manager's profile chunk (70000 with its four parts) from any bytes: it loads or is
// refused with a status, never writing outside a text for a stored offset, naming a label its
// table does not hold, nor allocating for counts the chunk cannot hold; what loads is stepped,
// saved and loaded again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelWorld/GroupTables.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

// A popup manager with a labels table of two labels ("one" and "two") without members.
class LabelledPopups : public CPopupManager {
public:
    using CPopupManager::CPopupManager;

protected:
    int32_t FindLabel(const char* name) const override
    {
        for (int32_t i = 0; i < 2; ++i)
            if (std::strcmp(kLabels[i].group.pName, name) == 0)
                return i;
        return -1;
    }
    const LabelRecord* LabelAt(int32_t index) const override
    {
        return index >= 0 && index < 2 ? &kLabels[index] : nullptr;
    }
    uint32_t LabelCount() const override { return 2; }

private:
    static inline const LabelRecord kLabels[2] = {
        {{const_cast<char*>("one"), nullptr, 0}, 0, 0, 0, 1},
        {{const_cast<char*>("two"), nullptr, 0}, 0, 0, 0, 0},
    };
};

Status LoadBytes(CPopupManager& popups, std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? popups.LoadFromStream(chunk) : kStatusFailed;
    stream.Close();
    return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = [] {
        auto* w = new WorldData{};
        w->virtualWidth = 800;
        w->virtualHeight = 600;
        w->frameTime = 1.0;
        return w;
    }();
    std::vector<uint8_t> bytes(data, data + size);
    LabelledPopups popups(world);
    if (Failed(popups.Load()))
        std::abort();
    const Status status = LoadBytes(popups, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status))
        return 0;
    popups.Update();
    popups.PreviousPopupPage();
    popups.OnMouseUp(0.0f, 0.0f, 0);

    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    UtilsStream_ChunkList list(&out);
    UtilsStream_Chunk* chunk = list.CreateChunk(70000, nullptr);
    if (!chunk || Failed(popups.SaveToStream(&list, chunk)) || !list.WriteAll())
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    LabelledPopups again(world);
    if (Failed(again.Load()) || Failed(LoadBytes(again, saved)))
        std::abort();
    return 0;
}
