#pragma once
// The effects that run on scene elements, each over the element's effect values (period,
// minimum and maximum level, angle): a storm flashes with every other storm of the game and
// thunders, a flicker wavers at random, a pulse goes smoothly back and forth, a flicker cycle
// is a flicker that a slow on/off cycle shared by all of them gates, and a drift slides the
// element's picture along a direction. All but the drift write the element's brightness
// (1.0 = as drawn), which the element's drawing multiplies into its colour.
//
// The storm and the cycle are one each for the whole game; every effect of their kind saves
// them and a load reads them back.
#include <cstdint>
#include <vector>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class CSurroundManager;
class UtilsStream_Chunk;
struct ElementRecord;
struct EffectParameters;

// The storm's phases.
enum EffectStormPhase : uint32_t {
    kStormWaiting = 0,
    kStormRising = 1,
    kStormHeld = 2,
    kStormFading = 3,
};

// The cycle's phases.
enum EffectCyclePhase : uint32_t {
    kCycleOff = 0,
    kCycleRising = 1,
    kCycleOn = 2,
    kCycleFalling = 3,
};

struct EffectSharedStorm {
    uint32_t state = kStormWaiting;
    double t = 0.0;                 // progress through the phase
    float level = 0.0f;             // the flash, 0..1
    uint32_t flashesDone = 0;
    float interval = 10.0f;         // seconds between storms
    float speed = 1.0f;             // how fast the wait runs
    uint32_t flashesPerStorm = 1;
    int32_t sound = -1;             // the thunder in the surround manager, -1 none
};

struct EffectSharedCycle {
    uint32_t state = kCycleOff;
    double t = 0.0;
    float level = 0.0f;
};

// A phase split into whole frames ends on its last frame, whatever the rounding of its steps.
constexpr double kEffectPhaseSlack = 1e-6;

EffectSharedStorm& SharedStorm();
EffectSharedCycle& SharedCycle();
// The game's surround manager, which plays the thunder; null without one.
CSurroundManager* EffectSurround(WorldData* pWorldData);
// Both back to where a new game starts them.
void ResetSharedEffects();

// One frame of the shared storm: kStatusFailed when the flash changed (the storms are then
// told), else 0. The thunder starts each storm's first flash.
Status StepSharedStorm(WorldData* pWorldData);
void StepSharedCycle(WorldData* pWorldData);
// Off or falling: it rises now; on: the on phase starts again; rising: unchanged.
void RestartSharedCycle();

class CEffect : public CBaseObject {
public:
    CEffect(WorldData* pWorldData, uint32_t kind, uint32_t objectIndex, uint32_t elementIndex);
    ~CEffect() override = default;

    virtual Status Start() { return kStatusOk; }
    // The element's brightness back to 1.0.
    virtual void Finish();
    virtual void Update() {}
    // The object, element and kind words, then the kind's own fields; false on a short read,
    // a kind word that is not this effect's, or a failed write.
    virtual bool LoadFromStream(UtilsStream_Chunk* pChunk);
    virtual bool SaveToStream(UtilsStream_Chunk* pChunk);

    uint32_t GetKind() const { return m_kind; }
    uint32_t GetObjectIndex() const { return m_objectIndex; }
    uint32_t GetElementIndex() const { return m_elementIndex; }

protected:
    // Null when the element is gone; the values are null when it has none.
    ElementRecord* Element();
    const EffectParameters* Values();
    void SetLevel(float level);
    // The frame's share of a period of that many seconds: 0 for a period that is not above 0.
    double PeriodStep(float seconds) const;
    double FrameStep() const;
    // Uniform in [0, 1) from the world's generator.
    double Random();
    // The whole part of low + r x (high - low), with r from the world's generator.
    uint8_t RandomLevel(uint8_t low, uint8_t high);

    uint32_t m_objectIndex;
    uint32_t m_elementIndex;
    uint32_t m_kind;
};

class CEffectStorm : public CEffect {
public:
    CEffectStorm(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex);
    // Prepares the thunder when the game has sound and none is prepared yet; kStatusFailed
    // when the surround manager cannot take it.
    Status Start() override;
    void Update() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
    // The flash changed: while held each storm flashes at its own random strength, otherwise
    // over its whole range.
    void OnFlash(bool held);

private:
    uint8_t m_low = 0;
    uint8_t m_high = 255;
};

class CEffectFlicker : public CEffect {
public:
    CEffectFlicker(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex, uint32_t kind = 2);
    Status Start() override;
    void Update() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;

private:
    uint8_t m_up = 1;
    float m_phase = 0.0f;
    uint8_t m_low = 0;
    uint8_t m_high = 255;
};

class CEffectPulse : public CEffect {
public:
    CEffectPulse(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex);
    Status Start() override;
    void Update() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;

private:
    uint8_t m_up = 1;
    double m_phase = 0.0;
};

class CEffectFlickerCycle : public CEffectFlicker {
public:
    CEffectFlickerCycle(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex);
    void Update() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;
};

class CEffectDrift : public CEffect {
public:
    CEffectDrift(WorldData* pWorldData, uint32_t objectIndex, uint32_t elementIndex);
    Status Start() override;
    void Update() override;
    bool LoadFromStream(UtilsStream_Chunk* pChunk) override;
    bool SaveToStream(UtilsStream_Chunk* pChunk) override;

    // Where the picture stands now, from where it started.
    float GetOffsetX() const { return m_offset[0]; }
    float GetOffsetY() const { return m_offset[1]; }

private:
    // Moves the texture coordinates of the element's faces in the object's render model.
    void MoveFaces(float du, float dv);

    double m_progress = 0.0;
    float m_direction[2] = {0.0f, 0.0f};
    float m_offset[2] = {0.0f, 0.0f};
    // Read from a profile: the freshly loaded picture still stands at its start, and the first
    // update moves it to where the saved progress had it.
    bool m_offsetPending = false;
    std::vector<uint32_t> m_vertices;  // kept between frames: no allocation once grown
};

// A new effect of that kind (1..5); null for another kind or no memory.
CEffect* NewEffect(WorldData* pWorldData, uint32_t kind, uint32_t objectIndex, uint32_t elementIndex);
