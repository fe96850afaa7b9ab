// Wrapping and drawing 10,000 characters with a glyph-pair font made from DejaVu Sans, through
// the font and the OpenGL renderer (on the tool's window of its own), against a hand-written loop that draws the same quads from
// one vertex array with the same texture and states. Both draw into the same 1024 x 768 window
// on the same context and end each frame with glFinish. Needs a display (make bench runs under
// xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <random>
#include <vector>

#include "BenchTimedApart.h"
#include "OffscreenRenderer.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr uint16_t kWidth = 1024, kHeight = 768;
constexpr size_t kCharacters = 10000;
constexpr float kScale = 10.0f;     // text units of a line
constexpr uint16_t kWrapWidth = 1000;
constexpr float kLeft = 10.0f, kTop = 10.0f;
constexpr uint32_t kColor = 0xFFFFFFFFu;
constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Scene {
    COffscreenRenderer renderer;
    std::unique_ptr<CVornelFont> font;
    std::u16string text;
    std::vector<char16_t> wrapped;
    std::vector<float> vertices;  // the bare loop's array: x, y, u, v per corner
    bool ready = false;
};

// A French text of codes below 256, repeated to the length.
std::u16string Text()
{
    const std::u16string words =
        u"Objet trouvé : 3/10. Le cadran de l'horloge tourne, la clé ouvre le tiroir du bureau; ";
    std::u16string text;
    while (text.size() < kCharacters)
        text += words;
    text.resize(kCharacters);
    return text;
}

// The renderer, the glyph pair (made beside a copy of the face in a folder of the bench's own)
// loaded into a font, and the text.
bool MakeScene(Scene& s)
{
    std::string error;
    if (!std::filesystem::exists(kFace) || !s.renderer.Open(kWidth, kHeight, error))
        return false;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_text-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kFace, folder / "face.ttf", std::filesystem::copy_options::overwrite_existing);
    CVornelFont writer(nullptr);
    const std::u16string face = UtilsString_FromUtf8((folder / "face.ttf").c_str());
    const bool rendered = Succeeded(writer.RenderTTF(face.c_str(), 20, 2));
    std::filesystem::path glyph, sheet;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".glyph")
            glyph = entry.path();
        else if (entry.path().extension() == ".png")
            sheet = entry.path();
    }
    s.font = std::make_unique<CVornelFont>(s.renderer.World());
    const bool loaded = rendered && Succeeded(s.font->Init(kFontGlyph, kFontScreenObject, kFontDefaultMaxChars)) &&
                        Succeeded(s.font->LoadFontGlyphFromFile(UtilsString_FromUtf8(sheet.c_str()).c_str(),
                                                                UtilsString_FromUtf8(glyph.c_str()).c_str()));
    std::filesystem::remove_all(folder);
    s.text = Text();
    s.wrapped.resize(s.text.size() * 2 + 1);
    return loaded;
}

Scene& GetScene()
{
    static Scene scene;
    static const bool ready = scene.ready = MakeScene(scene);
    (void)ready;
    return scene;
}

void DrawEngineFrame(Scene& s)
{
    s.renderer.BeginFrame(0xFF000000u);
    s.font->WrapText(kScale, 0, s.text.c_str(), s.wrapped.data(), uint32_t(s.wrapped.size()), kWrapWidth, u' ', u"",
                     u"", 1);
    s.font->DrawText(s.wrapped.data(), kLeft, kTop, 0.0f, 0, kColor, kScale, kScale, nullptr, nullptr, 0);
    glFinish();
}

// The quads the font draws for the wrapped text, by hand: six corners a character.
void BuildQuads(Scene& s)
{
    s.vertices.clear();
    const CharRect* cells = s.font->GetCharTable();
    const float left = std::floor(kLeft) + 0.5f;
    float x = left, y = kTop;
    for (const char16_t* c = s.wrapped.data(); *c; ++c) {
        if (*c == u'\n') {
            x = left;
            y += kScale;
            continue;
        }
        if (*c >= kFontCharCount || IsAbsent(cells[*c]))
            continue;
        const CharRect& r = cells[*c];
        const float w = s.font->CharWidth(*c, kScale);
        // Texture rows are stored bottom-up: v counts from the sheet's bottom.
        const float corners[6][4] = {{x, y, r.left, 1 - r.top},          {x + w, y, r.right, 1 - r.top},
                                     {x, y + kScale, r.left, 1 - r.bottom}, {x, y + kScale, r.left, 1 - r.bottom},
                                     {x + w, y, r.right, 1 - r.top},      {x + w, y + kScale, r.right, 1 - r.bottom}};
        for (const auto& corner : corners)
            s.vertices.insert(s.vertices.end(), corner, corner + 4);
        x += w;
    }
}

void DrawBareFrame(Scene& s)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    BuildQuads(s);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, static_cast<C3DTexture_GL*>(s.font->GetTexture(0))->GetName_GL());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), s.vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), s.vertices.data() + 2);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(s.vertices.size() / 4));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glFinish();
}

// Both loops must draw the same picture for the comparison to mean anything.
bool SamePicture(Scene& s)
{
    std::vector<uint8_t> engine(size_t(kWidth) * kHeight * 3), bare(engine.size());
    DrawEngineFrame(s);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, engine.data());
    DrawBareFrame(s);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, bare.data());
    size_t differing = 0, lit = 0;
    for (size_t i = 0; i < engine.size(); ++i) {
        differing += std::abs(int(engine[i]) - int(bare[i])) > 2;
        lit += engine[i] > 0x80;
    }
    return lit > 10000 && differing * 1000 < engine.size();
}

void EngineText(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display, no GL context or no DejaVu Sans");
        return;
    }
    for (auto _ : state)
        DrawEngineFrame(s);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kCharacters));
}

void BareText(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display, no GL context or no DejaVu Sans");
        return;
    }
    for (auto _ : state)
        DrawBareFrame(s);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kCharacters));
}

// "ratio": the font's frames over the bare loop's; "chars_per_ms": the characters the font
// wraps and draws a millisecond.
void EngineOverBare(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display, no GL context or no DejaVu Sans");
        return;
    }
    if (!SamePicture(s)) {
        state.SkipWithError("the font and the bare loop draw different pictures");
        return;
    }
    const double engineMs = TimeApart(state, [&] { DrawEngineFrame(s); }, [&] { DrawBareFrame(s); });
    state.counters["chars_per_ms"] = engineMs > 0 ? double(state.iterations()) * kCharacters / engineMs : 0.0;
}

}  // namespace

// The machine is shared: medians of repeated runs, not single runs, are compared. The times
// are wall times: llvmpipe draws in threads of its own, which the main thread's CPU time misses.
BENCHMARK(EngineText)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BareText)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(EngineOverBare)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
