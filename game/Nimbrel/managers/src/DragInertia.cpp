#include "NimbrelManagers/CDragInertia.h"

#include <cmath>
#include <new>

#include "NimbrelManagers/CStopwatch.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr const char16_t* kSection = u"DRAGGING_INERTIA";
// A ratio of 1 or more would never let a glide end.
constexpr float kLargestDecay = 0.999f;

}  // namespace

CDragInertia::CDragInertia(WorldData* pWorldData, UtilsCounterFn pfnCounter, UtilsCounterFn pfnFrequency)
    : CManagedObject(pWorldData), m_pfnCounter(pfnCounter), m_pfnFrequency(pfnFrequency)
{
}

CDragInertia::~CDragInertia()
{
    Unload();
}

Status CDragInertia::Load()
{
    if (UtilsParameters* app = m_pWorldData ? m_pWorldData->pAppSettings : nullptr) {
        m_speed = app->GetFloat(kSection, u"DRAGGING_SPEED", m_speed);
        m_testReference = app->GetFloat(kSection, u"DRAGGING_TEST_REF", m_testReference);
        m_decay = app->GetFloat(kSection, u"DRAGGING_SPEED_DEC_RATIO", m_decay);
    }
    if (!(m_decay < kLargestDecay))
        m_decay = std::isnan(m_decay) ? 0.95f : kLargestDecay;
    if (!m_pStopwatch)
        m_pStopwatch = new (std::nothrow) CStopwatch(m_pfnCounter, m_pfnFrequency);
    if (m_pStopwatch)
        return kStatusOk;
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

Status CDragInertia::Unload()
{
    delete m_pStopwatch;
    m_pStopwatch = nullptr;
    return kStatusOk;
}

void CDragInertia::SetClock(UtilsCounterFn pfnCounter, UtilsCounterFn pfnFrequency)
{
    m_pfnCounter = pfnCounter;
    m_pfnFrequency = pfnFrequency;
    if (!m_pStopwatch)
        return;
    auto* stopwatch = new (std::nothrow) CStopwatch(pfnCounter, pfnFrequency);
    if (!stopwatch)
        return;
    delete m_pStopwatch;
    m_pStopwatch = stopwatch;
    m_pStopwatch->Start();
}

uint64_t CDragInertia::Lap()
{
    if (!m_pStopwatch)
        return 0;
    const uint64_t micros = m_pStopwatch->ElapsedMicroseconds();
    m_pStopwatch->Start();
    return micros;
}

void CDragInertia::BeginDrag(float x, float y)
{
    m_velocityX = m_velocityY = 0.0f;
    m_sampleCount = 0;
    m_lastX = x;
    m_lastY = y;
    if (m_pStopwatch)
        m_pStopwatch->Start();
}

void CDragInertia::AddMove(float x, float y)
{
    m_velocityX = m_velocityY = 0.0f;
    const uint64_t micros = Lap();
    m_samples[m_sampleCount % kDragSampleCount] = DragSample{micros, x - m_lastX, y - m_lastY};
    ++m_sampleCount;
    m_lastX = x;
    m_lastY = y;
}

void CDragInertia::Release(float x, float y)
{
    if (m_sampleCount == 0) {
        m_samples[0] = DragSample{Lap(), x - m_lastX, y - m_lastY};
        m_sampleCount = 1;
    }
    if (m_sampleCount < 2)
        return;
    // Ring slot 0 is left out of the mean.
    const uint32_t m = m_sampleCount < kDragSampleCount ? m_sampleCount : kDragSampleCount;
    uint64_t micros = 0;
    float dx = 0.0f, dy = 0.0f;
    for (uint32_t i = 1; i < m; ++i) {
        micros += m_samples[i].micros;
        dx += m_samples[i].dx;
        dy += m_samples[i].dy;
    }
    const uint64_t meanMicros = micros / (m - 1);
    dx /= static_cast<float>(m - 1);
    dy /= static_cast<float>(m - 1);
    if (std::sqrt(dx * dx + dy * dy) > m_testReference) {
        const float seconds = static_cast<float>(meanMicros) * 0.000001f;
        m_velocityX = dx * seconds * m_speed;
        m_velocityY = dy * seconds * m_speed;
    }
}

void CDragInertia::Step(float* pX, float* pY, float* pZ)
{
    float x = 0.0f, y = 0.0f;
    if (m_velocityX != 0.0f || m_velocityY != 0.0f) {
        const float step = m_pWorldData ? static_cast<float>(m_pWorldData->frameTime) : 0.0f;
        x = m_velocityX * step;
        y = m_velocityY * step;
        m_velocityX *= m_decay;
        m_velocityY *= m_decay;
    }
    if (pX)
        *pX = x;
    if (pY)
        *pY = y;
    if (pZ)
        *pZ = 0.0f;
}
