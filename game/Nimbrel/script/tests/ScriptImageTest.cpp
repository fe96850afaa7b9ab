// Compiled images: written and read back, their instruction widths and header checks, cut
// images, and the checks that keep a bad or mismatched image away from the VM.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptDump.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptImage.h"
#include "NimbrelScript/ScriptRun.h"
#include "VornelUtils/UtilsMemory.h"

#include "ScriptFiles.h"
#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::string kSamples = std::string(VORNEL_SOURCE_DIR) + "/data/sample/scripts/";

// Two builtins, so that calls name builtin nodes and script functions come after them.
Status Double(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t, uint32_t,
              uintptr_t*, uintptr_t*, uint32_t, ScriptBuiltinResult* result, uint32_t, uint32_t)
{
    result->type = kScriptTypeULong;
    result->value = 2 * ScriptModule_GetParamLong(vm, module, node, caller, 1);
    return kScriptBuiltinResult;
}

void RegisterBuiltins(ScriptVM* vm, ScriptModule* module, int count)
{
    const char* names[] = {"twice", "double"};
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(ScriptModule_RegisterBuiltin(vm, module, names[i], Double, ScriptPackArgumentCode(0x11), 0, 0), 0);
}

const char kSource[] = "var greeting = \"hello\";\r\n"
                       "var ratio = 2.5;\r\n"
                       "function add(a, b) {\r\n"
                       "    var sum = 0;\r\n"
                       "    for (var i = 0; i < b; i++) {\r\n"
                       "        sum = sum + 1;\r\n"
                       "    }\r\n"
                       "    return a + sum;\r\n"
                       "}\r\n"
                       "function main() {\r\n"
                       "    var x = double(add(3, 4));\r\n"
                       "    if (x == 14) { x = x + 1000; } else { x = 0; }\r\n"
                       "    return x;\r\n"
                       "}\r\n";

// The dump without what only a compile knows (a for loop's step block and removal count).
std::string DumpOfCode(ScriptVM* vm, ScriptModule* module)
{
    return std::regex_replace(ScriptDumpModule(vm, module), std::regex(", step block [0-9]+, removes [0-9]+"), "");
}

std::vector<uint8_t> ImageOf(ScriptVM* vm, ScriptModule* module)
{
    size_t length = 0;
    uint8_t* image = ScriptModule_WriteImageMemory(vm, module, &length);
    std::vector<uint8_t> bytes(image, image + length);
    UTILS_FREE(image);
    return bytes;
}

class ScriptImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        writer = ScriptVM_Create();
        written = ScriptModule_Create(writer, nullptr);
        reader = ScriptVM_Create();
        read = ScriptModule_Create(reader, nullptr);
    }
    void TearDown() override
    {
        ScriptVM_Destroy(writer);
        ScriptVM_Destroy(reader);
    }

    // Compiles kSource with both builtins and returns its image.
    std::vector<uint8_t> CompiledImage()
    {
        RegisterBuiltins(writer, written, 2);
        EXPECT_EQ(ScriptModule_CompileMemory(writer, written, kSource, sizeof(kSource) - 1), kScriptOk)
            << TestLastError(writer);
        return ImageOf(writer, written);
    }

    Status Read(const std::vector<uint8_t>& image)
    {
        return ScriptModule_CompileMemory(reader, read, image.data(), image.size());
    }

    ScriptVM* writer = nullptr;
    ScriptModule* written = nullptr;
    ScriptVM* reader = nullptr;
    ScriptModule* read = nullptr;
};

