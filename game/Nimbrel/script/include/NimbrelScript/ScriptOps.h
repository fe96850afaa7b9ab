#pragma once
// The instruction set: emitting instructions, following references, the assignment and
// operator rules, and the 27 handlers. Every handler can be called on its own with an
// activation whose function, block and stack are set.
#include "NimbrelScript/ScriptVM.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------
// Emitting

// Appends an instruction to the block; a removal (3) right after a removal adds its count to
// it instead. An opcode without a handler in the VM fails with "unsupported operation (%d)"
// (kScriptUnsupported); kScriptOutOfMemory when out of memory. *emitted (optional) gets the
// instruction that holds it, valid until the block grows.
Status ScriptEmit(ScriptVM* vm, ScriptModule* module, ScriptFunction* function, ScriptBlock* block, uint32_t opcode,
                  uint32_t a, uint32_t b, uint32_t fileIndex, uint32_t line, ScriptInstruction** emitted = nullptr);

// ---------------------------------------------------------------------------------------
// Slots

// The slot of declaration `declarationIndex` of `function` on `stack`, pushed when the stack
// holds none. With `resolve`, a new slot for a declaration with attribute 16 becomes a POINTER
// to the global slot of that name; one with attribute 4 becomes LINKED when a linked module
// exports the name; a missing global fails with "the specified variable is missing: \"%S\""
// (kScriptVariableMissing). *slot gets the index.
Status ScriptPushSlot(ScriptVM* vm, ScriptModule* module, ScriptFunction* function, ScriptStack* stack,
                      uint32_t declarationIndex, bool resolve, uint32_t fileIndex, uint32_t line, uint32_t* slot);

// Follows the references from slot `index` of the activation's stack to the slot that holds
// the value: COMMAND in the same stack, EXTERN in the caller's stack, POINTER in the global
// stack of the function's module, LINKED by name in the linked modules (missing: "the specified
// variable is missing: \"%S\"", kScriptVariableMissing). An index out of range or a reference
// chain that does not end fails (kScriptFailed). *out stays valid until a stack changes size.
Status ScriptFollow(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t index,
                    uint32_t fileIndex, uint32_t line, ScriptValue** out);

// The value a slot reads as: a slot whose declaration carries a literal reads as the literal
// (filled into *scratch, text borrowed), any other slot as itself.
const ScriptValue* ScriptReadValue(const ScriptValue* slot, ScriptValue* scratch);

// Follows slot `index` and tests it: ULONG and FLOAT are zero when their payload is 0; other
// types fail with "unsupported operation is_zero on \"%s\"" (kScriptUnsupported).
Status ScriptIsZero(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t index,
                    uint32_t fileIndex, uint32_t line, bool* isZero);

// ---------------------------------------------------------------------------------------
// Type rules

enum class ScriptRule { Ok, Unsupported, OutOfMemory, DivideByZero };

// Assignment dst := src (both already followed): UNKNOWN takes the source (a STRING copied);
// ULONG from ULONG copies, from FLOAT becomes FLOAT, from STRING becomes a STRING copy only
// when dst's declaration has attribute 32; FLOAT from ULONG converts, from FLOAT copies; STRING
// from STRING copies. Every other pair is Unsupported.
ScriptRule ScriptAssignRule(ScriptValue* dst, const ScriptValue* src);
// left := left (operator) right for opcodes 7 to 18 (both already followed).
ScriptRule ScriptOperatorRule(uint32_t opcode, ScriptValue* left, const ScriptValue* right);
// The message format for an operator's unsupported pair: "unsupported operation \"%s\" + \"%s\""
// and its siblings, to be filled with the right value's type name, then the left's.
const char16_t* ScriptOperatorMessage(uint32_t opcode);

// ---------------------------------------------------------------------------------------
// Handlers, by opcode

// The handler table the VM installs (null for an opcode out of range).
ScriptHandler ScriptHandlerFor(uint32_t opcode);
void ScriptInstallHandlers(ScriptVM* vm);

Status ScriptOp_Reference(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);     // 0
Status ScriptOp_BindParam(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);     // 1
Status ScriptOp_Declare(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);       // 2
Status ScriptOp_Remove(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);        // 3
Status ScriptOp_Assign(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);        // 4
Status ScriptOp_SetLong(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);       // 5
Status ScriptOp_Not(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);           // 6
Status ScriptOp_Operator(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);      // 7-18
Status ScriptOp_JumpIfZero(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);    // 19
Status ScriptOp_LeaveIfZero(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);   // 20
Status ScriptOp_CallBuiltin(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);   // 21
Status ScriptOp_CallFunction(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);  // 22
Status ScriptOp_EnterBlock(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);    // 23
Status ScriptOp_Return(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);        // 24
Status ScriptOp_Break(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);         // 25
Status ScriptOp_Continue(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*);      // 26

// The callee of instruction 22 in the running function: the child node itself, or for a
// reference node the function it names (attribute 4: an exported function of this or a linked
// module; 16: a function with a body found by name from the running function up). Null when
// missing.
ScriptFunction* ScriptResolveCallee(ScriptModule* module, ScriptFunction* running, uint32_t childIndex);
