#pragma once
// One queued tutorial step: kept on the list of the scene object that queued it, walked and
// edited by the tutorial manager. The first five words identify the step.
#include <cstdint>

// Step flag words.
constexpr uint32_t kTutoSkippable = 0x1;
constexpr uint32_t kTutoExitClickIn = 0x2;
constexpr uint32_t kTutoExitClickOut = 0x4;
// Item words; the high bit says the step waits on its item.
constexpr uint32_t kTutoItemWaits = 0x10000000u;
constexpr uint32_t kTutoForceConsumeItem = 0x10000002u;
constexpr uint32_t kTutoExitClickItem = 0x10000004u;
constexpr uint32_t kTutoExitDragItem = 0x10000008u;
constexpr uint32_t kTutoExitDropItem = 0x10000010u;
constexpr uint32_t kTutoArrowItem = 0x1;

struct TutoStep {
    uint32_t object;        // the scene object that queued it
    uint32_t itemObject;    // the object of its item; the queuing object when it names none
    uint32_t itemElement;   // -1 without an item
    uint32_t positionKey;   // of the tutorial object
    uint32_t textIndex;     // absolute string index of its text
    uint32_t flags;
    float delay;            // frame-step units
    uint32_t itemFlags;
    char* pName;            // copy of the popup text name, with a callback only
    char* pCallback;        // copy of the function called when the step is popped
    uint8_t done;
};

constexpr uint32_t kTutoNoIndex = 0xFFFFFFFFu;

// Whether two steps are the same step (their first five words).
inline bool SameTutoStep(const TutoStep& a, const TutoStep& b)
{
    return a.object == b.object && a.itemObject == b.itemObject && a.itemElement == b.itemElement &&
           a.positionKey == b.positionKey && a.textIndex == b.textIndex;
}

// Frees the step's copies and the step.
void FreeTutoStep(TutoStep* pStep);
