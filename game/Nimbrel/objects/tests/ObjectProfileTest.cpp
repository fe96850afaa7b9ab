// The object and element chunks of the player's profile on hand-written bytes: every row where
// the object keeps it, the children (messages, records, track states), the indexes put at rest
// when they do not fit, and the refusal of every cut chunk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelLevels/CObjectsLevelEmpty.h"
#include "NimbrelObjects/CExtraDimTextNumber.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

class Bytes {
public:
    Bytes& U8(uint8_t v) { return Raw(&v, 1); }
    Bytes& U32(uint32_t v) { return Raw(&v, 4); }
    Bytes& I32(int32_t v) { return Raw(&v, 4); }
    Bytes& F32(float v) { return Raw(&v, 4); }
    // The stream's 8-bit text with inversion: count with the terminator, size 1, inverted bytes.
    Bytes& Text(const std::string& text)
    {
        U32(uint32_t(text.size() + 1)).U8(1);
        for (char c : text)
            U8(uint8_t(~c));
        return U8(0);
    }
    Bytes& Raw(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
        return *this;
    }
    Bytes& Append(const std::vector<uint8_t>& more) { return Raw(more.data(), more.size()); }
    std::vector<uint8_t> m_bytes;
};

// A chunk as the chunk list writes it at `position` (below a top-level chunk at 0).
struct Chunk {
    uint32_t tag;
    std::vector<uint8_t> payload;
    std::vector<Chunk> children;

    uint32_t Total() const
    {
        uint32_t total = kChunkHeaderSize + uint32_t(payload.size());
        for (const Chunk& child : children)
            total += child.Total();
        return total;
    }
    std::vector<uint8_t> Write(uint32_t position = 0) const
    {
        Bytes b;
        b.U32(position).U32(0).U32(tag).U32(Total()).U32(uint32_t(payload.size())).Append(payload);
        uint32_t next = position + kChunkHeaderSize + uint32_t(payload.size());
        for (const Chunk& child : children) {
            b.Append(child.Write(next));
            next += child.Total();
        }
        return b.m_bytes;
    }
};

// A level of two elements, "door" and "key", with the members a test sets and reads.
class CProfileLevel : public CObjectsLevelExploration {
public:
    explicit CProfileLevel(WorldData* w) : CObjectsLevelExploration(w, 4, 0)
    {
        m_pElements = AllocElements(2);
        m_elementCount = 2;
        const char* names[2] = {"door", "key"};
        for (uint32_t i = 0; i < 2; ++i) {
            ElementRecord* e = GetItemRecord(i);
            ResetElement(e);
            e->index = i;
            e->pName = UtilsString_DupA(names[i]);
        }
        // The door stands in two places and has two scales and one animation.
        ElementRecord* door = GetItemRecord(0);
        door->pPositions = static_cast<NamedPosition*>(UTILS_CALLOC(2, sizeof(NamedPosition)));
        door->positionCount = 2;
        door->pScales = static_cast<NamedValue*>(UTILS_CALLOC(2, sizeof(NamedValue)));
        door->scaleCount = 2;
        door->pTracks = static_cast<AnimationTrack*>(UTILS_CALLOC(1, sizeof(AnimationTrack)));
        door->trackCount = 1;
        FindOrAddObjectPosition(nullptr);
        FindOrAddObjectPosition("open");
        ResizeElementCommandLists(2);
    }
    ~CProfileLevel() override { Release(); }

    using CObjectsBase::m_brightness;
    using CObjectsBase::m_heldElement;
    using CObjectsBase::m_pShownEventList;
    using CObjectsBase::m_positionOffset;
    using CObjectsBase::m_finishWaiter;
    using CObjectsBase::m_reservedAfterLevel;
    using CObjectsBase::m_runState;
    using CObjectsBase::m_selectedPosition;
    using CObjectsBase::m_turnedElement;
    ElementRecord& Element(uint32_t i) { return *GetItemRecord(i); }

