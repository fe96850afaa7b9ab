// Profile slots, their clock and their files.
#include "NimbrelWorld/ProfileManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "NimbrelWorld/ProfileChunks.h"
#include "ProfileFixture.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

// A profile file made chunk by chunk: each entry is a tag and its payload.
struct HandChunk {
    uint32_t tag;
    Bytes payload;
    std::vector<HandChunk> children;
};

void Add(UtilsStream_ChunkList& list, const HandChunk& hand, UtilsStream_Chunk* parent)
{
    UtilsStream_Chunk* chunk = list.CreateChunk(hand.tag, parent);
    ASSERT_NE(chunk, nullptr);
    if (!hand.payload.empty())
        ASSERT_TRUE(chunk->Write(hand.payload.data(), 1, static_cast<uint32_t>(hand.payload.size())));
    for (const HandChunk& child : hand.children)
        Add(list, child, chunk);
}

Bytes MakeFile(const std::vector<HandChunk>& chunks)
{
    UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
    memory.Open();
    UtilsStream_ChunkList list(&memory);
    for (const HandChunk& c : chunks)
        Add(list, c, nullptr);
    EXPECT_TRUE(list.WriteAll());
    return Bytes(reinterpret_cast<const char*>(memory.GetBlock()), memory.GetSize());
}

Bytes U32(uint32_t v)
{
    return Bytes(reinterpret_cast<const char*>(&v), 4);
}

Bytes Header(uint32_t layout, uint32_t stampA)
{
    return U32(200) + U32(layout) + U32(0x30073) + U32(0x1F1) + U32(stampA) + Bytes("\x01\x02", 2);
}

// A name chunk with a given character size, the characters inverted.
Bytes StoredName(const std::u16string& name, uint8_t size)
{
    Bytes out = U32(static_cast<uint32_t>(name.size() + 1)) + Bytes(1, static_cast<char>(size));
    for (size_t i = 0; i <= name.size(); ++i) {
        const uint32_t ch = i < name.size() ? (~static_cast<uint32_t>(name[i]) & 0xFFFF) : 0;
        out.append(reinterpret_cast<const char*>(&ch), size);
    }
    return out;
}

Bytes Level(uint32_t level, int32_t chapter, uint32_t count, uint32_t current, uint32_t identifier)
{
    return U32(level) + U32(static_cast<uint32_t>(chapter)) + Bytes(1, '\x01') + U32(count) + U32(current) +
           U32(identifier);
}

}  // namespace

TEST_F(ProfileTest, ANewFileBeginsWithTheHeaderChunkAndReadsBackWhole)
{
    Played(0, u"Anna");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    const Bytes file = ReadFile(0);
    const Bytes expected = U32(0) + U32(0) + U32(10001) + U32(42) + U32(22) + Header(274, 5);
    ASSERT_GE(file.size(), 62u);
    EXPECT_EQ(file.substr(0, 42), expected);
    EXPECT_EQ(file.substr(42, 12), U32(42) + U32(42) + U32(10003));
    EXPECT_EQ(m_profiles->GetSlot(0)->changed, 0);
    EXPECT_EQ(m_profiles->GetSlot(0)->chaptersFlagCopy, 1);

    // A fresh start reads it header-only: name, clock, counters and chapter.
    m_profiles->Unload();
    ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
    const ProfileSlot* slot = m_profiles->GetSlot(0);
    EXPECT_EQ(Name(0), "Anna");
    EXPECT_TRUE(slot->used);
    EXPECT_FALSE(slot->mismatched);
    EXPECT_EQ(slot->chapterIndex, 1);
    EXPECT_EQ(slot->levelObjectIndex, 4u);
    EXPECT_EQ(slot->completedGames, 2u);
    EXPECT_EQ(slot->flags, 1u);
    EXPECT_EQ(slot->playTime.minutes, 5);
    EXPECT_EQ(slot->playTime.days, 3u);
    EXPECT_EQ(slot->completionDate.year, 2026);
    EXPECT_FALSE(m_profiles->GetSlot(1)->used);
    EXPECT_FALSE(m_profiles->AreAllSlotsEmpty());
    EXPECT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusOk);
}

