#include "Vornel3D/C3DTextureRaw.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include "ImageTestData.h"

using namespace imagetest;

namespace {

// A picture whose every byte tells its row, column and channel.
std::vector<uint8_t> Gradient(uint32_t width, uint32_t height, uint32_t channels)
{
    std::vector<uint8_t> bytes(size_t(width) * height * channels);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t k = 0; k < channels; ++k)
                bytes[(size_t(y) * width + x) * channels + k] = uint8_t(y * 16 + x * 4 + k * 50);
    return bytes;
}

// The rows of a top-down picture in the opposite order.
std::vector<uint8_t> Flipped(const std::vector<uint8_t>& rows, uint32_t width, uint32_t height, uint32_t channels)
{
    std::vector<uint8_t> out(rows.size());
    const size_t stride = size_t(width) * channels;
    for (uint32_t y = 0; y < height; ++y)
        std::copy_n(rows.begin() + y * stride, stride, out.begin() + (height - 1 - y) * stride);
    return out;
}

std::vector<uint8_t> Stored(const C3DTextureRaw& raw)
{
    return std::vector<uint8_t>(raw.GetPixels(), raw.GetPixels() + raw.GetPixelBytes());
}

class TextureRawTest : public ::testing::Test {
protected:
    std::unique_ptr<WorldData> world = MakeWorld();
    C3DTextureRaw raw{world.get()};
    TempFolder folder;
    ~TextureRawTest() override { raw.Release(); }
};

} // namespace

TEST_F(TextureRawTest, PngPictureRowsAreStoredBottomUp)
{
    for (int channels = 1; channels <= 4; ++channels) {
        SCOPED_TRACE(channels);
        const auto picture = Gradient(5, 3, channels);
        const auto png = EncodePng(5, 3, channels, picture);
        ASSERT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"textures\\pic.PNG"), kStatusOk);
        EXPECT_EQ(raw.GetWidth(), 5);
        EXPECT_EQ(raw.GetHeight(), 3);
        EXPECT_EQ(raw.GetDepth(), channels * 8);
        EXPECT_EQ(Stored(raw), Flipped(picture, 5, 3, channels)); // picture row i in stored row h-1-i
        EXPECT_EQ(std::u16string(raw.GetName()), u"pic.PNG");
    }
}

TEST_F(TextureRawTest, PngSaveAndReloadRoundTrip)
{
    for (uint8_t depth : {8, 16, 24, 32}) {
        SCOPED_TRACE(int(depth));
        const auto pixels = Gradient(6, 4, depth / 8);
        ASSERT_EQ(raw.SetPixelsCopy(6, 4, depth, pixels.data()), kStatusOk);
        const auto upright = folder / "upright.png";
        const auto stored = folder / "stored.png";
        ASSERT_EQ(raw.SaveToFile(Wide(upright).c_str(), false), kStatusOk);
        ASSERT_EQ(raw.SaveToFile(Wide(stored).c_str(), true), kStatusOk);

        C3DTextureRaw back(world.get());
        ASSERT_EQ(back.LoadFromFile(Wide(upright).c_str()), kStatusOk);
        EXPECT_EQ(back.GetDepth(), depth);
        EXPECT_EQ(Stored(back), pixels);
        EXPECT_EQ(std::u16string(back.GetName()), u"upright.png");
        // Written in stored order, the file shows the picture upside down.
        ASSERT_EQ(back.LoadFromFile(Wide(stored).c_str()), kStatusOk);
        EXPECT_EQ(Stored(back), Flipped(pixels, 6, 4, depth / 8));
        back.Release();
    }
}

TEST_F(TextureRawTest, JpegSaveAndReloadKeepsThePictureUpright)
{
    // Top half red, bottom half blue, in stored (bottom-up) order: blue rows come first.
    std::vector<uint8_t> pixels(16 * 16 * 3);
    for (size_t i = 0; i < 16 * 16; ++i) {
        const bool bottom = i < 16 * 8;
        pixels[i * 3 + 0] = bottom ? 0 : 255;
        pixels[i * 3 + 2] = bottom ? 255 : 0;
    }
    ASSERT_EQ(raw.SetPixelsCopy(16, 16, 24, pixels.data()), kStatusOk);
    const auto path = folder / "bands.JPG";
    ASSERT_EQ(raw.SaveToFile(Wide(path).c_str(), false), kStatusOk);

    C3DTextureRaw back(world.get());
    ASSERT_EQ(back.LoadFromFile(Wide(path).c_str()), kStatusOk);
    ASSERT_EQ(back.GetDepth(), 24);
    ASSERT_EQ(back.GetWidth(), 16);
    ASSERT_EQ(back.GetHeight(), 16);
    const uint8_t* p = back.GetPixels();
    EXPECT_GT(p[2], 200);                 // stored row 0: the bottom of the picture, blue
    EXPECT_LT(p[0], 60);
    EXPECT_GT(p[15 * 16 * 3 + 0], 200);   // stored row 15: the top, red
    EXPECT_LT(p[15 * 16 * 3 + 2], 60);
    back.Release();
}

