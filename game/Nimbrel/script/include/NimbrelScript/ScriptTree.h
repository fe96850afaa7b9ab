#pragma once
// The compiled form of a script: a tree of function nodes. Each function owns a body block and
// a list of child blocks (if, else, loops, braces), each block a list of five-word
// instructions; declarations describe the variables, temporaries and literal constants whose
// slots the instructions name.
//
// The module's root function holds the top-level code in its body; every function of the
// source is a child of the root, and so are builtins (exported nodes carrying a builtin index)
// and the reference nodes that calls leave in the calling function.
#include "NimbrelScript/ScriptStack.h"
#include "NimbrelScript/ScriptStatus.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct ScriptModule;
struct ScriptBlockCode;

// Attribute bits of function nodes and declarations.
enum ScriptAttribute : uint8_t {
    kScriptAttrOwn = 1,           // own function with a body, or own variable
    kScriptAttrExported = 2,      // visible to linked modules (builtins are exported)
    kScriptAttrLinked = 4,        // reference resolved in the linked modules at run time
    kScriptAttrForward = 8,       // forward reference not yet resolved (compile time only)
    kScriptAttrByName = 16,       // reference resolved by name in this module at run time
    kScriptAttrArgument = 32,     // argument or result variable of a call ("_%s_%d_")
    kScriptAttrSynchronized = 64, // saved with the game (variables only)
};

enum ScriptBlockKind : uint32_t {
    kScriptBlockPlain = 0, // braces, a function body, a for loop's body or step
    kScriptBlockIf = 1,
    kScriptBlockElseIf = 2,
    kScriptBlockElse = 3,
    kScriptBlockFor = 4,
    kScriptBlockWhile = 5,
};

// The 27 opcodes. a and b are slot indexes in the running activation's stack unless noted.
enum ScriptOpcode : uint32_t {
    kScriptOpReference = 0,    // slot a becomes a COMMAND reference to slot b
    kScriptOpBindParam = 1,    // bind parameter b of the running function into slot a
    kScriptOpDeclare = 2,      // push (or find) the slot of declaration a
    kScriptOpRemove = 3,       // remove a slots from the top
    kScriptOpAssign = 4,       // slot a := slot b (b = -1: the top slot)
    kScriptOpSetLong = 5,      // slot a := ULONG b
    kScriptOpNot = 6,          // slot a := !slot a (ULONG only; the compiler emits none)
    kScriptOpMul = 7,          // 7..18: slot a := slot a (operator) slot b
    kScriptOpDiv = 8,
    kScriptOpAdd = 9,
    kScriptOpSub = 10,
    kScriptOpEqual = 11,
    kScriptOpNotEqual = 12,
    kScriptOpLess = 13,
    kScriptOpLessEqual = 14,
    kScriptOpGreater = 15,
    kScriptOpGreaterEqual = 16,
    kScriptOpAnd = 17,
    kScriptOpOr = 18,
    kScriptOpJumpIfZero = 19,  // slot a zero: position := b (the compiler emits none)
    kScriptOpLeaveIfZero = 20, // slot a zero: leave the block
    kScriptOpCallBuiltin = 21, // a = the builtin's node in the root, b = builtin index
    kScriptOpCallFunction = 22,// a = callee's node in the running function, b = its attributes
    kScriptOpEnterBlock = 23,  // a = function (root child index, -1 = root), b = block index
    kScriptOpReturn = 24,
    kScriptOpBreak = 25,
    kScriptOpContinue = 26,
};
constexpr uint32_t kScriptOpcodeCount = 27;

// One instruction: five 32-bit words.
struct ScriptInstruction {
    uint32_t opcode;
    uint32_t a;
    uint32_t b;
    uint32_t fileIndex; // index in the module's file-name table
    uint32_t line;
};
static_assert(sizeof(ScriptInstruction) == 20, "an instruction is five 32-bit words");

struct ScriptBlock {
    uint32_t index = kScriptNone;           // in the function's child-block list; -1 for the body
    uint32_t kind = kScriptBlockPlain;      // ScriptBlockKind
    ScriptBlock* parent = nullptr;          // enclosing block; null for the body block
    std::vector<ScriptInstruction> instructions;
    uint32_t base = 0;                      // stack slots held when the block was opened
    uint32_t stepBlock = kScriptNone;       // for loops: index of the step block
    uint32_t reserved = kScriptNone;        // always -1
    uint32_t removeOnClose = 0;             // for loops: slots the enclosing block removes (1, 2)
    uint32_t count = 0;                     // always 0

    // Run-time index, not part of the compiled form: the last activation record for this block
    // in the array of one module (by serial) as it was in one epoch; kScriptNone for none.
    uint64_t lastRecordModule = 0;
    uint64_t lastRecordEpoch = 0;
    uint32_t lastRecordIndex = kScriptNone;

    // Run-time form of the instructions for the executor (ScriptExecute.cpp), rebuilt
    // whenever the instruction list or the running function is not the one it was made from.
    std::unique_ptr<ScriptBlockCode, void (*)(ScriptBlockCode*)> code{nullptr, nullptr};
};

struct ScriptFunction;

struct ScriptDeclaration {
    uint8_t attributes = 0;
    uint32_t index = 0;                 // in the owning function's declaration list
    uint32_t fileIndex = 0;
    uint32_t line = 0;
    uint8_t constType = 0;              // 0 none, 1 ULONG, 2 FLOAT, 3 STRING: a literal
    uint32_t constValue = 0;            // ULONG or FLOAT bits
    char* constText = nullptr;          // STRING constant: owned (UtilsMalloc)
    std::string name;                   // empty for temporaries and constants
    ScriptFunction* function = nullptr; // owner
    // Run-time count, not part of the compiled form: the slots standing for this declaration
    // in every stack (kept by ScriptStack::Push and Truncate). 0 or 1 lets a lookup skip the
    // search of a stack.
    uint32_t liveSlots = 0;

