// The engine modules this program is built with, registered before the world selects them.
#include "ModuleRegistration.h"

#if NIMBREL_WITH_AL
#include "VornelAudio/CAudioEngineAL.h"
#endif
#if NIMBREL_WITH_NETWORK
#include "VornelNetwork/CNetworkEngine.h"
#endif
#if NIMBREL_WITH_DX9
#include "Vornel3D_DX9/Module3D_DX9.h"
#endif
#if NIMBREL_WITH_GL
#include "Vornel3D_GL/Module3D_GL.h"
#endif

void RegisterProgramModules(WorldData* pWorldData)
{
#if NIMBREL_WITH_DX9
    RegisterModule3D_DX9(pWorldData);
#endif
#if NIMBREL_WITH_GL
    RegisterModule3D_GL(pWorldData);
#endif
#if NIMBREL_WITH_AL
    RegisterModuleAudio_AL(pWorldData);
#endif
#if NIMBREL_WITH_NETWORK
    RegisterModuleNetwork_OS(pWorldData);
#endif
}
