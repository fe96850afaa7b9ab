// Game timers counted in frame steps and expiring in the draw pass; the stopwatch.
#include "NimbrelManagers/CStopwatch.h"
#include "NimbrelManagers/CTimerManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "NimbrelWorld/ProfileChunks.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

namespace {

// Records every expiry call; objects are active unless listed.
class RecordingTimers : public CTimerManager {
public:
    explicit RecordingTimers(WorldData* w) : CTimerManager(w) {}

    std::vector<std::string> calls;
    std::set<uint32_t> inactive;
    std::function<void(const std::string&)> onCall;

protected:
    bool IsObjectActive(uint32_t index) override { return inactive.count(index) == 0; }
    void ResumeCall(uint32_t index, uint32_t callId, uint32_t mask) override
    {
        Record("resume " + std::to_string(index) + "/" + std::to_string(callId) + " mask " + std::to_string(mask));
    }
    void CallFunction(uint32_t index, const char* function, uint32_t mask, uint8_t resume,
                      const char* parameter) override
    {
        Record(std::string(function ? function : "-") + (parameter ? "(" + std::string(parameter) + ")" : "") +
               " of " + std::to_string(index) + (resume ? " resumed" : "") +
               (mask == kTimerFunctionMask ? "" : " mask " + std::to_string(mask)));
    }

private:
    void Record(const std::string& call)
    {
        calls.push_back(call);
        if (onCall)
            onCall(call);
    }
};

class TimerTest : public ::testing::Test {
protected:
    TimerTest() { world.frameTime = 1.0; }
    // Draw passes until something expires; the number of passes, 0 when nothing did by `limit`.
    int RunUntilCall(int limit = 1000)
    {
        const size_t before = timers.calls.size();
        for (int pass = 1; pass <= limit; ++pass) {
            timers.Update();
            if (timers.calls.size() != before)
                return pass;
        }
        return 0;
    }

    WorldData world{};
    RecordingTimers timers{&world};
};

TEST(TimerModeTest, NamesExactlyElseSingleResume)
{
    EXPECT_EQ(TimerModeFromName("single"), 0u);
    EXPECT_EQ(TimerModeFromName("single_resume"), 1u);
    EXPECT_EQ(TimerModeFromName("multi"), 2u);
    EXPECT_EQ(TimerModeFromName("multi_resume"), 3u);
    EXPECT_EQ(TimerModeFromName("Single"), 1u);
    EXPECT_EQ(TimerModeFromName(nullptr), 1u);
}

TEST_F(TimerTest, ExpiresAtTheThirtiethCountedPassAndCallsByKind)
{
    ASSERT_EQ(timers.AddTimer("tick", nullptr, kTimerSingle, kTimerFunctionMask, 1.0f, 4, 9), kStatusOk);
    EXPECT_EQ(RunUntilCall(), 30);
    EXPECT_EQ(timers.GetCount(), 0u);

    timers.AddTimer("tick", "", kTimerMultiResume, kTimerFunctionMask, 0.5f, 4, 9);
    timers.AddTimer(nullptr, nullptr, kTimerSingleResume, 0x21, 0.5f, 5, 7);
    EXPECT_EQ(RunUntilCall(), 15);
    EXPECT_EQ(timers.calls, (std::vector<std::string>{"tick of 4", "tick() of 4 resumed", "resume 5/7 mask 33"}));
}

TEST_F(TimerTest, DurationsAtOrBelowZeroAndNaNExpireAtTheNextPass)
{
    for (float seconds : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()})
        timers.AddTimer("f", nullptr, kTimerSingle, kTimerFunctionMask, seconds, 1, 1);
    EXPECT_EQ(RunUntilCall(), 1);
    EXPECT_EQ(timers.calls.size(), 3u);
}

TEST_F(TimerTest, HeldWhileItsObjectIsInactive)
{
    timers.AddTimer("f", nullptr, kTimerSingle, kTimerFunctionMask, 1.0f, 2, 1);
    for (int i = 0; i < 10; ++i)
        timers.Update();
    timers.inactive.insert(2);
    EXPECT_EQ(RunUntilCall(100), 0);
    timers.inactive.clear();
    EXPECT_EQ(RunUntilCall(), 20);
}

