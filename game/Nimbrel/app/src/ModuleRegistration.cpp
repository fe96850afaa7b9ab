// The engine modules this program is built with, registered before the world selects them.
#include "ModuleRegistration.h"

#include "VornelAudio/CAudioEngineAL.h"
#include "VornelNetwork/CNetworkEngine.h"

#if NIMBREL_WITH_GL
#include "Vornel3D_GL/Module3D_GL.h"
#endif

void RegisterProgramModules(WorldData* pWorldData)
{
#if NIMBREL_WITH_GL
    RegisterModule3D_GL(pWorldData);
#endif
    RegisterModuleAudio_AL(pWorldData);
    RegisterModuleNetwork_OS(pWorldData);
}
