#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataTestFolder.h"

namespace {

std::vector<uint8_t> Contents(const UtilsStream_Static& stream)
{
    return std::vector<uint8_t>(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
}

void Header(std::vector<uint8_t>& out, uint32_t position, uint32_t base, uint32_t tag, uint32_t total, uint32_t payload)
{
    for (uint32_t v : {position, base, tag, total, payload})
        PutU32(out, v);
}

// Writes a tree: 1 {payload "root"} with children 2 {u32 7} and 3 {} holding grandchild 4
// {"deep" as a wide string}, then a second top-level chunk 5.
void WriteTree(UtilsStream_ChunkList& list)
{
    UtilsStream_Chunk* root = list.CreateChunk(1, nullptr);
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(root->Write("root", 1, 4));
    UtilsStream_Chunk* two = list.CreateChunk(2, root);
    const uint32_t seven = 7;
    ASSERT_TRUE(two->Write(&seven, 4, 1));
    UtilsStream_Chunk* three = list.CreateChunk(3, root);
    UtilsStream_Chunk* four = list.CreateChunk(4, three);
    ASSERT_TRUE(four->WriteString(u"deep", true));
    UtilsStream_Chunk* five = list.CreateChunk(5, nullptr);
    ASSERT_TRUE(five->WriteStringA("x", false));
}

} // namespace

TEST(UtilsStreamChunk, ExactLayout)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    ASSERT_EQ(stream.Open(), kStatusOk);
    const uint8_t lead[3] = {9, 9, 9};
    ASSERT_TRUE(stream.Write(lead, 1, 3)); // chunks begin where the stream stands
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* parent = list.CreateChunk(0xA1, nullptr);
    ASSERT_TRUE(parent->Write("ab", 1, 2));
    UtilsStream_Chunk* child = list.CreateChunk(0xB2, parent);
    const uint16_t value = 0x1234;
    ASSERT_TRUE(child->Write(&value, 2, 1));
    EXPECT_EQ(child->GetTotalSize(), 22u);
    EXPECT_EQ(parent->GetTotalSize(), 20u + 2 + 22);
    ASSERT_TRUE(list.WriteAll());

    std::vector<uint8_t> expected = {9, 9, 9};
    Header(expected, 3, 3, 0xA1, 44, 2);
    expected.push_back('a');
    expected.push_back('b');
    Header(expected, 25, 3, 0xB2, 22, 2);
    expected.push_back(0x34);
    expected.push_back(0x12);
    EXPECT_EQ(Contents(stream), expected);
}

TEST(UtilsStreamChunk, SizesAndFindingByTag)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    UtilsStream_ChunkList list(&stream);
    WriteTree(list);
    UtilsStream_Chunk* root = list.FindChunk(1);
    UtilsStream_Chunk* two = list.FindChunk(2);
    UtilsStream_Chunk* three = list.FindChunk(3);
    UtilsStream_Chunk* four = list.FindChunk(4);
    ASSERT_TRUE(root && two && three && four);
    EXPECT_EQ(four->GetParent(), three);
    EXPECT_EQ(root->FindChunk(4), four);
    EXPECT_EQ(root->FindChunk(5), nullptr);
    EXPECT_EQ(four->GetTotalSize(), 20u + 4 + 1 + 10);
    EXPECT_EQ(three->GetTotalSize(), 20u + four->GetTotalSize());
    EXPECT_EQ(root->GetTotalSize(), 20u + 4 + two->GetTotalSize() + three->GetTotalSize());
    // Built chunks give their sub-chunks in order.
    EXPECT_EQ(root->ReadFirstChild(), two);
    EXPECT_EQ(root->ReadNextChild(), three);
    EXPECT_EQ(root->ReadNextChild(), nullptr);

    // Closing a chunk takes what it held out of the enclosing totals.
    const uint32_t before = root->GetTotalSize();
    three->Close();
    EXPECT_EQ(three->GetTotalSize(), 20u);
    EXPECT_EQ(root->GetTotalSize(), before - 35);
}

