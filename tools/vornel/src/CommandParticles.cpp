// vornel particles: one particle of each kind drawn with the engine's particle manager through
// the GL renderer, as a game maker checks the sprite pictures of a data folder and their fade.
#include "Commands.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "OffscreenRenderer.h"
#include "Vornel3D_ToolBox/CParticulesBase.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsParameters_File.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace fs = std::filesystem;

namespace {

constexpr uint16_t kCell = 128;  // pixels of the picture a particle
constexpr uint16_t kPictureWidth = 5 * kCell;
constexpr uint16_t kPictureHeight = kCell + 32;
constexpr float kSpriteSize = 96.0f;
constexpr float kLifetime = 2.0f;    // seconds: --time runs within it
constexpr double kFrameTime = 1.0;   // one thirtieth of a second a step
constexpr uint32_t kBackground = 0xFF202020u;
constexpr uint32_t kTextCharSize = 30;
constexpr const char* kTextFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The glyph pair drawing the text particle.
CVornelFont* g_font = nullptr;

void DrawText(const float* position, uint32_t color, const float* scale, uint16_t flags, const char16_t* text,
              uintptr_t)
{
    if (g_font)
        g_font->DrawText(text, position[0], position[1], position[2], flags, color, scale[0], scale[1], nullptr,
                         nullptr, 0);
}

bool ParseSeconds(const char* text, float& seconds)
{
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, seconds);
    return result.ec == std::errc() && result.ptr == end && seconds >= 0.0f && seconds < kLifetime;
}

// A glyph pair of DejaVu Sans made in a scratch folder and loaded: false after saying why.
bool LoadTextFont(CVornelFont& font, const fs::path& scratch)
{
    std::error_code error;
    fs::create_directories(scratch, error);
    const fs::path face = scratch / "DejaVuSans.ttf";
    if (!fs::copy_file(kTextFace, face, fs::copy_options::overwrite_existing, error)) {
        std::fprintf(stderr, "vornel particles: cannot read %s (fonts-dejavu-core)\n", kTextFace);
        return false;
    }
    CVornelFont writer(nullptr);
    if (Failed(writer.RenderTTF(UtilsString_FromUtf8(face.c_str()).c_str(), kTextCharSize, 3))) {
        std::fprintf(stderr, "vornel particles: no glyph pair from %s\n", kTextFace);
        return false;
    }
    for (const auto& entry : fs::directory_iterator(scratch, error)) {
        if (entry.path().extension() != ".glyph")
            continue;
        std::string why;
        if (Succeeded(LoadShowFont(font, entry.path().string(), 0, why)))
            return true;
        std::fprintf(stderr, "vornel particles: %s: %s\n", entry.path().c_str(), why.c_str());
        return false;
    }
    std::fprintf(stderr, "vornel particles: no glyph pair from %s\n", kTextFace);
    return false;
}

int Show(const char* dataDir, const char* out, const char* settingsPath, float seconds)
{
    std::error_code error;
    if (!fs::is_directory(dataDir, error)) {
        std::fprintf(stderr, "vornel particles: %s is not a folder\n", dataDir);
        return 1;
    }
    COffscreenRenderer renderer;
    std::string why;
    if (!renderer.Open(kPictureWidth, kPictureHeight, why)) {
        std::fprintf(stderr, "vornel particles: %s\n", why.c_str());
        return 1;
    }
    WorldData* w = renderer.World();
    std::string folder = fs::path(dataDir).string();
    if (folder.back() != '/')
        folder += '/';
    UtilsString_Copy(w->dataPath, kWorldTextSize, UtilsString_FromUtf8(folder.c_str()).c_str());
    UtilsParameters_File settings(settingsPath ? UtilsString_FromUtf8(settingsPath).c_str() : u"", 0);
    w->pAppSettings = &settings;
    w->frameTime = kFrameTime;

    const fs::path scratch = fs::temp_directory_path() / ("vornel-particles-" + std::to_string(std::rand()));
    CVornelFont font(w);
    const bool fontLoaded = LoadTextFont(font, scratch);
    fs::remove_all(scratch, error);
    if (!fontLoaded) {
        font.Unload();
        return 1;
    }

    CParticulesBase manager(w);
    ParticleSpriteRecord records[kParticleGroupCount];
    for (auto& record : records)
        record = ParticleSpriteRecord{kSpriteSize, 0, 0};
    if (Failed(manager.LoadParameters(records, 0))) {
        std::fprintf(stderr, "vornel particles: %s\n", UtilsString_ToUtf8(w->lastErrorText).c_str());
        manager.Unload();
        font.Unload();
        return 1;
    }
    g_font = &font;
    manager.SetTextCallback(DrawText);
    // A firework, a star, a pulse and a falling star (with the extra picture), each in its
    // cell, and a rising text; envelope 0 for the sprites, envelope 3 for the pulse.
    const float y = kCell / 2.0f + 16.0f;
    auto cell = [&](int i) { return C3DVector3{kCell * (i + 0.5f), y, 0.0f}; };
    manager.AddParticle1(cell(0), 0, 0, 0, kLifetime, 0xFFFFFFFFu, nullptr);
    manager.AddParticle2(cell(1), 1, 1, 0, kLifetime, 0xFFFFFFFFu, nullptr);
    manager.AddParticle3(cell(2), 2, 2, 3, kLifetime, 0, 0xFFFFFFFFu, nullptr);
    manager.AddParticle4(cell(3), 3, 3, 0, C3DVector3{0.0f, 0.0f, 0.0f}, 0.0f, kLifetime, 0xFFFFFFFFu, nullptr, 0);
    C3DVector3 textAt = cell(4);
    textAt.x -= kCell / 3.0f;
    manager.AddParticle5(textAt, u"+100", 0, C3DVector2{float(kTextCharSize), float(kTextCharSize)}, 0x100,
                         kLifetime, 0xFFFFFF40u);
    // The addition took the first step.
    for (int step = 1; step < int(seconds * 30.0f + 0.5f); ++step)
        manager.Update();
    renderer.BeginFrame(kBackground);
    manager.RenderAll();
    const Status saved = renderer.SavePicture(out);
    g_font = nullptr;
    manager.Unload();
    font.Unload();
    if (Failed(saved)) {
        std::fprintf(stderr, "vornel particles: cannot write %s: %s\n", out, StatusWords(saved).c_str());
        return 1;
    }
    std::printf("%s: %ux%u at %.3f s\n", out, unsigned(kPictureWidth), unsigned(kPictureHeight), double(seconds));
    return 0;
}

}  // namespace

int CommandParticles(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[0], "show") != 0)
        return kExitUsage;
    const char* settings = nullptr;
    float seconds = 1.0f;
    for (int i = 3; i < argc; i += 2) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        if (ok && std::strcmp(option, "--settings") == 0)
            settings = value;
        else if (ok && std::strcmp(option, "--time") == 0)
            ok = ParseSeconds(value, seconds);
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "vornel particles: bad option %s%s%s\n", option, value ? " " : "",
                         value ? value : "");
            return kExitUsage;
        }
    }
    return Show(argv[1], argv[2], settings, seconds);
}
