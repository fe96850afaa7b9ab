// Reading script state back: the global stack and the activation records.
#include "NimbrelScript/ScriptState.h"
#include "NimbrelScript/ScriptHost.h"

#include "ScriptBytes.h"
#include "ScriptInternal.h"
#include "ScriptStackInline.h"
#include "ScriptVerify.h"

#include <new>
#include <string>
#include <vector>

namespace {

// Smallest records, for checking counts against the bytes left.
constexpr size_t kSlotBytes = 4 + 1 + 4;
constexpr size_t kActivationBytes = 4 * 5 + 4 + 1 + 1 + 1 + 4 + 4;

// The function at the end of a path of ids from the module's root (the first id is the
// root's own); null when an id leads nowhere.
ScriptFunction* FunctionAt(ScriptModule* module, const std::vector<uint32_t>& path)
{
    if (path.empty() || path[0] != kScriptNone)
        return nullptr;
    ScriptFunction* function = &module->root;
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] >= function->functions.size())
            return nullptr;
        function = function->functions[path[i]].get();
    }
    return function;
}

class StateReader {
public:
    StateReader(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length)
        : m_vm(vm), m_module(module), m_in(buffer, length)
    {
    }

    // Reads a stack record's slots onto `stack`; declarations are looked up in `owner`.
    Status Stack(ScriptStack* stack, ScriptModule* owner)
    {
        uint32_t moduleWord = 0, ownerWord = 0, count = 0;
        if (!m_in.U32(&moduleWord) || !m_in.U32(&ownerWord) || !m_in.U32(&count) || !m_in.Holds(count, kSlotBytes))
            return kScriptFailed;
        stack->slots.reserve(stack->Count() + count);
        for (uint32_t i = 0; i < count; ++i) {
            ScriptDeclaration* declaration = nullptr;
            uint32_t depth = 0;
            if (!m_in.U32(&depth))
                return kScriptFailed;
            if (depth != kScriptNone) {
                std::vector<uint32_t> path;
                uint32_t index = 0;
                if (!m_in.Path(depth, &path) || !m_in.U32(&index))
                    return kScriptFailed;
                ScriptFunction* function = FunctionAt(owner, path);
                if (!function || index >= function->declarations.size())
                    return kScriptFailed;
                declaration = function->declarations[index].get();
            }
            uint8_t type = 0;
            uint32_t value = 0;
            char* text = nullptr;
            if (!m_in.U8(&type) || type > kScriptTypeLinked)
                return kScriptFailed;
            if (type == kScriptTypeString ? !m_in.StringDup(&text) : !m_in.U32(&value))
                return kScriptFailed;
            ScriptValue& slot = stack->slots[ScriptStackPush(stack, declaration)];
            slot.type = type;
            slot.value = value;
            slot.text = text;
        }
        return kScriptOk;
    }

