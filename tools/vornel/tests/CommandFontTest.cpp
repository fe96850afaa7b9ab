// vornel font render, show, build and info, run as a program: the pair written from DejaVu Sans,
// texts drawn with it and with a built charset through the GL renderer and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ToolTestSupport.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"

namespace {

using tooltest::RunTool;

constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Picture {
    int width = 0, height = 0, lit = 0, dark = 0;
};

// The picture's size, and how many of its pixels are text (bright) and background (dark).
Picture ReadPicture(const std::filesystem::path& path)
{
    Picture picture;
    C3DTextureRaw image(nullptr);
    if (Failed(image.LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str())) || image.GetDepth() < 24)
        return picture;
    picture.width = image.GetWidth();
    picture.height = image.GetHeight();
    const int bytes = image.GetDepth() / 8;
    for (size_t i = 0; i < image.GetPixelBytes(); i += bytes) {
        const uint8_t* p = image.GetPixels() + i;
        picture.lit += p[0] > 0xC0 && p[1] > 0xC0 && p[2] > 0xC0;
        picture.dark += p[0] == 0x20 && p[1] == 0x20 && p[2] == 0x20;
    }
    return picture;
}

TEST(CommandFontTest, RendersAPairThenShowsATextWithIt)
{
    ASSERT_TRUE(std::filesystem::exists(kFace)) << "fonts-dejavu-core";
    tooltest::TempFolder folder("vornel-font-");
    const std::filesystem::path out = folder.Path() / "fonts";
    const auto [status, printed] = RunTool("font render " + std::string(kFace) + " 30 3 " + out.string());
    ASSERT_EQ(status, 0);
    const std::string glyph = (out / "DejaVuSans.ttf.1024x256.30.3.glyph").string();
    EXPECT_EQ(printed, (out / "DejaVuSans.ttf.1024x256.30.3.png").string() + "\n" + glyph + "\n");
    EXPECT_EQ(tooltest::ReadFile(glyph).size(), 4110u);
    EXPECT_FALSE(std::filesystem::exists(out / "DejaVuSans.ttf"));  // the copy went

    const std::filesystem::path line = folder.Path() / "line.png";
    auto shown = RunTool("font show " + glyph + " 'Objet trouvé : 3/10' " + line.string() + " --flags 0x100");
    ASSERT_EQ(shown.first, 0);
    Picture picture = ReadPicture(line);
    EXPECT_EQ(shown.second, line.string() + ": " + std::to_string(picture.width) + "x" +
                                std::to_string(picture.height) + "\n");
    EXPECT_EQ(picture.height, 30 + 20);
    EXPECT_GT(picture.width, 200);
    EXPECT_GT(picture.lit, 150);
    EXPECT_GT(picture.dark, picture.width * picture.height / 2);

    // Wrapped at 120 pixels: three lines or more, in a picture of the size asked.
    const std::filesystem::path wrapped = folder.Path() / "wrapped.png";
    shown = RunTool("font show " + glyph + " 'Objet trouvé : 3/10' " + wrapped.string() +
                    " --width 120 --size 160x140");
    ASSERT_EQ(shown.first, 0);
    picture = ReadPicture(wrapped);
    EXPECT_EQ(picture.width, 160);
    EXPECT_EQ(picture.height, 140);
    EXPECT_GT(picture.lit, 150);
}

TEST(CommandFontTest, RefusesWhatItCannotUse)
{
    tooltest::TempFolder folder("vornel-font-");
    const std::string out = folder.Path().string();
    EXPECT_EQ(RunTool("font render " + std::string(kFace) + " 0 3 " + out).first, 2);
    EXPECT_EQ(RunTool("font render " + std::string(kFace) + " 256 3 " + out).first, 2);
    EXPECT_EQ(RunTool("font render " + out + "/none.ttf 30 3 " + out).first, 1);
    ASSERT_TRUE(tooltest::WriteFile(folder.Path() / "junk.ttf", std::string(3000, 'x')));
    EXPECT_EQ(RunTool("font render " + out + "/junk.ttf 30 3 " + out).first, 1);
    EXPECT_EQ(RunTool("font show " + std::string(kFace) + " text " + out + "/a.png").first, 1);  // no --char-size
    EXPECT_EQ(RunTool("font show " + out + "/junk.glyph text " + out + "/a.png").first, 1);
    EXPECT_EQ(RunTool("font show " + std::string(kFace) + " text " + out + "/a.png --flags x").first, 2);
    EXPECT_EQ(RunTool("font show " + std::string(kFace) + " text " + out + "/a.png --char-size 20").first, 0);
    EXPECT_EQ(RunTool("font").first, 2);
}

}  // namespace

namespace {

// A charset built twice from an English and a Russian text gives the same bytes; the Russian
// letters take codes from 128 on a page the Russian mask marks, and info prints them.
TEST(CommandFontTest, BuildsACharsetTwiceToTheSameBytesAndInfoPrintsIt)
{
    tooltest::TempFolder folder("vornel-charset-");
    const std::filesystem::path root = folder.Path();
    std::ofstream(root / "en.txt") << "Hello\n";
    std::ofstream(root / "ru.txt") << "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n";  // Привет
    std::string first;
    for (const char* out : {"a", "b"}) {
        const std::string command = std::string("font build ") + kFace + " 24 " + (root / out).string() +
                                    " --text en:" + (root / "en.txt").string() + " ru:" + (root / "ru.txt").string() +
                                    " --name main";
        ASSERT_EQ(RunTool(command).first, 0) << command;
    }
    for (const char* name : {"main.charset", "main.0.png", "_symbols.utf8.indexed.ucs2.raw"}) {
        const std::string a = tooltest::ReadFile(root / "a" / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, tooltest::ReadFile(root / "b" / name)) << name;
    }
    const auto info = RunTool("font info " + (root / "a" / "main.charset").string());
    ASSERT_EQ(info.first, 0);
    EXPECT_NE(info.second.find("pages 1, textures 1"), std::string::npos) << info.second;
    EXPECT_NE(info.second.find("0x0080 U+041F \xD0\x9F"), std::string::npos) << info.second;  // П, the first
    EXPECT_EQ(RunTool("font info " + (root / "en.txt").string()).first, 1);
    EXPECT_EQ(RunTool("font build " + std::string(kFace) + " 24 " + root.string() + " --text xx:" +
                      (root / "en.txt").string())
                  .first,
              2);

    // show draws the Russian text through the symbols table with the charset's page: without
    // the mapping its codes would lie beyond the pages and nothing would be drawn.
    const std::string charset = (root / "a" / "main.charset").string();
    const std::filesystem::path line = root / "line.png";
    const auto shown = RunTool("font show " + charset + " '\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82' " +
                               line.string());
    ASSERT_EQ(shown.first, 0) << shown.second;
    const Picture picture = ReadPicture(line);
    EXPECT_EQ(picture.height, 24 + 20);
    EXPECT_GT(picture.width, 60);
    EXPECT_GT(picture.lit, 30);
    EXPECT_GT(picture.dark, picture.width * picture.height / 2);
    // A missing page or symbols table is named, not drawn blank.
    std::filesystem::remove(root / "b" / "main.0.png");
    EXPECT_EQ(RunTool("font show " + (root / "b" / "main.charset").string() + " Hello " + line.string()).first, 1);
    std::filesystem::remove(root / "a" / "_symbols.utf8.indexed.ucs2.raw");
    EXPECT_EQ(RunTool("font show " + charset + " Hello " + line.string()).first, 1);
}

}  // namespace
