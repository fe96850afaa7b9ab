// Decoding a 1024 x 1024 PNG and JPEG through the engine's image loader against the bare
// library decode of the same bytes (same transformations, same output rows).
#include <benchmark/benchmark.h>

#include <png.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint16_t kSide = 1024;

struct Samples {
    std::vector<uint8_t> png;
    std::vector<uint8_t> jpeg;
};

std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A picture with smooth areas and detail, written once by the engine's own writers.
const Samples& GetSamples()
{
    static const Samples samples = [] {
        std::vector<uint8_t> pixels(size_t(kSide) * kSide * 3);
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                uint8_t* p = &pixels[(size_t(y) * kSide + x) * 3];
                p[0] = uint8_t(x / 4);
                p[1] = uint8_t(y / 4 + ((x * y) >> 10 & 15));
                p[2] = uint8_t((x ^ y) & 0x3F) + uint8_t(((x / 64 + y / 64) & 1) * 128);
            }
        WorldData world{};
        world.dataPathWord = -1;
        C3DTextureRaw image(&world);
        image.SetPixelsCopy(kSide, kSide, 24, pixels.data());
        const auto folder = std::filesystem::temp_directory_path();
        const auto pngPath = folder / "vornel_bench_image.png";
        const auto jpegPath = folder / "vornel_bench_image.jpg";
        image.SaveToFile(UtilsString_FromUtf8(pngPath.c_str()).c_str(), false);
        image.SaveToFile(UtilsString_FromUtf8(jpegPath.c_str()).c_str(), false);
        image.Release();
        Samples s{ReadAll(pngPath), ReadAll(jpegPath)};
        std::filesystem::remove(pngPath);
        std::filesystem::remove(jpegPath);
        return s;
    }();
    return samples;
}

void LoadThroughEngine(benchmark::State& state, const std::vector<uint8_t>& bytes, const char16_t* name)
{
    WorldData world{};
    world.dataPathWord = -1;
    for (auto _ : state) {
        C3DTextureRaw image(&world);
        if (Failed(image.MakeFromAddress(bytes.data(), uint32_t(bytes.size()), name)))
            state.SkipWithError("engine decode failed");
        benchmark::DoNotOptimize(image.GetPixels());
        image.Release();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 3);
}

void BM_PngEngine(benchmark::State& state)
{
    LoadThroughEngine(state, GetSamples().png, u"bench.png");
}

void BM_JpegEngine(benchmark::State& state)
{
    LoadThroughEngine(state, GetSamples().jpeg, u"bench.jpg");
}

struct PngMemory {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void BM_PngBareLibpng(benchmark::State& state)
{
    const auto& bytes = GetSamples().png;
    for (auto _ : state) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        PngMemory memory{bytes.data(), bytes.size(), 0};
        png_set_read_fn(png, &memory, [](png_structp p, png_bytep out, png_size_t n) {
            auto* m = static_cast<PngMemory*>(png_get_io_ptr(p));
            std::memcpy(out, m->data + m->position, n);
            m->position += n;
        });
        png_read_info(png, info);
        const png_uint_32 w = png_get_image_width(png, info);
        const png_uint_32 h = png_get_image_height(png, info);
        png_read_update_info(png, info);
        const size_t stride = png_get_rowbytes(png, info);
        uint8_t* pixels = static_cast<uint8_t*>(std::malloc(stride * h));
        std::vector<png_bytep> rows(h);
        for (png_uint_32 i = 0; i < h; ++i)
            rows[i] = pixels + (h - 1 - i) * stride;
        png_read_image(png, rows.data());
        benchmark::DoNotOptimize(pixels[w]);
        std::free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 3);
}

void BM_JpegBareLibjpeg(benchmark::State& state)
{
    const auto& bytes = GetSamples().jpeg;
    for (auto _ : state) {
        jpeg_decompress_struct decoder;
        jpeg_error_mgr errors;
        decoder.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&decoder);
        jpeg_mem_src(&decoder, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&decoder, TRUE);
        decoder.out_color_space = JCS_RGB;
        jpeg_start_decompress(&decoder);
        const uint32_t h = decoder.output_height;
        const size_t stride = size_t(decoder.output_width) * 3;
        uint8_t* pixels = static_cast<uint8_t*>(std::malloc(stride * h));
        std::vector<JSAMPROW> rows(h);
        for (uint32_t i = 0; i < h; ++i)
            rows[i] = pixels + (h - 1 - i) * stride;
        while (decoder.output_scanline < h)
            jpeg_read_scanlines(&decoder, rows.data() + decoder.output_scanline, h - decoder.output_scanline);
        jpeg_finish_decompress(&decoder);
        benchmark::DoNotOptimize(pixels[stride]);
        std::free(pixels);
        jpeg_destroy_decompress(&decoder);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 3);
}

} // namespace

BENCHMARK(BM_PngEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngBareLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegBareLibjpeg)->Unit(benchmark::kMillisecond);
