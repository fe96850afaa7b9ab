#pragma once
// The random generator: a Mersenne Twister (MT19937) whose state lives in the world data
// record, so every engine object draws from the same sequence.
#include <cstdint>

struct WorldData;

// Seeds the state; seed 0 takes a seed from the tick count (UtilsRandom_TickSeed).
void UtilsRandom_Seed(WorldData* pWorldData, uint32_t seed);

// The next 32-bit number of the sequence.
uint32_t UtilsRandom_Next(WorldData* pWorldData);

// A number 0..32767: the C runtime's generator seeded with the tick count, first draw.
uint32_t UtilsRandom_TickSeed();
