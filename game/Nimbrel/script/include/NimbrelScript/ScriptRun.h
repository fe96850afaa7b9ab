#pragma once
// Running compiled code: the block executor, the run driver that follows the control codes
// (if chains, loops, break, continue, return, waits) across a chain of activations, and the
// module operations around it (stopping functions, linking, looking functions up).
//
// A run either finishes or stops at a waiting builtin with every activation of the call chain
// kept in the module; running the same function again with `reuse` continues right after the
// waiting call, with the resume value as that call's result.
#include "NimbrelScript/ScriptVM.h"

#include <cstdint>
#include <string>

// The resume value that stores nothing.
constexpr uint32_t kScriptNoResume = 0xFFFFFFFFu;

// Runs the activation's block from its position. While `elseSkip` is set, instructions 23 that
// enter an else-if or else block are skipped; any other instruction clears it. A negative
// handler result is returned at once; otherwise the position advances. A missing handler
// reports "unsupported operation (%d)" (kScriptUnsupported).
Status ScriptExecuteBlock(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, bool elseSkip);

// The run driver. With a name, runs that function of the module (own functions with a body;
// linked modules are not searched); with null, the module's top-level code.
//
// `arguments` and `argumentCode` (both given, or neither): the code has one hexadecimal digit
// per slot, slot 0 (the result) in the lowest digit, then the parameters, and the slot count in
// its top 4 bits; digit 1 ULONG, 2 FLOAT (bits in the word), 4 STRING (a `const char*` in the
// word, copied). The count must equal the function's parameter count (result included), else
// "invalid parameters count in \"%S\"" and kScriptArgumentCount. When the function returns a
// ULONG and digit 0 is 1, its value is written into arguments[0].
//
// `reuse` continues a call of the function that is still waiting; without it such a call is
// ended and the function starts from its beginning. `resumeValue` (unless kScriptNoResume)
// becomes the ULONG result of the builtin call the resumed activation waits in. `hostWord` is
// handed to every builtin the run calls.
//
// Returns 0 when the code ran to its end, kScriptWait when it is suspended, kScriptCallerStopped
// when a builtin stopped the activation that called it (the host must then look again at
// whatever it keeps for the call: it may be gone), or a failure (the message is in the VM's
// error text). A missing function reports "the specified function is missing: \"%S\"" and
// fails with kScriptFailed before anything runs; so does a run that would continue a call
// while a builtin of that same call is still running ("the specified function is already
// running: \"%S\"").
//
// `result` (optional) receives a copy of the function's result slot when the function
// finishes (UNKNOWN when it returned nothing); the caller clears it with ScriptValue_Clear.
Status ScriptModule_Run(ScriptVM* vm, ScriptModule* module, const char* name, bool reuse, uint32_t hostWord,
                        uintptr_t* arguments, uint32_t argumentCode, uint32_t resumeValue,
                        ScriptValue* result = nullptr);

// Ends every activation of the named function (last to first) and every activation that they
// started; an empty or null name stops all (ScriptModule_StopAll). kScriptFailed when the
// module has no such function.
Status ScriptModule_StopFunction(ScriptVM* vm, ScriptModule* module, const char* name);

// 0 when the module has a function with a body of that name, else kScriptFailed.
Status ScriptModule_HasFunction(ScriptVM* vm, ScriptModule* module, const char* name);

// Checks that everything the module takes from its linked modules is there: every function
// reference still unresolved, and every reference to a linked module's function, must find an
// exported function ("the specified function is missing: \"%S\"", status kScriptFunctionMissing);
// every variable reference to a linked module must find an exported global ("the specified
// variable is missing: \"%S\"", kScriptVariableMissing). Returns 0 or kScriptFailed.
Status ScriptModule_Link(ScriptVM* vm, ScriptModule* module);

// The text a value adds to a string in the language: ULONG as a signed decimal, FLOAT with six
// decimals, STRING as it is; "0" for UNKNOWN (what a call that returned nothing yields).
std::string ScriptValueToText(const ScriptValue* value);
