// vornel image, run as a program on files written by the engine.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

const std::string kTool = std::string(VORNEL_BINARY_DIR) + "/bin/vornel";

// Exit status and standard output of the tool.
std::pair<int, std::string> RunTool(const std::string& arguments)
{
    std::string output;
    FILE* pipe = popen((kTool + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return {-1, output};
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class ImageCommandTest : public ::testing::Test {
protected:
    ImageCommandTest()
    {
        std::random_device random;
        folder = std::filesystem::temp_directory_path() / ("vornel-image-tool-" + std::to_string(random()));
        std::filesystem::create_directories(folder);
        world.dataPathWord = -1;
    }
    ~ImageCommandTest() override { std::filesystem::remove_all(folder); }
    std::u16string Wide(const std::string& name) { return UtilsString_FromUtf8((folder / name).c_str()); }
    std::string Path(const std::string& name) { return (folder / name).string(); }

    std::filesystem::path folder;
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
