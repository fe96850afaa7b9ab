// vornel model shape|atlas: a built-in shape saved as a model, and a model whose textures are
// packed into atlas pages. Both build on an object of the GL renderer, as the game would.
#include "Commands.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ModelText.h"
#include "OffscreenRenderer.h"
#include "OutputFile.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DObjectRaw.h"
#include "Vornel3D/C3DShapes.h"
#include "Vornel3D/C3DTexture.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// One 32-bit field of a shape's record: its key, its place and whether it is a float.
struct ShapeField {
    const char* key;
    bool isFloat;
    double value; // the default (a count, code or colour as its number)
};

struct ShapeKind {
    uint32_t kind;
    std::vector<ShapeField> fields; // in record order
};

constexpr double kWhite = 0xFFFFFFFFu;

// The fields of each kind's record, in order (C3DShapes.h), with defaults that make a shape
// of about one unit.
const ShapeKind kShapeKinds[] = {
    {k3DShapeSphere, {{"radius", true, 1}, {"segments", false, 16}, {"color", false, kWhite}, {"color2", false, 0}}},
    {k3DShapeHalfSphere,
     {{"radius", true, 1}, {"segments", false, 16}, {"color", false, kWhite}, {"color2", false, 0}}},
    {k3DShapeDiscFan,
     {{"diameter", true, 1}, {"segments", false, 16}, {"height", true, 0}, {"axis", false, 0},
      {"textureMode", false, 0}, {"color", false, kWhite}, {"color2", false, 0}, {"textureScaleU", true, 1},
      {"textureScaleV", true, 1}}},
    {k3DShapeDiscList,
     {{"diameter", true, 1}, {"segments", false, 16}, {"height", true, 0}, {"axis", false, 0},
      {"textureMode", false, 0}, {"color", false, kWhite}, {"color2", false, 0}, {"textureScaleU", true, 1},
      {"textureScaleV", true, 1}}},
    {k3DShapeDiscTriangles,
     {{"diameter", true, 1}, {"segments", false, 16}, {"height", true, 0}, {"axis", false, 0},
      {"textureMode", false, 0}, {"color", false, kWhite}, {"color2", false, 0}, {"textureScaleU", true, 1},
      {"textureScaleV", true, 1}}},
    {k3DShapeGrid,
     {{"width", true, 1}, {"depth", true, 1}, {"cellsX", false, 4}, {"cellsY", false, 4}, {"axis", false, 0},
      {"color", false, kWhite}, {"color2", false, 0}, {"textureScaleU", true, 1}, {"textureScaleV", true, 1}}},
    {k3DShapeBox,
     {{"halfX", true, 0.5f}, {"halfY", true, 0.5f}, {"halfZ", true, 0.5f}, {"textureMode", false, 0},
      {"color", false, kWhite}, {"color2", false, 0}, {"t0", true, 0}, {"t1", true, 1}}},
    {k3DShapeAxisCross,
     {{"length", true, 1}, {"colorX", false, 0xFFFF0000u}, {"colorY", false, 0xFF00FF00u},
      {"colorZ", false, 0xFF0000FFu}}},
    {k3DShapeCone,
     {{"sides", false, 16}, {"depth", true, 0}, {"length", true, 1}, {"spread", true, 0.5f},
      {"apexColor", false, kWhite}, {"rimColor", false, kWhite}}},
    {k3DShapeRelief,
     {{"size", true, 1}, {"cells", false, 16}, {"low", true, 0}, {"high", true, 0.1f}, {"flag", false, 0},
      {"unused0", false, 0}, {"unused1", false, 0}, {"textureScaleU", true, 1}, {"textureScaleV", true, 1}}},
    {k3DShapeTube,
     {{"topDiameter", true, 1}, {"bottomDiameter", true, 1}, {"height", true, 1}, {"one", false, 1},
      {"segments", false, 16}, {"axis", false, 0}, {"textureMode", false, 0}, {"color", false, kWhite},
      {"color2", false, 0}, {"textureScaleU", true, 1}, {"textureV", true, 1}}},
    {k3DShapeRings,
     {{"diameter", true, 1}, {"sectors", false, 16}, {"height", true, 0}, {"fraction", true, 0.5f},
      {"rings", false, 4}, {"axis", false, 0}, {"color", false, kWhite}, {"color2", false, 0}}},
    {k3DShapePointSphere,
     {{"radius", true, 1}, {"count", false, 61}, {"color", false, kWhite}, {"color2", false, 0}}},
};

