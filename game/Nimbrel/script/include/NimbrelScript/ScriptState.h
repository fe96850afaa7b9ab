#pragma once
// Saving and restoring a module's script state as byte buffers, for saved games: its global
// variables, its activation records (running or waiting calls) and, apart, its variables
// declared "synchronized". Variables and functions are named by their place in the function
// tree (the path of function ids from the root and the declaration index), so a buffer can be
// read back only into a module compiled from the same scripts with the same builtins.
//
// The save operations return a new heap buffer (UtilsMalloc; the caller frees it with
// UtilsFree) and its used length in *length, or null when the buffer cannot grow. Buffers
// start at 10,000 bytes and grow by 10,000 bytes (or by what one write needs beyond that).
#include "NimbrelScript/ScriptVM.h"

#include <cstddef>
#include <cstdint>

// The global stack: module word, owner word, slot count, then per slot the path of the
// function that declared it and the declaration's index (depth -1 for none), the type and the
// value (STRING as a string, else u32).
uint8_t* ScriptModule_SaveGlobals(ScriptVM* vm, ScriptModule* module, size_t* length);
// Empties the global stack and reads it back; kScriptFailed on a short buffer, a path or
// declaration that leads nowhere or a type beyond the references; kScriptOutOfMemory. What was
// read before a failure stays.
Status ScriptModule_LoadGlobals(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length);

// Every activation record in array order: index, host word, position, the function (module
// id and path), the block, the stack (own, shared with another record, or a module's global
// stack), parent and child.
uint8_t* ScriptModule_SaveRunState(ScriptVM* vm, ScriptModule* module, size_t* length);
// Stops every activation and reads the records back. Everything read is checked before a run
// may use it (ScriptVerify): functions of live modules, blocks inside their functions,
// positions inside their blocks, links and stack owners inside the array. kScriptFailed on
// any fault, kScriptOutOfMemory; the module's records are then stopped again.
Status ScriptModule_LoadRunState(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length);

// The global slots whose declaration is synchronized and named: count, then per slot the
// name, the type, the slot index and the value.
uint8_t* ScriptModule_SaveSynchronized(ScriptVM* vm, ScriptModule* module, size_t* length);
// Applies such a buffer by name and type: each saved value goes to the module's global of that
// name when it holds a value of the same type; the others are skipped, so that a module whose
// scripts changed keeps what still fits. kScriptFailed on a short or damaged buffer (what was
// applied before stays), kScriptOutOfMemory; else 0.
Status ScriptModule_LoadSynchronized(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length);
