#include "NimbrelManagers/PictureSize.h"

#include <cstdio>
#include <cstring>

#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// A dot-separated part this short, its dot counted, is a language or platform tag.
constexpr size_t kTagLength = 3;

}  // namespace

void ParseSizeFromName(const char16_t* name, const char* format, int32_t* pWidth, int32_t* pHeight)
{
    int32_t width = -1, height = -1;
    char text[kWorldTextSize] = {};
    if (name && format)
        WideToAnsiCopy(UtilsString_GetFileName(name), text, sizeof text);
    if (char* extension = std::strrchr(text, '.'))
        *extension = '\0';
    const char* sizeText = nullptr;
    for (char* dot = std::strrchr(text, '.'); dot; dot = std::strrchr(text, '.')) {
        if (std::strlen(dot) > kTagLength) {
            sizeText = dot + 1;
            break;
        }
        *dot = '\0';
    }
    if (!sizeText)
        if (const char* underscore = std::strrchr(text, '_'))
            sizeText = underscore + 1;
    int32_t w = 0, h = 0;
    // A zero or negative size would be divided by in the screen fit.
    if (sizeText && std::sscanf(sizeText, format, &w, &h) == 2 && w > 0 && h > 0) {
        width = w;
        height = h;
    }
    if (pWidth)
        *pWidth = width;
    if (pHeight)
        *pHeight = height;
}
