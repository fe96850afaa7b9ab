// Saved script state: globals, synchronized variables and running activations written to
// buffers and read back into a fresh module of the same script; damaged buffers refused.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptState.h"
#include "VornelUtils/UtilsMemory.h"

#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// The bytes of a saved buffer, which is freed.
std::vector<uint8_t> Take(uint8_t* (*save)(ScriptVM*, ScriptModule*, size_t*), ScriptVM* vm, ScriptModule* module)
{
    size_t length = 0;
    uint8_t* buffer = save(vm, module, &length);
    EXPECT_NE(buffer, nullptr);
    std::vector<uint8_t> bytes(buffer, buffer + (buffer ? length : 0));
    if (buffer)
        UTILS_FREE(buffer);
    return bytes;
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

void PutU32At(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// What the script's builtins print, one line each.
std::vector<std::string>* g_lines = nullptr;

Status Trace(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t, uint32_t,
             uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
    g_lines->push_back(text ? text : "(null)");
    return kScriptBuiltinNoResult;
}

Status Wait(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t, uint32_t,
            uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
{
    const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
    g_lines->push_back(std::string("wait ") + (text ? text : "(null)"));
    return kScriptWait;
}

// A wait inside a loop inside a helper, over globals of every kind.
const char kSource[] = "var label = \"turn\";\r\n"
                       "var count = 3;\r\n"
                       "var ratio = 0.5;\r\n"
                       "var empty;\r\n"
                       "synchronized var visits = 4;\r\n"
                       "function gather(n) {\r\n"
                       "    var sum = 0;\r\n"
                       "    for (var i = 1; i <= n; i++) {\r\n"
                       "        var got = _wait(label + \" \" + i);\r\n"
                       "        sum = sum + got;\r\n"
                       "        eTRACE(\"sum \" + sum);\r\n"
                       "    }\r\n"
                       "    return sum;\r\n"
                       "}\r\n"
                       "function main() {\r\n"
                       "    visits = visits + 1;\r\n"
                       "    var total = gather(count);\r\n"
                       "    ratio = ratio + total;\r\n"
                       "    eTRACE(\"total \" + total + \" ratio \" + ratio);\r\n"
                       "    return total;\r\n"
                       "}\r\n";

// One VM with the script compiled and its top-level code run.
struct Program {
    explicit Program(const char* source = kSource)
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
        ScriptModule_RegisterBuiltin(vm, module, "eTRACE", Trace, ScriptPackArgumentCode(0x4), 0, 0);
        ScriptModule_RegisterBuiltin(vm, module, "_wait", Wait, ScriptPackArgumentCode(0x4), 0, 0);
        Status compiled = 0;
        EXPECT_EQ(TestCompileAndRun(vm, module, source, &compiled), kScriptOk) << TestLastError(vm);
    }
    ~Program() { ScriptVM_Destroy(vm); }

    Status Call(bool reuse, uint32_t resume = kScriptNoResume, const char* name = "main")
    {
        return ScriptModule_Run(vm, module, name, reuse, 0, nullptr, 0, resume);
    }
    std::vector<uint8_t> Globals() { return Take(ScriptModule_SaveGlobals, vm, module); }
    std::vector<uint8_t> RunState() { return Take(ScriptModule_SaveRunState, vm, module); }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
};

class ScriptState : public ::testing::Test {
protected:
    void SetUp() override { g_lines = &lines; }
    void TearDown() override { g_lines = nullptr; }
    std::vector<std::string> lines;
};

TEST_F(ScriptState, GlobalsComeBackEqual)
{
    Program saved;
    // A long string makes the buffer grow past its first 10,000 bytes in one write.
    const std::string longText(25000, 'x');
    ASSERT_EQ(ScriptModule_SetString(saved.vm, saved.module, "label", longText.c_str(), 0), kScriptOk);
    const std::vector<uint8_t> globals = saved.Globals();

    Program loaded;
    ASSERT_EQ(ScriptModule_SetString(loaded.vm, loaded.module, "label", "other", 0), kScriptOk);
    ASSERT_EQ(ScriptModule_LoadGlobals(loaded.vm, loaded.module, globals.data(), globals.size()), kScriptOk);
    ASSERT_EQ(loaded.module->globals.Count(), saved.module->globals.Count());
    const ScriptValue* label = TestGlobal(loaded.module, "label");
    ASSERT_EQ(label->type, kScriptTypeString);
    EXPECT_EQ(std::string(label->text), longText);
    EXPECT_NE(label->text, TestGlobal(saved.module, "label")->text); // a copy of its own
    EXPECT_EQ(TestGlobal(loaded.module, "count")->type, kScriptTypeULong);
    EXPECT_EQ(TestGlobal(loaded.module, "count")->value, 3u);
    EXPECT_EQ(TestGlobal(loaded.module, "ratio")->type, kScriptTypeFloat);
    EXPECT_EQ(FloatFromBits(TestGlobal(loaded.module, "ratio")->value), 0.5f);
    EXPECT_EQ(TestGlobal(loaded.module, "empty")->type, kScriptTypeUnknown);
}

TEST_F(ScriptState, NullStringLoadsAsNull)
{
    Program saved;
    ScriptValue* label = const_cast<ScriptValue*>(TestGlobal(saved.module, "label"));
    UTILS_FREE(label->text);
    label->text = nullptr;
    const std::vector<uint8_t> globals = saved.Globals();
    Program loaded;
    ASSERT_EQ(ScriptModule_LoadGlobals(loaded.vm, loaded.module, globals.data(), globals.size()), kScriptOk);
    EXPECT_EQ(TestGlobal(loaded.module, "label")->type, kScriptTypeString);
    EXPECT_EQ(TestGlobal(loaded.module, "label")->text, nullptr);
}

TEST_F(ScriptState, SynchronizedVariablesWithANameOnly)
{
    Program program;
    // A synchronized slot whose declaration has no name is left out.
    ScriptDeclaration* unnamed = ScriptNewDeclaration(&program.module->root, nullptr, kScriptAttrSynchronized, 0, 0);
    program.module->globals.Push(unnamed);
    const std::vector<uint8_t> bytes = Take(ScriptModule_SaveSynchronized, program.vm, program.module);
    // count 1; "visits" (7 bytes with its terminator); ULONG; its slot; 4
    ASSERT_EQ(bytes.size(), 4u + 4 + 7 + 1 + 4 + 4);
    EXPECT_EQ(U32At(bytes, 0), 1u);
    EXPECT_EQ(U32At(bytes, 4), 7u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[8])), "visits");
    EXPECT_EQ(bytes[15], kScriptTypeULong);
    uint32_t slot = kScriptNone;
    ScriptFindGlobal(program.module, "visits", &slot);
    EXPECT_EQ(U32At(bytes, 16), slot);
    EXPECT_EQ(U32At(bytes, 20), 4u);
}

