// vornel scene build and dump, run as a program: the sample's hall, a source with every line
// kind, and the sources and files the tool refuses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ToolTestSupport.h"

namespace {

using tooltest::ReadFile;
using tooltest::RunTool;

const std::string kHall = std::string(VORNEL_SOURCE_DIR) + "/data/sample/scenes/hall/hall.scene";
const std::string kPack = std::string(VORNEL_BINARY_DIR) + "/bin/Data_full_Win32/Nimbrel_full_Win32.HD.pak";

// The lines that say something: comments and blank lines dropped.
std::string Meaningful(const std::string& text)
{
    std::istringstream in(text);
    std::string line, out;
    while (std::getline(in, line)) {
        const size_t comment = line.find(" #");
        if (!line.empty() && line[0] == '#')
            continue;
        if (comment != std::string::npos)
            line.erase(comment);
        if (line.find_first_not_of(" \t") != std::string::npos)
            out += line + "\n";
    }
    return out;
}

class SceneCommandTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (temp.Path() / name).string(); }
    void Write(const std::string& name, const std::string& text) { ASSERT_TRUE(tooltest::WriteFile(Path(name), text)); }
    // Builds a source into "Test_object_3.raw"; the exit status and standard error.
    std::pair<int, std::string> Build(const std::string& source)
    {
        return RunTool("scene build " + source + " " + temp.Path().string() + " --base Test --number 3", true);
    }

    tooltest::TempFolder temp{"vornel-scene-tool-"};
};

}  // namespace

TEST_F(SceneCommandTest, HallDumpsAsItsSourceSaysAndBuildsAgainToTheSameBytes)
{
    ASSERT_EQ(Build(kHall), std::make_pair(0, std::string()));
    const auto [status, dump] = RunTool("scene dump " + Path("Test_object_3.raw"));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Meaningful(dump), Meaningful(ReadFile(kHall)));

    const std::string built = ReadFile(Path("Test_object_3.raw"));
    Write("again.scene", dump);
    ASSERT_EQ(Build(Path("again.scene")).first, 0);
    EXPECT_EQ(ReadFile(Path("Test_object_3.raw")), built);

    // The sample's pack holds the same file under the name the game reads.
    const auto [catStatus, packed] = RunTool("pack cat " + kPack + " Nimbrel_object_1.raw");
    EXPECT_EQ(catStatus, 0);
    EXPECT_EQ(packed, built);
}

