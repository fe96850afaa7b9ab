// The sample's pictures and sounds as the build left them: drawn from their recipes into the
// game's pack, or beside it, and readable by the engine under the names the game looks for.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::string kDataFolder = std::string(NIMBREL_BIN_DIR) + "/Data_full_Win32/";
const std::string kPack = kDataFolder + NIMBREL_APP_NAME "_full_Win32.HD.pak";

class SampleArt : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(OpenPackFile(&pack, UtilsString_FromUtf8(kPack.c_str()).c_str(), 0), kStatusOk) << kPack;
    }
    void TearDown() override { ClosePackFile(&pack); }

    bool Find(const char* name) { return Succeeded(FindPackEntry(UtilsString_FromUtf8(name).c_str(), &pack)); }

    PackRecord pack{};
    WorldData world{};
};

} // namespace

TEST_F(SampleArt, PicturesAreInThePackAtTheirSizes)
{
    const struct {
        const char* name;
        int width, height;
    } kPictures[] = {
        {"textures/loading_1024x768.png", 1024, 768}, {"textures/studio_1024x768.png", 1024, 768},
        {"textures/studio_1024x768.fr.png", 1024, 768}, {"progress_bar.1.png", 256, 64},
        {"progress_bar.2.png", 256, 64},               {"progress_bar.3.png", 256, 64},
        {"transition_noise.png", 256, 256},            {"transition_con_b.png", 256, 256},
        {"abuse.png", 256, 256},                      {"cursors.png", 256, 128},
        {"touch.png", 64, 64},                         {"flashlight.png", 128, 128},
        {"obstruction.png", 16, 16},
    };
    for (const auto& p : kPictures) {
        SCOPED_TRACE(p.name);
        ASSERT_TRUE(Find(p.name));
        C3DTextureRaw image(&world);
        ASSERT_EQ(image.LoadFromPacker(&pack), kStatusOk);
        EXPECT_EQ(image.GetWidth(), p.width);
        EXPECT_EQ(image.GetHeight(), p.height);
        EXPECT_EQ(image.GetDepth(), 32);
        image.Release();
    }
    // The recipes' parts are not pictures of the game.
    EXPECT_FALSE(Find("textures/studio_logo.recipe"));
    EXPECT_FALSE(Find("textures/studio_logo"));
}

TEST_F(SampleArt, SoundsAreWavFilesBesideThePack)
{
    // The surround manager plays loose files only.
    for (const char* name : {"default_click.wav", "null_click.wav", "negative_click.wav", "sounds/null.wav",
                             "sounds/birds.stream.wav", "sounds/candle.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Find(name));
        std::FILE* file = std::fopen((kDataFolder + name).c_str(), "rb");
        ASSERT_NE(file, nullptr);
        char header[12] = {};
        ASSERT_EQ(std::fread(header, 1, sizeof header, file), sizeof header);
        std::fclose(file);
        EXPECT_EQ(std::string(header, 4), "RIFF");
        EXPECT_EQ(std::string(header + 8, 4), "WAVE");
    }
}

// Every puzzle of chapter 2 that does not explain itself says what solves it, in both
// languages, and so do the words a finished puzzle, a settled hand, the black jack's buttons
// and the study's notebook show.
TEST_F(SampleArt, ThePuzzlesSayWhatSolvesThemInBothLanguages)
{
    for (const char* picture :
         {"textures/switch/goal", "textures/circles/goal", "textures/wheels/goal", "textures/jigsaw/goal", "textures/puzzle/goal",
          "textures/mixture/goal", "textures/circles/solved", "textures/blackjack/result_won",
          "textures/blackjack/result_lost", "textures/blackjack/result_push", "textures/blackjack/bet",
          "textures/blackjack/hit", "textures/blackjack/stand", "textures/notebook/page"}) {
        for (const char* variant : {".png", ".fr.png"}) {
            const std::string name = std::string(picture) + variant;
            SCOPED_TRACE(name);
            ASSERT_TRUE(Find(name.c_str()));
            C3DTextureRaw image(&world);
            ASSERT_EQ(image.LoadFromPacker(&pack), kStatusOk);
            EXPECT_GT(image.GetWidth(), 0);
            image.Release();
        }
    }
}

TEST_F(SampleArt, LooseSplashLiesBesideThePack)
{
    C3DTextureRaw image(&world);
    const std::string path = kDataFolder + "splashscreen_1_1024x768.jpg";
    ASSERT_EQ(image.LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str()), kStatusOk);
    EXPECT_EQ(image.GetWidth(), 1024);
    EXPECT_EQ(image.GetHeight(), 768);
    EXPECT_EQ(image.GetDepth(), 24);
    image.Release();
    EXPECT_FALSE(Find("splashscreen_1_1024x768.jpg"));
}

TEST_F(SampleArt, FragmentShadersArePackedAsWritten)
{
    for (const char* name : {"textures/default.gl.frag", "textures/transition.gl.frag", "textures/default.dx.frag",
                             "textures/transition.dx.frag"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Find(name));
        std::string packed(pack.lastEntrySize, '\0');
        ASSERT_EQ(std::fread(&packed[0], 1, packed.size(), pack.pFile), packed.size());
        std::FILE* source = std::fopen((std::string(VORNEL_SOURCE_DIR) + "/data/sample/pack/" + name).c_str(), "rb");
        ASSERT_NE(source, nullptr);
        std::string written(packed.size() + 1, '\0');
        written.resize(std::fread(&written[0], 1, written.size(), source));
        std::fclose(source);
        EXPECT_EQ(packed, written);
    }
}
