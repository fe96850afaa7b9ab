// The construction file at world load: the objects made by the factory and built from their
// element-info files, the chapters and stamps, the lookups, and every way a file is refused.
#include <gtest/gtest.h>

#include "NimbrelInterfaces/CObjectsInterfaceButtons.h"
#include "NimbrelInterfaces/CObjectsInterfaceEffects.h"
#include "NimbrelInterfaces/CObjectsInterfaceHint.h"
#include "NimbrelInterfaces/CObjectsInterfaceLabels.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "NimbrelInterfaces/CObjectsInterfaceMenu.h"
#include "NimbrelInterfaces/CObjectsInterfacePopups.h"
#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbox.h"
#include "NimbrelLevels/CObjectsLevelBlackJack.h"
#include "NimbrelLevels/CObjectsLevelCircles.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelLevels/CObjectsLevelLabyrinthe.h"
#include "NimbrelLevels/CObjectsLevelMatch3.h"
#include "NimbrelLevels/CObjectsLevelTubing.h"
#include "NimbrelLevels/CObjectsLevelWheels.h"
#include "NimbrelLevels/CObjectsLevelMixture.h"
#include "NimbrelLevels/CObjectsLevelSliding.h"
#include "NimbrelLevels/CObjectsLevelSpider.h"
#include "NimbrelLevels/CObjectsLevelPuzzle.h"
#include "NimbrelLevels/CObjectsLevelSwitch.h"
#include "NimbrelLevels/CObjectsLevelWheelStack.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "ObjectsFixture.h"

namespace {

constexpr const char16_t* kVersionText = u"The raw version files changed,\na new construction must be made";

ConstructionLayout SampleLayout()
{
    ConstructionLayout layout;
    layout.objects = {{kObjectKindEmpty, 0, 0}, {kObjectKindExploration, 1, 5}};
    layout.chapters = {1, 1, 2, 0};
    return layout;
}

class Construction : public ::testing::Test {
protected:
    void Store(const std::vector<uint8_t>& construction, const std::vector<const char*>& names = {"puzzles", "hall"})
    {
        StoredFiles()[u"Nimbrel_construct.raw"] = construction;
        for (size_t i = 0; i < names.size(); ++i)
            StoredFiles()[UtilsString_FromUtf8(("Nimbrel_object_" + std::to_string(i) + ".raw").c_str())] =
                ElementInfoBytes(names[i]);
    }
    CObjectsManager* Objects() { return world.GetObjectsManager(); }
    std::string ErrorText() { return UtilsString_ToUtf8(world.GetWorldData()->lastErrorText); }

