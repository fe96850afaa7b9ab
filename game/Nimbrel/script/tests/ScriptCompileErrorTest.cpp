// Every compile-time message, with the file and line it names.
#include "NimbrelScript/ScriptCompiler.h"

#include "ScriptFiles.h"
#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ErrorCase {
    const char* source;
    Status status;
    const char* message;
    int line;
};

class ScriptCompileErrors : public ::testing::Test {
protected:
    void SetUp() override
    {
        vm = ScriptVM_Create();
        module = ScriptModule_Create(vm, nullptr);
    }
    void TearDown() override { ScriptVM_Destroy(vm); }

    Status CompileFile(const std::string& name) { return ScriptModule_CompileFileA(vm, module, files.Folder().c_str(), name.c_str()); }
    std::string Expected(const std::string& message, const std::string& file, int line)
    {
        return "Script error! " + message + " (\"" + files.Folder() + file + "\" : line=" + std::to_string(line) + ")";
    }

    ScriptFiles files;
    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
};

TEST_F(ScriptCompileErrors, Table)
{
    const ErrorCase cases[] = {
        // A one-letter variable whose letter starts a keyword selects that keyword's form.
        {"var a = 1;\r\ni = 2;\r\n", kScriptSyntax, "missing '(' after 'if' command", 2},
        {"var a = 1;\r\n}\r\n", kScriptSyntax, "the '}' command are too many", 2},
        // The scanner does not know string literals: the ';' inside ends the statement.
        {"var s = \"a;b\";\r\n", kScriptSyntax, "the specified line must end with ';'", 1},
        // A tab before the operator stays inside the name's token.
        {"var x\t= 1;\r\n", kScriptSyntax, "the specified variable must be declared in alphanumeric: \"x\t\"", 1},
        {"var x = 1;\r\nx\t= 2;\r\n", kScriptVariableMissing, "the specified variable is missing: \"x\t\"", 2},
        {"var 1x;", kScriptSyntax, "the specified variable have a bad suffix number: \"1x\"", 1},
        {"var x;\r\nvar x;", kScriptVariableTwice, "the specified variable was initialized more than once: \"x\"", 2},
        {"var x;\r\nfunction f() {\r\nvar x;\r\n}", kScriptVariableTwice,
         "the specified variable was initialized more than once: \"x\"", 3},
        {"y = 1;", kScriptVariableMissing, "the specified variable is missing: \"y\"", 1},
        {"var x = 1;\r\nx = !x;", kScriptUnsupported, "unsupported operator \"!\"", 2},
        {"var x = 1 & 2;", kScriptUnsupported, "unsupported operator \"&\"", 1},
        {"var x = 1 | 2;", kScriptUnsupported, "unsupported operator \"|\"", 1},
        {"var x = 1 ^ 2;", kScriptUnsupported, "unsupported operator \"^\"", 1},
        {"var x = 1;\r\n++x;", kScriptUnsupported, "unsupported operator \"++var\", use \"var++\" instead", 2},
        {"var x = 1;\r\n--x;", kScriptUnsupported, "unsupported operator \"--var\", use \"var--\" instead", 2},
        {"var x 1;", kScriptSyntax, "left operand must be l-value", 1},
        {"function loop() {\r\nloop();\r\n}", kScriptUnsupported, "unsupported recursive operation on \"loop\"", 2},
        {"function f() {\r\n}\r\nfunction f() {\r\n}", kScriptFunctionHasBody,
         "the specified function already has a body: \"f\"", 3},
        {"function 1f() {\r\n}", kScriptSyntax, "the specified function have a bad suffix number: \"1f\"", 1},
        {"function f() {\r\nfunction g() {\r\n}\r\n}", kScriptSyntax,
         "the 'function' command cannot be used in a function", 2},
        {"break;", kScriptSyntax, "illegal 'break' command outside 'while' or 'for' blocks", 1},
        {"if (1) {\r\ncontinue;\r\n}", kScriptSyntax, "illegal 'continue' command outside 'while' or 'for' blocks", 2},
        {"while x;", kScriptSyntax, "missing '(' after 'while' command", 1},
        {"var x = 0;\r\nif (x) { }\r\nelse if x;", kScriptSyntax, "missing '(' after 'else if' command", 3},
        {"for x;", kScriptSyntax, "missing '(' after 'if' command", 1},
        {"var i = 0;\r\nfor (i = 0) {\r\n}", kScriptSyntax, "missing ';' before ')'", 2},
        {"var i = 0;\r\nfor (i = 0; i < 3) {\r\n}", kScriptSyntax, "missing ';' before ')'", 2},
        {"function f() {\r\nexport var x;\r\n}", kScriptSyntax, "the 'export' command cannot be used in a function", 2},
        {"function f() {\r\nsynchronized var x;\r\n}", kScriptSyntax,
         "the 'synchronized' command cannot be used in a function", 2},
        // A variable of a closed block comes back above the statement's result slot.
        {"{ var a = 1; }\r\na = 2;", kScriptInternalError, "internal error \"index_ret < _variable_index\"", 2},
        // A for head whose parenthesis group ends it early at the ';' after the group.
        {"for (var i = 0; i < (3); i++) {\r\n}", kScriptSyntax, "missing '(' after 'if' command", 1},
        {"var x = 0;\r\nx = f(1 {\r\n}", kScriptSyntax, "the statement ends too early", 2},
        {"var x", kScriptOk, "", 0}, // no terminator: nothing to compile
    };
    int number = 0;
    for (const ErrorCase& test : cases) {
        SCOPED_TRACE(test.source);
        std::string name = "case" + std::to_string(number++) + ".script";
        files.Write(name, test.source);
        vm->status = 0;
        EXPECT_EQ(CompileFile(name), test.status);
        if (test.status < 0) {
            EXPECT_EQ(vm->status, test.status);
            EXPECT_EQ(TestLastError(vm), Expected(test.message, name, test.line));
        }
    }
}

TEST_F(ScriptCompileErrors, StatementTooLong)
{
    std::string source = "var x = 1" + std::string(5000, ' ') + ";";
    files.Write("long.script", source);
    EXPECT_EQ(CompileFile("long.script"), kScriptSyntax);
    EXPECT_EQ(TestLastError(vm), Expected("the specified line is too long", "long.script", 1));
}

TEST_F(ScriptCompileErrors, CommentsDropUnfinishedStatements)
{
    // The head of an if cut by a comment is lost; its braced body becomes a plain block.
    files.Write("comment.script", "var x = 0;\r\nif (0) // never\r\n{\r\nx = 5;\r\n}\r\n/* x = 9; */\r\n");
    ASSERT_EQ(CompileFile("comment.script"), kScriptOk) << TestLastError(vm);
    ASSERT_GE(TestRunTopLevel(vm, module), 0) << TestLastError(vm);
    EXPECT_EQ(TestGlobal(module, "x")->value, 5u);
}

TEST_F(ScriptCompileErrors, FileFailures)
{
    EXPECT_EQ(CompileFile("absent.script"), kScriptFileOpen);
    files.Write("tiny.script", "x;");
    EXPECT_EQ(CompileFile("tiny.script"), kScriptFileRead);
    files.Write("image.script", std::string("\x14\x12\x19\x77\x00\x00\x01\x00", 8));
    EXPECT_EQ(CompileFile("image.script"), kScriptFailed); // an image cut short
}

} // namespace
