#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include "TestSystem.h"

namespace {

class UtilsLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = TestSystem_MakeTempFolder("vornel_log_");
        ASSERT_FALSE(m_root.empty());
        // Written the way the system names its log: Windows separators.
        m_logPath = UtilsString_FromUtf8((m_root + "\\game.log").c_str());
    }

    void TearDown() override
    {
        EXPECT_TRUE(TestSystem_RemoveTree(m_root));
    }

    bool LogExists() const
    {
        struct stat info;
        return ::stat((m_root + "/game.log").c_str(), &info) == 0;
    }

    std::string ReadLog() const
    {
        std::string text;
        std::FILE* f = std::fopen((m_root + "/game.log").c_str(), "rb");
        if (!f)
            return text;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            text.push_back(static_cast<char>(c));
        std::fclose(f);
        return text;
    }

    std::string m_root;
    std::u16string m_logPath;
};

} // namespace

TEST_F(UtilsLogTest, FlagZeroDoesNothingEvenWithBadArguments)
{
    testing::internal::CaptureStderr();
    // The arguments do not match the format: reading them would crash.
    Log(m_logPath.c_str(), 0, u"# %s %S %s\n", 12345);
    EXPECT_EQ(LogAndReturn(kStatusFailed, m_logPath.c_str(), 0, u"%s", 7), kStatusFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(LogExists());
}

TEST_F(UtilsLogTest, PercentSignsReachTheFileUnchanged)
{
    testing::internal::CaptureStderr();
    Log(m_logPath.c_str(), 1, u"# 100%% of %s\n", u"file%d%s.png");
    EXPECT_EQ(LogAndReturn(kStatusFileNotOpened, m_logPath.c_str(), 1, u"# Missing file: %s\n", u"a%n%s"),
              kStatusFileNotOpened);
    const std::string expected = "# 100% of file%d%s.png\n# Missing file: a%n%s\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
    EXPECT_EQ(ReadLog(), expected);
}

TEST_F(UtilsLogTest, LinesAreAppendedAsUtf8)
{
    testing::internal::CaptureStderr();
    Log(m_logPath.c_str(), 1, u"# Caf\u00E9 %d\n", 1);
    Log(m_logPath.c_str(), 1, u"# %S\n", "two");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadLog(), "# Caf\xC3\xA9 1\n# two\n");
}

TEST_F(UtilsLogTest, LongLinesAreCut)
{
    std::u16string longText(5000, u'x');
    testing::internal::CaptureStderr();
    Log(m_logPath.c_str(), 1, u"%s", longText.c_str());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadLog(), std::string(kLogLineCapacity - 1, 'x'));
}

TEST_F(UtilsLogTest, NoFileWithoutPathOrWhenItCannotBeOpened)
{
    testing::internal::CaptureStderr();
    Log(nullptr, 1, u"a\n");
    Log(u"", 1, u"b\n");
    const std::u16string unreachable = UtilsString_FromUtf8((m_root + "/missing/folder/game.log").c_str());
    Log(unreachable.c_str(), 1, u"c\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "a\nb\nc\n");
    EXPECT_FALSE(LogExists());
}
