// Writing script state: the global stack, the activation records, the synchronized variables.
#include "NimbrelScript/ScriptState.h"

#include "ScriptBytes.h"

namespace {

void WriteValue(ScriptByteWriter& out, const ScriptValue& slot)
{
    out.U8(slot.type);
    if (slot.type == kScriptTypeString)
        out.String(slot.text);
    else
        out.U32(slot.value);
}

void WriteStack(ScriptByteWriter& out, const ScriptStack& stack)
{
    out.U32(stack.moduleId);
    out.U32(stack.owner);
    out.U32(stack.Count());
    for (const ScriptValue& slot : stack.slots) {
        const ScriptDeclaration* declaration = slot.declaration;
        if (!declaration || !declaration->function) {
            out.U32(kScriptNone);
        } else {
            out.Path(declaration->function->path);
            out.U32(declaration->index);
        }
        WriteValue(out, slot);
    }
}

void WriteActivation(ScriptByteWriter& out, ScriptModule* module, const ScriptActivation& record)
{
    const ScriptFunction* function = record.function ? record.function : &module->root;
    out.U32(record.index);
    out.U32(record.hostWord);
    out.U32(record.position);
    out.U32(function->moduleId);
    out.Path(function->path);
    out.U8(record.block != nullptr);
    if (record.block)
        out.U32(record.block->index);
    out.U8(record.sharedStack);
    out.U8(record.stack != nullptr);
    if (record.stack && record.sharedStack) {
        // A module's global stack is named by its module, another record's stack by its owner.
        const bool global = record.stack->owner == kScriptStackGlobal;
        out.U32(global ? record.stack->moduleId : kScriptNone);
        if (!global)
            out.U32(record.stack->owner);
    } else if (record.stack) {
        WriteStack(out, *record.stack);
    }
    out.U32(record.parent ? record.parent->index : kScriptNone);
    out.U32(record.child ? record.child->index : kScriptNone);
}

uint8_t* Finish(ScriptVM* vm, ScriptByteWriter& out, size_t* length)
{
    uint8_t* buffer = out.Release(length);
    if (!buffer)
        vm->status = kScriptOutOfMemory;
    return buffer;
}

} // namespace

uint8_t* ScriptModule_SaveGlobals(ScriptVM* vm, ScriptModule* module, size_t* length)
{
    ScriptByteWriter out;
    WriteStack(out, module->globals);
    return Finish(vm, out, length);
}

uint8_t* ScriptModule_SaveRunState(ScriptVM* vm, ScriptModule* module, size_t* length)
{
    ScriptByteWriter out;
    out.U32(static_cast<uint32_t>(module->activations.size()));
    for (const auto& record : module->activations)
        WriteActivation(out, module, *record);
    return Finish(vm, out, length);
}

uint8_t* ScriptModule_SaveSynchronized(ScriptVM* vm, ScriptModule* module, size_t* length)
{
    auto saved = [](const ScriptValue& slot) {
        return slot.declaration && (slot.declaration->attributes & kScriptAttrSynchronized) &&
               !slot.declaration->name.empty();
    };
    uint32_t count = 0;
    for (const ScriptValue& slot : module->globals.slots)
        count += saved(slot);
    ScriptByteWriter out;
    out.U32(count);
    for (uint32_t i = 0; i < module->globals.Count(); ++i) {
        const ScriptValue& slot = module->globals.slots[i];
        if (!saved(slot))
            continue;
        out.String(slot.declaration->name.c_str());
        out.U8(slot.type);
        out.U32(i);
        if (slot.type == kScriptTypeString)
            out.String(slot.text);
        else
            out.U32(slot.value);
    }
    return Finish(vm, out, length);
}
