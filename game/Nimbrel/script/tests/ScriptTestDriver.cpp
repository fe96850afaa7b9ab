#include "ScriptTestDriver.h"

#include "VornelUtils/UtilsString.h"

namespace {

bool IsLoop(const ScriptActivation* activation)
{
    return activation->block->kind == kScriptBlockFor || activation->block->kind == kScriptBlockWhile;
}

ScriptActivation* Leaf(ScriptActivation* activation)
{
    while (activation->child)
        activation = activation->child;
    return activation;
}

Status Execute(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, bool elseSkip)
{
    const ScriptBlock* block = activation->block;
    while (activation->position < block->instructions.size()) {
        const ScriptInstruction* instruction = &block->instructions[activation->position];
        ScriptHandler handler = instruction->opcode < kScriptOpcodeCount ? vm->handlers[instruction->opcode] : nullptr;
        if (!handler)
            return kScriptUnsupported;
        if (elseSkip && instruction->opcode == kScriptOpEnterBlock) {
            const ScriptBlock* target = ScriptGetBlock(activation->function, instruction->b);
            if (target && (target->kind == kScriptBlockElseIf || target->kind == kScriptBlockElse)) {
                activation->position++;
                continue;
            }
        }
        elseSkip = false;
        Status status = handler(vm, module, activation, instruction);
        if (status < 0)
            return status;
        activation->position++;
    }
    return kScriptOk;
}

Status Drive(ScriptVM* vm, ScriptModule* module, ScriptActivation* current)
{
    bool elseSkip = false;
    for (int guard = 0; current && guard < 1000000; ++guard) {
        Status status = Execute(vm, module, current, elseSkip);
        elseSkip = false;
        if (status == kScriptControlMoved) {
            current = Leaf(current);
        } else if (status == kScriptLeaveBlock) {
            ScriptActivation* parent = current->parent;
            ScriptEndActivation(vm, module, current);
            current = parent;
        } else if (status == kScriptContinue || status == kScriptBreak) {
            ScriptActivation* loop = current;
            while (loop && !IsLoop(loop)) {
                ScriptActivation* parent = loop->parent;
                ScriptEndActivation(vm, module, loop);
                loop = parent;
            }
            if (!loop)
                return kScriptOk;
            if (status == kScriptBreak) {
                current = loop->parent;
                ScriptEndActivation(vm, module, loop);
            } else if (loop->block->kind == kScriptBlockFor) {
                loop->position = static_cast<uint32_t>(loop->block->instructions.size()) - 1;
                current = loop;
            } else {
                loop->stack->Truncate(loop->block->base);
                loop->position = 0;
                current = loop;
            }
        } else if (status == kScriptReturn) {
            ScriptFunction* function = current->function;
            while (current && current->function == function) {
                ScriptActivation* parent = current->parent;
                ScriptEndActivation(vm, module, current);
                current = parent;
            }
        } else if (status == kScriptOk) {
            uint32_t kind = current->block->kind;
            if (kind == kScriptBlockFor || kind == kScriptBlockWhile) {
                current->stack->Truncate(current->block->base);
                current->position = 0;
                continue;
            }
            elseSkip = kind == kScriptBlockIf || kind == kScriptBlockElseIf;
            ScriptActivation* parent = current->parent;
            ScriptEndActivation(vm, module, current);
            current = parent;
        } else {
            return status;
        }
    }
    return kScriptOk;
}

} // namespace

Status TestRunTopLevel(ScriptVM* vm, ScriptModule* module)
{
    ScriptActivation* top =
        ScriptStartActivation(vm, module, &module->root, &module->root.body, nullptr, nullptr, false);
    if (!top)
        return kScriptFailed;
    return Drive(vm, module, top);
}

Status TestCompileAndRun(ScriptVM* vm, ScriptModule* module, const std::string& source, Status* compileStatus)
{
    *compileStatus = ScriptModule_CompileMemory(vm, module, source.data(), source.size());
    if (*compileStatus < 0)
        return *compileStatus;
    return TestRunTopLevel(vm, module);
}

const ScriptValue* TestGlobal(ScriptModule* module, const char* name)
{
    uint32_t slot = kScriptNone;
    if (!ScriptFindGlobal(module, name, &slot) || slot == kScriptNone)
        return nullptr;
    const ScriptValue* value = &module->globals.slots[slot];
    for (int hop = 0; value->type == kScriptTypeCommand && hop < 64; ++hop) {
        if (value->value >= module->globals.Count())
            return nullptr;
        value = &module->globals.slots[value->value];
    }
    return value;
}

std::string TestLastError(ScriptVM* vm)
{
    return vm->errorText ? UtilsString_ToUtf8(vm->errorText) : std::string();
}
