// vornel script dump: compiles a script (with its include files) or reads a compiled image and
// prints its function tree and instructions, through the engine's own compiler and reader.
// vornel script compile: writes the compiled image of a script. vornel script run:
// CommandScriptRun.cpp.
#include "Commands.h"
#include "OutputFile.h"
#include "ScriptToolBuiltins.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptDump.h"
#include "NimbrelScript/ScriptImage.h"
#include "VornelUtils/UtilsString.h"

namespace {

// A module with the named builtin set, compiled from `path` (a source with its includes, or
// an image). Null after printing the error.
ScriptModule* Compile(ScriptVM* vm, const char* path, const char* builtins)
{
    ScriptModule* module = ScriptModule_Create(vm, nullptr);
    if (!module || !RegisterToolBuiltins(vm, module, builtins)) {
        std::fprintf(stderr, "vornel script: out of memory\n");
        return nullptr;
    }
    const Status status = ScriptModule_CompileFileA(vm, module, "", path);
    if (status >= 0)
        return module;
    const std::string problem = ScriptFileProblem(path, status);
    if (vm->errorText)
        std::fprintf(stderr, "%s\n", UtilsString_ToUtf8(vm->errorText).c_str());
    else if (!problem.empty())
        std::fprintf(stderr, "vornel script: %s\n", problem.c_str());
    else
        std::fprintf(stderr, "vornel script: %s does not compile: %s\n", path, StatusWords(status).c_str());
    return nullptr;
}

int Dump(const char* path, const char* builtins)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = vm ? Compile(vm, path, builtins) : nullptr;
    if (module) {
        std::string listing = ScriptDumpModule(vm, module);
        std::fwrite(listing.data(), 1, listing.size(), stdout);
    }
    ScriptVM_Destroy(vm);
    return module ? 0 : 1;
}

int WriteImage(const char* in, const char* out, const char* builtins)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = vm ? Compile(vm, in, builtins) : nullptr;
    bool written = false;
    if (module) {
        COutputFile output(out);
        written = ScriptModule_WriteImageA(vm, module, output.TemporaryPath().c_str()) >= 0 && output.Commit();
        if (!written)
            std::fprintf(stderr, "vornel script: cannot write %s\n", out);
    }
    ScriptVM_Destroy(vm);
    return written ? 0 : 1;
}

// The builtin set of "--builtins SET" at argv[at], "" without the option; null when the rest
// of the command line is anything else.
const char* BuiltinsOption(int argc, char** argv, int at)
{
    if (argc == at)
        return "";
    if (argc == at + 2 && std::strcmp(argv[at], "--builtins") == 0 &&
        (std::strcmp(argv[at + 1], "run") == 0 || std::strcmp(argv[at + 1], "game") == 0 ||
         std::strcmp(argv[at + 1], "scene") == 0))
        return argv[at + 1];
    return nullptr;
}

} // namespace

std::string ScriptFileProblem(const char* path, Status status)
{
    if (status == kScriptImageVersion)
        return std::string(path) + " is a compiled image of another version";
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
    if (argc >= 2 && std::strcmp(argv[0], "dump") == 0) {
        if (const char* builtins = BuiltinsOption(argc, argv, 2))
            return Dump(argv[1], builtins);
    }
    if (argc >= 3 && std::strcmp(argv[0], "compile") == 0) {
        if (const char* builtins = BuiltinsOption(argc, argv, 3))
            return WriteImage(argv[1], argv[2], builtins);
    }
    if (argc >= 1 && std::strcmp(argv[0], "run") == 0)
        return CommandScriptRun(argc - 1, argv + 1);
    return kExitUsage;
}
