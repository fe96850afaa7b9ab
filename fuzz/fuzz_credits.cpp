// Credits files from any bytes: a file that reads gives a terminated text within the buffer, no
// NUL before its end and no separator left but the last character; one that fails leaves the
// text empty.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelInterfaces/MenuCredits.h"
#include "VornelUtils/UtilsStream_Static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream.Open();
    std::vector<char16_t> buffer(kCreditsFileCapacity + 1, u'?');
    uint32_t count = 0;
    if (ReadCreditsText(&stream, buffer.data(), u'|', &count) != kStatusOk) {
        if (buffer[0] != 0)
            std::abort();
        return 0;
    }
    if (count > kCreditsFileCapacity || buffer[count] != 0)
        std::abort();
    for (uint32_t i = 0; i + 1 < count; ++i)
        if (buffer[i] == 0 || buffer[i] == u'|')
            std::abort();
    return 0;
}
