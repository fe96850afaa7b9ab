// The DirectSound sounds heard under Wine: what the module plays reaches ALSA's default device,
// which the test's own HOME sends into a raw file of 16-bit stereo at 44100 Hz (the build
// names it in VORNEL_SOUND_PLAYED). Each recording is one engine from Init to Release; the
// file holds what the device played in that time, with Wine's silence around it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "CAudioEngineDX81.h"
#include "CAudioObjectDX81.h"
#include "VornelAudio/ModuleAudio_DX81.h"
#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

CAudioEngine* StartTestAudioEngine(WorldData* pWorldData)
{
    auto* engine = new CAudioEngineDX81(pWorldData);
    if (Failed(engine->Init(nullptr))) {
        delete engine;
        return nullptr;
    }
    return engine;
}

CAudioObject* MakeLooseTestSound(WorldData* pWorldData)
{
    return new CAudioObjectDX81(pWorldData, 0, 0);
}

namespace {

constexpr uint32_t kPlayedRate = 44100;
// A sample of the recording at or below this is silence.
constexpr int kSilence = 2;

// Waits on the condition, a few milliseconds at a time; false when it never came.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

// One channel of a recording, and where its sound is.
struct Channel {
    std::vector<double> samples;
    size_t First() const
    {
        for (size_t i = 0; i < samples.size(); ++i)
            if (std::fabs(samples[i]) > kSilence)
                return i;
        return samples.size();
    }
    size_t End() const
    {
        for (size_t i = samples.size(); i > 0; --i)
            if (std::fabs(samples[i - 1]) > kSilence)
                return i;
        return 0;
    }
    double Peak() const
    {
        double peak = 0;
        for (double s : samples)
            peak = std::fmax(peak, std::fabs(s));
        return peak;
    }
    double Rms(size_t from, size_t to) const
    {
        double sum = 0;
        for (size_t i = from; i < to; ++i)
            sum += samples[i] * samples[i];
        return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
    }
    // Runs of sound, [start, end), closer than `gap` samples joined.
    std::vector<std::pair<size_t, size_t>> Runs(size_t gap = 441) const
    {
        std::vector<std::pair<size_t, size_t>> runs;
        for (size_t i = 0; i < samples.size(); ++i) {
            if (std::fabs(samples[i]) <= kSilence)
                continue;
            if (!runs.empty() && i - runs.back().second <= gap)
                runs.back().second = i + 1;
            else
                runs.push_back({i, i + 1});
        }
        return runs;
    }
};

struct Recording {
    Channel left, right;
};

// The source at the recording's rate (linear interpolation), as the device resamples it.
std::vector<double> Resampled(const std::vector<int16_t>& source, uint32_t rate)
{
    const size_t frames = size_t(double(source.size()) * kPlayedRate / rate);
    std::vector<double> out(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double at = double(i) * rate / kPlayedRate;
        const size_t k = size_t(at);
        const double next = k + 1 < source.size() ? source[k + 1] : source[k];
        out[i] = source[k] + (at - double(k)) * (next - source[k]);
    }
    return out;
}

// The best normalised correlation of the source with the channel near where its sound starts.
double Correlation(const Channel& played, size_t start, const std::vector<double>& source)
{
    double best = -1;
    for (int lag = -64; lag <= 64; ++lag) {
        if (lag < 0 && size_t(-lag) > start)
            continue;
        const size_t from = start + size_t(lag + 0);
        if (from + source.size() > played.samples.size())
            continue;
        double sum = 0, a2 = 0, b2 = 0;
        for (size_t i = 0; i < source.size(); ++i) {
            const double a = played.samples[from + i], b = source[i];
            sum += a * b;
            a2 += a * a;
            b2 += b * b;
        }
        if (a2 > 0 && b2 > 0)
            best = std::fmax(best, sum / std::sqrt(a2 * b2));
    }
    return best;
}

// A sweep from 200 to 2000 Hz: it matches itself at one lag only.
std::vector<int16_t> Sweep(uint32_t rate, double seconds, double amplitude)
{
    const size_t frames = size_t(rate * seconds);
    std::vector<int16_t> samples(frames);
    double phase = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double hz = 200.0 + 1800.0 * double(i) / double(frames);
        phase += 2.0 * 3.14159265358979323846 * hz / rate;
        samples[i] = int16_t(std::lround(amplitude * 32767.0 * std::sin(phase)));
    }
    return samples;
}

