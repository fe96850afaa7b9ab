// vornel strings: build from text, dump back to text, remapped through a symbols table; bad
// input named by file and line, with no output file.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace {

using tooltest::RunTool;
using Bytes = std::vector<uint8_t>;

class StringsCommandTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (folder.Path() / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    void Write(const std::string& name, const Bytes& bytes) const
    {
        Write(name, std::string(bytes.begin(), bytes.end()));
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

    tooltest::TempFolder folder{"vornel-strings-"};
};

void Put(Bytes& bytes, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

// "ab", "" and "c" with the offsets at `width` bytes.
Bytes HandMade(uint8_t width)
{
    Bytes bytes{2};
    Put(bytes, 6, 4);
    bytes.push_back(width);
    Put(bytes, 3, 4);
    for (char16_t c : std::u16string(u"ab\0\0c\0", 6))
        Put(bytes, c, 2);
    for (uint32_t offset : {0, 3, 4})
        Put(bytes, offset, width);
    return bytes;
}

TEST_F(StringsCommandTest, BuildThenDumpRoundTrips)
{
    const std::string text =
        "\xEF\xBB\xBF"
        "// The sample's first strings\n"
        "Nimbrel\n"
        "Nimbrel – Le Manoir\r\n"
        "«Déjà vu», Привет\n"
        "\n"
        "two\\nlines and a\\ttab and a \\\\ backslash\n"
        "// not counted\n"
        "last line without its end";
    Write("in.txt", text);
    ASSERT_EQ(RunTool("strings build " + Path("in.txt") + " " + Path("out.raw")).first, 0);
    const std::string expected =
        "0: Nimbrel\n"
        "1: Nimbrel – Le Manoir\n"
        "2: «Déjà vu», Привет\n"
        "3: \n"
        "4: two\\nlines and a\\ttab and a \\\\ backslash\n"
        "5: last line without its end\n";
    EXPECT_EQ(RunTool("strings dump " + Path("out.raw")), std::make_pair(0, expected));

    // What dump prints builds the same table again.
    std::string dumped;
    for (size_t at = 0; at < expected.size();) {
        const size_t colon = expected.find(": ", at), end = expected.find('\n', at);
        dumped += expected.substr(colon + 2, end - colon - 2) + "\n";
        at = end + 1;
    }
    Write("again.txt", dumped);
    ASSERT_EQ(RunTool("strings build " + Path("again.txt") + " " + Path("again.raw")).first, 0);
    std::ifstream a(Path("out.raw"), std::ios::binary), b(Path("again.raw"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
}

TEST_F(StringsCommandTest, OffsetWidths)
{
    for (uint8_t width : {1, 2, 4}) {
        Write("table.raw", HandMade(width));
        EXPECT_EQ(RunTool("strings dump " + Path("table.raw")), std::make_pair(0, std::string("0: ab\n1: \n2: c\n")))
            << int(width);
    }
    Write("table.raw", HandMade(3));
    EXPECT_EQ(RunTool("strings dump " + Path("table.raw"), true),
              std::make_pair(1, "vornel strings: " + Path("table.raw") + ": not a string table (or a damaged one)\n"));
    // build writes the smallest width that holds the last offset.
    Write("long.txt", std::string(300, 'x') + "\ny\n");
    ASSERT_EQ(RunTool("strings build " + Path("long.txt") + " " + Path("long.raw")).first, 0);
    std::ifstream raw(Path("long.raw"), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(raw), {});
    ASSERT_GT(bytes.size(), 5u);
    EXPECT_EQ(bytes[5], 2);
}

TEST_F(StringsCommandTest, BadInputIsNamedByLine)
{
    const struct {
        std::string text;
        std::string reason;
    } cases[] = {
        {"good\n\xC3(bad\n", "2: not valid UTF-8"},
        {"// comment\nunknown \\q escape\n", "2: unknown escape \\q (\\n, \\t and \\\\ are known)"},
        {"ends with \\", "1: a backslash at the end of the line (write \\\\ for one)"},
        {"a\nb\n\xF0\x9F\x98\x80\n", "3: a character outside UCS-2 (above U+FFFF)"},
        {std::string("nul\0inside\n", 11), "1: a NUL character"},
    };
    for (const auto& c : cases) {
        Write("bad.txt", c.text);
        Write("kept.raw", std::string("old"));
        EXPECT_EQ(RunTool("strings build " + Path("bad.txt") + " " + Path("new.raw"), true),
                  std::make_pair(1, "vornel strings: " + Path("bad.txt") + ":" + c.reason + "\n"));
        EXPECT_FALSE(Exists("new.raw"));
        EXPECT_EQ(RunTool("strings build " + Path("bad.txt") + " " + Path("kept.raw")).first, 1);
        std::ifstream kept(Path("kept.raw"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
    }
    EXPECT_EQ(RunTool("strings build " + Path("none.txt") + " " + Path("new.raw"), true),
              std::make_pair(1, "vornel strings: cannot read " + Path("none.txt") + "\n"));
    EXPECT_EQ(RunTool("strings build " + Path("bad.txt")).first, 2);
    EXPECT_EQ(RunTool("strings dump a.raw --symbols").first, 2);
}

TEST_F(StringsCommandTest, SymbolsRemapAndUnmap)
{
    // The identity below 0x80 but for 'a' <-> 'b'.
    Bytes symbols{2};
    Put(symbols, 0x80, 4);
    Put(symbols, 0, 1);
    Put(symbols, 0, 4);
    for (uint32_t c = 0; c < 0x80; ++c)
        Put(symbols, c == 'a' ? 'b' : c == 'b' ? 'a' : c, 2);
    Write("symbols.raw", symbols);
    Write("in.txt", std::string("abc é\n"));
    const std::string s = " --symbols " + Path("symbols.raw");
    ASSERT_EQ(RunTool("strings build " + Path("in.txt") + " " + Path("out.raw") + s).first, 0);
    EXPECT_EQ(RunTool("strings dump " + Path("out.raw")).second, "0: bac é\n");
    EXPECT_EQ(RunTool("strings dump " + Path("out.raw") + s).second, "0: abc é\n");
    Write("bad.raw", std::string("\x01"));
    EXPECT_EQ(RunTool("strings dump " + Path("out.raw") + " --symbols " + Path("bad.raw"), true),
              std::make_pair(1, "vornel strings: " + Path("bad.raw") + ": not a symbols table (or a damaged one)\n"));
}

TEST_F(StringsCommandTest, CreditsBuildAsOneBlockAndDumpBack)
{
    struct Case {
        const char* what;
        std::string text, dump;
    };
    const Case cases[] = {
        {"English", "// a comment\nNIMBREL\n\nThe team|and friends\nThank you!\n",
         "NIMBREL\n\nThe team|and friends\nThank you!\n"},
        {"French", "Crédits\nL'équipe de Nimbrel\nMerci d'avoir joué !", "Crédits\nL'équipe de Nimbrel\nMerci d'avoir joué !\n"},
    };
    for (const Case& c : cases) {
        Write("credits.txt", c.text);
        ASSERT_EQ(RunTool("strings build --credits " + Path("credits.txt") + " " + Path("credits.raw")).first, 0)
            << c.what;
        EXPECT_EQ(RunTool("strings dump " + Path("credits.raw")), std::make_pair(0, c.dump)) << c.what;
    }
    // The block: the header, then each line ended by a NUL.
    Write("two.txt", std::string("a\nb\n"));
    ASSERT_EQ(RunTool("strings build " + Path("two.txt") + " " + Path("two.raw") + " --credits").first, 0);
    Bytes expected{2};
    Put(expected, 4, 4);
    expected.push_back(2);
    Put(expected, 0, 4);
    for (char16_t c : std::u16string(u"a\0b\0", 4))
        Put(expected, c, 2);
    std::ifstream in(Path("two.raw"), std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), expected);

    // More than 4096 characters fail, naming the line, and write nothing.
    Write("long.txt", std::string(4096, 'x') + "\n");
    const auto result = RunTool("strings build --credits " + Path("long.txt") + " " + Path("long.raw"), true);
    EXPECT_EQ(result, std::make_pair(1, "vornel strings: " + Path("long.txt") + ":1: the credits pass 4096 characters\n"));
    EXPECT_FALSE(Exists("long.raw"));
}

}  // namespace
