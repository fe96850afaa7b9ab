// The tool's help: one usage text per command, on standard output when asked for, on standard
// error after a wrong use; and failures said in words.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace {

using tooltest::RunTool;

// The command names that "vornel help" lists ("  vornel NAME ...").
std::vector<std::string> ListedCommands(const std::string& overview)
{
    std::vector<std::string> names;
    std::istringstream lines(overview);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string tool, name;
        if (line.rfind("  vornel ", 0) == 0 && words >> tool >> name &&
            (names.empty() || names.back() != name))
            names.push_back(name);
    }
    return names;
}

TEST(ToolHelp, EveryCommandHasOneUsageText)
{
    const auto [status, overview] = RunTool("help");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RunTool("--help"), RunTool("help"));
    const std::vector<std::string> names = ListedCommands(overview);
    ASSERT_GE(names.size(), 5u) << overview;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto [helpStatus, usage] = RunTool("help " + name);
        EXPECT_EQ(helpStatus, 0);
        EXPECT_EQ(usage.rfind("usage: vornel " + name, 0), 0u) << usage;
        EXPECT_EQ(RunTool(name + " --help"), RunTool("help " + name));
        // A wrong use prints the same text on standard error, and nothing on standard output.
        EXPECT_EQ(RunTool(name + " no-such-use a b c d e", true), std::make_pair(2, usage));
        EXPECT_EQ(RunTool(name + " no-such-use a b c d e"), std::make_pair(2, std::string()));
    }
}

TEST(ToolHelp, WrongCommandsGiveTheToolsUsage)
{
    const std::string overview = RunTool("help").second;
    EXPECT_EQ(RunTool("", true), std::make_pair(2, overview));
    EXPECT_EQ(RunTool("frobnicate", true), std::make_pair(2, "vornel: unknown command 'frobnicate'\n\n" + overview));
    EXPECT_EQ(RunTool("help frobnicate", true).first, 2);
    EXPECT_EQ(RunTool("help pack image", true), std::make_pair(2, overview));
}

TEST(ToolHelp, FailuresAreSaidInWords)
{
    tooltest::TempFolder folder("vornel-help-tool-");
    const std::string path = folder.Path().string();
    std::ofstream(path + "/bad.png", std::ios::binary) << "not a picture";
    std::ofstream(path + "/empty.script", std::ios::binary);
    std::ofstream(path + "/short.script", std::ios::binary) << "a;\n";
    const struct {
        std::string arguments;
        std::string error;
    } cases[] = {
        {"image info " + path + "/bad.png",
         "vornel image: cannot read " + path + "/bad.png: bad or unsupported data (0x80000001)\n"},
        {"image info " + path + "/absent.png",
         "vornel image: cannot read " + path + "/absent.png: the file cannot be opened (0x8001000B)\n"},
        {"script dump " + path + "/empty.script", "vornel script: " + path + "/empty.script is empty\n"},
        {"script dump " + path + "/short.script",
         "vornel script: " + path + "/short.script is too short to be a script (4 bytes at least)\n"},
        {"script dump " + path + "/absent.script",
         "vornel script: cannot read " + path + "/absent.script: the file cannot be opened (0x80000010)\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunTool(c.arguments, true), std::make_pair(1, c.error));
    EXPECT_EQ(RunTool("script run " + path + "/empty.script --call main"),
              std::make_pair(1, "error " + path + "/empty.script is empty\n"));
}

} // namespace