TEST_F(ProfileTest, MissingAndEmptyFilesAreEmptySlots)
{
    EXPECT_TRUE(m_profiles->AreAllSlotsEmpty());
    EXPECT_EQ(m_profiles->GetSlotCount(), 3u);
    WriteFile(1, "");
    ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
    EXPECT_TRUE(m_profiles->AreAllSlotsEmpty());
    EXPECT_EQ(m_profiles->LoadProfileFromFile(2, nullptr, 0), kStatusFailed);
    EXPECT_FALSE(Exists(2)) << "reading never writes";
    EXPECT_EQ(m_profiles->GetSlot(3), nullptr);
    EXPECT_EQ(m_profiles->ReadProfileHeader(3, nullptr), kStatusFailed);
}

TEST_F(ProfileTest, LoadParametersKeepsTheCurrentIndexInsideTheSlots)
{
    const int32_t cases[][2] = {{0, 0}, {2, 2}, {3, -1}, {255, -1}, {-1, -1}};
    for (const auto& c : cases) {
        m_profiles->SetCurrentSlot(c[0]);
        m_profiles->LoadParameters();
        EXPECT_EQ(m_profiles->GetCurrentIndex(), c[1]) << c[0];
    }
    EXPECT_EQ(m_profiles->GetCurrentSlot(), nullptr);
}

TEST_F(ProfileTest, FormatPlayTimeShowsTheRunningOrTheLastTime)
{
    char16_t text[16];
    ProfileSlot* slot = m_profiles->GetSlot(0);
    slot->gameInProgress = 1;
    slot->playTime = ProfileTime{600.0f, 5, 0, 0};
    m_profiles->FormatPlayTime(0, text);
    EXPECT_EQ(UtilsString_ToUtf8(text), "(00:05:21)");
    slot->gameInProgress = 0;
    slot->lastCompletionTime = ProfileTime{1785.0f, 59, 1, 0};
    m_profiles->FormatPlayTime(0, text);
    EXPECT_EQ(UtilsString_ToUtf8(text), "(01:59:59)");
    slot->lastCompletionTime.minutes = 255;
    m_profiles->FormatPlayTime(0, text);
    EXPECT_EQ(UtilsString_ToUtf8(text), "(00:00:00)");
    EXPECT_FALSE(m_profiles->FormatPlayTime(7, text));
}

TEST_F(ProfileTest, TheClockCarriesIntoDaysAndNeverLoops)
{
    ProfileSlot* slot = m_profiles->GetSlot(0);
    slot->gameInProgress = 1;
    slot->playTime = ProfileTime{1799.0f, 59, 23, 4};
    m_profiles->SetCurrentSlot(0);
    W()->frameTime = 1.0;
    m_profiles->Update();
    EXPECT_EQ(slot->playTime.fraction, 0.0f);
    EXPECT_EQ(slot->playTime.minutes, 0);
    EXPECT_EQ(slot->playTime.hours, 0);
    EXPECT_EQ(slot->playTime.days, 5u);
    EXPECT_TRUE(slot->changed);

    // A huge step is carried by division and the days stop at their largest value.
    W()->frameTime = 3e38;
    m_profiles->Update();
    EXPECT_EQ(slot->playTime.days, 0xFFFFFFFFu);
    EXPECT_LT(slot->playTime.fraction, 1800.0f);
    EXPECT_LT(slot->playTime.minutes, 60);

    // A clock read from a file is made sound.
    const float fractions[] = {NAN, -5.0f, INFINITY};
    for (float f : fractions) {
        ProfileTime time{f, 200, 100, 0};
        ProfileTime_Normalize(time);
        EXPECT_EQ(time.fraction, 0.0f);
        EXPECT_EQ(time.minutes, 20);
        EXPECT_EQ(time.hours, 7);
        EXPECT_EQ(time.days, 4u);
    }
    // No slot current, or no game in progress: nothing runs.
    slot->changed = 0;
    slot->gameInProgress = 0;
    m_profiles->Update();
    EXPECT_FALSE(slot->changed);
}

