#pragma once
// Where a text sits in an element's rectangle: the element's anchor mode, its fourth flag byte
// (ElementRecord::flagByte4). Modes 1 and 2 centre the text across the top of the rectangle,
// 3 and 4 centre it both ways, 5 puts it in the top right corner; 2 and 4 also centre each line
// under the widest. Any other mode leaves the text to its owner's own placing.
#include <cstdint>

enum TextAnchorMode : uint8_t {
    kTextAnchorNone = 0,
    kTextAnchorTop = 1,
    kTextAnchorTopLines = 2,
    kTextAnchorMiddle = 3,
    kTextAnchorMiddleLines = 4,
    kTextAnchorTopRight = 5,
};

inline bool IsTextAnchorMode(uint32_t mode) { return mode >= kTextAnchorTop && mode <= kTextAnchorTopRight; }

// Whether the lines of the text are centred under its widest one as well.
inline bool TextAnchorCentresLines(uint32_t mode)
{
    return mode == kTextAnchorTopLines || mode == kTextAnchorMiddleLines;
}

// The text's top left corner from the rectangle's, for a text of textSize (width, height) in a
// rectangle of boxSize; (0, 0) for a mode outside 1 to 5. A text larger than the box goes
// past its left or top edge by half or all of the excess.
inline void TextAnchorOffset(uint32_t mode, const float* boxSize, const float* textSize, float* pOut)
{
    pOut[0] = pOut[1] = 0.0f;
    switch (mode) {
    case kTextAnchorMiddle:
    case kTextAnchorMiddleLines:
        pOut[1] = (boxSize[1] - textSize[1]) * 0.5f;
        [[fallthrough]];
    case kTextAnchorTop:
    case kTextAnchorTopLines:
        pOut[0] = (boxSize[0] - textSize[0]) * 0.5f;
        break;
    case kTextAnchorTopRight:
        pOut[0] = boxSize[0] - textSize[0];
        break;
    default:
        break;
    }
}
