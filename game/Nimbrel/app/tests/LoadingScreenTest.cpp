// The screen transitions, the loading screen and the progress bar of the real game in this
// process, drawn by its renderer and read back, with the frame step set by the test.
#include "NimbrelHarness.h"
#include "SampleGameFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "NimbrelManagers/CLoading.h"
#include "NimbrelManagers/CProgressBar.h"
#include "NimbrelManagers/CTransitions.h"
#include "NimbrelWorld/GameData.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DObject.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_ToolBox/CScreenshot.h"
#include "VornelPlatform/PlatformDialog.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/UtilsParameters.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = NIMBREL_BIN_DIR;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kGreen = 0xFF00FF00u;

int Red(uint32_t c) { return int((c >> 16) & 0xFF); }
int Blue(uint32_t c) { return int(c & 0xFF); }

// The game started on the built sample data in a folder of its own, and frames drawn by hand
// on its renderer: a plain colour, with one manager drawn over it, each presented and read back.
class LoadingScreen : public SampleGameFolder {
protected:
    // The game after its start-up load, before its first frame.
    void Start(NimbrelHarness& harness)
    {
        ASSERT_EQ(harness.Start(), 0) << boxes;
        game = &harness;
        w = harness.World()->GetWorldData();
        engine = C3DEngine::FromWorld(w);
        ASSERT_NE(engine, nullptr);
        transitions = harness.World()->GetTransitions();
        ASSERT_NE(transitions, nullptr);
        screenshot = harness.World()->GetScreenshot();
        ASSERT_NE(screenshot, nullptr);
    }

    void Present(uint32_t color)
    {
        w->colorClear = color;
        engine->BeginScene();
        engine->EndScene();
    }
    // A frame of `color` with `draw` over it, presented; then its pixel (x, y).
    uint32_t Draw(uint32_t color, const std::function<void()>& draw, int x, int y)
    {
        w->colorClear = color;
        engine->BeginScene();
        draw();
        engine->EndScene();
        uint32_t pixel = 0;
        EXPECT_TRUE(game->ReadPixel(x, y, &pixel));
        return pixel;
    }
    uint32_t DrawTransition(uint32_t color, int x, int y)
    {
        return Draw(color, [this] { transitions->Render(); }, x, y);
    }
    void StepTransition(double units = 1.0)
    {
        w->frameTime = units;
        transitions->Update();
    }
    float QuadCentreX() const { return transitions->GetQuad()->GetMatrix()[12]; }
    int Width() const { return w->virtualWidth; }
    int Height() const { return w->virtualHeight; }
    // A point of the sample's bar (256 by 64 around (512, 650) of the reference screen) at a
    // fraction of its width, on its middle row.
    std::pair<int, int> BarPoint(float fraction) const
    {
        const GameScreenScale& s = w->pGame->screen;
        const float x0 = s.layoutPositionX * 512.0f - s.layoutSizeX * 128.0f;
        return {int(x0 + fraction * s.layoutSizeX * 256.0f), int(s.layoutPositionY * 650.0f)};
    }
    // A point of the loading picture (in its 1024 by 768 pixels) on the screen.
    std::pair<int, int> PicturePoint(float x, float y) const
    {
        auto* loading = dynamic_cast<CLoading*>(game->World()->GetManager(kManagerLoading));
        const float* m = loading->GetPicture()->GetMatrix();
        return {int(m[12] + x * m[0]), int(m[13] + y * m[5])};
    }

    // Units the copied frame takes to fade away at the sample's speed.
    int FadeUnits() const { return int(std::ceil(1.0f / screenshot->GetFadeSpeed())); }

    NimbrelHarness* game = nullptr;
    WorldData* w = nullptr;
    C3DEngine* engine = nullptr;
    CTransitions* transitions = nullptr;
    CScreenshot* screenshot = nullptr;
};