class AudioDX81Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* played = std::getenv("VORNEL_SOUND_PLAYED");
        if (!played)
            GTEST_SKIP() << "VORNEL_SOUND_PLAYED names no recording of the sound device";
        // Wine opens the host's files through drive Z:.
        m_playedPath = std::string("Z:") + played;
        m_data.reset(new WorldData{});
        m_data->dataPathWord = -1;
    }
    void TearDown() override { m_engine.reset(); }

    // A new engine on the device, whose recording starts empty.
    void Start()
    {
        m_engine.reset(new CAudioEngineDX81(m_data.get()));
        ASSERT_EQ(m_engine->Init(nullptr), kStatusOk);
    }
    // The engine's end, and what the device played meanwhile. The device writes the file a
    // little behind what it plays: the engine stays until a quarter of a second more is there.
    Recording Stop()
    {
        const long written = FileSize();
        EXPECT_TRUE(WaitUntil([&] { return FileSize() >= written + long(kPlayedRate) * 4 / 4; }));
        m_engine->Release();
        m_engine.reset();
        Recording recording;
        std::FILE* file = std::fopen(m_playedPath.c_str(), "rb");
        EXPECT_NE(file, nullptr) << m_playedPath;
        if (!file)
            return recording;
        int16_t frame[2];
        while (std::fread(frame, sizeof frame, 1, file) == 1) {
            recording.left.samples.push_back(frame[0]);
            recording.right.samples.push_back(frame[1]);
        }
        std::fclose(file);
        return recording;
    }
    long FileSize() const
    {
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        if (!GetFileAttributesExA(m_playedPath.c_str(), GetFileExInfoStandard, &attributes))
            return 0;
        return long(attributes.nFileSizeLow);
    }
    CAudioObject* Load(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate, uint32_t creation = 0,
                       uint32_t play = 0)
    {
        const std::string path =
            m_folder.Write("s" + std::to_string(m_count++) + ".wav", PcmWave(channels, rate, samples));
        CAudioObject* sound = m_engine->CreateObject(creation, play);
        EXPECT_NE(sound, nullptr);
        if (sound) {
            EXPECT_EQ(sound->LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str(), 0), kStatusOk);
        }
        return sound;
    }
    // Plays the sound to its end.
    static void PlayThrough(CAudioObject* sound)
    {
        ASSERT_EQ(sound->Play(), kStatusOk);
        EXPECT_TRUE(WaitUntil([&] { return !sound->IsPlaying(); }));
    }

    std::unique_ptr<WorldData> m_data;
    std::unique_ptr<CAudioEngineDX81> m_engine;
    std::string m_playedPath;
    ScratchFolder m_folder;
    int m_count = 0;
};

TEST_F(AudioDX81Test, AWaveFileReachesTheDeviceWithItsSamples)
{
    // Mono at 22050 Hz: the device plays it resampled, in both channels.
    const std::vector<int16_t> source = Sweep(22050, 0.5, 0.5);
    Start();
    CAudioObject* sound = Load(source, 1, 22050);
    ASSERT_TRUE(sound->IsLoaded());
    EXPECT_FLOAT_EQ(sound->GetSpeed(), 0.5f);
    PlayThrough(sound);
    const Recording played = Stop();

    const size_t start = played.left.First();
    ASSERT_LT(start, played.left.samples.size()) << "nothing was heard";
    const std::vector<double> expected = Resampled(source, 22050);
    EXPECT_NEAR(double(played.left.End() - start), double(expected.size()), 441.0);
    EXPECT_GT(Correlation(played.left, start, expected), 0.95);
    EXPECT_GT(Correlation(played.right, start, expected), 0.95);
    // At full volume the level is the file's.
    EXPECT_NEAR(played.left.Peak(), 0.5 * 32767, 0.05 * 32767);
}

