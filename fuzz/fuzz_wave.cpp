// WAV files from any bytes, through the same parse as files on disk: the header, the format
// and the whole data chunk read in pieces, then once more after a rewind.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "VornelAudio/CWaveFile.h"
#include "VornelUtils/UtilsStream_Static.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size + 1));
    if (size != 0)
        std::memcpy(bytes, data, size);
    auto* stream = new (std::nothrow) UtilsStream_Static(kStreamRead, size != 0 ? bytes : nullptr,
                                                         static_cast<uint32_t>(size));
    if (stream)
        stream->Open();
    CWaveFile wave(nullptr);
    if (stream && wave.OpenStream(stream) == kStatusOk) {
        const WaveFormat* format = wave.GetFormat();
        volatile uint32_t sum = format->channels + format->extraSize;
        for (uint16_t i = 0; i < format->extraSize; ++i)
            sum = sum + format->Extra()[i];
        for (int pass = 0; pass < 2; ++pass) {
            uint8_t buffer[257];
            uint32_t read = 0;
            uint64_t total = 0;
            while (wave.Read(buffer, sizeof buffer, &read) == kStatusOk && read != 0)
                total += read;
            if (total != wave.GetSize())
                std::abort();
            wave.ResetFile();
        }
    }
    wave.Release();
    std::free(bytes);
    return 0;
}
