#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "AudioTestSupport.h"
#include "VornelAudio/CWaveFile.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

// Opens the image through a memory stream, as the fuzzer does.
Status OpenBytes(CWaveFile& wave, Bytes& bytes)
{
    auto* stream = new UtilsStream_Static(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream->Open();
    return wave.OpenStream(stream);
}

Bytes Payload(size_t size, uint8_t first = 1)
{
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = uint8_t(first + i);
    return b;
}

TEST(WaveFileTest, HeaderCases)
{
    const Bytes fmt = Chunk("fmt ", FormatPayload(1, 1, 22050, 16));
    const Bytes data = Chunk("data", Payload(6));
    Bytes fmt14 = FormatPayload(1, 1, 22050, 16);
    fmt14.resize(14);
    Bytes adpcm = FormatPayload(2, 1, 22050, 4);
    PutU16(adpcm, 4);
    adpcm.insert(adpcm.end(), {0xF4, 0x01, 0x07, 0x00});
    Bytes adpcmTooLong = FormatPayload(2, 1, 22050, 4);
    PutU16(adpcmTooLong, 40);  // more extra bytes than the chunk holds
    const struct {
        const char* name;
        Bytes image;
        Status status;
        uint32_t dataSize;
    } cases[] = {
        {"plain", Riff({fmt, data}), kStatusOk, 6},
        {"form other than WAVE", Riff({fmt, data}, "AVI "), kStatusFailed, 0},
        {"not RIFF", [&] { Bytes b = Riff({fmt, data}); std::memcpy(b.data(), "RIFX", 4); return b; }(), kStatusFailed, 0},
        {"14-byte fmt", Riff({Chunk("fmt ", fmt14), data}), kStatusFailed, 0},
        {"ADPCM extra bytes", Riff({Chunk("fmt ", adpcm), data}), kStatusOk, 6},
        {"extra count past the chunk", Riff({Chunk("fmt ", adpcmTooLong), data}), kStatusFailed, 0},
        {"odd chunk first", Riff({Chunk("junk", Payload(3)), fmt, data}), kStatusOk, 6},
        {"LIST first, data before fmt", Riff({Chunk("LIST", Payload(10)), data, fmt}), kStatusOk, 6},
        {"empty data", Riff({fmt, Chunk("data", {})}), kStatusFailed, 0},
        {"no data", Riff({fmt}), kStatusFailed, 0},
        {"no fmt", Riff({data}), kStatusFailed, 0},
        {"data larger than the file", Riff({fmt, Chunk("data", Payload(6), 100000)}), kStatusOk, 6},
        {"chunk size past the end", Riff({Chunk("junk", Payload(2), 0xFFFFFFF0u), fmt, data}), kStatusFailed, 0},
        {"truncated header", Bytes{'R', 'I', 'F', 'F', 4, 0}, kStatusFailed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes image = c.image;
        CWaveFile wave(nullptr);
        EXPECT_EQ(OpenBytes(wave, image), c.status);
        EXPECT_EQ(wave.GetSize(), c.dataSize);
        EXPECT_EQ(wave.GetFormat() != nullptr, c.status == kStatusOk);
    }
}

TEST(WaveFileTest, FormatKeepsTheExtraBytesOfOtherFormats)
{
    Bytes adpcm = FormatPayload(kWaveFormatAdpcm, 2, 22050, 4);
    PutU16(adpcm, 4);
    adpcm.insert(adpcm.end(), {0xF4, 0x01, 0x07, 0x00});
    Bytes image = Riff({Chunk("fmt ", adpcm), Chunk("data", Payload(4))});
    CWaveFile wave(nullptr);
    ASSERT_EQ(OpenBytes(wave, image), kStatusOk);
    const WaveFormat* f = wave.GetFormat();
    EXPECT_EQ(f->formatTag, kWaveFormatAdpcm);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->samplesPerSec, 22050u);
    EXPECT_EQ(f->bitsPerSample, 4);
    ASSERT_EQ(f->extraSize, 4);
    EXPECT_EQ(Bytes(f->Extra(), f->Extra() + 4), (Bytes{0xF4, 0x01, 0x07, 0x00}));

    // PCM has no extra count, even when its chunk is longer.
    Bytes pcm = FormatPayload(kWaveFormatPcm, 1, 8000, 8);
    PutU16(pcm, 99);
    Bytes pcmImage = Riff({Chunk("fmt ", pcm), Chunk("data", Payload(4))});
    ASSERT_EQ(OpenBytes(wave, pcmImage), kStatusOk);
    EXPECT_EQ(wave.GetFormat()->extraSize, 0);
}

TEST(WaveFileTest, ReadsTheDataToItsEndAndAgainAfterReset)
{
    ScratchFolder folder;
    const Bytes samples = Payload(1300);
    const std::string path =
        folder.Write("read.wav", Riff({Chunk("LIST", Payload(5)), Chunk("fmt ", FormatPayload(1, 1, 8000, 8)),
                                       Chunk("data", samples)}));
    CWaveFile wave(nullptr);
    ASSERT_EQ(wave.Open(UtilsString_FromUtf8(path.c_str()).c_str()), kStatusOk);
    ASSERT_EQ(wave.GetSize(), 1300u);

    Bytes buffer(1000);
    uint32_t read = 0;
    ASSERT_EQ(wave.Read(buffer.data(), 1000, &read), kStatusOk);
    EXPECT_EQ(read, 1000u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), Bytes(samples.begin(), samples.begin() + 1000));
    ASSERT_EQ(wave.Read(buffer.data(), 1000, &read), kStatusOk);
    EXPECT_EQ(read, 300u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 300), Bytes(samples.begin() + 1000, samples.end()));
    ASSERT_EQ(wave.Read(buffer.data(), 1000, &read), kStatusOk);
    EXPECT_EQ(read, 0u);

    ASSERT_EQ(wave.ResetFile(), kStatusOk);
    ASSERT_EQ(wave.Read(buffer.data(), 1000, &read), kStatusOk);
    EXPECT_EQ(read, 1000u);
    EXPECT_EQ(buffer[0], samples[0]);

    EXPECT_EQ(wave.Read(nullptr, 10, &read), kStatusFailed);
    EXPECT_EQ(wave.Read(buffer.data(), 10, nullptr), kStatusFailed);
    EXPECT_EQ(wave.Open(u"/nonexistent/file.wav"), kStatusFailed);
    EXPECT_EQ(wave.GetFormat(), nullptr);
    EXPECT_EQ(wave.Read(buffer.data(), 10, &read), kStatusFailed);
}

TEST(WaveFileTest, MemoryModeReadsTheBlockOnward)
{
    const Bytes block = Payload(10);
    CWaveFile wave(nullptr);
    uint32_t read = 0;
    Bytes buffer(8);
    EXPECT_EQ(wave.Read(buffer.data(), 4, &read), kStatusFailed);  // nothing open
    ASSERT_EQ(wave.OpenFromMemory(block.data(), uint32_t(block.size()), nullptr), kStatusOk);
    EXPECT_EQ(wave.GetFormat(), nullptr);
    ASSERT_EQ(wave.Read(buffer.data(), 4, &read), kStatusOk);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(buffer[0], block[0]);
    ASSERT_EQ(wave.Read(buffer.data(), 8, &read), kStatusOk);
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(buffer[0], block[4]);
    ASSERT_EQ(wave.Read(buffer.data(), 8, &read), kStatusOk);
    EXPECT_EQ(read, 0u);
    ASSERT_EQ(wave.ResetFile(), kStatusOk);
    ASSERT_EQ(wave.Read(buffer.data(), 2, &read), kStatusOk);
    EXPECT_EQ(buffer[0], block[0]);
}

}  // namespace