TEST_F(AudioDX81Test, VolumeAndPanSetTheLevelOfEachChannel)
{
    const std::vector<int16_t> tone = Tone(1, kPlayedRate, 441, 0.3, 0.5);
    const struct {
        float volume, pan;
        int32_t attenuation, panUnits;
        double left, right;  // levels over the full level of the tone
    } cases[] = {
        {1.0f, 0.0f, 0, 0, 1.0, 1.0},
        {0.5f, 0.0f, -312, 0, 0.698, 0.698},  // 10^(-312 / 2000)
        {0.0f, 0.0f, -10000, 0, 0.0, 0.0},
        {1.0f, -1.0f, 0, -10000, 1.0, 0.0},
        {1.0f, 2.0f, 0, 10000, 0.0, 1.0},
    };
    const double full = 0.5 * 32767 / std::sqrt(2.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
        Start();
        CAudioObject* sound = Load(tone, 1, kPlayedRate);
        ASSERT_EQ(sound->SetVolume(c.volume), kStatusOk);
        ASSERT_EQ(sound->SetPan(c.pan), kStatusOk);
        auto* dx = static_cast<CAudioObjectDX81*>(sound);
        EXPECT_EQ(dx->GetAttenuation(), c.attenuation);
        EXPECT_EQ(dx->GetPanUnits(), c.panUnits);
        PlayThrough(sound);
        const Recording played = Stop();
        if (c.left == 0.0 && c.right == 0.0) {
            // -10000 is silence itself.
            EXPECT_LE(played.left.Peak(), kSilence);
            EXPECT_LE(played.right.Peak(), kSilence);
            continue;
        }
        const Channel& loud = c.left > 0 ? played.left : played.right;
        const size_t start = loud.First(), end = loud.End();
        ASSERT_GT(end, start + 4410);
        EXPECT_NEAR(played.left.Rms(start, end) / full, c.left, 0.03);
        EXPECT_NEAR(played.right.Rms(start, end) / full, c.right, 0.03);
    }
}

TEST_F(AudioDX81Test, SpeedChangesThePitch)
{
    Start();
    CAudioObject* sound = Load(Tone(1, kPlayedRate, 1000, 0.3, 0.5), 1, kPlayedRate);
    ASSERT_EQ(sound->SetSpeed(0.5f), kStatusOk);
    PlayThrough(sound);
    const Recording played = Stop();
    const size_t start = played.left.First(), end = played.left.End();
    // Twice as long, an octave lower.
    EXPECT_NEAR(double(end - start), 0.6 * kPlayedRate, 441.0);
    // Half waves counted where they pass a tenth of the amplitude, clear of the resampler's
    // ripple around zero.
    int crossings = 0, side = 0;
    for (size_t i = start; i < end; ++i) {
        const double s = played.left.samples[i];
        const int now = s > 1600 ? 1 : s < -1600 ? -1 : side;
        crossings += side != 0 && now != side;
        side = now;
    }
    EXPECT_NEAR(crossings / 2.0 / (double(end - start) / kPlayedRate), 500.0, 10.0);
}

