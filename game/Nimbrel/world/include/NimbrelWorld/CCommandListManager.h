#pragma once
// Commands: every deferred action of the game. A waiting builtin, a fade or a click adds a
// command naming the scene object to tell and what it must do; whoever will finish the thing
// keeps only the handle and burns it then, and the command reaches its target object
// (CCommandTarget). Holders of several handles keep them in a CCommandList.
//
// A record is free (magic index 0), armed, locked (lock count above 0) or burning. Burning a
// stale handle (its record freed or reused) changes nothing and counts as consumed. A target
// may add commands while it is told of one, so records are read again by index after a call.
#include <cstdint>

#include "NimbrelObjects/CCommandTarget.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class UtilsStream;

// The event codes of a burn.
constexpr uint32_t kCommandEventFade = 0;
constexpr uint32_t kCommandEventClick = 1;
// A command that serves no function: it stays armed after a burn and may burn again.
constexpr uint32_t kCommandNoFunction = 0xFFFFFFFFu;

struct CommandRecord {
    uint8_t burning;
    uint8_t keep;           // the object's own for its whole life: never removed
    uint32_t magicIndex;    // 0: free
    uint32_t target;        // object number
    uint32_t functionIndex; // kCommandNoFunction: none
    uint32_t lockCount;
    uint32_t kind;
    uint32_t event;
};

// Bytes of a stored record and of a stored handle.
constexpr uint32_t kCommandRecordBytes = 1 + 6 * 4;
constexpr uint32_t kCommandHandleBytes = 5 * 4;

class CCommandListManager : public CManagedObject {
public:
    explicit CCommandListManager(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CCommandListManager() override;

    // Frees the records; the next magic index and the last added index stay.
    Status Unload() override;
    // Replaces the records with those of the stream (Release first). kStatusFailed on a short
    // or damaged stream (no records then), kStatusOutOfMemory (latched).
    using CManagedObject::Load;
    Status Load(UtilsStream* pStream);
    Status Save(UtilsStream* pStream) const;

    // A free record (the scan runs from the last record down and never reuses record 0) or a
    // new one. kStatusOutOfMemory (latched) when the array cannot grow.
    Status AddCommand(uint32_t target, uint8_t keep, uint32_t kind, uint32_t event, uint32_t functionIndex,
                      uint32_t word3, uint32_t word4, CommandHandle* pHandle);
    // Frees the record last added; kStatusFailed when there is none (index 0), or it burns or
    // is kept.
    Status RemoveLastCommand();
    Status RemoveCommandByIndex(uint32_t recordIndex, uint32_t magicIndex);
    // Free every record (neither burning nor kept) matching all four words / of the object. 0.
    Status RemoveCommandByFunctionIndex(uint32_t target, uint32_t kind, uint32_t event, uint32_t functionIndex);
    Status RemoveObjectCommands(uint32_t target);
    // Raise or lower the lock count of the handle's own record (same magic index). 0.
    Status Lock(const CommandHandle& handle);
    Status Unlock(const CommandHandle& handle);
    // True when consumed: a stale, foreign or locked handle, or a target that took it (the
    // record is then freed unless it serves no function), or a target that is no existing
    // object. False when the target declined: the command stays armed.
    bool OnBurnCommand(const CommandHandle& handle, uint32_t event, int32_t a, int32_t b, int32_t c);

    uint32_t GetCount() const { return m_count; }
    const CommandRecord* GetRecord(uint32_t index) const { return index < m_count ? &m_pRecords[index] : nullptr; }
    uint32_t GetNextMagicIndex() const { return m_nextMagicIndex; }
    uint32_t GetLastAdded() const { return m_lastAdded; }

protected:
    // The scene object a command of that object number reaches; through the world's objects.
    virtual CCommandTarget* FindTarget(uint32_t target);

private:
    void Free(uint32_t index);
    bool IsLive(const CommandHandle& handle) const;

    CommandRecord* m_pRecords = nullptr;
    uint32_t m_lastAdded = 0;
    uint32_t m_count = 0;
    uint32_t m_nextMagicIndex = 1;
};

// The handles of one holder (a manager or a scene object), burnt together when its event comes.
class CCommandList : public CManagedObject {
public:
    explicit CCommandList(WorldData* pWorldData) : CManagedObject(pWorldData) {}
    ~CCommandList() override;

    // Nothing when a handle of the same record and magic index is there.
    // kStatusOutOfMemory (latched) when the list cannot grow.
    Status Add(const CommandHandle& handle);
    // Burns every handle in order through the world's command list manager; those it consumes
    // leave the list, the others stay in their order, followed by any that a target added
    // meanwhile. A list emptied during the walk stays empty. A burn of the same list from
    // inside a burn does nothing. 0.
    Status BurnAll(uint32_t event, int32_t a, int32_t b, int32_t c);
    void Clear();
    // Drops every handle of `kind`, keeping the others in their order; with `release` each
    // dropped command is freed at the command list manager too. 0.
    Status RemoveKind(uint32_t kind, bool release);
    using CManagedObject::Load;
    Status Load(UtilsStream* pStream);
    Status Save(UtilsStream* pStream) const;

    uint32_t GetCount() const { return m_count; }
    const CommandHandle* GetHandle(uint32_t index) const { return index < m_count ? &m_pHandles[index] : nullptr; }

private:
    CommandHandle* m_pHandles = nullptr;
    uint32_t m_count = 0;
    uint32_t m_clears = 0;  // tells a walk that the list was emptied under it
    uint8_t m_burning = 0;
};
