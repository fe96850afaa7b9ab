#pragma once
// The trace of the builtins and parameter handlers: each failure is formatted for the world's
// trace sink (GameData::traceSink) with who reported it and where the script called. The game
// sets no sink, so nothing reaches the player; tests and `vornel script run` read them.
#include <cstdarg>
#include <cstdint>

class CObjectsBase;
struct WorldData;

// Severities.
constexpr uint32_t kTraceError = 0xFF;
constexpr uint32_t kTraceWarning = 0x67DA;

struct BuiltinTrace {
    const CObjectsBase* object;  // the calling object; null when there is none (a tool)
    const char* builtin;         // the builtin's script name
    uint32_t fileIndex;          // the calling statement
    uint32_t line;
    uint32_t severity;
};

// Hands the report to the sink of the world's game record, if any. The format is 8-bit: %s an
// 8-bit text, %S a wide one.
void TraceBuiltin(WorldData* pWorldData, const BuiltinTrace& trace, const char* format, ...);
void TraceBuiltinV(WorldData* pWorldData, const BuiltinTrace& trace, const char* format, va_list args);
