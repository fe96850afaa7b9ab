#pragma once
// The frame timer: measures each frame with the high-resolution counter and publishes the
// frame time (in thirtieths of a second) and the frames per second in the world data record.
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

#include <cstdint>

// Reads a counter value or its frequency; false on failure.
using UtilsCounterFn = bool (*)(int64_t* value);

class UtilsTimer : public CBaseObject {
public:
    explicit UtilsTimer(WorldData* pWorldData);
    ~UtilsTimer() override = default;

    // Takes the current counter value as the start of the first frame and reads the
    // frequency; 0x80000001 when either read fails or the frequency is not positive.
    Status Init();

    // Once a frame: the frame time since the last update. A pending extra read then takes a
    // second reading, so the frame after a long pause (a load, a dialog) does not see it.
    void Update();

    // One extra read on the next update.
    void RequestExtraUpdate();
    // n more extra reads; returns n.
    uint32_t AddExtraUpdates(uint32_t n);

    // The clock, by default the platform's; tests give their own before Init.
    void SetClock(UtilsCounterFn pfnCounter, UtilsCounterFn pfnFrequency);

private:
    void Read();

    int64_t m_nFrequency = 0;
    int64_t m_nLastCounter = 0;
    uint32_t m_nExtraReads = 0;
    UtilsCounterFn m_pfnCounter;
    UtilsCounterFn m_pfnFrequency;
};
