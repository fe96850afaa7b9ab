#pragma once
// Helpers for the tests: compile and run a module's top-level code through the run driver, and
// look at what it left.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptOps.h"

#include <string>

// Runs the module's top-level code over its global stack (ScriptModule_Run without a name).
Status TestRunTopLevel(ScriptVM* vm, ScriptModule* module);
// Compiles `source` into a fresh module of the VM (from memory) and runs its top-level code.
// *compileStatus gets the compiler's status.
Status TestCompileAndRun(ScriptVM* vm, ScriptModule* module, const std::string& source, Status* compileStatus);
// The value slot of a global after a run (references followed), or null.
const ScriptValue* TestGlobal(ScriptModule* module, const char* name);
// The VM's error text as UTF-8.
std::string TestLastError(ScriptVM* vm);
