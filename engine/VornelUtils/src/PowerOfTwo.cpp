#include "VornelUtils/PowerOfTwo.h"

uint32_t NextPowerOfTwo(uint32_t n)
{
    if (n == 0)
        return 2;
    if ((n & (n - 1)) == 0)
        return n;
    uint32_t p = 1;
    while (p < n && p != 0x80000000u)
        p <<= 1;
    // Above 2^31 there is no u32 power of two; the largest one is the closest answer.
    return p;
}

uint8_t DoublingsToReach(uint32_t a, uint32_t b)
{
    if (a >= b)
        return 0;
    if (a == 0)
        return 0; // never reached by callers; avoids looping for ever
    uint8_t n = 0;
    uint64_t v = a;
    while (v < b) {
        v <<= 1;
        ++n;
    }
    return n;
}
