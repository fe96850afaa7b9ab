#include "Vornel3D_DX9/Module3D_DX9.h"

#include <new>

#include "Vornel3D_DX9/C3DEngineDX90.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/WorldData.h"

CBaseObject* CreateModule3D_DX9(WorldData* pWorldData)
{
    return new (std::nothrow) C3DEngineDX90(pWorldData);
}

Status RegisterModule3D_DX9(WorldData* pWorldData)
{
    return RegisterModuleOfKind(kModule3D, kModule3DId_DX9, CreateModule3D_DX9, pWorldData);
}
