// Saved element texts from any bytes (the first byte chooses a string or a number text): a load
// either fails with no lines left or keeps lines that save again to the bytes it read, and the
// pointer tests on what it kept never move the page past its lines.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/CExtraDimTextString.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    auto world = std::make_unique<WorldData>();
    std::unique_ptr<CExtraDimTextBase> text;
    if (data[0] & 1)
        text = std::make_unique<CExtraDimTextNumber>(world.get());
    else
        text = std::make_unique<CExtraDimTextString>(world.get());
    UtilsStream_Static in(kStreamRead, const_cast<uint8_t*>(data + 1), uint32_t(size - 1));
    if (Failed(in.Open()))
        return 0;
    const Status loaded = text->Load(&in);
    const int64_t read = in.Tell();
    in.Close();
    if (Failed(loaded)) {
        if (!text->IsEmpty())
            std::abort();
        return 0;
    }
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (Failed(text->Save(&out)) || int64_t(out.GetSize()) != read ||
        std::memcmp(out.GetBlock(), data + 1, size_t(read)) != 0)
        std::abort();
    out.Close();
    for (float x : {0.0f, 50.0f, 1e30f})
        for (float y : {0.0f, 50.0f}) {
            text->CursorTest(x, y);
            text->Click(x, y);
        }
    if (text->GetPage() > text->GetLineCount())
        std::abort();
    return 0;
}
