// vornel script dump: compiles a script (with its include files) and prints its function tree
// and instructions, through the engine's own compiler. vornel script run: CommandScriptRun.cpp.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
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
        const std::string problem = ScriptFileProblem(path, status);
        if (vm->errorText)
            std::fprintf(stderr, "%s\n", UtilsString_ToUtf8(vm->errorText).c_str());
        else if (!problem.empty())
            std::fprintf(stderr, "vornel script: %s\n", problem.c_str());
        else
            std::fprintf(stderr, "vornel script: %s does not compile: %s\n", path, StatusWords(status).c_str());
        result = 1;
    } else {
        std::string listing = ScriptDumpModule(vm, module);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
    }
    ScriptVM_Destroy(vm);
    return result;
}

} // namespace

std::string ScriptFileProblem(const char* path, Status status)
{
    if (status == kScriptImageVersion)
        return std::string(path) + " is a compiled image, not a source";
    if (status != kScriptFileOpen && status != kScriptFileRead)
        return std::string();
    // The compiler takes no source shorter than 4 bytes.
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size == 0)
        return std::string(path) + " is empty";
    if (!error && size < 4)
        return std::string(path) + " is too short to be a script (4 bytes at least)";
    return "cannot read " + std::string(path) + ": " + StatusWords(status);
}

int CommandScript(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "dump") == 0)
        return Dump(argv[1]);
    if (argc >= 1 && std::strcmp(argv[0], "run") == 0)
        return CommandScriptRun(argc - 1, argv + 1);
    return kExitUsage;
}
