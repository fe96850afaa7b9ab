// The run driver with host builtins: waits and resumes, the tail rule, arguments and results,
// and what happens when a builtin stops, restarts or clears the code that called it.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptText.h"

#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A module with the builtins "probe(text)" and "hold(text)"; what they do is set per test.
class ScriptRun : public ::testing::Test {
protected:
    struct Record {
        std::string text;
        uint32_t tail;
        uint32_t hostWord;
    };
    using Action = std::function<Status(ScriptActivation* caller, ScriptBuiltinResult* result)>;

    void SetUp() override
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
        Register(module);
    }
    void TearDown() override { ScriptVM_Destroy(vm); }

    void Register(ScriptModule* target)
    {
        const uintptr_t self = reinterpret_cast<uintptr_t>(this);
        ASSERT_GE(ScriptModule_RegisterBuiltin(vm, target, "probe", Probe, ScriptPackArgumentCode(0x4), self, 0), 0);
        ASSERT_GE(ScriptModule_RegisterBuiltin(vm, target, "hold", Hold, ScriptPackArgumentCode(0x4), self, 0), 0);
    }

    static Status Probe(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller,
                        uint32_t hostWord, uint32_t, uintptr_t* bound1, uintptr_t*, uint32_t tail,
                        ScriptBuiltinResult* result, uint32_t, uint32_t)
    {
        ScriptRun* test = reinterpret_cast<ScriptRun*>(*bound1);
        const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
        test->probes.push_back({text ? text : "(none)", tail, hostWord});
        return test->probeAction ? test->probeAction(caller, result) : kScriptBuiltinResult;
    }

    // Waits, unless the call is a tail.
    static Status Hold(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller,
                       uint32_t hostWord, uint32_t, uintptr_t* bound1, uintptr_t*, uint32_t tail,
                       ScriptBuiltinResult*, uint32_t, uint32_t)
    {
        ScriptRun* test = reinterpret_cast<ScriptRun*>(*bound1);
        const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
        test->holds.push_back({text ? text : "(none)", tail, hostWord});
        test->waiting = caller;
        return kScriptWait;
    }

    void Compile(const std::string& source)
    {
        ASSERT_GE(ScriptModule_CompileMemory(vm, module, source.data(), source.size()), 0) << TestLastError(vm);
        ASSERT_GE(TestRunTopLevel(vm, module), 0) << TestLastError(vm);
    }
    Status Call(const char* name, bool reuse = false, uint32_t resume = kScriptNoResume, ScriptValue* result = nullptr)
    {
        return ScriptModule_Run(vm, module, name, reuse, 7, nullptr, 0, resume, result);
    }
    uint32_t GlobalLong(const char* name)
    {
        uint32_t value = 0xDEADu;
        EXPECT_GE(ScriptModule_GetLong(vm, module, name, &value, false), 0) << name;
        return value;
    }
    size_t LiveActivations() const
    {
        size_t live = 0;
        for (const auto& activation : module->activations)
            live += activation->stack != nullptr;
        return live;
    }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
    std::vector<Record> probes;
    std::vector<Record> holds;
    Action probeAction;
    ScriptActivation* waiting = nullptr;
};

TEST_F(ScriptRun, AWaitInTheMiddleSuspendsAndTheResumeValueBecomesTheCallsResult)
{
    Compile("var got = 0; var after = 0;\r\n"
            "function main() { probe(\"start\"); got = hold(\"click\"); after = 1; probe(\"end\"); }");
    EXPECT_EQ(Call("main"), kScriptWait);
    ASSERT_EQ(holds.size(), 1u);
    EXPECT_EQ(holds[0].text, "click");
    EXPECT_EQ(holds[0].tail, 0u);
    EXPECT_EQ(holds[0].hostWord, 7u);
    EXPECT_EQ(GlobalLong("after"), 0u);
    EXPECT_GT(LiveActivations(), 0u);

    EXPECT_EQ(Call("main", true, 5), kScriptOk);
    EXPECT_EQ(GlobalLong("got"), 5u);
    EXPECT_EQ(GlobalLong("after"), 1u);
    ASSERT_EQ(probes.size(), 2u); // "start" did not run again
    EXPECT_EQ(probes[1].text, "end");
    EXPECT_EQ(LiveActivations(), 0u);
}