    Status saveState = kStatusOk;
    Status SaveState(UtilsStream_ChunkList*, UtilsStream_Chunk*) override { return saveState; }
};

ObjectRecord* NewRecord(uint32_t first, const char* a, const char* b, uint8_t done)
{
    auto* record = static_cast<ObjectRecord*>(UTILS_CALLOC(1, sizeof(ObjectRecord)));
    for (uint32_t i = 0; i < 8; ++i)
        record->words[i] = first + i;
    const float seventh = 1.5f;
    std::memcpy(&record->words[6], &seventh, 4);
    record->pTextA = UtilsString_DupA(a);
    record->pTextB = b ? UtilsString_DupA(b) : nullptr;
    record->done = done;
    return record;
}

// Rows 1 to 26 of the object below, without command lists but the door's click list and the
// shown-event list (each one handle).
std::vector<uint8_t> ObjectRows(int32_t held, int32_t turned, uint32_t selected, uint32_t listCount = 2)
{
    Bytes b;
    b.U32(0xFACEFEED).U32(7).U8(0).F32(0.5f).I32(held).I32(turned).U8(3).F32(0.75f).U32(0).F32(1).F32(2).F32(3);
    b.U32(selected).U32(kRunRunning).I32(0).U32(0x55).U8(1);
    b.U32(listCount).U8(1).U32(1).U32(11).U32(2).U32(12).U32(13).U32(14);
    for (uint32_t i = 1; i < listCount; ++i)
        b.U8(0);
    b.U32(listCount);
    for (uint32_t i = 0; i < listCount; ++i)
        b.U8(0);
    b.U8(0).U8(0).U8(0).U8(1).U32(1).U32(21).U32(2).U32(22).U32(23).U32(24);
    b.U32(0xCAFEBABE);
    return b.m_bytes;
}

Chunk ObjectChunk(const std::vector<uint8_t>& rows)
{
    Bytes messages;
    messages.U32(1).Text("open").U32(3).U32(4);
    Bytes records;
    float seventh = 1.5f;
    uint32_t word;
    std::memcpy(&word, &seventh, 4);
    records.U32(1).U32(40).U32(41).U32(42).U32(43).U32(44).U32(45).U32(word).U32(47).Text("hall").U32(0);
    return Chunk{kProfileTagObject, rows,
                 {{kProfileTagObjectMessages, messages.m_bytes, {}},
                  {kProfileTagObjectEffects, {}, {}},
                  {kProfileTagObjectRecords, records.m_bytes, {}}}};
}

// Rows 1 to 60 of the door: a wrapped horizontal drag, two owned words.
struct ElementTweak {
    uint32_t flags = 0x10000002;
    uint32_t action = kActionHorizontalDrag;
    int32_t drawSlotOverride = 1;
    int32_t dragParameters[2] = {1, -1};
    uint32_t dropRecord = 0;
    uint32_t positionIndex = 1;
    uint32_t scaleIndex = 1;
    uint32_t currentTrack = 0;
    int32_t clickHandler = 5;
    uint32_t ownedCount = 2;
};

std::vector<uint8_t> ElementRows(const ElementTweak& t = ElementTweak())
{
    Bytes b;
    b.F32(1).F32(2).F32(3).F32(4).F32(5).F32(6).F32(7).F32(8).F32(9).F32(0.25f).F32(1.0f);
    b.U32(t.flags).U8(1).U8(0).U8(1).I32(t.drawSlotOverride).U32(33).U8(1).U32(t.action);
    b.U32(2).F32(0.5f).U32(0xA1).F32(1.0f).I32(t.dragParameters[0]).I32(t.dragParameters[1]).U32(t.dropRecord);
    for (uint32_t i = 0; i < 6; ++i)
        b.U32(0xB0 + i);
    b.U32(3).U32(4).U32(0xC0).U32(0xC1).U32(5).U32(0xD0).U32(t.positionIndex).U32(0xE0).U32(t.scaleIndex);
    b.U8(1).U8(0).U8(1).U8(9).U8(1).U8(0).U8(7).U8(8);
    b.U32(t.currentTrack).I32(6).F32(0.9f).I32(t.clickHandler).I32(-1).U8(0xFF).I32(2).I32(-1);
    b.U32(t.ownedCount);
    for (uint32_t i = 0; i < t.ownedCount && i < 2; ++i)
        b.U32(0x100 + i);
    b.U8(4);
    return b.m_bytes;
}

