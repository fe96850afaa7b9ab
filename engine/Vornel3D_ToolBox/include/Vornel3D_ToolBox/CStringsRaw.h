#pragma once
// One string table: every string (UCS-2, each with its terminator) back to back in one
// character block, and the offset of each string in characters from the block's start.
//
// File form, little-endian, fields back to back:
//   u8 character size (2), u32 character count (terminators included), u8 offset width
//   (1, 2 or 4), u32 string count, the characters, then the offsets at their width.
// A table is checked as it is read: the counts against the bytes left before anything is
// allocated, every offset inside the text and not below the one before, the text ending with
// a terminator, so every string ends inside the block.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class UtilsStream;

constexpr uint8_t kStringsCharSize = 2;

class CStringsRaw : public CBaseObject {
public:
    explicit CStringsRaw(WorldData* pWorldData);
    ~CStringsRaw() override;

    // Reads a table from the stream and replaces this one with it: 0. A bad or short table
    // gives kStatusFailed and leaves this one as it was.
    virtual Status Load(UtilsStream* pStream);
    // Frees both arrays; the table is then empty.
    virtual void Unload();
    // The string, or an empty string when the index is not below the count.
    virtual const char16_t* GetString(uint32_t index) const;
    // Characters from the string's start to the next one's (its terminator included; the last
    // runs to the end of the block); 0 for an index not below the count.
    virtual uint32_t GetLength(uint32_t index) const;
    // Inserts a copy of the text before the string at index, or appends it (index -1, an empty
    // table, or index equal to the count): the new string's index. -1 when out of memory or
    // for an index above the count of a non-empty table.
    virtual int32_t Insert(const char16_t* text, int32_t index);
    // The string at index becomes a copy of the text: 0; kStatusFailed for an index not below
    // the count or out of memory (the old string then stays).
    virtual Status Replace(const char16_t* text, uint32_t index);
    // Removes the string at index: 0 (an empty table is left alone); kStatusFailed for an
    // index not below the count.
    virtual Status Remove(uint32_t index);
    // Moves the string at `from` to stand before the string now at `to` (`to` equal to the
    // count: to the end): 0. kStatusFailed for an index out of range; kStatusOutOfMemory,
    // also latched in the world, when the copy cannot be made (the table is then unchanged).
    virtual Status Move(uint32_t from, uint32_t to);

    // Writes the table in its file form, the offsets at the smallest width that holds them.
    Status Save(UtilsStream* pStream) const;
    // This table becomes `first`'s strings followed by `second`'s, so string k of `second`
    // gets index first.GetCount() + k: 0. Out of memory leaves this table empty and gives
    // kStatusFailed. Neither part may be this table.
    Status Join(const CStringsRaw& first, const CStringsRaw& second);

    uint32_t GetCount() const { return m_nCount; }
    uint32_t GetTotalChars() const { return m_nTotalChars; }

private:
    // Both arrays at the new sizes (the old content kept); false when out of memory.
    bool Grow(uint32_t totalChars, uint32_t count);

    char16_t* m_pText = nullptr;
    uint32_t m_nTotalChars = 0;
    uint32_t* m_pOffsets = nullptr;
    uint32_t m_nCount = 0;
};
