#pragma once
// The sound-effects manager of the managed world: the sounds the game plays as effects, each
// with a word of its owner's, and one volume for all. The sounds themselves belong to the
// audio engine.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class CAudioObject;

struct SoundEntry {
    CAudioObject* pSound;
    uint32_t word;
};

class CSoundsManager : public CBaseObject {
public:
    explicit CSoundsManager(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    ~CSoundsManager() override;

    virtual Status Init() { return kStatusOk; }
    // Stops every sound and forgets the entries. 0.
    virtual Status Unload();

    // A sound made by the audio engine joins the entries; a sound that was not made (null)
    // is refused with kStatusFailed. kStatusOutOfMemory when the entries cannot grow.
    Status AddSound(CAudioObject* pSound, uint32_t word);

    uint32_t GetCount() const { return m_count; }
    const SoundEntry* GetEntry(uint32_t index) const { return index < m_count ? &m_pEntries[index] : nullptr; }
    float GetVolume() const { return m_volume; }

private:
    SoundEntry* m_pEntries = nullptr;
    uint32_t m_count = 0;
    float m_volume = 1.0f;
};
