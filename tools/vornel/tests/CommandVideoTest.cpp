// vornel video new and info, run as a program: what new writes, info reads back through the
// engine's player.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ToolTestSupport.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D/VideoOggWriter.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

using tooltest::RunTool;

class VideoCommandTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (temp.Path() / name).string(); }
    tooltest::TempFolder temp{"vornel-video-tool-"};
};

TEST_F(VideoCommandTest, NewThenInfo)
{
    struct Case {
        std::string arguments;
        std::string expected;  // info's first lines
        size_t frames;
        std::string lastEnd;
    };
    const Case cases[] = {
        {"96x64 15 2 --channels 2 --rate 22050 --tone 330",
         "picture: 96x64, 15.000 frames per second\nsound: 2 channel(s), 22050 Hz\n", 30, "2000 ms"},
        {"33x17 30000/1001 0.5 --channels 0",
         "picture: 33x17, 29.970 frames per second\nsound: none\n", 15, "500 ms"},
        {"64x48 10 1 --channels 1 --rate 8000", "picture: 64x48, 10.000 frames per second\nsound: 1 channel(s), 8000 Hz\n",
         10, "1000 ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string file = Path("test.ogv");
        const auto [status, errors] = RunTool("video new " + file + " " + c.arguments, true);
        ASSERT_EQ(status, 0) << errors;
        const auto [infoStatus, info] = RunTool("video info " + file);
        ASSERT_EQ(infoStatus, 0);
        EXPECT_EQ(info.rfind(c.expected, 0), 0u) << info;
        EXPECT_NE(info.find("frames: " + std::to_string(c.frames) + ", the last ending at " + c.lastEnd), std::string::npos)
            << info;
    }
    // Frame ends are listed ten to a line.
    const auto info = RunTool("video info " + Path("test.ogv")).second;
    EXPECT_NE(info.find("frame ends (ms):\n  100 200 300 400 500 600 700 800 900 1000\n"), std::string::npos) << info;
}

TEST_F(VideoCommandTest, BadUsesAndFilesAreRefused)
{
    for (const std::string& arguments :
         {"new", "new out.ogv 64x48 10", "new out.ogv 64-48 10 1", "new out.ogv 64x48 ten 1",
          "new out.ogv 64x48 10 1 --channels", "new out.ogv 64x48 10 1 --colour 3", "info", "info a b"})
        EXPECT_EQ(RunTool("video " + arguments).first, 2) << arguments;
    const std::string out = Path("refused.ogv");
    for (const std::string& arguments : {"0x48 10 1", "5000x48 10 1", "64x48 0 1", "64x48 10 0", "64x48 10 1 --channels 9",
                                         "64x48 10 1 --rate 100"}) {
        const auto [status, errors] = RunTool("video new " + out + " " + arguments, true);
        EXPECT_EQ(status, 1) << arguments;
        EXPECT_NE(errors.find("vornel video: "), std::string::npos) << errors;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_TRUE(tooltest::WriteFile(Path("not.ogv"), std::string(10000, 'x')));
    const auto [status, errors] = RunTool("video info " + Path("not.ogv"), true);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(errors, "vornel video: " + Path("not.ogv") +
                          ": not a video the player can play: bad or unsupported data (0x80000001)\n");
    EXPECT_EQ(RunTool("video info " + Path("missing.ogv")).first, 1);
}

// The pictures the player shows, drawn on the GL renderer: every Nth frame, upright, its bars
// in their colours and its strip with its number.
TEST_F(VideoCommandTest, FramesWritesThePicturesShown)
{
    const std::string file = Path("card.ogv");
    ASSERT_EQ(RunTool("video new " + file + " 128x64 10 1.2 --channels 1 --rate 8000").first, 0);
    const auto [status, output] = RunTool("video frames " + file + " " + Path("out") + " --every 5");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(output, "3 picture(s) of 128x64 written to " + Path("out") + "\n");
    for (uint32_t index : {0u, 5u, 10u}) {
        char name[32];
        std::snprintf(name, sizeof(name), "frame_%05u.png", index);
        auto world = std::make_unique<WorldData>();
        world->dataPathWord = -1;
        C3DTextureRaw picture(world.get());
        ASSERT_EQ(picture.LoadFromFile(UtilsString_FromUtf8((temp.Path() / "out" / name).c_str()).c_str()), kStatusOk)
            << name;
        ASSERT_EQ(picture.GetWidth(), 128);
        const uint8_t depth = picture.GetDepth() / 8;
        // Rows bottom first: the bars are in the upper rows, the strip in the lowest.
        auto pixel = [&](uint32_t x, uint32_t yFromTop) {
            const uint8_t* p = picture.GetPixels() + (size_t(63 - yFromTop) * 128 + x) * depth;
            return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        };
        for (uint32_t x = 8; x < 128; x += 16) {
            const uint32_t got = pixel(x, 20), expected = VideoTestCard_BarColor(128, x);
            for (int shift : {16, 8, 0})
                EXPECT_NEAR(int(got >> shift & 0xFF), int(expected >> shift & 0xFF), 24) << name << " x " << x;
        }
        uint32_t number = 0;
        for (uint32_t bit = 0; bit < 16; ++bit)
            number |= ((pixel((2 * bit + 1) * 4, 60) >> 8 & 0xFF) > 128 ? 1u : 0u) << bit;
        EXPECT_EQ(number, index) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "out" / "frame_00001.png"));
    EXPECT_EQ(RunTool("video frames " + file + " " + Path("out") + " --every 0").first, 2);
    EXPECT_EQ(RunTool("video frames " + Path("missing.ogv") + " " + Path("out")).first, 1);
}

// The sample's intro, as the build packed it, plays through the player to its end.
TEST_F(VideoCommandTest, TheSamplesIntroIsInThePack)
{
    const std::string pack = std::string(VORNEL_BINARY_DIR) + "/bin/Data_full_Win32/Nimbrel_full_Win32.HD.pak";
    const auto [catStatus, bytes] = RunTool("pack cat " + pack + " videos/intro.ogv");
    ASSERT_EQ(catStatus, 0);
    EXPECT_LT(bytes.size(), 300u * 1024);
    ASSERT_TRUE(tooltest::WriteFile(Path("intro.ogv"), bytes));
    const auto [status, info] = RunTool("video info " + Path("intro.ogv"));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(info.rfind("picture: 640x360, 24.000 frames per second\nsound: 2 channel(s), 44100 Hz\n"
                         "frames: 96, the last ending at 4000 ms\n",
                         0),
              0u)
        << info;
}

} // namespace
