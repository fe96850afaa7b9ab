#include "NimbrelScript/ScriptOps.h"
#include "ScriptInternal.h"

namespace {

// Longest reference chain followed before it is taken for a loop.
constexpr int kReferenceHopLimit = 1024;

} // namespace

Status ScriptPushSlot(ScriptVM* vm, ScriptModule* module, ScriptFunction* function, ScriptStack* stack,
                      uint32_t declarationIndex, bool resolve, uint32_t fileIndex, uint32_t line, uint32_t* slot)
{
    if (!stack || declarationIndex >= function->declarations.size())
        return ScriptFail(vm, module, kScriptFailed, fileIndex, line, u"invalid declaration (%d)",
                          static_cast<int>(declarationIndex));
    ScriptDeclaration* declaration = function->declarations[declarationIndex].get();
    uint32_t found = stack->Find(declaration);
    if (found != kScriptNone) {
        *slot = found;
        return kScriptOk;
    }
    uint8_t type = kScriptTypeUnknown;
    uint32_t value = 0;
    if (resolve && (declaration->attributes & kScriptAttrByName)) {
        ScriptModule* owner = ScriptOwnerModule(vm, module, function);
        value = owner->globals.FindByName(declaration->name.c_str(), kScriptAttrOwn | kScriptAttrExported);
        if (value == kScriptNone)
            return ScriptFail(vm, module, kScriptVariableMissing, fileIndex, line,
                              u"the specified variable is missing: \"%S\"", ScriptDeclName(declaration));
        type = kScriptTypePointer;
    } else if (resolve && (declaration->attributes & kScriptAttrLinked)) {
        ScriptModule* owner = ScriptOwnerModule(vm, module, function);
        if (!ScriptFindLinkedGlobal(owner, declaration->name.c_str(), nullptr))
            return ScriptFail(vm, module, kScriptVariableMissing, fileIndex, line,
                              u"the specified variable is missing: \"%S\"", ScriptDeclName(declaration));
        type = kScriptTypeLinked;
    }
    *slot = stack->Push(declaration);
    stack->slots[*slot].type = type;
    stack->slots[*slot].value = value;
    return kScriptOk;
}

ScriptFollowing ScriptFollowSlot(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t* index,
                                 bool linked, ScriptValue** out, const char** missing)
{
    if (!activation || !activation->stack)
        return ScriptFollowing::BadSlot;
    ScriptActivation* context = activation;
    ScriptStack* stack = activation->stack;
    ScriptModule* owner = nullptr; // looked up when a reference needs it
    for (int hop = 0; hop < kReferenceHopLimit; ++hop) {
        if (*index >= stack->Count())
            break;
        ScriptValue* slot = &stack->slots[*index];
        switch (slot->type) {
        case kScriptTypeCommand:
            *index = slot->value;
            continue;
        case kScriptTypeExtern: {
            ScriptActivation* caller = context ? ScriptCallerActivation(context) : nullptr;
            if (!caller || !caller->stack)
                return ScriptFollowing::BadSlot;
            context = caller;
            stack = caller->stack;
            owner = nullptr;
            *index = slot->value;
            continue;
        }
        case kScriptTypePointer:
            if (!owner)
                owner = ScriptOwnerModule(vm, module, context ? context->function : activation->function);
            stack = &owner->globals;
            context = nullptr;
            *index = slot->value;
            continue;
        case kScriptTypeLinked: {
            if (!linked)
                return ScriptFollowing::NotFollowed;
            if (!owner)
                owner = ScriptOwnerModule(vm, module, context ? context->function : activation->function);
            const char* name = ScriptDeclName(slot->declaration);
            ScriptModule* holder = nullptr;
            const uint32_t global = ScriptFindLinkedGlobalSlot(owner, name, &holder);
            if (global == kScriptNone) {
                *missing = name;
                return ScriptFollowing::Missing;
            }
            owner = holder;
            stack = &holder->globals;
            context = nullptr;
            *index = global;
            continue;
        }
        default:
            *out = slot;
            return ScriptFollowing::Found;
        }
    }
    return ScriptFollowing::BadSlot;
}

Status ScriptFollow(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t index,
                    uint32_t fileIndex, uint32_t line, ScriptValue** out)
{
    const char* missing = nullptr;
    switch (ScriptFollowSlot(vm, module, activation, &index, true, out, &missing)) {
    case ScriptFollowing::Found:
        return kScriptOk;
    case ScriptFollowing::Missing:
        return ScriptFail(vm, module, kScriptVariableMissing, fileIndex, line,
                          u"the specified variable is missing: \"%S\"", missing);
    default:
        return ScriptFail(vm, module, kScriptFailed, fileIndex, line, u"invalid variable slot (%d)",
                          static_cast<int>(index));
    }
}

const ScriptValue* ScriptReadValue(const ScriptValue* slot, ScriptValue* scratch)
{
    const ScriptDeclaration* declaration = slot->declaration;
    if (!declaration || declaration->constType == 0)
        return slot;
    scratch->type = declaration->constType;
    scratch->value = declaration->constType == kScriptTypeString ? 0 : declaration->constValue;
    scratch->text = declaration->constType == kScriptTypeString ? declaration->constText : nullptr;
    scratch->declaration = nullptr;
    return scratch;
}

Status ScriptIsZero(ScriptVM* vm, ScriptModule* module, ScriptActivation* activation, uint32_t index,
                    uint32_t fileIndex, uint32_t line, bool* isZero)
{
    ScriptValue* slot = nullptr;
    Status status = ScriptFollow(vm, module, activation, index, fileIndex, line, &slot);
    if (status < 0)
        return status;
    ScriptValue scratch{};
    const ScriptValue* value = ScriptReadValue(slot, &scratch);
    if (value->type != kScriptTypeULong && value->type != kScriptTypeFloat)
        return ScriptFail(vm, module, kScriptUnsupported, fileIndex, line, u"unsupported operation is_zero on \"%s\"",
                          ScriptTypeName(value->type));
    *isZero = value->value == 0;
    return kScriptOk;
}
