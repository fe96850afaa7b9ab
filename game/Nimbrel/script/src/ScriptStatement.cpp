// One tokenized statement, dispatched on its first token.
#include "ScriptCompileInternal.h"

#include "NimbrelScript/ScriptText.h"

Status ScriptCompileStatement(ScriptVM* vm, ScriptModule* module, ScriptCompileState* state,
                              const std::vector<std::string>& tokens, uint32_t fileIndex, uint32_t line)
{
    ScriptCompiling c{vm, module, state, tokens, 0, fileIndex, line};
    uint8_t attributes = kScriptAttrOwn;
    // Keywords are recognised by prefix: a first token that begins a keyword, or begins with
    // one, selects that keyword's form.
    auto matches = [&c](const char* keyword) {
        const std::string* token = c.Peek();
        return token && ScriptKeywordMatch(token->c_str(), keyword) == 0;
    };
    for (;;) {
        if (!c.Peek())
            return kScriptOk;
        if (matches("export")) {
            if (c.InFunction())
                return c.Fail(kScriptSyntax, u"the 'export' command cannot be used in a function");
            attributes |= kScriptAttrExported;
            ++c.pos;
        } else if (matches("synchronized")) {
            if (c.InFunction())
                return c.Fail(kScriptSyntax, u"the 'synchronized' command cannot be used in a function");
            attributes |= kScriptAttrSynchronized;
            ++c.pos;
        } else {
            break;
        }
    }
    if (matches("var"))
        return ScriptCompileDeclaration(c, attributes);
    if (matches("function"))
        return ScriptCompileFunction(c, attributes);
    if (matches("if"))
        return ScriptCompileIf(c, kScriptBlockIf, u"missing '(' after 'if' command");
    if (matches("else"))
        return ScriptCompileElse(c);
    if (matches("for"))
        return ScriptCompileFor(c);
    if (matches("while"))
        return ScriptCompileWhile(c);
    if (matches("break"))
        return ScriptCompileBreak(c, kScriptOpBreak);
    if (matches("continue"))
        return ScriptCompileBreak(c, kScriptOpContinue);
    if (matches("return"))
        return ScriptCompileReturn(c);
    if (matches("{"))
        return ScriptCompileOpen(c);
    if (matches("}"))
        return ScriptCompileClose(c);

    uint32_t value = 0;
    Status status = ScriptCompileExpression(c, &value);
    if (status < 0)
        return status;
    return c.Remove(1);
}
