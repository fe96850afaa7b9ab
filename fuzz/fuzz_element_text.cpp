// Saved element texts from any bytes (the first byte chooses a string or a number text): a load
// either fails with no lines left or keeps lines that save and load back to the same bytes, and
// the pointer tests on what it kept never move the page past its lines.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

std::unique_ptr<CExtraDimTextBase> Make(uint8_t kind, WorldData* w)
{
    if (kind & 1)
        return std::make_unique<CExtraDimTextNumber>(w);
    return std::make_unique<CExtraDimTextString>(w);
}

std::vector<uint8_t> Saved(CExtraDimTextBase& text)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (Failed(text.Save(&out)))
        std::abort();
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> bytes(block, block + out.GetSize());
    out.Close();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    auto world = std::make_unique<WorldData>();
    std::unique_ptr<CExtraDimTextBase> text = Make(data[0], world.get());
    UtilsStream_Static in(kStreamRead, const_cast<uint8_t*>(data + 1), uint32_t(size - 1));
    if (Failed(in.Open()))
        return 0;
    const Status loaded = text->Load(&in);
    in.Close();
    if (Failed(loaded)) {
        if (!text->IsEmpty())
            std::abort();
        return 0;
    }
    // What it kept saves and loads back to the same bytes (a stored text may end early at an
    // embedded terminator, so the first save may be shorter than what was read).
    const std::vector<uint8_t> once = Saved(*text);
    std::unique_ptr<CExtraDimTextBase> again = Make(data[0], world.get());
    UtilsStream_Static back(kStreamRead, const_cast<uint8_t*>(once.data()), uint32_t(once.size()));
    back.Open();
    if (Failed(again->Load(&back)) || Saved(*again) != once)
        std::abort();
    back.Close();
    for (float x : {0.0f, 50.0f, 1e30f})
        for (float y : {0.0f, 50.0f}) {
            text->CursorTest(x, y);
            text->Click(x, y);
        }
    if (text->GetPage() > text->GetLineCount())
        std::abort();
    return 0;
}
