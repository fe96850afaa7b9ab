#pragma once
// The progress bar of the loading screen: three pictures over each other, of which the middle
// one is revealed from the left as the loading steps are done. It draws the loading screen
// under itself. Its position and size are in the reference screen's units, mapped to the
// virtual screen by the game record's layout factors.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

class CProgressBar : public CManagedObject {
public:
    explicit CProgressBar(WorldData* pWorldData);
    ~CProgressBar() override;

    // "PROGRESS_BAR": the centre, the size and the three layers' pictures, loaded at the
    // game's texture halvings; then laid out. kStatusFailed when a picture is missing.
    Status Load() override;
    // Releases the bar. 0.
    Status Unload() override;
    // The three layers placed for the game's layout factors. 0.
    Status Layout();
    Status Reload() override { return Layout(); }
    // The world's loading screen, then the three layers.
    void Render() override;

    // A new sequence: position 0, the step and the range (a range of 0 changes nothing).
    void SetRange(uint32_t step, uint32_t range);
    // Advances by the step, never beyond the range, and shows the new fill. 0.
    Status Step();

    uint32_t GetPosition() const { return m_position; }
    uint32_t GetStep() const { return m_step; }
    uint32_t GetRange() const { return m_range; }
    // position / range, 0 to 1.
    float GetRatio() const;
    C3DObject* GetBar() const { return m_pBar; }

private:
    void WriteFill();

    C3DObject* m_pBar = nullptr;
    float m_fPositionX = 0.0f;
    float m_fPositionY = 0.0f;
    float m_fWidth = 0.0f;
    float m_fHeight = 0.0f;
    uint32_t m_position = 0;
    uint32_t m_step = 0;
    uint32_t m_range = 1;
    // The corners of the layers in virtual units, kept by Layout for the fill.
    float m_x0 = 0.0f, m_y0 = 0.0f, m_x1 = 0.0f, m_y1 = 0.0f;
};
