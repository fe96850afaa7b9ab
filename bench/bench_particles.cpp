// 10,000 live particles of the four sprite kinds (fireworks, stars, pulses, falling stars),
// stepped and drawn each frame by the particle manager through the OpenGL renderer (on the
// tool's window of its own), against a bare GL loop drawing the same 10,000 textured quads with
// the same matrices, colours and textures. Both draw into the same 1024 x 768 window on the same
// context and end each frame with glFinish. Needs a display (make bench runs under xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchParticleSprites.h"
#include "BenchTimedApart.h"
#include "OffscreenRenderer.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "Vornel3D_ToolBox/CParticulesBase.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint16_t kWidth = 1024, kHeight = 768;
constexpr int kParticles = 10000;
constexpr float kSpriteSize = 24.0f;
constexpr float kLifetime = 2.0f;  // seconds
constexpr const char* kSettings =
    "[PARTICULES]\nFIREMORK_TEXTURE_FILE_NAME = a.tga\nSTAR_TEXTURE_FILE_NAME = b.tga\n"
    "PULSE_TEXTURE_FILE_NAME = c.tga\nEXTRA_TEXTURE_FILE_NAME = d.tga\n";

// What the bare loop draws of a particle: its texture, matrix and colour, as the engine would.
struct Quad {
    uint32_t texture;
    uint32_t group;
    float angle, scale;
    float x, y;
    uint32_t color;
};

struct Scene {
    COffscreenRenderer renderer;
    std::unique_ptr<UtilsParameters_Text> settings;
    std::unique_ptr<CParticulesBase> manager;
    std::vector<Quad> quads;
    std::vector<float> corners;  // the bare loop's sprite shapes: x, y, u, v per corner
    bool ready = false;
};

// The quad of a listed particle, read back from its kind.
Quad QuadOf(CParticule* p)
{
    Quad q{p->GetTextureIndex(), p->GetGroup(), 0.0f, 1.0f, p->GetPosition().x, p->GetPosition().y, p->GetColor()};
    float alpha = 1.0f;
    if (auto* f = dynamic_cast<CParticuleFirework*>(p)) {
        q.angle = f->GetAngle();
        q.scale = f->GetScale();
        alpha = f->GetAlpha();
    } else if (auto* s = dynamic_cast<CParticuleStar*>(p)) {
        q.angle = s->GetAngle();
        alpha = s->GetAlpha();
    } else if (auto* u = dynamic_cast<CParticulePulse*>(p)) {
        alpha = u->GetAlpha();
    } else if (auto* c = dynamic_cast<CParticuleFallingStar*>(p)) {
        alpha = c->GetAlpha();
    }
    const float byte = alpha * 255.0f;
    q.color = (q.color & 0x00FFFFFFu) | uint32_t(byte > 0.0f ? (byte < 255.0f ? byte : 255.0f) : 0.0f) << 24;
    return q;
}

