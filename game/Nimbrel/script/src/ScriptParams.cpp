// The builtin side of a call: reading its arguments, and the result of a call that waited.
#include "NimbrelScript/ScriptHost.h"
#include "ScriptInternal.h"

namespace {

// The slot of argument n of the running call, or null (the stack is never changed).
const ScriptValue* ArgumentSlot(ScriptFunction* builtinNode, ScriptActivation* activation, uint32_t n)
{
    if (!builtinNode || !activation || !activation->stack)
        return nullptr;
    ScriptDeclaration* declaration = ScriptCallVariable(activation->function, builtinNode, n);
    if (!declaration)
        return nullptr;
    const uint32_t index = activation->stack->Find(declaration);
    return index == kScriptNone ? nullptr : &activation->stack->slots[index];
}

} // namespace

uint32_t ScriptPackArgumentCode(uint32_t code)
{
    uint32_t count = 0;
    while (count < kScriptArgSlotLimit && ((code >> (4 * count)) & 0xFu) != 0)
        ++count;
    return (code & 0x0FFFFFFFu) | (count << 28);
}

uint32_t ScriptModule_GetParamLong(ScriptVM*, ScriptModule*, ScriptFunction* builtinNode, ScriptActivation* activation,
                                   uint32_t n)
{
    const ScriptValue* slot = ArgumentSlot(builtinNode, activation, n);
    return slot && slot->type == kScriptTypeULong ? slot->value : 0u;
}

float ScriptModule_GetParamFloat(ScriptVM*, ScriptModule*, ScriptFunction* builtinNode, ScriptActivation* activation,
                                 uint32_t n)
{
    const ScriptValue* slot = ArgumentSlot(builtinNode, activation, n);
    return slot && slot->type == kScriptTypeFloat ? FloatFromBits(slot->value) : 0.0f;
}

const char* ScriptModule_GetParamString(ScriptVM*, ScriptModule*, ScriptFunction* builtinNode,
                                        ScriptActivation* activation, uint32_t n)
{
    const ScriptValue* slot = ArgumentSlot(builtinNode, activation, n);
    return slot && slot->type == kScriptTypeString ? ScriptValue_Text(slot) : nullptr;
}

Status ScriptModule_SetReturnLong(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t value)
{
    // Only a running activation of this module has a call to give a result to.
    if (!ScriptActivationIsLive(module, activation)) {
        if (vm)
            vm->status = kScriptFailed;
        return kScriptFailed;
    }
    const ScriptBlock* block = activation->block;
    if (!block || activation->position == 0 || activation->position > block->instructions.size())
        return kScriptOk;
    const ScriptInstruction& last = block->instructions[activation->position - 1];
    if (last.opcode != kScriptOpCallBuiltin)
        return kScriptOk;
    ScriptFunction* root = &ScriptOwnerModule(vm, module, activation->function)->root;
    if (last.a >= root->functions.size())
        return kScriptOk;
    ScriptDeclaration* declaration = ScriptCallVariable(activation->function, root->functions[last.a].get(), 0);
    const uint32_t index = declaration ? activation->stack->Find(declaration) : kScriptNone;
    if (index == kScriptNone)
        return kScriptOk;
    ScriptValue* slot = &activation->stack->slots[index];
    ScriptValue_Reset(slot);
    slot->type = kScriptTypeULong;
    slot->value = value;
    return kScriptOk;
}