// The door saved with its models unloaded: 20002 a single 0, 20003 its kept pairs.
Chunk ElementChunk(const std::vector<uint8_t>& rows)
{
    Bytes pairs;
    pairs.U32(7);
    for (uint32_t i = 0; i < kSavedTrackStateWords; ++i)
        pairs.U32(i + 1);
    return Chunk{kProfileTagElement, rows,
                 {{kProfileTagElementTracks, {0}, {}}, {kProfileTagElementTrackState, pairs.m_bytes, {}}}};
}

class ObjectProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_world = std::make_unique<WorldData>();
        m_object = std::make_unique<CProfileLevel>(m_world.get());
    }

    // What the save writes, as the chunk list writes it.
    template <typename Save>
    std::vector<uint8_t> Saved(uint32_t tag, Save save, Status expected = kStatusOk)
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.CreateChunk(tag, nullptr);
        EXPECT_EQ(save(&list, chunk), expected);
        EXPECT_TRUE(list.WriteAll());
        const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
        std::vector<uint8_t> bytes(block, block + stream.GetSize());
        stream.Close();
        return bytes;
    }
    template <typename Load>
    Status Loaded(const std::vector<uint8_t>& bytes, Load load)
    {
        std::vector<uint8_t> copy = bytes;
        UtilsStream_Static stream(kStreamRead, copy.data(), uint32_t(copy.size()));
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.ReadFirst();
        if (!chunk)
            return kStatusFailed;
        const Status status = load(chunk);
        stream.Close();
        return status;
    }
    std::vector<uint8_t> SaveObject(CProfileLevel& o)
    {
        return Saved(kProfileTagObject, [&](UtilsStream_ChunkList* l, UtilsStream_Chunk* c) { return o.SaveToProfile(l, c); });
    }
    Status LoadObject(CProfileLevel& o, const std::vector<uint8_t>& bytes)
    {
        return Loaded(bytes, [&](UtilsStream_Chunk* c) { return o.LoadFromProfile(c); });
    }
    std::vector<uint8_t> SaveElement(CProfileLevel& o, uint32_t i)
    {
        return Saved(kProfileTagElement, [&](UtilsStream_ChunkList* l, UtilsStream_Chunk* c) {
            return o.SaveElementToProfile(l, c, &o.Element(i));
        });
    }
    Status LoadElement(CProfileLevel& o, uint32_t i, const std::vector<uint8_t>& bytes)
    {
        return Loaded(bytes, [&](UtilsStream_Chunk* c) { return o.LoadElementFromProfile(c, &o.Element(i)); });
    }

    std::unique_ptr<WorldData> m_world;
    std::unique_ptr<CProfileLevel> m_object;
};

