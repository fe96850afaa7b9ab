// The game in progress in the profile: scene objects and their elements written and read back
// by name, the managers' chunks in their order, the kind check, and script chunks of objects
// that do not exist refused.
#include <gtest/gtest.h>

#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "ObjectsFixture.h"
#include "ProfileFixture.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

constexpr uint32_t kFound = 0x10000000u;

class ProfileSceneTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        WorldData* w = W();
        m_world->SetManager(kManagerScript, new CScriptManager(w));
        m_world->SetManager(kManagerCommandList, new CCommandListManager(w));
        m_world->SetManager(kManagerRotation, new CRotationManager(w));
        m_world->SetManager(kManagerPosition, new CPositionManager(w));
        m_world->SetManager(kManagerScaling, new CScalingManager(w));
        m_world->SetManager(kManagerTimer, new CTimerManager(w));
        m_world->SetManager(kManagerFade, new CFadeManager(w));
        m_objects = new TestObjectsManager(w);
        m_world->SetManager(kManagerObjects, m_objects);
    }

    // "hall" (an exploration level: key, lamp) and "study" (a sliding level: drawer).
    void MakeScene(const char* secondName = "study")
    {
        hall = new SceneTestObject(W(), 0, kObjectKindExploration, "hall", nullptr);
        hall->SetElements({"key", "lamp"});
        study = new SceneTestObject(W(), 1, kObjectKindSliding, secondName, nullptr);
        study->SetElements({"drawer"});
        m_objects->Adopt({hall, study});
        ASSERT_EQ(m_objects->BuildNameIndex(), kStatusOk);
    }

    std::vector<uint32_t> Tags(const Bytes& file)
    {
        Bytes copy = file;
        UtilsStream_Static stream(kStreamRead, copy.data(), static_cast<uint32_t>(copy.size()));
        EXPECT_EQ(stream.Open(), kStatusOk);
        UtilsStream_ChunkList list(&stream);
        std::vector<uint32_t> tags;
        for (UtilsStream_Chunk* c = list.ReadFirst(); c; c = list.ReadNext())
            tags.push_back(c->GetTag());
        return tags;
    }

    // The file of slot 0 as SaveProfile makes it, with `extra` appended by the test.
    template <typename Extra>
    Bytes SavedWith(Extra extra)
    {
        UtilsStream_Static memory(kStreamReadWriteGrowable, nullptr, 0);
        EXPECT_EQ(memory.Open(), kStatusOk);
        UtilsStream_ChunkList list(&memory);
        EXPECT_EQ(m_profiles->SaveProfile(Played(0, u"Ann"), &list), kStatusOk);
        extra(list);
        EXPECT_TRUE(list.WriteAll());
        return Bytes(reinterpret_cast<const char*>(memory.GetBlock()), memory.GetSize());
    }

    TestObjectsManager* m_objects = nullptr;
    SceneTestObject* hall = nullptr;
    SceneTestObject* study = nullptr;
};

TEST_F(ProfileSceneTest, WithoutSceneObjectsEveryOtherChunkIsWrittenInOrder)
{
    Played(0, u"Ann");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    const std::vector<uint32_t> expected = {10001, 10003, 10004, 10005, 10007, 10008, 10006, 10010, 10002, 10009,
                                            40000, 50000, 60000, 90000, 100000, 110000, 120000, 130000};
    EXPECT_EQ(Tags(ReadFile(0)), expected);
    ASSERT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusOk);
}

TEST_F(ProfileSceneTest, ObjectsAndElementsComeBackByNameAndUnknownNamesAreSkipped)
{
    MakeScene();
    hall->GetItemRecord(0)->flags |= kFound;
    study->GetItemRecord(0)->flags |= kFound;
    Played(0, u"Ann");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    const std::vector<uint32_t> tags = Tags(ReadFile(0));
    EXPECT_EQ(std::count(tags.begin(), tags.end(), uint32_t(kProfileTagObject)), 2);
    // Objects without a loaded script have no script chunks.
    EXPECT_EQ(std::count_if(tags.begin(), tags.end(), [](uint32_t t) { return t / 10 == 3000; }), 0);

    hall->GetItemRecord(0)->flags &= ~kFound;
    study->GetItemRecord(0)->flags &= ~kFound;
    ASSERT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusOk);
    EXPECT_TRUE(hall->GetItemRecord(0)->flags & kFound);
    EXPECT_FALSE(hall->GetItemRecord(1)->flags & kFound);
    EXPECT_TRUE(study->GetItemRecord(0)->flags & kFound);
    EXPECT_EQ(m_profiles->GetSlot(0)->objectStateSaved, 1);

    // A construction whose second object has another name: its saved state has no place.
    MakeScene("attic");
    ASSERT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusOk);
    EXPECT_TRUE(hall->GetItemRecord(0)->flags & kFound);
    EXPECT_FALSE(study->GetItemRecord(0)->flags & kFound);
}

