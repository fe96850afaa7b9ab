#pragma once
// The builtins that every script of the game has, in the order the script manager registers
// them. A compiled image holds only for a host that registers the same builtins in the same
// order, so the script manager and `vornel script compile --builtins game` both register
// them from this one table.
#include <cstdint>

#include "NimbrelScript/ScriptVM.h"
#include "VornelUtils/Status.h"

struct ScriptCommonBuiltin {
    const char* name;
    const char* prototype;  // how scripts call it; for readers only
    uint32_t code;          // one digit per parameter, the first in the lowest (1 long, 2 float, 4 text)
};

constexpr uint32_t kScriptCommonBuiltinCount = 6;

// eTRACE, eASSERT, randomFloat, randomLong, _command, sendObjectMessage.
const ScriptCommonBuiltin* ScriptCommonBuiltins();

// Registers every common builtin on a module with the same host function (the tool's
// stand-in, which compiles and reads images but is never meant to run). kScriptOutOfMemory
// when a registration fails.
Status RegisterCommonBuiltinNames(ScriptVM* vm, ScriptModule* module, ScriptBuiltinFunction function);
