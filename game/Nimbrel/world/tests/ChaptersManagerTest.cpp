// The chapter table from the construction file and the chapter block of a profile.
#include "NimbrelWorld/ChaptersManager.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ProfileFixture.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

WorldData g_world{};

bool LoadTable(CChaptersManager& chapters, Bytes bytes, Status* pStatus = nullptr)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.Open();
    const Status status = chapters.Load(&stream);
    if (pStatus)
        *pStatus = status;
    return status == kStatusOk;
}

// A saved chapter block: flag, count, chapter, identifier.
Status Check(CChaptersManager& chapters, uint32_t count, uint32_t chapter, uint32_t identifier)
{
    UtilsStream_Chunk chunk(10002);
    chunk.Open(kStreamReadWriteGrowable);
    const uint8_t flag = 1;
    chunk.Write(&flag, 1, 1);
    chunk.Write(&count, 4, 1);
    chunk.Write(&chapter, 4, 1);
    chunk.Write(&identifier, 4, 1);
    chunk.Rewind();
    return chapters.CheckSaved(&chunk);
}

}  // namespace

TEST(ChaptersManager, LoadsTheConstructionSectionAndRefusesWhatTheStreamCannotHold)
{
    CChaptersManager chapters(&g_world);
    EXPECT_EQ(chapters.GetCurrentChapter(), -1);
    // No chapters: the flag byte follows the count at once.
    ASSERT_TRUE(LoadTable(chapters, ChapterSection({}, 1)));
    EXPECT_EQ(chapters.GetChapterCount(), 0u);
    EXPECT_EQ(chapters.GetChapter(0), nullptr);
    EXPECT_EQ(chapters.GetChaptersFlag(), 1);

    ASSERT_TRUE(LoadTable(chapters, ChapterSection({{10, 3}, {20, 9}}, 0)));
    ASSERT_EQ(chapters.GetChapterCount(), 2u);
    EXPECT_EQ(chapters.GetChapter(1)->identifier, 20u);
    EXPECT_EQ(chapters.GetChapter(1)->firstLevel, 9u);
    EXPECT_EQ(chapters.GetChapter(2), nullptr);
    EXPECT_EQ(chapters.CheckFirstLevels(10), kStatusOk);
    EXPECT_EQ(chapters.CheckFirstLevels(9), kStatusFailed);

    const Bytes whole = ChapterSection({{10, 3}, {20, 9}}, 0);
    Bytes huge = whole;
    huge[3] = '\x7F';   // a count far beyond the bytes that follow
    const Bytes cases[] = {Bytes(), whole.substr(0, 3), whole.substr(0, 11), whole.substr(0, whole.size() - 1), huge};
    for (const Bytes& bad : cases) {
        Status status = 0;
        EXPECT_FALSE(LoadTable(chapters, bad, &status)) << bad.size();
        EXPECT_EQ(status, kStatusFailed);
    }
    EXPECT_EQ(chapters.Unload(), kStatusOk);
    EXPECT_EQ(chapters.GetChapter(0), nullptr);
}

TEST(ChaptersManager, ChecksASavedBlockAgainstTheTable)
{
    CChaptersManager chapters(&g_world);
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    for (uint32_t i = 0; i < 13; ++i)
        entries.push_back({1000 + i, i});
    ASSERT_TRUE(LoadTable(chapters, ChapterSection(entries, 1)));
    g_world.lastErrorCode = 0;
    EXPECT_EQ(Check(chapters, 13, 4, 1004), kStatusOk);
    EXPECT_EQ(g_world.lastErrorCode, 0);
    // 12 saved against a table of 13 is a bad block, not a mismatch.
    EXPECT_EQ(Check(chapters, 12, 4, 1004), kStatusFailed);
    // A saved -1 (no chapter) and a chapter beyond the table.
    EXPECT_EQ(Check(chapters, 13, 0xFFFFFFFFu, 0xFFFFFFFFu), kStatusFailed);
    EXPECT_EQ(Check(chapters, 13, 13, 0), kStatusFailed);
    EXPECT_EQ(g_world.lastErrorCode, 0);
    // Chapter 4 whose identifier changed: the mismatch carries the chapter, latched.
    EXPECT_EQ(Check(chapters, 13, 4, 77), StatusCode(0x80040003u));
    EXPECT_EQ(g_world.lastErrorCode, StatusCode(0x80040003u));
    // A short block.
    UtilsStream_Chunk chunk(10002);
    chunk.Open(kStreamReadWriteGrowable);
    EXPECT_EQ(chapters.CheckSaved(&chunk), kStatusFailed);
}

TEST(ChaptersManager, SavesTheCurrentChapterAndNoIdentifierWithoutOne)
{
    CChaptersManager chapters(&g_world);
    ASSERT_TRUE(LoadTable(chapters, ChapterSection({{10, 3}, {20, 9}}, 1)));
    const struct {
        int32_t current;
        uint32_t identifier;
    } cases[] = {{1, 20}, {-1, 0xFFFFFFFFu}, {2, 0xFFFFFFFFu}};
    for (const auto& c : cases) {
        chapters.SetCurrentChapter(c.current);
        UtilsStream_Chunk chunk(10002);
        chunk.Open(kStreamReadWriteGrowable);
        ASSERT_EQ(chapters.Save(nullptr, &chunk), kStatusOk);
        ASSERT_EQ(chunk.GetPayloadSize(), 13u);
        const uint8_t* p = chunk.GetInnerStream()->GetBlock();
        uint32_t words[3];
        std::memcpy(words, p + 1, 12);
        EXPECT_EQ(p[0], 1);
        EXPECT_EQ(words[0], 2u);
        EXPECT_EQ(words[1], static_cast<uint32_t>(c.current));
        EXPECT_EQ(words[2], c.identifier) << c.current;
    }
}
