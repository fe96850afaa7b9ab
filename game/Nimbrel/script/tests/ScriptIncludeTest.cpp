// Include lines: expansion, line numbers after an include, and include cycles.
#include "NimbrelScript/ScriptCompiler.h"

#include "ScriptFiles.h"
#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

namespace {

class ScriptInclude : public ::testing::Test {
protected:
    void SetUp() override
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
    }
    void TearDown() override { ScriptVM_Destroy(vm); }

    Status Compile(const std::string& name)
    {
        return ScriptModule_CompileFileA(vm, module, files.Folder().c_str(), name.c_str());
    }
    std::string Path(const std::string& name) { return files.Folder() + name; }
    std::string Expected(const std::string& message, const std::string& file, int line)
    {
        return "Script error! " + message + " (\"" + Path(file) + "\" : line=" + std::to_string(line) + ")";
    }

    ScriptFiles files;
    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
};

TEST_F(ScriptInclude, IncludedFileIsCompiledInPlace)
{
    files.Write("lib/values.script", "var a = 41;\r\n");
    files.Write("main.script", "include \"lib/values.script\"\r\nvar b = a + 1;\r\n");
    ASSERT_EQ(Compile("main.script"), kScriptOk) << TestLastError(vm);
    ASSERT_EQ(module->fileNames.size(), 2u);
    EXPECT_EQ(module->fileNames[0], Path("main.script"));
    EXPECT_EQ(module->fileNames[1], Path("lib/values.script"));
    ASSERT_GE(TestRunTopLevel(vm, module), 0) << TestLastError(vm);
    EXPECT_EQ(TestGlobal(module, "b")->value, 42u);
}

TEST_F(ScriptInclude, NestedIncludesResolveAgainstTheIncludingFile)
{
    files.Write("lib/inner.script", "var a = 2;\r\n");
    files.Write("lib/outer.script", "include \"inner.script\"\r\nvar b = a * 10;\r\n");
    files.Write("main.script", "include \"lib/outer.script\"\r\nvar c = b + a;\r\n");
    ASSERT_EQ(Compile("main.script"), kScriptOk) << TestLastError(vm);
    ASSERT_GE(TestRunTopLevel(vm, module), 0) << TestLastError(vm);
    EXPECT_EQ(TestGlobal(module, "c")->value, 22u);
}

TEST_F(ScriptInclude, AFileMayBeIncludedTwice)
{
    files.Write("step.script", "counter++;\r\n");
    files.Write("main.script", "var counter = 0;\r\ninclude \"step.script\"\r\ninclude \"step.script\"\r\n");
    ASSERT_EQ(Compile("main.script"), kScriptOk) << TestLastError(vm);
    ASSERT_GE(TestRunTopLevel(vm, module), 0) << TestLastError(vm);
    EXPECT_EQ(TestGlobal(module, "counter")->value, 2u);
}

TEST_F(ScriptInclude, LinesGoOnAfterTheIncludeLine)
{
    files.Write("inc.script", "var a = 1;\r\nvar b = 2;\r\nvar c = 3;\r\n");
    files.Write("main.script", "var x = 1;\r\ninclude \"inc.script\"\r\nvar y = 2;\r\nmissing = 1;\r\n");
    EXPECT_EQ(Compile("main.script"), kScriptVariableMissing);
    EXPECT_EQ(TestLastError(vm), Expected("the specified variable is missing: \"missing\"", "main.script", 4));
}

TEST_F(ScriptInclude, ErrorsInsideAnIncludedFileNameThatFile)
{
    files.Write("inc.script", "var a = 1;\r\n\r\nbroken = 2;\r\n");
    files.Write("main.script", "include \"inc.script\"\r\n");
    EXPECT_EQ(Compile("main.script"), kScriptVariableMissing);
    EXPECT_EQ(TestLastError(vm), Expected("the specified variable is missing: \"broken\"", "inc.script", 3));
}

TEST_F(ScriptInclude, IncludeBehindSlashesIsNotExpanded)
{
    files.Write("main.script", "//include \"absent.script\"\r\nvar a = 1;\r\n");
    EXPECT_EQ(Compile("main.script"), kScriptOk) << TestLastError(vm);
    EXPECT_EQ(module->fileNames.size(), 1u);
}

TEST_F(ScriptInclude, IncludeLineMustEndWithCarriageReturnAndLineFeed)
{
    files.Write("inc.script", "var a = 1;\r\n");
    files.Write("main.script", "var x = 1;\ninclude \"inc.script\"\nvar b = 2;\n");
    EXPECT_EQ(Compile("main.script"), kScriptSyntax);
    EXPECT_EQ(TestLastError(vm), Expected("the 'include' command is invalid", "main.script", 2));
}

TEST_F(ScriptInclude, MissingIncludedFile)
{
    files.Write("main.script", "var x = 1;\r\ninclude \"absent.script\"\r\n");
    EXPECT_EQ(Compile("main.script"), kScriptFileOpen);
    EXPECT_EQ(TestLastError(vm), Expected("the file cannot be opened: \"" + Path("absent.script") + "\"",
                                          "main.script", 2));
}

TEST_F(ScriptInclude, AFileIncludingItselfFails)
{
    files.Write("self.script", "var a = 1;\r\ninclude \"self.script\"\r\n");
    EXPECT_EQ(Compile("self.script"), kScriptSyntax);
    EXPECT_EQ(TestLastError(vm), Expected("the 'include' command makes a cycle: \"self.script\"", "self.script", 2));
}

TEST_F(ScriptInclude, TwoFilesIncludingEachOtherFail)
{
    files.Write("a.script", "include \"b.script\"\r\nvar a = 1;\r\n");
    files.Write("b.script", "var b = 1;\r\n\r\ninclude \"a.script\"\r\n");
    EXPECT_EQ(Compile("a.script"), kScriptSyntax);
    EXPECT_EQ(TestLastError(vm), Expected("the 'include' command makes a cycle: \"a.script\"", "b.script", 3));
}

TEST_F(ScriptInclude, ACycleThroughAnotherSpellingStopsAtTheDepthLimit)
{
    // "./loop.script" names the same file by another path each time.
    files.Write("loop.script", "include \"./loop.script\"\r\n");
    EXPECT_EQ(Compile("loop.script"), kScriptSyntax);
    EXPECT_NE(TestLastError(vm).find("the 'include' command is nested too deeply"), std::string::npos)
        << TestLastError(vm);
}

} // namespace
