// The cost of a durable profile save at every level change: a 1 MB profile (its size once the
// scene objects' state is in it) written through the atomic writer, against fwrite of the same
// bytes into the same folder without any sync.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "VornelPlatform/PlatformFile.h"

namespace {

constexpr size_t kProfileBytes = 1 << 20;

struct BenchFolder {
    std::filesystem::path folder;
    std::vector<char> bytes;

    BenchFolder() : bytes(kProfileBytes)
    {
        folder = std::filesystem::temp_directory_path() / ("vornel-bench-profile-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder);
        std::mt19937 random(7);
        for (char& b : bytes)
            b = static_cast<char>(random());
    }
    ~BenchFolder() { std::filesystem::remove_all(folder); }
    std::string File(const char* name) const { return (folder / name).string(); }
};

BenchFolder& Folder()
{
    static BenchFolder folder;
    return folder;
}

void BM_ProfileSaveAtomic(benchmark::State& state)
{
    BenchFolder& f = Folder();
    const std::string target = f.File("Game.v3.profile_full_0.sav");
    for (auto _ : state)
        if (!Platform_WriteFileAtomic(target.c_str(), f.bytes.data(), f.bytes.size()))
            state.SkipWithError("the atomic writer failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kProfileBytes));
}
BENCHMARK(BM_ProfileSaveAtomic)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProfileSaveFwriteNoSync(benchmark::State& state)
{
    BenchFolder& f = Folder();
    const std::string target = f.File("Game.v3.profile_full_1.sav");
    for (auto _ : state) {
        std::FILE* file = std::fopen(target.c_str(), "wb");
        if (!file || std::fwrite(f.bytes.data(), 1, f.bytes.size(), file) != f.bytes.size())
            state.SkipWithError("fwrite failed");
        if (file)
            std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kProfileBytes));
}
BENCHMARK(BM_ProfileSaveFwriteNoSync)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
