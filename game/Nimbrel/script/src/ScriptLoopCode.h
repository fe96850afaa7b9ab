#pragma once
// The compiled form of a loop: a loop block with everything it enters (bodies, steps, ifs and
// their else chains, inner loops), compiled into register code when all of it is data work -
// declarations, references, removals, assignments, operators, leave-if-zero, break and
// continue - so that nothing inside it can be seen from outside while it runs.
//
// Like a segment (ScriptBlockCode.h) it is made from the stack as it stands when the loop is
// entered, and keeps the conditions under which every declaration lands where it landed then
// (the stack's size; per declaration "its one live slot is slot k" or "no slot anywhere").
// Under those conditions the layout of the stack at every instruction inside the loop is fixed
// whatever path the run takes (each block ends at its base, and nothing below a block's base
// changes shape inside it), so the slots the loop pushes become cells of a frame, the slots
// below it are loaded into cells once, and the instructions become operations on cells.
//
// Every turn of the loop starts from the same stack, the loop's block at position 0, so a
// turn is the unit of doubt: the loaded cells are kept as they were when the turn began, and
// anything the fast rules cannot decide (a string, a division by zero, an unset value, a
// failing test) puts them back, writes them to their slots and hands the loop to the executor
// at that turn's start, where it does exactly what it always does. At the loop's end the
// loaded cells are written back and the stack is the one the loop was entered with.
//
// Calls of script functions whose bodies are data work alone (parameters, locals, operators,
// a return) are compiled into the loop too: the callee's slots become cells of the same frame,
// its result slot the caller's cell it refers to. A call leaves activation records behind
// (the callee's body, the blocks the executor would have given records to make it) which
// nothing can look at while the loop runs, so they are made, or taken again, the first time
// each call site runs, and ended at once; the positions they end at are kept as the blocks
// are left. From then on the loop's own block has a running record, as it would have, and a
// doubt hands the loop to the driver in that record at the turn's start.
//
// A cell holds what its slot reads as. A literal's cell is never written (a loop that would
// write one is not compiled, and a slot of a literal below the loop is left to the executor),
// so the constant is the cell's value. Pairs of operations that always run together are made
// one after the walk (ScriptLoopBuild.cpp), with the same results.
#include "NimbrelScript/ScriptVM.h"
#include "ScriptBlockCode.h"

#include <cstdint>
#include <utility>
#include <vector>

enum ScriptLoopCode : uint8_t {
    kLoopInit,       // cell x := a fresh slot of a declaration (a literal: type `form`, value y)
    kLoopAssign,     // cell x := cell y by the assignment rules
    kLoopSetLong,    // cell x := ULONG y
    kLoopJumpIfZero, // cell x zero: go to `target`
    kLoopJump,       // go to `target`
    kLoopTurn,       // a turn of the outermost loop begins
    kLoopEnd,        // the loop is over
    kLoopCheck,      // cell x := cell x (an assignment to itself: a number stays as it is)
    kLoopNextTurn,   // the outermost loop ends a turn and begins the next at `target`
    kLoopCopy,       // cell x := a fresh slot, then := cell y
    kLoopSetFresh,   // cell x := a fresh slot, then := ULONG y
    kLoopCall,       // call site y begins (ScriptLoopSite); the callee's work follows
    kLoopBuiltin,    // builtin call site y (ScriptLoopSite): made on the stack and the records
    kLoopExit,       // block y is left at position z
    kLoopLeave,      // cell x zero: block y is left at position z, go to `target`
    kLoopUnwind,     // break or continue y (ScriptLoopUnwind) leaves the blocks above the loop's
    kLoopOperator,   // kLoopOperator + (opcode - 7): cell x := cell x (operator) cell y
};

// An operator's form bits.
enum ScriptLoopForm : uint8_t {
    kLoopImmediate = 1, // the right operand is ULONG y, not a cell
    kLoopTest = 2,      // then go to `target` when cell x is zero
    kLoopCopied = 4,    // first cell x := a fresh slot, then := cell z
};

