#pragma once
// Up to two fading marks where the player touched or clicked: the objects manager starts one
// when a press reaches no scene object, and moves it while the button stays down.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class C3DObject;

struct TouchRecord {
    uint8_t active;
    float alpha;      // 1.0 when the mark starts, 0 when it has faded
    float x, y, z;
};

class CTouchScreen : public CManagedObject {
public:
    static constexpr uint32_t kSlots = 2;

    explicit CTouchScreen(WorldData* pWorldData);
    ~CTouchScreen() override;

    // The mark: a square of half-side `width` around its centre carrying the picture named by
    // (section, key), "touch.png" by default, tinted by `color` (0xAARRGGBB). kStatusFailed when
    // the square cannot be made or the picture cannot be loaded.
    Status LoadParameters(float width, uint32_t color, const char16_t* section, const char16_t* key);
    // Releases the mark. 0.
    Status Unload() override;
    // Fades the active marks; a mark fades out in about 13.3 frame-step units.
    void Update() override;
    void Render() override;
    // Starts the mark of `slot` (any slot from 1 up is slot 1) at (x, y) at full strength.
    void AddTouch(float x, float y, uint8_t slot);

    const TouchRecord& GetRecord(uint32_t slot) const { return m_records[slot < kSlots ? slot : kSlots - 1]; }
    bool IsAnyActive() const { return m_anyActive != 0; }
    C3DObject* GetObject() const { return m_pObject; }

private:
    uint8_t m_anyActive = 0;
    C3DObject* m_pObject = nullptr;
    TouchRecord m_records[kSlots];
};
