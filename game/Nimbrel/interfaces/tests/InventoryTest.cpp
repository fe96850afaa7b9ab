// The inventory bar: its layout, adds into the first free place, removes and the units used up
// by drops, the builtins that fill it from a scene script, and the saved places.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarInventory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

using CFixtureInventory = CFixtureObject<CObjectsInterfaceToolbarInventory>;

constexpr uint32_t kInventory = 3;
// Elements 3 to 9 are the items.
constexpr uint32_t kKey = 3, kCoin = 4, kLast = 9;

ScriptBuiltinCall Call(const char* first, uintptr_t second)
{
    ScriptBuiltinCall call{};
    call.arguments[0] = reinterpret_cast<uintptr_t>(first);
    call.arguments[1] = second;
    call.argumentCount = 2;
    return call;
}

ScriptBuiltinCall Words(const char* word, const char* value) { return Call(word, reinterpret_cast<uintptr_t>(value)); }

class InventoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Objects()->Forget();
        world.Build("");
        WorldData* w = world.GetWorldData();
        bar = std::make_unique<CFixtureInventory>(
            w, kInventory, kObjectKindInventory, "inventory",
            std::vector<const char*>{"box", "prev", "next", "key", "coin", "a", "b", "c", "d", "e"}, &world.requests);
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get(), bar.get()});
        ASSERT_EQ(bar->Load(), kStatusOk);
        ElementRecord* box = bar->GetItemRecord(0);
        const float bounds[4] = {0.0f, 0.0f, 300.0f, 50.0f};
        std::memcpy(box->bounds, bounds, sizeof bounds);
        box->baseOffset[0] = 10.0f;
        box->baseOffset[1] = 20.0f;
    }
    void TearDown() override
    {
        world.Fades()->RemoveAll();
        bar.reset();
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get()});
    }
    Status Set(const char* word, const char* value)
    {
        ScriptBuiltinCall call = Words(word, value);
        return bar->CObjectsInterfaceToolbarInventory::setObjectParameters(call);
    }
    void BindFrame()
    {
        ASSERT_EQ(Set("toolbar_boundingbox", "box"), kStatusDoneStoreResult);
        ASSERT_EQ(Set("toolbar_click_prev", "prev"), kStatusDoneStoreResult);
        ASSERT_EQ(Set("toolbar_click_next", "next"), kStatusDoneStoreResult);
        ASSERT_EQ(bar->CheckSetup(), kStatusOk);
    }
    std::vector<int32_t> Held()
    {
        std::vector<int32_t> held;
        for (uint32_t i = 0; i < bar->GetPlaceCount(); ++i)
            held.push_back(bar->GetPlace(i)->element);
        return held;
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureInventory> bar;
};

TEST_F(InventoryTest, SixPlacesAreLaidOutAcrossTheBoxAndTheQueriesNeverChange)
{
    EXPECT_EQ(bar->GetPlaceCount(), kInventoryPlaceCount);
    EXPECT_EQ(bar->CheckSetup(), kStatusFailed);
    EXPECT_EQ(bar->AddItem(kKey, 1), kStatusFailed);   // no box yet
    BindFrame();
    EXPECT_FLOAT_EQ(bar->GetCellWidth(), 50.0f);
    EXPECT_FLOAT_EQ(bar->GetCellHeight(), 50.0f);
    for (uint32_t i = 0; i < kInventoryPlaceCount; ++i) {
        EXPECT_FLOAT_EQ(bar->GetPlace(i)->centre[0], 35.0f + 50.0f * float(i));
        EXPECT_FLOAT_EQ(bar->GetPlace(i)->centre[1], 45.0f);
    }
    // Another word naming an element of the bar is taken; a name of none is not.
    EXPECT_EQ(Set("inventory_other", "coin"), kStatusDoneStoreResult);
    EXPECT_EQ(Set("inventory_other", "nowhere"), kStatusFailed);
    ASSERT_EQ(bar->AddItem(kKey, 1), kStatusOk);
    ScriptBuiltinCall empty = Words("is_empty", ""), pages = Words("is_prev_next", ""), other = Words("size", "");
    EXPECT_EQ(bar->getObjectParameters(empty), kStatusDoneStoreResult);
    EXPECT_EQ(bar->getObjectParameters(pages), kStatusDoneNoResult);
    EXPECT_EQ(bar->getObjectParameters(other), kStatusFailed);
}

