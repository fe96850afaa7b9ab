// Stream strings from any bytes: plain and swapped memory streams and a chunk's payload (whose
// wide reader also widens 8-bit and cuts 32-bit characters). Every string read must write
// back and read again to the same text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

template <typename Reader>
void ReadAll(Reader& reader, const uint8_t* data, size_t size)
{
    // Each string's kind and invert flag come from the bits of the first byte, in turn.
    const uint8_t pattern = size > 0 ? data[0] : 0;
    for (int i = 0; i < 64; ++i) {
        const bool wide = (pattern >> (i % 8)) & 1;
        const bool invert = (pattern >> ((i + 3) % 8)) & 1;
        if (wide) {
            char16_t* text = nullptr;
            if (!reader.ReadString(&text, invert))
                return;
            if (text != nullptr) {
                UtilsStream_Static copy(kStreamReadWriteGrowable, nullptr, 0);
                char16_t* again = nullptr;
                if (!copy.WriteString(text, invert) || !copy.Rewind() || !copy.ReadString(&again, invert) ||
                    again == nullptr || std::u16string(again) != std::u16string(text))
                    std::abort();
                UtilsFree(again, __FILE__, __LINE__);
            }
            UtilsFree(text, __FILE__, __LINE__);
        } else {
            char* text = nullptr;
            if (!reader.ReadStringA(&text, invert))
                return;
            if (text != nullptr) {
                UtilsStream_Static copy(kStreamReadWriteGrowable, nullptr, 0);
                char* again = nullptr;
                if (!copy.WriteStringA(text, invert) || !copy.Rewind() || !copy.ReadStringA(&again, invert) ||
                    again == nullptr || std::strcmp(again, text) != 0)
                    std::abort();
                UtilsFree(again, __FILE__, __LINE__);
            }
            UtilsFree(text, __FILE__, __LINE__);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 0xFFFFFFFFu)
        return 0;
    // A copy, so that the stream's block is exactly the input (reads past it are caught).
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size));
    std::memcpy(bytes, data, size);
    const uint32_t n = static_cast<uint32_t>(size);

    UtilsStream_Static plain(kStreamRead, bytes + 1, n - 1);
    ReadAll(plain, data, size);
    UtilsStream_Static swapped(kStreamRead | kStreamSwapOnRead, bytes + 1, n - 1);
    ReadAll(swapped, data, size);

    UtilsStream_Chunk chunk(1);
    if (Succeeded(chunk.Open(kStreamReadWriteGrowable)) && chunk.Write(bytes + 1, 1, n - 1) && chunk.Rewind())
        ReadAll(chunk, data, size);
    std::free(bytes);
    return 0;
}
