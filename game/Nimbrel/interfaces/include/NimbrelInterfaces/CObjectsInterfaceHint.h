#pragma once
// The hint button (type code 263). A click on its hint element picks, at random, one item the
// player could still find in the current level (hintable, not found, clickable or findable in
// another way) and points it out: its effect element fades in over the item, stays and fades
// out, or, without an effect element, a particle emitter circles the item. The item's entry in
// the items-to-find list stays bright while the others dim. When nothing is left, the button
// (or a separate help button) shows the current objective's text, or the popup a script named
// with setHintPopup. A script function named by "hint_click_test" may refuse a hint.
#include <vector>

#include "NimbrelInterfaces/CObjectsInterface.h"

// The effect's phases.
enum HintEffectState : uint32_t {
    kHintIdle = 0,
    kHintFadingIn = 1,
    kHintShown = 2,
    kHintFadingOut = 3,
};

// The item pointed at: the level object and its element; -1 none.
struct HintTarget {
    int32_t level;
    int32_t element;
};

class CObjectsInterfaceHint : public CObjectsInterface {
public:
    CObjectsInterfaceHint(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);
    ~CObjectsInterfaceHint() override;

    // setHintPopup: the popup group `name` is shown in place of the objective when nothing is
    // left; kStatusFailed (traced) for a name the extra-text manager does not know.
    virtual Status SetHintPopup(const char* name, const ScriptBuiltinCall* pCall);

    // ---- the object's operations ------------------------------------------------------------
    // The base's load, then the effect's three durations from section "HINT".
    Status Load() override;
    Status Release() override;
    Status UpdateState() override;
    Status PrepareElementDraw(ElementRecord* pElement, float alpha, uint8_t force) override;
    Status OnClick(float x, float y, uint32_t state) override;
    // kStatusFailed while no hint element is bound.
    Status CheckSetup() override;
    Status LoadFromProfile(UtilsStream_Chunk* pChunk) override;
    Status SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk) override;
    // "hint_click", "help_click", "hint_effect" (element names) and "hint_click_test" (a
    // function name).
    Status setObjectParameters(ScriptBuiltinCall& call) override;

    // The hint's part of the saved state, and its read: kStatusFailed for damaged bytes (the
    // hint then idle and untargeted), kStatusOutOfMemory (latched).
    Status SaveHintState(UtilsStream_Chunk* pChunk);
    Status LoadHintState(UtilsStream_Chunk* pChunk);

    // The elements of the current level a hint may point at, in element order: hintable, not
    // found, and clickable or findable another way. kStatusOutOfMemory (latched).
    Status GetCandidates(std::vector<uint32_t>* pCandidates);

    // ---- access -------------------------------------------------------------------------------
    uint32_t GetEffectState() const { return m_effectState; }
    float GetProgress() const { return m_progress; }
    const float* GetRates() const { return m_rates; }
    HintTarget GetTarget() const { return m_target; }
    int32_t GetHintElement() const { return m_hintElement; }
    int32_t GetHelpElement() const { return m_helpElement; }
    int32_t GetEffectElement() const { return m_effectElement; }
    const char* GetClickTest() const { return m_pClickTest; }
    const char* GetPopupName() const { return m_pPopupName; }

private:
    // The hint of a click with candidates: the pick, the effect, the sound, the zoom and the list.
    Status PointOut(const std::vector<uint32_t>& candidates);
    // Nothing left to point at: the objective's text or the named popup, with the button's sound.
    Status ShowHelp(const ElementRecord* pButton);
    // The click-test function's answer: kStatusOk to go on, kStatusDoneNoResult when it refused
    // (the null click played), kStatusFailed when it could not run.
    Status AskClickTest();
    void StartEffect();
    ElementRecord* BoundElement(int32_t index);
    // The target's element while its level is loaded and holds it; null otherwise.
    ElementRecord* TargetElement(CObjectsBase** ppLevel);
    void FreeStrings();

    uint32_t m_effectState = kHintIdle;
    float m_progress = 0.0f;
    float m_rates[3];                 // per tick, of phases 1, 2 and 3
    int32_t m_helpElement = -1;
    int32_t m_hintElement = -1;
    int32_t m_effectElement = -1;
    char* m_pClickTest = nullptr;     // owned
    HintTarget m_target = {-1, -1};
    char* m_pPopupName = nullptr;     // owned
};
