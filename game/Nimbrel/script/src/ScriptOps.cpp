// Handlers of the data instructions (0 to 20) and of the run-control codes (24 to 26).
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptText.h"
#include "ScriptInternal.h"

#include "VornelUtils/UtilsMemory.h"

namespace {

Status NoStack(ScriptVM* vm, ScriptModule* module, const ScriptInstruction* instruction)
{
    return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                      u"invalid variable slot (%d)", static_cast<int>(instruction->a));
}

Status BadSlot(ScriptVM* vm, ScriptModule* module, const ScriptInstruction* instruction, uint32_t index)
{
    return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                      u"invalid variable slot (%d)", static_cast<int>(index));
}

Status RuleFailure(ScriptVM* vm, ScriptModule* module, const ScriptInstruction* instruction, ScriptRule rule,
                   const char16_t* format, uint32_t firstType, uint32_t secondType)
{
    switch (rule) {
    case ScriptRule::OutOfMemory:
        vm->status = kScriptOutOfMemory;
        return kScriptOutOfMemory;
    case ScriptRule::DivideByZero:
        return ScriptFail(vm, module, kScriptUnsupported, instruction->fileIndex, instruction->line,
                          u"division by zero");
    default:
        return ScriptFail(vm, module, kScriptUnsupported, instruction->fileIndex, instruction->line, format,
                          ScriptTypeName(firstType), ScriptTypeName(secondType));
    }
}

// The slot that operand `index` names, followed through references to the one that holds the
// value; a failure is reported at the instruction's line.
Status FollowOperand(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                     const ScriptInstruction* instruction, uint32_t index, ScriptValue** out)
{
    return ScriptFollow(vm, module, activation, index, instruction->fileIndex, instruction->line, out);
}

void SetULong(ScriptValue* target, uint32_t number)
{
    ScriptValue_Reset(target);
    target->type = kScriptTypeULong;
    target->value = number;
}

// target := the value that source holds (or names), under the assignment rule.
Status AssignFrom(ScriptVM* vm, ScriptModule* module, const ScriptInstruction* instruction, ScriptValue* target,
                  const ScriptValue* source)
{
    ScriptValue scratch{};
    const ScriptValue* value = ScriptReadValue(source, &scratch);
    ScriptRule rule = ScriptAssignRule(target, value);
    if (rule != ScriptRule::Ok)
        return RuleFailure(vm, module, instruction, rule, u"unsupported initialisation from \"%s\" to \"%s\"",
                           value->type, target->type);
    return kScriptOk;
}

// Whether operand a reads as zero; a failure is reported at the instruction's line.
Status OperandIsZero(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                     const ScriptInstruction* instruction, bool* zero)
{
    return ScriptIsZero(vm, module, activation, instruction->a, instruction->fileIndex, instruction->line, zero);
}

} // namespace

Status ScriptOp_Reference(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                          const ScriptInstruction* instruction)
{
    ScriptStack* stack = activation->stack;
    if (!stack)
        return NoStack(vm, module, instruction);
    if (instruction->a >= stack->Count())
        return BadSlot(vm, module, instruction, instruction->a);
    if (instruction->b >= stack->Count() || instruction->b == instruction->a)
        return BadSlot(vm, module, instruction, instruction->b);
    ScriptValue* slot = &stack->slots[instruction->a];
    ScriptValue_Reset(slot);
    slot->type = kScriptTypeCommand;
    slot->value = instruction->b;
    return kScriptOk;
}

Status ScriptOp_BindParam(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                          const ScriptInstruction* instruction)
{
    ScriptStack* stack = activation->stack;
    if (!stack)
        return NoStack(vm, module, instruction);
    if (instruction->a >= stack->Count())
        return BadSlot(vm, module, instruction, instruction->a);
    if (stack->slots[instruction->a].type != kScriptTypeUnknown)
        return kScriptOk; // set already (by the host, or on a resumed run)
    ScriptActivation* caller = ScriptCallerActivation(activation);
    if (!caller || !caller->stack || !activation->function)
        return kScriptOk;
    const std::string& name = ScriptParameterName(activation->function, instruction->b);
    uint32_t found = caller->stack->FindNamed(name.c_str(), name.size());
    if (found == kScriptNone) {
        if (instruction->b == 0)
            return kScriptOk;
        return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                          u"the specified parameter is missing: \"%S\"", name.c_str());
    }
    if (instruction->b == 0) {
        ScriptValue* slot = &stack->slots[instruction->a];
        slot->type = kScriptTypeExtern;
        slot->value = found;
        return kScriptOk;
    }
    ScriptValue* source = nullptr;
    Status status = FollowOperand(vm, module, caller, instruction, found, &source);
    if (status < 0)
        return status;
    return AssignFrom(vm, module, instruction, &stack->slots[instruction->a], source);
}

