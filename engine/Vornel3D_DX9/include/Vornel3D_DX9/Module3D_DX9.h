#pragma once
// The "DX9" renderer module (3D descriptor id 2, "DirectX 9.0"): the way the Windows program
// reaches the Direct3D 9 renderer. The program entry registers it first, before "GL".
#include <cstdint>

#include "VornelUtils/Status.h"

class CBaseObject;
struct WorldData;

constexpr uint16_t kModule3DId_DX9 = 2;

// A new Direct3D 9 engine (a C3DEngine) over the world data record; null when out of memory.
CBaseObject* CreateModule3D_DX9(WorldData* pWorldData);

// Appends the entry {descriptor 2 "DX9", CreateModule3D_DX9, ReleaseModule} to the 3D module
// list. Out of memory or no record: 0x80000002 (latched when there is a record).
Status RegisterModule3D_DX9(WorldData* pWorldData);
