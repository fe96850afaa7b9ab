// The items-to-find list: the bar words, the layout of its pages, finds and copies, the refill
// of a page, paging, the resume of the waiting script after the fades, queries and the saved
// state's bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "../../objects/tests/FixedFont.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbarItemsList.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsString.h"

namespace {

using CFixtureItemsList = CFixtureObject<CObjectsInterfaceToolbarItemsList>;

constexpr uint32_t kHall = 0, kItems = 3, kBig = 4;
// The toolbar font is 30 high at text scale 1: lines of 27.
constexpr float kLine = 27.0f;

ScriptBuiltinCall Words(const char* word, const char* value)
{
    ScriptBuiltinCall call{};
    call.arguments[0] = reinterpret_cast<uintptr_t>(word);
    call.arguments[1] = reinterpret_cast<uintptr_t>(value);
    call.argumentCount = 2;
    return call;
}

std::vector<const char*> BigNames()
{
    static std::vector<std::string> names;
    std::vector<const char*> out;
    if (names.empty())
        for (int i = 0; i < 20; ++i)
            names.push_back("e" + std::to_string(i));
    for (const std::string& name : names)
        out.push_back(name.c_str());
    return out;
}

class ItemsListTest : public ::testing::Test {
protected:
    void Build(const std::string& hallScript = "")
    {
        world.Objects()->Forget();
        world.Build(hallScript);
        WorldData* w = world.GetWorldData();
        w->pGame->text.toolbar.height = 30.0f;
        w->pGame->text.toolbar.width = 30.0f;
        w->pGame->screen.textScale = 1.0f;
        items = std::make_unique<CFixtureItemsList>(w, kItems, kObjectKindItemsList, "items",
                                                    std::vector<const char*>{"box", "prev", "next", "mark"},
                                                    &world.requests);
        big = std::make_unique<CFixtureLevel>(w, kBig, kObjectKindExploration, "big", BigNames(), &world.requests);
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get(), items.get(), big.get()});
        ASSERT_EQ(items->Load(), kStatusOk);
        ASSERT_EQ(big->Load(), kStatusOk);
        // The items have no name string: they show their own names.
        for (CObjectsBase* level : {static_cast<CObjectsBase*>(world.hall.get()), static_cast<CObjectsBase*>(big.get())})
            for (uint32_t i = 0; i < level->GetElementCount(); ++i)
                level->GetItemRecord(i)->referenceWord = -1;
        SetBox(3.0f * kLine + 1.0f);
    }
    void TearDown() override
    {
        if (!items)
            return;
        world.Fades()->RemoveAll();
        items.reset();
        big.reset();
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get()});
    }
    void SetBox(float height)
    {
        ElementRecord* box = items->GetItemRecord(0);
        const float bounds[4] = {0.0f, 0.0f, 300.0f, height};
        std::memcpy(box->bounds, bounds, sizeof bounds);
        box->baseOffset[0] = 10.0f;
        box->baseOffset[1] = 20.0f;
    }
    Status Set(const char* word, const char* value)
    {
        ScriptBuiltinCall call = Words(word, value);
        return items->CObjectsInterfaceToolbarItemsList::setObjectParameters(call);
    }
    Status Query(const char* name)
    {
        ScriptBuiltinCall call = Words(name, "");
        return items->CObjectsInterfaceToolbarItemsList::getObjectParameters(call);
    }
    void BindFrame(bool mark = true)
    {
        ASSERT_EQ(Set("toolbar_boundingbox", "box"), kStatusDoneStoreResult);
        ASSERT_EQ(Set("toolbar_click_prev", "prev"), kStatusDoneStoreResult);
        ASSERT_EQ(Set("toolbar_click_next", "next"), kStatusDoneStoreResult);
        if (mark)
            ASSERT_EQ(Set("toolbar_check_mark", "mark"), kStatusDoneStoreResult);
    }
    // A list of the first n elements of the big level, started; the big level is current.
    ItemsList* Start(uint32_t n, const char* options)
    {
        world.Objects()->SetCurrentObject(big.get());
        EXPECT_EQ(items->RegisterList(kBig, options), kStatusOk);
        for (uint32_t i = 0; i < n; ++i)
            EXPECT_EQ(items->AddEntry(kBig, i), kStatusOk);
        EXPECT_EQ(items->StartList(kBig, kItemsListNoWaiter), kStatusOk);
        return items->GetList(kBig);
    }
    void Click(CObjectsBase* level, uint32_t element)
    {
        if (CCommandList* list = level->GetElementClickList(element))
            list->BurnAll(kCommandEventClick, int32_t(level->GetObjectNumber()), int32_t(element), -1);
    }
    std::string Cell(uint32_t k)
    {
        char16_t text[256];
        return items->GetCellText(k, text, 256) ? UtilsString_ToUtf8(text) : "(none)";
    }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureItemsList> items;
    std::unique_ptr<CFixtureLevel> big;
};

