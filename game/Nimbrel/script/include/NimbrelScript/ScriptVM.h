#pragma once
// The records of a running script system: the VM with its modules and instruction handlers,
// a module (its function tree, globals, builtins, file names and activations) and an
// activation (one running block of one function).
//
// Ownership: the VM owns its modules, a module owns its root function tree, activation
// records, builtin records, global stack and file names; an activation owns its stack unless
// `sharedStack` is set (the global stack, or the stack of the activation that entered the
// block). One thread; nothing here is shared between threads.
#include "NimbrelScript/ScriptStack.h"
#include "NimbrelScript/ScriptStatus.h"
#include "NimbrelScript/ScriptTree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ScriptVM;
struct ScriptModule;
struct ScriptActivation;

// An instruction handler: runs one instruction of the activation. 0 lets the executor advance
// the position; a negative status is returned at once (control codes, failures); handlers that
// move the position (19, 22, 23) do so themselves.
using ScriptHandler = Status (*)(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                                 const ScriptInstruction* instruction);

struct ScriptVM {
    Status status = 0;                   // the last status an operation stored
    char16_t* errorText = nullptr;       // owned (UtilsMalloc); null when none
    std::vector<ScriptModule*> modules;  // owned; an entry is null after its module was destroyed
    // Installed by ScriptVM_Create and not changed afterwards (the executor relies on it).
    ScriptHandler handlers[kScriptOpcodeCount] = {};
    uint64_t nextSerial = 0;             // last serial given to a module
    uint64_t codeEpoch = 1;              // changes whenever a module's code is cleared
    // false: every instruction goes through its handler one by one, without the executor's
    // shortcuts (the results are the same; for comparing and measuring).
    bool fastPaths = true;
    // false: loops whose work is all data run through the executor's shortcuts instead of
    // their compiled form (the results are the same; for comparing and measuring). Only
    // used with fastPaths.
    bool compiledLoops = true;
};

// What a builtin gives back (zeroed before the call).
struct ScriptBuiltinResult {
    uint32_t type;  // 0 none, else a ScriptValueType (1, 2 or 3)
    uint32_t value; // ULONG or FLOAT bits
    char* text;     // STRING: handed over to the script slot, which frees it with UtilsFree
    uint32_t extra; // cleared before the call
};

// A host function called for a builtin. Returns kScriptBuiltinResult (store the result),
// kScriptBuiltinNoResult, kScriptWait, or a failure that ends the run.
using ScriptBuiltinFunction = Status (*)(ScriptVM* vm, ScriptModule* module, ScriptFunction* builtinNode,
                                         ScriptActivation* caller, uint32_t hostWord, uint32_t argumentCode,
                                         uintptr_t* bound1, uintptr_t* bound2, uint32_t tail,
                                         ScriptBuiltinResult* result, uint32_t fileIndex, uint32_t line);

struct ScriptBuiltin {
    uint32_t index = 0;         // place in the module's builtin array (kept on re-registration)
    uintptr_t bound1 = 0;       // given by the registrar; the function receives their addresses
    uintptr_t bound2 = 0;
    uint32_t argumentCode = 0;  // one hex digit per slot, slot count in the top 4 bits
    ScriptBuiltinFunction function = nullptr;
    std::string name;
};

struct ScriptActivation {
    uint32_t index = 0;                 // place in the module's activation array (stable)
    uint32_t hostWord = 0;              // given by the host, inherited by every child
    uint32_t position = 0;              // next instruction of the block
    uint8_t sharedStack = 0;            // 1: the stack belongs to someone else
    uint8_t scope = 0;                  // 1: only carries the global stack for a named run
    uint8_t busy = 0;                   // 1: inside a builtin call right now
    // Changes whenever the record is started or ended, so that someone holding the record
    // across host code can tell that it is no longer the activation it was.
    uint64_t generation = 0;
    ScriptBlock* block = nullptr;
    ScriptFunction* function = nullptr; // the function the block belongs to
    ScriptStack* stack = nullptr;       // null once the activation has ended
    ScriptActivation* parent = nullptr; // the activation that started this one
    ScriptActivation* child = nullptr;  // the running activation this one started
};

struct ScriptModule {
    uint32_t id = 0;                    // index in the VM's module array
    uint32_t state = 0;                 // 1 after initialisation or a completed compile
    ScriptFunction root;                // id -1, no name, no parent; its body is the top-level code
    ScriptModule* linked = nullptr;     // whose exported functions and globals this module uses
    std::vector<std::unique_ptr<ScriptActivation>> activations;
    std::vector<std::unique_ptr<ScriptBuiltin>> builtins;
    ScriptStack globals{kScriptStackGlobal, 0};
    std::vector<std::string> fileNames; // 8-bit; index = file index of instructions and messages
    uint64_t serial = 0;                // unique in its VM: tells a module apart from a later one at the same address
    uint64_t generations = 0;           // last generation given to an activation record
    uint64_t epoch = 0;                 // changes whenever the activation array is emptied
    std::vector<std::unique_ptr<ScriptStack>> spareStacks; // ended activations' stacks, kept for reuse
};

// ---------------------------------------------------------------------------------------
// VM and modules

// A VM with the 27 handlers installed; null when out of memory.
ScriptVM* ScriptVM_Create();
// Clears (builtins included) and frees every module, the error text and the VM.
void ScriptVM_Destroy(ScriptVM* vm);

