// The game's particles manager against the engine's particle manager in one run: 10,000 falling
// stars thrown by the game manager's explosions, with 50 circling emitters, stepped and drawn a
// frame at a time through the game manager; and the same particles added straight to an engine
// manager, stepped and drawn the same way. The ratio is the game manager's own cost. Both draw
// into the same 1024 x 768 window and end each frame with glFinish; the frames run without a
// frame time, so that both draw one picture all along. Needs a display (make bench runs under
// xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchParticleSprites.h"
#include "BenchSamePicture.h"
#include "BenchTimedApart.h"
#include "NimbrelManagers/CParticules.h"
#include "OffscreenRenderer.h"
#include "VornelUtils/UtilsParameters.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint16_t kWidth = 1024, kHeight = 768;
constexpr uint32_t kParticles = 10000;
constexpr int kEmitters = 50;
constexpr float kLifetime = 1000.0f;  // seconds: none runs out
constexpr uint32_t kEnvelope = 0;
constexpr const char* kSettings =
    "[PARTICULES]\nSTAR_TEXTURE_FILE_NAME = b.tga\nPULSE_TEXTURE_FILE_NAME = c.tga\nEXTRA_TEXTURE_FILE_NAME = d.tga\n";

struct Scene {
    COffscreenRenderer renderer;
    std::unique_ptr<UtilsParameters_Text> settings;
    std::unique_ptr<CParticules> game;
    std::unique_ptr<CParticulesBase> engine;
    bool ready = false;
};

bool MakeScene(Scene& s)
{
    std::string error;
    if (!s.renderer.Open(kWidth, kHeight, error))
        return false;
    WorldData* w = s.renderer.World();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_particules-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    WriteSpriteTga(folder / "b.tga", 255, 255, 160);
    WriteSpriteTga(folder / "c.tga", 120, 200, 255);
    WriteSpriteTga(folder / "d.tga", 255, 120, 220);
    UtilsString_Copy(w->dataPath, kWorldTextSize, UtilsString_FromUtf8((folder.string() + "/").c_str()).c_str());
    s.settings = std::make_unique<UtilsParameters_Text>(kSettings, uint32_t(std::strlen(kSettings)));
    w->pAppSettings = s.settings.get();
    w->frameTime = 0.0;
    UtilsRandom_Seed(w, 42);
    s.game = std::make_unique<CParticules>(w);
    s.engine = std::make_unique<CParticulesBase>(w);
    ParticleSpriteRecord records[kParticleGroupCount];
    for (uint32_t i = 0; i < kParticleGroupCount; ++i)
        records[i] = ParticleSpriteRecord{24.0f, i % 5, 0};
    for (CParticulesBase* manager : {static_cast<CParticulesBase*>(s.game.get()), s.engine.get()})
        manager->SetEnableMask(kParticulesEnableMask);
    const bool loaded =
        Succeeded(s.game->LoadParameters(records, 0)) && Succeeded(s.engine->LoadParameters(records, 0));
    std::filesystem::remove_all(folder);
    if (!loaded)
        return false;
    // Explosions all over the window, then the emitters; the last explosion's extra stars go.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(0.0f, kWidth), down(0.0f, kHeight);
    while (s.game->GetParticleCount() < kParticles) {
        const C3DVector3 at{across(random), down(random), 0.0f};
        const uint32_t color = 0xFF000000u | (random() & 0xFFFFFFu);
        s.game->AddExplosionAround(at, 1, 4 * (1 + random() % 4), kEnvelope, kLifetime, color, nullptr);
    }
    while (s.game->GetParticleCount() > kParticles)
        s.game->RemoveParticle(static_cast<CParticule*>(s.game->GetParticles().GetLast()));
    for (int i = 0; i < kEmitters; ++i)
        s.game->AddEmitter({across(random), down(random), 0.0f}, nullptr, 1.0e6f, 0xFFFFFFFFu);
    // The same stars, straight into the engine's manager.
    CFIFOList& list = s.game->GetParticles();
    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
        auto* star = static_cast<CParticuleFallingStar*>(p);
        s.engine->AddParticle4(star->GetPosition(), star->GetTextureIndex(), star->GetGroup(), kEnvelope,
                               star->GetVelocity(), 0.0f, star->GetLifetime(), star->GetColor(), nullptr, 1);
    }
    return s.engine->GetParticleCount() == kParticles;
}

Scene& GetScene()
{
    static Scene scene;
    static const bool ready = scene.ready = MakeScene(scene);
    (void)ready;
    return scene;
}

void DrawFrame(Scene& s, CParticulesBase& manager)
{
    s.renderer.BeginFrame(0xFF000000u);
    manager.Update();
    manager.Render(kParticulesBehind);
    manager.Render(kParticulesInFront);
    glFinish();
}

// "ratio": the game manager's frames over the engine manager's.
void GameOverEngine(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    if (!SamePicture(kWidth, kHeight, [&] { DrawFrame(s, *s.game); }, [&] { DrawFrame(s, *s.engine); })) {
        state.SkipWithError("the two managers draw different pictures");
        return;
    }
    TimeApart(state, [&] { DrawFrame(s, *s.game); }, [&] { DrawFrame(s, *s.engine); });
    state.SetItemsProcessed(int64_t(state.iterations()) * kParticles);
}

}  // namespace

// The machine is shared: medians of repeated runs are compared, in wall time (llvmpipe draws
// in threads of its own).
BENCHMARK(GameOverEngine)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
