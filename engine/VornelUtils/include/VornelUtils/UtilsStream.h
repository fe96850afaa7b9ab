#pragma once
// Byte streams: one interface over a file, a block in memory and a pack entry.
//
// Strings are stored as u32 character count including the terminator (0 for a null string,
// and nothing follows), u8 character size (2 wide, 1 8-bit), then the characters with the
// terminator; with the invert flag every character before the terminator is stored with all
// its bits inverted. Numbers are little-endian unless a swap bit of the mode applies.
#include <cstdint>

#include "VornelUtils/Status.h"

// Mode word bits.
constexpr uint8_t kStreamRead = 0x01;
constexpr uint8_t kStreamWrite = 0x02;
constexpr uint8_t kStreamSwapOnRead = 0x10;   // 2- and 4-byte elements byte-swapped after each read
constexpr uint8_t kStreamSwapOnWrite = 0x20;  // 2- and 4-byte elements written byte-swapped (file)
constexpr uint8_t kStreamGrowable = 0x40;     // memory: may start without a block
constexpr uint8_t kStreamOwned = 0x80;        // memory: the block is the stream's (with growable: writes grow it)
constexpr uint8_t kStreamReadWriteGrowable = kStreamRead | kStreamWrite | kStreamGrowable | kStreamOwned;

enum StreamOrigin : int { kSeekStart = 0, kSeekCurrent = 1, kSeekEnd = 2 };

class UtilsStream {
public:
    explicit UtilsStream(uint8_t mode) : m_mode(mode) {}
    virtual ~UtilsStream() = default;

    UtilsStream(const UtilsStream&) = delete;
    UtilsStream& operator=(const UtilsStream&) = delete;

    virtual Status Open() = 0;
    virtual Status Close() = 0;
    // The read hook that every derived read calls after reading: byte swap when asked; true.
    virtual bool Read(void* buffer, uint32_t elementSize, uint32_t count);
    virtual bool Write(const void* buffer, uint32_t elementSize, uint32_t count);
    virtual bool Seek(int64_t offset, int origin);
    virtual int64_t Tell();
    virtual bool Rewind();
    virtual bool IsEnd();
    // Reads a string into a new allocation (UtilsFree it); a stored count of 0 gives null and true.
    virtual bool ReadString(char16_t** pOut, bool invert);
    virtual bool ReadStringA(char** pOut, bool invert);
    virtual bool WriteString(const char16_t* text, bool invert);
    virtual bool WriteStringA(const char* text, bool invert);
    // With kStreamSwapOnRead: reverses the bytes of each 2- or 4-byte element in place.
    virtual void SwapBytes(void* buffer, uint32_t elementSize, uint32_t count);
    // Bytes from the current position to the end of the data; -1 when unknown.
    virtual int64_t BytesLeft() { return -1; }

    uint8_t GetMode() const { return m_mode; }

protected:
    uint8_t m_mode;
};
