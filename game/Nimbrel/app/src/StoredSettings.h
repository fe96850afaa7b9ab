#pragma once
// The two settings blocks stored in the program, in their scrambled form. The build makes them
// from the sample data's settings texts (vornel settings scramble).
#include <cstdint>

extern const uint8_t kStoredWorldSettings[];
extern const uint32_t kStoredWorldSettingsSize;
extern const uint8_t kStoredAppSettings[];
extern const uint32_t kStoredAppSettingsSize;
