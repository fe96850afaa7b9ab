#pragma once
// One run-time value: a slot of a variable stack. Only ULONG, FLOAT and STRING carry data;
// the types from POINTER up are references that every operation follows to the slot that holds
// the value (see ScriptStack.h).
#include <cstdint>
#include <cstring>

struct ScriptDeclaration;

enum ScriptValueType : uint8_t {
    kScriptTypeUnknown = 0, // declared, never set
    kScriptTypeULong = 1,   // unsigned 32-bit integer; also the truth values 1 and 0
    kScriptTypeFloat = 2,   // the bits of a 32-bit float
    kScriptTypeString = 3,  // owned 8-bit text (may be null: it then reads as "")
    kScriptTypePointer = 4, // index of a slot in the module's global stack
    kScriptTypeExtern = 5,  // index of a slot in the calling activation's stack
    kScriptTypeCommand = 6, // index of another slot of the same stack
    kScriptTypeLinked = 7,  // a linked module's global, found by the declaration's name
};

struct ScriptValue {
    uint8_t type;                    // ScriptValueType
    uint32_t value;                  // ULONG, FLOAT bits or the slot index of a reference
    char* text;                      // STRING: owned, allocated with UtilsMalloc; else null
    ScriptDeclaration* declaration;  // the variable this slot stands for; null for none
};

// Frees an owned STRING and zeroes type, payload and declaration.
void ScriptValue_Clear(ScriptValue* value);
// Frees an owned STRING and zeroes type and payload; the declaration stays.
void ScriptValue_Reset(ScriptValue* value);
// The text of a STRING value; "" for a null text, so a null string acts as the empty one.
const char* ScriptValue_Text(const ScriptValue* value);
inline bool ScriptIsReferenceType(uint32_t type) { return type >= kScriptTypePointer && type <= kScriptTypeLinked; }

// The names used in messages: "UNKNOWN", "ULONG", "FLOAT", "STRING", "POINTER", "EXTERN",
// "COMMAND"; type 7 and anything beyond have no name ("").
const char16_t* ScriptTypeName(uint32_t type);

// A FLOAT's payload and back, bit for bit (inline: the executor's arithmetic uses them).
inline float FloatFromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

inline uint32_t FloatToBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}
