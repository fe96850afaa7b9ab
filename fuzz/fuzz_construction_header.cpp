// Construction headers from any bytes, read as a resource stored in the program: the check
// either refuses the stream or hands it back standing right after the identity text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsStream.h"

namespace {

const std::vector<uint8_t>* g_pBytes = nullptr;

Status FindFuzzData(WorldData* w, const char16_t*)
{
    w->staticResource.pAddress = g_pBytes->data();
    w->staticResource.size = uint32_t(g_pBytes->size());
    return kStatusOk;
}

class CFuzzWorld : public CManagedWorld {
public:
    Status Prepare(uint32_t) override { return kStatusOk; }
    Status LoadOptions(const char16_t*, const char16_t*, uint32_t, uint32_t, uint32_t) override { return kStatusOk; }
    Status SaveOptions() override { return kStatusOk; }
    Status OnMouseDown(float, float, uint32_t) override { return kStatusOk; }
    Status OnMouseMove(float, float, uint32_t) override { return kStatusOk; }
    Status OnMouseInput3(float, float, uint32_t) override { return kStatusOk; }
    Status OnMouseUp(float, float, uint32_t) override { return kStatusOk; }
    Status OnGesture(float, float, float, float) override { return kStatusOk; }
    Status OnMouseWheel(float) override { return kStatusOk; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    g_pBytes = &bytes;
    CFuzzWorld world;
    world.SetParameters(nullptr, nullptr, FindFuzzData, nullptr, 0, nullptr, nullptr);
    world.SetApplicationParameters(kResourceSourceProgram << 12, u"K", u"Nimbrel", u"", 0);
    UtilsStream* stream = world.CheckConstruction(u"Nimbrel_construct.raw", 3, "Nimbrel", 0);
    if (stream) {
        // After the version, the count and the count's bytes, which start with "Nimbrel" and its
        // terminator.
        uint32_t count = 0;
        if (size < 14 || (std::memcpy(&count, data + 2, 4), stream->Tell() != 6 + int64_t(count)) ||
            std::memcmp(data + 6, "Nimbrel", 8) != 0)
            std::abort();
        CloseResourceStream(stream);
    }
    world.Unload();
    return 0;
}
