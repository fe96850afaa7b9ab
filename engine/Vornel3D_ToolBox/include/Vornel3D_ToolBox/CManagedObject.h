#pragma once
// The base of every object that the managed world creates, updates, draws and feeds with
// pointer input (managers, overlays, screenshot, window decoration, particles). Pointer
// positions are virtual-screen coordinates; an input operation that does not take the input
// answers kStatusFailed.
#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class CManagedObject : public CBaseObject {
public:
    explicit CManagedObject(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    ~CManagedObject() override = default;

    // Called once by the world's factory operation right after construction.
    virtual Status Init() { return kStatusOk; }
    virtual Status Unload() { return kStatusOk; }
    virtual Status Load() { return kStatusOk; }
    virtual Status Reload() { return kStatusOk; }
    // Once a frame, and once a drawn frame.
    virtual void Update() {}
    virtual void Render() {}

    virtual Status OnMouseDown(float x, float y, uint32_t state) { return kStatusFailed; }
    virtual Status OnMouseMove(float x, float y, uint32_t state) { return kStatusFailed; }
    virtual Status OnMouseUp(float x, float y, uint32_t state) { return kStatusFailed; }
    virtual Status OnInput4(float x, float y, uint32_t a, uint32_t b) { return kStatusFailed; }
    virtual Status OnInput3(float x, float y, uint32_t a) { return kStatusFailed; }
    // +0.05 or -0.05 a notch.
    virtual void OnMouseWheel(float delta) {}
};
