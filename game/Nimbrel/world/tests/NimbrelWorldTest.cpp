#include "NimbrelWorld/CNimbrelWorld.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "VornelUtils/UtilsString.h"

namespace fs = std::filesystem;

namespace {

// A per-user folder of the test's own (XDG_DATA_HOME), removed afterwards.
class UserFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        if (old)
            saved = old, hadOld = true;
        char pattern[] = "/tmp/nimbrel_world_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        setenv("XDG_DATA_HOME", root.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadOld)
            setenv("XDG_DATA_HOME", saved.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::error_code error;
        fs::remove_all(root, error);
    }
    void WriteOptions(const std::string& text)
    {
        const fs::path folder = fs::path(root) / "Nimbrel Nimbrel";
        fs::create_directories(folder);
        std::FILE* f = std::fopen((folder / "Nimbrel.v3.options.sav").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    std::string root, saved;
    bool hadOld = false;
};

}  // namespace

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

TEST_F(UserFolder, LoadOptionsSetsTheIdentityAndReadsTheDisplayChoice)
{
    CNimbrelWorld world;
    WriteOptions("[OPTIONS]\n---------\n\nOPTIONS_VERSION = 20\n\nENABLE_FULLSCREEN = 0\n\n");
    world.GetWorldData()->fullScreen = 1;
    EXPECT_EQ(world.LoadOptions(u"Nimbrel", u"Data_full_Win32\\", 0, 0, 2), kStatusOk);
    EXPECT_EQ(world.GetWorldData()->fullScreen, 0);
    EXPECT_EQ(world.GetAssetRow(), 2u);
    EXPECT_EQ(world.GetResourceMode(), kNimbrelResourceMode);
    EXPECT_EQ(std::u16string(world.GetClassName()), u"KESTRAN_NB_v3");
    EXPECT_EQ(std::u16string(world.GetAppName()), u"Nimbrel");
    EXPECT_EQ(std::u16string(world.GetWorldData()->dataPath), u"Data_full_Win32\\");

    char16_t path[kWorldTextSize];
    ASSERT_EQ(world.BuildUserDataPath(u"options.sav", u"Nimbrel", path), kStatusOk);
    EXPECT_EQ(UtilsString_ToUtf8(path), root + "/Nimbrel Nimbrel\\Nimbrel.v3.options.sav");
}

TEST_F(UserFolder, MissingOptionsStartInFullScreen)
{
    CNimbrelWorld world;
    EXPECT_EQ(world.LoadOptions(u"Nimbrel", nullptr, 0, 0, 1), kStatusOk);
    EXPECT_EQ(world.GetWorldData()->fullScreen, 1);
    EXPECT_EQ(std::u16string(world.GetWorldData()->dataPath), kNimbrelDefaultDataPath);
}

TEST_F(UserFolder, OverlongUserPathIsRefused)
{
    CNimbrelWorld world;
    world.SetDataFolder(u"Nimbrel", nullptr, 0, 0);
    const std::string deep = root + "/" + std::string(250, 'd');
    setenv("XDG_DATA_HOME", deep.c_str(), 1);
    char16_t path[kWorldTextSize];
    path[0] = u'x';
    EXPECT_EQ(world.BuildUserDataPath(u"options.sav", u"Nimbrel", path), kStatusFailed);
    EXPECT_EQ(path[0], 0);
    EXPECT_EQ(world.LoadOptions(u"Nimbrel", nullptr, 0, 0, 1), kStatusOk);  // defaults
    EXPECT_EQ(world.GetWorldData()->fullScreen, 1);
}
