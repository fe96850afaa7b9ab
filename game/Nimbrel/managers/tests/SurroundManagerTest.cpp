// The surround sound through OpenAL Soft's loopback device, one frame unit (1/30 s) of the
// mix rendered after each update: ambient commands waiting, rising and falling, the sounds a
// preparation loads and lets go, the click sounds, the substitute of a missing file and
// chunk 180000.
#include "NimbrelManagers/CSurroundManager.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/ObjectLists.h"
#include "NimbrelWorld/GameData.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "VornelAudio/CAudioObjectAL.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFramesPerUnit = kRate / 30;
const BuiltinReport kCaller = {"setSurroundSound", 0, 7};

// A game of three scene objects whose active ones the test chooses, on the test's engine.
class TestSurround : public CSurroundManager {
public:
    TestSurround(WorldData* w, CAudioEngine* engine) : CSurroundManager(w), engine(engine) {}
    CAudioEngine* engine;
    std::vector<uint32_t> active = {1};
    uint32_t objects = 3;

protected:
    CAudioEngine* AudioEngine() const override { return engine; }
    bool SceneObjectCount(uint32_t* pCount) override
    {
        *pCount = objects;
        return true;
    }
    void CollectActiveObjects(std::vector<uint32_t>& numbers) override
    {
        numbers.insert(numbers.end(), active.begin(), active.end());
    }
};

void CaptureTrace(void* context, const BuiltinTrace&, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    static_cast<std::vector<std::string>*>(context)->push_back(text);
}

class SurroundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mkdir((folder.Path() + "/sounds").c_str(), 0700);
        folder.Write("tone.wav", PcmWave(1, kRate, Tone(1, kRate, 441, 5.0, 0.5)));
        folder.Write("default_click.wav", PcmWave(1, kRate, Tone(1, kRate, 1000, 0.2, 0.5)));
        folder.Write("null_click.wav", PcmWave(1, kRate, Tone(1, kRate, 150, 0.2, 0.5)));
        folder.Write("negative_click.wav", PcmWave(1, kRate, Tone(1, kRate, 300, 0.2, 0.5)));
        folder.Write("sounds/null.wav", PcmWave(1, kRate, Tone(1, kRate, 441, 0.1, 0.0)));
        folder.Write("sounds/birds.stream.wav", PcmWave(1, kRate, Tone(1, kRate, 3000, 2.0, 0.5)));
        UtilsString_Copy(data.dataPath, kWorldTextSize, UtilsString_FromUtf8((folder.Path() + "/").c_str()).c_str());
        logPath = folder.Path() + "/game.log";
        UtilsString_Copy(data.logPath, kWorldTextSize, UtilsString_FromUtf8(logPath.c_str()).c_str());
        data.dataPathWord = -1;
        data.frameTime = 1.0;
        game = GameDataCreate();
        game->traceSink = CaptureTrace;
        game->traceContext = &traces;
        data.pGame = game;
        UtilsRandom_Seed(&data, 1);
        UseSettings("[SOUNDS]\nABUSE_CLICK_FILE_NAME =\n");
        engine = std::make_unique<CAudioEngineAL>(&data);
        ASSERT_EQ(engine->InitLoopback(kRate), kStatusOk);
        sounds = std::make_unique<TestSurround>(&data, engine.get());
    }
    void TearDown() override
    {
        sounds.reset();
        engine->Release();
        GameDataFree(game);
        std::error_code error;
        std::filesystem::remove_all(folder.Path(), error);
    }
    void UseSettings(const std::string& text)
    {
        settingsText = text;
        settings = std::make_unique<UtilsParameters_Text>(settingsText.data(), uint32_t(settingsText.size()));
        data.pAppSettings = settings.get();
    }

    // The mix of the next frame unit, RMS of its left channel.
    double RenderUnit()
    {
        return LoopbackRms(engine.get(), kFramesPerUnit);
    }
    // One frame unit: the update, then its sound.
    double Step()
    {
        sounds->Update();
        return RenderUnit();
    }
    SurroundSound* Sound(const char* name)
    {
        for (uint32_t i = 0; i < sounds->GetSoundCount(); ++i)
            if (std::string(sounds->GetSound(i)->pName) == name)
                return sounds->GetSound(i);
        return nullptr;
    }
    static int32_t Attenuation(const SurroundSound* sound)
    {
        return static_cast<CAudioObjectAL*>(sound->pAudio)->GetAttenuation();
    }
    std::string Log()
    {
        std::ifstream in(logPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Prepared, with an ambient command of object 1 that starts at the first update.
    SurroundSound* Started(const char* name, const char* words, int32_t loop)
    {
        EXPECT_EQ(sounds->PrepareForRun(), kStatusOk);
        EXPECT_EQ(sounds->ParseCommand(1, kCaller, name, words, loop, 0.0f, 0.0f), kStatusOk);
        EXPECT_EQ(sounds->PrepareAllSounds(), kStatusOk);
        SurroundSound* sound = Sound(name);
        EXPECT_TRUE(sound && sound->pAudio);
        Step();
        EXPECT_TRUE(sound && sound->pAudio && sound->pAudio->IsPlaying());
        return sound;
    }

    ScratchFolder folder;
    WorldData data{};
    GameData* game = nullptr;
    std::string logPath, settingsText;
    std::unique_ptr<UtilsParameters_Text> settings;
    std::unique_ptr<CAudioEngineAL> engine;
    std::unique_ptr<TestSurround> sounds;
    std::vector<std::string> traces;
};

TEST_F(SurroundTest, FadePlayWaitsTwoToFourSecondsRisesInTenUnitsAndWaitsAgain)
{
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "tone.wav", "fade_play,min_time,max_time", 0, 2.0f, 4.0f), kStatusOk);
    // Named here first, the sound is loaded by the next preparation only.
    SurroundSound* tone = Sound("tone.wav");
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ(tone->pAudio, nullptr);
    EXPECT_EQ(tone->loadState, kSurroundRequested);
    ASSERT_EQ(sounds->PrepareAllSounds(), kStatusOk);
    ASSERT_NE(tone->pAudio, nullptr);
    const SurroundCommand& command = sounds->GetObjectRecord(1)->pCommands[0];
    EXPECT_GE(command.countdown, 60.0f);
    EXPECT_LT(command.countdown, 120.0f);

    int units = 0;
    while (!tone->pAudio->IsPlaying() && units < 200) {
        EXPECT_LT(Step(), 1e-4) << "unit " << units;
        ++units;
    }
    EXPECT_GE(units, 60);
    EXPECT_LE(units, 121);
    EXPECT_EQ(tone->state, kSurroundRising);
    // Rising by a tenth a unit, audibly louder each time, full within ten units.
    int32_t previous = Attenuation(tone);
    EXPECT_EQ(previous, -10000);
    int rising = 0;
    while (tone->state == kSurroundRising && rising < 20) {
        Step();
        ++rising;
        EXPECT_GT(Attenuation(tone), previous);
        previous = Attenuation(tone);
    }
    EXPECT_GE(rising, 10);
    EXPECT_LE(rising, 11);
    EXPECT_EQ(tone->state, kSurroundWaiting);
    EXPECT_FLOAT_EQ(tone->level, 1.0f);
    EXPECT_EQ(Attenuation(tone), 0);
    EXPECT_GT(RenderUnit(), 0.1);
    // Not looped: it waits again for two to four seconds.
    EXPECT_GE(command.countdown, 60.0f);
    EXPECT_LT(command.countdown, 120.0f);
}

