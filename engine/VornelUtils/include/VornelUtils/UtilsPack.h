#pragma once
// The resource pack: from the record's start offset, records back to back, each
//   u32 data size, u32 name length (the name's bytes with their terminating zero, 1..259),
//   the name scrambled with kScrambleKey (byte i with key byte i mod 4), the data.
// A record named "*=N" (no data) gives the number N of ordinary records that follow; a pack
// that is to be indexed starts with one. Names are keys, compared exactly (case-sensitive).
#include <cstdint>

#include "VornelUtils/Status.h"
#include "VornelUtils/WorldData.h"

// Name bytes of a record, the terminator included, must stay below this.
constexpr uint32_t kPackNameLimit = 260;

struct PackIndexEntry {
    uint32_t dataSize;
    uint32_t dataOffset;  // from the file start
    uint32_t nameOffset;  // into the name pool
};

// The sorted index of a pack, built by BuildPackIndex and owned by the pack record.
struct PackIndex {
    uint32_t* pOrder;           // entry numbers in ascending name order
    uint32_t orderCount;
    char* pNamePool;            // every name with its zero, unscrambled, back to back
    uint32_t namePoolSize;
    PackIndexEntry* pEntries;   // in file order
    uint32_t entryCount;
};

// Opens the pack file ("rb") into the record, closing any pack it held; kStatusPackMissing
// when the file cannot be opened.
Status OpenPackFile(PackRecord* pPack, const char16_t* path, uint32_t startOffset);
// Frees the index and closes the file.
void ClosePackFile(PackRecord* pPack);

// The pack locator: on success the pack file stands at the entry's first data byte and the
// record holds the entry's data size and name; kStatusFailed when the name is not found or
// the pack is unreadable. Goes through the index when there is one.
Status FindPackEntry(const char16_t* name, PackRecord* pPack);
// The same by bisection over the index.
Status FindPackEntryIndexed(const char16_t* name, PackRecord* pPack, const PackIndex* pIndex);

// Builds the sorted index: 0 (a pack that holds no entries gets no index: there is nothing
// to look up); kStatusFailed on a read or format failure (a pack without a leading count
// record cannot be indexed); kStatusOutOfMemory, also latched in the world's last error code,
// when out of memory. On failure the record keeps no index, so lookups go on by scan.
Status BuildPackIndex(PackRecord* pPack, WorldData* pWorldData);
// Frees the index and clears the record's pointer; 0.
Status FreePackIndex(PackRecord* pPack);

// Calls visit(context, name, dataSize, dataOffset) for each ordinary record in file order
// until it returns false (the file then stands at that entry's data). Ends after the
// count record's N entries or, without one, at the end of the file: 0. kStatusFailed on a
// bad or short record. *pCounted tells whether a count record ended the walk.
using PackEntryVisitor = bool (*)(void* context, const char* name, uint32_t dataSize, uint32_t dataOffset);
Status WalkPackEntries(PackRecord* pPack, PackEntryVisitor visit, void* context, bool* pCounted = nullptr);
