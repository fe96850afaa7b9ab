// Making a block's run-time code: decoding its instructions, and fusing runs of data
// instructions into segments (ScriptBlockCode.h).
#include "ScriptBlockCode.h"

#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"
#include "ScriptLoopCode.h"

#include <new>

namespace {

// A segment keeps at most this many cells.
constexpr size_t kCellLimit = 48;
// Fewer instructions than this are not worth a segment.
constexpr uint32_t kShortestSegment = 3;

void DeleteBlockCode(ScriptBlockCode* code)
{
    delete code;
}

bool IsStandard(const ScriptVM* vm, uint32_t opcode)
{
    return opcode < kScriptOpcodeCount && vm->handlers[opcode] == ScriptHandlerFor(opcode);
}

void Decode(ScriptVM* vm, ScriptBlockCode* code, ScriptBlock* block, ScriptFunction* function)
{
    const size_t count = block->instructions.size();
    code->decoded.assign(count, ScriptDecoded{});
    code->segments.clear();
    code->loops.clear();
    for (size_t i = 0; i < count; ++i) {
        const ScriptInstruction& instruction = block->instructions[i];
        ScriptDecoded& decoded = code->decoded[i];
        const uint32_t opcode = instruction.opcode;
        if (!IsStandard(vm, opcode))
            continue;
        switch (opcode) {
        case kScriptOpDeclare:
            if (instruction.a < function->declarations.size()) {
                decoded.kind = kScriptDecodedDeclare;
                decoded.target = function->declarations[instruction.a].get();
            }
            break;
        case kScriptOpRemove: decoded.kind = kScriptDecodedRemove; break;
        case kScriptOpAssign: decoded.kind = kScriptDecodedAssign; break;
        case kScriptOpSetLong: decoded.kind = kScriptDecodedSetLong; break;
        case kScriptOpReference: decoded.kind = kScriptDecodedReference; break;
        case kScriptOpLeaveIfZero: decoded.kind = kScriptDecodedLeaveIfZero; break;
        case kScriptOpBindParam: decoded.kind = kScriptDecodedBindParam; break;
        case kScriptOpEnterBlock:
            if (ScriptBlockOwner(nullptr, function, instruction.a) == function && instruction.b != kScriptNone) {
                if (ScriptBlock* target = ScriptGetBlock(function, instruction.b)) {
                    decoded.kind = kScriptDecodedEnter;
                    decoded.target = target;
                }
            }
            break;
        default:
            if (opcode >= kScriptOpMul && opcode <= kScriptOpOr)
                decoded.kind = kScriptDecodedOperator;
            break;
        }
    }
    code->from = block->instructions.data();
    code->count = count;
    code->function = function;
}

// The stack as the segment builder sees it, slot by slot.
struct ModelSlot {
    ScriptDeclaration* declaration;
    bool hidden;         // COMMAND or LINKED: a declaration lookup passes over it
    bool pushed;         // pushed by the segment
    bool referenced;     // some slot references it
    int cell;            // the cell its value is in (through its reference); -1 none yet
    uint32_t target;     // the slot it references, when hidden by the segment
};

class SegmentBuilder {
public:
    SegmentBuilder(const ScriptStack* stack, ScriptSegment* segment) : stack_(stack), segment_(segment)
    {
        model_.reserve(stack->Count() + 16);
        for (const ScriptValue& slot : stack->slots) {
            const bool hidden = slot.type == kScriptTypeCommand || slot.type == kScriptTypeLinked;
            model_.push_back(ModelSlot{slot.declaration, hidden, false, false, -1, 0});
        }
        lowWater_ = static_cast<uint32_t>(model_.size());
    }

