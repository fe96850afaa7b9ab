// The conventions every level kind shares, played on the test kind: parameter words, the event
// channel and "skip", the object commands, the force-solve, response callbacks reaching the
// script, and the saved state; the value parsers; the empty and exploration levels' own events
// and commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../objects/tests/BuiltinFixture.h"
#include "LevelPayload.h"
#include "LevelProbe.h"
#include "NimbrelLevels/LevelStateText.h"
#include "NimbrelLevels/LevelValues.h"
#include "NimbrelManagers/CFlashlight.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_ChunkList.h"

namespace {

// ---- the value parsers ----------------------------------------------------------------------

TEST(LevelValues, ColoursAndRowColumnPairs)
{
    const uint32_t fallback = 0x12345678u;
    const struct {
        const char* text;
        uint32_t colour;
    } colours[] = {
        {"0xff00ff00", 0xFF00FF00u}, {"0xFF00FF00", 0xFF00FF00u}, {"ff00ff00", fallback},
        {"0Xff00ff00", fallback},    {"0xff00ff0", fallback},     {"0x", fallback},
        {"", fallback},              {"0x12345678ff", 0x12345678u},
        // Past 'F' every character counts (c - 55) mod 16: 'G' 0, 'z' 3, ' ' 9.
        {"0xGz 00000", 0x03900000u},
    };
    for (const auto& c : colours)
        EXPECT_EQ(ParseColor(c.text, fallback), c.colour) << c.text;
    EXPECT_EQ(ParseColor(nullptr, fallback), fallback);

    const struct {
        const char* text;
        int32_t first, second;
    } pairs[] = {{"5x7", 5, 7}, {"5", -1, -1}, {"x7", -1, -1}, {"", -1, -1}, {"-2x3", -2, 3}, {" 12x 4 rest", 12, 4}};
    for (const auto& p : pairs) {
        const RowCol rc = ParseRowCol(p.text, "%dx%d");
        EXPECT_EQ(rc.first, p.first) << p.text;
        EXPECT_EQ(rc.second, p.second) << p.text;
    }
}

std::vector<std::string> Walk(char* text)
{
    std::vector<std::string> tokens;
    LevelListWalk walk(text);
    for (char* token = walk.Next(); token; token = walk.Next())
        tokens.emplace_back(token);
    return tokens;
}

TEST(LevelValues, ListsWalkInPlaceAndComeBackWhole)
{
    char list[] = "a, b ,c";
    EXPECT_EQ(Walk(list), (std::vector<std::string>{"a", "b ", "c"}));
    EXPECT_STREQ(list, "a, b ,c");
    char empty[] = "";
    EXPECT_EQ(Walk(empty), (std::vector<std::string>{""}));
    char trailing[] = "1,,2,";
    EXPECT_EQ(Walk(trailing), (std::vector<std::string>{"1", "", "2", ""}));
    EXPECT_STREQ(trailing, "1,,2,");
    // A walk left early still puts its comma back.
    char early[] = "x,y,z";
    {
        LevelListWalk walk(early);
        EXPECT_STREQ(walk.Next(), "x");
        EXPECT_STREQ(walk.Next(), "y");
    }
    EXPECT_STREQ(early, "x,y,z");
}

TEST(LevelValues, KeyValueTokensAndNumbers)
{
    EXPECT_STREQ(TokenValue("char=K", "char="), "K");
    EXPECT_STREQ(TokenValue("item=", "item="), "");
    EXPECT_EQ(TokenValue("chars=K", "char="), nullptr);
    EXPECT_EQ(TokenValue("mode", "mode="), nullptr);
    EXPECT_EQ(TokenInt(" 42abc"), 42);
    EXPECT_EQ(TokenInt("abc"), 0);
    EXPECT_EQ(TokenInt("-7"), -7);
    EXPECT_FLOAT_EQ(TokenFloat(" 2.5x"), 2.5f);
    EXPECT_FLOAT_EQ(TokenFloat("-0.25"), -0.25f);
    EXPECT_FLOAT_EQ(TokenFloat("2,5"), 2.0f);  // a comma never reads as a decimal point
    EXPECT_FLOAT_EQ(TokenFloat("--1"), 0.0f);
    EXPECT_FLOAT_EQ(TokenFloat("1e-400"), 0.0f);
}

// ---- the test kind in the builtins' world ------------------------------------------------------

// The test kind, counting the finishes that were really made.
class CCountingProbe : public CObjectsLevelProbe {
public:
    using CObjectsLevelProbe::CObjectsLevelProbe;
    bool Finish(uint8_t solved) override
    {
        const bool was = m_finished != 0;
        const bool taken = CObjectsLevelProbe::Finish(solved);
        finishes += !was && m_finished;
        return taken;
    }
    using CObjectsLevelProbe::PickRandom;
    using CObjectsLevelProbe::StepDown;
    using CObjectsLevelProbe::CallbackTypeWord;
    uint32_t finishes = 0;
};
using CFixtureProbe = CFixtureObject<CCountingProbe>;

class ProbeWorld : public CBuiltinWorld {
public:
    ~ProbeWorld() override
    {
        Objects()->Forget();
        probe.reset();
    }
    void BuildProbe(const std::string& script = "")
    {
        Scripts()->Init();
        probe = std::make_unique<CFixtureProbe>(GetWorldData(), 0, kObjectKindLevelBase, "probe",
                                                std::vector<const char*>{"board", "coin", "knob"}, &requests);
        probe->source = script;
        Objects()->Adopt({probe.get()});
        ASSERT_EQ(probe->Load(), kStatusOk);
        Objects()->SetCurrentObject(probe.get());
    }
    std::unique_ptr<CFixtureProbe> probe;
};

class LevelConventions : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.BuildProbe();
        probe = world.probe.get();
    }
    // A word through the kind's handler (the fixture's builtin records words instead).
    Status Word(const char* name, const char* value)
    {
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(name, value);
        return probe->CObjectsLevelGame::setObjectParameters(call);
    }
    Status Event(const char* name, const char* value)
    {
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(name, value);
        return probe->setObjectExtraRender(call);
    }

    ProbeWorld world;
    CFixtureProbe* probe = nullptr;
};