TEST_F(ObjectProfileTest, ObjectChunkLoadsAndSavesItsBytesAgain)
{
    const std::vector<uint8_t> golden = ObjectChunk(ObjectRows(1, -1, 1)).Write();
    ASSERT_EQ(LoadObject(*m_object, golden), kStatusOk);
    CProfileLevel& o = *m_object;
    EXPECT_EQ(o.m_reservedAfterLevel, 7u);
    EXPECT_EQ(o.m_heldElement, 1);
    EXPECT_FLOAT_EQ(o.m_brightness, 0.75f);
    EXPECT_FLOAT_EQ(o.m_positionOffset[2], 3.0f);
    EXPECT_EQ(o.m_selectedPosition, 1u);
    EXPECT_EQ(o.m_runState, uint32_t(kRunRunning));
    EXPECT_EQ(o.m_finishWaiter, 0x55u);
    EXPECT_EQ(o.IsFinished(), 1);
    ASSERT_NE(o.GetElementClickList(0), nullptr);
    EXPECT_EQ(o.GetElementClickList(0)->GetHandle(0)->recordIndex, 11u);
    EXPECT_EQ(o.GetElementClickList(1), nullptr);
    EXPECT_EQ(o.GetElementEndList(0), nullptr);
    ASSERT_NE(o.m_pShownEventList, nullptr);
    EXPECT_EQ(o.m_pShownEventList->GetHandle(0)->word4, 24u);
    EXPECT_EQ(o.GetMessageCount(), 1u);
    ASSERT_EQ(o.GetRecordList().GetCount(), 1u);
    auto* record = static_cast<ObjectRecord*>(o.GetRecordList().GetFirst());
    EXPECT_STREQ(record->pTextA, "hall");
    EXPECT_EQ(record->pTextB, nullptr);

    // A done record is neither counted nor written.
    o.GetRecordList().Add(NewRecord(90, "spent", nullptr, 1), 0);
    EXPECT_EQ(SaveObject(o), golden);
}

TEST_F(ObjectProfileTest, ObjectWithoutListsAndAFailingKindSave)
{
    // Every present byte 0, and a load that leaves every list absent.
    std::vector<uint8_t> bytes = SaveObject(*m_object);
    // Rows 18 to 26 follow the 59 bytes of rows 1 to 17.
    const auto lists = bytes.begin() + kChunkHeaderSize + 59;
    Bytes expected;
    expected.U32(2).U8(0).U8(0).U32(2).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U32(0xCAFEBABE);
    EXPECT_EQ(std::vector<uint8_t>(lists, lists + 20), expected.m_bytes);
    ASSERT_EQ(LoadObject(*m_object, ObjectChunk(ObjectRows(-1, -1, 0)).Write()), kStatusOk);
    ASSERT_EQ(LoadObject(*m_object, bytes), kStatusOk);
    EXPECT_EQ(m_object->GetElementClickList(0), nullptr);
    EXPECT_EQ(m_object->m_pShownEventList, nullptr);
    EXPECT_EQ(m_object->GetMessageCount(), 0u);

    // The kind's own state that cannot be written fails the object's save.
    m_object->saveState = kStatusFailed;
    Saved(kProfileTagObject, [&](UtilsStream_ChunkList* l, UtilsStream_Chunk* c) { return m_object->SaveToProfile(l, c); },
          kStatusFailed);
}

TEST_F(ObjectProfileTest, ElementChunkLoadsAndSavesItsBytesAgain)
{
    const std::vector<uint8_t> golden = ElementChunk(ElementRows()).Write();
    ASSERT_EQ(LoadElement(*m_object, 0, golden), kStatusOk);
    const ElementRecord& door = m_object->Element(0);
    EXPECT_FLOAT_EQ(door.placeOffset[2], 6.0f);
    EXPECT_FLOAT_EQ(door.dragOffset[0], 7.0f);
    EXPECT_FLOAT_EQ(door.turnAngle, 0.0f);  // read, not applied
    EXPECT_EQ(door.flags, 0x10000002u);
    EXPECT_EQ(door.cursorStop, 1);
    EXPECT_EQ(door.noAutoPrepare, 0);
    EXPECT_EQ(door.noDraw, 1);
    EXPECT_EQ(door.drawSlotOverride, 1);
    EXPECT_EQ(door.placeUses, 0xB0u);
    EXPECT_EQ(door.reservedAfterDrop[4], 0xB5u);
    EXPECT_EQ(door.scaleIndex, 1u);
    EXPECT_EQ(door.animationMode[0], 1);
    EXPECT_EQ(door.animationWaited, 8);
    EXPECT_EQ(door.levelTag, 6);
    EXPECT_EQ(door.clickHandler, 5);
    EXPECT_EQ(door.reservedAfterString[0], 2);
    ASSERT_EQ(door.groupMemberCount, 2u);
    EXPECT_EQ(door.pGroupMembers[1], 0x101u);
    EXPECT_EQ(door.grouped, 4);
    // Unloaded models: the pairs are kept for the modifiers.
    ASSERT_NE(door.pSavedTrackState, nullptr);
    EXPECT_EQ(door.pSavedTrackState[13], 14u);

    // Rows 10 and 11 are not applied: the saved bytes hold the element's own.
    std::vector<uint8_t> expected = golden;
    const float turn[2] = {0.0f, 1.0f};
    std::memcpy(&expected[kChunkHeaderSize + 36], turn, 8);
    EXPECT_EQ(SaveElement(*m_object, 0), expected);
}

