// Charsets: any stream read as a charset, then texts of several pages measured, wrapped,
// truncated, remapped and drawn with whatever it gave, and a second user made of it. Nothing
// may crash, leak or free twice.
#include <cstdint>

#include "MemoryBackEnd.h"
#include "Vornel3D_ToolBox/CVornelFontEx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    CMemoryWorld world;
    world.data->virtualWidth = 800;
    world.data->virtualHeight = 600;
    CVornelFontEx font(world.data.get());
    if (Failed(font.Init(kFontCharset, kFontScreenObject, kFontDefaultMaxChars)))
        return 0;
    // A second read over a partial first one replaces what the first left.
    font.MakeFontCharsetFromAddress(data, uint32_t(size));
    const bool read = Succeeded(font.MakeFontCharsetFromAddress(data, uint32_t(size)));
    const char16_t* text = u"Objet trouv\u00E9\n\u0100\u0141 \u0241\u0341\uFFFF A b c d e f";
    font.GetTextSize(text, 1.5f, -2.0f);
    char16_t wrapped[128];
    font.WrapText(20.0f, 0, text, wrapped, 128, 40, u' ', u",", u":");
    char16_t cut[] = u"trunc\u0101ted \u0301text";
    font.TruncateText(12.0f, cut, 30);
    font.RemapText(cut);
    if (read) {
        const C3DVector2 hit{10.0f, 10.0f};
        font.DrawText(text, 5.0f, 5.0f, 0.0f, kTextShadow | kTextCentreX, 0xFF808080u, 30.0f, 30.0f, &hit, nullptr,
                      0);
        CVornelFontEx second(world.data.get());
        second.Load(&font, 300);
        second.Unload();
    }
    font.Unload();
    return 0;
}