TEST_F(ScriptRun, AResumeWithoutValueLeavesTheCallsResultAtZero)
{
    Compile("var got = 9;\r\nfunction main() { got = hold(\"x\"); probe(\"after\"); }");
    EXPECT_EQ(Call("main"), kScriptWait);
    EXPECT_EQ(Call("main", true), kScriptOk);
    EXPECT_EQ(GlobalLong("got"), 0u);
}

// A statement whose first word begins a keyword is that keyword's statement: "r = hold(...)"
// returns the resumed value, as "return = hold(...)" would, and stores nothing in r. Any other
// name stores the value and the code after it runs.
TEST_F(ScriptRun, AResumedValueIsStoredByAnAssignmentUnlessItsNameBeginsAKeyword)
{
    Compile("var got = 0; var q = 0; var r = 0;\r\n"
            "function stored() { q = hold(\"q\"); got = q; probe(\"after q\"); }\r\n"
            "function returned() { r = hold(\"r\"); probe(\"after r\"); }");
    EXPECT_EQ(Call("stored"), kScriptWait);
    EXPECT_EQ(Call("stored", true, 5), kScriptOk);
    EXPECT_EQ(GlobalLong("got"), 5u);
    EXPECT_EQ(probes.size(), 1u);

    ScriptValue result{};
    EXPECT_EQ(Call("returned"), kScriptWait);
    EXPECT_EQ(Call("returned", true, 6, &result), kScriptOk);
    EXPECT_EQ(result.type, kScriptTypeULong);
    EXPECT_EQ(result.value, 6u);
    EXPECT_EQ(GlobalLong("r"), 0u);
    EXPECT_EQ(probes.size(), 1u);
    ScriptValue_Clear(&result);
}

TEST_F(ScriptRun, AWaitThatEndsItsFunctionDoesNotSuspend)
{
    Compile("var ran = 0;\r\n"
            "function last() { ran = 1; hold(\"tail\"); }\r\n"
            "function assigned() { var got = 0; got = hold(\"tail too\"); }\r\n"
            "function inner() { if (1) { hold(\"in a block\"); } }");
    EXPECT_EQ(Call("last"), kScriptOk);
    EXPECT_EQ(Call("assigned"), kScriptOk);
    ASSERT_EQ(holds.size(), 2u);
    EXPECT_EQ(holds[0].tail, 1u);
    EXPECT_EQ(holds[1].tail, 1u);
    // Inside a block the call is not the body's last instruction: it waits.
    EXPECT_EQ(Call("inner"), kScriptWait);
    EXPECT_EQ(holds[2].tail, 0u);
}

TEST_F(ScriptRun, ANewCallWithoutReuseEndsTheWaitingOne)
{
    Compile("var starts = 0; var got = 0;\r\n"
            "function helper() { return hold(\"h\"); }\r\n"
            "function main() { starts++; got = helper(); }");
    EXPECT_EQ(Call("main"), kScriptWait);
    ScriptActivation* first = waiting;
    const uint64_t firstGeneration = first->generation;
    EXPECT_EQ(Call("main"), kScriptWait);
    EXPECT_EQ(GlobalLong("starts"), 2u);
    // The helper's old activation was ended with its caller, not left behind.
    EXPECT_NE(first->generation, firstGeneration);
    EXPECT_EQ(Call("main", true, 4), kScriptOk);
    EXPECT_EQ(GlobalLong("got"), 4u);
    EXPECT_EQ(LiveActivations(), 0u);
}

TEST_F(ScriptRun, ArgumentsSetTheParametersAndAULongResultIsWrittenBack)
{
    Compile("function combine(count, scale, label) { probe(label); return count * 3; }");
    const char* label = "label";
    uintptr_t arguments[] = {0, 4, FloatToBits(1.5f), reinterpret_cast<uintptr_t>(label)};
    EXPECT_EQ(ScriptModule_Run(vm, module, "combine", false, 0, arguments, 0x40004211u, kScriptNoResume), kScriptOk);
    EXPECT_EQ(arguments[0], 12u);
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0].text, "label");

    // The result of any type, through the result copy.
    Compile("function text() { return \"t\" + 1; } function none() { }");
    ScriptValue result{};
    EXPECT_EQ(Call("text", false, kScriptNoResume, &result), kScriptOk);
    EXPECT_EQ(result.type, kScriptTypeString);
    EXPECT_EQ(ScriptValueToText(&result), "t1");
    ScriptValue_Clear(&result);
    EXPECT_EQ(Call("none", false, kScriptNoResume, &result), kScriptOk);
    EXPECT_EQ(result.type, kScriptTypeUnknown);
    EXPECT_EQ(ScriptValueToText(&result), "0");
}

