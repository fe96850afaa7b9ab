// Reading a compiled image into a module whose builtins the loader has bound.
#include "NimbrelScript/ScriptImage.h"

#include "NimbrelScript/ScriptCompiler.h"
#include "ScriptBytes.h"
#include "ScriptInternal.h"
#include "ScriptVerify.h"

#include <string>
#include <vector>

namespace {

// Smallest records, for checking counts against the bytes left.
constexpr size_t kInstructionBytes = 10;
constexpr size_t kBlockBytes = 20;
constexpr size_t kDeclarationBytes = 1 + 15;
constexpr size_t kFunctionBytes = 1 + 30 + kBlockBytes + 12 + 4;
// Function records nest only a few levels in anything the compiler makes (root, function,
// call reference); deeper nesting is a damaged file, not a script.
constexpr uint32_t kNestingLimit = 16;

class ImageReader {
public:
    ImageReader(ScriptVM* vm, ScriptModule* module, const void* data, size_t length)
        : m_vm(vm), m_module(module), m_in(data, length)
    {
    }

    // True when a failure of Read was reported with its own message.
    bool Reported() const { return m_reported; }

    Status Read()
    {
        uint32_t magic = 0, format = 0, version = 0, second = 0, moduleId = 0;
        uint8_t flag = 0;
        if (!m_in.U32(&magic) || !m_in.U32(&format) || !m_in.U32(&version))
            return kScriptFailed;
        if (magic != kScriptImageMagic)
            return kScriptFileRead;
        if (version != kScriptImageVersionWord)
            return kScriptImageVersion;
        if (!m_in.U32(&second))
            return kScriptFailed;
        if (second != kScriptImageVersionWord)
            return kScriptFileRead;
        if (!m_in.U8(&flag))
            return kScriptFailed;
        if (flag != kScriptImageFlag)
            return kScriptFileRead;
        // The stored id is the writer's: the module keeps its own, its index in the VM.
        if (!m_in.U32(&moduleId))
            return kScriptFailed;
        Status status = Function(&m_module->root, 0);
        if (status < 0)
            return status;
        uint32_t count = 0;
        if (!m_in.U32(&count) || !m_in.Holds(count, 4))
            return kScriptFailed;
        m_module->fileNames.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            std::string name;
            if (!m_in.String(&name))
                return kScriptFailed;
            m_module->fileNames.push_back(std::move(name));
        }
        return kScriptOk;
    }

private:
    bool Instruction(ScriptInstruction* instruction)
    {
        uint8_t width = 0;
        uint32_t opcode = 0;
        if (!m_in.U8(&width) || (width != 1 && width != 2 && width != 4) || !m_in.U32(&opcode))
            return false;
        return m_in.Word(width, &instruction->opcode) && m_in.Word(width, &instruction->a) &&
               m_in.Word(width, &instruction->b) && m_in.Word(width, &instruction->fileIndex) &&
               m_in.Word(width, &instruction->line);
    }

    // *parentIndex gets the stored parent block's index.
    bool Block(ScriptBlock* block, uint32_t* parentIndex)
    {
        uint32_t count = 0;
        if (!m_in.U32(&block->index) || !m_in.U32(&block->kind) || !m_in.U32(parentIndex) || !m_in.U32(&count) ||
            !m_in.Holds(count, kInstructionBytes))
            return false;
        block->instructions.resize(count);
        for (ScriptInstruction& instruction : block->instructions) {
            if (!Instruction(&instruction))
                return false;
        }
        return m_in.U32(&block->base);
    }

    bool Declaration(ScriptDeclaration* declaration)
    {
        if (!m_in.U8(&declaration->attributes) || !m_in.U32(&declaration->fileIndex) ||
            !m_in.U32(&declaration->line) || !m_in.U8(&declaration->constType))
            return false;
        switch (declaration->constType) {
        case 0: break;
        case kScriptTypeULong:
        case kScriptTypeFloat:
            if (!m_in.U32(&declaration->constValue))
                return false;
            break;
        case kScriptTypeString:
            if (!m_in.StringDup(&declaration->constText))
                return false;
            break;
        default:
            return false;
        }
        return m_in.String(&declaration->name);
    }

