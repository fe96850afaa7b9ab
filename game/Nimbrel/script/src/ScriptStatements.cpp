// The statement forms: declarations, functions, blocks and the control statements.
#include "ScriptCompileInternal.h"

#include "NimbrelScript/ScriptText.h"

namespace {

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

bool HasToken(const ScriptCompiling& c, size_t from, const char* text)
{
    for (size_t i = c.pos + from; i < c.tokens.size(); ++i) {
        if (c.tokens[i] == text)
            return true;
    }
    return false;
}

} // namespace

Status ScriptCheckName(ScriptVM* vm, ScriptModule* module, ScriptFunction* function, const char* name,
                       uint8_t attributes, uint32_t fileIndex, uint32_t line, ScriptDeclaration** declaration)
{
    if (IsDigit(name[0]))
        return ScriptFail(vm, module, kScriptSyntax, fileIndex, line,
                          u"the specified variable have a bad suffix number: \"%S\"", name);
    for (const char* p = name; *p; ++p) {
        char ch = *p;
        bool valid = IsDigit(ch) || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_';
        if (!valid)
            return ScriptFail(vm, module, kScriptSyntax, fileIndex, line,
                              u"the specified variable must be declared in alphanumeric: \"%S\"", name);
    }
    *declaration = ScriptNewDeclaration(function, name, attributes, fileIndex, line);
    if (!*declaration) {
        vm->status = kScriptOutOfMemory;
        return kScriptOutOfMemory;
    }
    return kScriptOk;
}

Status ScriptCompileDeclaration(ScriptCompiling& c, uint8_t attributes)
{
    const std::string* name = c.Peek(1);
    const std::string* after = c.Peek(2);
    if (!name || !after)
        return c.UnexpectedEnd();
    if (*after != "=" && *after != ";")
        return c.Fail(kScriptSyntax, u"left operand must be l-value");
    if (!HasToken(c, 2, ";"))
        return c.Fail(kScriptSyntax, u"the specified line must end with ';'");
    for (ScriptFunction* function = c.Function(); function; function = function->parent) {
        if (ScriptFindOwnVariable(function, name->c_str()))
            return c.Fail(kScriptVariableTwice, u"the specified variable was initialized more than once: \"%S\"",
                          name->c_str());
    }
    ScriptDeclaration* declaration = nullptr;
    Status status = ScriptCheckName(c.vm, c.module, c.Function(), name->c_str(), attributes, c.fileIndex, c.line,
                                    &declaration);
    uint32_t slot = 0;
    if (status >= 0)
        status = c.Declare(declaration, &slot);
    if (status < 0 || *after != "=")
        return status;
    ++c.pos; // compile from the name on, as an assignment
    uint32_t temporary = 0;
    if ((status = ScriptCompileExpression(c, &temporary)) < 0)
        return status;
    return c.Remove(1);
}