TEST_F(ScriptState, WaitingCallContinuesInAFreshModule)
{
    // Without interruption: three waits, resumed with 5, 6 and 7.
    std::vector<std::string> uninterrupted;
    {
        Program program;
        ASSERT_EQ(program.Call(false), kScriptWait);
        ASSERT_EQ(program.Call(true, 5), kScriptWait);
        ASSERT_EQ(program.Call(true, 6), kScriptWait);
        ASSERT_EQ(program.Call(true, 7), kScriptOk) << TestLastError(program.vm);
        uninterrupted.swap(lines);
    }
    ASSERT_EQ(uninterrupted.back(), "total 18 ratio 18.500000");

    // Saved at the second wait and continued elsewhere.
    std::vector<uint8_t> globals, runState;
    {
        Program program;
        ASSERT_EQ(program.Call(false), kScriptWait);
        ASSERT_EQ(program.Call(true, 5), kScriptWait);
        globals = program.Globals();
        runState = program.RunState();
    }
    Program loaded;
    ASSERT_EQ(ScriptModule_LoadGlobals(loaded.vm, loaded.module, globals.data(), globals.size()), kScriptOk);
    ASSERT_EQ(ScriptModule_LoadRunState(loaded.vm, loaded.module, runState.data(), runState.size()), kScriptOk)
        << TestLastError(loaded.vm);
    // Saving what was loaded gives the same bytes.
    EXPECT_EQ(loaded.RunState(), runState);
    ASSERT_EQ(loaded.Call(true, 6), kScriptWait) << TestLastError(loaded.vm);
    ASSERT_EQ(loaded.Call(true, 7), kScriptOk) << TestLastError(loaded.vm);
    EXPECT_EQ(lines, uninterrupted);
    EXPECT_EQ(TestGlobal(loaded.module, "visits")->value, 5u);
}

// An assignment computes in place: from its first operator on, the variable holds the value
// computed so far, so while a call further right waits, other scripts and a save see that partial
// value. The saved run state carries the rest of the statement, which completes it after a load.
TEST_F(ScriptState, AnAssignmentSuspendedMidwayCompletesAfterALoad)
{
    const char source[] = "var got = 4; var seen = 0;\r\n"
                          "function main() { got = got * 10 + _wait(\"digit\"); eTRACE(\"got \" + got); }\r\n"
                          "function peek() { seen = got; }\r\n";
    std::vector<uint8_t> globals, runState;
    {
        Program program(source);
        ASSERT_EQ(program.Call(false), kScriptWait);
        ASSERT_EQ(program.Call(false, kScriptNoResume, "peek"), kScriptOk);
        EXPECT_EQ(TestGlobal(program.module, "seen")->value, 40u);
        globals = program.Globals();
        runState = program.RunState();
    }
    Program loaded(source);
    ASSERT_EQ(ScriptModule_LoadGlobals(loaded.vm, loaded.module, globals.data(), globals.size()), kScriptOk);
    ASSERT_EQ(ScriptModule_LoadRunState(loaded.vm, loaded.module, runState.data(), runState.size()), kScriptOk)
        << TestLastError(loaded.vm);
    EXPECT_EQ(TestGlobal(loaded.module, "got")->value, 40u);
    ASSERT_EQ(loaded.Call(true, 2), kScriptOk) << TestLastError(loaded.vm);
    EXPECT_EQ(TestGlobal(loaded.module, "got")->value, 42u);
    EXPECT_EQ(lines, (std::vector<std::string>{"wait digit", "got 42"}));
}

