#include "VornelPlatform/PlatformFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include "TestSystem.h"

namespace {

// A scratch folder with Data/Sub/File.TXT holding "hello".
class PlatformFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = TestSystem_MakeTempFolder("vornel_file_");
        ASSERT_FALSE(m_root.empty());
        ASSERT_EQ(TestSystem_MakeFolder(m_root + "/Data"), 0);
        ASSERT_EQ(TestSystem_MakeFolder(m_root + "/Data/Sub"), 0);
        std::FILE* f = std::fopen((m_root + "/Data/Sub/File.TXT").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("hello", f);
        std::fclose(f);
    }

    void TearDown() override
    {
        EXPECT_TRUE(TestSystem_RemoveTree(m_root));
    }

    std::string ReadAll(std::FILE* f)
    {
        std::string text;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            text.push_back(static_cast<char>(c));
        std::fclose(f);
        return text;
    }

    std::string m_root;
};

} // namespace

TEST_F(PlatformFileTest, BackslashesBecomeSlashes)
{
    std::FILE* f = Platform_OpenFile((m_root + "\\Data\\Sub\\File.TXT").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadAll(f), "hello");
}

TEST_F(PlatformFileTest, ReadingFallsBackToCaseBlindMatch)
{
    const char* spellings[] = {"/data/sub/file.txt", "\\DATA\\SUB\\FILE.txt", "/Data//sub/./File.txt"};
    for (const char* spelling : spellings) {
        std::FILE* f = Platform_OpenFile((m_root + spelling).c_str(), "rb");
        ASSERT_NE(f, nullptr) << spelling;
        EXPECT_EQ(ReadAll(f), "hello");
        EXPECT_TRUE(Platform_FileExists((m_root + spelling).c_str())) << spelling;
    }
}

TEST_F(PlatformFileTest, RelativePathsResolveFromWorkingFolder)
{
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(::chdir(m_root.c_str()), 0);
    std::FILE* f = Platform_OpenFile("data\\SUB\\file.txt", "r");
    EXPECT_NE(f, nullptr);
    if (f)
        std::fclose(f);
    ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(PlatformFileTest, MissingFilesAndFolders)
{
    EXPECT_EQ(Platform_OpenFile((m_root + "/Data/Sub/Other.txt").c_str(), "rb"), nullptr);
    EXPECT_EQ(Platform_OpenFile((m_root + "/Nowhere/File.TXT").c_str(), "rb"), nullptr);
    EXPECT_FALSE(Platform_FileExists((m_root + "/Data/Sub/Other.txt").c_str()));
    // A folder is not a file.
    EXPECT_EQ(Platform_OpenFile((m_root + "/Data/Sub").c_str(), "rb"), nullptr);
    EXPECT_FALSE(Platform_FileExists((m_root + "/data").c_str()));
    EXPECT_EQ(Platform_OpenFile(nullptr, "rb"), nullptr);
    EXPECT_EQ(Platform_OpenFile("x", nullptr), nullptr);
    EXPECT_EQ(Platform_OpenFile("", "rb"), nullptr);
    EXPECT_FALSE(Platform_FileExists(nullptr));
}

TEST_F(PlatformFileTest, WritingUsesTheExactName)
{
    std::FILE* f = Platform_OpenFile((m_root + "\\Data\\Sub\\file.txt").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("new", f);
    std::fclose(f);
    struct stat info;
    EXPECT_EQ(::stat((m_root + "/Data/Sub/file.txt").c_str(), &info), 0);
    f = Platform_OpenFile((m_root + "/Data/Sub/File.TXT").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadAll(f), "hello");
    // Appending creates the file where asked.
    f = Platform_OpenFile((m_root + "\\Data\\log.txt").c_str(), "a");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(Platform_FileExists((m_root + "/Data/log.txt").c_str()));
}
