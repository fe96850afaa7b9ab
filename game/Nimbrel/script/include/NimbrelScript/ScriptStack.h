#pragma once
// Variable stacks: the global stack of a module, the stack of an activation and the stacks the
// compiler keeps while compiling (which mirror the run-time stacks slot for slot, so that
// every instruction operand naming a slot is the slot's index).
//
// All blocks of one function share one stack: entering a child block opens no new stack, a
// block's slots lie above its base.
#include "NimbrelScript/ScriptStatus.h"
#include "NimbrelScript/ScriptValue.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Owner word of a stack: an activation's index, or one of these.
constexpr uint32_t kScriptStackGlobal = 0xFFFFFFFFu;  // a module's global stack (owner -1)
constexpr uint32_t kScriptStackCompile = 0xFFFFFFFEu; // a compile-time stack (owner and module -2)

struct ScriptStack {
    uint32_t owner = kScriptStackCompile;    // activation index, or kScriptStackGlobal/-Compile
    uint32_t moduleId = kScriptStackCompile; // module id (global stack), -1 (activation), -2
    std::vector<ScriptValue> slots;          // bottom to top
    uint32_t sharers = 0;                    // running activations that use it without owning it

    ScriptStack() = default;
    ScriptStack(uint32_t ownerWord, uint32_t moduleWord) : owner(ownerWord), moduleId(moduleWord) {}
    ~ScriptStack() { Clear(); }
    ScriptStack(const ScriptStack&) = delete;
    ScriptStack& operator=(const ScriptStack&) = delete;

    uint32_t Count() const { return static_cast<uint32_t>(slots.size()); }
    // Clears and removes every slot.
    void Clear() { Truncate(0); }
    // Clears and removes the slots from `count` up (nothing when the stack holds fewer).
    void Truncate(uint32_t count);
    // Appends a slot of type UNKNOWN for the declaration; returns its index.
    uint32_t Push(ScriptDeclaration* declaration);
    // The topmost slot standing for the declaration, skipping slots of types COMMAND and
    // LINKED (kScriptNone when there is none). Matching by declaration, not by position, is
    // what lets the stacks of the compiler and of the run agree.
    uint32_t Find(const ScriptDeclaration* declaration) const;
    // The topmost slot whose declaration has this name (kScriptNone when none). With a non-zero
    // `attributeAny`, the declaration must also carry one of those attribute bits.
    uint32_t FindByName(const char* name, uint8_t attributeAny = 0) const;
    // FindByName for a name of known length (no zero bytes in it).
    uint32_t FindNamed(const char* name, size_t length, uint8_t attributeAny = 0) const;
};

// ScriptPopSlots: clears and removes the top n slots; kScriptStackUnderflow when fewer are held
// (nothing is removed then).
Status ScriptPopSlots(ScriptStack* stack, uint32_t count);