TEST_F(LevelConventions, WordsAnswerTakenBadOrUnknown)
{
    EXPECT_EQ(Word("probe_item_name", "coin"), kStatusDoneStoreResult);
    EXPECT_EQ(probe->Item(), 1);
    // An unknown item and an out-of-range number are bad and leave the old configuration.
    EXPECT_EQ(Word("probe_item_name", "ghost"), kStatusFailed);
    EXPECT_EQ(probe->Item(), 1);
    EXPECT_EQ(Word("probe_target", "3"), kStatusDoneStoreResult);
    EXPECT_EQ(Word("probe_target", "0"), kStatusFailed);
    EXPECT_EQ(probe->Target(), 3);
    EXPECT_EQ(Word("probe_marks", "4, 9"), kStatusDoneStoreResult);
    EXPECT_EQ(Word("probe_marks", "1,2,3"), kStatusFailed);
    EXPECT_EQ(probe->Marks()[0], 4);
    EXPECT_EQ(probe->Marks()[1], 9);
    EXPECT_EQ(Word("probe_selected_color", "0xff00ff00"), kStatusDoneStoreResult);
    EXPECT_EQ(probe->Color(), 0xFF00FF00u);
    // Unknown words are accepted and change nothing.
    EXPECT_EQ(Word("probe_nonsense", "1"), kStatusDoneStoreResult);
    EXPECT_EQ(probe->Target(), 3);
    // Bad values leave no trace: their texts go nowhere.
    EXPECT_TRUE(world.traces.empty());
    // The callback is a private copy; an empty name clears it.
    std::string name = "OnResponse";
    EXPECT_EQ(Word("probe_response_callback", name.c_str()), kStatusDoneStoreResult);
    name[0] = 'X';
    EXPECT_STREQ(probe->Callback(), "OnResponse");
    EXPECT_EQ(Word("probe_response_callback", ""), kStatusDoneStoreResult);
    EXPECT_EQ(probe->Callback(), nullptr);
}

