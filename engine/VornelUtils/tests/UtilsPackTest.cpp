#include "VornelUtils/DichotomyList.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DataTestFolder.h"

namespace {

// A record as the writer would make it, with the name bytes given exactly.
void PutRecord(std::vector<uint8_t>& out, const std::vector<uint8_t>& nameBytes, const std::string& data)
{
    PutU32(out, static_cast<uint32_t>(data.size()));
    PutU32(out, static_cast<uint32_t>(nameBytes.size()));
    std::vector<uint8_t> name = nameBytes;
    ApplyScrambleKey(name.data(), name.size(), kScrambleKey);
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), data.begin(), data.end());
}

// Each byte widened as it is: pack names are the low bytes of the asked wide name.
std::u16string Wide(const std::string& name)
{
    std::u16string wide;
    for (unsigned char c : name)
        wide.push_back(c);
    return wide;
}

std::vector<uint8_t> NameBytes(const std::string& name)
{
    std::vector<uint8_t> bytes(name.begin(), name.end());
    bytes.push_back(0);
    return bytes;
}

class PackTest : public ::testing::Test {
protected:
    ~PackTest() override { ClosePackFile(&pack); }

    // Writes the entries (name, data) after a count record, and opens the pack.
    void MakePack(const std::vector<std::pair<std::string, std::string>>& entries, bool countRecord = true)
    {
        ClosePackFile(&pack);
        std::FILE* file = std::fopen(folder.Path("test.pak").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        if (countRecord) {
            ASSERT_EQ(WritePackCountRecord(file, static_cast<uint32_t>(entries.size())), kStatusOk);
        }
        for (const auto& [name, data] : entries)
            ASSERT_EQ(WritePackRecord(file, name.c_str(), data.data(), static_cast<uint32_t>(data.size())), kStatusOk);
        std::fclose(file);
        ASSERT_EQ(OpenPackFile(&pack, folder.WidePath("test.pak").c_str(), 0), kStatusOk);
    }

    void OpenBytes(const std::vector<uint8_t>& bytes)
    {
        ClosePackFile(&pack);
        folder.WriteFile("raw.pak", bytes);
        ASSERT_EQ(OpenPackFile(&pack, folder.WidePath("raw.pak").c_str(), 0), kStatusOk);
    }

    // The data of the entry the pack stands at, read from the file.
    std::string EntryData()
    {
        std::string data(pack.lastEntrySize, '\0');
        if (!data.empty() && std::fread(&data[0], 1, data.size(), pack.pFile) != data.size())
            return "<short>";
        return data;
    }

    Status Find(const std::string& name) { return FindPackEntry(Wide(name).c_str(), &pack); }

    DataTestFolder folder{"pack"};
    PackRecord pack{};
    WorldData world{};
};

} // namespace

TEST_F(PackTest, ScanAndIndexAgree)
{
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"textures/default.gl.frag", "shader"}, {"groups/_labels_groups.raw", "labels"},
        {"B", "upper"}, {"b", "lower"}, {"a", ""}, {"m/n", "middle"}, {std::string(258, 'z'), "longest"},
        {"\xE9t\xE9", "high bytes"},
    };
    MakePack(entries);
    const std::vector<std::string> absent = {"", "0", "A", "aa", "c", "groups", "m/", "m/n/", "zz", "\xFF", "textures/default.gl.frag2"};

    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "scan" : "index");
        for (const auto& [name, data] : entries) {
            ASSERT_EQ(Find(name), kStatusOk) << name;
            EXPECT_EQ(pack.lastEntrySize, data.size());
            EXPECT_EQ(std::u16string(pack.lastEntryName), Wide(name));
            EXPECT_EQ(EntryData(), data) << name;
        }
        for (const auto& name : absent)
            EXPECT_EQ(Find(name), kStatusFailed) << name;
        if (pass == 0) {
            ASSERT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
            ASSERT_NE(pack.pIndex, nullptr);
            EXPECT_EQ(pack.pIndex->orderCount, entries.size());
        }
    }
    // Names are cut to their low bytes the way the pack stores them.
    EXPECT_EQ(FindPackEntry(u"\u00E9t\u00E9", &pack), kStatusOk);
    EXPECT_EQ(FreePackIndex(&pack), kStatusOk);
    EXPECT_EQ(pack.pIndex, nullptr);
    EXPECT_EQ(FreePackIndex(&pack), kStatusOk);
}

