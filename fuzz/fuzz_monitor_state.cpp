// The score monitor's saved records from any bytes: they load or are refused with a status,
// never keeping a record count other than the scene's, a type past the table or a text without
// its end; what loads takes a score, is saved and loads again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "VornelUtils/WorldData.h"

#include "ChunkFuzz.h"

namespace {

// Object number 3 without an objects manager: a scene of four objects.
constexpr uint32_t kObjectNumber = 3;
constexpr uint32_t kSceneObjects = kObjectNumber + 1;

Status LoadBytes(CObjectsInterfaceMonitor& monitor, std::vector<uint8_t>& bytes)
{
    return LoadFirstChunk(bytes, [&](UtilsStream_Chunk* chunk) { return monitor.LoadMonitorState(chunk); });
}

std::vector<uint8_t> SaveBytes(CObjectsInterfaceMonitor& monitor)
{
    return SaveOneChunk(1, [&](UtilsStream_ChunkList*, UtilsStream_Chunk* chunk) {
        return monitor.SaveMonitorState(chunk);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static WorldData* world = new WorldData{};
    std::vector<uint8_t> bytes(data, data + size);
    CObjectsInterfaceMonitor monitor(world, kObjectNumber, 0);
    const Status status = LoadBytes(monitor, bytes);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status)) {
        if (monitor.GetRecordCount() != 0)
            std::abort();
        return 0;
    }
    if (monitor.GetRecordCount() != 0 && monitor.GetRecordCount() != kSceneObjects)
        std::abort();
    for (uint32_t i = 0; i < monitor.GetRecordCount(); ++i)
        if (const MonitorRecord* record = monitor.GetRecord(i)) {
            if (record->displayType > kMonitorNothing || record->text[kMonitorTextLength - 1] != 0)
                std::abort();
            // Any saved value, infinities and NaN included, formats within the integers.
            monitor.Update(i, "add_score", 1.0f);
        }
    const std::vector<uint8_t> saved = SaveBytes(monitor);
    CObjectsInterfaceMonitor again(world, kObjectNumber, 0);
    std::vector<uint8_t> copy = saved;
    if (Failed(LoadBytes(again, copy)) || SaveBytes(again) != saved)
        std::abort();
    return 0;
}