Status ScriptCompileFunction(ScriptCompiling& c, uint8_t attributes)
{
    if (c.InFunction())
        return c.Fail(kScriptSyntax, u"the 'function' command cannot be used in a function");
    const std::string* name = c.Peek(1);
    if (!name)
        return c.UnexpectedEnd();
    if (IsDigit((*name)[0]))
        return c.Fail(kScriptSyntax, u"the specified function have a bad suffix number: \"%S\"", name->c_str());
    ScriptFunction* root = c.Root();
    ScriptFunction* function = ScriptFindFunction(c.module, root, name->c_str(), kScriptAttrForward, false, false);
    if (function) {
        function->attributes = attributes;
        function->fileIndex = c.fileIndex;
        function->line = c.line;
    } else if (ScriptFindFunction(c.module, root, name->c_str(), kScriptAttrOwn, false, false)) {
        return c.Fail(kScriptFunctionHasBody, u"the specified function already has a body: \"%S\"", name->c_str());
    } else {
        function = ScriptNewFunction(root, name->c_str(), attributes, c.fileIndex, c.line);
        if (!function)
            return c.Fail(kScriptOutOfMemory, u"out of memory");
    }

    ScriptCompileState* state = c.state;
    state->outerBlock = state->block;
    state->function = function;
    state->block = &function->body;
    state->stack = &function->compileStack;
    function->compileStack.Clear();
    function->body.base = 0;
    function->paramCount = 0;

    // Slot 0: the anonymous result, bound to the caller's result variable.
    ScriptDeclaration* result = ScriptNewDeclaration(function, nullptr, kScriptAttrOwn, c.fileIndex, c.line);
    if (!result)
        return c.Fail(kScriptOutOfMemory, u"out of memory");
    uint32_t slot = 0;
    Status status = c.Declare(result, &slot);
    if (status >= 0)
        status = c.Emit(kScriptOpBindParam, slot, function->paramCount++);
    for (size_t i = c.pos + 2; status >= 0 && i < c.tokens.size(); ++i) {
        const std::string& token = c.tokens[i];
        if (token == "," || token == "(" || token == ")" || token == "{" || ScriptKeywordMatch(token.c_str(), "var") == 0)
            continue;
        ScriptDeclaration* parameter = nullptr;
        status = ScriptCheckName(c.vm, c.module, function, token.c_str(), kScriptAttrOwn, c.fileIndex, c.line,
                                 &parameter);
        if (status >= 0)
            status = c.Declare(parameter, &slot);
        if (status >= 0)
            status = c.Emit(kScriptOpBindParam, slot, function->paramCount++);
    }
    return status;
}

Status ScriptCompileIf(ScriptCompiling& c, uint32_t kind, const char16_t* missingParenthesis)
{
    if (!c.Is(1, "("))
        return c.Fail(kScriptSyntax, missingParenthesis);
    c.pos += 2;
    ScriptBlock* block = nullptr;
    Status status = c.OpenChildBlock(kind, c.state->block, &block);
    if (status < 0)
        return status;
    c.state->block = block;
    uint32_t condition = 0;
    if ((status = ScriptCompileExpression(c, &condition)) < 0)
        return status;
    return c.Emit(kScriptOpLeaveIfZero, condition, 0);
}

Status ScriptCompileElse(ScriptCompiling& c)
{
    const std::string* second = c.Peek(1);
    if (second && ScriptKeywordMatch(second->c_str(), "if") == 0) {
        ++c.pos;
        return ScriptCompileIf(c, kScriptBlockElseIf, u"missing '(' after 'else if' command");
    }
    ScriptBlock* block = nullptr;
    Status status = c.OpenChildBlock(kScriptBlockElse, c.state->block, &block);
    if (status >= 0)
        c.state->block = block;
    return status;
}

Status ScriptCompileFor(ScriptCompiling& c)
{
    if (!c.Is(1, "("))
        return c.Fail(kScriptSyntax, u"missing '(' after 'if' command");
    c.pos += 2;
    bool declared = false;
    const std::string* first = c.Peek();
    if (!first)
        return c.UnexpectedEnd();
    Status status = kScriptOk;
    if (ScriptKeywordMatch(first->c_str(), "var") == 0) {
        // The declaration with its assignment, then the same assignment again as the init.
        const size_t keyword = c.pos;
        if ((status = ScriptCompileDeclaration(c, kScriptAttrOwn)) < 0)
            return status;
        declared = true;
        c.pos = keyword + 1; // the variable's name
    }
    uint32_t init = 0;
    if ((status = ScriptCompileExpression(c, &init)) < 0)
        return status;
    if (!c.Is(0, ";"))
        return c.Fail(kScriptSyntax, u"missing ';' before ')'");
    ++c.pos;

    ScriptBlock* loop = nullptr;
    if ((status = c.OpenChildBlock(kScriptBlockFor, c.state->block, &loop)) < 0)
        return status;
    c.state->block = loop;
    uint32_t condition = 0;
    if ((status = ScriptCompileExpression(c, &condition)) < 0 ||
        (status = c.Emit(kScriptOpLeaveIfZero, condition, 0)) < 0 || (status = c.Remove(1)) < 0)
        return status;
    if (!c.Is(0, ";"))
        return c.Fail(kScriptSyntax, u"missing ';' before ')'");
    ++c.pos;

    ScriptBlock* body = nullptr;
    if ((status = c.OpenChildBlock(kScriptBlockPlain, loop, &body)) < 0)
        return status;
    ScriptBlock* step = ScriptNewBlock(c.Function(), kScriptBlockPlain, loop);
    if (!step)
        return c.Fail(kScriptOutOfMemory, u"out of memory");
    step->base = c.Count();
    c.state->block = step;
    uint32_t stepValue = 0;
    if ((status = ScriptCompileExpression(c, &stepValue)) < 0 || (status = c.Remove(1)) < 0)
        return status;
    loop->stepBlock = step->index;
    loop->removeOnClose = declared ? 2 : 1;
    c.state->block = body;
    return kScriptOk;
}

