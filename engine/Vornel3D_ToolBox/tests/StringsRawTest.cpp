// One string table: the file form with its checks, lookups and edits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ResourceTestData.h"
#include "Vornel3D_ToolBox/CStringsRaw.h"
#include "VornelUtils/UtilsStream_Static.h"

namespace {

Status LoadBytes(CStringsRaw& table, Bytes bytes)
{
    UtilsStream_Static stream(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    stream.Open();
    return table.Load(&stream);
}

std::vector<std::u16string> Strings(const CStringsRaw& table)
{
    std::vector<std::u16string> strings;
    for (uint32_t i = 0; i < table.GetCount(); ++i)
        strings.push_back(table.GetString(i));
    return strings;
}

using List = std::vector<std::u16string>;

TEST(StringsRaw, OffsetWidthsOneTwoAndFourLoad)
{
    // Long enough that the last offset needs two bytes with width 2 and 4.
    const List strings{u"Nimbrel", std::u16string(300, u'x'), u"é «»"};
    for (uint8_t width : {1, 2, 4}) {
        CStringsRaw table(nullptr);
        const List expected = width == 1 ? List{u"a", u"bc", u""} : strings;
        ASSERT_EQ(LoadBytes(table, StringTable(expected, width)), kStatusOk) << int(width);
        EXPECT_EQ(Strings(table), expected);
        EXPECT_EQ(table.GetLength(0), expected[0].size() + 1);
        EXPECT_EQ(table.GetLength(2), expected[2].size() + 1);  // the last runs to the end
        EXPECT_EQ(table.GetString(3), std::u16string());       // index equal to the count
        EXPECT_EQ(table.GetLength(3), 0u);
    }
    CStringsRaw table(nullptr);
    Bytes three = StringTable({u"a", u"b"}, 4);
    three[5] = 3;
    EXPECT_EQ(LoadBytes(table, three), kStatusFailed);
}

TEST(StringsRaw, BadTablesAreRefusedAndTheOldOneKept)
{
    auto withOffset = [](uint32_t index, uint8_t value) {
        Bytes bytes = StringTable({u"ab", u"c", u"d"}, 1);
        bytes[bytes.size() - 3 + index] = value;
        return bytes;
    };
    Bytes unterminated = StringTable({u"ab"}, 1);
    unterminated[10 + 4] = 'x';  // the terminator of the last string
    Bytes huge = StringTable({u"ab"}, 1);
    huge[1] = 0xFF, huge[2] = 0xFF, huge[3] = 0xFF, huge[4] = 0x7F;  // character count
    Bytes manyOffsets = StringTable({u"ab"}, 4);
    manyOffsets[6] = 0xFF, manyOffsets[7] = 0xFF, manyOffsets[8] = 0xFF, manyOffsets[9] = 0x0F;
    Bytes charSize = StringTable({u"ab"}, 1);
    charSize[0] = 1;
    Bytes noText{2, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};  // one string in an empty block
    Bytes shortOffsets = StringTable({u"ab", u"c"}, 4);
    shortOffsets.pop_back();
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"character size", charSize},
        {"character count above the bytes", huge},
        {"string count above the bytes", manyOffsets},
        {"offset past the text", withOffset(1, 9)},
        {"offset at the total", withOffset(2, 7)},
        {"offsets going down", withOffset(2, 0)},
        {"no terminator at the end", unterminated},
        {"a string in an empty block", noText},
        {"short header", Bytes{2, 4, 0}},
        {"short offsets", shortOffsets},
    };
    for (const auto& c : cases) {
        CStringsRaw table(nullptr);
        ASSERT_EQ(LoadBytes(table, StringTable({u"kept"})), kStatusOk);
        EXPECT_EQ(LoadBytes(table, c.bytes), kStatusFailed) << c.what;
        EXPECT_EQ(Strings(table), List{u"kept"}) << c.what;
    }
    // An empty table is a table.
    CStringsRaw table(nullptr);
    EXPECT_EQ(LoadBytes(table, StringTable({})), kStatusOk);
    EXPECT_EQ(table.GetCount(), 0u);
}

