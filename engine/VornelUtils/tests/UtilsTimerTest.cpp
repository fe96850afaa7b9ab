#include "VornelUtils/UtilsTimer.h"

#include "VornelUtils/WorldData.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

int64_t g_counter = 0;
bool g_counterWorks = true;

bool FakeCounter(int64_t* value)
{
    *value = g_counter;
    return g_counterWorks;
}

bool FakeFrequency(int64_t* value)
{
    *value = 1000000000; // nanoseconds
    return true;
}

struct TimerTest : ::testing::Test {
    void SetUp() override
    {
        g_counter = 5000;
        g_counterWorks = true;
        timer.SetClock(FakeCounter, FakeFrequency);
    }
    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
    UtilsTimer timer{world.get()};
};

} // namespace

TEST_F(TimerTest, SixtyFramesPerSecond)
{
    ASSERT_EQ(timer.Init(), kStatusOk);
    g_counter += 16666667;
    timer.Update();
    EXPECT_NEAR(world->frameTime, 0.5, 1e-6);
    EXPECT_NEAR(world->framesPerSecond, 60.0, 1e-4);
}

TEST_F(TimerTest, BackwardsCounterGivesNoStep)
{
    ASSERT_EQ(timer.Init(), kStatusOk);
    g_counter += 33333333;
    timer.Update();
    EXPECT_NEAR(world->framesPerSecond, 30.0, 1e-4);
    g_counter -= 1000000;
    timer.Update();
    EXPECT_EQ(world->frameTime, 0.0);
    EXPECT_NEAR(world->framesPerSecond, 30.0, 1e-4); // kept when the step is 0
    g_counter += 16666667; // measured from the new, lower value
    timer.Update();
    EXPECT_NEAR(world->frameTime, 0.5, 1e-6);
}

TEST_F(TimerTest, ExtraReadHidesAPause)
{
    ASSERT_EQ(timer.Init(), kStatusOk);
    EXPECT_EQ(timer.AddExtraUpdates(2), 2u);
    timer.RequestExtraUpdate(); // back to one pending read
    g_counter += 3000000000LL;  // a long pause
    timer.Update();             // both reads see the same counter: no time passed
    EXPECT_EQ(world->frameTime, 0.0);
    g_counter += 16666667;
    timer.Update(); // no read pending any more
    EXPECT_NEAR(world->frameTime, 0.5, 1e-6);
}

TEST_F(TimerTest, InitFailsWhenTheCounterFails)
{
    g_counterWorks = false;
    EXPECT_EQ(timer.Init(), kStatusFailed);
}

TEST(Timer, PlatformClock)
{
    auto world = std::make_unique<WorldData>();
    UtilsTimer timer(world.get());
    ASSERT_EQ(timer.Init(), kStatusOk);
    timer.Update();
    EXPECT_GE(world->frameTime, 0.0);
}
