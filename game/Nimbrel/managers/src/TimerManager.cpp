#include "NimbrelManagers/CTimerManager.h"

#include <cmath>
#include <cstring>
#include <new>

#include "NimbrelManagers/SceneLookup.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CScriptBase.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr float kUnitsPerSecond = 30.0f;
// The smallest stored timer: f32, 4 x u32, two empty strings.
constexpr int64_t kMinTimerBytes = 4 + 4 * 4 + 4 + 4;

}  // namespace

uint32_t TimerModeFromName(const char* name)
{
    static const char* const kNames[] = {"single", "single_resume", "multi", "multi_resume"};
    for (uint32_t i = 0; name && i < 4; ++i)
        if (std::strcmp(name, kNames[i]) == 0)
            return i;
    return kTimerSingleResume;
}

CTimerManager::~CTimerManager()
{
    Unload();
}

void CTimerManager::FreeTimer(TimerRecord* pTimer)
{
    UTILS_FREE(pTimer->pFunction);
    UTILS_FREE(pTimer->pParameter);
    UTILS_FREE(pTimer);
}

Status CTimerManager::Unload()
{
    ++m_unloads;
    for (void* item = m_timers.GetFirst(); item; item = m_timers.RemoveCurrent(0)) {
        auto* timer = static_cast<TimerRecord*>(item);
        // The walk that is firing this one frees it when its call returns.
        if (!timer->firing)
            FreeTimer(timer);
    }
    return kStatusOk;
}

