// vornel script run, as a program, on the golden scripts in tests/golden/: each script's first
// line "// args: ..." gives the command line after the file name, NAME.out the expected
// standard output. A run whose output ends with an "error" line exits with 1, others with 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "GoldenScripts.h"

namespace {

using namespace goldentest;

class GoldenScript : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenScript, PrintsTheExpectedOutput)
{
    const std::string name = GetParam();
    const std::string source = ReadText(kGolden / name);
    const std::string arguments = source.substr(9, source.find_first_of("\r\n") - 9);
    const std::string expected = ReadText(kGolden / (name.substr(0, name.size() - 7) + ".out"));
    ASSERT_FALSE(expected.empty()) << "no expected output for " << name;

    const Outcome outcome = RunInGolden("script run " + name + " " + arguments);
    EXPECT_EQ(outcome.output, expected);
    const size_t lastLine = expected.rfind('\n', expected.size() - 2);
    const bool failed = expected.compare(lastLine == std::string::npos ? 0 : lastLine + 1, 6, "error ") == 0;
    EXPECT_EQ(outcome.status, failed ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Scripts, GoldenScript, ::testing::ValuesIn(GoldenScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param.substr(0, info.param.size() - 7);
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(ScriptRunCommand, GoldenScriptsAreThere)
{
    EXPECT_GE(GoldenScripts().size(), 15u);
}

TEST(ScriptRunCommand, RefusesIncompleteCommandLines)
{
    for (const char* arguments : {"script run", "script run if_chains.script", "script run if_chains.script --resume 1",
                                  "script run if_chains.script --call main --resume x",
                                  "script run if_chains.script --arg 1 --call main"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(RunInGolden(arguments).status, 2);
    }
}

TEST(ScriptRunCommand, ReportsAnUnreadableFile)
{
    const Outcome outcome = RunInGolden("script run absent.script --call main");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, "error cannot read absent.script: the file cannot be opened (0x80000010)\n");
}

TEST(ScriptRunCommand, SceneItemListsResolveAgainstTheElements)
{
    tooltest::TempFolder folder("vornel_scene_items_");
    ASSERT_EQ(RunInGolden("scene build scene_items.scene " + folder.Path().string() + " --base Test --number 0").status, 0);
    const std::string raw = (folder.Path() / "Test_object_0.raw").string();
    const Outcome outcome = RunInGolden("script run scene_items.script --scene --elements " + raw + " --call main");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "scene_items.out"));
    // A file that is no element-info file; options that belong to --scene alone.
    EXPECT_EQ(RunInGolden("script run scene_items.script --scene --elements scene_items.scene --call main").status, 1);
    for (const char* arguments : {"script run scene_items.script --answer a=1 --call main",
                                  "script run scene_items.script --scene --answer =1 --call main",
                                  "script run scene_items.script --elements x.raw --scene --call main"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(RunInGolden(arguments).status, 2);
    }
}

// The sample hall's script run on the hall's built element infos, with these calls.
Outcome RunSampleHall(const std::string& calls)
{
    const std::string sample = std::string(VORNEL_SOURCE_DIR) + "/data/sample/";
    tooltest::TempFolder folder("vornel_sample_hall_");
    const Outcome built = RunInGolden("scene build " + sample + "scenes/hall/hall.scene " + folder.Path().string() +
                                      " --base Nimbrel --number 1");
    if (built.status != 0)
        return built;
    return RunInGolden("script run " + sample + "scripts/Nimbrel_object_1.0.script --scene --elements " +
                       (folder.Path() / "Nimbrel_object_1.raw").string() + calls);
}

// The sample hall's script: the hall's run waits for its welcome text, fades the title card
// out, waits a second, starts the candle's blinking and opens its journal to clicks, and waits
// for the items list, then shows the congratulations with the door to the study, the door
// opening it and a click sending the congratulations away; a blink sets the next one, the
// journal starts the hunt's objective and waits while it shows; each of the eight finds (the
// coin in three copies) calls the click function, the first with the narrator's line (which
// answers at once in the game), the candle's ending the blinking.
TEST(ScriptRunCommand, SampleHallFindsItsItemsAndOpensTheStudy)
{
    std::string arguments = " --call OnRun --resume 1 --resume 0 --resume 0 --resume 0 --call Blink --arg none"
                            " --call OnJournal --arg journal --resume 0";
    for (const char* item : {"key", "candle", "book", "apple", "quill", "coin", "coin2", "coin3"})
        arguments += std::string(" --call OnFind --arg ") + item + (item[0] == 'k' ? " --resume 0" : "");
    arguments += " --call Blink --arg none";
    const Outcome outcome = RunSampleHall(arguments);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_hall_finds.out"));
}

// A new player's tutorial in the hall: the welcome waits for its step to close, then the arrow
// step on the key waits for the key's click, and the skippable step goes on without a wait.
TEST(ScriptRunCommand, SampleHallQueuesItsTutorialStepByStep)
{
    const Outcome outcome = RunSampleHall(" --call Tutorial --arg none --resume 0 --resume 0");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_hall_tutorial.out"));
}

// The sample's clock room: it starts its pendulum; its run makes the drawer draggable and
// waits for the dial's turn, the door's slide and the weight's drop in turn; a miss answers
// without a builtin, the weight on its hook shows the hanging one.
TEST(ScriptRunCommand, SampleClockRoomWaitsForTheDialTheDoorAndTheWeight)
{
    const std::string sample = std::string(VORNEL_SOURCE_DIR) + "/data/sample/";
    tooltest::TempFolder folder("vornel_sample_clock_");
    ASSERT_EQ(RunInGolden("scene build " + sample + "scenes/clock_room/clock_room.scene " + folder.Path().string() +
                          " --base Nimbrel --number 22")
                  .status,
              0);
    const Outcome outcome = RunInGolden(
        "script run " + sample + "scripts/Nimbrel_object_22.0.script --scene --elements " +
        (folder.Path() / "Nimbrel_object_22.raw").string() +
        " --call OnStart --call OnRun --resume 0 --resume 0 --resume 0 --call WeightMissed --arg weight --arg hook"
        " --call WeightHung --arg weight --arg hook");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, ReadText(kGolden / "sample_clock_room.out"));
}

} // namespace
