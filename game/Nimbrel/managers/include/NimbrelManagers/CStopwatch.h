#pragma once
// A microsecond stopwatch over the high-resolution counter, for input that needs finer samples
// than the frame timer gives (the drag tracker's moves).
#include <cstdint>

#include "VornelUtils/UtilsTimer.h"

class CStopwatch {
public:
    // Reads the counter frequency of the clock (the platform's unless one is given).
    explicit CStopwatch(UtilsCounterFn pfnCounter = nullptr, UtilsCounterFn pfnFrequency = nullptr);

    void Start();
    // Microseconds since Start; before any Start, or when the counter wrapped below the start,
    // the counter's whole value. 0 without a frequency.
    uint64_t ElapsedMicroseconds();

    uint64_t GetFrequency() const { return m_frequency; }

private:
    uint64_t ReadCounter() const;

    UtilsCounterFn m_pfnCounter;
    uint64_t m_frequency = 0;   // ticks per second
    uint64_t m_start = 0;
    uint64_t m_now = 0;
};
