// The element-info reader and writer on hand-written bytes: every field where the object keeps
// it, the lookups by name, the rebuild rules and the refusal of broken files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelInterfaces/CObjectsInterface.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// Little-endian bytes, field by field.
class Bytes {
public:
    Bytes& U8(uint8_t v) { return Raw(&v, 1); }
    Bytes& U32(uint32_t v) { return Raw(&v, 4); }
    Bytes& I32(int32_t v) { return Raw(&v, 4); }
    Bytes& F32(float v) { return Raw(&v, 4); }
    Bytes& Text(const std::string& text) { return U32(uint32_t(text.size())).Raw(text.data(), text.size()); }
    Bytes& Raw(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
        return *this;
    }
    std::vector<uint8_t>& Get() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// What a fixture changes from the good file.
struct Tweak {
    uint32_t version = kElementInfoVersion;
    std::string objectName = "hall";
    std::string firstName = "lamp";
    std::string zoneName = "floor";
    int32_t hitProxy = 0;           // the element itself: read as none
    int32_t material = 1;
    int32_t third = -1;
    int32_t lock = -1;
    int32_t zone = 0;
    int32_t hitRect = -1;
    uint32_t anchor = 20;
    uint32_t effect = kEffectPulse;
    uint32_t drawSlot = 1;
    uint32_t indexCount = 2;
    uint32_t index[2] = {1, 0};     // "key" < "lamp"
    uint32_t positionCount = 2;     // of the object
    uint32_t variants = 3;
    uint32_t textLength = 0;        // not 0: the first element's name claims this many bytes
};

// A lamp with everything, and a key with nothing; one zone, two object positions, three
// variant bytes, two sounds.
std::vector<uint8_t> Fixture(const Tweak& t = Tweak())
{
    Bytes b;
    b.U32(t.version).U8(1).U8(0xFE).U32(77).Text(t.objectName).I32(3).I32(9).U32(2);
    // Element 0.
    b.U8(5).U32(t.drawSlot).U8(0).U8(1).U8(1).U8(6).U32(t.anchor).I32(t.lock).U32(0x80FF8000).U32(t.effect);
    if (t.effect)
        b.F32(1.5f).U8(10).U8(200).F32(45.0f);
    b.I32(4).U32(18).U32(2).I32(t.hitProxy).I32(t.hitRect).I32(t.material).U32(0x3).I32(t.zone).I32(t.third);
    if (t.textLength)
        b.U32(t.textLength).Raw(t.firstName.data(), t.firstName.size());
    else
        b.Text(t.firstName);
    b.U32(2).F32(1).F32(2).F32(3).Text("").F32(-4).F32(5).F32(6).Text("lit");
    b.U32(1).F32(0.25f).Text("tilt");
    b.U32(1).F32(1.5f).Text("");
    b.U32(1).U32(30).U8(1).U32(2).U32(0).U32(29).Text("glow");
    b.U8(1).U32(1).U32(11).U32(12).U32(13).U32(14);
    for (float v : {-8.0f, -4.0f, 8.0f, 4.0f, 16.0f, 8.0f, 2.0f, 100.0f, 200.0f, 0.5f, 1.0f, 2.0f, 3.0f, 0.0f, -4.0f})
        b.F32(v);
    b.U32(0xABCD).U8(1);
    // Element 1.
    b.U8(0).U32(0).U8(1).U8(0).U8(0).U8(0).U32(0).I32(-1).U32(0xFFFFFFFF).U32(0);
    b.I32(-1).U32(0).U32(0).I32(-1).I32(-1).I32(-1).U32(0).I32(-1).I32(-1);
    b.Text("key").U32(0).U32(0).U32(0).U32(0).U8(0).U32(0);
    for (int i = 0; i < 15; ++i)
        b.F32(0);
    b.U32(0).U8(0);
    // Name index, zones, positions, variants, sounds.
    b.U32(t.indexCount);
    for (uint32_t i = 0; i < t.indexCount && i < 2; ++i)
        b.U32(t.index[i]);
    b.U32(1).Text(t.zoneName).U32(7).U8(1).F32(0).F32(500).F32(1024).F32(768);
    b.U32(t.positionCount);
    if (t.positionCount == 2)
        b.Text("").F32(10).F32(20).F32(0).Text("door open").F32(1).F32(2).F32(3);
    b.U32(t.variants);
    for (uint32_t i = 0; i < t.variants && i < 3; ++i)
        b.U8(i == 1);
    b.U32(2).Text("wind.stream.wav").Text("clock.wav");
    return b.Get();
}

std::vector<uint8_t> g_file;

Status FindStoredFile(WorldData* w, const char16_t*)
{
    w->staticResource.pAddress = g_file.data();
    w->staticResource.size = uint32_t(g_file.size());
    return kStatusOk;
}

class ElementInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_world = std::make_unique<WorldData>();
        m_game = GameDataCreate();
        m_world->pGame = m_game;
        m_world->pfnStaticLocator = FindStoredFile;
        m_game->modeWord = kResourceSourceProgram;
        m_object = std::make_unique<CObjectsLevelExploration>(m_world.get(), 1, 0);
    }
    void TearDown() override
    {
        m_object.reset();
        GameDataFree(m_game);
    }
    Status Build(const std::vector<uint8_t>& bytes)
    {
        g_file = bytes;
        return m_object->BuildFromRaw(u"Nimbrel_object_1.raw");
    }
    const ElementRecord& Element(uint32_t i) { return *m_object->GetItemRecord(i); }
    std::vector<std::string> Sounds()
    {
        std::vector<std::string> names;
        for (void* name = m_object->GetSoundList().GetFirst(); name; name = m_object->GetSoundList().GetNext())
            names.emplace_back(static_cast<const char*>(name));
        return names;
    }
    std::vector<uint8_t> Written()
    {
        std::vector<std::string> sounds = Sounds();
        std::vector<const char*> pointers;
        for (const auto& s : sounds)
            pointers.push_back(s.c_str());
        ElementInfoView view = m_object->GetElementInfoView();
        view.ppSounds = pointers.data();
        view.soundCount = uint32_t(pointers.size());
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        EXPECT_EQ(WriteElementInfo(&stream, view), kStatusOk);
        std::vector<uint8_t> bytes(stream.GetBlock(), stream.GetBlock() + stream.GetSize());
        stream.Close();
        return bytes;
    }

    std::unique_ptr<WorldData> m_world;
    GameData* m_game = nullptr;
    std::unique_ptr<CObjectsLevel> m_object;
};

