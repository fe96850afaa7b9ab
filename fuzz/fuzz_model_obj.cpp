// ".obj" text from any bytes. A model that reads must write as ".3dx" and read back.
#include <memory>

#include "ModelFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = std::make_unique<WorldData>();
    C3DObjectRaw raw(world.get());
    if (Succeeded(raw.ParseObj(reinterpret_cast<const char*>(data), size)))
        CheckModelRoundTrip(raw, k3dxVertexBlocks | k3dxMaterial | k3dxTextureName | k3dxTextureKind |
                                     k3dxTextureFlags, world.get());
    return 0;
}
