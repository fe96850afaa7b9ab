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

} // namespace

ScriptDeclaration* ScriptCallVariable(ScriptFunction* caller, const ScriptFunction* callee, uint32_t n)
{
    if (!caller || !callee)
        return nullptr;
    const bool indexed = n < kIndexedArgumentLimit;
    // The callee's serial, not its address: a node may be freed and another made there.
    const uint64_t key = callee->serial ^ (static_cast<uint64_t>(n) << 56);
    ScriptFunction::RecentArgument* recent = &caller->recentArguments[n % ScriptFunction::kRecentArguments];
    if (indexed && callee->serial != 0) {
        if (recent->declaration && recent->key == key)
            return recent->declaration;
        auto found = caller->argumentIndex.find(key);
        if (found != caller->argumentIndex.end()) {
            *recent = ScriptFunction::RecentArgument{key, found->second};
            return found->second;
        }
    }
    const std::string name = CallVariableName(callee->name, n);
    ScriptDeclaration* declaration = ScriptFindArgument(caller, name.c_str());
    if (declaration && indexed && callee->serial != 0) {
        caller->argumentIndex[key] = declaration;
        *recent = ScriptFunction::RecentArgument{key, declaration};
    }
    return declaration;
}

const std::string& ScriptParameterName(ScriptFunction* function, uint32_t n)
{
    while (function->parameterNames.size() <= n)
        function->parameterNames.push_back(
            CallVariableName(function->name, static_cast<uint32_t>(function->parameterNames.size())));
    return function->parameterNames[n];
}