TEST_F(TextureRawTest, SaveRefusesWhatItCannotWrite)
{
    const auto pixels = Gradient(4, 4, 4);
    ASSERT_EQ(raw.SetPixelsCopy(4, 4, 32, pixels.data()), kStatusOk);
    EXPECT_EQ(raw.SaveToFile(Wide(folder / "a.bmp").c_str(), false), kStatusFailed);
    EXPECT_EQ(raw.SaveToFile(Wide(folder / "a.jpg").c_str(), false), kStatusFailed); // JPEG is 24-bit only
    EXPECT_FALSE(std::filesystem::exists(folder / "a.jpg"));
    EXPECT_EQ(raw.SaveToFile(Wide(folder / "missing" / "a.png").c_str(), false), kStatusImageNotWritable);
}

TEST_F(TextureRawTest, RawBlockMustBeExactly0x30000Bytes)
{
    std::vector<uint8_t> block(0x30000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = uint8_t(i * 7);
    EXPECT_EQ(raw.MakeFromAddress(block.data(), 0x2FFFF, u"a.raw"), kStatusFailed);
    EXPECT_EQ(raw.MakeFromAddress(block.data(), 0x30000, u"a.RAW"), kStatusOk);
    EXPECT_EQ(raw.GetWidth(), 256);
    EXPECT_EQ(raw.GetHeight(), 256);
    EXPECT_EQ(raw.GetDepth(), 24);
    EXPECT_EQ(Stored(raw), block);
    EXPECT_NE(raw.GetPixels(), block.data()); // its own copy

    block.push_back(0);
    const auto path = folder / "long.raw";
    WriteBytes(path, block);
    EXPECT_EQ(raw.LoadFromFile(Wide(path).c_str()), kStatusFailed);
    block.pop_back();
    WriteBytes(path, block);
    EXPECT_EQ(raw.LoadFromFile(Wide(path).c_str()), kStatusOk);
}

TEST_F(TextureRawTest, TgaUncompressedAndRunLength)
{
    // 3 x 2, 24-bit, file order B,G,R; rows stay in file order.
    auto tga = TgaHeader(2, 3, 2, 24);
    for (uint8_t i = 0; i < 6; ++i)
        tga.insert(tga.end(), {uint8_t(i), uint8_t(i + 10), uint8_t(i + 20)});
    ASSERT_EQ(raw.MakeFromAddress(tga.data(), uint32_t(tga.size()), u"a.tga"), kStatusOk);
    EXPECT_EQ(raw.GetDepth(), 24);
    const std::vector<uint8_t> expected = {20, 10, 0, 21, 11, 1, 22, 12, 2, 23, 13, 3, 24, 14, 4, 25, 15, 5};
    EXPECT_EQ(Stored(raw), expected);

    // 32-bit run-length: a run of 4, then 2 literal pixels.
    auto rle = TgaHeader(10, 3, 2, 32);
    rle.insert(rle.end(), {0x83, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12});
    ASSERT_EQ(raw.MakeFromAddress(rle.data(), uint32_t(rle.size()), u"b.TGA"), kStatusOk);
    EXPECT_EQ(raw.GetDepth(), 32);
    const std::vector<uint8_t> expected32 = {3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12};
    EXPECT_EQ(Stored(raw), expected32);
}

TEST_F(TextureRawTest, BadTgaFilesFailCleanly)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    auto overrun = TgaHeader(10, 2, 2, 24);
    overrun.insert(overrun.end(), {0x82, 1, 2, 3, 0x81, 4, 5, 6}); // 3 + 2 pixels for 4
    auto literalOverrun = TgaHeader(10, 2, 1, 24);
    literalOverrun.insert(literalOverrun.end(), {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    auto shortData = TgaHeader(2, 2, 2, 24);
    shortData.resize(shortData.size() + 11);
    auto huge = TgaHeader(2, 0xFFFF, 0xFFFF, 32); // claims 16 GiB with no data
    auto hugeRle = TgaHeader(10, 0xFFFF, 0xFFFF, 32);
    hugeRle.insert(hugeRle.end(), {0xFF, 1, 2, 3, 4});
    auto depth16 = TgaHeader(2, 1, 1, 16);
    depth16.insert(depth16.end(), {0, 0});
    auto palette = TgaHeader(1, 1, 1, 24);
    palette.insert(palette.end(), {0, 0, 0});
    const Case cases[] = {
        {"run-length packet past width x height", overrun},
        {"literal packet past width x height", literalOverrun},
        {"short pixel data", shortData},
        {"size larger than the file", huge},
        {"run-length size no data could fill", hugeRle},
        {"16-bit depth", depth16},
        {"colour-mapped type", palette},
        {"zero width", TgaHeader(2, 0, 1, 24)},
        {"short header", {0, 0, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(raw.MakeFromAddress(c.bytes.data(), uint32_t(c.bytes.size()), u"x.tga"), kStatusFailed);
        EXPECT_EQ(raw.GetPixels(), nullptr);
    }
}

TEST_F(TextureRawTest, UnknownExtensionFails)
{
    const auto png = EncodePng(2, 2, 3, Gradient(2, 2, 3));
    EXPECT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"a.bmp"), kStatusFailed);
    EXPECT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"a.pngx"), kStatusFailed);
    EXPECT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"png"), kStatusFailed);
}

