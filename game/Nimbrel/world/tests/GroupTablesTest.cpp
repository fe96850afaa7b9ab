// The labels, item groups and popup groups of "groups/": written as the tool writes them, read
// at world load against two scene objects, looked up by name, and every damaged file refused.
#include <gtest/gtest.h>

#include <cstring>

#include "NimbrelWorld/CExtraTextManager.h"
#include "NimbrelWorld/GroupTableFile.h"
#include "NimbrelWorld/GroupTables.h"
#include "ObjectsFixture.h"
#include "VornelUtils/UtilsMemory.h"

namespace {

struct SourceRecord {
    std::string name;
    std::vector<std::string> members;
    uint32_t word1 = 0, word2 = 0;
    uint8_t byte1 = 0, byte2 = 0;
    uint32_t value = 0;
};

// The file bytes of a table, as `vornel construct build` writes them.
std::vector<uint8_t> TableBytes(GroupTableKind kind, const std::vector<SourceRecord>& source,
                                const std::string& identity = "Nimbrel")
{
    std::vector<GroupTableRecord> records(source.size());
    std::vector<std::vector<char*>> members(source.size());
    for (size_t i = 0; i < source.size(); ++i) {
        for (const std::string& m : source[i].members)
            members[i].push_back(const_cast<char*>(m.c_str()));
        records[i] = GroupTableRecord{const_cast<char*>(source[i].name.c_str()), source[i].word1, source[i].word2,
                                      source[i].byte1, source[i].byte2, source[i].value,
                                      uint32_t(members[i].size()), members[i].data()};
    }
    GroupTable table = {records.data(), uint32_t(records.size()), nullptr};
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    EXPECT_EQ(GroupTable_Write(&stream, identity.c_str(), kind, table), kStatusOk);
    std::vector<uint8_t> bytes = StreamBytes(stream);
    stream.Close();
    return bytes;
}

const std::vector<SourceRecord> kLabels = {
    {"shelf", {"@hall@key", "@hall@book"}, 7, 8, 1, 2},
    {"Study", {"@study@drawer"}, 1, 0, 0, 1},
    {"sparkle", {}, 0, 0, 0, 0},
};

class GroupTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        hall = new SceneTestObject(world.GetWorldData(), 0, kObjectKindExploration, "hall", nullptr);
        hall->SetElements({"background", "key", "book"});
        study = new SceneTestObject(world.GetWorldData(), 1, kObjectKindExploration, "study", nullptr);
        study->SetElements({"drawer"});
        auto* objects = static_cast<TestObjectsManager*>(world.GetObjectsManager());
        objects->Adopt({hall, study});
        ASSERT_EQ(objects->BuildNameIndex(), kStatusOk);
    }
    void Store(GroupTableKind kind, const std::vector<uint8_t>& bytes)
    {
        StoredFiles()[GroupTableFileName(kind)] = bytes;
    }
    std::string ErrorText() { return UtilsString_ToUtf8(world.GetWorldData()->lastErrorText); }

    ConstructionWorld world;
    SceneTestObject* hall = nullptr;
    SceneTestObject* study = nullptr;
};

TEST_F(GroupTables, LabelsResolveTheirMembersAndAreFoundByName)
{
    Store(kGroupTableLabels, TableBytes(kGroupTableLabels, kLabels));
    CLabels labels(world.GetWorldData());
    ASSERT_EQ(labels.LoadLabels(), kStatusOk);
    EXPECT_TRUE(labels.IsLoaded());
    ASSERT_EQ(labels.GetCount(), 3u);
    // Bytes compare unsigned: the capital sorts first.
    const uint32_t* index = labels.GetSortedIndex();
    EXPECT_EQ(std::vector<uint32_t>(index, index + 3), (std::vector<uint32_t>{1, 0, 2}));
    EXPECT_EQ(labels.FindLabelByName("shelf"), 0);
    EXPECT_EQ(labels.FindLabelByName("Study"), 1);
    EXPECT_EQ(labels.FindLabelByName("sparkle"), 2);
    for (const char* absent : {"study", "Shelf", "shel", "shelves", "", "zzz", "A"})
        EXPECT_EQ(labels.FindLabelByName(absent), -1) << absent;
    EXPECT_EQ(labels.FindLabelByName(nullptr), -1);
    const LabelRecord* shelf = labels.GetLabel(0);
    ASSERT_NE(shelf, nullptr);
    EXPECT_STREQ(shelf->group.pName, "shelf");
    EXPECT_EQ(shelf->word1, 7u);
    EXPECT_EQ(shelf->word2, 8u);
    EXPECT_EQ(shelf->byte1, 1);
    EXPECT_EQ(shelf->byte2, 2);
    ASSERT_EQ(shelf->group.memberCount, 2u);
    EXPECT_EQ(shelf->group.pMembers[0].levelIndex, 0u);
    EXPECT_EQ(shelf->group.pMembers[0].elementIndex, 1u);
    EXPECT_EQ(shelf->group.pMembers[1].elementIndex, 2u);
    EXPECT_EQ(shelf->group.pMembers[1].unresolved, 0);
    const LabelRecord* drawer = labels.GetLabel(1);
    EXPECT_EQ(drawer->group.pMembers[0].levelIndex, 1u);
    EXPECT_EQ(drawer->group.pMembers[0].elementIndex, 0u);
    EXPECT_EQ(labels.GetLabel(2)->group.memberCount, 0u);
    EXPECT_EQ(labels.GetLabel(3), nullptr);
    EXPECT_EQ(labels.GetLabel(-1), nullptr);
}