TEST_F(ItemsListTest, TheBarWordsBindTheFrameAndTheCheckNeedsAllFour)
{
    Build();
    ScriptBuiltinCall other = Words("toolbar_other", "box");
    ScriptBuiltinCall missing = Words("toolbar_click_next", "nowhere");
    // The base leaves a word of its own to the bar; a value that names no element fails.
    EXPECT_EQ(items->CObjectsInterfaceToolbar::setObjectParameters(other), kStatusDoneNoResult);
    EXPECT_EQ(items->CObjectsInterfaceToolbar::setObjectParameters(missing), kStatusFailed);
    EXPECT_EQ(items->GetNextElement(), -1);
    EXPECT_EQ(items->CObjectsInterfaceToolbar::getObjectParameters(other), kStatusDoneNoResult);
    // The list knows no other word.
    EXPECT_EQ(Set("toolbar_other", "box"), kStatusFailed);
    EXPECT_EQ(items->CheckSetup(), kStatusFailed);
    BindFrame(false);
    EXPECT_EQ(items->CObjectsInterfaceToolbar::CheckSetup(), kStatusOk);
    EXPECT_EQ(items->CheckSetup(), kStatusFailed);   // no check mark yet
    ASSERT_EQ(Set("toolbar_check_mark", "mark"), kStatusDoneStoreResult);
    EXPECT_EQ(items->CheckSetup(), kStatusOk);
    ASSERT_EQ(Set("toolbar_click_next", "box"), kStatusDoneStoreResult);
    ASSERT_EQ(Set("toolbar_click_next", "prev"), kStatusDoneStoreResult);
    EXPECT_EQ(items->GetNextElement(), 1);
}

TEST_F(ItemsListTest, PagesAreLaidOutInRowsAndColumnsOfTheBox)
{
    struct Case {
        uint32_t entries;
        const char* options;
        float boxHeight;
        uint32_t rows, columns, pages, firstPageCount;
    };
    const Case cases[] = {
        {5, "", 3.0f * kLine + 1.0f, 2, 3, 1, 5},
        {20, "", 3.0f * kLine + 1.0f, 3, 4, 1, 12},
        {20, "random, enable_multi_page", 3.0f * kLine + 1.0f, 3, 4, 2, 12},
        {1, "", 3.0f * kLine + 1.0f, 1, 1, 1, 1},
        // A box lower than one line still has a row.
        {5, "", 10.0f, 1, 2, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.entries) + " " + c.options + " " + std::to_string(c.boxHeight));
        Build();
        BindFrame();
        SetBox(c.boxHeight);
        const ItemsList* list = Start(c.entries, c.options);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->pageCount, c.pages);
        const ItemsListPage& page = list->pPages[0];
        EXPECT_EQ(page.rows, c.rows);
        EXPECT_EQ(page.columns, c.columns);
        EXPECT_EQ(page.count, c.firstPageCount);
        // Rows fill left to right, top to bottom, from the box's corner (10, 20).
        for (uint32_t i = 0; i < page.count; ++i) {
            EXPECT_FLOAT_EQ(page.pCentres[i][0], (float(i % c.columns) + 0.5f) * 300.0f / float(c.columns) + 10.0f);
            EXPECT_FLOAT_EQ(page.pCentres[i][1], (float(i / c.columns) + 0.5f) * c.boxHeight / float(c.rows) + 20.0f);
        }
        TearDown();
    }
}

