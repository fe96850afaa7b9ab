#include "VornelUtils/UtilsTimer.h"

#include "VornelPlatform/PlatformTime.h"
#include "VornelUtils/WorldData.h"

namespace {
// One thirtieth of a second, as a double constant: frame time 1.0 is one frame at 30 fps.
constexpr double kThirtieth = 0.03333333333333333;
} // namespace

UtilsTimer::UtilsTimer(WorldData* pWorldData)
    : CBaseObject(pWorldData),
      m_pfnCounter(Platform_QueryPerformanceCounter),
      m_pfnFrequency(Platform_QueryPerformanceFrequency)
{
}

void UtilsTimer::SetClock(UtilsCounterFn pfnCounter, UtilsCounterFn pfnFrequency)
{
    m_pfnCounter = pfnCounter ? pfnCounter : Platform_QueryPerformanceCounter;
    m_pfnFrequency = pfnFrequency ? pfnFrequency : Platform_QueryPerformanceFrequency;
}

Status UtilsTimer::Init()
{
    int64_t counter = 0;
    int64_t frequency = 0;
    if (!m_pfnCounter(&counter) || !m_pfnFrequency(&frequency) || frequency <= 0)
        return kStatusFailed;
    m_nLastCounter = counter;
    m_nFrequency = frequency;
    return kStatusOk;
}

void UtilsTimer::Read()
{
    int64_t counter = 0;
    if (!m_pfnCounter(&counter))
        return;
    double frameTime = 0.0;
    // A counter that went backwards (or a timer never initialised) gives no step: taking the
    // raw counter value as the step would make one frame last for hours.
    if (counter >= m_nLastCounter && m_nFrequency > 0)
        frameTime = static_cast<double>(static_cast<uint64_t>(counter) - static_cast<uint64_t>(m_nLastCounter)) /
                    (static_cast<double>(m_nFrequency) * kThirtieth);
    m_nLastCounter = counter;
    if (!m_pWorldData)
        return;
    m_pWorldData->frameTime = frameTime;
    if (frameTime != 0.0)
        m_pWorldData->framesPerSecond = 30.0 / frameTime;
}

void UtilsTimer::Update()
{
    Read();
    if (m_nExtraReads > 0) {
        --m_nExtraReads;
        Read();
    }
}

void UtilsTimer::RequestExtraUpdate()
{
    m_nExtraReads = 1;
}

uint32_t UtilsTimer::AddExtraUpdates(uint32_t n)
{
    m_nExtraReads += n;
    return n;
}