TEST_F(ElementInfoTest, ReadsEveryFieldWhereTheObjectKeepsIt)
{
    ASSERT_EQ(Build(Fixture()), kStatusOk);
    CObjectsBase& o = *m_object;
    EXPECT_STREQ(o.GetName(), "hall");
    EXPECT_EQ(o.GetOverlay(), 1);
    EXPECT_EQ(o.GetTextureBias(), -2);
    EXPECT_EQ(o.GetSizeWord(), 77u);
    EXPECT_EQ(o.GetFirstMark(), 3);
    EXPECT_EQ(o.GetLastMark(), 9);
    ASSERT_EQ(o.GetElementCount(), 2u);
    EXPECT_EQ(o.GetCommandListCount(), 2u);

    const ElementRecord& lamp = Element(0);
    EXPECT_EQ(lamp.index, 0u);
    EXPECT_EQ(lamp.leadByte, 5);
    EXPECT_EQ(lamp.drawSlot, 1u);
    EXPECT_EQ(lamp.inactive, 0);
    EXPECT_EQ(lamp.additive, 1);
    EXPECT_EQ(lamp.pickable, 1);
    EXPECT_EQ(lamp.flagByte4, 6);
    EXPECT_EQ(lamp.anchor, 20u);
    EXPECT_EQ(lamp.lockScreenRef, -1);
    EXPECT_EQ(lamp.color, 0x80FF8000u);
    EXPECT_EQ(lamp.effectKind, uint32_t(kEffectPulse));
    ASSERT_NE(lamp.pEffectParameters, nullptr);
    EXPECT_FLOAT_EQ(lamp.pEffectParameters->period, 1.5f);
    EXPECT_EQ(lamp.pEffectParameters->minimum, 10);
    EXPECT_EQ(lamp.pEffectParameters->maximum, 200);
    EXPECT_FLOAT_EQ(lamp.pEffectParameters->angle, 45.0f);
    EXPECT_EQ(lamp.referenceWord, 4);
    EXPECT_EQ(lamp.textSize, 18u);
    EXPECT_EQ(lamp.textRect, 2u);
    EXPECT_EQ(lamp.hitProxy, -1);  // itself
    EXPECT_EQ(lamp.hitRect, -1);
    EXPECT_EQ(lamp.materialElement, 1);
    EXPECT_EQ(lamp.passMask, 3u);
    EXPECT_EQ(lamp.zone, 0);
    EXPECT_EQ(lamp.thirdReference, -1);
    EXPECT_STREQ(lamp.pName, "lamp");
    ASSERT_EQ(lamp.positionCount, 2u);
    EXPECT_EQ(lamp.pPositions[0].pName, nullptr);
    EXPECT_EQ(lamp.pPositions[1].x, -4.0f);
    EXPECT_STREQ(lamp.pPositions[1].pName, "lit");
    ASSERT_EQ(lamp.rotationCount, 1u);
    EXPECT_EQ(lamp.pRotations[0].value, 0.25f);
    ASSERT_EQ(lamp.scaleCount, 1u);
    ASSERT_NE(lamp.pScale, nullptr);
    EXPECT_EQ(*lamp.pScale, 1.5f);
    ASSERT_EQ(lamp.trackCount, 1u);
    EXPECT_EQ(lamp.pTracks[0].trackWord, 30u);
    EXPECT_EQ(lamp.pTracks[0].flag, 1);
    EXPECT_EQ(lamp.pTracks[0].rangeWord, 2u);
    EXPECT_EQ(lamp.pTracks[0].lastKey, 29u);
    EXPECT_STREQ(lamp.pTracks[0].pName, "glow");
    EXPECT_EQ(lamp.animationByteA, 1);
    ASSERT_EQ(lamp.extraCount, 1u);
    EXPECT_EQ(lamp.pExtras[0].words[3], 14u);
    EXPECT_EQ(lamp.bounds[0], -8.0f);
    EXPECT_EQ(lamp.size[0], 16.0f);
    EXPECT_EQ(lamp.hitMargin, 2.0f);
    EXPECT_EQ(lamp.baseOffset[1], 200.0f);
    EXPECT_EQ(lamp.placeOffset[2], 3.0f);
    EXPECT_EQ(lamp.pivot[1], -4.0f);
    EXPECT_EQ(lamp.geometryWord, 0xABCDu);
    EXPECT_EQ(lamp.animationByteB, 1);
    // The run-time part at rest.
    EXPECT_EQ(lamp.alpha, 1.0f);
    EXPECT_EQ(lamp.drawSlotOverride, -1);
    EXPECT_EQ(lamp.levelTag, -1);
    EXPECT_EQ(lamp.dragParameters[1], -1);
    EXPECT_EQ(lamp.markByte, 0xFF);
    EXPECT_EQ(lamp.localMatrix[15], 1.0f);
    EXPECT_EQ(Element(1).pEffectParameters, nullptr);
    EXPECT_EQ(Element(1).pScale, nullptr);

    ASSERT_EQ(o.GetZoneCount(), 1u);
    EXPECT_STREQ(o.GetZones()[0].pName, "floor");
    EXPECT_EQ(o.GetZones()[0].word, 7u);
    EXPECT_EQ(o.GetZones()[0].top, 500.0f);
    ASSERT_EQ(o.GetPositionCount(), 2u);
    ASSERT_EQ(o.GetVariantCount(), 3u);
    EXPECT_EQ(o.GetVariants()[1], 1);
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"wind.stream.wav", "clock.wav"}));
    // Written back, the same bytes but for the reference to itself.
    Tweak noSelf;
    noSelf.hitProxy = -1;
    EXPECT_EQ(Written(), Fixture(noSelf));
}

