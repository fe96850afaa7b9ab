// The hint button: its words, the click that points out an item still to find (or shows what the
// player is after when nothing is left), and the effect that fades in, stays and fades out over
// the item.
#include "NimbrelInterfaces/CObjectsInterfaceHint.h"

#include <cstring>

#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "NimbrelManagers/CParticules.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D/C3DMath.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"HINT";
constexpr float kDefaultSeconds[3] = {1.0f, 3.0f, 1.0f};  // fade in, shown, fade out
constexpr const char16_t* kSecondsKeys[3] = {u"HINT_FADE_IN_TIME_SEC", u"HINT_RENDERING_TIME_SEC",
                                            u"HINT_FADE_OUT_TIME_SEC"};
constexpr float kTicksPerSecond = 30.0f;
// How long the items list keeps the hinted entry bright, and the emitter circles the item.
constexpr float kHighlightSeconds = 3.0f;
constexpr float kEmitterSeconds = 3.0f;
constexpr uint32_t kEmitterColour = 0xFFFFFFFFu;
// The click-test function: no argument, its ULONG result in the one slot.
constexpr uint32_t kClickTestMask = 0x0FFFFFFFu;
constexpr uint32_t kClickTestArguments = 0x10000001u;
// What a hint may point at beside a clickable item: the other findable kinds.
constexpr uint32_t kFindableFlags = kElementClickable | kElementDraggable | kElementRotatable;

float RateOf(float seconds) { return seconds > 0.0f ? 1.0f / (seconds * kTicksPerSecond) : 1.0f; }

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

CNimbrelWorld* GameWorld(WorldData* w) { return w ? dynamic_cast<CNimbrelWorld*>(w->pWorld) : nullptr; }

}  // namespace

CObjectsInterfaceHint::CObjectsInterfaceHint(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindHint;
    for (uint32_t i = 0; i < 3; ++i)
        m_rates[i] = RateOf(kDefaultSeconds[i]);
}

CObjectsInterfaceHint::~CObjectsInterfaceHint()
{
    FreeStrings();
}

void CObjectsInterfaceHint::FreeStrings()
{
    UTILS_FREE(m_pClickTest);
    UTILS_FREE(m_pPopupName);
    m_pClickTest = m_pPopupName = nullptr;
}

Status CObjectsInterfaceHint::Load()
{
    if (Failed(CObjectsInterface::Load()))
        return kStatusFailed;
    if (UtilsParameters* settings = m_pWorldData ? m_pWorldData->pAppSettings : nullptr)
        for (uint32_t i = 0; i < 3; ++i)
            m_rates[i] = RateOf(settings->GetFloat(kSection, kSecondsKeys[i], kDefaultSeconds[i]));
    return kStatusOk;
}

Status CObjectsInterfaceHint::Release()
{
    FreeStrings();
    return CObjectsInterface::Release();
}

ElementRecord* CObjectsInterfaceHint::BoundElement(int32_t index)
{
    return index >= 0 && uint32_t(index) < m_elementCount ? GetItemRecord(uint32_t(index)) : nullptr;
}

ElementRecord* CObjectsInterfaceHint::TargetElement(CObjectsBase** ppLevel)
{
    CObjectsBase* level = m_target.level >= 0 ? SceneObject(uint32_t(m_target.level)) : nullptr;
    if (!level || !level->IsLoaded() || m_target.element < 0 || uint32_t(m_target.element) >= level->GetElementCount())
        return nullptr;
    *ppLevel = level;
    return level->GetItemRecord(uint32_t(m_target.element));
}

// ---- words -------------------------------------------------------------------------------------

Status CObjectsInterfaceHint::setObjectParameters(ScriptBuiltinCall& call)
{
    const char* word = call.Text(0);
    const char* value = call.Text(1);
    if (Is(word, "hint_click_test")) {
        char* copy = value ? UtilsString_DupA(value) : nullptr;
        if (value && !copy)
            return OutOfMemory();
        UTILS_FREE(m_pClickTest);
        m_pClickTest = copy;
        return kStatusDoneStoreResult;
    }
    int32_t* bound = Is(word, "hint_click")    ? &m_hintElement
                     : Is(word, "help_click")  ? &m_helpElement
                     : Is(word, "hint_effect") ? &m_effectElement
                                               : nullptr;
    const int32_t element = value ? FindElementByName(value) : -1;
    if (!bound || element < 0) {
        TraceCall(call, kTraceError, "invalid hint parameter %s %s", word ? word : "", value ? value : "");
        return kStatusFailed;
    }
    *bound = element;
    return kStatusDoneStoreResult;
}