    ScriptDeclaration() = default;
    ~ScriptDeclaration();
    ScriptDeclaration(const ScriptDeclaration&) = delete;
    ScriptDeclaration& operator=(const ScriptDeclaration&) = delete;
};

struct ScriptFunction {
    uint8_t attributes = 0;
    uint32_t id = kScriptNone;          // index in the parent's child list; -1 for the root
    uint32_t fileIndex = 0;             // where it was defined
    uint32_t line = 0;
    uint32_t builtinIndex = kScriptNone;// a builtin's index in the module; -1 for script code
    uint8_t hasReturn = 0;
    uint32_t paramCount = 0;            // parameters including the result slot 0
    std::string name;                   // empty for the root
    ScriptBlock body;                   // index -1, kind 0
    ScriptFunction* parent = nullptr;   // null for the root
    std::vector<std::unique_ptr<ScriptBlock>> blocks;
    std::vector<std::unique_ptr<ScriptFunction>> functions;
    std::vector<std::unique_ptr<ScriptDeclaration>> declarations;
    ScriptStack compileStack;           // used while compiling this function's body
    uint32_t depth = 1;                 // nodes from the root to this one, itself included
    std::vector<uint32_t> path;         // ids from the root's (-1) down to this node's own
    uint32_t moduleId = 0;
    // Unique for the life of the program: tells apart nodes that come to share an address.
    uint64_t serial = 0;

    // Run-time indexes, not part of the compiled form (rebuilt on demand):
    // the argument variables of calls made by this function, by (callee node, argument number);
    std::unordered_map<uint64_t, ScriptDeclaration*> argumentIndex;
    // the entries of argumentIndex used last, one per argument number modulo their count, so
    // that a builtin reading its arguments at every call finds them without hashing;
    struct RecentArgument {
        uint64_t key = 0;
        ScriptDeclaration* declaration = nullptr; // null: empty
    };
    static constexpr uint32_t kRecentArguments = 8;
    RecentArgument recentArguments[kRecentArguments];
    // the names "_%s_%d_" under which callers pass this function's parameters, by number;
    std::vector<std::string> parameterNames;
    // for a call node: the function it calls, found while the code in the VM was as in
    // `calleeEpoch` (ScriptVM::codeEpoch).
    ScriptFunction* callee = nullptr;
    uint64_t calleeEpoch = 0;

    // Frees every child block, child function and declaration and the body's instructions,
    // and resets the fields (the root does this when its module is cleared).
    void Reset();
};

// "(null)" when the declaration or function has no name.
const char* ScriptDeclName(const ScriptDeclaration* declaration);
const char* ScriptFuncName(const ScriptFunction* function);

// Creation: each returns the new record (owned by the function) or null when out of memory.
// A new block's base is the caller's to set.
ScriptBlock* ScriptNewBlock(ScriptFunction* function, uint32_t kind, ScriptBlock* parent);
// A child of `parent`; its depth, path and module id come from the parent chain.
ScriptFunction* ScriptNewFunction(ScriptFunction* parent, const char* name, uint8_t attributes,
                                  uint32_t fileIndex, uint32_t line);
// Appends a declaration (no name check; see ScriptCheckName in ScriptCompiler.h).
ScriptDeclaration* ScriptNewDeclaration(ScriptFunction* function, const char* name, uint8_t attributes,
                                        uint32_t fileIndex, uint32_t line);
// The block for an index: the body for -1, a child block, or null when out of range.
ScriptBlock* ScriptGetBlock(ScriptFunction* function, uint32_t index);
// True when this is a function's body block.
inline bool ScriptIsBodyBlock(const ScriptFunction* function, const ScriptBlock* block) { return block == &function->body; }

// ---------------------------------------------------------------------------------------
// Lookups

// Searches the child functions of `start` from the last to the first for a node whose
// attributes contain `mask` and whose name equals `name`; with walkUp, then the enclosing
// functions; with linked, then the root of every module on the chain of linked modules.
ScriptFunction* ScriptFindFunction(ScriptModule* module, ScriptFunction* start, const char* name, uint8_t mask,
                                   bool walkUp, bool linked);
// A declaration of `function` with `name` whose attributes contain one of `attributeAny`'s
// bits (last declared first); null when none.
ScriptDeclaration* ScriptFindDeclaration(ScriptFunction* function, const char* name, uint8_t attributeAny);
// Own variable (attribute 1) of the function.
inline ScriptDeclaration* ScriptFindOwnVariable(ScriptFunction* function, const char* name)
{
    return ScriptFindDeclaration(function, name, kScriptAttrOwn);
}
// Argument or result variable (attribute 32) of the function.
inline ScriptDeclaration* ScriptFindArgument(ScriptFunction* function, const char* name)
{
    return ScriptFindDeclaration(function, name, kScriptAttrArgument);
}
// A global of the module's root (attribute 1 or 2) by name; *slot gets its global slot
// (kScriptNone when the global stack holds none).
ScriptDeclaration* ScriptFindGlobal(ScriptModule* module, const char* name, uint32_t* slot);
// An exported global (attribute 2) of the modules linked to `module`, nearest first;
// *owner gets the module that holds it.
ScriptDeclaration* ScriptFindLinkedGlobal(ScriptModule* module, const char* name, ScriptModule** owner);
// The global slot holding the exported variable `name` in the modules linked to `module`
// (found by the slot's declaration name); *owner gets the module. kScriptNone when none.
uint32_t ScriptFindLinkedGlobalSlot(ScriptModule* module, const char* name, ScriptModule** owner);
