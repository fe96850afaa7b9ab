#pragma once
// The assignment and operator rules (ScriptRules.cpp) restricted to numbers, for the
// executor's shortcuts: each function either does exactly what the full rule does or says
// that the full rule (through the handler) must decide. The full rules share the number
// helpers below.
#include "NimbrelScript/ScriptTree.h"
#include "NimbrelScript/ScriptValue.h"

#include <cstdint>

inline bool ScriptIsNumberType(uint8_t type)
{
    return type == kScriptTypeULong || type == kScriptTypeFloat;
}

inline float ScriptNumberAsFloat(uint8_t type, uint32_t value)
{
    return type == kScriptTypeULong ? static_cast<float>(value) : FloatFromBits(value);
}

template <typename T>
inline bool ScriptNumberCompare(uint32_t opcode, T left, T right)
{
    switch (opcode) {
    case kScriptOpEqual: return left == right;
    case kScriptOpNotEqual: return left != right;
    case kScriptOpLess: return left < right;
    case kScriptOpLessEqual: return left <= right;
    case kScriptOpGreater: return left > right;
    default: return left >= right;
    }
}

// left := left (operator 7 to 18) right, for a number on the left (not a literal) and a
// number read on the right. False where the full rule does anything else (other types, a
// comparison of a ULONG with a FLOAT, && and || on floats, an integer division by zero).
inline bool ScriptNumberOperate(uint32_t opcode, uint8_t* leftType, uint32_t* leftValue, uint8_t rightType,
                                uint32_t rightValue)
{
    const uint8_t lt = *leftType;
    if (!ScriptIsNumberType(lt) || !ScriptIsNumberType(rightType))
        return false;
    const uint32_t lv = *leftValue;
    const uint32_t rv = rightValue;
    const bool bothLong = lt == kScriptTypeULong && rightType == kScriptTypeULong;
    float result = 0.0f;
    switch (opcode) {
    case kScriptOpAdd:
        if (bothLong) {
            *leftValue = lv + rv;
            return true;
        }
        result = ScriptNumberAsFloat(lt, lv) + ScriptNumberAsFloat(rightType, rv);
        break;
    case kScriptOpSub:
        if (bothLong) {
            *leftValue = lv - rv;
            return true;
        }
        result = ScriptNumberAsFloat(lt, lv) - ScriptNumberAsFloat(rightType, rv);
        break;
    case kScriptOpMul:
        if (bothLong) {
            *leftValue = lv * rv;
            return true;
        }
        result = ScriptNumberAsFloat(lt, lv) * ScriptNumberAsFloat(rightType, rv);
        break;
    case kScriptOpDiv:
        if (bothLong) {
            if (rv == 0)
                return false;
            *leftValue = lv / rv;
            return true;
        }
        result = ScriptNumberAsFloat(lt, lv) / ScriptNumberAsFloat(rightType, rv);
        break;
    case kScriptOpAnd:
    case kScriptOpOr:
        if (!bothLong)
            return false;
        *leftValue = opcode == kScriptOpAnd ? (lv != 0 && rv != 0) : (lv != 0 || rv != 0);
        return true;
    default:
        // A comparison leaves 1 or 0 in the left slot's own type.
        if (bothLong) {
            *leftValue = ScriptNumberCompare(opcode, lv, rv) ? 1u : 0u;
            return true;
        }
        if (lt == kScriptTypeFloat && rightType == kScriptTypeFloat) {
            *leftValue = ScriptNumberCompare(opcode, FloatFromBits(lv), FloatFromBits(rv)) ? 1u : 0u;
            return true;
        }
        return false;
    }
    *leftType = kScriptTypeFloat;
    *leftValue = FloatToBits(result);
    return true;
}

// target := source for a number read as the source and a target that is unset or a number;
// false where the full rule does anything else.
inline bool ScriptNumberAssign(uint8_t* targetType, uint32_t* targetValue, uint8_t sourceType, uint32_t sourceValue)
{
    if (!ScriptIsNumberType(sourceType))
        return false;
    switch (*targetType) {
    case kScriptTypeUnknown:
    case kScriptTypeULong:
        *targetType = sourceType;
        *targetValue = sourceValue;
        return true;
    case kScriptTypeFloat:
        *targetValue = sourceType == kScriptTypeULong ? FloatToBits(static_cast<float>(sourceValue)) : sourceValue;
        return true;
    default:
        return false;
    }
}
