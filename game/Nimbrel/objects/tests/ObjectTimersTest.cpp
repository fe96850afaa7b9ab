// Game timers with a scripted object: onTimerFunction and _waitSeconds in the hall's script,
// counted down by the timer manager one drawn frame (one frame step) at a time.
#include <gtest/gtest.h>

#include <string>

#include "BuiltinFixture.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsStream_Chunk.h"

namespace {

class ObjectTimersTest : public ::testing::Test {
protected:
    ObjectTimersTest()
    {
        world.GetWorldData()->frameTime = 1.0;
        world.SetManager(kManagerTimer, timers);
    }
    ~ObjectTimersTest() override { world.SetManager(kManagerTimer, nullptr); }

    // The hall with this script, loaded and in the level.
    void Build(const std::string& script)
    {
        world.Build(script);
        ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
        world.hall->SetWanted(1);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            timers->Update();
    }
    uint32_t Global(const char* name) { return CBuiltinWorld::Global(world.hall.get(), name); }
    Status Call(const char* name) { return CBuiltinWorld::Call(world.hall.get(), name); }

    CBuiltinWorld world;
    CTimerManager* timers = new CTimerManager(world.GetWorldData());
};

}  // namespace

TEST_F(ObjectTimersTest, ACalledFunctionRunsAtTheThirtiethCountedFrameAndWaitsWhileItsObjectIsInactive)
{
    Build("var rings = 0;\nvar said = \"\";\n"
                "function OnBell(p) { rings = rings + 1; said = p; setObjectParameters(\"bell\", p); }\n"
                "function arm() { onTimerFunction(\"OnBell\", \"ding\", \"single\", 1.0); }\n");
    ASSERT_EQ(Call("arm"), kStatusOk);
    ASSERT_EQ(timers->GetCount(), 1u);
    Frames(29);
    EXPECT_EQ(Global("rings"), 0u);
    // Held while the hall is not in the level: the remaining frame waits for it.
    world.hall->SetWanted(0);
    Frames(10);
    EXPECT_EQ(Global("rings"), 0u);
    world.hall->SetWanted(1);
    Frames(1);
    EXPECT_EQ(Global("rings"), 1u);
    EXPECT_EQ(CBuiltinWorld::GlobalText(world.hall.get(), "said"), "ding");
    // The function runs under the timer's own event mask.
    ASSERT_EQ(world.hall->masks.size(), 1u);
    EXPECT_EQ(world.hall->masks[0], kTimerFunctionMask);
    EXPECT_EQ(timers->GetCount(), 0u);
}

TEST_F(ObjectTimersTest, AWaitOfSecondsResumesItsCallWithOneUnderTheCallersMask)
{
    Build("var step = 0;\nvar got = 0;\n"
                "function pause() { step = 1; _waitSeconds(0.0); step = 2; got = _waitSeconds(0.5); step = 3; "
                "setObjectParameters(\"pause\", \"done\"); }\n"
                "function last() { _waitSeconds(2.0); }\n");
    EXPECT_EQ(Call("last"), kStatusOk) << "nothing is left to wait for";
    EXPECT_EQ(timers->GetCount(), 0u);
    EXPECT_EQ(Call("pause"), kStatusWait);
    EXPECT_EQ(Global("step"), 2u) << "a wait of 0 seconds does not wait";
    Frames(14);
    EXPECT_EQ(Global("step"), 2u);
    Frames(1);
    EXPECT_EQ(Global("step"), 3u);
    EXPECT_EQ(Global("got"), 1u);
    ASSERT_EQ(world.hall->masks.size(), 1u);
    EXPECT_EQ(world.hall->masks[0], 0x0FFFFFFFu);
}

