// Small programs compiled and run through the instruction handlers.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptText.h"

#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ScriptProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
    }
    void TearDown() override { ScriptVM_Destroy(vm); }

    // Compiles and runs; fails the test on any error.
    void Run(const std::string& source)
    {
        Status compiled = 0;
        Status status = TestCompileAndRun(vm, module, source, &compiled);
        ASSERT_GE(compiled, 0) << TestLastError(vm);
        ASSERT_GE(status, 0) << TestLastError(vm);
    }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
};

struct ProgramCase {
    const char* source;
    const char* variable;
    uint8_t type;
    uint32_t value;     // ULONG or FLOAT bits
    const char* text;   // STRING
};

uint32_t Bits(float value)
{
    return FloatToBits(value);
}

TEST_F(ScriptProgram, Table)
{
    const ProgramCase cases[] = {
        // No precedence: strictly left to right.
        {"var x = 1 + 2 * 3;", "x", kScriptTypeULong, 9, nullptr},
        // No negative literals: assigning minus one subtracts one.
        {"var x = 5; x = -1;", "x", kScriptTypeULong, 4, nullptr},
        {"var x = 0 - 1;", "x", kScriptTypeULong, 0xFFFFFFFFu, nullptr},
        {"var x = 1; x = x + 1.5;", "x", kScriptTypeFloat, Bits(2.5f), nullptr},
        {"var x = 7; x += 3; x -= 1; x *= 2; x /= 3;", "x", kScriptTypeULong, 6, nullptr},
        {"var x = 1; x++; x++; x--;", "x", kScriptTypeULong, 2, nullptr},
        {"var x = (1 + 2) * (2 + 2);", "x", kScriptTypeULong, 12, nullptr},
        {"var t = \"ab\"; t = t + 12;", "t", kScriptTypeString, 0, "ab12"},
        {"var t = \"ab\"; var u = t + \"cd\";", "u", kScriptTypeString, 0, "abcd"},
        {"var t = \"ab\"; var k = t == \"ab\";", "k", kScriptTypeULong, 1, nullptr},
        {"var t = \"ab\"; var k = t != \"ab\";", "k", kScriptTypeULong, 0, nullptr},
        {"var k = 3 < 4 && 2 > 1;", "k", kScriptTypeULong, 0, nullptr}, // ((3 < 4) && 2) > 1
        {"var k = 1; k = k && 0 || 1;", "k", kScriptTypeULong, 1, nullptr},
        {"var x = 0; if (1) x = 2;", "x", kScriptTypeULong, 2, nullptr},
        {"var x = 0; if (0) { x = 1; } else if (1) { x = 2; } else { x = 3; }", "x", kScriptTypeULong, 2, nullptr},
        {"var x = 0; if (1) { x = 1; } else if (1) { x = 2; } else { x = 3; }", "x", kScriptTypeULong, 1, nullptr},
        {"var x = 0; if (0) { x = 1; } else if (0) { x = 2; } else { x = 3; }", "x", kScriptTypeULong, 3, nullptr},
        {"var n = 0; while (n < 5) n++;", "n", kScriptTypeULong, 5, nullptr},
        {"var n = 0; while (1) { n++; if (n == 3) { break; } }", "n", kScriptTypeULong, 3, nullptr},
        {"var t = 0; for (var i = 0; i < 3; i++) { t += 10; }", "t", kScriptTypeULong, 30, nullptr},
        {"var t = 0; for (var i = 0; i < 5; i++) { if (i == 2) { continue; } t += i; }", "t", kScriptTypeULong, 8,
         nullptr},
        {"var t = 0; var i = 0; for (i = 0; i < 10; i++) { if (i == 4) { break; } t += 1; }", "t", kScriptTypeULong, 4,
         nullptr},
        {"function add(a, b) { return a + b; } var r = add(2, 3);", "r", kScriptTypeULong, 5, nullptr},
        {"function hello(name) { return \"hi \" + name; } var r = hello(\"bob\");", "r", kScriptTypeString, 0,
         "hi bob"},
        // Called before it is defined: found when the call runs.
        {"var r = later(4); function later(count) { return count * 2; }", "r", kScriptTypeULong, 8, nullptr},
        {"function g() { return h(); } function h() { return 7; } var r = g();", "r", kScriptTypeULong, 7, nullptr},
        {"var g = 10; function bump() { g = g + 1; g += 1; } bump(); bump();", "g", kScriptTypeULong, 14, nullptr},
        {"var x = 1; var y = 5; if (x) { var z = 2; y = y + z; } var w = 3;", "y", kScriptTypeULong, 7, nullptr},
        // A statement's first token that begins a keyword selects that keyword's form: "t" is
        // safe, "s" would be read as "synchronized".
        {"var s = 1; s = 2;", "s", kScriptTypeULong, 1, nullptr},
        {"var f = 1.5; var k = f > 1.0;", "k", kScriptTypeFloat, 1, nullptr},
    };
    for (const ProgramCase& test : cases) {
        SCOPED_TRACE(test.source);
        Run(test.source);
        if (HasFatalFailure())
            return;
        const ScriptValue* value = TestGlobal(module, test.variable);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->type, test.type);
        if (test.type == kScriptTypeString)
            EXPECT_STREQ(ScriptValue_Text(value), test.text);
        else
            EXPECT_EQ(value->value, test.value);
    }
}

