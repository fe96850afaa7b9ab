#include "NimbrelObjects/ParseColor.h"

uint32_t ParseColor(const char* text, uint32_t defaultColor)
{
    if (!text || text[0] != '0' || text[1] != 'x')
        return defaultColor;
    uint32_t color = 0;
    for (const char* c = text + 2; c < text + 10 && *c; ++c) {
        const int digit = *c >= '0' && *c <= '9' ? *c - '0' : ((*c - 55) % 16 + 16) % 16;
        color = (color << 4) | uint32_t(digit);
    }
    return color;
}
