#pragma once
// A read-only stream over the pack entry that the pack locator positioned. Positions count
// from the entry's first data byte; reads never pass the entry's end.
#include <cstdint>

#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/WorldData.h"

class UtilsStream_Packer : public UtilsStream {
public:
    UtilsStream_Packer(uint8_t mode, PackRecord* pPack);
    ~UtilsStream_Packer() override = default;

    // Takes the entry the pack stands at (its data offset and size); kStatusFailed when
    // writable or when no pack file is open.
    Status Open() override;
    Status Close() override;
    bool Read(void* buffer, uint32_t elementSize, uint32_t count) override;
    bool Write(const void* buffer, uint32_t elementSize, uint32_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    bool Rewind() override;
    bool IsEnd() override;
    int64_t BytesLeft() override;

    uint32_t GetEntrySize() const { return m_entrySize; }

private:
    PackRecord* m_pPack;
    uint32_t m_position = 0;
    int64_t m_dataOffset = -1;  // file offset of the entry's first data byte, -1 when not open
    uint32_t m_entrySize = 0;
};
