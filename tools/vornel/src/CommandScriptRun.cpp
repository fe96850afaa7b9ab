// vornel script run: tries a script outside the game. The file is compiled (with any library
// scripts it links to), its top-level code runs, then the named functions are called and their
// waiting calls resumed in the order given on the command line, through the engine's own VM.
//
// Two host builtins stand in for the game's: eTRACE(text) prints the text on a line of its
// own; _wait(tag) prints "wait <tag>" and suspends the script (unless the call is the last
// thing its function does, where the game's waits do not wait either).
#include "Commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "VornelUtils/UtilsString.h"

namespace {

// One step of the command line, in order.
struct Step {
    bool call = false;            // a new call of `name`; else a resume of the last call
    std::string name;
    std::vector<std::string> arguments;
    uint32_t resumeValue = 0;
};

Status ArgumentMissing(ScriptVM* vm, ScriptModule* module, const char* builtin, uint32_t fileIndex, uint32_t line)
{
    return ScriptFail(vm, module, kScriptFailed, fileIndex, line, u"the argument of \"%S\" is not a string", builtin);
}

Status Trace(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
             uint32_t, uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t fileIndex, uint32_t line)
{
    const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
    if (!text)
        return ArgumentMissing(vm, module, "eTRACE", fileIndex, line);
    std::printf("%s\n", text);
    std::fflush(stdout);
    return kScriptBuiltinResult;
}

Status Wait(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t, uint32_t,
            uintptr_t*, uintptr_t*, uint32_t tail, ScriptBuiltinResult*, uint32_t fileIndex, uint32_t line)
{
    const char* tag = ScriptModule_GetParamString(vm, module, node, caller, 1);
    if (!tag)
        return ArgumentMissing(vm, module, "_wait", fileIndex, line);
    // The run driver does not keep a wait that ends its function; nothing is suspended then.
    if (!tail) {
        std::printf("wait %s\n", tag);
        std::fflush(stdout);
    }
    return kScriptWait;
}

int Fail(ScriptVM* vm, Status status)
{
    std::string text = vm->errorText ? UtilsString_ToUtf8(vm->errorText) : std::string();
    if (text.empty())
        text = StatusWords(status);
    std::printf("error %s\n", text.c_str());
    return 1;
}

// A new module linked to `linked`, with the host builtins, compiled from `path`, linked and
// with its top-level code run. Null after printing the error.
ScriptModule* Load(ScriptVM* vm, ScriptModule* linked, const std::string& path, int* exitCode)
{
    ScriptModule* module = ScriptModule_Create(vm, linked);
    if (!module) {
        *exitCode = Fail(vm, kScriptOutOfMemory);
        return nullptr;
    }
    Status status = ScriptModule_RegisterBuiltin(vm, module, "eTRACE", Trace, ScriptPackArgumentCode(0x4), 0, 0);
    if (status >= 0)
        status = ScriptModule_RegisterBuiltin(vm, module, "_wait", Wait, ScriptPackArgumentCode(0x4), 0, 0);
    if (status >= 0)
        status = ScriptModule_CompileFileA(vm, module, "", path.c_str());
    const std::string problem = ScriptFileProblem(path.c_str(), status);
    if (!problem.empty()) {
        std::printf("error %s\n", problem.c_str());
        *exitCode = 1;
        return nullptr;
    }
    if (status >= 0)
        status = ScriptModule_Link(vm, module);
    if (status >= 0)
        status = ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume);
    if (status == kScriptWait) {
        std::printf("error the top-level code of %s waits\n", path.c_str());
        *exitCode = 1;
        return nullptr;
    }
    if (status < 0) {
        *exitCode = Fail(vm, status);
        return nullptr;
    }
    return module;
}

