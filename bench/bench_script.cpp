// The script language against Lua 5.4: the same six programs written in both, each called
// once per benchmark iteration (the script through ScriptModule_Run, Lua through lua_pcall).
// Compiling and loading are outside the timed loops. Each program is named ScriptX / LuaX;
// ShortcutsX runs the script without the compiled form of loops (ScriptVM::compiledLoops off),
// as the executor ran before it, and PlainX with every instruction through its handler
// (ScriptVM::fastPaths off). At the end a table gives, per program, the script's CPU time over
// Lua's and over the shortcuts' of the same run.
#include <benchmark/benchmark.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"

namespace {

constexpr uint32_t kLoopCount = 65000;    // integer loop turns (the sum stays below 2^31)
constexpr uint32_t kSeriesTerms = 200000; // float series terms
constexpr uint32_t kCallCount = 200000;   // function calls, builtin calls
constexpr uint32_t kStringCount = 50000;  // strings built and compared
constexpr uint32_t kPrimeLimit = 30000;   // primes below this, by trial division

// The programs in the script language. There is no operator precedence (operands combine
// from left to right) and no modulo, so the expressions are grouped and the divisibility test
// divides and multiplies back; Lua does the same arithmetic.
const char kScriptSource[] = R"(
function integerLoop(count) {
    var total = 0;
    for (var index = 0; index < count; index++) {
        total = total + index;
    }
    return total;
}

function floatSeries(terms) {
    var sum = 0.0;
    for (var k = 0; k < terms; k++) {
        sum = sum + ((1.0 / (4 * k + 1)) - (1.0 / (4 * k + 3)));
    }
    return sum * 4;
}

function mix(first, second, third) {
    return first + second - third;
}

function calls(count) {
    var total = 0;
    for (var index = 0; index < count; index++) {
        total = mix(total, 3, 2);
    }
    return total;
}

function strings(count) {
    var hits = 0;
    var longest = "";
    for (var index = 0; index < count; index++) {
        var name = "item" + index + "_" + (index / 7);
        if (name == "item700_100") {
            hits++;
        }
        if (name != longest) {
            longest = name;
        }
    }
    return hits;
}

function primes(limit) {
    var found = 0;
    for (var candidate = 2; candidate < limit; candidate++) {
        var prime = 1;
        for (var divisor = 2; divisor * divisor <= candidate; divisor++) {
            if (candidate / divisor * divisor == candidate) {
                prime = 0;
                break;
            }
        }
        if (prime) {
            found++;
        }
    }
    return found;
}

function builtins(count) {
    var total = 0;
    for (var index = 0; index < count; index++) {
        total = hostAdd(total, 1);
    }
    return total;
}
)";

const char kLuaSource[] = R"(
function integerLoop(count)
    local total = 0
    for index = 0, count - 1 do
        total = total + index
    end
    return total
end

function floatSeries(terms)
    local sum = 0.0
    for k = 0, terms - 1 do
        sum = sum + ((1.0 / (4 * k + 1)) - (1.0 / (4 * k + 3)))
    end
    return sum * 4
end

local function mix(first, second, third)
    return first + second - third
end

function calls(count)
    local total = 0
    for index = 0, count - 1 do
        total = mix(total, 3, 2)
    end
    return total
end

function strings(count)
    local hits = 0
    local longest = ""
    for index = 0, count - 1 do
        local name = "item" .. index .. "_" .. (index // 7)
        if name == "item700_100" then
            hits = hits + 1
        end
        if name ~= longest then
            longest = name
        end
    end
    return hits
end

function primes(limit)
    local found = 0
    for candidate = 2, limit - 1 do
        local prime = 1
        local divisor = 2
        while divisor * divisor <= candidate do
            if candidate // divisor * divisor == candidate then
                prime = 0
                break
            end
            divisor = divisor + 1
        end
        if prime == 1 then
            found = found + 1
        end
    end
    return found
end

function builtins(count)
    local total = 0
    for index = 0, count - 1 do
        total = hostAdd(total, 1)
    end
    return total
end
)";

// hostAdd(a, b): a + b, in both worlds.
Status ScriptHostAdd(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
                     uint32_t, uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult* result, uint32_t, uint32_t)
{
    result->type = kScriptTypeULong;
    result->value = ScriptModule_GetParamLong(vm, module, node, caller, 1) +
                    ScriptModule_GetParamLong(vm, module, node, caller, 2);
    return kScriptBuiltinResult;
}

int LuaHostAdd(lua_State* lua)
{
    lua_pushinteger(lua, luaL_checkinteger(lua, 1) + luaL_checkinteger(lua, 2));
    return 1;
}

struct ScriptWorld {
    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
    bool ready = false;

