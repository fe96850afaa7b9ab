#include "VornelUtils/UtilsPack.h"

#include <cstdio>
#include <cstring>

#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint32_t kMaxU32 = 0xFFFFFFFFu;

uint32_t DecodeU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The count N of a name formatted "*=%d"; false when the name is no count record.
bool ParseCountRecord(const char* name, int64_t* pCount)
{
    if (name[0] != '*' || name[1] != '=')
        return false;
    const char* p = name + 2;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 0xFFFFFFFFLL)
            value = 0xFFFFFFFFLL + 1; // out of range, refused by the caller
    }
    *pCount = negative ? -value : value;
    return true;
}

// The pack name of a wide name (low bytes); false when it cannot be a pack name.
bool ToPackName(const char16_t* name, char (&out)[kPackNameLimit])
{
    if (name == nullptr || name[0] == 0 || UtilsString_Length(name) + 1 >= kPackNameLimit)
        return false;
    WideToAnsiCopy(name, out, sizeof(out));
    return true;
}

Status FoundEntry(PackRecord* pPack, const char16_t* name, uint32_t dataSize, uint32_t dataOffset)
{
    if (std::fseek(pPack->pFile, static_cast<long>(dataOffset), SEEK_SET) != 0)
        return kStatusFailed;
    pPack->lastEntrySize = dataSize;
    UtilsString_Copy(pPack->lastEntryName, kWorldTextSize, name);
    return kStatusOk;
}

Status OutOfMemory(WorldData* pWorldData)
{
    if (pWorldData != nullptr)
        pWorldData->lastErrorCode = kStatusOutOfMemory;
    return kStatusOutOfMemory;
}

} // namespace

Status OpenPackFile(PackRecord* pPack, const char16_t* path, uint32_t startOffset)
{
    if (pPack == nullptr)
        return kStatusFailed;
    ClosePackFile(pPack);
    if (path == nullptr || path[0] == 0)
        return kStatusPackMissing;
    pPack->pFile = Platform_OpenFile(UtilsString_ToUtf8(path).c_str(), "rb");
    if (pPack->pFile == nullptr)
        return kStatusPackMissing;
    UtilsString_Copy(pPack->path, kWorldTextSize, path);
    pPack->startOffset = startOffset;
    return kStatusOk;
}

void ClosePackFile(PackRecord* pPack)
{
    if (pPack == nullptr)
        return;
    FreePackIndex(pPack);
    if (pPack->pFile != nullptr)
        std::fclose(pPack->pFile);
    pPack->pFile = nullptr;
}

Status WalkPackEntries(PackRecord* pPack, PackEntryVisitor visit, void* context, bool* pCounted)
{
    if (pCounted != nullptr)
        *pCounted = false;
    if (pPack == nullptr || pPack->pFile == nullptr || visit == nullptr)
        return kStatusFailed;
    std::FILE* file = pPack->pFile;
    if (std::fseek(file, 0, SEEK_END) != 0)
        return kStatusFailed;
    const long end = std::ftell(file);
    if (end < 0 || static_cast<uint64_t>(pPack->startOffset) > static_cast<uint64_t>(end) ||
        std::fseek(file, static_cast<long>(pPack->startOffset), SEEK_SET) != 0)
        return kStatusFailed;
    const uint64_t fileSize = static_cast<uint64_t>(end);
    uint64_t offset = pPack->startOffset;
    int64_t remaining = -1; // no count record yet: up to the end of the file
    while (remaining != 0) {
        if (remaining < 0 && offset == fileSize)
            return kStatusOk;
        uint8_t header[8];
        if (std::fread(header, 1, 8, file) != 8)
            return kStatusFailed;
        const uint32_t dataSize = DecodeU32(header);
        const uint32_t nameLength = DecodeU32(header + 4);
        if (nameLength == 0 || nameLength >= kPackNameLimit)
            return kStatusFailed;
        char name[kPackNameLimit];
        if (std::fread(name, 1, nameLength, file) != nameLength)
            return kStatusFailed;
        ApplyScrambleKey(reinterpret_cast<uint8_t*>(name), nameLength, kScrambleKey);
        if (name[nameLength - 1] != 0)
            return kStatusFailed;
        const uint64_t dataOffset = offset + 8 + nameLength;
        if (dataOffset + dataSize > fileSize)
            return kStatusFailed;
        int64_t count = 0;
        if (ParseCountRecord(name, &count)) {
            // The count record carries no data; its N records follow at once.
            if (dataSize != 0 || count < 0 || count > 0x7FFFFFFF)
                return kStatusFailed;
            remaining = count;
            offset = dataOffset;
            continue;
        }
        if (dataOffset > kMaxU32)
            return kStatusFailed;
        if (!visit(context, name, dataSize, static_cast<uint32_t>(dataOffset)))
            return kStatusOk;
        offset = dataOffset + dataSize;
        if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
            return kStatusFailed;
        if (remaining > 0)
            --remaining;
    }
    if (pCounted != nullptr)
        *pCounted = true;
    return kStatusOk;
}

