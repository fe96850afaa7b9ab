#include "Vornel3D/C3DTexture.h"

#include <gtest/gtest.h>

#include "ImageTestData.h"

using namespace imagetest;

namespace {

class TextureTest : public ::testing::Test {
protected:
    std::unique_ptr<WorldData> world = MakeWorld();
    CRecordingTexture texture{world.get()};
    TempFolder folder;
};

} // namespace

TEST_F(TextureTest, GetPixelARGBByDepth)
{
    struct Case {
        uint8_t depth;
        std::vector<uint8_t> pixels; // 2 x 1
        uint32_t second;
    };
    const Case cases[] = {
        {8, {0x11, 0x40}, 0xFF404040u},
        {16, {0, 0, 0x40, 0x80}, 0x80404040u},
        {24, {0, 0, 0, 0x12, 0x34, 0x56}, 0xFF123456u},
        {32, {0, 0, 0, 0, 0x12, 0x34, 0x56, 0x78}, 0x78123456u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.depth));
        ASSERT_EQ(texture.MakeFromRaw(2, 1, c.depth, c.pixels.data(), nullptr), kStatusOk);
        EXPECT_EQ(texture.GetPixelARGB(2, 1, c.depth, c.pixels.data(), 1, 0), c.second);
        EXPECT_EQ(texture.GetPixelARGB(2, 1, c.depth, c.pixels.data(), 2, 0), 0u); // x = width
        EXPECT_EQ(texture.GetPixelARGB(2, 1, c.depth, c.pixels.data(), 0, 1), 0u);
        EXPECT_EQ(texture.GetPixelARGB(2, 1, c.depth, nullptr, 0, 0), 0u);
    }
    // The texture's own depth decides, not the argument.
    const std::vector<uint8_t> grey = {0x40, 0x80};
    ASSERT_EQ(texture.MakeFromRaw(1, 1, 16, grey.data(), nullptr), kStatusOk);
    EXPECT_EQ(texture.GetPixelARGB(1, 1, 24, grey.data(), 0, 0), 0x80404040u);
    texture.Release();
    EXPECT_EQ(texture.GetPixelARGB(1, 1, 16, grey.data(), 0, 0), 0u);
}

TEST_F(TextureTest, LoadsThroughTheBackEndsMakeFromRaw)
{
    // 2 x 2 RGBA, top row first: the corner colour is stored pixel (0, 0), the picture's bottom left.
    const std::vector<uint8_t> picture = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const auto png = EncodePng(2, 2, 4, picture);
    ASSERT_EQ(texture.MakeFromAddress(png.data(), uint32_t(png.size()), u"pics\\corner.png"), kStatusOk);
    EXPECT_TRUE(texture.IsLoaded());
    EXPECT_EQ(texture.GetDepth(), 32);
    EXPECT_EQ(texture.GetWidth(), 2);
    EXPECT_EQ(texture.received, (std::vector<uint8_t>{9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(texture.GetCornerColor(), 0x0C090A0Bu);
    EXPECT_EQ(std::u16string(texture.GetName()), u"corner.png");
    EXPECT_EQ(texture.GetMipShift(), 0);

    EXPECT_EQ(texture.Clear(), kStatusOk);
    EXPECT_FALSE(texture.IsLoaded());
}

TEST_F(TextureTest, FailedDecodeIsAPlainFailure)
{
    const std::vector<uint8_t> junk = {1, 2, 3};
    EXPECT_EQ(texture.MakeFromAddress(junk.data(), 3, u"a.png"), kStatusFailed);
    EXPECT_EQ(texture.LoadFromFile(Wide(folder / "none.jpg").c_str()), kStatusFailed);
    EXPECT_FALSE(texture.IsLoaded());
    EXPECT_EQ(texture.GetName(), nullptr);
}

TEST_F(TextureTest, FileNameRelativeToTheDataFolder)
{
    const auto png = EncodePng(2, 2, 3, std::vector<uint8_t>(12, 9));
    const auto path = folder / "tex.png";
    WriteBytes(path, png);
    const std::u16string wide = Wide(path);
    const size_t folderLength = Wide(folder / "").size();

    ASSERT_EQ(texture.LoadFromFile(wide.c_str()), kStatusOk);
    EXPECT_EQ(std::u16string(texture.GetName()), u"tex.png");
    EXPECT_EQ(texture.GetMipShift(), 0);

    // The world's data folder is the test folder's parent: the name keeps the last folder.
    const std::u16string dataFolder = Wide(folder / "").substr(0, folderLength - 1);
    const size_t parentLength = dataFolder.find_last_of(u'/') + 1;
    std::copy_n(dataFolder.c_str(), parentLength, world->dataPath);
    world->dataPathWord = int32_t(parentLength);
    ASSERT_EQ(texture.LoadFromFile(wide.c_str()), kStatusOk);
    EXPECT_EQ(std::u16string(texture.GetName()), wide.substr(parentLength));

    texture.SetFileName(nullptr); // changes nothing
    EXPECT_EQ(std::u16string(texture.GetName()), wide.substr(parentLength));
}

TEST_F(TextureTest, UseCountAndStubs)
{
    EXPECT_EQ(texture.AddRef(), 1);
    EXPECT_EQ(texture.AddRef(), 2);
    EXPECT_EQ(texture.ReleaseRef(), 1);
    EXPECT_EQ(texture.GetUseCount(), 1);
    EXPECT_EQ(texture.CopyFromScreen(0, 1, 0, 0), kStatusFailed);
    EXPECT_EQ(texture.Reserved2(0), kStatusFailed);
    EXPECT_EQ(texture.StreamHook(nullptr, 0), kStatusOk);
    // The one line of the engine written at the loud level, exactly as it reads.
    testing::internal::CaptureStderr();
    EXPECT_EQ(texture.LoadTextureFromPackerEx(0), kStatusFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "# C3DTexture::LoadTextureFromPackerEx NOT IMPLEMENTED !!!\n");
    C3DTexture base(world.get());
    EXPECT_EQ(base.UpdateFromRaw(1, 1, 24, nullptr), kStatusFailed);
}
