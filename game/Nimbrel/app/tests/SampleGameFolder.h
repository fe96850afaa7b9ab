// The fixture of the in-process game tests: a working folder whose data folder holds the built
// sample data (linked in, one entry at a time, so that a test can add files of its own), with
// its own per-user folder, and the game's message boxes collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "VornelPlatform/PlatformDialog.h"

class SampleGameFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        char pattern[] = "/tmp/nimbrel_game_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        data = root + "/run/Data_full_Win32";
        fs::create_directories(data);
        fs::create_directories(root + "/user");
        for (const auto& entry : fs::directory_iterator(std::string(NIMBREL_BIN_DIR) + "/Data_full_Win32"))
            fs::create_symlink(entry.path(), data + "/" + entry.path().filename().string());
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldCwd = cwd;
        ASSERT_EQ(chdir((root + "/run").c_str()), 0);
        setenv("XDG_DATA_HOME", (root + "/user").c_str(), 1);
        // The game in this process plays to no device (OpenAL reads this once, at its first use).
        setenv("ALSOFT_DRIVERS", "null", 1);
        Platform_SetMessageBoxHook(
            [](PlatformMessageBoxKind, const char* caption, const char* text, void* user) {
                *static_cast<std::string*>(user) += std::string(caption) + ": " + text + "\n";
                return true;
            },
            &boxes);
    }
    void TearDown() override
    {
        Platform_SetMessageBoxHook(nullptr, nullptr);
        if (!oldCwd.empty())
            chdir(oldCwd.c_str());
        std::error_code error;
        if (!root.empty())
            std::filesystem::remove_all(root, error);
    }

    std::string root, data, oldCwd, boxes;
};
