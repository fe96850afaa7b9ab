// Expressions and calls. There is no precedence: operands combine strictly from left to right
// into the result slot, with a pending operator that starts as assignment.
#include "ScriptCompileInternal.h"

#include "NimbrelScript/ScriptText.h"
#include "VornelUtils/UtilsMemory.h"

#include <charconv>
#include <cstring>

namespace {

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

bool EndsExpression(const std::string& token)
{
    return token == ";" || token == ")" || token == "," || token == "{";
}

// The token after a variable makes it the target of what follows: "=" (not "=="), "+=", "-=",
// "*=", "/=", "++" or "--".
bool AssignsVariable(const ScriptCompiling& c)
{
    if (c.Is(1, "="))
        return !c.Is(2, "=");
    if (c.Is(1, "+") || c.Is(1, "-") || c.Is(1, "*") || c.Is(1, "/")) {
        if (c.Is(2, "="))
            return true;
        return (c.Is(1, "+") && c.Is(2, "+")) || (c.Is(1, "-") && c.Is(2, "-"));
    }
    return false;
}

// A literal: an anonymous declaration carrying the constant.
Status NewConstant(ScriptCompiling& c, const std::string& token, ScriptDeclaration** out)
{
    ScriptDeclaration* declaration =
        ScriptNewDeclaration(c.Function(), nullptr, kScriptAttrOwn, c.fileIndex, c.line);
    if (!declaration)
        return c.Fail(kScriptOutOfMemory, u"out of memory");
    if (token[0] == '"') {
        size_t end = token.find('"', 1);
        std::string text = token.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        declaration->constText = StrDupA(text.c_str());
        if (!declaration->constText)
            return c.Fail(kScriptOutOfMemory, u"out of memory");
        declaration->constType = kScriptTypeString;
    } else if (token.find('.') != std::string::npos) {
        float value = 0.0f;
        std::from_chars(token.data(), token.data() + token.size(), value);
        declaration->constType = kScriptTypeFloat;
        declaration->constValue = FloatToBits(value);
    } else {
        // Decimal digits up to the first other character; values beyond 32 bits saturate.
        uint64_t value = 0;
        for (size_t i = 0; i < token.size() && IsDigit(token[i]); ++i) {
            value = value * 10 + static_cast<uint64_t>(token[i] - '0');
            if (value > 0xFFFFFFFFu)
                value = 0xFFFFFFFFu;
        }
        declaration->constType = kScriptTypeULong;
        declaration->constValue = static_cast<uint32_t>(value);
    }
    *out = declaration;
    return kScriptOk;
}

// Finds the variable a name stands for; names found as globals get a reference declaration in
// the current function (attribute 16 for this module's, 4 for a linked module's).
Status LookupVariable(ScriptCompiling& c, const std::string& name, ScriptDeclaration** out, bool* globalReference)
{
    ScriptFunction* function = c.Function();
    *globalReference = false;
    if (ScriptDeclaration* own = ScriptFindOwnVariable(function, name.c_str())) {
        *out = own;
        return kScriptOk;
    }
    if (ScriptDeclaration* reference =
            ScriptFindDeclaration(function, name.c_str(), kScriptAttrByName | kScriptAttrLinked)) {
        *out = reference;
        *globalReference = true;
        return kScriptOk;
    }
    uint8_t attributes = 0;
    if (c.InFunction() && ScriptFindGlobal(c.module, name.c_str(), nullptr))
        attributes = kScriptAttrByName;
    else if (ScriptFindLinkedGlobal(c.module, name.c_str(), nullptr))
        attributes = kScriptAttrLinked;
    if (attributes == 0)
        return c.Fail(kScriptVariableMissing, u"the specified variable is missing: \"%S\"", name.c_str());
    ScriptDeclaration* reference = ScriptNewDeclaration(function, name.c_str(), attributes, c.fileIndex, c.line);
    if (!reference)
        return c.Fail(kScriptOutOfMemory, u"out of memory");
    *out = reference;
    *globalReference = true;
    return kScriptOk;
}

ScriptFunction* FindChild(ScriptFunction* function, const std::string& name, uint8_t mask)
{
    return ScriptFindFunction(nullptr, function, name.c_str(), mask, false, false);
}

// The node a call names, found or created in the current function.
Status FindCallee(ScriptCompiling& c, const std::string& name, ScriptFunction** out)
{
    ScriptFunction* function = c.Function();
    ScriptFunction* callee = FindChild(function, name, kScriptAttrForward);
    if (!callee)
        callee = FindChild(function, name, kScriptAttrOwn);
    if (!callee && function->parent &&
        ScriptFindFunction(c.module, function->parent, name.c_str(), kScriptAttrOwn, true, false)) {
        callee = ScriptNewFunction(function, name.c_str(), kScriptAttrForward, c.fileIndex, c.line);
        if (!callee)
            return c.Fail(kScriptOutOfMemory, u"out of memory");
    }
    if (!callee)
        callee = FindChild(c.Root(), name, kScriptAttrExported);
    if (!callee) {
        bool linked = ScriptFindFunction(c.module, nullptr, name.c_str(), kScriptAttrExported, false, true) != nullptr;
        callee = ScriptNewFunction(function, name.c_str(), linked ? kScriptAttrLinked : kScriptAttrForward,
                                   c.fileIndex, c.line);
        if (!callee)
            return c.Fail(kScriptOutOfMemory, u"out of memory");
    }
    *out = callee;
    return kScriptOk;
}

// The argument or result variable "_%s_%d_" of a call, created in the current function.
Status ArgumentVariable(ScriptCompiling& c, const std::string& callee, uint32_t index, ScriptDeclaration** out)
{
    char* name = ScriptParamNameDup(callee.c_str(), index);
    if (!name)
        return c.Fail(kScriptOutOfMemory, u"out of memory");
    ScriptDeclaration* declaration = ScriptFindArgument(c.Function(), name);
    if (!declaration)
        declaration = ScriptNewDeclaration(c.Function(), name, kScriptAttrArgument, c.fileIndex, c.line);
    UTILS_FREE(name);
    if (!declaration)
        return c.Fail(kScriptOutOfMemory, u"out of memory");
    *out = declaration;
    return kScriptOk;
}

// A call: pos at the callee's name. *slot gets the result variable's slot, *pushed whether the
// call pushed it (then it is the top slot and the caller removes it after use).
Status CompileCall(ScriptCompiling& c, uint32_t* slot, bool* pushed)
{
    const std::string name = *c.Peek();
    if (c.InFunction() && c.Function()->name == name)
        return c.Fail(kScriptUnsupported, u"unsupported recursive operation on \"%S\"", name.c_str());
    ScriptFunction* callee = nullptr;
    Status status = FindCallee(c, name, &callee);
    if (status < 0)
        return status;

    ScriptDeclaration* result = nullptr;
    if ((status = ArgumentVariable(c, name, 0, &result)) < 0)
        return status;
    uint32_t before = c.Count();
    if ((status = c.Declare(result, slot)) < 0)
        return status;
    *pushed = c.Count() > before;
    if ((status = c.Emit(kScriptOpSetLong, *slot, 0)) < 0)
        return status;

    c.pos += 2; // the name and '('
    const uint32_t argumentBase = c.Count();
    if (c.Is(0, ")")) {
        ++c.pos;
    } else {
        for (uint32_t index = 1;; ++index) {
            ScriptDeclaration* argument = nullptr;
            uint32_t argumentSlot = 0;
            if ((status = ArgumentVariable(c, name, index, &argument)) < 0)
                return status;
            if ((status = c.Declare(argument, &argumentSlot)) < 0)
                return status;
            if ((status = ScriptCompileExpressionInto(c, argumentSlot)) < 0)
                return status;
            if (c.Is(0, ",")) {
                ++c.pos;
                continue;
            }
            if (c.Is(0, ")")) {
                ++c.pos;
                break;
            }
            return c.UnexpectedEnd();
        }
    }
    if (callee->builtinIndex != kScriptNone)
        status = c.Emit(kScriptOpCallBuiltin, callee->id, callee->builtinIndex);
    else
        status = c.Emit(kScriptOpCallFunction, callee->id, callee->attributes);
    if (status < 0)
        return status;
    // The argument slots, and the global references the arguments pushed.
    if (c.Count() > argumentBase)
        status = c.Remove(c.Count() - argumentBase);
    return status;
}

// "++" or "--" after an operand: add or subtract a constant 1.
Status Step(ScriptCompiling& c, uint32_t result, uint32_t opcode)
{
    uint32_t one = 0;
    Status status = c.NewTemporary(&one);
    if (status >= 0)
        status = c.Emit(kScriptOpSetLong, one, 1);
    if (status >= 0)
        status = c.Combine(opcode, result, one);
    if (status >= 0)
        status = c.Remove(1);
    return status;
}

} // namespace

