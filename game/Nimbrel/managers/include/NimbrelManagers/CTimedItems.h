#pragma once
// What fades and eased animators share: an item changes one element (or a scene object) over
// time and may carry a command that fires when it ends; its manager keeps the items in a
// growable slot array where an item's id is its slot + 1 and empty slots are reused.
//
// Item commands and element changes run game code in the middle of a walk, which may add,
// remove or clear items: an item therefore leaves its slot before its Finish runs, and every
// walk reads the array and its capacity again at each step.
#include <cstdint>
#include <string>

#include "NimbrelObjects/CCommandTarget.h"
#include "Vornel3D_ToolBox/CManagedObject.h"
#include "VornelUtils/BaseObject.h"

class UtilsStream_Chunk;
class UtilsStream_ChunkList;
struct ElementRecord;

class CTimedItem : public CBaseObject {
public:
    CTimedItem(WorldData* pWorldData, uint32_t kind, uint32_t objectIndex, uint32_t elementIndex, float seconds,
               const CommandHandle* pCommand);
    ~CTimedItem() override = default;

    // Locks the command while the item runs. 0.
    virtual Status Start();
    // Applies the end state, then unlocks and fires the command.
    virtual void Finish();
    // One frame; negative once the change is complete (the manager then finishes the item).
    virtual Status Update() { return kStatusOk; }
    // The item's fields after its kind word; false on a short read or a failed write.
    virtual bool LoadFromStream(UtilsStream_Chunk* pChunk) = 0;
    virtual bool SaveToStream(UtilsStream_Chunk* pChunk) = 0;
    // The object and element it names exist in the live tables.
    virtual bool IsValid();
    // A read item joins the live scene: it must name live tables (an animator also finds its
    // target key there). False leaves the item unusable.
    virtual bool Attach() { return IsValid(); }
    // The item's fields as one line of text after its slot, for showing a saved game.
    virtual void Describe(std::string& text) const;
    static void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

    uint32_t GetKind() const { return m_kind; }
    uint32_t GetObjectIndex() const { return m_objectIndex; }
    uint32_t GetElementIndex() const { return m_elementIndex; }
    uint8_t IsDone() const { return m_done; }

protected:
    ElementRecord* Element();
    // This frame's share of the duration.
    float Step() const;
    // Unlocks and fires the command once.
    void FireCommand();
    bool HasCommand() const { return m_command.magicIndex != 0; }
    bool ReadCommand(UtilsStream_Chunk* pChunk);
    bool WriteCommand(UtilsStream_Chunk* pChunk) const;

    uint32_t m_kind;
    uint32_t m_objectIndex;
    uint32_t m_elementIndex;
    uint8_t m_done = 0;
    float m_rate;
    CommandHandle m_command = {};
};

// 1 / seconds; the largest float for a duration of 0, below 0 or NaN.
float TimedItemRate(float seconds);

class CTimedItemManager : public CManagedObject {
public:
    explicit CTimedItemManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CTimedItemManager() override;

    using CManagedObject::Load;
    // Finishes every item and frees the array. 0.
    Status Unload() override;
    // Steps every item that is not paused; finishes those whose change is complete.
    void Update() override;
    // Finishes and deletes the item; nothing for an id outside 1..capacity or an empty slot.
    void RemoveItem(uint32_t id);
    // Finishes and deletes every item; the array stays.
    void RemoveAll();
    CTimedItem* GetItem(uint32_t id) const;
    uint32_t GetCount() const { return m_count; }
    uint32_t GetCapacity() const { return m_capacity; }

    // u32 count, u32 capacity, then per slot its kind (0 empty) and the item's fields.
    Status SaveItemsToStream(UtilsStream_Chunk* pChunk);
    // Drops every item unfinished, then reads the slots back; kStatusFailed for a damaged
    // chunk (nothing stays of it), kStatusOutOfMemory (latched). With attach 0 the items keep
    // only their saved fields, unchecked against the scene: for showing a chunk, not running it.
    Status LoadItemsFromStream(UtilsStream_Chunk* pChunk, uint8_t attach = 1);
    // One line per live item: its id, kind and fields.
    void DescribeItems(std::string& text) const;

protected:
    // Starts the item, steps it once and stores it: its id, or 0 (the item is then gone).
    uint32_t AddItem(CTimedItem* pItem);
    // A neutral item of a stored kind, to read its fields into; null for a kind not known.
    virtual CTimedItem* NewItem(uint32_t kind) = 0;
    virtual bool IsPaused(CTimedItem*) { return false; }
    // Deletes every item unfinished and frees the array.
    void DropAll();

private:
    CTimedItem* TakeSlot(uint32_t slot);

    CTimedItem** m_ppItems = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_count = 0;
};
