#include "VornelPlatform/PlatformTime.h"

#include <gtest/gtest.h>

TEST(PlatformTime, CounterIsMonotonicInNanoseconds)
{
    int64_t frequency = 0;
    ASSERT_TRUE(Platform_QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency, 1000000000);

    int64_t a = 0, b = 0;
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&a));
    Platform_Sleep(2);
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&b));
    EXPECT_GE(b - a, 2000000); // the sleep lasts at least what was asked
}

TEST(PlatformTime, NullOutputIsRefused)
{
    EXPECT_FALSE(Platform_QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(Platform_QueryPerformanceFrequency(nullptr));
}

TEST(PlatformTime, TickCountFollowsTheCounter)
{
    int64_t ns = 0;
    ASSERT_TRUE(Platform_QueryPerformanceCounter(&ns));
    const uint32_t ticks = Platform_GetTickCount();
    const uint32_t expected = static_cast<uint32_t>(static_cast<uint64_t>(ns / 1000000));
    EXPECT_LE(ticks - expected, 1000u); // same clock, read a moment later
}
