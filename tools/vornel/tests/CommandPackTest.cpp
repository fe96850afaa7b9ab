// vornel pack and vornel settings, run as a program; the results are read with the engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "ToolTestSupport.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsParameters_File.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

using tooltest::RunTool;

class PackCommandTest : public ::testing::Test {
protected:
    PackCommandTest() { std::filesystem::create_directories(folder / "data"); }

    std::string Path(const std::string& name) const { return (folder / name).string(); }

    void WriteFile(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(tooltest::WriteFile(folder / name, bytes));
    }

    tooltest::TempFolder temp{"vornel-pack-tool-"};
    std::filesystem::path folder = temp.Path();
};

} // namespace

TEST_F(PackCommandTest, CreateListAndCatReturnEveryFile)
{
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary.push_back(static_cast<char>(i * 7 % 256));
    const std::map<std::string, std::string> files = {
        {"groups/_labels_groups.raw", "labels"},
        {"textures/default.gl.frag", "void main() {}\n"},
        {"textures/big.raw", binary},
        {"empty.txt", ""},
        {"Nimbrel_main.script", "main"},
        {"a/b/c/deep.bin", std::string("\0\1\2", 3)},
    };
    for (const auto& [name, bytes] : files)
        WriteFile("data/" + name, bytes);

    const std::string pak = Path("data/out.pak"); // inside the folder it packs
    // A build step: quiet unless it fails.
    ASSERT_EQ(RunTool("pack create " + pak + " " + Path("data")), std::make_pair(0, std::string()));

    const auto [listStatus, listing] = RunTool("pack list " + pak);
    ASSERT_EQ(listStatus, 0);
    std::string expected;
    for (const auto& [name, bytes] : files)
        expected += name + "\t" + std::to_string(bytes.size()) + "\n";
    EXPECT_EQ(listing, expected);

    for (const auto& [name, bytes] : files) {
        const auto [status, output] = RunTool("pack cat " + pak + " " + name);
        EXPECT_EQ(status, 0) << name;
        EXPECT_EQ(output, bytes) << name;
    }
    EXPECT_NE(RunTool("pack cat " + pak + " missing.txt").first, 0);
    EXPECT_NE(RunTool("pack cat " + pak + " out.pak").first, 0);

    // The engine finds the same entries through its index.
    PackRecord pack{};
    WorldData world{};
    ASSERT_EQ(OpenPackFile(&pack, UtilsString_FromUtf8(pak.c_str()).c_str(), 0), kStatusOk);
    ASSERT_EQ(BuildPackIndex(&pack, &world), kStatusOk);
    for (const auto& [name, bytes] : files) {
        ASSERT_EQ(FindPackEntry(UtilsString_FromUtf8(name.c_str()).c_str(), &pack), kStatusOk) << name;
        EXPECT_EQ(pack.lastEntrySize, bytes.size());
    }
    ClosePackFile(&pack);
}

TEST_F(PackCommandTest, CreateJoinsFoldersAndRefusesANameInTwo)
{
    WriteFile("sources/textures/a.png", "a");
    WriteFile("staging/textures/b.png", "bb");
    WriteFile("staging/c.wav", "ccc");
    const std::string pak = Path("joined.pak");
    ASSERT_EQ(RunTool("pack create " + pak + " " + Path("sources") + " " + Path("staging")).first, 0);
    EXPECT_EQ(RunTool("pack list " + pak).second, "c.wav\t3\ntextures/a.png\t1\ntextures/b.png\t2\n");

    WriteFile("staging/textures/a.png", "other");
    const auto [status, errors] =
        RunTool("pack create " + Path("twice.pak") + " " + Path("sources") + " " + Path("staging"), true);
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("textures/a.png is in two folders"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(Path("twice.pak")));
}

TEST_F(PackCommandTest, BadArguments)
{
    EXPECT_EQ(RunTool("pack").first, 2);
    EXPECT_EQ(RunTool("pack create " + Path("x.pak") + " " + Path("no-such-folder")).first, 1);
    EXPECT_EQ(RunTool("pack list " + Path("no-such.pak")).first, 1);
    WriteFile("broken.pak", std::string("\1\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(RunTool("pack list " + Path("broken.pak")).first, 1);
    EXPECT_EQ(RunTool("settings").first, 2);
    EXPECT_EQ(RunTool("settings scramble " + Path("no-such.ini") + " " + Path("out.bin")).first, 1);
}

TEST_F(PackCommandTest, ScrambledSettingsAreReadByTheEngine)
{
    WriteFile("world.ini", "[WORLD]\r\nWIDTH = 2048\r\nFULLSCREEN=1\r\n[CAMERA]\r\nDEFAULT_APP_WIDTH=1024");
    ASSERT_EQ(RunTool("settings scramble " + Path("world.ini") + " " + Path("world.bin")).first, 0);
    const std::string stored = tooltest::ReadFile(folder / "world.bin");
    ASSERT_FALSE(stored.empty());
    EXPECT_TRUE(IsScrambledBlock(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()));
    EXPECT_EQ(stored.find("WIDTH"), std::string::npos);

    UtilsParameters_File reader(UtilsString_FromUtf8(Path("world.bin").c_str()).c_str(), kScrambleKey);
    EXPECT_EQ(reader.GetInt(u"WORLD", u"WIDTH", 0), 2048);
    EXPECT_EQ(reader.GetBool(u"WORLD", u"FULLSCREEN", 0), 1);
    EXPECT_EQ(reader.GetInt(u"CAMERA", u"DEFAULT_APP_WIDTH", 0), 1024);
}
