// The README's tool examples run as printed: each "    $ build/release/bin/vornel ..." line
// is run from the top of the source tree by the tool built here, and what it prints must be
// the indented lines that follow it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace {

struct Example {
    std::string arguments;
    std::string output;
};

std::vector<Example> ReadmeExamples()
{
    const std::string prompt = "    $ build/release/bin/vornel ";
    std::ifstream readme(std::string(VORNEL_SOURCE_DIR) + "/README.md");
    std::vector<Example> examples;
    bool inExample = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind(prompt, 0) == 0) {
            examples.push_back({line.substr(prompt.size()), std::string()});
            inExample = true;
        } else if (inExample && line.rfind("    ", 0) == 0 && line.rfind("    $", 0) != 0) {
            examples.back().output += line.substr(4) + "\n";
        } else {
            inExample = false;
        }
    }
    return examples;
}

TEST(ReadmeExamples, RunAsPrinted)
{
    const std::vector<Example> examples = ReadmeExamples();
    ASSERT_FALSE(examples.empty());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(VORNEL_SOURCE_DIR);
    for (const Example& example : examples) {
        SCOPED_TRACE(example.arguments);
        EXPECT_EQ(tooltest::RunTool(example.arguments), std::make_pair(0, example.output));
    }
    std::filesystem::current_path(previous);
}

} // namespace
