// The score monitor: the text of each display type, the updates and when they count, the bounds
// and their callback from the level's script, the builtins that name the monitor, and the saved
// records' bytes.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint32_t kHall = 0, kFrame = 1, kMonitor = 3;

// The hall's script counts the monitor's events and drives it as a level would.
constexpr const char* kHallScript = R"(
var events = 0;
var lastEvent = "";
var lastMonitor = "";
function Setup() {
    setMonitorParameters("monitor", "monitor_type", "score_count");
    setMonitorParameters("monitor", "set_score_to_win", "100");
    setMonitorParameters("monitor", "callback_events", "OnMonitor");
}
function OnMonitor(monitor, event) {
    events++;
    lastEvent = event;
    lastMonitor = monitor;
}
function Beyond() { onMonitorUpdate("monitor", "set_score", 150.0); }
function Zero() { onMonitorUpdate("monitor", "set_score", 0.0); }
function Add() { onMonitorUpdate("monitor", "add_score", 150.0); }
)";

std::string Narrow(const char16_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out.push_back(char(*text));
    return out;
}

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Build(kHallScript);
        Remake();
    }
    // A new monitor, without records, in the scene.
    void Remake()
    {
        monitor = std::make_unique<CFixtureObject<CObjectsInterfaceMonitor>>(
            world.GetWorldData(), kMonitor, kObjectKindMonitor, "monitor", std::vector<const char*>{"plate"},
            &world.requests);
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get(), monitor.get()});
        ASSERT_EQ(monitor->Load(), kStatusOk);
    }
    void TearDown() override
    {
        monitor.reset();
        world.Objects()->Forget();
        world.Objects()->Adopt({world.hall.get(), world.frame.get(), world.bar.get()});
    }
    // The level's record after the words, as its text.
    std::string Text(uint32_t level = kHall)
    {
        const MonitorRecord* record = monitor->GetRecord(level);
        return record ? Narrow(record->text) : "(none)";
    }
    void LoadHallScript()
    {
        ASSERT_EQ(world.hall->LoadScript(0, 0), kStatusOk);
        ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "Setup"), kStatusOk);
    }
    uint32_t Events() { return CBuiltinWorld::Global(world.hall.get(), "events"); }

    CBuiltinWorld world;
    std::unique_ptr<CFixtureObject<CObjectsInterfaceMonitor>> monitor;
};

TEST_F(MonitorTest, EachDisplayTypeWritesItsText)
{
    struct Case {
        const char* type;     // nullptr: no type given
        const char* maximum;  // nullptr: the default
        const char* command;
        float score;
        const char* text;
    };
    const Case cases[] = {
        {"score_count", "10", "set_score", 7.0f, "7/10"},
        {"score_countdown", "10", "set_score", 3.0f, "7/10"},
        {"score_multiply", nullptr, "set_score", 3.0f, "3 x"},
        {"score", nullptr, "set_score", 7.9f, "7"},
        {"score", nullptr, "set_score", -2.5f, "-2"},
        {"score_count", "6", "add_score", 0.0f, "0/6"},  // a first add of 0 still writes the text
        {"timer_count", "10", "set_score", 5.0f, ""},
        {"timer_countdown", "10", "add_score", 5.0f, ""},
        {nullptr, nullptr, "set_score", 5.0f, ""},       // no type: nothing shows
        // The largest float is held within the integers.
        {"score_count", nullptr, "set_score", 5.0f, "5/2147483647"},
        {"score_countdown", nullptr, "set_score", 5.0f, "2147483647/2147483647"},
    };
    for (const Case& c : cases) {
        Remake();
        if (c.type) {
            ASSERT_EQ(monitor->SetParameters(kHall, "monitor_type", c.type), kStatusOk);
        }
        if (c.maximum) {
            ASSERT_EQ(monitor->SetParameters(kHall, "set_score_to_win", c.maximum), kStatusOk);
        }
        if (!c.type && !c.maximum) {
            ASSERT_EQ(monitor->SetParameters(kHall, "unknown_word", "x"), kStatusOk);
        }
        ASSERT_EQ(monitor->Update(kHall, c.command, c.score), kStatusOk);
        EXPECT_EQ(Text(), c.text) << (c.type ? c.type : "(no type)") << " " << c.score;
    }
    // The timer commands are taken and change nothing; others are refused, as is a level
    // without a record.
    ASSERT_EQ(monitor->SetParameters(kHall, "monitor_type", "score"), kStatusOk);
    ASSERT_EQ(monitor->Update(kHall, "set_score", 4.0f), kStatusOk);
    for (const char* timer : {"set_timer", "start_timer", "stop_timer", "pause_timer"})
        EXPECT_EQ(monitor->Update(kHall, timer, 9.0f), kStatusOk);
    EXPECT_EQ(Text(), "4");
    EXPECT_EQ(monitor->Update(kHall, "reset_score", 1.0f), kStatusFailed);
    EXPECT_EQ(monitor->Update(kFrame, "set_score", 1.0f), kStatusFailed);
    EXPECT_EQ(monitor->SetParameters(kHall, "monitor_type", "scores"), kStatusFailed);
}