Status FindPackEntry(const char16_t* name, PackRecord* pPack)
{
    if (name == nullptr || name[0] == 0 || pPack == nullptr)
        return kStatusFailed;
    if (pPack->pIndex != nullptr)
        return FindPackEntryIndexed(name, pPack, pPack->pIndex);
    struct Search {
        char wanted[kPackNameLimit];
        bool found;
        uint32_t dataSize;
        uint32_t dataOffset;
    } search{};
    if (!ToPackName(name, search.wanted))
        return kStatusFailed;
    const PackEntryVisitor visit = [](void* context, const char* entryName, uint32_t dataSize, uint32_t dataOffset) {
        auto* s = static_cast<Search*>(context);
        if (StringCompareA(s->wanted, entryName) != 0)
            return true;
        s->found = true;
        s->dataSize = dataSize;
        s->dataOffset = dataOffset;
        return false;
    };
    if (Failed(WalkPackEntries(pPack, visit, &search)) || !search.found)
        return kStatusFailed;
    return FoundEntry(pPack, name, search.dataSize, search.dataOffset);
}

Status FindPackEntryIndexed(const char16_t* name, PackRecord* pPack, const PackIndex* pIndex)
{
    if (pPack == nullptr || pPack->pFile == nullptr || pIndex == nullptr || pIndex->orderCount == 0 ||
        pIndex->pOrder == nullptr)
        return kStatusFailed;
    char wanted[kPackNameLimit];
    if (!ToPackName(name, wanted))
        return kStatusFailed;
    uint32_t low = 0;
    uint32_t high = pIndex->orderCount;
    uint32_t probe = high / 2;
    for (;;) {
        const uint32_t entryNumber = pIndex->pOrder[probe];
        if (entryNumber >= pIndex->entryCount)
            return kStatusFailed;
        const PackIndexEntry& entry = pIndex->pEntries[entryNumber];
        const int c = DichotomyList::CompareKeys(wanted, pIndex->pNamePool + entry.nameOffset);
        if (c == 0)
            return FoundEntry(pPack, name, entry.dataSize, entry.dataOffset);
        if (c < 0)
            high = high < probe ? high : probe;
        else
            low = low > probe ? low : probe;
        const uint32_t next = low + (high - low) / 2;
        if (next == probe)
            return kStatusFailed;
        probe = next;
    }
}

Status FreePackIndex(PackRecord* pPack)
{
    if (pPack == nullptr || pPack->pIndex == nullptr)
        return kStatusOk;
    PackIndex* index = pPack->pIndex;
    UtilsFree(index->pOrder, __FILE__, __LINE__);
    UtilsFree(index->pNamePool, __FILE__, __LINE__);
    UtilsFree(index->pEntries, __FILE__, __LINE__);
    UtilsFree(index, __FILE__, __LINE__);
    pPack->pIndex = nullptr;
    return kStatusOk;
}

