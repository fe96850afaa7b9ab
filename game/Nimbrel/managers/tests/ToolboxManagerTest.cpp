// The tool box manager: its queue (duplicates refused, a message behind an open object popup, a
// request that cannot show dropped), the panel's fade and close, the release rule with a panel
// shown, the panel's button under a click, and chunk 80000 read back and refused when damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../interfaces/tests/NamedElementsObject.h"
#include "NimbrelInterfaces/CObjectsInterfaceToolbox.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

// A panel whose click handling answers as the test says; the sounds it plays are recorded.
class TestPanel : public NamedElementsObject<CObjectsInterfaceToolbox> {
public:
    explicit TestPanel(WorldData* w) : NamedElementsObject(w, {"page", "close", "pen"}) {}
    Status OnClick(float, float, uint32_t) override { return clickTaken ? kStatusOk : kStatusFailed; }
    void PlayElementSound(uint32_t sound) override { sounds.push_back("sound " + std::to_string(sound)); }
    void PlayDefaultClick() override { sounds.push_back("default"); }
    void PlayNullClick() override { sounds.push_back("null"); }
    bool IsOverPanel(float, float) override { return overPanel; }
    bool clickTaken = false;
    bool overPanel = false;   // a picture of the panel that takes no clicks under the point
    std::vector<std::string> sounds;
};

// The manager on a panel of its own; what it shows is recorded.
class TestToolbox : public CToolboxManager {
public:
    TestToolbox(WorldData* w, TestPanel* panel) : CToolboxManager(w), m_panel(panel) {}
    std::vector<uint32_t> shown;   // the callers of the requests shown, in order
    bool objectPopupOpen = false;
    bool presentFails = false;
    bool closeKey = false;
    std::function<void()> onPresent;   // the shown interface's scripts
    int hides = 0, closes = 0;

protected:
    CObjectsInterfaceToolbox* Panel() const override { return m_panel; }
    bool IsObjectPopupOpen() const override { return objectPopupOpen; }
    Status Present(const CToolboxRequest& request) override
    {
        if (presentFails)
            return kStatusFailed;
        if (onPresent)
            std::exchange(onPresent, nullptr)();
        shown.push_back(request.callerObject);
        if (request.kind == kToolboxMessage)
            objectPopupOpen = true;
        return request.kind == kToolboxPanel ? ShowToolbox(request.callerObject, request.pFirst) : kStatusOk;
    }
    Status RegisterWait(const CToolboxRequest&) override { return kStatusOk; }
    void AfterClose() override { ++closes; }
    bool PressTakenByScene() const override { return false; }
    bool TakeCloseKey() override { return std::exchange(closeKey, false); }
    void FireHide() override { ++hides; }

private:
    TestPanel* m_panel;
};

class ToolboxManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world->frameTime = 1.0;
        ASSERT_EQ(toolbox.Load(), kStatusOk);
        ASSERT_EQ(panel.Set("toolbox_message_close_button", "close"), kStatusDoneStoreResult);
    }
    Status Ask(uint32_t caller, uint8_t kind = kToolboxPanel, const char* first = "notebook")
    {
        return toolbox.AddEntry(kind, 7, caller, first, kind == kToolboxMessage ? "drawer" : nullptr, 12, 3, 0);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            toolbox.Update();
    }
    std::vector<uint8_t> Save()
    {
        UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.CreateChunk(kProfileTagToolbox, nullptr);
        EXPECT_EQ(toolbox.SaveToStream(&list, chunk), kStatusOk);
        EXPECT_TRUE(list.WriteAll());
        const auto* block = static_cast<const uint8_t*>(stream.GetBlock());
        std::vector<uint8_t> bytes(block, block + stream.GetSize());
        stream.Close();
        return bytes;
    }
    Status Load(CToolboxManager& into, std::vector<uint8_t> bytes)
    {
        UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
        stream.Open();
        UtilsStream_ChunkList list(&stream);
        UtilsStream_Chunk* chunk = list.ReadFirst();
        const Status status = chunk ? into.LoadFromStream(chunk) : kStatusFailed;
        stream.Close();
        return status;
    }

    std::unique_ptr<WorldData> world = std::make_unique<WorldData>();
    TestPanel panel{world.get()};
    TestToolbox toolbox{world.get(), &panel};
};

TEST_F(ToolboxManagerTest, AnEqualRequestIsRefusedAtOnceAndOthersQueue)
{
    EXPECT_EQ(Ask(1), kStatusWait);
    EXPECT_EQ(toolbox.shown, std::vector<uint32_t>{1});
    EXPECT_EQ(toolbox.GetState(), uint32_t(kToolboxFadingIn));
    // The same request while it shows, and again while another waits: refused, nothing queued.
    EXPECT_EQ(Ask(2), kStatusWait);
    EXPECT_EQ(Ask(2), kStatusFailed);
    EXPECT_EQ(toolbox.GetQueueCount(), 1u);
    // No wait: answered at once, queued all the same.
    EXPECT_EQ(toolbox.AddEntry(kToolboxPanel, 7, 3, "notebook", nullptr, 12, 3, 1), kStatusDoneStoreResult);
    EXPECT_EQ(toolbox.GetQueueCount(), 2u);
}

