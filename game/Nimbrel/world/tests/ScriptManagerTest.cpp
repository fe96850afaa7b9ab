// The script manager: calls by name, waits ended by commands and resumed by the queue, the
// re-entrant cases (a call that restarts its own object, a context removed with queued
// results) and the common builtins.
#include <gtest/gtest.h>

#include <set>

#include "NimbrelScript/ScriptValue.h"
#include "NimbrelWorld/GameData.h"
#include "ScriptWorld.h"

namespace {

constexpr uint32_t kObject = 4;

// An object's script whose waits are commands of the object (kind 3): _waitClick (event 1),
// _waitFade (event 0) and _restartSelf, which empties the object's handlers from inside a call
// and starts "Waiter" afresh.
const char kObjectScript[] = R"(
var got = 0;
var steps = 0;
var waited = 0;
function OnRun() {
    steps = 1;
    got = _waitClick();
    steps = 2;
    got = got + _waitClick();
    steps = 3;
    eTRACE("done");
}
function OnShow() {
    steps = 10;
    got = _waitFade();
    steps = 11;
    eTRACE("shown");
}
function Restart() {
    _restartSelf();
    steps = 20;
}
function Waiter() {
    waited = _waitClick();
    eTRACE("waited");
}
function Leave() {
    got = _waitClick();
    _removeSelf();
    steps = 30;
    eTRACE("left");
}
)";

class ScriptManagerTest : public ::testing::Test {
public:
    void SetUp() override
    {
        scripts = world.Scripts();
        main = scripts->CreateScript(kMainScriptObject, nullptr);
        ASSERT_NE(main, nullptr);
        ASSERT_EQ(LoadSource(main, "export var shared = 7;\nfunction main() { eTRACE(\"main\"); }\n"), 0)
            << LastError(main);
        object = world.AddObject(kObject);
        script = scripts->CreateScript(kObject, main);
        ASSERT_NE(script, nullptr);
        object->script = script;
        for (const auto& [name, handler] :
             {std::pair<const char*, ScriptBuiltinHandler>{"_waitClick", WaitClick}, {"_waitFade", WaitFade},
              {"_restartSelf", RestartSelf}, {"_removeSelf", RemoveSelf}})
            ASSERT_EQ(scripts->RegisterFunction(script, "int f()", name, this, handler, 0), 0);
        ASSERT_EQ(LoadSource(script, kObjectScript), 0) << LastError(script);
    }

    static Status Wait(void* self, ScriptBuiltinCall& call, uint32_t event)
    {
        auto* test = static_cast<ScriptManagerTest*>(self);
        CommandHandle handle{};
        if (test->world.Commands()->AddCommand(kObject, 0, kCommandResumeWait, event, call.hostWord, call.hostWord, 0,
                                               &handle) < 0)
            return kStatusFailed;
        test->handles.push_back(handle);
        if (test->burnWhileWaiting)
            test->world.Commands()->OnBurnCommand(handle, event, 0, 0, 99);
        return kStatusWait;
    }
    static Status WaitClick(void* self, ScriptBuiltinCall& call) { return Wait(self, call, kCommandEventClick); }
    static Status WaitFade(void* self, ScriptBuiltinCall& call) { return Wait(self, call, kCommandEventFade); }
    static Status RestartSelf(void* self, ScriptBuiltinCall&)
    {
        auto* test = static_cast<ScriptManagerTest*>(self);
        test->scripts->ResetContext(test->script);
        test->waiterStatus = test->scripts->CallFunction(test->script, "Waiter", 0, nullptr, 0, kScriptNoResume);
        return kStatusDoneStoreResult;
    }

    static Status RemoveSelf(void* self, ScriptBuiltinCall&)
    {
        auto* test = static_cast<ScriptManagerTest*>(self);
        test->removed = test->scripts->RemoveContext(test->script);
        return kStatusDoneStoreResult;
    }

    bool Burn(size_t i, uint32_t event, int32_t value)
    {
        return world.Commands()->OnBurnCommand(handles.at(i), event, kObject, -1, value);
    }
    const ScriptContext* Context() const { return scripts->GetContext(script->GetContextIndex()); }

    ScriptWorld world;
    CScriptManager* scripts = nullptr;
    CScriptBaseKest* main = nullptr;
    CScriptBaseKest* script = nullptr;
    TestObject* object = nullptr;
    std::vector<CommandHandle> handles;
    bool burnWhileWaiting = false;
    Status waiterStatus = 0;
    bool seen = false;
    uint32_t mask = 0;
    Status removed = kStatusFailed;
};