TEST_F(ScriptRun, MissingFunctionsAndWrongCountsFailBeforeAnythingRuns)
{
    Compile("var runs = 0; function two(a, b) { runs++; }");
    EXPECT_EQ(Call("absent"), kScriptFailed);
    EXPECT_EQ(TestLastError(vm), "Script error! the specified function is missing: \"absent\" (\"unknown\" : line=0)");
    uintptr_t arguments[] = {0, 1};
    EXPECT_EQ(ScriptModule_Run(vm, module, "two", false, 0, arguments, 0x20000110u, kScriptNoResume),
              kScriptArgumentCount);
    EXPECT_EQ(TestLastError(vm), "Script error! invalid parameters count in \"two\" (\"unknown\" : line=0)");
    EXPECT_EQ(GlobalLong("runs"), 0u);
    // A builtin is no function of the module.
    EXPECT_EQ(ScriptModule_HasFunction(vm, module, "probe"), kScriptFailed);
    EXPECT_EQ(ScriptModule_HasFunction(vm, module, "two"), kScriptOk);
}

TEST_F(ScriptRun, NamedRunsDoNotPileUpActivationRecords)
{
    Compile("var total = 0; function add() { if (total < 1000) { total++; } }");
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(Call("add"), kScriptOk);
    EXPECT_EQ(GlobalLong("total"), 50u);
    EXPECT_LE(module->activations.size(), 4u);
}

TEST_F(ScriptRun, BuiltinResultsAreStoredByType)
{
    Compile("var none = 5; var one = 5; var text = \"\"; var real = 0.0;\r\n"
            "function main() { none = probe(\"a\"); one = probe(\"b\"); text = probe(\"c\"); real = probe(\"d\"); }");
    probeAction = [this](ScriptActivation*, ScriptBuiltinResult* result) -> Status {
        const std::string& which = probes.back().text;
        if (which == "a")
            return kScriptBuiltinNoResult;
        if (which == "c") {
            result->type = kScriptTypeString;
            result->text = StrDupA("handed over");
        } else if (which == "d") {
            result->type = kScriptTypeFloat;
            result->value = FloatToBits(2.5f);
        }
        return kScriptBuiltinResult;
    };
    EXPECT_EQ(Call("main"), kScriptOk) << TestLastError(vm);
    EXPECT_EQ(GlobalLong("none"), 0u);
    EXPECT_EQ(GlobalLong("one"), 1u);
    const char* text = nullptr;
    EXPECT_EQ(ScriptModule_GetString(vm, module, "text", &text, false), kScriptOk);
    EXPECT_STREQ(text, "handed over");
    float real = 0.0f;
    EXPECT_EQ(ScriptModule_GetFloat(vm, module, "real", &real, false), kScriptOk);
    EXPECT_EQ(real, 2.5f);
}

TEST_F(ScriptRun, ABuiltinFailureEndsTheRunWithItsStatus)
{
    Compile("var after = 0; function main() { probe(\"x\"); after = 1; }");
    probeAction = [](ScriptActivation*, ScriptBuiltinResult*) -> Status { return kScriptFailed; };
    EXPECT_EQ(Call("main"), kScriptFailed);
    EXPECT_EQ(GlobalLong("after"), 0u);
}

// A builtin that restarts its own object stops every activation of the module: the run must
// say so (instead of claiming that the call finished), and nothing of it may be touched after.
TEST_F(ScriptRun, ARestartInsideABuiltinIsPassedUpToTheHost)
{
    Compile("var after = 0; function main() { probe(\"restart\"); after = 1; }");
    probeAction = [this](ScriptActivation*, ScriptBuiltinResult* result) -> Status {
        ScriptModule_StopFunction(vm, module, "");
        result->type = kScriptTypeString;
        result->text = StrDupA("dropped");
        return kScriptBuiltinResult;
    };
    EXPECT_EQ(Call("main"), kScriptCallerStopped);
    EXPECT_EQ(GlobalLong("after"), 0u);
    EXPECT_TRUE(module->activations.empty());

    // Clearing the module (a reload) from inside the builtin is the same.
    Compile("function main() { probe(\"clear\"); probe(\"never\"); }");
    probes.clear();
    probeAction = [this](ScriptActivation*, ScriptBuiltinResult*) -> Status {
        ScriptModule_Clear(vm, module, false);
        return kScriptWait;
    };
    EXPECT_EQ(Call("main"), kScriptCallerStopped);
    EXPECT_EQ(probes.size(), 1u);
}

