// The options file from any bytes, read as the game reads it at start-up (the file settings
// reader with the program's key, plain or scrambled): every value it loads lies in its range.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "NimbrelWorld/CNimbrelWorld.h"

namespace {

// A per-user folder of the run's own, removed at exit.
const std::string& OptionsFile()
{
    static std::string file;
    if (file.empty()) {
        char pattern[] = "/tmp/nimbrel_fuzz_options_XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        static std::string root = pattern;
        setenv("XDG_DATA_HOME", root.c_str(), 1);
        std::filesystem::create_directories(root + "/Nimbrel Fuzz");
        file = root + "/Nimbrel Fuzz/Fuzz.v3.options.sav";
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(root, error);
        });
    }
    return file;
}

bool InRange(float volume)
{
    return !std::isnan(volume) && volume >= 0.0f && volume <= 1.0f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(OptionsFile().c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::unique_ptr<CNimbrelWorld> world(CreateNimbrelWorld());
    if (!world || Failed(world->LoadOptions(u"Fuzz", nullptr, 0, 0, 1)))
        std::abort();
    const WorldData& w = *world->GetWorldData();
    const GameData& game = *world->GetGameData();
    const bool languageOk = (game.language >= 0 && game.language <= 16) || game.language == kLanguageNone;
    if (w.fullScreen > 1 || !languageOk || game.profileIndex < 0 || game.profileIndex > 255 ||
        !InRange(game.musicVolume) || !InRange(game.soundsVolume) || game.brightness > 255)
        std::abort();
    return 0;
}
