// vornel image new, run as a program; the pictures it writes are read back with the engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ToolTestSupport.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

using tooltest::RunTool;

struct Rgba {
    int r, g, b, a;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

// A picture read back: pixels addressed top-down, as the recipe draws them.
class Picture {
public:
    bool Load(const std::string& path)
    {
        WorldData world{};
        C3DTextureRaw image(&world);
        if (Failed(image.LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str())))
            return false;
        width = image.GetWidth();
        height = image.GetHeight();
        depth = image.GetDepth();
        pixels.assign(image.GetPixels(), image.GetPixels() + image.GetPixelBytes());
        image.Release();
        return true;
    }

    Rgba At(int x, int y) const
    {
        const int channels = depth / 8;
        const uint8_t* p = &pixels[(size_t(height - 1 - y) * width + x) * channels];
        return {p[0], p[1], p[2], channels == 4 ? p[3] : 255};
    }

    int width = 0, height = 0, depth = 0;
    std::vector<uint8_t> pixels;
};

class ImageNewTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    void Write(const std::string& name, const std::string& text) { ASSERT_TRUE(tooltest::WriteFile(folder / name, text)); }

    // Draws the recipe text into `out` and reads the picture back.
    Picture Draw(const std::string& text, const std::string& out = "out.png")
    {
        Write("layer.recipe", text);
        const auto [status, errors] = RunTool("image new " + Path("layer.recipe") + " " + Path(out), true);
        EXPECT_EQ(status, 0) << errors;
        Picture picture;
        EXPECT_TRUE(picture.Load(Path(out))) << text;
        return picture;
    }

    // The failure of a recipe: its message, and that no output (nor a temporary) is left.
    std::string Fails(const std::string& text)
    {
        Write("bad.recipe", text);
        const auto [status, errors] = RunTool("image new " + Path("bad.recipe") + " " + Path("bad.png"), true);
        EXPECT_EQ(status, 1) << text;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find("bad.p"), std::string::npos) << entry.path();
        return errors;
    }

    tooltest::TempFolder temp{"vornel-image-new-"};
    std::filesystem::path folder = temp.Path();
};

void ExpectNear(const Rgba& got, const Rgba& want, int tolerance)
{
    EXPECT_NEAR(got.r, want.r, tolerance) << got << " wanted " << want;
    EXPECT_NEAR(got.g, want.g, tolerance) << got << " wanted " << want;
    EXPECT_NEAR(got.b, want.b, tolerance) << got << " wanted " << want;
    EXPECT_NEAR(got.a, want.a, tolerance) << got << " wanted " << want;
}

} // namespace

