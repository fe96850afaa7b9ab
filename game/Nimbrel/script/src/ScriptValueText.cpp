#include "NimbrelScript/ScriptRun.h"
#include "ScriptInternal.h"

std::string ScriptValueToText(const ScriptValue* value)
{
    if (!value)
        return std::string();
    switch (value->type) {
    case kScriptTypeUnknown:
        return "0";
    case kScriptTypeULong:
    case kScriptTypeFloat: {
        char text[kScriptNumberTextCapacity];
        return std::string(text, ScriptNumberText(text, sizeof(text), value->type, value->value));
    }
    case kScriptTypeString:
        return ScriptValue_Text(value);
    default:
        return std::string();
    }
}
