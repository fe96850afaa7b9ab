#include "PlatformSdl.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "VornelPlatform/PlatformWindow.h"

namespace {

bool g_videoStarted = false;
std::vector<PlatformWindow*> g_windows;
char g_lastError[512] = "";

bool DriverChosen()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && *driver;
}

// The drivers that open the display the environment names. SDL falls back to its offscreen
// driver when that display cannot be opened (an address that leads nowhere, a virtual server
// in the middle of a reset), and a game on it would run unseen.
bool OpensNamedDisplay(const char* driver)
{
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

}  // namespace

namespace PlatformSdl {

bool DisplayInEnvironment()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

bool StartVideo()
{
    if (g_videoStarted)
        return true;
    // Closing the last window must not end the program by itself: the engine decides on
    // WM_CLOSE. A signal (Ctrl+C) still gives SDL_QUIT.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The click that activates a window is a click like any other.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The desktop's screen saver may run; the game does not own the machine.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SetError("the display cannot be opened");
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();  // a name of SDL's own, static
    if (!DriverChosen() && !OpensNamedDisplay(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("only the \"%s\" driver, which shows nothing", driver ? driver : "");
        SetError("the display cannot be opened");
        return false;
    }
    // The GL library stays loaded while the display is open, not only while a GL window
    // lives: contexts come and go with full-screen switches and tests.
    SDL_GL_LoadLibrary(nullptr);
    g_videoStarted = true;
    return true;
}

bool VideoStarted()
{
    return g_videoStarted;
}

void StopVideo()
{
    if (!g_videoStarted)
        return;
    SDL_GL_UnloadLibrary();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    g_videoStarted = false;
}

PlatformWindow* FromWindowId(Uint32 windowId)
{
    if (!g_videoStarted)
        return nullptr;
    SDL_Window* sdl = SDL_GetWindowFromID(windowId);
    if (!sdl)
        return nullptr;
    for (PlatformWindow* window : g_windows)
        if (window->sdl == sdl)
            return window;
    return nullptr;
}

bool IsLive(const PlatformWindow* window)
{
    return window && std::find(g_windows.begin(), g_windows.end(), window) != g_windows.end();
}

SDL_Window* Sdl(PlatformWindow* window)
{
    return IsLive(window) ? window->sdl : nullptr;
}

void AddWindow(PlatformWindow* window)
{
    g_windows.push_back(window);
}

void RemoveWindow(PlatformWindow* window)
{
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
}

const std::vector<PlatformWindow*>& Windows()
{
    return g_windows;
}

void SetError(const char* context)
{
    const char* detail = SDL_GetError();
    if (detail && *detail)
        std::snprintf(g_lastError, sizeof g_lastError, "%s (%s)", context, detail);
    else
        std::snprintf(g_lastError, sizeof g_lastError, "%s", context);
}

}  // namespace PlatformSdl

const char* Platform_GetLastErrorText()
{
    return g_lastError;
}