Status ScriptCompileExpressionInto(ScriptCompiling& c, uint32_t result)
{
    uint32_t pending = kScriptOpAssign;
    bool haveOperand = false;
    bool afterVariable = false;
    Status status = kScriptOk;
    while (const std::string* token = c.Peek()) {
        if (EndsExpression(*token))
            break;
        const std::string& t = *token;
        const bool wasAfterVariable = afterVariable;
        afterVariable = false;
        if (t == "*" || t == "/") {
            pending = t == "*" ? kScriptOpMul : kScriptOpDiv;
            c.pos += c.Is(1, "=") ? 2 : 1;
            continue;
        }
        if (t == "+" || t == "-") {
            const bool plus = t == "+";
            if (c.Is(1, t.c_str())) {
                if (!haveOperand)
                    return c.Fail(kScriptUnsupported, plus ? u"unsupported operator \"++var\", use \"var++\" instead"
                                                           : u"unsupported operator \"--var\", use \"var--\" instead");
                if ((status = Step(c, result, plus ? kScriptOpAdd : kScriptOpSub)) < 0)
                    return status;
                c.pos += 2;
                pending = kScriptOpAssign;
                continue;
            }
            pending = plus ? kScriptOpAdd : kScriptOpSub;
            c.pos += c.Is(1, "=") ? 2 : 1;
            continue;
        }
        if (t == "=") {
            if (c.Is(1, "=")) {
                pending = kScriptOpEqual;
                c.pos += 2;
            } else if (wasAfterVariable && c.Is(1, "-")) {
                pending = kScriptOpSub; // "x = -1" subtracts one: there are no negative literals
                c.pos += 2;
            } else {
                pending = kScriptOpAssign;
                c.pos += 1;
            }
            continue;
        }
        if (t == "!") {
            if (!c.Is(1, "="))
                return c.Fail(kScriptUnsupported, u"unsupported operator \"!\"");
            pending = kScriptOpNotEqual;
            c.pos += 2;
            continue;
        }
        if (t == "<" || t == ">") {
            const bool less = t == "<";
            if (c.Is(1, "=")) {
                pending = less ? kScriptOpLessEqual : kScriptOpGreaterEqual;
                c.pos += 2;
            } else {
                pending = less ? kScriptOpLess : kScriptOpGreater;
                c.pos += 1;
            }
            continue;
        }
        if (t == "&" || t == "|") {
            const bool isAnd = t == "&";
            if (!c.Is(1, t.c_str()))
                return c.Fail(kScriptUnsupported, isAnd ? u"unsupported operator \"&\"" : u"unsupported operator \"|\"");
            pending = isAnd ? kScriptOpAnd : kScriptOpOr;
            c.pos += 2;
            continue;
        }
        if (t == "^")
            return c.Fail(kScriptUnsupported, u"unsupported operator \"^\"");

        if (t == "(") {
            ++c.pos;
            uint32_t inner = 0;
            if ((status = ScriptCompileExpression(c, &inner)) < 0)
                return status;
            if (c.Is(0, ")"))
                ++c.pos;
            if ((status = c.Combine(pending, result, inner)) < 0 || (status = c.Remove(1)) < 0)
                return status;
        } else if (c.Is(1, "(")) {
            uint32_t value = 0;
            bool pushed = false;
            if ((status = CompileCall(c, &value, &pushed)) < 0)
                return status;
            if ((status = c.Combine(pending, result, value)) < 0)
                return status;
            if (pushed && (status = c.Remove(1)) < 0)
                return status;
        } else if (t[0] == '"' || IsDigit(t[0])) {
            ScriptDeclaration* constant = nullptr;
            uint32_t slot = 0;
            if ((status = NewConstant(c, t, &constant)) < 0 || (status = c.Declare(constant, &slot)) < 0)
                return status;
            ++c.pos;
            if ((status = c.Combine(pending, result, slot)) < 0 || (status = c.Remove(1)) < 0)
                return status;
        } else {
            ScriptDeclaration* variable = nullptr;
            bool globalReference = false;
            uint32_t slot = 0;
            if ((status = LookupVariable(c, t, &variable, &globalReference)) < 0)
                return status;
            if ((status = c.Declare(variable, &slot)) < 0)
                return status;
            if (AssignsVariable(c) && (status = c.Reference(result, slot, globalReference)) < 0)
                return status;
            ++c.pos;
            if ((status = c.Combine(pending, result, slot)) < 0)
                return status;
            afterVariable = true;
        }
        pending = kScriptOpAssign;
        haveOperand = true;
    }
    return kScriptOk;
}

Status ScriptCompileExpression(ScriptCompiling& c, uint32_t* slot)
{
    Status status = c.NewTemporary(slot);
    if (status < 0)
        return status;
    return ScriptCompileExpressionInto(c, *slot);
}
