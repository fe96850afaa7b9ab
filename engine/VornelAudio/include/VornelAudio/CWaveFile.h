#pragma once
// The WAV reader: parses a RIFF "WAVE" file (chunks in any order, odd sizes padded), keeps its
// format and reads the bytes of its "data" chunk. One parse serves files and streams over
// memory. A second mode reads a raw block of samples in memory without any header.
#include <cstdint>

#include "VornelUtils/BaseObject.h"
#include "VornelUtils/Status.h"

class UtilsStream;

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatAdpcm = 2;

// The file's format chunk: the 16 bytes every WAV file has, the count of extra bytes and the
// extra bytes themselves, which follow the record in the same allocation.
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;  // 0 for PCM

    const uint8_t* Extra() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};

class CWaveFile : public CBaseObject {
public:
    explicit CWaveFile(WorldData* pWorldData);
    ~CWaveFile() override;

    virtual Status Init() { return kStatusOk; }
    // Closes the file and frees the format. 0.
    virtual Status Release();
    // Raw-block mode: Read hands out the block's bytes from its start; no format. 0.
    virtual Status OpenFromMemory(const void* data, uint32_t size, const WaveFormat* pFormat);
    virtual Status Reserved() { return kStatusFailed; }
    // Parses the file and stands at the start of its data. 0x80000001 when the file cannot be
    // opened, is no WAVE file, has no usable format chunk or an empty or missing data chunk.
    virtual Status Open(const char16_t* path);
    // Up to `count` bytes of the data; *pRead gets how many (0 at the end). 0x80000001 without
    // an open file, a buffer or pRead, or when the file cannot be read.
    virtual Status Read(void* buffer, uint32_t count, uint32_t* pRead);

    // Open over a stream: the reader owns it from here, whatever the result.
    Status OpenStream(UtilsStream* pStream);
    // Back to the first byte of the data. 0x80000001 when no data chunk can be found.
    Status ResetFile();

    // Null until a file is open.
    const WaveFormat* GetFormat() const { return m_pFormat; }
    // Bytes of the data chunk (no more than the file holds).
    uint32_t GetSize() const { return m_dataSize; }
    // Bytes of the data still to read.
    uint32_t GetBytesLeft() const { return m_dataLeft; }

private:
    Status ReadHeader();
    // Seeks from `from` to the chunk with this id inside the RIFF chunk; its size out.
    bool FindChunk(const char id[4], uint32_t from, uint32_t* pSize);
    void CloseStream();

    WaveFormat* m_pFormat = nullptr;
    UtilsStream* m_pStream = nullptr;
    uint32_t m_riffEnd = 0;     // end of the RIFF chunk's data, no further than the file
    uint32_t m_dataSize = 0;
    uint32_t m_dataLeft = 0;
    bool m_memoryMode = false;
    const uint8_t* m_pBlock = nullptr;
    const uint8_t* m_pReadPointer = nullptr;
    uint32_t m_blockSize = 0;
};
