#pragma once
#include <cstdint>

// n itself when it is a power of two, else the next power of two above it; 0 gives 2.
uint32_t NextPowerOfTwo(uint32_t n);

// 0 when a >= b, else the smallest n with a * 2^n >= b.
uint8_t DoublingsToReach(uint32_t a, uint32_t b);
