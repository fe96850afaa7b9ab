// The type rules of assignment and of the operators 7 to 18.
#include "NimbrelScript/ScriptOps.h"
#include "NimbrelScript/ScriptText.h"
#include "ScriptInternal.h"
#include "ScriptNumberRules.h"

#include "VornelUtils/UtilsMemory.h"

#include <charconv>
#include <cstring>

namespace {

void SetLong(ScriptValue* value, uint32_t number)
{
    ScriptValue_Reset(value);
    value->type = kScriptTypeULong;
    value->value = number;
}

void SetFloat(ScriptValue* value, float number)
{
    ScriptValue_Reset(value);
    value->type = kScriptTypeFloat;
    value->value = FloatToBits(number);
}

// A float comparison leaves the left slot FLOAT with the payload bits 1 or 0.
void SetFloatTruth(ScriptValue* value, bool truth)
{
    ScriptValue_Reset(value);
    value->type = kScriptTypeFloat;
    value->value = truth ? 1u : 0u;
}

// The left value takes a copy of the right one (an UNKNOWN left operand).
ScriptRule TakeCopy(ScriptValue* left, uint8_t type, uint32_t number, const char* text)
{
    if (type == kScriptTypeString) {
        char* copy = StrDupA(text ? text : "");
        if (!copy)
            return ScriptRule::OutOfMemory;
        ScriptValue_Reset(left);
        left->type = kScriptTypeString;
        left->text = copy;
        return ScriptRule::Ok;
    }
    ScriptValue_Reset(left);
    left->type = type;
    left->value = number;
    return ScriptRule::Ok;
}

// The left STRING becomes its text followed by `suffix` (a new owned string).
ScriptRule Append(ScriptValue* left, const char* suffix, size_t suffixLength)
{
    const char* head = ScriptValue_Text(left);
    size_t headLength = std::strlen(head);
    char* joined = static_cast<char*>(UTILS_MALLOC(headLength + suffixLength + 1));
    if (!joined)
        return ScriptRule::OutOfMemory;
    std::memcpy(joined, head, headLength);
    std::memcpy(joined + headLength, suffix, suffixLength);
    joined[headLength + suffixLength] = 0;
    ScriptValue_Reset(left);
    left->type = kScriptTypeString;
    left->text = joined;
    return ScriptRule::Ok;
}

ScriptRule AppendNumber(ScriptValue* left, uint8_t type, uint32_t number)
{
    char text[kScriptNumberTextCapacity];
    size_t length = ScriptNumberText(text, sizeof(text), type, number);
    if (length == 0)
        return ScriptRule::Unsupported;
    return Append(left, text, length);
}

} // namespace

