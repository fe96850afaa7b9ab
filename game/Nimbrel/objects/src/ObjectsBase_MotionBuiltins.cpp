// The builtins that move and scale items between their named positions and scales, at once or
// eased by the position and scaling managers, play their named animations, pause and resume
// their animators, and move whole scene objects; the waiting forms go on when the moves end.
#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/FadeModes.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

#include <cstring>

namespace {

template <class Manager>
Manager* EasedManager(WorldData* w, uint32_t role)
{
    auto* world = w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr;
    return world ? dynamic_cast<Manager*>(world->GetManager(role)) : nullptr;
}

std::u16string Wide(const char* text) { return UtilsString_FromUtf8(text ? text : ""); }

// Calls visit(word) for every comma-separated word of the text.
template <typename Visit>
void ForEachWord(const char* text, Visit visit)
{
    ListCursor words;
    if (!text || !words.Start(text))
        return;
    uint32_t prefix = 0;
    for (char* word = words.NextToken(&prefix); word; word = words.NextToken(&prefix))
        visit(word);
}

}  // namespace

// ---- positions -------------------------------------------------------------------------------------

// Each move is of the element's own object, also for an element the list found in another one.
// An easing of "none" places the element at once and starts nothing, so no wait is left.
Status CObjectsBase::setItemsPosition(ScriptBuiltinCall& call)
{
    const int32_t easing = EasingFromName(call.Text(2));
    if (easing < 0) {
        TraceCall(call, kTraceError, "invalid position type %S", Wide(call.Text(2)).c_str());
        return kStatusFailed;
    }
    const auto find = [&](CObjectsBase* owner, ElementRecord* element, int32_t* pIndex) {
        *pIndex = owner->FindElementPosition(element->index, call.Text(1));
        if (*pIndex >= 0)
            return kStatusOk;
        TraceCall(call, kTraceError, "invalid position name %S on %S", Wide(call.Text(1)).c_str(),
                  Wide(element->pName).c_str());
        return kStatusFailed;
    };
    // A waiting call that fails frees its command: no move may have locked it by then.
    const auto known = [&](CObjectsBase* owner, ElementRecord* element) {
        int32_t index;
        return find(owner, element, &index);
    };
    if (call.waitCommand && Failed(ForEachListedItem(call, call.Text(0), known)))
        return kStatusFailed;
    auto* moves = EasedManager<CPositionManager>(m_pWorldData, kManagerPosition);
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        owner->StopElementMove(element);
        int32_t index;
        if (Failed(find(owner, element, &index)))
            return kStatusFailed;
        if (easing == 0 || !moves) {
            element->positionIndex = uint32_t(index);
            return kStatusOk;
        }
        element->positionId = moves->AddMove(uint32_t(index), easing, call.Float(3), owner->GetObjectNumber(),
                                             element->index, call.waitCommand);
        if (element->positionId && call.waitCommand)
            call.waitTaken = 1;
        return kStatusOk;
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::_setItemsPosition(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::setItemsPosition);
}

// An element still dragged or moving is not at rest anywhere.
Status CObjectsBase::isItemsPosition(ScriptBuiltinCall& call)
{
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        const int32_t index = owner->FindElementPosition(element->index, call.Text(1));
        const bool rests = index >= 0 && uint32_t(index) == element->positionIndex && element->dragOffset[0] == 0.0f &&
                           element->dragOffset[1] == 0.0f && element->positionOffset[0] == 0.0f &&
                           element->positionOffset[1] == 0.0f;
        return rests ? kStatusOk : kStatusFailed;
    });
    return Failed(status) ? kStatusDoneNoResult : kStatusDoneStoreResult;
}

Status CObjectsBase::setObjectsPosition(ScriptBuiltinCall& call)
{
    const int32_t easing = EasingFromName(call.Text(2));
    if (easing < 0) {
        TraceCall(call, kTraceError, "invalid position type %S", Wide(call.Text(2)).c_str());
        return kStatusFailed;
    }
    const auto find = [&](CObjectsBase* object, int32_t* pIndex) {
        *pIndex = object->FindObjectPosition(call.Text(1));
        if (*pIndex >= 0)
            return kStatusOk;
        TraceCall(call, kTraceError, "invalid position name %S on %S", Wide(call.Text(1)).c_str(),
                  Wide(object->GetName()).c_str());
        return kStatusFailed;
    };
    // A waiting call that fails frees its command: no move may have locked it by then.
    const auto known = [&](CObjectsBase* object, uint32_t) {
        int32_t index;
        return find(object, &index);
    };
    if (call.waitCommand && IsBuiltinFailure(ForEachListedObject(call, known)))
        return kStatusFailed;
    auto* moves = EasedManager<CPositionManager>(m_pWorldData, kManagerPosition);
    return ForEachListedObject(call, [&](CObjectsBase* object, uint32_t) {
        object->StopObjectMove();
        int32_t index;
        if (Failed(find(object, &index)))
            return kStatusFailed;
        if (easing == 0 || !moves) {
            object->EndPositionMove(uint32_t(index));
            return kStatusOk;
        }
        object->m_positionId = moves->AddMove(uint32_t(index), easing, call.Float(3), object->GetObjectNumber(),
                                              kWholeObject, call.waitCommand);
        if (object->m_positionId && call.waitCommand)
            call.waitTaken = 1;
        return kStatusOk;
    });
}

Status CObjectsBase::_setObjectsPosition(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::setObjectsPosition);
}

// ---- scales ----------------------------------------------------------------------------------------

