#include "NimbrelScript/ScriptText.h"
#include "NimbrelScript/ScriptVM.h"

#include "VornelUtils/UtilsString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Formatted(const char16_t* format, ...)
{
    char16_t buffer[256];
    va_list args;
    va_start(args, format);
    ScriptFormatV(buffer, 256, format, args);
    va_end(args);
    return UtilsString_ToUtf8(buffer);
}

TEST(ScriptFormat, Conversions)
{
    EXPECT_EQ(Formatted(u"%d|%i|%u", -12, 34, 4294967295u), "-12|34|4294967295");
    EXPECT_EQ(Formatted(u"%x|%X|%o|%b", 255u, 255u, 8u, 5u), "ff|FF|10|101");
    EXPECT_EQ(Formatted(u"%5d|%-5d|%05d|%+d", 42, 42, 42, 42), "   42|42   |00042|+42");
    EXPECT_EQ(Formatted(u"%s and %S", u"wide", "narrow"), "wide and narrow");
    EXPECT_EQ(Formatted(u"%hs|%ls", "eight", u"sixteen"), "eight|sixteen");
    EXPECT_EQ(Formatted(u"[%6s][%-6s][%.2s]", u"ab", u"ab", u"abcdef"), "[    ab][ab    ][ab]");
    EXPECT_EQ(Formatted(u"%c%hc", u'W', 'n'), "Wn");
    EXPECT_EQ(Formatted(u"%I64d", static_cast<long long>(-5000000000LL)), "-5000000000");
    EXPECT_EQ(Formatted(u"100%%"), "100%");
    EXPECT_EQ(Formatted(u"%*d", 4, 7), "   7");
}

TEST(ScriptFormat, NullStringsPrintNull)
{
    EXPECT_EQ(Formatted(u"%S", static_cast<const char*>(nullptr)), "<NULL>");
    EXPECT_EQ(Formatted(u"%s", static_cast<const char16_t*>(nullptr)), "<NULL>");
}

TEST(ScriptFormat, FloatIsTruncatedFixedPoint)
{
    EXPECT_EQ(Formatted(u"%f", 3.99), "3");
    EXPECT_EQ(Formatted(u"%.2f", 3.999), "3.99");
    EXPECT_EQ(Formatted(u"%.3f", 2.05), "2.049"); // 2.05 is slightly below in binary
    EXPECT_EQ(Formatted(u"%.1f", -1.25), "-1.2");
    EXPECT_EQ(Formatted(u"%.2f", 0.5), "0.50");
}

TEST(ScriptFormat, PointerAndCount)
{
    int count = -1;
    EXPECT_EQ(Formatted(u"%p", reinterpret_cast<void*>(0xABCu)), "00000ABC");
    EXPECT_EQ(Formatted(u"abc%n", &count), "abc");
    EXPECT_EQ(count, 3);
}

TEST(ScriptFormat, OutputIsBounded)
{
    char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
    ScriptFormatW(buffer, 4, u"%s", u"longer text");
    EXPECT_EQ(UtilsString_ToUtf8(buffer), "lon");
    ScriptFormatW(buffer, 4, u"%1000000d", 1);
    EXPECT_EQ(UtilsString_ToUtf8(buffer), "   ");
}

TEST(ScriptText, KeywordMatch)
{
    EXPECT_EQ(ScriptKeywordMatch("variable", "var"), 0);   // begins with the keyword
    EXPECT_EQ(ScriptKeywordMatch("wh", "while"), 0);       // the start of the keyword
    EXPECT_EQ(ScriptKeywordMatch("", "function"), 0);      // empty token
    EXPECT_EQ(ScriptKeywordMatch("ix", "if"), -1);         // differ where both have a character
    EXPECT_EQ(ScriptKeywordMatch("else", "else if"), 0);
}

// The script language compares names with the engine's shared comparison.
TEST(ScriptText, StringCompareA)
{
    EXPECT_EQ(StringCompareA("item", "items"), -1);
    EXPECT_EQ(StringCompareA("", ""), 0);
    EXPECT_EQ(StringCompareA("", "x"), -1);
    EXPECT_EQ(StringCompareA("same", "same"), 0);
}

TEST(ScriptText, ParamNameAndBlanks)
{
    char name[32];
    ASSERT_TRUE(ScriptParamName(name, sizeof(name), "setObjectsShow", 2));
    EXPECT_STREQ(name, "_setObjectsShow_2_");
    EXPECT_FALSE(ScriptParamName(name, 8, "setObjectsShow", 2));
    EXPECT_STREQ(name, "");

    const char* text = " \t\r\n\r\nx";
    const char* cursor = text;
    size_t remaining = 7;
    EXPECT_EQ(ScriptSkipBlanks(&cursor, &remaining), 2u);
    EXPECT_EQ(*cursor, 'x');
    EXPECT_EQ(remaining, 1u);
}

TEST(ScriptText, MemRead)
{
    const uint8_t data[] = {1, 2, 3, 4, 5};
    const uint8_t* cursor = data;
    size_t remaining = sizeof(data);
    uint16_t pair[2] = {};
    EXPECT_EQ(ScriptMemRead(pair, 2, 2, &cursor, &remaining), kScriptOk);
    EXPECT_EQ(remaining, 1u);
    EXPECT_EQ(ScriptMemRead(pair, 2, 1, &cursor, &remaining), kScriptFailed);
    EXPECT_EQ(ScriptMemRead(pair, SIZE_MAX, 2, &cursor, &remaining), kScriptFailed);
    EXPECT_EQ(remaining, 1u);
}

TEST(ScriptError, ReportNamesFileAndLine)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = ScriptModule_Create(vm, nullptr);
    ScriptModule_AddFileNameA(vm, module, "a.script");
    ScriptModule_AddFileNameA(vm, module, "b.script");
    ScriptReportError(vm, module, 1, 12, u"the specified variable is missing: \"%S\"", "x");
    EXPECT_EQ(UtilsString_ToUtf8(vm->errorText),
              "Script error! the specified variable is missing: \"x\" (\"b.script\" : line=12)");
    ScriptReportError(vm, module, 7, 3, u"boom");
    EXPECT_EQ(UtilsString_ToUtf8(vm->errorText), "Script error! boom (\"unknown\" : line=3)");
    EXPECT_EQ(vm->status, 0) << "reporting leaves the status word alone";
    ScriptVM_Destroy(vm);
}

TEST(ScriptError, GetLastErrorNeedsRoomForTheTerminator)
{
    ScriptVM* vm = ScriptVM_Create();
    ScriptModule* module = ScriptModule_Create(vm, nullptr);
    EXPECT_EQ(ScriptFail(vm, module, kScriptSyntax, 0, 1, u"x"), kScriptSyntax);
    size_t length = UtilsString_Length(vm->errorText);
    std::u16string buffer(length + 1, u'?');
    EXPECT_EQ(ScriptVM_GetLastError(vm, &buffer[0], length), kScriptSyntax);
    EXPECT_EQ(buffer[0], 0);
    ScriptVM_GetLastError(vm, &buffer[0], length + 1);
    EXPECT_EQ(UtilsString_ToUtf8(buffer.c_str()), "Script error! x (\"unknown\" : line=1)");
    ScriptVM_Destroy(vm);
}

} // namespace
