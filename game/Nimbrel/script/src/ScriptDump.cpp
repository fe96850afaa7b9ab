#include "NimbrelScript/ScriptDump.h"

#include "NimbrelScript/ScriptValue.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

const char* KindName(uint32_t kind)
{
    static const char* const kNames[] = {"plain", "if", "else if", "else", "for", "while"};
    return kind < 6 ? kNames[kind] : "?";
}

std::string Attributes(uint8_t attributes)
{
    static const char* const kBits[] = {"own", "exported", "linked", "forward", "by-name", "argument", "synchronized"};
    std::string text;
    for (int bit = 0; bit < 7; ++bit) {
        if (attributes & (1u << bit)) {
            if (!text.empty())
                text += ',';
            text += kBits[bit];
        }
    }
    return text.empty() ? "none" : text;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

std::string Number(uint32_t value)
{
    return value == kScriptNone ? "-1" : std::to_string(value);
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string DeclarationText(const ScriptDeclaration& declaration)
{
    switch (declaration.constType) {
    case kScriptTypeULong:
        return Format("ULONG %u", declaration.constValue);
    case kScriptTypeFloat:
        return Format("FLOAT %g", static_cast<double>(FloatFromBits(declaration.constValue)));
    case kScriptTypeString:
        return "STRING " + Quoted(declaration.constText ? declaration.constText : "");
    default:
        return declaration.name.empty() ? "(temporary)" : Quoted(declaration.name);
    }
}

// What an instruction's operands name, where that helps a reader.
std::string Note(const ScriptFunction& function, const ScriptModule& module, const ScriptInstruction& instruction)
{
    switch (instruction.opcode) {
    case kScriptOpDeclare:
        if (instruction.a < function.declarations.size())
            return DeclarationText(*function.declarations[instruction.a]);
        return "?";
    case kScriptOpCallBuiltin:
        if (instruction.a < module.root.functions.size())
            return "builtin " + Quoted(module.root.functions[instruction.a]->name);
        return "?";
    case kScriptOpCallFunction:
        if (instruction.a < function.functions.size())
            return "function " + Quoted(function.functions[instruction.a]->name);
        return "?";
    case kScriptOpEnterBlock:
        return "block " + Number(instruction.b);
    default:
        return std::string();
    }
}

void DumpBlock(std::string& out, const std::string& indent, const ScriptFunction& function, const ScriptModule& module,
               const ScriptBlock& block, const char* title)
{
    out += indent + title;
    out += Format(" (%s, base %u", KindName(block.kind), block.base);
    if (block.parent)
        out += ", parent " + (block.parent == &function.body ? std::string("body") : Number(block.parent->index));
    if (block.stepBlock != kScriptNone)
        out += Format(", step block %u, removes %u", block.stepBlock, block.removeOnClose);
    out += "):\n";
    for (size_t i = 0; i < block.instructions.size(); ++i) {
        const ScriptInstruction& instruction = block.instructions[i];
        std::string note = Note(function, module, instruction);
        out += indent + Format("  %4zu  %-14s %4s %4s   at %u:%u", i, ScriptOpcodeName(instruction.opcode),
                               Number(instruction.a).c_str(), Number(instruction.b).c_str(), instruction.fileIndex,
                               instruction.line);
        if (!note.empty())
            out += "   ; " + note;
        out += "\n";
    }
}

void DumpFunction(std::string& out, const std::string& indent, const ScriptFunction& function,
                  const ScriptModule& module)
{
    if (!function.parent) {
        out += indent + "root";
    } else {
        out += indent + Format("function %u ", function.id) + Quoted(function.name);
    }
    out += " [" + Attributes(function.attributes) + "]";
    if (function.builtinIndex != kScriptNone) {
        out += Format(" builtin %u\n", function.builtinIndex);
        return;
    }
    if (function.parent && !(function.attributes & kScriptAttrOwn)) {
        out += " (reference)\n";
        return;
    }
    out += Format(" parameters %u, defined at %u:%u%s\n", function.paramCount, function.fileIndex, function.line,
                  function.hasReturn ? ", returns" : "");
    const std::string inner = indent + "  ";
    if (!function.declarations.empty()) {
        out += inner + "declarations:\n";
        for (const auto& declaration : function.declarations) {
            out += inner + Format("  %4u  ", declaration->index) + DeclarationText(*declaration) + " [" +
                   Attributes(declaration->attributes) + "]\n";
        }
    }
    DumpBlock(out, inner, function, module, function.body, "body");
    for (const auto& block : function.blocks) {
        std::string title = Format("block %u", block->index);
        DumpBlock(out, inner, function, module, *block, title.c_str());
    }
    for (const auto& child : function.functions)
        DumpFunction(out, inner, *child, module);
}

} // namespace

const char* ScriptOpcodeName(uint32_t opcode)
{
    static const char* const kNames[kScriptOpcodeCount] = {
        "REFERENCE", "BIND_PARAM", "DECLARE",     "REMOVE",       "ASSIGN",        "SET_LONG",   "NOT",
        "MUL",       "DIV",        "ADD",         "SUB",          "EQUAL",         "NOT_EQUAL",  "LESS",
        "LESS_EQUAL", "GREATER",   "GREATER_EQUAL", "AND",        "OR",            "JUMP_IF_ZERO", "LEAVE_IF_ZERO",
        "CALL_BUILTIN", "CALL_FUNCTION", "ENTER_BLOCK", "RETURN", "BREAK",         "CONTINUE",
    };
    return opcode < kScriptOpcodeCount ? kNames[opcode] : "?";
}

std::string ScriptDumpModule(ScriptVM*, ScriptModule* module)
{
    std::string out;
    out += Format("module %u, %zu file(s); positions are file:line\n", module->id, module->fileNames.size());
    for (size_t i = 0; i < module->fileNames.size(); ++i)
        out += Format("  file %zu: ", i) + Quoted(module->fileNames[i]) + "\n";
    DumpFunction(out, "", module->root, *module);
    return out;
}
