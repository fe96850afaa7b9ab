#include "NimbrelScript/ScriptVM.h"

#include "VornelUtils/UtilsString.h"

#include <new>

Status ScriptModule_RegisterBuiltin(ScriptVM* vm, ScriptModule* module, const char* name,
                                    ScriptBuiltinFunction function, uint32_t argumentCode, uintptr_t bound1,
                                    uintptr_t bound2)
{
    if (!name)
        return kScriptFailed;
    ScriptBuiltin* record = nullptr;
    for (auto& builtin : module->builtins) {
        if (StringCompareA(builtin->name.c_str(), name) == 0) {
            record = builtin.get();
            break;
        }
    }
    if (!record) {
        std::unique_ptr<ScriptBuiltin> created(new (std::nothrow) ScriptBuiltin);
        if (!created) {
            vm->status = kScriptOutOfMemory;
            return kScriptOutOfMemory;
        }
        created->index = static_cast<uint32_t>(module->builtins.size());
        module->builtins.push_back(std::move(created));
        record = module->builtins.back().get();
    }
    record->name = name;
    record->function = function;
    record->argumentCode = argumentCode;
    record->bound1 = bound1;
    record->bound2 = bound2;
    return kScriptOk;
}

Status ScriptBindBuiltin(ScriptVM* vm, ScriptModule* module, ScriptBuiltin* builtin)
{
    ScriptFunction* node = ScriptNewFunction(&module->root, builtin->name.c_str(), kScriptAttrExported, 0, 0);
    if (!node) {
        vm->status = kScriptOutOfMemory;
        return kScriptOutOfMemory;
    }
    node->builtinIndex = builtin->index;
    return kScriptOk;
}

Status ScriptBindBuiltins(ScriptVM* vm, ScriptModule* module)
{
    for (auto& builtin : module->builtins) {
        Status status = ScriptBindBuiltin(vm, module, builtin.get());
        if (status < 0)
            return status;
    }
    return kScriptOk;
}
