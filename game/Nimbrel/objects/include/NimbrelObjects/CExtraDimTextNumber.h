#pragma once
// An element's number (a score): laid out at once at its new value, then shown counting from the
// previous value to it over the time given, along one of the 26 easing curves.
#include "NimbrelObjects/CExtraDimTextBase.h"

// No target or easing yet; the shown value while no count runs.
constexpr uint32_t kExtraNumberNone = 0xFFFFFFFFu;
// Frame units (1/30 s) a second.
constexpr float kExtraNumberFramesPerSecond = 30.0f;

// The index of the named easing curve among the 26 ("none", "linear", ...); -1 for another name.
int32_t FindEasingIndex(const char* name);

class CExtraDimTextNumber : public CExtraDimTextBase {
public:
    using CExtraDimTextBase::CExtraDimTextBase;

    // The lines go; the value, the count and the curve stay.
    Status Clear() override;
    // Counts down the time left: the shown value follows the curve and the text is marked for
    // Relayout whenever it changes.
    Status Step(float frames) override;
    // Lays the value out ("%d") and starts the count from the previous value (from 0 for the
    // first) over `seconds`; 0 seconds shows the value at once.
    virtual Status SetNumber(int32_t value, float seconds, uint32_t easing, const ExtraTextLayout& layout);
    // The shown value laid out again; the mark cleared.
    virtual Status Relayout(const ExtraTextLayout& layout);

    bool IsDirty() const { return m_dirty != 0; }
    uint32_t GetTarget() const { return m_target; }
    uint32_t GetEasing() const { return m_easing; }
    uint32_t GetShown() const { return m_shown; }
    float GetRemaining() const { return m_remaining; }

protected:
    // The target and the easing after the lines.
    bool SaveOwn(UtilsStream* pStream) override;
    bool LoadOwn(UtilsStream* pStream) override;

private:
    Status LayOutValue(int32_t value, const ExtraTextLayout& layout);

    uint32_t m_target = kExtraNumberNone;
    uint32_t m_easing = kExtraNumberNone;
    uint8_t m_dirty = 0;
    uint32_t m_delta = 0;
    uint32_t m_shown = kExtraNumberNone;
    float m_total = 0.0f;
    float m_remaining = 0.0f;
};
