#include "Vornel3D_ToolBox/CGammaRamp.h"

#include <algorithm>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelPlatform/PlatformGamma.h"
#include "VornelUtils/WorldData.h"

namespace {

PlatformWindow* Window(const WorldData* pWorldData)
{
    return pWorldData ? static_cast<PlatformWindow*>(pWorldData->pWindow) : nullptr;
}

}  // namespace

CGammaRamp::CGammaRamp(WorldData* pWorldData) : CBaseObject(pWorldData) {}

bool CGammaRamp::Allowed() const
{
    if (!m_pWorldData)
        return false;
    const auto* pWorld = dynamic_cast<const CManagedWorld*>(m_pWorldData->pWorld);
    return pWorld && pWorld->GetPlatformIndex() == 0;
}

Status CGammaRamp::Init()
{
    Save();
    return kStatusOk;
}

Status CGammaRamp::Release()
{
    Restore();
    return kStatusOk;
}

void CGammaRamp::BuildRamp(uint16_t level, uint16_t table[256])
{
    const uint32_t step = uint32_t(level) + 128;
    for (uint32_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint16_t>(std::min<uint32_t>(i * step, 65535));
}

int32_t CGammaRamp::SetLevel(uint16_t level)
{
    if (!Allowed())
        return kStatusFailed;
    if (level != kGammaKeepLevel)
        m_level = std::min<uint16_t>(level, 255);
    uint16_t ramp[256];
    BuildRamp(m_level, ramp);
    return Platform_SetGammaRamp(Window(m_pWorldData), ramp, ramp, ramp) ? 1 : 0;
}

Status CGammaRamp::Save()
{
    if (!Allowed())
        return kStatusFailed;
    // Read aside first, so that a failed read keeps a ramp saved before.
    uint16_t ramp[3][256];
    if (Platform_GetGammaRamp(Window(m_pWorldData), ramp[0], ramp[1], ramp[2])) {
        std::copy(&ramp[0][0], &ramp[0][0] + 3 * 256, &m_savedRamp[0][0]);
        m_saved = 1;
    }
    return m_saved ? kStatusOk : kStatusFailed;
}

int32_t CGammaRamp::Restore()
{
    if (!Allowed() || !m_saved)
        return kStatusFailed;
    return Platform_SetGammaRamp(Window(m_pWorldData), m_savedRamp[0], m_savedRamp[1], m_savedRamp[2]) ? 1 : 0;
}
