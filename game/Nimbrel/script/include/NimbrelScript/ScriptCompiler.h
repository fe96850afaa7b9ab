#pragma once
// The compiler: source text to the function tree of a module.
//
// The language is C-like and compiled statement by statement: ';' (outside parentheses), '{'
// and '}' end a statement; expressions combine their operands strictly from left to right,
// without precedence. Every compile-time message goes through ScriptReportError with the
// statement's file index and line, and the failing statement's status ends the compile;
// nothing is rolled back (the module keeps what was compiled, a later compile clears it).
#include "NimbrelScript/ScriptVM.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Longest statement text, terminator and the two characters of brace insertion included.
constexpr size_t kScriptStatementCapacity = 4112;
// Deepest chain of include files.
constexpr uint32_t kScriptIncludeDepthLimit = 64;

// Where the compiler stands between statements (and between the pieces of one file).
struct ScriptCompileState {
    ScriptFunction* function = nullptr;   // the root at top level, else the function being compiled
    ScriptBlock* block = nullptr;         // the current block of that function
    ScriptStack* stack = nullptr;         // the module's global stack, or the function's own
    ScriptBlock* outerBlock = nullptr;    // the root's block that a function definition interrupted
};

// Starts a compile into the module at its top level.
void ScriptCompileBegin(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state);
// Scans and compiles one source piece; returns the first failing statement's status or 0, and
// sets the module's state to 1 when the whole piece compiled.
Status ScriptCompileSource(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state, const char* text,
                           size_t length, uint32_t fileIndex, uint32_t lineOffset);
// Ends a compile: resolves forward references, empties the compile-time stacks.
void ScriptCompileEnd(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state);

// Compiles one statement text (terminator included), with brace insertion for an unbraced body.
Status ScriptCompileStatementText(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state, const char* text,
                                  size_t length, uint32_t fileIndex, uint32_t line);
// Compiles one tokenized statement.
Status ScriptCompileStatement(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state,
                              const std::vector<std::string>& tokens, uint32_t fileIndex, uint32_t line);

// Splits a statement into tokens at the 20 delimiters " ,;!()[]<>{}^=+-*/|&" (each delimiter
// but the blank is a token of its own); nothing splits inside double quotes; text after the
// last delimiter is not a token.
std::vector<std::string> ScriptTokenize(const char* text, size_t length);

// Checks a variable name (a leading digit: "the specified variable have a bad suffix number";
// a character outside 0-9 a-z A-Z _: "the specified variable must be declared in
// alphanumeric"; kScriptSyntax) and appends a declaration of that name.
Status ScriptCheckName(ScriptVM* vm, ScriptModule* module, ScriptFunction* function, const char* name,
                       uint8_t attributes, uint32_t fileIndex, uint32_t line, ScriptDeclaration** declaration);

// Every forward reference (attribute 8) of the tree becomes 16 when a function with a body of
// that name exists in the calling function or an enclosing one, else 4.
void ScriptResolveForwardReferences(ScriptModule* module);

// Clears the module (keeping its builtins), binds the builtins again and compiles the text as
// source (file index 0, line offset 0), or reads it as a compiled image when its first u32 is
// kScriptImageMagic (ScriptReadImage). `name`, when given, is source file 0's name in messages.
Status ScriptModule_CompileMemory(ScriptVM* vm, ScriptModule* module, const void* data, size_t length,
                                  const char* name = nullptr);
// Opens directory + name (kScriptFileOpen when it cannot be opened, kScriptFileRead when its
// first u32 cannot be read), clears the module keeping builtins, binds them again and compiles
// the file with include expansion; a compiled image is read whole, as above.
Status ScriptModule_CompileFile(ScriptVM* vm, ScriptModule* module, const char16_t* directory,
                                const char16_t* fileName);
// The same with UTF-8 paths.
Status ScriptModule_CompileFileA(ScriptVM* vm, ScriptModule* module, const char* directory, const char* fileName);

// Magic word of a compiled script image.
constexpr uint32_t kScriptImageMagic = 0x77191214u;
