// Saved script state through the globals and run-state readers: any bytes must load or be
// refused with a status; a run state that loads is continued, which must stay inside the
// module's code and stacks.
#include <cstddef>
#include <cstdint>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptState.h"

namespace {

Status Trace(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t, uintptr_t*, uintptr_t*,
             uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    return kScriptBuiltinNoResult;
}

Status Wait(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t, uintptr_t*, uintptr_t*,
            uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    return kScriptWait;
}

// The script the seeds were saved from by `vornel script run --save-state` (a wait inside a
// loop inside a helper), with the same two builtins.
const char kSource[] = "var label = \"turn\";\n"
                       "var count = 3;\n"
                       "var ratio = 0.5;\n"
                       "synchronized var visits = 4;\n"
                       "function gather(n) {\n"
                       "    var sum = 0;\n"
                       "    for (var i = 1; i <= n; i++) {\n"
                       "        var got = _wait(label + \" \" + i);\n"
                       "        sum = sum + got;\n"
                       "        eTRACE(\"sum \" + sum);\n"
                       "    }\n"
                       "    return sum;\n"
                       "}\n"
                       "function main() {\n"
                       "    visits = visits + 1;\n"
                       "    var total = gather(count);\n"
                       "    ratio = ratio + total;\n"
                       "    return total;\n"
                       "}\n";

ScriptModule* Compiled(ScriptVM* vm)
{
    ScriptModule* module = ScriptModule_Create(vm, nullptr);
    if (!module)
        return nullptr;
    ScriptModule_RegisterBuiltin(vm, module, "eTRACE", Trace, ScriptPackArgumentCode(0x4), 0, 0);
    ScriptModule_RegisterBuiltin(vm, module, "_wait", Wait, ScriptPackArgumentCode(0x4), 0, 0);
    if (ScriptModule_CompileMemory(vm, module, kSource, sizeof(kSource) - 1) < 0 ||
        ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume) < 0)
        return nullptr;
    return module;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptVM* vm = ScriptVM_Create();
    if (!vm)
        return 0;
    if (ScriptModule* module = Compiled(vm)) {
        ScriptModule_LoadGlobals(vm, module, data, size);
        if (ScriptModule_LoadRunState(vm, module, data, size) >= 0) {
            ScriptModule_Run(vm, module, "main", true, 0, nullptr, 0, 1);
            ScriptModule_Run(vm, module, "main", true, 0, nullptr, 0, 2);
        }
    }
    ScriptVM_Destroy(vm);
    return 0;
}
