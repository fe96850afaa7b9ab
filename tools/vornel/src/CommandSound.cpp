// vornel sound: draws sounds from recipes into WAV files, and describes WAV files.
#include "Commands.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "OutputFile.h"
#include "VornelAudio/CWaveFile.h"
#include "VornelUtils/UtilsString.h"
#include "Vornel3D_ToolBox/SoundRecipe.h"
#include "Vornel3D_ToolBox/WaveWriter.h"

namespace {

int New(const char* recipePath, const char* outPath)
{
    SoundRecipe recipe;
    std::string error;
    if (Failed(SoundRecipe_Read(recipePath, recipe, error))) {
        std::fprintf(stderr, "vornel sound: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> pcm;
    if (Failed(SoundRecipe_Render(recipe, pcm))) {
        std::fprintf(stderr, "vornel sound: %s: out of memory\n", recipePath);
        return 1;
    }
    COutputFile output(outPath);
    std::FILE* file = std::fopen(output.TemporaryPath().c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = Succeeded(Wave_WritePcm(file, recipe.rate, uint16_t(recipe.bits), uint16_t(recipe.channels), pcm));
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok || !output.Commit()) {
        std::fprintf(stderr, "vornel sound: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

double Decibels(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
}

// The format, the sizes and the duration; for 8- and 16-bit PCM the peak and RMS of each
// channel, in full scale (1.0) and decibels of it.
int Info(const char* path)
{
    CWaveFile wave(nullptr);
    const std::u16string widePath = UtilsString_FromUtf8(path);
    const Status status = wave.Open(widePath.c_str());
    if (Failed(status)) {
        std::fprintf(stderr, "vornel sound: %s: not a readable WAV file with data: %s\n", path, StatusWords(status).c_str());
        return 1;
    }
    const WaveFormat& f = *wave.GetFormat();
    const char* formatName = f.formatTag == kWaveFormatPcm ? "PCM" : f.formatTag == kWaveFormatAdpcm ? "ADPCM" : "other";
    std::printf("format: %s (tag %u), %u channels, %u Hz, %u bits, block %u bytes, %u bytes per second\n", formatName,
                f.formatTag, f.channels, f.samplesPerSec, f.bitsPerSample, f.blockAlign, f.avgBytesPerSec);
    if (f.extraSize)
        std::printf("extra format bytes: %u\n", f.extraSize);
    const uint32_t frames = f.blockAlign ? wave.GetSize() / f.blockAlign : 0;
    std::printf("data: %u bytes, %u frames\n", wave.GetSize(), frames);
    if (f.avgBytesPerSec)
        std::printf("duration: %.3f s\n", double(wave.GetSize()) / f.avgBytesPerSec);
    const bool pcm = f.formatTag == kWaveFormatPcm && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
                     f.channels > 0 && f.blockAlign == f.channels * (f.bitsPerSample / 8);
    if (!pcm || frames == 0)
        return 0;
    std::vector<double> peak(f.channels, 0.0), sum(f.channels, 0.0);
    std::vector<uint8_t> block(size_t(f.blockAlign) * 4096);
    uint32_t read = 0;
    uint64_t counted = 0;
    while (Succeeded(wave.Read(block.data(), uint32_t(block.size()), &read)) && read >= f.blockAlign) {
        for (uint32_t at = 0; at + f.blockAlign <= read; at += f.blockAlign, ++counted)
            for (uint16_t c = 0; c < f.channels; ++c) {
                const uint8_t* p = &block[at + c * (f.bitsPerSample / 8)];
                const double v = f.bitsPerSample == 8 ? (int(p[0]) - 128) / 128.0 : int16_t(p[0] | p[1] << 8) / 32768.0;
                peak[c] = std::max(peak[c], std::fabs(v));
                sum[c] += v * v;
            }
    }
    for (uint16_t c = 0; c < f.channels; ++c) {
        const double rms = counted ? std::sqrt(sum[c] / double(counted)) : 0.0;
        std::printf("channel %u: peak %.4f (%.2f dBFS), RMS %.4f (%.2f dBFS)\n", c + 1, peak[c], Decibels(peak[c]), rms,
                    Decibels(rms));
    }
    return 0;
}

} // namespace

int CommandSound(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[0], "new") == 0)
        return New(argv[1], argv[2]);
    if (argc == 2 && std::strcmp(argv[0], "info") == 0)
        return Info(argv[1]);
    return kExitUsage;
}
