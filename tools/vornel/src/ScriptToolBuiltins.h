#pragma once
// The builtin sets the script commands register before they compile or read a script. A
// compiled image holds only for a host that registers the same builtins in the same order, so
// `compile`, `dump` and `run` name the set the same way.
#include "NimbrelScript/ScriptVM.h"

// "" (or null) registers none; "run" the two builtins of `vornel script run`, eTRACE and
// _wait; "game" the builtins every script of the game has, in the game's order; "scene" those
// and then the builtins of a scene object's script (the game's stand in: calling one fails).
// False for an unknown set or when registering fails.
bool RegisterToolBuiltins(ScriptVM* vm, ScriptModule* module, const char* set);
