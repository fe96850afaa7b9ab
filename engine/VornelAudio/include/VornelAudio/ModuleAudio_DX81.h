#pragma once
// The "DX81" audio module (audio descriptor id 2, "DirectX Audio 8.1") over DirectSound 8, in
// the Windows tree only. Without a sound device its Init fails and the world runs silent.
#include <cstdint>

#include "VornelUtils/Status.h"

class CBaseObject;
struct WorldData;

constexpr uint16_t kModuleAudioId_DX81 = 2;

// A new DirectSound engine (a CAudioEngine); null when out of memory.
CBaseObject* CreateModuleAudio_DX81(WorldData* pWorldData);
// Appends {descriptor 2 "DX81", CreateModuleAudio_DX81, ReleaseModule} to the audio module list.
// Out of memory or no record: 0x80000002 (latched when there is a record).
Status RegisterModuleAudio_DX81(WorldData* pWorldData);
