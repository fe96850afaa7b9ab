// The glide after a drag, measured on a counter the test moves (1 tick = 1 µs).
#include "NimbrelManagers/CDragInertia.h"

#include <gtest/gtest.h>

#include <string>

#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

int64_t g_ticks = 0;
bool Counter(int64_t* value) { *value = g_ticks; return true; }
bool Frequency(int64_t* value) { *value = 1000000; return true; }

class DragInertiaTest : public ::testing::Test {
protected:
    DragInertiaTest()
    {
        world.frameTime = 1.0;
        g_ticks = 0;
        EXPECT_EQ(inertia.Load(), kStatusOk);
    }
    // A press at 0, `moves` moves of (step, 0) every 10 ms, a release where the last move ended.
    void Drag(int moves, float step)
    {
        inertia.BeginDrag(0.0f, 0.0f);
        float x = 0.0f;
        for (int i = 0; i < moves; ++i) {
            g_ticks += 10000;
            x += step;
            inertia.AddMove(x, 0.0f);
        }
        inertia.Release(x, 0.0f);
    }

    WorldData world{};
    CDragInertia inertia{&world, &Counter, &Frequency};
};

TEST_F(DragInertiaTest, OnlyAFastDragOfSeveralMovesGlides)
{
    Drag(1, 100.0f);   // one move: no glide
    EXPECT_EQ(inertia.GetVelocityX(), 0.0f);
    Drag(5, 30.0f);    // a mean of 30: no glide
    EXPECT_EQ(inertia.GetVelocityX(), 0.0f);
    Drag(5, 40.0f);    // 40 per 10 ms x 30
    EXPECT_FLOAT_EQ(inertia.GetVelocityX(), 40.0f * 0.01f * 30.0f);
    EXPECT_EQ(inertia.GetVelocityY(), 0.0f);
}

TEST_F(DragInertiaTest, TheGlideDecaysOncePerCallAndAPressStopsIt)
{
    Drag(4, 50.0f);
    const float v = inertia.GetVelocityX();
    ASSERT_GT(v, 0.0f);
    world.frameTime = 2.0;
    float x, y, z;
    inertia.Step(&x, &y, &z);
    EXPECT_FLOAT_EQ(x, v * 2.0f);
    EXPECT_EQ(y, 0.0f);
    inertia.Step(&x, &y, &z);
    EXPECT_FLOAT_EQ(x, v * 0.95f * 2.0f);
    inertia.BeginDrag(0.0f, 0.0f);
    inertia.Step(&x, &y, &z);
    EXPECT_EQ(x, 0.0f);
}

TEST_F(DragInertiaTest, SettingsAreReadAndADecayRatioOfOneOrMoreIsHeldBelowOne)
{
    EXPECT_FLOAT_EQ(inertia.GetDecay(), 0.95f);
    const std::string text = "[DRAGGING_INERTIA]\nDRAGGING_SPEED=10\nDRAGGING_SPEED_DEC_RATIO=1.0\n";
    UtilsParameters_Text settings(text.data(), static_cast<uint32_t>(text.size()));
    world.pAppSettings = &settings;
    CDragInertia tuned(&world, &Counter, &Frequency);
    ASSERT_EQ(tuned.Load(), kStatusOk);
    world.pAppSettings = nullptr;
    EXPECT_LT(tuned.GetDecay(), 1.0f);
    tuned.BeginDrag(0.0f, 0.0f);
    for (int i = 1; i <= 3; ++i) {
        g_ticks += 10000;
        tuned.AddMove(40.0f * i, 0.0f);
    }
    tuned.Release(120.0f, 0.0f);
    EXPECT_FLOAT_EQ(tuned.GetVelocityX(), 40.0f * 0.01f * 10.0f);
}

}  // namespace
