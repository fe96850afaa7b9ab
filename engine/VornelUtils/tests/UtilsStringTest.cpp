#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(UtilsString, GetExtension)
{
    const struct {
        const char16_t* path;
        const char16_t* extension;
    } cases[] = {
        {u"Data\\textures\\wall.png", u".png"},
        {u"Data/v1.2/readme", u""},
        {u"Data\\v1.2\\readme", u""},
        {u"archive.tar.gz", u".gz"},
        {u"noextension", u""},
        {u"dir.d/file.txt", u".txt"},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(UtilsString_GetExtension(c.path)), c.extension);
    ASSERT_NE(UtilsString_GetExtension(nullptr), nullptr);
    EXPECT_EQ(UtilsString_GetExtension(nullptr)[0], 0);
    const char16_t* path = u"a\\b.png";
    EXPECT_EQ(UtilsString_GetExtension(path), path + 3); // points into the path
}

TEST(UtilsString, GetFileName)
{
    const char16_t* path = u"Data\\sub/file.txt";
    EXPECT_EQ(UtilsString_GetFileName(path), path + 9);
    const char16_t* mixed = u"a/b\\c";
    EXPECT_EQ(UtilsString_GetFileName(mixed), mixed + 4);
    const char16_t* bare = u"file.txt";
    EXPECT_EQ(UtilsString_GetFileName(bare), bare);
    EXPECT_EQ(UtilsString_GetFileName(nullptr), nullptr);
    const char* narrow = "x\\y/z.dat";
    EXPECT_EQ(UtilsString_GetFileNameA(narrow), narrow + 4);
    EXPECT_EQ(UtilsString_GetFileNameA(nullptr), nullptr);
}