TEST_F(ImageNewTest, EveryLayerKindPutsItsColoursWhereExpected)
{
    constexpr Rgba kClear{0, 0, 0, 0};
    const struct {
        const char* recipe;
        std::vector<std::pair<std::pair<int, int>, Rgba>> points;
    } kCases[] = {
        {"size 8x6\nfill #336699", {{{0, 0}, {0x33, 0x66, 0x99, 255}}, {{7, 5}, {0x33, 0x66, 0x99, 255}}}},
        {"size 4x4\nfill #ff0000\nfill #0000ff80", {{{2, 2}, {127, 0, 128, 255}}}},
        {"size 4x4\nfill #00ff0080", {{{1, 1}, {0, 255, 0, 128}}}},
        {"size 100x4\ngradient linear 0 0 100 0 0:#000000 1:#ffffff",
         {{{0, 1}, {1, 1, 1, 255}}, {{49, 1}, {126, 126, 126, 255}}, {{99, 3}, {254, 254, 254, 255}}}},
        {"size 100x4\ngradient linear 0 0 100 0 0:#ff0000 0.5:#00ff00 1:#0000ff",
         {{{24, 0}, {130, 125, 0, 255}}, {{49, 0}, {3, 252, 0, 255}}, {{99, 0}, {0, 3, 252, 255}}}},
        {"size 21x21\ngradient radial 10.5 10.5 10 0:#ffffff 1:#000000",
         {{{10, 10}, {255, 255, 255, 255}}, {{12, 10}, {204, 204, 204, 255}}, {{0, 10}, {0, 0, 0, 255}}}},
        {"size 20x20\nrect 5 5 10 10 #ff0000",
         {{{5, 5}, {255, 0, 0, 255}}, {{14, 14}, {255, 0, 0, 255}}, {{4, 5}, kClear}, {{15, 14}, kClear}}},
        {"size 20x20\nrect 2.5 0 5 20 #ffffff", {{{2, 9}, {255, 255, 255, 128}}, {{4, 9}, {255, 255, 255, 255}}}},
        {"size 20x20\nrect 0 0 20 20 #ffffff round 8",
         {{{0, 0}, kClear}, {{10, 10}, {255, 255, 255, 255}}, {{0, 10}, {255, 255, 255, 255}}}},
        {"size 20x20\nrect 0 0 20 20 #00ff00 outline 3",
         {{{2, 10}, {0, 255, 0, 255}}, {{10, 1}, {0, 255, 0, 255}}, {{3, 10}, kClear}, {{10, 10}, kClear}}},
        {"size 21x21\ndisc 10.5 10.5 5 #0000ff",
         {{{10, 10}, {0, 0, 255, 255}}, {{10, 6}, {0, 0, 255, 255}}, {{10, 4}, kClear}, {{16, 10}, kClear}}},
        {"size 21x21\nring 10.5 10.5 8 3 #ffff00",
         {{{10, 3}, {255, 255, 0, 255}}, {{10, 10}, kClear}, {{10, 1}, kClear}, {{17, 10}, {255, 255, 0, 255}}}},
        {"size 20x20\npolygon #ff00ff 0 0 20 0 0 20",
         {{{2, 2}, {255, 0, 255, 255}}, {{17, 0}, {255, 0, 255, 255}}, {{17, 17}, kClear}}},
        {"size 20x20\nline 0 10 20 10 4 #ffffff",
         {{{10, 8}, {255, 255, 255, 255}}, {{10, 11}, {255, 255, 255, 255}}, {{10, 7}, kClear}, {{10, 12}, kClear}}},
        {"size 20x20\nline 10 0 10 20 1 #ffffff", {{{9, 5}, {255, 255, 255, 128}}, {{10, 5}, {255, 255, 255, 128}}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.recipe);
        const Picture picture = Draw(c.recipe);
        ASSERT_EQ(picture.depth, 32);
        for (const auto& [at, colour] : c.points) {
            SCOPED_TRACE(testing::Message() << "at " << at.first << ", " << at.second);
            ExpectNear(picture.At(at.first, at.second), colour, 1);
        }
    }
}

TEST_F(ImageNewTest, NoiseVariesTheColoursWithinItsAmplitude)
{
    const Picture grey = Draw("size 64x64\nfill #808080\nseed 3\nnoise 4 0.2 grey");
    const Picture rgb = Draw("size 64x64\nfill #808080\nseed 3\nnoise 4 0.2 rgb", "rgb.png");
    int lowest = 255, highest = 0;
    bool channelsDiffer = false;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Rgba g = grey.At(x, y), c = rgb.At(x, y);
            EXPECT_TRUE(g.r == g.g && g.g == g.b && g.a == 255);
            lowest = std::min(lowest, g.r);
            highest = std::max(highest, g.r);
            channelsDiffer = channelsDiffer || c.r != c.g || c.g != c.b;
            EXPECT_NEAR(c.b, 128, 52);
        }
    }
    EXPECT_GE(lowest, 128 - 52);
    EXPECT_LE(highest, 128 + 52);
    EXPECT_GT(highest - lowest, 30);
    EXPECT_TRUE(channelsDiffer);
    // Neighbours stay close: the noise is smooth at its scale.
    EXPECT_LT(std::abs(grey.At(10, 10).r - grey.At(11, 10).r), 12);
}

