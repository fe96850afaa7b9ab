// An element's number: laid out at its new value, shown counting to it along an easing curve.
#include "NimbrelObjects/CExtraDimTextNumber.h"

#include <cmath>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelUtils/UtilsEasing.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

int32_t FindEasingIndex(const char* name) { return UtilsEasing_FindIndex(g_UtilsEasingTable, kUtilsEasingCount, name); }

Status CExtraDimTextNumber::Clear()
{
    m_dirty = 0;
    return CExtraDimTextBase::Clear();
}

Status CExtraDimTextNumber::LayOutValue(int32_t value, const ExtraTextLayout& layout)
{
    char16_t text[16];
    UtilsString_Format(text, 16, u"%d", value);
    if (layout.style.digits == kExtraTextRemappedDigits) {
        const auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
        if (const CStringsManager* strings = world ? world->GetStringsManager() : nullptr)
            strings->RemapChars(text);
    }
    return Layout(text, layout, nullptr);
}

Status CExtraDimTextNumber::SetNumber(int32_t value, float seconds, uint32_t easing, const ExtraTextLayout& layout)
{
    Clear();
    const Status status = LayOutValue(value, layout);
    // The first count starts from 0: no earlier value is "none", not -1.
    const uint32_t previous = m_target == kExtraNumberNone ? 0 : m_target;
    m_delta = seconds != 0.0f ? uint32_t(value) - previous : 0;
    m_target = uint32_t(value);
    m_easing = easing;
    m_shown = kExtraNumberNone;
    m_dirty = 0;
    m_total = m_remaining = seconds * kExtraNumberFramesPerSecond;
    return status;
}

Status CExtraDimTextNumber::Step(float frames)
{
    if (!(m_remaining > 0.0f))
        return kStatusOk;
    m_remaining -= frames;
    uint32_t shown = m_target;
    if (m_remaining < 0.0f) {
        m_remaining = 0.0f;
        m_shown = m_target;
        m_dirty = 1;
        return kStatusOk;
    }
    const float t = m_total > 0.0f ? m_remaining / m_total : 0.0f;
    const UtilsEasingFn curve = m_easing < kUtilsEasingCount ? g_UtilsEasingTable[m_easing].function : nullptr;
    float e = curve ? curve(t) : t;
    e = e < 0.0f ? 0.0f : e > 1.0f ? 1.0f : e;
    // The delta is a signed difference; what of it is still to come is cut toward zero.
    shown = m_target - uint32_t(int64_t(std::trunc(double(e) * double(int32_t(m_delta)))));
    if (shown != m_shown) {
        m_shown = shown;
        m_dirty = 1;
    }
    return kStatusOk;
}

Status CExtraDimTextNumber::Relayout(const ExtraTextLayout& layout)
{
    m_dirty = 0;
    return LayOutValue(int32_t(m_shown == kExtraNumberNone ? m_target : m_shown), layout);
}

bool CExtraDimTextNumber::SaveOwn(UtilsStream* pStream)
{
    return pStream->Write(&m_target, 4, 1) && pStream->Write(&m_easing, 4, 1);
}

bool CExtraDimTextNumber::LoadOwn(UtilsStream* pStream)
{
    uint32_t target = kExtraNumberNone, easing = kExtraNumberNone;
    if (!pStream->Read(&target, 4, 1) || !pStream->Read(&easing, 4, 1))
        return false;
    // A loaded number shows its value: no count goes on.
    m_target = target;
    m_easing = easing;
    m_shown = kExtraNumberNone;
    m_delta = 0;
    m_total = m_remaining = 0.0f;
    return true;
}
