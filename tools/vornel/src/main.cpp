// vornel: the game makers' command-line tool, one command per data format.
#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct CommandRow {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const CommandRow kCommands[] = {
    {"version", CommandVersion, "version"},
    {"image", CommandImage, "image info FILE | image convert IN OUT (PNG, JPEG, TGA, raw in; PNG, JPEG out)"},
    {"pack", CommandPack, "pack create OUT.pak DIR | pack list PAK | pack cat PAK NAME"},
    {"settings", CommandSettings, "settings scramble IN OUT (the stored block form)"},
    {"script", CommandScript, "script dump FILE.script (function tree and instructions); script run FILE.script --call NAME [--resume VALUE ...]"},
};

void PrintUsage()
{
    std::fprintf(stderr, "usage: vornel <command> [arguments]\n\ncommands:\n");
    for (const auto& row : kCommands)
        std::fprintf(stderr, "  vornel %s\n", row.usage);
}

} // namespace

int CommandVersion(int, char**)
{
    std::printf("vornel 3.115\n");
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    for (const auto& row : kCommands) {
        if (std::strcmp(argv[1], row.name) == 0)
            return row.run(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "vornel: unknown command '%s'\n", argv[1]);
    PrintUsage();
    return 2;
}