TEST_F(TextureRawTest, NonPowerOfTwoCodesBySource)
{
    world->texturePowerOfTwo = 1;
    const auto png = EncodePng(6, 4, 3, Gradient(6, 4, 3));
    EXPECT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"a.png"), kStatusTextureNotPowerOfTwo);
    EXPECT_EQ(world->lastErrorCode, StatusCode(0x8003000Cu));

    const auto path = folder / "a.png";
    WriteBytes(path, png);
    world->lastErrorCode = 0;
    EXPECT_EQ(raw.LoadFromFile(Wide(path).c_str()), kStatusUnsupportedImage);
    EXPECT_EQ(world->lastErrorCode, StatusCode(0x8001000Cu));

    FILE* file = std::fopen(path.u8string().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    PackRecord entry{};
    entry.pFile = file;
    entry.lastEntrySize = uint32_t(png.size());
    std::copy_n(u"a.png", 6, entry.lastEntryName);
    world->lastErrorCode = 0;
    EXPECT_EQ(raw.LoadFromPacker(&entry), kStatusUnsupportedImage);
    EXPECT_EQ(world->lastErrorCode, StatusCode(0x8001000Cu));
    std::fclose(file);

    // Powers of two pass, and without the demand any size does.
    const auto square = EncodePng(8, 4, 3, Gradient(8, 4, 3));
    EXPECT_EQ(raw.MakeFromAddress(square.data(), uint32_t(square.size()), u"b.png"), kStatusOk);
    world->texturePowerOfTwo = 0;
    EXPECT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"a.png"), kStatusOk);
}

TEST_F(TextureRawTest, MissingFileLatchesNotOpened)
{
    EXPECT_EQ(raw.LoadFromFile(Wide(folder / "none.png").c_str()), kStatusFileNotOpened);
    EXPECT_EQ(world->lastErrorCode, kStatusFileNotOpened);
}

TEST_F(TextureRawTest, FitToRendererMipShiftAndMaximum)
{
    std::vector<uint8_t> big(1024 * 1024 * 3, 0);
    ASSERT_EQ(raw.SetPixelsCopy(1024, 1024, 24, big.data()), kStatusOk);
    world->textureMipShift = 1;
    world->maxTextureWidth = world->maxTextureHeight = 256;
    ASSERT_EQ(raw.FitToRenderer(), kStatusOk);
    EXPECT_EQ(raw.GetWidth(), 256); // 1024 >> 1 = 512, clamped to 256: factors 4
    EXPECT_EQ(raw.GetHeight(), 256);
    EXPECT_EQ(raw.GetMipShift(), 1);

    // Not powers of two: never resized.
    std::vector<uint8_t> odd(1000 * 1000 * 3, 0);
    C3DTextureRaw other(world.get());
    ASSERT_EQ(other.SetPixelsCopy(1000, 1000, 24, odd.data()), kStatusOk);
    ASSERT_EQ(other.FitToRenderer(), kStatusOk);
    EXPECT_EQ(other.GetWidth(), 1000);
    EXPECT_EQ(other.GetMipShift(), 0);
    other.Release();
}