// A builtin that starts its own calling function afresh gets the same record back at the same
// index, running again: the result must not land in the new call.
TEST_F(ScriptRun, AResultIsNeverStoredIntoAnActivationStartedAgain)
{
    Compile("var runs = 0; var got = 0;\r\nfunction main() { runs++; got = probe(\"call\"); probe(\"after\"); }");
    probeAction = [this](ScriptActivation*, ScriptBuiltinResult* result) -> Status {
        if (probes.size() == 1) {
            // The nested run reaches the same call and waits there.
            EXPECT_EQ(Call("main"), kScriptWait);
            result->type = kScriptTypeULong;
            result->value = 99;
            return kScriptBuiltinResult;
        }
        return probes.back().text == "call" ? kScriptWait : kScriptBuiltinResult;
    };
    EXPECT_EQ(Call("main"), kScriptCallerStopped);
    EXPECT_EQ(GlobalLong("runs"), 2u);
    EXPECT_EQ(GlobalLong("got"), 0u);
    EXPECT_EQ(probes.size(), 2u);
    // The new call is still waiting for its own result.
    EXPECT_EQ(Call("main", true, 5), kScriptOk);
    EXPECT_EQ(GlobalLong("got"), 5u);
}

TEST_F(ScriptRun, ABuiltinThatEndsItsCallerHasItsResultDropped)
{
    Compile("var got = 0;\r\nfunction main() { got = probe(\"stop\"); got = 3; }");
    probeAction = [this](ScriptActivation*, ScriptBuiltinResult* result) -> Status {
        EXPECT_EQ(ScriptModule_StopFunction(vm, module, "main"), kScriptOk);
        result->type = kScriptTypeString;
        result->text = StrDupA("dropped");
        return kScriptBuiltinResult;
    };
    EXPECT_EQ(Call("main"), kScriptCallerStopped);
    EXPECT_EQ(GlobalLong("got"), 0u);
    EXPECT_EQ(LiveActivations(), 0u);
}

TEST_F(ScriptRun, ContinuingACallWhileItsBuiltinRunsIsRefused)
{
    Compile("function main() { probe(\"outer\"); }");
    probeAction = [this](ScriptActivation*, ScriptBuiltinResult*) -> Status {
        EXPECT_EQ(Call("main", true), kScriptFailed);
        EXPECT_EQ(TestLastError(vm),
                  "Script error! the specified function is already running: \"main\" (\"unknown\" : line=0)");
        return kScriptBuiltinResult;
    };
    EXPECT_EQ(Call("main"), kScriptOk);
    EXPECT_EQ(probes.size(), 1u);
}

TEST_F(ScriptRun, StoppingAFunctionEndsEverythingItCalled)
{
    Compile("var marker = 0;\r\n"
            "function inner() { hold(\"inner\"); marker = 2; }\r\n"
            "function outer() { if (1) { inner(); } marker = 1; }");
    EXPECT_EQ(Call("outer"), kScriptWait);
    ScriptActivation* innerCall = waiting;
    ASSERT_NE(innerCall, nullptr);
    EXPECT_EQ(ScriptModule_StopFunction(vm, module, "outer"), kScriptOk);
    EXPECT_EQ(innerCall->stack, nullptr);
    EXPECT_EQ(LiveActivations(), 0u);
    // Nothing is left to continue: a run with reuse starts afresh.
    EXPECT_EQ(Call("inner", true, 8), kScriptWait);
    EXPECT_EQ(holds.size(), 2u);
    EXPECT_EQ(GlobalLong("marker"), 0u);
    EXPECT_EQ(ScriptModule_StopFunction(vm, module, "absent"), kScriptFailed);
}

