#pragma once
// Helpers shared by the library's sources.
#include "NimbrelScript/ScriptVM.h"

// The module that owns the function (its global stack is the one POINTER slots name); the
// given module when the VM does not know the function's module.
ScriptModule* ScriptOwnerModule(ScriptVM* vm, ScriptModule* module, const ScriptFunction* function);
