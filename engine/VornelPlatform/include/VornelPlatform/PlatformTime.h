#pragma once
// Clocks of the operating system: a monotonic high-resolution counter, a millisecond tick
// count, a sleep and the local calendar time.
#include <cstdint>
#include <ctime>

// The monotonic counter in ticks of Platform_QueryPerformanceFrequency; false when the
// clock cannot be read or value is null.
bool Platform_QueryPerformanceCounter(int64_t* value);

// Ticks per second of the counter (nanoseconds, 1,000,000,000, on Linux; the system's own
// counter frequency on Windows); false when value is null.
bool Platform_QueryPerformanceFrequency(int64_t* value);

// Milliseconds of the monotonic clock, wrapping at 2^32 like the system tick count.
uint32_t Platform_GetTickCount();

// Suspends the calling thread for at least ms milliseconds (0 yields).
void Platform_Sleep(uint32_t ms);

// The local calendar time of a moment (thread-safe); false when the system cannot tell it or
// local is null.
bool Platform_LocalTime(std::time_t when, std::tm* local);
