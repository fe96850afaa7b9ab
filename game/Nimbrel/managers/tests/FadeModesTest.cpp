// The script words of fades, drags and eases.
#include "NimbrelManagers/FadeModes.h"

#include <gtest/gtest.h>

TEST(FadeModesTest, WordsMatchExactlyElseNone)
{
    EXPECT_EQ(FadeModeFromName("fade_show"), 1u);
    EXPECT_EQ(FadeModeFromName("force_invert"), 12u);
    EXPECT_EQ(FadeModeFromName("fade_transition"), 512u);
    EXPECT_EQ(FadeModeFromName("Fade_show"), 0u);
    EXPECT_EQ(FadeModeFromName("superposition"), 0u);   // a drag word only
    EXPECT_EQ(FadeModeFromName(nullptr), 0u);
    EXPECT_EQ(DragFadeModeFromName("fade_velocity_looped_y"), 208u);
    EXPECT_EQ(DragFadeModeFromName("fade_velocity_looped_randomized_x"), 1200u);
    EXPECT_EQ(DragFadeModeFromName("superposition"), 256u);
    EXPECT_EQ(DragFadeModeFromName("fade_show"), 0u);
}

TEST(FadeModesTest, AnimatedModes)
{
    for (uint32_t mode : {1u, 2u, 4u, 128u, 130u, 512u, 256u | 2u})
        EXPECT_TRUE(FadeModeIsAnimated(mode)) << mode;
    for (uint32_t mode : {0u, 9u, 10u, 12u, 256u})
        EXPECT_FALSE(FadeModeIsAnimated(mode)) << mode;
}

TEST(FadeModesTest, EasingRowsByExactName)
{
    EXPECT_EQ(EasingFromName("none"), 0);
    EXPECT_EQ(EasingFromName("linear"), 1);
    EXPECT_EQ(EasingFromName("inEaseOutSin"), 16);
    EXPECT_EQ(EasingFromName("inEaseOutElastic"), 25);
    EXPECT_EQ(EasingFromName("InQuad"), -1);
    EXPECT_EQ(EasingFromName(nullptr), -1);
}
