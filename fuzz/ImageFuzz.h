#pragma once
// Shared body of the image fuzz targets: the same bytes are read from memory and, through a
// C stream, as a pack entry followed by other data, with fitting to the renderer switched on.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "Vornel3D/C3DTextureRaw.h"
#include "VornelUtils/WorldData.h"

inline void FuzzImage(const uint8_t* data, size_t size, const char16_t* name)
{
    auto world = std::make_unique<WorldData>();
    world->dataPathWord = -1;
    world->textureMipShift = 1;
    world->maxTextureWidth = world->maxTextureHeight = 64;

    C3DTextureRaw image(world.get());
    image.MakeFromAddress(data, uint32_t(size), name);
    image.Release();

    // As a pack entry: other bytes follow it in the file and must not be read.
    std::vector<uint8_t> pack(data, data + size);
    pack.insert(pack.end(), 64, 0xFF);
    FILE* file = fmemopen(pack.data(), pack.size(), "rb");
    if (!file)
        return;
    PackRecord entry{};
    entry.pFile = file;
    entry.lastEntrySize = uint32_t(size);
    std::memcpy(entry.lastEntryName, name, (std::char_traits<char16_t>::length(name) + 1) * sizeof(char16_t));
    image.LoadFromPacker(&entry);
    image.Release();
    std::fclose(file);
}