TEST_F(LevelConventions, SkipFinishesOnceAndAgainAfterReset)
{
    EXPECT_EQ(Event("event", "later"), kStatusDoneNoResult);
    EXPECT_EQ(probe->IsSolved(), 0);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(probe->IsSolved(), 1);
    EXPECT_EQ(probe->finishes, 1u);
    EXPECT_EQ(probe->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(probe->IsSolved(), 0);
    EXPECT_EQ(Event("event", "skip"), kStatusDoneStoreResult);
    EXPECT_EQ(probe->finishes, 2u);
    // "abuse" is the level base's before anything of the kind.
    EXPECT_EQ(Event("abuse", "off"), kStatusDoneStoreResult);
    EXPECT_EQ(Event("probe_unknown", "1"), kStatusDoneNoResult);
}

TEST_F(LevelConventions, CommandsPauseTheCheatAndActions)
{
    ASSERT_EQ(Word("probe_target", "5"), kStatusDoneStoreResult);
    EXPECT_EQ(probe->OnCommand("pause"), kStatusOk);
    EXPECT_EQ(probe->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(probe->IsSolved(), 0);
    EXPECT_EQ(Event("probe_action_add", "2"), kStatusDoneNoResult);
    EXPECT_EQ(probe->Counter(), 0);
    EXPECT_EQ(probe->OnCommand("resume"), kStatusOk);
    EXPECT_EQ(Event("probe_action_add", "x"), kStatusFailed);
    EXPECT_EQ(Event("probe_action_add", "2"), kStatusDoneNoResult);
    EXPECT_EQ(probe->Counter(), 2);
    EXPECT_EQ(probe->OnCommand("shuffle"), kStatusFailed);
    EXPECT_EQ(probe->OnCheatCodes(0), kStatusOk);
    EXPECT_EQ(probe->IsSolved(), 1);
    EXPECT_EQ(probe->finishes, 1u);
    // "reset" deals again; the target is configuration and stays.
    EXPECT_EQ(probe->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(probe->Counter(), 0);
    EXPECT_EQ(Event("probe_action_add", "5"), kStatusDoneNoResult);
    EXPECT_EQ(probe->finishes, 2u);
}

TEST_F(LevelConventions, RandomPicksAndAnimationSteps)
{
    UtilsRandom_Seed(world.GetWorldData(), 7);
    std::vector<uint32_t> raw;
    for (int i = 0; i < 64; ++i)
        raw.push_back(UtilsRandom_Next(world.GetWorldData()));
    UtilsRandom_Seed(world.GetWorldData(), 7);
    for (uint32_t r : raw)
        EXPECT_EQ(probe->PickRandom(4), r >> 30);
    UtilsRandom_Seed(world.GetWorldData(), 7);
    for (uint32_t r : raw)
        EXPECT_EQ(probe->PickRandom(3), uint32_t(uint64_t(r) * 3 >> 32));

    // Circles' rate: 20 frames of 1/30 s from 1 down past 0.
    world.GetWorldData()->frameTime = 1.0;
    float progress = 1.0f;
    int frames = 0;
    while (!probe->StepDown(&progress, 0.05f))
        ++frames;
    EXPECT_EQ(frames + 1, 20);  // the twentieth step passes the end
}

TEST_F(LevelConventions, CallbackTypeWords)
{
    using A = LevelArgument;
    EXPECT_EQ(CCountingProbe::CallbackTypeWord({A::Int(1)}), 0x20000011u);
    EXPECT_EQ(CCountingProbe::CallbackTypeWord({A::Int(1), A::Int(2)}), 0x30000111u);
    EXPECT_EQ(CCountingProbe::CallbackTypeWord({A::Text("x")}), 0x20000041u);
}

TEST(LevelCallbacks, ReachTheScriptWithTheirTypedArguments)
{
    ProbeWorld world;
    world.BuildProbe("var count = 0;\nvar item = 0;\nvar name = \"\";\nvar calls = 0;\n"
                     "function OnResponse(c, i) { count = c; item = i; calls++; }\n"
                     "function OnName(n) { name = n; calls++; }\n");
    CFixtureProbe* probe = world.probe.get();
    ASSERT_EQ(probe->LoadScript(0, 0), kStatusOk);
    ASSERT_EQ(probe->LoadEventsFromParam("probe_target", const_cast<char*>("9")), kStatusDoneStoreResult);
    char knob[] = "knob", response[] = "OnResponse", onName[] = "OnName", three[] = "3";
    ASSERT_EQ(probe->LoadEventsFromParam("probe_item_name", knob), kStatusDoneStoreResult);
    ASSERT_EQ(probe->LoadEventsFromParam("probe_response_callback", response), kStatusDoneStoreResult);
    EXPECT_EQ(probe->OnEvent("probe_action_add", three), kStatusDoneNoResult);
    world.Pump();
    EXPECT_EQ(CBuiltinWorld::Global(probe, "count"), 3u);
    EXPECT_EQ(CBuiltinWorld::Global(probe, "item"), 2u);
    ASSERT_EQ(probe->LoadEventsFromParam("probe_response_callback", onName), kStatusDoneStoreResult);
    EXPECT_EQ(probe->OnEvent("probe_action_name", three), kStatusDoneNoResult);
    world.Pump();
    EXPECT_EQ(CBuiltinWorld::GlobalText(probe, "name"), "knob");
    EXPECT_EQ(CBuiltinWorld::Global(probe, "calls"), 2u);
}

// ---- saved state -------------------------------------------------------------------------------

TEST_F(LevelConventions, StateRoundTripsAndEveryCutPrefixFailsWithFreshFields)
{
    ASSERT_EQ(Word("probe_target", "7"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("probe_item_name", "knob"), kStatusDoneStoreResult);
    ASSERT_EQ(Word("probe_marks", "3,4"), kStatusDoneStoreResult);
    ASSERT_EQ(Event("probe_action_add", "2"), kStatusDoneNoResult);
    ASSERT_EQ(probe->OnCommand("pause"), kStatusOk);
    const std::vector<uint8_t> payload = SavedPayload(*probe);

    ProbeWorld other;
    other.BuildProbe();
    CFixtureProbe& copy = *other.probe;
    ASSERT_EQ(LoadPayload(copy, payload, payload.size()), kStatusOk);
    EXPECT_EQ(copy.Counter(), 2);
    EXPECT_EQ(copy.Item(), 2);
    EXPECT_EQ(copy.Target(), 7);
    EXPECT_EQ(copy.Marks()[1], 4);
    EXPECT_EQ(copy.IsPaused(), 1);
    EXPECT_EQ(SavedPayload(copy), payload);

    for (size_t size = 0; size < payload.size(); ++size) {
        SCOPED_TRACE(size);
        ASSERT_EQ(LoadPayload(copy, payload, payload.size()), kStatusOk);
        EXPECT_EQ(LoadPayload(copy, payload, size), kStatusFailed);
        EXPECT_EQ(copy.Counter(), 0);
        EXPECT_EQ(copy.Item(), -1);
        EXPECT_EQ(copy.Target(), 1);
        EXPECT_EQ(copy.Marks()[0], 0);
        EXPECT_EQ(copy.IsPaused(), 0);
    }
}

TEST_F(LevelConventions, AStateThatDoesNotFitStartsTheLevelAfreshAndTheLoadGoesOn)
{
    ASSERT_EQ(Word("probe_item_name", "knob"), kStatusDoneStoreResult);
    ASSERT_EQ(Event("probe_action_add", "1"), kStatusDoneNoResult);
    std::vector<uint8_t> payload = SavedPayload(*probe);
    // The kind's fields close the payload: counter, item, target, two marks, paused, solved.
    const size_t item = payload.size() - 2 - 4 * 4;
    for (int32_t bad : {3, -2}) {
        std::vector<uint8_t> damaged = payload;
        std::memcpy(&damaged[item], &bad, 4);
        ASSERT_EQ(LoadPayload(*probe, payload, payload.size()), kStatusOk);
        EXPECT_EQ(probe->Counter(), 1);
        EXPECT_EQ(LoadPayload(*probe, damaged, damaged.size()), kStatusOk) << bad;
        EXPECT_EQ(probe->Item(), -1);
        EXPECT_EQ(probe->Counter(), 0);
    }
}

// ---- the empty and exploration levels ------------------------------------------------------------

TEST(PlainLevels, TheEmptyLevelTakesOnlyResetAndNeverSkips)
{
    CBuiltinWorld world;
    world.Build("");
    CObjectsBase* frame = world.frame.get();
    EXPECT_EQ(frame->OnCommand("reset"), kStatusOk);
    EXPECT_EQ(frame->OnCommand("pause"), kStatusFailed);
    EXPECT_EQ(frame->OnCommand("resume"), kStatusFailed);
    for (auto [name, value] : {std::pair{"event", "skip"}, {"event", "other"}, {"flashlight", "on"}}) {
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(name, value);
        EXPECT_EQ(frame->setObjectExtraRender(call), kStatusDoneNoResult) << name << " " << value;
    }
    EXPECT_FALSE(frame->IsFinished());
    ScriptBuiltinCall abuse = ScriptBuiltinCall::Texts("abuse", "on");
    EXPECT_EQ(frame->setObjectExtraRender(abuse), kStatusDoneStoreResult);
}

TEST(PlainLevels, TheFlashlightEventSwitchesTheExplorationLevelsModeAndCentresTheLight)
{
    CBuiltinWorld world;
    world.Build("");
    WorldData* w = world.GetWorldData();
    w->pGame->screen.referenceWidth = 1024.0f;
    w->pGame->screen.referenceHeight = 768.0f;
    w->frameTime = 1.0;
    auto* light = new CFlashlight(w);
    world.SetManager(kManagerFlashlight, light);
    CObjectsLevelExploration* hall = world.hall.get();
    const struct {
        const char* value;
        bool mode;
    } steps[] = {{"on", true}, {"on", true}, {"dim", true}, {"off", false}, {"dim", false}, {"off", false}};
    for (const auto& step : steps) {
        // A press has switched the light on away from the centre: each event puts it out there.
        light->OnMouseDown(40.0f, 30.0f, 0);
        ASSERT_EQ(light->GetState(), kFlashlightSwitchingOn);
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts("flashlight", step.value);
        EXPECT_EQ(hall->setObjectExtraRender(call), kStatusDoneStoreResult) << step.value;
        EXPECT_EQ(hall->IsFlashlightMode(), step.mode) << step.value;
        EXPECT_EQ(light->GetState(), kFlashlightOff) << step.value;
        EXPECT_EQ(light->GetX(), 512.0f);
        EXPECT_EQ(light->GetY(), 384.0f);
        EXPECT_EQ(light->GetActivity(), 0.0f);
    }
    ScriptBuiltinCall other = ScriptBuiltinCall::Texts("event", "skip");
    EXPECT_EQ(hall->setObjectExtraRender(other), kStatusDoneNoResult);

    // The level steps the light only in flashlight mode.
    light->OnMouseDown(40.0f, 30.0f, 0);
    hall->UpdateState();
    EXPECT_EQ(light->GetLevel(), 0.0f);
    ScriptBuiltinCall on = ScriptBuiltinCall::Texts("flashlight", "on");
    ASSERT_EQ(hall->setObjectExtraRender(on), kStatusDoneStoreResult);
    light->OnMouseDown(40.0f, 30.0f, 0);
    hall->UpdateState();
    EXPECT_FLOAT_EQ(light->GetLevel(), 0.1f);
    world.SetManager(kManagerFlashlight, nullptr);
}

}  // namespace

// The tools print an exploration scene's flashlight byte from behind the scene object's part;
// a scene saved before the byte was kept prints nothing of it.
TEST(LevelStateText, TheExplorationSceneShowsItsFlashlightMode)
{
    const struct {
        std::vector<uint8_t> bytes;
        bool described;
        std::string text;
    } cases[] = {
        {{1}, true, "flashlight 1"},
        {{0}, true, "flashlight 0"},
        {{7}, true, "flashlight 7 (does not fit)"},
        {{}, false, ""},
    };
    for (const auto& c : cases) {
        UtilsStream_Chunk chunk(1);
        chunk.Open(kStreamReadWriteGrowable);
        if (!c.bytes.empty())
            chunk.Write(c.bytes.data(), 1, uint32_t(c.bytes.size()));
        chunk.Rewind();
        char text[64] = "";
        EXPECT_EQ(DescribeLevelState(kObjectKindExploration, &chunk, 0, text, sizeof text), c.described);
        EXPECT_EQ(std::string(text), c.text);
    }
}
