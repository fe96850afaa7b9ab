#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "FakeAudio.h"
#include "ToolBoxTestWorld.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "Vornel3D_ToolBox/CSoundsManager.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsString.h"
#include "TestSystem.h"

namespace {

// A world with the fake audio engine over a data folder holding "theme.wav" and "other.wav".
class SoundManagers : public ::testing::Test {
protected:
    void SetUp() override
    {
        CFakeAudioEngine::failCreate = false;
        m_folder = TestSystem_MakeTempFolder("vornel_music_");
        ASSERT_FALSE(m_folder.empty());
        for (const char* name : {"theme.wav", "other.wav"})
            if (std::FILE* f = std::fopen((m_folder + "/" + name).c_str(), "wb"))
                std::fclose(f);
    }
    void TearDown() override
    {
        if (m_world)
            m_world->Unload();
        std::remove((m_folder + "/theme.wav").c_str());
        std::remove((m_folder + "/other.wav").c_str());
        rmdir(m_folder.c_str());
    }

    // Loads the world with this application settings text; with audio unless told otherwise.
    void LoadWorld(const std::string& settings, bool withAudio = true)
    {
        m_settingsText = settings;
        m_settings.reset(new UtilsParameters_Text(m_settingsText.data(), uint32_t(m_settingsText.size())));
        m_world.reset(new CTestManagedWorld());
        m_world->audioModule = withAudio ? CreateFakeAudioEngine : nullptr;
        ASSERT_EQ(m_world->SetParameters(nullptr, m_settings.get(), nullptr, nullptr, 0, nullptr, nullptr), kStatusOk);
        const std::u16string dataPath = UtilsString_FromUtf8((m_folder + "/").c_str());
        m_world->SetApplicationParameters(0, u"K", u"App", dataPath.c_str(), -1);
        ASSERT_EQ(m_world->LoadWithEngine(5, 1024, 768, 0xFFFF, 0xFFFF), kStatusOk);
    }
    CFakeSound* Sound() { return static_cast<CFakeSound*>(m_world->GetMusicManager()->GetSound()); }
    void Frames(CMusicManager* music, int count, float speed)
    {
        for (int i = 0; i < count; ++i) {
            m_world->GetWorldData()->frameTime = 1.0;
            music->Update(speed);
        }
    }

    std::string m_folder;
    std::string m_settingsText;
    std::unique_ptr<UtilsParameters_Text> m_settings;
    std::unique_ptr<CTestManagedWorld> m_world;
};

TEST_F(SoundManagers, FactoriesNeedAnAudioEngine)
{
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = theme.wav\n", false);
    EXPECT_EQ(m_world->CreateSoundsManager(), kStatusOk);
    EXPECT_EQ(m_world->CreateMusicManager(), kStatusOk);
    EXPECT_EQ(m_world->GetSoundsManager(), nullptr);
    EXPECT_EQ(m_world->GetMusicManager(), nullptr);
}

TEST_F(SoundManagers, MusicOfTheSettingsPlaysAtLoad)
{
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = theme.wav\n");
    ASSERT_EQ(m_world->CreateMusicManager(), kStatusOk);
    CMusicManager* music = m_world->GetMusicManager();
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(std::u16string(music->GetMusicName()), u"theme.wav");
    EXPECT_TRUE(Sound()->loaded);
    EXPECT_TRUE(Sound()->looping);
    EXPECT_EQ(std::u16string(Sound()->GetName()), u"theme.wav");
    EXPECT_FLOAT_EQ(music->GetLevel(), 1.0f);
    EXPECT_TRUE(music->IsFadingIn());
    EXPECT_FLOAT_EQ(Sound()->volume, 1.0f);
    // The level is already full: the first frame only starts nothing new.
    Frames(music, 1, 1.0f / 30);
    EXPECT_FALSE(Sound()->playing);

    // The same file again: no load, only the level back to full.
    EXPECT_EQ(music->Play(u"musics/theme.wav", 0, 1), kStatusOk);
    EXPECT_EQ(Sound()->loads, 1);
    EXPECT_EQ(music->Play(u"", 0, 0), kStatusOk);
    EXPECT_EQ(Sound()->loads, 1);

    // A second factory call replaces the manager; unload gives the sound back.
    ASSERT_EQ(m_world->CreateMusicManager(), kStatusOk);
    EXPECT_NE(m_world->GetMusicManager(), nullptr);
    m_world->Unload();
    EXPECT_EQ(m_world->GetMusicManager(), nullptr);
    m_world.reset();
}

TEST_F(SoundManagers, MissingMusicFailsButTheManagerStays)
{
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = missing.wav\n");
    EXPECT_EQ(m_world->CreateMusicManager(), kStatusFailed);
    ASSERT_NE(m_world->GetMusicManager(), nullptr);
    EXPECT_EQ(Sound()->loads, 2);  // tried once more
    EXPECT_EQ(m_world->GetMusicManager()->Play(u"theme.wav", 0, 0), kStatusOk);
    EXPECT_TRUE(Sound()->loaded);
}

TEST_F(SoundManagers, NoSoundMadeMeansNothingIsCalled)
{
    CFakeAudioEngine::failCreate = true;
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = theme.wav\n");
    EXPECT_EQ(m_world->CreateMusicManager(), kStatusFailed);
    CMusicManager* music = m_world->GetMusicManager();
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->GetSound(), nullptr);
    EXPECT_EQ(music->Play(u"other.wav", 0, 1), kStatusFailed);
    EXPECT_TRUE(music->IsDifferent(u"other.wav", 0));
    music->SetVolume(0.5f, 1);
    Frames(music, 3, 0.5f);
    EXPECT_EQ(m_world->GetMusicManager()->Unload(), kStatusOk);