TEST_F(MonitorTest, ScoresOnlyCountWhenTheyChangeOrNothingShowsYet)
{
    ASSERT_EQ(monitor->SetParameters(kHall, "monitor_type", "score"), kStatusOk);
    ASSERT_EQ(monitor->Update(kHall, "add_score", 2.0f), kStatusOk);
    EXPECT_EQ(Text(), "2");
    ASSERT_EQ(monitor->Update(kHall, "add_score", 0.0f), kStatusOk);
    ASSERT_EQ(monitor->Update(kHall, "add_score", 3.0f), kStatusOk);
    EXPECT_EQ(Text(), "5");
    ASSERT_EQ(monitor->Update(kHall, "set_score", 1.0f), kStatusOk);
    EXPECT_EQ(Text(), "1");
    // Each level keeps its own record.
    ASSERT_EQ(monitor->SetParameters(kFrame, "monitor_type", "score_multiply"), kStatusOk);
    ASSERT_EQ(monitor->Update(kFrame, "set_score", 8.0f), kStatusOk);
    EXPECT_EQ(Text(kFrame), "8 x");
    EXPECT_EQ(Text(kHall), "1");
}

TEST_F(MonitorTest, AZeroScoreEveryFrameFromAFreshRecordTellsTheLevelNothing)
{
    LoadHallScript();
    for (int frame = 0; frame < 5; ++frame)
        ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "Zero"), kStatusOk);
    EXPECT_EQ(Events(), 0u);
    EXPECT_EQ(Text(), "0/100");
}

TEST_F(MonitorTest, AScoreBeyondTheWinningBoundIsToldOnceAndHeldThere)
{
    LoadHallScript();
    for (int frame = 0; frame < 5; ++frame)
        ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "Beyond"), kStatusOk);
    EXPECT_EQ(Events(), 1u);
    EXPECT_EQ(CBuiltinWorld::GlobalText(world.hall.get(), "lastEvent"), "on_max_score_reached");
    EXPECT_EQ(CBuiltinWorld::GlobalText(world.hall.get(), "lastMonitor"), "monitor");
    EXPECT_EQ(monitor->GetRecord(kHall)->value, 100.0f);
    EXPECT_EQ(Text(), "100/100");

    // From a fresh record, an add of 150 is told once too.
    Remake();
    ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "Setup"), kStatusOk);
    ASSERT_EQ(CBuiltinWorld::Call(world.hall.get(), "Add"), kStatusOk);
    EXPECT_EQ(Events(), 2u);
    EXPECT_EQ(monitor->GetRecord(kHall)->value, 100.0f);

    // A losing bound holds the score from below.
    ASSERT_EQ(monitor->SetParameters(kHall, "set_score_to_lose", "-5"), kStatusOk);
    ASSERT_EQ(monitor->Update(kHall, "set_score", -20.0f), kStatusOk);
    EXPECT_EQ(Events(), 3u);
    EXPECT_EQ(CBuiltinWorld::GlobalText(world.hall.get(), "lastEvent"), "on_min_score_reached");
    EXPECT_EQ(Text(), "-5/100");
}

TEST_F(MonitorTest, TheBuiltinsNameTheMonitorAndActOnTheCallingLevel)
{
    ScriptBuiltinCall call{};
    const char* words[] = {"nobody", "monitor_type", "score"};
    for (uint32_t i = 0; i < 3; ++i)
        call.arguments[i] = reinterpret_cast<uintptr_t>(words[i]);
    call.argumentCount = 3;
    EXPECT_EQ(world.hall->setMonitorParameters(call), kStatusFailed);
    ASSERT_FALSE(world.traces.empty());
    EXPECT_NE(world.traces.back().find("unrecognized object nobody"), std::string::npos);
    words[0] = "monitor";
    call.arguments[0] = reinterpret_cast<uintptr_t>(words[0]);
    EXPECT_EQ(world.frame->setMonitorParameters(call), kStatusDoneStoreResult);
    EXPECT_EQ(monitor->GetRecord(kHall), nullptr);
    ASSERT_NE(monitor->GetRecord(kFrame), nullptr);
    EXPECT_EQ(monitor->GetRecord(kFrame)->displayType, uint32_t(kMonitorScore));
    // A type outside the table and an unknown update fail; the update's fault is told, the
    // type's is the monitor's own to tell.
    words[2] = "sideways";
    call.arguments[2] = reinterpret_cast<uintptr_t>(words[2]);
    world.traces.clear();
    EXPECT_EQ(world.frame->setMonitorParameters(call), kStatusFailed);
    EXPECT_TRUE(world.traces.empty());
    ScriptBuiltinCall update{};
    const float score = 2.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &score, 4);
    update.arguments[0] = reinterpret_cast<uintptr_t>("monitor");
    update.arguments[1] = reinterpret_cast<uintptr_t>("halve_score");
    update.arguments[2] = bits;
    update.argumentCount = 3;
    EXPECT_EQ(world.frame->onMonitorUpdate(update), kStatusFailed);
    ASSERT_EQ(world.traces.size(), 1u);
    EXPECT_NE(world.traces.back().find("invalid parameters"), std::string::npos);

    // The monitor's own words: its element, every other word taken, no query answered.
    ScriptBuiltinCall bind{};
    bind.arguments[0] = reinterpret_cast<uintptr_t>("monitor_item_name");
    bind.arguments[1] = reinterpret_cast<uintptr_t>("nothing");
    bind.argumentCount = 2;
    EXPECT_EQ(monitor->CheckSetup(), kStatusFailed);
    EXPECT_EQ(monitor->CObjectsInterfaceMonitor::setObjectParameters(bind), kStatusFailed);
    bind.arguments[1] = reinterpret_cast<uintptr_t>("plate");
    EXPECT_EQ(monitor->CObjectsInterfaceMonitor::setObjectParameters(bind), kStatusDoneStoreResult);
    EXPECT_EQ(monitor->GetMonitorElement(), 0);
    EXPECT_EQ(monitor->CheckSetup(), kStatusOk);
    bind.arguments[0] = reinterpret_cast<uintptr_t>("monitor_font");
    EXPECT_EQ(monitor->CObjectsInterfaceMonitor::setObjectParameters(bind), kStatusDoneStoreResult);
    EXPECT_EQ(monitor->getObjectParameters(bind), kStatusFailed);
}

