#pragma once
// The construction file "<base>_construct.raw": the game's scene objects with their kinds and
// constructor words, the chapter table and the construction stamps. After the header (u16
// 0x01F1 and the identity text, read by the managed world's construction check) come, all
// little-endian: u32 version 0x1F1, u32 stamp A, u32 stamp B, u32 reserved, the chapters
// manager's section (u32 C, C x {u32 identifier, u32 first level}, u8 flag), u32 object count
// N, seven u32 interface indices, and N x {u32 type code, u32 word A, u32 word B}.
#include <cstdint>

#include "VornelUtils/Status.h"

class UtilsStream;

constexpr uint16_t kConstructionHeaderVersion = 0x01F1;
constexpr uint32_t kConstructionVersion = 0x1F1;
constexpr uint32_t kNoObjectIndex = 0xFFFFFFFFu;
constexpr const char16_t* kInvalidConstructionText = u"Invalid construction,\na new construction must be made";

// The seven interface indices, in file and profile order.
enum InterfaceRole : uint32_t {
    kInterfaceMenu,
    kInterfaceLabels,
    kInterfacePopups,
    kInterfaceToolbox,
    kInterfaceTutorial,
    kInterfaceHint,
    kInterfaceEffects,
    kInterfaceRoleCount
};
// "menu", "labels", "popups", "toolbox", "tutorial", "hint", "effects"; null outside.
const char* InterfaceRoleName(uint32_t role);

// One object of the construction; word A is its own index.
struct ConstructionRecord {
    uint32_t typeCode;
    uint32_t wordA;
    uint32_t wordB;
};

struct ConstructionStamps {
    uint32_t stampA;
    uint32_t stampB;
    uint32_t reserved;
};

// The version word and the three stamps after the identity text: kStatusFailed for a short
// read, kStatusMismatch for another version.
Status ReadConstructionStamps(UtilsStream* pStream, ConstructionStamps* pStamps);

// The object section: the count, the interface indices and a new array of the records
// (UtilsFree it; null for none). kStatusFailed for a short read or a count the stream cannot
// hold; kStatusMismatch for a record whose word A is not its index or an interface index that
// is neither -1 nor an object; kStatusOutOfMemory. Nothing is handed back on failure.
Status ReadConstructionObjects(UtilsStream* pStream, uint32_t* pCount, uint32_t interfaces[kInterfaceRoleCount],
                               ConstructionRecord** ppRecords);

// Everything a construction file holds, for its writer.
struct ConstructionView {
    const char* identity;             // at most 259 bytes
    ConstructionStamps stamps;
    const uint32_t* pChapters;        // chapterCount pairs {identifier, first level}
    uint32_t chapterCount;
    uint8_t chaptersFlag;
    uint32_t interfaces[kInterfaceRoleCount];
    const ConstructionRecord* pObjects;
    uint32_t objectCount;
};

// The whole file: 0, or kStatusFailed when the stream refuses a write or the identity is too
// long.
Status WriteConstruction(UtilsStream* pStream, const ConstructionView& view);
