// Where a dragged element may rest: the wrap of the one-axis drags, the snap to a grid of its
// size and the random offset a draggable element starts from.
#include <cmath>

#include "NimbrelLevels/CObjectsLevel.h"
#include "VornelUtils/UtilsRandom.h"

namespace {

constexpr float kThird = 0.33333334f;
constexpr float kRandomScale = 2.3283064e-10f;  // 1 / 2^32

// Within [-period/2, period/2]; a zero or non-finite period or offset is left alone (the
// loops would not end).
void Wrap(float& offset, float period)
{
    if (!std::isfinite(offset) || !std::isfinite(period) || period == 0.0f)
        return;
    period = std::fabs(period);
    const float half = period * 0.5f;
    // Whole periods at once, so that a far offset takes no more steps than a near one; the
    // last step by hand keeps a bound itself unchanged.
    if (offset > half)
        offset -= period * std::floor((offset - half) / period);
    else if (offset < -half)
        offset += period * std::floor((-half - offset) / period);
    for (int step = 0; step < 2 && offset > half; ++step)
        offset -= period;
    for (int step = 0; step < 2 && offset < -half; ++step)
        offset += period;
}

// A positive half rounds away from zero, a negative half towards it.
void Snap(float& offset, float step)
{
    if (!std::isfinite(offset) || !std::isfinite(step) || step == 0.0f)
        return;
    const float q = std::fabs(offset / step);
    offset = offset >= 0.0f ? std::floor(q + 0.5f) * step : -(std::ceil(q - 0.5f) * step);
}

}  // namespace

void CObjectsLevel::WrapElementOffset(ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    if (e.action & kActionVerticalDrag)
        Wrap(e.dragOffset[1], e.size[1] * kThird);
    if (e.action & kActionHorizontalDrag)
        Wrap(e.dragOffset[0], e.size[0] * kThird);
}

void CObjectsLevel::SnapElementOffset(ElementRecord* pElement)
{
    ElementRecord& e = *pElement;
    if (e.snapFactor == 0.0f)
        return;
    Snap(e.dragOffset[0], e.snapFactor * e.size[0]);
    Snap(e.dragOffset[1], e.snapFactor * e.size[1]);
}

void CObjectsBase::RandomizeElementOffset(ElementRecord* pElement, uint8_t inX, uint8_t inY, float margin)
{
    ElementRecord& e = *pElement;
    const float span = 1.0f - 2.0f * margin;
    if (inX)
        e.dragOffset[0] = (margin + span * float(UtilsRandom_Next(m_pWorldData)) * kRandomScale) * e.size[0];
    if (inY)
        e.dragOffset[1] = (margin + span * float(UtilsRandom_Next(m_pWorldData)) * kRandomScale) * e.size[1];
}