Status CObjectsInterfaceHint::SetHintPopup(const char* name, const ScriptBuiltinCall* pCall)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CExtraTextManager* texts = world ? world->GetExtraTextManager() : nullptr;
    if (!name || !texts || texts->FindPopupGroupByName(name) < 0) {
        if (pCall)
            TraceCall(*pCall, kTraceError, "invalid popup name %s", name ? name : "");
        return kStatusFailed;
    }
    char* copy = UtilsString_DupA(name);
    if (!copy)
        return OutOfMemory();
    UTILS_FREE(m_pPopupName);
    m_pPopupName = copy;
    return kStatusOk;
}

Status CObjectsInterfaceHint::CheckSetup() { return m_hintElement < 0 ? kStatusFailed : kStatusOk; }

// ---- the click ---------------------------------------------------------------------------------

Status CObjectsInterfaceHint::GetCandidates(std::vector<uint32_t>* pCandidates)
{
    pCandidates->clear();
    // The menu and the interfaces have nothing to find.
    CObjectsBase* level = CurrentSceneObject();
    if (!level || !level->IsLevel())
        return kStatusOk;
    for (uint32_t i = 0; i < level->GetElementCount(); ++i) {
        const uint32_t flags = level->GetItemRecord(i)->flags;
        if ((flags & kElementHintable) && !(flags & kElementFound) && (flags & kFindableFlags))
            pCandidates->push_back(i);
    }
    return kStatusOk;
}

Status CObjectsInterfaceHint::AskClickTest()
{
    if (!m_pClickTest)
        return kStatusOk;
    // A function that returns nothing leaves the slot as it is: no refusal.
    uintptr_t result[1] = {1};
    const Status status = CallScriptFunction(m_pClickTest, kClickTestMask, 0, result, kClickTestArguments);
    if (Failed(status) && status != kStatusWait)
        return kStatusFailed;
    const GameData* game = m_pWorldData ? m_pWorldData->pGame : nullptr;
    if (uint32_t(result[0]) != 0 || (game && game->developerMode))
        return kStatusOk;
    PlayNullClick();
    return kStatusDoneNoResult;
}

void CObjectsInterfaceHint::StartEffect()
{
    ElementRecord* effect = BoundElement(m_effectElement);
    switch (m_effectState) {
    case kHintIdle:
        effect->alpha = 0.0f;
        effect->flags &= ~kElementHidden;
        m_effectState = kHintFadingIn;
        m_progress = 0.0f;
        break;
    case kHintShown:
        // The shown phase starts again, without a second fade.
        m_progress = 0.0f;
        break;
    case kHintFadingOut:
        // It fades in again from where it is.
        m_effectState = kHintFadingIn;
        break;
    default:
        break;
    }
}

Status CObjectsInterfaceHint::PointOut(const std::vector<uint32_t>& candidates)
{
    const Status test = AskClickTest();
    if (test != kStatusOk)
        return test;
    const uint32_t pick = uint32_t((uint64_t(UtilsRandom_Next(m_pWorldData)) * candidates.size()) >> 32);
    CObjectsBase* level = CurrentSceneObject();
    ElementRecord* item = level->GetItemRecord(candidates[pick]);
    m_target = {int32_t(level->GetObjectNumber()), int32_t(candidates[pick])};
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CParticules* particles = world ? world->GetParticules() : nullptr;
    if (BoundElement(m_effectElement)) {
        StartEffect();
    } else if (particles) {
        const C3DVector3 centre{(item->bounds[0] + item->bounds[2]) * 0.5f, (item->bounds[1] + item->bounds[3]) * 0.5f,
                                0.0f};
        if (Failed(particles->AddEmitter(centre, item->worldMatrix, kEmitterSeconds, kEmitterColour)))
            return OutOfMemory();
    }
    PlayClickSound(BoundElement(m_hintElement));
    if (CObjectsManager* objects = ObjectsManager())
        objects->RequestZoomReset();
    if (auto* list = dynamic_cast<CObjectsInterfaceToolbarItemsList*>(LoadedItemsList()))
        list->Highlight(uint32_t(m_target.level), uint32_t(m_target.element), kHighlightSeconds);
    return kStatusOk;
}

