#pragma once
// The display's gamma ramp, seen through one of our windows (the ramp belongs to the display
// the window is on). A display that has no ramp, or refuses one, makes both calls fail and
// nothing else happens.
#include <cstdint>

struct PlatformWindow;

constexpr uint32_t kPlatformGammaEntries = 256;

// Reads the ramp (three tables of kPlatformGammaEntries u16) into red, green and blue; false
// (tables untouched) without a window, without a ramp or with a null table.
bool Platform_GetGammaRamp(PlatformWindow* window, uint16_t* red, uint16_t* green, uint16_t* blue);

// Sets the ramp from the three tables; false when the display does not take it.
bool Platform_SetGammaRamp(PlatformWindow* window, const uint16_t* red, const uint16_t* green,
                           const uint16_t* blue);
