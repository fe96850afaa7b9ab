// The variables "_%s_%d_" that carry a call's arguments and result, found without formatting
// and searching their names at every call.
#include "NimbrelScript/ScriptText.h"
#include "ScriptInternal.h"

#include <charconv>
#include <cstring>

namespace {

// Argument numbers beyond this are looked up without the index.
constexpr uint32_t kIndexedArgumentLimit = 256;

std::string CallVariableName(const std::string& callee, uint32_t n)
{
    char digits[16];
    const auto converted = std::to_chars(digits, digits + sizeof(digits), n);
    std::string name;
    name.reserve(callee.size() + 16);
    name += '_';
    name += callee;
    name += '_';
    name.append(digits, converted.ptr);
    name += '_';
    return name;
}

// name == "_" callee "_" n "_", compared without building it.
bool IsCallVariableName(const std::string& name, const std::string& callee, uint32_t n)
{
    char digits[16];
    const auto converted = std::to_chars(digits, digits + sizeof(digits), n);
    const size_t digitCount = static_cast<size_t>(converted.ptr - digits);
    const size_t calleeLength = callee.size();
    if (name.size() != calleeLength + digitCount + 3)
        return false;
    const char* p = name.data();
    return p[0] == '_' && std::memcmp(p + 1, callee.data(), calleeLength) == 0 && p[calleeLength + 1] == '_' &&
           std::memcmp(p + calleeLength + 2, digits, digitCount) == 0 && p[name.size() - 1] == '_';
}

} // namespace

ScriptDeclaration* ScriptCallVariable(ScriptFunction* caller, const ScriptFunction* callee, uint32_t n)
{
    if (!caller || !callee)
        return nullptr;
    const bool indexed = n < kIndexedArgumentLimit;
    const uint64_t key = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(callee)) ^ (static_cast<uint64_t>(n) << 56);
    if (indexed) {
        auto found = caller->argumentIndex.find(key);
        // The node may have been freed and another made at its address: the name must still fit.
        if (found != caller->argumentIndex.end() && IsCallVariableName(found->second->name, callee->name, n))
            return found->second;
    }
    const std::string name = CallVariableName(callee->name, n);
    ScriptDeclaration* declaration = ScriptFindArgument(caller, name.c_str());
    if (declaration && indexed)
        caller->argumentIndex[key] = declaration;
    return declaration;
}

const std::string& ScriptParameterName(ScriptFunction* function, uint32_t n)
{
    while (function->parameterNames.size() <= n)
        function->parameterNames.push_back(
            CallVariableName(function->name, static_cast<uint32_t>(function->parameterNames.size())));
    return function->parameterNames[n];
}
