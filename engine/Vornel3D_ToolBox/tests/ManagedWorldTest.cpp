#include "Vornel3D_ToolBox/CManagedWorld.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ToolBoxTestWorld.h"
#include "VornelUtils/UtilsParameters.h"

TEST(ManagedWorld, ConstructionDefaults)
{
    CTestManagedWorld world;
    world.SetPlatformIndex(kPlatformIndexUnset);
    EXPECT_EQ(world.GetFlag(0), 0);
    EXPECT_EQ(world.GetFlag(1), 0);
    EXPECT_EQ(world.GetFlag(2), 1);
    EXPECT_EQ(world.GetResourceMode(), kResourceModeNone);
    EXPECT_EQ(world.GetPlatformIndex(), kPlatformIndexUnset);
    EXPECT_FLOAT_EQ(world.GetSpeedFactor(), 1.0f);
    // The default display-change callback does nothing and reports it.
    EXPECT_EQ(world.GetDisplayChangeCallback()(kDisplayChangedCode, nullptr), kStatusFailed);
}

TEST(ManagedWorld, ApplicationParametersAndNames)
{
    CTestManagedWorld world;
    char name[kManagedNameSize];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(world.GetApplicationName(name), 0u);  // empty name: 0 and the terminator
    EXPECT_EQ(name[0], '\0');

    world.SetApplicationParameters(0x42422, u"KESTRAN_NB_v3", u"Nimbrel", u"Data_full_Win32\\", 0);
    EXPECT_EQ(world.GetResourceMode(), 0x42422u);
    EXPECT_EQ(std::u16string(world.GetClassName()), u"KESTRAN_NB_v3");
    EXPECT_EQ(std::u16string(world.GetWorldData()->dataPath), u"Data_full_Win32\\");
    EXPECT_EQ(world.GetWorldData()->dataPathWord, 0);
    EXPECT_EQ(world.GetApplicationName(name), 7u);
    EXPECT_STREQ(name, "Nimbrel");

    // A name longer than its field is cut, never written past it.
    world.SetApplicationParameters(0, u"K", u"A name much longer than thirty-one characters", u"", 0);
    EXPECT_EQ(world.GetApplicationName(name), 31u);

    char16_t text[kWorldTextSize];
    EXPECT_EQ(world.GetGameString(u"KEY", u"Nimbrel", text), kStatusOk);
    EXPECT_EQ(std::u16string(text), u"KEY - Nimbrel");
}

TEST(ManagedWorld, LoadSetsScaleFactorsFromTheVirtualSize)
{
    CTestManagedWorld world;
    ASSERT_EQ(world.LoadWithEngine(5, 2048, 1536, 1024, 768), kStatusOk);
    const WorldData* w = world.GetWorldData();
    EXPECT_FLOAT_EQ(w->scaleX, 2.0f);
    EXPECT_FLOAT_EQ(w->scaleY, 2.0f);
    EXPECT_EQ(w->virtualWidth, 1024);
    EXPECT_EQ(w->virtualHeight, 768);
    EXPECT_EQ(w->realWidth, 2048);
    EXPECT_EQ(w->realHeight, 1536);
    EXPECT_EQ(world.Unload(), kStatusOk);
}

TEST(ManagedWorld, LoadWithoutVirtualSizeKeepsTheFactors)
{
    CTestManagedWorld world;
    ASSERT_EQ(world.LoadWithEngine(5, 1024, 768, 0xFFFF, 0xFFFF), kStatusOk);
    const WorldData* w = world.GetWorldData();
    EXPECT_FLOAT_EQ(w->scaleX, 1.0f);
    EXPECT_FLOAT_EQ(w->scaleY, 1.0f);
    EXPECT_EQ(w->virtualWidth, 1024);
    EXPECT_EQ(w->realWidth, 1024);
    EXPECT_EQ(world.Unload(), kStatusOk);
}

TEST(ManagedWorld, LoadFailsWithoutRenderer)
{
    CTestManagedWorld world;
    EXPECT_EQ(world.Load(nullptr, 640, 480, 32, 0, 0, 0, 0, 1, u"", 0xFFFF, 0xFFFF), kStatusFailed);
    EXPECT_EQ(world.GetWorldData()->lastErrorCode, kStatusModuleMissing);
    world.Unload();
}

TEST(ManagedWorld, UpdateScalesTheFrameTimeAndClearsTheInputBlock)
{
    const char settings[] = "[CAMERA]\nSPEED_FACTOR = 2.5\n";
    UtilsParameters_Text appSettings(settings, sizeof settings - 1);
    CTestManagedWorld world;
    ASSERT_EQ(world.SetParameters(nullptr, &appSettings, nullptr, nullptr, 0, nullptr, nullptr), kStatusOk);
    ASSERT_EQ(world.LoadWithEngine(5, 1024, 768, 0xFFFF, 0xFFFF), kStatusOk);
    EXPECT_FLOAT_EQ(world.GetSpeedFactor(), 2.5f);

    world.GetWorldData()->frameTime = 2.0;
    world.SetInputBlock(1);
    EXPECT_EQ(world.Update(), kStatusOk);
    EXPECT_DOUBLE_EQ(world.GetWorldData()->frameTime, 5.0);
    EXPECT_EQ(world.GetInputBlock(), 0);
    EXPECT_EQ(world.Unload(), kStatusOk);
}

TEST(ManagedWorld, UnloadWithNothingOwnedRunsTheEngineUnload)
{
    CTestManagedWorld world;
    EXPECT_EQ(world.Unload(), kStatusOk);
    EXPECT_EQ(world.GetGammaRamp(), nullptr);
    EXPECT_EQ(world.CreateInputDeviceA(), kStatusFailed);  // no input module in this program
    EXPECT_EQ(world.CreateInputDeviceB(), kStatusFailed);
}

TEST(ManagedWorld, ExternalPackIsOpenedAndClosed)
{
    CTestManagedWorld world;
    EXPECT_EQ(world.SetExternalPack(u"no/such/pack.pak", 7, nullptr), kStatusOk);
    EXPECT_EQ(world.GetExternalPackFile(), nullptr);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(world.SetExternalPack(u"given.pak", 0, file), kStatusOk);
    EXPECT_EQ(world.GetExternalPackFile(), file);
    EXPECT_EQ(world.Unload(), kStatusOk);  // closes it
    EXPECT_EQ(world.GetExternalPackFile(), nullptr);
}