TEST_F(LoadingScreen, ASimpleFadeShowsThePresentedFrameAndLosesTheSettingsSpeedAUnit)
{
    NimbrelHarness harness;
    Start(harness);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(transitions->IsFadeValueZero());
    EXPECT_FLOAT_EQ(transitions->GetDuration(kTransitionSimpleFade), 30.0f);
    // Between frames, as a game state change starts it: the frame last presented is copied,
    // whatever the back buffer holds after the swap (here: another colour).
    Present(kRed);
    w->colorClear = kGreen;
    engine->Clear();
    ASSERT_EQ(transitions->Start(kTransitionSimpleFade, 0), 0);
    EXPECT_FALSE(transitions->IsScreenTransitionActive());
    EXPECT_FALSE(transitions->IsFadeValueZero());
    uint32_t pixel = DrawTransition(kBlue, Width() / 2, Height() / 2);
    EXPECT_EQ(Red(pixel), 255);
    EXPECT_EQ(Blue(pixel), 0);
    const float speed = screenshot->GetFadeSpeed();
    const int units = FadeUnits();
    for (int unit = 1; unit <= units; ++unit) {
        StepTransition();
        pixel = DrawTransition(kBlue, Width() / 2, Height() / 2);
        const float left = std::max(0.0f, 1.0f - speed * float(unit));
        EXPECT_NEAR(Red(pixel), 255.0f * left, 2.0f) << "unit " << unit;
        EXPECT_NEAR(Blue(pixel), 255.0f * (1.0f - left), 2.0f) << "unit " << unit;
        EXPECT_EQ(transitions->IsFadeValueZero(), unit == units) << "unit " << unit;
    }
    EXPECT_EQ(pixel, kBlue | 0xFF000000u);
    // The kind runs its whole duration after the picture has gone.
    for (int unit = units + 1; unit <= 30; ++unit)
        StepTransition();
    EXPECT_EQ(transitions->GetKind(), kTransitionSimpleFade);
    StepTransition();
    EXPECT_EQ(transitions->GetKind(), kTransitionKindNone);
    // A second start before the next frame keeps that frame (not the copy shown before it).
    Present(kGreen);
    ASSERT_EQ(transitions->Start(kTransitionSimpleFade, 0), 0);
    ASSERT_EQ(transitions->Start(kTransitionSimpleFade, 0), 0);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2, Height() / 2), kGreen);

    // Kind 0 (or any other) copies nothing and leaves a running transition alone.
    Present(kRed);
    ASSERT_EQ(transitions->Start(kTransitionSimpleFade, 0), 0);
    StepTransition(2.0);
    const float ratio = screenshot->GetFadeRatio();
    Present(kGreen);
    for (uint32_t kind : {0u, 5u, 0xFFFFFFFFu})
        EXPECT_EQ(transitions->Start(kind, 0), 0);
    EXPECT_EQ(transitions->GetKind(), kTransitionSimpleFade);
    EXPECT_FLOAT_EQ(transitions->GetElapsed(), 2.0f);
    EXPECT_FLOAT_EQ(screenshot->GetFadeRatio(), ratio);
    EXPECT_GT(Red(DrawTransition(kBlue, Width() / 2, Height() / 2)), 100);

    // keepScreen shows the last copy again, whole, instead of the frame on screen.
    StepTransition(30.0);
    EXPECT_TRUE(transitions->IsFadeValueZero());
    Present(kGreen);
    ASSERT_EQ(transitions->Start(kTransitionObjectZoom, 1), 0);
    EXPECT_FLOAT_EQ(screenshot->GetFadeRatio(), 1.0f);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2, Height() / 2), kRed);
}