TEST_F(ProfileTest, RenamesRefuseDuplicatesAndRewriteOnlyTheName)
{
    Played(0, u"Anna");
    Played(1, u"Ben");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    EXPECT_EQ(m_profiles->RenameProfile(1, u"Anna"), kStatusFailed);
    EXPECT_EQ(Name(0), "Anna");
    EXPECT_EQ(Name(1), "Ben");

    // The same name touches no file.
    std::filesystem::remove(File(0));
    EXPECT_EQ(m_profiles->RenameProfile(0, u"Anna"), kStatusOk);
    EXPECT_FALSE(Exists(0));
    // No file: the name waits for the next save.
    EXPECT_EQ(m_profiles->RenameProfile(0, u"Cleo"), kStatusOk);
    EXPECT_FALSE(Exists(0));
    EXPECT_EQ(m_profiles->RenameProfile(0, std::u16string(260, u'x').c_str()), kStatusFailed);
    EXPECT_EQ(m_profiles->RenameProfile(0, std::u16string(259, u'x').c_str()), kStatusOk);
    EXPECT_EQ(m_profiles->RenameProfile(5, u"Dan"), kStatusFailed);
}

TEST_F(ProfileTest, ARenameKeepsEveryOtherChunkWithItsChildren)
{
    const Bytes original = MakeFile({{10001, Header(274, 5), {}},
                                     {10003, U32(5) + Bytes("\x01Game\0", 6), {}},
                                     {10005, StoredName(u"Old", 2), {}},
                                     {20000, U32(513) + U32(1), {{20001, "element-a", {}}, {20001, "element-b", {}}}},
                                     {30001, "globals", {}}});
    WriteFile(0, original);
    ASSERT_EQ(m_profiles->RenameProfile(0, u"New"), kStatusOk);
    const Bytes renamed = ReadFile(0);
    const Bytes expected = MakeFile({{10001, Header(274, 5), {}},
                                     {10003, U32(5) + Bytes("\x01Game\0", 6), {}},
                                     {10005, StoredName(u"New", 2), {}},
                                     {20000, U32(513) + U32(1), {{20001, "element-a", {}}, {20001, "element-b", {}}}},
                                     {30001, "globals", {}}});
    EXPECT_EQ(renamed, expected);
    EXPECT_EQ(Name(0), "New");

    // A file without a name gets its name chunk at the end.
    WriteFile(1, MakeFile({{10001, Header(274, 5), {}}}));
    ASSERT_EQ(m_profiles->RenameProfile(1, u"Eve"), kStatusOk);
    EXPECT_EQ(ReadFile(1), MakeFile({{10001, Header(274, 5), {}}, {10005, StoredName(u"Eve", 2), {}}}));

    // A file that cannot be read is not rewritten and keeps its name.
    const Bytes broken = original.substr(0, original.size() - 3);
    WriteFile(2, broken);
    EXPECT_EQ(m_profiles->RenameProfile(2, u"Fay"), kStatusFailed);
    EXPECT_EQ(ReadFile(2), broken);
}

TEST_F(ProfileTest, OnlyAChangedUsedSlotIsWritten)
{
    ProfileSlot* slot = Played(0, u"Anna");
    slot->changed = 0;
    EXPECT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    EXPECT_FALSE(Exists(0));
    slot->changed = 1;
    Game().noSave = 1;
    EXPECT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    EXPECT_FALSE(Exists(0));
    Game().noSave = 0;
    EXPECT_EQ(m_profiles->SaveProfileToFile(-1, nullptr, 0), kStatusOk);
    EXPECT_EQ(m_profiles->SaveProfileToFile(3, nullptr, 0), kStatusOk);
    EXPECT_FALSE(Exists(0));
}