// A click beside the bar's elements is left to the scene under the bar.
TEST_F(InventoryTest, AClickBesideTheBarIsNotTaken)
{
    BindFrame();
    EXPECT_EQ(bar->OnClick(900.0f, 700.0f, 0), kStatusFailed);
}

TEST_F(InventoryTest, AddsTakeTheFirstFreePlaceUntilTheBarIsFull)
{
    BindFrame();
    for (uint32_t item = kKey; item < kKey + kInventoryPlaceCount; ++item)
        ASSERT_EQ(bar->AddItem(item, 1), kStatusOk) << item;
    EXPECT_EQ(bar->AddItem(kLast, 1), kStatusFailed);
    EXPECT_EQ(Held(), (std::vector<int32_t>{3, 4, 5, 6, 7, 8}));
    // The added item is shown by a fade, in the centre of its place, no longer consumed.
    const ElementRecord* key = bar->GetItemRecord(kKey);
    EXPECT_NE(key->fadeId, 0u);
    EXPECT_FLOAT_EQ(key->baseOffset[0], 35.0f);
    EXPECT_EQ(key->flags & kElementLocked, 0u);

    ASSERT_EQ(bar->RemoveItem(5), kStatusOk);   // place 2
    EXPECT_EQ(bar->RemoveItem(5), kStatusFailed);
    EXPECT_EQ(bar->GetItemRecord(5)->flags & (kElementFound | kElementLocked), kElementFound | kElementLocked);
    ASSERT_EQ(bar->AddItem(kLast, 1), kStatusOk);
    EXPECT_EQ(Held(), (std::vector<int32_t>{3, 4, 9, 6, 7, 8}));
    EXPECT_FLOAT_EQ(bar->GetItemRecord(kLast)->baseOffset[0], 135.0f);
}

TEST_F(InventoryTest, UnitsAreUsedUpOneByOneAndTheLastFreesThePlace)
{
    BindFrame();
    ASSERT_EQ(bar->AddItem(kCoin, 3), kStatusOk);
    char16_t text[32];
    ASSERT_TRUE(bar->GetCountText(0, text, 32));
    EXPECT_EQ(UtilsString_ToUtf8(text), "3 x ");
    // Units left: the coin stays.
    EXPECT_EQ(bar->ConsumeItem(kCoin), kStatusFailed);
    EXPECT_EQ(bar->ConsumeItem(kCoin), kStatusFailed);
    EXPECT_EQ(bar->GetPlace(0)->count, 1u);
    ASSERT_TRUE(bar->GetCountText(0, text, 32));
    EXPECT_EQ(UtilsString_ToUtf8(text), "");
    EXPECT_EQ(bar->ConsumeItem(kCoin), kStatusOk);
    EXPECT_EQ(bar->GetPlace(0)->element, -1);
    EXPECT_NE(bar->GetItemRecord(kCoin)->flags & kElementLocked, 0u);
    EXPECT_EQ(bar->ConsumeItem(kCoin), kStatusFailed);
}