TEST_F(GroupTables, ItemGroupsReadTheirOwnFile)
{
    Store(kGroupTableItems, TableBytes(kGroupTableItems, {{"hall_items", {"@hall@book", "@hall@key"}}, {"desk", {}}}));
    // A labels file does not stand in for it.
    Store(kGroupTableLabels, TableBytes(kGroupTableLabels, kLabels));
    CGroups groups(world.GetWorldData());
    ASSERT_EQ(groups.LoadGroups(), kStatusOk);
    ASSERT_EQ(groups.GetCount(), 2u);
    EXPECT_EQ(groups.FindGroupByName("hall_items"), 0);
    EXPECT_EQ(groups.FindGroupByName("desk"), 1);
    EXPECT_EQ(groups.FindGroupByName("shelf"), -1);
    const GroupRecord* items = groups.GetGroup(0);
    ASSERT_EQ(items->memberCount, 2u);
    EXPECT_EQ(items->pMembers[0].elementIndex, 2u);
    EXPECT_EQ(items->pMembers[1].elementIndex, 1u);
    EXPECT_EQ(groups.Release(), kStatusOk);
    EXPECT_EQ(groups.GetCount(), 0u);
    EXPECT_EQ(groups.FindGroupByName("desk"), -1);
}

TEST_F(GroupTables, EmptyMissingAndForeignTablesLoadEmptyWithoutError)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;  // empty: no file
    };
    std::vector<uint8_t> construction = TableBytes(kGroupTableLabels, kLabels);
    construction[0] = 0xF1;  // a construction file's header version, 0x01F1
    construction[1] = 0x01;
    const Case cases[] = {
        {"count 0", TableBytes(kGroupTableLabels, {})},
        {"missing", {}},
        {"construction header", construction},
        {"another game", TableBytes(kGroupTableLabels, kLabels, "Stranger")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredFiles().erase(GroupTableFileName(kGroupTableLabels));
        if (!c.bytes.empty())
            Store(kGroupTableLabels, c.bytes);
        CLabels labels(world.GetWorldData());
        ASSERT_EQ(labels.LoadLabels(), kStatusOk);
        EXPECT_TRUE(labels.IsLoaded());
        EXPECT_EQ(labels.GetCount(), 0u);
        EXPECT_EQ(labels.GetSortedIndex(), nullptr);
        for (const SourceRecord& r : kLabels)
            EXPECT_EQ(labels.FindLabelByName(r.name.c_str()), -1);
    }
}

TEST_F(GroupTables, AMemberThatDoesNotResolveFailsTheWholeLoad)
{
    for (const char* member : {"@hall@lamp", "@cellar@key", "hall@key", "@hallkey"}) {
        SCOPED_TRACE(member);
        Store(kGroupTableItems, TableBytes(kGroupTableItems, {{"a", {"@hall@key"}}, {"b", {member}}}));
        CGroups groups(world.GetWorldData());
        EXPECT_EQ(groups.LoadGroups(), kStatusFailed);
        EXPECT_FALSE(groups.IsLoaded());
        EXPECT_EQ(groups.FindGroupByName("a"), -1);
    }
}

// Byte offsets in a labels file of identity "Nimbrel": the version at 14, the count at 18, the
// first record's name count at 22.
constexpr size_t kVersionAt = 14, kCountAt = 18, kFirstNameAt = 22;

void SetWord(std::vector<uint8_t>& bytes, size_t at, uint32_t word)
{
    std::memcpy(bytes.data() + at, &word, 4);
}

