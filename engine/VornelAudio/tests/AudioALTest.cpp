// The OpenAL sounds measured through a loopback device: what is played is mixed into memory,
// stereo floats at 44100 Hz, and compared with what the rules of the sounds ask. The rules seen
// through the interfaces alone are AudioModuleTest's, which runs on the same loopback engine.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "AudioTestSupport.h"
#include "VornelAudio/CAudioEngineAL.h"
#include "VornelAudio/CAudioObjectAL.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

CAudioEngine* StartTestAudioEngine(WorldData* pWorldData)
{
    auto* engine = new CAudioEngineAL(pWorldData);
    if (Failed(engine->InitLoopback(44100))) {
        delete engine;
        return nullptr;
    }
    return engine;
}

CAudioObject* MakeLooseTestSound(WorldData* pWorldData)
{
    return new CAudioObjectAL(pWorldData, 0, 0);
}

namespace {

constexpr uint32_t kRate = 44100;
// Gain changes reach full effect after a short ramp: measurements start past it.
constexpr uint32_t kRampFrames = 2048;

struct Levels {
    double left = 0, right = 0;
};

class AudioALTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_data.reset(new WorldData{});
        m_data->dataPathWord = -1;
        m_engine.reset(new CAudioEngineAL(m_data.get()));
        ASSERT_EQ(m_engine->InitLoopback(kRate), kStatusOk);
        ASSERT_EQ(m_data->pAudioBlock, static_cast<void*>(m_engine->GetWorldData()->pAudioBlock));
    }
    void TearDown() override
    {
        if (m_engine)
            m_engine->Release();
    }

    std::vector<float> Render(uint32_t frames)
    {
        std::vector<float> out(size_t(frames) * 2);
        m_engine->RenderLoopback(out.data(), frames);
        return out;
    }
    static Levels Rms(const std::vector<float>& stereo)
    {
        Levels l;
        const size_t frames = stereo.size() / 2;
        for (size_t i = 0; i < frames; ++i) {
            l.left += double(stereo[2 * i]) * stereo[2 * i];
            l.right += double(stereo[2 * i + 1]) * stereo[2 * i + 1];
        }
        l.left = std::sqrt(l.left / frames);
        l.right = std::sqrt(l.right / frames);
        return l;
    }
    // Sign changes of the left channel per second.
    static double Frequency(const std::vector<float>& stereo)
    {
        const size_t frames = stereo.size() / 2;
        int crossings = 0;
        for (size_t i = 1; i < frames; ++i)
            if ((stereo[2 * i - 2] < 0) != (stereo[2 * i] < 0))
                ++crossings;
        return crossings / 2.0 / (double(frames) / kRate);
    }
    // A sound loaded from a WAV file of these samples.
    CAudioObject* Load(const std::vector<int16_t>& samples, uint16_t channels, uint32_t creation = 0,
                       uint32_t play = 0)
    {
        const std::string path = m_folder.Write("s" + std::to_string(m_count++) + ".wav", PcmWave(channels, kRate, samples));
        CAudioObject* sound = m_engine->CreateObject(creation, play);
        EXPECT_NE(sound, nullptr);
        if (sound) {
            EXPECT_EQ(sound->LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str(), 0), kStatusOk);
        }
        return sound;
    }
    // What a sound renders after Play, past the ramp.
    std::vector<float> Played(CAudioObject* sound, uint32_t frames = 8192)
    {
        EXPECT_EQ(sound->Play(), kStatusOk);
        Render(kRampFrames);
        return Render(frames);
    }
    Levels PlayedLevels(CAudioObject* sound) { return Rms(Played(sound)); }

    std::unique_ptr<WorldData> m_data;
    std::unique_ptr<CAudioEngineAL> m_engine;
    ScratchFolder m_folder;
    int m_count = 0;
};