TEST_F(LoadingScreen, DoubleSquaresCoverInFifteenUnitsAndUncoverInFifteen)
{
    NimbrelHarness harness;
    Start(harness);
    if (HasFatalFailure())
        return;
    Present(kRed);
    ASSERT_EQ(transitions->Start(kTransitionDoubleSquares, 0), 0);
    EXPECT_TRUE(transitions->IsScreenTransitionActive());
    EXPECT_TRUE(transitions->IsScreenTransitionFirstHalf());
    // The ring closes in from the edges: the middle still shows, the edges are black.
    StepTransition(8.0);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2, Height() / 2), kBlue);
    EXPECT_EQ(DrawTransition(kBlue, 4, 4) & 0xFFFFFF, 0u);
    StepTransition(7.0);  // 15 units: not yet past the half
    EXPECT_EQ(transitions->GetHalf(), 0u);
    StepTransition();
    EXPECT_EQ(transitions->GetHalf(), 1u);
    EXPECT_FALSE(transitions->IsScreenTransitionFirstHalf());
    const int right = Width() - 1, bottom = Height() - 1;
    for (auto [x, y] : {std::pair{Width() / 2, Height() / 2}, {0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
        EXPECT_EQ(DrawTransition(kBlue, x, y) & 0xFFFFFF, 0u) << x << "," << y;
    // The black rectangle shrinks to the middle.
    StepTransition(8.0);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2, Height() / 2) & 0xFFFFFF, 0u);
    EXPECT_EQ(DrawTransition(kBlue, 4, 4), kBlue);
    StepTransition(7.0);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2, Height() / 2), kBlue);
    EXPECT_EQ(transitions->GetKind(), kTransitionDoubleSquares);
    // Its end takes the copied frame away, so input and the loading states go on.
    EXPECT_FALSE(transitions->IsFadeValueZero());
    StepTransition();
    EXPECT_EQ(transitions->GetKind(), kTransitionKindNone);
    EXPECT_TRUE(transitions->IsFadeValueZero());
}

TEST_F(LoadingScreen, LeftToRightSweepsTheQuadFromOneAndAHalfWidthsToMinusAHalf)
{
    NimbrelHarness harness;
    Start(harness);
    if (HasFatalFailure())
        return;
    Present(kRed);
    ASSERT_EQ(transitions->Start(kTransitionLeftToRight, 0), 0);
    const float width = float(Width());
    EXPECT_FLOAT_EQ(QuadCentreX(), 1.5f * width);
    StepTransition(7.5);  // half way in: its left edge at the middle
    EXPECT_FLOAT_EQ(QuadCentreX(), width);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2 - 10, Height() / 2), kBlue);
    EXPECT_EQ(DrawTransition(kBlue, Width() / 2 + 10, Height() / 2) & 0xFFFFFF, 0u);
    StepTransition(7.5);
    EXPECT_FLOAT_EQ(QuadCentreX(), 0.5f * width);
    StepTransition();
    EXPECT_EQ(transitions->GetHalf(), 1u);
    EXPECT_FLOAT_EQ(QuadCentreX(), 0.5f * width);
    EXPECT_EQ(DrawTransition(kBlue, 2, 2) & 0xFFFFFF, 0u);
    EXPECT_EQ(DrawTransition(kBlue, Width() - 3, Height() - 3) & 0xFFFFFF, 0u);
    StepTransition(15.0);
    EXPECT_FLOAT_EQ(QuadCentreX(), -0.5f * width);
    EXPECT_EQ(DrawTransition(kBlue, 2, 2), kBlue);
    StepTransition();
    EXPECT_EQ(transitions->GetKind(), kTransitionKindNone);
    EXPECT_TRUE(transitions->IsFadeValueZero());
}

