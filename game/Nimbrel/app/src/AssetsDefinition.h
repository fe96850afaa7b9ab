#pragma once
// The asset sizes of the data: one resource pack per size, chosen from the screen size.
#include <cstdint>

struct AssetsDefinition {
    const char16_t* suffix;  // of the pack name
    float scale;
    uint8_t a, b;
};

constexpr uint32_t kAssetsDefinitionCount = 4;
extern const AssetsDefinition kAssetsDefinitions[kAssetsDefinitionCount];

// How many times the screen's power-of-two size must be doubled to reach the default's: the
// smaller of the two axes; 0 when the screen is at least as large.
uint8_t ChooseAssetsDefinition(uint32_t screenWidth, uint32_t screenHeight, uint32_t defaultWidth,
                               uint32_t defaultHeight);

// The row of the asset table for a chooser result: 0 -> 1 (".HD"), 1 -> 2 (".MD"), else 3 (".SD").
uint32_t AssetsRowForDoublings(uint8_t doublings);

// The platform rows; the program uses row 0 only.
struct PlatformRow {
    const char16_t* code;  // in settings keys
    const char16_t* name;  // in data names
};
constexpr uint32_t kPlatformRowCount = 3;
extern const PlatformRow kPlatformRows[kPlatformRowCount];
