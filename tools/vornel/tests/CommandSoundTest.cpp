// vornel sound new, run as a program; the WAV files it writes are read back field by field.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace {

using tooltest::RunTool;

struct Wave {
    uint16_t format = 0, channels = 0, bits = 0, blockAlign = 0;
    uint32_t rate = 0, byteRate = 0;
    std::vector<uint8_t> data;
    std::vector<int> samples;  // first channel, signed
};

uint32_t U32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

// The canonical 44-byte header this writer makes, checked as it is read.
bool ReadWave(const std::string& path, Wave& wave)
{
    const std::string b = tooltest::ReadFile(path);
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0 || U32(b, 16) != 16 ||
        b.compare(36, 4, "data") != 0)
        return false;
    const uint32_t size = U32(b, 40);
    if (U32(b, 4) != 36 + size + (size & 1) || b.size() != 44 + size + (size & 1))
        return false;
    wave.format = U16(b, 20);
    wave.channels = U16(b, 22);
    wave.rate = U32(b, 24);
    wave.byteRate = U32(b, 28);
    wave.blockAlign = U16(b, 32);
    wave.bits = U16(b, 34);
    wave.data.assign(b.begin() + 44, b.begin() + 44 + size);
    for (size_t at = 0; at + wave.blockAlign <= size; at += wave.blockAlign)
        wave.samples.push_back(wave.bits == 8 ? int(uint8_t(b[44 + at])) - 128 : int(int16_t(U16(b, 44 + at))));
    return true;
}

class SoundCommandTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    void WriteRecipe(const std::string& name, const std::string& text)
    {
        ASSERT_TRUE(tooltest::WriteFile(folder / name, text));
    }

    // Draws the recipe text into name.wav and reads it back.
    Wave Draw(const std::string& name, const std::string& text)
    {
        Wave wave;
        WriteRecipe(name + ".recipe", text);
        const auto [status, errors] = RunTool("sound new " + Path(name + ".recipe") + " " + Path(name + ".wav"), true);
        EXPECT_EQ(status, 0) << errors;
        EXPECT_TRUE(ReadWave(Path(name + ".wav"), wave)) << name;
        return wave;
    }

    tooltest::TempFolder temp{"vornel-sound-tool-"};
    std::filesystem::path folder = temp.Path();
};

int ZeroCrossings(const std::vector<int>& samples)
{
    int crossings = 0;
    int last = 0;
    for (int s : samples) {
        if (s == 0)
            continue;
        if (last != 0 && (s > 0) != (last > 0))
            ++crossings;
        last = s;
    }
    return crossings;
}

int Peak(const std::vector<int>& samples)
{
    int peak = 0;
    for (int s : samples)
        peak = std::max(peak, std::abs(s));
    return peak;
}

} // namespace

TEST_F(SoundCommandTest, ToneHasItsLengthFrequencyAndGain)
{
    const Wave wave = Draw("tone", "# a plain tone\nrate 22050\nbits 16\nchannels 1\ntone 0 0.5 sine 440 gain 0.5\n");
    EXPECT_EQ(wave.format, 1);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.rate, 22050u);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.blockAlign, 2);
    EXPECT_EQ(wave.byteRate, 44100u);
    ASSERT_EQ(wave.samples.size(), 11025u);
    EXPECT_NEAR(ZeroCrossings(wave.samples), 440, 1);
    EXPECT_NEAR(Peak(wave.samples), 0.5 * 32767, 0.5 * 32767 * 0.002);
}

