// Glyph tables: a stored block, then any stream of cells and metrics, and the text measured,
// wrapped, centred and drawn with whatever the table gave. Nothing may crash, leak or divide
// by zero.
#include <cstdint>

#include "MemoryBackEnd.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsStream_Static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    CMemoryWorld world;
    world.data->virtualWidth = 800;
    world.data->virtualHeight = 600;
    CVornelFont font(world.data.get());
    if (Failed(font.Init(kFontGlyph, kFontScreenObject, 16)))
        return 0;
    font.MakeGlyphTableFromAddress(data, uint32_t(size));
    UtilsStream_Static stream(kStreamRead, const_cast<uint8_t*>(data), uint32_t(size));
    if (Succeeded(stream.Open())) {
        font.ReadGlyphTable(&stream);
        stream.Close();
    }
    const char16_t* text = u"Objet trouvé : 3/10\nA b c\r\x0100 d e f g h i j k l m n o p q r s t u v w x y z";
    font.GetTextSize(text, 1.5f, -2.0f);
    char16_t wrapped[128];
    font.WrapText(20.0f, 0, text, wrapped, 128, 40, u' ', u",", u":", 0);
    char16_t centred[128] = u"ab\nabcdef\nW";
    font.CentreLines(centred, 128, 10.0f, 10.0f, u' ', u'\n');
    char16_t cut[] = u"truncated text";
    font.TruncateText(12.0f, cut, 30);
    const C3DVector2 hit{10.0f, 10.0f};
    font.DrawText(text, 5.0f, 5.0f, 0.0f, kTextShadow | kTextHighlight | kTextCentreX, 0xFF808080u, 30.0f, 30.0f,
                  &hit, nullptr, 0);
    font.Unload();
    return 0;
}
