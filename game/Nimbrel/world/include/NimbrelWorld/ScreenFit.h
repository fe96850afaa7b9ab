#pragma once
// How the reference screen (the size the game is authored for) is fitted into a window: the
// helpers shared by the game world and the layouts of the splash and loading screens.
#include <cstdint>

constexpr float kDefaultReferenceWidth = 1024.0f;
constexpr float kDefaultReferenceHeight = 768.0f;

// A reference size that is not positive (a division by zero in every ratio) becomes the
// default 1024 by 768, both dimensions together.
void SanitizeReferenceSize(float* pWidth, float* pHeight);

// The fit of the reference screen into a window whose textures are halved levelShift times:
// fitOut (x offset, y offset, scale X, scale Y), safeOut (the fixed safe rectangle) and
// overflowOut (how much the fitted screen exceeds the window, X and Y); each may be null.
// With allowLift a screen taller than the window is lifted towards its top. True.
bool ComputeScreenFit(uint16_t width, uint16_t height, float referenceWidth, float referenceHeight,
                      uint8_t levelShift, uint8_t allowLift, float* fitOut, float* safeOut, float* overflowOut);

// The managed world's virtual screen for a window: up to the reference size the window itself;
// a window larger than the reference is brought back by the fit's scale, so that the renderer's
// stretch of the virtual screen onto the window is the fit's own scale, the same along both axes.
// Each side at least 1.
void ComputeVirtualScreen(uint16_t width, uint16_t height, float referenceWidth, float referenceHeight,
                          uint16_t* pWidth, uint16_t* pHeight);

// The play area of the mini-games (the puzzle scatters its pieces in it and keeps dragged ones
// inside): the fixed safe rectangle, laid out for a screen of twice the default reference,
// brought into the scene coordinates of a reference of that size. Four floats x0, y0, x1, y1.
void ComputePlayArea(float referenceWidth, float referenceHeight, float* pOut4);

// How many times textures authored for the reference size are halved for the window: the
// smaller of the two axes, each compared by its power of two.
uint8_t ChooseTextureLevel(uint16_t width, uint16_t height, uint16_t referenceWidth, uint16_t referenceHeight);

// The texture halvings built into the assets of a row of the asset table (0 default and ".HD",
// 1 ".MD", 2 ".SD").
uint8_t AssetLevelShift(int32_t assetRow);