Status CTimerManager::AddTimer(const char* function, const char* parameter, uint32_t mode, uint32_t handlerKey,
                               float seconds, uint32_t objectIndex, uint32_t callId)
{
    auto* timer = static_cast<TimerRecord*>(UTILS_CALLOC(1, sizeof(TimerRecord)));
    bool ok = timer != nullptr;
    if (ok) {
        timer->remaining = std::isnan(seconds) || seconds <= 0.0f ? 0.0f : seconds * kUnitsPerSecond;
        timer->mode = mode;
        timer->handlerKey = handlerKey;
        timer->objectIndex = objectIndex;
        timer->callId = callId;
        timer->fresh = m_walking;
        timer->pFunction = function ? UtilsString_DupA(function) : nullptr;
        timer->pParameter = parameter ? UtilsString_DupA(parameter) : nullptr;
        ok = (!function || timer->pFunction) && (!parameter || timer->pParameter);
    }
    // Appended without moving the cursor: a walk in progress keeps its place.
    FIFONode* cursor = m_timers.GetCurrentNode();
    ok = ok && Succeeded(m_timers.Add(timer, 0));
    m_timers.SetCurrentNode(cursor);
    if (ok)
        return kStatusOk;
    if (timer)
        FreeTimer(timer);
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

template <typename Match>
void CTimerManager::RemoveWhere(Match match)
{
    FIFONode* cursor = m_timers.GetCurrentNode();
    for (void* item = m_timers.GetFirst(); item;) {
        auto* timer = static_cast<TimerRecord*>(item);
        if (timer->firing || !match(*timer)) {
            item = m_timers.GetNext();
            continue;
        }
        item = m_timers.RemoveCurrent(0);
        FreeTimer(timer);
    }
    // The walk's own node is firing, so it is still on the list.
    m_timers.SetCurrentNode(cursor);
}

void CTimerManager::RemoveTimersByKey(uint32_t objectIndex, uint32_t callId)
{
    RemoveWhere([&](const TimerRecord& t) { return t.objectIndex == objectIndex && t.callId == callId; });
}

void CTimerManager::RemoveTimersOfObject(uint32_t objectIndex)
{
    RemoveWhere([&](const TimerRecord& t) { return t.objectIndex == objectIndex; });
}

void CTimerManager::Update()
{
    const float step = m_pWorldData ? static_cast<float>(m_pWorldData->frameTime) : 0.0f;
    const uint32_t unloads = m_unloads;
    m_walking = 1;
    for (void* item = m_timers.GetFirst(); item;) {
        auto* timer = static_cast<TimerRecord*>(item);
        if (timer->fresh || !IsObjectActive(timer->objectIndex)) {
            item = m_timers.GetNext();
            continue;
        }
        timer->firing = 1;
        timer->remaining -= step;
        if (timer->remaining > 0.0f) {
            timer->firing = 0;
            item = m_timers.GetNext();
            continue;
        }
        FIFONode* node = m_timers.GetCurrentNode();
        const uint8_t resume = timer->mode == kTimerSingleResume || timer->mode == kTimerMultiResume;
        if (!timer->pFunction && !timer->pParameter)
            ResumeCall(timer->objectIndex, timer->callId, timer->handlerKey);
        else
            CallFunction(timer->objectIndex, timer->pFunction, timer->handlerKey, resume, timer->pParameter);
        if (m_unloads != unloads) {
            // The call emptied the manager (a level release): the list is gone, this timer too.
            FreeTimer(timer);
            m_walking = 0;
            return;
        }
        m_timers.SetCurrentNode(node);
        item = m_timers.RemoveCurrent(0);
        FreeTimer(timer);
    }
    m_walking = 0;
    for (void* item = m_timers.GetFirst(); item; item = m_timers.GetNext())
        static_cast<TimerRecord*>(item)->fresh = 0;
}

bool CTimerManager::IsObjectActive(uint32_t objectIndex)
{
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    return world && world->IsObjectActivated(objectIndex);
}

void CTimerManager::ResumeCall(uint32_t objectIndex, uint32_t callId, uint32_t mask)
{
    // The suspended _waitSeconds returns 1.
    if (CObjectsBase* object = SceneObjectAt(m_pWorldData, objectIndex))
        object->CallScriptHandler(callId, mask, 1, nullptr, 0, 1);
}

void CTimerManager::CallFunction(uint32_t objectIndex, const char* function, uint32_t mask, uint8_t resume,
                                 const char* parameter)
{
    CObjectsBase* object = SceneObjectAt(m_pWorldData, objectIndex);
    if (!object)
        return;
    // An empty parameter text still counts as an argument.
    uintptr_t arguments[2] = {0, reinterpret_cast<uintptr_t>(parameter)};
    object->CallScriptFunction(function, mask, resume, parameter ? arguments : nullptr,
                               parameter ? kTimerArgumentText : 0);
}

Status CTimerManager::SaveToStream(UtilsStream_ChunkList*, UtilsStream_Chunk* pStream)
{
    if (!pStream)
        return kStatusFailed;
    FIFONode* cursor = m_timers.GetCurrentNode();
    uint32_t count = m_timers.GetCount();
    bool ok = pStream->Write(&count, 4, 1);
    for (void* item = m_timers.GetFirst(); ok && item; item = m_timers.GetNext()) {
        const auto* t = static_cast<const TimerRecord*>(item);
        ok = pStream->Write(&t->remaining, 4, 1) && pStream->Write(&t->mode, 4, 1) &&
             pStream->Write(&t->objectIndex, 4, 1) && pStream->Write(&t->callId, 4, 1) &&
             pStream->WriteStringA(t->pFunction, false) && pStream->WriteStringA(t->pParameter, false) &&
             pStream->Write(&t->handlerKey, 4, 1);
    }
    m_timers.SetCurrentNode(cursor);
    return ok ? kStatusOk : kStatusFailed;
}

Status CTimerManager::LoadFromStream(UtilsStream_Chunk* pStream)
{
    Unload();
    const Status status = LoadTimers(pStream);
    // A damaged chunk keeps none of its timers: a part of a profile's waits is no state of it.
    if (status != kStatusOk)
        Unload();
    return status;
}

Status CTimerManager::LoadTimers(UtilsStream_Chunk* pStream)
{
    uint32_t count = 0;
    if (!pStream || !pStream->Read(&count, 4, 1))
        return kStatusFailed;
    // A count the bytes left cannot hold is a damaged chunk.
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && static_cast<int64_t>(count) > left / kMinTimerBytes)
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i) {
        auto* timer = static_cast<TimerRecord*>(UTILS_CALLOC(1, sizeof(TimerRecord)));
        if (!timer) {
            if (m_pWorldData)
                m_pWorldData->lastErrorCode = kStatusOutOfMemory;
            return kStatusOutOfMemory;
        }
        const bool ok = pStream->Read(&timer->remaining, 4, 1) && pStream->Read(&timer->mode, 4, 1) &&
                        pStream->Read(&timer->objectIndex, 4, 1) && pStream->Read(&timer->callId, 4, 1) &&
                        pStream->ReadStringA(&timer->pFunction, false) &&
                        pStream->ReadStringA(&timer->pParameter, false) && pStream->Read(&timer->handlerKey, 4, 1);
        // A timer of the main script names no object; any other names one of the game's.
        const bool known = timer->objectIndex == kMainScriptObject || SceneHasObject(m_pWorldData, timer->objectIndex);
        if (!ok || !known || std::isnan(timer->remaining) || Failed(m_timers.Add(timer, 0))) {
            FreeTimer(timer);
            return kStatusFailed;
        }
    }
    return kStatusOk;
}
