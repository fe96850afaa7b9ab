#include "NimbrelScript/ScriptVM.h"
#include "ScriptInternal.h"

#include <new>

namespace {

// Stacks of ended activations kept for the next ones; beyond this they are freed.
constexpr size_t kSpareStackLimit = 32;

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

// The record a start of (function, block) under `parent` may take over, or null for a new one.
ScriptActivation* FindReusable(ScriptModule* module, ScriptFunction* function, ScriptBlock* block,
                               ScriptActivation* parent)
{
    ScriptActivation* candidate = ScriptLastActivationOf(module, function, block);
    if (!candidate)
        return nullptr;
    // A record that is running above the requested parent (a function reached again through
    // another one) is never taken over: that would cut the running chain.
    if (!ChainsMatch(candidate->parent, parent) || IsOnChain(candidate, parent))
        return nullptr;
    return candidate;
}

ScriptActivation* AppendRecord(ScriptVM* vm, ScriptModule* module)
{
    // Functions calling each other without end would otherwise take all the memory there is.
    if (module->activations.size() >= kScriptActivationLimit) {
        vm->status = kScriptOutOfMemory;
        return nullptr;
    }
    std::unique_ptr<ScriptActivation> created(new (std::nothrow) ScriptActivation);
    if (!created) {
        vm->status = kScriptOutOfMemory;
        return nullptr;
    }
    created->index = static_cast<uint32_t>(module->activations.size());
    module->activations.push_back(std::move(created));
    return module->activations.back().get();
}

ScriptStack* TakeStack(ScriptModule* module, uint32_t owner)
{
    ScriptStack* stack = nullptr;
    if (!module->spareStacks.empty()) {
        stack = module->spareStacks.back().release();
        module->spareStacks.pop_back();
        stack->owner = owner;
        stack->moduleId = kScriptNone;
        return stack;
    }
    return new (std::nothrow) ScriptStack(owner, kScriptNone);
}

void GiveBackStack(ScriptModule* module, ScriptStack* stack)
{
    stack->Clear();
    stack->sharers = 0;
    if (module->spareStacks.size() < kSpareStackLimit) {
        module->spareStacks.emplace_back(stack);
        return;
    }
    delete stack;
}

// Initialises a record for (function, block) under `parent`; false when out of memory (the
// record is then left ended).
bool Initialise(ScriptVM* vm, ScriptModule* module, ScriptActivation* record, ScriptFunction* function,
                ScriptBlock* block, ScriptActivation* parent, ScriptStack* sharedStack)
{
    record->hostWord = parent ? parent->hostWord : 0;
    record->function = function;
    record->block = block;
    record->position = 0;
    record->scope = 0;
    record->busy = 0;
    if (sharedStack) {
        record->stack = sharedStack;
        record->sharedStack = 1;
        ++sharedStack->sharers;
    } else if (function && !function->parent && block == &function->body) {
        record->stack = &ScriptOwnerModule(vm, module, function)->globals;
        record->sharedStack = 1;
        ++record->stack->sharers;
    } else {
        ScriptStack* stack = TakeStack(module, record->index);
        if (!stack) {
            vm->status = kScriptOutOfMemory;
            record->stack = nullptr;
            return false;
        }
        record->stack = stack;
        record->sharedStack = 0;
    }
    record->parent = parent;
    record->child = nullptr;
    if (parent)
        parent->child = record;
    record->generation = ++module->generations;
    return true;
}

// A scope record exists only to carry the global stack for the call below it; once that call
// is gone it has nothing left to do.
void EndIdleScope(ScriptVM* vm, ScriptModule* module, ScriptActivation* scope)
{
    if (scope && scope->scope && scope->stack && !scope->child)
        ScriptEndActivation(vm, module, scope);
}

} // namespace

