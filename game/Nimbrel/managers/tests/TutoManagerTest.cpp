// The tutorial manager: queueing and choosing steps, items a step waits on, the display states,
// the player's input and clicks, pops with their callbacks and resumed waits, and chunk 210000.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../../interfaces/tests/NamedElementsObject.h"
#include "NimbrelInterfaces/CObjectsInterfaceTuto.h"
#include "NimbrelLevels/CObjectsLevelExploration.h"
#include "NimbrelManagers/CTutoManager.h"
#include "NimbrelObjects/TutoStep.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

constexpr uint32_t kLevel = 1;
constexpr uint32_t kFrame = 2;
constexpr uint32_t kWaiter = 9;

const std::vector<const char*> kPartNames = {"bg", "tl", "t", "tr", "r", "br", "b", "bl", "l", "c", "x", "arrow"};
const char* const kPartWords[] = {"tuto_background", "tuto_top_left", "tuto_top",   "tuto_top_right",
                                  "tuto_right",      "tuto_bottom_right", "tuto_bottom", "tuto_bottom_left",
                                  "tuto_left",       "tuto_center",    "tuto_close", "tuto_arrow"};

class TutoLevel : public NamedElementsObject<CObjectsLevelExploration> {
public:
    explicit TutoLevel(WorldData* w) : NamedElementsObject(w, {"door", "key", "lamp"})
    {
        m_objectNumber = kLevel;
        m_loaded = m_wanted = m_shown = 1;
    }
    using CObjectsBase::GetTutorialStep;
    Status CallScriptFunction(const char* name, uint32_t, uint8_t, uintptr_t* arguments, uint32_t code) override
    {
        calls.push_back(std::string(name) + "(" + reinterpret_cast<const char*>(arguments[0]) + ")");
        EXPECT_EQ(code, 0x10000004u);
        return kStatusOk;
    }
    std::vector<std::string> calls;
};

class TutoFrame : public NamedElementsObject<CObjectsInterfaceTuto> {
public:
    explicit TutoFrame(WorldData* w) : NamedElementsObject(w, kPartNames)
    {
        m_objectNumber = kFrame;
        m_loaded = m_wanted = m_shown = 1;
        FindOrAddObjectPosition("default");
        FindOrAddObjectPosition("top");
        for (uint32_t i = 0; i < kTutoPartCount; ++i)
            Set(kPartWords[i], kPartNames[i]);
    }
};

class Waiter : public CCommandTarget {
public:
    using CCommandTarget::CCommandTarget;
    bool OnBurnCommand(const CommandHandle&, uint32_t, int32_t, int32_t, int32_t) override
    {
        ++burns;
        return true;
    }
    int burns = 0;
};

class TestTuto : public CTutoManager {
public:
    using CTutoManager::CTutoManager;
    uint32_t ObjectCount() override { return 3; }
    CFIFOList* ActiveObjects() override { return &active; }
    CObjectsInterfaceTuto* TutoObject() override { return frame; }
    int32_t FindPopupText(const char* name) override
    {
        const auto found = name ? texts.find(name) : texts.end();
        return found == texts.end() ? -1 : found->second;
    }
    float FadeRate() override { return 0.25f; }
    Status LayoutTexts() override { return kStatusOk; }
    void SetProfileTutorialOff() override { ++tutorialOff; }

    CFIFOList active;
    CObjectsInterfaceTuto* frame = nullptr;
    std::map<std::string, int32_t> texts = {{"hello", 40}, {"bye", 41}, {"again", 42}};
    int tutorialOff = 0;
};

