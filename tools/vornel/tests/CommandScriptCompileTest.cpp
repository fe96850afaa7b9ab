// vornel script compile and the compiled images in dump and run; a waiting script saved by
// one run (--save-state) and continued by another (--load-state).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "GoldenScripts.h"

namespace {

using namespace goldentest;

// A listing without what only a compile knows: a for loop's step block and removal count.
std::string WithoutCompileFields(const std::string& listing)
{
    return std::regex_replace(listing, std::regex(", step block [0-9]+, removes [0-9]+"), "");
}

class ScriptCompileCommand : public ::testing::Test {
protected:
    std::string Image(const std::string& name) const { return (folder.Path() / (name + ".img")).string(); }

    tooltest::TempFolder folder{"vornel-script-compile-"};
};

TEST_F(ScriptCompileCommand, ImagesDumpLikeTheirSources)
{
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kGolden)) {
        if (entry.path().extension() != ".script")
            continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const Outcome source = RunInGolden("script dump " + name);
        if (source.status != 0)
            continue; // does not compile on its own
        ASSERT_EQ(RunInGolden("script compile " + name + " " + Image(name)).status, 0);
        const Outcome image = RunInGolden("script dump " + Image(name));
        EXPECT_EQ(image.status, 0);
        EXPECT_EQ(image.output, WithoutCompileFields(source.output));
        ++compared;
    }
    EXPECT_GE(compared, 15);

    // The sample scripts, the main one with its include.
    const std::string samples = std::string(VORNEL_SOURCE_DIR) + "/data/sample/scripts/";
    for (const char* name : {"Nimbrel_main.script", "Nimbrel_object_1.0.script"}) {
        ASSERT_EQ(RunInGolden("script compile " + samples + name + " " + Image(name)).status, 0);
        EXPECT_EQ(RunInGolden("script dump " + Image(name)).output,
                  WithoutCompileFields(RunInGolden("script dump " + samples + name).output));
    }
}

TEST_F(ScriptCompileCommand, SampleScriptsInThePackDumpLikeTheirSources)
{
    // The sample build stores the scripts compiled in the pack, by the names the game loads.
    std::string pack;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VORNEL_BINARY_DIR) + "/bin/Data_full_Win32")) {
        if (entry.path().extension() == ".pak")
            pack = entry.path().string();
    }
    ASSERT_FALSE(pack.empty());
    const std::filesystem::path scripts = std::filesystem::path(VORNEL_SOURCE_DIR) / "data/sample/scripts";
    // The main script has the builtins every script has; a scene object's script its object's too.
    const std::pair<std::string, std::string> compiled[] = {
        {"Nimbrel_main.script", "game"}, {"Nimbrel_object_1.0.script", "scene"}, {"Nimbrel_object_2.0.script", "scene"}};
    for (const auto& [name, builtins] : compiled) {
        SCOPED_TRACE(name);
        auto [status, image] = tooltest::RunTool("pack cat " + pack + " " + name);
        ASSERT_EQ(status, 0);
        std::ofstream(Image(name), std::ios::binary) << image;
        // Compiled in the scripts' folder, the image names the files as the game knows them.
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(scripts);
        const std::string source = tooltest::RunTool("script dump " + name + " --builtins " + builtins).second;
        std::filesystem::current_path(previous);
        ASSERT_NE(source, "");
        // Compiled for the game's builtins: read only where they are registered.
        EXPECT_EQ(tooltest::RunTool("script dump " + Image(name) + " --builtins " + builtins).second,
                  WithoutCompileFields(source));
        EXPECT_EQ(tooltest::RunTool("script dump " + Image(name), true).first, 1);
    }
}

TEST_F(ScriptCompileCommand, ImagesRunLikeTheirSources)
{
    int ran = 0;
    for (const std::string& name : GoldenScripts()) {
        SCOPED_TRACE(name);
        const std::string source = ReadText(kGolden / name);
        const std::string arguments = source.substr(9, source.find_first_of("\r\n") - 9);
        const char* builtins = arguments.find("--scene") == std::string::npos ? " --builtins run" : " --builtins scene";
        if (RunInGolden("script compile " + name + " " + Image(name) + builtins).status != 0)
            continue;
        EXPECT_EQ(RunInGolden("script run " + Image(name) + " " + arguments).output,
                  ReadText(kGolden / (name.substr(0, name.size() - 7) + ".out")));
        ++ran;
    }
    EXPECT_GE(ran, 15);
}

TEST_F(ScriptCompileCommand, ImageForOtherBuiltinsIsRefused)
{
    ASSERT_EQ(RunInGolden("script compile wait_in_loop.script " + Image("run") + " --builtins run").status, 0);
    auto [status, error] = tooltest::RunTool("script dump " + Image("run"), true);
    EXPECT_EQ(status, 1);
    EXPECT_NE(error.find("Script error!"), std::string::npos) << error;
    EXPECT_EQ(tooltest::RunTool("script dump " + Image("run") + " --builtins run").first, 0);
    // Compiled without the builtins, the calls are references that `run` cannot link.
    ASSERT_EQ(RunInGolden("script compile wait_in_loop.script " + Image("none")).status, 0);
    EXPECT_EQ(RunInGolden("script run " + Image("none") + " --call main").status, 1);

    for (const std::string& arguments : {"script compile wait_in_loop.script", "script compile a b --builtins other",
                                         "script compile a b --builtins", "script dump a --builtins"}) {
        EXPECT_EQ(RunInGolden(arguments).status, 2) << arguments;
    }
    EXPECT_EQ(RunInGolden("script compile absent.script " + Image("absent")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(Image("absent")));
}

TEST_F(ScriptCompileCommand, WaitingScriptContinuesInAnotherRun)
{
    const std::string expected = ReadText(kGolden / "wait_in_helper_loop.out");
    const std::string state = (folder.Path() / "saved.state").string();
    // Saved at the first wait; the continued call's waiting builtin gives 0, as the golden run's
    // first resume does.
    const Outcome first = RunInGolden("script run wait_in_helper_loop.script --save-state " + state + " --call main");
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(first.output, "wait turn 1\n");
    const Outcome second = RunInGolden("script run wait_in_helper_loop.script --load-state " + state +
                                       " --call main --resume 6 --resume 7");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(first.output + second.output, expected);

    // The same from a compiled image.
    ASSERT_EQ(RunInGolden("script compile wait_in_helper_loop.script " + Image("loop") + " --builtins run").status, 0);
    EXPECT_EQ(RunInGolden("script run " + Image("loop") + " --load-state " + state + " --call main --resume 6 --resume 7")
                  .output,
              second.output);

    // A state file that is not one, or missing, is reported.
    const Outcome missing = RunInGolden("script run wait_in_helper_loop.script --load-state " + state + ".none --call main");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.output, "error cannot read the state in " + state + ".none\n");
    const Outcome wrong = RunInGolden("script run wait_in_helper_loop.script --load-state wait_in_loop.script --call main");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(RunInGolden("script run wait_in_helper_loop.script --load-state " + state + " --call main --arg 1").status,
              2);
}

} // namespace