TEST_F(AudioDX81Test, PlayAndStopRewindPauseKeepsThePosition)
{
    Start();
    CAudioObject* sound = Load(Tone(2, kPlayedRate, 441, 3.0, 0.5), 2, kPlayedRate, 0, kAudioPlayLooping);
    ASSERT_EQ(sound->Play(), kStatusOk);
    ASSERT_TRUE(WaitUntil([&] { return sound->GetPositionMs() >= 300; }));
    ASSERT_EQ(sound->Pause(), kStatusOk);
    EXPECT_FALSE(sound->IsPlaying());
    const uint32_t paused = sound->GetPositionMs();
    Sleep(100);  // nothing to wait for: the position must not move
    EXPECT_EQ(sound->GetPositionMs(), paused);
    ASSERT_EQ(sound->Play(), kStatusOk);
    EXPECT_LT(sound->GetPositionMs(), paused);
    ASSERT_TRUE(WaitUntil([&] { return sound->GetPositionMs() >= 100; }));
    ASSERT_EQ(sound->Stop(), kStatusOk);
    EXPECT_EQ(sound->GetPositionMs(), 0u);
    EXPECT_FALSE(sound->IsPlaying());

    // Looping: the sound comes round to its start and plays on; without the flag it ends.
    ASSERT_EQ(sound->SetPosition(kPlayedRate * 4 * 28 / 10), kStatusOk);  // 2.8 s of 16-bit stereo
    ASSERT_EQ(sound->Play(), kStatusOk);
    ASSERT_EQ(sound->SetPosition(kPlayedRate * 4 * 28 / 10), kStatusOk);
    EXPECT_GE(sound->GetPositionMs(), 2700u);
    ASSERT_TRUE(WaitUntil([&] { return sound->GetPositionMs() < 1000; }));
    EXPECT_TRUE(sound->IsPlaying());
    sound->SetLooping(false);
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_TRUE(WaitUntil([&] { return !sound->IsPlaying(); }));
    Stop();
}

TEST_F(AudioDX81Test, PositionsCountTheSoundsOwnFrames)
{
    // Half a second into each: 8-bit sounds are not counted as 16-bit ones.
    const struct {
        uint16_t channels, bits;
        uint32_t rate, bytes;
    } cases[] = {{1, 8, 8000, 4000}, {2, 8, 22050, 22050}, {1, 16, 44100, 44100}, {2, 16, 44100, 88200}};
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " x " << c.bits << " bits at " << c.rate);
        const Bytes data(size_t(c.rate) * c.channels * c.bits / 8, c.bits == 8 ? 0x80 : 0);
        const std::string path = m_folder.Write("p" + std::to_string(m_count++) + ".wav",
                                                Riff({Chunk("fmt ", FormatPayload(1, c.channels, c.rate, c.bits)),
                                                      Chunk("data", data)}));
        CAudioObject* sound = m_engine->CreateObject(0, 0);
        ASSERT_EQ(sound->LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str(), 0), kStatusOk);
        ASSERT_EQ(sound->SetPosition(c.bytes), kStatusOk);
        EXPECT_EQ(sound->GetPositionMs(), 500u);
    }
    Stop();
}

TEST_F(AudioDX81Test, AStreamPlaysWhatWasWrittenThenSilenceNeverTheRingAgain)
{
    const std::vector<int16_t> first = Sweep(kPlayedRate, 2.0, 0.5);
    const std::vector<int16_t> second = Tone(1, kPlayedRate, 882, 1.0, 0.5);
    Start();
    CAudioObject* stream = m_engine->CreateObject(kAudioCreateListFlag, 0);
    ASSERT_EQ(stream->CreateStream(1, kPlayedRate, 0, 0, u"intro.ogv"), kStatusOk);
    auto* dx = static_cast<CAudioObjectDX81*>(stream);
    // Two seconds in chunks of a quarter, as a video's sound comes.
    const uint32_t quarter = kPlayedRate / 4;
    for (uint32_t at = 0; at < first.size(); at += quarter)
        ASSERT_EQ(stream->UpdateAudioFromRaw(1, kPlayedRate, quarter, first.data() + at), kStatusOk);
    EXPECT_EQ(dx->GetWritePosition(), kPlayedRate * 2 * 2);
    ASSERT_EQ(stream->Play(), kStatusOk);

    // The owner follows the clock every frame. Past the written data the ring runs on in silence:
    // on through the wrap, where the two seconds lay.
    uint32_t elapsed = 0;
    ASSERT_TRUE(WaitUntil([&] { return (elapsed += stream->GetElapsedMs()) >= 4500; }));
    EXPECT_TRUE(stream->IsPlaying());
    // After the dry spell the next chunk is heard at once, not when the cursor comes round to
    // where the last one ended.
    const uint32_t dry = elapsed - 2000;
    ASSERT_EQ(stream->UpdateAudioFromRaw(1, kPlayedRate, uint32_t(second.size()), second.data()), kStatusOk);
    elapsed = 0;
    ASSERT_TRUE(WaitUntil([&] { return (elapsed += stream->GetElapsedMs()) >= 5500; }));
    const Recording played = Stop();

    const auto runs = played.left.Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(double(runs[0].second - runs[0].first), 2.0 * kPlayedRate, 441.0);
    EXPECT_GT(Correlation(played.left, runs[0].first, Resampled(first, kPlayedRate)), 0.95);
    EXPECT_NEAR(double(runs[1].second - runs[1].first), 1.0 * kPlayedRate, 441.0);
    EXPECT_GT(Correlation(played.left, runs[1].first, Resampled(second, kPlayedRate)), 0.95);
    // Between them the dry spell, after them more than a ring of silence.
    const double gapMs = double(runs[1].first - runs[0].second) * 1000 / kPlayedRate;
    EXPECT_GT(gapMs, dry - 100.0);
    EXPECT_LT(gapMs, dry + 250.0);
    EXPECT_GT(played.left.samples.size() - runs[1].second, size_t(4.0 * kPlayedRate));
}

