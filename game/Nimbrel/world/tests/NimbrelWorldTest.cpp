#include "NimbrelWorld/CNimbrelWorld.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

TEST(NimbrelWorld, CreatedWithTheManagedDefaults)
{
    std::unique_ptr<CNimbrelWorld> world(CreateNimbrelWorld());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetPlatformIndex(), kPlatformIndexUnset);
    EXPECT_EQ(world->Prepare(36), kStatusOk);
    EXPECT_EQ(world->OnMouseDown(1.0f, 2.0f, 0), kStatusOk);
    EXPECT_EQ(world->OnMouseWheel(0.05f), kStatusOk);
    EXPECT_EQ(world->Unload(), kStatusOk);
}

TEST(NimbrelWorld, GameStringIsTheTextOrTheApplicationName)
{
    CNimbrelWorld world;
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    char16_t out[kWorldTextSize];
    EXPECT_EQ(world.GetGameString(kNimbrelClassName, u"Title", out), kStatusOk);
    EXPECT_EQ(std::u16string(out), u"Title");
    EXPECT_EQ(world.GetGameString(kNimbrelClassName, nullptr, out), kStatusOk);
    EXPECT_EQ(std::u16string(out), u"Nimbrel");
}