TEST_F(ImageNewTest, TextIsAlignedOnItsBaseline)
{
    // The covered columns and rows of a line of text drawn alone.
    struct Box {
        int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    };
    auto box = [](const Picture& picture) {
        Box b;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                if (picture.At(x, y).a > 64) {
                    b.left = std::min(b.left, x);
                    b.right = std::max(b.right, x);
                    b.top = std::min(b.top, y);
                    b.bottom = std::max(b.bottom, y);
                }
            }
        }
        return b;
    };
    const Box left = box(Draw("size 200x50\ntext 20 40 30 left #ffffff \"HIH\""));
    const Box centre = box(Draw("size 200x50\ntext 100 40 30 centre #ffffff \"HIH\""));
    const Box right = box(Draw("size 200x50\ntext 180 40 30 right #ffffff \"HIH\""));
    EXPECT_NEAR(left.left, 22, 2);      // the H's side bearing
    EXPECT_NEAR(right.right, 177, 2);
    EXPECT_NEAR((centre.left + centre.right) / 2.0, 100, 1.5);
    for (const Box& b : {left, centre, right}) {
        EXPECT_EQ(b.bottom, 39);               // the last row above the baseline
        EXPECT_NEAR(b.bottom - b.top, 21, 2);  // the cap height of DejaVu Sans at 30 pixels
        EXPECT_EQ(b.right - b.left, left.right - left.left);
    }
    const Picture colour = Draw("size 40x40\nfill #000000\ntext 2 30 30 left #ff8000 \"I\"");
    EXPECT_EQ(colour.At(5, 20).r, 255);
    EXPECT_EQ(colour.At(5, 20).g, 128);
}

TEST_F(ImageNewTest, PicturesAndRecipesArePlacedAndScaled)
{
    // A 2x2 PNG of four colours, written through the engine (rows bottom-up).
    const uint8_t block[] = {0, 0, 255, 255, 255, 255, 0, 255, 255, 0, 0, 255, 0, 255, 0, 128};
    WorldData world{};
    C3DTextureRaw image(&world);
    ASSERT_EQ(image.SetPixelsCopy(2, 2, 32, block), kStatusOk);
    ASSERT_EQ(image.SaveToFile(UtilsString_FromUtf8(Path("four.png").c_str()).c_str(), false), kStatusOk);
    image.Release();
    Write("blue.recipe", "size 3x3\nfill #0000ff");

    const Picture picture = Draw("size 20x20\n"
                                 "picture four.png 0 0\n"
                                 "picture four.png 10 10 8 8\n"
                                 "picture blue.recipe 17 0\n"
                                 "picture blue.recipe 0 17 1 1\n");
    ExpectNear(picture.At(0, 0), {255, 0, 0, 255}, 0);
    ExpectNear(picture.At(1, 0), {0, 255, 0, 128}, 0);
    ExpectNear(picture.At(0, 1), {0, 0, 255, 255}, 0);
    ExpectNear(picture.At(1, 1), {255, 255, 0, 255}, 0);
    ExpectNear(picture.At(2, 0), {0, 0, 0, 0}, 0);
    ExpectNear(picture.At(10, 10), {255, 0, 0, 255}, 0);  // scaled: each colour fills a quarter
    ExpectNear(picture.At(17, 17), {255, 255, 0, 255}, 0);
    ExpectNear(picture.At(13, 13), {153, 75, 68, 225}, 1);  // the four blended, premultiplied
    ExpectNear(picture.At(19, 2), {0, 0, 255, 255}, 0);
    ExpectNear(picture.At(0, 17), {0, 0, 255, 255}, 0);
    ExpectNear(picture.At(1, 17), {0, 0, 0, 0}, 0);
}

