#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsParameters_File.h"
#include "VornelUtils/UtilsParameters_Packer.h"
#include "VornelUtils/UtilsParameters_Static.h"
#include "VornelUtils/UtilsPack.h"
#include "VornelUtils/UtilsPackWriter.h"
#include "VornelUtils/UtilsScramble.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DataTestFolder.h"

namespace {

UtilsParameters_Static Reader(const std::string& text)
{
    return UtilsParameters_Static(text.data(), static_cast<uint32_t>(text.size()), kScrambleKey);
}

std::u16string GetString(UtilsParameters& reader, const char16_t* section, const char16_t* key, Status* status = nullptr)
{
    char16_t out[64] = u"untouched";
    const Status s = reader.GetString(section, key, u"<default>", out, 64);
    if (status != nullptr)
        *status = s;
    return out;
}

} // namespace

TEST(UtilsParameters, IntegerEntries)
{
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"[S]\nKEY=12\n", 12},
        {"[S]\nKEY=12 \n", -1},             // the trailing blank belongs to the value
        {"[S]\nKEY=\n", -1},                // empty value
        {"[S]\nKEY =   -7\n", -7},          // blanks around '=' and before the value
        {"[S]\nK E Y=3\n", 3},              // blanks inside the key
        {"[S]\n;KEY=3\n", -1},              // comment
        {"[S]\n/KEY=3\n", -1},
        {"[S]\nK;EY=3\n", -1},              // ';' anywhere before '='
        {"[S]\nKEY=3\nKEY=4\n", 3},         // the first entry wins
        {"[S]\r\nKEY=5\r\n", 5},            // CR LF lines
        {"[S]\n\n\nKEY=6", 6},              // last line without a line end
        {"[ S ]\nKEY=8\n", 8},              // blanks inside the brackets
        {"  [S]\nKEY=9\n", 9},              // blanks before '['
        {"[SS]\nKEY=1\n", -1},              // the section name must match whole
        {"[S]\nKEYS=1\n", -1},              // the key must match whole
        {"[s]\nKEY=1\n", -1},               // case-sensitive
        {"[S]\n[T]\nKEY=1\n", -1},          // a key in another section
        {"[T]\nKEY=1\n[S]\nKEY=2\n", 2},    // the asked section, after another holding the key
        {"[S]\nOTHER=1\n[T]\nKEY=1\n", -1}, // the section ends at the next '[' line
        {"KEY=1\n[S]\n", -1},               // no key outside any section
        {"[S]\nKEY=1x\n", -1},              // not an integer
        {"[S]\nKEY=+-1\n", 0},              // digits and signs only: _wtoi gives 0
    };
    for (const auto& c : cases) {
        UtilsParameters_Static reader = Reader(c.text);
        EXPECT_EQ(reader.GetInt(u"S", u"KEY", -1), c.expected) << c.text;
    }
}