    ConstructionWorld world;
};

TEST_F(Construction, TheSampleShapeLoadsItsObjectsChaptersAndStamps)
{
    Store(ConstructionBytes(SampleLayout()));
    ASSERT_EQ(world.LoadRelease(), kStatusOk);
    CObjectsManager* objects = Objects();
    ASSERT_EQ(objects->GetObjectCount(), 2u);
    EXPECT_EQ(objects->GetObject(0)->GetTypeCode(), kObjectKindEmpty);
    CObjectsBase* hall = objects->GetObject(1);
    EXPECT_EQ(hall->GetTypeCode(), kObjectKindExploration);
    EXPECT_EQ(hall->GetObjectNumber(), 1u);
    EXPECT_EQ(hall->GetConstructWord(), 5u);
    // Element-info files go by array index.
    EXPECT_STREQ(objects->GetObject(0)->GetName(), "puzzles");
    EXPECT_STREQ(hall->GetName(), "hall");
    EXPECT_EQ(objects->FindLevelIndexByName("hall"), 1);
    EXPECT_EQ(objects->FindLevelIndexByName("puzzles"), 0);
    EXPECT_EQ(objects->FindLevelByNameAndType("hall", kObjectKindExploration), 1);
    EXPECT_EQ(objects->FindLevelByNameAndType("hall", kObjectKindEmpty), -1);
    EXPECT_EQ(objects->FindLevelByNameAndType(nullptr, kObjectKindEmpty), 0);
    EXPECT_EQ(world.GetCommandTarget(1), hall);
    EXPECT_EQ(world.GetCommandTarget(2), nullptr);
    uint32_t count = 0;
    EXPECT_TRUE(world.GetObjectCount(&count));
    EXPECT_EQ(count, 2u);
    for (uint32_t role = 0; role < kInterfaceRoleCount; ++role)
        EXPECT_EQ(objects->GetInterfaceIndex(role), kNoObjectIndex);

    CChaptersManager* chapters = world.GetChaptersManager();
    ASSERT_EQ(chapters->GetChapterCount(), 2u);
    EXPECT_EQ(chapters->GetChapter(0)->firstLevel, 1u);
    EXPECT_EQ(chapters->GetChapter(1)->identifier, 2u);
    EXPECT_EQ(chapters->GetChaptersFlag(), 1);
    const GameData* game = world.GetGameData();
    EXPECT_EQ(game->constructionStampA, 7u);
    EXPECT_EQ(game->constructionStampB, 9u);
    EXPECT_EQ(game->constructionReserved, 11u);
}

TEST(ObjectFactory, MakesTheClassesOfThisBuildAndNothingElse)
{
    WorldData w = {};
    CObjectsManager objects(&w);
    const ObjectsTypeInfo* rows = ObjectKindTable();
    for (int i = 0; i < kObjectKindCount; ++i) {
        const uint32_t code = rows[i].typeCode;
        CObjectsBase* made = objects.CreateObject(code, 4, 6);
        SCOPED_TRACE(code);
        if (code == kObjectKindExploration)
            EXPECT_NE(dynamic_cast<CObjectsLevelExploration*>(made), nullptr);
        else if (code == kObjectKindEmpty)
            EXPECT_NE(dynamic_cast<CObjectsLevelEmpty*>(made), nullptr);
        else if (code == kObjectKindPopups)
            EXPECT_NE(dynamic_cast<CObjectsInterfacePopups*>(made), nullptr);
        else if (code == kObjectKindInventory)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceToolbarInventory*>(made), nullptr);
        else if (code == kObjectKindItemsList)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceToolbarItemsList*>(made), nullptr);
        else if (code == kObjectKindToolbox)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceToolbox*>(made), nullptr);
        else if (code == kObjectKindTuto)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceTuto*>(made), nullptr);
        else if (code == kObjectKindButtons)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceButtons*>(made), nullptr);
        else if (code == kObjectKindLabyrinthe)
            EXPECT_NE(dynamic_cast<CObjectsLevelLabyrinthe*>(made), nullptr);
        else if (code == kObjectKindCircles)
            EXPECT_NE(dynamic_cast<CObjectsLevelCircles*>(made), nullptr);
        else if (code == kObjectKindBlackJack)
            EXPECT_NE(dynamic_cast<CObjectsLevelBlackJack*>(made), nullptr);
        else if (code == kObjectKindSpider)
            EXPECT_NE(dynamic_cast<CObjectsLevelSpider*>(made), nullptr);
        else if (code == kObjectKindWheelStack)
            EXPECT_NE(dynamic_cast<CObjectsLevelWheelStack*>(made), nullptr);
        else if (code == kObjectKindSwitch)
            EXPECT_NE(dynamic_cast<CObjectsLevelSwitch*>(made), nullptr);
        else if (code == kObjectKindPuzzle)
            EXPECT_NE(dynamic_cast<CObjectsLevelPuzzle*>(made), nullptr);
        else if (code == kObjectKindJigsaw)
            EXPECT_NE(dynamic_cast<CObjectsLevelJigsaw*>(made), nullptr);
        else if (code == kObjectKindMixture)
            EXPECT_NE(dynamic_cast<CObjectsLevelMixture*>(made), nullptr);
        else if (code == kObjectKindSliding)
            EXPECT_NE(dynamic_cast<CObjectsLevelSliding*>(made), nullptr);
        else if (code == kObjectKindTubing)
            EXPECT_NE(dynamic_cast<CObjectsLevelTubing*>(made), nullptr);
        else if (code == kObjectKindWheels)
            EXPECT_NE(dynamic_cast<CObjectsLevelWheels*>(made), nullptr);
        else if (code == kObjectKindMatch3)
            EXPECT_NE(dynamic_cast<CObjectsLevelMatch3*>(made), nullptr);
        else if (code == kObjectKindHint)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceHint*>(made), nullptr);
        else if (code == kObjectKindMonitor)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceMonitor*>(made), nullptr);
        else if (code == kObjectKindEffects)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceEffects*>(made), nullptr);
        else if (code == kObjectKindLabels)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceLabels*>(made), nullptr);
        else if (code == kObjectKindMenu)
            EXPECT_NE(dynamic_cast<CObjectsInterfaceMenu*>(made), nullptr);
        else
            EXPECT_EQ(made, nullptr);
        if (made) {
            EXPECT_EQ(made->GetTypeCode(), code);
            EXPECT_EQ(made->GetObjectNumber(), 4u);
            EXPECT_EQ(made->GetConstructWord(), 6u);
        }
        delete made;
    }
    EXPECT_EQ(objects.CreateObject(kObjectKindToolbarBase, 0, 0), nullptr);
}