TEST_F(ElementInfoTest, LooksNamesAndPositionsUp)
{
    ASSERT_EQ(Build(Fixture()), kStatusOk);
    CObjectsBase& o = *m_object;
    EXPECT_EQ(o.FindElementByName("lamp"), 0);
    EXPECT_EQ(o.FindElementByName("key"), 1);
    EXPECT_EQ(o.FindElementByName("kez"), -1);
    EXPECT_EQ(o.FindElementByName(""), -1);
    // The unnamed records answer to "default"; the first in order wins.
    EXPECT_EQ(o.FindElementPosition(0, "default"), 0);
    EXPECT_EQ(o.FindElementPosition(0, "lit"), 1);
    EXPECT_EQ(o.FindElementPosition(1, "default"), -1);
    EXPECT_EQ(o.FindElementPosition(2, "default"), -1);
    EXPECT_EQ(o.FindOrAddObjectPosition("default"), 0);
    EXPECT_EQ(o.FindOrAddObjectPosition("door open"), 1);
    // A new name is added with its blanks made underscores; null matches nothing.
    EXPECT_EQ(o.FindOrAddObjectPosition("by the fire"), 2);
    EXPECT_STREQ(o.GetPositions()[2].pName, "by_the_fire");
    EXPECT_EQ(o.FindOrAddObjectPosition("by_the_fire"), 2);
    EXPECT_EQ(o.FindOrAddObjectPosition(nullptr), 3);
    float x, y, z;
    o.GetPosition(&x, &y, &z);
    EXPECT_EQ(x, 10.0f);
    EXPECT_EQ(y, 20.0f);

    o.UpdateElementRange();
    EXPECT_EQ(o.GetFirstMark(), 4);
    EXPECT_EQ(o.GetLastMark(), 4);
}