const ShapeKind* FindKind(const char* text)
{
    uint32_t kind = 0;
    const char* end = text + std::strlen(text);
    if (std::from_chars(text, end, kind).ptr != end)
        return nullptr;
    for (const ShapeKind& k : kShapeKinds)
        if (k.kind == kind)
            return &k;
    return nullptr;
}

// A count, code or colour: decimal, or hexadecimal after "0x".
bool ParseWord(const std::string& text, uint32_t& word)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    auto result = std::from_chars(begin, end, word, hex ? 16 : 10);
    return begin != end && result.ec == std::errc() && result.ptr == end;
}

bool ParseFloat(const std::string& text, float& value)
{
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// The record's words from the defaults and the KEY=VALUE arguments; false with the reason.
bool FillRecord(const ShapeKind& kind, int argc, char** argv, std::vector<uint32_t>& words, std::string& error)
{
    words.assign(kind.fields.size(), 0);
    for (size_t f = 0; f < kind.fields.size(); ++f) {
        const ShapeField& field = kind.fields[f];
        const float number = float(field.value);
        if (field.isFloat)
            std::memcpy(&words[f], &number, sizeof(float));
        else
            words[f] = uint32_t(field.value);
    }
    for (int a = 0; a < argc; ++a) {
        const std::string arg = argv[a];
        const size_t equals = arg.find('=');
        const std::string key = arg.substr(0, equals);
        size_t f = 0;
        while (f < kind.fields.size() && key != kind.fields[f].key)
            ++f;
        if (equals == std::string::npos || f == kind.fields.size()) {
            std::string keys;
            for (const ShapeField& field : kind.fields)
                keys += std::string(keys.empty() ? "" : ", ") + field.key;
            error = "shape " + std::to_string(kind.kind) + " has no setting \"" + key + "\" (its keys: " + keys + ")";
            return false;
        }
        const std::string value = arg.substr(equals + 1);
        float number;
        const bool ok = kind.fields[f].isFloat ? ParseFloat(value, number) : ParseWord(value, words[f]);
        if (!ok) {
            error = "\"" + value + "\" is not " + (kind.fields[f].isFloat ? "a number" : "a whole number") +
                    " (" + key + ")";
            return false;
        }
        if (kind.fields[f].isFloat)
            std::memcpy(&words[f], &number, sizeof(float));
    }
    return true;
}

// The renderer for building, or null after saying why.
bool OpenRenderer(COffscreenRenderer& renderer, const char* command)
{
    std::string error;
    if (renderer.Open(64, 64, error))
        return true;
    std::fprintf(stderr, "vornel model %s: %s\n", command, error.c_str());
    return false;
}

std::u16string Wide(const std::string& text)
{
    return UtilsString_FromUtf8(text.c_str());
}

// A folder as a path prefix: with its separator.
std::string Folder(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

} // namespace

int CommandModelShape(int argc, char** argv)
{
    const ShapeKind* kind = argc >= 2 ? FindKind(argv[0]) : nullptr;
    if (!kind) {
        if (argc >= 2)
            std::fprintf(stderr, "vornel model shape: %s is not a shape kind\n", argv[0]);
        return kExitUsage;
    }
    const char* out = argv[1];
    std::vector<uint32_t> words;
    std::string error;
    if (!FillRecord(*kind, argc - 2, argv + 2, words, error)) {
        std::fprintf(stderr, "vornel model shape: %s\n", error.c_str());
        return 1;
    }

    COffscreenRenderer renderer;
    if (!OpenRenderer(renderer, "shape"))
        return 1;
    C3DObject* object = renderer.Engine()->CreateObject(k3DObjectNormals, 0);
    Status status = object ? object->ConstructShape(kind->kind, words.data()) : kStatusOutOfMemory;
    if (Failed(status)) {
        std::fprintf(stderr, "vornel model shape: shape %u cannot be built with these settings: %s\n", kind->kind,
                     StatusWords(status).c_str());
        return 1;
    }
    COutputFile output(out);
    status = object->SaveModelToFile(Wide(output.TemporaryPath()).c_str(), kModelAllBlocks);
    if (Failed(status) || !output.Commit()) {
        std::fprintf(stderr, "vornel model shape: cannot write %s: %s\n", out, StatusWords(status).c_str());
        return 1;
    }
    std::printf("%s: shape %u, groups %u, vertices %u, indices %u\n", out, kind->kind, object->GetGroupCount(),
                object->GetVertexCount(), object->GetObjectIndex()->GetIndexCount());
    renderer.Engine()->ReleaseObject(object);
    return 0;
}

int CommandModelAtlas(int argc, char** argv)
{
    if (argc < 5 || std::strcmp(argv[3], "--page") != 0 || (argc == 6 && std::strcmp(argv[5], "--force") != 0) ||
        argc > 6)
        return kExitUsage;
    const char* in = argv[0];
    const std::string textures = Folder(argv[1]);
    const std::string outFolder = Folder(argv[2]);
    unsigned width = 0, height = 0;
    char rest = 0;
    if (std::sscanf(argv[4], "%ux%u%c", &width, &height, &rest) != 2 || width < 1 || height < 1 || width > 8192 ||
        height > 8192) {
        std::fprintf(stderr, "vornel model atlas: the page size is WIDTHxHEIGHT, each 1 to 8192 (not %s)\n",
                     argv[4]);
        return 1;
    }
    const bool force = argc == 6;

    COffscreenRenderer renderer;
    if (!OpenRenderer(renderer, "atlas"))
        return 1;
    // Textures keep their names relative to the texture folder, where the atlas reads them.
    WorldData* world = renderer.World();
    const std::u16string textureFolder = Wide(textures);
    if (textureFolder.size() >= kWorldTextSize) {
        std::fprintf(stderr, "vornel model atlas: the folder name %s is too long\n", argv[1]);
        return 1;
    }
    std::memset(world->dataPath, 0, sizeof world->dataPath);
    std::memcpy(world->dataPath, textureFolder.c_str(), textureFolder.size() * sizeof(char16_t));
    world->dataPathWord = int32_t(textureFolder.size());

    C3DObject* object = renderer.Engine()->CreateObject(k3DObjectNormals, k3DDrawTexture0);
    Status status = object ? object->LoadModelFromFile(Wide(in).c_str(), textureFolder.c_str()) : kStatusOutOfMemory;
    if (Failed(status)) {
        std::fprintf(stderr, "vornel model atlas: cannot load %s with its textures from %s: %s\n", in,
                     textures.c_str(), StatusWords(status).c_str());
        return 1;
    }
    std::error_code ignored;
    std::filesystem::create_directories(outFolder, ignored);
    const std::vector<uint8_t> chosen(object->GetGroupCount() ? object->GetGroupCount() : 1, 1);
    // Names, not pointers: a page may take the place of the texture it replaces.
    std::vector<std::u16string> before;
    for (uint32_t g = 0; g < object->GetGroupCount(); ++g) {
        C3DTexture* texture = object->GetTexture(g, 0);
        before.push_back(texture && texture->GetName() ? texture->GetName() : u"");
    }
    const std::u16string pages = Wide(outFolder);
    status = object->BuildTextureAtlas(pages.c_str(), u"atlas.%d.png", nullptr, chosen.data(), uint16_t(width),
                                       uint16_t(height), force ? 1 : 0);
    if (Failed(status)) {
        std::fprintf(stderr, "vornel model atlas: cannot build the atlas: %s\n", StatusWords(status).c_str());
        return 1;
    }

    // The groups that now show a page name it as a file beside the model.
    C3DObjectRaw raw(world);
    status = object->SaveToRaw(&raw);
    std::set<std::string> made;
    for (uint32_t g = 0; Succeeded(status) && g < object->GetGroupCount(); ++g) {
        C3DTexture* texture = object->GetTexture(g, 0);
        if (!texture || !texture->GetName() || texture->GetName() == before[g])
            continue;
        const std::string file = std::filesystem::path(UtilsString_ToUtf8(texture->GetName())).filename().string();
        status = raw.SetGroupTexture(g, file.c_str(), texture->GetFlags(), texture->GetSecond());
        if (made.insert(file).second)
            std::printf("%s%s: %u x %u\n", outFolder.c_str(), file.c_str(), texture->GetWidth(),
                        texture->GetHeight());
    }
    if (Succeeded(status) && made.empty()) {
        std::fprintf(stderr,
                     "vornel model atlas: no atlas made: the pages would hold more pixels than the textures "
                     "(--force makes one anyway) or a page would pass %ux%u\n",
                     width, height);
        return 1;
    }
    const std::string modelPath = outFolder + std::filesystem::path(in).filename().string();
    COutputFile output(modelPath);
    if (Succeeded(status))
        status = raw.SaveToFile(Wide(output.TemporaryPath()).c_str(), kModelAllBlocks);
    if (Failed(status) || !output.Commit()) {
        std::fprintf(stderr, "vornel model atlas: cannot write %s: %s\n", modelPath.c_str(),
                     StatusWords(status).c_str());
        return 1;
    }
    std::printf("%s: groups %u, pages %zu\n", modelPath.c_str(), object->GetGroupCount(), made.size());
    return 0;
}