bool MakeScene(Scene& s)
{
    std::string error;
    if (!s.renderer.Open(kWidth, kHeight, error))
        return false;
    WorldData* w = s.renderer.World();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_particles-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    WriteSpriteTga(folder / "a.tga", 255, 200, 80);
    WriteSpriteTga(folder / "b.tga", 255, 255, 160);
    WriteSpriteTga(folder / "c.tga", 120, 200, 255);
    WriteSpriteTga(folder / "d.tga", 255, 120, 220);
    UtilsString_Copy(w->dataPath, kWorldTextSize, UtilsString_FromUtf8((folder.string() + "/").c_str()).c_str());
    s.settings = std::make_unique<UtilsParameters_Text>(kSettings, uint32_t(std::strlen(kSettings)));
    w->pAppSettings = s.settings.get();
    // The particles are added without a frame time, then stepped once to the middle of their
    // life; the frames run without one, so that both loops draw one picture all along.
    w->frameTime = 0.0;
    UtilsRandom_Seed(w, 42);
    s.manager = std::make_unique<CParticulesBase>(w);
    ParticleSpriteRecord records[kParticleGroupCount];
    for (uint32_t i = 0; i < kParticleGroupCount; ++i)
        records[i] = ParticleSpriteRecord{kSpriteSize, i % 5, 0};
    const bool loaded = Succeeded(s.manager->LoadParameters(records, 0));
    std::filesystem::remove_all(folder);
    if (!loaded)
        return false;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(0.0f, kWidth), down(0.0f, kHeight);
    for (int i = 0; i < kParticles; ++i) {
        const C3DVector3 at{across(random), down(random), 0.0f};
        const uint32_t group = uint32_t(i) % kParticleGroupCount;
        const uint32_t color = 0xFF000000u | (random() & 0xFFFFFFu);
        switch (i % 4) {
        case 0: s.manager->AddParticle1(at, 0, group, 0, kLifetime, color, nullptr); break;
        case 1: s.manager->AddParticle2(at, 1, group, 0, kLifetime, color, nullptr); break;
        case 2: s.manager->AddParticle3(at, 2, group, 3, kLifetime, 1, color, nullptr); break;
        default: s.manager->AddParticle4(at, 3, group, 0, C3DVector3{0, 0, 0}, 0.0f, kLifetime, color, nullptr, 0);
        }
    }
    w->frameTime = 30.0 * kLifetime / 2.0;
    s.manager->Update();
    w->frameTime = 0.0;
    if (s.manager->GetParticleCount() != uint32_t(kParticles))
        return false;
    for (void* p = s.manager->GetParticles().GetFirst(); p; p = s.manager->GetParticles().GetNext())
        s.quads.push_back(QuadOf(static_cast<CParticule*>(p)));
    C3DObject* object = s.manager->GetObject();
    for (uint32_t v = 0; v < 4 * kParticleGroupCount; ++v) {
        const C3DVector3 p = object->GetVertexPosition(v);
        const C3DVector2 uv = object->GetVertexUV0(v);
        // Texture rows are stored bottom-up: v counts from the picture's bottom.
        s.corners.insert(s.corners.end(), {p.x, p.y, uv.x, 1.0f - uv.y});
    }
    return true;
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
    s.manager->Update();
    s.manager->RenderAll();
    glFinish();
}

void DrawBareFrame(Scene& s)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), s.corners.data());
    glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), s.corners.data() + 2);
    GLuint names[kParticleTextureCount];
    for (uint32_t i = 0; i < kParticleTextureCount; ++i)
        names[i] = static_cast<C3DTexture_GL*>(s.manager->GetTexture(i))->GetName_GL();
    for (const Quad& q : s.quads) {
        glBindTexture(GL_TEXTURE_2D, names[q.texture]);
        const float c = std::cos(q.angle) * q.scale, n = std::sin(q.angle) * q.scale;
        const float matrix[16] = {c, n, 0, 0, -n, c, 0, 0, 0, 0, q.scale, 0, q.x, q.y, 0, 1};
        glLoadMatrixf(matrix);
        glColor4ub(uint8_t(q.color >> 16), uint8_t(q.color >> 8), uint8_t(q.color), uint8_t(q.color >> 24));
        glDrawArrays(GL_TRIANGLE_STRIP, GLint(4 * q.group), 4);
    }
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
        differing += std::abs(int(engine[i]) - int(bare[i])) > 8;
        lit += engine[i] > 0x40;
    }
    std::fprintf(stderr, "bench_particles: %zu of %zu bytes lit, %zu differ\n", lit, engine.size(), differing);
    return lit > 100000 && differing * 100 < engine.size();
}

void EngineParticles(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    for (auto _ : state)
        DrawEngineFrame(s);
    state.SetItemsProcessed(int64_t(state.iterations()) * kParticles);
}

void BareParticles(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    for (auto _ : state)
        DrawBareFrame(s);
    state.SetItemsProcessed(int64_t(state.iterations()) * kParticles);
}

// "ratio": the manager's frames over the bare loop's; "fps": the manager's frames a second.
void EngineOverBare(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    if (!SamePicture(s)) {
        state.SkipWithError("the manager and the bare loop draw different pictures");
        return;
    }
    const double engineMs = TimeApart(state, [&] { DrawEngineFrame(s); }, [&] { DrawBareFrame(s); });
    state.counters["fps"] = engineMs > 0 ? double(state.iterations()) * 1000.0 / engineMs : 0.0;
}

}  // namespace

// The machine is shared: medians of repeated runs, not single runs, are compared. The times
// are wall times: llvmpipe draws in threads of its own, which the main thread's CPU time misses.
BENCHMARK(EngineParticles)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BareParticles)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(EngineOverBare)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
