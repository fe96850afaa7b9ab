#include "Vornel3D_GL/Module3D_GL.h"

#include <new>

#include "Vornel3D_GL/C3DEngine_GL.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/WorldData.h"

CBaseObject* CreateModule3D_GL(WorldData* pWorldData)
{
    return new (std::nothrow) C3DEngine_GL(pWorldData);
}

Status RegisterModule3D_GL(WorldData* pWorldData)
{
    return RegisterModuleOfKind(kModule3D, kModule3DId_GL, CreateModule3D_GL, pWorldData);
}
