// One frame of the game's typical 2D scene through the OpenGL renderer: a 1024 x 768 textured
// background and 50 alpha-blended 128 x 128 sprites, each its own screen object, against a
// minimal hand-written GL loop that draws the same quads with the same textures. Both draw
// into the same 1024 x 768 window and end each frame with glFinish, so that the rasteriser's
// work is inside the measured time. Needs a display (make bench runs under xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "BenchSamePicture.h"
#include "BenchScreenWorld.h"
#include "BenchTimedApart.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/C3DEngine_GL.h"
#include "Vornel3D_GL/C3DTexture_GL.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint16_t kWidth = 1024, kHeight = 768, kSprite = 128;
constexpr int kSprites = 50;

float SpriteX(int i) { return float((i * 173) % (kWidth - kSprite)); }
float SpriteY(int i) { return float((i * 97) % (kHeight - kSprite)); }

struct Scene {
    std::unique_ptr<WorldData> world;
    std::unique_ptr<C3DMath> math;
    PlatformWindow* window = nullptr;
    C3DEngine_GL* engine = nullptr;
    C3DTexture_GL* background = nullptr;
    C3DTexture_GL* sprite = nullptr;
    C3DObject* backgroundQuad = nullptr;
    std::vector<C3DObject*> spriteQuads;
    bool ready = false;
};

// The words the game's scene objects are made with: a screen object with 16-bit indices whose
// colour is set per draw, drawn with its own render states, alpha blending and its stage-0
// texture.
constexpr uint32_t kSceneFlags = 0x28010;
constexpr uint32_t kSceneCreation = 0x20C29;

C3DObject* MakeQuad(C3DEngine_GL* engine, float x, float y, float w, float h, C3DTexture* texture)
{
    C3DObject* quad = engine->CreateObject(kSceneFlags, kSceneCreation);
    if (!quad || quad->Create(1, 4, 4) != 0)
        return nullptr;
    quad->Lock(0, 2);
    quad->ResetIndices();
    quad->SetVertex(0, x, y, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0);
    quad->SetVertex(1, x + w, y, 0, 0xFFFFFFFFu, 1, 0, 0, 0, 0, 0);
    quad->SetVertex(2, x, y + h, 0, 0xFFFFFFFFu, 0, 1, 0, 0, 0, 0);
    quad->SetVertex(3, x + w, y + h, 0, 0xFFFFFFFFu, 1, 1, 0, 0, 0, 0);
    quad->SetGroup(0, 0, 4, 0, 4, 2, 0, 1, 0xFFFFFFFFu);
    quad->SetTexture(texture, 0, 0);
    quad->Unlock(1);
    return quad;
}

Scene& GetScene()
{
    static Scene scene = [] {
        Scene s;
        if (!Platform_HasDisplay())
            return s;
        s.world = std::make_unique<WorldData>();
        s.math = std::make_unique<C3DMath>(s.world.get());
        WorldData& w = *s.world;
        InitScreenWorld(w, s.math.get(), kWidth, kHeight);
        w.renderPair = {1, 1};
        w.alpha = {1, 1};

        PlatformWindowDesc desc;
        desc.title = "bench_gl";
        desc.width = kWidth;
        desc.height = kHeight;
        desc.visible = true;
        s.window = Platform_CreateWindow(desc);
        s.engine = s.window ? static_cast<C3DEngine_GL*>(CreateModule3D_GL(s.world.get())) : nullptr;
        if (!s.engine || s.engine->Load(s.window) != 0)
            return s;
        s.engine->GetView()->ResetView();
        s.engine->GetView()->ComputeProjection();

        std::vector<uint8_t> picture(size_t(kWidth) * kHeight * 3);
        for (size_t i = 0; i < picture.size(); ++i)
            picture[i] = uint8_t((i * 31) ^ (i >> 11));
        std::vector<uint8_t> disc(size_t(kSprite) * kSprite * 4);
        for (int y = 0; y < kSprite; ++y)
            for (int x = 0; x < kSprite; ++x) {
                uint8_t* p = &disc[(size_t(y) * kSprite + x) * 4];
                const int dx = x - kSprite / 2, dy = y - kSprite / 2;
                p[0] = uint8_t(x * 2);
                p[1] = uint8_t(y * 2);
                p[2] = 200;
                p[3] = dx * dx + dy * dy < (kSprite / 2) * (kSprite / 2) ? 0xB0 : 0;
            }
        s.background = static_cast<C3DTexture_GL*>(s.engine->CreateTexture(0x08, 0));
        s.sprite = static_cast<C3DTexture_GL*>(s.engine->CreateTexture(0x08, 0x40));
        if (s.background->MakeFromRaw(kWidth, kHeight, 24, picture.data(), u"background.raw") != 0 ||
            s.sprite->MakeFromRaw(kSprite, kSprite, 32, disc.data(), u"sprite.raw") != 0)
            return s;
        s.backgroundQuad = MakeQuad(s.engine, 0, 0, kWidth, kHeight, s.background);
        for (int i = 0; i < kSprites; ++i)
            s.spriteQuads.push_back(MakeQuad(s.engine, SpriteX(i), SpriteY(i), kSprite, kSprite, s.sprite));
        s.ready = true;
        return s;
    }();
    return scene;
}

void DrawEngineFrame(Scene& s)
{
    s.engine->BeginScene();
    s.backgroundQuad->Draw();
    for (C3DObject* quad : s.spriteQuads)
        quad->Draw();
    glFinish();
}

void EngineFrame(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    for (auto _ : state)
        DrawEngineFrame(s);
}

void Quad(float x, float y, float w, float h)
{
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0, 1);
    glVertex2f(x, y);
    glTexCoord2f(1, 1);
    glVertex2f(x + w, y);
    glTexCoord2f(0, 0);
    glVertex2f(x, y + h);
    glTexCoord2f(1, 0);
    glVertex2f(x + w, y + h);
    glEnd();
}

void DrawBareFrame(const Scene& s)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, s.background->GetName_GL());
    Quad(0, 0, kWidth, kHeight);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, s.sprite->GetName_GL());
    for (int i = 0; i < kSprites; ++i)
        Quad(SpriteX(i), SpriteY(i), kSprite, kSprite);
    glFinish();
}

void BareFrame(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    for (auto _ : state)
        DrawBareFrame(s);
}

// "ratio": the engine's frames over the bare loop's.
void EngineOverBare(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display or no GL context");
        return;
    }
    if (!SamePicture(kWidth, kHeight, [&] { DrawEngineFrame(s); }, [&] { DrawBareFrame(s); })) {
        state.SkipWithError("the engine and the bare loop draw different pictures");
        return;
    }
    TimeApart(state, [&] { DrawEngineFrame(s); }, [&] { DrawBareFrame(s); });
}

}  // namespace

// The machine is shared: medians of repeated runs, not single runs, are compared. The times
// are wall times: llvmpipe draws in threads of its own, which the main thread's CPU time misses.
BENCHMARK(EngineFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BareFrame)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(EngineOverBare)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