TEST_F(ScriptManagerTest, ABurntWaitIsResumedByTheNextUpdateWithItsValue)
{
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_EQ(GlobalLong(script, "steps"), 1u);
    ASSERT_EQ(handles.size(), 1u);
    ASSERT_NE(Context()->handlers.at(0), nullptr);
    EXPECT_STREQ(Context()->handlers[0]->name, "OnRun");

    // The burn only queues: nothing runs until the queue is delivered.
    EXPECT_TRUE(Burn(0, kCommandEventClick, 5));
    EXPECT_EQ(world.Commands()->GetRecord(handles[0].recordIndex)->magicIndex, 0u);
    EXPECT_EQ(scripts->GetPendingCount(), 1u);
    EXPECT_EQ(GlobalLong(script, "steps"), 1u);
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "got"), 5u);
    EXPECT_EQ(GlobalLong(script, "steps"), 2u);
    EXPECT_EQ(scripts->GetPendingCount(), 0u);

    // The second wait, then the end of the call frees its entry.
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_TRUE(Burn(1, kCommandEventClick, 7));
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "got"), 12u);
    EXPECT_EQ(GlobalLong(script, "steps"), 3u);
    EXPECT_EQ(Context()->handlers.at(0), nullptr);
    // A stale handle burns nothing.
    EXPECT_TRUE(Burn(1, kCommandEventClick, 9));
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
}

TEST_F(ScriptManagerTest, AResultQueuedDuringDeliveryWaitsAFrame)
{
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_TRUE(Burn(0, kCommandEventClick, 5));
    // The resumed call's next wait ends at once: its result is queued while the first is delivered.
    burnWhileWaiting = true;
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "steps"), 2u);
    EXPECT_EQ(scripts->GetPendingCount(), 1u);
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "steps"), 3u);
    EXPECT_EQ(GlobalLong(script, "got"), 5u + 99u);
}

TEST_F(ScriptManagerTest, AnInactiveObjectsResultWaitsAndAFreedHandlersIsDropped)
{
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    object->activated = false;
    EXPECT_TRUE(Burn(0, kCommandEventClick, 5));
    scripts->Update();
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "steps"), 1u);
    EXPECT_EQ(scripts->GetPendingCount(), 1u);
    object->activated = true;
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "steps"), 2u);

    // A result for a slot without an entry is dropped without a call.
    ASSERT_EQ(scripts->QueueResult(script, 3, 1), 0);
    scripts->Update();
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
    EXPECT_EQ(GlobalLong(script, "steps"), 2u);
    // The main script's results need no object.
    EXPECT_EQ(scripts->QueueResult(main, 0, 1), 0);
    scripts->Update();
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
}