TEST_F(Construction, NoObjectsLeavesEmptyArrays)
{
    Store(ConstructionBytes(ConstructionLayout{}), {});
    ASSERT_EQ(world.LoadRelease(), kStatusOk);
    EXPECT_EQ(Objects()->GetObjectCount(), 0u);
    EXPECT_EQ(Objects()->GetNameIndex(), nullptr);
    EXPECT_EQ(Objects()->FindLevelIndexByName("hall"), -1);
}

struct RefusedCase {
    const char* name;
    void (*layout)(ConstructionLayout& layout);     // null: the sample's
    void (*bytes)(std::vector<uint8_t>& b);  // null: as written
    const char16_t* dropFile;                // a file that is not there
    Status status;
    const char16_t* text;  // null: none
    Status errorCode;      // the world's error code afterwards (0: not checked)
};

void SetWord(std::vector<uint8_t>& bytes, size_t at, uint32_t word)
{
    std::memcpy(bytes.data() + at, &word, 4);
}

// Offsets in the file of SampleLayout: identity "Nimbrel" (8 bytes) from 6.
constexpr size_t kVersionAt = 14;
constexpr size_t kChapterCountAt = 30;
constexpr size_t kObjectCountAt = 51;

const RefusedCase kRefused[] = {
    {"missing file", nullptr, nullptr, u"Nimbrel_construct.raw", kStatusFailed, kInvalidConstructionText, 0},
    {"header 0x01F2", nullptr, [](std::vector<uint8_t>& b) { b[0] = 0xF2; }, nullptr, kStatusFailed, kVersionText, 0},
    {"foreign identity", [](ConstructionLayout& s) { s.identity = "Stranger"; }, nullptr, nullptr, kStatusFailed,
     nullptr, 0},
    {"version 0x1F0", nullptr, [](std::vector<uint8_t>& b) { SetWord(b, kVersionAt, 0x1F0); }, nullptr,
     kStatusMismatch, kInvalidConstructionText, kStatusMismatch},
    // 266 has no row of the kind table.
    {"type 266", [](ConstructionLayout& s) { s.objects[1].typeCode = 266; }, nullptr, nullptr, kStatusFailed, nullptr,
     0},
    {"type 999", [](ConstructionLayout& s) { s.objects[0].typeCode = 999; }, nullptr, nullptr, kStatusFailed, nullptr,
     0},
    {"word A not the index", [](ConstructionLayout& s) { s.objects[1].wordA = 0; }, nullptr, nullptr, kStatusMismatch,
     kInvalidConstructionText, kStatusMismatch},
    {"interface index past the objects", [](ConstructionLayout& s) { s.interfaces[kInterfaceHint] = 2; }, nullptr,
     nullptr, kStatusMismatch, kInvalidConstructionText, kStatusMismatch},
    {"chapter starting past the objects", [](ConstructionLayout& s) { s.chapters[3] = 2; }, nullptr, nullptr,
     kStatusMismatch, kInvalidConstructionText, kStatusMismatch},
    {"object count past the file", nullptr, [](std::vector<uint8_t>& b) { SetWord(b, kObjectCountAt, 0x40000000); },
     nullptr, kStatusFailed, nullptr, 0},
    {"chapter count past the file", nullptr, [](std::vector<uint8_t>& b) { SetWord(b, kChapterCountAt, 0x7000); },
     nullptr, kStatusFailed, nullptr, 0},
    {"missing element infos", nullptr, nullptr, u"Nimbrel_object_1.raw", kStatusFailed, nullptr, 0},
};

TEST_F(Construction, RefusedFiles)
{
    for (const RefusedCase& c : kRefused) {
        SCOPED_TRACE(c.name);
        ConstructionWorld fresh;
        ConstructionLayout layout = SampleLayout();
        if (c.layout)
            c.layout(layout);
        std::vector<uint8_t> bytes = ConstructionBytes(layout);
        if (c.bytes)
            c.bytes(bytes);
        StoredFiles()[u"Nimbrel_construct.raw"] = bytes;
        StoredFiles()[u"Nimbrel_object_0.raw"] = ElementInfoBytes("puzzles");
        StoredFiles()[u"Nimbrel_object_1.raw"] = ElementInfoBytes("hall");
        if (c.dropFile)
            StoredFiles().erase(c.dropFile);
        EXPECT_EQ(fresh.LoadRelease(), c.status);
        EXPECT_EQ(UtilsString_ToUtf8(fresh.GetWorldData()->lastErrorText), UtilsString_ToUtf8(c.text ? c.text : u""));
        if (c.errorCode) {
            EXPECT_EQ(fresh.GetWorldData()->lastErrorCode, c.errorCode);
        }
    }
}