Status CObjectsBase::setItemsScale(ScriptBuiltinCall& call)
{
    const int32_t easing = EasingFromName(call.Text(2));
    if (easing < 0) {
        TraceCall(call, kTraceError, "invalid scale type %S", Wide(call.Text(2)).c_str());
        return kStatusFailed;
    }
    const auto find = [&](ElementRecord* element, int32_t* pIndex) {
        *pIndex = FindElementScale(element, call.Text(1));
        if (*pIndex >= 0)
            return kStatusOk;
        TraceCall(call, kTraceError, "invalid scale name %S on %S", Wide(call.Text(1)).c_str(),
                  Wide(element->pName).c_str());
        return kStatusFailed;
    };
    // A waiting call that fails frees its command: no scaling may have locked it by then.
    const auto known = [&](CObjectsBase*, ElementRecord* element) {
        int32_t index;
        return find(element, &index);
    };
    if (call.waitCommand && Failed(ForEachListedItem(call, call.Text(0), known)))
        return kStatusFailed;
    auto* scalings = EasedManager<CScalingManager>(m_pWorldData, kManagerScaling);
    const Status status = ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        owner->StopElementScaling(element);
        int32_t index;
        if (Failed(find(element, &index)))
            return kStatusFailed;
        if (easing == 0 || !scalings) {
            element->scaleIndex = uint32_t(index);
            return kStatusOk;
        }
        element->scaleId = scalings->AddScaling(uint32_t(index), easing, call.Float(3), owner->GetObjectNumber(),
                                                element->index, call.waitCommand);
        if (element->scaleId && call.waitCommand)
            call.waitTaken = 1;
        return kStatusOk;
    });
    return Failed(status) ? kStatusFailed : kStatusDoneStoreResult;
}

Status CObjectsBase::_setItemsScale(ScriptBuiltinCall& call)
{
    return RunAsWait(call, kCommandEventFade, &CObjectsBase::setItemsScale);
}

// ---- animations ------------------------------------------------------------------------------------

Status CObjectsBase::StartListedAnimations(ScriptBuiltinCall& call, bool waited, CObjectsBase** ppFirstOwner,
                                           ElementRecord** ppFirst, uint32_t* pCount)
{
    uint8_t pause = 0, resume = 0, invert = 0;
    ForEachWord(call.Text(2), [&](const char* word) {
        pause |= std::strcmp(word, "pause") == 0;
        resume |= std::strcmp(word, "resume") == 0;
        invert |= std::strcmp(word, "invert") == 0;
    });
    *pCount = 0;
    return ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        const int32_t index = FindElementAnimation(element, call.Text(1));
        if (index < 0) {
            TraceCall(call, kTraceError, "invalid animation name %S on %S", Wide(call.Text(1)).c_str(),
                      Wide(element->pName).c_str());
            return kStatusFailed;
        }
        if ((*pCount)++ == 0) {
            *ppFirstOwner = owner;
            *ppFirst = element;
        }
        AnimationTrack* track = &element->pTracks[index];
        // The tracks are the element's own object's.
        owner->SetElementTrackRange(element->index, track, !pause && !resume);
        const uint8_t loop = element->animationByteA && element->animationByteB;
        element->animationMode[0] = invert;
        element->animationMode[1] = pause;
        owner->SetElementAnimation(element->index, waited ? 0 : track->trackWord, loop, invert, pause, 0);
        element->animationWaited = waited ? 1 : 0;
        element->animationResumed = resume;
        element->currentTrack = uint32_t(index);
        return kStatusOk;
    });
}

Status CObjectsBase::setItemsAnimation(ScriptBuiltinCall& call)
{
    CObjectsBase* owner = nullptr;
    ElementRecord* first = nullptr;
    uint32_t count = 0;
    return Failed(StartListedAnimations(call, false, &owner, &first, &count)) ? kStatusFailed
                                                                              : kStatusDoneStoreResult;
}

// The first element's animation end resumes the script, from the end list of its own object.
Status CObjectsBase::_setItemsAnimation(ScriptBuiltinCall& call)
{
    CObjectsBase* owner = nullptr;
    ElementRecord* first = nullptr;
    uint32_t count = 0;
    if (Failed(StartListedAnimations(call, true, &owner, &first, &count)))
        return kStatusFailed;
    if (!count)
        return kStatusDoneStoreResult;
    const Status status = WaitForCommand(call, kCommandEventClick, [&](const CommandHandle& handle) {
        const Status added = owner->AddElementEndCommand(first->index, handle);
        if (Failed(added))
            TraceCall(call, kTraceError, "can't allocate command on object %S", Wide(owner->GetName()).c_str());
        return added;
    });
    if (status == kStatusWait && count > 1)
        TraceCall(call, kTraceWarning, "only the first listed elem will resume the script %S",
                  Wide(first->pName).c_str());
    return status;
}

Status CObjectsBase::setItemsAnimationRandom(ScriptBuiltinCall& call)
{
    ForEachListedItem(call, call.Text(0), [](CObjectsBase* owner, ElementRecord* element) {
        owner->RandomizeElementAnimation(element->index);
        element->animationRandom = 1;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}

// ---- pauses ----------------------------------------------------------------------------------------

// Any command but "resume" pauses; the parameters name the animators it applies to.
Status CObjectsBase::setItemsCommand(ScriptBuiltinCall& call)
{
    uint8_t paused = 1;
    ForEachWord(call.Text(1), [&](const char* word) {
        if (std::strcmp(word, "resume") == 0)
            paused = 0;
    });
    bool position = false, rotation = false, scale = false;
    ForEachWord(call.Text(2), [&](const char* word) {
        position |= std::strcmp(word, "position") == 0;
        rotation |= std::strcmp(word, "rotation") == 0;
        scale |= std::strcmp(word, "scale") == 0;
    });
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase*, ElementRecord* element) {
        if (position)
            element->positionPaused = paused;
        if (rotation)
            element->rotationPaused = paused;
        if (scale)
            element->scalePaused = paused;
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}