TEST(UtilsString, ParseVersion)
{
    const struct {
        const char* text;
        bool ok;
        int32_t major, minor;
    } cases[] = {
        {"1.5.0", true, 1, 5},
        {"1.5", false, 0, 0},
        {"version 12.34b", true, 12, 34},
        {"1.x", false, 0, 0},
        {"1-5.", false, 0, 0},
        {"no digits", false, 0, 0},
        {"", false, 0, 0},
        {"7", false, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t major = -1, minor = -1;
        EXPECT_EQ(UtilsString_ParseVersion(c.text, &major, &minor), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(major, c.major) << c.text;
            EXPECT_EQ(minor, c.minor) << c.text;
        }
    }
    EXPECT_FALSE(UtilsString_ParseVersion(nullptr, nullptr, nullptr));
}

TEST(UtilsString, AToWSignExtends)
{
    char16_t out[8];
    UtilsString_AToW("a\xE9", out, 8);
    EXPECT_EQ(out[0], u'a');
    EXPECT_EQ(out[1], 0xFFE9);
    EXPECT_EQ(out[2], 0);
    UtilsString_AToW("abcdef", out, 4);
    EXPECT_EQ(std::u16string(out), u"abc");
    char16_t* dup = UtilsString_DupAToW("\x80z");
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(dup[0], 0xFF80);
    EXPECT_EQ(dup[1], u'z');
    UtilsFree(dup, __FILE__, __LINE__);
}

TEST(UtilsString, CompareExact)
{
    EXPECT_EQ(UtilsString_Compare(u"", u""), 0);
    EXPECT_EQ(UtilsString_Compare(u"abc", u"abc"), 0);
    EXPECT_EQ(UtilsString_Compare(u"abc", u"abd"), -1);
    EXPECT_EQ(UtilsString_Compare(u"abd", u"abc"), -1); // no ordering
    EXPECT_EQ(UtilsString_Compare(u"abc", u"ab"), -1);
    EXPECT_EQ(UtilsString_Compare(u"ABC", u"abc"), -1);
    EXPECT_EQ(UtilsString_Compare(nullptr, u""), -1);
    EXPECT_EQ(StringCompareA("", ""), 0);
    EXPECT_EQ(StringCompareA("Ease", "Ease"), 0);
    EXPECT_EQ(StringCompareA("Ease", "ease"), -1);
    EXPECT_EQ(StringCompareA("Ease", "EaseIn"), -1);
    EXPECT_EQ(StringCompareA(nullptr, nullptr), 0);
}

TEST(UtilsString, CompareSameLength)
{
    EXPECT_EQ(UtilsString_CompareSameLength(u"Hello", u"hELLO"), kStatusOk);
    EXPECT_EQ(UtilsString_CompareSameLength(u"Hello", u"Hell"), kStatusFailed);
    EXPECT_EQ(UtilsString_CompareSameLength(u"Hello", u"Hella"), kStatusFailed);
    EXPECT_EQ(UtilsString_CompareSameLength(u"", u""), kStatusOk);
    // Only ASCII letters fold.
    EXPECT_EQ(UtilsString_CompareSameLength(u"\u00E9", u"\u00C9"), kStatusFailed);
    EXPECT_EQ(UtilsString_CompareSameLength(u"[", u"{"), kStatusFailed);
}

TEST(UtilsString, InvertTwiceRestores)
{
    char16_t wide[] = u"Key";
    UtilsString_InvertW(wide);
    EXPECT_EQ(wide[0], static_cast<char16_t>(~u'K'));
    EXPECT_EQ(wide[3], 0);
    UtilsString_InvertW(wide);
    EXPECT_EQ(std::u16string(wide), u"Key");
    char narrow[] = "Key";
    UtilsString_InvertA(narrow);
    EXPECT_EQ(static_cast<unsigned char>(narrow[0]), static_cast<unsigned char>(~'K'));
    UtilsString_InvertA(narrow);
    EXPECT_STREQ(narrow, "Key");
    UtilsString_InvertW(nullptr);
}

TEST(UtilsString, ReplaceAndCount)
{
    char16_t wide[] = u"a\\b\\c";
    EXPECT_EQ(UtilsString_CountChar(wide, u'\\'), 2u);
    EXPECT_EQ(UtilsString_ReplaceChar(wide, u'\\', u'/'), 2u);
    EXPECT_EQ(std::u16string(wide), u"a/b/c");
    char16_t empty[] = u"";
    EXPECT_EQ(UtilsString_ReplaceChar(empty, u'a', u'b'), 0u);
    char narrow[] = "x.y.z";
    EXPECT_EQ(UtilsString_CountCharA(narrow, '.'), 2u);
    EXPECT_EQ(UtilsString_ReplaceCharA(narrow, '.', '_'), 2u);
    EXPECT_STREQ(narrow, "x_y_z");
    EXPECT_EQ(UtilsString_CountChar(nullptr, u'a'), 0u);
}

TEST(UtilsString, CutAt)
{
    char16_t path[] = u"dir/sub/file";
    char16_t* cut = UtilsString_CutAt(path, u'/');
    EXPECT_EQ(cut, path + 7);
    EXPECT_EQ(std::u16string(path), u"dir/sub");
    EXPECT_EQ(UtilsString_CutAt(path, u'#'), nullptr);
    EXPECT_EQ(std::u16string(path), u"dir/sub");
}

TEST(UtilsString, IsInteger)
{
    EXPECT_TRUE(UtilsString_IsInteger(u"123"));
    EXPECT_TRUE(UtilsString_IsInteger(u"-12"));
    EXPECT_TRUE(UtilsString_IsInteger(u"1-2+")); // any order
    EXPECT_FALSE(UtilsString_IsInteger(u""));
    EXPECT_FALSE(UtilsString_IsInteger(u"12a"));
    EXPECT_FALSE(UtilsString_IsInteger(u" 1"));
    EXPECT_FALSE(UtilsString_IsInteger(nullptr));
}

TEST(UtilsString, Duplicates)
{
    char16_t* w = UtilsString_DupW(u"hello", 3);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(std::u16string(w), u"hel");
    UtilsFree(w, __FILE__, __LINE__);
    w = UtilsString_DupW(u"hi", 0);
    EXPECT_EQ(std::u16string(w), u"hi");
    UtilsFree(w, __FILE__, __LINE__);
    w = UtilsString_DupW(u"hi", 50); // never reads past the terminator
    EXPECT_EQ(std::u16string(w), u"hi");
    UtilsFree(w, __FILE__, __LINE__);

    char* a = UtilsString_DupA("hello", 4);
    EXPECT_STREQ(a, "hell");
    UtilsFree(a, __FILE__, __LINE__);
    a = UtilsString_DupWToA(u"A\u01E9z", 0);
    EXPECT_STREQ(a, "A\xE9z"); // low byte of each character
    UtilsFree(a, __FILE__, __LINE__);
    EXPECT_EQ(UtilsString_DupW(nullptr), nullptr);
    EXPECT_EQ(UtilsString_DupA(nullptr), nullptr);
}

TEST(UtilsString, BoundedCopies)
{
    char16_t wide[4];
    EXPECT_TRUE(UtilsString_Copy(wide, 4, u"abc"));
    EXPECT_EQ(std::u16string(wide), u"abc");
    EXPECT_FALSE(UtilsString_Copy(wide, 4, u"abcd"));
    EXPECT_EQ(std::u16string(wide), u"abc");
    EXPECT_TRUE(UtilsString_Copy(wide, 4, nullptr));
    EXPECT_EQ(wide[0], 0);
    EXPECT_FALSE(UtilsString_Copy(wide, 0, u"a"));

    char narrow[4];
    EXPECT_FALSE(UtilsString_CopyA(narrow, 4, "abcdef"));
    EXPECT_STREQ(narrow, "abc");

    WideToAnsiCopy(u"p\u0141th", narrow, 4);
    EXPECT_STREQ(narrow, "pAt"); // 0x0141 keeps its low byte 0x41
    WideToAnsiCopy(u"", narrow, 4);
    EXPECT_STREQ(narrow, "");
    WideToAnsiCopy(nullptr, narrow, 4);
    EXPECT_STREQ(narrow, "");
    EXPECT_EQ(UtilsString_Length(u"four"), 4u);
    EXPECT_EQ(UtilsString_Length(nullptr), 0u);
}

TEST(UtilsString, ToInt)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"42", 42}, {"  \t-17xyz", -17}, {"+5", 5}, {"--5", 0}, {"", 0}, {"abc", 0}, {"12 34", 12},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UtilsString_ToIntA(c.text), c.value) << c.text;
        std::u16string wide(c.text, c.text + std::char_traits<char>::length(c.text));
        EXPECT_EQ(UtilsString_ToInt(wide.c_str()), c.value) << c.text;
    }
    EXPECT_EQ(UtilsString_ToInt(nullptr), 0);
}

