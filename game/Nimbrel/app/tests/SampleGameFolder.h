// The fixture of the in-process game tests: a working folder whose data folder holds the built
// sample data (linked in, one entry at a time, so that a test can add files of its own), with
// its own per-user folder, and the game's message boxes collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestSystem.h"
#include "VornelPlatform/PlatformDialog.h"
#include "VornelPlatform/PlatformUser.h"

class SampleGameFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        root = TestSystem_MakeTempFolder("nimbrel_game_");
        ASSERT_FALSE(root.empty());
        data = root + "/run/Data_full_Win32";
        fs::create_directories(data);
        fs::create_directories(root + "/user");
        for (const auto& entry : fs::directory_iterator(std::string(NIMBREL_BIN_DIR) + "/Data_full_Win32")) {
#ifdef _WIN32
            // Wine's links are not the system's: the few megabytes of sample data are copied.
            fs::copy(entry.path(), data + "/" + entry.path().filename().string(), fs::copy_options::recursive);
#else
            fs::create_symlink(entry.path(), data + "/" + entry.path().filename().string());
#endif
        }
        ForgetSavedGames();
        oldCwd = fs::current_path().string();
        fs::current_path(root + "/run");
        TestSystem_SetEnv("XDG_DATA_HOME", (root + "/user").c_str());
        // The game in this process plays to no device (OpenAL reads this once, at its first use).
        TestSystem_SetEnv("ALSOFT_DRIVERS", "null");
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
        std::error_code error;
        if (!oldCwd.empty())
            std::filesystem::current_path(oldCwd, error);
        ForgetSavedGames();
        if (!root.empty())
            std::filesystem::remove_all(root, error);
    }

    // The folder of the game's per-user files, with a trailing separator.
    std::string UserFolder() const
    {
#ifdef _WIN32
        char folder[1024];
        return Platform_GetUserDataFolder(folder, sizeof folder) ? std::string(folder) : std::string();
#else
        return root + "/user/";
#endif
    }

    // On Windows the game keeps its options and profiles in the user's roaming folder, which
    // every test of the program shares: each test starts and ends without the game's folder.
    static void ForgetSavedGames()
    {
#ifdef _WIN32
        char folder[1024];
        std::error_code error;
        if (Platform_GetUserDataFolder(folder, sizeof folder))
            std::filesystem::remove_all(std::filesystem::u8path(folder + std::string("Nimbrel " NIMBREL_APP_NAME)),
                                        error);
#endif
    }

    // The next start is a new player's: no options, no profile of an earlier run.
    void ForgetThePlayer()
    {
        std::filesystem::remove_all(root + "/user");
        std::filesystem::create_directories(root + "/user");
        ForgetSavedGames();
    }

    std::string root, data, oldCwd, boxes;
};