TEST_F(ProfileTest, LoadsFollowTheChunkRules)
{
    const Bytes identity = U32(5) + Bytes("\x01Game\0", 6);
    const struct {
        const char* what;
        std::vector<HandChunk> chunks;
        Status header;      // LoadProfile header-only
        int32_t chapter;    // the slot's chapter afterwards
        const char* name;
    } cases[] = {
        {"header and name only", {{10001, Header(274, 5), {}}, {10005, StoredName(u"Lia", 2), {}}}, 0, -1, "Lia"},
        {"name of 32-bit characters", {{10005, StoredName(u"Wide", 4), {}}}, 0, -1, "Wide"},
        {"name of 3-byte characters", {{10005, StoredName(u"Odd", 3), {}}}, kStatusFailed, -1, "<none>"},
        {"name of 8-bit characters", {{10005, StoredName(u"Byte", 1), {}}}, 0, -1, "Byte"},
        {"a name of 300 characters", {{10005, StoredName(std::u16string(300, u'a'), 2), {}}}, 0, -1, nullptr},
        {"a count beyond the chunk", {{10005, U32(0x40000000) + Bytes("\x02" "abcd", 5), {}}}, kStatusFailed, -1,
         "<none>"},
        {"level before the header",
         {{10002, Level(4, 1, 3, 1, 200), {}}, {10001, Header(274, 5), {}}}, StatusCode(0x80010003u), 1, "<none>"},
        {"another stamp A",
         {{10001, Header(274, 6), {}}, {10002, Level(7, 2, 3, 2, 300), {}}}, StatusCode(0x80020003u), 2, "<none>"},
        {"another layout", {{10001, Header(273, 5), {}}, {10002, Level(7, 2, 3, 2, 300), {}}},
         StatusCode(0x80020003u), 2, "<none>"},
        {"a chapter beyond the table",
         {{10001, Header(274, 5), {}}, {10002, Level(7, 9, 3, 2, 300), {}}}, StatusCode(0xFFFF0003u), -1, "<none>"},
        {"a chapter identifier that changed",
         {{10001, Header(274, 5), {}}, {10002, Level(7, 2, 3, 2, 301), {}}}, StatusCode(0x80020003u), 2, "<none>"},
        {"a good level chunk", {{10001, Header(274, 5), {}}, {10002, Level(7, 2, 3, 2, 300), {}}}, 0, 2, "<none>"},
        {"no chapter played yet",
         {{10001, Header(274, 5), {}}, {10002, Level(0, -1, 3, 0xFFFFFFFFu, 0xFFFFFFFFu), {}}}, 0, -1, "<none>"},
        {"a slot at a chapter with none current in the table",
         {{10001, Header(274, 5), {}}, {10002, Level(7, 2, 3, 0xFFFFFFFFu, 0xFFFFFFFFu), {}}}, kStatusFailed, 2,
         "<none>"},
        {"another stamp B", {{10010, U32(200) + U32(8) + Bytes(1, '\x01'), {}}}, kStatusMismatch, 0, "<none>"},
        {"another format version", {{10001, U32(201) + Header(274, 5).substr(4), {}}}, kStatusFailed, -1, "<none>"},
        {"another construction", {{10003, U32(5) + Bytes("\x01Gamf\0", 6), {}}}, kStatusFailed, -1, "<none>"},
        {"a short chunk", {{10007, "abc", {}}}, kStatusFailed, -1, "<none>"},
        {"the same construction", {{10003, identity, {}}, {10004, U32(6) + Bytes("\x01WIN32\0", 7), {}}}, 0, -1,
         "<none>"},
        {"no chunk at all", {}, kStatusFailed, -1, "<none>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = MakeFile(c.chunks);
        UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        ProfileSlot* slot = m_profiles->GetSlot(0);
        W()->lastErrorCode = 0;
        EXPECT_EQ(m_profiles->LoadProfile(slot, &list, 1, 0), c.header);
        EXPECT_EQ(slot->chapterIndex, c.chapter);
        EXPECT_EQ(Name(0), c.name ? std::string(c.name) : std::string(kProfileNameMax, 'a'));
        if ((static_cast<uint32_t>(c.header) & 0xFFFF) == 3)
            EXPECT_EQ(W()->lastErrorCode, c.header) << "latched";
    }
}

TEST_F(ProfileTest, AMismatchedSlotAlwaysKeepsAValidChapter)
{
    // Saved at chapter 2 under another stamp A: mismatched at start with that chapter.
    WriteFile(0, MakeFile({{10001, Header(274, 6), {}}, {10002, Level(7, 2, 3, 2, 300), {}}}));
    // Saved at a chapter the table no longer has: used, and no chapter to resume at.
    WriteFile(1, MakeFile({{10001, Header(274, 5), {}}, {10002, Level(7, 9, 3, 9, 300), {}}}));
    // A level that is no object of the construction.
    WriteFile(2, MakeFile({{10001, Header(274, 5), {}}, {10002, Level(70, 1, 3, 1, 200), {}}}));
    m_world->objects = 10;
    ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
    const ProfileSlot* slots[] = {m_profiles->GetSlot(0), m_profiles->GetSlot(1), m_profiles->GetSlot(2)};
    EXPECT_TRUE(slots[0]->used && slots[0]->mismatched);
    EXPECT_EQ(slots[0]->chapterIndex, 2);
    EXPECT_TRUE(slots[1]->used);
    EXPECT_FALSE(slots[1]->mismatched);
    EXPECT_EQ(slots[1]->chapterIndex, -1);
    EXPECT_TRUE(slots[2]->used && slots[2]->mismatched);
    EXPECT_EQ(slots[2]->chapterIndex, 1);
    // A full load that fails marks the slot mismatched with a chapter of the table.
    EXPECT_LT(m_profiles->LoadProfileFromFile(1, nullptr, 0), 0);
    EXPECT_TRUE(slots[1]->mismatched);
    EXPECT_EQ(slots[1]->chapterIndex, 0);
}

TEST_F(ProfileTest, ACompletedGameGoesBackToTheFirstChapterAndIsSaved)
{
    ProfileSlot* slot = Played(0, u"Anna");
    slot->playTime = ProfileTime{0.0f, 0, 1, 0};
    slot->lastCompletionTime = ProfileTime{};
    slot->changed = 0;
    ASSERT_EQ(m_profiles->OnGameCompleted(0, 1), kStatusOk);
    EXPECT_EQ(slot->gameInProgress, 0);
    EXPECT_EQ(slot->chapterIndex, 0);
    EXPECT_EQ(slot->levelObjectIndex, 1u);
    EXPECT_EQ(slot->completedGames, 3u);
    EXPECT_EQ(slot->lastCompletionTime.hours, 1);
    EXPECT_EQ(slot->playTime.hours, 0) << "a longer game starts the clock again";
    EXPECT_GE(slot->completionDate.year, 2024);
    EXPECT_TRUE(Exists(0)) << "changed before the save";
    EXPECT_EQ(slot->changed, 0);

    // Without chapters the level stays.
    LoadChapters(ChapterSection({}, 0));
    slot->levelObjectIndex = 9;
    ASSERT_EQ(m_profiles->OnGameCompleted(0, 0), kStatusOk);
    EXPECT_EQ(slot->levelObjectIndex, 9u);
    EXPECT_EQ(m_profiles->OnGameCompleted(-1, 0), kStatusFailed);
}

TEST_F(ProfileTest, DeletingLeavesAnEmptyFileAndReportsAFileItCouldNotEmpty)
{
    Played(0, u"Anna");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    ASSERT_EQ(m_profiles->DeleteProfile(0), kStatusOk);
    EXPECT_EQ(ReadFile(0), "");
    EXPECT_FALSE(m_profiles->GetSlot(0)->used);
    EXPECT_EQ(Name(0), "<none>");
    ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
    EXPECT_TRUE(m_profiles->AreAllSlotsEmpty());
    // A folder where the file should be cannot be emptied.
    std::filesystem::create_directories(File(1));
    EXPECT_EQ(m_profiles->DeleteProfile(1), kStatusFailed);
}

// A save that cannot be written (a full or read-only folder, a folder that cannot be made)
// says which file in which folder, in the world's last error text that the box ending the game
// shows, and in a written log line.
TEST_F(ProfileTest, AFailedSaveNamesItsFileAndFolder)
{
    const std::string log = m_root + "/game.log";
    UtilsString_Copy(W()->logPath, kWorldTextSize, UtilsString_FromUtf8(log.c_str()).c_str());
    const std::string name = "Game.v3.profile_full_0.sav";
    const std::string expected = "The profile \"" + name + "\" could not be saved in \"" + Folder() + "\"";
    const struct {
        const char* what;
        bool folderIsAFile;
    } cases[] = {{"the write fails", false}, {"no folder can be made", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Folder());
        std::filesystem::remove(log);
        if (c.folderIsAFile)
            std::ofstream(Folder()) << "in the way";
        else
            Platform_SetSaveHook([](void*, PlatformSaveStep step, size_t) -> long {
                return step == PlatformSaveStep::kWrite ? -1 : 0;
            }, nullptr);
        UtilsString_Copy(W()->lastErrorText, kWorldTextSize, u"No audio device was found");
        Played(0, u"Anna");
        EXPECT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusFailed);
        Platform_SetSaveHook(nullptr, nullptr);
        EXPECT_EQ(UtilsString_ToUtf8(W()->lastErrorText), expected);
        std::ifstream in(log);
        std::stringstream lines;
        lines << in.rdbuf();
        EXPECT_NE(lines.str().find("\"" + name + "\" could not be written in \"" + Folder() + "\""),
                  std::string::npos)
            << lines.str();
    }
    std::filesystem::remove_all(Folder());
}

