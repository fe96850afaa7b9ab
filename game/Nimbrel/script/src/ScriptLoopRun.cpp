// Running a compiled loop (ScriptLoopCode.h): check its conditions, load its cells, run turn
// after turn on cells alone, and write the loaded cells back at the end - or, at the first
// doubt, as they were when the turn began.
#include "ScriptLoopCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"
#include "ScriptNumberRules.h"

namespace {

struct Cell {
    uint8_t type;
    uint8_t constType; // a literal's type: the cell reads as (constType, constValue)
    uint32_t value;
    uint32_t constValue;
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

inline bool Read(const Cell& cell, uint8_t* type, uint32_t* value)
{
    *type = cell.constType ? cell.constType : cell.type;
    *value = cell.constType ? cell.constValue : cell.value;
    return *type == kScriptTypeULong || *type == kScriptTypeFloat;
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

    // Load; two slots that lead to the same value are left to the executor.
    Cell cells[kScriptLoopCells];
    Cell turnStart[kScriptLoopCells];
    ScriptValue* targets[kScriptLoopCells];
    const size_t loadCount = loop.loads.size();
    for (size_t i = 0; i < loadCount; ++i) {
        ScriptValue* target = Follow(vm, module, activation, slots, loop.loads[i]);
        if (!target)
            return kScriptFailed;
        for (size_t j = 0; j < i; ++j) {
            if (targets[j] == target)
                return kScriptFailed;
        }
        targets[i] = target;
        const ScriptDeclaration* declaration = target->declaration;
        const bool literal = declaration && declaration->constType != 0;
        cells[i] = Cell{target->type, static_cast<uint8_t>(literal ? declaration->constType : 0), target->value,
                        literal ? declaration->constValue : 0};
    }

    const ScriptLoopOp* ops = loop.ops.data();
    uint32_t at = 0;
    for (;;) {
        const ScriptLoopOp& op = ops[at++];
        uint8_t type = 0;
        uint32_t value = 0;
        switch (op.code) {
        case kLoopInit:
            cells[op.x] = Cell{kScriptTypeUnknown, op.opcode, 0, op.y};
            break;
        case kLoopAssign: {
            Cell& x = cells[op.x];
            if (!Read(cells[op.y], &type, &value) || !ScriptNumberAssign(&x.type, &x.value, type, value))
                goto doubt;
            break;
        }
        case kLoopSetLong:
            cells[op.x].type = kScriptTypeULong;
            cells[op.x].value = op.y;
            break;
        case kLoopCheck: {
            Cell& x = cells[op.x];
            if (x.constType == 0) {
                if (x.type != kScriptTypeULong && x.type != kScriptTypeFloat)
                    goto doubt;
            } else if (!Read(x, &type, &value) || !ScriptNumberAssign(&x.type, &x.value, type, value)) {
                goto doubt;
            }
            break;
        }
#define SCRIPT_LOOP_OPERATOR(opcode, longCase)                                                        \
    case kLoopOperator + (opcode - kScriptOpMul): {                                                 \
        Cell& x = cells[op.x];                                                                      \
        const Cell& y = cells[op.y];                                                                \
        if (x.type == kScriptTypeULong && x.constType == 0 &&                                       \
            (y.constType ? y.constType : y.type) == kScriptTypeULong) {                             \
            const uint32_t l = x.value;                                                             \
            const uint32_t r = y.constType ? y.constValue : y.value;                                \
            longCase;                                                                               \
        } else if (x.constType != 0 || !Read(y, &type, &value) ||                                   \
                   !ScriptNumberOperate(opcode, &x.type, &x.value, type, value)) {                  \
            goto doubt;                                                                             \
        }                                                                                           \
        break;                                                                                      \
    }
        // Two ULONG cells (the common case) inline; everything else by the number rules, a
        // literal on the left being an error of the handler.
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
            if (!Read(cells[op.x], &type, &value))
                goto doubt;
            if (value == 0)
                at = op.target;
            break;
        case kLoopJump:
            at = op.target;
            break;
        case kLoopTurn:
            for (size_t i = 0; i < loadCount; ++i)
                turnStart[i] = cells[i];
            break;
        case kLoopEnd:
            WriteBack(cells, targets, loadCount);
            return kScriptOk;
        default:
            goto doubt;
        }
    }
doubt:
    WriteBack(turnStart, targets, loadCount);
    return kScriptFailed;
}