// A new module in the first empty entry of the VM's array (else appended), initialised: id,
// state 1, the linked module, an empty global stack and root. Null (status kScriptOutOfMemory)
// when out of memory.
ScriptModule* ScriptModule_Create(ScriptVM* vm, ScriptModule* linked);
// State 0; stops every activation, and every activation of another module that runs one of
// this module's functions (a call through a link); frees the root's tree and resets the root;
// with `withBuiltins` frees the builtin records; empties the global stack; frees the file names.
void ScriptModule_Clear(ScriptVM* vm, ScriptModule* module, bool withBuiltins);
// kScriptFailed when the module is not in the VM's array; else clears it with builtins,
// empties its entry and frees it.
Status ScriptModule_Destroy(ScriptVM* vm, ScriptModule* module);
// The VM's module of that id, or null.
ScriptModule* ScriptVM_GetModule(ScriptVM* vm, uint32_t id);

// File-name table. AddFileName stores an 8-bit copy (each character's low byte) and returns its
// index, kScriptNone when out of memory; GetFileName gives "unknown" for an index out of range.
uint32_t ScriptModule_AddFileName(ScriptVM* vm, ScriptModule* module, const char16_t* name);
uint32_t ScriptModule_AddFileNameA(ScriptVM* vm, ScriptModule* module, const char* name);
const char* ScriptModule_GetFileName(ScriptVM* vm, ScriptModule* module, uint32_t index);
uint32_t ScriptModule_GetFileCount(const ScriptModule* module);

// ---------------------------------------------------------------------------------------
// Errors

// When `format` is not null: formats the message (ScriptFormatW, 4096 characters), frees the
// VM's previous error text, and keeps "Script error! %s (\"%S\" : line=%d)" of the message,
// the file's 8-bit name ("unknown" for an index out of range) and the line as the VM's error
// text. The status word is not changed: the caller stores the code.
void ScriptReportError(ScriptVM* vm, ScriptModule* module, uint32_t fileIndex, uint32_t line,
                       const char16_t* format, ...);
// Reports like ScriptReportError, stores `status` in the VM's status word and returns it.
Status ScriptFail(ScriptVM* vm, ScriptModule* module, Status status, uint32_t fileIndex, uint32_t line,
                  const char16_t* format, ...);
// Empties the buffer, then copies the error text only when one exists and is shorter than
// `size` characters; returns the VM's status word.
Status ScriptVM_GetLastError(ScriptVM* vm, char16_t* buffer, size_t size);

// ---------------------------------------------------------------------------------------
// Activations

// Most activation records a module holds; starting one more fails as out of memory.
constexpr size_t kScriptActivationLimit = 10000;

// Returns the activation to run for (function, block) as the child of `parent`:
// the last record of the module's array for that function and block whose parent chain runs
// the same functions as `parent`'s is returned unchanged when `reuse` is set and it still has
// a stack, else ended together with everything it started and initialised afresh in place (its
// index kept); otherwise a new record is appended. A running record without a parent (its
// chain was cut) is never continued under a parent: it is started afresh; and a record on
// `parent`'s own chain is never taken over. At most kScriptActivationLimit records. Initialising: host word from the parent (0 without), linked both ways with the
// parent, position 0; the stack is `sharedStack` when given, the module's global stack for the
// root's body, else a new stack owned by the activation. Null on failure (kScriptOutOfMemory
// stored when out of memory).
ScriptActivation* ScriptStartActivation(ScriptVM* vm, ScriptModule* module, ScriptFunction* function,
                                        ScriptBlock* block, ScriptActivation* parent, ScriptStack* sharedStack,
                                        bool reuse);
// Ends the activation; the record stays in the array. An owned stack is freed (activations that
// share it lose their stack pointer); on a shared stack, the slots above the block's base are
// removed, except for the root's body block, which carries the global stack. The links to
// parent and child are cut on both sides.
void ScriptEndActivation(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation);
// Ends the activation and everything it started: the chain below it first, leaf first.
void ScriptEndChain(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation);
// Ends every activation (first those with a shared stack, then the owners, last to first),
// frees the records and empties the array.
void ScriptModule_StopAll(ScriptVM* vm, ScriptModule* module);
// True while the record is in the module's array at its index and has not ended.
bool ScriptActivationIsLive(const ScriptModule* module, const ScriptActivation* activation);
// True while the VM still holds this very module (not destroyed, not replaced by a later one).
bool ScriptModuleIsLive(const ScriptVM* vm, uint32_t moduleId, uint64_t serial);
// The activation of the function that called the activation's function: up the parent chain
// past the activations of the same function. Null for top-level code.
ScriptActivation* ScriptCallerActivation(ScriptActivation* activation);
// The tail test of a builtin call at the activation's position: the block is the body of a
// direct child of the root, the instruction there is 21, and only 3 and 4 follow it.
bool ScriptIsTailCall(const ScriptActivation* activation);

// ---------------------------------------------------------------------------------------
// Builtins

// Registers a host function under `name`: an existing record of that name is refilled under
// its index; otherwise a record is appended. kScriptOutOfMemory when out of memory.
Status ScriptModule_RegisterBuiltin(ScriptVM* vm, ScriptModule* module, const char* name,
                                    ScriptBuiltinFunction function, uint32_t argumentCode, uintptr_t bound1,
                                    uintptr_t bound2);
// Creates the exported root node named after the builtin, carrying its index.
Status ScriptBindBuiltin(ScriptVM* vm, ScriptModule* module, ScriptBuiltin* builtin);
// Binds every registered builtin (compiles do this first).
Status ScriptBindBuiltins(ScriptVM* vm, ScriptModule* module);