// A file that is no profile is left out of the slots with a written log line naming the slot
// and the file; an empty file is a deleted slot and says nothing.
TEST_F(ProfileTest, ADamagedProfileLeftOutIsLogged)
{
    const std::string log = m_root + "/game.log";
    UtilsString_Copy(W()->logPath, kWorldTextSize, UtilsString_FromUtf8(log.c_str()).c_str());
    WriteFile(1, "not a profile at all");
    WriteFile(2, "");
    ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
    EXPECT_TRUE(m_profiles->AreAllSlotsEmpty());
    EXPECT_TRUE(Exists(1));
    std::ifstream in(log);
    std::stringstream lines;
    lines << in.rdbuf();
    char16_t file[kWorldTextSize];
    ASSERT_EQ(m_profiles->BuildProfilePath(1, nullptr, 0, file), kStatusOk);
    EXPECT_EQ(lines.str(), "# CProfileManager::ReadProfileHeader - slot 1: \"" + UtilsString_ToUtf8(file) +
                               "\" is damaged and is left out\n");
}

TEST_F(ProfileTest, AFailedWriteKeepsTheOldFileAndTheSlotChanged)
{
    ProfileSlot* slot = Played(0, u"Old");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    const Bytes old = ReadFile(0);
    UTILS_FREE(slot->name);
    slot->name = UtilsString_DupW(u"New");
    slot->changed = 1;
    Platform_SetSaveHook([](void*, PlatformSaveStep step, size_t) -> long { return step == PlatformSaveStep::kWrite ? -1 : 0; },
                         nullptr);
    EXPECT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusFailed);
    EXPECT_EQ(ReadFile(0), old);
    EXPECT_TRUE(slot->changed);
    // So does a rename.
    EXPECT_EQ(m_profiles->RenameProfile(0, u"Other"), kStatusFailed);
    EXPECT_EQ(ReadFile(0), old);
    EXPECT_EQ(Name(0), "New");
    Platform_SetSaveHook(nullptr, nullptr);
}