TEST(UtilsString, Utf8RoundTrip)
{
    const std::u16string text = u"Caf\u00E9 \u263A \U0001F600";
    std::string utf8 = UtilsString_ToUtf8(text.c_str());
    EXPECT_EQ(utf8, "Caf\xC3\xA9 \xE2\x98\xBA \xF0\x9F\x98\x80");
    EXPECT_EQ(UtilsString_FromUtf8(utf8.c_str()), text);
    EXPECT_EQ(UtilsString_ToUtf8(nullptr), "");
    EXPECT_EQ(UtilsString_FromUtf8(nullptr), u"");
}

TEST(UtilsString, Utf8InvalidInputBecomesReplacement)
{
    const struct {
        const char* utf8;
        std::u16string expected;
    } cases[] = {
        {"a\xFFz", u"a\uFFFDz"},             // impossible byte
        {"a\xC3", u"a\uFFFD"},               // cut at the end
        {"\xE2\x98z", u"\uFFFDz"},           // cut in the middle
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong lead is never valid
        {"\xE0\x80\xAF", u"\uFFFD"},         // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD"},         // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},     // above U+10FFFF
        {"\x80", u"\uFFFD"},                 // stray continuation
    };
    for (const auto& c : cases)
        EXPECT_EQ(UtilsString_FromUtf8(c.utf8), c.expected) << c.utf8;

    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(UtilsString_ToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}