// Run states damaged in one place are refused, and the module is left with nothing running.
TEST_F(ScriptState, DamagedRunStatesAreRefused)
{
    Program program;
    ASSERT_EQ(program.Call(false), kScriptWait);
    const std::vector<uint8_t> runState = program.RunState();
    const size_t count = U32At(runState, 0);
    ASSERT_GE(count, 4u); // the scope, main, gather, the for block

    // Offsets within the first record whose function is "gather" (path -1, id).
    size_t gather = 0;
    for (size_t at = 20; at + 28 <= runState.size(); ++at) {
        if (U32At(runState, at) == 2 && U32At(runState, at + 4) == kScriptNone &&
            U32At(runState, at + 8) < program.module->root.functions.size() &&
            program.module->root.functions[U32At(runState, at + 8)]->name == "gather") {
            gather = at - 16; // index, host word, position, module id come before the depth
            break;
        }
    }
    ASSERT_NE(gather, 0u);
    const size_t pathId = gather + 24;
    const size_t hasBlock = gather + 28;
    const size_t blockIndex = gather + 29;

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"path id beyond the root's children", [&](std::vector<uint8_t>& b) { PutU32At(b, pathId, 200); }},
        {"block index beyond the function's", [&](std::vector<uint8_t>& b) {
             ASSERT_EQ(b[hasBlock], 1);
             PutU32At(b, blockIndex, 77);
         }},
        {"position beyond the block", [&](std::vector<uint8_t>& b) { PutU32At(b, gather + 8, 5000); }},
        {"module that does not exist", [&](std::vector<uint8_t>& b) { PutU32At(b, gather + 12, 9); }},
        {"index out of order", [&](std::vector<uint8_t>& b) { PutU32At(b, gather, 0); }},
        {"more records than bytes", [&](std::vector<uint8_t>& b) { PutU32At(b, 0, 0x10000000u); }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = runState;
        c.damage(bad);
        Program loaded;
        EXPECT_EQ(ScriptModule_LoadRunState(loaded.vm, loaded.module, bad.data(), bad.size()), kScriptFailed) << c.what;
        EXPECT_TRUE(loaded.module->activations.empty()) << c.what;
        // A run then starts afresh.
        EXPECT_EQ(loaded.Call(true), kScriptWait) << c.what;
    }

    // Every cut buffer fails, and so does every cut global stack.
    const std::vector<uint8_t> globals = program.Globals();
    Program loaded;
    for (size_t length = 0; length < runState.size(); ++length)
        ASSERT_EQ(ScriptModule_LoadRunState(loaded.vm, loaded.module, runState.data(), length), kScriptFailed) << length;
    for (size_t length = 0; length < globals.size(); ++length)
        ASSERT_EQ(ScriptModule_LoadGlobals(loaded.vm, loaded.module, globals.data(), length), kScriptFailed) << length;
}

TEST_F(ScriptState, LinksThatLeadNowhereOrInCirclesAreRefused)
{
    Program program;
    ASSERT_EQ(program.Call(false), kScriptWait);
    // Rebuild the records' links by hand: take them from a loaded copy and damage them there.
    const std::vector<uint8_t> runState = program.RunState();
    struct Case {
        const char* what;
        std::function<void(ScriptModule*)> damage;
    };
    const Case cases[] = {
        {"child linked back to its parent's parent",
         [](ScriptModule* m) { m->activations[2]->child->child = m->activations[1].get(); }},
        {"parent that does not know the record", [](ScriptModule* m) { m->activations[1]->child = nullptr; }},
    };
    for (const Case& c : cases) {
        Program source;
        ASSERT_EQ(ScriptModule_LoadRunState(source.vm, source.module, runState.data(), runState.size()), kScriptOk);
        c.damage(source.module);
        const std::vector<uint8_t> bad = source.RunState();
        // Undo the damage so that the module can be torn down as it was built.
        ScriptModule_LoadRunState(source.vm, source.module, runState.data(), runState.size());
        Program loaded;
        EXPECT_EQ(ScriptModule_LoadRunState(loaded.vm, loaded.module, bad.data(), bad.size()), kScriptFailed) << c.what;
        EXPECT_TRUE(loaded.module->activations.empty()) << c.what;
    }
}

} // namespace