TEST_F(ItemsListTest, HiddenEntriesComeInOneByOneAsFoundOnesFadeOut)
{
    Build();
    BindFrame();
    ItemsList* list = Start(20, "");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Query("is_prev_next"), kStatusDoneNoResult);
    // The eight that do not fit wait out of the scene, in display order.
    for (uint32_t i = 12; i < 20; ++i) {
        EXPECT_EQ(list->pEntries[i].state, kEntryHidden) << i;
        EXPECT_TRUE(big->GetItemRecord(i)->flags & kElementFound) << i;
    }
    // A click on a hidden entry's item counts nothing.
    Click(big.get(), 15);
    EXPECT_EQ(list->remainingEntries, 20u);
    Click(big.get(), 3);
    EXPECT_EQ(list->pEntries[3].state, kEntryFound);
    EXPECT_EQ(items->GetCheckMarkPosition(), 3);
    // The mark has no animation: done at its next preparation; the entry fades out.
    items->PrepareElementDraw(items->GetItemRecord(3), 1.0f, 0);
    EXPECT_EQ(list->pEntries[3].state, kEntryFadingOut);
    world.GetWorldData()->frameTime = 30.0;
    items->Draw();
    // Entry 12, the first hidden one, takes position 3 and fades in.
    EXPECT_EQ(list->pOrder[3], 12u);
    EXPECT_EQ(list->pEntries[12].state, kEntryFadingIn);
    EXPECT_FALSE(big->GetItemRecord(12)->flags & kElementFound);
    EXPECT_EQ(list->pEntries[3].state, kEntryFound);
    EXPECT_EQ(Cell(3), "e12");
    // Found again, the entry and the counts stay.
    Click(big.get(), 3);
    EXPECT_EQ(list->remainingEntries, 19u);
}

// A font that records the colour of each text it draws.
class CColourFont : public CFixedFont {
public:
    using CFixedFont::CFixedFont;
    C3DVector3 DrawText(const char16_t* text, float, float, float, uint32_t, uint32_t color, float, float,
                        const C3DVector2*, const void*, uint32_t) override
    {
        colours[UtilsString_ToUtf8(text)] = color;
        return {};
    }
    std::map<std::string, uint32_t> colours;
};

// A listed item shows in the toolbar colour, in the droppable colour when it is a drop target, and
// in its own text colour when the script gave it one, until it is found.
TEST_F(ItemsListTest, AnItemsOwnTextColourShowsUntilItIsFound)
{
    Build();
    BindFrame();
    CColourFont font(world.GetWorldData());
    world.SetMainFont(&font);
    GameData* game = world.GetWorldData()->pGame;
    game->text.toolbar.color = 0xFF0000AAu;
    game->text.toolbarDroppableColor = 0xFF00AA00u;
    big->GetItemRecord(1)->flags |= kElementDropTarget;
    for (uint32_t i : {2u, 3u}) {
        big->GetItemRecord(i)->ownTextColor = 1;
        big->GetItemRecord(i)->textColor = 0x80123456u;
    }
    ASSERT_NE(Start(4, "enable_multi_page"), nullptr);
    Click(big.get(), 3);
    items->Draw();
    world.SetMainFont(nullptr);
    const std::map<std::string, uint32_t> expected = {
        {"e0", 0xFF0000AAu}, {"e1", 0xFF00AA00u}, {"e2", 0xFF123456u}, {"e3", 0xFF0000AAu}};
    EXPECT_EQ(font.colours, expected);
}

TEST_F(ItemsListTest, MultiPageListsTurnRoundWithoutFading)
{
    Build();
    BindFrame();
    ItemsList* list = Start(20, "enable_multi_page");
    EXPECT_EQ(Query("is_prev_next"), kStatusDoneStoreResult);
    EXPECT_EQ(list->currentPage, 0u);
    items->TurnPage(true);
    EXPECT_EQ(list->currentPage, 1u);
    items->TurnPage(false);
    EXPECT_EQ(list->currentPage, 0u);
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_EQ(list->pEntries[i].state, kEntryShown) << i;
    Click(big.get(), list->pOrder[0]);
    items->PrepareElementDraw(items->GetItemRecord(3), 1.0f, 0);
    EXPECT_EQ(list->pEntries[list->pOrder[0]].state, kEntryFound);
}

TEST_F(ItemsListTest, WithoutACheckMarkTheNextItemTakesThePlaceAtOnce)
{
    Build();
    BindFrame(false);
    ItemsList* list = Start(13, "");
    Click(big.get(), 0);
    EXPECT_EQ(list->pOrder[0], 12u);
    EXPECT_EQ(list->pEntries[12].state, kEntryFadingIn);
    EXPECT_EQ(list->pEntries[0].state, kEntryFound);
}

