// Loading a 10 MB WAV file into a sound (the WAV parse, one read, one OpenAL buffer and its
// source) against the least any loader must do: one fread of the data into memory and
// alBufferData. Both run on a loopback device, so no sound card is needed.
#include <AL/al.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/WaveWriter.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kDataBytes = 10u * 1024 * 1024;
constexpr long kHeaderBytes = 44;  // the writer's canonical header

struct BenchSound {
    std::filesystem::path path;
    WorldData world{};
    CAudioEngineAL engine{&world};
    bool ready = false;

    BenchSound()
    {
        path = std::filesystem::temp_directory_path() / ("vornel-bench-" + std::to_string(std::random_device()()) + ".wav");
        std::vector<uint8_t> pcm(kDataBytes);
        std::mt19937 random(7);
        for (uint8_t& byte : pcm)
            byte = uint8_t(random());
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return;
        const bool written = Succeeded(Wave_WritePcm(file, kRate, 16, 2, pcm));
        ready = std::fclose(file) == 0 && written;
        world.dataPathWord = -1;
        ready = ready && Succeeded(engine.InitLoopback(kRate));
    }
    ~BenchSound()
    {
        engine.Release();
        std::filesystem::remove(path);
    }
};

BenchSound& Sound()
{
    static BenchSound sound;
    return sound;
}

void BM_LoadIntoSound(benchmark::State& state)
{
    BenchSound& bench = Sound();
    if (!bench.ready) {
        state.SkipWithError("no test file or no loopback device");
        return;
    }
    const std::u16string path = UtilsString_FromUtf8(bench.path.c_str());
    for (auto _ : state) {
        CAudioObject* sound = bench.engine.CreateObject(0, 0);
        if (!sound || Failed(sound->LoadFromFile(path.c_str(), 0))) {
            state.SkipWithError("load failed");
            return;
        }
        bench.engine.ReleaseObject(sound);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kDataBytes);
}
BENCHMARK(BM_LoadIntoSound)->Unit(benchmark::kMillisecond);

void BM_FreadIntoBuffer(benchmark::State& state)
{
    BenchSound& bench = Sound();
    if (!bench.ready) {
        state.SkipWithError("no test file or no loopback device");
        return;
    }
    std::vector<uint8_t> data(kDataBytes);
    for (auto _ : state) {
        std::FILE* file = std::fopen(bench.path.c_str(), "rb");
        if (!file || std::fseek(file, kHeaderBytes, SEEK_SET) != 0 ||
            std::fread(data.data(), 1, data.size(), file) != data.size()) {
            state.SkipWithError("read failed");
            return;
        }
        std::fclose(file);
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        alBufferData(buffer, AL_FORMAT_STEREO16, data.data(), ALsizei(data.size()), ALsizei(kRate));
        alDeleteBuffers(1, &buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kDataBytes);
}
BENCHMARK(BM_FreadIntoBuffer)->Unit(benchmark::kMillisecond);

}  // namespace