Status ScriptCompileWhile(ScriptCompiling& c)
{
    if (!c.Is(1, "("))
        return c.Fail(kScriptSyntax, u"missing '(' after 'while' command");
    c.pos += 2;
    ScriptBlock* loop = nullptr;
    Status status = c.OpenChildBlock(kScriptBlockWhile, c.state->block, &loop);
    if (status < 0)
        return status;
    c.state->block = loop;
    uint32_t condition = 0;
    if ((status = ScriptCompileExpression(c, &condition)) < 0 ||
        (status = c.Emit(kScriptOpLeaveIfZero, condition, 0)) < 0)
        return status;
    return c.Remove(1);
}

Status ScriptCompileBreak(ScriptCompiling& c, uint32_t opcode)
{
    for (ScriptBlock* block = c.state->block; block; block = block->parent) {
        if (block->kind == kScriptBlockFor || block->kind == kScriptBlockWhile)
            return c.Emit(opcode, 0, 0);
    }
    return c.Fail(kScriptSyntax, opcode == kScriptOpBreak
                                     ? u"illegal 'break' command outside 'while' or 'for' blocks"
                                     : u"illegal 'continue' command outside 'while' or 'for' blocks");
}

Status ScriptCompileReturn(ScriptCompiling& c)
{
    ++c.pos;
    uint32_t value = 0;
    Status status = c.NewTemporary(&value);
    if (status >= 0)
        status = c.Reference(value, 0, false);
    if (status >= 0)
        status = ScriptCompileExpressionInto(c, value);
    if (status >= 0)
        status = c.Emit(kScriptOpReturn, 0, 0);
    if (status >= 0)
        c.Function()->hasReturn = 1;
    return status;
}

Status ScriptCompileOpen(ScriptCompiling& c)
{
    ScriptBlock* block = nullptr;
    Status status = c.OpenChildBlock(kScriptBlockPlain, c.state->block, &block);
    if (status >= 0)
        c.state->block = block;
    return status;
}

Status ScriptCompileClose(ScriptCompiling& c)
{
    ScriptCompileState* state = c.state;
    ScriptBlock* block = state->block;
    if (block->parent && block->parent->kind == kScriptBlockFor)
        block = block->parent; // the body closes the loop
    if (block->stepBlock != kScriptNone) {
        Status status = c.EmitInto(block, kScriptOpEnterBlock, c.FunctionOperand(), block->stepBlock);
        if (status < 0)
            return status;
    }
    state->stack->Truncate(block->base);
    if (!block->parent) {
        if (!c.InFunction())
            return c.Fail(kScriptSyntax, u"the '}' command are too many");
        state->function->compileStack.Clear();
        state->function = c.Root();
        state->stack = &c.module->globals;
        state->block = state->outerBlock ? state->outerBlock : &c.Root()->body;
        state->outerBlock = nullptr;
        return kScriptOk;
    }
    state->block = block->parent;
    if (block->removeOnClose)
        return c.Remove(block->removeOnClose);
    return kScriptOk;
}
