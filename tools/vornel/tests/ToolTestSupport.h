#pragma once
// What the tool's tests share: running the built vornel program, a scratch folder for the
// files they hand it, and reading and writing those files whole.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
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

// Exit status (-1 when the program did not end normally) of "vornel <arguments>" on what stands
// for a full disk: no file may grow past 0 bytes (the limit's signal ignored), so every write
// that reaches a file fails.
inline int RunToolOnFullDisk(const std::string& arguments)
{
    const std::string command = "trap '' XFSZ; ulimit -f 0; exec " + kTool + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes the bytes as the whole file, making its folder; false when it cannot.
inline bool WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path)
{
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
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
