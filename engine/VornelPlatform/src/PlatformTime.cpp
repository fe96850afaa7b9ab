#include "VornelPlatform/PlatformTime.h"

#include <cerrno>
#include <ctime>
#include <sched.h>

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

bool ReadMonotonic(int64_t* nanoseconds)
{
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
        return false;
    *nanoseconds = static_cast<int64_t>(ts.tv_sec) * kNanosecondsPerSecond + ts.tv_nsec;
    return true;
}

} // namespace

bool Platform_QueryPerformanceCounter(int64_t* value)
{
    if (!value)
        return false;
    return ReadMonotonic(value);
}

bool Platform_QueryPerformanceFrequency(int64_t* value)
{
    if (!value)
        return false;
    *value = kNanosecondsPerSecond;
    return true;
}

uint32_t Platform_GetTickCount()
{
    int64_t ns = 0;
    if (!ReadMonotonic(&ns))
        return 0;
    // Truncation to 32 bits gives the same wrap-around as the system tick count.
    return static_cast<uint32_t>(static_cast<uint64_t>(ns / 1000000));
}

void Platform_Sleep(uint32_t ms)
{
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec request{};
    request.tv_sec = static_cast<time_t>(ms / 1000);
    request.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    timespec remaining{};
    // A signal cuts the sleep short; sleep on for what is left.
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR)
        request = remaining;
}

bool Platform_LocalTime(std::time_t when, std::tm* local)
{
    return local && localtime_r(&when, local) != nullptr;
}
