// vornel sound: draws sounds from recipes into WAV files.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "OutputFile.h"
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

} // namespace

int CommandSound(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[0], "new") == 0)
        return New(argv[1], argv[2]);
    return kExitUsage;
}
