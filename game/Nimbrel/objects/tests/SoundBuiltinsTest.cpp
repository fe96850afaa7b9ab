// The sound, mouse and item-mark builtins: silent successes without audio, the music and the
// click sounds through OpenAL Soft's loopback device, the mouse configuration word, and the
// hintable and roll-over marks of the elements.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "AudioTestSupport.h"
#include "BuiltinFixture.h"
#include "NimbrelManagers/CSurroundManager.h"
#include "Vornel3D_ToolBox/CMusicManager.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "VornelUtils/UtilsParameters.h"

namespace {

// A call record of texts, then numbers, as the call adapter makes it.
ScriptBuiltinCall Record(std::initializer_list<const char*> texts, std::initializer_list<uint32_t> words = {})
{
    ScriptBuiltinCall call{};
    uint32_t i = 0;
    for (const char* text : texts)
        call.arguments[i++] = reinterpret_cast<uintptr_t>(text);
    for (uint32_t word : words)
        call.arguments[i++] = word;
    call.argumentCount = i;
    return call;
}

class SoundBuiltinsTest : public ::testing::Test {
protected:
    ElementRecord* Hall(uint32_t i) { return world.hall->GetItemRecord(i); }

    CBuiltinWorld world;
};

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFramesPerUnit = kRate / 30;

// The fixture's world on a loopback device, with its music and surround managers.
class CAudibleWorld : public CBuiltinWorld {
public:
    explicit CAudibleWorld(const std::string& folder) : m_settingsText(
        "[SOUNDS]\nNULL_CLICK_FILE_NAME = silence.wav\nDEFAULT_CLICK_FILE_NAME = silence.wav\n"
        "NEGATIVE_CLICK_FILE_NAME = silence.wav\nABUSE_CLICK_FILE_NAME =\n")
    {
        WorldData* w = GetWorldData();
        UtilsString_Copy(w->dataPath, kWorldTextSize, UtilsString_FromUtf8((folder + "/").c_str()).c_str());
        m_settings = std::make_unique<UtilsParameters_Text>(m_settingsText.data(), uint32_t(m_settingsText.size()));
        w->pAppSettings = m_settings.get();
        w->frameTime = 1.0;
        m_audio = std::make_unique<CAudioEngineAL>(w);
        engine = m_audio.get();
        EXPECT_EQ(engine->InitLoopback(kRate), kStatusOk);
        m_pAudioEngine = engine;
        EXPECT_EQ(CreateMusicManager(), kStatusOk);
        SetManager(kManagerSurround, new CSurroundManager(w));
    }
    ~CAudibleWorld() override
    {
        SetManager(kManagerSurround, nullptr);
        GetMusicManager()->Unload();
        engine->Release();
        m_pAudioEngine = nullptr;
        GetWorldData()->pAppSettings = nullptr;
    }

    // The mix of the next frame unit, RMS of its left channel.
    double RenderUnit()
    {
        return LoopbackRms(engine, kFramesPerUnit);
    }

    using CNimbrelWorld::PrepareSurroundForRun;

    CAudioEngineAL* engine;

private:
    std::string m_settingsText;
    std::unique_ptr<UtilsParameters_Text> m_settings;
    std::unique_ptr<CAudioEngineAL> m_audio;
};

class AudibleBuiltinsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.Write("silence.wav", PcmWave(1, kRate, Tone(1, kRate, 441, 0.2, 0.0)));
        folder.Write("theme.wav", PcmWave(1, kRate, Tone(1, kRate, 441, 2.0, 0.5)));
        folder.Write("puff.wav", PcmWave(1, kRate, Tone(1, kRate, 300, 0.5, 0.5)));
        world = std::make_unique<CAudibleWorld>(folder.Path());
        world->Build("");
        ASSERT_EQ(world->PrepareSurroundForRun(), kStatusOk);
    }
    void TearDown() override { world.reset(); }

    ScratchFolder folder;
    std::unique_ptr<CAudibleWorld> world;
};

}  // namespace

TEST_F(AudibleBuiltinsTest, MusicStopsForGoodAndTheSameNameStartsItAgain)
{
    CMusicManager* music = world->GetMusicManager();
    auto call = Record({"theme.wav"});
    EXPECT_EQ(world->hall->setMusic(call), kStatusDoneStoreResult);
    EXPECT_GT(world->RenderUnit(), 0.1);
    call = Record({""});
    EXPECT_EQ(world->hall->setMusic(call), kStatusDoneStoreResult);
    for (int i = 0; i < 40; ++i)
        music->Update(0.05f);
    EXPECT_LT(world->RenderUnit(), 1e-4);
    call = Record({"theme.wav"});
    EXPECT_EQ(world->hall->setMusic(call), kStatusDoneStoreResult);
    EXPECT_GT(world->RenderUnit(), 0.1);
}

