#pragma once
// The builtins of a scene object's script, in the order they are registered after the six
// every script has (ScriptCommonBuiltins.h). Each is the operation of CObjectsBase of the same
// name, reached through a forwarding function that calls it virtually, so that a kind's own
// override answers. A compiled image of an object script holds only for a host that registers
// the same builtins in the same order: the objects and `vornel script compile --builtins scene`
// both take them from this table.
#include <cstdint>

#include "NimbrelScript/ScriptVM.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/Status.h"

struct ObjectBuiltin {
    const char* name;
    const char* prototype;         // for readers only; some differ from the name they are bound to
    uint32_t code;                 // one digit per parameter, the first in the lowest (1 long, 2 float, 4 text)
    ScriptBuiltinHandler operation; // calls the object's operation of that name
    uint32_t itemLists;            // bit i: parameter i is an item list
};

constexpr uint32_t kObjectBuiltinCount = 109;

const ObjectBuiltin* ObjectBuiltins();

// Registers every object builtin on a module with the same host function (a tool's stand-in).
// The status of the first registration that fails.
Status RegisterObjectBuiltinNames(ScriptVM* vm, ScriptModule* module, ScriptBuiltinFunction function);
