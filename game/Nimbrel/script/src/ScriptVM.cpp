#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptVM.h"
#include "ScriptInternal.h"

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

#include <new>

namespace {

void InitRoot(ScriptModule* module)
{
    ScriptFunction& root = module->root;
    root.Reset();
    root.attributes = kScriptAttrOwn;
    root.id = kScriptNone;
    root.fileIndex = 0;
    root.line = 0;
    root.builtinIndex = kScriptNone;
    root.name.clear();
    root.parent = nullptr;
    root.depth = 1;
    root.path.assign(1, kScriptNone);
    root.moduleId = module->id;
}

} // namespace

ScriptModule* ScriptOwnerModule(ScriptVM* vm, ScriptModule* module, const ScriptFunction* function)
{
    if (function) {
        ScriptModule* owner = ScriptVM_GetModule(vm, function->moduleId);
        if (owner)
            return owner;
    }
    return module;
}

ScriptVM* ScriptVM_Create()
{
    ScriptVM* vm = new (std::nothrow) ScriptVM;
    if (vm)
        ScriptInstallHandlers(vm);
    return vm;
}

void ScriptVM_Destroy(ScriptVM* vm)
{
    if (!vm)
        return;
    for (ScriptModule*& module : vm->modules) {
        if (module) {
            ScriptModule_Clear(vm, module, true);
            delete module;
            module = nullptr;
        }
    }
    if (vm->errorText)
        UTILS_FREE(vm->errorText);
    delete vm;
}

bool ScriptModuleIsLive(const ScriptVM* vm, uint32_t moduleId, uint64_t serial)
{
    return vm && moduleId < vm->modules.size() && vm->modules[moduleId] && vm->modules[moduleId]->serial == serial;
}

ScriptModule* ScriptVM_GetModule(ScriptVM* vm, uint32_t id)
{
    if (!vm || id >= vm->modules.size())
        return nullptr;
    return vm->modules[id];
}

ScriptModule* ScriptModule_Create(ScriptVM* vm, ScriptModule* linked)
{
    ScriptModule* module = new (std::nothrow) ScriptModule;
    if (!module) {
        vm->status = kScriptOutOfMemory;
        return nullptr;
    }
    size_t slot = 0;
    while (slot < vm->modules.size() && vm->modules[slot])
        ++slot;
    if (slot == vm->modules.size())
        vm->modules.push_back(nullptr);
    vm->modules[slot] = module;
    module->id = static_cast<uint32_t>(slot);
    module->serial = ++vm->nextSerial;
    module->state = 1;
    module->linked = linked;
    module->globals.owner = kScriptStackGlobal;
    module->globals.moduleId = module->id;
    InitRoot(module);
    return module;
}

void ScriptModule_Clear(ScriptVM* vm, ScriptModule* module, bool withBuiltins)
{
    module->state = 0;
    ++vm->codeEpoch;
    ScriptModule_StopAll(vm, module);
    // Calls into this module's functions made from other modules run in those modules'
    // arrays; they go before the code they run is freed.
    for (ScriptModule* other : vm->modules) {
        if (!other || other == module)
            continue;
        for (size_t i = other->activations.size(); i-- > 0;) {
            ScriptActivation* activation = other->activations[i].get();
            if (activation->stack && activation->function && activation->function->moduleId == module->id) {
                ScriptActivation* parent = activation->parent;
                ScriptEndChain(vm, other, activation);
                if (parent && parent->scope && parent->stack && !parent->child)
                    ScriptEndActivation(vm, other, parent);
            }
        }
    }
    module->globals.Clear();
    InitRoot(module);
    if (withBuiltins)
        module->builtins.clear();
    module->fileNames.clear();
}

Status ScriptModule_Destroy(ScriptVM* vm, ScriptModule* module)
{
    if (!vm || !module || module->id >= vm->modules.size() || vm->modules[module->id] != module)
        return kScriptFailed;
    ScriptModule_Clear(vm, module, true);
    vm->modules[module->id] = nullptr;
    for (ScriptModule* other : vm->modules) {
        if (other && other->linked == module)
            other->linked = nullptr;
    }
    delete module;
    return kScriptOk;
}

uint32_t ScriptModule_AddFileNameA(ScriptVM*, ScriptModule* module, const char* name)
{
    module->fileNames.emplace_back(name ? name : "");
    return static_cast<uint32_t>(module->fileNames.size() - 1);
}

uint32_t ScriptModule_AddFileName(ScriptVM* vm, ScriptModule* module, const char16_t* name)
{
    char* narrow = UtilsString_DupWToA(name ? name : u"");
    if (!narrow)
        return kScriptNone;
    uint32_t index = ScriptModule_AddFileNameA(vm, module, narrow);
    UTILS_FREE(narrow);
    return index;
}

const char* ScriptModule_GetFileName(ScriptVM*, ScriptModule* module, uint32_t index)
{
    if (!module || index >= module->fileNames.size())
        return "unknown";
    return module->fileNames[index].c_str();
}

uint32_t ScriptModule_GetFileCount(const ScriptModule* module)
{
    return static_cast<uint32_t>(module->fileNames.size());
}
