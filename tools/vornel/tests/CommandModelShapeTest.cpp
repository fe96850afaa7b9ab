// vornel model shape and atlas, run as a program: the models they write read back with
// vornel model info, the atlas pages as images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

using tooltest::RunTool;

class ModelShapeCommandTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (temp.Path() / name).string(); }

    // A square picture of one colour.
    void Picture(const std::string& name, uint16_t size, uint8_t r, uint8_t g, uint8_t b)
    {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < size * size; ++i)
            pixels.insert(pixels.end(), {r, g, b});
        C3DTextureRaw image(&world);
        ASSERT_EQ(image.SetPixelsCopy(size, size, 24, pixels.data()), kStatusOk);
        ASSERT_EQ(image.SaveToFile(UtilsString_FromUtf8(Path(name).c_str()).c_str(), false), kStatusOk);
    }

    tooltest::TempFolder temp{"vornel-shape-tool-"};
    WorldData world{};
};

TEST_F(ModelShapeCommandTest, ShapeWritesAModelThatInfoReads)
{
    const auto [status, said] = RunTool("model shape 40 " + Path("box.3dx") + " halfX=2 color=0xFF804020");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(said, Path("box.3dx") + ": shape 40, groups 6, vertices 24, indices 24\n");
    const auto [infoStatus, info] = RunTool("model info " + Path("box.3dx") + " --vertices");
    ASSERT_EQ(infoStatus, 0);
    EXPECT_NE(info.find("model groups 6 vertices 24 indices 24"), std::string::npos) << info;
    EXPECT_NE(info.find("vertex -2 0.5 0.5 normal 0 0 1 diffuse 0xFF804020"), std::string::npos) << info;

    // The sphere's clamp shows in what it made.
    EXPECT_EQ(RunTool("model shape 10 " + Path("s.3dx") + " segments=2").second,
              Path("s.3dx") + ": shape 10, groups 1, vertices 14, indices 36\n");

    // Bad settings are named and nothing is written.
    const struct {
        std::string arguments, error;
    } bad[] = {
        {"30 " + Path("g.3dx") + " cellsX=0", "shape 30 cannot be built with these settings"},
        {"30 " + Path("g.3dx") + " bogus=1", "shape 30 has no setting \"bogus\""},
        {"30 " + Path("g.3dx") + " width=wide", "\"wide\" is not a number (width)"},
        {"12 " + Path("g.3dx"), "12 is not a shape kind"},
    };
    for (const auto& c : bad) {
        const auto [badStatus, error] = RunTool("model shape " + c.arguments, true);
        EXPECT_NE(badStatus, 0) << c.arguments;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("g.3dx")));
}

TEST_F(ModelShapeCommandTest, AWriteThatFailsKeepsTheOldModelAndFails)
{
    ASSERT_EQ(RunTool("model shape 40 " + Path("box.3dx")).first, 0);
    const std::string good = tooltest::ReadFile(Path("box.3dx"));
    ASSERT_FALSE(good.empty());
    EXPECT_NE(tooltest::RunToolOnFullDisk("model shape 40 " + Path("box.3dx") + " halfX=2"), 0);
    EXPECT_TRUE(tooltest::ReadFile(Path("box.3dx")) == good) << "the old model was replaced";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1u); // no temporary file left beside it
}

TEST_F(ModelShapeCommandTest, AtlasWritesItsPageAndAModelThatNamesIt)
{
    std::filesystem::create_directories(Path("tex"));
    Picture("tex/red.png", 32, 255, 0, 0);
    Picture("tex/blue.png", 16, 0, 0, 255);
    std::string text =
        "model groups 2 vertices 8 indices 12 index-width 1\n"
        "blocks position normal diffuse color2 uv texture-name\n"
        "group 0 base 0 vertices 4 first 0 indices 6\ntexture-name \"red.png\"\n"
        "group 1 base 4 vertices 4 first 6 indices 6\ntexture-name \"blue.png\"\n";
    const char* corners[4] = {"0 0 0 uv 0 1", "1 0 0 uv 1 1", "1 1 0 uv 1 0", "0 1 0 uv 0 0"};
    for (int quad = 0; quad < 2; ++quad)
        for (const char* corner : corners) {
            const std::string at(corner);
            text += "vertex " + at.substr(0, 6) + "normal 0 0 -1 diffuse 0xFFFFFFFF color2 0xFF000000 " +
                    at.substr(6) + "\n";
        }
    text += "index 0 1 2 0 2 3\nindex 0 1 2 0 2 3\n";
    ASSERT_TRUE(tooltest::WriteFile(Path("m.txt"), text));
    ASSERT_EQ(RunTool("model build " + Path("m.txt") + " " + Path("m.3dx")).first, 0);

    // A 32 x 64 page holds more pixels than the two textures: only with --force.
    const std::string atlas = "model atlas " + Path("m.3dx") + " " + Path("tex") + " " + Path("out") + " --page 64x64";
    const auto [refused, why] = RunTool(atlas, true);
    EXPECT_EQ(refused, 1);
    EXPECT_NE(why.find("no atlas made"), std::string::npos) << why;
    EXPECT_FALSE(std::filesystem::exists(Path("out/atlas.0.png")));

    const auto [status, said] = RunTool(atlas + " --force");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(said, Path("out") + "/atlas.0.png: 32 x 64\n" + Path("out/m.3dx") + ": groups 2, pages 1\n");
    C3DTextureRaw page(&world);
    ASSERT_EQ(page.LoadFromFile(UtilsString_FromUtf8(Path("out/atlas.0.png").c_str()).c_str()), kStatusOk);
    EXPECT_EQ(page.GetWidth(), 32);
    EXPECT_EQ(page.GetHeight(), 64);
    // Red on top (the picture's first rows), blue below it after the gutter.
    const uint8_t* top = page.GetPixels() + size_t(63 * 32 + 5) * 4;
    const uint8_t* below = page.GetPixels() + size_t((63 - 40) * 32 + 5) * 4;
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(below[2], 255);

    const auto [infoStatus, info] = RunTool("model info " + Path("out/m.3dx") + " --vertices");
    ASSERT_EQ(infoStatus, 0);
    size_t named = 0;
    for (size_t at = info.find("texture-name \"atlas.0.png\""); at != std::string::npos;
         at = info.find("texture-name \"atlas.0.png\"", at + 1))
        ++named;
    EXPECT_EQ(named, 2u) << info;
    EXPECT_NE(info.find("uv 0 0.5"), std::string::npos) << info;

    const auto [badPage, error] = RunTool("model atlas " + Path("m.3dx") + " " + Path("tex") + " " + Path("out") +
                                              " --page 64by64", true);
    EXPECT_EQ(badPage, 1);
    EXPECT_NE(error.find("the page size is WIDTHxHEIGHT"), std::string::npos) << error;
}

} // namespace
