#include "NimbrelScript/ScriptTree.h"

#include "VornelUtils/UtilsMemory.h"

#include <new>

ScriptDeclaration::~ScriptDeclaration()
{
    if (constText)
        UTILS_FREE(constText);
}

void ScriptFunction::Reset()
{
    blocks.clear();
    functions.clear();
    compileStack.Clear();
    declarations.clear();
    body.instructions.clear();
    body.code.reset();
    body.lastRecordModule = 0;
    body.lastRecordEpoch = 0;
    body.lastRecordIndex = kScriptNone;
    body.base = 0;
    body.stepBlock = kScriptNone;
    body.removeOnClose = 0;
    hasReturn = 0;
    paramCount = 0;
    argumentIndex.clear();
    for (RecentArgument& recent : recentArguments)
        recent = RecentArgument{};
    parameterNames.clear();
    callee = nullptr;
    calleeEpoch = 0;
}

const char* ScriptDeclName(const ScriptDeclaration* declaration)
{
    return declaration && !declaration->name.empty() ? declaration->name.c_str() : "(null)";
}

const char* ScriptFuncName(const ScriptFunction* function)
{
    return function && !function->name.empty() ? function->name.c_str() : "(null)";
}

ScriptBlock* ScriptNewBlock(ScriptFunction* function, uint32_t kind, ScriptBlock* parent)
{
    std::unique_ptr<ScriptBlock> block(new (std::nothrow) ScriptBlock);
    if (!block)
        return nullptr;
    block->index = static_cast<uint32_t>(function->blocks.size());
    block->kind = kind;
    block->parent = parent;
    function->blocks.push_back(std::move(block));
    return function->blocks.back().get();
}

ScriptFunction* ScriptNewFunction(ScriptFunction* parent, const char* name, uint8_t attributes, uint32_t fileIndex,
                                  uint32_t line)
{
    std::unique_ptr<ScriptFunction> function(new (std::nothrow) ScriptFunction);
    if (!function)
        return nullptr;
    static uint64_t serials = 0;
    function->serial = ++serials;
    function->attributes = attributes;
    function->id = static_cast<uint32_t>(parent->functions.size());
    function->fileIndex = fileIndex;
    function->line = line;
    if (name)
        function->name = name;
    function->parent = parent;
    function->moduleId = parent->moduleId;
    function->depth = parent->depth + 1;
    function->path = parent->path;
    function->path.push_back(function->id);
    parent->functions.push_back(std::move(function));
    return parent->functions.back().get();
}

ScriptDeclaration* ScriptNewDeclaration(ScriptFunction* function, const char* name, uint8_t attributes,
                                        uint32_t fileIndex, uint32_t line)
{
    std::unique_ptr<ScriptDeclaration> declaration(new (std::nothrow) ScriptDeclaration);
    if (!declaration)
        return nullptr;
    declaration->attributes = attributes;
    declaration->index = static_cast<uint32_t>(function->declarations.size());
    declaration->fileIndex = fileIndex;
    declaration->line = line;
    if (name)
        declaration->name = name;
    declaration->function = function;
    function->declarations.push_back(std::move(declaration));
    return function->declarations.back().get();
}

ScriptBlock* ScriptGetBlock(ScriptFunction* function, uint32_t index)
{
    if (index == kScriptNone)
        return &function->body;
    return index < function->blocks.size() ? function->blocks[index].get() : nullptr;
}
