// vornel script dump: compiles a script (with its include files) and prints its function tree
// and instructions, through the engine's own compiler. vornel script run: CommandScriptRun.cpp.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptDump.h"
#include "VornelUtils/UtilsString.h"

namespace {

int Dump(const char* path)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = vm ? ScriptModule_Create(vm, nullptr) : nullptr;
    if (!module) {
        std::fprintf(stderr, "vornel script: out of memory\n");
        ScriptVM_Destroy(vm);
        return 1;
    }
    Status status = ScriptModule_CompileFileA(vm, module, "", path);
    int result = 0;
    if (status < 0) {
        if (vm->errorText)
            std::fprintf(stderr, "%s\n", UtilsString_ToUtf8(vm->errorText).c_str());
        else if (status == kScriptFileOpen || status == kScriptFileRead)
            std::fprintf(stderr, "vornel script: cannot read %s\n", path);
        else if (status == kScriptImageVersion)
            std::fprintf(stderr, "vornel script: %s is a compiled image, not a source\n", path);
        else
            std::fprintf(stderr, "vornel script: %s does not compile (0x%08X)\n", path, static_cast<unsigned>(status));
        result = 1;
    } else {
        std::string listing = ScriptDumpModule(vm, module);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
    }
    ScriptVM_Destroy(vm);
    return result;
}

} // namespace

int CommandScript(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "dump") == 0)
        return Dump(argv[1]);
    if (argc >= 1 && std::strcmp(argv[0], "run") == 0)
        return CommandScriptRun(argc - 1, argv + 1);
    std::fprintf(stderr, "usage: vornel script dump FILE.script\n"
                         "       vornel script run FILE.script [--link LIBRARY.script ...] --call NAME\n"
                         "                         [--arg VALUE ...] [--resume VALUE ...] [--call NAME ...]\n");
    return 2;
}
