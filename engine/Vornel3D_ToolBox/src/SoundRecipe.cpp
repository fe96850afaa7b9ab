#include "Vornel3D_ToolBox/SoundRecipe.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "Vornel3D_ToolBox/RecipeReader.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// The longest cross-fade that joins a looped sound's end to its start.
constexpr double kLoopFadeSeconds = 0.05;
constexpr double kDefaultCutoffHz = 800.0;

uint32_t Frames(double seconds, uint32_t rate) { return uint32_t(std::lround(seconds * rate)); }

bool ReadWave(const std::string& word, SoundWave& wave)
{
    static const struct {
        const char* name;
        SoundWave wave;
    } kWaves[] = {{"sine", SoundWave::Sine}, {"square", SoundWave::Square}, {"saw", SoundWave::Saw},
                  {"triangle", SoundWave::Triangle}, {"white", SoundWave::White}, {"lowpass", SoundWave::LowPass}};
    for (const auto& row : kWaves) {
        if (word == row.name) {
            wave = row.wave;
            return true;
        }
    }
    return false;
}

// "440" or "440:880".
bool ReadFrequency(CRecipeReader& reader, size_t i, SoundEvent& event)
{
    const std::string& word = reader.Word(i);
    const size_t colon = word.find(':');
    double from = 0, to = 0;
    const bool ok = colon == std::string::npos
                        ? Recipe_ParseNumber(word, from) && (to = from, true)
                        : Recipe_ParseNumber(word.substr(0, colon), from) && Recipe_ParseNumber(word.substr(colon + 1), to);
    if (!ok || from < 1 || to < 1 || from > 24000 || to > 24000) {
        reader.Fail("'" + word + "' is not a frequency (1 to 24000 Hz, or FROM:TO)");
        return false;
    }
    event.fromHz = from;
    event.toHz = to;
    return true;
}

// The options after an event's fixed words.
bool ReadOptions(CRecipeReader& reader, size_t i, SoundEvent& event)
{
    while (i < reader.Count()) {
        const std::string& option = reader.Word(i);
        if (option == "gain") {
            if (!reader.Number(i + 1, 0, 1, event.gain))
                return false;
            i += 2;
        } else if (option == "adsr") {
            if (!reader.Number(i + 1, 0, kSoundRecipeMaxSeconds, event.attack) ||
                !reader.Number(i + 2, 0, kSoundRecipeMaxSeconds, event.decay) ||
                !reader.Number(i + 3, 0, 1, event.sustain) ||
                !reader.Number(i + 4, 0, kSoundRecipeMaxSeconds, event.release))
                return false;
            i += 5;
        } else if (option == "cutoff" && event.wave == SoundWave::LowPass) {
            if (!reader.Number(i + 1, 1, 24000, event.fromHz))
                return false;
            i += 2;
        } else {
            reader.Fail("unknown option '" + option + "'");
            return false;
        }
    }
    if (event.at + event.length + event.release > kSoundRecipeMaxSeconds) {
        reader.Fail("the event ends after 600 seconds");
        return false;
    }
    return true;
}

