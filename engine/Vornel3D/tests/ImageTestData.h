#pragma once
// Writers and helpers for the image tests: pictures given top row first, encoded by the tests
// themselves (PNG through libpng, TGA by hand, JPEG through the engine's writer).
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace imagetest {

inline std::unique_ptr<WorldData> MakeWorld()
{
    auto world = std::make_unique<WorldData>();
    world->dataPathWord = -1;
    return world;
}

// channels 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA; `topDown` holds the picture's rows top first.
inline std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& topDown)
{
    static const int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                 PNG_COLOR_TYPE_RGB_ALPHA};
    std::vector<uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &bytes,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, 8, kTypes[channels], PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(topDown.data() + size_t(y) * width * channels));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// A TGA file: type 2 (uncompressed) or 10 (run-length, given as ready packets).
inline std::vector<uint8_t> TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t depth)
{
    std::vector<uint8_t> bytes(12, 0);
    bytes[2] = type;
    bytes.insert(bytes.end(), {uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), depth, 0});
    return bytes;
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::u16string Wide(const std::filesystem::path& path)
{
    return UtilsString_FromUtf8(path.string().c_str());
}

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("vornel-images-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// A back end in miniature: keeps what MakeFromRaw is given, as the renderers do.
class CRecordingTexture : public C3DTexture {
public:
    using C3DTexture::C3DTexture;
    Status MakeFromRaw(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels,
                       const char16_t* name) override
    {
        m_nDepth = depth;
        m_nWidth = width;
        m_nHeight = height;
        const size_t bytes = size_t(width) * height * (depth / 8u);
        received.assign(pixels, pixels + bytes);
        return C3DTexture::MakeFromRaw(width, height, depth, pixels, name);
    }
    std::vector<uint8_t> received;
};

} // namespace imagetest