Status ScriptOp_Declare(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                        const ScriptInstruction* instruction)
{
    if (!activation->stack || !activation->function)
        return NoStack(vm, module, instruction);
    uint32_t slot = 0;
    return ScriptPushSlot(vm, module, activation->function, activation->stack, instruction->a, true,
                          instruction->fileIndex, instruction->line, &slot);
}

Status ScriptOp_Remove(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                       const ScriptInstruction* instruction)
{
    if (!activation->stack)
        return NoStack(vm, module, instruction);
    Status status = ScriptPopSlots(activation->stack, instruction->a);
    if (status < 0)
        return ScriptFail(vm, module, status, instruction->fileIndex, instruction->line,
                          u"too many variables removed (%d)", static_cast<int>(instruction->a));
    return kScriptOk;
}

Status ScriptOp_Assign(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                       const ScriptInstruction* instruction)
{
    if (!activation->stack)
        return NoStack(vm, module, instruction);
    uint32_t sourceIndex = instruction->b;
    if (sourceIndex == kScriptNone) {
        if (activation->stack->Count() == 0)
            return BadSlot(vm, module, instruction, sourceIndex);
        sourceIndex = activation->stack->Count() - 1;
    }
    ScriptValue* target = nullptr;
    ScriptValue* source = nullptr;
    Status status = FollowOperand(vm, module, activation, instruction, instruction->a, &target);
    if (status >= 0)
        status = FollowOperand(vm, module, activation, instruction, sourceIndex, &source);
    if (status < 0)
        return status;
    return AssignFrom(vm, module, instruction, target, source);
}

Status ScriptOp_SetLong(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                        const ScriptInstruction* instruction)
{
    ScriptValue* target = nullptr;
    Status status = FollowOperand(vm, module, activation, instruction, instruction->a, &target);
    if (status < 0)
        return status;
    SetULong(target, instruction->b);
    return kScriptOk;
}

Status ScriptOp_Not(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                    const ScriptInstruction* instruction)
{
    ScriptValue* target = nullptr;
    Status status = FollowOperand(vm, module, activation, instruction, instruction->a, &target);
    if (status < 0)
        return status;
    ScriptValue scratch{};
    const ScriptValue* value = ScriptReadValue(target, &scratch);
    if (value->type != kScriptTypeULong)
        return ScriptFail(vm, module, kScriptUnsupported, instruction->fileIndex, instruction->line,
                          u"unsupported operation \"!\" on a non-integer");
    SetULong(target, value->value == 0 ? 1u : 0u);
    return kScriptOk;
}

Status ScriptOp_Operator(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                         const ScriptInstruction* instruction)
{
    ScriptValue* left = nullptr;
    ScriptValue* right = nullptr;
    Status status = FollowOperand(vm, module, activation, instruction, instruction->a, &left);
    if (status >= 0)
        status = FollowOperand(vm, module, activation, instruction, instruction->b, &right);
    if (status < 0)
        return status;
    ScriptValue leftScratch{};
    ScriptValue rightScratch{};
    const ScriptValue* rightValue = ScriptReadValue(right, &rightScratch);
    if (ScriptReadValue(left, &leftScratch) != left) {
        // A literal is never a left operand of the compiler's code; compute on a copy.
        return ScriptFail(vm, module, kScriptUnsupported, instruction->fileIndex, instruction->line,
                          ScriptOperatorMessage(instruction->opcode), ScriptTypeName(rightValue->type),
                          ScriptTypeName(leftScratch.type));
    }
    uint32_t leftType = left->type;
    ScriptRule rule = ScriptOperatorRule(instruction->opcode, left, rightValue);
    if (rule != ScriptRule::Ok)
        return RuleFailure(vm, module, instruction, rule, ScriptOperatorMessage(instruction->opcode),
                           rightValue->type, leftType);
    return kScriptOk;
}

Status ScriptOp_JumpIfZero(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                           const ScriptInstruction* instruction)
{
    bool zero = false;
    Status status = OperandIsZero(vm, module, activation, instruction, &zero);
    if (status < 0)
        return status;
    if (!zero)
        return kScriptOk;
    activation->position = instruction->b;
    return kScriptControlMoved;
}

Status ScriptOp_LeaveIfZero(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                            const ScriptInstruction* instruction)
{
    bool zero = false;
    Status status = OperandIsZero(vm, module, activation, instruction, &zero);
    if (status < 0)
        return status;
    return zero ? kScriptLeaveBlock : kScriptOk;
}

Status ScriptOp_Return(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*)
{
    return kScriptReturn;
}

Status ScriptOp_Break(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*)
{
    return kScriptBreak;
}

Status ScriptOp_Continue(ScriptVM*, ScriptModule*, ScriptActivation*, const ScriptInstruction*)
{
    return kScriptContinue;
}
