// The engine's JPEG data source and JPEG images inside pack entries.
#include <gtest/gtest.h>

#include <csetjmp>

#include "../src/JpegSource.h"
#include "ImageTestData.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"

using namespace imagetest;

namespace {

struct TestErrors {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

class JpegSourceTest : public ::testing::Test {
protected:
    JpegSourceTest()
    {
        decoder.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = [](j_common_ptr info) { std::longjmp(reinterpret_cast<TestErrors*>(info->err)->jump, 1); };
        errors.pub.output_message = [](j_common_ptr) {};
        jpeg_create_decompress(&decoder);
    }
    ~JpegSourceTest() override
    {
        jpeg_destroy_decompress(&decoder);
        if (file)
            std::fclose(file);
    }

    // A file of `size` numbered bytes, open at `start`.
    void OpenNumbered(size_t size, long start)
    {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = uint8_t(i * 13 + 1);
        content = bytes;
        WriteBytes(folder / "data.bin", bytes);
        file = std::fopen((folder / "data.bin").u8string().c_str(), "rb");
        ASSERT_NE(file, nullptr);
        std::fseek(file, start, SEEK_SET);
    }

    // One fill: the bytes handed out.
    std::vector<uint8_t> Fill()
    {
        decoder.src->fill_input_buffer(&decoder);
        const JOCTET* p = decoder.src->next_input_byte;
        std::vector<uint8_t> out(p, p + decoder.src->bytes_in_buffer);
        decoder.src->bytes_in_buffer = 0;
        return out;
    }

