#include "NimbrelObjects/BuiltinTrace.h"

#include "NimbrelWorld/GameData.h"

void TraceBuiltin(WorldData* pWorldData, const BuiltinTrace& trace, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TraceBuiltinV(pWorldData, trace, format, args);
    va_end(args);
}

void TraceBuiltinV(WorldData* pWorldData, const BuiltinTrace& trace, const char* format, va_list args)
{
    GameData* game = pWorldData ? pWorldData->pGame : nullptr;
    if (game && game->traceSink)
        game->traceSink(game->traceContext, trace, format, args);
}