TEST_F(ScriptProgram, RunTimeFailuresReportTheStatement)
{
    struct Case {
        const char* source;
        Status status;
        const char* message;
    } cases[] = {
        {"var x = 1;\r\nvar y = x < 2.0;", kScriptUnsupported,
         "Script error! unsupported operation \"FLOAT\" < \"ULONG\" (\"unknown\" : line=2)"},
        {"var x = 1 / 0;", kScriptUnsupported, "Script error! division by zero (\"unknown\" : line=1)"},
        {"var x = 1;\r\n\r\nx = \"a\";", kScriptUnsupported,
         "Script error! unsupported initialisation from \"STRING\" to \"ULONG\" (\"unknown\" : line=3)"},
        {"if (\"a\") { }", kScriptUnsupported,
         "Script error! unsupported operation is_zero on \"STRING\" (\"unknown\" : line=1)"},
        {"missing();", kScriptFunctionMissing, "Script error! the specified function is missing: \"missing\" (\"unknown\" : line=1)"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.source);
        Status compiled = 0;
        Status status = TestCompileAndRun(vm, module, test.source, &compiled);
        ASSERT_GE(compiled, 0) << TestLastError(vm);
        EXPECT_EQ(status, test.status);
        EXPECT_EQ(TestLastError(vm), test.message);
    }
}

// The unbraced body compiles exactly like the braced one.
TEST_F(ScriptProgram, UnbracedBodiesCompileLikeBracedOnes)
{
    const char* pairs[][2] = {
        {"var x = 1; var y = 0; if (x == 1) y = 2;", "var x = 1; var y = 0; if (x == 1) { y = 2; }"},
        {"var y = 0; while (y < 3) y++;", "var y = 0; while (y < 3) { y++; }"},
        {"var y = 0; for (var i = 0; i < 3; i++) y += i;", "var y = 0; for (var i = 0; i < 3; i++) { y += i; }"},
        {"var y = 0; if (y) y = 1; else if (y == 0) y = 2;", "var y = 0; if (y) { y = 1; } else if (y == 0) { y = 2; }"},
        {"var y = 0; if (1) if (y) y = 3;", "var y = 0; if (1) { if (y) { y = 3; } }"},
        {"var y = 0; if (y) y = 1; else\r\ny = 2;", "var y = 0; if (y) { y = 1; } else\r\n{ y = 2; }"},
        {"var y = 0; if (y) y = 1; else y = 2;", "var y = 0; if (y) { y = 1; } else { y = 2; }"},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair[0]);
        ScriptVM* braced = ScriptVM_Create();
        ScriptModule* other = ScriptModule_Create(braced, nullptr);
        std::string unbracedText = pair[0], bracedText = pair[1];
        ASSERT_GE(ScriptModule_CompileMemory(vm, module, unbracedText.data(), unbracedText.size()), 0)
            << TestLastError(vm);
        ASSERT_GE(ScriptModule_CompileMemory(braced, other, bracedText.data(), bracedText.size()), 0)
            << TestLastError(braced);
        auto same = [](const ScriptBlock& a, const ScriptBlock& b) {
            if (a.kind != b.kind || a.base != b.base || a.instructions.size() != b.instructions.size())
                return false;
            for (size_t i = 0; i < a.instructions.size(); ++i) {
                const ScriptInstruction& x = a.instructions[i];
                const ScriptInstruction& y = b.instructions[i];
                if (x.opcode != y.opcode || x.a != y.a || x.b != y.b || x.fileIndex != y.fileIndex || x.line != y.line)
                    return false;
            }
            return true;
        };
        EXPECT_TRUE(same(module->root.body, other->root.body));
        ASSERT_EQ(module->root.blocks.size(), other->root.blocks.size());
        for (size_t i = 0; i < module->root.blocks.size(); ++i)
            EXPECT_TRUE(same(*module->root.blocks[i], *other->root.blocks[i])) << "block " << i;
        ScriptVM_Destroy(braced);
    }
}