TEST_F(GroupTables, DamagedTablesAreRefusedAsAnInvalidConstruction)
{
    const std::vector<SourceRecord> one = {{"shelf", {"@hall@key"}, 7, 8, 1, 2}};
    const std::vector<uint8_t> good = TableBytes(kGroupTableLabels, one);
    const std::vector<uint8_t> two = TableBytes(kGroupTableLabels, {{"a", {}}, {"b", {}}});
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        void (*damage)(std::vector<uint8_t>& b);
    };
    const Case cases[] = {
        {"version 21", good, [](std::vector<uint8_t>& b) { SetWord(b, kVersionAt, 21); }},
        {"name count 0", good, [](std::vector<uint8_t>& b) { SetWord(b, kFirstNameAt, 0); }},
        {"name count 4097", good, [](std::vector<uint8_t>& b) { SetWord(b, kFirstNameAt, 4097); }},
        {"name without terminator", good, [](std::vector<uint8_t>& b) { b[kFirstNameAt + 4 + 5] = 'x'; }},
        {"record count past the end", good, [](std::vector<uint8_t>& b) { SetWord(b, kCountAt, 0x10000000); }},
        {"member count past the end", good,
         [](std::vector<uint8_t>& b) { SetWord(b, kFirstNameAt + 4 + 6 + 10, 0xFFFFFFFF); }},
        {"index entry past the records", two, [](std::vector<uint8_t>& b) { SetWord(b, b.size() - 4, 2); }},
        {"index names descend", two,
         [](std::vector<uint8_t>& b) {
             SetWord(b, b.size() - 8, 1);
             SetWord(b, b.size() - 4, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = c.bytes;
        c.damage(bytes);
        Store(kGroupTableLabels, bytes);
        world.GetWorldData()->lastErrorText[0] = 0;
        CLabels labels(world.GetWorldData());
        EXPECT_EQ(labels.LoadLabels(), kStatusFailed);
        EXPECT_EQ(ErrorText(), "Invalid construction,\na new construction must be made");
        EXPECT_FALSE(labels.IsLoaded());
    }
    // Cut anywhere after the header, the file fails and leaves nothing behind.
    for (size_t cut = kVersionAt; cut < good.size(); ++cut) {
        Store(kGroupTableLabels, std::vector<uint8_t>(good.begin(), good.begin() + long(cut)));
        CLabels labels(world.GetWorldData());
        EXPECT_EQ(labels.LoadLabels(), kStatusFailed) << "cut at " << cut;
    }
    Store(kGroupTableLabels, good);
    CLabels labels(world.GetWorldData());
    EXPECT_EQ(labels.LoadLabels(), kStatusOk);
}

TEST_F(GroupTables, PopupGroupsAreFoundInFileOrderAfterTheSlots)
{
    CExtraTextManager extraTexts(world.GetWorldData());
    Store(kGroupTablePopups, TableBytes(kGroupTablePopups, {{"welcome", {}, 0, 0, 0, 0, 5},
                                                            {"found_key", {}, 0, 0, 0, 0, 6},
                                                            {"welcome", {}, 0, 0, 0, 0, 7}}));
    EXPECT_EQ(extraTexts.GetSlotCount(), kExtraTextSlotsUnknown);
    ASSERT_EQ(extraTexts.LoadExtraTexts(), kStatusOk);
    EXPECT_TRUE(extraTexts.IsLoaded());
    EXPECT_EQ(extraTexts.GetSlotCount(), 2u);
    EXPECT_EQ(extraTexts.GetPopupTextBase(), 2u);
    EXPECT_EQ(extraTexts.GetPopupGroupCount(), 3u);
    EXPECT_EQ(extraTexts.FindPopupGroupByName("welcome"), 0);
    EXPECT_EQ(extraTexts.FindPopupGroupByName("found_key"), 1);
    EXPECT_EQ(extraTexts.GetPopupGroup(1)->value, 6u);
    EXPECT_EQ(extraTexts.FindPopupGroupByName("found"), -1);
    EXPECT_EQ(extraTexts.FindPopupGroupByName(nullptr), -1);
    // A damaged table is refused; a missing one is empty.
    std::vector<uint8_t> damaged = TableBytes(kGroupTablePopups, {{"welcome", {}}});
    SetWord(damaged, kVersionAt, 19);
    Store(kGroupTablePopups, damaged);
    EXPECT_EQ(extraTexts.LoadExtraTexts(), kStatusFailed);
    EXPECT_EQ(ErrorText(), "Invalid construction,\na new construction must be made");
    StoredFiles().erase(GroupTableFileName(kGroupTablePopups));
    ASSERT_EQ(extraTexts.LoadExtraTexts(), kStatusOk);
    EXPECT_EQ(extraTexts.FindPopupGroupByName("welcome"), -1);
}

TEST(ExtraTexts, BeforeTheConstructionTheTextsCannotLoad)
{
    ConstructionWorld world;
    CExtraTextManager extraTexts(world.GetWorldData());
    EXPECT_EQ(extraTexts.LoadExtraTexts(), kStatusNoSceneObjects);
    EXPECT_EQ(world.GetWorldData()->lastErrorCode, kStatusNoSceneObjects);
    EXPECT_FALSE(extraTexts.IsLoaded());
    // Without a renderer there is no button object to make or draw.
    EXPECT_EQ(extraTexts.Load(), kStatusFailed);
    const float at[3] = {0, 0, 0};
    EXPECT_EQ(extraTexts.DrawButton(0, at, 1.0f, 1), kStatusFailed);
}

}  // namespace
