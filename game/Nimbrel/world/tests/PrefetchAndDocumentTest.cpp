// The developer flags file of the data folder, and documents opened through xdg-open.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/PrefetchParams.h"
#include "VornelPlatform/PlatformMessage.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelUtils/UtilsString.h"

namespace fs = std::filesystem;

namespace {

class Folder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/nimbrel_prefetch_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(root, error);
    }
    void Write(const std::string& name, const std::string& bytes, bool executable = false)
    {
        std::ofstream(root + "/" + name, std::ios::binary) << bytes;
        if (executable)
            fs::permissions(root + "/" + name, fs::perms::owner_all);
    }
    std::string root;
};

}  // namespace

TEST_F(Folder, PrefetchFlagsOnlyFromAWholeVersionTwoFile)
{
    const struct {
        const char* what;
        std::string bytes;
        bool write;
        Status status;
        uint8_t developer, prefetch, trueType;
    } cases[] = {
        {"developer", std::string("\x02\x01\x00\x00\x00\x00", 6), true, kStatusOk, 1, 0, 0},
        {"all flags", std::string("\x02\x01\x09\x01\x09\x01", 6), true, kStatusOk, 1, 1, 1},
        {"version 1", std::string("\x01\x01\x00\x00\x00\x00", 6), true, kStatusOk, 0, 1, 1},
        {"short", std::string("\x02\x01\x00", 3), true, kStatusOk, 0, 1, 1},
        {"empty", std::string(), true, kStatusOk, 0, 1, 1},
        {"missing", std::string(), false, kStatusFailed, 0, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(root + "/prefetch.params");
        if (c.write)
            Write("prefetch.params", c.bytes);
        CNimbrelWorld world;
        world.SetDataFolder(u"Nimbrel", UtilsString_FromUtf8((root + "/").c_str()).c_str(), 0, 0);
        world.SetFlag(kTrueTypeFlag, 1);
        EXPECT_EQ(world.LoadPrefetchParams(), c.status);
        EXPECT_EQ(world.GetGameData()->developerMode, c.developer);
        EXPECT_EQ(world.GetGameData()->prefetch, c.prefetch);
        EXPECT_EQ(world.GetFlag(kTrueTypeFlag), c.trueType);
    }
    uint8_t bytes[kPrefetchFileSize];
    WritePrefetchParams(PrefetchFlags{1, 0, 1}, bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 6), std::string("\x02\x01\x00\x00\x00\x01", 6));
}

TEST_F(Folder, PendingDocumentOpensThroughXdgOpenAsOneArgument)
{
    // A recording xdg-open first in PATH writes its arguments, one a line.
    Write("xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + root + "/opened.part\"; done\n"
                      "mv \"" + root + "/opened.part\" \"" + root + "/opened\"\n", true);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (root + ":" + oldPath).c_str(), 1);

    CNimbrelWorld world;
    world.SetPendingDocument(u"https://example.org/a b;touch " u"pwned");
    EXPECT_EQ(std::u16string(world.GetGameData()->pendingDocument), u"https://example.org/a b;touch pwned");
    world.SetPendingDocument(nullptr);
    EXPECT_EQ(world.GetGameData()->pendingDocument[0], 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(root + "/opened") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    setenv("PATH", oldPath.c_str(), 1);
    std::ifstream in(root + "/opened");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "https://example.org/a b;touch pwned\n");
    EXPECT_FALSE(fs::exists("pwned"));

    // Nothing pending: nothing opens.
    fs::remove(root + "/opened");
    world.SetPendingDocument(nullptr);
    world.SetPendingDocument(u"");
    world.SetPendingDocument(nullptr);
    EXPECT_FALSE(fs::exists(root + "/opened.part"));

    // Asked to, the game quits once the document is on its way; not when nothing was opened.
    setenv("PATH", (root + ":" + oldPath).c_str(), 1);
    PlatformMessage message{};
    while (Platform_PeekMessage(&message)) {
    }
    EXPECT_FALSE(CObjectsManager::OpenDocument(u"", 1));
    EXPECT_FALSE(Platform_PeekMessage(&message));
    EXPECT_TRUE(CObjectsManager::OpenDocument(u"manual.pdf", 1));
    ASSERT_TRUE(Platform_PeekMessage(&message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 0u);
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         !fs::exists(root + "/opened") && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_TRUE(fs::exists(root + "/opened"));
}
