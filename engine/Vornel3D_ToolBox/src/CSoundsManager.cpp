#include "Vornel3D_ToolBox/CSoundsManager.h"

#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/UtilsMemory.h"

CSoundsManager::~CSoundsManager()
{
    UTILS_FREE(m_pEntries);
}

Status CSoundsManager::Unload()
{
    for (uint32_t i = 0; i < m_count; ++i)
        if (m_pEntries[i].pSound)
            m_pEntries[i].pSound->Stop();
    UTILS_FREE(m_pEntries);
    m_pEntries = nullptr;
    m_count = 0;
    return kStatusOk;
}

Status CSoundsManager::AddSound(CAudioObject* pSound, uint32_t word)
{
    if (!pSound)
        return kStatusFailed;
    auto* grown = static_cast<SoundEntry*>(UTILS_REALLOC(m_pEntries, (m_count + 1) * sizeof(SoundEntry)));
    if (!grown)
        return kStatusOutOfMemory;
    m_pEntries = grown;
    m_pEntries[m_count++] = {pSound, word};
    return kStatusOk;
}
