// Looking functions up by name, and checking what a module takes from its linked modules.
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptRun.h"
#include "ScriptInternal.h"

namespace {

Status CheckFunction(ScriptVM* vm, ScriptModule* module, ScriptFunction* function)
{
    for (auto& child : function->functions) {
        ScriptFunction* node = child.get();
        const bool forward = (node->attributes & kScriptAttrForward) != 0;
        const bool linked = (node->attributes & kScriptAttrLinked) != 0;
        if (forward || (linked && !ScriptFindLinkedFunction(module, node->name.c_str())))
            return ScriptFail(vm, module, kScriptFunctionMissing, node->fileIndex, node->line,
                              u"the specified function is missing: \"%S\"", ScriptFuncName(node));
    }
    for (auto& declaration : function->declarations) {
        if ((declaration->attributes & kScriptAttrLinked) &&
            !ScriptFindLinkedGlobal(module, declaration->name.c_str(), nullptr))
            return ScriptFail(vm, module, kScriptVariableMissing, declaration->fileIndex, declaration->line,
                              u"the specified variable is missing: \"%S\"", ScriptDeclName(declaration.get()));
    }
    for (auto& child : function->functions) {
        Status status = CheckFunction(vm, module, child.get());
        if (status < 0)
            return status;
    }
    return kScriptOk;
}

} // namespace

ScriptFunction* ScriptFindLinkedFunction(ScriptModule* module, const char* name)
{
    ScriptFunction* found = ScriptFindFunction(module, &module->root, name, kScriptAttrExported, false, true);
    if (found && (!(found->attributes & kScriptAttrOwn) || found->builtinIndex != kScriptNone))
        return nullptr;
    return found;
}

Status ScriptModule_Link(ScriptVM* vm, ScriptModule* module)
{
    return CheckFunction(vm, module, &module->root) < 0 ? kScriptFailed : kScriptOk;
}

Status ScriptModule_HasFunction(ScriptVM*, ScriptModule* module, const char* name)
{
    if (!module || !name)
        return kScriptFailed;
    return ScriptFindFunction(module, &module->root, name, kScriptAttrOwn, false, false) ? kScriptOk : kScriptFailed;
}