// The texts a script put on an element come back with it: its popup text and its score, whose
// number is laid out again at the score. An element without texts writes none (above); a
// saved element without a number loses the one it had.
TEST_F(ObjectProfileTest, AnElementsPopupTextAndScoreComeBack)
{
    ElementRecord& door = m_object->Element(0);
    door.textStringId = 3;
    door.score = 250;
    door.scoreEasing = 4;
    door.pNumberText = new CExtraDimTextNumber(m_world.get());
    const std::vector<uint8_t> saved = SaveElement(*m_object, 0);
    Bytes texts;
    texts.I32(3).U8(1).I32(250).U32(4);
    const Chunk child{kProfileTagElementTexts, texts.m_bytes, {}};
    const std::vector<uint8_t> tail = child.Write(uint32_t(saved.size() - child.Total()));
    ASSERT_GT(saved.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), saved.end() - tail.size()));

    ElementRecord& key = m_object->Element(1);
    ASSERT_EQ(LoadElement(*m_object, 1, saved), kStatusOk);
    EXPECT_EQ(key.textStringId, 3);
    EXPECT_EQ(key.score, 250);
    EXPECT_EQ(key.scoreEasing, 4u);
    ASSERT_NE(key.pNumberText, nullptr);
    EXPECT_TRUE(key.pNumberText->IsEmpty());

    delete door.pNumberText;
    door.pNumberText = nullptr;
    ASSERT_EQ(LoadElement(*m_object, 1, SaveElement(*m_object, 0)), kStatusOk);
    EXPECT_EQ(key.pNumberText, nullptr);
    EXPECT_EQ(key.textStringId, 3);
}

TEST_F(ObjectProfileTest, DragOffsetOnlyForAWrappedDrag)
{
    for (uint32_t action : {0u, kActionHorizontalDrag, kActionVerticalDrag, kActionStayA}) {
        ElementTweak t;
        t.action = action;
        m_object->Element(0).dragOffset[0] = -1.0f;
        ASSERT_EQ(LoadElement(*m_object, 0, ElementChunk(ElementRows(t)).Write()), kStatusOk);
        const bool wrapped = action & (kActionHorizontalDrag | kActionVerticalDrag);
        EXPECT_FLOAT_EQ(m_object->Element(0).dragOffset[0], wrapped ? 7.0f : -1.0f) << action;
    }
}

TEST_F(ObjectProfileTest, IndexesOutOfRangeComeBackAtRest)
{
    ASSERT_EQ(LoadObject(*m_object, ObjectChunk(ObjectRows(2, -7, 2)).Write()), kStatusOk);
    EXPECT_EQ(m_object->m_heldElement, -1);
    EXPECT_EQ(m_object->m_turnedElement, -1);
    EXPECT_EQ(m_object->m_selectedPosition, 0u);

    ElementTweak t;
    t.drawSlotOverride = 2;
    t.dragParameters[0] = 9;
    t.dragParameters[1] = -3;
    t.dropRecord = 4;          // without the drop record flag
    t.positionIndex = 2;
    t.scaleIndex = 0xFFFFFFFF;
    t.currentTrack = 1;
    t.clickHandler = -9;
    ASSERT_EQ(LoadElement(*m_object, 0, ElementChunk(ElementRows(t)).Write()), kStatusOk);
    const ElementRecord& door = m_object->Element(0);
    EXPECT_EQ(door.drawSlotOverride, -1);
    EXPECT_EQ(door.dragParameters[0], -1);
    EXPECT_EQ(door.dragParameters[1], -1);
    EXPECT_EQ(door.dropRecord, 0u);
    EXPECT_EQ(door.positionIndex, 0u);
    EXPECT_EQ(door.scaleIndex, 0u);
    EXPECT_EQ(door.currentTrack, 0u);
    EXPECT_EQ(door.clickHandler, -1);

    // A chunk cut after the draw slot override fails and leaves no index out of range.
    Chunk cut = ElementChunk(ElementRows(t));
    cut.payload.resize(55);
    m_object->Element(0).drawSlotOverride = 0;
    EXPECT_EQ(LoadElement(*m_object, 0, cut.Write()), kStatusFailed);
    EXPECT_EQ(door.drawSlotOverride, -1);

    // A drop record of a drop source stays.
    t.flags |= kElementHasDropRecord;
    ASSERT_EQ(LoadElement(*m_object, 0, ElementChunk(ElementRows(t)).Write()), kStatusOk);
    EXPECT_EQ(door.dropRecord, 4u);
}

