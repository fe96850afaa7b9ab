// Compiled script images through the reader, its checks and the listing: any bytes after the
// magic word must be read or refused with a status, never crash, read outside the buffer or
// allocate without bound.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptDump.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptImage.h"

namespace {

Status Builtin(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t, uintptr_t*, uintptr_t*,
               uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    return kScriptBuiltinNoResult;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = vm ? ScriptModule_Create(vm, nullptr) : nullptr;
    if (module) {
        // The builtins of `vornel script run`, which the seeds were compiled for.
        ScriptModule_RegisterBuiltin(vm, module, "eTRACE", Builtin, ScriptPackArgumentCode(0x4), 0, 0);
        ScriptModule_RegisterBuiltin(vm, module, "_wait", Builtin, ScriptPackArgumentCode(0x4), 0, 0);
        if (ScriptReadImage(vm, module, data, size) >= 0)
            ScriptDumpModule(vm, module);
    }
    ScriptVM_Destroy(vm);
    return 0;
}
