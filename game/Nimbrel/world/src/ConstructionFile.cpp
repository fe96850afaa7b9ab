// The construction file's body, read for the objects manager and written for the tool.
#include "NimbrelWorld/ConstructionFile.h"

#include <cstring>

#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream.h"

namespace {

constexpr uint32_t kRecordBytes = 12;

bool ReadWord(UtilsStream* pStream, uint32_t* pWord)
{
    return pStream->Read(pWord, sizeof *pWord, 1);
}

bool WriteWord(UtilsStream* pStream, uint32_t word)
{
    return pStream->Write(&word, sizeof word, 1);
}

}  // namespace

const char* InterfaceRoleName(uint32_t role)
{
    static const char* const kNames[kInterfaceRoleCount] = {"menu",     "labels", "popups", "toolbox",
                                                            "tutorial", "hint",   "effects"};
    return role < kInterfaceRoleCount ? kNames[role] : nullptr;
}

Status ReadConstructionStamps(UtilsStream* pStream, ConstructionStamps* pStamps)
{
    uint32_t version = 0;
    if (!pStream || !ReadWord(pStream, &version))
        return kStatusFailed;
    if (version != kConstructionVersion)
        return kStatusMismatch;
    ConstructionStamps stamps = {};
    if (!ReadWord(pStream, &stamps.stampA) || !ReadWord(pStream, &stamps.stampB) ||
        !ReadWord(pStream, &stamps.reserved))
        return kStatusFailed;
    *pStamps = stamps;
    return kStatusOk;
}

Status ReadConstructionObjects(UtilsStream* pStream, uint32_t* pCount, uint32_t interfaces[kInterfaceRoleCount],
                               ConstructionRecord** ppRecords)
{
    uint32_t count = 0;
    uint32_t words[kInterfaceRoleCount];
    if (!pStream || !ReadWord(pStream, &count) || !pStream->Read(words, sizeof words[0], kInterfaceRoleCount))
        return kStatusFailed;
    // A count is only believed when the file holds its records.
    const int64_t left = pStream->BytesLeft();
    if (left >= 0 && uint64_t(count) * kRecordBytes > uint64_t(left))
        return kStatusFailed;
    for (uint32_t word : words)
        if (word != kNoObjectIndex && word >= count)
            return kStatusMismatch;
    ConstructionRecord* records = nullptr;
    if (count != 0) {
        records = static_cast<ConstructionRecord*>(UTILS_CALLOC(count, sizeof(ConstructionRecord)));
        if (!records)
            return kStatusOutOfMemory;
    }
    for (uint32_t i = 0; i < count; ++i) {
        ConstructionRecord& r = records[i];
        Status status = kStatusOk;
        if (!ReadWord(pStream, &r.typeCode) || !ReadWord(pStream, &r.wordA) || !ReadWord(pStream, &r.wordB))
            status = kStatusFailed;
        // Everything reaches an object through the array by its number: they must agree.
        else if (r.wordA != i)
            status = kStatusMismatch;
        if (Failed(status)) {
            UTILS_FREE(records);
            return status;
        }
    }
    *pCount = count;
    std::memcpy(interfaces, words, sizeof words);
    *ppRecords = records;
    return kStatusOk;
}

Status WriteConstruction(UtilsStream* pStream, const ConstructionView& view)
{
    const char* identity = view.identity ? view.identity : "";
    const size_t length = std::strlen(identity) + 1;
    if (!pStream || length > kConstructionIdentitySize)
        return kStatusFailed;
    const uint16_t header = kConstructionHeaderVersion;
    bool ok = pStream->Write(&header, sizeof header, 1) && WriteWord(pStream, uint32_t(length)) &&
              pStream->Write(identity, 1, uint32_t(length)) && WriteWord(pStream, kConstructionVersion) &&
              WriteWord(pStream, view.stamps.stampA) && WriteWord(pStream, view.stamps.stampB) &&
              WriteWord(pStream, view.stamps.reserved) && WriteWord(pStream, view.chapterCount);
    for (uint32_t i = 0; ok && i < view.chapterCount * 2; ++i)
        ok = WriteWord(pStream, view.pChapters[i]);
    ok = ok && pStream->Write(&view.chaptersFlag, 1, 1) && WriteWord(pStream, view.objectCount) &&
         pStream->Write(view.interfaces, sizeof view.interfaces[0], kInterfaceRoleCount);
    for (uint32_t i = 0; ok && i < view.objectCount; ++i)
        ok = WriteWord(pStream, view.pObjects[i].typeCode) && WriteWord(pStream, view.pObjects[i].wordA) &&
             WriteWord(pStream, view.pObjects[i].wordB);
    return ok ? kStatusOk : kStatusFailed;
}
