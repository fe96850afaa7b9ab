#include "NimbrelScript/ScriptStack.h"

#include "NimbrelScript/ScriptTree.h"
#include "VornelUtils/UtilsString.h"

#include <cstring>

void ScriptStack::Truncate(uint32_t count)
{
    size_t size = slots.size();
    if (size <= count)
        return;
    // Popped slots are gone, so only what outlives them matters: the live-slot counts and
    // the owned texts.
    ScriptValue* data = slots.data();
    while (size > count) {
        ScriptValue& slot = data[--size];
        if (slot.declaration && slot.declaration->liveSlots > 0)
            --slot.declaration->liveSlots;
        if (slot.text)
            ScriptValue_Clear(&slot);
    }
    slots.resize(count);
}

uint32_t ScriptStack::Push(ScriptDeclaration* declaration)
{
    const uint32_t index = Count();
    slots.emplace_back();
    slots.back().declaration = declaration;
    if (declaration)
        ++declaration->liveSlots;
    return index;
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