    // Adds one instruction; false when the segment ends before it.
    bool Add(const ScriptInstruction& instruction, ScriptFunction* function)
    {
        const uint32_t size = static_cast<uint32_t>(model_.size());
        switch (instruction.opcode) {
        case kScriptOpDeclare:
            return instruction.a < function->declarations.size() &&
                   Declare(function->declarations[instruction.a].get());
        case kScriptOpReference: {
            const uint32_t a = instruction.a;
            const uint32_t b = instruction.b;
            if (a >= size || b >= size || a == b || !model_[a].pushed || model_[a].referenced)
                return false;
            const int target = CellOf(b);
            if (target < 0)
                return false;
            model_[a].hidden = true;
            model_[a].cell = target;
            model_[a].target = b;
            model_[b].referenced = true;
            return true;
        }
        case kScriptOpRemove: {
            if (instruction.a > size)
                return false;
            const uint32_t newSize = size - instruction.a;
            // A reference that would point past the stack afterwards follows a later slot.
            for (uint32_t i = 0; i < newSize; ++i) {
                if (model_[i].pushed && model_[i].hidden && model_[i].target >= newSize)
                    return false;
            }
            model_.resize(newSize);
            if (newSize < lowWater_)
                lowWater_ = newSize;
            return true;
        }
        case kScriptOpAssign: {
            const uint32_t b = instruction.b == kScriptNone ? size - 1 : instruction.b;
            if (size == 0)
                return false;
            return Emit(kSegAssign, 0, instruction.a, b, true);
        }
        case kScriptOpSetLong: {
            const int x = instruction.a < size ? CellOf(instruction.a) : -1;
            if (x < 0)
                return false;
            segment_->ops.push_back(ScriptSegmentOp{kSegSetLong, 0, static_cast<uint16_t>(x), instruction.b});
            return true;
        }
        case kScriptOpLeaveIfZero: {
            const int x = instruction.a < size && !segment_->leaves ? CellOf(instruction.a) : -1;
            if (x < 0)
                return false;
            segment_->ops.push_back(ScriptSegmentOp{kSegLeave, 0, static_cast<uint16_t>(x), 0});
            segment_->leaves = true;
            // How the stack stands if it leaves here.
            leaveModel_ = model_;
            leaveLowWater_ = lowWater_;
            return true;
        }
        default:
            if (instruction.opcode >= kScriptOpMul && instruction.opcode <= kScriptOpOr)
                return Emit(kSegOperator, static_cast<uint8_t>(instruction.opcode), instruction.a, instruction.b, true);
            return false;
        }
    }

    // The stack after the segment, above the lowest size it came down to; the cells renumbered
    // with the loaded ones first.
    void Finish()
    {
        std::vector<uint32_t> order(segment_->cells.size());
        uint32_t next = 0;
        for (size_t i = 0; i < segment_->cells.size(); ++i) {
            if (!segment_->cells[i].pushed) {
                order[i] = next++;
                segment_->loads.push_back(segment_->cells[i].slot);
            }
        }
        for (size_t i = 0; i < segment_->cells.size(); ++i) {
            const ScriptDeclaration* declaration = segment_->cells[i].pushed;
            if (!declaration)
                continue;
            order[i] = next++;
            const bool literal = declaration->constType != 0;
            segment_->initial.push_back(ScriptSegmentValue{kScriptTypeUnknown,
                                                           static_cast<uint8_t>(literal ? declaration->constType : 0),
                                                           0, 0, literal ? declaration->constValue : 0});
        }
        for (ScriptSegmentOp& op : segment_->ops) {
            op.x = static_cast<uint16_t>(order[op.x]);
            if (op.code == kSegAssign || op.code == kSegOperator)
                op.y = order[op.y];
        }
        segment_->lowWater = lowWater_;
        Layout(model_, lowWater_, order, &segment_->left);
        segment_->leaveLowWater = leaveLowWater_;
        if (segment_->leaves)
            Layout(leaveModel_, leaveLowWater_, order, &segment_->leaveLeft);
    }

private:
    static void Layout(const std::vector<ModelSlot>& model, uint32_t lowWater, const std::vector<uint32_t>& order,
                       std::vector<ScriptSegmentSlot>* left)
    {
        left->clear();
        for (uint32_t i = lowWater; i < model.size(); ++i) {
            const ModelSlot& slot = model[i];
            if (slot.hidden)
                left->push_back(ScriptSegmentSlot{slot.declaration, 1, slot.target});
            else
                left->push_back(ScriptSegmentSlot{slot.declaration, 0, order[static_cast<uint32_t>(slot.cell)]});
        }
    }

