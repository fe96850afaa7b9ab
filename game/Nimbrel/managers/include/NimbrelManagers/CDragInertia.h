#pragma once
// How fast the player was dragging when the button went up, handed out afterwards as a glide
// that decays frame by frame. The objects manager feeds it every press, move and release;
// whoever glides a view asks Step once a frame.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/UtilsTimer.h"

class CStopwatch;

struct DragSample {
    uint64_t micros;   // since the previous sample
    float dx, dy;
};

constexpr uint32_t kDragSampleCount = 4;

class CDragInertia : public CManagedObject {
public:
    // The clock is the platform's unless a test gives its own.
    explicit CDragInertia(WorldData* pWorldData, UtilsCounterFn pfnCounter = nullptr,
                          UtilsCounterFn pfnFrequency = nullptr);
    ~CDragInertia() override;

    // Reads section DRAGGING_INERTIA and makes the stopwatch; kStatusOutOfMemory (latched).
    Status Load() override;
    Status Unload() override;
    // Times the moves by another clock from now on (null: the platform's), as the frame timer's
    // SetClock does; a drag in progress starts its lap again.
    void SetClock(UtilsCounterFn pfnCounter, UtilsCounterFn pfnFrequency);

    void BeginDrag(float x, float y);
    void AddMove(float x, float y);
    void Release(float x, float y);
    // This frame's glide (x, y, 0); the speed then decays once.
    void Step(float* pX, float* pY, float* pZ);

    float GetVelocityX() const { return m_velocityX; }
    float GetVelocityY() const { return m_velocityY; }
    float GetDecay() const { return m_decay; }

private:
    uint64_t Lap();

    UtilsCounterFn m_pfnCounter;
    UtilsCounterFn m_pfnFrequency;
    float m_speed = 30.0f;
    float m_testReference = 30.0f;
    float m_decay = 0.95f;
    CStopwatch* m_pStopwatch = nullptr;
    DragSample m_samples[kDragSampleCount] = {};
    uint32_t m_sampleCount = 0;   // wide, so that a long drag never wraps it
    float m_lastX = 0.0f, m_lastY = 0.0f;
    float m_velocityX = 0.0f, m_velocityY = 0.0f;
};