TEST_F(ItemsListTest, CopiesCountDownAndTheScriptGoesOnOnceTheFadesEnd)
{
    Build("var after = 0;\n"
          "function Find() { setItemGroup(\"key\", \"candle,book\"); _onToolbarList(\"key,candle,book\", \"\", \"\");\n"
          "  after = 1; }\n");
    BindFrame();
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.hall->SetWanted(1);
    world.hall->GetScript()->SetEventMask(0x0FFFFFFFu);
    EXPECT_EQ(Query("is_empty"), kStatusDoneStoreResult);   // the hall never had a list
    ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "Find"), kStatusWait);
    EXPECT_EQ(Query("is_empty"), kStatusDoneNoResult);
    EXPECT_EQ(Cell(0), "3 x key");
    Click(world.hall.get(), 1);
    EXPECT_EQ(Cell(0), "2 x key");
    Click(world.hall.get(), 2);
    EXPECT_EQ(Cell(0), "key");
    // A fade still runs when the last copy is found: the script waits for it.
    ASSERT_NE(world.Fades()->AddFade(2, 0.5f, kHall, 2, nullptr), 0u);
    Click(world.hall.get(), 0);
    const ItemsList* list = items->GetList(kHall);
    EXPECT_EQ(list->state, kListFound);
    EXPECT_EQ(list->pEntries[0].memberCount, 0u);
    EXPECT_EQ(Query("is_empty"), kStatusDoneStoreResult);
    items->UpdateState();
    world.Pump();
    EXPECT_EQ(CBuiltinWorld::Global(world.hall.get(), "after"), 0u);
    for (int frame = 0; frame < 20 && list->state != kListResumed; ++frame) {
        world.Frames(1);
        items->UpdateState();
    }
    world.Pump();
    EXPECT_EQ(list->state, kListResumed);
    EXPECT_EQ(CBuiltinWorld::Global(world.hall.get(), "after"), 1u);
}

TEST_F(ItemsListTest, AnEmptyFirstListDoesNotWait)
{
    Build("var after = 0;\nfunction Find() { _onToolbarList(\"nothing\", \"\", \"\"); after = 1; }\n");
    BindFrame();
    ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
    world.hall->GetScript()->SetEventMask(0x0FFFFFFFu);
    EXPECT_GE(CBuiltinWorld::Call(world.hall.get(), "Find"), 0);
    EXPECT_EQ(CBuiltinWorld::Global(world.hall.get(), "after"), 1u);
    const ItemsList* list = items->GetList(kHall);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->state, kListResumed);
    EXPECT_EQ(list->pageCount, 0u);
    bool told = false;
    for (const std::string& trace : world.traces)
        told = told || trace.find("at least one item") != std::string::npos;
    EXPECT_TRUE(told);
}

