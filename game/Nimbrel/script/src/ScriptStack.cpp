#include "NimbrelScript/ScriptStack.h"

#include "NimbrelScript/ScriptTree.h"
#include "ScriptStackInline.h"
#include "VornelUtils/UtilsString.h"

#include <cstring>

void ScriptStack::Truncate(uint32_t count)
{
    ScriptStackTruncate(this, count);
}

uint32_t ScriptStack::Push(ScriptDeclaration* declaration)
{
    return ScriptStackPush(this, declaration);
}

uint32_t ScriptStack::Find(const ScriptDeclaration* declaration) const
{
    for (size_t i = slots.size(); i-- > 0;) {
        const ScriptValue& slot = slots[i];
        if (slot.declaration == declaration && slot.type != kScriptTypeCommand && slot.type != kScriptTypeLinked)
            return static_cast<uint32_t>(i);
    }
    return kScriptNone;
}

uint32_t ScriptStack::FindByName(const char* name, uint8_t attributeAny) const
{
    return FindNamed(name, name ? std::strlen(name) : 0, attributeAny);
}

uint32_t ScriptStack::FindNamed(const char* name, size_t length, uint8_t attributeAny) const
{
    // Names are compared as the engine's StringCompareA does (exactly), length first, then
    // from the end: generated names ("_f_1_", "_f_2_") differ only near it.
    if (length == 0)
        return kScriptNone;
    const ScriptValue* data = slots.data();
    for (size_t i = slots.size(); i-- > 0;) {
        const ScriptDeclaration* declaration = data[i].declaration;
        if (!declaration || declaration->name.size() != length)
            continue;
        if (attributeAny != 0 && (declaration->attributes & attributeAny) == 0)
            continue;
        const char* other = declaration->name.data();
        size_t k = length;
        while (k > 0 && other[k - 1] == name[k - 1])
            --k;
        if (k == 0)
            return static_cast<uint32_t>(i);
    }
    return kScriptNone;
}

Status ScriptPopSlots(ScriptStack* stack, uint32_t count)
{
    if (count > stack->Count())
        return kScriptStackUnderflow;
    stack->Truncate(stack->Count() - count);
    return kScriptOk;
}