TEST_F(AudioDX81Test, AChunkPastTheRingsEndWrapsToItsStart)
{
    Start();
    CAudioObject* stream = m_engine->CreateObject(0, 0);
    ASSERT_EQ(stream->CreateStream(1, kPlayedRate, 0, 0, nullptr), kStatusOk);
    auto* dx = static_cast<CAudioObjectDX81*>(stream);
    const std::vector<int16_t> chunk = Tone(1, kPlayedRate, 441, 3.5, 0.5);
    ASSERT_EQ(stream->UpdateAudioFromRaw(1, kPlayedRate, uint32_t(chunk.size()), chunk.data()), kStatusOk);
    EXPECT_EQ(dx->GetWritePosition(), kPlayedRate * 2 * 7 / 2);
    // One second more than the unplayed ring holds: written all the same, its second half at the
    // start of the ring.
    ASSERT_EQ(stream->UpdateAudioFromRaw(1, kPlayedRate, kPlayedRate, chunk.data()), kStatusOk);
    EXPECT_EQ(dx->GetWritePosition(), kPlayedRate * 2 / 2);
    Stop();
}

TEST_F(AudioDX81Test, ThreeDimensionalSoundsFollowTheirPositionAroundTheListener)
{
    Start();
    CAudioObject* sound = Load(Tone(1, kPlayedRate, 441, 0.3, 0.5), 1, kPlayedRate, kAudioCreate3D);
    ASSERT_TRUE(sound->IsLoaded());
    ASSERT_EQ(sound->Set3DPosition(-5.0f, 0.0f, 0.0f), kStatusOk);
    PlayThrough(sound);
    const Recording played = Stop();
    const size_t start = played.left.First(), end = played.left.End();
    ASSERT_GT(end, start);
    EXPECT_GT(played.left.Rms(start, end), 2 * played.right.Rms(start, end));
}

TEST(AudioDX81Module, RegistersAsDX81)
{
    WorldData data{};
    ASSERT_EQ(RegisterModuleAudio_DX81(&data), kStatusOk);
    ASSERT_EQ(ValidPlatform(0, kModuleAudioId_DX81, 0, 0, &data), kStatusFailed);  // no renderer: the lists stay
    const ModuleDescriptor* descriptor = data.selected[kModuleAudio].pDescriptor;
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(std::u16string(descriptor->code), u"DX81");
    CBaseObject* engine = data.selected[kModuleAudio].pfnCreate(&data);
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(data.pAudioBlock, nullptr);
    data.selected[kModuleAudio].pfnDestroy(engine);
    EXPECT_EQ(data.pAudioBlock, nullptr);
    UnregisterModules(&data);
}

}  // namespace
