// vornel settings: turns a settings text into the scrambled block form the program stores
// (and the settings readers recognise by its leading size word).
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "VornelUtils/UtilsScramble.h"

namespace {

int Scramble(const char* inPath, const char* outPath)
{
    std::FILE* in = std::fopen(inPath, "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "vornel settings: cannot read %s\n", inPath);
        return 1;
    }
    std::vector<uint8_t> text;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), in)) > 0)
        text.insert(text.end(), buffer, buffer + n);
    const bool readOk = std::ferror(in) == 0;
    std::fclose(in);
    if (!readOk) {
        std::fprintf(stderr, "vornel settings: cannot read %s\n", inPath);
        return 1;
    }
    std::vector<uint8_t> block(text.size() + kScrambledBlockOverhead);
    size_t size = 0;
    if (Failed(ScrambleSettingsBlock(text.data(), text.size(), kScrambleKey, block.data(), block.size(), &size))) {
        std::fprintf(stderr, "vornel settings: %s is too large\n", inPath);
        return 1;
    }
    std::FILE* out = std::fopen(outPath, "wb");
    bool ok = out != nullptr && std::fwrite(block.data(), 1, size, out) == size;
    if (out != nullptr)
        ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "vornel settings: cannot write %s\n", outPath);
        std::remove(outPath);
        return 1;
    }
    return 0;
}

} // namespace

int CommandSettings(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[0], "scramble") == 0)
        return Scramble(argv[1], argv[2]);
    return kExitUsage;
}
