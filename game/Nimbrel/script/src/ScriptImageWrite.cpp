// Writing a compiled image: the header, the root function record with everything below it,
// the file-name table.
#include "NimbrelScript/ScriptImage.h"

#include "NimbrelScript/ScriptCompiler.h"
#include "ScriptBytes.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

#include <cstdio>
#include <string>

namespace {

const char* NameOrNull(const std::string& name)
{
    return name.empty() ? nullptr : name.c_str();
}

// The narrowest width (1, 2 or 4 bytes) that holds all five fields; 0xFF and 0xFFFF stay
// free, so -1 always takes four bytes.
uint8_t InstructionWidth(const ScriptInstruction& instruction)
{
    const uint32_t fields[5] = {instruction.opcode, instruction.a, instruction.b, instruction.fileIndex,
                                instruction.line};
    uint8_t width = 1;
    for (uint32_t field : fields) {
        if (field >= 0xFFFFu)
            return 4;
        if (field >= 0xFFu)
            width = 2;
    }
    return width;
}

void WriteInstruction(ScriptByteWriter& out, const ScriptInstruction& instruction)
{
    const uint8_t width = InstructionWidth(instruction);
    out.U8(width);
    out.U32(instruction.opcode);
    for (uint32_t field : {instruction.opcode, instruction.a, instruction.b, instruction.fileIndex, instruction.line}) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(field), static_cast<uint8_t>(field >> 8),
                                  static_cast<uint8_t>(field >> 16), static_cast<uint8_t>(field >> 24)};
        out.Bytes(bytes, width);
    }
}

void WriteBlock(ScriptByteWriter& out, const ScriptBlock& block)
{
    out.U32(block.index);
    out.U32(block.kind);
    out.U32(block.parent ? block.parent->index : kScriptNone);
    out.U32(static_cast<uint32_t>(block.instructions.size()));
    for (const ScriptInstruction& instruction : block.instructions)
        WriteInstruction(out, instruction);
    out.U32(block.base);
}

void WriteDeclaration(ScriptByteWriter& out, const ScriptDeclaration& declaration)
{
    out.U8(declaration.attributes);
    out.U32(declaration.fileIndex);
    out.U32(declaration.line);
    out.U8(declaration.constType);
    if (declaration.constType == kScriptTypeULong || declaration.constType == kScriptTypeFloat)
        out.U32(declaration.constValue);
    else if (declaration.constType == kScriptTypeString)
        out.String(declaration.constText);
    out.String(NameOrNull(declaration.name));
}

void WriteFunction(ScriptByteWriter& out, const ScriptFunction& function)
{
    out.U8(function.attributes);
    out.U32(function.moduleId);
    out.U32(function.id);
    out.U32(function.fileIndex);
    out.U32(function.line);
    out.U8(function.hasReturn);
    out.U32(function.paramCount);
    out.String(NameOrNull(function.name));
    out.U32(function.parent ? function.parent->id : kScriptNone);
    WriteBlock(out, function.body);
    out.U32(static_cast<uint32_t>(function.blocks.size()));
    for (const auto& block : function.blocks)
        WriteBlock(out, *block);
    // The loader binds the builtins itself.
    uint32_t scriptChildren = 0;
    for (const auto& child : function.functions)
        scriptChildren += child->builtinIndex == kScriptNone;
    out.U32(scriptChildren);
    for (const auto& child : function.functions) {
        if (child->builtinIndex != kScriptNone)
            continue;
        out.U8(child->attributes);
        WriteFunction(out, *child);
    }
    out.U32(static_cast<uint32_t>(function.declarations.size()));
    for (const auto& declaration : function.declarations) {
        out.U8(declaration->attributes);
        WriteDeclaration(out, *declaration);
    }
    out.Path(function.path);
}

} // namespace

uint8_t* ScriptModule_WriteImageMemory(ScriptVM* vm, ScriptModule* module, size_t* length)
{
    ScriptByteWriter out;
    out.U32(kScriptImageMagic);
    out.U32(kScriptImageFormat);
    out.U32(kScriptImageVersionWord);
    out.U32(kScriptImageVersionWord);
    out.U8(kScriptImageFlag);
    out.U32(module->id);
    WriteFunction(out, module->root);
    out.U32(static_cast<uint32_t>(module->fileNames.size()));
    for (const std::string& name : module->fileNames)
        out.String(name.c_str());
    uint8_t* image = out.Release(length);
    if (!image)
        vm->status = kScriptOutOfMemory;
    return image;
}

Status ScriptModule_WriteImageA(ScriptVM* vm, ScriptModule* module, const char* path)
{
    std::FILE* file = Platform_OpenFile(path ? path : "", "wb");
    if (!file) {
        vm->status = kScriptFileOpen;
        return kScriptFileOpen;
    }
    size_t length = 0;
    uint8_t* image = ScriptModule_WriteImageMemory(vm, module, &length);
    bool written = image && std::fwrite(image, 1, length, file) == length;
    if (image)
        UTILS_FREE(image);
    written = std::fclose(file) == 0 && written;
    if (!written) {
        vm->status = kScriptFileRead;
        return kScriptFileRead;
    }
    return kScriptOk;
}

Status ScriptModule_WriteImage(ScriptVM* vm, ScriptModule* module, const char16_t* path)
{
    return ScriptModule_WriteImageA(vm, module, UtilsString_ToUtf8(path).c_str());
}
