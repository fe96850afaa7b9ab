// vornel image: describes and converts the engine's image files through its own reader and
// writers (PNG, JPEG, TGA, ".raw" in; PNG, JPEG out), and draws pictures from recipes.
#include "Commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "OutputFile.h"
#include "Vornel3D/C3DTextureRaw.h"
#include "Vornel3D_ToolBox/ImageRecipe.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

const char* DepthName(uint8_t depth)
{
    switch (depth) {
    case 8: return "grey";
    case 16: return "grey+alpha";
    case 24: return "RGB";
    case 32: return "RGBA";
    default: return "unknown";
    }
}

std::string FormatName(const char* path)
{
    const std::u16string wide = UtilsString_FromUtf8(path);
    std::string ext = UtilsString_ToUtf8(UtilsString_GetExtension(wide.c_str()));
    for (char& c : ext)
        c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (ext == ".JPG")
        return "JPEG";
    return ext.empty() ? "unknown" : ext.substr(1);
}

// A world with no renderer limits, so images keep the size they have in the file.
std::unique_ptr<WorldData> MakeToolWorld()
{
    auto world = std::make_unique<WorldData>();
    world->dataPathWord = -1;
    return world;
}

bool Load(C3DTextureRaw& image, const char* path)
{
    const std::u16string wide = UtilsString_FromUtf8(path);
    const Status status = image.LoadFromFile(wide.c_str());
    if (Failed(status)) {
        std::fprintf(stderr, "vornel image: cannot read %s: %s\n", path, StatusWords(status).c_str());
        return false;
    }
    return true;
}

// JPEG holds RGB only: grey is widened and alpha dropped.
bool ToRgb(C3DTextureRaw& image)
{
    const uint32_t channels = image.GetDepth() / 8u;
    const size_t count = size_t(image.GetWidth()) * image.GetHeight();
    uint8_t* rgb = static_cast<uint8_t*>(std::malloc(count * 3));
    if (!rgb)
        return false;
    const uint8_t* src = image.GetPixels();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = src + i * channels;
        rgb[i * 3 + 0] = p[0];
        rgb[i * 3 + 1] = channels >= 3 ? p[1] : p[0];
        rgb[i * 3 + 2] = channels >= 3 ? p[2] : p[0];
    }
    const Status status = image.SetPixelsCopy(image.GetWidth(), image.GetHeight(), 24, rgb);
    std::free(rgb);
    return Succeeded(status);
}

int Info(const char* path)
{
    auto world = MakeToolWorld();
    C3DTextureRaw image(world.get());
    if (!Load(image, path))
        return 1;
    std::printf("file: %s\nformat: %s\nwidth: %u\nheight: %u\ndepth: %u (%s)\n", path, FormatName(path).c_str(),
                unsigned(image.GetWidth()), unsigned(image.GetHeight()), unsigned(image.GetDepth()),
                DepthName(image.GetDepth()));
    image.Release();
    return 0;
}

int Convert(const char* in, const char* out)
{
    const std::string outFormat = FormatName(out);
    if (outFormat != "PNG" && outFormat != "JPEG") {
        std::fprintf(stderr, "vornel image: %s: the output must be .png or .jpg\n", out);
        return kExitUsage;
    }
    auto world = MakeToolWorld();
    C3DTextureRaw image(world.get());
    if (!Load(image, in))
        return 1;
    if (outFormat == "JPEG" && image.GetDepth() != 24 && !ToRgb(image)) {
        std::fprintf(stderr, "vornel image: out of memory\n");
        image.Release();
        return 1;
    }
    const std::u16string wide = UtilsString_FromUtf8(out);
    const Status status = image.SaveToFile(wide.c_str(), false);
    image.Release();
    if (Failed(status)) {
        std::fprintf(stderr, "vornel image: cannot write %s: %s\n", out, StatusWords(status).c_str());
        return 1;
    }
    return 0;
}

// A make-style list of what the output was drawn from, for builds that draw again only when
// one of those files changes.
bool WriteDependencies(const char* depfile, const char* out, const std::vector<std::string>& inputs)
{
    auto escaped = [](const std::string& path) {
        std::string text;
        for (char c : path) {
            if (c == ' ' || c == '#' || c == '\\')
                text.push_back('\\');
            if (c == '$')
                text.push_back('$');
            text.push_back(c);
        }
        return text;
    };
    COutputFile output(depfile);
    std::FILE* file = std::fopen(output.TemporaryPath().c_str(), "wb");
    if (file == nullptr)
        return false;
    std::string text = escaped(out) + ":";
    for (const std::string& input : inputs)
        text += " \\\n  " + escaped(input);
    text += "\n";
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
    return ok && output.Commit();
}

int New(const char* recipePath, const char* out, const char* depfile)
{
    const std::string outFormat = FormatName(out);
    if (outFormat != "PNG" && outFormat != "JPEG") {
        std::fprintf(stderr, "vornel image: %s: the output must be .png or .jpg\n", out);
        return 1;
    }
    CRecipeCanvas canvas;
    std::string error;
    std::vector<std::string> inputs;
    if (Failed(ImageRecipe_Draw(recipePath, canvas, error, &inputs))) {
        std::fprintf(stderr, "vornel image: %s\n", error.c_str());
        return 1;
    }
    // The canvas's rows go top-down; the image's pixel block bottom-up.
    const uint32_t width = canvas.Width(), height = canvas.Height();
    const uint32_t channels = outFormat == "PNG" ? 4 : 3;
    std::vector<uint8_t> block(size_t(width) * height * channels);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* from = &canvas.Pixels()[size_t(height - 1 - y) * width * 4];
        uint8_t* to = &block[size_t(y) * width * channels];
        for (uint32_t x = 0; x < width; ++x)
            std::memcpy(to + size_t(x) * channels, from + size_t(x) * 4, channels);
    }
    auto world = MakeToolWorld();
    C3DTextureRaw image(world.get());
    COutputFile output(out);
    bool ok = Succeeded(image.SetPixelsCopy(uint16_t(width), uint16_t(height), uint8_t(channels * 8), block.data()));
    ok = ok && Succeeded(image.SaveToFile(UtilsString_FromUtf8(output.TemporaryPath().c_str()).c_str(), false));
    image.Release();
    if (!ok || !output.Commit()) {
        std::fprintf(stderr, "vornel image: cannot write %s\n", out);
        return 1;
    }
    if (depfile && !WriteDependencies(depfile, out, inputs)) {
        std::fprintf(stderr, "vornel image: cannot write %s\n", depfile);
        return 1;
    }
    return 0;
}

} // namespace

int CommandImage(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "info") == 0)
        return Info(argv[1]);
    if (argc == 3 && std::strcmp(argv[0], "convert") == 0)
        return Convert(argv[1], argv[2]);
    if (argc == 3 && std::strcmp(argv[0], "new") == 0)
        return New(argv[1], argv[2], nullptr);
    if (argc == 5 && std::strcmp(argv[0], "new") == 0 && std::strcmp(argv[3], "--depfile") == 0)
        return New(argv[1], argv[2], argv[4]);
    return kExitUsage;
}