TEST_F(InventoryTest, TheBuiltinsNameTheBarsOwnItems)
{
    BindFrame();
    CObjectsBase* hall = world.hall.get();
    struct Case {
        const char* items;
        uintptr_t count;
        Status status;
        std::vector<int32_t> held;
    };
    // "a" and "c" are the bar's own names; the hall's "key" is not the bar's "key".
    bar->GetItemRecord(7)->inactive = 1;
    const Case adds[] = {
        {"coin", 0, kStatusFailed, {-1, -1, -1, -1, -1, -1}},   // no count
        {"coin", 3, kStatusDoneStoreResult, {4, -1, -1, -1, -1, -1}},
        {"key,a", 1, kStatusDoneStoreResult, {4, 3, 5, -1, -1, -1}},
        {"b", 0xFFFFFFFFu, kStatusDoneStoreResult, {4, 3, 5, 6, -1, -1}},   // -1 is a count
        {"c,d", 1, kStatusDoneStoreResult, {4, 3, 5, 6, 8, -1}},            // the inactive c passed over
    };
    for (const Case& c : adds) {
        ScriptBuiltinCall call = Call(c.items, c.count);
        EXPECT_EQ(hall->onAddInventoryItems(call), c.status) << c.items;
        EXPECT_EQ(Held(), c.held) << c.items;
    }
    EXPECT_EQ(bar->GetPlace(0)->count, 3u);
    ScriptBuiltinCall remove = Call("key", 0);
    EXPECT_EQ(hall->onRemoveInventoryItems(remove), kStatusDoneStoreResult);
    EXPECT_EQ(Held(), (std::vector<int32_t>{4, -1, 5, 6, 8, -1}));
    // The waiting forms are refused.
    ScriptBuiltinCall waiting = Call("key", 1);
    EXPECT_EQ(hall->_onAddInventoryItems(waiting), kStatusFailed);
    EXPECT_EQ(hall->_onRemoveInventoryItems(waiting), kStatusFailed);
}

TEST_F(InventoryTest, TheSavedPlacesComeBackAndDamageIsRefused)
{
    BindFrame();
    ASSERT_EQ(bar->AddItem(kCoin, 3), kStatusOk);
    ASSERT_EQ(bar->AddItem(kKey, 1), kStatusOk);
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    UtilsStream_ChunkList chunks(&stream);
    UtilsStream_Chunk* chunk = chunks.CreateChunk(1, nullptr);
    ASSERT_EQ(bar->SavePlacesState(chunk), kStatusOk);
    ASSERT_TRUE(chunks.WriteAll());
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    std::vector<uint8_t> bytes(block, block + stream.GetSize());
    stream.Close();
    // Count, six places of five words, the cell size.
    const size_t size = 4 + kInventoryPlaceCount * 20 + 8;
    ASSERT_GE(bytes.size(), size);
    const size_t at = bytes.size() - size;

    const auto load = [&](std::vector<uint8_t> data) {
        UtilsStream_Static in(kStreamRead, data.data(), uint32_t(data.size()));
        in.Open();
        UtilsStream_ChunkList read(&in);
        UtilsStream_Chunk* c = read.ReadFirst();
        const Status status = c ? bar->LoadPlacesState(c) : kStatusFailed;
        in.Close();
        return status;
    };
    ASSERT_EQ(bar->RemoveItem(kCoin), kStatusOk);
    ASSERT_EQ(load(bytes), kStatusOk);
    EXPECT_EQ(Held(), (std::vector<int32_t>{4, 3, -1, -1, -1, -1}));
    EXPECT_EQ(bar->GetPlace(0)->count, 3u);
    EXPECT_FLOAT_EQ(bar->GetPlace(1)->centre[0], 85.0f);
    EXPECT_FLOAT_EQ(bar->GetCellWidth(), 50.0f);
    struct Damage {
        size_t offset;
        uint32_t word;
        const char* what;
    };
    const Damage damages[] = {
        {at, 7, "seven places"},
        {at + 4, 10, "an item past the bar's elements"},
        {at + 4 + 20, 4, "one item in two places"},
        {at + 4 + 40, 0xFFFFFFFEu, "a negative item other than free"},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = bytes;
        for (int i = 0; i < 4; ++i)
            bad[d.offset + i] = uint8_t(d.word >> (8 * i));
        EXPECT_EQ(load(bad), kStatusFailed) << d.what;
        EXPECT_EQ(Held(), std::vector<int32_t>(kInventoryPlaceCount, -1)) << d.what;
    }
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 6);
    EXPECT_EQ(load(cut), kStatusFailed);
}

}  // namespace
