#pragma once
// DirectSound 8 with its 3D interfaces, for the "DX81" module of the Windows tree only.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
