// Scanning a source piece into statements, and brace insertion for unbraced bodies.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptText.h"

#include <cstring>

namespace {

bool IsLineBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

// ScriptKeywordMatch over a text that is not terminated.
bool BeginsWith(const char* text, size_t length, const char* keyword)
{
    for (size_t i = 0; i < length && keyword[i]; ++i) {
        if (text[i] != keyword[i])
            return false;
    }
    return true;
}

// Where brace insertion puts "{ " in a statement without '{', or npos for none: after the ')'
// closing the first parenthesis of an if, else if, while or for head; right after the word of an
// else, so that a body on the same line keeps its first character.
size_t BraceInsertionPoint(const char* text, size_t length)
{
    if (std::memchr(text, '{', length))
        return std::string::npos;
    if (BeginsWith(text, length, "if") || BeginsWith(text, length, "else if") || BeginsWith(text, length, "while") ||
        BeginsWith(text, length, "for")) {
        const char* open = static_cast<const char*>(std::memchr(text, '(', length));
        if (!open)
            return std::string::npos;
        size_t depth = 0;
        for (size_t i = static_cast<size_t>(open - text); i < length; ++i) {
            if (text[i] == '(') {
                ++depth;
            } else if (text[i] == ')' && --depth == 0) {
                return i + 1;
            }
        }
        return std::string::npos;
    }
    if (BeginsWith(text, length, "else"))
        return length > 4 ? 4 : std::string::npos;
    return std::string::npos;
}

Status CompileTokens(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state, const char* text, size_t length,
                     uint32_t fileIndex, uint32_t line)
{
    std::vector<std::string> tokens = ScriptTokenize(text, length);
    return ScriptCompileStatement(vm, module, state, tokens, fileIndex, line);
}

} // namespace

Status ScriptCompileStatementText(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state, const char* text,
                                  size_t length, uint32_t fileIndex, uint32_t line)
{
    if (length + 3 > kScriptStatementCapacity)
        return ScriptFail(vm, module, kScriptSyntax, fileIndex, line, u"the specified line is too long");
    // A body without braces becomes a braced body of one statement: the head up to the inserted
    // '{', the body (itself possibly an unbraced head), then one "}" per inserted brace.
    uint32_t closers = 0;
    Status status = kScriptOk;
    for (;;) {
        size_t point = BraceInsertionPoint(text, length);
        if (point == std::string::npos)
            break;
        std::string head(text, point);
        head += '{';
        if ((status = CompileTokens(vm, module, state, head.data(), head.size(), fileIndex, line)) < 0)
            return status;
        ++closers;
        text += point;
        length -= point;
        while (length > 0 && IsLineBlank(*text)) {
            ++text;
            --length;
        }
    }
    if ((status = CompileTokens(vm, module, state, text, length, fileIndex, line)) < 0)
        return status;
    for (; closers > 0; --closers) {
        if ((status = CompileTokens(vm, module, state, "}", 1, fileIndex, line)) < 0)
            return status;
    }
    return kScriptOk;
}

void ScriptCompileBegin(ScriptVM*, ScriptModule* module, ScriptCompileState* state)
{
    state->function = &module->root;
    state->block = &module->root.body;
    state->stack = &module->globals;
    state->outerBlock = nullptr;
}

Status ScriptCompileSource(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state, const char* text,
                           size_t length, uint32_t fileIndex, uint32_t lineOffset)
{
    uint32_t line = 1;
    bool comment = false;
    bool parenthesis = false;
    size_t start = std::string::npos; // the statement starts at its first non-blank character
    size_t i = 0;
    while (i < length) {
        const char ch = text[i];
        const char next = i + 1 < length ? text[i + 1] : 0;
        if (IsLineBlank(ch)) {
            if (ch == '\n')
                ++line;
            ++i;
            continue;
        }
        if (comment) {
            if (ch == '*' && next == '/') {
                comment = false;
                start = std::string::npos;
                i += 2;
                continue;
            }
            if (ch == ';' || ch == '{' || ch == '}')
                start = std::string::npos;
            ++i;
            continue;
        }
        if (ch == '/' && next == '/') {
            // The rest of the line; an unfinished statement before the comment is dropped.
            const void* end = std::memchr(text + i, '\n', length - i);
            if (!end) {
                i = length;
                break;
            }
            i = static_cast<size_t>(static_cast<const char*>(end) - text) + 1;
            ++line;
            start = std::string::npos;
            continue;
        }
        if (ch == '/' && next == '*') {
            comment = true;
            i += 2;
            continue;
        }
        if (start == std::string::npos)
            start = i;
        if (ch == '(') {
            parenthesis = true;
        } else if (ch == ')') {
            parenthesis = false;
        } else if ((ch == ';' && !parenthesis) || ch == '{' || ch == '}') {
            Status status = ScriptCompileStatementText(vm, module, state, text + start, i + 1 - start, fileIndex,
                                                       line + lineOffset);
            if (status < 0)
                return status;
            start = std::string::npos;
        }
        ++i;
    }
    module->state = 1;
    return kScriptOk;
}

void ScriptCompileEnd(ScriptVM*, ScriptModule* module, ScriptCompileState* state)
{
    ScriptResolveForwardReferences(module);
    module->globals.Clear();
    for (auto& function : module->root.functions)
        function->compileStack.Clear();
    ScriptCompileBegin(nullptr, module, state);
}
