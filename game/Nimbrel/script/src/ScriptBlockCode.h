#pragma once
// The run-time form of a block's instructions, made by the executor the first time it runs
// the block: one decoded entry per instruction, and fused segments.
//
// A segment stands for a run of data instructions (declare, reference, remove, assign, set,
// the operators and at most one leave-if-zero) that the executor may do in one step. It is made
// from the stack as it was the first time the run was reached, and keeps the conditions under
// which its instructions are bound to do exactly what they did then: the stack's size, and
// for every declaration that the run declares, either "its one live slot is slot k" or "it
// has no slot anywhere" (ScriptDeclaration::liveSlots). Under those conditions every
// declaration lands where it landed, so the run reduces to arithmetic on a few cells. The
// step computes everything first and writes nothing until all of it went through the fast
// rules; any doubt (a string, a reference it does not follow, a division by zero, a failing
// condition) leaves the stack untouched and the instructions run one by one as always.
#include "NimbrelScript/ScriptVM.h"

#include <cstdint>
#include <memory>
#include <vector>

// What the executor can do itself for one instruction.
enum ScriptDecodedKind : uint8_t {
    kScriptDecodedGeneric = 0, // through the handler
    kScriptDecodedDeclare,
    kScriptDecodedRemove,
    kScriptDecodedAssign,
    kScriptDecodedSetLong,
    kScriptDecodedReference,
    kScriptDecodedOperator,
    kScriptDecodedLeaveIfZero,
    kScriptDecodedEnter,
    kScriptDecodedBindParam,
};

struct ScriptSegment;
struct ScriptLoop;

enum ScriptSegmentState : uint8_t { kSegmentUntried = 0, kSegmentReady, kSegmentNone };

struct ScriptDecoded {
    uint8_t kind = kScriptDecodedGeneric;
    uint8_t segmentState = kSegmentUntried;
    uint8_t attempts = 0;            // segment builds tried at this position
    uint32_t hint = 0;               // a declaration's slot the last time it was declared
    void* target = nullptr;          // the declaration or block the instruction names
    ScriptSegment* segment = nullptr; // owned by the block code
    // Instruction 23 entering a loop: its compiled form (ScriptLoopCode.h), owned by the block
    // code, and how far making it got.
    uint8_t loopState = kSegmentUntried;
    uint8_t loopAttempts = 0;
    ScriptLoop* loop = nullptr;
};

// One step of a segment, on cells.
enum ScriptSegmentCode : uint8_t { kSegAssign, kSegSetLong, kSegOperator, kSegLeave };
struct ScriptSegmentOp {
    uint8_t code;     // ScriptSegmentCode
    uint8_t opcode;   // the operator's opcode
    uint16_t x;       // target or left cell
    uint32_t y;       // source or right cell; the value of a set
};

// A cell: the value of a slot that was on the stack before the segment (references followed
// when the segment runs), or of a slot the segment pushes (its declaration given).
struct ScriptSegmentCell {
    ScriptDeclaration* pushed; // null: loaded from slot `slot`
    uint32_t slot;
};

// A cell's contents while a segment runs: the slot's own type and value, and the literal it
// reads as (constType 0: none).
struct ScriptSegmentValue {
    uint8_t type;
    uint8_t constType;
    uint8_t written;
    uint32_t value;
    uint32_t constValue;
};

// A slot a segment leaves on the stack above the lowest size the stack came down to.
struct ScriptSegmentSlot {
    ScriptDeclaration* declaration;
    uint8_t reference;  // 1: a COMMAND reference to slot `value`; 0: the contents of cell `value`
    uint32_t value;
};

struct ScriptSegment {
    uint32_t start = 0;              // first instruction
    uint32_t end = 0;                // the instruction after the last one
    uint32_t entryCount = 0;         // stack size at entry
    uint32_t lowWater = 0;           // the lowest stack size within the segment
    bool leaves = false;             // has a leave-if-zero (at most one)
    uint32_t leaveAt = 0;            // its instruction
    std::vector<std::pair<ScriptDeclaration*, uint32_t>> found; // one live slot, at this index
    std::vector<ScriptDeclaration*> absent;                     // no live slot anywhere
    std::vector<ScriptSegmentCell> cells;        // while building; then the loads come first
    std::vector<uint32_t> loads;                 // cells 0 .. loads.size()-1: from these slots
    std::vector<ScriptSegmentValue> initial;     // the other cells, as the pushes leave them
    std::vector<ScriptSegmentOp> ops;
    std::vector<ScriptSegmentSlot> left; // slots lowWater .. on the stack afterwards
    uint32_t leaveLowWater = 0;      // the same two when the leave-if-zero leaves the block
    std::vector<ScriptSegmentSlot> leaveLeft;
};

struct ScriptBlockCode {
    const ScriptInstruction* from = nullptr; // the instruction list it was made from
    size_t count = 0;
    const ScriptFunction* function = nullptr;
    std::vector<ScriptDecoded> decoded;
    std::vector<std::unique_ptr<ScriptSegment>> segments;
    std::vector<std::unique_ptr<ScriptLoop>> loops;
};

// The block's code, made afresh when it does not fit the block and function any more.
ScriptBlockCode* ScriptBlockCodeFor(ScriptVM* vm, ScriptBlock* block, ScriptFunction* function);

// The block's code when it is up to date (the common case, checked without a call), else as
// ScriptBlockCodeFor makes it.
inline ScriptBlockCode* ScriptBlockCodeOf(ScriptVM* vm, ScriptBlock* block, ScriptFunction* function)
{
    ScriptBlockCode* code = block->code.get();
    if (code && code->from == block->instructions.data() && code->count == block->instructions.size() &&
        code->function == function)
        return code;
    return ScriptBlockCodeFor(vm, block, function);
}

// Tries to make the segment that starts at `position` from the activation's stack as it is;
// null when there is none worth having there.
ScriptSegment* ScriptBuildSegment(ScriptVM* vm, ScriptBlock* block, ScriptActivation* activation, uint32_t position);

// Runs the segment on the activation's stack: kScriptOk when it ran (the caller moves on to
// its end), kScriptLeaveBlock when its leave-if-zero left the block (what followed it did not
// run), or kScriptFailed when it could not be run this way (nothing was changed).
Status ScriptRunSegment(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const ScriptSegment& segment);
