#pragma once
// ScriptStack's push and truncation as inline functions, for the executor's hot paths; the
// members call these, so there is one definition of what they do.
#include "NimbrelScript/ScriptStack.h"
#include "NimbrelScript/ScriptTree.h"

#include <cstdint>

inline uint32_t ScriptStackPush(ScriptStack* stack, ScriptDeclaration* declaration)
{
    const uint32_t index = stack->Count();
    stack->slots.emplace_back().declaration = declaration;
    if (declaration)
        ++declaration->liveSlots;
    return index;
}

inline void ScriptStackTruncate(ScriptStack* stack, uint32_t count)
{
    std::vector<ScriptValue>& slots = stack->slots;
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