size_t ScriptNumberText(char* text, size_t capacity, uint8_t type, uint32_t number)
{
    std::to_chars_result result;
    if (type == kScriptTypeULong)
        result = std::to_chars(text, text + capacity, static_cast<int32_t>(number));
    else
        result = std::to_chars(text, text + capacity, static_cast<double>(FloatFromBits(number)),
                               std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return 0;
    return static_cast<size_t>(result.ptr - text);
}

ScriptRule ScriptAssignRule(ScriptValue* dst, const ScriptValue* src)
{
    // The source may be the destination itself (an assignment through a reference).
    const uint8_t type = src->type;
    const uint32_t number = src->value;
    const char* text = src->text;
    switch (dst->type) {
    case kScriptTypeUnknown:
        if (type > kScriptTypeString)
            return ScriptRule::Unsupported;
        return TakeCopy(dst, type, number, text);
    case kScriptTypeULong:
        if (type == kScriptTypeULong) {
            dst->value = number;
            return ScriptRule::Ok;
        }
        if (type == kScriptTypeFloat) {
            dst->type = kScriptTypeFloat;
            dst->value = number;
            return ScriptRule::Ok;
        }
        if (type == kScriptTypeString && dst->declaration && (dst->declaration->attributes & kScriptAttrArgument))
            return TakeCopy(dst, type, number, text);
        return ScriptRule::Unsupported;
    case kScriptTypeFloat:
        if (type == kScriptTypeULong) {
            dst->value = FloatToBits(static_cast<float>(number));
            return ScriptRule::Ok;
        }
        if (type == kScriptTypeFloat) {
            dst->value = number;
            return ScriptRule::Ok;
        }
        return ScriptRule::Unsupported;
    case kScriptTypeString:
        if (type == kScriptTypeString)
            return TakeCopy(dst, type, number, text);
        return ScriptRule::Unsupported;
    default:
        return ScriptRule::Unsupported;
    }
}

ScriptRule ScriptOperatorRule(uint32_t opcode, ScriptValue* left, const ScriptValue* right)
{
    // The right value may be the left slot itself ("x + x" through a reference).
    const uint8_t lt = left->type;
    const uint8_t rt = right->type;
    const uint32_t lv = left->value;
    const uint32_t rv = right->value;
    const bool bothLong = lt == kScriptTypeULong && rt == kScriptTypeULong;
    const bool bothFloat = lt == kScriptTypeFloat && rt == kScriptTypeFloat;
    const bool numbers = ScriptIsNumberType(lt) && ScriptIsNumberType(rt);

    switch (opcode) {
    case kScriptOpAdd:
        if (lt == kScriptTypeUnknown)
            return rt <= kScriptTypeString ? TakeCopy(left, rt, rv, right->text) : ScriptRule::Unsupported;
        if (bothLong) {
            left->value = lv + rv;
            return ScriptRule::Ok;
        }
        if (numbers) {
            SetFloat(left, ScriptNumberAsFloat(lt, lv) + ScriptNumberAsFloat(rt, rv));
            return ScriptRule::Ok;
        }
        if (lt == kScriptTypeString && ScriptIsNumberType(rt))
            return AppendNumber(left, rt, rv);
        if (lt == kScriptTypeString && rt == kScriptTypeString) {
            // Join into a new text first: the right text may be the left one.
            const char* tail = ScriptValue_Text(right);
            size_t tailLength = std::strlen(tail);
            char* copy = static_cast<char*>(UTILS_MALLOC(tailLength + 1));
            if (!copy)
                return ScriptRule::OutOfMemory;
            std::memcpy(copy, tail, tailLength + 1);
            ScriptRule rule = Append(left, copy, tailLength);
            UTILS_FREE(copy);
            return rule;
        }
        return ScriptRule::Unsupported;

    case kScriptOpSub:
        if (lt == kScriptTypeUnknown && rt == kScriptTypeFloat) {
            SetFloat(left, -FloatFromBits(rv));
            return ScriptRule::Ok;
        }
        if (lt == kScriptTypeUnknown && rt == kScriptTypeULong)
            return TakeCopy(left, rt, rv, nullptr);
        if (bothLong) {
            left->value = lv - rv;
            return ScriptRule::Ok;
        }
        if (numbers) {
            SetFloat(left, ScriptNumberAsFloat(lt, lv) - ScriptNumberAsFloat(rt, rv));
            return ScriptRule::Ok;
        }
        return ScriptRule::Unsupported;

    case kScriptOpMul:
        if (bothLong) {
            left->value = lv * rv;
            return ScriptRule::Ok;
        }
        if (numbers) {
            SetFloat(left, ScriptNumberAsFloat(lt, lv) * ScriptNumberAsFloat(rt, rv));
            return ScriptRule::Ok;
        }
        return ScriptRule::Unsupported;

    case kScriptOpDiv:
        if (bothLong) {
            if (rv == 0)
                return ScriptRule::DivideByZero;
            left->value = lv / rv;
            return ScriptRule::Ok;
        }
        if (numbers) {
            SetFloat(left, ScriptNumberAsFloat(lt, lv) / ScriptNumberAsFloat(rt, rv));
            return ScriptRule::Ok;
        }
        return ScriptRule::Unsupported;

    case kScriptOpEqual:
    case kScriptOpNotEqual:
        if (lt == kScriptTypeString && rt == kScriptTypeString) {
            bool equal = StringCompareA(ScriptValue_Text(left), ScriptValue_Text(right)) == 0;
            SetLong(left, (opcode == kScriptOpEqual) == equal ? 1u : 0u);
            return ScriptRule::Ok;
        }
        [[fallthrough]];
    case kScriptOpLess:
    case kScriptOpLessEqual:
    case kScriptOpGreater:
    case kScriptOpGreaterEqual:
        if (bothLong) {
            SetLong(left, ScriptNumberCompare(opcode, lv, rv) ? 1u : 0u);
            return ScriptRule::Ok;
        }
        if (bothFloat) {
            SetFloatTruth(left, ScriptNumberCompare(opcode, FloatFromBits(lv), FloatFromBits(rv)));
            return ScriptRule::Ok;
        }
        return ScriptRule::Unsupported;

    case kScriptOpAnd:
    case kScriptOpOr:
        if (bothLong) {
            bool truth = opcode == kScriptOpAnd ? (lv != 0 && rv != 0) : (lv != 0 || rv != 0);
            SetLong(left, truth ? 1u : 0u);
            return ScriptRule::Ok;
        }
        return ScriptRule::Unsupported;

    default:
        return ScriptRule::Unsupported;
    }
}

const char16_t* ScriptOperatorMessage(uint32_t opcode)
{
    static const char16_t* const kMessages[] = {
        u"unsupported operation \"%s\" * \"%s\"",  u"unsupported operation \"%s\" / \"%s\"",
        u"unsupported operation \"%s\" + \"%s\"",  u"unsupported operation \"%s\" - \"%s\"",
        u"unsupported operation \"%s\" == \"%s\"", u"unsupported operation \"%s\" != \"%s\"",
        u"unsupported operation \"%s\" < \"%s\"",  u"unsupported operation \"%s\" <= \"%s\"",
        u"unsupported operation \"%s\" > \"%s\"",  u"unsupported operation \"%s\" >= \"%s\"",
        u"unsupported operation \"%s\" && \"%s\"", u"unsupported operation \"%s\" || \"%s\"",
    };
    if (opcode < kScriptOpMul || opcode > kScriptOpOr)
        return u"unsupported operation (%d)";
    return kMessages[opcode - kScriptOpMul];
}
