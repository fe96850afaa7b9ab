#include "VornelUtils/UtilsEasing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(UtilsEasing, EveryCurveRunsFromZeroToOne)
{
    EXPECT_EQ(g_UtilsEasingTable[0].function, nullptr);
    for (uint32_t i = 1; i < kUtilsEasingCount; ++i) {
        const UtilsEasingEntry& row = g_UtilsEasingTable[i];
        ASSERT_NE(row.function, nullptr) << row.name;
        EXPECT_NEAR(row.function(0.0f), 0.0f, 1e-6f) << row.name;
        EXPECT_NEAR(row.function(1.0f), 1.0f, 1e-6f) << row.name;
        // The second form holds the same rows one lower.
        EXPECT_EQ(std::string(g_UtilsEasingTableWithoutNone[i - 1].name), row.name);
        EXPECT_EQ(g_UtilsEasingTableWithoutNone[i - 1].function, row.function);
    }
}

TEST(UtilsEasing, KnownValues)
{
    EXPECT_FLOAT_EQ(UtilsEasing_InQuad(0.5f), 0.25f);
    EXPECT_FLOAT_EQ(UtilsEasing_OutCubic(0.5f), 0.875f);
    EXPECT_FLOAT_EQ(UtilsEasing_OutBounce(0.5f), 0.765625f);
    EXPECT_NEAR(UtilsEasing_OutBounce(1.0f / 2.75f), 1.0f, 1e-6f); // first parabola meets the second
    EXPECT_FLOAT_EQ(UtilsEasing_InEaseOutQuad(0.25f), 0.125f);
    EXPECT_FLOAT_EQ(UtilsEasing_InEaseOutSin(0.5f), 0.5f);

    // Continuous at the middle: both halves give 0.5.
    EXPECT_NEAR(UtilsEasing_InEaseOutBack(0.5f), 0.5f, 1e-6f);
    EXPECT_NEAR(UtilsEasing_InEaseOutBack(std::nextafter(0.5f, 0.0f)), 0.5f, 1e-5f);

    EXPECT_LT(UtilsEasing_InBack(0.3f), 0.0f);
    EXPECT_GT(UtilsEasing_OutBack(0.7f), 1.0f);
    EXPECT_GT(UtilsEasing_OutElastic(0.2f), 1.0f);
}

TEST(UtilsEasing, LookupByExactName)
{
    const auto* table = g_UtilsEasingTable;
    EXPECT_EQ(UtilsEasing_FindIndex(table, kUtilsEasingCount, "none"), 0);
    EXPECT_EQ(UtilsEasing_FindIndex(table, kUtilsEasingCount, "inQuad"), 2);
    EXPECT_EQ(UtilsEasing_FindIndex(table, kUtilsEasingCount, "inEaseOutElastic"), 25);
    EXPECT_EQ(UtilsEasing_FindIndex(table, kUtilsEasingCount, "InQuad"), -1);
    EXPECT_EQ(UtilsEasing_FindIndex(table, kUtilsEasingCount, nullptr), -1);
    EXPECT_EQ(UtilsEasing_FindFunction(table, kUtilsEasingCount, "none"), nullptr);
    EXPECT_EQ(UtilsEasing_FindFunction(table, kUtilsEasingCount, "InQuad"), nullptr);
    EXPECT_EQ(UtilsEasing_FindFunction(table, kUtilsEasingCount, "outBounce"), &UtilsEasing_OutBounce);

    const auto* shorter = g_UtilsEasingTableWithoutNone;
    EXPECT_EQ(UtilsEasing_FindIndex(shorter, kUtilsEasingCountWithoutNone, "linear"), 0);
    EXPECT_EQ(UtilsEasing_FindIndex(shorter, kUtilsEasingCountWithoutNone, "none"), -1);
    EXPECT_EQ(UtilsEasing_FindFunction(shorter, kUtilsEasingCountWithoutNone, "inQuad"), &UtilsEasing_InQuad);
}
