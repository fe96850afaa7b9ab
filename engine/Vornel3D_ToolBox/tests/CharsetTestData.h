#pragma once
// Charset streams for the tests: pages with their masks and remapping tables, every cell of a
// page one text unit wide at scale 1 (metrics 8 pixels high over a 64 x 64 sheet).
#include <cstring>
#include <string>
#include <vector>

#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"

struct CharsetPageSpec {
    uint32_t mask;
    std::u16string remap;
};

inline Bytes CharsetBytes(const std::vector<CharsetPageSpec>& pages, uint32_t textures, uint32_t version = kCharsetVersion)
{
    Bytes bytes;
    auto f32 = [&](float value) {
        uint32_t word;
        std::memcpy(&word, &value, 4);
        PutU32(bytes, word);
    };
    PutU32(bytes, version);
    PutU32(bytes, uint32_t(pages.size()));
    PutU32(bytes, textures);
    for (const CharsetPageSpec& page : pages) {
        PutU32(bytes, page.mask);
        PutU32(bytes, 0);
        PutU32(bytes, uint32_t(page.remap.size()));
        for (char16_t c : page.remap) {
            bytes.push_back(uint8_t(c));
            bytes.push_back(uint8_t(c >> 8));
        }
    }
    for (size_t p = 0; p < pages.size(); ++p)
        for (uint32_t code = 0; code < kFontCharCount; ++code) {
            f32(0.25f);
            f32(0.25f);
            f32(0.375f);
            f32(0.5f);
        }
    for (size_t p = 0; p < pages.size(); ++p) {
        bytes.push_back(8);
        f32(64.0f);
        f32(64.0f);
    }
    return bytes;
}

// `count` pages of every language without remapping tables.
inline Bytes PlainCharset(uint32_t count)
{
    return CharsetBytes(std::vector<CharsetPageSpec>(count, CharsetPageSpec{0x1FF, u""}), count);
}
