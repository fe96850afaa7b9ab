// Writes the seed corpora of the image fuzz targets with the tests' own writers. Run on demand:
//   Vornel3D_tests --gtest_also_run_disabled_tests --gtest_filter='ImageFuzzSeeds.*'
#include <gtest/gtest.h>

#include "ImageTestData.h"
#include "Vornel3D/C3DTextureRaw.h"

using namespace imagetest;

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(VORNEL_SOURCE_DIR) / "fuzz" / "corpus";

std::vector<uint8_t> Pattern(size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(i * 29 + (i >> 4));
    return bytes;
}

} // namespace

TEST(ImageFuzzSeeds, DISABLED_Write)
{
    const auto tga = kCorpus / "image_tga";
    const auto png = kCorpus / "image_png";
    const auto jpeg = kCorpus / "image_jpeg";
    const auto raw = kCorpus / "image_raw";
    for (const auto& folder : {tga, png, jpeg, raw})
        std::filesystem::create_directories(folder);

    auto plain = TgaHeader(2, 4, 4, 24);
    const auto body = Pattern(4 * 4 * 3);
    plain.insert(plain.end(), body.begin(), body.end());
    WriteBytes(tga / "plain24.tga", plain);
    auto rle = TgaHeader(10, 4, 2, 32);
    rle.insert(rle.end(), {0x83, 1, 2, 3, 4, 0x02, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x80, 9, 9, 9, 9});
    WriteBytes(tga / "rle32.tga", rle);
    auto rle24 = TgaHeader(10, 8, 8, 24);
    rle24.insert(rle24.end(), {0xBF, 10, 20, 30});
    WriteBytes(tga / "rle24_one_run.tga", rle24);

    for (int channels = 1; channels <= 4; ++channels)
        WriteBytes(png / ("channels" + std::to_string(channels) + ".png"),
                   EncodePng(8, 4, channels, Pattern(8 * 4 * channels)));

    auto world = MakeWorld();
    C3DTextureRaw image(world.get());
    for (const auto& size : {std::pair<int, int>{16, 16}, {8, 24}}) {
        ASSERT_EQ(image.SetPixelsCopy(uint16_t(size.first), uint16_t(size.second), 24,
                                      Pattern(size_t(size.first) * size.second * 3).data()),
                  kStatusOk);
        const auto name = "pattern" + std::to_string(size.first) + "x" + std::to_string(size.second) + ".jpg";
        ASSERT_EQ(image.SaveToFile(Wide(jpeg / name).c_str(), false), kStatusOk);
    }
    image.Release();

    WriteBytes(raw / "exact.raw", Pattern(0x30000));
    WriteBytes(raw / "short.raw", Pattern(16));
}