TEST_F(SurroundTest, FadeStopWhileRisingFallsFromItsCurrentLevel)
{
    SurroundSound* tone = Started("tone.wav", "fade_play,min_time,max_time", 0);
    for (int i = 0; i < 5; ++i)
        Step();
    const float reached = tone->fadeLevel;
    EXPECT_NEAR(reached, 0.5f, 0.01f);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "tone.wav", "fade_stop", 0, 0.0f, 0.0f), kStatusOk);
    EXPECT_EQ(sounds->GetObjectRecord(1)->commandCount, 1u);
    Step();
    EXPECT_EQ(tone->state, kSurroundFalling);
    EXPECT_FLOAT_EQ(tone->level, reached);
    float level = tone->level;
    int falling = 0;
    while (tone->state == kSurroundFalling && falling < 20) {
        Step();
        ++falling;
        EXPECT_LT(tone->level, level);
        level = tone->level;
    }
    EXPECT_LE(falling, 6);
    EXPECT_EQ(tone->state, kSurroundSettled);
    EXPECT_FLOAT_EQ(tone->level, 0.0f);
    Step();
    EXPECT_FALSE(tone->pAudio->IsPlaying());
    EXPECT_LT(RenderUnit(), 1e-4);
}

TEST_F(SurroundTest, ASoundAnotherHolderKeepsFadesOutInsteadOfStopping)
{
    const char* birds = "sounds/birds.stream.wav";
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    ASSERT_EQ(sounds->AddObjectSound(2, birds), kStatusOk);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, birds, "force_play,min_time,max_time,loop", 1, 0.0f, 0.0f), kStatusOk);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "tone.wav", "force_play,min_time,max_time", 0, 0.0f, 0.0f), kStatusOk);
    ASSERT_EQ(sounds->PrepareAllSounds(), kStatusOk);
    Step();
    Step();
    SurroundSound* held = Sound(birds);
    SurroundSound* alone = Sound("tone.wav");
    ASSERT_TRUE(held->pAudio && held->pAudio->IsPlaying() && held->pAudio->IsLooping());
    EXPECT_EQ(held->state, kSurroundSettled);
    ASSERT_TRUE(alone->pAudio && alone->pAudio->IsPlaying());
    const uint32_t objects = engine->GetObjectCount();

    // A level change without object 1: nothing names either sound now.
    sounds->active.clear();
    ASSERT_EQ(sounds->ResetAllSounds(), kStatusOk);
    ASSERT_EQ(sounds->PrepareAllSounds(), kStatusOk);
    EXPECT_EQ(alone->pAudio, nullptr);
    EXPECT_EQ(engine->GetObjectCount(), objects - 1);
    ASSERT_NE(held->pAudio, nullptr);
    EXPECT_EQ(sounds->GetFadingList().GetCount(), 1u);
    for (int i = 0; i < 5; ++i)
        EXPECT_GT(Step(), 0.01);
    EXPECT_NEAR(held->level, 0.5f, 0.01f);
    int units = 5;
    while (held->pAudio->IsPlaying() && units < 30) {
        Step();
        ++units;
    }
    EXPECT_GE(units, 10);
    EXPECT_LE(units, 11);
    EXPECT_EQ(held->state, kSurroundWaiting);
    EXPECT_TRUE(sounds->GetFadingList().IsEmpty());
    EXPECT_LT(RenderUnit(), 1e-4);
}

