#pragma once
// The player's objectives: an ordered list of objectives, each with an optional ordered list of
// sub-objectives, each done or not. Scripts start, complete and reorder them; the game shows the
// current one. The list order is display order: new records go to the tail, and "to the top"
// means to the tail; the current objective is searched from the tail backwards. The list is saved
// in the profile (chunk kProfileTagObjectives): u32 order counter, u32 objective count, then per objective u8
// implicit, u8 done, u32 identifier, u32 order number, u32 sub-objective count and that many
// sub-objectives of the same four fields.
#include <cstdint>

#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/FIFOList.h"

class UtilsStream_Chunk;
class UtilsStream_ChunkList;

// One objective or sub-objective.
struct ObjectiveRecord {
    uint8_t implicit;          // made only because a sub-objective of it was started or completed
    uint8_t done;
    uint32_t identifier;       // the index of its text among the popup groups
    CFIFOList* pSubObjectives; // owned; null until the first sub-objective, always in a sub-objective
    uint32_t orderNumber;      // the order counter after it was raised for this record
};

class CObjectiveManager : public CManagedObject {
public:
    explicit CObjectiveManager(WorldData* pWorldData);
    // Clears the list.
    ~CObjectiveManager() override;

    // The world load's step: nothing to read.
    Status Load() override { return kStatusOk; }
    Status Unload() override { return Clear(); }

    // Every record freed, the order counter back to 0; notifies. 0.
    virtual Status Clear();
    // The list from a profile chunk, after Clear. kStatusFailed for a short read or a count
    // that the bytes left cannot hold (the records read so far stay); kStatusOutOfMemory
    // (latched). Notifies on success.
    virtual Status LoadFromStream(UtilsStream_Chunk* pChunk);
    // Appends the saved form to the chunk; kStatusFailed when a write fails.
    virtual Status SaveToStream(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);

    // Each returns 0, kStatusOutOfMemory (latched), or kStatusFailed where said.
    virtual Status AddObjective(uint32_t identifier);
    virtual Status CompleteObjective(uint32_t identifier);
    // kStatusFailed for an unknown objective.
    virtual Status PutObjectiveToTop(uint32_t identifier);
    virtual Status AddSubObjective(uint32_t identifier, uint32_t subIdentifier);
    virtual Status CompleteSubObjective(uint32_t identifier, uint32_t subIdentifier);
    // kStatusFailed for an unknown objective; 0 without change for an unknown sub-objective.
    virtual Status PutSubObjectiveToTop(uint32_t identifier, uint32_t subIdentifier);
    // The last objective that is neither implicit nor done, or its last open sub-objective;
    // -1 when there is none.
    virtual int32_t GetCurrentObjective();
    // Called after every change; the interfaces ask GetCurrentObjective when they show.
    virtual void OnObjectivesChanged() {}

    uint32_t GetOrderCounter() const { return m_orderCounter; }
    CFIFOList& GetObjectives() { return m_objectives; }

private:
    // A copy of the values at the tail of the list; null when out of memory (latched).
    ObjectiveRecord* Append(CFIFOList& list, const ObjectiveRecord& values);
    // A new record at the tail, numbered by the raised order counter.
    ObjectiveRecord* AppendNew(CFIFOList& list, uint32_t identifier, uint8_t implicit, uint8_t done);
    // The record of that identifier, searched from the head and made current; null when absent.
    static ObjectiveRecord* Find(CFIFOList& list, uint32_t identifier);
    // The objective, appended as implicit when absent, with its sub-list; null when out of
    // memory (latched).
    ObjectiveRecord* ObjectiveWithSubList(uint32_t identifier);
    Status OutOfMemory();
    static void FreeRecord(ObjectiveRecord* pRecord);

    uint32_t m_orderCounter = 0;
    CFIFOList m_objectives;
};
