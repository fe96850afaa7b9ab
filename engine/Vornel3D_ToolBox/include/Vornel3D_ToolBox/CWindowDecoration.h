#pragma once
// The window decoration: a software mouse cursor at the pointer position and, while the
// program runs in a window, a corner picture in the bottom-right corner of the display, drawn
// on top of every frame. Sizes and pictures come from section "EXTRA_PLATFORM" of the
// application settings, the pictures from the pack.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

constexpr uint32_t kDecorationCursor = 0x1;
constexpr uint32_t kDecorationCorner = 0x2;

class CWindowDecoration : public CManagedObject {
public:
    explicit CWindowDecoration(WorldData* pWorldData);
    ~CWindowDecoration() override;

    Status Unload() override;
    void Render() override;

    // Keeps the flags (kDecorationCursor, kDecorationCorner) and makes the quads of those
    // asked for with their pictures. kStatusFailed without an object or a picture.
    virtual Status LoadParameters(uint32_t flags);

    uint32_t GetFlags() const { return m_nFlags; }
    C3DObject* GetObject() const { return m_pObject; }

private:
    uint32_t m_nFlags = 0;
    C3DObject* m_pObject = nullptr;
};