TEST_F(SurroundTest, AMissingFilePlaysTheNullSoundAndSaysSo)
{
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    const int32_t index = sounds->AddKeptSound("sounds/lost.wav", 1);
    ASSERT_NE(index, kNoSound);
    SurroundSound* sound = sounds->GetSound(uint32_t(index));
    EXPECT_STREQ(sound->pName, "sounds/null.wav");
    ASSERT_NE(sound->pAudio, nullptr);
    EXPECT_TRUE(sound->pAudio->IsLoaded());
    EXPECT_EQ(sounds->PlaySoundIndex(uint32_t(index)), kStatusOk);
    const std::string log = Log();
    EXPECT_NE(log.find("# CSurroundManager::PrepareAllSounds failed! \"sounds/lost.wav\" is missing/badly formatted "
                       "!!!\n# CSurroundManager::PrepareAllSounds substituting \"sounds/null.wav\"\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("substitution failed"), std::string::npos);

    // Without the substitute the preparation fails.
    std::remove((folder.Path() + "/sounds/null.wav").c_str());
    EXPECT_EQ(sounds->AddKeptSound("sounds/gone.wav", 1), kNoSound);
    EXPECT_NE(Log().find("# CSurroundManager::PrepareAllSounds substitution failed! \"sounds/null.wav\" is "
                         "missing/badly formatted !!!\n"),
              std::string::npos);
}

TEST_F(SurroundTest, ClickSoundsAreKeptPlayedAndChangedByName)
{
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    const int32_t defaultClick = sounds->GetClickSound(kClickDefault);
    ASSERT_NE(defaultClick, kNoSound);
    SurroundSound* click = sounds->GetSound(uint32_t(defaultClick));
    EXPECT_STREQ(click->pName, "default_click.wav");
    EXPECT_EQ(click->useCount, 1u);
    EXPECT_TRUE(click->keepLoaded);
    EXPECT_EQ(sounds->PlayDefaultClick(), kStatusOk);
    EXPECT_GT(RenderUnit(), 0.1);

    // The name already set changes nothing.
    EXPECT_EQ(sounds->SetDefaultClickSound("default_click.wav"), kStatusOk);
    EXPECT_EQ(sounds->GetClickSound(kClickDefault), defaultClick);
    EXPECT_EQ(click->useCount, 1u);
    // Another name: held from now on, loaded by the next preparation; the old one let go.
    const uint32_t count = sounds->GetSoundCount();
    EXPECT_EQ(sounds->SetDefaultClickSound("tone.wav"), kStatusOk);
    EXPECT_EQ(sounds->GetSoundCount(), count + 1);
    EXPECT_EQ(click->useCount, 0u);
    SurroundSound* tone = Sound("tone.wav");
    EXPECT_EQ(tone->useCount, 1u);
    EXPECT_EQ(sounds->PlayDefaultClick(), kStatusFailed);
    ASSERT_EQ(sounds->PrepareAllSounds(), kStatusOk);
    EXPECT_EQ(sounds->PlayDefaultClick(), kStatusOk);
    EXPECT_EQ(sounds->SetDefaultClickSound(""), kStatusFailed);

    // An empty abuse click name leaves it unset: playing it fails and sounds nothing.
    EXPECT_EQ(sounds->GetClickSound(kClickAbuse), kNoSound);
    tone->pAudio->Stop();
    click->pAudio->Stop();
    RenderUnit();
    EXPECT_EQ(sounds->PlayAbuseClick(), kStatusFailed);
    EXPECT_LT(RenderUnit(), 1e-4);
}

TEST_F(SurroundTest, ParseCommandStoresOnlyValidCommands)
{
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    EXPECT_EQ(sounds->GetObjectRecord(1), nullptr);
    const struct {
        const char* name;
        const char* words;
        const char* trace;
    } refused[] = {
        {"tone.wav", "fade_play,loop", "looped surround sound name must contains \".stream.\" : \"tone.wav\""},
        {"tone.wav", "min_time,play", "unrecognize command or parameters \"min_time,play\""},
        {"tone.wav", "", "unrecognize command or parameters \"\""},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.words);
        traces.clear();
        EXPECT_EQ(sounds->ParseCommand(1, kCaller, r.name, r.words, 1, 1.0f, 2.0f), kStatusFailed);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_EQ(traces[0], r.trace);
        // The record is made on first use; the refused command is not in it.
        ASSERT_NE(sounds->GetObjectRecord(1), nullptr);
        EXPECT_EQ(sounds->GetObjectRecord(1)->commandCount, 0u);
    }
    EXPECT_FALSE(Sound("tone.wav")->loop);
    // Beyond the game's objects there is no record to make.
    EXPECT_EQ(sounds->ParseCommand(3, kCaller, "tone.wav", "fade_play", 0, 0.0f, 0.0f), kStatusFailed);

    // A looped ".stream." sound is taken; unknown words beside a command are left aside.
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "sounds/birds.stream.wav", "volume,fade_play,loop", 1, 0.0f, 0.0f),
              kStatusOk);
    EXPECT_TRUE(Sound("sounds/birds.stream.wav")->loop);
    EXPECT_EQ(Sound("sounds/birds.stream.wav")->loadState, kSurroundRequested);
    // Until the next preparation loads it, the command runs on a sound without audio.
    for (int i = 0; i < 5; ++i)
        Step();
    EXPECT_EQ(Sound("sounds/birds.stream.wav")->pAudio, nullptr);
    EXPECT_EQ(sounds->PlaySoundIndex(uint32_t(sounds->GetSoundCount() - 1)), kStatusFailed);
}

