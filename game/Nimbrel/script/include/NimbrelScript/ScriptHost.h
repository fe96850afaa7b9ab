#pragma once
// What a host needs around builtins: argument codes, reading a builtin call's arguments,
// setting the result of a call that waits, and script variables by name.
//
// A host registers builtins with ScriptModule_RegisterBuiltin (ScriptVM.h) before compiling;
// the compiler binds every registered builtin as an exported root function. A builtin is
// called with the calling activation; it reads its arguments with ScriptModule_GetParam*
// (argument N = 1, 2, ...), writes its result into the result record and returns
// kScriptBuiltinResult, kScriptBuiltinNoResult, kScriptWait or a failure. A call that waited is
// continued by running the same function again with reuse and the result as resume value
// (ScriptModule_Run, ScriptRun.h).
#include "NimbrelScript/ScriptVM.h"

#include <cstdint>

// Argument code digits.
constexpr uint32_t kScriptArgLong = 1;
constexpr uint32_t kScriptArgFloat = 2;
constexpr uint32_t kScriptArgString = 4;
// At most seven slots fit a code (digits 0 to 6; the count is in the top 4 bits).
constexpr uint32_t kScriptArgSlotLimit = 7;

// The slot count in the top 4 bits of a code.
inline uint32_t ScriptArgumentCount(uint32_t code) { return code >> 28; }
// Digit `slot` of a code (slot 0 in the lowest digit).
inline uint32_t ScriptArgumentDigit(uint32_t code, uint32_t slot) { return slot < kScriptArgSlotLimit ? (code >> (4 * slot)) & 0xFu : 0u; }
// Counts the digits from the lowest up to the first zero (at most seven) and stores the count
// in the top 4 bits: (code & 0x0FFFFFFF) | (count << 28). A builtin's code so packed has one
// digit per parameter, the first parameter in the lowest digit.
uint32_t ScriptPackArgumentCode(uint32_t code);

// Argument N of the running builtin call: the variable "_%s_%d_" (the builtin's name, N) among
// the argument variables of the activation's function, then its slot in the activation's stack
// (never pushed). A ULONG slot gives its value, anything else 0.
uint32_t ScriptModule_GetParamLong(ScriptVM* vm, ScriptModule* module, ScriptFunction* builtinNode,
                                   ScriptActivation* activation, uint32_t n);
// A FLOAT slot gives its value, anything else 0.0.
float ScriptModule_GetParamFloat(ScriptVM* vm, ScriptModule* module, ScriptFunction* builtinNode,
                                 ScriptActivation* activation, uint32_t n);
// A STRING slot gives its own text (valid while the call runs; "" for a null text), anything
// else null.
const char* ScriptModule_GetParamString(ScriptVM* vm, ScriptModule* module, ScriptFunction* builtinNode,
                                        ScriptActivation* activation, uint32_t n);

// The result of the builtin call the activation waits in: when the last instruction it ran is
// 21 and names a builtin of the root, that call's result variable becomes ULONG `value` (an
// owned STRING in it freed first); otherwise nothing. kScriptFailed for an activation that is
// not running in the module (null, ended, or no longer in its array); else 0.
Status ScriptModule_SetReturnLong(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t value);

// Global variables by name. With `exported`, the exported globals of this module and then of
// each linked module are searched; without, every global of this module. Missing:
// kScriptVariableMissing; a variable of another type: kScriptVariableType (both stored in the
// status word; the variable and its type never change then).
Status ScriptModule_SetLong(ScriptVM* vm, ScriptModule* module, const char* name, uint32_t value, bool exported);
Status ScriptModule_SetFloat(ScriptVM* vm, ScriptModule* module, const char* name, float value, bool exported);
// Stores an owned copy (kScriptOutOfMemory when out of memory).
Status ScriptModule_SetString(ScriptVM* vm, ScriptModule* module, const char* name, const char* value,
                              bool exported);
Status ScriptModule_GetLong(ScriptVM* vm, ScriptModule* module, const char* name, uint32_t* value, bool exported);
Status ScriptModule_GetFloat(ScriptVM* vm, ScriptModule* module, const char* name, float* value, bool exported);
// The stored text itself ("" for a null text), valid until the variable changes.
Status ScriptModule_GetString(ScriptVM* vm, ScriptModule* module, const char* name, const char** value,
                              bool exported);
