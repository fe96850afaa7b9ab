// Modifier tracks from any bytes: the first byte picks the kind, the rest is the saved track
// (its key count first) and a saved playback state. A track that loads saves to the bytes it
// was read from and steps without a fault.
#include <memory>

#include "ModelFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5 || size > 0xFFFFFFFFu)
        return 0;
    auto world = std::make_unique<WorldData>();
    std::unique_ptr<C3DObjectModifier> modifier(CreateObjectModifier(data[0] % kModifierKindCount, world.get()));
    UtilsStream_Static in(kStreamRead, const_cast<uint8_t*>(data + 1), uint32_t(size - 1));
    in.Open();
    uint32_t keyCount = 0;
    in.Read(&keyCount, 4, 1);
    if (Succeeded(modifier->Load(&in, keyCount))) {
        const uint32_t used = uint32_t(in.Tell());
        UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
        out.Open();
        if (Failed(modifier->Save(&out)) || out.GetSize() != used || std::memcmp(out.GetBlock(), data + 1, used) != 0)
            std::abort();
        modifier->LoadState(&in);
        StepModifier(modifier.get(), world.get());
    }
    modifier->Release();
    return 0;
}