namespace {

struct KillPlan {
    PlatformSaveStep at;
    size_t atWritten;
};

long KillAt(void* context, PlatformSaveStep step, size_t written)
{
    const KillPlan* plan = static_cast<const KillPlan*>(context);
    if (step == plan->at && written >= plan->atWritten)
        raise(SIGKILL);
    return step == PlatformSaveStep::kWrite ? 16 : 0;   // short writes: many steps
}

}  // namespace

TEST_F(ProfileTest, AKilledSaveOrRenameLeavesOneWholeProfile)
{
    ProfileSlot* slot = Played(0, u"Old");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    const struct {
        PlatformSaveStep at;
        size_t atWritten;
        bool saved;
    } cases[] = {
        {PlatformSaveStep::kWrite, 0, false},  {PlatformSaveStep::kWrite, 64, false},
        {PlatformSaveStep::kSync, 0, false},   {PlatformSaveStep::kClose, 0, false},
        {PlatformSaveStep::kRename, 0, false}, {PlatformSaveStep::kSyncFolder, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.at));
        UTILS_FREE(slot->name);
        slot->name = UtilsString_DupW(u"New");
        slot->changed = 1;
        KillPlan plan{c.at, c.atWritten};
        EXPECT_EXIT(
            {
                Platform_SetSaveHook(KillAt, &plan);
                m_profiles->SaveProfileToFile(0, nullptr, 0);
                _exit(0);
            },
            ::testing::KilledBySignal(SIGKILL), "");
        ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
        EXPECT_EQ(Name(0), c.saved ? "New" : "Old");
        // Back to "Old" for the next case, and the rename killed half-way.
        if (c.saved) {
            ASSERT_EQ(m_profiles->RenameProfile(0, u"Old"), kStatusOk);
            slot = m_profiles->GetSlot(0);
        }
        KillPlan half{PlatformSaveStep::kWrite, 64};
        EXPECT_EXIT(
            {
                Platform_SetSaveHook(KillAt, &half);
                m_profiles->RenameProfile(0, u"Renamed");
                _exit(0);
            },
            ::testing::KilledBySignal(SIGKILL), "");
        ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
        EXPECT_EQ(Name(0), "Old");
        slot = m_profiles->GetSlot(0);
        slot->used = 1;
        slot->gameInProgress = 1;
    }
}

