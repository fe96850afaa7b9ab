#pragma once
// The "GL" renderer module (3D descriptor id 5, "OpenGL"): the only way the program reaches
// the OpenGL renderer. The program entry registers it before ValidPlatform; the world's load
// then creates the engine through the selected entry and destroys it at unload.
#include <cstdint>

#include "VornelUtils/Status.h"

class CBaseObject;
struct WorldData;

constexpr uint16_t kModule3DId_GL = 5;

// A new OpenGL engine (a C3DEngine) over the world data record; null when out of memory.
CBaseObject* CreateModule3D_GL(WorldData* pWorldData);

// Appends the entry {descriptor 5 "GL", CreateModule3D_GL, ReleaseModule} to the 3D module
// list. Out of memory or no record: 0x80000002 (latched when there is a record).
Status RegisterModule3D_GL(WorldData* pWorldData);
