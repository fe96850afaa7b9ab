// Running a fused segment (ScriptBlockCode.h): check its conditions, load its cells, compute,
// and only then write the results back and lay out the stack as its instructions would have.
#include "ScriptBlockCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"
#include "ScriptNumberRules.h"

#include <cstring>

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
    ScriptStack* stack = activation->stack;
    if (!stack || stack->Count() != segment.entryCount)
        return kScriptFailed;
    ScriptValue* slots = stack->slots.data();
    for (const auto& [declaration, index] : segment.found) {
        const ScriptValue& slot = slots[index];
        if (declaration->liveSlots != 1 || slot.declaration != declaration || slot.type == kScriptTypeCommand ||
            slot.type == kScriptTypeLinked)
            return kScriptFailed;
    }
    for (const ScriptDeclaration* declaration : segment.absent) {
        if (declaration->liveSlots != 0)
            return kScriptFailed;
    }

    // Load. Two loaded slots that lead to the same value share one cell.
    const size_t loadCount = segment.loads.size();
    const size_t cellCount = loadCount + segment.initial.size();
    Cell cells[kCellCapacity];
    uint16_t map[kCellCapacity];
    ScriptValue* targets[kCellCapacity];
    for (size_t i = 0; i < loadCount; ++i) {
        ScriptValue* target = Follow(vm, module, activation, slots, segment.loads[i]);
        if (!target)
            return kScriptFailed;
        map[i] = static_cast<uint16_t>(i);
        for (size_t j = 0; j < i; ++j) {
            if (targets[j] == target)
                map[i] = static_cast<uint16_t>(j);
        }
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
    if (!segment.initial.empty())
        std::memcpy(&cells[loadCount], segment.initial.data(), segment.initial.size() * sizeof(Cell));
    for (size_t i = loadCount; i < cellCount; ++i)
        map[i] = static_cast<uint16_t>(i);

    // Compute.
    bool leave = false;
    // What follows a leave that leaves does not run.
    const size_t opCount = segment.ops.size();
    for (size_t i = 0; i < opCount && !leave; ++i) {
        const ScriptSegmentOp& op = segment.ops[i];
        Cell& x = cells[map[op.x]];
        switch (op.code) {
        case kSegAssign: {
            uint8_t type = 0;
            uint32_t value = 0;
            Read(cells[map[op.y]], &type, &value);
            if (!ScriptNumberAssign(&x.type, &x.value, type, value))
                return kScriptFailed;
            break;
        }
        case kSegSetLong:
            x.type = kScriptTypeULong;
            x.value = op.y;
            break;
        case kSegOperator: {
            // A literal on the left is an error of the handler.
            uint8_t type = 0;
            uint32_t value = 0;
            Read(cells[map[op.y]], &type, &value);
            if (x.constType != 0 || !ScriptNumberOperate(op.opcode, &x.type, &x.value, type, value))
                return kScriptFailed;
            break;
        }
        default: { // kSegLeave
            uint8_t type = 0;
            uint32_t value = 0;
            if (!Read(x, &type, &value))
                return kScriptFailed;
            leave = value == 0;
            continue;
        }
        }
        x.written = 1;
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
    if (lowWater < stack->Count())
        stack->Truncate(lowWater);
    for (const ScriptSegmentSlot& left : leave ? segment.leaveLeft : segment.left) {
        const uint32_t index = stack->Push(left.declaration);
        ScriptValue& slot = stack->slots[index];
        if (left.reference) {
            slot.type = kScriptTypeCommand;
            slot.value = left.value;
        } else {
            const Cell& cell = cells[map[left.value]];
            slot.type = cell.type;
            slot.value = cell.value;
        }
    }
    return leave ? kScriptLeaveBlock : kScriptOk;
}
