#include "NimbrelScript/ScriptCompiler.h"

namespace {

void Resolve(ScriptModule* module, ScriptFunction* caller)
{
    for (auto& child : caller->functions) {
        if (child->attributes & kScriptAttrForward) {
            bool local = ScriptFindFunction(module, caller, child->name.c_str(), kScriptAttrOwn, true, false) != nullptr;
            child->attributes = static_cast<uint8_t>((child->attributes & ~kScriptAttrForward) |
                                                     (local ? kScriptAttrByName : kScriptAttrLinked));
        }
        Resolve(module, child.get());
    }
}

} // namespace

void ScriptResolveForwardReferences(ScriptModule* module)
{
    Resolve(module, &module->root);
}
