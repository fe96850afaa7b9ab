// vornel script run: tries a script outside the game. The file (a source or a compiled image
// made with `--builtins run`) is compiled with any library scripts it links to, its top-level
// code runs, then the named functions are called and their waiting calls resumed in the order
// given on the command line, through the engine's own VM.
//
// --save-state writes the module's globals, run state and synchronized variables, as the
// tagged chunks 30001, 30002 and 30003 of one file, at the first wait. --load-state reads the
// globals and run state back in place of the top-level code; the first --call then continues
// the call that was waiting (its waiting builtin gives 0).
//
// Two host builtins stand in for the game's: eTRACE(text) prints the text on a line of its
// own; _wait(tag) prints "wait <tag>" and suspends the script (unless the call is the last
// thing its function does, where the game's waits do not wait either). With --scene the
// script has a scene object's builtins instead (ScriptSceneRun.h).
#include "Commands.h"
#include "ScriptSceneRun.h"
#include "ScriptToolBuiltins.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptState.h"
#include "NimbrelObjects/ObjectBuiltins.h"
#include "NimbrelWorld/ScriptCommonBuiltins.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_File.h"
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

// The game's builtins, registered so that an image is made for the game: they do not run here.
Status GameOnly(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation*, uint32_t, uint32_t,
                uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t fileIndex, uint32_t line)
{
    return ScriptFail(vm, module, kScriptFailed, fileIndex, line, u"\"%S\" runs only in the game",
                      node->name.c_str());
}

} // namespace

bool RegisterToolBuiltins(ScriptVM* vm, ScriptModule* module, const char* set)
{
    if (!set || !*set)
        return true;
    if (std::strcmp(set, "game") == 0)
        return RegisterCommonBuiltinNames(vm, module, GameOnly) >= 0;
    if (std::strcmp(set, "scene") == 0)
        return RegisterCommonBuiltinNames(vm, module, GameOnly) >= 0 &&
               RegisterObjectBuiltinNames(vm, module, GameOnly) >= 0;
    if (std::strcmp(set, "run") != 0)
        return false;
    return ScriptModule_RegisterBuiltin(vm, module, "eTRACE", Trace, ScriptPackArgumentCode(0x4), 0, 0) >= 0 &&
           ScriptModule_RegisterBuiltin(vm, module, "_wait", Wait, ScriptPackArgumentCode(0x4), 0, 0) >= 0;
}

int PrintScriptError(ScriptVM* vm, Status status)
{
    std::string text = vm->errorText ? UtilsString_ToUtf8(vm->errorText) : std::string();
    if (text.empty())
        text = StatusWords(status);
    std::printf("error %s\n", text.c_str());
    return 1;
}

// Its globals then come from a saved state when the top-level code does not run.
ScriptModule* LoadRunModule(ScriptVM* vm, ScriptModule* linked, const std::string& path, bool runTopLevel,
                            CSceneRun* scene, int* exitCode)
{
    ScriptModule* module = ScriptModule_Create(vm, linked);
    if (!module) {
        *exitCode = PrintScriptError(vm, kScriptOutOfMemory);
        return nullptr;
    }
    const bool registered = scene ? scene->Register(vm, module) : RegisterToolBuiltins(vm, module, "run");
    Status status = registered ? kScriptOk : kScriptOutOfMemory;
    if (status >= 0)
        status = ScriptModule_CompileFileA(vm, module, "", path.c_str());
    const std::string problem = ScriptFileProblem(path.c_str(), status);
    if (!problem.empty() && !vm->errorText) {
        std::printf("error %s\n", problem.c_str());
        *exitCode = 1;
        return nullptr;
    }
    if (status >= 0)
        status = ScriptModule_Link(vm, module);
    if (status >= 0 && runTopLevel)
        status = ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume);
    if (status == kScriptWait) {
        std::printf("error the top-level code of %s waits\n", path.c_str());
        *exitCode = 1;
        return nullptr;
    }
    if (status < 0) {
        *exitCode = PrintScriptError(vm, status);
        return nullptr;
    }
    return module;
}

