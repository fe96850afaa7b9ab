#include "VornelUtils/PowerOfTwo.h"

#include <gtest/gtest.h>

TEST(PowerOfTwo, NextPowerOfTwo)
{
    const struct { uint32_t in, out; } cases[] = {
        {0, 2}, {1, 1}, {2, 2}, {3, 4}, {1000, 1024}, {1024, 1024}, {1025, 2048}, {0x80000000u, 0x80000000u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextPowerOfTwo(c.in), c.out) << c.in;
}

TEST(PowerOfTwo, DoublingsToReach)
{
    EXPECT_EQ(DoublingsToReach(512, 1024), 1);
    EXPECT_EQ(DoublingsToReach(1024, 1024), 0);
    EXPECT_EQ(DoublingsToReach(2048, 1024), 0);
    EXPECT_EQ(DoublingsToReach(256, 1024), 2);
    EXPECT_EQ(DoublingsToReach(1, 0x80000000u), 31);
}
