#include "VornelPlatform/PlatformUser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestSystem.h"

namespace {

// Sets or clears an environment variable for one test and puts it back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        TestSystem_SetEnv(name, value);
    }
    ~ScopedEnv()
    {
        TestSystem_SetEnv(m_name, m_had ? m_old.c_str() : nullptr);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

}  // namespace

TEST(PlatformUser, DataFolderFollowsXdgDataHomeThenHome)
{
    char buffer[256];
    {
        ScopedEnv data("XDG_DATA_HOME", "/srv/data");
        ASSERT_TRUE(Platform_GetUserDataFolder(buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "/srv/data/");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
        ScopedEnv home("HOME", "/home/player");
        ASSERT_TRUE(Platform_GetUserDataFolder(buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "/home/player/.local/share/");
    }
    {
        ScopedEnv data("XDG_DATA_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        EXPECT_FALSE(Platform_GetUserDataFolder(buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "");
    }
}

#ifdef _WIN32
TEST(PlatformUser, DataFolderFollowsAppDataThenTheUsersApplicationDataFolder)
{
    char buffer[1024];
    {
        const std::string scratch = TestSystem_MakeTempFolder("vornel_appdata");
        ASSERT_FALSE(scratch.empty());
        ScopedEnv data("APPDATA", scratch.c_str());
        ASSERT_TRUE(Platform_GetUserDataFolder(buffer, sizeof buffer));
        EXPECT_EQ(std::string(buffer), scratch + "\\");
        std::filesystem::remove(std::filesystem::u8path(scratch));
    }
    {
        // A value longer than any path the system takes is refused, not cut.
        const std::string tooLong = "C:\\" + std::string(300, 'x');
        ScopedEnv data("APPDATA", tooLong.c_str());
        EXPECT_FALSE(Platform_GetUserDataFolder(buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "");
    }
    ScopedEnv data("APPDATA", nullptr);
    ASSERT_TRUE(Platform_GetUserDataFolder(buffer, sizeof buffer));
    const std::string folder = buffer;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(folder)));
}
#endif

TEST(PlatformUser, DataFolderTooLongForTheBufferIsRefused)
{
#ifdef _WIN32
    ScopedEnv data("APPDATA", "D:\\player");
    const char* const expected = "D:\\player\\";
#else
    ScopedEnv data("XDG_DATA_HOME", "/srv/data");
    const char* const expected = "/srv/data/";
#endif
    char exact[11];  // the folder, its separator and the terminator
    ASSERT_TRUE(Platform_GetUserDataFolder(exact, sizeof exact));
    EXPECT_STREQ(exact, expected);
    char shortBuffer[10];
    EXPECT_FALSE(Platform_GetUserDataFolder(shortBuffer, sizeof shortBuffer));
    EXPECT_STREQ(shortBuffer, "");
    EXPECT_FALSE(Platform_GetUserDataFolder(nullptr, 10));
}

TEST(PlatformUser, LocalesGiveWindowsLanguageIds)
{
    struct Case {
        const char* locale;
        uint16_t id;
    };
    const Case cases[] = {
        {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},      {"fr_FR.UTF-8", 0x040C},
        {"fr_CA", 0x0C0C},       {"de_DE@euro", 0x0407}, {"de_AT", 0x0C07},
        {"es_ES", 0x0C0A},       {"es_MX", 0x080A},      {"it", 0x0410},
        {"ja_JP", 0x0411},       {"zh_CN", 0x0804},      {"zh_TW", 0x0404},
        {"ko_KR", 0x0412},       {"ru_RU", 0x0419},      {"nl_NL", 0x0413},
        {"pt_PT", 0x0816},       {"pt_BR", 0x0416},      {"pt-BR", 0x0416},
        {"sv_SE", 0x041D},       {"th_TH", 0x041E},      {"vi_VN", 0x042A},
        {"id_ID", 0x0421},       {"tr_TR", 0x041F},      {"C", 0x0409},
        {"POSIX", 0x0409},       {"C.UTF-8", 0x0409},    {"", 0x0409},
        {"xx_YY", 0x0409},       {"e", 0x0409},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform_LanguageIdFromLocale(c.locale), c.id) << c.locale;
    EXPECT_EQ(Platform_LanguageIdFromLocale(nullptr), 0x0409);
}

TEST(PlatformUser, SystemLanguageReadsLcAllFirst)
{
    ScopedEnv all("LC_ALL", "fr_FR.UTF-8");
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(Platform_GetSystemLanguageId(), 0x040C);
    ScopedEnv clearAll("LC_ALL", nullptr);
    ScopedEnv messages("LC_MESSAGES", nullptr);
    EXPECT_EQ(Platform_GetSystemLanguageId(), 0x0407);
    ScopedEnv posix("LANG", "C");
    EXPECT_EQ(Platform_GetSystemLanguageId(), 0x0409);
}
