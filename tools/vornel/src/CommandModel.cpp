// vornel model: prints a ".3dx" model as text, builds one from that text, and converts ".obj"
// files, all through the engine's own model reader and writer (shape and atlas: CommandModelShape).
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "ModelText.h"
#include "OutputFile.h"
#include "Vornel3D_ToolBox/RecipeReader.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// A model text is read whole; far larger than the text of any model the game holds.
constexpr size_t kModelTextLimit = size_t(256) << 20;

std::unique_ptr<WorldData> MakeToolWorld()
{
    auto world = std::make_unique<WorldData>();
    world->dataPathWord = -1;
    return world;
}

bool Load(C3DObjectRaw& raw, const char* path)
{
    const Status status = raw.LoadFromFile(UtilsString_FromUtf8(path).c_str());
    if (Failed(status)) {
        std::fprintf(stderr, "vornel model: cannot read %s: %s\n", path, StatusWords(status).c_str());
        return false;
    }
    return true;
}

// Writes the model whole or not at all.
int Save(C3DObjectRaw& raw, const char* path, uint32_t flags)
{
    COutputFile output(path);
    const Status status = raw.SaveToFile(UtilsString_FromUtf8(output.TemporaryPath().c_str()).c_str(), flags);
    if (Failed(status)) {
        std::fprintf(stderr, "vornel model: cannot write %s (a .3dx file): %s\n", path, StatusWords(status).c_str());
        return 1;
    }
    if (!output.Commit()) {
        std::fprintf(stderr, "vornel model: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int Info(const char* path, bool vertices)
{
    auto world = MakeToolWorld();
    C3DObjectRaw raw(world.get());
    if (!Load(raw, path))
        return 1;
    // A ".obj" model has no header of its own: it shows the blocks convert writes.
    const uint32_t flags = raw.GetFileLayout() ? raw.GetFileFlags() : kModelAllBlocks;
    std::printf("# %s%s\n", path, raw.GetFileLayout() == k3dxLayout32 ? " (layout 32; written as 64)" : "");
    ModelText_Print(stdout, raw, flags, vertices);
    return 0;
}

int Build(const char* in, const char* out)
{
    std::string text;
    std::FILE* file = std::fopen(in, "rb");
    bool ok = file != nullptr;
    char buffer[65536];
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        ok = (text.size() + n <= kModelTextLimit) && (text.append(buffer, n), true);
    if (file) {
        ok = ok && !std::ferror(file);
        std::fclose(file);
    }
    if (!ok) {
        std::fprintf(stderr, "vornel model: cannot read %s\n", in);
        return 1;
    }
    auto world = MakeToolWorld();
    C3DObjectRaw raw(world.get());
    uint32_t flags = 0;
    std::string error;
    if (!ModelText_Read(in, text, raw, flags, error)) {
        std::fprintf(stderr, "vornel model: %s\n", error.c_str());
        return 1;
    }
    return Save(raw, out, flags);
}

int Convert(const char* in, const char* out)
{
    auto world = MakeToolWorld();
    C3DObjectRaw raw(world.get());
    if (!Load(raw, in))
        return 1;
    return Save(raw, out, kModelAllBlocks);
}

} // namespace

int CommandModel(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "info") == 0)
        return Info(argv[1], false);
    if (argc == 3 && std::strcmp(argv[0], "info") == 0 && std::strcmp(argv[2], "--vertices") == 0)
        return Info(argv[1], true);
    if (argc == 3 && std::strcmp(argv[0], "build") == 0)
        return Build(argv[1], argv[2]);
    if (argc == 3 && std::strcmp(argv[0], "convert") == 0)
        return Convert(argv[1], argv[2]);
    if (argc >= 1 && std::strcmp(argv[0], "shape") == 0)
        return CommandModelShape(argc - 1, argv + 1);
    if (argc >= 1 && std::strcmp(argv[0], "atlas") == 0)
        return CommandModelAtlas(argc - 1, argv + 1);
    return kExitUsage;
}
