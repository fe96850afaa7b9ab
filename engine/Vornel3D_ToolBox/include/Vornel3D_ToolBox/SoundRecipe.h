#pragma once
// A sound drawn from a recipe, the way the game's short sounds and looped ambiences are made
// from text. The recipe:
//
//   rate 22050                     samples per second, 8000 to 48000
//   bits 16                        8 or 16
//   channels 1                     1 or 2 (both channels carry the same signal)
//   seed 7                         the noise generator's seed (1 by default)
//   length 2.5                     seconds; by default the end of the last event
//   loop                           the end runs seamlessly into the start
//   tone AT LENGTH WAVE FREQ [options]      WAVE sine, square, saw or triangle; FREQ in Hz,
//                                           or FROM:TO for a sweep
//   noise AT LENGTH white|lowpass [options] [cutoff HZ]
//   silence AT LENGTH
//
// Options: "gain G" (0 to 1, 1 by default) and "adsr ATTACK DECAY SUSTAIN RELEASE" (seconds,
// seconds, level 0 to 1, seconds; by default none: full level at once, cut at the end). An event
// sounds from AT for LENGTH seconds and then for its release. Events are added and the sum is
// clipped. Without "length", a sound lasts until the last release ends; a looped one until the
// last event's LENGTH ends. The same recipe gives the same samples on every machine.
#include <cstdint>
#include <string>
#include <vector>

#include "VornelUtils/Status.h"

constexpr double kSoundRecipeMaxSeconds = 600.0;

enum class SoundWave : uint8_t { Sine, Square, Saw, Triangle, White, LowPass, Silence };

struct SoundEvent {
    SoundWave wave = SoundWave::Sine;
    double at = 0, length = 0;
    double fromHz = 0, toHz = 0;  // tones; the low-pass noise keeps its cutoff in fromHz
    double gain = 1;
    double attack = 0, decay = 0, sustain = 1, release = 0;
};

struct SoundRecipe {
    uint32_t rate = 22050;
    uint32_t bits = 16;
    uint32_t channels = 1;
    uint32_t seed = 1;
    double length = -1;  // < 0: from the events
    bool loop = false;
    std::vector<SoundEvent> events;
};

// Reads a recipe from its text; name is the file name that complaints give ("NAME:LINE: ...").
Status SoundRecipe_Parse(const std::string& name, const std::string& text, SoundRecipe& recipe, std::string& error);
// Reads a recipe file.
Status SoundRecipe_Read(const std::string& path, SoundRecipe& recipe, std::string& error);

// The number of sample frames the recipe makes (at least 1).
uint32_t SoundRecipe_FrameCount(const SoundRecipe& recipe);
// The samples the recipe's events cost to draw: what a caller may weigh before drawing.
uint64_t SoundRecipe_Cost(const SoundRecipe& recipe);

// Draws the sound as PCM bytes in WAV order: frames of one sample per channel, 8-bit unsigned
// or 16-bit signed little-endian. Out of memory: kStatusOutOfMemory.
Status SoundRecipe_Render(const SoundRecipe& recipe, std::vector<uint8_t>& pcm);
