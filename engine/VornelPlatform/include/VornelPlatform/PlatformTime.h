#pragma once
// Clocks of the operating system: a monotonic high-resolution counter, a millisecond tick
// count and a sleep.
#include <cstdint>

// The monotonic counter in ticks of Platform_QueryPerformanceFrequency; false when the
// clock cannot be read or value is null.
bool Platform_QueryPerformanceCounter(int64_t* value);

// Ticks per second of the counter (nanoseconds: 1,000,000,000); false when value is null.
bool Platform_QueryPerformanceFrequency(int64_t* value);

// Milliseconds of the monotonic clock, wrapping at 2^32 like the system tick count.
uint32_t Platform_GetTickCount();

// Suspends the calling thread for at least ms milliseconds (0 yields).
void Platform_Sleep(uint32_t ms);
