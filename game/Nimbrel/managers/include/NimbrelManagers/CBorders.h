#pragma once
// The letterbox bars: a ring around the game's definition rectangle, in one colour, that
// covers what the window shows beyond it when the window's shape differs from the game's.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

class CBorders : public CManagedObject {
public:
    explicit CBorders(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CBorders() override;

    // The ring in the colour of section "BORDERS" (white by default): from the definition
    // rectangle out to half its size beyond each edge. kStatusFailed when it cannot be made.
    Status Load() override;
    Status Unload() override;
    // Follows the placement of the definition rectangle in the window.
    void Update() override;
    void Render() override;

    uint32_t GetColor() const { return m_color; }
    C3DObject* GetObject() const { return m_pObject; }

private:
    C3DObject* m_pObject = nullptr;
    uint32_t m_color = 0xFFFFFFFFu;
};

// 0xFF000000 | R << 16 | G << 8 | B of the keys "BORDERS_COLOR_R", "_G", "_B" of section
// "BORDERS" (255 each by default), each key keeping only its low byte.
uint32_t ReadBordersColor(class UtilsParameters* pSettings);
