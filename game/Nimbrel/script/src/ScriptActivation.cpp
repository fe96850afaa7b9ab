#include "NimbrelScript/ScriptVM.h"
#include "ScriptInternal.h"

#include <new>

namespace {

// Two chains of activations run the same functions as far as both go.
bool ChainsMatch(const ScriptActivation* a, const ScriptActivation* b)
{
    for (; a && b; a = a->parent, b = b->parent) {
        if (a->function != b->function)
            return false;
    }
    return true;
}

bool IsOnChain(const ScriptActivation* record, const ScriptActivation* chain)
{
    for (; chain; chain = chain->parent) {
        if (chain == record)
            return true;
    }
    return false;
}

bool IsRootBody(const ScriptActivation* activation)
{
    return activation->function && !activation->function->parent && activation->block == &activation->function->body;
}

} // namespace

ScriptActivation* ScriptStartActivation(ScriptVM* vm, ScriptModule* module, ScriptFunction* function,
                                        ScriptBlock* block, ScriptActivation* parent, ScriptStack* sharedStack,
                                        bool reuse)
{
    ScriptActivation* record = nullptr;
    for (size_t i = module->activations.size(); i-- > 0;) {
        ScriptActivation* candidate = module->activations[i].get();
        if (candidate->block == block && candidate->function == function) {
            // A record that is running above the requested parent (a function reached again
            // through another one) is never taken over: that would cut the running chain.
            if (ChainsMatch(candidate->parent, parent) && !IsOnChain(candidate, parent))
                record = candidate;
            break;
        }
    }
    if (record) {
        if (reuse && record->stack)
            return record;
        ScriptEndActivation(vm, module, record);
    } else {
        std::unique_ptr<ScriptActivation> created(new (std::nothrow) ScriptActivation);
        if (!created) {
            vm->status = kScriptOutOfMemory;
            return nullptr;
        }
        created->index = static_cast<uint32_t>(module->activations.size());
        module->activations.push_back(std::move(created));
        record = module->activations.back().get();
    }

    record->hostWord = parent ? parent->hostWord : 0;
    record->parent = parent;
    record->child = nullptr;
    if (parent)
        parent->child = record;
    record->function = function;
    record->block = block;
    record->position = 0;
    if (sharedStack) {
        record->stack = sharedStack;
        record->sharedStack = 1;
    } else if (function && !function->parent && block == &function->body) {
        record->stack = &ScriptOwnerModule(vm, module, function)->globals;
        record->sharedStack = 1;
    } else {
        ScriptStack* stack = new (std::nothrow) ScriptStack(record->index, kScriptNone);
        if (!stack) {
            if (parent)
                parent->child = nullptr;
            record->parent = nullptr;
            vm->status = kScriptOutOfMemory;
            return nullptr;
        }
        record->stack = stack;
        record->sharedStack = 0;
    }
    return record;
}

void ScriptEndActivation(ScriptVM*, ScriptModule* module, ScriptActivation* activation)
{
    if (activation->stack) {
        if (!activation->sharedStack) {
            for (auto& other : module->activations) {
                if (other.get() != activation && other->stack == activation->stack) {
                    other->stack = nullptr;
                    other->sharedStack = 0;
                }
            }
            delete activation->stack;
        } else if (!IsRootBody(activation) && activation->block) {
            // A block's locals disappear when the block ends.
            activation->stack->Truncate(activation->block->base);
        }
    }
    activation->stack = nullptr;
    activation->sharedStack = 0;
    if (activation->parent && activation->parent->child == activation)
        activation->parent->child = nullptr;
    if (activation->child && activation->child->parent == activation)
        activation->child->parent = nullptr;
    activation->parent = nullptr;
    activation->child = nullptr;
}

void ScriptModule_StopAll(ScriptVM* vm, ScriptModule* module)
{
    for (size_t i = module->activations.size(); i-- > 0;) {
        ScriptActivation* activation = module->activations[i].get();
        if (activation->stack && activation->sharedStack)
            ScriptEndActivation(vm, module, activation);
    }
    for (size_t i = module->activations.size(); i-- > 0;) {
        ScriptActivation* activation = module->activations[i].get();
        if (activation->stack)
            ScriptEndActivation(vm, module, activation);
    }
    module->activations.clear();
}

ScriptActivation* ScriptCallerActivation(ScriptActivation* activation)
{
    if (!activation)
        return nullptr;
    ScriptActivation* current = activation;
    while (current->parent && current->parent->function == activation->function)
        current = current->parent;
    return current->parent;
}

bool ScriptIsTailCall(const ScriptActivation* activation)
{
    const ScriptFunction* function = activation->function;
    const ScriptBlock* block = activation->block;
    if (!function || !block || block != &function->body)
        return false;
    if (!function->parent || function->parent->parent)
        return false;
    const auto& list = block->instructions;
    if (activation->position >= list.size() || list[activation->position].opcode != 21)
        return false;
    for (size_t i = activation->position + 1; i < list.size(); ++i) {
        if (list[i].opcode != 3 && list[i].opcode != 4)
            return false;
    }
    return true;
}