TEST_F(SurroundTest, WithoutAudioEngineTheGameIsSilentAndEveryPlayFails)
{
    sounds->engine = nullptr;
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    ASSERT_EQ(sounds->AddObjectSound(1, "tone.wav"), kStatusOk);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "tone.wav", "force_play", 0, 0.0f, 0.0f), kStatusOk);
    ASSERT_EQ(sounds->PrepareAllSounds(), kStatusOk);
    sounds->Update();
    EXPECT_EQ(sounds->PlayNullClick(), kStatusFailed);
    EXPECT_EQ(sounds->PlayDefaultClick(), kStatusFailed);
    EXPECT_EQ(sounds->PlayNegativeClick(), kStatusFailed);
    EXPECT_EQ(sounds->PlayAbuseClick(), kStatusFailed);
    EXPECT_EQ(sounds->PlayElementSound(1, 1), kStatusFailed);
    EXPECT_EQ(sounds->PlaySound(1, kCaller, "tone.wav"), kStatusFailed);
    EXPECT_EQ(engine->GetObjectCount(), 0u);
}

TEST_F(SurroundTest, ElementSoundsAndTheirIdsInTheObject)
{
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    const uint32_t id = sounds->SetItemsClickSound(1, "tone.wav");
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(sounds->SetItemsClickSound(1, "tone.wav"), 1u);
    EXPECT_EQ(sounds->SetItemsClickSound(1, "sounds/birds.stream.wav"), 2u);
    EXPECT_EQ(sounds->SetItemsClickSound(1, ""), 0u);
    ASSERT_EQ(sounds->PrepareAllSounds(), kStatusOk);
    EXPECT_EQ(sounds->PlayElementSound(1, id), kStatusOk);
    EXPECT_GT(RenderUnit(), 0.1);
    for (uint32_t wrong : {0u, 3u})
        EXPECT_EQ(sounds->PlayElementSound(1, wrong), kStatusFailed) << wrong;
    EXPECT_EQ(sounds->PlayElementSound(2, 1), kStatusFailed);
    EXPECT_EQ(sounds->PlayElementSound(7, 1), kStatusFailed);
    EXPECT_EQ(sounds->PlaySound(1, kCaller, "tone.wav"), kStatusOk);
    EXPECT_EQ(sounds->PlaySound(1, kCaller, "default_click.wav"), kStatusFailed);
}

TEST_F(SurroundTest, ReleaseStoppedSoundsGivesTheAudioBackAndForgetsIt)
{
    SurroundSound* tone = Started("tone.wav", "force_play,min_time,max_time", 0);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "tone.wav", "fade_stop", 0, 0.0f, 0.0f), kStatusOk);
    const uint32_t objects = engine->GetObjectCount();
    ASSERT_EQ(sounds->ReleaseStoppedSounds(1), kStatusOk);
    EXPECT_EQ(tone->pAudio, nullptr);
    EXPECT_EQ(engine->GetObjectCount(), objects - 1);
    EXPECT_EQ(tone->state, kSurroundSettled);
    // Nothing reaches the given-back object afterwards.
    for (int i = 0; i < 3; ++i)
        EXPECT_LT(Step(), 1e-4);
    EXPECT_EQ(sounds->StopObjectSounds(1), kStatusOk);
    EXPECT_EQ(sounds->PlaySound(1, kCaller, "tone.wav"), kStatusFailed);
}

