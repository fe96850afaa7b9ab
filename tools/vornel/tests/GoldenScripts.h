#pragma once
// The golden scripts of tests/golden/ and running the tool among them: each script's first
// line "// args: ..." gives the command line after the file name, NAME.out the expected
// standard output.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace goldentest {

inline const std::filesystem::path kGolden = std::filesystem::path(VORNEL_SOURCE_DIR) / "tools/vornel/tests/golden";

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs the tool in the golden folder, so that messages name the scripts without a path.
inline Outcome RunInGolden(const std::string& arguments)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(kGolden);
    auto [status, output] = tooltest::RunTool(arguments);
    std::filesystem::current_path(previous);
    return Outcome{status, output};
}

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The golden scripts that carry a command line (libraries carry none).
inline std::vector<std::string> GoldenScripts()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kGolden)) {
        if (entry.path().extension() == ".script" && ReadText(entry.path()).rfind("// args: ", 0) == 0)
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace goldentest
