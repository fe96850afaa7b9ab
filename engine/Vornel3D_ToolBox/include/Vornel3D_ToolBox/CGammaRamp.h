#pragma once
// The brightness of the whole display through its gamma ramp, independent of the renderer.
// The managed world makes it at load: it saves the display's ramp on start, puts the saved
// ramp back when the window loses the focus and applies its level again when it gains it.
//
// Every operation is refused while the managed world's platform index is not 0.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

constexpr uint16_t kGammaKeepLevel = 65535;  // SetLevel: apply the stored level again

class CGammaRamp : public CBaseObject {
public:
    explicit CGammaRamp(WorldData* pWorldData);
    ~CGammaRamp() override = default;

    virtual Status Init();     // Save; 0
    virtual Status Release();  // Restore; 0

    // Stores a level below 65535 (clamped to 255), builds the ramp from the stored level and
    // hands it to the display: non-zero when the display took it, 0 when it refused.
    // kStatusFailed while refused by the platform index.
    int32_t SetLevel(uint16_t level);
    // Reads the display's ramp into the saved ramp: 0 when a ramp is saved (now or before),
    // else kStatusFailed.
    Status Save();
    // Puts the saved ramp back: the display's answer (non-zero when taken), or kStatusFailed
    // without a saved ramp.
    int32_t Restore();

    uint16_t GetLevel() const { return m_level; }
    bool HasSavedRamp() const { return m_saved != 0; }
    const uint16_t* GetSavedRamp(uint32_t channel) const { return m_savedRamp[channel < 3 ? channel : 0]; }

    // Entry i = min(i x (level + 128), 65535).
    static void BuildRamp(uint16_t level, uint16_t table[256]);

private:
    bool Allowed() const;

    uint16_t m_level = 127;
    uint8_t m_saved = 0;
    uint16_t m_savedRamp[3][256] = {};
};
