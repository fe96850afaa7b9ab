#pragma once
// The tutorial: short framed texts that point at an item of the scene and wait until the player
// does what they ask. Scripts queue steps on their scene object (pushTuto, _pushTuto) and remove
// them (popTuto); the manager shows the first ready step of the first active object: it waits
// the step's delay, fades the tutorial object's frame in, takes the input that ends the step,
// fades out, and pops the step in the next update, which calls its callback and resumes the
// scripts waiting in _pushTuto. The frame's close part asks whether to skip the whole tutorial.
//
// The frame is drawn from the tutorial object's parts at the step's position key; the step's
// text fills the centre part less one tutorial glyph width on each side, the skip text sits in
// the bottom part, and the skip question takes the step text's place (its left button answers
// yes, its right button no).
#include <cstdint>

#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelObjects/TutoStep.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class CCommandList;
class CExtraDimTextString;
class CObjectsInterfaceTuto;
class CFIFOList;
class CVornelFont;
class UtilsStream;
struct CommandHandle;
struct ExtraTextLayout;

// Display states of the current step.
enum TutoState : uint32_t {
    kTutoDelay = 0,
    kTutoFadingIn = 1,
    kTutoShown = 2,
    kTutoFadingOut = 3,
    kTutoClosed = 4,
};

// The popup texts of the skip text and the skip question.
constexpr const char* kTutoSkipTextName = "tuto_skip";
constexpr const char* kTutoSkipQuestionName = "tuto_skip_question";
// The skip question's answers (its left and right buttons).
constexpr int32_t kTutoAnswerYes = 1;
constexpr int32_t kTutoAnswerNo = 2;

// The arguments of pushTuto, in their order.
struct TutoStepArguments {
    const char* position;
    const char* popup;
    const char* flags;
    float seconds;
    const char* item;
    const char* itemWords;
    const char* callback;
};

class CTutoManager : public CManagedObject {
public:
    explicit CTutoManager(WorldData* pWorldData);
    ~CTutoManager() override;

    // The three text boxes and the command list. kStatusOutOfMemory (latched).
    Status Load() override;
    // Closes the step and frees them. 0.
    Status Unload() override;
    // Unless closed: the frame and the texts laid out again, an item step shown again.
    Status Layout();
    // The world's relayout after a display change.
    Status Reload() override { return Layout(); }
    // A step that has faded out is popped (every step when the tutorial is skipped) and the
    // next one chosen.
    void Update() override;

    // Per object of the objects manager's walks: the fade of the frame (for the tutorial
    // object), the frame, the arrow and the texts (for the current step's object).
    Status UpdateWithObjects(uint32_t objectIndex);
    Status RenderWithObjects(uint32_t objectIndex);
    // The tutorial object's cursor question and click (after its own click handling).
    Status UpdateCursorState(float x, float y, uint32_t buttons);
    Status OnClick(float x, float y, uint32_t buttons);

    // Chunk 210000. An open skip question is cancelled before the save.
    Status SaveToStream(UtilsStream* pStream);
    Status LoadFromStream(UtilsStream* pStream);

    // pushTuto (wait 0) and _pushTuto (wait 1) of object `object`: 0, or kStatusFailed with
    // the error traced and nothing queued.
    Status ParseStep(uint32_t object, const BuiltinReport& caller, const TutoStepArguments& args, uint8_t wait);
    // Removes the object's steps of that name (every step for null, "" or "*"); the last
    // callback's result.
    Status PopTuto(uint32_t object, const char* name);
    // The player did what the current step waits for.
    void OnInput();
    // Chooses and shows the next ready step; kStatusFailed when none is ready.
    Status OnItemsChanged();
    // The current step closed; with runExit a fading item step is popped first.
    void Close(uint8_t runExit);
    // A _pushTuto waiting for the step shown to be popped.
    Status AddCommand(const CommandHandle& handle);

    // What scene objects read of the current step: its gate, and whether a click on nothing
    // of the step's object ends it.
    bool GetGate(TutorialStep* pStep) const;
    bool IsWaitingForAnyClick() const;
    // A step of that object is on screen and waits for the player.
    bool IsShowingFor(uint32_t objectIndex) const;
    // The profile's tutorial-off flag: skip all.
    void SetSkipAll(uint8_t skip) { m_skipAll = skip; }
    uint8_t GetSkipAll() const { return m_skipAll; }
    uint8_t IsQuestionShown() const { return m_question; }
    uint32_t GetState() const { return m_state; }
    float GetTimer() const { return m_timer; }
    uint8_t IsPending() const { return m_pending; }
    const TutoStep& GetCurrentStep() const { return m_current; }
    bool HasStep() const { return m_current.itemObject != kTutoNoIndex; }
    CExtraDimTextString* GetStepText() const { return m_pStepText; }
    CExtraDimTextString* GetSkipText() const { return m_pSkipText; }
    CExtraDimTextString* GetQuestionText() const { return m_pQuestionText; }
    CCommandList* GetCommandList() const { return m_pCommands; }

protected:
    // What the manager asks of the game; through the world by default.
    virtual CObjectsBase* ObjectAt(uint32_t index);
    virtual uint32_t ObjectCount();
    // The objects of the current level, in their stacking order.
    virtual CFIFOList* ActiveObjects();
    virtual CObjectsInterfaceTuto* TutoObject();
    // The absolute string index of a popup text, -1 when unknown.
    virtual int32_t FindPopupText(const char* name);
    // The screen-fade rate the frame fades with, per frame-step unit.
    virtual float FadeRate();
    virtual CVornelFont* Font();
    // Bit 0x1 of the current profile's flags.
    virtual void SetProfileTutorialOff();
    // This frame's cursor by name; null for the default one.
    virtual void SelectCursor(const char16_t* name);

    // Lays out the step's frame and texts and makes it the current step (state 0).
    Status ShowStep(const TutoStep& step);
    // The tutorial object at the step's position key.
    virtual Status LayoutFrame();
    virtual Status LayoutTexts();
    // The first not-done step of the object; null when none.
    TutoStep* FirstStep(CObjectsBase* pObject);
    // The queued record of the current step, null when gone.
    TutoStep* QueuedCurrent(CObjectsBase** ppOwner);
    // Removes one queued step: its callback called, the item's mark cleared, the commands
    // burnt when it is the current step; the callback's result.
    Status RemoveStep(CObjectsBase* pOwner, TutoStep* pStep);
    Status PopCurrent();
    Status PopAll();
    // A closing frame (3) or a closed one (4) shows again.
    void Reopen();
    void OpenQuestion();
    void ClearCurrent();
    // A saved step names objects and elements of this game (or none).
    bool IsValidStep(const TutoStep& step);
    // Where a step's text goes: the centre part less a glyph width each side; false without
    // a tutorial object or a font.
    bool TextLayout(int32_t part, ExtraTextLayout* pLayout, float inset);
    void DrawArrow(CObjectsInterfaceTuto* pTuto, float alpha);

    uint8_t m_skipAll = 0;
    uint8_t m_question = 0;
    uint32_t m_state = kTutoClosed;
    float m_timer = 0.0f;
    uint8_t m_pending = 0;
    CExtraDimTextString* m_pStepText = nullptr;
    CExtraDimTextString* m_pSkipText = nullptr;
    CExtraDimTextString* m_pQuestionText = nullptr;
    TutoStep m_current = {};
    CCommandList* m_pCommands = nullptr;
};