TEST(StringsRaw, SaveWritesTheSmallestWidthAndReadsBack)
{
    for (const auto& strings : {List{}, List{u"a", u"b"}, List{std::u16string(255, u'x'), u"y"},
                                List{std::u16string(70000, u'x'), u"y"}}) {
        CStringsRaw table(nullptr);
        for (const auto& s : strings)
            table.Insert(s.c_str(), -1);
        UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
        out.Open();
        ASSERT_EQ(table.Save(&out), kStatusOk);
        const uint32_t last = strings.empty() ? 0 : table.GetTotalChars() - table.GetLength(table.GetCount() - 1);
        const uint8_t width = last <= 0xFF ? 1 : last <= 0xFFFF ? 2 : 4;
        EXPECT_EQ(out.GetBlock()[5], width);
        CStringsRaw back(nullptr);
        ASSERT_EQ(LoadBytes(back, Bytes(out.GetBlock(), out.GetBlock() + out.GetSize())), kStatusOk);
        EXPECT_EQ(Strings(back), strings);
    }
}

TEST(StringsRaw, InsertReplaceRemoveMove)
{
    CStringsRaw table(nullptr);
    EXPECT_EQ(table.Insert(u"first", 5), 0);  // an empty table appends whatever the index
    EXPECT_EQ(table.Insert(u"third", -1), 1);
    EXPECT_EQ(table.Insert(u"second", 1), 1);
    EXPECT_EQ(table.Insert(u"fourth", 3), 3);  // at the count: appended
    EXPECT_EQ(table.Insert(u"far", 5), -1);    // above the count
    EXPECT_EQ(table.Insert(u"far", -2), -1);
    EXPECT_EQ(Strings(table), (List{u"first", u"second", u"third", u"fourth"}));

    EXPECT_EQ(table.Replace(u"2nd", 1), kStatusOk);
    EXPECT_EQ(table.Replace(u"x", 4), kStatusFailed);
    EXPECT_EQ(table.Replace(table.GetString(0), 3), kStatusOk);  // a string of the table itself
    EXPECT_EQ(Strings(table), (List{u"first", u"2nd", u"third", u"first"}));
    EXPECT_EQ(table.GetTotalChars(), 6u + 4 + 6 + 6);

    // Move to a later place: before the string now at `to`.
    EXPECT_EQ(table.Move(0, 3), kStatusOk);
    EXPECT_EQ(Strings(table), (List{u"2nd", u"third", u"first", u"first"}));
    EXPECT_EQ(table.Move(1, 4), kStatusOk);  // to the end
    EXPECT_EQ(Strings(table), (List{u"2nd", u"first", u"first", u"third"}));
    EXPECT_EQ(table.Move(3, 0), kStatusOk);  // to an earlier place
    EXPECT_EQ(Strings(table), (List{u"third", u"2nd", u"first", u"first"}));
    EXPECT_EQ(table.Move(1, 1), kStatusOk);  // to its own place: nothing moves
    EXPECT_EQ(table.Move(0, 0), kStatusOk);
    EXPECT_EQ(Strings(table), (List{u"third", u"2nd", u"first", u"first"}));
    EXPECT_EQ(table.Move(4, 0), kStatusFailed);
    EXPECT_EQ(table.Move(0, 5), kStatusFailed);

    EXPECT_EQ(table.Remove(4), kStatusFailed);
    EXPECT_EQ(table.Remove(3), kStatusOk);  // the last: its length runs to the total
    EXPECT_EQ(table.Remove(0), kStatusOk);
    EXPECT_EQ(Strings(table), (List{u"2nd", u"first"}));
    EXPECT_EQ(table.GetTotalChars(), 4u + 6);
    EXPECT_EQ(table.Remove(0), kStatusOk);
    EXPECT_EQ(table.Remove(0), kStatusOk);
    EXPECT_EQ(table.Remove(0), kStatusOk);  // empty: left alone
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_EQ(table.GetTotalChars(), 0u);
}

TEST(StringsRaw, JoinPutsTheSecondPartAfterTheFirst)
{
    CStringsRaw language(nullptr), commons(nullptr), joined(nullptr), empty(nullptr);
    ASSERT_EQ(LoadBytes(language, StringTable({u"Nimbrel", u"Title"}, 1)), kStatusOk);
    commons.Insert(u"Yes", -1);
    commons.Insert(u"No", -1);
    ASSERT_EQ(joined.Join(language, commons), kStatusOk);
    EXPECT_EQ(Strings(joined), (List{u"Nimbrel", u"Title", u"Yes", u"No"}));
    EXPECT_EQ(joined.GetLength(1), 6u);
    ASSERT_EQ(joined.Join(empty, commons), kStatusOk);  // no offset before the first is read
    EXPECT_EQ(Strings(joined), (List{u"Yes", u"No"}));
    ASSERT_EQ(joined.Join(empty, empty), kStatusOk);
    EXPECT_EQ(joined.GetCount(), 0u);
}

}  // namespace
