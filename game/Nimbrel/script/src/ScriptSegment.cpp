// Running a fused segment (ScriptBlockCode.h): check its conditions, load its cells, compute,
// and only then write the results back and lay out the stack as its instructions would have.
#include "ScriptBlockCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"
#include "ScriptNumberRules.h"
#include "ScriptStackInline.h"

namespace {

using Cell = ScriptSegmentValue;

// At most this many cells (the builder keeps below).
constexpr size_t kCellCapacity = 64;

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

} // namespace

Status ScriptRunSegment(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, const ScriptSegment& segment)
{
    // Every count and array is read into a local first: the byte-sized stores below may
    // alias anything, and would otherwise make the compiler read them again and again.
    ScriptStack* stack = activation->stack;
    if (!stack)
        return kScriptFailed;
    ScriptValue* slots = stack->slots.data();
    const size_t entryCount = stack->slots.size();
    if (entryCount != segment.entryCount)
        return kScriptFailed;
    {
        const std::pair<ScriptDeclaration*, uint32_t>* found = segment.found.data();
        const size_t foundCount = segment.found.size();
        for (size_t i = 0; i < foundCount; ++i) {
            const ScriptDeclaration* declaration = found[i].first;
            const ScriptValue& slot = slots[found[i].second];
            if (declaration->liveSlots != 1 || slot.declaration != declaration || slot.type == kScriptTypeCommand ||
                slot.type == kScriptTypeLinked)
                return kScriptFailed;
        }
        ScriptDeclaration* const* absent = segment.absent.data();
        const size_t absentCount = segment.absent.size();
        for (size_t i = 0; i < absentCount; ++i) {
            if (absent[i]->liveSlots != 0)
                return kScriptFailed;
        }
    }

    // Load. Two loaded slots that lead to the same value share one cell.
    const uint32_t* loads = segment.loads.data();
    const size_t loadCount = segment.loads.size();
    const Cell* initial = segment.initial.data();
    const size_t cellCount = loadCount + segment.initial.size();
    Cell cells[kCellCapacity];
    uint16_t map[kCellCapacity];
    ScriptValue* targets[kCellCapacity];
    for (size_t i = 0; i < loadCount; ++i) {
        ScriptValue* target = Follow(vm, module, activation, slots, loads[i]);
        if (!target)
            return kScriptFailed;
        // The first load of a target owns its cell, so any number of loads share one.
        uint16_t shared = static_cast<uint16_t>(i);
        for (size_t j = 0; j < i; ++j) {
            if (targets[j] == target) {
                shared = static_cast<uint16_t>(j);
                break;
            }
        }
        map[i] = shared;
        targets[i] = target;
        Cell& cell = cells[i];
        cell.type = target->type;
        cell.value = target->value;
        cell.written = 0;
        const ScriptDeclaration* declaration = target->declaration;
        const bool literal = declaration && declaration->constType != 0;
        cell.constType = literal ? declaration->constType : 0;
        cell.constValue = literal ? declaration->constValue : 0;
    }
    // Field by field: a handful of cells, not worth a call to memcpy.
    for (size_t i = loadCount; i < cellCount; ++i) {
        const Cell& from = initial[i - loadCount];
        Cell& cell = cells[i];
        cell.type = from.type;
        cell.constType = from.constType;
        cell.written = from.written;
        cell.value = from.value;
        cell.constValue = from.constValue;
        map[i] = static_cast<uint16_t>(i);
    }

    // Compute. What follows a leave that leaves does not run.
    bool leave = false;
    const ScriptSegmentOp* ops = segment.ops.data();
    const size_t opCount = segment.ops.size();
    for (size_t i = 0; i < opCount; ++i) {
        const ScriptSegmentOp& op = ops[i];
        Cell& x = cells[map[op.x]];
        uint8_t type = 0;
        uint32_t value = 0;
        switch (op.code) {
        case kSegAssign:
            Read(cells[map[op.y]], &type, &value);
            if (!ScriptNumberAssign(&x.type, &x.value, type, value))
                return kScriptFailed;
            x.written = 1;
            break;
        case kSegSetLong:
            x.type = kScriptTypeULong;
            x.value = op.y;
            x.written = 1;
            break;
        case kSegOperator:
            // A literal on the left is an error of the handler.
            Read(cells[map[op.y]], &type, &value);
            if (x.constType != 0 || !ScriptNumberOperate(op.opcode, &x.type, &x.value, type, value))
                return kScriptFailed;
            x.written = 1;
            break;
        default: // kSegLeave
            if (!Read(x, &type, &value))
                return kScriptFailed;
            leave = value == 0;
            break;
        }
        if (leave)
            break;
    }

    // Write back, then lay the stack out as the instructions leave it.
    for (size_t i = 0; i < loadCount; ++i) {
        const Cell& cell = cells[i];
        if (map[i] != i || !cell.written)
            continue;
        ScriptValue* target = targets[i];
        if (target->text)
            ScriptValue_Reset(target);
        target->type = cell.type;
        target->value = cell.value;
    }
    const uint32_t lowWater = leave ? segment.leaveLowWater : segment.lowWater;
    const std::vector<ScriptSegmentSlot>& layout = leave ? segment.leaveLeft : segment.left;
    const ScriptSegmentSlot* left = layout.data();
    const size_t leftCount = layout.size();
    if (lowWater < stack->slots.size())
        ScriptStackTruncate(stack, lowWater);
    if (leftCount == 0)
        return leave ? kScriptLeaveBlock : kScriptOk;
    // The same slots Push would make.
    std::vector<ScriptValue>& stackSlots = stack->slots;
    for (size_t i = 0; i < leftCount; ++i) {
        ScriptValue& slot = stackSlots.emplace_back();
        ScriptDeclaration* declaration = left[i].declaration;
        slot.declaration = declaration;
        if (declaration)
            ++declaration->liveSlots;
        if (left[i].reference) {
            slot.type = kScriptTypeCommand;
            slot.value = left[i].value;
        } else {
            const Cell& cell = cells[map[left[i].value]];
            slot.type = cell.type;
            slot.value = cell.value;
        }
    }
    return leave ? kScriptLeaveBlock : kScriptOk;
}