TEST_F(ElementInfoTest, ObjectWithoutPositionsOrElements)
{
    CObjectsLevelEmpty empty(m_world.get(), 2, 0);
    EXPECT_EQ(empty.FindElementByName("key"), -1);
    float x = 1, y = 1, z = 1;
    empty.GetPosition(&x, &y, &z);
    EXPECT_EQ(x + y + z, 0.0f);

    Tweak noPositions;
    noPositions.positionCount = 0;
    ASSERT_EQ(Build(Fixture(noPositions)), kStatusOk);
    ASSERT_EQ(m_object->GetPositionCount(), 1u);
    EXPECT_EQ(m_object->GetPositions()[0].pName, nullptr);
    m_object->GetPosition(&x, &y, &z);
    EXPECT_EQ(x + y + z, 0.0f);
}

TEST_F(ElementInfoTest, SecondBuildReplacesAllButSoundsAndAnEmptyVariantTable)
{
    ASSERT_EQ(Build(Fixture()), kStatusOk);
    Tweak other;
    other.objectName = "study";
    other.firstName = "jar";  // "jar" < "key": the index is in element order
    other.index[0] = 0;
    other.index[1] = 1;
    other.zoneName = "shelf";
    other.positionCount = 0;
    other.variants = 0;
    std::vector<uint8_t> bytes = Fixture(other);
    // Other sounds: "clock.wav" again and a new one.
    const std::string tail = "wind.stream.wav";
    const auto at = std::search(bytes.begin(), bytes.end(), tail.begin(), tail.end());
    ASSERT_NE(at, bytes.end());
    std::memcpy(&*at, "bell.stream.wav", tail.size());
    ASSERT_EQ(Build(bytes), kStatusOk);
    EXPECT_STREQ(m_object->GetName(), "study");
    EXPECT_EQ(m_object->FindElementByName("jar"), 0);
    EXPECT_EQ(m_object->FindElementByName("lamp"), -1);
    EXPECT_STREQ(m_object->GetZones()[0].pName, "shelf");
    EXPECT_EQ(m_object->GetPositionCount(), 1u);
    EXPECT_EQ(m_object->GetVariantCount(), 3u);
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"wind.stream.wav", "clock.wav", "bell.stream.wav"}));
}

