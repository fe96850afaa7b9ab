// The surround manager's profile chunk (180000) from any bytes: it loads or is refused with a
// status, never allocating for counts the chunk cannot hold nor keeping an index outside its
// table; what loads is stepped, saved and loaded again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelManagers/CSurroundManager.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

// A game of three scene objects, all of them active, without sound.
class FuzzSurround : public CSurroundManager {
public:
    using CSurroundManager::CSurroundManager;

protected:
    bool SceneObjectCount(uint32_t* pCount) override
    {
        *pCount = 3;
        return true;
    }
    void CollectActiveObjects(std::vector<uint32_t>& numbers) override { numbers.assign({0, 1, 2}); }
};

Status LoadBytes(CSurroundManager& sounds, std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    const Status status = sounds.LoadFromStream(&stream);
    stream.Close();
    return status;
}

std::vector<uint8_t> Save(CSurroundManager& sounds)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (Failed(sounds.SaveToStream(&out)))
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    return saved;
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
    FuzzSurround sounds(world);
    const Status status = LoadBytes(sounds, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusMismatch && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status))
        return 0;
    // Every sound index the records hold names a sound of the table.
    for (uint32_t i = 0; i < sounds.GetObjectCount(); ++i)
        if (const SurroundObject* record = sounds.GetObjectRecord(i)) {
            for (uint32_t k = 0; k < record->soundCount; ++k)
                if (!sounds.GetSound(record->pSounds[k]))
                    std::abort();
            for (uint32_t k = 0; k < record->commandCount; ++k)
                if (!sounds.GetSound(record->pCommands[k].sound))
                    std::abort();
            sounds.PlayElementSound(i, 1);
            sounds.ReleaseStoppedSounds(i);
        }
    sounds.Update();
    sounds.PrepareAllSounds();
    std::vector<uint8_t> saved = Save(sounds);
    FuzzSurround again(world);
    if (Failed(LoadBytes(again, saved)) || Save(again) != saved)
        std::abort();
    return 0;
}
