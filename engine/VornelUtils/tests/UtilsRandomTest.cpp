#include "VornelUtils/UtilsRandom.h"

#include "VornelUtils/WorldData.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

TEST(UtilsRandom, ReferenceSequence)
{
    auto world = std::make_unique<WorldData>();
    UtilsRandom_Seed(world.get(), 5489);
    EXPECT_EQ(UtilsRandom_Next(world.get()), 3499211612u);

    for (uint32_t seed : {5489u, 12345u}) {
        UtilsRandom_Seed(world.get(), seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 10000; ++i)
            ASSERT_EQ(UtilsRandom_Next(world.get()), reference()) << "seed " << seed << " draw " << i;
    }
}

TEST(UtilsRandom, TickSeed)
{
    EXPECT_LE(UtilsRandom_TickSeed(), 32767u);
    auto world = std::make_unique<WorldData>();
    UtilsRandom_Seed(world.get(), 0); // seeded from the tick count
    EXPECT_EQ(world->randomIndex, 624u);
}
