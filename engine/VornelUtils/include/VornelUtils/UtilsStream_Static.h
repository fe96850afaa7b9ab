#pragma once
// A stream over a block in memory. With kStreamGrowable | kStreamOwned it may start without a
// block, owns it, and grows it when a write crosses the end.
#include <cstdint>

#include "VornelUtils/UtilsStream.h"

class UtilsStream_Static : public UtilsStream {
public:
    UtilsStream_Static(uint8_t mode, void* block, uint32_t size, uint32_t ownerWord = 0);
    ~UtilsStream_Static() override;

    Status Open() override;   // 0 when growable or a block is set
    Status Close() override;  // frees an owned growable block
    bool Read(void* buffer, uint32_t elementSize, uint32_t count) override;
    bool Write(const void* buffer, uint32_t elementSize, uint32_t count) override;
    bool Seek(int64_t offset, int origin) override;  // fails outside [0, size]
    int64_t Tell() override;
    bool Rewind() override;
    bool IsEnd() override;
    int64_t BytesLeft() override;

    // Points the stream at another block (not copied; freed on close only when owned).
    void SetBlock(void* block, uint32_t size);
    uint8_t* GetBlock() const { return m_pBlock; }
    uint32_t GetSize() const { return m_size; }
    uint32_t GetOwnerWord() const { return m_ownerWord; }
    void SetOwnerWord(uint32_t word) { m_ownerWord = word; }

private:
    bool OwnsBlock() const { return (m_mode & (kStreamGrowable | kStreamOwned)) == (kStreamGrowable | kStreamOwned); }

    uint32_t m_size = 0;       // end of the data
    uint8_t* m_pBlock = nullptr;
    uint32_t m_position = 0;
    uint32_t m_ownerWord = 0;
    uint32_t m_capacity = 0;   // bytes allocated, the spare room after the data included
};