Status ReadLine(CRecipeReader& reader, SoundRecipe& recipe)
{
    const std::string& key = reader.Word(0);
    int64_t value = 0;
    if (key == "rate") {
        if (!reader.Expect(2, "rate HZ") || !reader.Integer(1, 8000, 48000, value))
            return kStatusFailed;
        recipe.rate = uint32_t(value);
    } else if (key == "bits") {
        if (!reader.Expect(2, "bits 8|16") || !reader.Integer(1, 8, 16, value))
            return kStatusFailed;
        if (value != 8 && value != 16)
            return reader.Fail("bits must be 8 or 16");
        recipe.bits = uint32_t(value);
    } else if (key == "channels") {
        if (!reader.Expect(2, "channels 1|2") || !reader.Integer(1, 1, 2, value))
            return kStatusFailed;
        recipe.channels = uint32_t(value);
    } else if (key == "seed") {
        if (!reader.Expect(2, "seed N") || !reader.Integer(1, 1, 0xFFFFFFFF, value))
            return kStatusFailed;
        recipe.seed = uint32_t(value);
    } else if (key == "length") {
        if (!reader.Expect(2, "length SECONDS") || !reader.Number(1, 0, kSoundRecipeMaxSeconds, recipe.length))
            return kStatusFailed;
    } else if (key == "loop") {
        if (!reader.Expect(1, "loop"))
            return kStatusFailed;
        recipe.loop = true;
    } else if (key == "tone" || key == "noise" || key == "silence") {
        SoundEvent event;
        if (!reader.Number(1, 0, kSoundRecipeMaxSeconds, event.at) ||
            !reader.Number(2, 0, kSoundRecipeMaxSeconds, event.length))
            return kStatusFailed;
        if (key == "silence") {
            if (!reader.Expect(3, "silence AT LENGTH"))
                return kStatusFailed;
            event.wave = SoundWave::Silence;
            event.gain = 0;
        } else {
            if (reader.Count() < 4)
                return reader.Fail(key == "tone" ? "expects 'tone AT LENGTH WAVE FREQ [options]'"
                                                 : "expects 'noise AT LENGTH white|lowpass [options]'");
            const bool isNoiseWord = reader.Word(3) == "white" || reader.Word(3) == "lowpass";
            if (!ReadWave(reader.Word(3), event.wave) || isNoiseWord != (key == "noise"))
                return reader.Fail("'" + reader.Word(3) + "' is not a " + key + " kind");
            size_t next = 4;
            if (key == "tone") {
                if (reader.Count() < 5)
                    return reader.Fail("'tone' lacks a frequency");
                if (!ReadFrequency(reader, 4, event))
                    return kStatusFailed;
                next = 5;
            } else {
                event.fromHz = event.toHz = kDefaultCutoffHz;
            }
            if (!ReadOptions(reader, next, event))
                return kStatusFailed;
        }
        if (event.at + event.length > kSoundRecipeMaxSeconds)
            return reader.Fail("the event ends after 600 seconds");
        recipe.events.push_back(event);
    } else {
        return reader.Fail("unknown keyword '" + key + "'");
    }
    return kStatusOk;
}

double Envelope(const SoundEvent& event, double t)
{
    auto held = [&event](double u) {
        if (u < event.attack)
            return u / event.attack;
        u -= event.attack;
        if (u < event.decay)
            return 1.0 - (1.0 - event.sustain) * u / event.decay;
        return event.sustain;
    };
    if (t < event.length)
        return held(t);
    if (event.release <= 0)
        return 0.0;
    const double fade = 1.0 - (t - event.length) / event.release;
    return fade > 0 ? held(event.length) * fade : 0.0;
}

double Oscillator(SoundWave wave, double phase)
{
    switch (wave) {
    case SoundWave::Sine: return std::sin(2 * kPi * phase);
    case SoundWave::Square: return phase < 0.5 ? 1.0 : -1.0;
    case SoundWave::Saw: return phase < 0.5 ? 2 * phase : 2 * phase - 2;
    case SoundWave::Triangle:
        return phase < 0.25 ? 4 * phase : phase < 0.75 ? 2 - 4 * phase : 4 * phase - 4;
    default: return 0.0;
    }
}

// Adds one event into the mix from its first frame on; frames past the mix are dropped.
void Mix(const SoundEvent& event, uint32_t rate, double heldFor, WorldData& random, std::vector<double>& mix)
{
    if (event.wave == SoundWave::Silence || event.gain <= 0)
        return;
    SoundEvent held = event;
    held.length += heldFor;
    const uint32_t first = Frames(event.at, rate);
    const uint32_t count = Frames(held.length + held.release, rate);
    const double alpha = 1.0 - std::exp(-2 * kPi * event.fromHz / rate);
    double phase = 0, low = 0;
    for (uint32_t k = 0; k < count && size_t(first) + k < mix.size(); ++k) {
        const double t = double(k) / rate;
        double value;
        if (event.wave == SoundWave::White || event.wave == SoundWave::LowPass) {
            value = UtilsRandom_Next(&random) / 2147483648.0 - 1.0;
            if (event.wave == SoundWave::LowPass) {
                low += alpha * (value - low);
                value = low;
            }
        } else {
            value = Oscillator(event.wave, phase);
            const double progress = event.length > 0 ? std::min(t / event.length, 1.0) : 1.0;
            phase += (event.fromHz + (event.toHz - event.fromHz) * progress) / rate;
            phase -= std::floor(phase);
        }
        mix[first + k] += value * event.gain * Envelope(held, t);
    }
}

} // namespace

