#include "AssetsDefinition.h"

#include <algorithm>

#include "VornelUtils/PowerOfTwo.h"

const AssetsDefinition kAssetsDefinitions[kAssetsDefinitionCount] = {
    {u"", 1.0f, 0, 1},
    {u".HD", 1.0f, 0, 2},
    {u".MD", 0.5f, 1, 3},
    {u".SD", 0.25f, 2, 1},
};

const PlatformRow kPlatformRows[kPlatformRowCount] = {
    {u"WIN32", u"Win32"},
    {u"MACOS", u"MacOS"},
    {u"LINUX", u"Linux"},
};

uint8_t ChooseAssetsDefinition(uint32_t screenWidth, uint32_t screenHeight, uint32_t defaultWidth,
                               uint32_t defaultHeight)
{
    const uint8_t alongWidth = DoublingsToReach(NextPowerOfTwo(screenWidth), NextPowerOfTwo(defaultWidth));
    const uint8_t alongHeight = DoublingsToReach(NextPowerOfTwo(screenHeight), NextPowerOfTwo(defaultHeight));
    return std::min(alongWidth, alongHeight);
}

uint32_t AssetsRowForDoublings(uint8_t doublings)
{
    switch (doublings) {
    case 0:
        return 1;
    case 1:
        return 2;
    default:
        return 3;
    }
}
