// The builtins' side of the script manager: the call adapter that hands a builtin call to its
// handler, and the handlers of the builtins every script has.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <cstring>

#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptValue.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "NimbrelWorld/GameData.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// 2^-32: a 32-bit random number as a fraction of 1.
constexpr double kUnitFraction = 1.0 / 4294967296.0;

WorldData* WorldOf(void* object)
{
    return static_cast<CScriptManager*>(object)->GetWorldData();
}

// A decimal number as atof reads it, whatever the locale: blanks, a sign, digits, a fraction
// and an exponent; 0 when the text holds none.
double ParseDecimal(const char* text)
{
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' || *text == '\v')
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    double value = 0.0;
    std::from_chars(text, text + std::strlen(text), value, std::chars_format::general);
    return negative ? -value : value;
}

// A 1-based number as atoi reads it, as an index: 0 and below stay 0.
uint32_t OneBased(const char* text)
{
    const long value = std::strtol(text, nullptr, 10);
    return value > 0 ? uint32_t(std::min<long>(value, INT32_MAX) - 1) : 0;
}

}  // namespace

Status CScriptManager::CallAdapter(ScriptVM* vm, ScriptModule* module, ScriptFunction* builtin,
                                   ScriptActivation* caller, uint32_t hostWord, uint32_t argumentCode,
                                   uintptr_t* bound1, uintptr_t* bound2, uint32_t tail, ScriptBuiltinResult* result,
                                   uint32_t fileIndex, uint32_t line)
{
    auto handler = reinterpret_cast<ScriptBuiltinHandler>(*bound2);
    if (!handler)
        return kStatusFailed;
    ScriptBuiltinCall call{};
    call.fileIndex = fileIndex;
    call.line = line;
    call.hostWord = hostWord;
    call.module = module;
    call.vm = vm;
    call.builtin = builtin;
    call.activation = caller;
    call.tail = tail;
    const uint32_t count = ScriptArgumentCount(argumentCode);
    for (uint32_t i = 0; i < count && i < kScriptArgSlotLimit; ++i) {
        // Parameter i + 1 is digit i of the code, the first parameter in the lowest digit.
        const uint32_t digit = (argumentCode >> (4 * i)) & 0xFu;
        if (digit == 0)
            break;
        if (digit == kScriptArgLong) {
            call.arguments[i] = ScriptModule_GetParamLong(vm, module, builtin, caller, i + 1);
        } else if (digit == kScriptArgFloat) {
            call.arguments[i] = FloatToBits(ScriptModule_GetParamFloat(vm, module, builtin, caller, i + 1));
        } else if (digit == kScriptArgString) {
            const char* text = ScriptModule_GetParamString(vm, module, builtin, caller, i + 1);
            if (!text)
                return kStatusFailed;
            call.arguments[i] = reinterpret_cast<uintptr_t>(text);
        }
        call.argumentCount = i + 1;
    }
    const Status status = handler(reinterpret_cast<void*>(*bound1), call);
    result->type = call.resultType;
    result->value = call.resultValue;
    result->extra = call.resultExtra;
    // The interpreter takes the text over (and frees it when the call did not end with a result).
    result->text = call.resultType == kScriptTypeString ? call.resultText : nullptr;
    if (!result->text)
        call.ClearResult();
    return status;
}

float ScriptBuiltinCall::Float(uint32_t i) const
{
    return FloatFromBits(static_cast<uint32_t>(arguments[i]));
}

const char* ScriptBuiltinCall::BuiltinName() const
{
    return builtin ? builtin->name.c_str() : "";
}

void ScriptBuiltinCall::ClearResult()
{
    if (resultText)
        UTILS_FREE(resultText);
    resultText = nullptr;
}

void ScriptBuiltinCall::SetResultLong(uint32_t value)
{
    ClearResult();
    resultType = kScriptTypeULong;
    resultValue = value;
}

void ScriptBuiltinCall::SetResultFloat(float value)
{
    ClearResult();
    resultType = kScriptTypeFloat;
    resultValue = FloatToBits(value);
}

bool ScriptBuiltinCall::SetResultString(const char* text)
{
    char* copy = UtilsString_DupA(text ? text : "");
    if (!copy)
        return false;
    ClearResult();
    resultType = kScriptTypeString;
    resultValue = 0;
    resultText = copy;
    return true;
}