std::vector<uint8_t> Save(CObjectsInterfaceMonitor& monitor)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    UtilsStream_ChunkList list(&out);
    UtilsStream_Chunk* chunk = list.CreateChunk(1, nullptr);
    EXPECT_EQ(monitor.SaveMonitorState(chunk), kStatusOk);
    EXPECT_TRUE(list.WriteAll());
    const auto* block = static_cast<const uint8_t*>(out.GetBlock());
    std::vector<uint8_t> bytes(block, block + out.GetSize());
    out.Close();
    return bytes;
}

Status Load(CObjectsInterfaceMonitor& monitor, std::vector<uint8_t> bytes)
{
    UtilsStream_Static in(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    in.Open();
    UtilsStream_ChunkList list(&in);
    UtilsStream_Chunk* chunk = list.ReadFirst();
    const Status status = chunk ? monitor.LoadMonitorState(chunk) : kStatusFailed;
    in.Close();
    return status;
}

TEST_F(MonitorTest, TheSavedRecordsRoundTripAndDamagedBytesAreRefused)
{
    ASSERT_EQ(monitor->SetParameters(kFrame, "monitor_type", "score_count"), kStatusOk);
    ASSERT_EQ(monitor->SetParameters(kFrame, "callback_events", "OnMonitor"), kStatusOk);
    ASSERT_EQ(monitor->SetParameters(kFrame, "set_score_to_win", "6"), kStatusOk);
    ASSERT_EQ(monitor->Update(kFrame, "add_score", 2.0f), kStatusOk);
    const std::vector<uint8_t> bytes = Save(*monitor);

    CFixtureObject<CObjectsInterfaceMonitor> again(world.GetWorldData(), kMonitor, kObjectKindMonitor, "monitor",
                                                   std::vector<const char*>{"plate"}, &world.requests);
    ASSERT_EQ(Load(again, bytes), kStatusOk);
    ASSERT_EQ(again.GetRecordCount(), 4u);
    EXPECT_EQ(again.GetRecord(kHall), nullptr);
    const MonitorRecord* record = again.GetRecord(kFrame);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Narrow(record->text), "2/6");
    EXPECT_STREQ(record->pCallback, "OnMonitor");
    EXPECT_EQ(record->minimum, -FLT_MAX);
    EXPECT_EQ(Save(again), bytes);

    // After the chunk header: element, count, then per slot the presence byte and the record
    // (value, maximum, minimum, the callback string, the type, the 32 characters); the frame's
    // record is followed by the two empty slots of the objects after it.
    const size_t header = bytes.size() - (8 + 4 + 12 + (4 + 1 + 10) + 4 + 64);
    const size_t text = bytes.size() - 2 - 64, type = text - 4;
    struct Damage {
        const char* what;
        size_t offset;
        uint32_t value;
    };
    const Damage damages[] = {
        {"a count other than the scene's", header + 4, 3},
        {"an element the monitor lacks", header, 1},
        {"a type past the table", type, 7},
    };
    for (const Damage& d : damages) {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(bad.data() + d.offset, &d.value, 4);
        CFixtureObject<CObjectsInterfaceMonitor> damaged(world.GetWorldData(), kMonitor, kObjectKindMonitor,
                                                         "monitor", std::vector<const char*>{"plate"},
                                                         &world.requests);
        EXPECT_EQ(Load(damaged, bad), kStatusFailed) << d.what;
        EXPECT_EQ(damaged.GetRecordCount(), 0u) << d.what;
    }
    // A text without its end is cut at its last character.
    std::vector<uint8_t> full = bytes;
    for (size_t i = 0; i < 64; i += 2)
        full[text + i] = '9', full[text + i + 1] = 0;
    ASSERT_EQ(Load(again, full), kStatusOk);
    EXPECT_EQ(Narrow(again.GetRecord(kFrame)->text), std::string(31, '9'));
}

}  // namespace
