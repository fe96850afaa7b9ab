// Running a compiled loop (ScriptLoopCode.h): check its conditions, load its cells, run turn
// after turn on cells alone, and write the loaded cells back at the end - or, at the first
// doubt, as they were when the turn began.
#include "ScriptLoopCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"
#include "ScriptNumberRules.h"

namespace {

// A cell holds what its slot reads as: a literal's cell its constant (never written), any
// other its slot's type and value.
struct Cell {
    uint8_t type;
    uint32_t value;
};

// The slot that holds the value of slot `index`; null for a reference to a linked module's
// variable (not followed here) or anything that would fail.
inline ScriptValue* Follow(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, ScriptValue* slots,
                           uint32_t index)
{
    ScriptValue* slot = &slots[index];
    if (slot->type <= kScriptTypeString)
        return slot;
    const char* missing = nullptr;
    return ScriptFollowSlot(vm, module, activation, &index, false, &slot, &missing) == ScriptFollowing::Found
               ? slot
               : nullptr;
}

inline bool IsNumber(uint8_t type)
{
    return type == kScriptTypeULong || type == kScriptTypeFloat;
}

// No block the loop runs has a running record: entering them would then only have renewed
// ended records or added ones, which the executor's inline blocks never make either.
bool NoRunningRecords(ScriptModule* module, ScriptFunction* function, const ScriptLoop& loop)
{
    for (ScriptBlock* block : loop.blocks) {
        if (block->lastRecordModule == module->serial && block->lastRecordEpoch == module->epoch &&
            block->lastRecordIndex == kScriptNone)
            continue;
        const ScriptActivation* last = ScriptLastActivationOf(module, function, block);
        if (last && last->stack)
            return false;
    }
    return true;
}

void WriteBack(const Cell* cells, ScriptValue* const* targets, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        ScriptValue* target = targets[i];
        const Cell& cell = cells[i];
        if (target->type == cell.type && target->value == cell.value)
            continue;
        if (target->text)
            ScriptValue_Reset(target);
        target->type = cell.type;
        target->value = cell.value;
    }
}

} // namespace

