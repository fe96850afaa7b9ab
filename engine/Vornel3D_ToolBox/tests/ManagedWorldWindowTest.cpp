#include "Vornel3D_ToolBox/CManagedWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "ToolBoxTestWorld.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformWindow.h"

namespace {

bool HaveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if ((!display || !*display) && (!driver || !*driver))
        return false;
    return Platform_HasDisplay();
}

int g_displayChanges = 0;
PlatformWindow* g_changedWindow = nullptr;

Status CountDisplayChange(uint32_t code, PlatformWindow* window)
{
    if (code == kDisplayChangedCode)
        ++g_displayChanges;
    g_changedWindow = window;
    return kStatusOk;
}

void DrainMessages(CManagedWorld& world)
{
    PlatformMessage m{};
    for (int round = 0; round < 5; ++round) {
        Platform_WaitMessage(20);
        while (Platform_PeekMessage(&m))
            if (m.window)
                world.OnMessage(&m);
    }
}

}  // namespace

TEST(ManagedWindow, CreatePlaceShowSwitchAndDestroy)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    EngineLog() = {};
    g_displayChanges = 0;
    CTestManagedWorld world;
    world.SetApplicationParameters(0x42422, u"KESTRAN_NB_v3", u"Nimbrel", u"Data_full_Win32\\", 0);
    world.SetDisplayChangeCallback(CountDisplayChange);
    AppWindowRecord record{};
    uint16_t width = 320, height = 240;
    ASSERT_EQ(world.CreateMainWindow(width, height, 0, 0, u"KESTRAN_NB_v3", u"Nimbrel", &record, nullptr),
              kStatusOk);
    ASSERT_NE(record.window, nullptr);
    EXPECT_EQ(world.GetMainWindow(), record.window);
    EXPECT_EQ(Platform_GetWindowUserPointer(record.window), static_cast<CManagedWorld*>(&world));

    ASSERT_EQ(world.LoadWithEngine(5, width, height, 0xFFFF, 0xFFFF), kStatusOk);
    world.GetWorldData()->pWindow = record.window;
    EXPECT_EQ(world.PlaceWindow(), kStatusOk);
    EXPECT_EQ(world.ShowMainWindow(), kStatusOk);
    EXPECT_TRUE(Platform_IsWindowVisible(record.window));
    DrainMessages(world);

    // To full screen and back on the same window.
    EXPECT_EQ(world.ChangeDisplayMode(u"KESTRAN_NB_v3", u"Nimbrel", 1, 0, nullptr), kStatusOk);
    EXPECT_EQ(world.GetWorldData()->displayChanging, 0);
    EXPECT_EQ(world.GetWorldData()->fullScreen, 1);
    EXPECT_TRUE(Platform_IsWindowFullScreen(record.window));
    EXPECT_EQ(world.GetMainWindow(), record.window);
    EXPECT_EQ(EngineLog().invalidates, 1);
    EXPECT_EQ(EngineLog().inits, 1);
    EXPECT_EQ(EngineLog().lastChanged, 1u);
    EXPECT_EQ(g_displayChanges, 1);
    EXPECT_EQ(g_changedWindow, record.window);
    DrainMessages(world);

    EXPECT_EQ(world.ChangeDisplayMode(u"KESTRAN_NB_v3", u"Nimbrel", 0, 0, nullptr), kStatusOk);
    EXPECT_EQ(world.GetWorldData()->fullScreen, 0);
    EXPECT_FALSE(Platform_IsWindowFullScreen(record.window));
    DrainMessages(world);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(Platform_GetClientSize(record.window, &w, &h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_EQ(world.GetWorldData()->virtualWidth, 320);  // the virtual screen never changes
    EXPECT_EQ(g_displayChanges, 2);

    // A renderer that cannot let go of the window fails the switch, and the flag is cleared.
    EngineLog().failInvalidate = true;
    EXPECT_EQ(world.ChangeDisplayMode(u"KESTRAN_NB_v3", u"Nimbrel", 1, 0, nullptr), kStatusFailed);
    EXPECT_EQ(world.GetWorldData()->displayChanging, 0);
    EXPECT_EQ(world.GetWorldData()->fullScreen, 0);
    EngineLog().failInvalidate = false;

    EXPECT_EQ(world.Unload(), kStatusOk);
    EXPECT_EQ(world.DestroyMainWindow(), kStatusOk);
    EXPECT_EQ(record.window, nullptr);
    EXPECT_EQ(world.GetMainWindow(), nullptr);
    EngineLog() = {};
}

TEST(ManagedWindow, FitToTheDesktopShrinksAWindowRequest)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";
    int32_t desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(Platform_GetDesktopSize(&desktopWidth, &desktopHeight));
    CTestManagedWorld world;
    world.SetFitWindowToDesktop(1);
    GetManagedWindowState().fit = WindowFitState{};  // the desktop is read on first use
    uint16_t width = static_cast<uint16_t>(desktopWidth), height = static_cast<uint16_t>(desktopHeight);
    WindowRect rect{};
    world.ComputeWindowRect(&rect, width, height, 0, 0, nullptr);
    EXPECT_EQ(GetManagedWindowState().fit.desktopWidth, desktopWidth);
    EXPECT_EQ(height, static_cast<uint16_t>(double(desktopHeight) * double(0.9f)));
    EXPECT_LT(width, desktopWidth);
    EXPECT_EQ(rect.right - rect.left, width);  // no window yet: no frame
    GetManagedWindowState().fit = WindowFitState{};
}
