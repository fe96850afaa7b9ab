// The rules every audio module keeps, seen through CAudioEngine and CAudioObject alone. The same
// program is built for each module: the module's own test file starts its engine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "VornelUtils/AudioEngine.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint32_t kRate = 44100;

class AudioModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_data.reset(new WorldData{});
        m_data->dataPathWord = -1;
        m_engine.reset(StartTestAudioEngine(m_data.get()));
        ASSERT_NE(m_engine, nullptr);
    }
    void TearDown() override
    {
        if (m_engine)
            m_engine->Release();
    }

    CAudioObject* Load(uint16_t channels, uint32_t creation = 0, uint32_t play = 0)
    {
        const std::string path = m_folder.Write("s" + std::to_string(m_count++) + ".wav",
                                                PcmWave(channels, kRate, Tone(channels, kRate, 441, 0.2, 0.5)));
        CAudioObject* sound = m_engine->CreateObject(creation, play);
        EXPECT_NE(sound, nullptr);
        if (sound)
            m_status = sound->LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str(), 0);
        return sound;
    }

    std::unique_ptr<WorldData> m_data;
    std::unique_ptr<CAudioEngine> m_engine;
    ScratchFolder m_folder;
    int m_count = 0;
    Status m_status = kStatusOk;
};

TEST_F(AudioModuleTest, VolumeIsReportedInHundredthsOfADecibel)
{
    CAudioObject* sound = Load(1);
    ASSERT_EQ(m_status, kStatusOk);
    const struct {
        float volume;
        int32_t attenuation;
    } curve[] = {{1.5f, 0}, {1.0f, 0}, {0.5f, -312}, {0.25f, -1767}, {0.0f, -10000}, {-1.0f, -10000}};
    for (const auto& c : curve) {
        ASSERT_EQ(sound->SetVolume(c.volume), kStatusOk) << c.volume;
        EXPECT_FLOAT_EQ(sound->GetVolume(), 1.0f + 0.0005f * float(c.attenuation)) << c.volume;
    }
}

