// vornel shader check, run as a program: the sample's fragment shaders compile, a broken one
// is refused with the driver's words.
#include <gtest/gtest.h>

#include <string>

#include "ToolTestSupport.h"

namespace {

using tooltest::RunTool;

const std::string kTextures = std::string(VORNEL_SOURCE_DIR) + "/data/sample/pack/textures/";

TEST(CommandShaderTest, TheSampleShadersCompile)
{
    for (const char* name : {"default.gl.frag", "transition.gl.frag"}) {
        const auto [status, printed] = RunTool("shader check " + kTextures + name);
        EXPECT_EQ(status, 0) << name;
        EXPECT_EQ(printed, "ok\n") << name;
    }
}

TEST(CommandShaderTest, ABrokenShaderIsRefusedWithTheDriversLog)
{
    tooltest::TempFolder folder("vornel-shader-");
    const auto broken = folder.Path() / "broken.gl.frag";
    ASSERT_TRUE(tooltest::WriteFile(broken, "#version 110\nvoid main() { gl_FragColor = undeclared_colour; }\n"));
    const auto [status, errors] = RunTool("shader check " + broken.string(), true);
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("compile failed! (\"broken.gl.frag\")"), std::string::npos) << errors;
    EXPECT_NE(errors.find("undeclared_colour"), std::string::npos) << errors; // the driver's own words
    EXPECT_NE(errors.find("vornel shader: " + broken.string() + " does not compile or link (0x80000007)\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(RunTool("shader check " + broken.string()).second, ""); // nothing on standard output

    const auto missing = RunTool("shader check " + (folder.Path() / "none.gl.frag").string(), true);
    EXPECT_EQ(missing.first, 1);
    EXPECT_EQ(missing.second, "vornel shader: cannot read " + (folder.Path() / "none.gl.frag").string() +
                                  ": the file cannot be opened (0x8001000B)\n");
    EXPECT_EQ(RunTool("shader check").first, 2);
}

} // namespace
