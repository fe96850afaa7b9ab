#pragma once
// A font over the memory back end with cells of known widths, for layout and drawing tests:
// metrics (8 pixels high, sheet 64 x 64) make a cell 0.125 wide one text unit at scale 1.
#include <gtest/gtest.h>

#include <string>

#include "MemoryBackEnd.h"
#include "Vornel3D_ToolBox/CVornelFont.h"

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class MemoryFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.data->virtualWidth = 800;
        world.data->virtualHeight = 600;
        ASSERT_EQ(font.Init(kFontTrueType, kFontScreenObject, kFontDefaultMaxChars), kStatusOk);
        *font.GetMetrics() = FontMetrics{8, 64.0f, 64.0f};
        // 'a'..'z' one unit wide, 'W' three, the space half a unit; '\t' stays absent.
        for (char16_t c = u'a'; c <= u'z'; ++c)
            Cell(c, 0.125f);
        Cell(u'W', 0.375f);
        Cell(u' ', 0.0625f);
    }
    void TearDown() override { font.Unload(); }

    void Cell(char16_t code, float width) { font.SetCharRect(code, CharRect{0.5f, 0.25f, 0.5f + width, 0.5f}); }

    CMemoryWorld world;
    CVornelFont font{world.data.get()};
};
