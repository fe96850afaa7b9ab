#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Packer.h"
#include "VornelUtils/UtilsStream_Static.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DataTestFolder.h"

namespace {

std::vector<uint8_t> Contents(const UtilsStream_Static& stream)
{
    return std::vector<uint8_t>(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
}

} // namespace

TEST(UtilsStream, NullStringStoresOnlyACount)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    ASSERT_EQ(stream.Open(), kStatusOk);
    ASSERT_TRUE(stream.WriteString(nullptr, false));
    EXPECT_EQ(Contents(stream), (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_TRUE(stream.Rewind());
    char16_t* text = reinterpret_cast<char16_t*>(1);
    ASSERT_TRUE(stream.ReadString(&text, false));
    EXPECT_EQ(text, nullptr);
}

TEST(UtilsStream, StringLayouts)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    ASSERT_EQ(stream.Open(), kStatusOk);
    char16_t wide[] = u"abc";
    ASSERT_TRUE(stream.WriteString(wide, false));
    ASSERT_TRUE(stream.WriteString(wide, true));
    EXPECT_EQ(std::u16string(wide), u"abc"); // the caller's string is never inverted
    ASSERT_TRUE(stream.WriteStringA("hi", true));
    const std::vector<uint8_t> expected = {
        4, 0, 0, 0, 2, 'a', 0, 'b', 0, 'c', 0, 0, 0,                    // count, size, characters
        4, 0, 0, 0, 2, 0x9E, 0xFF, 0x9D, 0xFF, 0x9C, 0xFF, 0, 0,        // inverted, zero kept
        3, 0, 0, 0, 1, 0x97, 0x96, 0,                                   // 8-bit, inverted
    };
    EXPECT_EQ(Contents(stream), expected);

    ASSERT_TRUE(stream.Rewind());
    char16_t* plain = nullptr;
    char16_t* inverted = nullptr;
    char* narrow = nullptr;
    ASSERT_TRUE(stream.ReadString(&plain, false));
    ASSERT_TRUE(stream.ReadString(&inverted, true));
    ASSERT_TRUE(stream.ReadStringA(&narrow, true));
    EXPECT_EQ(std::u16string(plain), u"abc");
    EXPECT_EQ(std::u16string(inverted), u"abc");
    EXPECT_STREQ(narrow, "hi");
    UTILS_FREE(plain);
    UTILS_FREE(inverted);
    UTILS_FREE(narrow);
}

TEST(UtilsStream, StringReadsAreBoundedAndTerminated)
{
    const struct {
        std::vector<uint8_t> bytes;
        bool ok;
    } cases[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 2, 'a', 0}, false},     // a count far beyond the bytes left
        {{2, 0, 0, 0x80, 2, 'a', 0, 'b', 0}, false},      // 0x80000002 x 2 bytes is 4 in 32 bits
        {{3, 0, 0, 0, 2, 'a', 0, 'b', 0}, false},         // one character short
        {{2, 0, 0, 0, 1, 'a', 0}, false},                 // wrong character size
        {{2, 0, 0, 0}, false},                            // no size byte
        {{3, 0, 0, 0, 2, 'a', 0, 'b', 0, 'c', 0}, true}, // no stored terminator: forced
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = c.bytes;
        UtilsStream_Static stream(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
        char16_t* text = nullptr;
        EXPECT_EQ(stream.ReadString(&text, false), c.ok);
        if (c.ok) {
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(std::u16string(text), u"ab");
        } else {
            EXPECT_EQ(text, nullptr);
        }
        UTILS_FREE(text);
    }
}

TEST(UtilsStream, MemorySeekStaysInsideTheData)
{
    uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    UtilsStream_Static stream(kStreamRead, block, 8);
    ASSERT_EQ(stream.Open(), kStatusOk);
    EXPECT_TRUE(stream.Seek(8, kSeekStart));
    EXPECT_FALSE(stream.IsEnd()); // exactly at the end is not the end
    EXPECT_FALSE(stream.Seek(1, kSeekCurrent));
    EXPECT_FALSE(stream.Seek(9, kSeekStart));
    EXPECT_FALSE(stream.Seek(-1, kSeekStart));
    EXPECT_FALSE(stream.Seek(1, kSeekEnd));
    EXPECT_TRUE(stream.Seek(-8, kSeekEnd));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_TRUE(stream.Seek(3, kSeekCurrent));
    uint8_t out[6];
    EXPECT_FALSE(stream.Read(out, 1, 6)); // only five left
    EXPECT_EQ(stream.Tell(), 3);
    EXPECT_TRUE(stream.Read(out, 1, 5));
    EXPECT_EQ(out[0], 4);
    EXPECT_FALSE(stream.Write(out, 1, 1)); // not writable
}