    ASSERT_EQ(m_world->CreateSoundsManager(), kStatusOk);
    CSoundsManager* sounds = m_world->GetSoundsManager();
    EXPECT_EQ(sounds->AddSound(nullptr, 1), kStatusFailed);
    EXPECT_EQ(sounds->GetCount(), 0u);
    EXPECT_FLOAT_EQ(sounds->GetVolume(), 1.0f);
}

TEST_F(SoundManagers, CrossFadeOutThenInOverTwentyFramesEach)
{
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = theme.wav\n");
    ASSERT_EQ(m_world->CreateMusicManager(), kStatusOk);
    CMusicManager* music = m_world->GetMusicManager();
    music->SetVolume(0.8f, 0);
    EXPECT_TRUE(Sound()->playing);

    // A file that is not there is refused before any fade.
    EXPECT_EQ(music->Play(u"nowhere.wav", 0, 1), kStatusFailed);
    EXPECT_TRUE(music->IsFadingIn());
    EXPECT_EQ(music->GetPendingPath()[0], u'\0');

    EXPECT_EQ(music->Play(u"other.wav", 0, 1), kStatusFailed);  // deferred
    EXPECT_FALSE(music->IsFadingIn());
    EXPECT_EQ(std::u16string(UtilsString_GetFileName(music->GetPendingPath())), u"other.wav");
    Frames(music, 19, 0.05f);
    EXPECT_GT(music->GetLevel(), 0.0f);
    EXPECT_NEAR(Sound()->volume, 0.8f * 0.05f, 1e-5);
    EXPECT_EQ(std::u16string(Sound()->GetName()), u"theme.wav");
    Frames(music, 1, 0.05f);
    EXPECT_FLOAT_EQ(music->GetLevel(), 0.0f);
    EXPECT_EQ(std::u16string(Sound()->GetName()), u"other.wav");
    EXPECT_TRUE(music->IsFadingIn());
    EXPECT_EQ(music->GetPendingPath()[0], u'\0');
    Frames(music, 19, 0.05f);
    EXPECT_LT(music->GetLevel(), 1.0f);
    EXPECT_TRUE(Sound()->playing);
    Frames(music, 1, 0.05f);
    EXPECT_FLOAT_EQ(music->GetLevel(), 1.0f);
    EXPECT_FLOAT_EQ(Sound()->volume, 0.8f);

    // A fade-out that lands exactly on 0 switches too.
    EXPECT_EQ(music->Play(u"theme.wav", 0, 1), kStatusFailed);
    Frames(music, 2, 0.5f);
    EXPECT_EQ(std::u16string(Sound()->GetName()), u"theme.wav");
    EXPECT_TRUE(music->IsFadingIn());

    // Without cross-fade the switch is at once, at full level.
    EXPECT_EQ(music->Play(u"other.wav", 0, 0), kStatusOk);
    EXPECT_EQ(std::u16string(Sound()->GetName()), u"other.wav");
    EXPECT_FLOAT_EQ(music->GetLevel(), 1.0f);
}