TEST_F(SoundCommandTest, EveryWaveKeepsItsPitchInEitherFormat)
{
    const struct {
        const char* wave;
        const char* format;
        int peak;
    } kCases[] = {
        {"square", "rate 8000\nbits 8\nchannels 2\n", 127},
        {"saw", "rate 44100\nbits 16\nchannels 1\n", 32767},
        {"triangle", "rate 48000\nbits 16\nchannels 2\n", 32767},
    };
    for (const auto& c : kCases) {
        const Wave wave = Draw(c.wave, std::string(c.format) + "tone 0 1 " + c.wave + " 100\n");
        SCOPED_TRACE(c.wave);
        EXPECT_EQ(wave.samples.size(), wave.rate);
        EXPECT_EQ(wave.blockAlign, wave.channels * wave.bits / 8);
        EXPECT_NEAR(ZeroCrossings(wave.samples), 200, 1);
        EXPECT_NEAR(Peak(wave.samples), c.peak, c.peak / 50 + 1);
    }
}

TEST_F(SoundCommandTest, EnvelopeSweepNoiseAndSilenceFollowTheTimeline)
{
    const Wave wave = Draw("mix", "rate 10000\n"
                                  "tone 0 0.2 sine 200:400 adsr 0.1 0 1 0.1\n"
                                  "silence 0.3 0.1\n"
                                  "noise 0.4 0.2 lowpass cutoff 500 gain 0.8 adsr 0 0.1 0.5 0\n"
                                  "seed 99\n");
    ASSERT_EQ(wave.samples.size(), 6000u);
    const std::vector<int>& s = wave.samples;
    // The attack rises from silence; the release fades out by 0.3 s; silence follows.
    EXPECT_LT(Peak({s.begin(), s.begin() + 100}), Peak({s.begin() + 900, s.begin() + 1100}));
    EXPECT_GT(Peak({s.begin() + 1000, s.begin() + 2000}), 30000);
    EXPECT_LT(Peak({s.begin() + 2900, s.begin() + 3000}), 3400);
    EXPECT_EQ(Peak({s.begin() + 3000, s.begin() + 4000}), 0);
    EXPECT_GT(Peak({s.begin() + 4000, s.end()}), 0);
    // The sweep rises from 200 to 400 Hz: 250 Hz on average over the first 0.1 s, 350 over the next.
    EXPECT_NEAR(ZeroCrossings({s.begin(), s.begin() + 1000}), 50, 2);
    EXPECT_NEAR(ZeroCrossings({s.begin() + 1000, s.begin() + 2000}), 70, 2);
}

TEST_F(SoundCommandTest, LoopedSoundRunsFromItsEndIntoItsStart)
{
    // The steepest a wave of gain 1 moves per cycle: one step of it is that much over a sample.
    const struct {
        const char* wave;
        double slope;
    } kWaves[] = {{"sine", 2 * 3.14159265358979}, {"triangle", 4}, {"saw", 2}};
    for (const auto& w : kWaves) {
        SCOPED_TRACE(w.wave);
        const Wave sound = Draw("loop", std::string("rate 22050\nloop\ntone 0 0.37 ") + w.wave + " 311 gain 0.9\n");
        ASSERT_EQ(sound.samples.size(), 8159u);
        const double step = 0.9 * 32767 * w.slope * 311 / 22050.0;
        EXPECT_LE(std::abs(sound.samples.back() - sound.samples.front()), step + 1);  // + rounding
        EXPECT_GT(std::abs(sound.samples.back() - sound.samples.front()), 0);
    }
}

TEST_F(SoundCommandTest, SameRecipeSameBytes)
{
    const std::string recipe = "rate 16000\nseed 4242\nnoise 0 0.3 white gain 0.7\ntone 0.1 0.2 square 880:220\n";
    const Wave first = Draw("a", recipe);
    const Wave second = Draw("b", recipe);
    EXPECT_EQ(first.data, second.data);
    const Wave reseeded = Draw("c", "rate 16000\nseed 4243\nnoise 0 0.3 white gain 0.7\ntone 0.1 0.2 square 880:220\n");
    EXPECT_NE(first.data, reseeded.data);
}