    Status Function(ScriptFunction* function, uint32_t nesting)
    {
        if (nesting > kNestingLimit)
            return kScriptFailed;
        uint32_t moduleId = 0, storedId = 0, parentId = 0, body = 0;
        if (!m_in.U8(&function->attributes) || !m_in.U32(&moduleId) || !m_in.U32(&storedId) ||
            !m_in.U32(&function->fileIndex) || !m_in.U32(&function->line) || !m_in.U8(&function->hasReturn) ||
            !m_in.U32(&function->paramCount) || !m_in.String(&function->name) || !m_in.U32(&parentId) ||
            !Block(&function->body, &body))
            return kScriptFailed;

        uint32_t count = 0;
        if (!m_in.U32(&count) || !m_in.Holds(count, kBlockBytes))
            return kScriptFailed;
        std::vector<uint32_t> parents(count);
        for (uint32_t i = 0; i < count; ++i) {
            ScriptBlock* block = ScriptNewBlock(function, kScriptBlockPlain, nullptr);
            if (!block)
                return ScriptStore(m_vm, kScriptOutOfMemory);
            if (!Block(block, &parents[i]))
                return kScriptFailed;
        }
        // Parents are known by index once every block is there; -1 is the body.
        for (uint32_t i = 0; i < count; ++i) {
            ScriptBlock* parent = ScriptGetBlock(function, parents[i]);
            if (!parent) {
                m_reported = true;
                return ScriptVerifyFailure(m_vm, m_module, u"a block's parent is not in its function");
            }
            function->blocks[i]->parent = parent;
        }

        if (!m_in.U32(&count) || !m_in.Holds(count, kFunctionBytes))
            return kScriptFailed;
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t attributes = 0;
            if (!m_in.U8(&attributes))
                return kScriptFailed;
            ScriptFunction* child = ScriptNewFunction(function, nullptr, attributes, 0, 0);
            if (!child)
                return ScriptStore(m_vm, kScriptOutOfMemory);
            const Status status = Function(child, nesting + 1);
            if (status < 0)
                return status;
        }

        if (!m_in.U32(&count) || !m_in.Holds(count, kDeclarationBytes))
            return kScriptFailed;
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t attributes = 0;
            if (!m_in.U8(&attributes))
                return kScriptFailed;
            ScriptDeclaration* declaration = ScriptNewDeclaration(function, nullptr, attributes, 0, 0);
            if (!declaration)
                return ScriptStore(m_vm, kScriptOutOfMemory);
            if (!Declaration(declaration))
                return kScriptFailed;
        }

        uint32_t depth = 0;
        std::vector<uint32_t> path;
        if (!m_in.U32(&depth) || !m_in.Path(depth, &path))
            return kScriptFailed;
        // A node's place is what instructions and saved state name it by: the stored id and
        // path must be that place (they are not when the writer bound other builtins).
        if (storedId != function->id || path != function->path) {
            m_reported = true;
            return ScriptVerifyFailure(m_vm, m_module,
                                       u"the function \"%S\" is not where the image puts it (other builtins?)",
                                       ScriptFuncName(function));
        }
        return kScriptOk;
    }

    ScriptVM* m_vm;
    ScriptModule* m_module;
    ScriptByteReader m_in;
    bool m_reported = false;
};

} // namespace

Status ScriptReadImage(ScriptVM* vm, ScriptModule* module, const void* data, size_t length)
{
    module->state = 0;
    ImageReader reader(vm, module, data, length);
    Status status = reader.Read();
    if (status == kScriptFailed && !reader.Reported())
        ScriptReportError(vm, module, 0, 0, u"the compiled image is cut short or damaged");
    else if (status == kScriptImageVersion || status == kScriptFileRead)
        ScriptReportError(vm, module, 0, 0, u"the compiled image is of another version");
    if (status >= 0)
        status = ScriptVerifyTree(vm, module);
    if (status < 0)
        return ScriptStore(vm, status);
    module->state = 1;
    return kScriptOk;
}
