#include "VornelUtils/UtilsString.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

std::u16string W(const char* ascii)
{
    std::u16string out;
    for (; *ascii; ++ascii)
        out.push_back(static_cast<unsigned char>(*ascii));
    return out;
}

// Formats the same text through both widths; the 8-bit result is widened for comparison.
#define EXPECT_BOTH(expected, fmt, ...)                                                                   \
    do {                                                                                                  \
        char16_t wide[256];                                                                               \
        char narrow[256];                                                                                 \
        int wn = UtilsString_Format(wide, 256, u"" fmt, __VA_ARGS__);                                     \
        int nn = UtilsString_FormatA(narrow, 256, fmt, __VA_ARGS__);                                      \
        EXPECT_EQ(std::u16string(wide), W(expected)) << "wide: " << fmt;                                 \
        EXPECT_EQ(std::string(narrow), std::string(expected)) << "8-bit: " << fmt;                       \
        EXPECT_EQ(wn, static_cast<int>(std::string(expected).size())) << fmt;                           \
        EXPECT_EQ(nn, static_cast<int>(std::string(expected).size())) << fmt;                           \
    } while (0)

} // namespace

TEST(UtilsFormat, Integers)
{
    EXPECT_BOTH("42", "%d", 42);
    EXPECT_BOTH("-42", "%i", -42);
    EXPECT_BOTH("[   42]", "[%5d]", 42);
    EXPECT_BOTH("[42   ]", "[%-5d]", 42);
    EXPECT_BOTH("[00042]", "[%05d]", 42);
    EXPECT_BOTH("[-0042]", "[%05d]", -42);
    EXPECT_BOTH("[  042]", "[%5.3d]", 42);
    EXPECT_BOTH("[+7]", "[%+d]", 7);
    EXPECT_BOTH("-2147483648", "%d", INT32_MIN);
    EXPECT_BOTH("4294967295", "%u", 0xFFFFFFFFu);
    EXPECT_BOTH("ff FF 0x1f", "%x %X %#x", 255, 255, 31);
    EXPECT_BOTH("0000BEEF", "%08X", 0xBEEFu);
    EXPECT_BOTH("[]", "[%.0d]", 0);
    EXPECT_BOTH("[    7]", "[%*d]", 5, 7);
    EXPECT_BOTH("[7    ]", "[%*d]", -5, 7);
    EXPECT_BOTH("-1 4294967295", "%ld %lu", -1, 0xFFFFFFFFu);
    EXPECT_BOTH("-9000000000 9000000000", "%lld %I64d", -9000000000LL, 9000000000LL);
    EXPECT_BOTH("-1 65535", "%hd %hu", 0xFFFF, 0xFFFF);
    EXPECT_BOTH("18446744073709551615", "%llu", UINT64_MAX);
}

TEST(UtilsFormat, Floats)
{
    EXPECT_BOTH("1.500000", "%f", 1.5);
    EXPECT_BOTH("-0.25", "%.2f", -0.25);
    EXPECT_BOTH("[  3.1]", "[%5.1f]", 3.14159);
    EXPECT_BOTH("[3.1  ]", "[%-5.1f]", 3.14159);
    EXPECT_BOTH("[003.1]", "[%05.1f]", 3.14159);
    EXPECT_BOTH("3", "%.0f", 3.0);
    EXPECT_BOTH("1024.000", "%.3f", 1024.0);
    EXPECT_BOTH("inf -inf", "%f %f", HUGE_VAL, -HUGE_VAL);
}