TEST(UtilsParameters, TypedGetters)
{
    UtilsParameters_Static reader = Reader(
        "[WORLD]\n"
        "W I D T H = 1024\n"
        "ON=1\nOFF=0\nWORD=true\n"
        "BIG=300\nHUGE=70000\n"
        "COLOR=0x1A2B3C4D\ncolor=1a2b3c4d\nSHORT=FF\nPREFIXONLY=0x\n"
        "F=1.5\nD=-2.25e1\nNAN=abc\n"
        "TEXT=a;b = c \n"
        "EMPTY=\n");
    EXPECT_EQ(reader.GetInt(u"WORLD", u"WIDTH", 0), 1024);
    EXPECT_EQ(reader.GetBool(u"WORLD", u"ON", 7), 1);
    EXPECT_EQ(reader.GetBool(u"WORLD", u"OFF", 7), 0);
    EXPECT_EQ(reader.GetBool(u"WORLD", u"WORD", 7), 0); // only numbers count
    EXPECT_EQ(reader.GetBool(u"WORLD", u"EMPTY", 7), 7);
    EXPECT_EQ(reader.GetByte(u"WORLD", u"BIG", 1), 300 & 0xFF);
    EXPECT_EQ(reader.GetWord(u"WORLD", u"HUGE", 1), 70000 & 0xFFFF);
    EXPECT_EQ(reader.GetHex(u"WORLD", u"COLOR", 0), 0x1A2B3C4Du);
    EXPECT_EQ(reader.GetHex(u"WORLD", u"color", 0), 0x1A2B3C4Du);
    EXPECT_EQ(reader.GetHex(u"WORLD", u"SHORT", 0), 0xFFu); // stops at the terminator
    EXPECT_EQ(reader.GetHex(u"WORLD", u"PREFIXONLY", 5), 0u);
    EXPECT_EQ(reader.GetHex(u"WORLD", u"EMPTY", 5), 5u);
    EXPECT_FLOAT_EQ(reader.GetFloat(u"WORLD", u"F", 0.0f), 1.5f);
    EXPECT_DOUBLE_EQ(reader.GetDouble(u"WORLD", u"D", 0.0), -22.5);
    EXPECT_DOUBLE_EQ(reader.GetDouble(u"WORLD", u"NAN", 9.0), 0.0);
    EXPECT_DOUBLE_EQ(reader.GetDouble(u"WORLD", u"MISSING", 9.0), 9.0);

    Status status = 0;
    EXPECT_EQ(GetString(reader, u"WORLD", u"TEXT", &status), u"a;b = c ");
    EXPECT_EQ(status, kStatusOk);
    EXPECT_EQ(GetString(reader, u"WORLD", u"EMPTY", &status), u"");
    EXPECT_EQ(status, kStatusOk);
    EXPECT_EQ(GetString(reader, u"WORLD", u"MISSING", &status), u"<default>");
    EXPECT_EQ(status, kStatusFailed);

    char16_t small[4];
    EXPECT_EQ(reader.GetString(u"WORLD", u"TEXT", nullptr, small, 4), kStatusOk);
    EXPECT_EQ(std::u16string(small), u"a;b");
}

TEST(UtilsParameters, Paths)
{
    UtilsParameters_Static reader = Reader("[PATH]\nFONT=fonts/a.ttf\nEMPTY=\n");
    char16_t out[64] = u"before";
    EXPECT_EQ(reader.GetPath(u"PATH", u"FONT", u"x", out, 64, u"Data/"), kStatusOk);
    EXPECT_EQ(std::u16string(out), u"Data/fonts/a.ttf");
    EXPECT_EQ(reader.GetPath(u"PATH", u"FONT", u"x", out, 64, nullptr), kStatusOk);
    EXPECT_EQ(std::u16string(out), u"fonts/a.ttf");
    EXPECT_EQ(reader.GetPath(u"PATH", u"EMPTY", u"def.png", out, 64, u"Data/"), kStatusFailed);
    EXPECT_EQ(std::u16string(out), u"Data/def.png");
    EXPECT_EQ(reader.GetPath(u"PATH", u"MISSING", u"def.png", out, 64, nullptr), kStatusFailed);
    EXPECT_EQ(std::u16string(out), u"def.png");
    std::memcpy(out, u"kept", 10);
    EXPECT_EQ(reader.GetPath(u"PATH", u"MISSING", u"", out, 64, u"Data/"), kStatusFailed);
    EXPECT_EQ(std::u16string(out), u"kept");
    EXPECT_EQ(reader.GetPath(u"PATH", u"MISSING", nullptr, out, 64, u"Data/"), kStatusFailed);
    EXPECT_EQ(std::u16string(out), u"kept");
    char16_t tiny[6];
    EXPECT_EQ(reader.GetPath(u"PATH", u"FONT", nullptr, tiny, 6, u"Data/"), kStatusOk);
    EXPECT_EQ(std::u16string(tiny), u"Data/");
}