TEST_F(ImageNewTest, SheetPutsEachCellsColourInItsCell)
{
    const char* kColours[] = {"#ff0000", "#00ff00", "#0000ff", "#ffff00", "#ff00ff", "#00ffff", "#ffffff", "#808080"};
    std::string cells;
    for (int i = 0; i < 8; ++i) {
        Write("cell" + std::to_string(i) + ".recipe", std::string("size 5x7\nfill ") + kColours[i] + "\n");
        cells += " cell" + std::to_string(i) + ".recipe";
    }
    auto rgba = [](const char* hex) {
        const unsigned v = unsigned(std::stoul(hex + 1, nullptr, 16));
        return Rgba{int(v >> 16), int(v >> 8 & 255), int(v & 255), 255};
    };
    // Cells dividing the canvas evenly.
    const Picture even = Draw("size 64x32\ngrid 4x2" + cells);
    for (int i = 0; i < 8; ++i) {
        const int x0 = i % 4 * 16, y0 = i / 4 * 16;
        for (const auto& [dx, dy] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}, {8, 8}})
            ExpectNear(even.At(x0 + dx, y0 + dy), rgba(kColours[i]), 0);
    }
    // Cells of a given size from the top-left, one left empty, the rest of the canvas untouched.
    const std::string firstSeven = cells.substr(0, cells.rfind(' '));
    const Picture sized = Draw("size 64x40\nfill #000000\ngrid 4x2 cell 10x12 -" + firstSeven, "sized.png");
    ExpectNear(sized.At(5, 5), {0, 0, 0, 255}, 0);
    ExpectNear(sized.At(10, 0), rgba(kColours[0]), 0);
    ExpectNear(sized.At(39, 11), rgba(kColours[2]), 0);
    ExpectNear(sized.At(0, 12), rgba(kColours[3]), 0);
    ExpectNear(sized.At(39, 23), rgba(kColours[6]), 0);
    ExpectNear(sized.At(40, 5), {0, 0, 0, 255}, 0);
    ExpectNear(sized.At(5, 24), {0, 0, 0, 255}, 0);
    const auto [status, info] = RunTool("image info " + Path("sized.png"));
    EXPECT_EQ(status, 0);
    EXPECT_NE(info.find("width: 64\nheight: 40\ndepth: 32 (RGBA)\n"), std::string::npos) << info;
}

TEST_F(ImageNewTest, SameRecipeSameBytesAndJpegDropsAlpha)
{
    const std::string recipe = "size 96x64\ngradient radial 48 32 40 0:#ffcc00 1:#330066\nseed 77\nnoise 6 0.3 rgb\n"
                               "text 48 40 20 centre #ffffff \"Vornel\"\npolygon #00ff0080 0 0 96 10 40 64\n";
    Draw(recipe, "a.png");
    Draw(recipe, "b.png");
    EXPECT_FALSE(tooltest::ReadFile(folder / "a.png").empty());
    EXPECT_EQ(tooltest::ReadFile(folder / "a.png"), tooltest::ReadFile(folder / "b.png"));

    const Picture jpeg = Draw("size 16x16\nfill #2060a0", "c.jpg");
    EXPECT_EQ(jpeg.depth, 24);
    ExpectNear(jpeg.At(8, 8), {0x20, 0x60, 0xa0, 255}, 4);
}

