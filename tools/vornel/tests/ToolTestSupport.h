#pragma once
// What the tool's tests share: running the built vornel program, and a scratch folder for the
// files they hand it.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <utility>

namespace tooltest {

inline const std::string kTool = std::string(VORNEL_BINARY_DIR) + "/bin/vornel";

// Exit status (-1 when the program did not end normally) and standard output of
// "vornel <arguments>"; standard error is dropped, or returned instead of the output with
// `errors`.
inline std::pair<int, std::string> RunTool(const std::string& arguments, bool errors = false)
{
    const std::string command = kTool + " " + arguments + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
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

// A new folder in the system's temporary folder, removed with all it holds.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix)
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace tooltest