TEST_F(ProfileTest, EveryCutOrFlippedFileLoadsSafelyAndIsLeftAsItWas)
{
    Played(0, u"Anna");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    const Bytes whole = ReadFile(0);
    ASSERT_GT(whole.size(), 100u);
    std::vector<Bytes> variants;
    for (size_t n = 0; n < whole.size(); ++n)
        variants.push_back(whole.substr(0, n));
    for (size_t i = 0; i < whole.size(); ++i)
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            Bytes b = whole;
            b[i] = static_cast<char>(b[i] ^ flip);
            variants.push_back(b);
        }
    for (const Bytes& bytes : variants) {
        WriteFile(1, bytes);
        ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
        m_profiles->LoadProfileFromFile(1, nullptr, 0);
        const ProfileSlot* slot = m_profiles->GetSlot(1);
        EXPECT_TRUE(slot->chapterIndex == -1 || m_chapters->IsChapter(slot->chapterIndex)) << slot->chapterIndex;
        if (slot->mismatched)
            EXPECT_TRUE(m_chapters->IsChapter(slot->chapterIndex));
        EXPECT_TRUE(!slot->name || UtilsString_Length(slot->name) <= kProfileNameMax);
        EXPECT_LT(slot->playTime.fraction, 1800.0f);
        EXPECT_GE(slot->playTime.fraction, 0.0f);
        ASSERT_EQ(ReadFile(1), bytes);
        if (HasFailure())
            break;
    }
}