TEST_F(ObjectTimersTest, AnExpiryThatRestartsAWaitingFunctionDropsItsWaitAndTheNewWaitCountsFromTheNextFrame)
{
    Build("var starts = 0;\nvar ends = 0;\n"
                "function waiter(p) { starts = starts + 1; _waitSeconds(1.0); ends = ends + 1; }\n"
                "function arm() { onTimerFunction(\"waiter\", \"\", \"single\", 1.0); }\n");
    ASSERT_EQ(Call("arm"), kStatusOk);
    uintptr_t arguments[2] = {0, reinterpret_cast<uintptr_t>("now")};
    ASSERT_EQ(world.hall->CallScriptFunction("waiter", 0x0FFFFFFFu, 0, arguments, kTimerArgumentText), kStatusWait);
    ASSERT_EQ(timers->GetCount(), 2u);
    // Both end at frame 30: the first starts the waiter again, which drops the other one's wait.
    Frames(30);
    EXPECT_EQ(Global("starts"), 2u);
    EXPECT_EQ(Global("ends"), 0u);
    ASSERT_EQ(timers->GetCount(), 1u);
    Frames(29);
    EXPECT_EQ(Global("ends"), 0u);
    Frames(1);
    EXPECT_EQ(Global("ends"), 1u);
    EXPECT_EQ(timers->GetCount(), 0u);
}

TEST(ObjectTimers, ResumingModesContinueAWaitingFunctionOthersStartItAgain)
{
    struct Case {
        const char* mode;
        uint32_t rings, after;
    };
    for (const Case& c : {Case{"single", 2, 0}, Case{"single_resume", 1, 1}, Case{"multi", 2, 0},
                          Case{"multi_resume", 1, 1}}) {
        CBuiltinWorld fresh;
        fresh.GetWorldData()->frameTime = 1.0;
        auto* own = new CTimerManager(fresh.GetWorldData());
        fresh.SetManager(kManagerTimer, own);
        fresh.Build("var rings = 0;\nvar after = 0;\n"
                    "function OnBell(p) { rings = rings + 1; _waitSeconds(100.0); after = after + 1; }\n"
                    "function arm(mode) { onTimerFunction(\"OnBell\", \"a\", \"single\", 1.0); "
                    "onTimerFunction(\"OnBell\", \"b\", mode, 2.0); }\n");
        ASSERT_EQ(fresh.hall->LoadScript(0, 0), kStatusOk);
        fresh.hall->SetWanted(1);
        std::string mode = c.mode;
        uintptr_t arguments[2] = {0, reinterpret_cast<uintptr_t>(mode.c_str())};
        ASSERT_EQ(fresh.hall->CallScriptFunction("arm", 0x0FFFFFFFu, 0, arguments, kTimerArgumentText), kStatusOk);
        for (int i = 0; i < 60; ++i)
            own->Update();
        EXPECT_EQ(CBuiltinWorld::Global(fresh.hall.get(), "rings"), c.rings) << c.mode;
        EXPECT_EQ(CBuiltinWorld::Global(fresh.hall.get(), "after"), c.after) << c.mode;
        fresh.SetManager(kManagerTimer, nullptr);
    }
}

TEST_F(ObjectTimersTest, SavedAndLoadedBetweenTwoExpiriesTheSameCallsFollow)
{
    Build("var first = 0;\nvar second = 0;\nvar step = 0;\n"
                "function OnFirst(p) { first = first + 1; }\n"
                "function OnSecond(p) { second = second + 1; }\n"
                "function arm() { onTimerFunction(\"OnFirst\", \"\", \"multi\", 1.0); "
                "onTimerFunction(\"OnSecond\", \"x\", \"multi\", 2.0); }\n"
                "function pause() { step = 1; _waitSeconds(2.0); step = 2; }\n");
    ASSERT_EQ(Call("arm"), kStatusOk);
    ASSERT_EQ(Call("pause"), kStatusWait);
    Frames(45);
    ASSERT_EQ(Global("first"), 1u);
    UtilsStream_Chunk chunk(kProfileTagTimers);
    chunk.Open(kStreamReadWriteGrowable);
    ASSERT_EQ(timers->SaveToStream(nullptr, &chunk), kStatusOk);
    // What runs after the load is what the saved timers say, not what was still in the list.
    ASSERT_EQ(timers->AddTimer("OnFirst", "", kTimerMulti, kTimerFunctionMask, 0.1f, 0, 0), kStatusOk);
    chunk.Rewind();
    ASSERT_EQ(timers->LoadFromStream(&chunk), kStatusOk);
    ASSERT_EQ(timers->GetCount(), 2u);
    Frames(14);
    EXPECT_EQ(Global("second"), 0u);
    EXPECT_EQ(Global("step"), 1u);
    Frames(1);
    EXPECT_EQ(Global("first"), 1u);
    EXPECT_EQ(Global("second"), 1u);
    EXPECT_EQ(Global("step"), 2u);
    EXPECT_EQ(timers->GetCount(), 0u);
}