    const std::vector<uint8_t> kEndOfImage = {0xFF, 0xD9};
    jpeg_decompress_struct decoder{};
    TestErrors errors{};
    TempFolder folder;
    FILE* file = nullptr;
    std::vector<uint8_t> content;
};

} // namespace

TEST_F(JpegSourceTest, FileSourceStopsAtTheLimitWithOnlyAnEndMarker)
{
    OpenNumbered(10000, 100);
    JpegSourceFromFile(&decoder, file, 5000);
    decoder.src->init_source(&decoder);
    std::vector<uint8_t> handedOut;
    for (;;) {
        auto chunk = Fill();
        ASSERT_FALSE(chunk.empty());
        if (chunk == kEndOfImage)
            break;
        handedOut.insert(handedOut.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(handedOut, std::vector<uint8_t>(content.begin() + 100, content.begin() + 5100));
    EXPECT_EQ(std::ftell(file), 5100); // nothing of the file after the limit was read
    EXPECT_EQ(errors.pub.num_warnings, 1);
    EXPECT_EQ(Fill(), kEndOfImage); // and so on for ever
    EXPECT_EQ(std::ftell(file), 5100);
}

TEST_F(JpegSourceTest, FileSourceWithoutLimitReadsToTheEnd)
{
    OpenNumbered(5000, 0);
    JpegSourceFromFile(&decoder, file, -1);
    decoder.src->init_source(&decoder);
    EXPECT_EQ(Fill().size(), kJpegSourceBufferSize);
    EXPECT_EQ(Fill().size(), 5000 - kJpegSourceBufferSize);
    EXPECT_EQ(Fill(), kEndOfImage);
}

TEST_F(JpegSourceTest, SkipPastTheLimitHandsOutOnlyEndMarkers)
{
    OpenNumbered(10000, 0);
    JpegSourceFromFile(&decoder, file, 300);
    decoder.src->init_source(&decoder);
    decoder.src->skip_input_data(&decoder, 1000);
    EXPECT_LE(decoder.src->bytes_in_buffer, 2u);
    EXPECT_EQ(std::ftell(file), 300);
}

TEST_F(JpegSourceTest, EmptyInputIsAnError)
{
    OpenNumbered(100, 100);
    JpegSourceFromFile(&decoder, file, 0);
    decoder.src->init_source(&decoder);
    if (setjmp(errors.jump) == 0) {
        Fill();
        FAIL() << "an empty input must stop the decoder";
    }
    EXPECT_EQ(errors.pub.msg_code, JERR_INPUT_EMPTY);
}

TEST_F(JpegSourceTest, MemorySourceHandsOutTheBlockOnce)
{
    const std::vector<uint8_t> block = {1, 2, 3, 4, 5};
    JpegSourceFromMemory(&decoder, block.data(), block.size());
    decoder.src->init_source(&decoder);
    EXPECT_EQ(Fill(), block);
    EXPECT_EQ(Fill(), kEndOfImage);
    EXPECT_EQ(errors.pub.num_warnings, 1);
}

TEST(JpegImage, MarkerEndingAtTheBlockEndDoesNotLoop)
{
    // An APP0 marker whose length ends exactly at the end of the data: handing the block out
    // again would read the same marker for ever.
    const std::vector<uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04};
    auto world = MakeWorld();
    C3DTextureRaw raw(world.get());
    EXPECT_EQ(raw.MakeFromAddress(bytes.data(), uint32_t(bytes.size()), u"loop.jpg"), kStatusFailed);
}

TEST(JpegImage, PackEntryIsDecodedOnlyUpToItsSize)
{
    auto world = MakeWorld();
    TempFolder folder;
    // A 64 x 64 picture with detail everywhere, so a cut shows.
    std::vector<uint8_t> pixels(64 * 64 * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t((i * 37) ^ (i >> 5));
    C3DTextureRaw source(world.get());
    ASSERT_EQ(source.SetPixelsCopy(64, 64, 24, pixels.data()), kStatusOk);
    ASSERT_EQ(source.SaveToFile(Wide(folder / "full.jpg").c_str(), false), kStatusOk);
    source.Release();
    const auto jpeg = ReadBytes(folder / "full.jpg");

    C3DTextureRaw full(world.get());
    ASSERT_EQ(full.MakeFromAddress(jpeg.data(), uint32_t(jpeg.size()), u"full.jpg"), kStatusOk);
    const std::vector<uint8_t> fullPixels(full.GetPixels(), full.GetPixels() + full.GetPixelBytes());
    full.Release();

    // Pack file: 100 bytes before the entry, the whole JPEG after it, so reading past the entry's
    // size would find the rest of the picture.
    std::vector<uint8_t> pack(100, 0x55);
    pack.insert(pack.end(), jpeg.begin(), jpeg.end());
    pack.insert(pack.end(), jpeg.begin(), jpeg.end());
    WriteBytes(folder / "data.pak", pack);
    FILE* file = std::fopen((folder / "data.pak").u8string().c_str(), "rb");
    ASSERT_NE(file, nullptr);

    struct Case {
        uint32_t size;
        bool whole;
    };
    for (const Case c : {Case{uint32_t(jpeg.size()), true}, Case{uint32_t(jpeg.size() / 2), false}}) {
        SCOPED_TRACE(c.size);
        std::fseek(file, 100, SEEK_SET);
        PackRecord entry{};
        entry.pFile = file;
        entry.lastEntrySize = c.size;
        std::copy_n(u"textures/entry.jpg", 19, entry.lastEntryName);
        C3DTextureRaw raw(world.get());
        ASSERT_EQ(raw.LoadFromPacker(&entry), kStatusOk);
        EXPECT_LE(std::ftell(file), long(100 + c.size));
        EXPECT_EQ(std::u16string(raw.GetName()), u"entry.jpg");
        ASSERT_EQ(raw.GetWidth(), 64);
        ASSERT_EQ(raw.GetHeight(), 64);
        const std::vector<uint8_t> got(raw.GetPixels(), raw.GetPixels() + raw.GetPixelBytes());
        const size_t topRow = size_t(63) * 64 * 3; // stored last: the top of the picture
        EXPECT_TRUE(std::equal(got.begin() + topRow, got.end(), fullPixels.begin() + topRow));
        if (c.whole)
            EXPECT_EQ(got, fullPixels);
        else
            EXPECT_FALSE(std::equal(got.begin(), got.begin() + 64 * 3, fullPixels.begin())); // bottom row missing
        raw.Release();
    }
    std::fclose(file);
}

TEST(JpegImage, EntriesOfARealPack)
{
    auto world = MakeWorld();
    TempFolder folder;
    // Two JPEG pictures of different sizes back to back, then a PNG.
    std::vector<std::vector<uint8_t>> jpegs;
    for (uint16_t side : {16, 32}) {
        C3DTextureRaw image(world.get());
        ASSERT_EQ(image.SetPixelsCopy(side, side, 24, std::vector<uint8_t>(size_t(side) * side * 3, uint8_t(side)).data()),
                  kStatusOk);
        ASSERT_EQ(image.SaveToFile(Wide(folder / "x.jpg").c_str(), false), kStatusOk);
        image.Release();
        jpegs.push_back(ReadBytes(folder / "x.jpg"));
    }
    const auto png = EncodePng(4, 2, 2, std::vector<uint8_t>(16, 7));
    const auto packPath = folder / "data.pak";
    FILE* out = std::fopen(packPath.u8string().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(WritePackCountRecord(out, 3), kStatusOk);
    ASSERT_EQ(WritePackRecord(out, "pics\\small.jpg", jpegs[0].data(), uint32_t(jpegs[0].size())), kStatusOk);
    ASSERT_EQ(WritePackRecord(out, "pics\\large.jpg", jpegs[1].data(), uint32_t(jpegs[1].size())), kStatusOk);
    ASSERT_EQ(WritePackRecord(out, "grey.png", png.data(), uint32_t(png.size())), kStatusOk);
    std::fclose(out);

    PackRecord pack{};
    ASSERT_EQ(OpenPackFile(&pack, Wide(packPath).c_str(), 0), kStatusOk);
    struct Case {
        const char16_t* name;
        const char16_t* kept;
        uint16_t width;
        uint8_t depth;
    };
    for (const Case& c : {Case{u"pics\\small.jpg", u"small.jpg", 16, 24}, Case{u"pics\\large.jpg", u"large.jpg", 32, 24},
                          Case{u"grey.png", u"grey.png", 4, 16}}) {
        ASSERT_EQ(FindPackEntry(c.name, &pack), kStatusOk);
        C3DTextureRaw raw(world.get());
        ASSERT_EQ(raw.LoadFromPacker(&pack), kStatusOk);
        EXPECT_EQ(raw.GetWidth(), c.width);
        EXPECT_EQ(raw.GetDepth(), c.depth);
        EXPECT_EQ(std::u16string(raw.GetName()), c.kept);
        raw.Release();

        ASSERT_EQ(FindPackEntry(c.name, &pack), kStatusOk);
        CRecordingTexture texture(world.get());
        ASSERT_EQ(texture.LoadFromPacker(&pack), kStatusOk);
        EXPECT_EQ(texture.GetWidth(), c.width);
        EXPECT_EQ(std::u16string(texture.GetName()), c.kept);
    }
    ClosePackFile(&pack);
}
