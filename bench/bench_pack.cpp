// Looking entries up in a pack of 20,000 entries: by scanning the records and by bisection
// over the sorted index.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kEntryCount = 20000;

struct BenchPack {
    std::filesystem::path path;
    std::vector<std::u16string> names;
    PackRecord scanned{};
    PackRecord indexed{};
    WorldData world{};

    BenchPack()
    {
        path = std::filesystem::temp_directory_path() / ("vornel-bench-" + std::to_string(std::random_device()()) + ".pak");
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            return;
        WritePackCountRecord(file, kEntryCount);
        const char data[32] = "0123456789abcdef0123456789abcde";
        char name[64];
        for (uint32_t i = 0; i < kEntryCount; ++i) {
            // Mixed folders and numbers, in no particular order in the file.
            const uint32_t n = (i * 7919u) % kEntryCount;
            std::snprintf(name, sizeof(name), "%s/object_%05u.%s", n % 3 == 0 ? "textures" : n % 3 == 1 ? "models" : "scripts",
                          n, n % 2 ? "png" : "raw");
            WritePackRecord(file, name, data, 1 + n % 31);
            names.push_back(UtilsString_FromUtf8(name));
        }
        std::fclose(file);
        OpenPackFile(&scanned, UtilsString_FromUtf8(path.c_str()).c_str(), 0);
        OpenPackFile(&indexed, UtilsString_FromUtf8(path.c_str()).c_str(), 0);
        BuildPackIndex(&indexed, &world);
    }
    ~BenchPack()
    {
        ClosePackFile(&scanned);
        ClosePackFile(&indexed);
        std::filesystem::remove(path);
    }
};

BenchPack& Pack()
{
    static BenchPack pack;
    return pack;
}

void Lookups(benchmark::State& state, PackRecord& record)
{
    BenchPack& pack = Pack();
    if (pack.names.size() != kEntryCount || record.pFile == nullptr) {
        state.SkipWithError("the pack could not be made");
        return;
    }
    std::mt19937 random(5489);
    for (auto _ : state) {
        const std::u16string& name = pack.names[random() % kEntryCount];
        if (Failed(FindPackEntry(name.c_str(), &record))) {
            state.SkipWithError("an entry was not found");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PackLookupByScan(benchmark::State& state)
{
    Lookups(state, Pack().scanned);
}

void BM_PackLookupByIndex(benchmark::State& state)
{
    if (Pack().indexed.pIndex == nullptr) {
        state.SkipWithError("the index could not be built");
        return;
    }
    Lookups(state, Pack().indexed);
}

void BM_PackBuildIndex(benchmark::State& state)
{
    BenchPack& pack = Pack();
    PackRecord record{};
    OpenPackFile(&record, UtilsString_FromUtf8(pack.path.c_str()).c_str(), 0);
    for (auto _ : state) {
        if (Failed(BuildPackIndex(&record, &pack.world))) {
            state.SkipWithError("the index could not be built");
            break;
        }
    }
    ClosePackFile(&record);
}

} // namespace

BENCHMARK(BM_PackLookupByScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PackLookupByIndex)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PackBuildIndex)->Unit(benchmark::kMillisecond);
