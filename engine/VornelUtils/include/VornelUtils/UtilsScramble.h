#pragma once
// The program's 4-byte scrambling key and the stored form of a scrambled settings block.
// A block is recognised as scrambled when its first u32 (little-endian) equals its own size;
// every byte i of it, the size word included, is XORed with key byte (i mod 4), the key's
// bytes taken in memory order (least significant first). Pack entry names use the same key.
#include <cstddef>
#include <cstdint>

#include "VornelUtils/Status.h"

constexpr uint32_t kScrambleKey = 0x1E5B3C47u;

// True when the block's first little-endian u32 equals size (so it is stored scrambled).
bool IsScrambledBlock(const uint8_t* block, size_t size);

// XORs every byte i of the buffer with byte (i mod 4) of key.
void ApplyScrambleKey(uint8_t* buffer, size_t size, uint32_t key);

// Unscrambles the block in place when key is not 0 and the block is scrambled; true if it was.
bool UnscrambleBlockIfScrambled(uint8_t* block, size_t size, uint32_t key);

// Bytes of the stored form of a settings text of textSize bytes: the size word, a line end
// that keeps the unscrambled size word on a line of its own, then the text.
constexpr size_t kScrambledBlockOverhead = 5;

// Builds the stored form of a settings text into out (capacity at least textSize +
// kScrambledBlockOverhead): 0 and *outSize on success, kStatusFailed when the capacity is too
// small or the block would not fit in 32 bits.
Status ScrambleSettingsBlock(const uint8_t* text, size_t textSize, uint32_t key, uint8_t* out,
                             size_t capacity, size_t* outSize);