TEST_F(ScriptImage, ReadsBackTheSameTreeAndRuns)
{
    const std::vector<uint8_t> image = CompiledImage();
    RegisterBuiltins(reader, read, 2);
    ASSERT_EQ(Read(image), kScriptOk) << TestLastError(reader);
    EXPECT_EQ(read->state, 1u);
    EXPECT_EQ(DumpOfCode(reader, read), DumpOfCode(writer, written));

    ASSERT_EQ(TestRunTopLevel(reader, read), kScriptOk) << TestLastError(reader);
    EXPECT_STREQ(ScriptValue_Text(TestGlobal(read, "greeting")), "hello");
    uintptr_t words[1] = {0};
    ASSERT_EQ(ScriptModule_Run(reader, read, "main", false, 0, words, 0x10000001u, kScriptNoResume), kScriptOk)
        << TestLastError(reader);
    EXPECT_EQ(words[0], 1014u);
}

TEST_F(ScriptImage, SampleScriptsReadBackTheSame)
{
    for (const char* name : {"Nimbrel_main.script", "Nimbrel_object_1.0.script"}) {
        ScriptFiles files;
        ASSERT_EQ(ScriptModule_CompileFileA(writer, written, kSamples.c_str(), name), kScriptOk) << name;
        const std::string path = files.Folder() + "image.img";
        ASSERT_EQ(ScriptModule_WriteImageA(writer, written, path.c_str()), kScriptOk);
        ASSERT_EQ(ScriptModule_CompileFileA(reader, read, "", path.c_str()), kScriptOk) << TestLastError(reader);
        EXPECT_EQ(DumpOfCode(reader, read), DumpOfCode(writer, written)) << name;
    }
}

TEST_F(ScriptImage, KeepsTheReadingModulesId)
{
    // The writer is the VM's second module; the reader keeps id 0 for itself and its functions.
    ScriptModule* second = ScriptModule_Create(writer, nullptr);
    ASSERT_EQ(second->id, 1u);
    ASSERT_EQ(ScriptModule_CompileMemory(writer, second, kSource, sizeof(kSource) - 1), kScriptOk);
    const std::vector<uint8_t> image = ImageOf(writer, second);
    ASSERT_EQ(Read(image), kScriptOk) << TestLastError(reader);
    EXPECT_EQ(read->id, 0u);
    std::function<void(const ScriptFunction&)> check = [&](const ScriptFunction& function) {
        EXPECT_EQ(function.moduleId, 0u) << ScriptFuncName(&function);
        for (const auto& child : function.functions)
            check(*child);
    };
    check(read->root);
    EXPECT_EQ(read->globals.moduleId, 0u);
}

TEST_F(ScriptImage, InstructionWidths)
{
    // The size an instruction adds to an image, by its fields.
    struct Case {
        ScriptInstruction instruction;
        size_t bytes;
    };
    const Case cases[] = {
        {{kScriptOpDeclare, 0, 254, 0, 3}, 10}, // every field in a byte
        {{kScriptOpDeclare, 0, 255, 0, 3}, 15}, // 255 is kept free in a byte
        {{kScriptOpDeclare, 0, 65534, 0, 3}, 15},
        {{kScriptOpDeclare, 0, 65535, 0, 3}, 25}, // as is 65535 in two bytes
        {{kScriptOpAssign, 0, kScriptNone, 0, 3}, 25},
    };
    ASSERT_NE(ScriptNewDeclaration(&written->root, "x", kScriptAttrOwn, 0, 1), nullptr);
    const ScriptInstruction declare = {kScriptOpDeclare, 0, 0, 0, 1};
    written->root.body.instructions.assign(1, declare);
    const size_t base = ImageOf(writer, written).size();
    for (const Case& c : cases) {
        written->root.body.instructions.assign({declare, c.instruction});
        const std::vector<uint8_t> image = ImageOf(writer, written);
        EXPECT_EQ(image.size() - base, c.bytes) << c.instruction.b;
        ASSERT_EQ(Read(image), kScriptOk) << TestLastError(reader);
        const ScriptInstruction& back = read->root.body.instructions.at(1);
        EXPECT_EQ(back.opcode, c.instruction.opcode);
        EXPECT_EQ(back.b, c.instruction.b);
        EXPECT_EQ(back.line, c.instruction.line);
    }
}