TEST_F(LoadingScreen, ZeroDurationsPassEachHalfInOneUpdateWithoutNaN)
{
    NimbrelHarness harness;
    Start(harness);
    if (HasFatalFailure())
        return;
    const std::string text =
        "[TRANSITIONS]\nTRANSITION_OBJECT_ZOOM_TIME_SEC = 0\nTRANSITION_SIMPLE_FADE_TIME_SEC = 0\n"
        "TRANSITION_DOUBLE_SQUARES_TIME_SEC = 0\nTRANSITION_FROM_LEFT_TO_RIGHT_TIME_SEC = -1\n";
    UtilsParameters_Text zero(text.c_str(), uint32_t(text.size()));
    UtilsParameters* settings = w->pAppSettings;
    w->pAppSettings = &zero;
    CTransitions quick(w);
    ASSERT_EQ(quick.Load(), 0);
    w->pAppSettings = settings;
    for (double step : {1.0, 0.0}) {
        for (uint32_t kind : {kTransitionObjectZoom, kTransitionSimpleFade}) {
            quick.Start(kind, 0);
            w->frameTime = step;
            quick.Update();
            EXPECT_EQ(quick.GetKind(), kTransitionKindNone) << kind << " step " << step;
        }
        for (uint32_t kind : {kTransitionDoubleSquares, kTransitionLeftToRight}) {
            quick.Start(kind, 0);
            w->frameTime = step;
            quick.Update();
            EXPECT_EQ(quick.GetHalf(), 1u) << kind << " step " << step;
            EXPECT_EQ(quick.GetKind(), kind);
            for (uint32_t v = 0; v < 10; ++v) {
                const C3DVector3 p = quick.GetFrame()->GetVertexPosition(v);
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << kind << " vertex " << v;
            }
            EXPECT_TRUE(std::isfinite(quick.GetQuad()->GetMatrix()[12]));
            quick.Update();
            EXPECT_EQ(quick.GetKind(), kTransitionKindNone) << kind << " step " << step;
        }
    }
}

TEST_F(LoadingScreen, TheBarFillsByColumnsAndStaysFull)
{
    NimbrelHarness harness;
    Start(harness);
    if (HasFatalFailure())
        return;
    CProgressBar* bar = harness.World()->GetProgressBar();
    ASSERT_NE(bar, nullptr);
    const auto [quarter, y] = BarPoint(0.25f);
    const int threeQuarters = BarPoint(0.75f).first;
    auto filled = [&, y = y](int x) { return Red(Draw(kBlue, [bar] { bar->Render(); }, x, y)) > 120; };
    bar->SetRange(0, 1);
    bar->Step();
    EXPECT_FLOAT_EQ(bar->GetRatio(), 0.0f);
    EXPECT_FALSE(filled(quarter));
    EXPECT_FALSE(filled(threeQuarters));
    bar->SetRange(1, 2);
    bar->Step();
    EXPECT_FLOAT_EQ(bar->GetRatio(), 0.5f);
    EXPECT_TRUE(filled(quarter));
    EXPECT_FALSE(filled(threeQuarters));
    bar->SetRange(1, 1);
    bar->Step();
    EXPECT_TRUE(filled(quarter));
    EXPECT_TRUE(filled(threeQuarters));
    bar->Step();
    bar->Step();
    EXPECT_EQ(bar->GetPosition(), 1u);
    EXPECT_TRUE(filled(threeQuarters));
    // A range of 0 is ignored: the bar stays as it was.
    bar->SetRange(1, 0);
    EXPECT_EQ(bar->GetRange(), 1u);
    EXPECT_TRUE(filled(threeQuarters));
    // 42 steps of a world load: the fill follows the position in float.
    bar->SetRange(1, 42);
    for (int i = 0; i < 21; ++i)
        bar->Step();
    EXPECT_FLOAT_EQ(bar->GetRatio(), 0.5f);
    EXPECT_TRUE(filled(quarter));
    EXPECT_FALSE(filled(threeQuarters));
}

// A world that looks at the screen after every frame nested in a long operation.
class ProbeWorld : public CNimbrelWorld {
public:
    static std::function<void(CNimbrelWorld*)> onNestedFrame;

protected:
    Status RunNestedFrame() override
    {
        const Status status = CNimbrelWorld::RunNestedFrame();
        if (onNestedFrame)
            onNestedFrame(this);
        return status;
    }
};
std::function<void(CNimbrelWorld*)> ProbeWorld::onNestedFrame;

