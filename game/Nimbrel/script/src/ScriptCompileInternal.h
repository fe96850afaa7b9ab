#pragma once
// The compiler's working state for one tokenized statement, and the steps shared by the
// statement forms: emitting into the current block while keeping the compile-time stack
// in step with the one the code will have when it runs.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptOps.h"

#include <string>
#include <vector>

struct ScriptCompiling {
    ScriptVM* vm;
    ScriptModule* module;
    ScriptCompileState* state;
    const std::vector<std::string>& tokens;
    size_t pos;
    uint32_t fileIndex;
    uint32_t line;

    // The token at pos + offset, or null past the end.
    const std::string* Peek(size_t offset = 0) const
    {
        return pos + offset < tokens.size() ? &tokens[pos + offset] : nullptr;
    }
    // The token at pos + offset equals `text` exactly.
    bool Is(size_t offset, const char* text) const
    {
        const std::string* token = Peek(offset);
        return token && *token == text;
    }

    ScriptFunction* Function() const { return state->function; }
    ScriptFunction* Root() const { return &module->root; }
    bool InFunction() const { return state->function != &module->root; }
    uint32_t Count() const { return state->stack->Count(); }

    // Reports the message and returns the status (stored in the VM's status word).
    Status Fail(Status status, const char16_t* format, ...);
    // A statement that ends before a token its form requires.
    Status UnexpectedEnd();

    Status Emit(uint32_t opcode, uint32_t a, uint32_t b);
    Status EmitInto(ScriptBlock* block, uint32_t opcode, uint32_t a, uint32_t b);
    // Pushes (or finds) the declaration's slot on the compile-time stack and emits 2.
    Status Declare(ScriptDeclaration* declaration, uint32_t* slot);
    // Emits 3 and removes the slots from the compile-time stack.
    Status Remove(uint32_t count);
    // A new anonymous temporary, declared.
    Status NewTemporary(uint32_t* slot);
    // Emits 0: `result` becomes a reference to `target` (also on the compile-time stack).
    Status Reference(uint32_t result, uint32_t target, bool globalReference);
    // Emits `opcode` (result, operand) after checking both slots.
    Status Combine(uint32_t opcode, uint32_t result, uint32_t operand);
    // The function operand of instruction 23 for the current function (-1 for the root).
    uint32_t FunctionOperand() const { return InFunction() ? state->function->id : kScriptNone; }
    // Opens a child block of the current block: created, based at the current stack count and
    // entered with 23 from the current block (which does not change).
    Status OpenChildBlock(uint32_t kind, ScriptBlock* parent, ScriptBlock** block);
};

// Expressions: compiles from pos up to ';', ')', ',' or '{' (not consumed) into `result`.
Status ScriptCompileExpressionInto(ScriptCompiling& c, uint32_t result);
// The same into a new temporary; *slot gets it.
Status ScriptCompileExpression(ScriptCompiling& c, uint32_t* slot);

// Statement forms (pos at the form's keyword).
Status ScriptCompileDeclaration(ScriptCompiling& c, uint8_t attributes);
Status ScriptCompileFunction(ScriptCompiling& c, uint8_t attributes);
Status ScriptCompileIf(ScriptCompiling& c, uint32_t kind, const char16_t* missingParenthesis);
Status ScriptCompileElse(ScriptCompiling& c);
Status ScriptCompileFor(ScriptCompiling& c);
Status ScriptCompileWhile(ScriptCompiling& c);
Status ScriptCompileBreak(ScriptCompiling& c, uint32_t opcode);
Status ScriptCompileReturn(ScriptCompiling& c);
Status ScriptCompileOpen(ScriptCompiling& c);
Status ScriptCompileClose(ScriptCompiling& c);