class TutoWorld : public CNimbrelWorld {
public:
    TutoWorld()
    {
        SetManager(kManagerCommandList, new CCommandListManager(GetWorldData()));
        GetWorldData()->frameTime = 1.0;
        level = std::make_unique<TutoLevel>(GetWorldData());
        frame = std::make_unique<TutoFrame>(GetWorldData());
        waiter = std::make_unique<Waiter>(GetWorldData());
        tuto = new TestTuto(GetWorldData());
        SetManager(kManagerTuto, tuto);
        tuto->frame = frame.get();
        tuto->active.Add(level.get(), 0);
        tuto->active.Add(frame.get(), 0);
        tuto->Load();
    }
    ~TutoWorld() override
    {
        for (int32_t slot = kManagerCount - 1; slot >= 0; --slot)
            SetManager(slot, nullptr);
    }
    CCommandTarget* GetCommandTarget(uint32_t number) override
    {
        return number == kLevel    ? static_cast<CCommandTarget*>(level.get())
               : number == kFrame  ? static_cast<CCommandTarget*>(frame.get())
               : number == kWaiter ? waiter.get()
                                   : nullptr;
    }
    bool IsObjectActivated(uint32_t number) override { return number == kLevel || number == kWaiter; }

    std::unique_ptr<TutoLevel> level;
    std::unique_ptr<TutoFrame> frame;
    std::unique_ptr<Waiter> waiter;
    TestTuto* tuto = nullptr;
};

class TutoManagerTest : public ::testing::Test {
protected:
    Status Push(const char* text, const char* flags = "", const char* item = "", const char* itemWords = "",
                const char* callback = "", uint8_t wait = 0, float seconds = 0.0f, const char* position = "default")
    {
        const TutoStepArguments args = {position, text, flags, seconds, item, itemWords, callback};
        return tuto->ParseStep(kLevel, {"pushTuto", 0, 0}, args, wait);
    }
    // Frames of the fade until the state changes (at most n); the frame fades with the step's
    // object.
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            tuto->UpdateWithObjects(kLevel);
    }
    void ShowFully()
    {
        Frames(10);
        ASSERT_EQ(tuto->GetState(), kTutoShown);
    }
    uint32_t Queued() { return world.level->GetTutoSteps().GetCount(); }
    CommandHandle Wait()
    {
        CommandHandle handle{};
        world.GetCommandListManager()->AddCommand(kWaiter, 0, 1, 0, 0, 0, 0, &handle);
        tuto->AddCommand(handle);
        return handle;
    }

    TutoWorld world;
    TestTuto* tuto = world.tuto;
    ElementRecord* key = world.level->GetItemRecord(1);
};

TEST_F(TutoManagerTest, AStepFadesInAfterItsDelayAndItsEndIsPoppedWithItsCallback)
{
    ASSERT_EQ(Push("hello", "exit_click_in", "", "", "onDone", 0, 0.1f, "top"), kStatusOk);
    ASSERT_TRUE(tuto->HasStep());
    EXPECT_EQ(tuto->GetState(), kTutoDelay);
    EXPECT_FLOAT_EQ(tuto->GetTimer(), 3.0f);   // 0.1 s in frame-step units
    EXPECT_EQ(tuto->GetCurrentStep().positionKey, 1u);
    EXPECT_EQ(tuto->GetCurrentStep().textIndex, 40u);
    EXPECT_EQ(world.frame->GetSelectedPosition(), 1u);
    Frames(3);
    EXPECT_EQ(tuto->GetState(), kTutoDelay);
    EXPECT_EQ(world.frame->GetAlpha(), 0.0f);
    Frames(1);
    EXPECT_EQ(tuto->GetState(), kTutoFadingIn);
    Frames(2);
    EXPECT_FLOAT_EQ(world.frame->GetAlpha(), 0.5f);
    ShowFully();
    EXPECT_EQ(world.frame->GetAlpha(), 1.0f);

    const CommandHandle handle = Wait();
    tuto->OnClick(0.0f, 0.0f, 0);   // inside, on nothing of the frame: exit_click_in ends it
    EXPECT_EQ(tuto->GetState(), kTutoFadingOut);
    EXPECT_TRUE(tuto->GetCurrentStep().done);
    Frames(5);
    EXPECT_EQ(tuto->GetState(), kTutoClosed);
    EXPECT_TRUE(tuto->IsPending());
    EXPECT_EQ(Queued(), 1u);
    tuto->Update();
    EXPECT_EQ(Queued(), 0u);
    EXPECT_EQ(world.level->calls, std::vector<std::string>{"onDone(hello)"});
    EXPECT_EQ(world.waiter->burns, 1);
    EXPECT_FALSE(tuto->HasStep());
    (void)handle;
}

