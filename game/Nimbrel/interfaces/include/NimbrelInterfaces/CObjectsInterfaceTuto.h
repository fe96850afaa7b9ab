#pragma once
// The tutorial object (type code 264): the parts of the frame that the tutorial manager draws
// around a step's text, and the arrow that points at the step's item, named by a scene script
// with setObjectParameters. The manager draws it with the step's scene object; its clicks and
// cursor questions go on to the manager.
#include "NimbrelInterfaces/CObjectsInterface.h"

// The parts, in the order the manager draws the first eleven.
enum TutoPart : uint32_t {
    kTutoBackground = 0,   // "tuto_background"
    kTutoTopLeft,          // "tuto_top_left"
    kTutoTop,              // "tuto_top"
    kTutoTopRight,         // "tuto_top_right"
    kTutoRight,            // "tuto_right"
    kTutoBottomRight,      // "tuto_bottom_right"
    kTutoBottom,           // "tuto_bottom"
    kTutoBottomLeft,       // "tuto_bottom_left"
    kTutoLeft,             // "tuto_left"
    kTutoCenter,           // "tuto_center"
    kTutoClose,            // "tuto_close"
    kTutoArrow,            // "tuto_arrow"
    kTutoPartCount,
};

class CObjectsInterfaceTuto : public CObjectsInterface {
public:
    CObjectsInterfaceTuto(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord);

    // The manager draws the frame with the step's object.
    Status Draw() override { return kStatusOk; }
    // Every part named: 0; else kStatusFailed.
    Status CheckSetup() override;
    // The base's click first; when it takes the click, the manager's.
    Status OnClick(float x, float y, uint32_t state) override;
    Status UpdateCursorState(float x, float y, void* pOut) override;
    Status setObjectParameters(ScriptBuiltinCall& call) override;

    int32_t GetPart(uint32_t part) const { return part < kTutoPartCount ? m_parts[part] : -1; }
    ElementRecord* GetPartElement(uint32_t part);
    // The object position of that name (an unnamed one answers to "default"; null is
    // "default"); -1 when there is none.
    int32_t FindPositionKey(const char* name) const;
    // The part under the point among the parts drawn in this frame; -1 none.
    int32_t PartAt(float x, float y);

private:
    int32_t m_parts[kTutoPartCount];
};
