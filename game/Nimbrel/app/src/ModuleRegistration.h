#pragma once
#include <cstdint>

struct WorldData;

// The module ids the program selects: renderer "GL", audio "AL", no input, network "OS".
constexpr uint16_t kProgramRenderer = 5;
constexpr uint16_t kProgramAudio = 3;
constexpr uint16_t kProgramInput = 0;
constexpr uint16_t kProgramNetwork = 1;

// Registers every module the program is built with (results are not looked at: a missing
// entry shows when ValidPlatform selects).
void RegisterProgramModules(WorldData* pWorldData);