TEST_F(LoadingScreen, TheWorldLoadShowsTheLoadingPictureWithTheBarFilling)
{
    NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
    options.createWorld = []() -> CNimbrelWorld* { return new ProbeWorld(); };
    NimbrelHarness harness(options);
    Start(harness);
    if (HasFatalFailure())
        return;
    struct Probe {
        uint32_t position, maximum, quarter, threeQuarters, moon;
    };
    std::vector<Probe> probes;
    const auto quarter = BarPoint(0.25f), threeQuarters = BarPoint(0.75f);
    const auto moon = PicturePoint(820.0f, 170.0f);
    ProbeWorld::onNestedFrame = [&](CNimbrelWorld* world) {
        Probe p{world->GetProgressPosition(), world->GetProgressMaximum(), 0, 0, 0};
        harness.ReadPixel(quarter.first, quarter.second, &p.quarter);
        harness.ReadPixel(threeQuarters.first, threeQuarters.second, &p.threeQuarters);
        harness.ReadPixel(moon.first, moon.second, &p.moon);
        probes.push_back(p);
    };
    // The shell's managers, in the order a relayout reaches them.
    CNimbrelWorld* world = harness.World();
    ASSERT_GE(world->GetRegisteredCount(), 5u);
    EXPECT_EQ(world->GetRegistered(0), screenshot);
    EXPECT_EQ(world->GetRegistered(1), world->GetManager(kManagerSplash));
    EXPECT_EQ(world->GetRegistered(2), transitions);
    EXPECT_EQ(world->GetRegistered(3), world->GetManager(kManagerLoading));
    EXPECT_EQ(world->GetRegistered(4), world->GetProgressBar());
    EXPECT_EQ(world->Relayout(), 0);

    // Entered with a fade, the world load waits until the old picture has gone.
    Present(kRed);
    ASSERT_EQ(world->SetGameState(kGameStateWorldLoad, kTransitionFade, 0), 0);
    EXPECT_EQ(transitions->GetKind(), kTransitionSimpleFade);
    ASSERT_TRUE(harness.Step());
    EXPECT_EQ(world->GetObjectsManager(), nullptr);
    EXPECT_TRUE(probes.empty());
    for (int frame = 0; frame < 600 && !world->GetObjectsManager(); ++frame)
        ASSERT_TRUE(harness.Step());
    ProbeWorld::onNestedFrame = nullptr;
    EXPECT_TRUE(transitions->IsFadeValueZero());
    ASSERT_GE(probes.size(), 2u);
    EXPECT_EQ(probes.back().position, probes.back().maximum);
    for (const Probe& p : probes) {
        // The picture's moon, a light disc in its sky.
        EXPECT_GT(Red(p.moon), 200) << "position " << p.position;
        // Each column is filled once the fill has passed it (the fill's rounded end aside).
        const float ratio = float(p.position) / float(p.maximum);
        if (ratio <= 0.2f || ratio >= 0.3f) {
            EXPECT_EQ(Red(p.quarter) > 120, ratio >= 0.3f) << "position " << p.position;
        }
        if (ratio <= 0.7f || ratio >= 0.8f) {
            EXPECT_EQ(Red(p.threeQuarters) > 120, ratio >= 0.8f) << "position " << p.position;
        }
    }
    EXPECT_EQ(harness.Stop(), 0);
    EXPECT_EQ(boxes, "");
}

// A world whose window has another shape than the reference screen's.
class ShapedWorld : public CNimbrelWorld {
public:
    static uint16_t width, height;
    Status Load(void* pWindow, uint16_t, uint16_t, uint8_t colorDepth, uint32_t displayValue, uint8_t fullScreen,
                uint8_t resizable, uint8_t verticalSync, uint32_t orientation, const char16_t* dataPath,
                uint16_t virtualWidth, uint16_t virtualHeight) override
    {
        Platform_SetClientSize(static_cast<PlatformWindow*>(pWindow), width, height);
        return CNimbrelWorld::Load(pWindow, width, height, colorDepth, displayValue, fullScreen, resizable,
                                   verticalSync, orientation, dataPath, virtualWidth, virtualHeight);
    }
};
uint16_t ShapedWorld::width = 0;
uint16_t ShapedWorld::height = 0;