TEST_F(TimerTest, ExpiryCallsAddAndRemoveTimersSafely)
{
    // "a" adds a 0-second timer (seen next pass) and removes "b", which expires in the same pass.
    timers.AddTimer("a", nullptr, kTimerSingle, kTimerFunctionMask, 0.0f, 1, 1);
    timers.AddTimer("b", nullptr, kTimerSingle, kTimerFunctionMask, 0.0f, 2, 2);
    timers.AddTimer("c", nullptr, kTimerSingle, kTimerFunctionMask, 0.0f, 1, 3);
    timers.onCall = [&](const std::string& call) {
        if (call == "a of 1") {
            timers.AddTimer("later", nullptr, kTimerSingle, kTimerFunctionMask, 0.0f, 1, 4);
            timers.RemoveTimersOfObject(2);
            timers.RemoveTimersByKey(1, 1);   // itself: firing, stays until its walk frees it
        }
    };
    timers.Update();
    EXPECT_EQ(timers.calls, (std::vector<std::string>{"a of 1", "c of 1"}));
    timers.Update();
    EXPECT_EQ(timers.calls.back(), "later of 1");
    EXPECT_EQ(timers.GetCount(), 0u);
}

TEST_F(TimerTest, AnUnloadDuringAnExpiryEndsTheWalk)
{
    timers.AddTimer("a", nullptr, kTimerSingle, kTimerFunctionMask, 0.0f, 1, 1);
    timers.AddTimer("b", nullptr, kTimerSingle, kTimerFunctionMask, 0.0f, 1, 2);
    timers.onCall = [&](const std::string&) { timers.Unload(); };
    timers.Update();
    EXPECT_EQ(timers.calls.size(), 1u);
    EXPECT_EQ(timers.GetCount(), 0u);
}

TEST_F(TimerTest, SaveAndLoadBetweenTwoExpiriesGiveTheSameCalls)
{
    timers.AddTimer("first", "p", kTimerSingle, kTimerFunctionMask, 0.2f, 3, 1);
    timers.AddTimer(nullptr, nullptr, kTimerSingleResume, 0x40, 0.5f, 3, 8);
    EXPECT_EQ(RunUntilCall(), 6);
    UtilsStream_Chunk chunk(kProfileTagTimers);
    chunk.Open(kStreamReadWriteGrowable);
    ASSERT_EQ(timers.SaveToStream(nullptr, &chunk), kStatusOk);

    RecordingTimers restored(&world);
    chunk.Rewind();
    ASSERT_EQ(restored.LoadFromStream(&chunk), kStatusOk);
    EXPECT_EQ(RunUntilCall(), 9);
    restored.calls.clear();
    for (int i = 0; i < 9; ++i)
        restored.Update();
    EXPECT_EQ(restored.calls, (std::vector<std::string>{timers.calls.back()}));
}

TEST_F(TimerTest, DamagedChunksFailWithoutHalfTimers)
{
    const uint8_t hugeCount[] = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    const uint8_t shortTimer[] = {1, 0, 0, 0, 0, 0, 0x80, 0x3F, 1, 0};
    for (auto bytes : {std::vector<uint8_t>(hugeCount, hugeCount + sizeof hugeCount),
                       std::vector<uint8_t>(shortTimer, shortTimer + sizeof shortTimer)}) {
        UtilsStream_Chunk stream(kProfileTagTimers);
        stream.Open(kStreamReadWriteGrowable);
        stream.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
        stream.Rewind();
        timers.AddTimer("old", nullptr, kTimerSingle, kTimerFunctionMask, 1.0f, 1, 1);
        EXPECT_EQ(timers.LoadFromStream(&stream), kStatusFailed);
        EXPECT_EQ(timers.GetCount(), 0u);
    }
}

// A counter the test moves by hand.
int64_t g_counter = 0;
int64_t g_frequency = 0;
bool TestCounter(int64_t* value) { *value = g_counter; return true; }
bool TestFrequency(int64_t* value) { *value = g_frequency; return true; }

TEST(StopwatchTest, MicrosecondsAtAnyFrequency)
{
    struct Case { int64_t frequency, start, now; uint64_t micros; };
    const Case cases[] = {
        {1000000000, 5, 5 + 1500000000, 1500000},   // nanosecond counter
        {32768, 0, 32768 * 3 + 16384, 3500000},       // below 1 MHz: no per-µs tick count
        {10000000, 0, INT64_MAX - 7, uint64_t(INT64_MAX - 7) / 10},  // no overflow
        {0, 0, 100, 0},                               // no frequency
        {1000000, 500, 200, 200},                     // wrapped below the start: the whole counter
    };
    for (const Case& c : cases) {
        g_frequency = c.frequency;
        g_counter = c.start;
        CStopwatch watch(&TestCounter, &TestFrequency);
        watch.Start();
        g_counter = c.now;
        EXPECT_EQ(watch.ElapsedMicroseconds(), c.micros) << c.frequency;
    }
    g_frequency = 1000000;
    g_counter = 42;
    CStopwatch fresh(&TestCounter, &TestFrequency);
    EXPECT_EQ(fresh.ElapsedMicroseconds(), 42u);   // before any Start
}

}  // namespace
