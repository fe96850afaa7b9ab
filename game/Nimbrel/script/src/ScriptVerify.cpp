#include "ScriptVerify.h"

#include "NimbrelScript/ScriptText.h"
#include "ScriptInternal.h"

#include <cstdarg>

namespace {

// The most slots the function's stack can hold: its parameters, and one per declare
// instruction of its blocks (a loop's turn gives its slots back before the next one).
uint32_t SlotLimit(const ScriptFunction& function)
{
    uint64_t limit = function.paramCount;
    auto count = [&limit](const ScriptBlock& block) {
        for (const ScriptInstruction& instruction : block.instructions)
            limit += instruction.opcode == kScriptOpDeclare;
    };
    count(function.body);
    for (const auto& block : function.blocks)
        count(*block);
    return limit > kScriptNone - 1 ? kScriptNone - 1 : static_cast<uint32_t>(limit);
}

class TreeCheck {
public:
    TreeCheck(ScriptVM* vm, ScriptModule* module) : m_vm(vm), m_module(module) {}

    Status Function(ScriptFunction& function)
    {
        const uint32_t slots = SlotLimit(function);
        Status status = Block(function, function.body, kScriptNone, slots);
        for (size_t i = 0; status >= 0 && i < function.blocks.size(); ++i)
            status = Block(function, *function.blocks[i], static_cast<uint32_t>(i), slots);
        for (size_t i = 0; status >= 0 && i < function.declarations.size(); ++i) {
            if (function.declarations[i]->constType > kScriptTypeString)
                status = Fault(function, u"a constant of an unknown type");
        }
        for (size_t i = 0; status >= 0 && i < function.functions.size(); ++i)
            status = Function(*function.functions[i]);
        return status;
    }

private:
    Status Block(ScriptFunction& function, const ScriptBlock& block, uint32_t index, uint32_t slots)
    {
        if (block.index != index || block.kind > kScriptBlockWhile)
            return Fault(function, u"a block out of place or of an unknown kind");
        const uint32_t count = static_cast<uint32_t>(block.instructions.size());
        for (const ScriptInstruction& instruction : block.instructions) {
            if (!Instruction(function, instruction, slots, count)) {
                return ScriptVerifyFailure(m_vm, m_module, u"the instruction %u (%u, %u) of \"%S\" names nothing it may",
                                           instruction.opcode, instruction.a, instruction.b, ScriptFuncName(&function));
            }
        }
        return kScriptOk;
    }

    bool Instruction(ScriptFunction& function, const ScriptInstruction& instruction, uint32_t slots, uint32_t count)
    {
        const uint32_t a = instruction.a;
        const uint32_t b = instruction.b;
        const ScriptFunction& root = m_module->root;
        switch (instruction.opcode) {
        case kScriptOpReference: return a < slots && b < slots;
        case kScriptOpBindParam: return a < slots && b < function.paramCount;
        case kScriptOpDeclare: return a < function.declarations.size();
        case kScriptOpRemove: return a <= slots;
        case kScriptOpAssign: return a < slots && (b == kScriptNone || b < slots);
        case kScriptOpSetLong:
        case kScriptOpNot:
        case kScriptOpLeaveIfZero: return a < slots;
        case kScriptOpJumpIfZero: return a < slots && b <= count;
        case kScriptOpCallBuiltin:
            return a < root.functions.size() && b < m_module->builtins.size() &&
                   root.functions[a]->builtinIndex == b;
        case kScriptOpCallFunction: return a < function.functions.size();
        case kScriptOpEnterBlock:
            return ScriptBlockOwner(m_module, &function, a) == &function && b < function.blocks.size();
        case kScriptOpReturn:
        case kScriptOpBreak:
        case kScriptOpContinue: return true;
        default:
            return instruction.opcode >= kScriptOpMul && instruction.opcode <= kScriptOpOr && a < slots && b < slots;
        }
    }

    Status Fault(const ScriptFunction& function, const char16_t* what)
    {
        return ScriptVerifyFailure(m_vm, m_module, u"%s in \"%S\"", what, ScriptFuncName(&function));
    }

    ScriptVM* m_vm;
    ScriptModule* m_module;
};

bool ChainEnds(const ScriptModule* module, const ScriptActivation* record, bool upwards)
{
    size_t steps = 0;
    for (; record; record = upwards ? record->parent : record->child) {
        if (++steps > module->activations.size())
            return false;
    }
    return true;
}

} // namespace

Status ScriptVerifyFailure(ScriptVM* vm, ScriptModule* module, const char16_t* format, ...)
{
    char16_t message[kScriptTextCapacity];
    va_list args;
    va_start(args, format);
    ScriptFormatV(message, kScriptTextCapacity, format, args);
    va_end(args);
    return ScriptFail(vm, module, kScriptFailed, 0, 0, u"%s", message);
}

Status ScriptVerifyTree(ScriptVM* vm, ScriptModule* module)
{
    return TreeCheck(vm, module).Function(module->root);
}

Status ScriptVerifyActivations(ScriptVM* vm, ScriptModule* module)
{
    for (const auto& entry : module->activations) {
        const ScriptActivation* record = entry.get();
        const uint32_t index = record->index;
        if (record->stack && (!record->block || !record->function))
            return ScriptVerifyFailure(vm, module, u"the activation %u runs no block", index);
        if (record->block && record->position > record->block->instructions.size())
            return ScriptVerifyFailure(vm, module, u"the activation %u stands outside its block", index);
        // Only running records are linked, and each link goes both ways.
        const bool linked = record->parent || record->child;
        if ((linked && !record->stack) || (record->parent && record->parent->child != record) ||
            (record->child && record->child->parent != record))
            return ScriptVerifyFailure(vm, module, u"the activation %u is not linked both ways", index);
        if (!ChainEnds(module, record, true) || !ChainEnds(module, record, false))
            return ScriptVerifyFailure(vm, module, u"the activation %u is linked in a circle", index);
        // A global stack is carried by the top-level code of its own module.
        if (record->stack && record->stack->owner == kScriptStackGlobal &&
            (record->function->parent || record->stack != &ScriptOwnerModule(vm, module, record->function)->globals))
            return ScriptVerifyFailure(vm, module, u"the activation %u shares a global stack not its own", index);
    }
    return kScriptOk;
}