TEST_F(TextureRawTest, FitToRendererBoxFilterTruncatesTheMean)
{
    // 4 x 2 grey+alpha to a maximum of 2 x 1: factors 2 x 2.
    const std::vector<uint8_t> pixels = {
        0, 10, 1, 10, 10, 0, 20, 0,  // stored row 0
        2, 11, 1, 11, 30, 1, 40, 1,  // stored row 1
    };
    ASSERT_EQ(raw.SetPixelsCopy(4, 2, 16, pixels.data()), kStatusOk);
    world->maxTextureWidth = 2;
    world->maxTextureHeight = 1;
    ASSERT_EQ(raw.FitToRenderer(), kStatusOk);
    ASSERT_EQ(raw.GetWidth(), 2);
    ASSERT_EQ(raw.GetHeight(), 1);
    EXPECT_EQ(raw.GetMipShift(), 0);
    EXPECT_EQ(Stored(raw), (std::vector<uint8_t>{1, 10, 25, 0})); // (0+1+2+1)/4, (10+10+11+11)/4 ...

    // A shift that empties a side changes nothing.
    world->maxTextureWidth = world->maxTextureHeight = 0;
    world->textureMipShift = 1;
    ASSERT_EQ(raw.FitToRenderer(), kStatusOk);
    EXPECT_EQ(raw.GetWidth(), 2);
    EXPECT_EQ(raw.GetMipShift(), 0);
}

TEST_F(TextureRawTest, LoadAppliesTheMipShift)
{
    world->textureMipShift = 1;
    const auto png = EncodePng(4, 4, 1, std::vector<uint8_t>(16, 200));
    ASSERT_EQ(raw.MakeFromAddress(png.data(), uint32_t(png.size()), u"a.png"), kStatusOk);
    EXPECT_EQ(raw.GetWidth(), 2);
    EXPECT_EQ(raw.GetMipShift(), 1);
    EXPECT_EQ(Stored(raw), std::vector<uint8_t>(4, 200));
}

TEST_F(TextureRawTest, AttachedPixelsStayTheCallers)
{
    std::vector<uint8_t> pixels = Gradient(2, 2, 3);
    {
        C3DTextureRaw attached(world.get());
        ASSERT_EQ(attached.AttachPixels(2, 2, 24, pixels.data()), kStatusOk);
        EXPECT_EQ(attached.GetPixels(), pixels.data());
    } // destroyed without Release: the block is not freed
    EXPECT_EQ(pixels[0], 0);
}

TEST_F(TextureRawTest, GreyJpegBecomesRgb)
{
    // A grey JPEG written with libjpeg directly: 8 x 8, top half black, bottom half white.
    jpeg_compress_struct encoder;
    jpeg_error_mgr errors;
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &bytes, &size);
    encoder.image_width = 8;
    encoder.image_height = 8;
    encoder.input_components = 1;
    encoder.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, 95, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    for (int y = 0; y < 8; ++y) {
        std::vector<uint8_t> row(8, y < 4 ? 0 : 255);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&encoder, &p, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);

    const Status status = raw.MakeFromAddress(bytes, uint32_t(size), u"grey.jpg");
    std::free(bytes);
    ASSERT_EQ(status, kStatusOk);
    EXPECT_EQ(raw.GetDepth(), 24);
    const uint8_t* bottom = raw.GetPixels();                 // stored row 0: the picture's bottom, white
    const uint8_t* top = raw.GetPixels() + 7 * 8 * 3;        // stored row 7: the top, black
    EXPECT_GT(bottom[0], 230);
    EXPECT_EQ(bottom[0], bottom[1]);
    EXPECT_EQ(bottom[0], bottom[2]);
    EXPECT_LT(top[0], 25);
}

TEST_F(TextureRawTest, PngPackEntryEndsAtItsSize)
{
    // The entry holds only the start of the PNG; the whole PNG follows it in the file.
    const auto png = EncodePng(8, 8, 3, Gradient(8, 8, 3));
    std::vector<uint8_t> file = png;
    file.insert(file.end(), png.begin(), png.end());
    const auto path = folder / "cut.pak";
    WriteBytes(path, file);
    FILE* stream = std::fopen(path.u8string().c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    PackRecord entry{};
    entry.pFile = stream;
    std::copy_n(u"cut.png", 8, entry.lastEntryName);
    entry.lastEntrySize = uint32_t(png.size() - 20);
    EXPECT_EQ(raw.LoadFromPacker(&entry), kStatusFailed);
    EXPECT_LE(std::ftell(stream), long(png.size() - 20));

    std::fseek(stream, 0, SEEK_SET);
    entry.lastEntrySize = uint32_t(png.size());
    EXPECT_EQ(raw.LoadFromPacker(&entry), kStatusOk);
    EXPECT_EQ(Stored(raw), Flipped(Gradient(8, 8, 3), 8, 8, 3));
    std::fclose(stream);
}
