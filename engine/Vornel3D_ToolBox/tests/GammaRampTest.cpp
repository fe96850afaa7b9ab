#include "Vornel3D_ToolBox/CGammaRamp.h"

#include <gtest/gtest.h>

#include "ToolBoxTestWorld.h"

TEST(GammaRamp, RampEntriesByLevel)
{
    uint16_t ramp[256];
    CGammaRamp::BuildRamp(0, ramp);  // step 128: half brightness at the top
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[1], 128);
    EXPECT_EQ(ramp[255], 32640);

    CGammaRamp::BuildRamp(127, ramp);  // step 255: close to the identity ramp
    EXPECT_EQ(ramp[255], 65025);

    CGammaRamp::BuildRamp(255, ramp);  // step 383: clipped from entry 172 on
    EXPECT_EQ(ramp[171], 171 * 383);
    EXPECT_EQ(ramp[172], 65535);
    EXPECT_EQ(ramp[255], 65535);
}

TEST(GammaRamp, LevelIsClampedAndKept)
{
    CTestManagedWorld world;
    CGammaRamp ramp(world.GetWorldData());
    EXPECT_EQ(ramp.GetLevel(), 127);
    ramp.SetLevel(300);  // without a window the display refuses, but the level is stored
    EXPECT_EQ(ramp.GetLevel(), 255);
    ramp.SetLevel(kGammaKeepLevel);
    EXPECT_EQ(ramp.GetLevel(), 255);
    ramp.SetLevel(40);
    EXPECT_EQ(ramp.GetLevel(), 40);
}

TEST(GammaRamp, DisplayWithoutRampMakesSetLevelReturnZero)
{
    CTestManagedWorld world;
    CGammaRamp ramp(world.GetWorldData());
    EXPECT_EQ(ramp.SetLevel(100), 0);  // no window: nobody takes the ramp, and that is no failure code
}

TEST(GammaRamp, RestoreBeforeSaveFails)
{
    CTestManagedWorld world;
    CGammaRamp ramp(world.GetWorldData());
    EXPECT_EQ(ramp.Restore(), kStatusFailed);
    EXPECT_EQ(ramp.Save(), kStatusFailed);  // no window, no ramp to read
    EXPECT_FALSE(ramp.HasSavedRamp());
    EXPECT_EQ(ramp.Restore(), kStatusFailed);
    EXPECT_EQ(ramp.Init(), kStatusOk);
    EXPECT_EQ(ramp.Release(), kStatusOk);
}

TEST(GammaRamp, RefusedOffThePlatformRow)
{
    CTestManagedWorld world;
    world.SetPlatformIndex(kPlatformIndexUnset);
    CGammaRamp ramp(world.GetWorldData());
    EXPECT_EQ(ramp.SetLevel(10), kStatusFailed);
    EXPECT_EQ(ramp.GetLevel(), 127);  // nothing stored either
    EXPECT_EQ(ramp.Save(), kStatusFailed);
    EXPECT_EQ(ramp.Restore(), kStatusFailed);
}

TEST(GammaRamp, WorldMakesAndReplacesIt)
{
    CTestManagedWorld world;
    EXPECT_EQ(world.CreateGammaRamp(), kStatusOk);
    CGammaRamp* first = world.GetGammaRamp();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(world.CreateGammaRamp(), kStatusOk);
    EXPECT_NE(world.GetGammaRamp(), nullptr);
    EXPECT_EQ(world.Unload(), kStatusOk);
    EXPECT_EQ(world.GetGammaRamp(), nullptr);
}