TEST_F(TutoManagerTest, InputDuringTheDelayEndsTheStepAtOnceAndDuringTheFadeInFadesOutFromThere)
{
    ASSERT_EQ(Push("hello", "", "", "", "", 0, 1.0f), kStatusOk);
    ASSERT_EQ(Push("bye"), kStatusOk);
    tuto->OnInput();
    EXPECT_EQ(tuto->GetState(), kTutoClosed);
    EXPECT_TRUE(tuto->IsPending());
    tuto->Update();
    ASSERT_TRUE(tuto->HasStep());
    EXPECT_EQ(tuto->GetCurrentStep().textIndex, 41u);   // the next step
    Frames(3);                                           // 0 delay: fading in, then 0.5
    ASSERT_EQ(tuto->GetState(), kTutoFadingIn);
    const float level = tuto->GetTimer();
    tuto->OnInput();
    EXPECT_EQ(tuto->GetState(), kTutoFadingOut);
    EXPECT_FLOAT_EQ(tuto->GetTimer(), level);
    Frames(1);
    EXPECT_FLOAT_EQ(tuto->GetTimer(), level - 0.25f);
}

TEST_F(TutoManagerTest, AnItemStepWaitsMarkedUntilABuiltinMakesItsItemClickable)
{
    ASSERT_EQ(Push("hello", "", "key", "arrow_item, exit_click_item"), kStatusOk);
    EXPECT_FALSE(tuto->HasStep());
    EXPECT_EQ(tuto->GetState(), kTutoClosed);
    EXPECT_TRUE(key->flags & kElementTutorialMark);

    ScriptBuiltinCall call{};
    call.arguments[0] = reinterpret_cast<uintptr_t>("key");
    call.arguments[1] = reinterpret_cast<uintptr_t>("none");
    call.argumentCount = 2;
    world.level->setItemsClickable(call);
    ASSERT_TRUE(tuto->HasStep());
    EXPECT_EQ(tuto->GetCurrentStep().itemElement, 1u);
    EXPECT_EQ(tuto->GetCurrentStep().itemFlags, kTutoExitClickItem | kTutoArrowItem);

    // The gate the scene objects read: the item, not restricting.
    TutorialStep gate{};
    ASSERT_TRUE(world.level->GetTutorialStep(&gate));
    EXPECT_EQ(gate.object, kLevel);
    EXPECT_EQ(gate.element, 1u);
    EXPECT_FALSE(TutorialGateBlocks(gate, kLevel, 0, kTutorialAllowClick));

    // The step is shown; a new look at the items does not start it again.
    Frames(3);
    const uint32_t state = tuto->GetState();
    tuto->OnItemsChanged();
    EXPECT_EQ(tuto->GetState(), state);

    // A found item is not ready: the next step waits for it again.
    tuto->OnInput();
    Frames(10);
    key->flags |= kElementFound;
    ASSERT_EQ(Push("bye", "", "key", "exit_click_item"), kStatusOk);
    tuto->Update();
    EXPECT_FALSE(tuto->HasStep());
    EXPECT_TRUE(key->flags & kElementTutorialMark);
}

