// vornel scene: element-info files "NAME_object_K.raw" built from a readable scene source, and
// printed back in that source's syntax through the game's own reader.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelWorld/GameData.h"
#include "OutputFile.h"
#include "SceneSource.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

int Build(const char* scenePath, const std::string& outDir, const std::string& base, uint32_t number)
{
    SceneSource source;
    std::string error;
    if (!SceneSource_Read(scenePath, source, error)) {
        std::fprintf(stderr, "vornel scene: %s\n", error.c_str());
        return 1;
    }
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    if (Failed(WriteElementInfo(&stream, source.View()))) {
        std::fprintf(stderr, "vornel scene: %s: cannot be written as an element-info file\n", scenePath);
        return 1;
    }
    const std::string outPath = outDir + "/" + base + "_object_" + std::to_string(number) + ".raw";
    COutputFile output(outPath);
    std::FILE* file = std::fopen(output.TemporaryPath().c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = std::fwrite(stream.GetBlock(), 1, stream.GetSize(), file) == stream.GetSize();
        ok = std::fclose(file) == 0 && ok;
    }
    stream.Close();
    if (!ok || !output.Commit()) {
        std::fprintf(stderr, "vornel scene: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

int Dump(const char* path)
{
    auto world = std::make_unique<WorldData>();
    GameData* game = GameDataCreate();
    if (!game) {
        std::fprintf(stderr, "vornel scene: out of memory\n");
        return 1;
    }
    world->pGame = game;
    game->modeWord = kResourceSourceFile;  // the path as given, no data folder in front
    int result = 0;
    {
        CObjectsLevel object(world.get(), 0, 0);
        const std::u16string widePath = UtilsString_FromUtf8(path);
        const Status status = object.BuildFromRaw(widePath.c_str());
        if (Failed(status)) {
            std::string reason = StatusWords(status);
            if (status == kStatusMismatch)
                reason += ": " + UtilsString_ToUtf8(world->lastErrorText);
            std::fprintf(stderr, "vornel scene: %s: not a readable element-info file: %s\n", path, reason.c_str());
            result = 1;
        } else {
            std::vector<std::string> sounds;
            CFIFOList& list = object.GetSoundList();
            for (void* name = list.GetFirst(); name; name = list.GetNext())
                sounds.emplace_back(static_cast<const char*>(name));
            std::fputs(SceneSource_Print(object.GetElementInfoView(), sounds).c_str(), stdout);
        }
    }
    GameDataFree(game);
    return result;
}

}  // namespace

int CommandScene(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "dump") == 0)
        return Dump(argv[1]);
    if (argc == 7 && std::strcmp(argv[0], "build") == 0) {
        std::string base;
        uint32_t number = 0;
        bool numberGiven = false;
        for (int i = 3; i + 1 < argc; i += 2) {
            if (std::strcmp(argv[i], "--base") == 0) {
                base = argv[i + 1];
            } else if (std::strcmp(argv[i], "--number") == 0) {
                const int32_t value = UtilsString_ToIntA(argv[i + 1]);
                numberGiven = value >= 0 && std::to_string(value) == argv[i + 1];
                number = uint32_t(value);
            } else {
                return kExitUsage;
            }
        }
        if (base.empty() || !numberGiven)
            return kExitUsage;
        return Build(argv[1], argv[2], base, number);
    }
    return kExitUsage;
}