TEST_F(Construction, EveryShortReadIsRefused)
{
    const std::vector<uint8_t> whole = ConstructionBytes(SampleLayout());
    for (size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        ConstructionWorld fresh;
        StoredFiles()[u"Nimbrel_construct.raw"] = std::vector<uint8_t>(whole.begin(), whole.begin() + long(size));
        StoredFiles()[u"Nimbrel_object_0.raw"] = ElementInfoBytes("puzzles");
        StoredFiles()[u"Nimbrel_object_1.raw"] = ElementInfoBytes("hall");
        EXPECT_EQ(fresh.LoadRelease(), kStatusFailed);
    }
}

TEST_F(Construction, ResidentKindsAloneGetAModelAtWorldLoad)
{
    Trace trace;
    auto* objects = new TestObjectsManager(world.GetWorldData());
    world.SetManager(kManagerObjects, objects);
    WorldData* w = world.GetWorldData();
    // Labels and tutorial interfaces are resident; the exploration level and the popups are not.
    objects->Adopt({new SceneTestObject(w, 0, kObjectKindLabels, "labels", &trace),
                    new SceneTestObject(w, 1, kObjectKindExploration, "hall", &trace),
                    new SceneTestObject(w, 2, kObjectKindPopups, "popups", &trace),
                    new SceneTestObject(w, 3, kObjectKindTuto, "tuto", &trace)});
    ASSERT_EQ(world.LoadResidentModels(), kStatusOk);
    Trace expected;
    for (uint32_t i = 0; i < 4; ++i) {
        const ObjectsTypeInfo* kind = FindObjectKind(objects->GetObject(i)->GetTypeCode());
        if (kind->resident)
            expected.push_back(std::string("model ") + objects->GetObject(i)->GetName());
    }
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(trace, (Trace{"model labels", "model tuto"}));
    // Each loads its own model files, by its place in the list.
    EXPECT_EQ(static_cast<SceneTestObject*>(objects->GetObject(3))->modelNumber, 3u);
}

// ---- lookups ------------------------------------------------------------------------------

class Lookups : public ::testing::Test {
protected:
    void Make(const std::vector<const char*>& names)
    {
        std::vector<SceneTestObject*> list;
        for (size_t i = 0; i < names.size(); ++i)
            list.push_back(new SceneTestObject(&w, uint32_t(i), kObjectKindExploration, names[i], nullptr));
        objects.Adopt(list);
        ASSERT_EQ(objects.BuildNameIndex(), kStatusOk);
    }
    WorldData w = {};
    TestObjectsManager objects{&w};
};

TEST_F(Lookups, OneEntryFindsItselfAndNothingElse)
{
    Make({"hall"});
    EXPECT_EQ(objects.FindLevelIndexByName("hall"), 0);
    for (const char* miss : {"a", "halm", "zz", "", "hal", "hall2"})
        EXPECT_EQ(objects.FindLevelIndexByName(miss), -1) << miss;
    EXPECT_EQ(objects.FindLevelIndexByName(nullptr), -1);
}

TEST_F(Lookups, MissesBeforeBetweenAndAfterAndUnsignedOrder)
{
    // Index order is not name order; "\xE9t\xE9" sorts after every ASCII name.
    Make({"kitchen", "\xE9t\xE9", "attic", "hall", "cellar", "garden"});
    const struct {
        const char* name;
        int32_t index;
    } cases[] = {{"kitchen", 0}, {"\xE9t\xE9", 1}, {"attic", 2}, {"hall", 3}, {"cellar", 4}, {"garden", 5},
                 {"aaa", -1},    {"b", -1},         {"d", -1},     {"hz", -1},  {"zzz", -1},   {"\xFF", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(objects.FindLevelIndexByName(c.name), c.index) << c.name;
    const uint32_t* index = objects.GetNameIndex();
    EXPECT_EQ(index[0], 2u);
    EXPECT_EQ(index[5], 1u);
}

TEST_F(Lookups, ElementReferences)
{
    Make({"hall", "attic"});
    static_cast<SceneTestObject*>(objects.GetObject(0))->SetElements({nullptr, "key", "door"});
    int32_t object = -1, element = -1;
    ASSERT_EQ(objects.ResolveLevelReference("@hall@door", &object, &element), kStatusOk);
    EXPECT_EQ(object, 0);
    EXPECT_EQ(element, 2);
    const std::string longName(256, 'k');
    for (const std::string& refused :
         {std::string("hall@door"), std::string("@hall"), std::string("@cellar@door"), std::string("@attic@door"),
          std::string("@hall@lamp"), std::string("@hall@"), "@hall@" + longName, "@" + longName + "@door"})
        EXPECT_EQ(objects.ResolveLevelReference(refused.c_str(), &object, &element), kStatusFailed) << refused;
}

}  // namespace