Status CObjectsInterfaceHint::ShowHelp(const ElementRecord* pButton)
{
    CNimbrelWorld* world = GameWorld(m_pWorldData);
    CPopupManager* popups = world ? world->GetPopupManager() : nullptr;
    int32_t objective = -1;
    if (!m_pPopupName) {
        CObjectiveManager* objectives = world ? world->GetObjectiveManager() : nullptr;
        objective = objectives ? objectives->GetCurrentObjective() : -1;
        if (objective < 0) {
            PlayNullClick();
            return kStatusOk;
        }
    }
    const Status test = AskClickTest();
    if (test != kStatusOk)
        return test;
    PlayClickSound(pButton);
    if (popups) {
        if (m_pPopupName)
            popups->ShowString(m_pPopupName);
        else
            popups->ShowStringIndex(objective);
    }
    return kStatusOk;
}

Status CObjectsInterfaceHint::OnClick(float x, float y, uint32_t state)
{
    HitRecord hit;
    if (Failed(FindElementAt(x, y, &hit, 0.0f, -1, nullptr, nullptr)) || hit.element < 0)
        return kStatusFailed;
    const bool onHint = hit.element == m_hintElement;
    const bool onHelp = m_helpElement >= 0 && hit.element == m_helpElement;
    if (!onHint && !onHelp)
        return CObjectsInterface::OnClick(x, y, state);
    std::vector<uint32_t> candidates;
    Status status = kStatusOk;
    if (Failed(GetCandidates(&candidates)))
        return kStatusOutOfMemory;
    if (!candidates.empty()) {
        // The help button has nothing to say while something is left to find.
        if (onHint)
            status = PointOut(candidates);
    } else if (onHelp || m_helpElement < 0) {
        status = ShowHelp(GetItemRecord(uint32_t(hit.element)));
    }
    // A refused hint is no input for the tutorial.
    if (status == kStatusDoneNoResult)
        return kStatusOk;
    if (Failed(status))
        return status;
    // A tutorial that was switched off takes no input.
    TutorialStep step;
    if (GetTutorialStep(&step) && !step.done && !step.off && step.object == m_objectNumber)
        OnTutorialInput();
    return kStatusOk;
}

// ---- the effect --------------------------------------------------------------------------------

Status CObjectsInterfaceHint::UpdateState()
{
    const Status status = CObjectsInterface::UpdateState();
    ElementRecord* effect = BoundElement(m_effectElement);
    if (!effect || m_target.level < 0 || m_effectState == kHintIdle)
        return status;
    const float step = float(m_pWorldData->frameTime);
    switch (m_effectState) {
    case kHintFadingIn:
        effect->alpha = m_progress;
        m_progress += step * m_rates[0];
        if (m_progress > 1.0f) {
            m_effectState = kHintShown;
            m_progress = 0.0f;
        }
        break;
    case kHintShown:
        effect->alpha = 1.0f;
        m_progress += step * m_rates[1];
        if (m_progress > 1.0f) {
            m_effectState = kHintFadingOut;
            m_progress = 1.0f;
        }
        break;
    default:
        effect->alpha = m_progress;
        m_progress -= step * m_rates[2];
        if (m_progress < 0.0f) {
            effect->alpha = 0.0f;
            effect->flags |= kElementHidden;
            m_effectState = kHintIdle;
            m_progress = 0.0f;
        }
        break;
    }
    return status;
}

Status CObjectsInterfaceHint::PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force)
{
    const Status status = CObjectsInterface::PrepareElementDraw(pElement, alpha, force);
    if (!pElement || int32_t(pElement->index) != m_effectElement || m_effectState == kHintIdle)
        return status;
    // Over the target, as the target's level draws it; nowhere while that level is gone.
    CObjectsBase* level = nullptr;
    const ElementRecord* target = TargetElement(&level);
    C3DMath* math = m_pWorldData->pMath;
    if (!target || !math) {
        pElement->drawState = kDrawHidden;
        return kStatusFailed;
    }
    math->Multiply(pElement->worldMatrix, target->localMatrix, level->GetElementViewMatrix(target));
    return status;
}
