#include "NimbrelScript/ScriptTree.h"
#include "NimbrelScript/ScriptVM.h"
#include "VornelUtils/UtilsString.h"

namespace {

// Guards the walk along linked modules against a chain that loops back on itself.
constexpr int kLinkedChainLimit = 256;

bool NameIs(const std::string& name, const char* wanted)
{
    return !name.empty() && StringCompareA(name.c_str(), wanted) == 0;
}

ScriptFunction* FindChild(ScriptFunction* function, const char* name, uint8_t mask)
{
    for (size_t i = function->functions.size(); i-- > 0;) {
        ScriptFunction* child = function->functions[i].get();
        if ((child->attributes & mask) == mask && NameIs(child->name, name))
            return child;
    }
    return nullptr;
}

} // namespace

ScriptFunction* ScriptFindFunction(ScriptModule* module, ScriptFunction* start, const char* name, uint8_t mask,
                                   bool walkUp, bool linked)
{
    if (!name)
        return nullptr;
    for (ScriptFunction* function = start; function; function = walkUp ? function->parent : nullptr) {
        if (ScriptFunction* found = FindChild(function, name, mask))
            return found;
    }
    if (linked && module) {
        int guard = 0;
        for (ScriptModule* other = module->linked; other && guard < kLinkedChainLimit; other = other->linked, ++guard) {
            if (ScriptFunction* found = FindChild(&other->root, name, mask))
                return found;
        }
    }
    return nullptr;
}

ScriptDeclaration* ScriptFindDeclaration(ScriptFunction* function, const char* name, uint8_t attributeAny)
{
    if (!function || !name)
        return nullptr;
    for (size_t i = function->declarations.size(); i-- > 0;) {
        ScriptDeclaration* declaration = function->declarations[i].get();
        if ((declaration->attributes & attributeAny) != 0 && NameIs(declaration->name, name))
            return declaration;
    }
    return nullptr;
}

ScriptDeclaration* ScriptFindGlobal(ScriptModule* module, const char* name, uint32_t* slot)
{
    ScriptDeclaration* declaration =
        ScriptFindDeclaration(&module->root, name, kScriptAttrOwn | kScriptAttrExported);
    if (slot)
        *slot = declaration ? module->globals.Find(declaration) : kScriptNone;
    return declaration;
}

ScriptDeclaration* ScriptFindLinkedGlobal(ScriptModule* module, const char* name, ScriptModule** owner)
{
    int guard = 0;
    for (ScriptModule* other = module->linked; other && guard < kLinkedChainLimit; other = other->linked, ++guard) {
        if (ScriptDeclaration* declaration = ScriptFindDeclaration(&other->root, name, kScriptAttrExported)) {
            if (owner)
                *owner = other;
            return declaration;
        }
    }
    return nullptr;
}

uint32_t ScriptFindLinkedGlobalSlot(ScriptModule* module, const char* name, ScriptModule** owner)
{
    int guard = 0;
    for (ScriptModule* other = module->linked; other && guard < kLinkedChainLimit; other = other->linked, ++guard) {
        uint32_t slot = other->globals.FindByName(name, kScriptAttrExported);
        if (slot != kScriptNone) {
            if (owner)
                *owner = other;
            return slot;
        }
    }
    return kScriptNone;
}