// A level that hands a command list to its first element, as a waiting script would.
class CListLevel : public CObjectsLevel {
public:
    using CObjectsLevel::CObjectsLevel;
    void GiveFirstElementAList() { m_ppElementClickLists[0] = new CCommandList(m_pWorldData); }
};

TEST_F(ElementInfoTest, CommandListArraysFollowEveryBuild)
{
    CListLevel level(m_world.get(), 1, 0);
    g_file = Fixture();
    ASSERT_EQ(level.BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOk);
    level.GiveFirstElementAList();
    EXPECT_NE(level.GetElementClickList(0), nullptr);
    // The old element's list goes with it (the sanitizer's leak check sees it freed).
    ASSERT_EQ(level.BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOk);
    EXPECT_EQ(level.GetElementClickList(0), nullptr);
    EXPECT_EQ(level.GetCommandListCount(), 2u);
    level.GiveFirstElementAList();
}

TEST_F(ElementInfoTest, EveryTruncatedFileFailsAndLeavesNoElements)
{
    const std::vector<uint8_t> whole = Fixture();
    for (size_t size = 0; size < whole.size(); ++size) {
        ASSERT_EQ(Build(Fixture()), kStatusOk);
        const Status status = Build(std::vector<uint8_t>(whole.begin(), whole.begin() + size));
        ASSERT_EQ(status, kStatusFailed) << size;
        ASSERT_EQ(m_object->GetElementCount(), size < 4 ? 2u : 0u) << size;
    }
}

TEST_F(ElementInfoTest, AnotherVersionAsksForANewConstruction)
{
    ASSERT_EQ(Build(Fixture()), kStatusOk);
    Tweak old;
    old.version = 0x1F0;
    EXPECT_EQ(Build(Fixture(old)), kStatusMismatch);
    EXPECT_EQ(m_world->lastErrorCode, kStatusMismatch);
    EXPECT_EQ(UtilsString_ToUtf8(m_world->lastErrorText), "Invalid construction,\na new construction must be made");
    EXPECT_EQ(m_object->GetElementCount(), 2u);
}

TEST_F(ElementInfoTest, RefusesBrokenFiles)
{
    struct Case {
        const char* what;
        void (*tweak)(Tweak&);
    };
    const Case cases[] = {
        {"index shorter than N", [](Tweak& t) { t.indexCount = 1; }},
        {"index longer than N", [](Tweak& t) { t.indexCount = 3; }},
        {"index entry twice", [](Tweak& t) { t.index[0] = 0; }},
        {"index entry past N", [](Tweak& t) { t.index[0] = 2; }},
        {"names descending", [](Tweak& t) { t.index[0] = 0, t.index[1] = 1; }},
        {"text of 4096 bytes", [](Tweak& t) { t.firstName = std::string(4096, 'a'); }},
        {"text past the end", [](Tweak& t) { t.textLength = 4000; }},
        {"empty object name", [](Tweak& t) { t.objectName = ""; }},
        {"empty element name", [](Tweak& t) { t.firstName = ""; }},
        {"empty zone name", [](Tweak& t) { t.zoneName = ""; }},
        {"huge count", [](Tweak& t) { t.variants = 0x7FFFFFFF; }},
        {"proxy past N", [](Tweak& t) { t.hitProxy = 2; }},
        {"material below -1", [](Tweak& t) { t.material = -2; }},
        {"third reference past N", [](Tweak& t) { t.third = 5; }},
        {"lock past N", [](Tweak& t) { t.lock = 2; }},
        {"zone past Z", [](Tweak& t) { t.zone = 1; }},
        {"hit rectangle past Z", [](Tweak& t) { t.hitRect = 1; }},
        {"anchor 30", [](Tweak& t) { t.anchor = 30; }},
        {"effect 6", [](Tweak& t) { t.effect = 6; }},
        {"draw slot N", [](Tweak& t) { t.drawSlot = 2; }},
    };
    for (const Case& c : cases) {
        Tweak tweak;
        c.tweak(tweak);
        ASSERT_EQ(Build(Fixture()), kStatusOk);
        EXPECT_EQ(Build(Fixture(tweak)), kStatusFailed) << c.what;
        EXPECT_EQ(m_object->GetElementCount(), 0u) << c.what;
        EXPECT_EQ(m_object->FindElementByName("key"), -1) << c.what;
    }
}

