#include "ScriptCompileInternal.h"

#include <cstdarg>
#include <vector>

#include "NimbrelScript/ScriptText.h"

Status ScriptCompiling::Fail(Status status, const char16_t* format, ...)
{
    std::vector<char16_t> message(kScriptTextCapacity);
    va_list args;
    va_start(args, format);
    ScriptFormatV(message.data(), message.size(), format, args);
    va_end(args);
    return ScriptFail(vm, module, status, fileIndex, line, u"%s", message.data());
}

Status ScriptCompiling::UnexpectedEnd()
{
    return Fail(kScriptSyntax, u"the statement ends too early");
}

Status ScriptCompiling::EmitInto(ScriptBlock* block, uint32_t opcode, uint32_t a, uint32_t b)
{
    return ScriptEmit(vm, module, state->function, block, opcode, a, b, fileIndex, line);
}

Status ScriptCompiling::Emit(uint32_t opcode, uint32_t a, uint32_t b)
{
    return EmitInto(state->block, opcode, a, b);
}

Status ScriptCompiling::Declare(ScriptDeclaration* declaration, uint32_t* slot)
{
    Status status = ScriptPushSlot(vm, module, state->function, state->stack, declaration->index, true, fileIndex,
                                   line, slot);
    if (status < 0)
        return status;
    return Emit(kScriptOpDeclare, declaration->index, 0);
}

Status ScriptCompiling::Remove(uint32_t count)
{
    if (count > Count())
        return Fail(kScriptInternalError, u"internal error \"%s\"", u"remove");
    Status status = Emit(kScriptOpRemove, count, 0);
    if (status < 0)
        return status;
    return ScriptPopSlots(state->stack, count);
}

Status ScriptCompiling::NewTemporary(uint32_t* slot)
{
    ScriptDeclaration* declaration = ScriptNewDeclaration(state->function, nullptr, kScriptAttrOwn, fileIndex, line);
    if (!declaration)
        return Fail(kScriptOutOfMemory, u"out of memory");
    return Declare(declaration, slot);
}

Status ScriptCompiling::Reference(uint32_t result, uint32_t target, bool globalReference)
{
    if (result >= Count() || target >= Count())
        return Fail(kScriptInternalError,
                    u"internal error \"index_ret >= tab_variable_stack_current || index_in >= tab_variable_stack_current\"");
    if (target == result || (target > result && !globalReference))
        return Fail(kScriptInternalError, u"internal error \"index_ret < _variable_index\"");
    Status status = Emit(kScriptOpReference, result, target);
    if (status < 0)
        return status;
    ScriptValue& slot = state->stack->slots[result];
    ScriptValue_Reset(&slot);
    slot.type = kScriptTypeCommand;
    slot.value = target;
    return kScriptOk;
}

Status ScriptCompiling::Combine(uint32_t opcode, uint32_t result, uint32_t operand)
{
    if (result >= Count() || operand >= Count())
        return Fail(kScriptInternalError,
                    u"internal error \"index_ret >= tab_variable_stack_current || index_in >= tab_variable_stack_current\"");
    return Emit(opcode, result, operand);
}

Status ScriptCompiling::OpenChildBlock(uint32_t kind, ScriptBlock* parent, ScriptBlock** block)
{
    ScriptBlock* child = ScriptNewBlock(state->function, kind, parent);
    if (!child)
        return Fail(kScriptOutOfMemory, u"out of memory");
    child->base = Count();
    *block = child;
    return EmitInto(parent, kScriptOpEnterBlock, FunctionOperand(), child->index);
}