TEST(UtilsParameters, LongLinesAreCutAndTheRestSkipped)
{
    std::string text = "[S]\nLONG=" + std::string(6000, 'x') + "7\nNEXT=3\n";
    UtilsParameters_Static reader = Reader(text);
    char16_t out[kSettingsLineBufferSize + 10];
    ASSERT_EQ(reader.GetString(u"S", u"LONG", nullptr, out, kSettingsLineBufferSize + 10), kStatusOk);
    EXPECT_EQ(std::u16string(out).size(), kSettingsLineLimit - 5); // the line kept its first 4094 characters
    EXPECT_EQ(std::u16string(out).find(u'7'), std::u16string::npos);
    EXPECT_EQ(reader.GetInt(u"S", u"NEXT", 0), 3);
}

TEST(UtilsParameters, LongNumberValuesAreReadWhole)
{
    // Values far longer than an 8-bit copy of 260 characters would hold.
    const std::string zeros(3000, '0');
    UtilsParameters_Static reader = Reader("[S]\nF=" + zeros + "2.5\nD=-0." + zeros + "1e3001\nI=" + zeros + "42\nH=" +
                                           zeros + "\n");
    EXPECT_FLOAT_EQ(reader.GetFloat(u"S", u"F", 0.0f), 2.5f);
    EXPECT_DOUBLE_EQ(reader.GetDouble(u"S", u"D", 0.0), -1.0);
    EXPECT_EQ(reader.GetInt(u"S", u"I", 0), 42);
    EXPECT_EQ(reader.GetHex(u"S", u"H", 7), 0u);
}

TEST(UtilsParameters, SectionCache)
{
    UtilsParameters_Static reader = Reader("[A]\nX=1\nY=2\n[B]\nX=3\n[C]\nZ=4\n");
    reader.SetMode(1);
    // The first question has no remembered section to compare with.
    EXPECT_EQ(reader.GetInt(u"B", u"X", 0), 3);
    EXPECT_EQ(reader.GetInt(u"B", u"X", 0), 3);
    EXPECT_EQ(reader.GetInt(u"A", u"Y", 0), 2);
    EXPECT_EQ(reader.GetInt(u"A", u"X", 0), 1);
    EXPECT_EQ(reader.GetInt(u"A", u"Z", 0), 0); // not in A, not taken from C
    EXPECT_EQ(reader.GetInt(u"C", u"Z", 0), 4);
    EXPECT_EQ(reader.GetInt(u"B", u"X", 0), 3);
    reader.SetMode(0);
    EXPECT_EQ(reader.GetInt(u"A", u"X", 0), 1);
    reader.SetMode(1);
    EXPECT_EQ(reader.GetInt(u"B", u"X", 0), 3);
}

TEST(UtilsParameters, ScrambledBlocks)
{
    // A 100-byte block whose first word, once scrambled, is 100.
    std::string plain = "size\n[S]\nK=5\n";
    plain.resize(100, '\n');
    std::vector<uint8_t> block(plain.begin(), plain.end());
    for (int i = 0; i < 4; ++i)
        block[i] = static_cast<uint8_t>(100u >> (8 * i) ^ kScrambleKey >> (8 * i));
    ApplyScrambleKey(block.data(), block.size(), kScrambleKey);
    ASSERT_TRUE(IsScrambledBlock(block.data(), block.size()));
    UtilsParameters_Static scrambled(block.data(), 100, kScrambleKey);
    EXPECT_EQ(scrambled.GetInt(u"S", u"K", 0), 5);
    UtilsParameters_Static noKey(block.data(), 100, 0);
    EXPECT_EQ(noKey.GetInt(u"S", u"K", 0), 0);

    // First word 99 in a block of 100: plain text.
    std::vector<uint8_t> text = {99, 0, 0, 0};
    const std::string rest = "\n[S]\nK=7\n";
    text.insert(text.end(), rest.begin(), rest.end());
    text.resize(100, '\n');
    UtilsParameters_Static plainReader(text.data(), 100, kScrambleKey);
    EXPECT_EQ(plainReader.GetInt(u"S", u"K", 0), 7);
    block[0] = 99;
    UtilsParameters_Static wrongSize(block.data(), 100, kScrambleKey);
    EXPECT_EQ(wrongSize.GetInt(u"S", u"K", 0), 0);
}