struct ScriptLoopOp {
    uint8_t code;   // ScriptLoopCode
    uint8_t form;   // an operator's ScriptLoopForm bits; a fresh cell's literal type
    uint16_t x;     // the cell worked on
    uint32_t y;     // the other cell, a value
    uint32_t target;
    uint32_t z;     // kLoopCopied: the cell copied first
};

// A slot of the stack as it stands at a builtin call, above the loop's entry.
struct ScriptLoopSlot {
    ScriptDeclaration* declaration;
    uint8_t reference; // 1: a COMMAND reference to slot `value`; 0: the contents of cell `value`
    uint8_t literal;   // a literal's slot: pushed unset, it reads as its constant
    uint32_t value;
};

// A call inside the loop: of a script function compiled in place, or of a builtin, which is
// called on the stack and the records as the executor would have them.
struct ScriptLoopSite {
    ScriptFunction* node = nullptr;    // the call's node in the running function
    ScriptFunction* callee = nullptr;  // what it called when the loop was compiled
    uint32_t returnAt = 0;             // where the callee's record ends: its return, or its end
    std::vector<uint16_t> chain;       // the blocks open at the call, the loop's own first
    // Builtins only: the call instruction, where each open block stands (the leaf at the
    // call) and the stack above the loop's entry.
    const ScriptInstruction* instruction = nullptr;
    std::vector<uint32_t> positions;
    std::vector<ScriptLoopSlot> layout;
};

// A break or continue of the loop's own turns, from inside the blocks in `chain` (the loop's
// own first), each left at its position.
struct ScriptLoopUnwind {
    bool isBreak = false;
    std::vector<std::pair<uint16_t, uint32_t>> chain;
};

struct ScriptLoop {
    uint32_t entryCount = 0; // stack size at entry (the loop block's base)
    std::vector<std::pair<ScriptDeclaration*, uint32_t>> found; // one live slot, at this index
    std::vector<ScriptDeclaration*> absent;                     // no live slot anywhere
    std::vector<uint32_t> loads;     // cells 0 .. loads.size()-1: loaded from these slots
    std::vector<uint16_t> turnCells; // the loaded cells the loop writes: kept at each turn
    uint32_t cellCount = 0;
    std::vector<ScriptLoopOp> ops;
    std::vector<ScriptBlock*> blocks; // every block the loop runs, itself first
    uint32_t depth = 0;               // the most blocks open at once, itself included
    std::vector<ScriptLoopSite> sites;
    std::vector<ScriptLoopUnwind> unwinds;
};

// What the executor does for a compiled loop that makes records: gives the blocks it runs
// inline around the loop the records they stand for, and returns the innermost record (the
// one the loop's record is started under); null when that fails.
struct ScriptLoopEnclosure {
    ScriptActivation* (*materialize)(void* context) = nullptr;
    void* context = nullptr;
    bool made = false; // set when the loop made records
    // With kScriptControlMoved: what the executor hands the driver (a builtin's wait or
    // failure, else kScriptControlMoved).
    Status status = 0;
};

// Most cells a compiled loop uses.
constexpr uint32_t kScriptLoopCells = 256;
// Most blocks, and most call sites, of a compiled loop that makes calls.
constexpr uint32_t kScriptLoopRecordBlocks = 64;

// Compiles the loop block `block` of the activation's function against the activation's stack
// as it is; null when some of it is not data work or the layout is not fixed.
ScriptLoop* ScriptBuildLoop(ScriptVM* vm, ScriptModule* module, ScriptBlockCode* code, ScriptBlock* block,
                            ScriptActivation* activation);

// Runs the loop to its end: kScriptOk when it ran (the loop is over, its block left, the stack
// as it was on entry; `enclosure->made` tells whether records were made), kScriptFailed when
// the executor must run it from the start of a turn (the loaded slots then hold what the turns
// before it left; nothing else changed), kScriptControlMoved when records were made and the
// loop's own record waits at the start of a turn for the driver.
Status ScriptRunLoop(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const ScriptLoop& loop,
                     ScriptLoopEnclosure* enclosure);
