// The tutorial object: its twelve parameter words, its check and its position keys.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "NamedElementsObject.h"
#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::vector<const char*> kNames = {"bg", "tl", "t", "tr", "r", "br", "b", "bl", "l", "c", "x", "arrow", "x2"};
const char* const kWords[] = {"tuto_background", "tuto_top_left", "tuto_top",   "tuto_top_right",
                              "tuto_right",      "tuto_bottom_right", "tuto_bottom", "tuto_bottom_left",
                              "tuto_left",       "tuto_center",    "tuto_close", "tuto_arrow"};

using TestTuto = NamedElementsObject<CObjectsInterfaceTuto>;

TEST(TutoInterface, TwelvePartsAreRequiredAndARepeatedWordKeepsTheLast)
{
    auto world = std::make_unique<WorldData>();
    TestTuto tuto(world.get(), kNames);
    EXPECT_EQ(tuto.GetTypeCode(), 264u);
    for (uint32_t i = 0; i + 1 < kTutoPartCount; ++i)
        ASSERT_EQ(tuto.Set(kWords[i], kNames[i]), kStatusDoneStoreResult) << kWords[i];
    EXPECT_EQ(tuto.CheckSetup(), kStatusFailed);   // eleven parts
    ASSERT_EQ(tuto.Set("tuto_arrow", "arrow"), kStatusDoneStoreResult);
    EXPECT_EQ(tuto.CheckSetup(), kStatusOk);
    for (uint32_t i = 0; i < kTutoPartCount; ++i)
        EXPECT_EQ(tuto.GetPart(i), tuto.Find(kNames[i])) << kWords[i];

    ASSERT_EQ(tuto.Set("tuto_close", "x2"), kStatusDoneStoreResult);
    EXPECT_EQ(tuto.GetPart(kTutoClose), tuto.Find("x2"));
    // Another word is accepted and changes nothing; a name the object lacks fails.
    EXPECT_EQ(tuto.Set("tuto_shadow", "bg"), kStatusDoneStoreResult);
    EXPECT_EQ(tuto.Set("tuto_close", "nowhere"), kStatusFailed);
    EXPECT_EQ(tuto.GetPart(kTutoClose), tuto.Find("x2"));
}

TEST(TutoInterface, PositionKeysAnswerByNameAndTheUnnamedOneToDefault)
{
    auto world = std::make_unique<WorldData>();
    TestTuto tuto(world.get(), kNames);
    EXPECT_EQ(tuto.FindPositionKey("default"), -1);
    ASSERT_GE(tuto.FindOrAddObjectPosition("default"), 0);
    ASSERT_GE(tuto.FindOrAddObjectPosition("low"), 0);
    EXPECT_EQ(tuto.FindPositionKey("default"), 0);
    EXPECT_EQ(tuto.FindPositionKey(nullptr), 0);
    EXPECT_EQ(tuto.FindPositionKey("low"), 1);
    EXPECT_EQ(tuto.FindPositionKey("high"), -1);
}

}  // namespace
