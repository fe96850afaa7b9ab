// ".3dx" models from any bytes, read from memory. What reads must write back readably.
#include <memory>

#include "ModelFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    auto world = std::make_unique<WorldData>();
    C3DObjectRaw raw(world.get());
    if (Succeeded(raw.MakeFromAddress(data, uint32_t(size), u"fuzz.3dx"))) {
        uint32_t flags = 0;
        std::memcpy(&flags, data + 16, 4);
        CheckModelRoundTrip(raw, flags, world.get());
    }
    return 0;
}
