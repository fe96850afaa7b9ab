// The engine modules this program is built with, registered before the world selects them.
#include "ModuleRegistration.h"

#include "VornelNetwork/CNetworkEngine.h"

#ifdef _WIN32
#include "VornelAudio/ModuleAudio_DX81.h"
#else
#include "VornelAudio/CAudioEngineAL.h"
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
#ifdef _WIN32
    RegisterModuleAudio_DX81(pWorldData);
#else
    RegisterModuleAudio_AL(pWorldData);
#endif
    RegisterModuleNetwork_OS(pWorldData);
}