TEST_F(ImageNewTest, BadRecipesNameTheLineAndWriteNothing)
{
    Write("loop-a.recipe", "size 4x4\npicture loop-b.recipe 0 0\n");
    Write("loop-b.recipe", "size 4x4\n# b draws a\npicture loop-a.recipe 0 0\n");
    Write("self.recipe", "size 4x4\ngrid 2x1 - self.recipe\n");
    const struct {
        const char* recipe;
        const char* error;
    } kCases[] = {
        {"fill #ffffff\n", "bad.recipe:1: the recipe must start with 'size WxH'"},
        {"# nothing\n", "bad.recipe:1: the recipe must start with 'size WxH'"},
        {"size 8193x10\n", "bad.recipe:1: 8193x10 is out of range (1x1 to 8192x8192)"},
        {"size 0x5\n", "bad.recipe:1: 0x5 is out of range"},
        {"size 99999999999999999999x5\n", "is not a size (WxH)"},
        {"size 4x4\nsize 4x4\n", "bad.recipe:2: 'size' is given twice"},
        {"size 4x4\n\nfill #12345\n", "bad.recipe:3: '#12345' is not a colour (#RRGGBB or #RRGGBBAA)"},
        {"size 4x4\nfill\n", "bad.recipe:2: expects 'fill COLOUR'"},
        {"size 4x4\nsparkle 3\n", "bad.recipe:2: unknown layer 'sparkle'"},
        {"size 4x4\ngradient linear 0 0 4 0 0:#000000\n", "bad.recipe:2: expects 'gradient linear"},
        {"size 4x4\ngradient radial 0 0 4 0.5:#000000 0.2:#ffffff\n", "bad.recipe:2: the stops must go in order"},
        {"size 4x4\ngradient linear 0 0 4 0 0:#000000 2:#ffffff\n", "'2:#ffffff' is not a stop"},
        {"size 4x4\nrect 0 0 2 2 #ffffff bevel 2\n", "bad.recipe:2: unknown option 'bevel'"},
        {"size 4x4\nrect 0 0 -2 2 #ffffff\n", "bad.recipe:2: -2 is out of range"},
        {"size 4x4\npolygon #ffffff 0 0 1 1\n", "bad.recipe:2: expects 'polygon COLOUR X Y X Y X Y ...'"},
        {"size 4x4\nline 0 0 nan 1 1 #ffffff\n", "bad.recipe:2: 'nan' is not a number"},
        {"size 4x4\nnoise 0.5 0.1 grey\n", "bad.recipe:2: 0.5 is out of range (1 to 8192)"},
        {"size 4x4\nnoise 2 0.1 blue\n", "bad.recipe:2: 'blue' is not grey or rgb"},
        {"size 4x4\ntext 0 0 10 middle #ffffff \"a\"\n", "bad.recipe:2: 'middle' is not left, centre or right"},
        {"size 4x4\ntext 0 0 10 left #ffffff \"open\n", "bad.recipe:2: the quoted text is not closed"},
        {"size 4x4\ntext 0 3 10 left #ffffff \"a\" font no-such.ttf\n", "bad.recipe:2: cannot open the font "},
        {"size 4x4\ntext 0 3 10 left #ffffff \"a\" font bad.recipe\n", "bad.recipe:2: cannot open the font "},
        {"size 4x4\npicture missing.png 0 0\n", "bad.recipe:2: cannot read the picture "},
        {"size 4x4\npicture self.recipe 0 0\n", "self.recipe:2: "},
        {"size 4x4\npicture loop-a.recipe 0 0\n", "loop-b.recipe:3: "},
        {"size 4x4\ngrid 2x2 a b c d e\n", "bad.recipe:2: a 2x2 grid takes 1 to 4 files"},
        {"size 4x4\ngrid 2x2 cell 0x3 a\n", "bad.recipe:2: 0x3 is out of range"},
        {"size 4x4 \\\n  extra\n", "bad.recipe:1: expects 'size WxH'"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.recipe);
        const std::string errors = Fails(c.recipe);
        EXPECT_EQ(errors.rfind("vornel image: ", 0), 0u) << errors;
        EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
    }
    EXPECT_NE(Fails("size 4x4\npicture self.recipe 0 0\n").find("self.recipe includes itself"), std::string::npos);
    EXPECT_NE(Fails("size 4x4\npicture loop-a.recipe 0 0\n").find("loop-a.recipe includes itself"),
              std::string::npos);

    Write("ok.recipe", "size 4x4\nfill #ffffff\n");
    EXPECT_EQ(RunTool("image new " + Path("ok.recipe") + " " + Path("out.tga")).first, 1);
    EXPECT_EQ(RunTool("image new " + Path("ok.recipe") + " " + Path("no-folder/out.png")).first, 1);
    EXPECT_EQ(RunTool("image new " + Path("missing.recipe") + " " + Path("out.png")).first, 1);
    EXPECT_EQ(RunTool("image new " + Path("ok.recipe")).first, 2);
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));
}

TEST_F(ImageNewTest, DependencyFileListsWhatThePictureWasDrawnFrom)
{
    Write("part.recipe", "size 2x2\nfill #ff0000\n");
    Write("main.recipe", "size 8x8\npicture part.recipe 0 0\ntext 0 7 6 left #ffffff \"x\"\ngrid 2x2 part.recipe\n");
    ASSERT_EQ(RunTool("image new " + Path("main.recipe") + " " + Path("main.png") + " --depfile " + Path("main.d")).first,
              0);
    EXPECT_EQ(tooltest::ReadFile(folder / "main.d"), Path("main.png") + ": \\\n  " + Path("main.recipe") + " \\\n  " + Path("part.recipe") +
                        " \\\n  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\n");
}