// The saved lists, word by word, and what a damaged copy of them does.
TEST_F(ItemsListTest, TheSavedStateHasItsBytesAndDamageIsRefused)
{
    Build();
    BindFrame();
    world.Objects()->SetCurrentObject(world.hall.get());
    ASSERT_EQ(items->RegisterList(kHall, "random"), kStatusOk);
    ASSERT_EQ(items->AddEntry(kHall, 2), kStatusOk);
    ASSERT_EQ(items->AddOtherItem(kHall, 1), kStatusOk);
    ASSERT_EQ(items->StartList(kHall, 7), kStatusOk);
    const ItemsList* list = items->GetList(kHall);

    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    UtilsStream_ChunkList chunks(&stream);
    UtilsStream_Chunk* chunk = chunks.CreateChunk(1, nullptr);
    ASSERT_EQ(items->SaveListsState(chunk), kStatusOk);
    ASSERT_TRUE(chunks.WriteAll());
    const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
    std::vector<uint8_t> bytes(block, block + stream.GetSize());
    stream.Close();

    const auto f = [](float value) {
        uint32_t word;
        std::memcpy(&word, &value, 4);
        return word;
    };
    const auto& page = list->pPages[0];
    const std::vector<uint32_t> words = {
        3, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 5,   // mark element, target, shown level, lists
    };
    std::vector<uint8_t> expected;
    const auto put = [&](uint32_t w) {
        for (int i = 0; i < 4; ++i)
            expected.push_back(uint8_t(w >> (8 * i)));
    };
    for (uint32_t w : words)
        put(w);
    expected.push_back(1);   // the hall's list
    for (uint32_t w : {0u, 7u, 1u, 1u, 1u})   // level, waiter, "random", running, one entry
        put(w);
    for (uint32_t w : {2u, f(1.0f), f(0.0f), 2u, 0u, 0u, 1u})   // shown, alpha, dim, book, flags
        put(w);
    put(0);    // order
    put(1);    // remaining entries
    put(1);    // one other item: the candle
    for (uint32_t w : {0u, f(1.0f), f(0.0f), 1u, 0u, 0u, 1u})
        put(w);
    for (uint32_t w : {1u, 0u, 1u, 1u, f(page.cellWidth), f(page.cellHeight), 1u, f(160.0f), f(page.pCentres[0][1]),
                       f(0.0f), 0u})
        put(w);
    for (uint32_t i = 0; i < 5; ++i)
        put((&list->command.kind)[i]);
    for (int i = 0; i < 4; ++i)
        expected.push_back(0);   // frame, bar, items, big: no list
    // The chunk's own header comes first.
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - expected.size(), bytes.end()), expected);

    const size_t header = bytes.size() - expected.size();
    const auto load = [&](std::vector<uint8_t> data) {
        UtilsStream_Static in(kStreamRead, data.data(), uint32_t(data.size()));
        in.Open();
        UtilsStream_ChunkList read(&in);
        UtilsStream_Chunk* c = read.ReadFirst();
        const Status status = c ? items->LoadListsState(c) : kStatusFailed;
        in.Close();
        return status;
    };
    ASSERT_EQ(load(bytes), kStatusOk);
    ASSERT_NE(items->GetList(kHall), nullptr);
    EXPECT_EQ(items->GetList(kHall)->pEntries[0].element, 2u);
    struct Damage {
        size_t offset;
        uint32_t word;
    };
    const size_t list0 = header + 6 * 4 + 1;
    const Damage damages[] = {
        {header + 5 * 4, 6},                       // more lists than objects
        {list0, 1},                                // a list under another level
        {list0 + 5 * 4, 5},                        // an entry state past "found"
        {list0 + 12 * 4, 1},                       // the order is no permutation
        {list0 + 4 * 4, 0x10000},                  // more entries than bytes
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = bytes;
        for (int i = 0; i < 4; ++i)
            bad[d.offset + i] = uint8_t(d.word >> (8 * i));
        EXPECT_EQ(load(bad), kStatusFailed) << d.offset;
        EXPECT_EQ(items->GetListCount(), 0u) << d.offset;
    }
}

}  // namespace

