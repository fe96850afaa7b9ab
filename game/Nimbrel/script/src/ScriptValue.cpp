#include "NimbrelScript/ScriptValue.h"

#include "VornelUtils/UtilsMemory.h"

#include <cstring>

void ScriptValue_Reset(ScriptValue* value)
{
    if (value->text)
        UTILS_FREE(value->text);
    value->text = nullptr;
    value->type = kScriptTypeUnknown;
    value->value = 0;
}

void ScriptValue_Clear(ScriptValue* value)
{
    ScriptValue_Reset(value);
    value->declaration = nullptr;
}

const char* ScriptValue_Text(const ScriptValue* value)
{
    return value->text ? value->text : "";
}

const char16_t* ScriptTypeName(uint32_t type)
{
    static const char16_t* const kNames[] = {u"UNKNOWN", u"ULONG", u"FLOAT", u"STRING",
                                             u"POINTER", u"EXTERN", u"COMMAND"};
    return type < sizeof(kNames) / sizeof(kNames[0]) ? kNames[type] : u"";
}

