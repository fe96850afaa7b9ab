// vornel construct build and dump, run as a program: the sample's construction, a description
// with every line kind, and the descriptions and files the tool refuses.
#include <gtest/gtest.h>

#include <string>

#include "ToolTestSupport.h"

namespace {

using tooltest::ReadFile;
using tooltest::RunTool;

const std::string kSample = std::string(VORNEL_SOURCE_DIR) + "/data/sample/construct/Nimbrel.construct";

class ConstructCommandTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (temp.Path() / name).string(); }
    void Write(const std::string& name, const std::string& text) { ASSERT_TRUE(tooltest::WriteFile(Path(name), text)); }
    std::pair<int, std::string> Build(const std::string& desc, const std::string& out = "out.raw")
    {
        return RunTool("construct build " + desc + " " + Path(out), true);
    }

    tooltest::TempFolder temp{"vornel-construct-tool-"};
};

}  // namespace

TEST_F(ConstructCommandTest, SampleDumpsWithItsLabelsAndBuildsAgainToTheSameBytes)
{
    ASSERT_EQ(Build(kSample), std::make_pair(0, std::string()));
    const auto [status, dump] = RunTool("construct dump " + Path("out.raw"));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(dump,
              "identity Nimbrel\nstamps 1 1 0\nchapters-flag 0\nobject object_0 EMPTY 0\nobject object_1 EXPLO 0\n"
              "object object_2 EMPTY 0\nobject object_3 EXPLO 0\nobject object_4 POPUPS 0\n"
              "object object_5 ITEMS_LIST 0\nobject object_6 TOOLBOX 0\nobject object_7 BUTTONS 0\n"
              "object object_8 HINT 0\nobject object_9 MONITOR 0\n"
              "object object_10 CIRCLES 0\nobject object_11 SPIDER 0\nobject object_12 MIXTURE 0\n"
              "object object_13 LABELS 0\nobject object_14 MENU 0\n"
              "object object_15 INVENTORY 0\nobject object_16 EFFECTS 0\n"
              "object object_17 WHEEL_STK 0\nobject object_18 TUTO 0\nobject object_19 SWITCH 0\n"
              "object object_20 TUBING 0\nobject object_21 WHEELS 0\n"
              "object object_22 EXPLO 0\nobject object_23 JIGSAW 0\nobject object_24 PUZZLE 0\n"
              "object object_25 LABYRINTHE 0\nobject object_26 BLACK_JACK 0\nobject object_27 MATCH3 0\n"
              "object object_28 SLIDING 0\nobject object_29 BUTTONS 0\n"
              "chapter 1 object_1\nchapter 2 object_0\ninterface menu object_14\ninterface labels object_13\n"
              "interface popups object_4\n"
              "interface toolbox object_6\ninterface tutorial object_18\ninterface hint object_8\n"
              "interface effects object_16\n"
              "label hall_floor 4294967295 0 0 0 @hall@key @hall@apple @hall@coin\n"
              "label portraits 3 1 0 0 @labels@portrait_1 @labels@portrait_2 @labels@portrait_3\n"
              "group hall_items @hall@key @hall@candle @hall@book @hall@apple @hall@quill @hall@coin\n"
              "popup hall_welcome 0\npopup hall_done 1\npopup intro 2\npopup first_find 3\npopup key 4\n"
              "popup candle 5\npopup book 6\npopup apple 7\npopup quill 8\npopup coin 9\npopup drawer_note 10\n"
              "popup find_six 11\npopup monitor_done 12\npopup portraits 13\npopup no_fit 14\n"
              "popup portraits_title 15\npopup tuto_welcome 16\npopup tuto_key 17\npopup tuto_more 18\n"
              "popup tuto_skip 19\npopup tuto_skip_question 20\npopup hint_study 21\n");
    const std::string built = ReadFile(Path("out.raw"));
    Write("again.construct", dump);
    ASSERT_EQ(Build(Path("again.construct"), "again.raw").first, 0);
    EXPECT_EQ(ReadFile(Path("again.raw")), built);
}