// Traces and assertions go to a sink that drops them: scripts never reach the player.
Status CScriptManager::HandleTrace(void*, ScriptBuiltinCall&)
{
    return kStatusDoneStoreResult;
}

Status CScriptManager::HandleAssert(void*, ScriptBuiltinCall&)
{
    return kStatusDoneStoreResult;
}

Status CScriptManager::HandleRandomFloat(void* object, ScriptBuiltinCall& call)
{
    const double low = FloatFromBits(static_cast<uint32_t>(call.arguments[0]));
    const double high = FloatFromBits(static_cast<uint32_t>(call.arguments[1]));
    const double r = UtilsRandom_Next(WorldOf(object));
    call.resultType = kScriptTypeFloat;
    call.resultValue = FloatToBits(static_cast<float>(low + (high - low) * r * kUnitFraction));
    return kStatusDoneStoreResult;
}

Status CScriptManager::HandleRandomLong(void* object, ScriptBuiltinCall& call)
{
    // Signed bounds, both reachable: low + (high + 1 - low) x r x 2^-32, rounded down (so that
    // a range below zero keeps its lowest value and never reaches past its highest).
    const double low = static_cast<int32_t>(call.arguments[0]);
    const double high = static_cast<int32_t>(call.arguments[1]);
    const double r = UtilsRandom_Next(WorldOf(object));
    call.resultType = kScriptTypeULong;
    call.resultValue = static_cast<uint32_t>(static_cast<int32_t>(std::floor(low + (high + 1.0 - low) * r * kUnitFraction)));
    return kStatusDoneStoreResult;
}

Status CScriptManager::HandleCommand(void* object, ScriptBuiltinCall& call)
{
    const char* command = reinterpret_cast<const char*>(call.arguments[0]);
    const char* a = reinterpret_cast<const char*>(call.arguments[1]);
    const char* b = reinterpret_cast<const char*>(call.arguments[2]);
    WorldData* w = WorldOf(object);
    if (!command || !a || !b || !w || !w->pGame)
        return kStatusFailed;
    if (std::strcmp(command, "set_parameter") == 0 && std::strcmp(a, "default_fade_seconds") == 0) {
        w->pGame->screen.defaultFadeSeconds = static_cast<float>(ParseDecimal(b));
        return kStatusDoneStoreResult;
    }
    CNimbrelWorld* world = static_cast<CScriptManager*>(object)->GetWorld();
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    if (!objects)
        return kStatusFailed;
    if (std::strcmp(command, "load_object") == 0) {
        // The level change replaces the calling script: it stays suspended.
        return Failed(world->LoadLevelByName(a, OneBased(b))) ? kStatusFailed : kStatusWait;
    }
    if (std::strcmp(command, "load_profile") == 0) {
        CProfileManager* profiles = world->GetProfileManager();
        if (!profiles || profiles->GetSlotCount() == 0)
            return kStatusFailed;
        profiles->SetCurrentSlot(int32_t(std::min(OneBased(a), profiles->GetSlotCount() - 1)));
        return Failed(objects->SelectChapterLevel(0)) ? kStatusFailed : kStatusWait;
    }
    return kStatusFailed;
}

Status CScriptManager::HandleSendObjectMessage(void* object, ScriptBuiltinCall& call)
{
    const char* name = reinterpret_cast<const char*>(call.arguments[0]);
    const char* message = reinterpret_cast<const char*>(call.arguments[1]);
    CNimbrelWorld* world = static_cast<CScriptManager*>(object)->GetWorld();
    CObjectsBase* target = world && name && message ? world->FindObjectByName(name) : nullptr;
    if (!target)
        return kStatusFailed;
    char* copy = UtilsString_DupA(message);
    if (!copy) {
        WorldOf(object)->lastErrorCode = kStatusOutOfMemory;
        return kStatusFailed;
    }
    // The object takes the copy, also when it cannot queue it.
    if (Failed(target->PostMessage(copy, static_cast<uint32_t>(call.arguments[2]), static_cast<uint32_t>(call.arguments[3]))))
        return kStatusFailed;
    return kStatusDoneStoreResult;
}
