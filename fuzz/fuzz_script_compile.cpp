// Script source text through the compiler and the listing: any text must compile or fail with a
// status, never crash or read outside its buffers.
#include <cstddef>
#include <cstdint>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptVM* vm = ScriptVM_Create();
    if (!vm)
        return 0;
    ScriptModule* linked = ScriptModule_Create(vm, nullptr);
    ScriptModule* module = ScriptModule_Create(vm, linked);
    if (linked && module) {
        static const char kLinked[] = "export var shared = 1;\r\nexport function helper(a) {\r\nreturn a;\r\n}\r\n";
        ScriptModule_CompileMemory(vm, linked, kLinked, sizeof(kLinked) - 1);
        ScriptModule_CompileMemory(vm, module, data, size);
        ScriptDumpModule(vm, module);
    }
    ScriptVM_Destroy(vm);
    return 0;
}
