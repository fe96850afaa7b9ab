// The hint's saved state from any bytes: it loads or is refused with a status, never keeping a
// phase past the last, an element the hint lacks or a target outside the scene; what loads is
// stepped, saved and loads again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "VornelUtils/WorldData.h"

#include "ChunkFuzz.h"

namespace {

// Object number 3 without an objects manager: a scene of four objects, of which the hint is the
// only one there, with its three elements (button, help, glow).
constexpr uint32_t kObjectNumber = 3;
constexpr uint32_t kElements = 3;

class CFuzzHint : public CObjectsInterfaceHint {
public:
    explicit CFuzzHint(WorldData* w) : CObjectsInterfaceHint(w, kObjectNumber, 0)
    {
        m_pElements = AllocElements(kElements);
        m_elementCount = kElements;
        for (uint32_t i = 0; i < kElements; ++i) {
            ResetElement(GetItemRecord(i));
            GetItemRecord(i)->index = i;
        }
    }
};

Status LoadBytes(CObjectsInterfaceHint& hint, std::vector<uint8_t>& bytes)
{
    return LoadFirstChunk(bytes, [&](UtilsStream_Chunk* chunk) { return hint.LoadHintState(chunk); });
}

std::vector<uint8_t> SaveBytes(CObjectsInterfaceHint& hint)
{
    return SaveOneChunk(1, [&](UtilsStream_ChunkList*, UtilsStream_Chunk* chunk) {
        return hint.SaveHintState(chunk);
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
    CFuzzHint hint(world);
    const Status status = LoadBytes(hint, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status)) {
        if (hint.GetEffectState() != kHintIdle || hint.GetTarget().level != -1 || hint.GetClickTest() ||
            hint.GetPopupName())
            std::abort();
        return 0;
    }
    const HintTarget target = hint.GetTarget();
    if (hint.GetEffectState() > kHintFadingOut ||
        (target.level != -1 && (target.level != int32_t(kObjectNumber) || target.element < 0 ||
                                uint32_t(target.element) >= kElements)))
        std::abort();
    const std::vector<uint8_t> saved = SaveBytes(hint);
    CFuzzHint again(world);
    std::vector<uint8_t> copy = saved;
    if (Failed(LoadBytes(again, copy)) || SaveBytes(again) != saved)
        std::abort();
    return 0;
}