TEST_F(ConstructCommandTest, TheTablesGoBesideTheConstructionWithTheirSortedIndexes)
{
    Write("tables.construct", "identity N\nlabel shelf 7 8 1 255 @hall@key @hall@book\nlabel Alpha 0 0 0 0\n"
                              "label beta 1 2 3 4 @hall@key\ngroup g @a@b\npopup welcome 5\n");
    ASSERT_EQ(Build(Path("tables.construct")), std::make_pair(0, std::string()));
    const std::string labels = ReadFile(Path("groups/_labels_groups.raw"));
    // The index closes the file: "Alpha" (record 1) before "beta" (2) before "shelf" (0).
    ASSERT_GE(labels.size(), 12u);
    EXPECT_EQ(labels.substr(labels.size() - 12), std::string("\1\0\0\0\2\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(labels.substr(0, 2), std::string("\x14\0", 2));
    const auto [status, dump] = RunTool("construct dump " + Path("out.raw"));
    ASSERT_EQ(status, 0);
    EXPECT_NE(dump.find("label shelf 7 8 1 255 @hall@key @hall@book\nlabel Alpha 0 0 0 0\nlabel beta 1 2 3 4 @hall@key\n"
                        "group g @a@b\npopup welcome 5\n"),
              std::string::npos)
        << dump;
    // A table that cannot be read is named.
    ASSERT_TRUE(tooltest::WriteFile(Path("groups/_items_groups.raw"), labels.substr(0, labels.size() - 1)));
    const auto [refused, error] = RunTool("construct dump " + Path("out.raw"), true);
    EXPECT_EQ(refused, 1);
    EXPECT_NE(error.find("_items_groups.raw"), std::string::npos) << error;
}

TEST_F(ConstructCommandTest, EveryLineKindRoundTrips)
{
    // Kinds by code and by number (those without a row print as numbers), every role.
    Write("all.construct",
          "# every line\nidentity A game with blanks\nstamps 0x10 4294967295 3\nchapters-flag 1\n"
          "object m MENU 7\nobject l 258\nobject p POPUPS\nobject t TOOLBOX\nobject u TUTO\nobject h HINT\n"
          "object e EFFECTS\nobject x 266 2\nobject lvl EXPLO\n"
          "chapter 5 lvl\nchapter 6 x\n"
          "interface menu m\ninterface labels l\ninterface popups p\ninterface toolbox t\n"
          "interface tutorial u\ninterface hint h\ninterface effects e\n");
    ASSERT_EQ(Build(Path("all.construct")), std::make_pair(0, std::string()));
    const auto [status, dump] = RunTool("construct dump " + Path("out.raw"));
    ASSERT_EQ(status, 0);
    EXPECT_NE(dump.find("identity A game with blanks\nstamps 16 4294967295 3\nchapters-flag 1\n"
                        "object object_0 MENU 7\nobject object_1 LABELS 0\n"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("object object_7 266 2\n"), std::string::npos);
    EXPECT_NE(dump.find("chapter 6 object_7\ninterface menu object_0\n"), std::string::npos);
    EXPECT_NE(dump.find("interface effects object_6\n"), std::string::npos);
    Write("again.construct", dump);
    ASSERT_EQ(Build(Path("again.construct"), "again.raw").first, 0);
    EXPECT_EQ(ReadFile(Path("again.raw")), ReadFile(Path("out.raw")));
}

TEST_F(ConstructCommandTest, BadDescriptionsAndFilesAreRefused)
{
    const struct {
        const char* text;
        const char* says;
    } descriptions[] = {
        {"stamps 1 2 3\n", "no identity line"},
        {"identity N\nobject a NOSUCH\n", ":2: object LABEL KIND"},
        {"identity N\nobject a EXPLO\nobject a EMPTY\n", "the label a is taken"},
        {"identity N\nchapter 1 b\n", "no object is labelled b"},
        {"identity N\nobject a EXPLO\ninterface door a\n", "interface menu|labels"},
        {"identity N\nstamps 1 2\n", "stamps A B RESERVED"},
        {"identity N\nstamps 1 2 -3\n", "stamps A B RESERVED"},
        {"identity N\nchapters-flag 2\n", "chapters-flag 0|1"},
        {"identity N\nwhat 1\n", "unknown line what"},
        {"identity N\nlabel a 1 2 3\n", "label NAME WORD1 WORD2 BYTE1 BYTE2"},
        {"identity N\nlabel a 1 2 3 256\n", "label NAME WORD1 WORD2 BYTE1 BYTE2"},
        {"identity N\ngroup g hall@key\n", "a member is \"@level@element\""},
        {"identity N\ngroup\n", "group NAME"},
        {"identity N\npopup p\n", "popup NAME VALUE"},
    };
    for (const auto& d : descriptions) {
        Write("bad.construct", d.text);
        const auto [status, error] = Build(Path("bad.construct"));
        EXPECT_EQ(status, 1) << d.text;
        EXPECT_NE(error.find(d.says), std::string::npos) << error;
    }
    ASSERT_EQ(Build(kSample).first, 0);
    const std::string good = ReadFile(Path("out.raw"));
    const struct {
        std::string bytes;
        const char* says;
    } files[] = {
        {"", "not a construction file"},
        {"\xF2\x01" + good.substr(2), "not a construction file"},
        {good.substr(0, 10), "damaged identity text"},
        {good.substr(0, good.size() - 1), "0x80000001"},
        {good.substr(0, 14) + "\xF0" + good.substr(15), "invalid construction"},
    };
    for (const auto& f : files) {
        ASSERT_TRUE(tooltest::WriteFile(Path("bad.raw"), f.bytes));
        const auto [status, error] = RunTool("construct dump " + Path("bad.raw"), true);
        EXPECT_EQ(status, 1);
        EXPECT_NE(error.find(f.says), std::string::npos) << error;
    }
    EXPECT_EQ(RunTool("construct dump " + Path("none.raw"), true).first, 1);
    EXPECT_EQ(RunTool("construct build " + kSample, true).first, 2);
}
