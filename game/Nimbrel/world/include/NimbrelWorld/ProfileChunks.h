#pragma once
// The profile file's own chunks: their tags and payloads, read and written one field at a time.
// The profile manager and `vornel profile dump` share these readers.
#include <cstdint>

#include "NimbrelWorld/ProfileSlot.h"
#include "VornelUtils/UtilsStream_Chunk.h"

enum ProfileChunkTag : uint32_t {
    kProfileTagHeader = 10001,
    kProfileTagLevel = 10002,         // level object index, chapter index, the chapters block
    kProfileTagIdentity = 10003,      // 8-bit construction identity text
    kProfileTagPlatform = 10004,      // 8-bit platform code
    kProfileTagName = 10005,          // wide name, inverted
    kProfileTagState = 10006,         // in progress, completed games, flags
    kProfileTagPlayTime = 10007,
    kProfileTagDate = 10008,
    kProfileTagSpare = 10009,         // flags C and D
    kProfileTagChaptersCheck = 10010, // 200, stamp B, chapters flag copy
    kProfileTagObject = 20000,
    kProfileTagElement = 20001,
    kProfileTagScriptGlobals = 30001,      // object number, the object script's globals
    kProfileTagScriptRunState = 30002,     // object number, its run state
    kProfileTagScriptSynchronized = 30003, // object number, its synchronized variables
    kProfileTagObjectsManager = 40000,
    kProfileTagScriptManager = 50000,
    kProfileTagMainScript = 50001,         // below 50000: the main script's globals and run state
    kProfileTagCommandLists = 60000,
    kProfileTagPopups = 70000,
    kProfileTagPopupText = 70001,
    kProfileTagPopupNarrator = 70002,
    kProfileTagPopupObject = 70003,
    kProfileTagPopupLabels = 70004,
    kProfileTagToolbox = 80000,
    kProfileTagToolboxPanel = 80001,
    kProfileTagToolboxQueue = 80002,
    kProfileTagRotations = 90000,
    kProfileTagPositions = 100000,
    kProfileTagScalings = 110000,
    kProfileTagTimers = 120000,
    kProfileTagFades = 130000,
    kProfileTagShader = 140000,
    kProfileTagDragDrop = 150000,
    kProfileTagSplash = 160000,
    kProfileTagParticles = 170000,
    kProfileTagSurround = 180000,
    kProfileTagCursors = 190000,
    kProfileTagTutorial = 210000,
    kProfileTagObjectives = 220000,
};

constexpr uint32_t kProfileFormatVersion = 200;
constexpr uint32_t kProfileLayoutNumber = 274;
constexpr uint32_t kProfileProgramVersion = 0x30073;   // 3.115
constexpr uint32_t kProfileConstructionVersion = 0x1F1;
// Platform row 0 stays the code on every build, so profiles move between builds.
constexpr const char* kProfilePlatformCode = "WIN32";

struct ProfileHeader {
    uint32_t version;             // must be kProfileFormatVersion
    uint32_t layout;
    uint32_t programVersion;
    uint32_t constructionVersion;
    uint32_t stampA;
    uint8_t byte20, byte21;       // 1 and 2
};

struct ProfileChaptersCheck {
    uint32_t version;             // kProfileFormatVersion
    uint32_t stampB;
    uint8_t chaptersFlag;
};

// The chapters manager's block inside chunk 10002.
struct ProfileChapterBlock {
    uint8_t chaptersFlag;
    uint32_t chapterCount;
    uint32_t currentChapter;
    uint32_t identifier;
};

// One field of a chunk's payload, little-endian in its own width: false on a short read or a
// failed write.
// Readers and writers of chunk payloads bring them in with `using namespace ChunkField;`.
namespace ChunkField {

template <typename T>
inline bool Put(UtilsStream_Chunk* pChunk, const T& value)
{
    return pChunk->Write(&value, sizeof(T), 1);
}

template <typename T>
inline bool Get(UtilsStream_Chunk* pChunk, T* pValue)
{
    return pChunk->Read(pValue, sizeof(T), 1);
}

}  // namespace ChunkField

// Each writer appends its payload to the chunk and each reader reads it from the chunk's
// current position: false on a short read or a failed write.
bool ProfileChunk_WriteHeader(UtilsStream_Chunk* pChunk, uint32_t stampA);
bool ProfileChunk_ReadHeader(UtilsStream_Chunk* pChunk, ProfileHeader* pOut);
bool ProfileChunk_WriteTime(UtilsStream_Chunk* pChunk, const ProfileTime& time);
// The clock as stored; ProfileTime_Normalize makes it sound.
bool ProfileChunk_ReadTime(UtilsStream_Chunk* pChunk, ProfileTime* pOut);
bool ProfileChunk_WriteDate(UtilsStream_Chunk* pChunk, const ProfileDate& date);
bool ProfileChunk_ReadDate(UtilsStream_Chunk* pChunk, ProfileDate* pOut);
bool ProfileChunk_WriteState(UtilsStream_Chunk* pChunk, const ProfileSlot& slot);
bool ProfileChunk_ReadState(UtilsStream_Chunk* pChunk, uint8_t* pInProgress, uint32_t* pCompleted, uint32_t* pFlags);
bool ProfileChunk_WriteChaptersCheck(UtilsStream_Chunk* pChunk, uint32_t stampB, uint8_t chaptersFlag);
// The two words only; the flag byte is read by the caller when the words fit.
bool ProfileChunk_ReadChaptersCheckWords(UtilsStream_Chunk* pChunk, uint32_t* pVersion, uint32_t* pStampB);
bool ProfileChunk_ReadLevelWords(UtilsStream_Chunk* pChunk, uint32_t* pLevel, int32_t* pChapter);
bool ProfileChunk_ReadChapterBlock(UtilsStream_Chunk* pChunk, ProfileChapterBlock* pOut);
bool ProfileChunk_WriteSpare(UtilsStream_Chunk* pChunk, uint8_t flagC, uint8_t flagD);
bool ProfileChunk_ReadSpare(UtilsStream_Chunk* pChunk, uint8_t* pFlagC, uint8_t* pFlagD);

// The name of chunk 10005: u32 count with the terminator, u8 character size (1, 2, or 4 with the
// low 16 bits kept), the characters, every bit inverted. A count the chunk cannot hold or
// another size fails; a longer name is cut to kProfileNameMax characters. A count of 0 gives
// null. The result is owned by the caller (UTILS_FREE).
bool ProfileChunk_ReadName(UtilsStream_Chunk* pChunk, char16_t** pOut);
bool ProfileChunk_WriteName(UtilsStream_Chunk* pChunk, const char16_t* name);