TEST_F(SceneCommandTest, EveryLineKindRoundTrips)
{
    Write("all.scene",
          "object \"the attic\" overlay=1 bias=-1 marks=0,40\n"
          "size 12\n"
          "variant 0 1 1\n"
          "sound rain.stream.wav\n"
          "zone shelf 10 20 300.5 80 word=3 flag=1\n"
          "zone \"dark corner\" 0 0 64 64\n"
          "position - 1 2 3\n"
          "position \"over there\" -5 0 0.25\n"
          "element box at=10.5,20 size=33,17 z=2 anchor=25 zone=shelf hit=\"dark corner\" proxy=lid "
          "material=lid lock=lid inactive pickable=0 additive colour=#80FF0000 ref=7 textsize=20 textrect=1 "
          "passmask=6 margin=1.5 place=1,2,3 pivot=4,-5\n"
          "  raw lead=2 flag4=9 word=77 anim=1,1 link=lid slot=1 bounds=-1,-2,3,4 offset=0.1,0.2\n"
          "  position - 0 0 0\n"
          "  position up 0 -10 0\n"
          "  rotation tilt 0.5\n"
          "  scale - 2\n"
          "  track open word=12 flag=1 range=3 first=4 last=15\n"
          "  effect drift 100 2 250 33\n"
          "  extra 1 2 3 4\n"
          "  texture textures/box.png\n"
          "  hit polygon -16,-8 16,-8 0,8\n"
          "  anim scale 10=1 5=1.5\n"
          "  anim alpha 12.5=0.25\n"
          "element lid at=0,0 size=10,10\n"
          "  raw slot=0\n"
          "  effect storm\n"
          "  anim position 10=0,0,0 10=1,2,3\n"
          "  anim colour 3=#FF000000 3=#FFFFFFFF\n");
    ASSERT_EQ(Build(Path("all.scene")), std::make_pair(0, std::string()));
    const std::string built = ReadFile(Path("Test_object_3.raw"));
    const auto [status, dump] = RunTool("scene dump " + Path("Test_object_3.raw"));
    ASSERT_EQ(status, 0);
    EXPECT_NE(dump.find("object \"the attic\" overlay=1 bias=-1 marks=0,40\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("hit=\"dark corner\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("  effect drift 100 2 250 33\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("  hit polygon -16,-8 16,-8 0,8\n  anim scale 10=1 5=1.5\n  anim alpha 12.5=0.25\n"),
              std::string::npos) << dump;
    EXPECT_NE(dump.find("  anim position 10=0,0,0 10=1,2,3\n  anim colour 3=#FF000000 3=#FFFFFFFF\n"),
              std::string::npos) << dump;
    const std::string models = ReadFile(Path("Test_object_3.obj.3dx")) + ReadFile(Path("Test_object_3.col.3dx")) +
                               ReadFile(Path("Test_object_3.ani.raw"));
    Write("again.scene", dump);
    ASSERT_EQ(Build(Path("again.scene")).first, 0);
    EXPECT_EQ(ReadFile(Path("Test_object_3.raw")), built);
    EXPECT_EQ(ReadFile(Path("Test_object_3.obj.3dx")) + ReadFile(Path("Test_object_3.col.3dx")) +
                  ReadFile(Path("Test_object_3.ani.raw")),
              models);
}

TEST_F(SceneCommandTest, HallModelsHaveAGroupPerElement)
{
    ASSERT_EQ(Build(kHall).first, 0);
    for (const char* file : {"Test_object_3.obj.3dx", "Test_object_3.col.3dx"}) {
        const auto [status, info] = RunTool("model info " + Path(file));
        ASSERT_EQ(status, 0) << file;
        EXPECT_NE(info.find("model groups 22 "), std::string::npos) << info;
        EXPECT_NE(info.find("group 19 id 19 link -1 base 114 vertices 6 first 114 indices 6 primitives 2 type 1"),
                  std::string::npos) << info;
    }
    for (const char* entry : {"Nimbrel_object_1.obj.3dx", "Nimbrel_object_1.col.3dx", "Nimbrel_object_1.ani.raw"})
        EXPECT_EQ(RunTool("pack cat " + kPack + " " + entry).first, 0) << entry;
}

TEST_F(SceneCommandTest, RefusesBadSourcesAndFiles)
{
    const std::pair<const char*, const char*> sources[] = {
        {"object a\nelement x\nelement x\n", "a second element named 'x'"},
        {"object a\nelement x proxy=y\n", "unknown element 'y'"},
        {"object a\nelement x zone=z\n", "unknown zone 'z'"},
        {"object a\nzone z 0 0 1 1\nzone z 0 0 1 1\n", "a second zone named 'z'"},
        {"object a\nelement x anchor=30\n", "anchor 30 is not 0 to 29"},
        {"element x\n", "no object line"},
        {"object a\n  scale - 1\n", "an indented line before the first element"},
        {"object \"\"\n", "empty object name"},
        {"object a\nelement x\n  anim spin 1=0\n", "anim needs a kind"},
        {"object a\nelement x\n  anim scale 1=1\n  anim scale 2=1\n", "a second scale track"},
        {"object a\nelement x\n  anim position 0=1,2,3\n", "bad key '0=1,2,3'"},
        {"object a\nelement x\n  hit polygon 0,0 1,1\n", "hit polygon needs three points"},
    };
    for (const auto& [text, message] : sources) {
        Write("bad.scene", text);
        const auto [status, errors] = Build(Path("bad.scene"));
        EXPECT_EQ(status, 1) << text;
        EXPECT_NE(errors.find(message), std::string::npos) << errors;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("Test_object_3.raw")));

    ASSERT_EQ(Build(kHall).first, 0);
    const std::string built = ReadFile(Path("Test_object_3.raw"));
    Write("short.raw", built.substr(0, built.size() - 1));
    auto [status, errors] = RunTool("scene dump " + Path("short.raw"), true);
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("0x80000001"), std::string::npos) << errors;
    Write("old.raw", std::string("\xF0\x01\0\0", 4) + built.substr(4));
    std::tie(status, errors) = RunTool("scene dump " + Path("old.raw"), true);
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("Invalid construction,\na new construction must be made"), std::string::npos) << errors;
    EXPECT_EQ(RunTool("scene dump " + Path("missing.raw")).first, 1);
    EXPECT_EQ(RunTool("scene build " + kHall + " " + temp.Path().string() + " --base Test").first, 2);
}
