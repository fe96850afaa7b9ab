#pragma once
// The profile chunk tags of the timed scene changes, one chunk per manager.
#include <cstdint>

constexpr uint32_t kProfileTagRotation = 90000;   // empty
constexpr uint32_t kProfileTagPosition = 100000;
constexpr uint32_t kProfileTagScaling = 110000;
constexpr uint32_t kProfileTagTimers = 120000;
constexpr uint32_t kProfileTagFades = 130000;