// The argument words and code of a call: digits by the look of each value (decimal digits a
// ULONG, with a '.' a FLOAT, anything else a STRING); slot 0, the result, is left alone.
uint32_t Arguments(const std::vector<std::string>& values, std::vector<uintptr_t>* words)
{
    words->assign(values.size() + 1, 0);
    uint32_t code = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string& value = values[i];
        const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
        const bool decimal = !digits && value.find('.') != std::string::npos &&
                             value.find_first_not_of("0123456789.") == std::string::npos;
        uint32_t digit = kScriptArgString;
        uintptr_t word = reinterpret_cast<uintptr_t>(value.c_str());
        if (digits) {
            digit = kScriptArgLong;
            word = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (decimal) {
            digit = kScriptArgFloat;
            word = FloatToBits(std::strtof(value.c_str(), nullptr));
        }
        (*words)[i + 1] = word;
        code |= digit << (4 * (i + 1));
    }
    return code | (static_cast<uint32_t>(values.size() + 1) << 28);
}

bool ParseResume(const char* text, uint32_t* value)
{
    if (!*text || std::strspn(text, "0123456789") != std::strlen(text))
        return false;
    unsigned long parsed = std::strtoul(text, nullptr, 10);
    if (parsed > 0xFFFFFFFEul) // 0xFFFFFFFF is "no value"
        return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

int Run(const std::string& path, const std::vector<std::string>& libraries, const std::vector<Step>& steps)
{
    ScriptVM* vm = ScriptVM_Create();
    if (!vm) {
        std::printf("error out of memory\n");
        return 1;
    }
    int exitCode = 0;
    ScriptModule* module = nullptr;
    for (const std::string& library : libraries) {
        module = Load(vm, module, library, &exitCode);
        if (!module) {
            ScriptVM_Destroy(vm);
            return exitCode;
        }
    }
    module = Load(vm, module, path, &exitCode);
    const std::string* lastCall = nullptr;
    for (size_t i = 0; module && i < steps.size(); ++i) {
        const Step& step = steps[i];
        Status status;
        ScriptValue result{};
        if (step.call) {
            lastCall = &step.name;
            std::vector<uintptr_t> words;
            const uint32_t code = step.arguments.empty() ? 0 : Arguments(step.arguments, &words);
            status = ScriptModule_Run(vm, module, step.name.c_str(), false, 0, code ? words.data() : nullptr, code,
                                      kScriptNoResume, &result);
        } else {
            status = ScriptModule_Run(vm, module, lastCall->c_str(), true, 0, nullptr, 0, step.resumeValue, &result);
        }
        if (status == kScriptOk)
            std::printf("end %s\n", ScriptValueToText(&result).c_str());
        else if (status == kScriptCallerStopped)
            std::printf("stopped\n");
        ScriptValue_Clear(&result);
        if (status < 0 && status != kScriptWait && status != kScriptCallerStopped) {
            exitCode = Fail(vm, status);
            break;
        }
    }
    std::fflush(stdout);
    ScriptVM_Destroy(vm);
    return exitCode;
}

} // namespace

int CommandScriptRun(int argc, char** argv)
{
    if (argc < 1) {
        return kExitUsage;
    }
    const std::string path = argv[0];
    std::vector<std::string> libraries;
    std::vector<Step> steps;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--link" && hasValue && steps.empty()) {
            libraries.emplace_back(argv[++i]);
        } else if (option == "--call" && hasValue) {
            Step step;
            step.call = true;
            step.name = argv[++i];
            steps.push_back(step);
        } else if (option == "--arg" && hasValue && !steps.empty() && steps.back().call &&
                   steps.back().arguments.size() + 1 < kScriptArgSlotLimit) {
            steps.back().arguments.emplace_back(argv[++i]);
        } else if (option == "--resume" && hasValue && !steps.empty()) {
            Step step;
            if (!ParseResume(argv[++i], &step.resumeValue)) {
                return kExitUsage;
            }
            steps.push_back(step);
        } else {
            return kExitUsage;
        }
    }
    if (steps.empty()) {
        return kExitUsage;
    }
    return Run(path, libraries, steps);
}