TEST_F(ObjectProfileTest, EveryCutChunkFails)
{
    // The payload cut at every length (the chunk sizes rewritten to match), and the children
    // cut at every length of their own payload.
    auto cutPayload = [](Chunk chunk, size_t length) {
        chunk.payload.resize(length);
        return chunk.Write();
    };
    const Chunk object = ObjectChunk(ObjectRows(1, 0, 1));
    for (size_t n = 0; n < object.payload.size(); ++n)
        EXPECT_EQ(LoadObject(*m_object, cutPayload(object, n)), kStatusFailed) << n;
    for (size_t child : {0u, 2u})
        for (size_t n = 0; n < object.children[child].payload.size(); ++n) {
            Chunk cut = object;
            cut.children[child].payload.resize(n);
            EXPECT_EQ(LoadObject(*m_object, cut.Write()), kStatusFailed) << child << " " << n;
        }
    const Chunk element = ElementChunk(ElementRows());
    for (size_t n = 0; n < element.payload.size(); ++n)
        EXPECT_EQ(LoadElement(*m_object, 0, cutPayload(element, n)), kStatusFailed) << n;
    for (size_t n = 0; n < element.children[1].payload.size(); ++n) {
        Chunk cut = element;
        cut.children[1].payload.resize(n);
        EXPECT_EQ(LoadElement(*m_object, 0, cut.Write()), kStatusFailed) << n;
    }

    // Counts beyond the bytes left or the elements, and a pair count other than 0 or 7.
    ElementTweak t;
    t.ownedCount = 0x40000000;
    EXPECT_EQ(LoadElement(*m_object, 0, ElementChunk(ElementRows(t)).Write()), kStatusFailed);
    EXPECT_EQ(LoadObject(*m_object, ObjectChunk(ObjectRows(1, 0, 1, 3)).Write()), kStatusFailed);
    Chunk pairs = element;
    pairs.children[1].payload = {6, 0, 0, 0};
    EXPECT_EQ(LoadElement(*m_object, 0, pairs.Write()), kStatusFailed);
}

TEST_F(ObjectProfileTest, TheEmptyLevelMapsItsProfileResults)
{
    // A profile holding an empty level loads again; a failure is the plain one.
    CObjectsLevelEmpty empty(m_world.get(), 5, 0);
    const std::vector<uint8_t> bytes =
        Saved(kProfileTagObject, [&](UtilsStream_ChunkList* l, UtilsStream_Chunk* c) { return empty.SaveToProfile(l, c); });
    EXPECT_EQ(Loaded(bytes, [&](UtilsStream_Chunk* c) { return empty.LoadFromProfile(c); }), kStatusOk);
    EXPECT_EQ(Loaded(Chunk{kProfileTagObject, {0xED, 0xFE}, {}}.Write(),
                     [&](UtilsStream_Chunk* c) { return empty.LoadFromProfile(c); }),
              kStatusFailed);
}

}  // namespace