TEST_F(SoundCommandTest, BadRecipesNameTheLineAndWriteNothing)
{
    const struct {
        const char* recipe;
        const char* error;
    } kCases[] = {
        {"rate 7999\ntone 0 1 sine 440\n", "bad.recipe:1: 7999 is out of range (8000 to 48000)"},
        {"bits 12\n", "bad.recipe:1: bits must be 8 or 16"},
        {"channels 3\n", "bad.recipe:1: 3 is out of range (1 to 2)"},
        {"# fine\n\ntone 0 1 organ 440\n", "bad.recipe:3: 'organ' is not a tone kind"},
        {"tone 0 1 sine\n", "bad.recipe:1: 'tone' lacks a frequency"},
        {"tone 0 1 sine 440:x\n", "bad.recipe:1: '440:x' is not a frequency"},
        {"noise 0 1 white gain 2\n", "bad.recipe:1: 2 is out of range (0 to 1)"},
        {"tone 0 1 sine 440 vibrato 3\n", "bad.recipe:1: unknown option 'vibrato'"},
        {"tone 599 2 sine 440\n", "bad.recipe:1: the event ends after 600 seconds"},
        {"tone 0 601 sine 440\n", "bad.recipe:1: 601 is out of range (0 to 600)"},
        {"tone 500 90 sine 440 adsr 0 0 1 20\n", "bad.recipe:1: the event ends after 600 seconds"},
        {"seed 0\nlength 1\n", "bad.recipe:1: 0 is out of range (1 to 4294967295)"},
        {"rate 8000\n", "bad.recipe:1: the recipe has no events and no length"},
        {"length 0.00001\n", "the sound is shorter than one sample"},
        {"play 0 1\n", "bad.recipe:1: unknown keyword 'play'"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.recipe);
        WriteRecipe("bad.recipe", c.recipe);
        const auto [status, errors] = RunTool("sound new " + Path("bad.recipe") + " " + Path("bad.wav"), true);
        EXPECT_EQ(status, 1);
        EXPECT_NE(errors.find(std::string("vornel sound: ") + Path("") ), std::string::npos) << errors;
        EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
        EXPECT_FALSE(std::filesystem::exists(Path("bad.wav")));
    }
    EXPECT_EQ(RunTool("sound new " + Path("missing.recipe") + " " + Path("bad.wav")).first, 1);
    EXPECT_EQ(RunTool("sound").first, 2);
    // Nothing is left behind when the output cannot be written.
    WriteRecipe("ok.recipe", "length 0.1\n");
    EXPECT_EQ(RunTool("sound new " + Path("ok.recipe") + " " + Path("no-folder/out.wav")).first, 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
}

namespace {

TEST_F(SoundCommandTest, InfoDescribesFormatSizesAndLevels)
{
    Draw("info", "rate 8000\nbits 16\nchannels 2\ntone 0 0.5 sine 500 gain 0.5\n");
    const auto [status, text] = RunTool("sound info " + Path("info.wav"));
    EXPECT_EQ(status, 0);
    EXPECT_NE(text.find("format: PCM (tag 1), 2 channels, 8000 Hz, 16 bits, block 4 bytes, 32000 bytes per second\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("data: 16000 bytes, 4000 frames\nduration: 0.500 s\n"), std::string::npos) << text;
    // A sine at half scale: peak 0.5 (-6.02 dBFS), RMS 0.5 / sqrt 2 (-9.03 dBFS), in both channels.
    for (const char* channel : {"channel 1: ", "channel 2: "})
        EXPECT_NE(text.find(std::string(channel) + "peak 0.5000 (-6.02 dBFS), RMS 0.3535 (-9.03 dBFS)\n"),
                  std::string::npos)
            << text;

    WriteRecipe("not.wav", "rate 8000\n");
    const auto [badStatus, errors] = RunTool("sound info " + Path("not.wav"), true);
    EXPECT_EQ(badStatus, 1);
    EXPECT_NE(errors.find("not.wav: not a readable WAV file"), std::string::npos) << errors;
    EXPECT_EQ(RunTool("sound info").first, 2);
}

} // namespace
