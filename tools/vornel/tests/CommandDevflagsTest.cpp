// vornel devflags: the developer flags file written and printed back.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ToolTestSupport.h"

using tooltest::RunTool;
using tooltest::TempFolder;

TEST(CommandDevflags, WriteAndShowRoundTrip)
{
    TempFolder folder("vornel_devflags_");
    const std::string file = (folder.Path() / "prefetch.params").string();
    const struct {
        std::string flags;
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"--developer 1 --prefetch 1 --truetype 1", std::string("\x02\x01\x00\x01\x00\x01", 6),
         "developer 1\nprefetch 1\ntruetype 1\n"},
        {"--developer 1", std::string("\x02\x01\x00\x00\x00\x00", 6), "developer 1\nprefetch 0\ntruetype 0\n"},
        {"--truetype 1 --developer 0", std::string("\x02\x00\x00\x00\x00\x01", 6),
         "developer 0\nprefetch 0\ntruetype 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        ASSERT_EQ(RunTool("devflags write " + file + " " + c.flags).first, 0);
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(RunTool("devflags show " + file), std::make_pair(0, c.shown));
    }
}

TEST(CommandDevflags, WrongUsesAndFiles)
{
    TempFolder folder("vornel_devflags_");
    const std::string file = (folder.Path() / "prefetch.params").string();
    for (const char* arguments : {"devflags", "devflags write", "devflags write F --developer",
                                  "devflags write F --developer 2", "devflags write F --speed 1",
                                  "devflags show", "devflags show a b"})
        EXPECT_EQ(RunTool(arguments).first, 2) << arguments;
    EXPECT_EQ(RunTool("devflags show " + file).first, 1) << "missing";
    std::ofstream(file, std::ios::binary) << std::string("\x01\x01\x00\x01\x00\x01", 6);
    const auto shown = RunTool("devflags show " + file, true);
    EXPECT_EQ(shown.first, 1);
    EXPECT_NE(shown.second.find("version 2"), std::string::npos) << shown.second;
}