TEST_F(AudioModuleTest, PanIsClampedAndThreeDimensionalSoundsHaveNone)
{
    for (uint16_t channels : {1, 2}) {
        SCOPED_TRACE(channels);
        CAudioObject* sound = Load(channels);
        const struct {
            float pan, reported;
        } cases[] = {{-1.0f, -1.0f}, {0.0f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {2.0f, 1.0f}, {-3.0f, -1.0f}};
        for (const auto& c : cases) {
            ASSERT_EQ(sound->SetPan(c.pan), kStatusOk) << c.pan;
            EXPECT_FLOAT_EQ(sound->GetPan(), c.reported) << c.pan;
        }
        // A 2D sound's 3D position pans it by x.
        ASSERT_EQ(sound->Set3DPosition(0.5f, 3.0f, 7.0f), kStatusOk);
        EXPECT_FLOAT_EQ(sound->GetPan(), 0.5f);
    }
    CAudioObject* mono3D = Load(1, kAudioCreate3D);
    ASSERT_TRUE(mono3D->IsLoaded());
    EXPECT_EQ(mono3D->SetPan(1.0f), kStatusOk);
    EXPECT_FLOAT_EQ(mono3D->GetPan(), 0.0f);
    EXPECT_EQ(mono3D->Set3DPosition(-5.0f, 0.0f, 1.0f), kStatusOk);
    EXPECT_EQ(mono3D->Set3DVelocity(0.0f, 0.0f, 300.0f), kStatusOk);

    CAudioObject* stereo3D = Load(2, kAudioCreate3D);
    EXPECT_EQ(m_status, kStatusFailed);
    EXPECT_FALSE(stereo3D->IsLoaded());
    EXPECT_EQ(stereo3D->Play(), kStatusOk);  // does nothing
    EXPECT_FALSE(stereo3D->IsPlaying());
}

TEST_F(AudioModuleTest, SpeedIsAFrequencyOver44100)
{
    CAudioObject* sound = Load(1);
    EXPECT_FLOAT_EQ(sound->GetSpeed(), 1.0f);
    ASSERT_EQ(sound->SetSpeed(0.5f), kStatusOk);
    EXPECT_FLOAT_EQ(sound->GetSpeed(), 0.5f);
    EXPECT_EQ(sound->SetSpeed(-1.0f), kStatusFailed);
    EXPECT_EQ(sound->SetSpeed(5.0f), kStatusFailed);  // above 200000 Hz
    EXPECT_FLOAT_EQ(sound->GetSpeed(), 0.5f);
    ASSERT_EQ(sound->SetSpeed(0.0f), kStatusOk);  // the sound's own rate
    EXPECT_FLOAT_EQ(sound->GetSpeed(), 1.0f);
}

TEST_F(AudioModuleTest, LoopingIsAPlayFlag)
{
    CAudioObject* sound = Load(1, 0, kAudioPlayLooping);
    EXPECT_TRUE(sound->IsLooping());
    sound->SetLooping(false);
    EXPECT_FALSE(sound->IsLooping());
    EXPECT_EQ(sound->GetPlayFlags() & kAudioPlayLooping, 0u);
}

TEST_F(AudioModuleTest, StreamChunksMustMatchTheStream)
{
    CAudioObject* stream = m_engine->CreateObject(0, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->UpdateAudioFromRaw(1, kRate, 10, std::vector<int16_t>(10).data()), kStatusFailed);  // no stream
    ASSERT_EQ(stream->CreateStream(1, kRate, 0, 0, u"videos\\intro.ogv"), kStatusOk);
    EXPECT_EQ(std::u16string(stream->GetName()), u"intro.ogv");
    EXPECT_EQ(stream->GetRingSeconds(), 4u);
    EXPECT_TRUE(stream->IsLoaded());
    const std::vector<int16_t> tooLong(size_t(kRate) * 5, 0);
    // A chunk longer than the ring is cut to one ring.
    EXPECT_EQ(stream->UpdateAudioFromRaw(1, kRate, uint32_t(tooLong.size()), tooLong.data()), kStatusOk);
    EXPECT_EQ(stream->UpdateAudioFromRaw(2, kRate, 10, tooLong.data()), kStatusFailed);
    EXPECT_EQ(stream->UpdateAudioFromRaw(1, kRate / 2, 10, tooLong.data()), kStatusFailed);
    EXPECT_EQ(stream->UpdateAudioFromRaw(1, kRate, 10, nullptr), kStatusFailed);
    EXPECT_EQ(stream->UpdateAudioFromRaw(1, kRate, 0, tooLong.data()), kStatusOk);
    for (const uint32_t channels : {0u, 3u})
        EXPECT_EQ(stream->CreateStream(channels, kRate, 0, 0, nullptr), kStatusFailed) << channels;
    EXPECT_FALSE(stream->IsLoaded());
}

TEST_F(AudioModuleTest, EngineKeepsTheSoundsItMade)
{
    CAudioObject* sound = m_engine->CreateObject(0, 0);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(m_engine->GetObjectCount(), 1u);
    EXPECT_EQ(sound->LoadFromFile(u"/nonexistent/sound.wav", 0), kStatusFailed);
    EXPECT_FALSE(sound->IsLoaded());
    EXPECT_EQ(std::u16string(sound->GetName()), u"sound.wav");
    EXPECT_EQ(sound->Stop(), kStatusOk);
    EXPECT_EQ(sound->Pause(), kStatusOk);
    EXPECT_EQ(sound->SetVolume(0.5f), kStatusOk);
    EXPECT_EQ(sound->GetPositionMs(), 0u);
    EXPECT_FALSE(sound->IsPlaying());

    std::unique_ptr<CAudioObject> stranger(MakeLooseTestSound(m_data.get()));
    EXPECT_EQ(m_engine->ReleaseObject(stranger.get()), kStatusOk);
    EXPECT_EQ(m_engine->ReleaseObject(nullptr), kStatusFailed);
    EXPECT_EQ(m_engine->ReleaseObject(sound), kStatusOk);
    EXPECT_EQ(m_engine->GetObjectCount(), 0u);

    // Sounds left at release go with the engine; the device record stays where it was.
    void* const block = m_data->pAudioBlock;
    EXPECT_NE(block, nullptr);
    Load(1)->Play();
    m_engine->Release();
    EXPECT_EQ(m_engine->GetObjectCount(), 0u);
    EXPECT_EQ(m_data->pAudioBlock, block);
    m_engine.reset();
    EXPECT_EQ(m_data->pAudioBlock, nullptr);
}

}  // namespace
