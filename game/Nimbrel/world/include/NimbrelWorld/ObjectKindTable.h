#pragma once
// The kinds of scene objects: every menu, interface and level of the game has one, named by a
// 32-bit type code. Interface codes carry bit 0x100, level codes bit 0x200; 266 (the toolbar
// base) and 512 (the level base) are bases of other kinds and have no row.
#include <cstdint>

constexpr uint32_t kObjectKindInterfaceBit = 0x100;
constexpr uint32_t kObjectKindLevelBit = 0x200;

constexpr uint32_t kObjectKindMenu = 257;
constexpr uint32_t kObjectKindLabels = 258;
constexpr uint32_t kObjectKindPopups = 259;
constexpr uint32_t kObjectKindToolbox = 260;
constexpr uint32_t kObjectKindMonitor = 261;
constexpr uint32_t kObjectKindEffects = 262;
constexpr uint32_t kObjectKindHint = 263;
constexpr uint32_t kObjectKindTuto = 264;
constexpr uint32_t kObjectKindButtons = 265;
constexpr uint32_t kObjectKindToolbarBase = 266;
constexpr uint32_t kObjectKindItemsList = 267;
constexpr uint32_t kObjectKindInventory = 268;
constexpr uint32_t kObjectKindLevelBase = 512;
constexpr uint32_t kObjectKindExploration = 513;
constexpr uint32_t kObjectKindJigsaw = 514;
constexpr uint32_t kObjectKindEmpty = 515;
constexpr uint32_t kObjectKindSliding = 516;
constexpr uint32_t kObjectKindMatch3 = 517;
constexpr uint32_t kObjectKindMixture = 518;
constexpr uint32_t kObjectKindSpider = 519;
constexpr uint32_t kObjectKindPuzzle = 520;
constexpr uint32_t kObjectKindSwitch = 521;
constexpr uint32_t kObjectKindWheels = 522;
constexpr uint32_t kObjectKindWheelStack = 523;
constexpr uint32_t kObjectKindLabyrinthe = 524;
constexpr uint32_t kObjectKindTubing = 525;
constexpr uint32_t kObjectKindBlackJack = 526;
constexpr uint32_t kObjectKindCircles = 527;

constexpr int kObjectKindCount = 26;
constexpr int kObjectKindCodeLength = 10;

inline bool IsLevelKind(uint32_t typeCode) { return (typeCode & kObjectKindLevelBit) != 0; }

// One kind.
struct ObjectsTypeInfo {
    const char16_t* category;  // "ITF" or "LVL"
    const char16_t* code;      // exactly kObjectKindCodeLength characters, blank-padded
    uint32_t count;            // saved-state version: a profile stores it with each object's type code
    uint8_t flagA;
    uint8_t resident;          // the model is loaded at world load and kept across level changes
    uint8_t ownVisibility;     // level activation neither shows nor hides these objects
    const char16_t* name;      // "INTERFACES_..." or "LEVELS_..."
    uint32_t typeCode;
    uint8_t flagD;
    uint8_t flagE;             // 1 for every level kind

    ObjectsTypeInfo& Set(uint32_t typeCode, const char16_t* category, uint32_t count, uint8_t flagA,
                         uint8_t resident, uint8_t ownVisibility, const char16_t* code, const char16_t* name,
                         uint8_t flagD, uint8_t flagE);
};

// The 26 rows in their fixed order; read-only.
const ObjectsTypeInfo* ObjectKindTable();
// The row of a type code (first match in table order), or null when the kind has no row.
const ObjectsTypeInfo* FindObjectKind(uint32_t typeCode);
