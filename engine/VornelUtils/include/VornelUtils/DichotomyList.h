#pragma once
// Orders 8-bit names for the pack index: pairs {name, value} in, values out in ascending
// name order (bytes compared unsigned; equal names in reverse order of addition).
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"

struct DichotomyPair {
    const char* pKey;  // not owned
    uint32_t value;
};

class DichotomyList : public CBaseObject {
public:
    explicit DichotomyList(WorldData* pWorldData);
    // Frees the pairs (not the keys).
    ~DichotomyList() override;

    // Appends a pair; kStatusOutOfMemory when it cannot be allocated (the list is unchanged).
    Status Add(const char* pKey, uint32_t value);
    // A new array (UtilsFree it) of the GetCount() values in ascending key order; null when
    // the list is empty or out of memory.
    uint32_t* Sort();
    uint32_t GetCount() const { return m_count; }

    // Unsigned byte comparison up to the first difference or the common terminator: <0, 0, >0.
    static int CompareKeys(const char* a, const char* b);

    // Bisection over an index that Sort made: the value whose key (keyOf(context, value); null
    // reads as "") equals `key`, or -1. A null or empty key, or an empty index, finds nothing.
    // The probe halves the remaining range each step and stops when it no longer moves.
    using KeyOfFn = const char* (*)(const void* context, uint32_t value);
    static int32_t Find(const uint32_t* index, uint32_t count, const char* key, KeyOfFn keyOf,
                        const void* context);

private:
    CFIFOList m_pairs;
    uint32_t m_count = 0;
};
