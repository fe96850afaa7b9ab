// The options file and the per-user folder, each test with a data folder of its own.
#include "NimbrelWorld/CNimbrelWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "NimbrelWorld/UserDataPath.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsScramble.h"
#include "VornelUtils/UtilsString.h"

namespace fs = std::filesystem;

namespace {

// What the game writes for a window, language 1, slot 2, music at 57 % and sounds at 59 %.
const std::string kSavedOptions =
    "\xEF\xBB\xBF"
    "////////////////////////////////////////////////////////////////////////\n\n"
    "[OPTIONS]\n---------\n\n"
    "OPTIONS_VERSION = 20\n\n"
    "ENABLE_FULLSCREEN = 0\n\n"
    "COUNTRY_INDEX = 1\n\n"
    "PROFILE_INDEX = 2\n\n"
    "MUSICS_VOLUME = 57\n\n"
    "SOUNDS_VOLUME = 59\n\n"
    "BRIGHTNESS_VALUE = 127\n\n"
    "////////////////////////////////////////////////////////////////////////\n";

// XDG_DATA_HOME is <scratch>/share (not made yet) and HOME <scratch>/home for each test; both
// are put back afterwards. The game is called "Game".
class Options : public ::testing::Test {
protected:
    void SetUp() override
    {
        Keep("XDG_DATA_HOME", &m_oldData, &m_hadData);
        Keep("HOME", &m_oldHome, &m_hadHome);
        char pattern[] = "/tmp/nimbrel_options_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("XDG_DATA_HOME", (m_root + "/share").c_str(), 1);
        setenv("HOME", (m_root + "/home").c_str(), 1);
        m_world.reset(CreateNimbrelWorld());
        ASSERT_NE(m_world, nullptr);
    }
    void TearDown() override
    {
        Platform_SetSaveHook(nullptr, nullptr);
        m_world.reset();
        Restore("XDG_DATA_HOME", m_oldData, m_hadData);
        Restore("HOME", m_oldHome, m_hadHome);
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    std::string Folder() const { return m_root + "/share/Nimbrel Game"; }
    std::string File() const { return Folder() + "/Game.v3.options.sav"; }

    void WriteOptions(const std::string& bytes) const
    {
        fs::create_directories(Folder());
        std::ofstream(File(), std::ios::binary) << bytes;
    }
    std::string ReadOptionsFile() const
    {
        std::ifstream in(File(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // A world that has read the options file as the program does at start.
    void Load() { ASSERT_EQ(m_world->LoadOptions(u"Game", nullptr, 0, 0, 1), kStatusOk); }
    GameData& Game() { return *m_world->GetGameData(); }
    WorldData& World() { return *m_world->GetWorldData(); }

    std::string m_root;
    std::unique_ptr<CNimbrelWorld> m_world;

private:
    static void Keep(const char* name, std::string* old, bool* had)
    {
        const char* value = std::getenv(name);
        *had = value != nullptr;
        if (value)
            *old = value;
    }
    static void Restore(const char* name, const std::string& old, bool had)
    {
        if (had)
            setenv(name, old.c_str(), 1);
        else
            unsetenv(name);
    }

    std::string m_oldData, m_oldHome;
    bool m_hadData = false, m_hadHome = false;
};

}  // namespace

TEST_F(Options, SavedTextIsExactAndReadsBack)
{
    Load();
    World().fullScreen = 0;
    Game().language = 1;
    Game().profileIndex = 2;
    Game().musicVolume = 0.57f;
    Game().soundsVolume = 0.59f;  // truncated, 58
    Game().brightness = 200;  // the file always holds 127
    ASSERT_EQ(m_world->SaveOptions(), kStatusOk);
    EXPECT_EQ(ReadOptionsFile(), kSavedOptions);
    EXPECT_EQ(fs::directory_iterator(Folder())->path().filename(), "Game.v3.options.sav");

    std::unique_ptr<CNimbrelWorld> next(CreateNimbrelWorld());
    next->GetWorldData()->fullScreen = 1;
    ASSERT_EQ(next->LoadOptions(u"Game", nullptr, 0, 0, 1), kStatusOk);
    EXPECT_EQ(next->GetWorldData()->fullScreen, 0);
    EXPECT_EQ(next->GetGameData()->language, 1);
    EXPECT_EQ(next->GetGameData()->profileIndex, 2);
    EXPECT_FLOAT_EQ(next->GetGameData()->musicVolume, 0.57f);
    EXPECT_FLOAT_EQ(next->GetGameData()->soundsVolume, 0.59f);
    EXPECT_EQ(next->GetGameData()->brightness, 127);
    // Saved again unchanged: no setting drifts from one run to the next.
    ASSERT_EQ(next->SaveOptions(), kStatusOk);
    EXPECT_EQ(ReadOptionsFile(), kSavedOptions);
}

TEST_F(Options, LanguageIsTheStringsManagersOnceThereIsOne)
{
    WriteOptions(kSavedOptions);
    Load();
    ASSERT_EQ(m_world->CreateStringsManager(), kStatusOk);
    m_world->GetStringsManager()->SetLanguage(3);
    ASSERT_EQ(m_world->SaveOptions(), kStatusOk);
    EXPECT_NE(ReadOptionsFile().find("\nCOUNTRY_INDEX = 3\n"), std::string::npos);
}

TEST_F(Options, ValuesAreKeptInTheirRanges)
{
    const struct {
        const char* lines;
        int32_t language, profile;
        float music, sounds;
        uint16_t brightness;
    } cases[] = {
        {"", kLanguageNone, 0, 1.0f, 1.0f, 127},  // a first start: nothing chosen yet
        {"COUNTRY_INDEX = 40\nPROFILE_INDEX = 258\nMUSICS_VOLUME = 150\nSOUNDS_VOLUME = -5\nBRIGHTNESS_VALUE = 300\n",
         16, 2, 1.0f, 0.0f, 255},
        {"COUNTRY_INDEX = -3\nMUSICS_VOLUME = 0\nSOUNDS_VOLUME = 99\nBRIGHTNESS_VALUE = 0\n", 0, 0, 0.0f, 0.99f, 0},
        {"COUNTRY_INDEX = 17\nBRIGHTNESS_VALUE = -1\n", kLanguageNone, 0, 1.0f, 1.0f, 255},
        {"COUNTRY_INDEX = 16\nPROFILE_INDEX = 3\n", 16, 3, 1.0f, 1.0f, 127},
        {"COUNTRY_INDEX = x\nMUSICS_VOLUME = \n", kLanguageNone, 0, 1.0f, 1.0f, 127},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteOptions(std::string("[OPTIONS]\n") + c.lines);
        m_world.reset(CreateNimbrelWorld());
        Load();
        EXPECT_EQ(Game().language, c.language);
        EXPECT_EQ(Game().profileIndex, c.profile);
        EXPECT_FLOAT_EQ(Game().musicVolume, c.music);
        EXPECT_FLOAT_EQ(Game().soundsVolume, c.sounds);
        EXPECT_EQ(Game().brightness, c.brightness);
        EXPECT_EQ(World().fullScreen, 1);
    }
    // A key that is missing keeps what the game record holds.
    WriteOptions("[OPTIONS]\nMUSICS_VOLUME = 20\n");
    Game().language = 4;
    Game().profileIndex = 1;
    Load();
    EXPECT_EQ(Game().language, 4);
    EXPECT_EQ(Game().profileIndex, 1);
}

TEST_F(Options, ScrambledFileReads)
{
    std::string stored(kSavedOptions.size() + kScrambledBlockOverhead, '\0');
    size_t size = 0;
    ASSERT_EQ(ScrambleSettingsBlock(reinterpret_cast<const uint8_t*>(kSavedOptions.data()), kSavedOptions.size(),
                                    kScrambleKey, reinterpret_cast<uint8_t*>(&stored[0]), stored.size(), &size),
              kStatusOk);
    stored.resize(size);
    WriteOptions(stored);
    Load();
    EXPECT_EQ(World().fullScreen, 0);
    EXPECT_EQ(Game().language, 1);
    EXPECT_FLOAT_EQ(Game().musicVolume, 0.57f);
    // The game writes it back plain.
    ASSERT_EQ(m_world->SaveOptions(), kStatusOk);
    EXPECT_EQ(ReadOptionsFile(), kSavedOptions);
}

TEST_F(Options, BusyOrUnreadOptionsWriteNothing)
{
    // A start that failed before the options were read must not replace them with defaults.
    WriteOptions(kSavedOptions);
    EXPECT_EQ(m_world->SaveOptions(), kStatusFailed);
    EXPECT_EQ(m_world->Unload(), kStatusOk);
    EXPECT_EQ(ReadOptionsFile(), kSavedOptions);

    fs::remove_all(m_root + "/share");
    m_world.reset(CreateNimbrelWorld());
    Load();
    Game().busy = 1;
    EXPECT_EQ(m_world->SaveOptionsAndProfile(), kStatusOk);
    EXPECT_FALSE(fs::exists(m_root + "/share"));
    Game().busy = 0;
    EXPECT_EQ(m_world->SaveOptionsAndProfile(), kStatusOk);
    EXPECT_TRUE(fs::exists(File()));
}

TEST_F(Options, UnloadSavesTheDisplayChoice)
{
    WriteOptions(kSavedOptions);
    Load();
    World().fullScreen = 1;  // switched with Alt+Enter during the run
    EXPECT_EQ(m_world->Unload(), kStatusOk);
    EXPECT_NE(ReadOptionsFile().find("\nENABLE_FULLSCREEN = 1\n"), std::string::npos);
}

TEST_F(Options, FailedSaveKeepsTheOldFile)
{
    WriteOptions(kSavedOptions);
    Load();
    World().fullScreen = 1;
    const PlatformSaveStep steps[] = {PlatformSaveStep::kWrite, PlatformSaveStep::kSync, PlatformSaveStep::kRename};
    for (PlatformSaveStep step : steps) {
        static PlatformSaveStep failing;
        failing = step;
        Platform_SetSaveHook([](void*, PlatformSaveStep at, size_t) -> long { return at == failing ? -1 : 0; },
                             nullptr);
        EXPECT_EQ(m_world->SaveOptions(), kStatusFailed) << int(step);
        EXPECT_EQ(m_world->SaveOptionsAndProfile(), kStatusFailed) << int(step);
        EXPECT_EQ(ReadOptionsFile(), kSavedOptions) << int(step);
    }
    Platform_SetSaveHook(nullptr, nullptr);
    // A file where the per-user folder should be.
    fs::remove_all(Folder());
    std::ofstream(Folder()) << "in the way";
    EXPECT_EQ(m_world->SaveOptions(), kStatusFailed);
}

TEST_F(Options, UserPathsAndTheFolderChain)
{
    m_world->SetDataFolder(u"Game", nullptr, 0, 0);
    char16_t path[kWorldTextSize];
    // For reading: the path as the game forms it, and nothing made.
    ASSERT_EQ(m_world->BuildUserDataPath(u"options.sav", 0, u"Nimbrel", path), kStatusOk);
    EXPECT_EQ(UtilsString_ToUtf8(path), m_root + "/share/Nimbrel Game\\Game.v3.options.sav");
    EXPECT_FALSE(fs::exists(m_root + "/share"));
    // For writing: every missing level made, then accepted when it exists.
    std::string written = m_root + "/share/Nimbrel Game/Game.v3.options.sav";
    for (char& ch : written)
        ch = ch == '/' ? '\\' : ch;
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(m_world->BuildUserDataPath(u"options.sav", 1, u"Nimbrel", path), kStatusOk);
        EXPECT_EQ(UtilsString_ToUtf8(path), written);
        EXPECT_TRUE(fs::is_directory(Folder()));
    }
    // Without XDG_DATA_HOME, the folder of the user's home.
    unsetenv("XDG_DATA_HOME");
    ASSERT_EQ(m_world->LoadOptions(u"Game", nullptr, 0, 0, 1), kStatusOk);
    ASSERT_EQ(m_world->SaveOptions(), kStatusOk);
    EXPECT_TRUE(fs::is_regular_file(m_root + "/home/.local/share/Nimbrel Game/Game.v3.options.sav"));
}

TEST_F(Options, OverlongPathIsRefusedAndNothingWritten)
{
    // "/Nimbrel Game\\" and "Game.v3.options.sav" add 33 characters to the data folder.
    const std::string base = m_root + "/";
    const std::string fits = base + std::string(259 - 33 - base.size(), 'd');
    const std::string over = fits + "e";
    setenv("XDG_DATA_HOME", fits.c_str(), 1);
    char16_t path[kWorldTextSize];
    m_world->SetDataFolder(u"Game", nullptr, 0, 0);
    ASSERT_EQ(m_world->BuildUserDataPath(u"options.sav", 0, u"Nimbrel", path), kStatusOk);
    EXPECT_EQ(UtilsString_Length(path), 259u);

    setenv("XDG_DATA_HOME", over.c_str(), 1);
    path[0] = u'x';
    EXPECT_EQ(m_world->BuildUserDataPath(u"options.sav", 1, u"Nimbrel", path), kStatusFailed);
    EXPECT_EQ(path[0], 0);
    Load();  // the defaults
    EXPECT_EQ(World().fullScreen, 1);
    EXPECT_EQ(m_world->SaveOptions(), kStatusFailed);
    EXPECT_FALSE(fs::exists(over));
}

TEST_F(Options, FolderChainChangesThePathInPlace)
{
    const std::string base = m_root + "/chain";
    std::u16string text = UtilsString_FromUtf8((base + "/a/b").c_str());
    char16_t path[kWorldTextSize];
    UtilsString_Copy(path, kWorldTextSize, text.c_str());
    ASSERT_EQ(CreateDirectoryChain(path), kStatusOk);
    std::string expected = base + "/a/b/";
    for (char& ch : expected)
        ch = ch == '/' ? '\\' : ch;
    EXPECT_EQ(UtilsString_ToUtf8(path), expected);
    EXPECT_TRUE(fs::is_directory(base + "/a/b"));

    // A file in the way of a level.
    std::ofstream(base + "/file") << "x";
    text = UtilsString_FromUtf8((base + "/file/c").c_str());
    UtilsString_Copy(path, kWorldTextSize, text.c_str());
    EXPECT_EQ(CreateDirectoryChain(path), kStatusFailed);
    EXPECT_EQ(CreateDirectoryChain(nullptr), kStatusFailed);
}
