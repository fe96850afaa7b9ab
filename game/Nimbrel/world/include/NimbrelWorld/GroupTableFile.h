#pragma once
// The three tables of "groups/" that the construction tool writes beside the construction file:
// labels ("_labels_groups.raw"), item groups ("_items_groups.raw") and popup groups
// ("_popups_groups.raw"). After the header (u16 20 and the identity text, read by the managed
// world's construction check) come, all little-endian: u32 version 20, u32 record count N, the
// N records, and for labels and item groups the sorted index (N x u32, record indices in
// ascending byte order of the names).
//   label:       name, u32 word 1, u32 word 2, u8 byte 1, u8 byte 2, u32 M, M references
//   item group:  name, u32 M, M references
//   popup group: name, u32 value
// Every text is a u32 byte count n (1 to 4096, the terminator included) and n bytes ending in
// a terminator; a reference is "@level@element".
#include <cstdint>

#include "VornelUtils/Status.h"

class UtilsStream;
struct WorldData;

constexpr uint16_t kGroupTableHeaderVersion = 20;
constexpr uint32_t kGroupTableVersion = 20;
constexpr uint32_t kGroupTextLimit = 4096;

enum GroupTableKind : uint32_t { kGroupTableLabels, kGroupTableItems, kGroupTablePopups, kGroupTableKindCount };

// "groups/_labels_groups.raw", "groups/_items_groups.raw", "groups/_popups_groups.raw".
const char16_t* GroupTableFileName(GroupTableKind kind);

// One record as the file holds it; the fields a kind does not have stay 0.
struct GroupTableRecord {
    char* pName;            // owned
    uint32_t word1, word2;  // labels
    uint8_t byte1, byte2;   // labels
    uint32_t value;         // popup groups
    uint32_t memberCount;
    char** ppMembers;       // owned, memberCount owned references
};

struct GroupTable {
    GroupTableRecord* pRecords;  // owned, count records
    uint32_t count;
    uint32_t* pSortedIndex;      // owned, count entries; null for popup groups and when empty
};

// The body after the header: version, records and sorted index, into an empty table. 0;
// kStatusMismatch for another version; kStatusFailed for a short read, a text without its
// terminator or outside 1 to 4096 bytes, a count that the bytes left cannot hold, an index entry
// not below the count or an index whose names descend; kStatusOutOfMemory (latched in the world
// data when there is one). What was read before a failure stays in the table for GroupTable_Free.
Status GroupTable_Read(UtilsStream* pStream, GroupTableKind kind, GroupTable* pTable, WorldData* pWorldData);
void GroupTable_Free(GroupTable* pTable);

// The whole file, header included, with the sorted index made from the names (a label or group
// index is ignored). 0, or kStatusFailed when the stream refuses a write, the identity takes more
// than 259 bytes or a text is empty or longer than 4095 bytes.
Status GroupTable_Write(UtilsStream* pStream, const char* identity, GroupTableKind kind, const GroupTable& table);