    Status RunState()
    {
        uint32_t count = 0;
        if (!m_in.U32(&count) || !m_in.Holds(count, kActivationBytes) || count > kScriptActivationLimit)
            return kScriptFailed;
        std::vector<ScriptActivation*> records(count);
        for (uint32_t i = 0; i < count; ++i) {
            std::unique_ptr<ScriptActivation> record(new (std::nothrow) ScriptActivation);
            if (!record)
                return ScriptStore(m_vm, kScriptOutOfMemory);
            record->index = i;
            records[i] = record.get();
            m_module->activations.push_back(std::move(record));
        }
        // Links and shared stacks are made once every record exists.
        std::vector<uint32_t> parents(count), children(count), owners(count, kScriptNone);
        for (uint32_t i = 0; i < count; ++i) {
            const Status status = Activation(records[i], &parents[i], &children[i], &owners[i]);
            if (status < 0)
                return status;
        }
        for (uint32_t i = 0; i < count; ++i) {
            ScriptActivation* record = records[i];
            if (owners[i] != kScriptNone) {
                ScriptActivation* owner = owners[i] < count ? records[owners[i]] : nullptr;
                if (!owner || owner->sharedStack || !owner->stack)
                    return kScriptFailed;
                record->stack = owner->stack;
                ++record->stack->sharers;
            }
            if ((parents[i] != kScriptNone && parents[i] >= count) || (children[i] != kScriptNone && children[i] >= count))
                return kScriptFailed;
            record->parent = parents[i] == kScriptNone ? nullptr : records[parents[i]];
            record->child = children[i] == kScriptNone ? nullptr : records[children[i]];
        }
        return kScriptOk;
    }

private:
    Status Activation(ScriptActivation* record, uint32_t* parent, uint32_t* child, uint32_t* stackOwner)
    {
        uint32_t index = 0, moduleId = 0, depth = 0;
        std::vector<uint32_t> path;
        if (!m_in.U32(&index) || index != record->index || !m_in.U32(&record->hostWord) ||
            !m_in.U32(&record->position) || !m_in.U32(&moduleId) || !m_in.U32(&depth) || !m_in.Path(depth, &path))
            return kScriptFailed;
        ScriptModule* owner = ScriptVM_GetModule(m_vm, moduleId);
        record->function = owner ? FunctionAt(owner, path) : nullptr;
        if (!record->function)
            return kScriptFailed;

        uint8_t hasBlock = 0, shared = 0, hasStack = 0;
        if (!m_in.U8(&hasBlock) || hasBlock > 1)
            return kScriptFailed;
        if (hasBlock) {
            uint32_t block = 0;
            if (!m_in.U32(&block))
                return kScriptFailed;
            record->block = ScriptGetBlock(record->function, block);
            if (!record->block)
                return kScriptFailed;
        }
        if (!m_in.U8(&shared) || shared > 1 || !m_in.U8(&hasStack) || hasStack > 1)
            return kScriptFailed;
        record->sharedStack = shared;
        if (hasStack && shared) {
            uint32_t moduleWord = 0;
            if (!m_in.U32(&moduleWord))
                return kScriptFailed;
            if (moduleWord == kScriptNone) {
                if (!m_in.U32(stackOwner) || *stackOwner == kScriptNone)
                    return kScriptFailed;
            } else {
                ScriptModule* holder = ScriptVM_GetModule(m_vm, moduleWord);
                if (!holder)
                    return kScriptFailed;
                record->stack = &holder->globals;
                ++record->stack->sharers;
            }
        } else if (hasStack) {
            ScriptStack* stack = new (std::nothrow) ScriptStack(record->index, kScriptNone);
            if (!stack)
                return ScriptStore(m_vm, kScriptOutOfMemory);
            record->stack = stack;
            const Status status = Stack(stack, owner);
            if (status < 0)
                return status;
        }
        if (!m_in.U32(parent) || !m_in.U32(child))
            return kScriptFailed;
        // A record that only carries the global stack for a named run stands at the end of
        // the root's body.
        record->scope = !record->function->parent && record->block == &record->function->body &&
                        record->position >= record->block->instructions.size() && record->sharedStack;
        record->generation = ++m_module->generations;
        return kScriptOk;
    }

    ScriptVM* m_vm;
    ScriptModule* m_module;
    ScriptByteReader m_in;
};

} // namespace

Status ScriptModule_LoadGlobals(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length)
{
    module->globals.Clear();
    module->globals.owner = kScriptStackGlobal;
    module->globals.moduleId = module->id;
    const Status status = StateReader(vm, module, buffer, length).Stack(&module->globals, module);
    return status < 0 ? ScriptStore(vm, status) : kScriptOk;
}

Status ScriptModule_LoadRunState(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length)
{
    ScriptModule_StopAll(vm, module);
    Status status = StateReader(vm, module, buffer, length).RunState();
    if (status >= 0)
        status = ScriptVerifyActivations(vm, module);
    // The records' places are new: whatever a block remembered of the old array goes.
    ++module->epoch;
    if (status < 0) {
        // Half-linked records must never run.
        ScriptModule_StopAll(vm, module);
        return ScriptStore(vm, status);
    }
    return kScriptOk;
}

Status ScriptModule_LoadSynchronized(ScriptVM* vm, ScriptModule* module, const void* buffer, size_t length)
{
    ScriptByteReader in(buffer, length);
    uint32_t count = 0;
    // A record holds a name (u32 and its terminator), the type, the index and a u32 value.
    if (!in.U32(&count) || !in.Holds(count, 4 + 1 + 1 + 4 + 4))
        return ScriptStore(vm, kScriptFailed);
    // Values that no longer fit are skipped, so the lookups' own codes do not stay behind.
    const Status before = vm->status;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        uint8_t type = 0;
        uint32_t index = 0;
        if (!in.String(&name) || !in.U8(&type) || !in.U32(&index))
            return ScriptStore(vm, kScriptFailed);
        Status status = kScriptOk;
        if (type == kScriptTypeString) {
            std::string text;
            bool isNull = false;
            if (!in.String(&text, &isNull))
                return ScriptStore(vm, kScriptFailed);
            status = ScriptModule_SetString(vm, module, name.c_str(), text.c_str(), false);
        } else {
            uint32_t value = 0;
            if (!in.U32(&value))
                return ScriptStore(vm, kScriptFailed);
            if (type == kScriptTypeULong)
                status = ScriptModule_SetLong(vm, module, name.c_str(), value, false);
            else if (type == kScriptTypeFloat)
                status = ScriptModule_SetFloat(vm, module, name.c_str(), FloatFromBits(value), false);
        }
        if (status == kScriptOutOfMemory)
            return status;
    }
    vm->status = before;
    return kScriptOk;
}
