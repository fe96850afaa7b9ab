// vornel image, run as a program on files written by the engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ToolTestSupport.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

using tooltest::RunTool;

class ImageCommandTest : public ::testing::Test {
protected:
    ImageCommandTest() { world.dataPathWord = -1; }
    std::u16string Wide(const std::string& name) { return UtilsString_FromUtf8((folder / name).c_str()); }
    std::string Path(const std::string& name) { return (folder / name).string(); }

    tooltest::TempFolder temp{"vornel-image-tool-"};
    std::filesystem::path folder = temp.Path();
    WorldData world{};
};

} // namespace

TEST_F(ImageCommandTest, ConvertJpegToPngThenDescribeIt)
{
    std::vector<uint8_t> pixels(40 * 24 * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i / 3 % 40 * 6);
    C3DTextureRaw image(&world);
    ASSERT_EQ(image.SetPixelsCopy(40, 24, 24, pixels.data()), kStatusOk);
    ASSERT_EQ(image.SaveToFile(Wide("in.jpg").c_str(), false), kStatusOk);
    image.Release();

    EXPECT_EQ(RunTool("image convert " + Path("in.jpg") + " " + Path("out.png")).first, 0);
    const auto [status, output] = RunTool("image info " + Path("out.png"));
    EXPECT_EQ(status, 0);
    EXPECT_NE(output.find("format: PNG\n"), std::string::npos) << output;
    EXPECT_NE(output.find("width: 40\n"), std::string::npos) << output;
    EXPECT_NE(output.find("height: 24\n"), std::string::npos) << output;
    EXPECT_NE(output.find("depth: 24 (RGB)\n"), std::string::npos) << output;

    C3DTextureRaw back(&world);
    ASSERT_EQ(back.LoadFromFile(Wide("out.png").c_str()), kStatusOk);
    EXPECT_EQ(back.GetWidth(), 40);
    EXPECT_EQ(back.GetHeight(), 24);
    EXPECT_NEAR(back.GetPixels()[39 * 3], 39 * 6, 12); // the picture stays upright
    back.Release();
}

TEST_F(ImageCommandTest, AlphaImagesBecomeRgbJpeg)
{
    std::vector<uint8_t> pixels(8 * 8 * 4, 200);
    C3DTextureRaw image(&world);
    ASSERT_EQ(image.SetPixelsCopy(8, 8, 32, pixels.data()), kStatusOk);
    ASSERT_EQ(image.SaveToFile(Wide("alpha.png").c_str(), false), kStatusOk);
    image.Release();
    EXPECT_EQ(RunTool("image convert " + Path("alpha.png") + " " + Path("alpha.jpg")).first, 0);
    EXPECT_NE(RunTool("image info " + Path("alpha.jpg")).second.find("depth: 24 (RGB)"), std::string::npos);
}

TEST_F(ImageCommandTest, ErrorsAndUsage)
{
    EXPECT_EQ(RunTool("image info " + Path("missing.png")).first, 1);
    EXPECT_EQ(RunTool("image convert " + Path("missing.png") + " " + Path("x.tga")).first, 2);
    EXPECT_EQ(RunTool("image").first, 2);
}