TEST(UtilsStreamChunk, FailedWritesLeaveTheSizes)
{
    UtilsStream_Chunk reader(7);
    ASSERT_EQ(reader.Open(kStreamRead | kStreamGrowable), kStatusOk);
    EXPECT_FALSE(reader.Write("abc", 1, 3));
    EXPECT_EQ(reader.GetTotalSize(), 20u);

    UtilsStream_Chunk parent(1);
    ASSERT_EQ(parent.Open(kStreamReadWriteGrowable), kStatusOk);
    auto* child = new UtilsStream_Chunk(2);
    ASSERT_EQ(child->Open(kStreamRead | kStreamGrowable), kStatusOk);
    ASSERT_EQ(parent.AddChild(child), kStatusOk);
    EXPECT_EQ(parent.GetTotalSize(), 40u);
    EXPECT_FALSE(child->Write("abc", 1, 3));
    EXPECT_EQ(parent.GetTotalSize(), 40u);
    // A payload that cannot grow: the write fails inside the stream, after every check.
    auto* fixed = new UtilsStream_Chunk(3);
    ASSERT_EQ(fixed->Open(kStreamRead | kStreamWrite | kStreamGrowable), kStatusOk);
    ASSERT_EQ(parent.AddChild(fixed), kStatusOk);
    EXPECT_EQ(parent.GetTotalSize(), 60u);
    EXPECT_FALSE(fixed->Write("abc", 1, 3));
    EXPECT_FALSE(fixed->WriteString(u"abc", false));
    EXPECT_EQ(fixed->GetTotalSize(), 20u);
    EXPECT_EQ(parent.GetTotalSize(), 60u);
    // A rewrite over the start of the payload does not grow it.
    ASSERT_TRUE(parent.Write("abcd", 1, 4));
    ASSERT_TRUE(parent.Rewind());
    ASSERT_TRUE(parent.Write("xy", 1, 2));
    EXPECT_EQ(parent.GetTotalSize(), 64u);
}

TEST(UtilsStreamChunk, TreeWrittenToAFileAndReadBack)
{
    DataTestFolder folder("chunks");
    const std::u16string path = folder.WidePath("profile.sav");
    {
        UtilsStream_File file(kStreamReadWriteGrowable, path.c_str());
        ASSERT_EQ(file.Create(), kStatusOk);
        UtilsStream_ChunkList list(&file, 0);
        WriteTree(list);
        ASSERT_TRUE(list.WriteAll());
    }
    UtilsStream_File file(kStreamRead, path.c_str());
    ASSERT_EQ(file.Open(), kStatusOk);
    UtilsStream_ChunkList list(&file, 0);
    UtilsStream_Chunk* first = list.ReadFirst();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTag(), 1u);
    EXPECT_EQ(list.ReadTree(first), kStatusOk);
    EXPECT_EQ(list.GetChunks().GetCount(), 2u);
    EXPECT_EQ(list.ReadFirst(), first); // read once only

    char root[4];
    ASSERT_TRUE(first->Read(root, 1, 4));
    EXPECT_EQ(std::string(root, 4), "root");
    UtilsStream_Chunk* two = list.FindChunk(2);
    ASSERT_NE(two, nullptr);
    uint32_t seven = 0;
    ASSERT_TRUE(two->Read(&seven, 4, 1));
    EXPECT_EQ(seven, 7u);
    UtilsStream_Chunk* four = list.FindChunk(4);
    ASSERT_NE(four, nullptr);
    char16_t* deep = nullptr;
    ASSERT_TRUE(four->ReadString(&deep, true));
    EXPECT_EQ(std::u16string(deep), u"deep");
    UTILS_FREE(deep);
    UtilsStream_Chunk* five = list.FindChunk(5);
    ASSERT_NE(five, nullptr);
    char* x = nullptr;
    ASSERT_TRUE(five->ReadStringA(&x, false));
    EXPECT_STREQ(x, "x");
    UTILS_FREE(x);
    EXPECT_EQ(list.FindChunk(6), nullptr);

    // Walking the children again gives the same chunks.
    EXPECT_EQ(first->ReadFirstChild(), two);
    EXPECT_EQ(first->ReadNextChild(), list.FindChunk(3));
    EXPECT_EQ(first->ReadNextChild(), nullptr);
    EXPECT_EQ(first->GetLastReadStatus(), kStatusOk);
    EXPECT_EQ(list.ReadNext(), five);
    EXPECT_EQ(list.ReadNext(), nullptr);
    EXPECT_EQ(list.GetLastReadStatus(), kStatusOk);

    // Read back, written again: the same bytes.
    UtilsStream_Static copy(kStreamReadWriteGrowable, nullptr, 0);
    for (void* p = list.GetChunks().GetFirst(); p != nullptr; p = list.GetChunks().GetNext())
        ASSERT_TRUE(static_cast<UtilsStream_Chunk*>(p)->WriteChunk(&copy, static_cast<uint32_t>(copy.Tell())));
    EXPECT_EQ(Contents(copy), folder.ReadFile("profile.sav"));
}