// A record whose caller was ended under it has no chain left: a run with reuse must not
// continue it as if it were its own call.
TEST_F(ScriptRun, AnActivationWithoutParentIsNeverContinued)
{
    Compile("var marker = 0;\r\n"
            "function inner() { marker = hold(\"inner\"); marker = marker + 1; }\r\n"
            "function outer() { inner(); }");
    EXPECT_EQ(Call("outer"), kScriptWait);
    ScriptActivation* orphan = waiting;
    ScriptActivation* caller = ScriptCallerActivation(orphan);
    ASSERT_NE(caller, nullptr);
    ScriptEndActivation(vm, module, caller); // cuts the chain above the waiting call
    ASSERT_EQ(orphan->parent, nullptr);
    ASSERT_NE(orphan->stack, nullptr);

    EXPECT_EQ(Call("inner", true, 8), kScriptWait);
    EXPECT_EQ(holds.size(), 2u); // started from its beginning
    EXPECT_EQ(GlobalLong("marker"), 0u);
}

TEST_F(ScriptRun, SetReturnLongNeedsALiveActivationWaitingInABuiltin)
{
    Compile("var got = 0;\r\nfunction main() { got = hold(\"h\"); probe(\"after\"); }\r\nfunction plain() { got = 1; }");
    EXPECT_EQ(Call("main"), kScriptWait);
    ScriptActivation* caller = waiting;
    EXPECT_EQ(ScriptModule_SetReturnLong(vm, module, caller, 6), kScriptOk);
    EXPECT_EQ(Call("main", true), kScriptOk);
    EXPECT_EQ(GlobalLong("got"), 6u);
    // Ended: refused, and nothing is written.
    EXPECT_EQ(ScriptModule_SetReturnLong(vm, module, caller, 7), kScriptFailed);
    EXPECT_EQ(ScriptModule_SetReturnLong(vm, module, nullptr, 7), kScriptFailed);

    // An activation whose last instruction was no builtin call is left alone.
    ScriptActivation* fresh =
        ScriptStartActivation(vm, module, module->root.functions.back().get(),
                              &module->root.functions.back()->body, nullptr, nullptr, false);
    ASSERT_NE(fresh, nullptr);
    const uint32_t count = fresh->stack->Count();
    EXPECT_EQ(ScriptModule_SetReturnLong(vm, module, fresh, 7), kScriptOk);
    EXPECT_EQ(fresh->stack->Count(), count);
}

TEST_F(ScriptRun, CallsReachExportedFunctionsAndVariablesOfLinkedModules)
{
    ScriptModule* library = module;
    const std::string librarySource = "export var shared = 10; var own = 1;\r\n"
                                      "export function addShared(value) { shared = shared + value; return shared; }";
    ASSERT_GE(ScriptModule_CompileMemory(vm, library, librarySource.data(), librarySource.size()), 0);
    ASSERT_EQ(TestRunTopLevel(vm, library), kScriptOk);

    module = ScriptModule_Create(vm, library);
    Register(module);
    Compile("var got = 0;\r\nfunction main() { got = addShared(5); shared = shared + 1; }");
    EXPECT_EQ(ScriptModule_Link(vm, module), kScriptOk);
    EXPECT_EQ(Call("main"), kScriptOk) << TestLastError(vm);
    EXPECT_EQ(GlobalLong("got"), 15u);
    uint32_t shared = 0;
    EXPECT_EQ(ScriptModule_GetLong(vm, module, "shared", &shared, true), kScriptOk);
    EXPECT_EQ(shared, 16u);
    EXPECT_EQ(ScriptModule_GetLong(vm, module, "shared", &shared, false), kScriptVariableMissing);
    EXPECT_EQ(ScriptModule_GetLong(vm, module, "own", &shared, true), kScriptVariableMissing);

    ScriptModule* broken = ScriptModule_Create(vm, library);
    const std::string brokenSource = "function main() { nowhere(); }";
    ASSERT_GE(ScriptModule_CompileMemory(vm, broken, brokenSource.data(), brokenSource.size()), 0);
    EXPECT_EQ(ScriptModule_Link(vm, broken), kScriptFailed);
    EXPECT_EQ(vm->status, kScriptFunctionMissing);
    EXPECT_EQ(TestLastError(vm), "Script error! the specified function is missing: \"nowhere\" (\"unknown\" : line=1)");
}

} // namespace