    ScriptWorld(bool fastPaths, bool compiledLoops)
    {
        vm = ScriptVM_Create();
        module = vm ? ScriptModule_Create(vm, nullptr) : nullptr;
        if (!module)
            return;
        vm->fastPaths = fastPaths;
        vm->compiledLoops = compiledLoops;
        ScriptModule_RegisterBuiltin(vm, module, "hostAdd", ScriptHostAdd, ScriptPackArgumentCode(0x11), 0, 0);
        Status status = ScriptModule_CompileMemory(vm, module, kScriptSource, sizeof(kScriptSource) - 1);
        if (status >= 0)
            status = ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume);
        ready = status >= 0;
    }
    ~ScriptWorld() { ScriptVM_Destroy(vm); }

    // Calls the function with one ULONG argument; its result as text.
    bool Call(const char* name, uint32_t argument, std::string* text)
    {
        uintptr_t words[2] = {0, argument};
        ScriptValue result{};
        Status status = ScriptModule_Run(vm, module, name, false, 0, words, 0x20000010u, kScriptNoResume, &result);
        *text = ScriptValueToText(&result);
        ScriptValue_Clear(&result);
        return status == kScriptOk;
    }
};

struct LuaWorld {
    lua_State* lua = nullptr;
    bool ready = false;

    LuaWorld()
    {
        lua = luaL_newstate();
        if (!lua)
            return;
        luaL_openlibs(lua);
        lua_register(lua, "hostAdd", LuaHostAdd);
        ready = luaL_dostring(lua, kLuaSource) == LUA_OK;
    }
    ~LuaWorld()
    {
        if (lua)
            lua_close(lua);
    }

    bool Call(const char* name, uint32_t argument, std::string* text)
    {
        lua_getglobal(lua, name);
        lua_pushinteger(lua, argument);
        if (lua_pcall(lua, 1, 1, 0) != LUA_OK) {
            lua_pop(lua, 1);
            return false;
        }
        *text = lua_tostring(lua, -1);
        lua_pop(lua, 1);
        return true;
    }
};

ScriptWorld& Script()
{
    static ScriptWorld world(true, true);
    return world;
}

ScriptWorld& Shortcuts()
{
    static ScriptWorld world(true, false);
    return world;
}

ScriptWorld& Plain()
{
    static ScriptWorld world(false, false);
    return world;
}

LuaWorld& Lua()
{
    static LuaWorld world;
    return world;
}

template <typename World>
void RunProgram(benchmark::State& state, World& world, const char* name, uint32_t argument)
{
    if (!world.ready) {
        state.SkipWithError("the program does not load");
        return;
    }
    std::string result;
    for (auto _ : state) {
        if (!world.Call(name, argument, &result)) {
            state.SkipWithError("the program fails");
            return;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel(result);
}

#define PROGRAM_PAIR(Name, function, argument)                                                             \
    void Script##Name(benchmark::State& state) { RunProgram(state, Script(), function, argument); }        \
    void Lua##Name(benchmark::State& state) { RunProgram(state, Lua(), function, argument); }              \
    void Shortcuts##Name(benchmark::State& state) { RunProgram(state, Shortcuts(), function, argument); }  \
    void Plain##Name(benchmark::State& state) { RunProgram(state, Plain(), function, argument); }          \
    BENCHMARK(Script##Name)->Unit(benchmark::kMillisecond);                                                \
    BENCHMARK(Lua##Name)->Unit(benchmark::kMillisecond);                                                   \
    BENCHMARK(Shortcuts##Name)->Unit(benchmark::kMillisecond);                                             \
    BENCHMARK(Plain##Name)->Unit(benchmark::kMillisecond)

PROGRAM_PAIR(IntegerLoop, "integerLoop", kLoopCount);
PROGRAM_PAIR(FloatSeries, "floatSeries", kSeriesTerms);
PROGRAM_PAIR(FunctionCalls, "calls", kCallCount);
PROGRAM_PAIR(Strings, "strings", kStringCount);
PROGRAM_PAIR(Primes, "primes", kPrimeLimit);
PROGRAM_PAIR(BuiltinCalls, "builtins", kCallCount);

const char* const kProgramNames[] = {"IntegerLoop", "FloatSeries", "FunctionCalls", "Strings", "Primes", "BuiltinCalls"};

// The console's report, then the ratios of the same run (CPU time: the machine may be shared).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred)
                cpu_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-14s %12s %12s %14s\n", "program", "script/Lua", "script/today", "today/Lua");
        for (const char* name : kProgramNames) {
            const double script = Time("Script", name);
            const double lua = Time("Lua", name);
            const double today = Time("Shortcuts", name);
            if (script <= 0 || lua <= 0 || today <= 0)
                continue;
            std::printf("%-14s %11.2fx %11.2fx %13.2fx\n", name, script / lua, script / today, today / lua);
        }
    }

private:
    double Time(const char* world, const char* program) const
    {
        const auto found = cpu_.find(std::string(world) + program);
        return found == cpu_.end() ? 0.0 : found->second;
    }

    std::map<std::string, double> cpu_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