TEST_F(SoundManagers, VolumeStopsAndStartsTheMusic)
{
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = theme.wav\n");
    ASSERT_EQ(m_world->CreateMusicManager(), kStatusOk);
    CMusicManager* music = m_world->GetMusicManager();
    music->SetVolume(0.6f, 1);
    EXPECT_TRUE(Sound()->playing);
    EXPECT_FLOAT_EQ(Sound()->volume, 0.6f);
    Sound()->volume = 0.0f;
    music->SetVolume(-1.0f, 0);  // keeps 0.6 and applies it again
    EXPECT_FLOAT_EQ(music->GetVolume(), 0.6f);
    EXPECT_FLOAT_EQ(Sound()->volume, 0.6f);
    music->SetVolume(0.0f, 0);
    EXPECT_TRUE(Sound()->playing);
    music->SetVolume(0.0f, 1);
    EXPECT_FALSE(Sound()->playing);
    music->SetVolume(0.3f, 1);
    EXPECT_TRUE(Sound()->playing);
}

TEST_F(SoundManagers, SoundsManagerStopsItsSoundsAtUnload)
{
    LoadWorld("");
    ASSERT_EQ(m_world->CreateSoundsManager(), kStatusOk);
    CSoundsManager* sounds = m_world->GetSoundsManager();
    CAudioEngine* engine = m_world->GetAudioEngine();
    auto* a = static_cast<CFakeSound*>(engine->CreateObject(0, 0));
    auto* b = static_cast<CFakeSound*>(engine->CreateObject(0, 0));
    ASSERT_EQ(sounds->AddSound(a, 1), kStatusOk);
    ASSERT_EQ(sounds->AddSound(b, 2), kStatusOk);
    EXPECT_EQ(sounds->GetEntry(1)->word, 2u);
    EXPECT_EQ(sounds->GetEntry(2), nullptr);
    EXPECT_EQ(sounds->Unload(), kStatusOk);
    EXPECT_EQ(a->stops, 1);
    EXPECT_EQ(b->stops, 1);
    EXPECT_EQ(sounds->GetCount(), 0u);
    EXPECT_EQ(engine->GetObjectCount(), 2u);  // the sounds stay with the engine
}

}  // namespace

// The silence of setMusic(""): no fade brings the music back, the same file played again does.
TEST_F(SoundManagers, StopStaysSilentUntilTheSameMusicIsPlayedAgain)
{
    LoadWorld("[MUSIC]\nMUSIC_FILE_NAME = theme.wav\n");
    ASSERT_EQ(m_world->CreateMusicManager(), kStatusOk);
    CMusicManager* music = m_world->GetMusicManager();
    music->SetVolume(-1.0f, 1);
    ASSERT_TRUE(Sound()->playing);
    // A switch under way is forgotten too.
    EXPECT_EQ(music->Play(u"other.wav", 0, 1), kStatusFailed);
    EXPECT_NE(music->GetPendingPath()[0], 0);
    music->Stop();
    EXPECT_FALSE(Sound()->playing);
    EXPECT_EQ(music->GetLevel(), 0.0f);
    EXPECT_FALSE(music->IsFadingIn());
    EXPECT_EQ(music->GetMusicName()[0], 0);
    EXPECT_EQ(music->GetPendingPath()[0], 0);
    Frames(music, 40, 0.05f);
    EXPECT_FALSE(Sound()->playing);
    EXPECT_EQ(music->Play(u"theme.wav", 0, 1), kStatusOk);
    music->SetVolume(-1.0f, 1);
    EXPECT_TRUE(Sound()->playing);
    EXPECT_EQ(music->GetLevel(), 1.0f);
}
