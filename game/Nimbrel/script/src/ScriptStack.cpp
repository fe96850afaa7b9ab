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

namespace {

// Equal bytes, compared as two overlapping words for the short names most variables have.
inline bool SameBytes(const char* a, const char* b, size_t length)
{
    if (length >= 8 && length <= 16) {
        uint64_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&a1, a + length - 8, 8);
        std::memcpy(&b1, b + length - 8, 8);
        return a0 == b0 && a1 == b1;
    }
    if (length >= 4 && length < 8) {
        uint32_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 4);
        std::memcpy(&b0, b, 4);
        std::memcpy(&a1, a + length - 4, 4);
        std::memcpy(&b1, b + length - 4, 4);
        return a0 == b0 && a1 == b1;
    }
    return std::memcmp(a, b, length) == 0;
}

} // namespace

uint32_t ScriptStack::FindByName(const char* name, uint8_t attributeAny) const
{
    return FindNamed(name, name ? std::strlen(name) : 0, attributeAny);
}

uint32_t ScriptStack::FindNamed(const char* name, size_t length, uint8_t attributeAny) const
{
    // Names are compared as the engine's StringCompareA does (exactly), length first.
    if (length == 0)
        return kScriptNone;
    const ScriptValue* data = slots.data();
    for (size_t i = slots.size(); i-- > 0;) {
        const ScriptDeclaration* declaration = data[i].declaration;
        if (!declaration || declaration->name.size() != length)
            continue;
        if (attributeAny != 0 && (declaration->attributes & attributeAny) == 0)
            continue;
        if (SameBytes(declaration->name.data(), name, length))
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