TEST(UtilsFormat, FloatsIgnoreLocale)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    // A locale with a decimal comma, when the system has one.
    if (std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_BOTH("0.500000", "%f", 0.5);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(UtilsFormat, CharactersAndPercent)
{
    EXPECT_BOTH("A%", "%c%%", 'A');
    EXPECT_BOTH("[  x]", "[%3c]", 'x');
    char16_t wide[8];
    UtilsString_Format(wide, 8, u"%c", 0x263A);
    EXPECT_EQ(wide[0], 0x263A);
    EXPECT_EQ(wide[1], 0);
    char narrow[8];
    UtilsString_FormatA(narrow, 8, "%lc", 0x263A); // no 8-bit form
    EXPECT_STREQ(narrow, "?");
}

TEST(UtilsFormat, StringsFollowFormatWidth)
{
    char16_t wide[64];
    EXPECT_EQ(UtilsString_Format(wide, 64, u"%s and %S", u"wide", "narrow"), 15);
    EXPECT_EQ(std::u16string(wide), u"wide and narrow");
    UtilsString_Format(wide, 64, u"%hs %ls", "h", u"l");
    EXPECT_EQ(std::u16string(wide), u"h l");

    char narrow[64];
    EXPECT_EQ(UtilsString_FormatA(narrow, 64, "%s and %S", "narrow", u"wide"), 15);
    EXPECT_STREQ(narrow, "narrow and wide");
    UtilsString_FormatA(narrow, 64, "%ls %hs", u"l", "h");
    EXPECT_STREQ(narrow, "l h");

    // 8-bit text is widened byte by byte; wide text above 0xFF does not fit a byte.
    UtilsString_Format(wide, 64, u"%S", "\xE9");
    EXPECT_EQ(std::u16string(wide), std::u16string(1, char16_t(0xE9)));
    UtilsString_FormatA(narrow, 64, "%S", u"a\u263Ab");
    EXPECT_STREQ(narrow, "a?b");

    UtilsString_Format(wide, 64, u"[%5.3s|%-5.2s]", u"abcdef", u"abc");
    EXPECT_EQ(std::u16string(wide), u"[  abc|ab   ]");
    UtilsString_FormatA(narrow, 64, "[%5.3s|%-5.2S]", "abcdef", u"abc");
    EXPECT_STREQ(narrow, "[  abc|ab   ]");
}

TEST(UtilsFormat, NullStrings)
{
    char16_t wide[32];
    UtilsString_Format(wide, 32, u"%s/%S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr));
    EXPECT_EQ(std::u16string(wide), u"(null)/(null)");
    char narrow[32];
    UtilsString_FormatA(narrow, 32, "%s/%S", static_cast<const char*>(nullptr), static_cast<const char16_t*>(nullptr));
    EXPECT_STREQ(narrow, "(null)/(null)");
}

TEST(UtilsFormat, Pointer)
{
    char narrow[64];
    UtilsString_FormatA(narrow, 64, "%p", reinterpret_cast<void*>(uintptr_t(0xABCD)));
    EXPECT_EQ(std::string(narrow), std::string(sizeof(void*) * 2 - 4, '0') + "ABCD");
}

TEST(UtilsFormat, UnknownAndUnfinishedConversions)
{
    EXPECT_BOTH("%q 5", "%q %d", 5);
    char narrow[16];
    EXPECT_EQ(UtilsString_FormatA(narrow, 16, "50%"), 3);
    EXPECT_STREQ(narrow, "50%");
}

TEST(UtilsFormat, TruncatesAtCapacity)
{
    const struct {
        size_t capacity;
        const char* expected;
    } cases[] = {
        {1, ""}, {2, "a"}, {5, "abc-"}, {6, "abc-1"}, {9, "abc-1234"}, {10, "abc-12345"}, {64, "abc-12345"},
    };
    for (const auto& c : cases) {
        char16_t wide[64];
        char narrow[64];
        // Sentinels after the allowed region must stay untouched.
        for (auto& ch : wide)
            ch = u'#';
        for (auto& ch : narrow)
            ch = '#';
        int wn = UtilsString_Format(wide, c.capacity, u"%s-%d", u"abc", 12345);
        int nn = UtilsString_FormatA(narrow, c.capacity, "%s-%d", "abc", 12345);
        EXPECT_EQ(std::u16string(wide), W(c.expected)) << c.capacity;
        EXPECT_STREQ(narrow, c.expected) << c.capacity;
        EXPECT_EQ(wn, static_cast<int>(std::string(c.expected).size()));
        EXPECT_EQ(nn, static_cast<int>(std::string(c.expected).size()));
        if (c.capacity < 64) {
            EXPECT_EQ(wide[c.capacity], u'#');
            EXPECT_EQ(narrow[c.capacity], '#');
        }
    }
}

TEST(UtilsFormat, CapacityZeroWritesNothing)
{
    char16_t wide[2] = {u'#', u'#'};
    char narrow[2] = {'#', '#'};
    EXPECT_EQ(UtilsString_Format(wide, 0, u"%d", 5), 0);
    EXPECT_EQ(UtilsString_FormatA(narrow, 0, "%d", 5), 0);
    EXPECT_EQ(wide[0], u'#');
    EXPECT_EQ(narrow[0], '#');
    EXPECT_EQ(UtilsString_FormatA(nullptr, 10, "%d", 5), 0);
}

TEST(UtilsFormat, HugeWidthStaysBounded)
{
    char narrow[8];
    EXPECT_EQ(UtilsString_FormatA(narrow, 8, "%2000000000d|%.999999999f", 1, 1.0), 7);
    EXPECT_STREQ(narrow, "       ");
}
