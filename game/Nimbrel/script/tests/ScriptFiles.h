#pragma once
// A temporary folder of script files for one test.
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

class ScriptFiles {
public:
    ScriptFiles()
    {
        static int counter = 0;
        folder_ = std::filesystem::temp_directory_path() /
                  ("nimbrel_script_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(folder_);
    }
    ~ScriptFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void Write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((folder_ / name).parent_path());
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    // The folder with a trailing separator, as the compiler takes it.
    std::string Folder() const { return folder_.string() + "/"; }

private:
    std::filesystem::path folder_;
};
