#pragma once
// The words scripts use for fades, drags and eases, and what a fade mode asks for.
#include <cstdint>

// Fade mode bits.
constexpr uint32_t kFadeShow = 0x1;
constexpr uint32_t kFadeHide = 0x2;
constexpr uint32_t kFadeInvert = 0x4;
constexpr uint32_t kFadeForce = 0x8;
constexpr uint32_t kFadeLoopedX = 0x20;
constexpr uint32_t kFadeLoopedY = 0x40;
constexpr uint32_t kFadeVelocity = 0x80;
constexpr uint32_t kFadeSuperposition = 0x100;
constexpr uint32_t kFadeTransition = 0x200;
// A looped drag that starts at a random offset.
constexpr uint32_t kFadeRandomized = 0x400;

// "none", "fade_show", "force_show", ... "fade_transition" (exact); anything else 0.
uint32_t FadeModeFromName(const char* name);
// "none", "fade_hide", ... "superposition" (exact); anything else 0.
uint32_t DragFadeModeFromName(const char* name);
// A mode that runs over time: not 0, not forced, not a plain superposition.
bool FadeModeIsAnimated(uint32_t mode);
// The row of a named easing curve ("none" 0, "linear" 1, ...), -1 for a name not in the table.
int32_t EasingFromName(const char* name);