TEST_F(ElementInfoTest, OpensByTheSourceOfObjectFiles)
{
    // A loose file below the data path; a missing one; a source that names none.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "nimbrel_element_info";
    std::filesystem::create_directories(folder);
    const std::vector<uint8_t> bytes = Fixture();
    std::ofstream(folder / "Nimbrel_object_1.raw", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    UtilsString_Copy(m_world->dataPath, kWorldTextSize, UtilsString_FromUtf8((folder.string() + "/").c_str()).c_str());
    m_game->modeWord = kResourceSourceFile;
    EXPECT_EQ(m_object->BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOk);
    EXPECT_EQ(m_object->BuildFromRaw(u"Nimbrel_object_2.raw"), kStatusFailed);
    EXPECT_EQ(m_object->GetElementCount(), 2u);
    m_game->modeWord = 3;
    EXPECT_EQ(m_object->BuildFromRaw(u"Nimbrel_object_1.raw"), kStatusOutOfMemory);
    EXPECT_EQ(m_world->lastErrorCode, kStatusOutOfMemory);
    std::filesystem::remove_all(folder);
}

TEST(ObjectsBasesTest, TypeCodesAndPlainResults)
{
    auto world = std::make_unique<WorldData>();
    CObjectsInterface panel(world.get(), 3, 0);
    CObjectsLevel level(world.get(), 4, 9);
    CObjectsLevelExploration exploration(world.get(), 5, 0);
    CObjectsLevelEmpty empty(world.get(), 6, 0);
    EXPECT_EQ(panel.GetTypeCode(), 266u);
    EXPECT_EQ(level.GetTypeCode(), 512u);
    EXPECT_EQ(exploration.GetTypeCode(), 513u);
    EXPECT_EQ(empty.GetTypeCode(), 515u);
    EXPECT_EQ(level.GetConstructWord(), 9u);
    EXPECT_TRUE(panel.IsInterface());
    EXPECT_TRUE(empty.IsLevel());

    // Only levels count wrong clicks; without a renderer no object loads.
    EXPECT_EQ(panel.Load(), kStatusFailed);
    EXPECT_EQ(level.Load(), kStatusFailed);
    EXPECT_EQ(panel.GetAbuse(), 0);
    EXPECT_EQ(level.GetAbuse(), 1);
    EXPECT_FALSE(panel.IsReady());
    EXPECT_EQ(panel.UpdateComponents(), kStatusOk);
    EXPECT_TRUE(panel.IsReady());
    EXPECT_EQ(level.Release(), kStatusOk);
}

TEST(ObjectsBasesTest, UniqueNames)
{
    CFIFOList list;
    EXPECT_EQ(AddUniqueNameToList(&list, "a.wav"), kStatusOk);
    EXPECT_EQ(AddUniqueNameToList(&list, "a.wav"), kStatusFailed);
    EXPECT_EQ(AddUniqueNameToList(&list, ""), kStatusFailed);
    EXPECT_EQ(AddUniqueNameToList(&list, nullptr), kStatusFailed);
    EXPECT_EQ(AddUniqueNameToList(&list, "b.wav"), kStatusOk);
    EXPECT_EQ(list.GetCount(), 2u);
    for (void* name = list.GetFirst(); name; name = list.RemoveCurrent(0))
        UtilsFree(name, __FILE__, __LINE__);
}

}  // namespace
