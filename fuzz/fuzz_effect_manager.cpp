// An object's saved effects (chunk 20005) from any bytes, read over a scene object of five
// elements: a load either takes whole effects on live elements of its owner or fails with
// nothing kept, and whatever was taken runs, saves and reads back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelManagers/CEffect.h"
#include "NimbrelManagers/CEffectManager.h"
#include "SceneFixture.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

std::vector<uint8_t> Save(CEffectManager& effects)
{
    UtilsStream_Chunk chunk(20005);
    chunk.Open(kStreamReadWriteGrowable);
    if (Failed(effects.SaveToStream(nullptr, &chunk)))
        std::abort();
    chunk.Rewind();
    std::vector<uint8_t> bytes(chunk.GetPayloadSize());
    if (!bytes.empty() && !chunk.Read(bytes.data(), 1, uint32_t(bytes.size())))
        std::abort();
    return bytes;
}

Status Load(CEffectManager& effects, const uint8_t* data, size_t size)
{
    UtilsStream_Chunk chunk(20005);
    chunk.Open(kStreamReadWriteGrowable);
    if (size && !chunk.Write(data, 1, static_cast<uint32_t>(size)))
        std::abort();
    chunk.Rewind();
    return effects.LoadFromStream(&chunk);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SceneFixtureWorld world;
    for (uint32_t i = 0; i < 5; ++i) {
        ElementRecord* e = world.level->At(i);
        e->pEffectParameters = static_cast<EffectParameters*>(UTILS_CALLOC(1, sizeof(EffectParameters)));
        *e->pEffectParameters = EffectParameters{0.5f, 10, 240, 30.0f};
    }
    ResetSharedEffects();
    CEffectManager effects(world.GetWorldData(), 1);
    const Status status = Load(effects, data, size);
    if (status != kStatusOk && status != kStatusFailed)
        std::abort();
    if (status != kStatusOk && effects.GetSlotCount() != 0)
        std::abort();
    if (status == kStatusOk) {
        const std::vector<uint8_t> saved = Save(effects);
        if (Failed(Load(effects, saved.data(), saved.size())) || Save(effects) != saved)
            std::abort();
    }
    for (int i = 0; i < 3; ++i)
        effects.Update();
    Save(effects);
    effects.Unload();
    ResetSharedEffects();
    return 0;
}
