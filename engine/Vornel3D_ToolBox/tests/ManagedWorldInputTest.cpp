#include "Vornel3D_ToolBox/CManagedWorld.h"

#include <gtest/gtest.h>

#include "ToolBoxTestWorld.h"
#include "VornelPlatform/PlatformPump.h"

namespace {

// A world loaded at a window of 2048 x 1536 over a virtual screen of 1024 x 768 (factor 2).
class ManagedInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        EngineLog() = {};
        GetManagedWindowState().altEnterLatch = 0;
        ASSERT_EQ(world.LoadWithEngine(5, 2048, 1536, 1024, 768), kStatusOk);
    }
    void TearDown() override
    {
        world.Unload();
        PlatformMessage m{};
        while (Platform_PeekMessage(&m)) {
        }  // nothing posted here may reach the next test
    }

    Status Send(uint32_t message, uintptr_t wParam, intptr_t lParam)
    {
        const PlatformMessage m = Message(message, wParam, lParam);
        return world.OnMessage(&m);
    }

    bool QuitPosted()
    {
        PlatformMessage m{};
        while (Platform_PeekMessage(&m))
            if (m.message == WM_QUIT)
                return true;
        return false;
    }

    CTestManagedWorld world;
};

}  // namespace

TEST_F(ManagedInput, ButtonsReachTheGameInVirtualUnits)
{
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(201, 101)), kStatusOk);
    EXPECT_EQ(Send(WM_LBUTTONUP, 0, Platform_MakeLParam(401, 303)), kStatusOk);
    ASSERT_EQ(world.calls.size(), 2u);
    EXPECT_EQ(world.calls[0].kind, 'd');
    EXPECT_FLOAT_EQ(world.calls[0].x, 100.0f);  // 201 / 2 floored
    EXPECT_FLOAT_EQ(world.calls[0].y, 50.0f);
    EXPECT_EQ(world.calls[1].kind, 'u');
    EXPECT_FLOAT_EQ(world.calls[1].x, 200.0f);
    EXPECT_FLOAT_EQ(world.calls[1].y, 151.0f);
    // The engine's input state holds the mapped position too.
    const WorldData* w = world.GetWorldData();
    EXPECT_FLOAT_EQ(w->pressX, 100.0f);
    EXPECT_FLOAT_EQ(w->pressY, 50.0f);
    EXPECT_EQ(w->leftReleased, 1);
}

TEST_F(ManagedInput, PointerTurnsWithTheScreenOrientation)
{
    world.GetWorldData()->orientation = 3;  // no view here: the record's orientation holds
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(201, 101));
    ASSERT_EQ(world.calls.size(), 1u);
    EXPECT_FLOAT_EQ(world.calls[0].x, 50.0f);           // y'
    EXPECT_FLOAT_EQ(world.calls[0].y, 1024.0f - 100.0f);  // W - x'
}

TEST_F(ManagedInput, MoveOnTheEdgeIsDroppedButAPressThereIsNot)
{
    Send(WM_MOUSEMOVE, 0, Platform_MakeLParam(1, 100));  // x' = 0
    Send(WM_MOUSEMOVE, 0, Platform_MakeLParam(2048, 100));  // x' = W
    Send(WM_MOUSEMOVE, 0, Platform_MakeLParam(100, 1537));  // y' = H
    EXPECT_TRUE(world.calls.empty());
    EXPECT_FLOAT_EQ(world.GetWorldData()->mouseX, 0.0f);  // the engine did not see them either

    Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(1, 100));
    Send(WM_MOUSEMOVE, MK_LBUTTON, Platform_MakeLParam(2, 100));  // x' = 1
    ASSERT_EQ(world.calls.size(), 2u);
    EXPECT_EQ(world.calls[0].kind, 'd');
    EXPECT_FLOAT_EQ(world.calls[0].x, 0.0f);
    EXPECT_EQ(world.calls[1].kind, 'm');
    EXPECT_FLOAT_EQ(world.calls[1].x, 1.0f);
}

TEST_F(ManagedInput, WheelNotches)
{
    Send(WM_MOUSEWHEEL, static_cast<uintptr_t>(WHEEL_DELTA) << 16, 0);
    Send(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(-WHEEL_DELTA)) << 16, 0);
    ASSERT_EQ(world.calls.size(), 2u);
    EXPECT_FLOAT_EQ(world.calls[0].x, 0.05f);
    EXPECT_FLOAT_EQ(world.calls[1].x, -0.05f);
}

TEST_F(ManagedInput, InputBlockDropsPointerAndKeys)
{
    world.SetInputBlock(1);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(200, 100));
    Send(WM_MOUSEMOVE, 0, Platform_MakeLParam(200, 100));
    Send(WM_LBUTTONUP, 0, Platform_MakeLParam(200, 100));
    Send(WM_MOUSEWHEEL, static_cast<uintptr_t>(WHEEL_DELTA) << 16, 0);
    Send(WM_KEYDOWN, 'A', 1);
    EXPECT_TRUE(world.calls.empty());
    EXPECT_EQ(world.GetWorldData()->leftDown, 0);
    EXPECT_EQ(world.GetWorldData()->pressCount, 0);
    world.Update();  // once a frame the block is lifted
    Send(WM_KEYDOWN, 'A', 1);
    EXPECT_EQ(world.GetWorldData()->pressCount, 1);
}