Status SoundRecipe_Parse(const std::string& name, const std::string& text, SoundRecipe& recipe, std::string& error)
{
    recipe = SoundRecipe();
    CRecipeReader reader(name, text);
    Status status = kStatusOk;
    while (Succeeded(status) && reader.NextLine() && reader.Error().empty())
        status = ReadLine(reader, recipe);
    if (reader.Error().empty() && recipe.events.empty() && recipe.length < 0)
        reader.Fail("the recipe has no events and no length");
    if (reader.Error().empty() && SoundRecipe_FrameCount(recipe) == 0)
        reader.Fail("the sound is shorter than one sample");
    error = reader.Error();
    return error.empty() ? kStatusOk : kStatusFailed;
}

Status SoundRecipe_Read(const std::string& path, SoundRecipe& recipe, std::string& error)
{
    std::string text;
    if (!CRecipeReader::ReadFile(path, text)) {
        error = path + ": cannot read the recipe";
        return kStatusFailed;
    }
    return SoundRecipe_Parse(path, text, recipe, error);
}

uint32_t SoundRecipe_FrameCount(const SoundRecipe& recipe)
{
    double seconds = recipe.length;
    if (seconds < 0) {
        seconds = 0;
        for (const SoundEvent& event : recipe.events)
            seconds = std::max(seconds, event.at + event.length + (recipe.loop ? 0 : event.release));
    }
    return Frames(std::min(seconds, kSoundRecipeMaxSeconds), recipe.rate);
}

namespace {

uint32_t LoopFadeFrames(const SoundRecipe& recipe, uint32_t frames)
{
    return recipe.loop ? std::min(Frames(kLoopFadeSeconds, recipe.rate), frames / 4) : 0;
}

} // namespace

uint64_t SoundRecipe_Cost(const SoundRecipe& recipe)
{
    const uint32_t frames = SoundRecipe_FrameCount(recipe);
    const uint64_t total = uint64_t(frames) + LoopFadeFrames(recipe, frames);
    uint64_t cost = total;
    for (const SoundEvent& event : recipe.events)
        cost += std::min<uint64_t>(total, Frames(event.length + event.release + kLoopFadeSeconds, recipe.rate));
    return cost;
}

Status SoundRecipe_Render(const SoundRecipe& recipe, std::vector<uint8_t>& pcm)
{
    const uint32_t frames = SoundRecipe_FrameCount(recipe);
    // A looped sound is drawn a little past its end, with every event still sounding there
    // held on, and that overrun is faded into the start: the last sample runs into the first.
    const uint32_t fade = LoopFadeFrames(recipe, frames);
    std::vector<double> mix;
    std::unique_ptr<WorldData> random(new (std::nothrow) WorldData());
    try {
        mix.assign(size_t(frames) + fade, 0.0);
        pcm.assign(size_t(frames) * recipe.channels * (recipe.bits / 8), 0);
    } catch (const std::bad_alloc&) {
        return kStatusOutOfMemory;
    }
    if (!random)
        return kStatusOutOfMemory;
    UtilsRandom_Seed(random.get(), recipe.seed);
    for (const SoundEvent& event : recipe.events) {
        const bool sounding = Frames(event.at + event.length, recipe.rate) >= frames;
        Mix(event, recipe.rate, sounding ? double(fade) / recipe.rate : 0.0, *random, mix);
    }
    for (uint32_t i = 0; i < fade; ++i) {
        const double w = double(i) / fade;
        mix[i] = mix[i] * w + mix[frames + i] * (1.0 - w);
    }
    size_t out = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        const double value = std::clamp(mix[i], -1.0, 1.0);
        for (uint32_t c = 0; c < recipe.channels; ++c) {
            if (recipe.bits == 8) {
                pcm[out++] = uint8_t(std::lround(value * 127.0) + 128);
            } else {
                const int32_t sample = int32_t(std::lround(value * 32767.0));
                pcm[out++] = uint8_t(sample & 0xFF);
                pcm[out++] = uint8_t((sample >> 8) & 0xFF);
            }
        }
    }
    return kStatusOk;
}
