// The labels, item-group and popup-group tables after their header: the first byte chooses the
// table (0 labels, 1 item groups, 2 popup groups), the rest is the stream. Any bytes must load
// or be refused with a status; what loads has every text terminated and an index that names
// each record in name order, and is written and read back the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "NimbrelWorld/GroupTableFile.h"
#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static WorldData* world = new WorldData{};
    const auto kind = GroupTableKind(data[0] % kGroupTableKindCount);
    std::vector<uint8_t> bytes(data + 1, data + size);
    UtilsStream_Static in(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    in.Open();
    GroupTable table = {};
    const Status status = GroupTable_Read(&in, kind, &table, world);
    if (status != kStatusOk && status != kStatusFailed && status != kStatusMismatch && status != kStatusOutOfMemory)
        std::abort();
    if (Failed(status)) {
        GroupTable_Free(&table);
        return 0;
    }
    for (uint32_t i = 0; i < table.count; ++i) {
        const GroupTableRecord& r = table.pRecords[i];
        for (uint32_t m = 0; m < r.memberCount; ++m)
            if (std::strlen(r.ppMembers[m]) >= kGroupTextLimit)
                std::abort();
        if (kind != kGroupTablePopups && (table.pSortedIndex[i] >= table.count ||
                                          (i > 0 && DichotomyList::CompareKeys(
                                                        table.pRecords[table.pSortedIndex[i - 1]].pName,
                                                        table.pRecords[table.pSortedIndex[i]].pName) > 0)))
            std::abort();
    }
    // Written again (names that are empty cannot be), it reads back with the same records.
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (Succeeded(GroupTable_Write(&out, "fuzz", kind, table))) {
        UtilsStream_Static again(kStreamRead, out.GetBlock(), static_cast<uint32_t>(out.GetSize()));
        again.Open();
        uint8_t header[11];
        GroupTable copy = {};
        if (!again.Read(header, 1, sizeof header) || Failed(GroupTable_Read(&again, kind, &copy, world)) ||
            copy.count != table.count)
            std::abort();
        GroupTable_Free(&copy);
    }
    out.Close();
    GroupTable_Free(&table);
    return 0;
}
