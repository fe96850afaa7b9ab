// Builtins on the texts of items: the popup text, the score counted up on them, their colour,
// and the values read from an item's looped drag.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelLevels/LevelValues.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

bool Empty(const char* text) { return !text || !*text; }

// The drag offset along one axis as a place among `base` positions of the looped drag: the
// offset counted in steps of the velocity factor times the element's size, brought into
// [0, base). A step of zero gives 0.
int32_t DragPlace(float offset, float factor, float size, int32_t base)
{
    const float step = factor * size;
    if (step == 0.0f)
        return 0;
    const int64_t r = TruncateToInt32(-(offset / step));
    const int64_t place = r % base;
    return int32_t(place < 0 ? place + base : place);
}

}  // namespace

Status CObjectsBase::setItemsText(ScriptBuiltinCall& call)
{
    const char* name = call.Text(1);
    int32_t index = -1;
    if (!Empty(name)) {
        auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
        const CExtraTextManager* extra = world ? world->GetExtraTextManager() : nullptr;
        index = extra ? extra->FindPopupGroupByName(name) : -1;
        if (index == -1) {
            TraceCall(call, kTraceError, "unrecognize popup name %S", UtilsString_FromUtf8(name).c_str());
            return kStatusFailed;
        }
    }
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase*, ElementRecord* element) {
        element->textStringId = index;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}

Status CObjectsBase::setItemTextScore(ScriptBuiltinCall& call)
{
    const int32_t easing = FindEasingIndex(call.Text(2));
    if (easing < 0) {
        TraceCall(call, kTraceError, "invalid ease type %S", UtilsString_FromUtf8(call.Text(2)).c_str());
        return kStatusFailed;
    }
    CObjectsBase* owner = nullptr;
    ElementRecord* element = nullptr;
    if (!FirstListedItem(call, call.Text(0), &owner, &element))
        return kStatusDoneStoreResult;
    // Scores wrap as 32-bit words.
    const uint32_t v = uint32_t(TruncateToInt32(call.Float(3)));
    const char* operation = call.Text(1);
    uint32_t score = uint32_t(element->score);
    if (Empty(operation) || StringCompareA(operation, "add_score") == 0)
        score += v;
    else if (StringCompareA(operation, "mul_score") == 0)
        score *= v;
    else
        score = v;
    element->score = int32_t(score);
    element->scoreEasing = uint32_t(easing);
    return Failed(owner->SetElementNumber(element, uint32_t(easing), element->score, call.Float(4), 1))
               ? kStatusFailed
               : kStatusDoneStoreResult;
}

Status CObjectsBase::setItemsTextColor(ScriptBuiltinCall& call)
{
    const char* text = call.Text(1);
    const bool reset = Empty(text) || StringCompareA(text, "default") == 0;
    // The colour reader of every other colour word, so that a malformed value reads alike.
    const uint32_t color = reset ? 0 : ParseColor(text, 0);
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase*, ElementRecord* element) {
        element->textColor = color;
        element->ownTextColor = reset ? 0 : 1;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}

Status CObjectsBase::setItemParameters(ScriptBuiltinCall& call)
{
    // The base reads no parameter: the list is resolved for its reports alone.
    CObjectsBase* owner = nullptr;
    ElementRecord* element = nullptr;
    FirstListedItem(call, call.Text(0), &owner, &element);
    return kStatusDoneStoreResult;
}

Status CObjectsBase::getItemParameters(ScriptBuiltinCall& call)
{
    struct Axis {
        const char* key;
        const char* missing;
    };
    static const Axis kAxes[2] = {
        {"get_drag_x_pos_with_base=",
         "get_drag_x_pos_with_base must specifies an item with fade_velocity_looped_(randomized)_x parameter"},
        {"get_drag_y_pos_with_base=",
         "get_drag_y_pos_with_base must specifies an item with fade_velocity_looped_(randomized)_y parameter"},
    };
    int32_t result = 0;
    CObjectsBase* owner = nullptr;
    ElementRecord* element = nullptr;
    const bool found = FirstListedItem(call, call.Text(0), &owner, &element);
    ListCursor parameters;
    parameters.Start(call.Text(1));
    uint32_t prefix = 0;
    while (const char* token = parameters.NextToken(&prefix)) {
        for (uint32_t axis = 0; axis < 2; ++axis) {
            const size_t keyLength = std::strlen(kAxes[axis].key);
            if (std::strncmp(token, kAxes[axis].key, keyLength) != 0)
                continue;
            const int32_t base = int32_t(std::strtol(token + keyLength, nullptr, 10));
            if (base <= 0) {
                TraceCall(call, kTraceError, "invalid parameters");
                return kStatusFailed;
            }
            if (!found || element->fadeVelocityFactor == 0.0f) {
                TraceCall(call, kTraceError, kAxes[axis].missing);
                return kStatusFailed;
            }
            result = DragPlace(element->dragOffset[axis], element->fadeVelocityFactor, element->size[axis], base);
        }
    }
    call.SetResultLong(uint32_t(result));
    return kStatusDoneStoreResult;
}
