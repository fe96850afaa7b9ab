#pragma once
// The sprite pictures of the particle benchmarks: uncompressed 32-bit TGA files of a soft disc.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

// A 32 x 32 disc of the colour whose alpha falls from the centre to its edge.
inline void WriteSpriteTga(const std::filesystem::path& path, uint8_t r, uint8_t g, uint8_t b)
{
    const int side = 32;
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, side, 0, side, 0, 32, 8};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float d = std::hypot(x - 15.5f, y - 15.5f) / 16.0f;
            bytes.insert(bytes.end(), {b, g, r, uint8_t(d < 1.0f ? 255.0f * (1.0f - d) : 0.0f)});
        }
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}
