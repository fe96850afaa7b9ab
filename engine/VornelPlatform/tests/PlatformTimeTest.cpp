#include "VornelPlatform/PlatformTime.h"

#include <gtest/gtest.h>

TEST(PlatformTime, CounterIsMonotonic)
{
    int64_t frequency = 0;
    ASSERT_TRUE(Platform_QueryPerformanceFrequency(&frequency));
#ifdef _WIN32
    EXPECT_GT(frequency, 0);
#else
    EXPECT_EQ(frequency, 1000000000);
#endif

    int64_t a = 0, b = 0;
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&a));
    Platform_Sleep(2);
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&b));
    EXPECT_GE(b - a, 2 * frequency / 1000); // the sleep lasts at least what was asked
}

TEST(PlatformTime, NullOutputIsRefused)
{
    EXPECT_FALSE(Platform_QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(Platform_QueryPerformanceFrequency(nullptr));
}

TEST(PlatformTime, TickCountFollowsTheCounter)
{
#ifdef _WIN32
    // Two clocks of the system: the tick count moves with the counter, at its own resolution.
    int64_t frequency = 0, before = 0, after = 0;
    ASSERT_TRUE(Platform_QueryPerformanceFrequency(&frequency));
    const uint32_t ticksBefore = Platform_GetTickCount();
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&before));
    Platform_Sleep(50);
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&after));
    const uint32_t ticks = Platform_GetTickCount() - ticksBefore;
    const int64_t counted = (after - before) * 1000 / frequency;
    EXPECT_GE(int64_t{ticks} + 20, counted);
    EXPECT_LE(int64_t{ticks}, counted + 1000);
#else
    int64_t ns = 0;
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&ns));
    const uint32_t ticks = Platform_GetTickCount();
    const uint32_t expected = static_cast<uint32_t>(static_cast<uint64_t>(ns / 1000000));
    EXPECT_LE(ticks - expected, 1000u); // same clock, read a moment later
#endif
}
