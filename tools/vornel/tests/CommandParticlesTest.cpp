// vornel particles show, run as a program on the sample's data: the four sprite pictures drawn
// where their particles stand, and the command's refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ToolTestSupport.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"

namespace {

using tooltest::RunTool;

const std::string kStaging = std::string(VORNEL_BINARY_DIR) + "/sample_staging";
const std::string kAppSettings = std::string(VORNEL_SOURCE_DIR) + "/data/sample/settings/app.ini";

bool IsBackground(const uint8_t* p)
{
    return p[0] == 0x20 && p[1] == 0x20 && p[2] == 0x20;
}

TEST(CommandParticlesTest, TheSampleSpritesAreDrawnInTheirCells)
{
    ASSERT_TRUE(std::filesystem::exists(kStaging + "/firework.png")) << "the sample's staging folder";
    tooltest::TempFolder folder("vornel-particles-");
    const std::filesystem::path out = folder.Path() / "particles.png";
    const auto [status, printed] =
        RunTool("particles show " + kStaging + " " + out.string() + " --settings " + kAppSettings + " --time 1");
    ASSERT_EQ(status, 0) << printed;
    EXPECT_EQ(printed, out.string() + ": 640x160 at 1.000 s\n");
    C3DTextureRaw image(nullptr);
    ASSERT_EQ(image.LoadFromFile(UtilsString_FromUtf8(out.c_str()).c_str()), kStatusOk);
    ASSERT_EQ(image.GetWidth(), 640);
    ASSERT_EQ(image.GetHeight(), 160);
    const int bytes = image.GetDepth() / 8;
    // Rows are stored bottom-up.
    auto pixel = [&](int x, int y) { return image.GetPixels() + (size_t(159 - y) * 640 + x) * bytes; };
    const char* kinds[] = {"firework", "star", "pulse", "falling star"};
    for (int i = 0; i < 4; ++i) {
        int lit = 0;
        for (int y = 40; y < 120; y += 2)
            for (int x = 128 * i + 24; x < 128 * i + 104; x += 2)
                lit += !IsBackground(pixel(x, y));
        EXPECT_GT(lit, 100) << kinds[i];
    }
    int text = 0;
    for (int y = 20; y < 160; ++y)
        for (int x = 512; x < 640; ++x)
            text += !IsBackground(pixel(x, y));
    EXPECT_GT(text, 50) << "the rising text";
    EXPECT_TRUE(IsBackground(pixel(2, 2)));
    EXPECT_TRUE(IsBackground(pixel(130, 157)));
}

TEST(CommandParticlesTest, BadArgumentsAndMissingPicturesAreRefused)
{
    tooltest::TempFolder folder("vornel-particles-");
    const std::string out = (folder.Path() / "out.png").string();
    EXPECT_EQ(RunTool("particles show " + kStaging + " " + out + " --time 2").first, 2);
    EXPECT_EQ(RunTool("particles show " + kStaging + " " + out + " --colour red").first, 2);
    EXPECT_EQ(RunTool("particles draw " + kStaging + " " + out).first, 2);
    EXPECT_EQ(RunTool("particles show " + (folder.Path() / "none").string() + " " + out).first, 1);
    // A folder without the pictures names the first one missing.
    const auto [status, said] = RunTool("particles show " + folder.Path().string() + " " + out, true);
    EXPECT_EQ(status, 1);
    EXPECT_NE(said.find("Missing file: "), std::string::npos) << said;
    EXPECT_NE(said.find("firework.png"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