TEST_F(AudioALTest, VolumeFollowsTheHundredthsOfADecibel)
{
    CAudioObject* sound = Load(Tone(1, kRate, 441, 1.0, 0.5), 1);
    ASSERT_TRUE(sound->IsLoaded());
    const Levels full = PlayedLevels(sound);
    ASSERT_GT(full.left, 0.05);

    ASSERT_EQ(sound->SetVolume(0.5f), kStatusOk);
    EXPECT_EQ(static_cast<CAudioObjectAL*>(sound)->GetAttenuation(), -312);
    EXPECT_FLOAT_EQ(sound->GetVolume(), 1.0f - 0.0005f * 312);
    // Play keeps the volume that was set.
    const Levels half = PlayedLevels(sound);
    EXPECT_NEAR(half.left / full.left, std::pow(10.0, -312 / 2000.0), 0.005);
    EXPECT_EQ(static_cast<CAudioObjectAL*>(sound)->GetAttenuation(), -312);

    sound->SetVolume(0.0f);
    EXPECT_EQ(static_cast<CAudioObjectAL*>(sound)->GetAttenuation(), -10000);
    EXPECT_LT(PlayedLevels(sound).left, 1e-4);
}

TEST_F(AudioALTest, PanPlacesTheSoundBetweenTheEars)
{
    for (uint16_t channels : {1, 2}) {
        SCOPED_TRACE(channels);
        CAudioObject* sound = Load(Tone(channels, kRate, 441, 1.0, 0.5), channels);
        const struct {
            float pan;
            float reported;
        } cases[] = {{-1.0f, -1.0f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {2.0f, 1.0f}};
        for (const auto& c : cases) {
            ASSERT_EQ(sound->SetPan(c.pan), kStatusOk);
            const Levels l = PlayedLevels(sound);
            if (c.reported < 0)
                EXPECT_GT(l.left, 4 * l.right) << c.pan;
            else if (c.reported > 0)
                EXPECT_GT(l.right, 4 * l.left) << c.pan;
            else
                EXPECT_NEAR(l.left / l.right, 1.0, 0.01);
        }
        m_engine->ReleaseObject(sound);
    }
}

TEST_F(AudioALTest, SpeedIsAFrequencyOver44100)
{
    CAudioObject* sound = Load(Tone(1, kRate, 1000, 1.0, 0.5), 1);
    EXPECT_NEAR(Frequency(Played(sound, 16384)), 1000, 10);
    ASSERT_EQ(sound->SetSpeed(0.5f), kStatusOk);
    EXPECT_NEAR(Frequency(Played(sound, 16384)), 500, 10);
}

TEST_F(AudioALTest, LoopingPlaysOnAndOnce)
{
    const std::vector<int16_t> shortTone = Tone(1, kRate, 441, 0.1, 0.5);
    CAudioObject* once = Load(shortTone, 1);
    ASSERT_EQ(once->Play(), kStatusOk);
    Render(kRate / 5);
    EXPECT_FALSE(once->IsPlaying());
    EXPECT_LT(Rms(Render(4096)).left, 1e-6);

    CAudioObject* looping = Load(shortTone, 1, 0, kAudioPlayLooping);
    EXPECT_TRUE(looping->IsLooping());
    ASSERT_EQ(looping->Play(), kStatusOk);
    Render(kRate / 5);
    EXPECT_TRUE(looping->IsPlaying());
    EXPECT_GT(Rms(Render(4096)).left, 0.05);
    // Looping switched off while playing: the sound ends at its end.
    looping->SetLooping(false);
    EXPECT_FALSE(looping->IsLooping());
    Render(kRate / 5);
    EXPECT_FALSE(looping->IsPlaying());
}

TEST_F(AudioALTest, PlayAndStopRewindPauseKeepsThePosition)
{
    // Six seconds of stereo: more than one piece of the load.
    CAudioObject* sound = Load(Tone(2, kRate, 441, 6.0, 0.5), 2);
    EXPECT_EQ(sound->GetPositionMs(), 0u);
    ASSERT_EQ(sound->Play(), kStatusOk);
    Render(kRate / 2);
    EXPECT_EQ(sound->GetPositionMs(), 500u);
    ASSERT_EQ(sound->Pause(), kStatusOk);
    Render(kRate / 4);
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(sound->GetPositionMs(), 500u);
    EXPECT_LT(Rms(Render(4096)).left, 1e-6);
    ASSERT_EQ(sound->Play(), kStatusOk);
    EXPECT_EQ(sound->GetPositionMs(), 0u);
    Render(kRate / 4);
    EXPECT_EQ(sound->GetPositionMs(), 250u);
    ASSERT_EQ(sound->Stop(), kStatusOk);
    EXPECT_EQ(sound->GetPositionMs(), 0u);
    EXPECT_FALSE(sound->IsPlaying());
    ASSERT_EQ(sound->Play(), kStatusOk);
    ASSERT_EQ(sound->SetPosition(kRate * 4 * 11 / 2), kStatusOk);  // 5.5 s of 16-bit stereo
    EXPECT_EQ(sound->GetPositionMs(), 5500u);
    Render(kRampFrames);
    EXPECT_GT(Rms(Render(4096)).left, 0.05);  // the end of the file was loaded too
    ASSERT_EQ(sound->Pause(), kStatusOk);
    EXPECT_EQ(sound->GetElapsedMs(), sound->GetPositionMs());
}

TEST_F(AudioALTest, StreamRingWrapsAndRunsDrySilently)
{
    CAudioObject* stream = m_engine->CreateObject(0, kAudioPlayLooping);
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->CreateStream(1, kRate, 0, 0, u"videos\\intro.ogv"), kStatusOk);
    EXPECT_EQ(std::u16string(stream->GetName()), u"intro.ogv");
    EXPECT_EQ(stream->GetRingSeconds(), 4u);
    auto* al = static_cast<CAudioObjectAL*>(stream);

    const std::vector<int16_t> tone = Tone(1, kRate, 441, 3.5, 0.5);
    ASSERT_EQ(stream->UpdateAudioFromRaw(1, kRate, uint32_t(tone.size()), tone.data()), kStatusOk);
    EXPECT_EQ(al->GetWritePosition(), kRate * 2 * 7 / 2);
    ASSERT_EQ(stream->Play(), kStatusOk);
    EXPECT_TRUE(stream->IsPlaying());
    Render(kRate * 3);
    EXPECT_EQ(stream->GetElapsedMs(), 3000u);
    Render(kRate);
    // Past what was written the ring is silent and its clock waits at the write position.
    EXPECT_LT(Rms(Render(4096)).left, 1e-6);
    EXPECT_EQ(stream->GetElapsedMs(), 500u);
    EXPECT_TRUE(stream->IsPlaying());

    // One second written 3.5 s into the ring: its second half lands at the start.
    const std::vector<int16_t> second = Tone(1, kRate, 441, 1.0, 0.5);
    ASSERT_EQ(stream->UpdateAudioFromRaw(1, kRate, uint32_t(second.size()), second.data()), kStatusOk);
    EXPECT_EQ(al->GetWritePosition(), kRate * 2 / 2);
    Render(kRate * 7 / 10);
    EXPECT_EQ(stream->GetPositionMs(), 200u);
    EXPECT_EQ(stream->GetElapsedMs(), 700u);  // from 3500 across the wrap to 200
    EXPECT_GT(Rms(Render(4096)).left, 0.05);

    // Stop and Play leave the clock where it stands.
    ASSERT_EQ(stream->Stop(), kStatusOk);
    const uint32_t stopped = stream->GetPositionMs();
    Render(kRate / 10);
    EXPECT_EQ(stream->GetPositionMs(), stopped);
    ASSERT_EQ(stream->Play(), kStatusOk);
    EXPECT_EQ(stream->GetPositionMs(), stopped);

    // A chunk longer than the ring is cut to one ring.
    const std::vector<int16_t> tooLong(size_t(kRate) * 5, 0);
    const uint32_t before = al->GetWritePosition();
    EXPECT_EQ(stream->UpdateAudioFromRaw(1, kRate, uint32_t(tooLong.size()), tooLong.data()), kStatusOk);
    EXPECT_EQ(al->GetWritePosition(), before);
}

TEST_F(AudioALTest, ThreeDimensionalSoundsAreHeadRelativeWithoutRolloff)
{
    CAudioObject* mono = Load(Tone(1, kRate, 441, 1.0, 0.5), 1, kAudioCreate3D, kAudioPlayLooping);
    ASSERT_TRUE(mono->IsLoaded());
    ASSERT_EQ(mono->Set3DPosition(-5.0f, 0.0f, 0.0f), kStatusOk);
    ASSERT_EQ(mono->Set3DVelocity(0.0f, 0.0f, 300.0f), kStatusOk);
    const Levels far = PlayedLevels(mono);
    EXPECT_GT(far.left, 4 * far.right);
    // As loud as at the listener's ear: no rolloff.
    mono->Set3DPosition(-1.0f, 0.0f, 0.0f);
    const Levels near = PlayedLevels(mono);
    EXPECT_NEAR(far.left / near.left, 1.0, 0.01);
    EXPECT_NEAR(Frequency(Render(16384)), 441, 10);  // no Doppler shift
}

}  // namespace
