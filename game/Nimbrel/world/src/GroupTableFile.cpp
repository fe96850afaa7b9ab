// The "groups/" tables' body, read for the world and the tool and written for the tool.
#include "NimbrelWorld/GroupTableFile.h"

#include <cstring>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"
#include "VornelUtils/WorldData.h"

namespace {

// The fewest bytes a record takes: a one-byte name with its count, then the kind's fixed fields.
constexpr uint32_t kSmallestText = 5;
constexpr uint32_t kSmallestRecord[kGroupTableKindCount] = {kSmallestText + 14, kSmallestText + 4,
                                                            kSmallestText + 4};

bool ReadWord(UtilsStream* pStream, uint32_t* pWord)
{
    return pStream->Read(pWord, sizeof *pWord, 1);
}

bool WriteWord(UtilsStream* pStream, uint32_t word)
{
    return pStream->Write(&word, sizeof word, 1);
}

// A count is believed only when the bytes left can hold that many items of `smallest` bytes.
bool CountFits(UtilsStream* pStream, uint32_t count, uint32_t smallest)
{
    const int64_t left = pStream->BytesLeft();
    return left < 0 || uint64_t(count) * smallest <= uint64_t(left);
}

Status OutOfMemory(WorldData* pWorldData)
{
    if (pWorldData)
        pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

// A text field into a new owned copy.
Status ReadText(UtilsStream* pStream, char** ppText, WorldData* pWorldData)
{
    uint32_t count = 0;
    if (!ReadWord(pStream, &count) || count == 0 || count > kGroupTextLimit || !CountFits(pStream, count, 1))
        return kStatusFailed;
    char* text = static_cast<char*>(UTILS_MALLOC(count));
    if (!text)
        return OutOfMemory(pWorldData);
    // A field that does not end in its terminator would be read past its end.
    if (!pStream->Read(text, 1, count) || text[count - 1] != 0) {
        UTILS_FREE(text);
        return kStatusFailed;
    }
    *ppText = text;
    return kStatusOk;
}

Status ReadMembers(UtilsStream* pStream, GroupTableRecord& record, WorldData* pWorldData)
{
    uint32_t count = 0;
    if (!ReadWord(pStream, &count) || !CountFits(pStream, count, kSmallestText))
        return kStatusFailed;
    if (count == 0)
        return kStatusOk;
    record.ppMembers = static_cast<char**>(UTILS_CALLOC(count, sizeof(char*)));
    if (!record.ppMembers)
        return OutOfMemory(pWorldData);
    record.memberCount = count;
    for (uint32_t i = 0; i < count; ++i) {
        const Status status = ReadText(pStream, &record.ppMembers[i], pWorldData);
        if (Failed(status))
            return status;
    }
    return kStatusOk;
}

Status ReadRecord(UtilsStream* pStream, GroupTableKind kind, GroupTableRecord& record, WorldData* pWorldData)
{
    Status status = ReadText(pStream, &record.pName, pWorldData);
    if (Failed(status))
        return status;
    switch (kind) {
    case kGroupTableLabels:
        if (!ReadWord(pStream, &record.word1) || !ReadWord(pStream, &record.word2) ||
            !pStream->Read(&record.byte1, 1, 1) || !pStream->Read(&record.byte2, 1, 1))
            return kStatusFailed;
        return ReadMembers(pStream, record, pWorldData);
    case kGroupTableItems:
        return ReadMembers(pStream, record, pWorldData);
    default:
        return ReadWord(pStream, &record.value) ? kStatusOk : kStatusFailed;
    }
}

// The lookups bisect the index: it must name every record once, in ascending name order.
Status ReadSortedIndex(UtilsStream* pStream, GroupTable* pTable, WorldData* pWorldData)
{
    const uint32_t count = pTable->count;
    if (!CountFits(pStream, count, 4))
        return kStatusFailed;
    pTable->pSortedIndex = static_cast<uint32_t*>(UTILS_CALLOC(count, sizeof(uint32_t)));
    if (!pTable->pSortedIndex)
        return OutOfMemory(pWorldData);
    if (!pStream->Read(pTable->pSortedIndex, sizeof(uint32_t), count))
        return kStatusFailed;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t entry = pTable->pSortedIndex[i];
        if (entry >= count)
            return kStatusFailed;
        if (i > 0 && DichotomyList::CompareKeys(pTable->pRecords[pTable->pSortedIndex[i - 1]].pName,
                                                pTable->pRecords[entry].pName) > 0)
            return kStatusFailed;
    }
    return kStatusOk;
}

bool WriteText(UtilsStream* pStream, const char* text)
{
    const size_t length = text ? std::strlen(text) + 1 : 0;
    return length > 1 && length <= kGroupTextLimit && WriteWord(pStream, uint32_t(length)) &&
           pStream->Write(text, 1, uint32_t(length));
}

}  // namespace

