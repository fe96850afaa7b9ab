// vornel script dump, run as a program on the sample scripts and on a script that does not
// compile.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ToolTestSupport.h"

namespace {

using tooltest::RunTool;

const std::string kSamples = std::string(VORNEL_SOURCE_DIR) + "/data/sample/scripts/";

TEST(ScriptCommand, DumpsTheSampleScripts)
{
    for (const char* name : {"Nimbrel_main.script", "Nimbrel_object_1.0.script", "Nimbrel_common.script"}) {
        SCOPED_TRACE(name);
        auto [status, output] = RunTool("script dump " + kSamples + name);
        EXPECT_EQ(status, 0);
        EXPECT_NE(output.find("root [own]"), std::string::npos) << output;
        EXPECT_NE(output.find("body (plain, base 0):"), std::string::npos);
    }
    auto [status, output] = RunTool("script dump " + kSamples + "Nimbrel_main.script");
    EXPECT_NE(output.find("function 7 \"main\" [own] parameters 1"), std::string::npos) << output;
}

TEST(ScriptCommand, ReportsCompileErrors)
{
    tooltest::TempFolder folder("vornel-script-tool-");
    const std::string path = (folder.Path() / "bad.script").string();
    std::ofstream(path, std::ios::binary) << "var x = 1;\r\n}\r\n";
    auto [status, error] = RunTool("script dump " + path, true);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(error, "Script error! the '}' command are too many (\"" + path + "\" : line=2)\n");
    auto [missing, text] = RunTool("script dump " + (folder.Path() / "absent.script").string(), true);
    EXPECT_EQ(missing, 1);
    EXPECT_NE(text.find("cannot read"), std::string::npos);
    EXPECT_EQ(RunTool("script").first, 2);
}

} // namespace