TEST_F(PackTest, IndexFindsEveryEntryOfLargerPacks)
{
    for (uint32_t count : {1u, 2u, 3u, 4u, 5u, 16u, 17u, 100u}) {
        std::vector<std::pair<std::string, std::string>> entries;
        for (uint32_t i = 0; i < count; ++i)
            entries.push_back({"e" + std::to_string(i * 2 + 1), std::to_string(i)});
        MakePack(entries);
        ASSERT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_EQ(Find("e" + std::to_string(i * 2 + 1)), kStatusOk) << count << " " << i;
            EXPECT_EQ(EntryData(), std::to_string(i));
            EXPECT_EQ(Find("e" + std::to_string(i * 2 + 1) + "x"), kStatusFailed);
        }
        EXPECT_EQ(Find("d"), kStatusFailed);
        EXPECT_EQ(Find("f"), kStatusFailed);
    }
}

TEST_F(PackTest, EmptyPackIsIndexedWithoutFailing)
{
    // An external pack made from an empty folder: the game's load indexes it and must go on.
    MakePack({});
    EXPECT_EQ(Find("anything"), kStatusFailed);
    world.lastErrorCode = kStatusOk;
    EXPECT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
    EXPECT_EQ(world.lastErrorCode, kStatusOk); // no out-of-memory latched
    EXPECT_EQ(pack.pIndex, nullptr);
    EXPECT_EQ(Find("anything"), kStatusFailed);

    // A record after a count of 0 is no entry, for the scan as for the index.
    std::vector<uint8_t> bytes;
    PutRecord(bytes, NameBytes("*=0"), "");
    PutRecord(bytes, NameBytes("a"), "1");
    OpenBytes(bytes);
    EXPECT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
    EXPECT_EQ(pack.pIndex, nullptr);
    EXPECT_EQ(Find("a"), kStatusFailed);
}

TEST_F(PackTest, FailedIndexBuildLeavesNoIndex)
{
    // Without a count record the scan works but no index can be built.
    MakePack({{"a", "1"}, {"b", "2"}}, false);
    EXPECT_EQ(BuildPackIndex(&pack, &world), kStatusFailed);
    EXPECT_EQ(pack.pIndex, nullptr);
    ASSERT_EQ(Find("b"), kStatusOk);
    EXPECT_EQ(EntryData(), "2");
    EXPECT_EQ(Find("c"), kStatusFailed);

    // A count record promising more records than there are.
    std::vector<uint8_t> bytes;
    PutRecord(bytes, NameBytes("*=3"), "");
    PutRecord(bytes, NameBytes("a"), "1");
    PutRecord(bytes, NameBytes("b"), "2");
    OpenBytes(bytes);
    EXPECT_EQ(BuildPackIndex(&pack, &world), kStatusFailed);
    EXPECT_EQ(pack.pIndex, nullptr);
    ASSERT_EQ(Find("b"), kStatusOk);
    EXPECT_EQ(EntryData(), "2");

    // An index built earlier goes when a rebuild fails.
    MakePack({{"a", "1"}});
    ASSERT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
    std::fclose(pack.pFile);
    pack.pFile = nullptr;
    EXPECT_EQ(BuildPackIndex(&pack, &world), kStatusFailed);
    EXPECT_EQ(pack.pIndex, nullptr);
}

