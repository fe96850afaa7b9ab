// vornel scene: element-info files "NAME_object_K.raw" built from a readable scene source, and
// printed back in that source's syntax through the game's own reader.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/ElementInfoWriter.h"
#include "NimbrelObjects/ObjectModelFiles.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "NimbrelWorld/GameData.h"
#include "OutputFile.h"
#include "SceneSource.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// What `write` puts into a memory stream, as the file at `path`; false with the reason said.
template <typename Writer>
bool WriteFile(const std::string& path, const char* scenePath, const char* what, Writer write)
{
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    if (Failed(write(&stream))) {
        std::fprintf(stderr, "vornel scene: %s: cannot be written as %s\n", scenePath, what);
        return false;
    }
    const bool ok = WriteWholeFile(path, stream.GetBlock(), stream.GetSize());
    stream.Close();
    if (!ok) {
        std::fprintf(stderr, "vornel scene: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// The typed keys of a source track, made into a modifier; null when it cannot be made.
C3DObjectModifier* MakeTrack(WorldData* w, const SceneSource::Element::Anim& anim)
{
    const uint32_t words = SceneSource_AnimValueWords(anim.kind);
    const uint32_t count = uint32_t(anim.keys.size() / (1 + words));
    std::vector<uint32_t> keys;
    for (uint32_t k = 0; k < count; ++k) {
        // Every key record begins with a word kept in memory only.
        keys.push_back(0);
        for (uint32_t i = 0; i <= words; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &anim.keys[k * (1 + words) + i], 4);
            keys.push_back(bits);
        }
    }
    C3DObjectModifier* track = CreateObjectModifier(anim.kind, w);
    if (track && Failed(track->CreateFromKeys(nullptr, 0, keys.data(), count, count, 1.0f))) {
        track->Release();
        delete track;
        track = nullptr;
    }
    return track;
}

int Build(const char* scenePath, const std::string& outDir, const std::string& base, uint32_t number)
{
    SceneSource source;
    std::string error;
    if (!SceneSource_Read(scenePath, source, error)) {
        std::fprintf(stderr, "vornel scene: %s\n", error.c_str());
        return 1;
    }
    const ElementInfoView view = source.View();
    const std::string stem = outDir + "/" + base + "_object_" + std::to_string(number);
    if (!WriteFile(stem + ".raw", scenePath, "an element-info file",
                   [&](UtilsStream* s) { return WriteElementInfo(s, view); }))
        return 1;

    auto world = std::make_unique<WorldData>();
    std::vector<ObjectModelElement> parts;
    std::vector<C3DObjectModifier*> tracks(source.elements.size() * kElementTrackKinds, nullptr);
    bool ok = true;
    for (size_t i = 0; i < source.elements.size(); ++i) {
        const SceneSource::Element& e = source.elements[i];
        parts.push_back({e.record.size[0], e.record.size[1], e.texture.empty() ? nullptr : e.texture.c_str(),
                         e.polygon.empty() ? nullptr : e.polygon.data(), uint32_t(e.polygon.size() / 2)});
        for (const SceneSource::Element::Anim& anim : e.anims)
            ok = ok && (tracks[i * kElementTrackKinds + anim.kind] = MakeTrack(world.get(), anim)) != nullptr;
    }
    for (bool collision : {false, true}) {
        C3DObjectRaw raw(world.get());
        ok = ok && WriteFile(stem + (collision ? ".col.3dx" : ".obj.3dx"), scenePath, "a model", [&](UtilsStream* s) {
                 const Status built = BuildObjectModel(&raw, parts.data(), uint32_t(parts.size()), collision);
                 return Failed(built) ? built : raw.Write3dx(s, kObjectModelFileFlags);
             });
    }
    ok = ok && WriteFile(stem + ".ani.raw", scenePath, "an animation file", [&](UtilsStream* s) {
             return WriteObjectAnimation(s, uint32_t(source.elements.size()), tracks.data());
         });
    for (C3DObjectModifier* track : tracks)
        if (track) {
            track->Release();
            delete track;
        }
    return ok ? 0 : 1;
}

// The model lines of every element, from the model files beside the element-info file; none
// for a file that is not there.
std::vector<std::string> ModelLines(WorldData* w, const std::string& stem, uint32_t count)
{
    std::vector<std::string> texture(count), lines;
    std::vector<std::vector<float>> polygons(count);
    C3DObjectRaw render(w), collision(w);
    const bool haveRender = Succeeded(render.LoadFromFile(UtilsString_FromUtf8((stem + ".obj.3dx").c_str()).c_str()));
    const bool haveCollision =
        Succeeded(collision.LoadFromFile(UtilsString_FromUtf8((stem + ".col.3dx").c_str()).c_str()));
    if (!haveRender && !haveCollision)
        return lines;
    const C3DModelRecord* r = haveRender ? render.GetRecord() : nullptr;
    const C3DModelRecord* c = haveCollision ? collision.GetRecord() : nullptr;
    for (uint32_t i = 0; r && i < count && i < r->groupCount; ++i)
        texture[i] = r->textureNames[i] ? r->textureNames[i] : "";
    for (uint32_t i = 0; c && i < count && i < c->groupCount; ++i) {
        // A fan: the first triangle's corners, then each later triangle's last one. A shape
        // equal to the render model's quad is the element's own and says nothing.
        const C3DGroupRecord& g = c->groups[i];
        if (g.indexCount < 3 || g.indexCount % 3 || g.baseVertex + g.vertexCount > c->vertexCount)
            continue;
        if (r && i < r->groupCount && r->groups[i].vertexCount == g.vertexCount &&
            r->groups[i].baseVertex + g.vertexCount <= r->vertexCount &&
            std::memcmp(&r->positions[r->groups[i].baseVertex], &c->positions[g.baseVertex],
                        g.vertexCount * sizeof(C3DVector3)) == 0)
            continue;
        for (uint32_t k = 0; k < g.indexCount; ++k) {
            if (k >= 3 && k % 3 != 2)
                continue;
            const uint32_t v = g.baseVertex + c->indices[g.firstIndex + k];
            if (v < c->vertexCount)
                polygons[i].insert(polygons[i].end(), {c->positions[v].x, c->positions[v].y});
        }
    }
    std::vector<C3DObjectModifier*> tracks(size_t(count) * kElementTrackKinds, nullptr);
    UtilsStream_File file(kStreamRead, UtilsString_FromUtf8((stem + ".ani.raw").c_str()).c_str());
    uint32_t elements = 0;
    if (Succeeded(file.Open())) {
        if (file.Read(&elements, 4, 1) && elements == count && count)
            ReadObjectTracks(&file, w, count, reinterpret_cast<C3DObjectModifier* (*)[kElementTrackKinds]>(tracks.data()));
        file.Close();
    }
    for (uint32_t i = 0; i < count; ++i)
        lines.push_back(SceneSource_PrintModelLines(texture[i].c_str(), polygons[i], &tracks[size_t(i) * kElementTrackKinds]));
    for (C3DObjectModifier* track : tracks)
        if (track) {
            track->Release();
            delete track;
        }
    return lines;
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
            std::string stem = path;
            if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".raw") == 0)
                stem.erase(stem.size() - 4);
            const std::vector<std::string> models = ModelLines(world.get(), stem, object.GetElementCount());
            std::fputs(SceneSource_Print(object.GetElementInfoView(), sounds, models).c_str(), stdout);
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
