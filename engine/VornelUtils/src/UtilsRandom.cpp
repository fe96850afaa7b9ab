#include "VornelUtils/UtilsRandom.h"

#include "VornelPlatform/PlatformTime.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kStateSize = 624;
constexpr uint32_t kShift = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;

// The C runtime's linear congruential generator: srand(seed) then one rand().
uint32_t CrtRandFirst(uint32_t seed)
{
    const uint32_t x = seed * 214013u + 2531011u;
    return (x >> 16) & 0x7FFFu;
}

void Regenerate(uint32_t* mt)
{
    for (uint32_t i = 0; i < kStateSize; ++i) {
        const uint32_t y = (mt[i] & kUpperMask) | (mt[(i + 1) % kStateSize] & kLowerMask);
        mt[i] = mt[(i + kShift) % kStateSize] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
    }
}

} // namespace

uint32_t UtilsRandom_TickSeed()
{
    return CrtRandFirst(Platform_GetTickCount());
}

void UtilsRandom_Seed(WorldData* pWorldData, uint32_t seed)
{
    if (!pWorldData)
        return;
    if (seed == 0)
        seed = UtilsRandom_TickSeed();
    uint32_t* mt = pWorldData->randomState;
    mt[0] = seed;
    for (uint32_t i = 1; i < kStateSize; ++i)
        mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + i;
    pWorldData->randomIndex = kStateSize;
}

uint32_t UtilsRandom_Next(WorldData* pWorldData)
{
    if (!pWorldData)
        return 0;
    if (pWorldData->randomIndex >= kStateSize) {
        Regenerate(pWorldData->randomState);
        pWorldData->randomIndex = 0;
    }
    uint32_t y = pWorldData->randomState[pWorldData->randomIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
