#pragma once
// The effects that run on the elements of one scene object (every scene object owns one
// manager): an effect's id is its slot + 1, free slots are taken again, and the manager steps
// the game's shared storm and cycle while it holds storms or flicker cycles.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"

class CEffect;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

// The owner of a manager that reads a saved chunk outside a game (the profile dump): there is no
// scene to check the effects against, so they are read as they were saved.
constexpr uint32_t kEffectOwnerAny = 0xFFFFFFFFu;

class CEffectManager : public CManagedObject {
public:
    // The manager of the scene object with that number: its effects name its elements.
    CEffectManager(WorldData* pWorldData, uint32_t ownerIndex) : CManagedObject(pWorldData), m_ownerIndex(ownerIndex) {}
    // Deletes the effects without finishing them.
    ~CEffectManager() override;

    // Every effect finished and deleted; the slots freed.
    Status Unload() override;
    // The shared storm and cycle when they have effects, then every effect.
    void Update() override;

    // A started effect of that kind on the element: its id, or 0 (another kind, a start that
    // fails, no memory).
    uint32_t AddEffect(uint32_t kind, uint32_t objectIndex, uint32_t elementIndex);
    // Finishes and deletes the effect; nothing for 0, an id past the slots or a free slot.
    void RemoveEffect(uint32_t id);
    void RestartSharedCycle();
    // The thunder stopped when a storm of this manager plays it; kStatusFailed when the sound
    // does not stop.
    Status StopStormSound();

    // u32 slot count; per slot its kind (0 free) and the effect's fields; the storm and cycle
    // counts.
    Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);
    // Drops every effect, then reads the slots back. kStatusFailed for a chunk that is cut
    // short, holds more slots than its bytes, a kind outside 1..5 with fields, or an effect that
    // names no live element of its owner; nothing is kept of such a chunk. The storm and cycle
    // counts come from the slots read; a thunder the game does not hold is read as none.
    Status LoadFromStream(UtilsStream_Chunk* pChunk);

    CEffect* GetEffect(uint32_t id) const { return id >= 1 && id <= m_slotCount ? m_ppEffects[id - 1] : nullptr; }
    uint32_t GetSlotCount() const { return m_slotCount; }
    uint32_t GetStormCount() const { return m_stormCount; }
    uint32_t GetCycleCount() const { return m_cycleCount; }

private:
    // Whether an effect read from a chunk may join the game.
    bool IsLiveTarget(const CEffect* pEffect) const;
    void CountKind(uint32_t kind, int32_t delta);

    uint32_t m_ownerIndex;
    CEffect** m_ppEffects = nullptr;
    uint32_t m_slotCount = 0;
    uint32_t m_stormCount = 0;
    uint32_t m_cycleCount = 0;
};
