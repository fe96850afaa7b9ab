// The host side of builtins: registration, argument codes, reading a call's arguments, and
// script variables by name.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"

#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Seen {
    uint32_t longs[4] = {};
    float floats[4] = {};
    const char* strings[4] = {};
    std::string texts[4];
    uint32_t slotsBefore = 0;
    uint32_t slotsAfter = 0;
    uint32_t code = 0;
    int calls = 0;
};

Status Inspect(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
               uint32_t code, uintptr_t* bound1, uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    Seen* seen = reinterpret_cast<Seen*>(*bound1);
    ++seen->calls;
    seen->code = code;
    seen->slotsBefore = caller->stack->Count();
    for (uint32_t n = 1; n < 4; ++n) {
        seen->longs[n] = ScriptModule_GetParamLong(vm, module, node, caller, n);
        seen->floats[n] = ScriptModule_GetParamFloat(vm, module, node, caller, n);
        seen->strings[n] = ScriptModule_GetParamString(vm, module, node, caller, n);
        seen->texts[n] = seen->strings[n] ? seen->strings[n] : "(null)";
    }
    seen->slotsAfter = caller->stack->Count();
    return kScriptBuiltinNoResult;
}

Status Other(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t, uintptr_t*, uintptr_t*,
             uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    return kScriptBuiltinResult;
}

class ScriptHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
    }
    void TearDown() override { ScriptVM_Destroy(vm); }

    void CompileAndRun(const std::string& source)
    {
        Status compiled = 0;
        ASSERT_GE(TestCompileAndRun(vm, module, source, &compiled), 0) << TestLastError(vm);
    }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
};

TEST(ScriptArgumentCode, CountsDigitsUpToTheFirstZero)
{
    EXPECT_EQ(ScriptPackArgumentCode(0x4), 0x10000004u);
    EXPECT_EQ(ScriptPackArgumentCode(0x244), 0x30000244u);
    EXPECT_EQ(ScriptPackArgumentCode(0x1041), 0x20001041u);
    EXPECT_EQ(ScriptPackArgumentCode(0), 0u);
    EXPECT_EQ(ScriptPackArgumentCode(0x1111111), 0x71111111u);
    EXPECT_EQ(ScriptArgumentDigit(0x30000421u, 2), 4u);
    EXPECT_EQ(ScriptArgumentCount(0x30000421u), 3u);
}

TEST_F(ScriptHost, RegisteringANameAgainKeepsItsIndex)
{
    Seen seen;
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "first", Other, 0x10000001u, 1, 2), kScriptOk);
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "second", Other, 0x10000001u, 0, 0), kScriptOk);
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "first", Inspect, 0x20000044u,
                                           reinterpret_cast<uintptr_t>(&seen), 9),
              kScriptOk);
    ASSERT_EQ(module->builtins.size(), 2u);
    EXPECT_EQ(module->builtins[0]->function, Inspect);
    EXPECT_EQ(module->builtins[0]->argumentCode, 0x20000044u);
    EXPECT_EQ(module->builtins[0]->bound2, 9u);
    CompileAndRun("first(\"x\", \"y\");");
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.code, 0x20000044u);
}

TEST_F(ScriptHost, ArgumentsAreReadByTypeWithoutTouchingTheStack)
{
    Seen seen;
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "inspect", Inspect, ScriptPackArgumentCode(0x421),
                                           reinterpret_cast<uintptr_t>(&seen), 0),
              kScriptOk);
    CompileAndRun("function main() { var real = 2.5; inspect(7, real, \"text\"); }\r\n"
                  "function fewer() { inspect(3); }");
    ASSERT_EQ(ScriptModule_Run(vm, module, "main", false, 0, nullptr, 0, kScriptNoResume), kScriptOk);
    EXPECT_EQ(seen.longs[1], 7u);
    EXPECT_EQ(seen.floats[2], 2.5f);
    EXPECT_EQ(seen.texts[3], "text");
    // Another type than asked gives the fallback.
    EXPECT_EQ(seen.longs[2], 0u); // a FLOAT read as ULONG
    EXPECT_EQ(seen.floats[1], 0.0f);
    EXPECT_EQ(seen.strings[1], nullptr);

    // Arguments the call did not pass: 0, 0.0, null, and no slot is pushed for them.
    ASSERT_EQ(ScriptModule_Run(vm, module, "fewer", false, 0, nullptr, 0, kScriptNoResume), kScriptOk);
    EXPECT_EQ(seen.longs[1], 3u);
    EXPECT_EQ(seen.longs[2], 0u);
    EXPECT_EQ(seen.floats[3], 0.0f);
    EXPECT_EQ(seen.strings[3], nullptr);
    EXPECT_EQ(seen.slotsAfter, seen.slotsBefore);
}

TEST_F(ScriptHost, GlobalsByName)
{
    CompileAndRun("var count = 3; var ratio = 0.5; var label = \"a\"; export var shown = 1; var unset;");
    uint32_t count = 0;
    EXPECT_EQ(ScriptModule_SetLong(vm, module, "count", 8, false), kScriptOk);
    EXPECT_EQ(ScriptModule_GetLong(vm, module, "count", &count, false), kScriptOk);
    EXPECT_EQ(count, 8u);

    // Another type: refused, the variable and its type unchanged.
    EXPECT_EQ(ScriptModule_SetLong(vm, module, "ratio", 4, false), kScriptVariableType);
    EXPECT_EQ(vm->status, kScriptVariableType);
    float ratio = 0.0f;
    EXPECT_EQ(ScriptModule_GetFloat(vm, module, "ratio", &ratio, false), kScriptOk);
    EXPECT_EQ(ratio, 0.5f);
    EXPECT_EQ(ScriptModule_SetFloat(vm, module, "ratio", 1.25f, false), kScriptOk);
    EXPECT_EQ(ScriptModule_GetFloat(vm, module, "ratio", &ratio, false), kScriptOk);
    EXPECT_EQ(ratio, 1.25f);
    EXPECT_EQ(ScriptModule_SetLong(vm, module, "unset", 1, false), kScriptVariableType);

    EXPECT_EQ(ScriptModule_SetString(vm, module, "label", "longer text", false), kScriptOk);
    const char* label = nullptr;
    EXPECT_EQ(ScriptModule_GetString(vm, module, "label", &label, false), kScriptOk);
    EXPECT_STREQ(label, "longer text");

    EXPECT_EQ(ScriptModule_GetLong(vm, module, "absent", &count, false), kScriptVariableMissing);
    EXPECT_EQ(vm->status, kScriptVariableMissing);
    // With the exported flag only exported globals are found.
    EXPECT_EQ(ScriptModule_GetLong(vm, module, "count", &count, true), kScriptVariableMissing);
    EXPECT_EQ(ScriptModule_GetLong(vm, module, "shown", &count, true), kScriptOk);
    EXPECT_EQ(count, 1u);
}

} // namespace
