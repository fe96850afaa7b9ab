#pragma once
// The labels and item groups: named sets of scene elements across the game's scenes, read at
// world load from "groups/" (GroupTableFile.h) right after the construction, because every member
// is an "@level@element" reference resolved against the scene objects at once. Scripts name item
// groups wherever they take an object or item list; popup texts name labels.
#include <cstddef>
#include <cstdint>

#include "NimbrelWorld/GroupTableFile.h"
#include "Vornel3D_ToolBox/CManagedObject.h"

class CNimbrelWorld;

// An element of a group, found through its reference.
struct GroupMember {
    uint8_t unresolved;    // 0 after a successful load
    void* pRuntime;        // the popup manager's buffer (owned, freed at release; null at load)
    uint32_t levelIndex;   // object index
    uint32_t elementIndex;
};

struct GroupRecord {
    char* pName;           // owned
    GroupMember* pMembers; // owned
    uint32_t memberCount;
};

// What the popup manager makes of a label's words and bytes is its own business; the table only
// keeps them.
struct LabelRecord {
    GroupRecord group;     // first, so that a label is a group to the shared code
    uint32_t word1, word2;
    uint8_t byte1, byte2;
};

// What the two tables share: the file, the records with their resolved members, the sorted index
// and the lookup. A missing or foreign file (other header version or identity) is an empty table.
class CGroupTableBase : public CManagedObject {
public:
    ~CGroupTableBase() override;

    Status Unload() override { return Release(); }
    // Frees every name, member buffer, member array, the records and the index. 0.
    virtual Status Release();

    uint8_t IsLoaded() const { return m_loaded; }
    uint32_t GetCount() const { return m_count; }
    const uint32_t* GetSortedIndex() const { return m_pSortedIndex; }

protected:
    CGroupTableBase(WorldData* pWorldData, GroupTableKind kind, size_t recordSize, const char16_t* missingLog);

    // The table's file into the records: 0 (also for a missing or foreign file); kStatusFailed
    // with the invalid-construction text for another version or a damaged file, kStatusFailed for
    // a member that does not resolve; kStatusOutOfMemory (latched).
    Status LoadTable();
    // The kind's own fields of record i from the file's record.
    virtual void TakeFields(uint32_t i, const GroupTableRecord& raw) = 0;
    GroupRecord* Record(uint32_t i) const
    {
        return reinterpret_cast<GroupRecord*>(m_pRecords + size_t(i) * m_recordSize);
    }
    // Bisection over the sorted index: the record index, -1 when no name equals it.
    int32_t FindByName(const char* name) const;

private:
    CNimbrelWorld* GetWorld() const;
    Status TakeRecord(uint32_t i, GroupTableRecord& raw);

    GroupTableKind m_kind;
    size_t m_recordSize;
    const char16_t* m_missingLog;
    uint8_t m_loaded = 0;
    uint8_t* m_pRecords = nullptr;  // m_count records of m_recordSize bytes
    uint32_t m_count = 0;
    uint32_t* m_pSortedIndex = nullptr;
};

class CLabels : public CGroupTableBase {
public:
    explicit CLabels(WorldData* pWorldData);

    Status Load() override { return LoadLabels(); }
    virtual Status LoadLabels() { return LoadTable(); }

    int32_t FindLabelByName(const char* name) const { return FindByName(name); }
    // Null outside the table.
    const LabelRecord* GetLabel(int32_t index) const
    {
        return index >= 0 && uint32_t(index) < GetCount() ? reinterpret_cast<const LabelRecord*>(Record(index))
                                                           : nullptr;
    }
    LabelRecord* GetLabel(int32_t index)
    {
        return const_cast<LabelRecord*>(static_cast<const CLabels*>(this)->GetLabel(index));
    }

protected:
    void TakeFields(uint32_t i, const GroupTableRecord& raw) override;
};

class CGroups : public CGroupTableBase {
public:
    explicit CGroups(WorldData* pWorldData);

    Status Load() override { return LoadGroups(); }
    virtual Status LoadGroups() { return LoadTable(); }

    int32_t FindGroupByName(const char* name) const { return FindByName(name); }
    // Null outside the table.
    const GroupRecord* GetGroup(int32_t index) const
    {
        return index >= 0 && uint32_t(index) < GetCount() ? Record(index) : nullptr;
    }

protected:
    void TakeFields(uint32_t, const GroupTableRecord&) override {}
};
