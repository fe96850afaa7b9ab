#include "NimbrelScript/ScriptStack.h"

#include "NimbrelScript/ScriptTree.h"
#include "VornelUtils/UtilsString.h"

#include <cstring>

void ScriptStack::Truncate(uint32_t count)
{
    while (slots.size() > count) {
        ScriptValue& slot = slots.back();
        if (slot.declaration && slot.declaration->liveSlots > 0)
            --slot.declaration->liveSlots;
        ScriptValue_Clear(&slot);
        slots.pop_back();
    }
}

uint32_t ScriptStack::Push(ScriptDeclaration* declaration)
{
    ScriptValue slot{};
    slot.declaration = declaration;
    slots.push_back(slot);
    if (declaration)
        ++declaration->liveSlots;
    return Count() - 1;
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
    // Names are compared as the engine's StringCompareA does (exactly), length first.
    const size_t length = name ? std::strlen(name) : 0;
    if (length == 0)
        return kScriptNone;
    for (size_t i = slots.size(); i-- > 0;) {
        const ScriptDeclaration* declaration = slots[i].declaration;
        if (!declaration || declaration->name.size() != length)
            continue;
        if (attributeAny != 0 && (declaration->attributes & attributeAny) == 0)
            continue;
        if (std::memcmp(declaration->name.data(), name, length) == 0)
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