TEST_F(ProfileSceneTest, AKindStateOfAnotherLayoutMismatchesHeaderOnlyAndFull)
{
    MakeScene();
    Played(0, u"Ann");
    ASSERT_EQ(m_profiles->SaveProfileToFile(0, nullptr, 0), kStatusOk);
    Bytes file = ReadFile(0);
    // The second object chunk is the sliding level's: its kind state number 2 becomes 3.
    size_t at = 0;
    for (int seen = 0; seen < 2; ++seen) {
        const uint32_t tag = kProfileTagObject;
        at = file.find(std::string(reinterpret_cast<const char*>(&tag), 4), at + 1);
        ASSERT_NE(at, std::string::npos);
    }
    const size_t kindState = at + 4 + 8 + 4;   // tag, sizes, type code
    ASSERT_EQ(file[kindState], 2);
    file[kindState] = 3;
    WriteFile(0, file);

    ProfileSlot* slot = m_profiles->GetSlot(0);
    UTILS_FREE(slot->name);
    *slot = ProfileSlot{};
    slot->chapterIndex = -1;
    ASSERT_EQ(m_profiles->ReadProfileHeader(0, nullptr), kStatusOk);
    EXPECT_EQ(slot->mismatched, 1);
    EXPECT_EQ(slot->chapterIndex, 1);

    ProfileSlot fresh{};
    fresh.chapterIndex = -1;
    UtilsStream_Static stream(kStreamRead, file.data(), static_cast<uint32_t>(file.size()));
    ASSERT_EQ(stream.Open(), kStatusOk);
    UtilsStream_ChunkList list(&stream);
    EXPECT_EQ(static_cast<uint32_t>(m_profiles->LoadProfile(&fresh, &list, 0, 0)), 0x80010003u);
    UTILS_FREE(fresh.name);
}

TEST_F(ProfileSceneTest, ScriptChunksOfObjectsOutsideTheListAreRefused)
{
    MakeScene();
    for (uint32_t tag : {kProfileTagScriptGlobals, kProfileTagScriptRunState}) {
        WriteFile(0, SavedWith([tag](UtilsStream_ChunkList& list) {
            const uint32_t number = 2;
            list.CreateChunk(tag, nullptr)->Write(&number, 4, 1);
        }));
        EXPECT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusFailed) << tag;
        EXPECT_EQ(m_profiles->GetSlot(0)->mismatched, 1);
        m_profiles->GetSlot(0)->mismatched = 0;
    }
    // A mismatched slot reads only the synchronized variables, of listed objects too.
    WriteFile(0, SavedWith([](UtilsStream_ChunkList& list) {
        const uint32_t number = 0xFFFFFFFFu;
        list.CreateChunk(kProfileTagScriptSynchronized, nullptr)->Write(&number, 4, 1);
    }));
    m_profiles->GetSlot(0)->mismatched = 1;
    EXPECT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusFailed);
}

TEST_F(ProfileSceneTest, ManagerChunksNamingNoLiveObjectFailTheLoadAndAnAbsentManagersChunkIsSkipped)
{
    MakeScene();
    // Interface indices naming no object.
    WriteFile(0, SavedWith([](UtilsStream_ChunkList& list) {
        UtilsStream_Chunk* c = list.CreateChunk(kProfileTagObjectsManager, nullptr);
        for (uint32_t i = 0; i < kInterfaceRoleCount; ++i) {
            const uint32_t index = 9;
            c->Write(&index, 4, 1);
        }
    }));
    EXPECT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusFailed);

    // A command and a timer of an object the game does not have (made where no objects are);
    // the game counts five objects, so that the saved level 4 is one of them.
    m_world->objects = 5;
    auto world = std::make_unique<WorldData>();
    CCommandListManager commands(world.get());
    CommandHandle handle{};
    ASSERT_EQ(commands.AddCommand(9, 0, kCommandResumeWait, kCommandEventClick, 0, 0, 0, &handle), kStatusOk);
    CTimerManager timers(world.get());
    ASSERT_EQ(timers.AddTimer("Tick", "", 0, 0, 1.0f, 9, 0), kStatusOk);
    for (uint32_t tag : {kProfileTagCommandLists, kProfileTagTimers}) {
        m_profiles->GetSlot(0)->mismatched = 0;
        WriteFile(0, SavedWith([&](UtilsStream_ChunkList& list) {
            UtilsStream_Chunk* c = list.CreateChunk(tag, nullptr);
            ChunkStream stream(c);
            ASSERT_EQ(tag == kProfileTagTimers ? timers.SaveToStream(&list, c) : commands.Save(&stream), kStatusOk);
        }));
        EXPECT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusFailed) << tag;
    }

    m_profiles->GetSlot(0)->mismatched = 0;
    m_world->SetManager(kManagerTimer, nullptr);
    WriteFile(0, SavedWith([](UtilsStream_ChunkList& list) {
        const uint32_t junk = 0xFFFFFFFFu;
        list.CreateChunk(kProfileTagTimers, nullptr)->Write(&junk, 4, 1);
    }));
    EXPECT_EQ(m_profiles->LoadProfileFromFile(0, nullptr, 0), kStatusOk);
}

}  // namespace
