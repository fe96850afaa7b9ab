#pragma once
// WAV images built byte by byte for the tests, and a scratch folder for files.
#include <filesystem>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSystem.h"

#ifndef _WIN32
#include "VornelAudio/CAudioEngineAL.h"
#endif

class CAudioEngine;
class CAudioObject;
struct WorldData;

// Each module's test file gives the shared tests its engine, started on a device the tests can
// hear (null when it cannot start), and a sound of the module that no engine made.
CAudioEngine* StartTestAudioEngine(WorldData* pWorldData);
CAudioObject* MakeLooseTestSound(WorldData* pWorldData);

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

inline void PutU32(Bytes& b, uint32_t v)
{
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

inline void PutTag(Bytes& b, const char* tag)
{
    b.insert(b.end(), tag, tag + 4);
}

// A chunk with its header and, for an odd size, the pad byte.
inline Bytes Chunk(const char* tag, const Bytes& payload, uint32_t declaredSize = 0xFFFFFFFFu)
{
    Bytes b;
    PutTag(b, tag);
    PutU32(b, declaredSize != 0xFFFFFFFFu ? declaredSize : uint32_t(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    if (payload.size() & 1)
        b.push_back(0);
    return b;
}

inline Bytes FormatPayload(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes b;
    const uint16_t align = uint16_t(channels * bits / 8);
    PutU16(b, tag);
    PutU16(b, channels);
    PutU32(b, rate);
    PutU32(b, rate * align);
    PutU16(b, align);
    PutU16(b, bits);
    return b;
}

// "RIFF" <size> <form> and the chunks.
inline Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE")
{
    Bytes body;
    PutTag(body, form);
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    PutTag(b, "RIFF");
    PutU32(b, uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// 16-bit PCM samples, interleaved.
inline Bytes PcmBytes(const std::vector<int16_t>& samples)
{
    Bytes b;
    for (int16_t s : samples)
        PutU16(b, uint16_t(s));
    return b;
}

inline Bytes PcmWave(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples)
{
    return Riff({Chunk("fmt ", FormatPayload(1, channels, rate, 16)), Chunk("data", PcmBytes(samples))});
}

// A sine of `hz` at `amplitude` (0..1) in every channel.
inline std::vector<int16_t> Tone(uint16_t channels, uint32_t rate, double hz, double seconds, double amplitude)
{
    const size_t frames = size_t(rate * seconds);
    std::vector<int16_t> samples(frames * channels);
    for (size_t i = 0; i < frames; ++i) {
        const double turn = 2.0 * 3.14159265358979323846 * hz * double(i) / rate;
        const int16_t v = int16_t(std::lround(amplitude * 32767.0 * std::sin(turn)));
        for (uint16_t c = 0; c < channels; ++c)
            samples[i * channels + c] = v;
    }
    return samples;
}

// A folder removed with its files when the object goes.
class ScratchFolder {
public:
    ScratchFolder() : m_path(TestSystem_MakeTempFolder("vornel_audio_")) {}
    ~ScratchFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = m_path + "/" + name;
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

#ifndef _WIN32
// The loopback mix of the next `frames` stereo frames, RMS of its left channel.
inline double LoopbackRms(CAudioEngineAL* engine, uint32_t frames)
{
    std::vector<float> out(size_t(frames) * 2);
    engine->RenderLoopback(out.data(), frames);
    double sum = 0;
    for (uint32_t i = 0; i < frames; ++i)
        sum += double(out[2 * i]) * out[2 * i];
    return std::sqrt(sum / frames);
}
#endif