TEST_F(ToolboxManagerTest, AMessageWaitsBehindAnOpenObjectPopup)
{
    toolbox.objectPopupOpen = true;
    EXPECT_EQ(Ask(4, kToolboxMessage, "drawer_note"), kStatusWait);
    EXPECT_TRUE(toolbox.shown.empty());
    EXPECT_EQ(toolbox.GetQueueCount(), 1u);
    // The popup manager closes its object popup and asks for the next request.
    toolbox.objectPopupOpen = false;
    EXPECT_EQ(toolbox.OnPopupClosed(), kStatusOk);
    EXPECT_EQ(toolbox.shown, std::vector<uint32_t>{4});
    EXPECT_EQ(toolbox.GetQueueCount(), 0u);
}

// A request that cannot show is dropped: it no longer holds the head of the queue for ever.
TEST_F(ToolboxManagerTest, ARequestThatCannotShowIsDropped)
{
    toolbox.presentFails = true;
    EXPECT_EQ(Ask(1), kStatusFailed);
    EXPECT_EQ(toolbox.GetQueueCount(), 0u);
    toolbox.presentFails = false;
    EXPECT_EQ(Ask(2), kStatusWait);
    EXPECT_EQ(toolbox.shown, std::vector<uint32_t>{2});
}

// The panel fades in, Escape or Space fades it out (the waiting script goes on then), and the
// next request shows once it is gone.
TEST_F(ToolboxManagerTest, ACloseKeyFadesThePanelOutAndTheNextRequestShowsAfterIt)
{
    ASSERT_EQ(Ask(1), kStatusWait);
    ASSERT_EQ(Ask(2), kStatusWait);
    Frames(10);
    EXPECT_EQ(toolbox.GetState(), uint32_t(kToolboxShown));
    EXPECT_EQ(panel.IsShown(), 1);
    toolbox.closeKey = true;
    Frames(1);
    EXPECT_EQ(toolbox.GetState(), uint32_t(kToolboxFadingOut));
    EXPECT_EQ(toolbox.shown.size(), 1u);
    EXPECT_EQ(toolbox.hides, 1);
    EXPECT_EQ(toolbox.closes, 1);
    for (int i = 0; i < 20 && toolbox.GetState() == kToolboxFadingOut; ++i)
        Frames(1);
    // Faded out, it is closed once more: its hide event, its waits and the level's commands.
    EXPECT_EQ(toolbox.GetState(), uint32_t(kToolboxClosed));
    EXPECT_EQ(toolbox.hides, 2);
    EXPECT_EQ(toolbox.closes, 2);
    EXPECT_EQ(toolbox.shown.size(), 1u);
    Frames(1);
    EXPECT_EQ(toolbox.shown, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(toolbox.GetState(), uint32_t(kToolboxFadingIn));
    EXPECT_EQ(toolbox.GetCaller(), 2);
    toolbox.Close(0);
    Frames(1);
    EXPECT_FALSE(toolbox.IsShowing());
    EXPECT_EQ(panel.IsShown(), 0);
}

// The interface's scripts run while a request shows; a request they ask for waits until that
// show is done, then shows unless one of its kind is on screen.
TEST_F(ToolboxManagerTest, ARequestAskedForDuringAShowWaitsItsTurn)
{
    const struct {
        uint8_t kind;
        std::vector<uint32_t> shown;   // once the first show is done
    } cases[] = {{kToolboxPanel, {1}}, {kToolboxMessage, {1, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        TestToolbox box(world.get(), &panel);
        ASSERT_EQ(box.Load(), kStatusOk);
        box.onPresent = [&] { EXPECT_EQ(box.AddEntry(c.kind, 7, 2, "lens", "drawer", 12, 3, 0), kStatusWait); };
        EXPECT_EQ(box.AddEntry(kToolboxPanel, 7, 1, "notebook", nullptr, 12, 3, 0), kStatusWait);
        EXPECT_EQ(box.shown, c.shown);
        EXPECT_EQ(box.GetCaller(), 1);
        EXPECT_EQ(box.GetQueueCount(), c.shown.size() == 1 ? 1u : 0u);
        // The panel closes and fades out; the waiting panel shows after it.
        box.Close(1);
        for (int i = 0; i < 30 && box.IsShowing() && box.GetCaller() == 1; ++i)
            box.Update();
        EXPECT_EQ(box.shown, (std::vector<uint32_t>{1, 2}));
    }
}

// With a panel shown the release goes first to the manager: its close button (with the button's
// own click, else the default) and a click on the panel take it (0), the panel's own click or else
// the null click, also on a picture of the panel that takes no clicks; a release beside the panel
// is the scene's (kStatusFailed), never both.
TEST_F(ToolboxManagerTest, TheReleaseGoesToThePanelOrToTheScene)
{
    const struct {
        const char* element;   // null: no pickable element under the point
        bool overPanel;
        uint32_t closeSound;   // the close button's own click, 0 none
        bool clickTaken;
        Status answer;
        bool closes;
        std::vector<std::string> sounds;
    } cases[] = {
        {"close", true, 0, false, kStatusOk, true, {"default"}},
        {"close", true, 9, false, kStatusOk, true, {"sound 9"}},
        {"pen", true, 9, true, kStatusOk, false, {}},
        {"pen", true, 9, false, kStatusOk, false, {"null"}},
        {nullptr, true, 9, false, kStatusOk, false, {"null"}},
        {nullptr, false, 9, false, kStatusFailed, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element ? c.element : c.overPanel ? "page" : "beside");
        panel.overPanel = c.overPanel;
        toolbox.Close(0);
        ASSERT_EQ(toolbox.ShowToolbox(1, "notebook"), kStatusOk);
        Frames(10);
        ASSERT_EQ(toolbox.GetState(), uint32_t(kToolboxShown));
        panel.hit = c.element ? panel.Find(c.element) : -2;
        panel.GetItemRecord(uint32_t(panel.Find("close")))->clickSound = c.closeSound;
        panel.clickTaken = c.clickTaken;
        panel.sounds.clear();
        EXPECT_EQ(toolbox.OnMouseUp(5.0f, 5.0f, 0), c.answer);
        EXPECT_EQ(toolbox.GetState(), uint32_t(c.closes ? kToolboxFadingOut : kToolboxShown));
        EXPECT_EQ(panel.sounds, c.sounds);
    }
}

// The panel names its close button 3, any other element or none 4, a picture of its own that
// takes no clicks 4, a point beside it 0; without its parameter word no click answers 3.
TEST_F(ToolboxManagerTest, ThePanelsButtonUnderAClick)
{
    EXPECT_EQ(panel.GetTypeCode(), 260u);
    const struct {
        const char* element;   // "": an answer without an element; null: no pickable element
        bool overPanel;
        uint32_t answer;
    } cases[] = {{"close", false, kToolboxHitClose}, {"pen", false, kToolboxHitOther},
                 {"", false, kToolboxHitOther},      {nullptr, true, kToolboxHitOther},
                 {nullptr, false, kToolboxHitNone}};
    for (const auto& c : cases) {
        panel.hit = !c.element ? -2 : *c.element ? panel.Find(c.element) : -1;
        panel.overPanel = c.overPanel;
        EXPECT_EQ(panel.HitTestButtons(1.0f, 1.0f, 0), c.answer)
            << (c.element ? c.element : c.overPanel ? "page" : "beside");
    }
    panel.overPanel = false;
    EXPECT_EQ(panel.Set("something_else", "close"), kStatusFailed);
    ASSERT_EQ(panel.Set("toolbox_message_close_button", "nowhere"), kStatusDoneStoreResult);
    panel.hit = panel.Find("close");
    EXPECT_EQ(panel.HitTestButtons(1.0f, 1.0f, 0), kToolboxHitOther);
}

TEST_F(ToolboxManagerTest, TheProfileKeepsThePanelAndTheQueueAndRefusesDamagedChunks)
{
    ASSERT_EQ(Ask(1), kStatusWait);
    toolbox.objectPopupOpen = true;
    ASSERT_EQ(Ask(2, kToolboxMessage, "drawer_note"), kStatusWait);
    Frames(3);
    const std::vector<uint8_t> bytes = Save();
    TestPanel otherPanel(world.get());
    TestToolbox again(world.get(), &otherPanel);
    ASSERT_EQ(again.Load(), kStatusOk);
    ASSERT_EQ(Load(again, bytes), kStatusOk);
    EXPECT_EQ(again.GetState(), uint32_t(kToolboxFadingIn));
    EXPECT_FLOAT_EQ(again.GetAlpha(), toolbox.GetAlpha());
    EXPECT_EQ(again.GetCaller(), 1);
    ASSERT_EQ(again.GetQueueCount(), 1u);
    const CToolboxRequest* request = again.GetFirstRequest();
    EXPECT_EQ(request->kind, kToolboxMessage);
    EXPECT_STREQ(request->pFirst, "drawer_note");
    EXPECT_STREQ(request->pSecond, "drawer");

    // The queued request: kind 1, the popups object 7, the caller 2; its count just before.
    const uint8_t record[] = {1, 7, 0, 0, 0, 2, 0, 0, 0};
    const auto found = std::search(bytes.begin(), bytes.end(), std::begin(record), std::end(record));
    ASSERT_NE(found, bytes.end());
    const size_t queue = size_t(found - bytes.begin()) - 4;
    const struct {
        const char* what;
        size_t at;
        uint8_t value;
    } damages[] = {{"a third kind", queue + 4, 2}, {"a count past the bytes", queue + 1, 0x10}};
    for (const auto& d : damages) {
        std::vector<uint8_t> broken = bytes;
        broken[d.at] = d.value;
        TestToolbox refused(world.get(), &otherPanel);
        ASSERT_EQ(refused.Load(), kStatusOk);
        EXPECT_EQ(Load(refused, broken), kStatusFailed) << d.what;
        EXPECT_EQ(refused.GetQueueCount(), 0u) << d.what;
        EXPECT_FALSE(refused.IsShowing()) << d.what;
    }
}

}  // namespace