namespace {

struct IndexBuild {
    PackIndex* index;
    DichotomyList* list;
    uint64_t poolSize;
    uint32_t entries;
    Status status;
};

void FreeUnattached(PackIndex* index)
{
    PackRecord scratch{};
    scratch.pIndex = index;
    FreePackIndex(&scratch);
}

} // namespace

Status BuildPackIndex(PackRecord* pPack, WorldData* pWorldData)
{
    FreePackIndex(pPack);
    if (pPack == nullptr || pPack->pFile == nullptr)
        return kStatusFailed;
    auto* index = static_cast<PackIndex*>(UtilsCalloc(1, sizeof(PackIndex), __FILE__, __LINE__));
    if (index == nullptr)
        return OutOfMemory(pWorldData);

    // First pass: how many entries and how much name text.
    IndexBuild build{index, nullptr, 0, 0, kStatusOk};
    bool counted = false;
    Status status = WalkPackEntries(
        pPack,
        [](void* context, const char* name, uint32_t, uint32_t) {
            auto* b = static_cast<IndexBuild*>(context);
            b->poolSize += std::strlen(name) + 1;
            ++b->entries;
            return true;
        },
        &build, &counted);
    if (Failed(status) || !counted || build.poolSize > kMaxU32) {
        FreeUnattached(index);
        return kStatusFailed;
    }
    if (build.entries == 0) {
        // A pack with no entries (an external pack made from an empty folder) is sound: it
        // gets no index, and a lookup by scan ends at its count record at once.
        FreeUnattached(index);
        return kStatusOk;
    }
    index->namePoolSize = static_cast<uint32_t>(build.poolSize);
    index->entryCount = build.entries;
    index->pNamePool = static_cast<char*>(UtilsMalloc(index->namePoolSize, __FILE__, __LINE__));
    index->pEntries = static_cast<PackIndexEntry*>(UtilsCalloc(index->entryCount, sizeof(PackIndexEntry), __FILE__, __LINE__));
    if (index->pNamePool == nullptr || index->pEntries == nullptr) {
        FreeUnattached(index);
        return OutOfMemory(pWorldData);
    }

    // Second pass: the rows, the names and their order.
    DichotomyList list(pWorldData);
    build.list = &list;
    build.poolSize = 0;
    build.entries = 0;
    status = WalkPackEntries(
        pPack,
        [](void* context, const char* name, uint32_t dataSize, uint32_t dataOffset) {
            auto* b = static_cast<IndexBuild*>(context);
            const uint64_t length = std::strlen(name) + 1;
            // The pack may not have changed since the first pass.
            if (b->entries >= b->index->entryCount || b->poolSize + length > b->index->namePoolSize) {
                b->status = kStatusFailed;
                return false;
            }
            const uint32_t poolOffset = static_cast<uint32_t>(b->poolSize);
            char* pooled = b->index->pNamePool + poolOffset;
            std::memcpy(pooled, name, length);
            b->index->pEntries[b->entries] = PackIndexEntry{dataSize, dataOffset, poolOffset};
            if (Failed(b->list->Add(pooled, b->entries))) {
                b->status = kStatusOutOfMemory;
                return false;
            }
            b->poolSize += length;
            ++b->entries;
            return true;
        },
        &build, &counted);
    if (build.status == kStatusOutOfMemory) {
        FreeUnattached(index);
        return OutOfMemory(pWorldData);
    }
    if (Failed(status) || Failed(build.status) || !counted || build.entries != index->entryCount) {
        FreeUnattached(index);
        return kStatusFailed;
    }
    index->pOrder = list.Sort();
    if (index->pOrder == nullptr) {
        FreeUnattached(index);
        return OutOfMemory(pWorldData);
    }
    index->orderCount = list.GetCount();
    pPack->pIndex = index;
    return kStatusOk;
}