TEST_F(TutoManagerTest, PopByNameStarOrNothingRemovesTheObjectsSteps)
{
    ASSERT_EQ(Push("hello", "", "", "", "first"), kStatusOk);
    ASSERT_EQ(Push("bye"), kStatusOk);                    // no callback: no name
    ASSERT_EQ(Push("again", "", "", "", "third"), kStatusOk);
    ASSERT_EQ(Queued(), 3u);
    // A name pops only the steps stored with it; the unnamed step is never compared.
    EXPECT_EQ(tuto->PopTuto(kLevel, "again"), kStatusOk);
    EXPECT_EQ(Queued(), 2u);
    EXPECT_EQ(world.level->calls, std::vector<std::string>{"third(again)"});
    EXPECT_EQ(tuto->PopTuto(kLevel, "nothing"), kStatusOk);
    EXPECT_EQ(Queued(), 2u);

    const CommandHandle handle = Wait();
    EXPECT_EQ(tuto->PopTuto(kLevel, "*"), kStatusOk);
    EXPECT_EQ(Queued(), 0u);
    EXPECT_EQ(world.level->calls.back(), "first(hello)");
    EXPECT_EQ(world.waiter->burns, 1);   // the step shown was among them
    // Its frame goes as if the player had ended it; the pop then chooses nothing.
    EXPECT_EQ(tuto->GetState(), kTutoClosed);
    tuto->Update();
    EXPECT_FALSE(tuto->HasStep());

    for (const char* name : {"", static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(Push("hello"), kStatusOk);
        ASSERT_EQ(Push("bye"), kStatusOk);
        EXPECT_EQ(tuto->PopTuto(kLevel, name), kStatusOk);
        EXPECT_EQ(Queued(), 0u);
    }
    (void)handle;
}

TEST_F(TutoManagerTest, AWaitingStepShowsBeforeTheStepsQueuedEarlier)
{
    ASSERT_EQ(Push("hello"), kStatusOk);
    ASSERT_EQ(Push("bye"), kStatusOk);
    EXPECT_EQ(tuto->GetCurrentStep().textIndex, 40u);
    ASSERT_EQ(Push("again", "", "", "", "", 1), kStatusOk);
    EXPECT_EQ(tuto->GetCurrentStep().textIndex, 42u);
    EXPECT_EQ(tuto->GetState(), kTutoDelay);
    tuto->OnInput();
    tuto->Update();
    EXPECT_EQ(tuto->GetCurrentStep().textIndex, 40u);
}

TEST_F(TutoManagerTest, AClickInsideEndsTheStepOnlyWithExitClickInOrSkipAll)
{
    ASSERT_EQ(Push("hello"), kStatusOk);
    ShowFully();
    EXPECT_EQ(tuto->OnClick(5.0f, 5.0f, 0), kStatusFailed);
    EXPECT_EQ(tuto->GetState(), kTutoShown);
    EXPECT_FALSE(tuto->GetCurrentStep().done);
    tuto->SetSkipAll(1);
    EXPECT_EQ(tuto->OnClick(5.0f, 5.0f, 0), kStatusOk);
    EXPECT_EQ(tuto->GetState(), kTutoFadingOut);
    // Skipped, nothing more is queued.
    EXPECT_EQ(Push("bye"), kStatusOk);
    EXPECT_EQ(Queued(), 1u);
}

TEST_F(TutoManagerTest, TheClosePartOpensTheQuestionAndSkipAllPopsEverything)
{
    ASSERT_EQ(Push("hello", "skippable", "", "", "first"), kStatusOk);
    ASSERT_EQ(Push("bye"), kStatusOk);
    ShowFully();
    world.frame->hit = world.frame->GetPart(kTutoClose);
    EXPECT_EQ(tuto->OnClick(5.0f, 5.0f, 0), kStatusOk);
    EXPECT_TRUE(tuto->IsQuestionShown());
    EXPECT_EQ(tuto->tutorialOff, 0);   // only the skip text sets the profile's bit
    // A save does not keep an unanswered question: the step shows again.
    ASSERT_TRUE(tuto->IsQuestionShown());
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    ASSERT_EQ(out.Open(), kStatusOk);
    EXPECT_EQ(tuto->SaveToStream(&out), kStatusOk);
    out.Close();
    EXPECT_FALSE(tuto->IsQuestionShown());
    EXPECT_EQ(tuto->GetState(), kTutoDelay);
    // Skip all pops every step with its callback.
    tuto->SetSkipAll(1);
    tuto->OnInput();
    tuto->Update();
    EXPECT_EQ(Queued(), 0u);
    EXPECT_EQ(world.level->calls, std::vector<std::string>{"first(hello)"});
    EXPECT_FALSE(tuto->HasStep());
}

TEST_F(TutoManagerTest, BadStepsAreTracedAndQueueNothing)
{
    std::vector<std::string> traces;
    struct Case {
        const char* text;
        const char* item;
        const char* itemWords;
        const char* position;
    } cases[] = {
        {"hello", "nowhere", "", "default"},
        {"hello", "", "", "bottom"},
        {"unknown", "", "", "default"},
        {"hello", "", "exit_click_item", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Push(c.text, "", c.item, c.itemWords, "", 0, 0.0f, c.position), kStatusFailed) << c.text;
    EXPECT_EQ(Queued(), 0u);
    EXPECT_FALSE(tuto->HasStep());
    // Unknown words are ignored.
    ASSERT_EQ(Push("hello", "skippable,loud", "key", "exit_drop_item bright"), kStatusOk);
    auto* step = static_cast<TutoStep*>(world.level->GetTutoSteps().GetFirst());
    EXPECT_EQ(step->flags, kTutoSkippable);
    EXPECT_EQ(step->itemFlags, kTutoExitDropItem);
}

// ---- chunk 210000 ------------------------------------------------------------------------------

class TutoChunkTest : public TutoManagerTest {
protected:
    std::vector<uint8_t> Save()
    {
        UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
        EXPECT_EQ(out.Open(), kStatusOk);
        EXPECT_EQ(tuto->SaveToStream(&out), kStatusOk);
        std::vector<uint8_t> bytes(out.GetBlock(), out.GetBlock() + out.GetSize());
        out.Close();
        return bytes;
    }
    Status Load(std::vector<uint8_t> bytes)
    {
        UtilsStream_Static in(kStreamRead, bytes.data(), uint32_t(bytes.size()));
        in.Open();
        return tuto->LoadFromStream(&in);
    }
};

TEST_F(TutoChunkTest, TheCurrentStepAndTheWaitsComeBack)
{
    key->flags |= kElementClickable;
    ASSERT_EQ(Push("hello", "skippable", "key", "exit_click_item", "onKey"), kStatusOk);
    Frames(2);
    Wait();
    const std::vector<uint8_t> bytes = Save();
    ASSERT_EQ(Load(bytes), kStatusOk);
    ASSERT_TRUE(tuto->HasStep());
    const TutoStep& s = tuto->GetCurrentStep();
    EXPECT_EQ(s.itemElement, 1u);
    EXPECT_EQ(s.flags, kTutoSkippable);
    EXPECT_STREQ(s.pName, "hello");
    EXPECT_STREQ(s.pCallback, "onKey");
    EXPECT_EQ(tuto->GetState(), kTutoFadingIn);
    EXPECT_EQ(tuto->GetCommandList()->GetCount(), 1u);
    EXPECT_EQ(Save(), bytes);
}

TEST_F(TutoChunkTest, AStepOfObjectsOrElementsThisGameLacksIsCleared)
{
    key->flags |= kElementClickable;
    ASSERT_EQ(Push("hello", "", "key", "exit_click_item"), kStatusOk);
    std::vector<uint8_t> bytes = Save();
    // The step follows the three texts: find its item element word (1) after the object words.
    const size_t itemElement = bytes.size() - (4 * 8 + 4 + 4 + 1 + 4) + 8;
    ASSERT_EQ(bytes[itemElement], 1u);
    bytes[itemElement] = 7;   // the level has three elements
    ASSERT_EQ(Load(bytes), kStatusOk);
    EXPECT_FALSE(tuto->HasStep());
    EXPECT_EQ(tuto->GetState(), kTutoClosed);
    // Cut short anywhere: the load fails.
    const std::vector<uint8_t> whole = Save();
    for (size_t size : {size_t(0), size_t(5), whole.size() - 1})
        EXPECT_EQ(Load(std::vector<uint8_t>(whole.begin(), whole.begin() + long(size))), kStatusFailed) << size;
}

}  // namespace