// The brace goes right after the word "else", whatever line end or blank follows it.
TEST_F(ScriptProgram, UnbracedElseBodyRunsWhole)
{
    const struct {
        const char* source;
        uint32_t value;
    } cases[] = {
        {"var x = 0; if (0) x = 2; else x = 3;", 3},
        {"var x = 0; if (0) x = 2; else\nx = 7;", 7},
        {"var x = 0; if (0) x = 2; else\r\nx = 7;", 7},
        {"var x = 0; if (0) x = 2; else\tx = 3;", 3},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.source);
        Run(test.source);
        const ScriptValue* x = TestGlobal(module, "x");
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(x->value, test.value);
    }
}

TEST_F(ScriptProgram, ForLoopWithVarRunsItsInitTwiceAndCleansUp)
{
    Run("var n = 0; for (var i = 0; i < 3; i++) { n++; } var after = 1;");
    EXPECT_EQ(TestGlobal(module, "n")->value, 3u);
    // The loop's variable and its init slot are gone: only n and after are left.
    EXPECT_EQ(module->globals.Count(), 2u);
}

TEST_F(ScriptProgram, BuiltinCallStoresItsResult)
{
    struct Host {
        static Status Twice(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t,
                            uintptr_t* bound1, uintptr_t*, uint32_t, ScriptBuiltinResult* result, uint32_t, uint32_t)
        {
            result->type = kScriptTypeULong;
            result->value = static_cast<uint32_t>(*bound1) * 2;
            return kScriptBuiltinResult;
        }
        static Status Flag(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t, uintptr_t*,
                           uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
        {
            return kScriptBuiltinResult; // no type: ULONG 1
        }
        static Status Nothing(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t,
                              uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult*, uint32_t, uint32_t)
        {
            return kScriptBuiltinNoResult;
        }
        static Status NullText(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation*, uint32_t, uint32_t,
                               uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult* result, uint32_t, uint32_t)
        {
            result->type = kScriptTypeString;
            result->text = nullptr;
            return kScriptBuiltinResult;
        }
    };
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "twice", Host::Twice, 0x11, 21, 0), kScriptOk);
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "flag", Host::Flag, 0x11, 0, 0), kScriptOk);
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "nothing", Host::Nothing, 0x11, 0, 0), kScriptOk);
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "nullText", Host::NullText, 0x14, 0, 0), kScriptOk);
    // Registering a name again keeps its index.
    ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, "twice", Host::Twice, 0x11, 50, 0), kScriptOk);
    ASSERT_EQ(module->builtins.size(), 4u);

    // A null STRING result acts as the empty string in "+", "==" and as an argument.
    Run("var a = twice(); var b = flag(); var c = nothing();"
        "var d = \"x\" + nullText(); var e = \"\" == nullText();"
        "function echo(value) { return value + \"!\"; } var f = echo(nullText());");
    EXPECT_EQ(TestGlobal(module, "a")->value, 100u);
    EXPECT_EQ(TestGlobal(module, "b")->value, 1u);
    EXPECT_EQ(TestGlobal(module, "c")->value, 0u);
    EXPECT_STREQ(ScriptValue_Text(TestGlobal(module, "d")), "x");
    EXPECT_EQ(TestGlobal(module, "e")->value, 1u);
    EXPECT_STREQ(ScriptValue_Text(TestGlobal(module, "f")), "!");
    // The builtin calls compile to instruction 21 with the builtin's index.
    bool sawBuiltinCall = false;
    for (const ScriptInstruction& instruction : module->root.body.instructions) {
        if (instruction.opcode == kScriptOpCallBuiltin && instruction.b == 0)
            sawBuiltinCall = true;
    }
    EXPECT_TRUE(sawBuiltinCall);
}

} // namespace
