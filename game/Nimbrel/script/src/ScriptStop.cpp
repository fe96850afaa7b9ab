// Stopping the activations of one function.
#include "NimbrelScript/ScriptRun.h"
#include "ScriptInternal.h"

Status ScriptModule_StopFunction(ScriptVM* vm, ScriptModule* module, const char* name)
{
    if (!name || !*name) {
        ScriptModule_StopAll(vm, module);
        return kScriptOk;
    }
    ScriptFunction* function = ScriptFindFunction(module, &module->root, name, kScriptAttrOwn, true, false);
    if (!function) {
        vm->status = kScriptFailed;
        return kScriptFailed;
    }
    for (size_t i = module->activations.size(); i-- > 0;) {
        ScriptActivation* activation = module->activations[i].get();
        if (activation->function != function || !activation->stack)
            continue;
        // What the function called goes with it; so does the scope that carried only this call.
        ScriptActivation* parent = activation->parent;
        ScriptEndChain(vm, module, activation);
        if (parent && parent->scope && parent->stack && !parent->child)
            ScriptEndActivation(vm, module, parent);
    }
    return kScriptOk;
}
