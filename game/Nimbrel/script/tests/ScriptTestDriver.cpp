#include "ScriptTestDriver.h"

#include "NimbrelScript/ScriptRun.h"
#include "VornelUtils/UtilsString.h"

Status TestRunTopLevel(ScriptVM* vm, ScriptModule* module)
{
    return ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume);
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