TEST_F(ScriptManagerTest, AFreshCallOfAWaitingFunctionStopsItAndDropsItsWaits)
{
    // Slot 0 is an entry whose call will free it; OnShow waits for a fade in slot 1.
    ASSERT_EQ(scripts->FindHandler(script, "Later", 0, 0), 0);
    EXPECT_EQ(scripts->CallFunction(script, "OnShow", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    ASSERT_EQ(handles.size(), 1u);
    EXPECT_EQ(handles[0].word3, 1u);
    CommandHandle fade{}, click{};
    ASSERT_EQ(world.Commands()->AddCommand(kObject, 0, kCommandResumeWait, kCommandEventFade, 1, 1, 0, &fade), 0);
    ASSERT_EQ(world.Commands()->AddCommand(kObject, 0, kCommandResumeWait, kCommandEventClick, 1, 1, 0, &click), 0);
    // Its first fade ended: the result is queued.
    EXPECT_TRUE(Burn(0, kCommandEventFade, 3));
    EXPECT_EQ(scripts->GetPendingCount(), 1u);
    EXPECT_EQ(scripts->CallHandlerByIndex(script, 0, 0, nullptr, 0, kScriptNoResume), kStatusFailed);
    EXPECT_EQ(Context()->handlers.at(0), nullptr);

    // Called afresh: the old call stopped, its fades and its result gone (a click wait stays),
    // the new call in the first free slot.
    EXPECT_EQ(scripts->CallFunction(script, "OnShow", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
    EXPECT_NE(world.Commands()->GetRecord(fade.recordIndex)->magicIndex, fade.magicIndex);
    EXPECT_EQ(world.Commands()->GetRecord(click.recordIndex)->magicIndex, click.magicIndex);
    EXPECT_EQ(GlobalLong(script, "steps"), 10u);
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_EQ(handles[1].word3, 0u);
    EXPECT_STREQ(Context()->handlers.at(0)->name, "OnShow");
    EXPECT_EQ(Context()->handlers.at(1), nullptr);
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "steps"), 10u);
}

TEST_F(ScriptManagerTest, ACallThatRestartsItsOwnObjectLeavesTheNewEntryAlone)
{
    EXPECT_EQ(scripts->CallFunction(script, "Restart", 0, nullptr, 0, kScriptNoResume), 0);
    EXPECT_EQ(waiterStatus, kStatusWait);
    EXPECT_EQ(GlobalLong(script, "steps"), 20u);
    // The slot that Restart had is Waiter's now, and Waiter still waits in it.
    ASSERT_NE(Context()->handlers.at(0), nullptr);
    EXPECT_STREQ(Context()->handlers[0]->name, "Waiter");
    EXPECT_TRUE(Burn(0, kCommandEventClick, 8));
    scripts->Update();
    EXPECT_EQ(GlobalLong(script, "waited"), 8u);
    EXPECT_EQ(Context()->handlers.at(0), nullptr);
}

TEST_F(ScriptManagerTest, RemovingAContextDropsItsQueuedResults)
{
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_TRUE(Burn(0, kCommandEventClick, 5));
    ASSERT_EQ(scripts->GetPendingCount(), 1u);
    const uint32_t index = script->GetContextIndex();
    ASSERT_EQ(scripts->RemoveContext(script), 0);
    object->script = nullptr;
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
    EXPECT_EQ(scripts->GetContext(index), nullptr);
    scripts->Update();
    // The main script's VM goes on; the removed slot is never reused.
    EXPECT_EQ(scripts->CallFunction(main, "main", 0, nullptr, 0, kScriptNoResume), 0);
    CScriptBaseKest* next = scripts->CreateScript(kObject + 1, main);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetContextIndex(), index + 1);
    EXPECT_EQ(scripts->RemoveContext(nullptr), kStatusFailed);
    // The main script goes only after every object script.
    EXPECT_EQ(scripts->RemoveContext(main), kStatusFailed);
}

TEST_F(ScriptManagerTest, AScriptRemovedDuringItsOwnCallGoesWhenTheCallEnds)
{
    // Resumed from the queue, the call removes its own object's script and runs on to its end.
    EXPECT_EQ(scripts->CallFunction(script, "Leave", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_TRUE(Burn(0, kCommandEventClick, 5));
    EXPECT_TRUE(Burn(1, kCommandEventClick, 6));
    const uint32_t index = script->GetContextIndex();
    object->script = nullptr;
    scripts->Update();
    EXPECT_EQ(removed, 0);
    EXPECT_EQ(scripts->GetContext(index), nullptr);
    // OnRun's result went with the context.
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
    EXPECT_EQ(scripts->CallFunction(main, "main", 0, nullptr, 0, kScriptNoResume), 0);
}

TEST_F(ScriptManagerTest, RestartAndResetEmptyTheHandlersAndTheQueue)
{
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_TRUE(Burn(0, kCommandEventClick, 5));
    ASSERT_EQ(scripts->RestartContext(script), 0);
    EXPECT_EQ(scripts->GetPendingCount(), 0u);
    EXPECT_TRUE(Context()->handlers.empty());
    // The stopped call starts afresh.
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 1, nullptr, 0, kScriptNoResume), kStatusWait);
    EXPECT_EQ(GlobalLong(script, "steps"), 1u);
    EXPECT_EQ(scripts->RestartContext(nullptr), kStatusFailed);
    EXPECT_EQ(scripts->ResetContext(nullptr), kStatusFailed);
    EXPECT_EQ(scripts->QueueResult(nullptr, 0, 0), kStatusFailed);
}

TEST_F(ScriptManagerTest, RunningEventsAndTheMaskOfAResumedHandler)
{
    script->SetEventMask(ObjectEventTable()[2].mask);
    EXPECT_EQ(scripts->CallFunction(script, "OnRun", 0, nullptr, 0, kScriptNoResume), kStatusWait);
    script->SetEventMask(0);
    EXPECT_EQ(Context()->handlers.at(0)->flags, 0x1FFFFFFFu);
    // The resumed call's next wait sees its handler as the running event, with the resume mask.
    scripts->RegisterFunction(script, "", "_waitClick", this,
                              [](void* self, ScriptBuiltinCall& call) -> Status {
                                  auto* test = static_cast<ScriptManagerTest*>(self);
                                  test->seen = test->scripts->IsRunningEvent(test->script, 2);
                                  test->mask = test->script->GetEventMask();
                                  return WaitClick(self, call);
                              },
                              0);
    EXPECT_TRUE(Burn(0, kCommandEventClick, 1));
    scripts->Update();
    EXPECT_TRUE(seen);
    EXPECT_EQ(mask, 0x1FFFFFFFu | kScriptResumeMask);
    EXPECT_EQ(script->GetEventMask(), 0u);
    EXPECT_FALSE(scripts->IsRunningEvent(script, 2));
    EXPECT_FALSE(scripts->IsRunningEvent(script, kScriptEventCount));
}

TEST_F(ScriptManagerTest, CommonBuiltins)
{
    const char kRolls[] = R"(
function RollLong(low, high) { return randomLong(low, high); }
function RollFloat() { return randomFloat(2.0, 2.0); }
function Fade() { return _command("set_parameter", "default_fade_seconds", " 1.25x"); }
function Unknown() { return _command("load_object", "Hall", "1"); }
function Message() { return sendObjectMessage("Hall", "open", 1, 2); }
function Trace() { eTRACE("t"); return eASSERT("a"); }
)";
    ASSERT_EQ(LoadSource(main, kRolls), 0) << LastError(main);
    auto roll = [&](int32_t low, int32_t high) {
        uintptr_t words[3] = {0, static_cast<uint32_t>(low), static_cast<uint32_t>(high)};
        EXPECT_EQ(main->Call("RollLong", 0, 0, words, 0x30000111u, kScriptNoResume), 0) << LastError(main);
        return static_cast<int32_t>(words[0]);
    };
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(roll(3, 3), 3);
    std::set<int32_t> seen;
    for (int i = 0; i < 400; ++i)
        seen.insert(roll(0, 9));
    EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    seen.clear();
    for (int i = 0; i < 200; ++i)
        seen.insert(roll(-3, -1));
    EXPECT_EQ(seen, (std::set<int32_t>{-3, -2, -1}));

    ScriptValue result{};
    ASSERT_EQ(ScriptModule_Run(main->GetVM(), main->GetModule(), "RollFloat", false, 0, nullptr, 0, kScriptNoResume,
                               &result),
              0);
    EXPECT_EQ(result.type, kScriptTypeFloat);
    EXPECT_EQ(FloatFromBits(result.value), 2.0f);
    ScriptValue_Clear(&result);

    EXPECT_EQ(main->Call("Fade", 0, 0, nullptr, 0, kScriptNoResume), 0) << LastError(main);
    EXPECT_EQ(world.GetGameData()->screen.defaultFadeSeconds, 1.25f);
    EXPECT_EQ(main->Call("Unknown", 0, 0, nullptr, 0, kScriptNoResume), kStatusFailed);
    EXPECT_EQ(main->Call("Message", 0, 0, nullptr, 0, kScriptNoResume), kStatusFailed);
    EXPECT_EQ(main->Call("Trace", 0, 0, nullptr, 0, kScriptNoResume), 0);
}

TEST(ScriptManagerRegistration, CountsParametersUpToTheFirstZeroDigit)
{
    struct Case {
        uint32_t code;
        uint32_t packed;
    };
    for (const Case& c : {Case{0x4, 0x10000004u}, Case{0x404, 0x10000404u}, Case{0x4040, 0x00004040u},
                          Case{0x1144, 0x40001144u}, Case{0x2222222, 0x72222222u}}) {
        ScriptWorld world;
        CScriptBaseKest* main = world.Scripts()->CreateScript(kMainScriptObject, nullptr);
        ASSERT_NE(main, nullptr);
        ASSERT_EQ(world.Scripts()->RegisterFunction(main, "", "probe", nullptr, CScriptManager::HandleTrace, c.code), 0);
        const ScriptModule* module = main->GetModule();
        // The six common builtins come first, in the game's order.
        ASSERT_EQ(module->builtins.size(), 7u);
        EXPECT_EQ(module->builtins[0]->name, "eTRACE");
        EXPECT_EQ(module->builtins[5]->name, "sendObjectMessage");
        EXPECT_EQ(module->builtins[6]->argumentCode, c.packed) << std::hex << c.code;
    }
}

}  // namespace
