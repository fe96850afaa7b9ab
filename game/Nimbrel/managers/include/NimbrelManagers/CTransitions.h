#pragma once
// The screen transitions: whenever the game changes what fills the screen (a game state, a
// splash entry, a popup) the change is hidden, either behind a copy of the previous frame that
// fades away (kinds 1 and 2) or behind black geometry in two halves (kinds 3 and 4): a frame
// that closes in from the edges and then a rectangle that shrinks to the centre, or a quad that
// sweeps in from the right and leaves on the left. The world asks it whether the game may go
// on: a covering transition holds the state's work, its first half hides the state's picture,
// and input and the loading states wait until the copied frame has faded out.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;
class CScreenshot;

enum TransitionKind : uint32_t {
    kTransitionKindNone = 0,
    kTransitionObjectZoom = 1,
    kTransitionSimpleFade = 2,
    kTransitionDoubleSquares = 3,
    kTransitionLeftToRight = 4,
};

class CTransitions : public CManagedObject {
public:
    explicit CTransitions(WorldData* pWorldData);
    ~CTransitions() override;

    // The four durations ("TRANSITIONS", "..._TIME_SEC", 1.0 s each) and the two covers, laid
    // out. kStatusFailed when the engine cannot make them.
    Status Load() override;
    // Releases both covers. 0.
    Status Unload() override;
    // The covers placed for the virtual screen as it is now. 0.
    Status Layout();
    Status Reload() override { return Layout(); }
    void Update() override;
    void Render() override;

    // Starts a transition of kind 1 to 4 (another kind does nothing and gives 0); a running one
    // is replaced. With keepScreen the last copied frame is shown again, else the frame on
    // screen is copied.
    Status Start(uint32_t kind, uint8_t keepScreen);

    // A covering transition (kind 3 or 4) runs.
    bool IsScreenTransitionActive() const;
    // ... and is in its first half.
    bool IsScreenTransitionFirstHalf() const;
    // The copied frame has faded out, or was never shown.
    bool IsFadeValueZero() const;

    uint32_t GetKind() const { return m_kind; }
    uint32_t GetHalf() const { return m_half; }
    float GetElapsed() const { return m_fElapsed; }
    // Frame-step units (seconds x 30) of a kind 1 to 4; 0 for another kind.
    float GetDuration(uint32_t kind) const;
    C3DObject* GetQuad() const { return m_pQuad; }
    C3DObject* GetFrame() const { return m_pFrame; }

private:
    CScreenshot* Screenshot() const;
    // The ring between the inner and the outer rectangle, both centred and scaled from the
    // screen's half size.
    void BuildFrame(float inner, float outer);
    void PlaceQuad(float centreX);
    // One half of kind 3 or 4: elapsed grows; r runs from 1 to 0. True when the half ended.
    bool StepHalf(float* pR);
    // Kinds 3 and 4 copy the frame but never fade it: at their end the copy is gone.
    void Finish();

    C3DObject* m_pQuad = nullptr;
    C3DObject* m_pFrame = nullptr;
    uint32_t m_kind = kTransitionKindNone;
    float m_fDurations[4] = {};
    float m_fElapsed = 0.0f;
    uint32_t m_half = 0;
};