TEST_F(ScriptImage, HeaderChecks)
{
    const std::vector<uint8_t> image = CompiledImage();
    RegisterBuiltins(reader, read, 2);
    struct Case {
        size_t offset;
        uint8_t value;
        Status expected;
    };
    const Case cases[] = {
        {8, 2, kScriptImageVersion}, // version
        {12, 2, kScriptFileRead},    // second version
        {16, 0, kScriptFileRead},    // flag
        {16, 2, kScriptFileRead},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = image;
        bad[c.offset] = c.value;
        EXPECT_EQ(Read(bad), c.expected) << c.offset;
        EXPECT_EQ(read->state, 0u);
    }
    // The format word is not looked at.
    std::vector<uint8_t> format = image;
    format[4] = 0x55;
    EXPECT_EQ(Read(format), kScriptOk);
}

TEST_F(ScriptImage, EveryCutImageFailsCleanly)
{
    const std::vector<uint8_t> image = CompiledImage();
    RegisterBuiltins(reader, read, 2);
    for (size_t length = 4; length < image.size(); ++length) {
        std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_EQ(Read(cut), kScriptFailed) << length;
        ASSERT_EQ(read->state, 0u) << length;
    }
    ASSERT_EQ(Read(image), kScriptOk);
}

TEST_F(ScriptImage, RefusedWhereBuiltinsAreMissing)
{
    const std::vector<uint8_t> image = CompiledImage();
    for (int builtins : {0, 1}) {
        ScriptModule_Clear(reader, read, true);
        RegisterBuiltins(reader, read, builtins);
        EXPECT_EQ(Read(image), kScriptFailed) << builtins;
        EXPECT_EQ(read->state, 0u);
        EXPECT_NE(TestLastError(reader), "");
    }
}

TEST_F(ScriptImage, InstructionsThatNameNothingAreRefused)
{
    CompiledImage();
    ScriptFunction* add = nullptr;
    for (const auto& child : written->root.functions) {
        if (child->name == "add")
            add = child.get();
    }
    ASSERT_NE(add, nullptr);
    // Each case damages one instruction of "add", or adds one.
    struct Case {
        const char* what;
        ScriptInstruction instruction;
    };
    const uint32_t slots = 64;
    const Case cases[] = {
        {"opcode 27", {27, 0, 0, 0, 1}},
        {"declaration beyond the list", {kScriptOpDeclare, 500, 0, 0, 1}},
        {"slot beyond the stack", {kScriptOpAssign, slots, 0, 0, 1}},
        {"source slot beyond the stack", {kScriptOpAdd, 0, slots, 0, 1}},
        {"more slots removed than it can hold", {kScriptOpRemove, slots, 0, 0, 1}},
        {"parameter beyond the function's", {kScriptOpBindParam, 0, 9, 0, 1}},
        {"jump beyond the block", {kScriptOpJumpIfZero, 0, 999, 0, 1}},
        {"builtin of another index", {kScriptOpCallBuiltin, 0, 1, 0, 1}},
        {"builtin call to script code", {kScriptOpCallBuiltin, add->id, kScriptNone, 0, 1}},
        {"builtin beyond the root", {kScriptOpCallBuiltin, 99, 0, 0, 1}},
        {"child function beyond the list", {kScriptOpCallFunction, 99, 0, 0, 1}},
        {"block beyond the list", {kScriptOpEnterBlock, add->id, 99, 0, 1}},
        {"block of another function", {kScriptOpEnterBlock, kScriptNone, 0, 0, 1}},
        {"block of a builtin", {kScriptOpEnterBlock, 0, 0, 0, 1}},
    };
    RegisterBuiltins(reader, read, 2);
    for (const Case& c : cases) {
        add->body.instructions.push_back(c.instruction);
        EXPECT_EQ(Read(ImageOf(writer, written)), kScriptFailed) << c.what;
        EXPECT_EQ(read->state, 0u) << c.what;
        add->body.instructions.pop_back();
    }
    EXPECT_EQ(Read(ImageOf(writer, written)), kScriptOk) << TestLastError(reader);
}

} // namespace