TEST(UtilsParameters, StoredBlockFormRoundTrip)
{
    const std::string text = "[WORLD]\nWIDTH=2048\n[CAMERA]\nDEFAULT_APP_WIDTH=1024";
    std::vector<uint8_t> stored(text.size() + kScrambledBlockOverhead);
    size_t size = 0;
    ASSERT_EQ(ScrambleSettingsBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kScrambleKey,
                                    stored.data(), stored.size(), &size),
              kStatusOk);
    ASSERT_EQ(size, stored.size());
    EXPECT_TRUE(IsScrambledBlock(stored.data(), size));
    EXPECT_EQ(std::string(stored.begin() + 5, stored.end()).find("WIDTH"), std::string::npos);
    UtilsParameters_Static reader(stored.data(), static_cast<uint32_t>(size), kScrambleKey);
    EXPECT_EQ(reader.GetInt(u"WORLD", u"WIDTH", 0), 2048);
    EXPECT_EQ(reader.GetInt(u"CAMERA", u"DEFAULT_APP_WIDTH", 0), 1024);
    EXPECT_EQ(ScrambleSettingsBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kScrambleKey,
                                    stored.data(), stored.size() - 1, &size),
              kStatusFailed);
}

TEST(UtilsParameters, EmptyReaders)
{
    UtilsParameters_Static none(nullptr, 0, kScrambleKey);
    EXPECT_EQ(none.GetInt(u"S", u"K", 42), 42);
    UtilsParameters_File missing(u"/nonexistent/settings.ini", kScrambleKey);
    EXPECT_EQ(missing.GetInt(u"S", u"K", 42), 42);
    PackRecord pack{};
    UtilsParameters_Packer noPack(u"a.ini", FindPackEntry, &pack, kScrambleKey);
    EXPECT_EQ(noPack.GetInt(u"S", u"K", 42), 42);
}

TEST(UtilsParameters, FileAndPackReaders)
{
    DataTestFolder folder("settings");
    folder.WriteFile("plain.ini", Bytes("[S]\nK=11\n"));
    UtilsParameters_File plain(folder.WidePath("plain.ini").c_str(), kScrambleKey);
    EXPECT_EQ(plain.GetInt(u"S", u"K", 0), 11);

    const std::string text = "[S]\nK=12\n";
    std::vector<uint8_t> stored(text.size() + kScrambledBlockOverhead);
    size_t size = 0;
    ASSERT_EQ(ScrambleSettingsBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kScrambleKey,
                                    stored.data(), stored.size(), &size),
              kStatusOk);
    folder.WriteFile("scrambled.ini", stored);
    UtilsParameters_File scrambled(folder.WidePath("scrambled.ini").c_str(), kScrambleKey);
    EXPECT_EQ(scrambled.GetInt(u"S", u"K", 0), 12);

    std::FILE* file = std::fopen(folder.Path("settings.pak").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(WritePackCountRecord(file, 2), kStatusOk);
    ASSERT_EQ(WritePackRecord(file, "empty.ini", nullptr, 0), kStatusOk);
    ASSERT_EQ(WritePackRecord(file, "videos/_volumes.ini", stored.data(), static_cast<uint32_t>(size)), kStatusOk);
    std::fclose(file);
    PackRecord pack{};
    ASSERT_EQ(OpenPackFile(&pack, folder.WidePath("settings.pak").c_str(), 0), kStatusOk);
    UtilsParameters_Packer fromPack(u"videos/_volumes.ini", FindPackEntry, &pack, kScrambleKey);
    EXPECT_EQ(fromPack.GetInt(u"S", u"K", 0), 12);
    UtilsParameters_Packer empty(u"empty.ini", FindPackEntry, &pack, kScrambleKey);
    EXPECT_EQ(empty.GetInt(u"S", u"K", 3), 3);
    UtilsParameters_Packer absent(u"absent.ini", FindPackEntry, &pack, kScrambleKey);
    EXPECT_EQ(absent.GetInt(u"S", u"K", 3), 3);
    ClosePackFile(&pack);
}