TEST(UtilsStream, MemoryWritesGrowToTheirEnd)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    ASSERT_EQ(stream.Open(), kStatusOk);
    const uint8_t ten[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_TRUE(stream.Write(ten, 1, 10));
    ASSERT_TRUE(stream.Seek(5, kSeekStart));
    ASSERT_TRUE(stream.Write(ten, 1, 10)); // crosses the end
    EXPECT_EQ(stream.GetSize(), 15u);
    EXPECT_EQ(stream.Tell(), 15);
    std::vector<uint8_t> big(10000, 7);
    ASSERT_TRUE(stream.Write(big.data(), 1, 10000));
    EXPECT_EQ(stream.GetSize(), 10015u);

    uint8_t fixed[4] = {};
    UtilsStream_Static notOwned(kStreamRead | kStreamWrite | kStreamGrowable, fixed, 4);
    EXPECT_TRUE(notOwned.Write(ten, 1, 4));
    EXPECT_FALSE(notOwned.Write(ten, 1, 1)); // not owned: no growing
    EXPECT_EQ(notOwned.GetSize(), 4u);

    UtilsStream_Static noBlock(kStreamRead, nullptr, 0);
    EXPECT_EQ(noBlock.Open(), kStatusFailed);
}

TEST(UtilsStream, SwapOnRead)
{
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    UtilsStream_Static stream(kStreamRead | kStreamSwapOnRead, bytes, 8);
    uint32_t words[2];
    ASSERT_TRUE(stream.Read(words, 4, 2));
    EXPECT_EQ(words[0], 0x01020304u);
    EXPECT_EQ(words[1], 0x05060708u);
    ASSERT_TRUE(stream.Rewind());
    uint16_t halves[2];
    ASSERT_TRUE(stream.Read(halves, 2, 2));
    EXPECT_EQ(halves[0], 0x0102);
    uint8_t raw[3];
    ASSERT_TRUE(stream.Read(raw, 1, 3));
    EXPECT_EQ(raw[0], 5);
}

TEST(UtilsStream, FileStream)
{
    DataTestFolder folder("stream");
    const std::u16string path = folder.WidePath("data.bin");
    {
        UtilsStream_File writer(kStreamWrite | kStreamSwapOnWrite, path.c_str());
        ASSERT_EQ(writer.Create(), kStatusOk);
        const uint32_t word = 0x11223344u;
        const uint16_t halves[2] = {0xAABB, 0xCCDD};
        EXPECT_TRUE(writer.Write(&word, 4, 1));
        EXPECT_TRUE(writer.Write(halves, 2, 2));
        EXPECT_EQ(halves[0], 0xAABB); // swapped from a copy
        EXPECT_TRUE(writer.WriteStringA("ok", false));
        uint8_t byte;
        EXPECT_FALSE(writer.Read(&byte, 1, 1));
        writer.Close();
    }
    EXPECT_EQ(folder.ReadFile("data.bin"),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0xAA, 0xBB, 0xCC, 0xDD, 0, 0, 0, 3, 1, 'o', 'k', 0}));

    UtilsStream_File reader(kStreamRead, path.c_str());
    ASSERT_EQ(reader.Open(), kStatusOk);
    EXPECT_EQ(reader.BytesLeft(), 16);
    uint8_t first[8];
    ASSERT_TRUE(reader.Read(first, 1, 8));
    EXPECT_EQ(reader.Tell(), 8);
    EXPECT_FALSE(reader.Read(first, 1, 9));
    EXPECT_TRUE(reader.IsEnd());
    EXPECT_TRUE(reader.Rewind());
    EXPECT_FALSE(reader.IsEnd());
    EXPECT_FALSE(reader.Write(first, 1, 1));

    UtilsStream_File missing(kStreamRead, folder.WidePath("missing.bin").c_str());
    EXPECT_EQ(missing.Open(), kStatusFailed);
}

