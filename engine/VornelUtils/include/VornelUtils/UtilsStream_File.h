#pragma once
// A stream over a file: "r+b" when readable and writable, "rb" when readable, "wb" when writable.
#include <cstdint>
#include <cstdio>

#include "VornelUtils/UtilsStream.h"

class UtilsStream_File : public UtilsStream {
public:
    UtilsStream_File(uint8_t mode, const char16_t* path);
    ~UtilsStream_File() override;

    Status Open() override;   // kStatusFailed when the file cannot be opened
    Status Close() override;  // kStatusFailed when the last writes cannot reach the file
    bool Read(void* buffer, uint32_t elementSize, uint32_t count) override;
    bool Write(const void* buffer, uint32_t elementSize, uint32_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    bool Rewind() override;
    bool IsEnd() override;
    int64_t BytesLeft() override;
    // Creates or truncates the file, then opens it with the stream's mode.
    virtual Status Create();

    const char16_t* GetPath() const { return m_pPath; }

private:
    char16_t* m_pPath = nullptr;
    std::FILE* m_pFile = nullptr;
};
