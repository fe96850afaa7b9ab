// The tutorial's profile chunk (210000) from any bytes: it loads or is refused with a status,
// its texts and strings bounded by the bytes left, and the step it keeps names an element of
// the game's objects or no step at all; what loads saves, and loads again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

Status LoadBytes(CTutoManager& tuto, std::vector<uint8_t>& bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    const Status status = tuto.LoadFromStream(&stream);
    stream.Close();
    return status;
}

std::vector<uint8_t> Save(CTutoManager& tuto)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (Failed(tuto.SaveToStream(&out)))
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> saved(block, block + out.GetSize());
    out.Close();
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = new WorldData{};
    std::vector<uint8_t> bytes(data, data + size);
    CTutoManager tuto(world);
    const Status status = LoadBytes(tuto, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status))
        return 0;
    if (tuto.GetState() > kTutoClosed || (!tuto.HasStep() && tuto.GetCurrentStep().itemElement != kTutoNoIndex))
        std::abort();
    // A stored text may end at an embedded terminator: the first save is what a save keeps.
    std::vector<uint8_t> saved = Save(tuto);
    CTutoManager again(world);
    if (Failed(LoadBytes(again, saved)) || Save(again) != saved)
        std::abort();
    return 0;
}