ScriptActivation* ScriptStartActivation(ScriptVM* vm, ScriptModule* module, ScriptFunction* function,
                                        ScriptBlock* block, ScriptActivation* parent, ScriptStack* sharedStack,
                                        bool reuse)
{
    ScriptActivation* record = FindReusable(module, function, block, parent);
    if (record) {
        // A running record whose chain was cut (no parent any more) belongs to no call that
        // could be continued under a parent: it is started afresh instead.
        const bool orphan = !record->parent && parent;
        if (reuse && record->stack && !orphan)
            return record;
        // Starting afresh ends what the old record was running, all the way down, and the
        // scope it no longer needs.
        ScriptActivation* oldParent = record->parent;
        ScriptEndChain(vm, module, record);
        if (oldParent != parent)
            EndIdleScope(vm, module, oldParent);
    } else {
        record = AppendRecord(vm, module);
        if (!record)
            return nullptr;
        const bool started = Initialise(vm, module, record, function, block, parent, sharedStack);
        ScriptNoteActivation(module, record);
        return started ? record : nullptr;
    }
    if (!Initialise(vm, module, record, function, block, parent, sharedStack))
        return nullptr;
    return record;
}

ScriptActivation* ScriptStartScope(ScriptVM* vm, ScriptModule* module)
{
    // Ended scope records are taken again: a named run needs one each time, and they would
    // otherwise pile up in the array.
    ScriptActivation* record = nullptr;
    for (size_t i = module->activations.size(); i-- > 0;) {
        ScriptActivation* candidate = module->activations[i].get();
        if (candidate->scope && !candidate->stack) {
            record = candidate;
            break;
        }
    }
    if (!record) {
        record = AppendRecord(vm, module);
        if (!record)
            return nullptr;
    }
    ScriptFunction* root = &module->root;
    if (!Initialise(vm, module, record, root, &root->body, nullptr, &module->globals))
        return nullptr;
    record->scope = 1;
    record->position = static_cast<uint32_t>(root->body.instructions.size());
    return record;
}

void ScriptEndActivation(ScriptVM*, ScriptModule* module, ScriptActivation* activation)
{
    if (activation->stack) {
        ScriptStack* stack = activation->stack;
        if (!activation->sharedStack) {
            // Whoever still shares the stack loses it with its owner.
            for (size_t i = 0; stack->sharers > 0 && i < module->activations.size(); ++i) {
                ScriptActivation* other = module->activations[i].get();
                if (other != activation && other->stack == stack) {
                    other->stack = nullptr;
                    other->sharedStack = 0;
                    --stack->sharers;
                }
            }
            GiveBackStack(module, stack);
        } else {
            if (stack->sharers > 0)
                --stack->sharers;
            // A block's locals disappear when the block ends.
            if (!IsRootBody(activation) && activation->block)
                stack->Truncate(activation->block->base);
        }
    }
    activation->stack = nullptr;
    activation->sharedStack = 0;
    activation->busy = 0;
    activation->generation = ++module->generations;
    if (activation->parent && activation->parent->child == activation)
        activation->parent->child = nullptr;
    if (activation->child && activation->child->parent == activation)
        activation->child->parent = nullptr;
    activation->parent = nullptr;
    activation->child = nullptr;
}

void ScriptEndChain(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation)
{
    ScriptActivation* leaf = activation;
    size_t guard = module->activations.size();
    while (leaf->child && guard-- > 0)
        leaf = leaf->child;
    while (leaf && leaf != activation) {
        ScriptActivation* parent = leaf->parent;
        ScriptEndActivation(vm, module, leaf);
        leaf = parent;
    }
    ScriptEndActivation(vm, module, activation);
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
    ++module->epoch;
}

bool ScriptActivationIsLive(const ScriptModule* module, const ScriptActivation* activation)
{
    return module && activation && activation->index < module->activations.size() &&
           module->activations[activation->index].get() == activation && activation->stack;
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
    if (activation->position >= list.size() || list[activation->position].opcode != kScriptOpCallBuiltin)
        return false;
    for (size_t i = activation->position + 1; i < list.size(); ++i) {
        if (list[i].opcode != kScriptOpRemove && list[i].opcode != kScriptOpAssign)
            return false;
    }
    return true;
}