#ifndef _WIN32
TEST(UtilsStream, AFileCloseReportsWritesThatDoNotReachTheDisk)
{
    // A full device: the small write is only buffered and accepted; the close must tell.
    UtilsStream_File full(kStreamWrite, u"/dev/full");
    ASSERT_EQ(full.Open(), kStatusOk);
    const uint32_t word = 7;
    EXPECT_TRUE(full.Write(&word, 4, 1));
    EXPECT_EQ(full.Close(), kStatusFailed);
    EXPECT_EQ(full.Close(), kStatusOk); // nothing left open
}
#endif

class PackStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::FILE* file = std::fopen(folder.Path("p.pak").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(WritePackCountRecord(file, 2), kStatusOk);
        ASSERT_EQ(WritePackRecord(file, "first", "0123456789", 10), kStatusOk);
        ASSERT_EQ(WritePackRecord(file, "second", "abcdef", 6), kStatusOk);
        std::fclose(file);
        ASSERT_EQ(OpenPackFile(&pack, folder.WidePath("p.pak").c_str(), 0), kStatusOk);
    }
    void TearDown() override { ClosePackFile(&pack); }

    DataTestFolder folder{"packstream"};
    PackRecord pack{};
};

TEST_F(PackStreamTest, ReadsStopAtTheEntryEnd)
{
    ASSERT_EQ(FindPackEntry(u"first", &pack), kStatusOk);
    UtilsStream_Packer stream(kStreamRead, &pack);
    ASSERT_EQ(stream.Open(), kStatusOk);
    char buffer[16] = {};
    EXPECT_FALSE(stream.Read(buffer, 1, 11)); // would run into the next record
    EXPECT_EQ(stream.Tell(), 0);
    ASSERT_TRUE(stream.Read(buffer, 1, 10));
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_FALSE(stream.Read(buffer, 1, 1));
    EXPECT_FALSE(stream.IsEnd());
}

TEST_F(PackStreamTest, SeekAndRewindStayOnTheEntry)
{
    ASSERT_EQ(FindPackEntry(u"second", &pack), kStatusOk);
    UtilsStream_Packer stream(kStreamRead, &pack);
    ASSERT_EQ(stream.Open(), kStatusOk);
    char buffer[8] = {};
    ASSERT_TRUE(stream.Read(buffer, 1, 3));
    // Another lookup moves the shared pack file.
    ASSERT_EQ(FindPackEntry(u"first", &pack), kStatusOk);
    ASSERT_TRUE(stream.Read(buffer, 1, 3));
    EXPECT_EQ(std::string(buffer, 3), "def");
    ASSERT_TRUE(stream.Rewind());
    ASSERT_TRUE(stream.Read(buffer, 1, 2));
    EXPECT_EQ(std::string(buffer, 2), "ab");
    ASSERT_TRUE(stream.Seek(-2, kSeekEnd));
    ASSERT_TRUE(stream.Read(buffer, 1, 2));
    EXPECT_EQ(std::string(buffer, 2), "ef");
    ASSERT_TRUE(stream.Seek(1, kSeekStart));
    ASSERT_TRUE(stream.Seek(2, kSeekCurrent));
    ASSERT_TRUE(stream.Read(buffer, 1, 1));
    EXPECT_EQ(buffer[0], 'd');
    EXPECT_FALSE(stream.Seek(7, kSeekStart));
    EXPECT_FALSE(stream.Seek(-1, kSeekStart));
    EXPECT_EQ(stream.BytesLeft(), 2);
}

TEST_F(PackStreamTest, OpenRefusesWritingAndClosedPacks)
{
    UtilsStream_Packer writable(kStreamRead | kStreamWrite, &pack);
    EXPECT_EQ(writable.Open(), kStatusFailed);
    UtilsStream_Packer noPack(kStreamRead, nullptr);
    EXPECT_EQ(noPack.Open(), kStatusFailed);
    PackRecord closed{};
    UtilsStream_Packer closedPack(kStreamRead, &closed);
    EXPECT_EQ(closedPack.Open(), kStatusFailed);
}