TEST_F(ManagedInput, HeldAltEnterTogglesOnce)
{
    world.countDisplaySwitches = true;
    const intptr_t first = 1 | KF_ALTDOWN_BIT;
    const intptr_t repeat = 1 | KF_ALTDOWN_BIT | KF_PREVIOUS_DOWN_BIT;
    Send(WM_SYSKEYDOWN, VK_RETURN, first);
    Send(WM_SYSKEYDOWN, VK_RETURN, repeat);
    Send(WM_SYSKEYDOWN, VK_RETURN, repeat);
    EXPECT_EQ(world.displaySwitches, 1);
    Send(WM_SYSKEYUP, VK_RETURN, repeat);
    Send(WM_SYSKEYDOWN, VK_RETURN, first);
    EXPECT_EQ(world.displaySwitches, 2);
    // Other system keys never switch and never reach the engine's keyboard state.
    Send(WM_SYSKEYUP, VK_RETURN, repeat);
    Send(WM_SYSKEYDOWN, 'F', first);
    EXPECT_EQ(world.displaySwitches, 2);
    EXPECT_EQ(world.GetWorldData()->pressCount, 0);
    EXPECT_FALSE(QuitPosted());
}

TEST_F(ManagedInput, FailedAltEnterEndsTheProgram)
{
    world.countDisplaySwitches = true;
    world.displaySwitchResult = kStatusFailed;
    Send(WM_SYSKEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(world.displaySwitches, 1);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ManagedInput, DestroyEndsTheProgramUnlessTheDisplayIsChanging)
{
    world.GetWorldData()->displayChanging = 1;
    Send(WM_DESTROY, 0, 0);
    EXPECT_FALSE(QuitPosted());
    world.GetWorldData()->displayChanging = 0;
    Send(WM_DESTROY, 0, 0);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ManagedInput, SizeChangesTheScaleFactors)
{
    Send(WM_SIZE, SIZE_RESTORED, Platform_MakeLParam(1024, 768));
    EXPECT_FLOAT_EQ(world.GetWorldData()->scaleX, 1.0f);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Platform_MakeLParam(201, 101));
    ASSERT_EQ(world.calls.size(), 1u);
    EXPECT_FLOAT_EQ(world.calls[0].x, 201.0f);
}

TEST_F(ManagedInput, ClickActivationIsNoDeactivation)
{
    // In full screen with a renderer that must be told before the desktop mode comes back,
    // only a real deactivation reaches the renderer.
    CTestManagedWorld dx;
    ASSERT_EQ(dx.LoadWithEngine(3, 1024, 768, 0xFFFF, 0xFFFF), kStatusOk);  // "DX81"
    dx.GetWorldData()->fullScreen = 1;
    EngineLog() = {};
    PlatformMessage m = Message(WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(dx.OnMessage(&m), kStatusOk);
    m = Message(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(dx.OnMessage(&m), kStatusOk);
    EXPECT_EQ(EngineLog().invalidates, 0);
    m = Message(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(dx.OnMessage(&m), kStatusOk);
    EXPECT_EQ(EngineLog().invalidates, 1);
    EXPECT_EQ(EngineLog().lastChanged, 1u);

    // A failing renderer makes the deactivation fail.
    EngineLog().failInvalidate = true;
    EXPECT_EQ(dx.OnMessage(&m), kStatusFailed);
    // While the display is changing, activation messages are left alone.
    dx.GetWorldData()->displayChanging = 1;
    EXPECT_EQ(dx.OnMessage(&m), kStatusOk);
    EngineLog() = {};
    dx.Unload();
}

TEST_F(ManagedInput, ReturningToTheFullScreenAsksForTheGamesDisplayMode)
{
    // Where the full screen has a display mode of its own (Windows), the game's mode is asked
    // for again on the way back, and a mode the display does not have fails the activation;
    // the desktop's full screen has none to ask for. Leaving gives the desktop's mode back.
    WorldData* w = world.GetWorldData();
    w->fullScreen = 1;
    const uint16_t width = w->virtualWidth, height = w->virtualHeight;
    w->virtualWidth = 123;
    w->virtualHeight = 45;
#ifdef _WIN32
    EXPECT_EQ(Send(WM_ACTIVATE, WA_ACTIVE, 0), kStatusFailed);
#else
    EXPECT_EQ(Send(WM_ACTIVATE, WA_ACTIVE, 0), kStatusOk);
#endif
    EXPECT_EQ(Send(WM_ACTIVATE, WA_INACTIVE, 0), kStatusOk);
    w->virtualWidth = width;
    w->virtualHeight = height;
    w->fullScreen = 0;
}

TEST_F(ManagedInput, FailedDisplayChangeClearsItsFlag)
{
    // No window to switch.
    EXPECT_EQ(world.ChangeDisplayMode(u"K", u"N", 1, 0, nullptr), kStatusFailed);
    EXPECT_EQ(world.GetWorldData()->displayChanging, 0);
    EXPECT_EQ(world.GetWorldData()->fullScreen, 0);
}

TEST_F(ManagedInput, SizingKeepsTheDisplayShape)
{
    WindowRect rect{0, 0, 800, 100};
    Send(WM_SIZING, WMSZ_RIGHT, reinterpret_cast<intptr_t>(&rect));
    EXPECT_EQ(rect.bottom, 600);  // 800 x 768 / 1024
    Send(WM_SIZING, WMSZ_RIGHT, 0);  // no rectangle: nothing happens
}
