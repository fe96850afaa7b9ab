// The engine modules this program is built with, registered before the world selects them.
#include "ModuleRegistration.h"

#if NIMBREL_WITH_GL
#include "Vornel3D_GL/Module3D_GL.h"
#endif

void RegisterProgramModules(WorldData* pWorldData)
{
#if NIMBREL_WITH_GL
    RegisterModule3D_GL(pWorldData);
#endif
    // The audio ("AL") and network ("OS") modules join here once they exist; until then their
    // selections stay empty and the game runs silent and offline.
    (void)pWorldData;
}
