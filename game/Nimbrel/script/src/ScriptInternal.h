#pragma once
// Helpers shared by the library's sources.
#include "NimbrelScript/ScriptVM.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The module that owns the function (its global stack is the one POINTER slots name); the
// given module when the VM does not know the function's module.
ScriptModule* ScriptOwnerModule(ScriptVM* vm, ScriptModule* module, const ScriptFunction* function);

// The last activation record for (function, block) that a start may take over (records that
// carry a named run's global scope are never among them); null when there is none.
ScriptActivation* ScriptLastActivationOf(ScriptModule* module, ScriptFunction* function, ScriptBlock* block);
// Tells the index that `record` was appended to the module's array.
void ScriptNoteActivation(ScriptModule* module, ScriptActivation* record);
// Starts the record that carries the global stack for a named run: root function and body,
// no parent, positioned at the end of the body so that it runs nothing itself.
ScriptActivation* ScriptStartScope(ScriptVM* vm, ScriptModule* module);

// Room for the text of any number (floats up to 3.4e38 with six decimals).
constexpr size_t kScriptNumberTextCapacity = 64;
// The decimal text a number adds to a string: ULONG as signed ("%d"), FLOAT with six decimals.
// Returns its length (not terminated), 0 when it does not fit.
size_t ScriptNumberText(char* text, size_t capacity, uint8_t type, uint32_t number);

// The argument variable "_%s_%d_" (callee's name, n) of `caller`: its declaration among the
// caller's argument variables (attribute 32), or null. Indexed per caller.
ScriptDeclaration* ScriptCallVariable(ScriptFunction* caller, const ScriptFunction* callee, uint32_t n);
// The name "_%s_%d_" under which callers pass parameter n of `function` (kept in the function).
const std::string& ScriptParameterName(ScriptFunction* function, uint32_t n);

// The function a reference to a linked module's function (attribute 4) calls: an exported
// function with a body of this module or of its linked modules (not a builtin); null if none.
ScriptFunction* ScriptFindLinkedFunction(ScriptModule* module, const char* name);

// How following a slot's references ended (ScriptFollow reports the failures).
enum class ScriptFollowing { Found, BadSlot, Missing, NotFollowed };
// Follows the references from slot *index of the activation's stack as ScriptFollow does,
// without reporting: *out gets the slot that holds the value; on failure *index is where it
// stopped and *missing the linked variable's name. Without `linked`, a reference to a linked
// module's variable is NotFollowed.
ScriptFollowing ScriptFollowSlot(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t* index,
                                 bool linked, ScriptValue** out, const char** missing);

// The function that instruction 23 names from inside `running`: the root of its tree for -1,
// else the root's child of that index (null when there is none). Without a running function,
// the module's root.
ScriptFunction* ScriptBlockOwner(ScriptModule* module, ScriptFunction* running, uint32_t index);

// Stores the status in the VM's status word and returns it.
inline Status ScriptStore(ScriptVM* vm, Status status)
{
    vm->status = status;
    return status;
}

inline bool ScriptIsLoopBlock(const ScriptBlock* block)
{
    return block && (block->kind == kScriptBlockFor || block->kind == kScriptBlockWhile);
}