TEST(UtilsStreamChunk, WideReaderWidensNarrowAndCutsWideCharacters)
{
    UtilsStream_Chunk chunk(1);
    ASSERT_EQ(chunk.Open(kStreamReadWriteGrowable), kStatusOk);
    ASSERT_TRUE(chunk.WriteStringA("ab", false));
    const uint32_t count = 2;
    const uint8_t size = 4;
    const uint32_t characters[2] = {0x10041, 0};
    ASSERT_TRUE(chunk.Write(&count, 4, 1));
    ASSERT_TRUE(chunk.Write(&size, 1, 1));
    ASSERT_TRUE(chunk.Write(characters, 4, 2));
    ASSERT_TRUE(chunk.Rewind());
    char16_t* text = nullptr;
    ASSERT_TRUE(chunk.ReadString(&text, false));
    EXPECT_EQ(std::u16string(text), u"ab");
    UTILS_FREE(text);
    ASSERT_TRUE(chunk.ReadString(&text, false));
    EXPECT_EQ(std::u16string(text), u"A");
    UTILS_FREE(text);
}

TEST(UtilsStreamChunk, BadHeadersAreRefused)
{
    // A valid parent of 60 bytes whose 40-byte child area holds what each case puts there.
    const struct {
        const char* what;
        uint32_t position, base, total, payload;
    } cases[] = {
        {"total below the header", 20, 0, 19, 0},
        {"total beyond the parent", 20, 0, 41, 0},
        {"payload beyond the total", 20, 0, 40, 21},
        {"stored position elsewhere", 24, 0, 40, 0},
        {"another top-level chunk", 120, 100, 40, 0},
        {"zero total", 20, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes;
        Header(bytes, 0, 0, 1, 60, 0);
        Header(bytes, c.position, c.base, 2, c.total, c.payload);
        bytes.resize(60, 0);
        UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* parent = list.ReadFirst();
        ASSERT_NE(parent, nullptr) << c.what;
        EXPECT_EQ(parent->ReadFirstChild(), nullptr) << c.what;
        EXPECT_EQ(parent->GetLastReadStatus(), kStatusFailed) << c.what;
        EXPECT_EQ(list.ReadTree(parent), kStatusFailed) << c.what;
    }

    const struct {
        const char* what;
        uint32_t position, base, total, payload;
        size_t size;
    } topCases[] = {
        {"total beyond the stream", 0, 0, 40, 0, 39},
        {"short header", 0, 0, 20, 0, 19},
        {"position elsewhere", 4, 4, 20, 0, 20},
        {"base elsewhere", 0, 4, 20, 0, 20},
        {"payload beyond the total", 0, 0, 20, 1, 21},
    };
    for (const auto& c : topCases) {
        std::vector<uint8_t> bytes;
        Header(bytes, c.position, c.base, 1, c.total, c.payload);
        bytes.resize(c.size, 0);
        UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
        UtilsStream_ChunkList list(&stream);
        EXPECT_EQ(list.ReadFirst(), nullptr) << c.what;
        EXPECT_EQ(list.GetLastReadStatus(), kStatusFailed) << c.what;
    }

    // An empty stream holds no chunk, and that is no failure.
    UtilsStream_Static empty(kStreamRead | kStreamGrowable, nullptr, 0);
    UtilsStream_ChunkList none(&empty);
    EXPECT_EQ(none.ReadFirst(), nullptr);
    EXPECT_EQ(none.GetLastReadStatus(), kStatusOk);
}

TEST(UtilsStreamChunk, NestingDeeperThanTheLimitIsRefused)
{
    const uint32_t depth = kChunkMaxDepth + 4;
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < depth; ++i)
        Header(bytes, 20 * i, 0, i, 20 * (depth - i), 0);
    UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* top = list.ReadFirst();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(list.ReadTree(top), kStatusFailed);
    EXPECT_NE(list.FindChunk(kChunkMaxDepth - 2), nullptr);
    EXPECT_EQ(list.FindChunk(kChunkMaxDepth + 1), nullptr);
}
