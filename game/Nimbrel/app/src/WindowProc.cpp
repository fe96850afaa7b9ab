// The window procedure and the title callback: the world is found through the window.
#include <string>

#include "NimbrelApp.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "VornelPlatform/PlatformPump.h"
#include "VornelPlatform/PlatformWindow.h"
#include "VornelUtils/UtilsString.h"

CNimbrelWorld* g_pWorld = nullptr;

namespace {

uint32_t g_frameLimit = 0;
uint32_t g_frames = 0;
bool g_frameFailed = false;

CManagedWorld* WorldOf(PlatformWindow* window)
{
    return window ? static_cast<CManagedWorld*>(Platform_GetWindowUserPointer(window)) : nullptr;
}

}  // namespace

void SetFrameLimit(uint32_t limit)
{
    g_frameLimit = limit;
    g_frames = 0;
}

uint32_t FramesRun()
{
    return g_frames;
}

void SetFrameFailed(bool failed)
{
    g_frameFailed = failed;
}

bool FrameFailed()
{
    return g_frameFailed;
}

void CountFrame()
{
    ++g_frames;
    if (g_frameLimit != 0 && g_frames == g_frameLimit)
        Platform_PostQuitMessage(0);
}

uint32_t FrameTimerPeriod(int32_t framesPerSecond)
{
    if (framesPerSecond <= 0)
        return 0;
    return static_cast<uint32_t>(1000.0 / framesPerSecond);
}

intptr_t WindowProc(const PlatformMessage& message)
{
    CManagedWorld* world = WorldOf(message.window);
    if (!world)
        return 0;
    if (message.message == WM_TIMER) {
        WorldData* w = world->GetWorldData();
        w->minimised = Platform_IsWindowMinimised(message.window) ? 1 : 0;
        w->hasFocus = Platform_WindowHasFocus(message.window) ? 1 : 0;
        if (Failed(world->Frame())) {
            SetFrameFailed(true);
            Platform_PostQuitMessage(0);
        } else {
            CountFrame();
        }
    }
    if (Failed(world->OnMessage(&message)))
        return -1;
    return 0;
}

Status UpdateWindowTitle(uint32_t code, PlatformWindow* window)
{
    if (code != kDisplayChangedCode)
        return kStatusOk;
    CManagedWorld* world = WorldOf(window);
    if (!world)
        return kStatusOk;
    char16_t title[kWorldTextSize] = {};
    world->GetGameString(kNimbrelClassName, u"", title);
    Platform_SetWindowTitle(window, UtilsString_ToUtf8(title).c_str());
    return kStatusOk;
}
