// Host access to global variables by name.
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptText.h"

namespace {

// Guards the walk along linked modules against a chain that loops back on itself.
constexpr int kLinkedChainLimit = 256;

// The global's slot, or a status stored in the VM's status word.
Status FindGlobal(ScriptVM* vm, ScriptModule* module, const char* name, bool exported, uint8_t type,
                  ScriptValue** out)
{
    ScriptValue* slot = nullptr;
    if (module && name) {
        if (exported) {
            int guard = 0;
            for (ScriptModule* m = module; m && !slot && guard < kLinkedChainLimit; m = m->linked, ++guard) {
                const uint32_t index = m->globals.FindByName(name, kScriptAttrExported);
                if (index != kScriptNone)
                    slot = &m->globals.slots[index];
            }
        } else {
            // The module's own globals; a reference to a linked module's variable is not one.
            const uint32_t index = module->globals.FindByName(name, kScriptAttrOwn | kScriptAttrExported);
            if (index != kScriptNone)
                slot = &module->globals.slots[index];
        }
    }
    Status status = kScriptOk;
    if (!slot)
        status = kScriptVariableMissing;
    else if (slot->type != type)
        status = kScriptVariableType;
    if (status < 0) {
        if (vm)
            vm->status = status;
        return status;
    }
    *out = slot;
    return kScriptOk;
}

} // namespace

Status ScriptModule_SetLong(ScriptVM* vm, ScriptModule* module, const char* name, uint32_t value, bool exported)
{
    ScriptValue* slot = nullptr;
    Status status = FindGlobal(vm, module, name, exported, kScriptTypeULong, &slot);
    if (status >= 0)
        slot->value = value;
    return status;
}

Status ScriptModule_SetFloat(ScriptVM* vm, ScriptModule* module, const char* name, float value, bool exported)
{
    ScriptValue* slot = nullptr;
    Status status = FindGlobal(vm, module, name, exported, kScriptTypeFloat, &slot);
    if (status >= 0)
        slot->value = FloatToBits(value);
    return status;
}

Status ScriptModule_SetString(ScriptVM* vm, ScriptModule* module, const char* name, const char* value, bool exported)
{
    ScriptValue* slot = nullptr;
    Status status = FindGlobal(vm, module, name, exported, kScriptTypeString, &slot);
    if (status < 0)
        return status;
    char* copy = StrDupA(value ? value : "");
    if (!copy) {
        if (vm)
            vm->status = kScriptOutOfMemory;
        return kScriptOutOfMemory;
    }
    ScriptValue_Reset(slot);
    slot->type = kScriptTypeString;
    slot->text = copy;
    return kScriptOk;
}

Status ScriptModule_GetLong(ScriptVM* vm, ScriptModule* module, const char* name, uint32_t* value, bool exported)
{
    ScriptValue* slot = nullptr;
    Status status = FindGlobal(vm, module, name, exported, kScriptTypeULong, &slot);
    if (status >= 0 && value)
        *value = slot->value;
    return status;
}

Status ScriptModule_GetFloat(ScriptVM* vm, ScriptModule* module, const char* name, float* value, bool exported)
{
    ScriptValue* slot = nullptr;
    Status status = FindGlobal(vm, module, name, exported, kScriptTypeFloat, &slot);
    if (status >= 0 && value)
        *value = FloatFromBits(slot->value);
    return status;
}

Status ScriptModule_GetString(ScriptVM* vm, ScriptModule* module, const char* name, const char** value,
                              bool exported)
{
    ScriptValue* slot = nullptr;
    Status status = FindGlobal(vm, module, name, exported, kScriptTypeString, &slot);
    if (status >= 0 && value)
        *value = ScriptValue_Text(slot);
    return status;
}