const char16_t* GroupTableFileName(GroupTableKind kind)
{
    static const char16_t* const kNames[kGroupTableKindCount] = {
        u"groups/_labels_groups.raw", u"groups/_items_groups.raw", u"groups/_popups_groups.raw"};
    return kind < kGroupTableKindCount ? kNames[kind] : u"";
}

Status GroupTable_Read(UtilsStream* pStream, GroupTableKind kind, GroupTable* pTable, WorldData* pWorldData)
{
    if (!pStream || !pTable || kind >= kGroupTableKindCount)
        return kStatusFailed;
    uint32_t version = 0;
    if (!ReadWord(pStream, &version))
        return kStatusFailed;
    if (version != kGroupTableVersion)
        return kStatusMismatch;
    uint32_t count = 0;
    if (!ReadWord(pStream, &count) || !CountFits(pStream, count, kSmallestRecord[kind]))
        return kStatusFailed;
    if (count == 0)
        return kStatusOk;
    pTable->pRecords = static_cast<GroupTableRecord*>(UTILS_CALLOC(count, sizeof(GroupTableRecord)));
    if (!pTable->pRecords)
        return OutOfMemory(pWorldData);
    for (uint32_t i = 0; i < count; ++i) {
        // Counted as soon as it is begun, so that a failure frees what it holds.
        pTable->count = i + 1;
        const Status status = ReadRecord(pStream, kind, pTable->pRecords[i], pWorldData);
        if (Failed(status))
            return status;
    }
    return kind == kGroupTablePopups ? kStatusOk : ReadSortedIndex(pStream, pTable, pWorldData);
}

void GroupTable_Free(GroupTable* pTable)
{
    if (!pTable)
        return;
    for (uint32_t i = 0; pTable->pRecords && i < pTable->count; ++i) {
        GroupTableRecord& record = pTable->pRecords[i];
        UTILS_FREE(record.pName);
        for (uint32_t m = 0; record.ppMembers && m < record.memberCount; ++m)
            UTILS_FREE(record.ppMembers[m]);
        UTILS_FREE(record.ppMembers);
    }
    UTILS_FREE(pTable->pRecords);
    UTILS_FREE(pTable->pSortedIndex);
    *pTable = GroupTable{};
}

Status GroupTable_Write(UtilsStream* pStream, const char* identity, GroupTableKind kind, const GroupTable& table)
{
    identity = identity ? identity : "";
    const size_t length = std::strlen(identity) + 1;
    if (!pStream || length > kConstructionIdentitySize || kind >= kGroupTableKindCount)
        return kStatusFailed;
    const uint16_t header = kGroupTableHeaderVersion;
    bool ok = pStream->Write(&header, sizeof header, 1) && WriteWord(pStream, uint32_t(length)) &&
              pStream->Write(identity, 1, uint32_t(length)) && WriteWord(pStream, kGroupTableVersion) &&
              WriteWord(pStream, table.count);
    for (uint32_t i = 0; ok && i < table.count; ++i) {
        const GroupTableRecord& r = table.pRecords[i];
        ok = WriteText(pStream, r.pName);
        if (ok && kind == kGroupTableLabels)
            ok = WriteWord(pStream, r.word1) && WriteWord(pStream, r.word2) && pStream->Write(&r.byte1, 1, 1) &&
                 pStream->Write(&r.byte2, 1, 1);
        if (ok && kind == kGroupTablePopups)
            ok = WriteWord(pStream, r.value);
        if (ok && kind != kGroupTablePopups) {
            ok = WriteWord(pStream, r.memberCount);
            for (uint32_t m = 0; ok && m < r.memberCount; ++m)
                ok = WriteText(pStream, r.ppMembers[m]);
        }
    }
    if (!ok || kind == kGroupTablePopups || table.count == 0)
        return ok ? kStatusOk : kStatusFailed;
    WorldData scratch = {};
    DichotomyList names(&scratch);
    for (uint32_t i = 0; i < table.count; ++i)
        if (Failed(names.Add(table.pRecords[i].pName, i)))
            return kStatusFailed;
    uint32_t* order = names.Sort();
    ok = order && pStream->Write(order, sizeof(uint32_t), table.count);
    UTILS_FREE(order);
    return ok ? kStatusOk : kStatusFailed;
}
