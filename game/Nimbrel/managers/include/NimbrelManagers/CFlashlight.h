#pragma once
// The flashlight: the scene goes dark but for a light spot at the pointer. The light is on
// while the player works the pointer, dims out when the pointer rests, and comes back when the
// player presses. The levels that use it drive it; the objects manager forwards presses and
// moves to it, and it never takes them: they go on to the scene.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

// The button code of a press that carries no button (a level moving the light to its token): it
// never restarts a light that is on.
constexpr uint32_t kFlashlightNoButton = 0xFF;

enum FlashlightState : uint32_t {
    kFlashlightSwitchingOn = 0,
    kFlashlightOn = 1,
    kFlashlightSwitchingOff = 2,
    kFlashlightOff = 3,
};

class CFlashlight : public CManagedObject {
public:
    explicit CFlashlight(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CFlashlight() override;

    // The light ("FLASHLIGHT_TEXTURE_FILE_NAME", "flashlight.png"), the veil that dims it and
    // the black ring around it, from section "FLASHLIGHT". kStatusFailed when an object cannot
    // be made or the picture cannot be loaded.
    Status Load() override;
    Status Unload() override;
    void Update() override;
    // The light, its veil, then the ring.
    void Render() override;
    // Both refresh the activity and move the light; a press may switch it on again. Always
    // kStatusFailed: the event goes on to the next receiver.
    Status OnMouseDown(float x, float y, uint32_t state) override;
    Status OnMouseMove(float x, float y, uint32_t state) override;
    // Off, at the centre of the definition rectangle.
    void Center();

    uint32_t GetState() const { return m_state; }
    float GetLevel() const { return m_level; }
    float GetActivity() const { return m_activity; }
    float GetActivityDecay() const { return m_activityDecay; }
    float GetMoveThreshold() const { return m_moveThreshold; }
    float GetX() const { return m_x; }
    float GetY() const { return m_y; }
    C3DObject* GetLight() const { return m_pLight; }
    C3DObject* GetVeil() const { return m_pVeil; }
    C3DObject* GetMask() const { return m_pMask; }

private:
    Status OnPointer(float x, float y, uint32_t state, bool press);

    C3DObject* m_pLight = nullptr;
    C3DObject* m_pVeil = nullptr;
    C3DObject* m_pMask = nullptr;
    float m_moveThreshold = 32.0f;
    float m_activityDecay = 1.0f / 90.0f;
    uint32_t m_state = kFlashlightOff;
    float m_level = 0.0f;
    float m_activity = 0.0f;
    float m_x = 0.0f, m_y = 0.0f, m_z = 0.0f;
};