namespace {

// The hint's highlight takes only an entry of the current page (a copy names its entry); the
// developer's cheat finds every entry of the shown list, counts and all.
TEST_F(ItemsListTest, AHighlightNeedsTheCurrentPageAndTheCheatFindsEverything)
{
    Build();
    BindFrame();
    ItemsList* list = Start(20, "enable_multi_page");
    EXPECT_EQ(items->Highlight(kBig, 15, 3.0f), kStatusFailed);   // on page 2
    EXPECT_EQ(items->GetHighlightElement(), -1);
    EXPECT_EQ(items->Highlight(kBig, 4, 3.0f), kStatusOk);
    EXPECT_EQ(items->GetHighlightElement(), 4);
    items->EndHighlight();
    EXPECT_EQ(items->GetHighlightElement(), -1);

    EXPECT_EQ(items->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(list->state, kListFound);
    EXPECT_EQ(list->remainingEntries, 0u);
    for (uint32_t i = 0; i < list->entryCount; ++i)
        EXPECT_EQ(list->pEntries[i].remaining, 0u) << i;
    EXPECT_EQ(Query("is_empty"), kStatusDoneStoreResult);
    // A click after the cheat counts nothing.
    Click(big.get(), 4);
    EXPECT_EQ(list->remainingEntries, 0u);
}

}  // namespace

// The builtin's two lists: another object's element fails with its text, an inactive one is
// passed over with a warning, the second list skips names of nothing quietly; only a call that
// counted items and has work after it waits, and one that does not leaves the list no waiter.
TEST_F(ItemsListTest, TheListBuiltinChecksItsItemsAndWaitsOnlyWhenItCan)
{
    Build();
    BindFrame();
    world.Objects()->SetCurrentObject(world.hall.get());
    world.hall->GetItemRecord(1)->inactive = 1;   // the candle
    constexpr uint32_t kHost = 6;
    const struct {
        const char* first;
        const char* second;
        uint32_t tail;
        Status status;
        uint32_t entries, others, waiter;
        std::vector<std::string> traces;   // the builtin's name is the script's: none here
    } cases[] = {
        {"key,candle", "", 0, kStatusWait, 1, 0, kHost,
         {": Toolbar recognizes bad element ! (candle) in (hall)"}},
        {"key", "nothing,book,candle", 1, kStatusDoneStoreResult, 1, 1, kItemsListNoWaiter, {}},
        {"nothing", "", 0, kStatusDoneStoreResult, 0, 0, kItemsListNoWaiter,
         {": unrecognized element \"nothing\"", ": Toolbar list must contains at least one item"}},
        {"key,@frame@corner", "", 0, kStatusFailed, 1, 0, 0,
         {": Toolbar list must contains only items contained in the current object"}},
        {"book", "@frame@edge", 0, kStatusFailed, 1, 0, 0,
         {": Toolbar list must contains only items contained in the current object"}},
    };
    for (const auto& c : cases) {
        world.traces.clear();
        ScriptBuiltinCall call{};
        call.arguments[0] = reinterpret_cast<uintptr_t>(c.first);
        call.arguments[1] = reinterpret_cast<uintptr_t>(c.second);
        call.arguments[2] = reinterpret_cast<uintptr_t>("");
        call.argumentCount = 3;
        call.hostWord = kHost;
        call.tail = c.tail;
        EXPECT_EQ(world.hall->_onToolbarList(call), c.status) << c.first;
        const ItemsList* list = items->GetList(kHall);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->entryCount, c.entries) << c.first;
        EXPECT_EQ(list->otherCount, c.others) << c.first;
        if (c.status != kStatusFailed) {
            EXPECT_EQ(list->waitHandle, c.waiter) << c.first;
        }
        EXPECT_EQ(world.traces, c.traces) << c.first;
    }
}

// A leader's group holds members of its own object; a member already grouped keeps its group
// and the second leader gets none.
TEST_F(ItemsListTest, AGroupTakesItsOwnObjectsMembersAndKeepsAnOldOne)
{
    Build();
    const auto group = [&](const char* leader, const char* members) {
        ScriptBuiltinCall call = Words(leader, members);
        return big->setItemGroup(call);
    };
    const auto members = [&](uint32_t leader) {
        const ElementRecord* e = big->GetItemRecord(leader);
        return std::vector<uint32_t>(e->pGroupMembers, e->pGroupMembers + e->groupMemberCount);
    };
    EXPECT_EQ(group("e0", "e1,e2,e3"), kStatusDoneStoreResult);
    EXPECT_EQ(members(0), (std::vector<uint32_t>{1, 2, 3}));
    world.traces.clear();
    EXPECT_EQ(group("e4", "e5,e2"), kStatusDoneStoreResult);
    EXPECT_EQ(world.traces, std::vector<std::string>{": item already grouped e5,e2"});
    EXPECT_EQ(members(0), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_TRUE(members(4).empty());
    EXPECT_EQ(big->GetItemRecord(5)->grouped, 0);
    EXPECT_EQ(big->GetItemRecord(2)->grouped, 1);
    EXPECT_EQ(big->GetItemRecord(0)->grouped, 0);
    // Another object's element: refused, the old group kept.
    world.traces.clear();
    EXPECT_EQ(group("e0", "e6,@hall@key"), kStatusFailed);
    EXPECT_EQ(world.traces, std::vector<std::string>{": invalid out of object item e6,@hall@key"});
    EXPECT_EQ(members(0), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(big->GetItemRecord(6)->grouped, 0);
    // A new group of the leader frees the old members.
    EXPECT_EQ(group("e0", "e7"), kStatusDoneStoreResult);
    EXPECT_EQ(members(0), (std::vector<uint32_t>{7}));
    EXPECT_EQ(big->GetItemRecord(1)->grouped, 0);
}
