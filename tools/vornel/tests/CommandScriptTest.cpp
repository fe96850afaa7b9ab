// vornel script dump, run as a program on the sample scripts and on a script that does not
// compile.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

const std::string kTool = std::string(VORNEL_BINARY_DIR) + "/bin/vornel";
const std::string kSamples = std::string(VORNEL_SOURCE_DIR) + "/data/sample/scripts/";

// Exit status and standard output (or standard error with `errors`).
std::pair<int, std::string> RunTool(const std::string& arguments, bool errors = false)
{
    std::string command = kTool + " " + arguments + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {-1, output};
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

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
    EXPECT_NE(output.find("function 4 \"main\" [own] parameters 1"), std::string::npos) << output;
}

TEST(ScriptCommand, ReportsCompileErrors)
{
    std::random_device random;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vornel-script-tool-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "bad.script").string();
    std::ofstream(path, std::ios::binary) << "var x = 1;\r\n}\r\n";
    auto [status, error] = RunTool("script dump " + path, true);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(error, "Script error! the '}' command are too many (\"" + path + "\" : line=2)\n");
    auto [missing, text] = RunTool("script dump " + (folder / "absent.script").string(), true);
    EXPECT_EQ(missing, 1);
    EXPECT_NE(text.find("cannot read"), std::string::npos);
    EXPECT_EQ(RunTool("script").first, 2);
    std::filesystem::remove_all(folder);
}

} // namespace