std::vector<uint8_t> Saved(CSurroundManager& sounds)
{
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    EXPECT_EQ(sounds.SaveToStream(&out), kStatusOk);
    std::vector<uint8_t> bytes(out.GetBlock(), out.GetBlock() + out.GetSize());
    out.Close();
    return bytes;
}

Status Loaded(CSurroundManager& sounds, std::vector<uint8_t> bytes)
{
    UtilsStream_Static in(kStreamRead, bytes.data(), uint32_t(bytes.size()));
    in.Open();
    const Status status = sounds.LoadFromStream(&in);
    in.Close();
    return status;
}

TEST_F(SurroundTest, Chunk180000KeepsTheCommandsAndTheTableAndChecksWhatItHolds)
{
    // A table in which the click sounds stand elsewhere than a fresh preparation puts them.
    ASSERT_EQ(sounds->PrepareForRun(), kStatusOk);
    ASSERT_EQ(sounds->SetNullClickSound("tone.wav"), kStatusOk);
    ASSERT_EQ(sounds->AddObjectSound(1, "sounds/birds.stream.wav"), kStatusOk);
    ASSERT_EQ(sounds->ParseCommand(1, kCaller, "sounds/birds.stream.wav", "fade_play,min_time,max_time,loop", 1, 2.0f,
                                   4.0f),
              kStatusOk);
    const std::vector<uint8_t> bytes = Saved(*sounds);

    TestSurround loaded(&data, engine.get());
    ASSERT_EQ(Loaded(loaded, bytes), kStatusOk);
    EXPECT_EQ(Saved(loaded), bytes);
    ASSERT_EQ(loaded.GetSoundCount(), sounds->GetSoundCount());
    const SurroundCommand& command = loaded.GetObjectRecord(1)->pCommands[0];
    EXPECT_EQ(command.command, kSurroundFadePlay);
    EXPECT_EQ(command.loop, 1);
    EXPECT_FLOAT_EQ(command.countdown, sounds->GetObjectRecord(1)->pCommands[0].countdown);
    EXPECT_EQ(loaded.GetObjectRecord(0), nullptr);
    // The click sounds are found again by the names of the settings.
    for (uint32_t role : {kClickNull, kClickDefault, kClickNegative}) {
        const SurroundSound* click = loaded.GetSound(uint32_t(loaded.GetClickSound(role)));
        ASSERT_NE(click, nullptr);
        EXPECT_STREQ(click->pName, role == kClickNull ? "null_click.wav"
                                   : role == kClickDefault ? "default_click.wav"
                                                           : "negative_click.wav");
    }
    EXPECT_EQ(loaded.GetClickSound(kClickAbuse), kNoSound);
    ASSERT_EQ(loaded.PrepareAllSounds(), kStatusOk);
    EXPECT_EQ(loaded.PlayNullClick(), kStatusOk);

    // Another number of scene objects is another game.
    TestSurround smaller(&data, engine.get());
    smaller.objects = 2;
    EXPECT_EQ(Loaded(smaller, bytes), kStatusMismatch);
    // Object 1's first attached sound and its command's sound outside the table; cut short.
    const size_t soundAt = 4 + 1 + 1 + 4, commandSoundAt = soundAt + 4 + 4 + 13;
    for (size_t at : {soundAt, commandSoundAt}) {
        std::vector<uint8_t> bad = bytes;
        bad[at] = 0x40;
        TestSurround other(&data, engine.get());
        EXPECT_EQ(Loaded(other, bad), kStatusFailed) << at;
    }
    EXPECT_EQ(Loaded(loaded, std::vector<uint8_t>(bytes.begin(), bytes.end() - 3)), kStatusFailed);
}

}  // namespace
