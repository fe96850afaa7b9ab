#pragma once
#include <cstdint>

struct WorldData;

#ifdef _WIN32
// The Windows program selects what the game was made for: renderer "DX9" (the GL renderer is
// registered beside it, never selected), audio "DX81", no input, network "OS". A tree built
// without the Direct3D 9 renderer selects the GL renderer instead.
#if NIMBREL_WITH_DX9
constexpr uint16_t kProgramRenderer = 2;
#else
constexpr uint16_t kProgramRenderer = 5;
#endif
constexpr uint16_t kProgramAudio = 2;
#else
// The module ids the Linux program selects: renderer "GL", audio "AL", no input, network "OS".
constexpr uint16_t kProgramRenderer = 5;
constexpr uint16_t kProgramAudio = 3;
#endif
constexpr uint16_t kProgramInput = 0;
constexpr uint16_t kProgramNetwork = 1;

// Registers every module the program is built with, in the game's own order (renderers,
// audio, network; results are not looked at: a missing entry shows when
// ValidPlatform selects).
void RegisterProgramModules(WorldData* pWorldData);
