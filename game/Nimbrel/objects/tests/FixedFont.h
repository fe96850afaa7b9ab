#pragma once
// A font without a renderer for layout tests: every character from the space up is as wide as
// the glyph width, a line as high as the glyph height.
#include "Vornel3D_ToolBox/CVornelFont.h"

class CFixedFont : public CVornelFont {
public:
    explicit CFixedFont(WorldData* w) : CVornelFont(w)
    {
        AllocateTables();
        for (uint32_t c = 32; c < 256; ++c)
            SetCharRect(c, {0.0f, 0.0f, 32.0f / 1024.0f, 0.1f});
        *GetMetrics() = {32, 1024.0f, 64.0f};
    }
};