TEST_F(PackTest, BadRecordsAreRefused)
{
    const struct {
        const char* what;
        std::vector<uint8_t> name;
    } cases[] = {
        {"name length 0", {}},
        {"no terminator", {'b', 'a', 'd'}},
        {"260 name bytes", NameBytes(std::string(259, 'n'))},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes;
        PutRecord(bytes, NameBytes("*=2"), "");
        PutRecord(bytes, NameBytes("good"), "g");
        PutRecord(bytes, c.name, "data");
        PutRecord(bytes, NameBytes("after"), "a");
        OpenBytes(bytes);
        ASSERT_EQ(Find("good"), kStatusOk) << c.what;
        EXPECT_EQ(Find("after"), kStatusFailed) << c.what;
        EXPECT_EQ(BuildPackIndex(&pack, &world), kStatusFailed) << c.what;
        EXPECT_EQ(pack.pIndex, nullptr) << c.what;
    }

    // 259 name bytes (258 characters and the zero) are accepted.
    std::vector<uint8_t> bytes;
    PutRecord(bytes, NameBytes(std::string(258, 'n')), "ok");
    OpenBytes(bytes);
    EXPECT_EQ(Find(std::string(258, 'n')), kStatusOk);
    // A name of 259 characters or more is never asked of the pack.
    EXPECT_EQ(Find(std::string(259, 'n')), kStatusFailed);
    EXPECT_EQ(Find(std::string(1000, 'n')), kStatusFailed);

    // Data running past the end of the file.
    bytes.clear();
    PutU32(bytes, 1000);
    PutU32(bytes, 2);
    std::vector<uint8_t> name = NameBytes("x");
    ApplyScrambleKey(name.data(), name.size(), kScrambleKey);
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back('d');
    OpenBytes(bytes);
    EXPECT_EQ(Find("x"), kStatusFailed);

    // The writer refuses names the reader would refuse.
    std::FILE* file = std::fopen(folder.Path("w.pak").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WritePackRecord(file, "", "d", 1), kStatusFailed);
    EXPECT_EQ(WritePackRecord(file, std::string(259, 'n').c_str(), "d", 1), kStatusFailed);
    std::fclose(file);
}

TEST_F(PackTest, StartOffsetAndClosedPack)
{
    std::vector<uint8_t> bytes = {'J', 'U', 'N', 'K'};
    PutRecord(bytes, NameBytes("*=1"), "");
    PutRecord(bytes, NameBytes("inner"), "data");
    folder.WriteFile("offset.pak", bytes);
    ASSERT_EQ(OpenPackFile(&pack, folder.WidePath("offset.pak").c_str(), 4), kStatusOk);
    ASSERT_EQ(Find("inner"), kStatusOk);
    EXPECT_EQ(EntryData(), "data");
    ASSERT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
    ASSERT_EQ(Find("inner"), kStatusOk);
    EXPECT_EQ(EntryData(), "data");
    ClosePackFile(&pack);
    EXPECT_EQ(pack.pIndex, nullptr);
    EXPECT_EQ(Find("inner"), kStatusFailed);
    EXPECT_EQ(OpenPackFile(&pack, folder.WidePath("missing.pak").c_str(), 0), kStatusPackMissing);
}

TEST_F(PackTest, WalkListsEntriesInFileOrder)
{
    MakePack({{"one", "1"}, {"two", "22"}});
    std::vector<std::string> seen;
    bool counted = false;
    const PackEntryVisitor visit = [](void* context, const char* name, uint32_t size, uint32_t) {
        static_cast<std::vector<std::string>*>(context)->push_back(std::string(name) + ":" + std::to_string(size));
        return true;
    };
    ASSERT_EQ(WalkPackEntries(&pack, visit, &seen, &counted), kStatusOk);
    EXPECT_TRUE(counted);
    EXPECT_EQ(seen, (std::vector<std::string>{"one:1", "two:2"}));
}

TEST(DichotomyList, SortsByUnsignedBytesAndKeepsEqualKeysNewestFirst)
{
    DichotomyList list(nullptr);
    EXPECT_EQ(list.Sort(), nullptr);
    const char* keys[] = {"b", "a", "\xE9", "z", "a", "ab", ""};
    for (uint32_t i = 0; i < 7; ++i)
        ASSERT_EQ(list.Add(keys[i], i), kStatusOk);
    EXPECT_EQ(list.GetCount(), 7u);
    uint32_t* order = list.Sort();
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(order, order + 7), (std::vector<uint32_t>{6, 4, 1, 5, 0, 3, 2}));
    UTILS_FREE(order);
}
