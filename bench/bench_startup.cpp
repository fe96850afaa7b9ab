// The game's start-up on the sample data, up to the first frame drawn in play on the sample's
// first level (window, managed world, the game shell's load, the world load, the main script
// choosing the first profile's level, its activation, then the shutdown), against the engine
// alone: a window,
// the GL module loaded on it and one cleared frame presented. Both run from the folder of the
// built program, whose data folder holds the sample. Needs a display (make bench runs under
// xvfb-run).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchScreenWorld.h"
#include "BenchTimedApart.h"
#include "NimbrelHarness.h"
#include "Vornel3D/C3DMath.h"
#include "Vornel3D/C3DView.h"
#include "Vornel3D_GL/C3DEngine_GL.h"
#include "Vornel3D_GL/Module3D_GL.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr uint16_t kWidth = 1024, kHeight = 768;

// The program's folder: the built sample lies in its Data_full_Win32.
bool EnterProgramFolder()
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return false;
    std::string folder(self, size_t(n));
    folder.erase(folder.rfind('/'));
    return chdir(folder.c_str()) == 0 && access("Data_full_Win32", F_OK) == 0;
}

// Frames a start may take to reach play before it counts as failed.
constexpr uint32_t kMaxStartFrames = 300;

bool GameToFirstFrame(const std::string& userFolder)
{
    // Every start plays a new game: no profile of an earlier one.
    std::error_code error;
    std::filesystem::remove_all(userFolder, error);
    NimbrelHarness game;
    bool started = game.Start() == 0;
    // The frame whose update enters play draws the level.
    for (uint32_t i = 0; started && i < kMaxStartFrames && game.State() != kGameStatePlaying; ++i)
        started = game.Step();
    started = started && game.State() == kGameStatePlaying;
    return game.Stop() == 0 && started;
}

bool EngineToFirstFrame()
{
    auto world = std::make_unique<WorldData>();
    C3DMath math(world.get());
    InitScreenWorld(*world, &math, kWidth, kHeight);
    PlatformWindowDesc desc;
    desc.title = "bench_startup";
    desc.width = kWidth;
    desc.height = kHeight;
    desc.visible = true;
    PlatformWindow* window = Platform_CreateWindow(desc);
    C3DEngine* engine = window ? static_cast<C3DEngine*>(CreateModule3D_GL(world.get())) : nullptr;
    bool drawn = false;
    if (engine && engine->Load(window) == 0) {
        engine->GetView()->ResetView();
        engine->GetView()->ComputeProjection();
        drawn = engine->BeginScene() == 0 && engine->Clear() == 0 && engine->EndScene() == 0;
        engine->Unload();
    }
    delete engine;
    if (window)
        Platform_DestroyWindow(window);
    return drawn;
}

void StartUpToFirstFrame(benchmark::State& state)
{
    if (!Platform_HasDisplay() || !EnterProgramFolder()) {
        state.SkipWithError("needs a display and the built sample data beside the program");
        return;
    }
    setenv("ALSOFT_DRIVERS", "null", 1);
    char pattern[] = "/tmp/bench_startup_XXXXXX";
    if (!mkdtemp(pattern)) {
        state.SkipWithError("no folder for the profiles");
        return;
    }
    const std::string user = std::string(pattern) + "/user";
    setenv("XDG_DATA_HOME", user.c_str(), 1);
    bool ok = true;
    const double ms = TimeApart(
        state, [&] { ok = GameToFirstFrame(user) && ok; }, [&] { ok = EngineToFirstFrame() && ok; });
    std::error_code error;
    std::filesystem::remove_all(pattern, error);
    if (!ok)
        state.SkipWithError("a start-up failed");
    state.counters["game_ms_per_start"] = ms / double(state.iterations());
}

}  // namespace

BENCHMARK(StartUpToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);
