// Handlers that start other code: builtin calls (21), function calls (22) and child blocks (23),
// and the handler table.
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptText.h"
#include "ScriptInternal.h"

#include "VornelUtils/UtilsMemory.h"

namespace {

void DropResult(ScriptBuiltinResult* result)
{
    if (result->text) {
        UTILS_FREE(result->text);
        result->text = nullptr;
    }
}

// Stores a builtin's result in the caller's result variable "_%s_0_".
Status StoreBuiltinResult(ScriptVM* vm, ScriptActivation* activation, ScriptFunction* node,
                          ScriptBuiltinResult* result)
{
    ScriptDeclaration* declaration = ScriptCallVariable(activation->function, node, 0);
    uint32_t index = declaration && activation->stack ? activation->stack->Find(declaration) : kScriptNone;
    if (index == kScriptNone || result->type > kScriptTypeString) {
        DropResult(result);
        vm->status = kScriptFailed;
        return kScriptFailed;
    }
    ScriptValue* slot = &activation->stack->slots[index];
    ScriptValue_Reset(slot);
    if (result->type == kScriptTypeUnknown) {
        slot->type = kScriptTypeULong;
        slot->value = 1;
    } else {
        slot->type = static_cast<uint8_t>(result->type);
        slot->value = result->type == kScriptTypeString ? 0 : result->value;
        slot->text = result->type == kScriptTypeString ? result->text : nullptr;
        if (result->type != kScriptTypeString)
            DropResult(result);
        result->text = nullptr;
    }
    return kScriptOk;
}

Status FunctionMissing(ScriptVM* vm, ScriptModule* module, const ScriptInstruction* instruction, const char* name)
{
    return ScriptFail(vm, module, kScriptFunctionMissing, instruction->fileIndex, instruction->line,
                      u"the specified function is missing: \"%S\"", name);
}

} // namespace

ScriptFunction* ScriptBlockOwner(ScriptModule* module, ScriptFunction* running, uint32_t index)
{
    ScriptFunction* root = running;
    while (root && root->parent)
        root = root->parent;
    if (!root)
        root = &module->root;
    if (index == kScriptNone)
        return root;
    return index < root->functions.size() ? root->functions[index].get() : nullptr;
}

ScriptFunction* ScriptResolveCallee(ScriptModule* module, ScriptFunction* running, uint32_t childIndex)
{
    if (!running || childIndex >= running->functions.size())
        return nullptr;
    ScriptFunction* node = running->functions[childIndex].get();
    ScriptFunction* callee = node;
    if (node->attributes & kScriptAttrLinked) {
        callee = ScriptFindLinkedFunction(module, node->name.c_str());
    } else if (node->attributes & kScriptAttrByName) {
        callee = ScriptFindFunction(module, running, node->name.c_str(), kScriptAttrOwn, true, false);
    } else if (!(node->attributes & kScriptAttrOwn)) {
        callee = nullptr;
    }
    if (callee && callee->builtinIndex != kScriptNone)
        callee = nullptr;
    return callee;
}

Status ScriptOp_CallBuiltin(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                            const ScriptInstruction* instruction)
{
    // The builtin was bound in the module the calling function was compiled in.
    ScriptModule* owner = ScriptOwnerModule(vm, module, activation->function);
    ScriptBuiltin* builtin =
        instruction->b < owner->builtins.size() ? owner->builtins[instruction->b].get() : nullptr;
    ScriptFunction* node =
        instruction->a < owner->root.functions.size() ? owner->root.functions[instruction->a].get() : nullptr;
    if (!builtin || !builtin->function || !node || !activation->stack)
        return FunctionMissing(vm, module, instruction, builtin ? builtin->name.c_str() : ScriptFuncName(node));
    // What tells afterwards whether the calling activation is still the one that called: the
    // builtin may stop it, start it afresh, clear its module or destroy it.
    const uint32_t moduleId = module->id;
    const uint64_t serial = module->serial;
    const uint32_t callerIndex = activation->index;
    const uint64_t generation = activation->generation;
    const uint32_t tail = ScriptIsTailCall(activation) ? 1u : 0u;
    ScriptBuiltinResult result{};
    activation->busy = 1;
    Status status = builtin->function(vm, module, node, activation, activation->hostWord, builtin->argumentCode,
                                      &builtin->bound1, &builtin->bound2, tail, &result, instruction->fileIndex,
                                      instruction->line);
    const bool alive = ScriptModuleIsLive(vm, moduleId, serial) && callerIndex < module->activations.size() &&
                       module->activations[callerIndex].get() == activation &&
                       activation->generation == generation && activation->stack;
    if (alive)
        activation->busy = 0;
    if (status >= 0 || status == kScriptBuiltinResult || status == kScriptBuiltinNoResult || status == kScriptWait) {
        if (!alive) {
            DropResult(&result);
            return kScriptCallerStopped;
        }
        if (status == kScriptBuiltinResult)
            return StoreBuiltinResult(vm, activation, node, &result);
        DropResult(&result);
        return status == kScriptWait ? kScriptWait : kScriptOk;
    }
    DropResult(&result);
    return status;
}

