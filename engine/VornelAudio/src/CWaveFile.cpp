#include "VornelAudio/CWaveFile.h"

#include <cstring>
#include <new>

#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_File.h"

namespace {

constexpr uint32_t kRiffHeaderSize = 12;  // "RIFF", size, form type
constexpr uint32_t kChunkHeaderSize = 8;  // id, size
constexpr uint32_t kFormatCoreSize = 16;  // the PCM part of every format chunk

uint16_t ReadU16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

CWaveFile::CWaveFile(WorldData* pWorldData) : CBaseObject(pWorldData) {}

CWaveFile::~CWaveFile()
{
    CWaveFile::Release();
}

void CWaveFile::CloseStream()
{
    if (m_pStream) {
        m_pStream->Close();
        delete m_pStream;
        m_pStream = nullptr;
    }
}

Status CWaveFile::Release()
{
    CloseStream();
    UTILS_FREE(m_pFormat);
    m_pFormat = nullptr;
    m_dataSize = m_dataLeft = 0;
    return kStatusOk;
}

Status CWaveFile::OpenFromMemory(const void* data, uint32_t size, const WaveFormat*)
{
    m_memoryMode = true;
    m_pBlock = m_pReadPointer = static_cast<const uint8_t*>(data);
    m_blockSize = data ? size : 0;
    return kStatusOk;
}

Status CWaveFile::Open(const char16_t* path)
{
    auto* pStream = new (std::nothrow) UtilsStream_File(kStreamRead, path);
    if (!pStream)
        return kStatusFailed;
    if (Failed(pStream->Open())) {
        delete pStream;
        Release();
        return kStatusFailed;
    }
    return OpenStream(pStream);
}

Status CWaveFile::OpenStream(UtilsStream* pStream)
{
    m_memoryMode = false;
    Release();
    m_pStream = pStream;
    if (!m_pStream || Failed(ReadHeader())) {
        Release();
        return kStatusFailed;
    }
    if (Failed(ResetFile()) || m_dataSize == 0) {
        Release();
        return kStatusFailed;
    }
    return kStatusOk;
}

bool CWaveFile::FindChunk(const char id[4], uint32_t from, uint32_t* pSize)
{
    uint32_t position = from;
    while (position <= m_riffEnd && m_riffEnd - position >= kChunkHeaderSize) {
        uint8_t header[kChunkHeaderSize];
        if (!m_pStream->Seek(position, kSeekStart) || !m_pStream->Read(header, 1, kChunkHeaderSize))
            return false;
        const uint32_t size = ReadU32(header + 4);
        position += kChunkHeaderSize;
        if (std::memcmp(header, id, 4) == 0) {
            *pSize = size;
            return true;
        }
        // A chunk of odd size is followed by one pad byte.
        const uint64_t next = uint64_t(position) + size + (size & 1);
        if (next > m_riffEnd)
            return false;
        position = static_cast<uint32_t>(next);
    }
    return false;
}

Status CWaveFile::ReadHeader()
{
    if (!m_pStream->Seek(0, kSeekEnd))
        return kStatusFailed;
    const int64_t fileSize = m_pStream->Tell();
    uint8_t riff[kRiffHeaderSize];
    if (fileSize < kRiffHeaderSize || !m_pStream->Seek(0, kSeekStart) || !m_pStream->Read(riff, 1, kRiffHeaderSize))
        return kStatusFailed;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return kStatusFailed;
    // Writers that could not seek back leave the RIFF size wrong: the file's end bounds it too.
    const uint64_t declaredEnd = uint64_t(kChunkHeaderSize) + ReadU32(riff + 4);
    const uint64_t end = declaredEnd < uint64_t(fileSize) ? declaredEnd : uint64_t(fileSize);
    m_riffEnd = static_cast<uint32_t>(end < 0xFFFFFFFFu ? end : 0xFFFFFFFFu);

    uint32_t chunkSize = 0;
    if (!FindChunk("fmt ", kRiffHeaderSize, &chunkSize) || chunkSize < kFormatCoreSize)
        return kStatusFailed;
    uint8_t core[kFormatCoreSize];
    if (!m_pStream->Read(core, 1, kFormatCoreSize))
        return kStatusFailed;
    const uint16_t formatTag = ReadU16(core);
    uint16_t extraSize = 0;
    // Only formats other than PCM carry a count of extra bytes, and only when the chunk has room
    // for it (a 16-byte chunk of another format has none).
    if (formatTag != kWaveFormatPcm && chunkSize >= kFormatCoreSize + 2) {
        uint8_t count[2];
        if (!m_pStream->Read(count, 1, 2))
            return kStatusFailed;
        extraSize = ReadU16(count);
        if (extraSize > chunkSize - kFormatCoreSize - 2)
            return kStatusFailed;
    }
    auto* pFormat = static_cast<WaveFormat*>(UTILS_MALLOC(sizeof(WaveFormat) + extraSize));
    if (!pFormat)
        return kStatusFailed;
    pFormat->formatTag = formatTag;
    pFormat->channels = ReadU16(core + 2);
    pFormat->samplesPerSec = ReadU32(core + 4);
    pFormat->avgBytesPerSec = ReadU32(core + 8);
    pFormat->blockAlign = ReadU16(core + 12);
    pFormat->bitsPerSample = ReadU16(core + 14);
    pFormat->extraSize = extraSize;
    if (extraSize && !m_pStream->Read(pFormat + 1, 1, extraSize)) {
        UTILS_FREE(pFormat);
        return kStatusFailed;
    }
    m_pFormat = pFormat;
    return kStatusOk;
}

Status CWaveFile::ResetFile()
{
    if (m_memoryMode) {
        m_pReadPointer = m_pBlock;
        return kStatusOk;
    }
    if (!m_pStream)
        return kStatusFailed;
    uint32_t size = 0;
    if (!FindChunk("data", kRiffHeaderSize, &size))
        return kStatusFailed;
    // A data chunk that claims more than the file holds is read as far as the file goes.
    const int64_t position = m_pStream->Tell();
    const uint32_t available = position >= 0 && position <= m_riffEnd ? m_riffEnd - static_cast<uint32_t>(position) : 0;
    m_dataSize = m_dataLeft = size < available ? size : available;
    return kStatusOk;
}

Status CWaveFile::Read(void* buffer, uint32_t count, uint32_t* pRead)
{
    if (m_memoryMode) {
        if (!m_pReadPointer)
            return kStatusFailed;
        const uint32_t left = m_blockSize - static_cast<uint32_t>(m_pReadPointer - m_pBlock);
        const uint32_t n = count < left ? count : left;
        if (n && buffer)
            std::memcpy(buffer, m_pReadPointer, n);
        m_pReadPointer += buffer ? n : 0;
        if (pRead)
            *pRead = buffer ? n : 0;
        return kStatusOk;
    }
    if (!m_pStream || !buffer || !pRead)
        return kStatusFailed;
    *pRead = 0;
    const uint32_t n = count < m_dataLeft ? count : m_dataLeft;
    if (n && !m_pStream->Read(buffer, 1, n))
        return kStatusFailed;
    m_dataLeft -= n;
    *pRead = n;
    return kStatusOk;
}