// The default click is silent here: only the element's own sound is heard.
TEST_F(AudibleBuiltinsTest, AnElementsClickSoundReplacesTheDefaultOneFromItsFirstCall)
{
    auto call = Record({"candle", "puff.wav"});
    EXPECT_EQ(world->hall->setItemsClickSound(call), kStatusDoneStoreResult);
    ASSERT_NE(world->hall->GetItemRecord(1)->clickSound, 0u);
    world->hall->PlayClickSound(world->hall->GetItemRecord(0));
    EXPECT_LT(world->RenderUnit(), 1e-4);
    world->hall->PlayClickSound(world->hall->GetItemRecord(1));
    EXPECT_GT(world->RenderUnit(), 0.1);
    // An ambient sound is loaded as soon as it is asked for, too.
    call = Record({"theme.wav", "force_play"}, {0, 0, 0});
    EXPECT_EQ(world->hall->setSurroundSound(call), kStatusDoneStoreResult);
    CSurroundManager* sounds = world->GetSurroundManager();
    const SurroundSound* theme = sounds->GetSound(uint32_t(sounds->FindOrAddSound("theme.wav")));
    ASSERT_NE(theme, nullptr);
    EXPECT_NE(theme->pAudio, nullptr);
}

// Without an audio engine every sound builtin does nothing and succeeds.
TEST_F(SoundBuiltinsTest, WithoutAudioEverySoundBuiltinIsASilentSuccess)
{
    world.Build("");
    using Builtin = Status (CObjectsBase::*)(ScriptBuiltinCall&);
    const struct {
        Builtin builtin;
        ScriptBuiltinCall call;
    } cases[] = {
        {&CObjectsBase::setMusic, Record({"music/hall.wav"})},
        {&CObjectsBase::setMusic, Record({""})},
        {&CObjectsBase::setNullClickSound, Record({"sounds/null.wav"})},
        {&CObjectsBase::setDefaultClickSound, Record({"sounds/click.wav"})},
        {&CObjectsBase::setNegativeClickSound, Record({"sounds/no.wav"})},
        {&CObjectsBase::setSurroundSound, Record({"sounds/wind.wav", "fade_play"}, {1, 0, 0})},
        {&CObjectsBase::playSound, Record({"sounds/wind.wav"})},
        {&CObjectsBase::setItemsClickSound, Record({"candle", "sounds/candle.wav"})},
        {&CObjectsBase::setCursor, Record({"arrow"})},
    };
    for (auto c : cases)
        EXPECT_EQ((world.hall.get()->*c.builtin)(c.call), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(1)->clickSound, 0u);
}

TEST_F(SoundBuiltinsTest, MouseConfigurationKeepsItsWordOnAnUnknownOne)
{
    world.Build("");
    const struct {
        const char* conf;
        Status status;
        uint32_t word;
    } cases[] = {
        {"lock", kStatusDoneStoreResult, kMouseLock},
        {"drag", kStatusFailed, kMouseLock},
        {"free", kStatusDoneStoreResult, kMouseFree},
        {"FREE", kStatusFailed, kMouseFree},
    };
    for (const auto& c : cases) {
        auto call = Record({c.conf});
        EXPECT_EQ(world.hall->setMouseConfig(call), c.status) << c.conf;
        EXPECT_EQ(world.hall->GetMouseConfig(), c.word) << c.conf;
    }
    EXPECT_EQ(world.traces.back(), ": unrecognized configuration FREE");
}

TEST_F(SoundBuiltinsTest, HintableAndRollOverMarksStayInTheCallingObject)
{
    world.Build("");
    auto call = Record({"key,book"}, {0});
    EXPECT_EQ(world.hall->setItemsRollOverable(call), kStatusDoneStoreResult);
    call = Record({"key,book"}, {0x100});  // only the low byte counts
    EXPECT_EQ(world.hall->setItemsHintable(call), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags & (kElementRollOverDisabled | kElementHintable), kElementRollOverDisabled);
    call = Record({"key"}, {1});
    EXPECT_EQ(world.hall->setItemsHintable(call), kStatusDoneStoreResult);
    EXPECT_EQ(world.hall->setItemsRollOverable(call), kStatusDoneStoreResult);
    EXPECT_EQ(Hall(0)->flags & (kElementRollOverDisabled | kElementHintable), kElementHintable);
    EXPECT_EQ(Hall(1)->flags & (kElementRollOverDisabled | kElementHintable), 0u);

    // An element of another object stops the list; those before it keep their change.
    call = Record({"candle,@frame@edge,book"}, {1});
    EXPECT_EQ(world.hall->setItemsHintable(call), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": Item list must contains only items contained in the current object");
    EXPECT_NE(Hall(1)->flags & kElementHintable, 0u);
    EXPECT_EQ(Hall(2)->flags & kElementHintable, 0u);
}

// The hint's popup is bound only through a loaded hint object at the hint's interface index.
TEST_F(SoundBuiltinsTest, HintPopupNeedsAHintObjectAtTheHintsIndex)
{
    world.Build("");
    auto call = Record({"find_six"});
    EXPECT_EQ(world.hall->setHintPopup(call), kStatusFailed);
    EXPECT_EQ(world.traces.back(), ": no hint object");
    // The bar is an interface, but not the hint.
    world.Objects()->SetInterface(kInterfaceHint, 2);
    world.traces.clear();
    EXPECT_EQ(world.hall->setHintPopup(call), kStatusFailed);
    EXPECT_EQ(world.traces, std::vector<std::string>{": no hint object"});
}
