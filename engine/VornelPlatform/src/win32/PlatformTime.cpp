#include "VornelPlatform/PlatformTime.h"

#include <windows.h>

bool Platform_QueryPerformanceCounter(int64_t* value)
{
    if (!value)
        return false;
    LARGE_INTEGER counter;
    if (!QueryPerformanceCounter(&counter))
        return false;
    *value = counter.QuadPart;
    return true;
}

bool Platform_QueryPerformanceFrequency(int64_t* value)
{
    if (!value)
        return false;
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return false;
    *value = frequency.QuadPart;
    return true;
}

uint32_t Platform_GetTickCount()
{
    // The low 32 bits: the same wrap-around as GetTickCount, without its warning.
    return static_cast<uint32_t>(GetTickCount64());
}

void Platform_Sleep(uint32_t ms)
{
    // Sleep(0) gives up the rest of the time slice, as the yield on the other side does.
    Sleep(ms);
}

bool Platform_LocalTime(std::time_t when, std::tm* local)
{
    return local && localtime_s(local, &when) == 0;
}
