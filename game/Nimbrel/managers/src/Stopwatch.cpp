#include "NimbrelManagers/CStopwatch.h"

#include "VornelPlatform/PlatformTime.h"

CStopwatch::CStopwatch(UtilsCounterFn pfnCounter, UtilsCounterFn pfnFrequency)
    : m_pfnCounter(pfnCounter ? pfnCounter : &Platform_QueryPerformanceCounter)
{
    int64_t frequency = 0;
    if ((pfnFrequency ? pfnFrequency : &Platform_QueryPerformanceFrequency)(&frequency) && frequency > 0)
        m_frequency = static_cast<uint64_t>(frequency);
}

uint64_t CStopwatch::ReadCounter() const
{
    int64_t value = 0;
    return m_pfnCounter(&value) ? static_cast<uint64_t>(value) : 0;
}

void CStopwatch::Start()
{
    m_start = ReadCounter();
}

uint64_t CStopwatch::ElapsedMicroseconds()
{
    m_now = ReadCounter();
    if (m_frequency == 0)
        return 0;
    const uint64_t ticks = m_now < m_start ? m_now : m_now - m_start;
    // Whole seconds and the remainder apart, so that neither a slow counter (a frequency
    // below 1 MHz) nor a large span loses precision or overflows.
    const uint64_t seconds = ticks / m_frequency;
    const uint64_t rest = ticks % m_frequency;
    return seconds * 1000000u + static_cast<uint64_t>((static_cast<unsigned __int128>(rest) * 1000000u) / m_frequency);
}