Status ScriptOp_CallFunction(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                             const ScriptInstruction* instruction)
{
    ScriptFunction* running = activation->function;
    // What a call node calls changes only when some module's code changes.
    ScriptFunction* node = running && instruction->a < running->functions.size()
                               ? running->functions[instruction->a].get()
                               : nullptr;
    ScriptFunction* callee = node && node->calleeEpoch == vm->codeEpoch ? node->callee : nullptr;
    if (!callee) {
        callee = ScriptResolveCallee(ScriptOwnerModule(vm, module, running), running, instruction->a);
        if (callee && node) {
            node->callee = callee;
            node->calleeEpoch = vm->codeEpoch;
        }
    }
    if (!callee) {
        const char* name = running && instruction->a < running->functions.size()
                               ? running->functions[instruction->a]->name.c_str()
                               : "(null)";
        return FunctionMissing(vm, module, instruction, name);
    }
    ScriptActivation* child = ScriptStartActivation(vm, module, callee, &callee->body, activation, nullptr, false);
    if (!child)
        return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                          u"out of memory calling \"%S\"", ScriptFuncName(callee));
    activation->position++;
    return kScriptControlMoved;
}

Status ScriptOp_EnterBlock(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation,
                           const ScriptInstruction* instruction)
{
    ScriptFunction* owner = ScriptBlockOwner(module, activation->function, instruction->a);
    ScriptBlock* block = owner && instruction->b != kScriptNone ? ScriptGetBlock(owner, instruction->b) : nullptr;
    if (!block || owner != activation->function || !activation->stack)
        return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                          u"invalid block (%d)", static_cast<int>(instruction->b));
    ScriptActivation* child =
        ScriptStartActivation(vm, module, owner, block, activation, activation->stack, false);
    if (!child)
        return ScriptFail(vm, module, kScriptFailed, instruction->fileIndex, instruction->line,
                          u"out of memory entering a block");
    activation->position++;
    return kScriptControlMoved;
}

ScriptHandler ScriptHandlerFor(uint32_t opcode)
{
    static const ScriptHandler kHandlers[kScriptOpcodeCount] = {
        ScriptOp_Reference,   ScriptOp_BindParam,  ScriptOp_Declare,     ScriptOp_Remove,    ScriptOp_Assign,
        ScriptOp_SetLong,     ScriptOp_Not,        ScriptOp_Operator,    ScriptOp_Operator,  ScriptOp_Operator,
        ScriptOp_Operator,    ScriptOp_Operator,   ScriptOp_Operator,    ScriptOp_Operator,  ScriptOp_Operator,
        ScriptOp_Operator,    ScriptOp_Operator,   ScriptOp_Operator,    ScriptOp_Operator,  ScriptOp_JumpIfZero,
        ScriptOp_LeaveIfZero, ScriptOp_CallBuiltin, ScriptOp_CallFunction, ScriptOp_EnterBlock, ScriptOp_Return,
        ScriptOp_Break,       ScriptOp_Continue,
    };
    return opcode < kScriptOpcodeCount ? kHandlers[opcode] : nullptr;
}

void ScriptInstallHandlers(ScriptVM* vm)
{
    for (uint32_t opcode = 0; opcode < kScriptOpcodeCount; ++opcode)
        vm->handlers[opcode] = ScriptHandlerFor(opcode);
}
