#pragma once
// The penalty for random clicking in exploration levels: when the player clicks on nothing
// too many times within a short window, a full-screen overlay of the ABUSE colour over
// "abuse.png" fades in, holds and fades out. While it shows, the game world gives every press
// to this object instead of the scene, and each release counts again, so steady clicking keeps
// the overlay up. The game world makes one at its load.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

enum AbuseState : uint32_t {
    kAbuseFadingIn = 0,
    kAbuseHolding = 1,
    kAbuseFadingOut = 2,
    kAbuseIdle = 3,
};

class CAbuse : public CManagedObject {
public:
    explicit CAbuse(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CAbuse() override;

    // The timing keys of [ABUSE], the quad in the overlay colour, its picture, its layout.
    // kStatusFailed when the quad cannot be made, the picture is missing or the layout fails;
    // without a 3D engine only the timing is read.
    Status Load() override;
    // The quad given back to the 3D engine.
    Status Unload() override;
    // The quad over the whole virtual screen, rounded up to powers of two (a display change).
    Status Reload() override { return Resize(); }
    Status Resize();
    // Fades and holds, or the counting window's clock while idle; the quad's alpha.
    void Update() override;
    void Render() override;

    // A wrong click in the current level: 0 when it counts as abuse (or the penalty runs),
    // kStatusFailed for an ordinary click (another kind of level, a new window, under the
    // threshold).
    virtual Status OnClick();
    // Idle, a fresh window in which the next click counts as the second. 0.
    Status Reset();
    bool IsShowing() const { return m_state != kAbuseIdle; }

    uint32_t GetState() const { return m_state; }
    uint8_t GetClickCount() const { return m_clickCount; }
    uint8_t GetThreshold() const { return m_threshold; }
    float GetPenalty() const { return m_penalty; }
    float GetWindow() const { return m_window; }
    float GetElapsed() const { return m_elapsed; }
    float GetLevel() const { return m_level; }
    uint8_t GetOpacity() const { return m_opacity; }
    C3DObject* GetQuad() const { return m_pQuad; }

protected:
    // The kind of the objects manager's current level object; 0 without one.
    virtual uint32_t CurrentLevelKind();
    virtual void PlayAbuseClick();
    // The screenshot's fade speed: how much of the overlay fades in or out a frame unit.
    virtual float FadeSpeed();

private:
    void ReadSettings();

    C3DObject* m_pQuad = nullptr;
    uint8_t m_clickCount = 1;
    uint8_t m_threshold = 2;
    float m_penalty = 2.0f;     // seconds
    float m_window = 2.0f;      // seconds
    float m_elapsed = 0.0f;     // frame units since the window opened, at most the window
    float m_level = 0.0f;       // opacity while fading, hold units left while holding
    uint32_t m_state = kAbuseIdle;
    uint8_t m_opacity = 255;
};