Status ScriptRunLoop(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const ScriptLoop& loop)
{
    ScriptStack* stack = activation->stack;
    if (!stack || stack->slots.size() != loop.entryCount || loop.cellCount > kScriptLoopCells)
        return kScriptFailed;
    ScriptValue* slots = stack->slots.data();
    for (const auto& [declaration, index] : loop.found) {
        const ScriptValue& slot = slots[index];
        if (declaration->liveSlots != 1 || slot.declaration != declaration || slot.type == kScriptTypeCommand ||
            slot.type == kScriptTypeLinked)
            return kScriptFailed;
    }
    for (const ScriptDeclaration* declaration : loop.absent) {
        if (declaration->liveSlots != 0)
            return kScriptFailed;
    }
    if (!NoRunningRecords(module, activation->function, loop))
        return kScriptFailed;

    // Load; two slots that lead to the same value, and a literal's slot, are left to the
    // executor.
    Cell cells[kScriptLoopCells];
    // A turn's start, field by field: copying whole cells just written field by field would
    // wait on the stores.
    uint8_t turnType[kScriptLoopCells];
    uint32_t turnValue[kScriptLoopCells];
    ScriptValue* targets[kScriptLoopCells];
    const size_t loadCount = loop.loads.size();
    for (size_t i = 0; i < loadCount; ++i) {
        ScriptValue* target = Follow(vm, module, activation, slots, loop.loads[i]);
        if (!target || (target->declaration && target->declaration->constType != 0))
            return kScriptFailed;
        for (size_t j = 0; j < i; ++j) {
            if (targets[j] == target)
                return kScriptFailed;
        }
        targets[i] = target;
        cells[i].type = target->type;
        cells[i].value = target->value;
    }

    const ScriptLoopOp* ops = loop.ops.data();
    const uint16_t* turnCells = loop.turnCells.data();
    const size_t turnCount = loop.turnCells.size();
    uint32_t at = 0;
    for (;;) {
        const ScriptLoopOp& op = ops[at++];
        uint8_t type = 0;
        uint32_t value = 0;
        switch (op.code) {
        case kLoopInit:
            cells[op.x].type = op.form != 0 ? op.form : static_cast<uint8_t>(kScriptTypeUnknown);
            cells[op.x].value = op.y;
            break;
        case kLoopAssign: {
            Cell& x = cells[op.x];
            const Cell& y = cells[op.y];
            if (!ScriptNumberAssign(&x.type, &x.value, y.type, y.value))
                goto doubt;
            break;
        }
        case kLoopSetLong:
        case kLoopSetFresh:
            cells[op.x].type = kScriptTypeULong;
            cells[op.x].value = op.y;
            break;
        case kLoopCheck:
            if (!IsNumber(cells[op.x].type))
                goto doubt;
            break;
        case kLoopCopy: {
            const Cell& y = cells[op.y];
            if (!IsNumber(y.type))
                goto doubt;
            cells[op.x].type = y.type;
            cells[op.x].value = y.value;
            break;
        }
#define SCRIPT_LOOP_OPERATOR(opcode, longCase)                                                        \
    case kLoopOperator + (opcode - kScriptOpMul): {                                                 \
        Cell& x = cells[op.x];                                                                      \
        if (op.form & kLoopCopied) {                                                                \
            const Cell& z = cells[op.z];                                                            \
            if (!IsNumber(z.type))                                                                  \
                goto doubt;                                                                         \
            x.type = z.type;                                                                        \
            x.value = z.value;                                                                      \
        }                                                                                           \
        if (op.form & kLoopImmediate) {                                                             \
            type = kScriptTypeULong;                                                                \
            value = op.y;                                                                           \
        } else {                                                                                    \
            type = cells[op.y].type;                                                                \
            value = cells[op.y].value;                                                              \
        }                                                                                           \
        if (x.type == kScriptTypeULong && type == kScriptTypeULong) {                               \
            const uint32_t l = x.value;                                                             \
            const uint32_t r = value;                                                               \
            longCase;                                                                               \
        } else if (!ScriptNumberOperate(opcode, &x.type, &x.value, type, value)) {                  \
            goto doubt;                                                                             \
        }                                                                                           \
        if ((op.form & kLoopTest) && x.value == 0)                                                  \
            at = op.target;                                                                         \
        break;                                                                                      \
    }
        // Two ULONG cells (the common case) inline; everything else by the number rules.
        SCRIPT_LOOP_OPERATOR(kScriptOpMul, x.value = l * r)
        SCRIPT_LOOP_OPERATOR(kScriptOpDiv, if (r == 0) goto doubt; x.value = l / r)
        SCRIPT_LOOP_OPERATOR(kScriptOpAdd, x.value = l + r)
        SCRIPT_LOOP_OPERATOR(kScriptOpSub, x.value = l - r)
        SCRIPT_LOOP_OPERATOR(kScriptOpEqual, x.value = l == r)
        SCRIPT_LOOP_OPERATOR(kScriptOpNotEqual, x.value = l != r)
        SCRIPT_LOOP_OPERATOR(kScriptOpLess, x.value = l < r)
        SCRIPT_LOOP_OPERATOR(kScriptOpLessEqual, x.value = l <= r)
        SCRIPT_LOOP_OPERATOR(kScriptOpGreater, x.value = l > r)
        SCRIPT_LOOP_OPERATOR(kScriptOpGreaterEqual, x.value = l >= r)
        SCRIPT_LOOP_OPERATOR(kScriptOpAnd, x.value = l != 0 && r != 0)
        SCRIPT_LOOP_OPERATOR(kScriptOpOr, x.value = l != 0 || r != 0)
#undef SCRIPT_LOOP_OPERATOR
        case kLoopJumpIfZero:
            if (!IsNumber(cells[op.x].type))
                goto doubt;
            if (cells[op.x].value == 0)
                at = op.target;
            break;
        case kLoopJump:
            at = op.target;
            break;
        case kLoopNextTurn:
            at = op.target;
            [[fallthrough]];
        case kLoopTurn:
            for (size_t i = 0; i < turnCount; ++i) {
                turnType[turnCells[i]] = cells[turnCells[i]].type;
                turnValue[turnCells[i]] = cells[turnCells[i]].value;
            }
            break;
        case kLoopEnd:
            WriteBack(cells, targets, loadCount);
            return kScriptOk;
        default:
            goto doubt;
        }
    }
doubt:
    for (size_t i = 0; i < turnCount; ++i) {
        cells[turnCells[i]].type = turnType[turnCells[i]];
        cells[turnCells[i]].value = turnValue[turnCells[i]];
    }
    WriteBack(cells, targets, loadCount);
    return kScriptFailed;
}