    bool Declare(ScriptDeclaration* declaration)
    {
        uint32_t found = kScriptNone;
        for (size_t i = model_.size(); i-- > 0;) {
            if (model_[i].declaration == declaration && !model_[i].hidden) {
                found = static_cast<uint32_t>(i);
                break;
            }
        }
        const bool resolves = (declaration->attributes & (kScriptAttrByName | kScriptAttrLinked)) != 0;
        bool first = true;
        for (ScriptDeclaration* seen : seen_) {
            if (seen == declaration) {
                first = false;
                break;
            }
        }
        if (first) {
            seen_.push_back(declaration);
            if (found != kScriptNone) {
                if (declaration->liveSlots != 1)
                    return false;
                segment_->found.emplace_back(declaration, found);
            } else {
                if (declaration->liveSlots != 0 || resolves)
                    return false;
                segment_->absent.push_back(declaration);
            }
        } else if (found == kScriptNone && resolves) {
            return false;
        }
        if (found != kScriptNone)
            return true;
        if (segment_->cells.size() >= kCellLimit)
            return false;
        const int cell = static_cast<int>(segment_->cells.size());
        segment_->cells.push_back(ScriptSegmentCell{declaration, 0});
        model_.push_back(ModelSlot{declaration, false, true, false, cell, 0});
        return true;
    }

    // The cell of a slot's value; a slot that was on the stack before gets a cell loaded from
    // it. -1 when the segment cannot hold it.
    int CellOf(uint32_t index)
    {
        ModelSlot& slot = model_[index];
        if (slot.cell >= 0)
            return slot.cell;
        if (slot.pushed || index >= stack_->Count() || stack_->slots[index].type == kScriptTypeLinked ||
            segment_->cells.size() >= kCellLimit)
            return -1;
        slot.cell = static_cast<int>(segment_->cells.size());
        segment_->cells.push_back(ScriptSegmentCell{nullptr, index});
        return slot.cell;
    }

    bool Emit(uint8_t code, uint8_t opcode, uint32_t a, uint32_t b, bool)
    {
        const uint32_t size = static_cast<uint32_t>(model_.size());
        if (a >= size || b >= size)
            return false;
        const int x = CellOf(a);
        const int y = x < 0 ? -1 : CellOf(b);
        if (y < 0)
            return false;
        segment_->ops.push_back(ScriptSegmentOp{code, opcode, static_cast<uint16_t>(x), static_cast<uint32_t>(y)});
        return true;
    }

    const ScriptStack* stack_;
    ScriptSegment* segment_;
    std::vector<ModelSlot> model_;
    std::vector<ScriptDeclaration*> seen_;
    uint32_t lowWater_ = 0;
    std::vector<ModelSlot> leaveModel_;
    uint32_t leaveLowWater_ = 0;
};

bool Fusable(uint32_t opcode)
{
    return opcode == kScriptOpDeclare || opcode == kScriptOpReference || opcode == kScriptOpRemove ||
           opcode == kScriptOpAssign || opcode == kScriptOpSetLong || opcode == kScriptOpLeaveIfZero ||
           (opcode >= kScriptOpMul && opcode <= kScriptOpOr);
}

} // namespace

ScriptBlockCode* ScriptBlockCodeFor(ScriptVM* vm, ScriptBlock* block, ScriptFunction* function)
{
    ScriptBlockCode* code = block->code.get();
    if (code && code->from == block->instructions.data() && code->count == block->instructions.size() &&
        code->function == function)
        return code;
    if (!code) {
        code = new (std::nothrow) ScriptBlockCode;
        if (!code)
            return nullptr;
        block->code = std::unique_ptr<ScriptBlockCode, void (*)(ScriptBlockCode*)>(code, DeleteBlockCode);
    }
    Decode(vm, code, block, function);
    return code;
}

ScriptSegment* ScriptBuildSegment(ScriptVM* vm, ScriptBlock* block, ScriptActivation* activation, uint32_t position)
{
    ScriptBlockCode* code = block->code.get();
    ScriptFunction* function = activation->function;
    if (!code || !activation->stack || !function)
        return nullptr;
    std::unique_ptr<ScriptSegment> segment(new (std::nothrow) ScriptSegment);
    if (!segment)
        return nullptr;
    segment->start = position;
    segment->entryCount = activation->stack->Count();
    SegmentBuilder builder(activation->stack, segment.get());
    uint32_t end = position;
    const uint32_t count = static_cast<uint32_t>(block->instructions.size());
    while (end < count) {
        const ScriptInstruction& instruction = block->instructions[end];
        if (!Fusable(instruction.opcode) || !IsStandard(vm, instruction.opcode) || !builder.Add(instruction, function))
            break;
        if (instruction.opcode == kScriptOpLeaveIfZero)
            segment->leaveAt = end;
        ++end;
    }
    if (end - position < kShortestSegment || segment->ops.empty())
        return nullptr;
    segment->end = end;
    builder.Finish();
    ScriptSegment* made = segment.get();
    code->segments.push_back(std::move(segment));
    return made;
}
