#include "VornelUtils/UtilsScramble.h"

#include <cstring>

#include "VornelUtils/UtilsMemory.h"

namespace {

void KeyBytes(uint32_t key, uint8_t bytes[4])
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(key >> (8 * i));
}

} // namespace

bool IsScrambledBlock(const uint8_t* block, size_t size)
{
    if (block == nullptr || size < 4)
        return false;
    const uint32_t first = static_cast<uint32_t>(block[0]) | static_cast<uint32_t>(block[1]) << 8 |
                           static_cast<uint32_t>(block[2]) << 16 | static_cast<uint32_t>(block[3]) << 24;
    return first == size;
}

void ApplyScrambleKey(uint8_t* buffer, size_t size, uint32_t key)
{
    if (buffer == nullptr)
        return;
    uint8_t bytes[4];
    KeyBytes(key, bytes);
    XorWithKey(buffer, size, bytes, 4);
}

bool UnscrambleBlockIfScrambled(uint8_t* block, size_t size, uint32_t key)
{
    if (key == 0 || !IsScrambledBlock(block, size))
        return false;
    ApplyScrambleKey(block, size, key);
    return true;
}

Status ScrambleSettingsBlock(const uint8_t* text, size_t textSize, uint32_t key, uint8_t* out,
                             size_t capacity, size_t* outSize)
{
    if (out == nullptr || (text == nullptr && textSize != 0))
        return kStatusFailed;
    const uint64_t total = static_cast<uint64_t>(textSize) + kScrambledBlockOverhead;
    if (total > 0xFFFFFFFFu || capacity < total)
        return kStatusFailed;
    // The size word is stored plain so that the reader recognises the block; the reader's XOR
    // of the whole block turns it into four bytes of noise, which the line end that follows
    // keeps out of the first line of the text.
    const uint32_t size = static_cast<uint32_t>(total);
    uint8_t bytes[4];
    KeyBytes(key, bytes);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(size >> (8 * i));
    out[4] = '\n';
    if (textSize != 0)
        std::memcpy(out + kScrambledBlockOverhead, text, textSize);
    for (size_t i = 4; i < total; ++i)
        out[i] ^= bytes[i % 4];
    if (outSize != nullptr)
        *outSize = static_cast<size_t>(total);
    return kStatusOk;
}