TEST_F(LoadingScreen, OtherWindowShapesShowThePictureFittedOverItsCornerColour)
{
    // 16:9 keeps the picture's safe middle, its whole width, and cuts its top and bottom; a
    // taller window shows it whole between bars of its corner colour.
    const struct {
        uint16_t width, height;
        float scale, x, y;
    } cases[] = {{960, 540, 0.9375f, 0.0f, -90.0f}, {640, 720, 0.625f, 0.0f, 120.0f}};
    for (const auto& c : cases) {
        ShapedWorld::width = c.width;
        ShapedWorld::height = c.height;
        NimbrelStartOptions options = NimbrelHarness::DefaultOptions();
        options.createWorld = []() -> CNimbrelWorld* { return new ShapedWorld(); };
        NimbrelHarness harness(options);
        Start(harness);
        if (HasFatalFailure())
            return;
        EXPECT_EQ(w->virtualWidth, c.width);
        EXPECT_EQ(w->virtualHeight, c.height);
        auto* loading = dynamic_cast<CLoading*>(harness.World()->GetManager(kManagerLoading));
        ASSERT_NE(loading, nullptr);
        EXPECT_EQ(loading->GetImageWidth(), 1024);
        EXPECT_EQ(loading->GetImageHeight(), 768);
        const float* m = loading->GetPicture()->GetMatrix();
        EXPECT_FLOAT_EQ(m[0], c.scale) << c.width;
        EXPECT_FLOAT_EQ(m[5], c.scale) << c.width;
        EXPECT_FLOAT_EQ(m[12], c.x) << c.width;
        EXPECT_FLOAT_EQ(m[13], c.y) << c.width;
        const uint32_t corner = loading->GetPicture()->GetTexture(0, 0)->GetCornerColor() & 0xFFFFFF;
        ASSERT_NE(corner, w->colorClear & 0xFFFFFF);
        auto draw = [&](int x, int y) {
            return Draw(0xFF000000u, [loading] { loading->Render(); }, x, y) & 0xFFFFFF;
        };
        // The picture's moon, a light disc in its sky, where the fit puts it.
        const auto moon = PicturePoint(820.0f, 170.0f);
        EXPECT_GT(Red(draw(moon.first, moon.second)), 200) << c.width;
        if (c.y > 0.0f) {
            const int bar = int(c.y) / 2, right = c.width - 5, bottom = c.height - bar;
            for (auto [x, y] : {std::pair{5, bar}, {right, bar}, {5, bottom}, {right, bottom}})
                EXPECT_EQ(draw(x, y), corner) << x << "," << y;
        }
        EXPECT_EQ(harness.Stop(), 0);
    }
}

TEST_F(LoadingScreen, APressReachesNobodyUntilTheCopiedFrameHasFaded)
{
    NimbrelHarness harness;
    Start(harness);
    if (HasFatalFailure())
        return;
    CNimbrelWorld* world = harness.World();
    // The world loaded and whatever it entered then faded in.
    for (int frame = 0; frame < 600 && !(world->GetObjectsManager() && transitions->IsFadeValueZero() &&
                                          transitions->GetKind() == kTransitionKindNone);
         ++frame)
        ASSERT_TRUE(harness.Step());
    ASSERT_NE(world->GetObjectsManager(), nullptr);
    world->SetGameState(kGameStatePlaying, kTransitionKindNone, 0);
    EXPECT_EQ(world->GetInputReceiver(), kInputObjects);
    Present(kRed);
    ASSERT_EQ(world->SetGameState(kGameStatePlaying, kTransitionSimpleFade, 0), 0);
    for (int unit = 1; unit <= FadeUnits(); ++unit) {
        EXPECT_EQ(world->GetInputReceiver(), kInputNone) << "unit " << unit;
        StepTransition();
    }
    EXPECT_EQ(world->GetInputReceiver(), kInputObjects);
    // A covering transition copies the frame without fading it: its end lets input through.
    ASSERT_EQ(world->SetGameState(kGameStatePlaying, kTransitionDoubleSquares, 0), 0);
    StepTransition(16.0);  // past the first half
    StepTransition(15.0);  // the second half at its end, not past it
    EXPECT_EQ(world->GetInputReceiver(), kInputNone);
    StepTransition();
    EXPECT_EQ(transitions->GetKind(), kTransitionKindNone);
    EXPECT_EQ(world->GetInputReceiver(), kInputObjects);
    EXPECT_EQ(harness.Stop(), 0);
}

}  // namespace