namespace {

// Chunk tags of a saved state file: the globals, the run state, the synchronized variables.
constexpr uint32_t kStateChunkTags[3] = {30001, 30002, 30003};

// Writes the module's state as three tagged chunks of one file.
bool SaveState(ScriptVM* vm, ScriptModule* module, const std::string& path)
{
    uint8_t* (*const savers[3])(ScriptVM*, ScriptModule*, size_t*) = {
        ScriptModule_SaveGlobals, ScriptModule_SaveRunState, ScriptModule_SaveSynchronized};
    const std::u16string widePath = UtilsString_FromUtf8(path.c_str());
    UtilsStream_File file(kStreamWrite, widePath.c_str());
    if (file.Create() < 0)
        return false;
    UtilsStream_ChunkList list(&file);
    bool saved = true;
    for (int i = 0; i < 3 && saved; ++i) {
        size_t length = 0;
        uint8_t* buffer = savers[i](vm, module, &length);
        UtilsStream_Chunk* chunk = buffer ? list.CreateChunk(kStateChunkTags[i], nullptr) : nullptr;
        saved = chunk && chunk->Write(buffer, 1, static_cast<uint32_t>(length));
        if (buffer)
            UTILS_FREE(buffer);
    }
    return saved && list.WriteAll() && file.Close() >= 0;
}

// Reads the globals and the run state of a file that SaveState wrote. kScriptFileOpen when the
// file cannot be read, else the loaders' status (their message in the VM's error text).
Status LoadState(ScriptVM* vm, ScriptModule* module, const std::string& path)
{
    const std::u16string widePath = UtilsString_FromUtf8(path.c_str());
    UtilsStream_File file(kStreamRead, widePath.c_str());
    if (file.Open() < 0)
        return kScriptFileOpen;
    UtilsStream_ChunkList list(&file);
    UtilsStream_Chunk* first = list.ReadFirst();
    if (!first || list.ReadTree(first) < 0)
        return kScriptFileRead;
    Status (*const loaders[2])(ScriptVM*, ScriptModule*, const void*, size_t) = {ScriptModule_LoadGlobals,
                                                                                  ScriptModule_LoadRunState};
    for (int i = 0; i < 2; ++i) {
        UtilsStream_Chunk* chunk = list.FindChunk(kStateChunkTags[i]);
        if (!chunk)
            return kScriptFileRead;
        std::vector<uint8_t> bytes(chunk->GetPayloadSize());
        if (!bytes.empty() && !chunk->Read(bytes.data(), 1, static_cast<uint32_t>(bytes.size())))
            return kScriptFileRead;
        const Status status = loaders[i](vm, module, bytes.data(), bytes.size());
        if (status < 0)
            return status;
    }
    return kScriptOk;
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

// What a run keeps apart from its steps: the libraries, and the state files.
struct RunOptions {
    std::vector<std::string> libraries;
    std::string saveState; // written at the first wait
    std::string loadState; // read before the first step, which then continues its call
    std::unique_ptr<CSceneRun> scene; // --scene: the scene object's builtins
};

int Run(const std::string& path, const RunOptions& options, const std::vector<Step>& steps)
{
    ScriptVM* vm = ScriptVM_Create();
    if (!vm) {
        std::printf("error out of memory\n");
        return 1;
    }
    int exitCode = 0;
    ScriptModule* module = nullptr;
    for (const std::string& library : options.libraries) {
        module = LoadRunModule(vm, module, library, true, options.scene.get(), &exitCode);
        if (!module) {
            ScriptVM_Destroy(vm);
            return exitCode;
        }
    }
    const bool loading = !options.loadState.empty();
    module = LoadRunModule(vm, module, path, !loading, options.scene.get(), &exitCode);
    if (module && loading) {
        const Status status = LoadState(vm, module, options.loadState);
        if (status == kScriptFileOpen || (status < 0 && !vm->errorText)) {
            std::printf("error cannot read the state in %s\n", options.loadState.c_str());
            exitCode = 1;
            module = nullptr;
        } else if (status < 0) {
            exitCode = PrintScriptError(vm, status);
            module = nullptr;
        }
    }
    bool saved = false;
    const std::string* lastCall = nullptr;
    for (size_t i = 0; module && i < steps.size(); ++i) {
        const Step& step = steps[i];
        Status status;
        ScriptValue result{};
        if (step.call) {
            lastCall = &step.name;
            // After a load, the first call continues the call that was waiting when it was saved.
            const bool reuse = loading && i == 0;
            std::vector<uintptr_t> words;
            const uint32_t code = step.arguments.empty() ? 0 : Arguments(step.arguments, &words);
            status = ScriptModule_Run(vm, module, step.name.c_str(), reuse, 0, code ? words.data() : nullptr, code,
                                      kScriptNoResume, &result);
        } else {
            status = ScriptModule_Run(vm, module, lastCall->c_str(), true, 0, nullptr, 0, step.resumeValue, &result);
        }
        if (status == kScriptOk)
            std::printf("end %s\n", ScriptValueToText(&result).c_str());
        else if (status == kScriptCallerStopped)
            std::printf("stopped\n");
        ScriptValue_Clear(&result);
        if (status == kScriptWait && !saved && !options.saveState.empty()) {
            saved = true;
            if (!SaveState(vm, module, options.saveState)) {
                std::printf("error cannot write the state to %s\n", options.saveState.c_str());
                exitCode = 1;
                break;
            }
        }
        if (status < 0 && status != kScriptWait && status != kScriptCallerStopped) {
            exitCode = PrintScriptError(vm, status);
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
    RunOptions options;
    std::vector<Step> steps;
    std::string elements;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--link" && hasValue && steps.empty()) {
            options.libraries.emplace_back(argv[++i]);
        } else if (option == "--save-state" && hasValue && options.saveState.empty()) {
            options.saveState = argv[++i];
        } else if (option == "--load-state" && hasValue && steps.empty() && options.loadState.empty()) {
            options.loadState = argv[++i];
        } else if (option == "--scene" && !options.scene && steps.empty()) {
            options.scene = std::make_unique<CSceneRun>();
        } else if (option == "--answer" && hasValue && options.scene) {
            if (!options.scene->AddAnswer(argv[++i]))
                return kExitUsage;
        } else if (option == "--elements" && hasValue && options.scene && elements.empty()) {
            elements = argv[++i];
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
    // After a load, the steps begin with the call that continues.
    if (steps.empty() || !steps.front().call || (!options.loadState.empty() && !steps.front().arguments.empty())) {
        return kExitUsage;
    }
    if (!elements.empty() && !options.scene->LoadElements(elements))
        return 1;
    return Run(path, options, steps);
}
